// The list view window class through its messages: items and sub-items,
// selection and focus with their notifications in order, keys, label
// editing, drags, sorting, hit tests in every view, owner data (what is
// fetched, cache hints, finds, range selection) and report painting.
#include "ControlTestSupport.h"

#include <win32/commctrl.h>
#include <win32/readback.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

// One WM_NOTIFY from the list view, with the fields the tests look at.
struct Note {
    UINT code;
    int item = -1;
    int sub = 0;
    UINT newState = 0;
    UINT oldState = 0;
    std::u16string text;
    bool nullText = false;
    DWORD stage = 0;
    int from = 0, to = 0;
    bool operator==(const Note&) const = default;
};

std::string CodeName(UINT code) {
    switch (code) {
    case LVN_ITEMCHANGING:
        return "CHANGING";
    case LVN_ITEMCHANGED:
        return "CHANGED";
    case NM_CLICK:
        return "CLICK";
    case NM_DBLCLK:
        return "DBLCLK";
    case NM_RCLICK:
        return "RCLICK";
    case LVN_BEGINDRAG:
        return "BEGINDRAG";
    case LVN_KEYDOWN:
        return "KEYDOWN";
    case LVN_ODSTATECHANGED:
        return "ODSTATECHANGED";
    case LVN_ODCACHEHINT:
        return "CACHEHINT";
    case LVN_ODFINDITEMW:
        return "FIND";
    case LVN_GETDISPINFOW:
        return "DISPINFO";
    case LVN_BEGINLABELEDITW:
        return "BEGINEDIT";
    case LVN_ENDLABELEDITW:
        return "ENDEDIT";
    case LVN_DELETEITEM:
        return "DELETE";
    case LVN_DELETEALLITEMS:
        return "DELETEALL";
    case LVN_INSERTITEM:
        return "INSERT";
    case LVN_COLUMNCLICK:
        return "COLUMNCLICK";
    case NM_CUSTOMDRAW:
        return "CUSTOMDRAW";
    case NM_SETFOCUS:
        return "SETFOCUS";
    case NM_KILLFOCUS:
        return "KILLFOCUS";
    case LVN_ITEMACTIVATE:
        return "ACTIVATE";
    case NM_RETURN:
        return "RETURN";
    }
    return std::to_string(static_cast<int>(code));
}

class ControlListViewTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        Hook() = [this](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
            if (hwnd != parent || msg != WM_NOTIFY) return false;
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if (hdr->hwndFrom != list) return false;
            result = OnNotify(hdr);
            return true;
        };
    }

    // The layer remembers the last click for double clicks: let it age before
    // the next test clicks in the same place.
    void TearDown() override {
        TestSeams::AdvanceClock(10000);
        ControlTest::TearDown();
    }

    HWND MakeList(DWORD style, int cx = 300, int cy = 200) {
        list = Make(WC_LISTVIEW, u"", style | WS_BORDER, 10, 10, cx, cy);
        return list;
    }

    LRESULT OnNotify(NMHDR* hdr) {
        Note n{hdr->code};
        LRESULT answer = 0;
        switch (hdr->code) {
        case LVN_ITEMCHANGING:
        case LVN_ITEMCHANGED:
        case LVN_BEGINDRAG:
        case LVN_DELETEITEM:
        case LVN_DELETEALLITEMS:
        case LVN_INSERTITEM:
        case LVN_COLUMNCLICK: {
            auto* lv = reinterpret_cast<NMLISTVIEW*>(hdr);
            n.item = lv->iItem;
            n.sub = lv->iSubItem;
            n.newState = lv->uNewState;
            n.oldState = lv->uOldState;
            if (hdr->code == LVN_ITEMCHANGING && refuseChangeOf == lv->iItem) answer = TRUE;
            if (hdr->code == LVN_DELETEALLITEMS) answer = quietDeleteAll;
            break;
        }
        case NM_CLICK:
        case NM_DBLCLK:
        case NM_RCLICK:
            n.item = reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem;
            answer = hdr->code == NM_RCLICK; // no context menu in these tests
            break;
        case LVN_ODSTATECHANGED: {
            auto* od = reinterpret_cast<NMLVODSTATECHANGE*>(hdr);
            n.from = od->iFrom;
            n.to = od->iTo;
            n.newState = od->uNewState;
            break;
        }
        case LVN_ODCACHEHINT: {
            auto* hint = reinterpret_cast<NMLVCACHEHINT*>(hdr);
            n.from = hint->iFrom;
            n.to = hint->iTo;
            break;
        }
        case LVN_ODFINDITEMW: {
            auto* find = reinterpret_cast<NMLVFINDITEMW*>(hdr);
            n.from = find->iStart;
            n.newState = find->lvfi.flags;
            n.text = find->lvfi.psz ? find->lvfi.psz : u"";
            answer = findAnswer;
            break;
        }
        case LVN_GETDISPINFOW: {
            auto* di = reinterpret_cast<NMLVDISPINFOW*>(hdr);
            n.item = di->item.iItem;
            n.sub = di->item.iSubItem;
            if (di->item.mask & LVIF_TEXT) {
                std::u16string text = u"Item " + Digits(di->item.iItem);
                if (di->item.iSubItem) text += u"." + Digits(di->item.iSubItem);
                const size_t len = std::min<size_t>(text.size(), di->item.cchTextMax - 1);
                std::copy_n(text.begin(), len, di->item.pszText);
                di->item.pszText[len] = 0;
            }
            if (di->item.mask & LVIF_IMAGE) di->item.iImage = 0;
            break;
        }
        case LVN_BEGINLABELEDITW:
        case LVN_ENDLABELEDITW: {
            auto* di = reinterpret_cast<NMLVDISPINFOW*>(hdr);
            n.item = di->item.iItem;
            n.nullText = di->item.pszText == nullptr;
            if (di->item.pszText) n.text = di->item.pszText;
            answer = hdr->code == LVN_BEGINLABELEDITW ? refuseEdit : acceptEdit;
            break;
        }
        case NM_CUSTOMDRAW: {
            auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
            n.stage = cd->nmcd.dwDrawStage;
            n.item = static_cast<int>(cd->nmcd.dwItemSpec);
            n.sub = cd->iSubItem;
            if (customDraw) answer = customDraw(*cd);
            break;
        }
        }
        notes.push_back(n);
        return answer;
    }

    static std::u16string Digits(int v) {
        std::u16string s;
        for (char c : std::to_string(v))
            s += static_cast<char16_t>(c);
        return s;
    }

    // Notes of the given codes, as "CODE item" strings, for readable comparisons.
    std::vector<std::string> Seen(std::initializer_list<UINT> codes) const {
        std::vector<std::string> out;
        for (const Note& n : notes) {
            if (std::find(codes.begin(), codes.end(), n.code) == codes.end()) continue;
            std::string s = CodeName(n.code) + " " + std::to_string(n.item);
            if (n.code == LVN_ITEMCHANGING || n.code == LVN_ITEMCHANGED)
                s += " " + std::to_string(n.oldState) + ">" + std::to_string(n.newState);
            out.push_back(s);
        }
        return out;
    }
    const Note& Find(UINT code) const {
        static const Note none{0};
        auto it =
            std::find_if(notes.begin(), notes.end(), [&](const Note& n) { return n.code == code; });
        return it == notes.end() ? none : *it;
    }
    // The first hint comes before the first fetch.
    void ExpectHintFirst() const {
        auto hint = std::find_if(notes.begin(), notes.end(),
                                 [](const Note& n) { return n.code == LVN_ODCACHEHINT; });
        auto fetch = std::find_if(notes.begin(), notes.end(),
                                  [](const Note& n) { return n.code == LVN_GETDISPINFOW; });
        EXPECT_NE(hint, notes.end());
        EXPECT_LT(hint - notes.begin(), fetch - notes.begin());
    }
    int CountOf(UINT code) const {
        return static_cast<int>(std::count_if(notes.begin(), notes.end(),
                                              [&](const Note& n) { return n.code == code; }));
    }

    int Insert(int at, const char16_t* text, LPARAM param = 0) {
        std::u16string copy(text);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = at;
        item.pszText = copy.data();
        item.lParam = param;
        return static_cast<int>(Send(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void SetSub(int at, int sub, const char16_t* text) {
        std::u16string copy(text);
        LVITEMW item{};
        item.iSubItem = sub;
        item.pszText = copy.data();
        Send(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
    }
    std::u16string ItemText(int at, int sub = 0) {
        char16_t buffer[128] = {};
        LVITEMW item{};
        item.iSubItem = sub;
        item.pszText = buffer;
        item.cchTextMax = 128;
        Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    void AddColumn(int at, const char16_t* text, int width, int fmt = LVCFMT_LEFT) {
        std::u16string copy(text);
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.pszText = copy.data();
        c.cx = width;
        c.fmt = fmt;
        Send(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&c));
    }
    UINT State(int at) {
        return static_cast<UINT>(
            Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(at), LVIS_SELECTED | LVIS_FOCUSED));
    }
    RECT ItemRect(int at, int code = LVIR_LABEL) {
        RECT r{code, 0, 0, 0};
        Send(list, LVM_GETITEMRECT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    void ClickItem(int at) {
        const RECT r = ItemRect(at);
        Click(list, r.left + 3, (r.top + r.bottom) / 2);
        TestSeams::AdvanceClock(1000); // the next click is no double click
        Pump();
    }
    // A click with a modifier held; the release is pumped, so that the thread's
    // key state has it before the next test.
    void ClickWith(int vk, int at) {
        TestSeams::KeyDown(vk);
        ClickItem(at);
        TestSeams::KeyUp(vk);
        Pump();
    }
    std::vector<int> Selected() {
        std::vector<int> out;
        for (int i = static_cast<int>(
                 Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
             i >= 0; i = static_cast<int>(
                         Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED)))
            out.push_back(i);
        return out;
    }
    int Focused() {
        return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    }

    HWND list = nullptr;
    std::vector<Note> notes;
    int refuseChangeOf = -2;
    LRESULT quietDeleteAll = FALSE;
    LRESULT findAnswer = -1;
    LRESULT refuseEdit = FALSE;
    LRESULT acceptEdit = TRUE;
    std::function<LRESULT(NMLVCUSTOMDRAW&)> customDraw;
};

TEST_F(ControlListViewTest, ItemsSubItemsAndColumnsKeepTheirTexts) {
    MakeList(LVS_REPORT);
    AddColumn(0, u"Name", 100);
    AddColumn(1, u"Size", 60, LVCFMT_RIGHT);
    AddColumn(2, u"Type", 60);
    EXPECT_EQ(Insert(0, u"beta"), 0);
    EXPECT_EQ(Insert(0, u"alpha"), 0);
    EXPECT_EQ(Insert(7, u"gamma"), 2); // past the end: appended
    SetSub(1, 1, u"10");
    SetSub(1, 2, u"text");
    EXPECT_EQ(Send(list, LVM_GETITEMCOUNT), 3);
    EXPECT_EQ(ItemText(1), u"beta");
    EXPECT_EQ(ItemText(1, 1), u"10");
    EXPECT_EQ(ItemText(1, 2), u"text");
    EXPECT_EQ(ItemText(0, 2), u"");
    // A deleted column takes its sub-item along: "Type" moves into its place.
    EXPECT_TRUE(Send(list, LVM_DELETECOLUMN, 1));
    EXPECT_EQ(ItemText(1, 1), u"text");
    LVCOLUMNW c{};
    char16_t buffer[32] = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = buffer;
    c.cchTextMax = 32;
    EXPECT_TRUE(Send(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&c)));
    EXPECT_EQ(std::u16string(buffer), u"Type");
    EXPECT_EQ(c.cx, 60);
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
    EXPECT_EQ(Send(header, HDM_GETITEMCOUNT), 2);
    // Deleting an item tells the owner first.
    notes.clear();
    EXPECT_TRUE(Send(list, LVM_DELETEITEM, 0));
    EXPECT_EQ(Seen({LVN_DELETEITEM}), std::vector<std::string>{"DELETE 0"});
    EXPECT_EQ(ItemText(0), u"beta");
    EXPECT_FALSE(Send(list, LVM_DELETEITEM, 5));
}

TEST_F(ControlListViewTest, SortedStylesInsertInPlaceAndSortItemsKeepsTheFocus) {
    MakeList(LVS_REPORT | LVS_SORTASCENDING);
    for (const char16_t* t : {u"pear", u"Apple", u"fig"})
        Insert(0, t);
    EXPECT_EQ(ItemText(0), u"Apple");
    EXPECT_EQ(ItemText(1), u"fig");
    EXPECT_EQ(ItemText(2), u"pear");
    DestroyWindow(list);

    MakeList(LVS_REPORT);
    for (int i = 0; i < 4; ++i)
        Insert(i, (u"n" + Digits(i)).c_str(), i);
    LVITEMW state{};
    state.state = state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    Send(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    auto descending = [](LPARAM a, LPARAM b, LPARAM) -> int { return static_cast<int>(b - a); };
    EXPECT_TRUE(Send(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(+descending)));
    EXPECT_EQ(ItemText(0), u"n3");
    EXPECT_EQ(ItemText(3), u"n0");
    EXPECT_EQ(Focused(), 2); // "n1" moved, its focus with it
    EXPECT_EQ(Selected(), std::vector<int>{2});
}

TEST_F(ControlListViewTest, ClicksChangeSelectionWithNotificationsInOrder) {
    MakeList(LVS_REPORT);
    AddColumn(0, u"Name", 150);
    for (int i = 0; i < 5; ++i)
        Insert(i, (u"item" + Digits(i)).c_str());
    ClickItem(1);
    notes.clear();
    ClickItem(3);
    // The old selection goes, then the new item changes; its focus takes the old
    // item's focus away between the two notices.
    EXPECT_EQ(
        Seen({LVN_ITEMCHANGING, LVN_ITEMCHANGED, NM_CLICK}),
        (std::vector<std::string>{"CHANGING 1 3>1", "CHANGED 1 3>1", "CHANGING 3 0>3",
                                  "CHANGING 1 1>0", "CHANGED 1 1>0", "CHANGED 3 0>3", "CLICK 3"}));
    // Shift extends from the selection mark, Ctrl toggles one item.
    ClickWith(VK_SHIFT, 1);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Focused(), 1);
    ClickWith(VK_CONTROL, 2);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3}));
    EXPECT_EQ(Send(list, LVM_GETSELECTEDCOUNT), 2);
    // A refused change leaves the item as it was.
    refuseChangeOf = 4;
    ClickItem(4);
    EXPECT_EQ(State(4), 0u);
    // A click on nothing clears the selection.
    refuseChangeOf = -2;
    RECT client;
    GetClientRect(list, &client);
    Click(list, client.right - 5, client.bottom - 5);
    EXPECT_TRUE(Selected().empty());
}

