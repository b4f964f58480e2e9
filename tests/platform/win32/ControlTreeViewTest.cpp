// The tree-view window class through its messages: items and navigation,
// the notifications in the order the parent hears them, items that leave
// their text and children to the parent, label editing, mouse and keyboard,
// and its painting read back pixel by pixel.
#include "ControlTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/commctrl.h>

#include <functional>
#include <map>

namespace {

struct Heard {
    UINT code;
    UINT action = 0;
    HTREEITEM oldItem = nullptr;
    HTREEITEM newItem = nullptr;
    std::u16string text;
    bool textNull = false;
};

class ControlTreeViewTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        Hook() = [this](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
            if (hwnd != parent || msg != WM_NOTIFY) return false;
            auto* h = reinterpret_cast<NMHDR*>(lParam);
            Heard heard{h->code};
            switch (h->code) {
            case TVN_SELCHANGINGW:
            case TVN_SELCHANGEDW:
            case TVN_ITEMEXPANDINGW:
            case TVN_ITEMEXPANDEDW:
            case TVN_DELETEITEMW:
            case TVN_BEGINDRAGW:
            case TVN_BEGINRDRAGW: {
                auto* nm = reinterpret_cast<NMTREEVIEWW*>(lParam);
                heard.action = nm->action;
                heard.oldItem = nm->itemOld.hItem;
                heard.newItem = nm->itemNew.hItem;
                break;
            }
            case TVN_BEGINLABELEDITW:
            case TVN_ENDLABELEDITW:
            case TVN_GETDISPINFOW: {
                auto* di = reinterpret_cast<NMTVDISPINFOW*>(lParam);
                heard.newItem = di->item.hItem;
                heard.textNull = di->item.pszText == nullptr;
                if (di->item.pszText && h->code != TVN_GETDISPINFOW) heard.text = di->item.pszText;
                break;
            }
            default:
                break;
            }
            const bool focus = h->code == NM_SETFOCUS || h->code == NM_KILLFOCUS;
            if ((h->code != NM_CUSTOMDRAW || recordDraw) && !focus) heard_.push_back(heard);
            auto answer = answers.find(h->code);
            if (answer == answers.end()) return false;
            result = answer->second(h);
            return true;
        };
    }

    HWND MakeTree(DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT) {
        return Make(WC_TREEVIEW, u"", style, 10, 10, 200, 150);
    }
    static HTREEITEM Add(HWND tree, HTREEITEM parentItem, const char16_t* text,
                         HTREEITEM after = TVI_LAST, LPARAM param = 0) {
        std::u16string copy(text);
        TVINSERTSTRUCTW is{};
        is.hParent = parentItem;
        is.hInsertAfter = after;
        is.item.mask = TVIF_TEXT | TVIF_PARAM;
        is.item.pszText = text == nullptr ? LPSTR_TEXTCALLBACKW : copy.data();
        is.item.lParam = param;
        return reinterpret_cast<HTREEITEM>(
            Send(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&is)));
    }
    static std::u16string ItemText(HWND tree, HTREEITEM item) {
        char16_t buffer[64] = {};
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = buffer;
        tv.cchTextMax = 64;
        if (!Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return u"<none>";
        return buffer;
    }
    static HTREEITEM Next(HWND tree, UINT flag, HTREEITEM from = nullptr) {
        return reinterpret_cast<HTREEITEM>(
            Send(tree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(from)));
    }
    static UINT State(HWND tree, HTREEITEM item) {
        return static_cast<UINT>(Send(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), 0xFFFF));
    }
    static RECT ItemRect(HWND tree, HTREEITEM item, bool label = true) {
        RECT r{};
        std::memcpy(&r, &item, sizeof item);
        if (!Send(tree, TVM_GETITEMRECT, label, reinterpret_cast<LPARAM>(&r))) return RECT{};
        return r;
    }
    std::vector<UINT> Codes() const {
        std::vector<UINT> out;
        for (const Heard& h : heard_)
            out.push_back(h.code);
        return out;
    }
    // A tree: A (A1, A2 (A2a)), B, C (C1).
    struct Sample {
        HTREEITEM a, a1, a2, a2a, b, c, c1;
    };
    Sample Fill(HWND tree) {
        Sample s{};
        s.a = Add(tree, TVI_ROOT, u"A");
        s.a1 = Add(tree, s.a, u"A1");
        s.a2 = Add(tree, s.a, u"A2");
        s.a2a = Add(tree, s.a2, u"A2a");
        s.b = Add(tree, TVI_ROOT, u"B");
        s.c = Add(tree, TVI_ROOT, u"C");
        s.c1 = Add(tree, s.c, u"C1");
        return s;
    }

    std::vector<Heard> heard_;
    std::map<UINT, std::function<LRESULT(NMHDR*)>> answers;
    bool recordDraw = false;
};

