// TListView: items and columns kept through a new window, selection events,
// in-place editing through OnEditing/OnEdited, sorting, owner data through
// OnData/OnDataFind/OnDataHint, and custom draw colours.
#include "QuorlpakTestSupport.h"

#include <quorlpak/ListView.h>
#include <runpak/StringList.h>
#include <win32/TestSeams.h>
#include <win32/commctrl.h>

#include <string>

using namespace ComCtrls;

namespace {

class ListViewTest : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        Form = ShownForm(400, 300);
    }
    TListView* MakeList(TViewStyle Style = vsReport) {
        auto* list = new TListView(Form);
        list->SetBounds(0, 0, 300, 200);
        list->SetViewStyle(Style);
        list->SetParent(Form);
        Pump();
        return list;
    }
    static TListItem* AddItem(TListView* list, const UnicodeString& caption,
                              std::initializer_list<const char16_t*> subs = {}) {
        TListItem* item = list->GetItems()->Add();
        item->SetCaption(caption);
        for (const char16_t* s : subs)
            item->GetSubItems()->Add(s);
        return item;
    }
    static UnicodeString WindowText(TListView* list, int index, int sub = 0) {
        char16_t buffer[64] = {};
        LVITEMW item{};
        item.iSubItem = sub;
        item.pszText = buffer;
        item.cchTextMax = 64;
        SendMessageW(list->GetHandle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    TForm* Form = nullptr;
};

TEST_F(ListViewTest, ItemsColumnsAndStatesSurviveANewWindow) {
    TListView* list = MakeList();
    TListColumn* name = list->GetColumns()->Add();
    name->SetCaption(u"Name");
    name->SetWidth(120);
    TListColumn* size = list->GetColumns()->Add();
    size->SetCaption(u"Size");
    size->SetAlignment(taRightJustify);
    AddItem(list, u"one", {u"1"});
    TListItem* two = AddItem(list, u"two", {u"2"});
    two->SetSelected(true);
    EXPECT_EQ(WindowText(list, 1), u"two");
    EXPECT_EQ(WindowText(list, 1, 1), u"2");
    two->GetSubItems()->SetStrings(0, u"22");
    EXPECT_EQ(WindowText(list, 1, 1), u"22");
    EXPECT_EQ(list->GetSelected(), two);

    list->SetMultiSelect(true); // a new window
    EXPECT_EQ(SendMessageW(list->GetHandle(), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(list->GetSelected(), two);
    EXPECT_EQ(WindowText(list, 0, 1), u"1");
    LVCOLUMNW c{};
    c.mask = LVCF_WIDTH | LVCF_FMT;
    SendMessageW(list->GetHandle(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&c));
    EXPECT_EQ(c.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    EXPECT_EQ(name->GetWidth(), 120);

    // Deleting tells OnDeletion once per item.
    int deleted = 0;
    list->OnDeletion = [&](TObject*, TListItem*) { ++deleted; };
    list->GetItems()->Delete(0);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(list->GetItems()->GetCount(), 1);
    list->Clear();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(SendMessageW(list->GetHandle(), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ListViewTest, ClicksSelectAndColumnClicksReachTheirEvents) {
    TListView* list = MakeList();
    list->GetColumns()->Add()->SetCaption(u"Name");
    list->GetColumns()->Add()->SetCaption(u"Size");
    for (const char16_t* c : {u"a", u"b", u"c"})
        AddItem(list, c);
    std::vector<std::pair<UnicodeString, bool>> selects;
    list->OnSelectItem = [&](TObject*, TListItem* Item, bool Selected) {
        selects.emplace_back(Item ? Item->GetCaption() : u"-", Selected);
    };
    TListColumn* clicked = nullptr;
    list->OnColumnClick = [&](TObject*, TListColumn* Column) { clicked = Column; };
    const TRect b = list->GetItems()->GetItem(1)->DisplayRect(drLabel);
    ClickAt(list, b.left + 2, b.top + 2);
    TestSeams::AdvanceClock(1000);
    const TRect c = list->GetItems()->GetItem(2)->DisplayRect(drLabel);
    ClickAt(list, c.left + 2, c.top + 2);
    EXPECT_EQ(selects, (std::vector<std::pair<UnicodeString, bool>>{
                           {u"b", true}, {u"b", false}, {u"c", true}}));
    EXPECT_EQ(list->GetItemIndex(), 2);
    EXPECT_EQ(list->GetItemAt(b.left + 2, b.top + 2), list->GetItems()->GetItem(1));

    HWND header = reinterpret_cast<HWND>(SendMessageW(list->GetHandle(), LVM_GETHEADER, 0, 0));
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    TestSeams::AdvanceClock(1000);
    TestSeams::Click(TestSeams::ClientPoint(header, (r.left + r.right) / 2, 5));
    Pump();
    EXPECT_EQ(clicked, list->Column(1));
}

TEST_F(ListViewTest, EditingAsksOnEditingAndOnEditedMayChangeTheText) {
    TListView* list = MakeList();
    list->GetColumns()->Add()->SetWidth(150);
    TListItem* item = AddItem(list, u"before");
    bool allow = false;
    list->OnEditing = [&](TObject*, TListItem*, bool& Allow) { Allow = Allow && allow; };
    list->OnEdited = [&](TObject*, TListItem*, UnicodeString& S) { S += u"!"; };
    EXPECT_FALSE(item->EditCaption());
    allow = true;
    ASSERT_TRUE(item->EditCaption());
    EXPECT_TRUE(list->IsEditing());
    TestSeams::TypeText(u"after");
    Pump();
    TestSeams::KeyPress(VK_RETURN);
    Pump();
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(item->GetCaption(), u"after!");
    EXPECT_EQ(WindowText(list, 0), u"after!");
    // Read-only lists do not edit.
    list->SetReadOnly(true);
    EXPECT_FALSE(item->EditCaption());
}

TEST_F(ListViewTest, SortingOrdersItemsInTheWindowToo) {
    TListView* list = MakeList();
    for (const char16_t* c : {u"pear", u"Apple", u"fig"})
        AddItem(list, c);
    list->GetItems()->GetItem(0)->SetSelected(true); // "pear"
    list->SetSortType(stText);
    EXPECT_EQ(list->GetItems()->GetItem(0)->GetCaption(), u"Apple");
    EXPECT_EQ(WindowText(list, 0), u"Apple");
    EXPECT_EQ(WindowText(list, 2), u"pear");
    EXPECT_EQ(list->GetSelected()->GetCaption(), u"pear");
    // A new caption sorts again.
    list->GetItems()->GetItem(0)->SetCaption(u"zucchini");
    EXPECT_EQ(WindowText(list, 2), u"zucchini");
    list->OnCompare = [](TObject*, TListItem* a, TListItem* b, int, int& Compare) {
        Compare =
            static_cast<int>(b->GetCaption().size()) - static_cast<int>(a->GetCaption().size());
    };
    list->AlphaSort();
    EXPECT_EQ(WindowText(list, 0), u"zucchini");
    EXPECT_EQ(WindowText(list, 2), u"fig");
}

TEST_F(ListViewTest, OwnerDataComesFromTheEvents) {
    TListView* list = new TListView(Form);
    list->SetOwnerData(true);
    list->SetViewStyle(vsReport);
    list->SetBounds(0, 0, 300, 200);
    list->GetColumns()->Add()->SetCaption(u"Name");
    list->GetColumns()->Add()->SetCaption(u"Square");
    int fetched = 0;
    list->OnData = [&](TObject*, TListItem* Item) {
        ++fetched;
        const int i = Item->GetIndex();
        Item->SetCaption(u"row " + Utf8ToUnicode(std::to_string(i)));
        Item->GetSubItems()->Add(Utf8ToUnicode(std::to_string(static_cast<long long>(i) * i)));
    };
    std::pair<int, int> hint{-1, -1};
    list->OnDataHint = [&](TObject*, int From, int To) { hint = {From, To}; };
    UnicodeString searched;
    int searchStart = -1;
    list->OnDataFind = [&](TObject*, TItemFind Find, const UnicodeString& S, const TPoint&, void*,
                           int Start, TSearchDirection, bool, int& Index) {
        EXPECT_EQ(Find, ifPartialString);
        searched = S;
        searchStart = Start;
        Index = 500;
    };
    list->GetItems()->SetCount(1000000);
    list->SetParent(Form);
    Pump();
    fetched = 0;
    list->Repaint();
    EXPECT_EQ(hint.first, 0);
    EXPECT_GT(hint.second, 3);
    EXPECT_LE(fetched, 2 * (hint.second + 1)); // one question per cell shown
    EXPECT_EQ(WindowText(list, 999999, 1), u"999998000001");
    EXPECT_EQ(list->GetItems()->GetItem(12)->GetCaption(), u"row 12");
    EXPECT_EQ(list->GetItems()->GetCount(), 1000000);
    TListItem* found = list->FindCaption(0, u"row 5", true, true, false);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetIndex(), 500);
    EXPECT_EQ(searched, u"row 5");
    EXPECT_EQ(searchStart, 0);
    list->SetItemIndex(7);
    EXPECT_EQ(list->GetItemIndex(), 7);
    EXPECT_EQ(list->GetSelected()->GetCaption(), u"row 7");
}

TEST_F(ListViewTest, CustomDrawItemColoursTheItem) {
    TListView* list = MakeList();
    list->GetColumns()->Add()->SetWidth(150);
    AddItem(list, u"plain");
    AddItem(list, u"red");
    list->OnCustomDrawItem = [](TCustomListView* Sender, TListItem* Item, TCustomDrawState, bool&) {
        if (Item->GetCaption() == u"red") Sender->GetCanvas()->GetBrush()->SetColor(clRed);
    };
    list->Invalidate();
    list->Update();
    const TRect red = list->GetItems()->GetItem(1)->DisplayRect(drLabel);
    const TRect plain = list->GetItems()->GetItem(0)->DisplayRect(drLabel);
    HDC dc = GetDC(list->GetHandle());
    EXPECT_EQ(GetPixel(dc, red.left + 1, red.top + 2), RGB(255, 0, 0));
    EXPECT_NE(GetPixel(dc, plain.left + 1, plain.top + 2), RGB(255, 0, 0));
    ReleaseDC(list->GetHandle(), dc);
}

} // namespace