TEST_F(ControlListViewTest, KeysMoveFocusAndSelection) {
    MakeList(LVS_REPORT, 300, 120);
    AddColumn(0, u"Name", 150);
    for (int i = 0; i < 30; ++i)
        Insert(i, (u"row" + Digits(i)).c_str());
    SetFocus(list);
    ClickItem(0);
    struct Step {
        int modifier;
        int vk;
        int focused;
        std::vector<int> selected;
    } steps[] = {
        {0, VK_DOWN, 1, {1}},
        {VK_SHIFT, VK_DOWN, 2, {1, 2}},
        {VK_CONTROL, VK_DOWN, 3, {1, 2}}, // focus alone
        {0, VK_END, 29, {29}},
        {0, VK_DOWN, 29, {29}}, // stays at the end
        {0, VK_HOME, 0, {0}},
        {0, VK_UP, 0, {0}},
    };
    for (const Step& s : steps) {
        if (s.modifier)
            Chord(s.modifier, s.vk);
        else
            Press(s.vk);
        EXPECT_EQ(Focused(), s.focused) << s.vk;
        EXPECT_EQ(Selected(), s.selected) << s.vk;
    }
    // End scrolled the last row into view; Home back to the top.
    Press(VK_END);
    const int top = static_cast<int>(Send(list, LVM_GETTOPINDEX));
    EXPECT_GT(top, 0);
    EXPECT_EQ(top + Send(list, LVM_GETCOUNTPERPAGE) - 1, 29);
    // Typing finds by prefix, wrapping past the end.
    Type(u"row1");
    EXPECT_EQ(Focused(), 1);
    TestSeams::AdvanceClock(2000);
    Type(u"r");
    EXPECT_EQ(Focused(), 2);
    EXPECT_GT(CountOf(LVN_KEYDOWN), 0);
}