TEST_F(ControlTreeViewTest, NavigationFollowsTheHierarchyAndTheExpandedRows) {
    HWND tree = MakeTree();
    Sample s = Fill(tree);
    EXPECT_EQ(Send(tree, TVM_GETCOUNT), 7);
    Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(s.a));
    struct Case {
        UINT flag;
        HTREEITEM from;
        HTREEITEM expected;
    } cases[] = {
        {TVGN_ROOT, nullptr, s.a},         {TVGN_CHILD, nullptr, s.a},
        {TVGN_CHILD, TVI_ROOT, s.a},       {TVGN_CHILD, s.a, s.a1},
        {TVGN_NEXT, s.a1, s.a2},           {TVGN_NEXT, s.a2, nullptr},
        {TVGN_PREVIOUS, s.b, s.a},         {TVGN_PARENT, s.a2a, s.a2},
        {TVGN_PARENT, s.a, nullptr},       {TVGN_FIRSTVISIBLE, nullptr, s.a},
        {TVGN_NEXTVISIBLE, s.a, s.a1},     {TVGN_NEXTVISIBLE, s.a2, s.b},  // A2 is collapsed
        {TVGN_PREVIOUSVISIBLE, s.b, s.a2}, {TVGN_NEXTVISIBLE, s.a2a, nullptr}, // hidden
        {TVGN_LASTVISIBLE, nullptr, s.c},  {TVGN_CARET, nullptr, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Next(tree, c.flag, c.from), c.expected) << "flag " << c.flag;

    // Insert positions: first, after an item, sorted by text.
    HTREEITEM first = Add(tree, s.a, u"A0", TVI_FIRST);
    EXPECT_EQ(Next(tree, TVGN_CHILD, s.a), first);
    HTREEITEM between = Add(tree, TVI_ROOT, u"AB", s.a);
    EXPECT_EQ(Next(tree, TVGN_NEXT, s.a), between);
    HTREEITEM sorted = Add(tree, s.c, u"c0", TVI_SORT);
    EXPECT_EQ(Next(tree, TVGN_CHILD, s.c), sorted);
    // Handles the tree never gave, or an "after" of another parent, are refused.
    EXPECT_EQ(Add(tree, s.b, u"x", s.a1), nullptr);
    EXPECT_EQ(Add(tree, reinterpret_cast<HTREEITEM>(0x1234), u"x"), nullptr);
    EXPECT_EQ(ItemText(tree, reinterpret_cast<HTREEITEM>(0x1234)), u"<none>");
    EXPECT_FALSE(Send(tree, TVM_DELETEITEM, 0, 0x1234));
    EXPECT_EQ(Send(tree, TVM_GETCOUNT), 10);
    // A deleted item's handle is dead too.
    EXPECT_TRUE(Send(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(s.a2)));
    EXPECT_EQ(ItemText(tree, s.a2a), u"<none>");
    EXPECT_EQ(Send(tree, TVM_GETCOUNT), 8);
}

