// The explorer check list box: toggling by clicks and the space key (also
// mirrored right to left), states and user data kept with their items through
// deletes and a new window, index errors, and what is drawn and when.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDECheckLst.h"

#include <runpak/Exceptions.h>
#include <runpak/StringList.h>

namespace {

class CheckListBoxTest : public ControlsTest {
protected:
    TExplorerCheckListBox* MakeList() {
        auto* list = new TExplorerCheckListBox(Form);
        list->SetItemHeight(18);
        for (const char16_t* s : {u"Alpha", u"Beta", u"Gamma"})
            list->GetItems()->Add(s);
        Place(list, 200, 120);
        return list;
    }
    // A click inside an item, x pixels from its left edge.
    void ClickItem(TExplorerCheckListBox* List, int Index, int X) {
        const TRect r = List->ItemRect(Index);
        ClickAt(List, r.left + X, r.top + 5);
    }
};

TEST_F(CheckListBoxTest, ClicksOnTheCheckCycleTheStates) {
    TExplorerCheckListBox* list = MakeList();
    list->SetAllowGrayed(true);
    std::vector<int> clicked;
    list->OnClickCheck = [&](TObject*, int Index) { clicked.push_back(Index); };
    const TCheckBoxState cycle[] = {cbGrayed, cbChecked, cbUnchecked};
    for (TCheckBoxState expected : cycle) {
        ClickItem(list, 1, 4);
        EXPECT_EQ(list->GetState(1), expected);
    }
    EXPECT_EQ(clicked, (std::vector<int>{1, 1, 1}));
    ClickItem(list, 1, list->GetCheckWidth() + 20); // on the text: selects only
    EXPECT_EQ(list->GetState(1), cbUnchecked);
    EXPECT_EQ(list->GetItemIndex(), 1);

    list->SetAllowGrayed(false);
    TestSeams::TypeText(u" ");
    Pump();
    EXPECT_TRUE(list->GetChecked(1));
    EXPECT_EQ(SendMessageW(list->GetHandle(), BM_GETCHECK, 1, 0), cbChecked);
    EXPECT_EQ(list->ReadCheckState(0), cbUnchecked);
}

TEST_F(CheckListBoxTest, RightToLeftMirrorsTheClickArea) {
    TExplorerCheckListBox* list = MakeList();
    list->SetBiDiMode(bdRightToLeft);
    Pump();
    const TRect r = list->ItemRect(0);
    ClickItem(list, 0, 4); // where the text lies now
    EXPECT_EQ(list->GetState(0), cbUnchecked);
    ClickItem(list, 0, r.Width() - 4);
    EXPECT_EQ(list->GetState(0), cbChecked);
}

TEST_F(CheckListBoxTest, StatesAndDataStayWithTheirItems) {
    TExplorerCheckListBox* list = MakeList();
    TObject a, b;
    list->GetItems()->PutObject(0, &a);
    list->SetItemData(2, &b);
    list->SetState(1, cbGrayed);
    list->SetChecked(2, true);
    list->GetItems()->AddObject(u"Delta", &a);
    EXPECT_EQ(list->GetItems()->GetObjects(3), &a);
    EXPECT_FALSE(list->GetChecked(3));

    list->SetBiDiMode(bdRightToLeft);
    list->RecreateWnd();
    Pump();
    EXPECT_EQ(list->GetItemData(0), &a);
    EXPECT_EQ(list->GetItemData(2), &b);
    EXPECT_EQ(list->GetState(1), cbGrayed);
    EXPECT_TRUE(list->GetChecked(2));

    list->GetItems()->Delete(0);
    EXPECT_EQ(list->GetState(0), cbGrayed);
    EXPECT_EQ(list->GetItemData(1), &b);
    list->GetItems()->Move(1, 0); // moving keeps data and state together
    EXPECT_EQ(list->GetItemData(0), &b);
    EXPECT_TRUE(list->GetChecked(0));
    EXPECT_EQ(list->GetState(1), cbGrayed);

    // An index without an item is the item list's index error.
    for (int bad : {7, -1}) {
        try {
            list->SetState(bad, cbChecked);
            ADD_FAILURE() << bad;
        } catch (const Exception& e) {
            EXPECT_EQ(e.GetMessage().substr(0, 24), u"List index out of bounds") << bad;
        }
        EXPECT_THROW(list->GetChecked(bad), Exception);
    }
    list->GetItems()->Clear();
    EXPECT_EQ(list->GetItems()->GetCount(), 0);
}

TEST_F(CheckListBoxTest, OnlyAChangedCheckIsRedrawn) {
    TExplorerCheckListBox* list = MakeList();
    list->SetStyle(lbOwnerDrawFixed);
    Pump();
    int drawn = 0;
    list->OnDrawItem = [&](TWinControl*, int, const TRect&, TOwnerDrawState) { ++drawn; };
    list->SetState(0, cbUnchecked);
    list->SetChecked(0, false);
    EXPECT_EQ(drawn, 0);
    list->SetChecked(0, true);
    EXPECT_GE(drawn, 1);

    // The glyph: a checked item shows dark pixels of the mark in its check area.
    auto dark = [&](int index) {
        const TRect r = list->ItemRect(index);
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.left + list->GetCheckWidth(); ++x) {
                const COLORREF c = PixelOf(list, x, y);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) ++n;
            }
        return n;
    };
    EXPECT_GT(dark(0), 5);
    EXPECT_EQ(dark(1), 0);
}

TEST_F(CheckListBoxTest, HintNamesTheItemUnderThePointer) {
    TExplorerCheckListBox* list = MakeList();
    list->OnHint = [](TObject*, int, int, int Index, UnicodeString& Hint, TRect& Cursor) {
        Hint = u"item " + UnicodeString(1, char16_t(u'0' + Index));
        Cursor = TRect(1, 2, 3, 4);
    };
    const TRect r = list->ItemRect(2);
    THintInfo info;
    info.CursorPos = TPoint(r.left + 30, r.top + 3);
    list->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.HintStr, u"item 2");
    EXPECT_EQ(info.CursorRect, TRect(1, 2, 3, 4));
    info.HintStr = u"none";
    info.CursorPos = TPoint(5, 110); // below the items
    list->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.HintStr, u"none");
}

} // namespace