TEST_F(ControlListViewTest, LabelEditingAsksTheOwnerAtStartAndEnd) {
    MakeList(LVS_REPORT | LVS_EDITLABELS);
    AddColumn(0, u"Name", 150);
    Insert(0, u"old");
    Insert(1, u"other");
    struct Case {
        LRESULT refuse;
        LRESULT accept;
        int key;
        const char16_t* expectText;
        bool expectNull;
        const char16_t* after;
    } cases[] = {
        {FALSE, TRUE, VK_RETURN, u"new", false, u"new"},
        {FALSE, FALSE, VK_RETURN, u"new", false, u"old"}, // the owner keeps the old text
        {FALSE, TRUE, VK_ESCAPE, u"", true, u"old"},      // cancelled: no text
    };
    for (const Case& c : cases) {
        LVITEMW reset{};
        std::u16string old = u"old";
        reset.pszText = old.data();
        Send(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&reset));
        refuseEdit = c.refuse;
        acceptEdit = c.accept;
        notes.clear();
        HWND edit = reinterpret_cast<HWND>(Send(list, LVM_EDITLABELW, 0));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(reinterpret_cast<HWND>(Send(list, LVM_GETEDITCONTROL)), edit);
        EXPECT_EQ(Text(edit), u"old");
        EXPECT_EQ(GetFocus(), edit);
        Type(u"new");
        Press(c.key);
        ASSERT_EQ(CountOf(LVN_ENDLABELEDITW), 1);
        const Note& end = Find(LVN_ENDLABELEDITW);
        EXPECT_EQ(end.nullText, c.expectNull);
        if (!c.expectNull) EXPECT_EQ(end.text, c.expectText);
        EXPECT_FALSE(IsWindow(edit));
        EXPECT_EQ(GetFocus(), list);
        EXPECT_EQ(ItemText(0), c.after);
    }
    // A refusal at the start leaves no edit control.
    refuseEdit = TRUE;
    EXPECT_EQ(reinterpret_cast<HWND>(Send(list, LVM_EDITLABELW, 0)), nullptr);
    EXPECT_EQ(Send(list, LVM_GETEDITCONTROL), 0);
    // A second click on the focused, selected item's label edits it after the
    // double-click time.
    refuseEdit = FALSE;
    SetFocus(list);
    ClickItem(1);
    notes.clear();
    const RECT r = ItemRect(1);
    Click(list, r.left + 3, (r.top + r.bottom) / 2);
    EXPECT_EQ(CountOf(LVN_BEGINLABELEDITW), 0);
    TestSeams::AdvanceClock(GetDoubleClickTime() + 10);
    Pump();
    EXPECT_EQ(CountOf(LVN_BEGINLABELEDITW), 1);
    EXPECT_NE(Send(list, LVM_GETEDITCONTROL), 0);
    Press(VK_ESCAPE);
}