TEST_F(ControlTreeViewTest, SelectionAndExpansionNotifyInOrderAndMayBeRefused) {
    HWND tree = MakeTree();
    Sample s = Fill(tree);
    EXPECT_TRUE(Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(s.a2a)));
    // Selecting a hidden item expands its ancestors first (TVM_EXPAND rules: they notify once).
    std::vector<UINT> expected{TVN_SELCHANGINGW,   TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW,
                               TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW,  TVN_SELCHANGEDW};
    EXPECT_EQ(Codes(), expected);
    EXPECT_EQ(heard_.front().oldItem, nullptr);
    EXPECT_EQ(heard_.front().newItem, s.a2a);
    EXPECT_EQ(heard_[1].newItem, s.a);
    EXPECT_EQ(heard_[1].action, static_cast<UINT>(TVE_EXPAND));
    EXPECT_EQ(Next(tree, TVGN_CARET), s.a2a);
    EXPECT_TRUE(State(tree, s.a2a) & TVIS_SELECTED);

    // The parent refuses a change: nothing moves, no SELCHANGED.
    heard_.clear();
    answers[TVN_SELCHANGINGW] = [](NMHDR*) { return 1; };
    EXPECT_FALSE(Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(s.b)));
    EXPECT_EQ(Codes(), std::vector<UINT>{TVN_SELCHANGINGW});
    EXPECT_EQ(Next(tree, TVGN_CARET), s.a2a);
    answers.clear();

    // TVM_EXPAND notifies only until the item was expanded once.
    heard_.clear();
    Send(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(s.a2));
    Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(s.a2));
    std::vector<UINT> codes = Codes();
    // Collapsing over the selection moves it up to the collapsed item.
    EXPECT_EQ(codes, (std::vector<UINT>{TVN_SELCHANGINGW, TVN_SELCHANGEDW}));
    EXPECT_EQ(Next(tree, TVGN_CARET), s.a2);
    EXPECT_TRUE(State(tree, s.a2) & TVIS_EXPANDED);

    // A refused expansion leaves the item as it was.
    heard_.clear();
    answers[TVN_ITEMEXPANDINGW] = [](NMHDR*) { return 1; };
    EXPECT_FALSE(Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(s.c)));
    EXPECT_FALSE(State(tree, s.c) & TVIS_EXPANDED);
    EXPECT_EQ(Codes(), std::vector<UINT>{TVN_ITEMEXPANDINGW});
    answers.clear();

    // Collapse-reset deletes the children and forgets the expansion.
    heard_.clear();
    Send(tree, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, reinterpret_cast<LPARAM>(s.a2));
    EXPECT_EQ(Next(tree, TVGN_CHILD, s.a2), nullptr);
    EXPECT_FALSE(State(tree, s.a2) & (TVIS_EXPANDED | TVIS_EXPANDEDONCE));
    EXPECT_EQ(Codes(), std::vector<UINT>{TVN_DELETEITEMW});
}

