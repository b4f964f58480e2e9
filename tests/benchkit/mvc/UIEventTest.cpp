#include "benchkit/mvc/IDEUIEvent.h"

#include <gtest/gtest.h>

namespace {

InterfacePtr<IKeyEvent> Key(int id, int code, char16_t ch, TKomponent* source = nullptr) {
    return static_cast<IKeyEvent*>(new IDEUIEvent::TKeyEvent(source, id, TDateTime(), 0, code, ch));
}

InterfacePtr<IMouseEvent> Mouse(int id, int modifiers = 0) {
    return static_cast<IMouseEvent*>(
        new IDEUIEvent::TMouseEvent(nullptr, id, TDateTime(), modifiers, 10, 20, 1, false));
}

TEST(KeyEvent, TypedKeyNeedsACharacterAndNoCode) {
    EXPECT_NO_THROW(Key(KEY_TYPED, 0, u'a'));
    EXPECT_NO_THROW(Key(KEY_PRESSED, 65, 0)); // only typed keys are checked
    try {
        Key(KEY_TYPED, 65, 0); // both wrong: the character is named first
        FAIL();
    } catch (const EIllegalArgumentException& e) {
        EXPECT_EQ(e.GetMessage(), u"Invalid KeyChar");
    }
    try {
        Key(KEY_TYPED, 65, u'a');
        FAIL();
    } catch (const EIllegalArgumentException& e) {
        EXPECT_EQ(e.GetMessage(), u"Invalid KeyCode");
    }
}

TEST(KeyEvent, ActionKeys) {
    const std::vector<int> action = {19, 20, 33, 36, 40, 42, 45, 112, 123, 144, 145};
    const std::vector<int> plain = {0, 18, 21, 32, 41, 43, 44, 46, 65, 111, 124, 143, 146};
    for (int code : action)
        EXPECT_TRUE(Key(KEY_PRESSED, code, 0)->IsActionKey()) << code;
    for (int code : plain)
        EXPECT_FALSE(Key(KEY_PRESSED, code, 0)->IsActionKey()) << code;
}

TEST(KeyEvent, ListenersMayRewriteTheKey) {
    InterfacePtr<IKeyEvent> key = Key(KEY_PRESSED, 65, u'a');
    key->SetKeyCode(66);
    key->SetKeyChar(u'b');
    key->SetModifiers(SHIFT_MASK | ALT_MASK);
    EXPECT_EQ(key->GetKeyCode(), 66);
    EXPECT_EQ(key->GetKeyChar(), u'b');
    EXPECT_TRUE(key->IsShiftDown());
    EXPECT_TRUE(key->IsAltDown());
    EXPECT_FALSE(key->IsControlDown());
    EXPECT_FALSE(key->IsMetaDown());
}

struct ConsumeCase {
    int id;
    bool consumed;
};

class GeneralConsume : public testing::TestWithParam<ConsumeCase> {};

// Through IAWTEvent on an event that is not an input event.
TEST_P(GeneralConsume, ConsumesOnlyKeyAndMouseIds) {
    InterfacePtr<IAWTEvent> event(static_cast<IAWTEvent*>(new TFocusEvent(nullptr, GetParam().id)));
    event->Consume();
    EXPECT_EQ(event->IsConsumed(), GetParam().consumed);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, GeneralConsume,
    testing::Values(ConsumeCase{FOCUS_GAINED, false}, ConsumeCase{KEY_TYPED, false},
                    ConsumeCase{KEY_PRESSED, true}, ConsumeCase{KEY_RELEASED, true},
                    ConsumeCase{MOUSE_CLICKED, false}, ConsumeCase{MOUSE_PRESSED, true},
                    ConsumeCase{MOUSE_DRAGGED, true}, ConsumeCase{507, false}));

TEST(InputEvent, ConsumesWhateverItsId) {
    InterfacePtr<IKeyEvent> typed = Key(KEY_TYPED, 0, u'x');
    InterfacePtr<IAWTEvent> general =
        InterfaceCast<IAWTEvent>(static_cast<IInterface*>(typed.Get()));
    general->Consume();
    EXPECT_TRUE(typed->IsConsumed());
    InterfacePtr<IMouseEvent> clicked = Mouse(MOUSE_CLICKED);
    clicked->Consume();
    EXPECT_TRUE(clicked->IsConsumed());
}

TEST(AWTEvent, SomeEventsAreBornConsumed) {
    InterfacePtr<IInterface> source(static_cast<IStringObject*>(new TTextObject(u"s")));
    InterfacePtr<IActionEvent> action(
        static_cast<IActionEvent*>(new TActionEvent(source.Get(), ACTION_PERFORMED, u"go")));
    EXPECT_TRUE(action->IsConsumed());
    EXPECT_EQ(action->GetActionCommand(), u"go");
    InterfacePtr<ITextEvent> text(
        static_cast<ITextEvent*>(new TTextEvent(source.Get(), TEXT_VALUE_CHANGED)));
    EXPECT_TRUE(text->IsConsumed());
    InterfacePtr<ITextEvent> other(static_cast<ITextEvent*>(new TTextEvent(source.Get(), 901)));
    EXPECT_FALSE(other->IsConsumed());
}

TEST(MouseEvent, TranslatesItsPoint) {
    InterfacePtr<IMouseEvent> mouse = Mouse(MOUSE_MOVED);
    mouse->TranslatePoint(5, -30);
    POINT p = mouse->GetPoint();
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, -10);
    EXPECT_EQ(mouse->GetX(), 15);
}

TEST(ComponentEvent, SourceWrapsTheComponent) {
    TKomponent component(nullptr);
    InterfacePtr<IKeyEvent> key = Key(KEY_PRESSED, 13, 0, &component);
    EXPECT_EQ(key->GetComponent(), &component);
    InterfacePtr<IInterface> source = key->GetSource();
    auto* wrapper = dynamic_cast<TTamrelObject*>(source.Get());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->GetData(), &component);
}

} // namespace

TEST(AlignToAlignment, FollowsTheControlsDocking) {
    struct Case {
        TAlign align;
        uint32_t bits;
    } cases[] = {{alNone, 0}, {alTop, 24}, {alBottom, 72}, {alLeft, 129},
                 {alRight, 132}, {alClient, 136}, {alCustom, 0}};
    for (const Case& c : cases) {
        TAlignmentSet got = AlignToAlignment(c.align);
        uint32_t bits = 0;
        for (int i = 0; i < 8; ++i)
            if (got.Contains(TAlignments(i))) bits |= 1u << i;
        EXPECT_EQ(bits, c.bits) << "align " << int(c.align);
    }
}
