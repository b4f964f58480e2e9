// The column settings dialog, driven by synthetic input.
#include "benchkit/shell/IDEColumnForm.h"

#include <ApplicationTest.h>

#include <vector>

namespace {

class ColumnFormTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        InitializeIDEVirtualTrees();
        form_ = new TFormColumnSettings(Application);
        form_->AfterConstruction();
        form_->AddColumn(u"Name", true, 200, 0);
        form_->AddColumn(u"Size", true, 80, 1);
        form_->AddColumn(u"Type", false, 120, 2);
        form_->OnVETUpdate = [this](TObject*) { ++updates_; };
    }
    void TearDown() override {
        delete form_;
        ApplicationTest::TearDown();
        FinalizeIDEVirtualTrees();
    }
    PVirtualNode Node(int index) {
        PVirtualNode node = form_->QOZColumnNames->GetFirst();
        while (node && index-- > 0)
            node = form_->QOZColumnNames->GetNext(node);
        return node;
    }
    PColumnData Data(int index) { return form_->ColumnData(Node(index)); }
    std::vector<UnicodeString> Titles() {
        std::vector<UnicodeString> titles;
        for (PVirtualNode n = form_->QOZColumnNames->GetFirst(); n; n = form_->QOZColumnNames->GetNext(n))
            titles.push_back(form_->ColumnData(n)->GetTitle());
        return titles;
    }
    void Show() {
        form_->Show();
        Pump();
    }
    void Select(int index) {
        form_->QOZColumnNames->SetFocus();
        form_->QOZColumnNames->ClearSelection();
        form_->QOZColumnNames->SetFocusedNode(Node(index));
        form_->QOZColumnNames->SetSelected(Node(index), true);
        Pump();
    }
    void Type(const std::u16string& text) {
        TestSeams::TypeText(text);
        Pump();
    }
    TFormColumnSettings* form_ = nullptr;
    int updates_ = 0;
};

} // namespace

TEST_F(ColumnFormTest, DraggingMovesANodeAfterATargetBelowAndBeforeOneAbove) {
    struct Case {
        int from, onto;
        std::vector<UnicodeString> order;
    } cases[] = {
        {0, 2, {u"Size", u"Type", u"Name"}},
        {2, 0, {u"Name", u"Size", u"Type"}}, // back to where it started
        {1, 0, {u"Size", u"Name", u"Type"}},
    };
    TVirtualStringTree* tree = form_->QOZColumnNames;
    for (const Case& c : cases) {
        bool allowed = false;
        tree->OnDragAllowed(tree, Node(c.from), 0, allowed);
        EXPECT_TRUE(allowed);
        form_->DropDraggedNodeOn(Node(c.onto));
        EXPECT_EQ(Titles(), c.order) << c.from << " onto " << c.onto;
    }
}

TEST_F(ColumnFormTest, TheWidthBoxTakesDigitsOnlyAndEnterStoresIntoTheSelectedColumn) {
    Show();
    Select(1);
    EXPECT_EQ(form_->EditPixelWidth->GetText(), u"80") << "the focused column's width is shown";
    form_->EditPixelWidth->SetFocus();
    form_->EditPixelWidth->SetText(u"");
    Type(u"1a2");
    EXPECT_EQ(form_->EditPixelWidth->GetText(), u"12") << "a letter is refused";
    Type(u"\r");
    // The record is packed: its fields are read by value, never bound to a reference.
    EXPECT_EQ(int32_t{Data(1)->Width}, 12);
    EXPECT_EQ(updates_, 0) << "no live update unless asked for";

    form_->CheckBoxLiveUpdate->SetChecked(true);
    updates_ = 0;
    Type(u"5\r");
    EXPECT_EQ(int32_t{Data(1)->Width}, 125);
    EXPECT_EQ(updates_, 1);
}

TEST_F(ColumnFormTest, AnEmptyOrNonNumericWidthKeepsThePreviousOne) {
    Show();
    Select(0);
    struct Case {
        UnicodeString text;
        int width;
    } cases[] = {{u"", 200}, {u"12x", 200}, {u"99999999999", 200}, {u"64", 64}};
    for (const Case& c : cases) {
        form_->EditPixelWidth->SetText(c.text); // as pasted, past the key filter
        form_->EditPixelWidthExit(form_->EditPixelWidth);
        EXPECT_EQ(int32_t{Data(0)->Width}, c.width) << UnicodeToUtf8(c.text);
    }
}

TEST_F(ColumnFormTest, WithNoNodeSelectedLeavingTheBoxChangesNothing) {
    Show();
    form_->CheckBoxLiveUpdate->SetChecked(true);
    updates_ = 0;
    form_->EditPixelWidth->SetText(u"33");
    form_->EditPixelWidthExit(form_->EditPixelWidth);
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(int32_t{Data(i)->Width}, 33);
    EXPECT_EQ(updates_, 0);
}

TEST_F(ColumnFormTest, MovingTheFocusStoresTheTypedWidthIntoTheColumnLeft) {
    Show();
    Select(0);
    form_->EditPixelWidth->SetText(u"150");
    Select(2);
    EXPECT_EQ(int32_t{Data(0)->Width}, 150);
    EXPECT_EQ(form_->EditPixelWidth->GetText(), u"120");
}

TEST_F(ColumnFormTest, EnterOnTheFormMeansOkUnlessTheWidthBoxHasTheFocus) {
    Show();
    Select(0);
    TestSeams::KeyPress(VK_RETURN);
    Pump();
    EXPECT_EQ(form_->GetModalResult(), mrOk);

    form_->SetModalResult(mrNone);
    form_->EditPixelWidth->SetFocus();
    Pump();
    TestSeams::KeyPress(VK_RETURN);
    Pump();
    EXPECT_EQ(form_->GetModalResult(), mrNone) << "Enter in the box stores the width instead";
}

TEST_F(ColumnFormTest, ChecksSetVisibilityAndLiveUpdatesOnlyWhenAskedFor) {
    struct Case {
        bool live;
        int updates;
    } cases[] = {{false, 0}, {true, 1}};
    for (const Case& c : cases) {
        form_->CheckBoxLiveUpdate->SetChecked(c.live);
        updates_ = 0;
        const bool wasEnabled = Data(2)->Enabled;
        // The user acts once the dialog is up; one that never closes fails
        // instead of hanging.
        int idles = 0;
        Application->OnIdle = [&](TObject*, bool& done) {
            TestSeams::AdvanceClock(50);
            ++idles;
            if (idles == 1) {
                Select(2);
                TestSeams::KeyPress(VK_SPACE); // toggles the focused node's check box
            } else if (idles == 2) {
                TestSeams::Click(TestSeams::ClientPoint(form_->ButtonOk->GetHandle(), 5, 5));
            } else if (idles == 200) {
                PostMessageW(form_->GetHandle(), WM_CLOSE, 0, 0);
            }
            done = false;
        };
        EXPECT_EQ(form_->ShowModal(), mrOk);
        Application->OnIdle = nullptr;
        EXPECT_EQ(Data(2)->Enabled, !wasEnabled);
        EXPECT_EQ(updates_, c.updates) << c.live;
    }
}