TEST_F(ControlTreeViewTest, DeletingMovesTheSelectionFirstThenFreesChildrenBeforeParents) {
    HWND tree = MakeTree();
    Sample s = Fill(tree);
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(s.a1));
    heard_.clear();
    EXPECT_TRUE(Send(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(s.a)));
    std::vector<std::pair<UINT, HTREEITEM>> got;
    for (const Heard& h : heard_)
        got.push_back({h.code, h.code == TVN_DELETEITEMW ? h.oldItem : h.newItem});
    std::vector<std::pair<UINT, HTREEITEM>> expected{
        {TVN_SELCHANGINGW, s.b}, {TVN_SELCHANGEDW, s.b}, {TVN_DELETEITEMW, s.a1},
        {TVN_DELETEITEMW, s.a2a}, {TVN_DELETEITEMW, s.a2}, {TVN_DELETEITEMW, s.a},
    };
    EXPECT_EQ(got, expected);
    EXPECT_EQ(Next(tree, TVGN_CARET), s.b);
    // A parent that deletes again from inside the notification does no harm.
    answers[TVN_DELETEITEMW] = [&](NMHDR* h) {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(h);
        Send(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(nm->itemOld.hItem));
        return 0;
    };
    EXPECT_TRUE(Send(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
    EXPECT_EQ(Send(tree, TVM_GETCOUNT), 0);
    EXPECT_EQ(Next(tree, TVGN_CARET), nullptr);
}

TEST_F(ControlTreeViewTest, CallbackItemsAskTheParentForTextAndChildren) {
    HWND tree = MakeTree();
    TVINSERTSTRUCTW is{};
    is.hParent = TVI_ROOT;
    is.hInsertAfter = TVI_LAST;
    is.item.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_PARAM;
    is.item.pszText = LPSTR_TEXTCALLBACKW;
    is.item.cChildren = I_CHILDRENCALLBACK;
    is.item.lParam = 7;
    auto item = reinterpret_cast<HTREEITEM>(Send(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&is)));
    int asked = 0;
    answers[TVN_GETDISPINFOW] = [&](NMHDR* h) {
        auto* di = reinterpret_cast<NMTVDISPINFOW*>(h);
        ++asked;
        if (di->item.mask & TVIF_TEXT) {
            const std::u16string text = u"asked";
            std::copy(text.begin(), text.end(), di->item.pszText);
            di->item.pszText[text.size()] = 0;
        }
        if (di->item.mask & TVIF_CHILDREN) di->item.cChildren = 1;
        EXPECT_EQ(di->item.lParam, 7);
        return 0;
    };
    // The parent adds the children when the item first expands.
    answers[TVN_ITEMEXPANDINGW] = [&](NMHDR*) {
        Add(tree, item, u"late");
        return 0;
    };
    EXPECT_EQ(ItemText(tree, item), u"asked");
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN;
    tv.hItem = item;
    Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    EXPECT_EQ(tv.cChildren, 1);
    EXPECT_GE(asked, 2);
    EXPECT_TRUE(Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)));
    EXPECT_EQ(ItemText(tree, Next(tree, TVGN_CHILD, item)), u"late");
    // An item that promises children and gets none loses its button.
    HTREEITEM empty = Add(tree, TVI_ROOT, u"empty");
    tv.mask = TVIF_CHILDREN;
    tv.hItem = empty;
    tv.cChildren = 1;
    Send(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    answers.erase(TVN_ITEMEXPANDINGW);
    EXPECT_FALSE(Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(empty)));
    Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    EXPECT_EQ(tv.cChildren, 0);
}

TEST_F(ControlTreeViewTest, LabelEditingAsksBeforeAndAfter) {
    HWND tree = MakeTree(TVS_HASBUTTONS | TVS_EDITLABELS);
    HTREEITEM item = Add(tree, TVI_ROOT, u"old");
    struct Case {
        LRESULT accept;
        int key;
        const char16_t* expected;
        bool textNull;
    } cases[] = {
        {TRUE, VK_RETURN, u"new", false},
        {FALSE, VK_RETURN, u"new", false}, // refused: the text stays
        {TRUE, VK_ESCAPE, u"new", true},   // cancelled: the parent gets no text
    };
    for (const Case& c : cases) {
        heard_.clear();
        answers[TVN_ENDLABELEDITW] = [&](NMHDR*) { return c.accept; };
        auto edit = reinterpret_cast<HWND>(Send(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item)));
        ASSERT_TRUE(edit);
        EXPECT_EQ(reinterpret_cast<HWND>(Send(tree, TVM_GETEDITCONTROL)), edit);
        EXPECT_EQ(GetFocus(), edit);
        Send(edit, EM_SETSEL, 0, -1);
        Type(c.key == VK_ESCAPE ? u"zzz" : (c.accept ? u"new" : u"no"));
        Press(c.key);
        EXPECT_FALSE(IsWindow(edit));
        EXPECT_EQ(ItemText(tree, item), c.expected);
        ASSERT_EQ(Codes(), (std::vector<UINT>{TVN_BEGINLABELEDITW, TVN_ENDLABELEDITW}));
        EXPECT_EQ(heard_[0].text, &c == &cases[0] ? u"old" : u"new");
        EXPECT_EQ(heard_[1].textNull, c.textNull);
    }
    // The parent may forbid the edit altogether.
    answers[TVN_BEGINLABELEDITW] = [](NMHDR*) { return 1; };
    EXPECT_EQ(Send(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item)), 0);
}

