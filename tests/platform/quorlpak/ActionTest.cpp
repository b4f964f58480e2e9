// Actions: their own handlers first, then the focused control, then the
// standard edit actions working on a focused edit.
#include "QuorlpakTestSupport.h"

#include <quorlpak/ActnList.h>
#include <quorlpak/StdCtrls.h>

namespace {

// Takes every action offered to it.
class TActionTaker : public TTestControl {
public:
    using TTestControl::TTestControl;
    std::vector<TBasicAction*> Executed, Updated;

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CM_ACTIONEXECUTE || Message.Msg == CM_ACTIONUPDATE) {
            auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
            (Message.Msg == CM_ACTIONEXECUTE ? Executed : Updated).push_back(action);
            Message.Result = 1;
            return;
        }
        TTestControl::Dispatch(Message);
    }
};

class Actions : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        form = ShownForm(300, 150);
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 150, 24);
        edit->SetText(u"hello world");
        taker = new TActionTaker(form);
        taker->SetParent(form);
        taker->SetBounds(10, 50, 40, 30);
        Pump();
    }
    static UnicodeString ClipboardText() {
        UnicodeString text;
        if (!OpenClipboard(nullptr)) return text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const char16_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TActionTaker* taker = nullptr;
};

TEST_F(Actions, AHandlerOrTheFocusedControlTakesTheAction) {
    TAction own(nullptr);
    int handled = 0;
    own.OnExecute = [&](TObject*) { ++handled; };
    taker->SetFocus();
    EXPECT_TRUE(own.Execute());
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(taker->Executed.empty()) << "a handler of its own comes first";

    TEditCopy copy(nullptr);
    EXPECT_TRUE(copy.Execute());
    EXPECT_TRUE(copy.Update());
    EXPECT_EQ(taker->Executed, std::vector<TBasicAction*>{&copy});
    EXPECT_EQ(taker->Updated, std::vector<TBasicAction*>{&copy});

    copy.SetEnabled(false);
    EXPECT_FALSE(copy.Execute());
    EXPECT_EQ(taker->Executed.size(), 1u) << "a disabled action does nothing";
}

TEST_F(Actions, EditActionsWorkOnTheFocusedEdit) {
    edit->SetFocus();
    TEditSelectAll selectAll(nullptr);
    TEditCopy copy(nullptr);
    TEditCut cut(nullptr);
    TEditDelete erase(nullptr);
    EXPECT_TRUE(selectAll.Execute());
    EXPECT_EQ(edit->GetSelLength(), 11);
    EXPECT_TRUE(copy.Update());
    EXPECT_TRUE(copy.GetEnabled());
    EXPECT_TRUE(copy.Execute());
    EXPECT_EQ(ClipboardText(), u"hello world");

    edit->SetReadOnly(true);
    EXPECT_TRUE(cut.Update());
    EXPECT_FALSE(cut.GetEnabled()) << "nothing is cut from a read-only edit";
    edit->SetReadOnly(false);
    edit->SetSelStart(0);
    edit->SetSelLength(6);
    EXPECT_TRUE(erase.Execute());
    EXPECT_EQ(edit->GetText(), u"world");

    TEditCopy elsewhere(nullptr);
    elsewhere.SetControl(taker);
    EXPECT_FALSE(elsewhere.HandlesTarget(edit)) << "bound to another control";
}

} // namespace
