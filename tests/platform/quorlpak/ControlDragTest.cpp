// The framework's drag between controls: the drag starts past the
// threshold, targets hear enter, move, leave and drop through CM_DRAG, and
// the dragged control learns where it ended.
#include "QuorlpakTestSupport.h"

#include <quorlpak/DragObjects.h>

namespace {

// Takes drops while Accept is set and notes every drag message it gets.
class TDropControl : public TTestControl {
public:
    using TTestControl::TTestControl;
    bool Accept = true;
    std::vector<std::string> Heard;
    TControl* Dragged = nullptr; // the control the drag object stood for

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg != CM_DRAG) return TTestControl::Dispatch(Message);
        static const char* const names[] = {"enter", "leave", "move", "drop", "cancel", "find"};
        const auto* record = reinterpret_cast<const TDragRec*>(Message.LParam);
        if (Message.WParam != dmFindTarget) Heard.push_back(names[Message.WParam]);
        auto* object = dynamic_cast<TDragControlObject*>(record->Source);
        Dragged = object ? object->GetControl() : nullptr;
        Message.Result = Message.WParam == dmFindTarget ? 0 : Accept;
    }
};

class ControlDrag : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        form = ShownForm(300, 150);
        source = new TTestControl(form);
        source->SetBounds(10, 10, 80, 80);
        source->SetParent(form);
        target = new TDropControl(form);
        target->SetBounds(150, 10, 80, 80);
        target->SetParent(form);
        source->OnEndDrag = [this](TObject*, TObject* Target, int X, int Y) {
            ++ends;
            endTarget = Target;
            endPoint = TPoint{X, Y};
        };
        Pump();
    }
    void Press() {
        TestSeams::MouseDown(TestSeams::ClientPoint(source->GetHandle(), 20, 20));
        Pump();
    }
    static void MoveOver(TWinControl* Control, int X, int Y) {
        TestSeams::MouseMove(TestSeams::ClientPoint(Control->GetHandle(), X, Y));
    }
    TForm* form = nullptr;
    TTestControl* source = nullptr;
    TDropControl* target = nullptr;
    int ends = 0;
    TObject* endTarget = nullptr;
    TPoint endPoint{-1, -1};
};

TEST_F(ControlDrag, ADropLandsOnTheControlThatAcceptedIt) {
    Press();
    MoveOver(source, 22, 21); // inside the threshold: nothing starts yet
    MoveOver(target, 5, 5);
    MoveOver(target, 7, 9);
    TestSeams::MouseUp(TestSeams::ClientPoint(target->GetHandle(), 7, 9));
    source->BeginDrag(false);
    EXPECT_EQ(target->Heard, (std::vector<std::string>{"enter", "move", "drop"}));
    EXPECT_EQ(target->Dragged, source);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(endTarget, target);
    EXPECT_EQ(endPoint, TPoint(7, 9));
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ControlDrag, RefusedCancelledOrUnstartedDragsDropNothing) {
    const struct {
        const char* name;
        bool accept;
        bool escape;
        bool farEnough;
        std::vector<std::string> heard;
    } cases[] = {
        {"refused", false, false, true, {"enter", "move", "leave"}},
        {"escape", true, true, true, {"enter", "move", "leave"}},
        {"released inside the threshold", true, false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        target->Heard.clear();
        target->Accept = c.accept;
        ends = 0;
        Press();
        if (c.farEnough) {
            MoveOver(target, 5, 5);
            MoveOver(target, 6, 6);
        } else {
            MoveOver(source, 21, 22);
        }
        if (c.escape) TestSeams::KeyDown(VK_ESCAPE);
        TestSeams::MouseUp(TestSeams::ClientPoint(target->GetHandle(), 6, 6));
        source->BeginDrag(false);
        if (c.escape) TestSeams::KeyUp(VK_ESCAPE);
        Pump();
        EXPECT_EQ(target->Heard, c.heard);
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(endTarget, nullptr);
        EXPECT_FALSE(source->Dragging());
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

// Any control takes drops through OnDragOver and OnDragDrop; the dragged
// control stands as source unless the application made its own object.
TEST_F(ControlDrag, OnDragOverDecidesAndOnDragDropTakesTheDrop) {
    auto* plain = new TTestControl(form);
    plain->SetBounds(150, 95, 80, 50);
    plain->SetParent(form);
    Pump();
    std::vector<TDragState> states;
    std::vector<TObject*> sources;
    plain->OnDragOver = [&](TObject* Sender, TObject* Source, int, int, TDragState State,
                            bool& Accept) {
        EXPECT_EQ(Sender, plain);
        EXPECT_TRUE(Accept) << "a handler starts from yes";
        states.push_back(State);
        sources.push_back(Source);
    };
    TObject* dropped = nullptr;
    TPoint droppedAt{-1, -1};
    plain->OnDragDrop = [&](TObject*, TObject* Source, int X, int Y) {
        dropped = Source;
        droppedAt = TPoint{X, Y};
    };
    TDragObject own;
    const struct {
        const char* name;
        TDragObject* supplied;
        TObject* source;
    } cases[] = {{"the control", nullptr, source}, {"the application's object", &own, &own}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        states.clear();
        sources.clear();
        dropped = nullptr;
        source->OnStartDrag = [&](TObject*, TDragObject*& DragObject) { DragObject = c.supplied; };
        Press();
        MoveOver(plain, 5, 5);
        MoveOver(plain, 7, 9);
        TestSeams::MouseUp(TestSeams::ClientPoint(plain->GetHandle(), 7, 9));
        source->BeginDrag(false);
        Pump();
        EXPECT_EQ(states, (std::vector<TDragState>{dsDragEnter, dsDragMove}));
        EXPECT_EQ(sources, (std::vector<TObject*>{c.source, c.source}));
        EXPECT_EQ(dropped, c.source);
        EXPECT_EQ(droppedAt, TPoint(7, 9));
        EXPECT_EQ(endTarget, plain);
    }

    // Without OnDragOver nothing is taken: the mouse leaves it, no drop.
    plain->OnDragOver = nullptr;
    dropped = nullptr;
    Press();
    MoveOver(plain, 5, 5);
    MoveOver(plain, 6, 6);
    TestSeams::MouseUp(TestSeams::ClientPoint(plain->GetHandle(), 6, 6));
    source->BeginDrag(false);
    Pump();
    EXPECT_EQ(dropped, nullptr);
    EXPECT_EQ(endTarget, nullptr);
}

} // namespace