TEST_F(ControlListViewTest, PressAndMoveStartsADragInsteadOfAClick) {
    MakeList(LVS_REPORT);
    AddColumn(0, u"Name", 150);
    Insert(0, u"drag me");
    Insert(1, u"stay");
    const RECT r = ItemRect(0);
    const POINT start = TestSeams::ClientPoint(list, r.left + 3, (r.top + r.bottom) / 2);
    TestSeams::MouseDown(start);
    Pump();
    TestSeams::MouseMove(POINT{start.x + 20, start.y + 20});
    Pump();
    TestSeams::MouseUp(POINT{start.x + 20, start.y + 20});
    Pump();
    EXPECT_EQ(Seen({LVN_BEGINDRAG, NM_CLICK}), std::vector<std::string>{"BEGINDRAG 0"});
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ControlListViewTest, DeleteAllTellsTheOwnerPerItemUnlessItDeclines) {
    MakeList(LVS_REPORT);
    for (LRESULT quiet : {FALSE, TRUE}) {
        for (int i = 0; i < 3; ++i)
            Insert(i, u"x");
        quietDeleteAll = quiet;
        notes.clear();
        EXPECT_TRUE(Send(list, LVM_DELETEALLITEMS));
        EXPECT_EQ(CountOf(LVN_DELETEALLITEMS), 1);
        EXPECT_EQ(CountOf(LVN_DELETEITEM), quiet ? 0 : 3);
        EXPECT_EQ(Send(list, LVM_GETITEMCOUNT), 0);
    }
}