TEST_F(ControlTreeViewTest, MouseAndKeysExpandSelectAndDrag) {
    HWND tree = MakeTree();
    Sample s = Fill(tree);
    SetFocus(tree);
    const RECT a = ItemRect(tree, s.a);
    const RECT aRow = ItemRect(tree, s.a, false);
    // Hit tests across the row of A.
    struct Case {
        int x;
        UINT flags;
    } cases[] = {{a.left - 10, TVHT_ONITEMBUTTON}, {a.left + 3, TVHT_ONITEMLABEL},
                 {a.right + 5, TVHT_ONITEMRIGHT}};
    for (const Case& c : cases) {
        TVHITTESTINFO info{{c.x, (aRow.top + aRow.bottom) / 2}, 0, nullptr};
        EXPECT_EQ(reinterpret_cast<HTREEITEM>(Send(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))),
                  s.a);
        EXPECT_EQ(info.flags, c.flags) << c.x;
    }
    TVHITTESTINFO below{{5, 140}, 0, nullptr};
    Send(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&below));
    EXPECT_EQ(below.flags, static_cast<UINT>(TVHT_NOWHERE));

    // A click on the button expands with the user's notifications.
    heard_.clear();
    Click(tree, a.left - 10, (a.top + a.bottom) / 2);
    EXPECT_TRUE(State(tree, s.a) & TVIS_EXPANDED);
    EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}));
    // A click on a label selects by mouse, then NM_CLICK.
    heard_.clear();
    const RECT a1 = ItemRect(tree, s.a1);
    Click(tree, a1.left + 3, (a1.top + a1.bottom) / 2);
    EXPECT_EQ(Next(tree, TVGN_CARET), s.a1);
    ASSERT_EQ(Codes(), (std::vector<UINT>{TVN_SELCHANGINGW, TVN_SELCHANGEDW, NM_CLICK}));
    EXPECT_EQ(heard_[0].action, static_cast<UINT>(TVC_BYMOUSE));

    // Keys walk the rows; left goes to the parent and collapses; right expands.
    struct Key {
        int vk;
        HTREEITEM caret;
        bool aExpanded;
    } keys[] = {
        {VK_DOWN, s.a2, true},  {VK_RIGHT, s.a2, true}, {VK_RIGHT, s.a2a, true},
        {VK_LEFT, s.a2, true},  {VK_LEFT, s.a2, true},  {VK_LEFT, s.a, true},
        {VK_LEFT, s.a, false},  {VK_END, s.c, false},   {VK_HOME, s.a, false},
    };
    for (const Key& k : keys) {
        Press(k.vk);
        EXPECT_EQ(Next(tree, TVGN_CARET), k.caret) << k.vk;
        EXPECT_EQ((State(tree, s.a) & TVIS_EXPANDED) != 0, k.aExpanded) << k.vk;
    }
    Type(u"c");
    EXPECT_EQ(Next(tree, TVGN_CARET), s.c);

    // Pressing on B and moving away starts a drag instead of a selection.
    heard_.clear();
    const RECT b = ItemRect(tree, s.b);
    const POINT start = TestSeams::ClientPoint(tree, b.left + 3, (b.top + b.bottom) / 2);
    TestSeams::MouseDown(start);
    TestSeams::MouseMove(POINT{start.x + 20, start.y + 20});
    TestSeams::MouseUp(POINT{start.x + 20, start.y + 20});
    Pump();
    ASSERT_EQ(Codes(), std::vector<UINT>{TVN_BEGINDRAGW});
    EXPECT_EQ(heard_[0].newItem, s.b);
    EXPECT_EQ(Next(tree, TVGN_CARET), s.c);
}