TEST_F(ControlListViewTest, HitTestsFindEveryItemInEveryView) {
    HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    HIMAGELIST large = ImageList_Create(32, 32, ILC_COLOR32, 1, 1);
    for (DWORD view : {LVS_REPORT, LVS_LIST, LVS_SMALLICON, LVS_ICON}) {
        MakeList(view | LVS_SHAREIMAGELISTS, 390, 200);
        Send(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
        Send(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
        AddColumn(0, u"Name", 120);
        for (int i = 0; i < 12; ++i)
            Insert(i, (u"entry" + Digits(i)).c_str());
        int first = -1, last = -1;
        for (int i = 0; i < 12; ++i) {
            const RECT icon = ItemRect(i, LVIR_ICON);
            const RECT label = ItemRect(i, LVIR_LABEL);
            RECT client;
            GetClientRect(list, &client);
            if (label.bottom > client.bottom || label.right > client.right) continue; // off screen
            if (first < 0) first = i;
            last = i;
            for (auto [pt, flag] :
                 {std::pair{POINT{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2},
                            LVHT_ONITEMICON},
                  std::pair{POINT{label.left + 2, (label.top + label.bottom) / 2},
                            LVHT_ONITEMLABEL}}) {
                LVHITTESTINFO hit{};
                hit.pt = pt;
                EXPECT_EQ(Send(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), i)
                    << "view " << view << " item " << i;
                EXPECT_EQ(hit.flags, flag) << "view " << view << " item " << i;
            }
        }
        EXPECT_EQ(first, 0) << view;
        EXPECT_GT(last, 2) << view;
        // Neighbours differ by view: down is the next item in a list, the next row in icons.
        const int below = static_cast<int>(Send(list, LVM_GETNEXTITEM, 0, LVNI_BELOW));
        if (view == LVS_REPORT || view == LVS_LIST)
            EXPECT_EQ(below, 1) << view;
        else
            EXPECT_GT(below, 1) << view;
        DestroyWindow(list);
    }
    ImageList_Destroy(small);
    ImageList_Destroy(large);
}

TEST_F(ControlListViewTest, OwnerDataAsksOnlyForWhatTheWindowShows) {
    MakeList(LVS_REPORT | LVS_OWNERDATA, 300, 200);
    AddColumn(0, u"Name", 120);
    AddColumn(1, u"Detail", 120);
    EXPECT_TRUE(Send(list, LVM_SETITEMCOUNT, 1000000, 0));
    EXPECT_EQ(Send(list, LVM_GETITEMCOUNT), 1000000);
    notes.clear();
    UpdateWindow(list);
    const int perPage = static_cast<int>(Send(list, LVM_GETCOUNTPERPAGE));
    ASSERT_GT(perPage, 3);
    // The hint comes first, and names the visible rows.
    ExpectHintFirst();
    EXPECT_EQ(Find(LVN_ODCACHEHINT).from, 0);
    EXPECT_GE(Find(LVN_ODCACHEHINT).to, perPage - 1);
    EXPECT_LE(Find(LVN_ODCACHEHINT).to, perPage);
    const int fetches = CountOf(LVN_GETDISPINFOW);
    EXPECT_GE(fetches, 2 * perPage);
    EXPECT_LE(fetches, 2 * (perPage + 1));
    EXPECT_EQ(ItemText(123456, 1), u"Item 123456.1");
    // Scrolling to the middle hints the new range.
    notes.clear();
    Send(list, LVM_ENSUREVISIBLE, 500000, FALSE);
    UpdateWindow(list);
    ExpectHintFirst();
    EXPECT_LE(Find(LVN_ODCACHEHINT).from, 500000);
    EXPECT_GE(Find(LVN_ODCACHEHINT).to, 500000);
    for (const Note& n : notes)
        if (n.code == LVN_GETDISPINFOW) EXPECT_NEAR(n.item, 500000, perPage + 1);
}

TEST_F(ControlListViewTest, OwnerDataFindsThroughTheOwnerAndKeepsSelectionAsRanges) {
    MakeList(LVS_REPORT | LVS_OWNERDATA, 300, 200);
    AddColumn(0, u"Name", 120);
    Send(list, LVM_SETITEMCOUNT, 1000000, 0);
    // LVM_FINDITEM is the owner's question.
    findAnswer = 77;
    LVFINDINFOW find{};
    find.flags = LVFI_STRING | LVFI_PARTIAL;
    find.psz = u"Item 77";
    notes.clear();
    EXPECT_EQ(Send(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)),
              77);
    ASSERT_EQ(CountOf(LVN_ODFINDITEMW), 1);
    EXPECT_EQ(notes.back().from, 0);
    EXPECT_EQ(notes.back().text, u"Item 77");
    // An answer past the count is no item.
    findAnswer = 2000000;
    EXPECT_EQ(Send(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)),
              -1);
    // Typed text asks the owner for a partial, wrapping find from after the focus.
    SetFocus(list);
    ClickItem(2);
    findAnswer = 40;
    notes.clear();
    Type(u"i");
    ASSERT_EQ(CountOf(LVN_ODFINDITEMW), 1);
    const Note& typed = *std::find_if(notes.begin(), notes.end(),
                                      [](const Note& n) { return n.code == LVN_ODFINDITEMW; });
    EXPECT_EQ(typed.from, 3);
    EXPECT_EQ(typed.newState, static_cast<UINT>(LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP));
    EXPECT_EQ(Focused(), 40);
    // Shift selects a range in one notice.
    notes.clear();
    ClickWith(VK_SHIFT, 37); // the focused item is at the bottom of the page
    ASSERT_EQ(CountOf(LVN_ODSTATECHANGED), 1);
    EXPECT_EQ(Find(LVN_ODSTATECHANGED).from, 37);
    EXPECT_EQ(Find(LVN_ODSTATECHANGED).to, 40);
    EXPECT_EQ(Send(list, LVM_GETSELECTEDCOUNT), 4);
    EXPECT_EQ(Selected(), (std::vector<int>{37, 38, 39, 40}));
    // Selecting all is one range and one notice, however many items.
    LVITEMW all{};
    all.state = all.stateMask = LVIS_SELECTED;
    notes.clear();
    Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
    EXPECT_EQ(Send(list, LVM_GETSELECTEDCOUNT), 1000000);
    EXPECT_EQ(Seen({LVN_ITEMCHANGED}), std::vector<std::string>{"CHANGED -1 2>2"});
    // Shrinking the count cuts the selection.
    Send(list, LVM_SETITEMCOUNT, 10, 0);
    EXPECT_EQ(Send(list, LVM_GETSELECTEDCOUNT), 10);
    EXPECT_EQ(Focused(), -1);
}

TEST_F(ControlListViewTest, HeaderClickIsAColumnClick) {
    MakeList(LVS_REPORT);
    AddColumn(0, u"Name", 100);
    AddColumn(1, u"Size", 80);
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
    RECT r{};
    Send(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    Click(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(Seen({LVN_COLUMNCLICK}), std::vector<std::string>{"COLUMNCLICK -1"});
    EXPECT_EQ(Find(LVN_COLUMNCLICK).sub, 1);
}

TEST_F(ControlListViewTest, CustomDrawStagesAndColours) {
    MakeList(LVS_REPORT | LVS_SHOWSELALWAYS, 300, 200);
    AddColumn(0, u"Name", 100);
    AddColumn(1, u"Size", 80);
    for (int i = 0; i < 3; ++i) {
        Insert(i, u"WWWW");
        SetSub(i, 1, u"WWWW");
    }
    customDraw = [](NMLVCUSTOMDRAW& cd) -> LRESULT {
        switch (cd.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPREPAINT:
            if (cd.nmcd.dwItemSpec == 2) return CDRF_SKIPDEFAULT;
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            if (cd.nmcd.dwItemSpec == 1 && cd.iSubItem == 1) cd.clrTextBk = RGB(255, 0, 0);
            return CDRF_DODEFAULT;
        }
        return CDRF_DODEFAULT;
    };
    InvalidateRect(list, nullptr, TRUE);
    notes.clear();
    UpdateWindow(list);
    std::vector<std::string> stages;
    for (const Note& n : notes)
        if (n.code == NM_CUSTOMDRAW)
            stages.push_back(std::to_string(n.stage) + ":" +
                             (n.stage & CDDS_ITEM ? std::to_string(n.item) : "") +
                             (n.stage & CDDS_SUBITEM ? "." + std::to_string(n.sub) : ""));
    const std::string item = std::to_string(CDDS_ITEMPREPAINT);
    const std::string sub = std::to_string(CDDS_ITEMPREPAINT | CDDS_SUBITEM);
    EXPECT_EQ(stages,
              (std::vector<std::string>{"1:", item + ":0", sub + ":0.0", sub + ":0.1", item + ":1",
                                        sub + ":1.0", sub + ":1.1", item + ":2", "2:"}));
    // The owner's background shows in item 1's second column, and the skipped
    // item 2 left nothing but the control's background.
    RECT cell{LVIR_BOUNDS, 1, 0, 0};
    Send(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
    EXPECT_EQ(Pixel(list, cell.right - 3, cell.top + 2), RGB(255, 0, 0));
    const RECT skipped = ItemRect(2, LVIR_BOUNDS);
    EXPECT_EQ(DarkPixels(list, skipped), 0);
}

TEST_F(ControlListViewTest, ReportPaintsSelectionTextAndGridLines) {
    MakeList(LVS_REPORT | LVS_SHOWSELALWAYS, 300, 200);
    Send(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
    AddColumn(0, u"Name", 100);
    AddColumn(1, u"Size", 80, LVCFMT_RIGHT);
    Insert(0, u"first");
    Insert(1, u"second");
    SetSub(0, 1, u"42");
    SetFocus(list);
    ClickItem(1);
    UpdateWindow(list);
    const RECT label = ItemRect(1, LVIR_LABEL);
    EXPECT_EQ(Pixel(list, label.left + 1, label.top + 2), GetSysColor(COLOR_HIGHLIGHT));
    const RECT unselected = ItemRect(0, LVIR_LABEL);
    EXPECT_NE(Pixel(list, unselected.left + 1, unselected.top + 2), GetSysColor(COLOR_HIGHLIGHT));
    // The right-aligned sub-item's text lies at the right of its column.
    RECT size{LVIR_BOUNDS, 1, 0, 0};
    Send(list, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&size));
    const int mid = (size.left + size.right) / 2;
    EXPECT_EQ(DarkPixels(list, RECT{size.left + 1, size.top + 1, mid, size.bottom - 2}), 0);
    EXPECT_GT(DarkPixels(list, RECT{mid, size.top + 1, size.right - 2, size.bottom - 2}), 0);
    // Grid lines run down at the columns' right edges, beyond the items too.
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(Pixel(list, 99, client.bottom - 5), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Pixel(list, 98, client.bottom - 5), GetSysColor(COLOR_WINDOW));
    // Without the focus the selection shows greyed.
    SetFocus(parent);
    EXPECT_EQ(Pixel(list, label.left + 1, label.top + 2), GetSysColor(COLOR_BTNFACE));
}

} // namespace