TEST_F(ControlTreeViewTest, ScrollsToKeepTheSelectionInView) {
    HWND tree = MakeTree();
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 40; ++i)
        items.push_back(Add(tree, TVI_ROOT, u"row"));
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[30]));
    UpdateWindow(tree);
    const int visible = static_cast<int>(Send(tree, TVM_GETVISIBLECOUNT));
    EXPECT_EQ(Next(tree, TVGN_FIRSTVISIBLE), items[static_cast<size_t>(31 - visible)]);
    SCROLLINFO si{sizeof si, SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(tree, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 39);
    EXPECT_EQ(si.nPos, 31 - visible);
    Send(tree, WM_VSCROLL, SB_TOP);
    EXPECT_EQ(Next(tree, TVGN_FIRSTVISIBLE), items[0]);
    Send(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(items[5]));
    EXPECT_EQ(Next(tree, TVGN_FIRSTVISIBLE), items[5]);

    // Opening the last row on screen by keyboard brings its children into view.
    HTREEITEM lastShown = items[static_cast<size_t>(5 + visible - 1)];
    std::vector<HTREEITEM> kids;
    for (int i = 0; i < 3; ++i)
        kids.push_back(Add(tree, lastShown, u"kid"));
    SetFocus(tree);
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(lastShown));
    EXPECT_EQ(Next(tree, TVGN_FIRSTVISIBLE), items[5]);
    Press(VK_RIGHT);
    EXPECT_EQ(Next(tree, TVGN_FIRSTVISIBLE), items[8]);
    // Opening by message scrolls nothing.
    Send(tree, WM_VSCROLL, SB_TOP);
    Send(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(lastShown));
    Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(lastShown));
    EXPECT_EQ(Next(tree, TVGN_FIRSTVISIBLE), items[0]);
}

TEST_F(ControlTreeViewTest, PaintsLinesButtonsAndTheHighlightAndHonoursCustomDraw) {
    HWND tree = MakeTree();
    Sample s = Fill(tree);
    SetFocus(tree);
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(s.b));
    const RECT a = ItemRect(tree, s.a), b = ItemRect(tree, s.b), c = ItemRect(tree, s.c);
    const int aMid = (a.top + a.bottom) / 2;
    const int buttonX = a.left - 10;
    // A's button: a frame with a plus (both strokes dark), the window colour around.
    EXPECT_EQ(Pixel(tree, buttonX, aMid), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(Pixel(tree, buttonX, aMid - 2), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(Pixel(tree, buttonX - 2, aMid - 2), GetSysColor(COLOR_WINDOW));
    // B has no children: no button, but a dotted line through its row.
    const int bMid = (b.top + b.bottom) / 2;
    int dots = 0;
    for (int y = b.top; y < b.bottom; ++y)
        if (Pixel(tree, buttonX, y) == GetSysColor(COLOR_GRAYTEXT)) ++dots;
    EXPECT_GE(dots, (b.bottom - b.top) / 2 - 1);
    // The selected label is filled with the highlight and its text is drawn on it.
    EXPECT_EQ(Pixel(tree, b.right - 1 - 1, b.top + 1), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(tree, a.right - 2, a.top + 1), GetSysColor(COLOR_WINDOW));
    EXPECT_GT(DarkPixels(tree, a), 3);
    (void)bMid;

    // Custom draw: item stages for each row; the owner's colours are used and
    // a skipped item is not drawn.
    answers[NM_CUSTOMDRAW] = [&](NMHDR* h) -> LRESULT {
        auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(h);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
        auto item = reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec);
        if (item == s.c) return CDRF_SKIPDEFAULT;
        if (item == s.a) cd->clrTextBk = RGB(255, 0, 0);
        return CDRF_DODEFAULT;
    };
    recordDraw = true;
    heard_.clear();
    InvalidateRect(tree, nullptr, TRUE);
    EXPECT_EQ(Pixel(tree, a.right - 2, a.top + 1), RGB(255, 0, 0));
    EXPECT_EQ(DarkPixels(tree, c), 0);
    EXPECT_EQ(Codes(), std::vector<UINT>(4, NM_CUSTOMDRAW)); // prepaint + A, B, C
}

TEST_F(ControlTreeViewTest, StatesSetByMessageAreKeptAndShown) {
    HWND tree = MakeTree();
    LOGFONTW lf{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_NORMAL;
    HFONT font = CreateFontIndirectW(&lf);
    Send(tree, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    Sample s = Fill(tree);
    std::u16string longer = u"a much longer label";
    TVITEMW text{};
    text.mask = TVIF_TEXT;
    text.hItem = s.b;
    text.pszText = longer.data();
    Send(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&text));
    const RECT plain = ItemRect(tree, s.b);
    struct Case {
        UINT state;
        UINT mask;
        UINT expected;
    } cases[] = {
        {TVIS_BOLD, TVIS_BOLD, TVIS_BOLD},
        {TVIS_CUT, TVIS_CUT | TVIS_BOLD, TVIS_CUT},
        {INDEXTOSTATEIMAGEMASK(2), TVIS_STATEIMAGEMASK, TVIS_CUT | INDEXTOSTATEIMAGEMASK(2)},
        {TVIS_SELECTED, TVIS_SELECTED, TVIS_CUT | INDEXTOSTATEIMAGEMASK(2)}, // only TVM_SELECTITEM selects
    };
    for (const Case& c : cases) {
        TVITEMW tv{};
        tv.mask = TVIF_STATE;
        tv.hItem = s.b;
        tv.state = c.state;
        tv.stateMask = c.mask;
        EXPECT_TRUE(Send(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
        EXPECT_EQ(State(tree, s.b) & ~TVIS_EXPANDEDONCE, c.expected) << c.state;
    }
    // A bold label is wider than the plain one.
    TVITEMW bold{};
    bold.mask = TVIF_STATE;
    bold.hItem = s.b;
    bold.state = TVIS_BOLD;
    bold.stateMask = TVIS_BOLD;
    Send(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&bold));
    EXPECT_GT(ItemRect(tree, s.b).right, plain.right);
    // The drop target is highlighted without being selected.
    EXPECT_TRUE(Send(tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(s.c)));
    EXPECT_EQ(Next(tree, TVGN_DROPHILITE), s.c);
    EXPECT_EQ(Next(tree, TVGN_CARET), nullptr);
    EXPECT_TRUE(State(tree, s.c) & TVIS_DROPHILITED);
    const RECT c = ItemRect(tree, s.c);
    EXPECT_EQ(Pixel(tree, c.right - 2, c.top + 1), GetSysColor(COLOR_HIGHLIGHT));
    Send(tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    EXPECT_FALSE(State(tree, s.c) & TVIS_DROPHILITED);
    EXPECT_EQ(Pixel(tree, c.right - 2, c.top + 1), GetSysColor(COLOR_WINDOW));
    DestroyWindow(tree);
    DeleteObject(font);
}

TEST_F(ControlTreeViewTest, DrawsTheImageOrTheSelectedImage) {
    HWND tree = MakeTree();
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 2, 1);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 16);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF red = RGB(200, 0, 0), green = RGB(0, 160, 0);
    for (int i = 0; i < 2; ++i) {
        RECT r{i * 16, 0, i * 16 + 16, 16};
        HBRUSH brush = CreateSolidBrush(i == 0 ? red : green);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_Add(images, bitmap, nullptr);
    Send(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    TVINSERTSTRUCTW is{};
    is.hParent = TVI_ROOT;
    is.hInsertAfter = TVI_LAST;
    is.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    std::u16string text = u"pictured";
    is.item.pszText = text.data();
    is.item.iImage = 0;
    is.item.iSelectedImage = 1;
    auto item = reinterpret_cast<HTREEITEM>(Send(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&is)));
    const RECT label = ItemRect(tree, item);
    const int y = (label.top + label.bottom) / 2;
    EXPECT_EQ(Pixel(tree, label.left - 8, y), red);
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(Pixel(tree, label.left - 8, y), green);
    DestroyWindow(tree);
    ImageList_Destroy(images);
    DeleteObject(bitmap);
}

} // namespace
