// The tree-view control (WC_TREEVIEW). Items live in a tree of records whose
// addresses are the HTREEITEM handles; every handle that comes in is checked
// against the set of live items, so a stale or made-up handle is refused
// instead of followed. The rows on screen are the items whose ancestors are
// all expanded, computed again after a change. The parent hears of changes by
// WM_NOTIFY in the order Windows sends them: TVN_SELCHANGING before a
// selection moves and TVN_SELCHANGED after, TVN_ITEMEXPANDING/ED around an
// expansion, TVN_BEGINLABELEDIT/TVN_ENDLABELEDIT around an edit in place,
// TVN_DELETEITEM for every item that goes (children before their parent).
//
// TVM_EXPAND notifies only until an item has been expanded once
// (TVIS_EXPANDEDONCE); expansion by mouse or keyboard always notifies.
// A press on an item selects it when the button comes up; moving past the
// drag distance with the button held sends TVN_BEGINDRAG (or BEGINRDRAG)
// instead. A click on the label of the selected item starts the edit after the
// double-click time when TVS_EDITLABELS is set.
#include "Controls.h"

#include <win32/commctrl.h>
#include <win32/wingdi.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace win32::controls {

namespace {

constexpr int kAutoChildren = -2; // no TVIF_CHILDREN given: the real children decide
constexpr int kNoImage = -3;      // no expanded image given
constexpr int kLabelPad = 2;      // text inside the label's highlight
constexpr int kDefaultIndent = 19;
constexpr int kButtonSize = 9;
constexpr UINT_PTR kEditTimer = 0x7E01;
constexpr int kEditId = 1;

struct TreeItem {
    TreeItem* parent = nullptr;
    TreeItem* first = nullptr;
    TreeItem* last = nullptr;
    TreeItem* next = nullptr;
    TreeItem* prev = nullptr;
    std::u16string text;
    bool textCallback = false;
    bool deleting = false;
    int image = 0;
    int selectedImage = 0;
    int expandedImage = kNoImage;
    int children = kAutoChildren;
    int integral = 1;
    UINT state = 0;
    LPARAM param = 0;
    int width = -1; // cached text width; -1 when it must be measured
};

struct TreeData : ControlData {
    HWND hwnd = nullptr;
    TreeItem root;
    std::unordered_map<TreeItem*, std::unique_ptr<TreeItem>> items;
    TreeItem* caret = nullptr;
    TreeItem* drop = nullptr;
    HFONT font = nullptr;
    HFONT bold = nullptr;
    HIMAGELIST images = nullptr;
    HIMAGELIST stateImages = nullptr;
    int indent = kDefaultIndent;
    int itemHeight = -1; // set by TVM_SETITEMHEIGHT; -1: from font and images
    COLORREF back = CLR_NONE;
    COLORREF textColor = CLR_NONE;
    COLORREF lineColor = CLR_DEFAULT;
    std::vector<TreeItem*> rows;
    bool rowsDirty = true;
    int top = 0;     // first row on screen
    int xOffset = 0; // horizontal scroll in pixels
    bool inScrollUpdate = false;
    // Label editing.
    HWND edit = nullptr;
    TreeItem* editItem = nullptr;
    bool endingEdit = false;
    bool editPending = false;
    // Mouse press.
    TreeItem* pressItem = nullptr;
    UINT pressFlags = 0;
    POINT pressPoint{};
    bool pressRight = false;
    bool pressing = false;
    bool dragged = false;
    bool hadFocus = false;
    // Typed search.
    std::u16string search;
    LONG searchTime = 0;
};

// --- Items -------------------------------------------------------------------------------------

TreeItem* Valid(TreeData& t, HTREEITEM h) {
    auto* item = reinterpret_cast<TreeItem*>(h);
    auto it = t.items.find(item);
    return it == t.items.end() ? nullptr : item;
}

// A parent handle: null and TVI_ROOT are the invisible root.
TreeItem* ValidParent(TreeData& t, HTREEITEM h) {
    if (!h || h == TVI_ROOT) return &t.root;
    return Valid(t, h);
}

HTREEITEM Handle(TreeItem* item) {
    return reinterpret_cast<HTREEITEM>(item);
}

int Level(const TreeData& t, const TreeItem* item) {
    int level = 0;
    for (const TreeItem* p = item->parent; p && p != &t.root; p = p->parent)
        ++level;
    return level;
}

bool IsInside(const TreeItem* item, const TreeItem* ancestor) {
    for (const TreeItem* p = item; p; p = p->parent)
        if (p == ancestor) return true;
    return false;
}

void Link(TreeItem* parent, TreeItem* item, TreeItem* after) {
    item->parent = parent;
    item->prev = after;
    item->next = after ? after->next : parent->first;
    if (item->next)
        item->next->prev = item;
    else
        parent->last = item;
    if (after)
        after->next = item;
    else
        parent->first = item;
}

void Unlink(TreeItem* item) {
    TreeItem* parent = item->parent;
    if (item->prev)
        item->prev->next = item->next;
    else
        parent->first = item->next;
    if (item->next)
        item->next->prev = item->prev;
    else
        parent->last = item->prev;
    item->next = item->prev = nullptr;
}

LRESULT SendNotify(TreeData& t, NMHDR& h, UINT code) {
    h.hwndFrom = t.hwnd;
    h.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(t.hwnd, GWLP_ID));
    h.code = code;
    HWND parent = GetParent(t.hwnd);
    if (!parent) return 0;
    return SendMessageW(parent, WM_NOTIFY, h.idFrom, reinterpret_cast<LPARAM>(&h));
}

void Describe(TVITEMW& out, TreeItem* item) {
    out.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    if (!item) return;
    out.hItem = Handle(item);
    out.state = item->state;
    out.stateMask = 0xFFFF;
    out.lParam = item->param;
}

// Asks the parent for what the item leaves to it; stores the answers when the
// parent sets TVIF_DI_SETITEM. `text` receives the text when asked for.
NMTVDISPINFOW AskDispInfo(TreeData& t, TreeItem* item, UINT mask, std::u16string* text) {
    std::array<char16_t, 1024> buffer{};
    NMTVDISPINFOW di{};
    di.item.mask = mask;
    di.item.hItem = Handle(item);
    di.item.state = item->state;
    di.item.stateMask = 0xFFFF;
    di.item.lParam = item->param;
    di.item.pszText = buffer.data();
    di.item.cchTextMax = static_cast<int>(buffer.size());
    di.item.iImage = item->image;
    di.item.iSelectedImage = item->selectedImage;
    di.item.cChildren = item->children;
    HWND hwnd = t.hwnd;
    SendNotify(t, di.hdr, TVN_GETDISPINFOW);
    if (!IsWindow(hwnd) || !Valid(t, Handle(item))) return di;
    std::u16string answer;
    if ((mask & TVIF_TEXT) && di.item.pszText && di.item.pszText != LPSTR_TEXTCALLBACKW) {
        // The parent may point at a buffer of its own instead of filling ours.
        const char16_t* p = di.item.pszText;
        size_t n = 0;
        const size_t limit = p == buffer.data() ? buffer.size() - 1 : 32767;
        while (n < limit && p[n])
            ++n;
        answer.assign(p, n);
    }
    if (text) *text = answer;
    if (di.item.mask & TVIF_DI_SETITEM) {
        if (mask & TVIF_TEXT) item->text = answer, item->textCallback = false, item->width = -1;
        if ((mask & TVIF_IMAGE) && di.item.iImage != I_IMAGECALLBACK) item->image = di.item.iImage;
        if ((mask & TVIF_SELECTEDIMAGE) && di.item.iSelectedImage != I_IMAGECALLBACK)
            item->selectedImage = di.item.iSelectedImage;
        if ((mask & TVIF_CHILDREN) && di.item.cChildren != I_CHILDRENCALLBACK)
            item->children = di.item.cChildren;
    }
    return di;
}

std::u16string TextOf(TreeData& t, TreeItem* item) {
    if (!item->textCallback) return item->text;
    std::u16string text;
    AskDispInfo(t, item, TVIF_TEXT, &text);
    return text;
}

int ImageOf(TreeData& t, TreeItem* item, bool selected) {
    const bool expanded = (item->state & TVIS_EXPANDED) && item->expandedImage != kNoImage;
    int image = expanded ? item->expandedImage : selected ? item->selectedImage : item->image;
    if (image == I_IMAGECALLBACK) {
        const UINT mask = selected ? TVIF_SELECTEDIMAGE : TVIF_IMAGE;
        NMTVDISPINFOW di = AskDispInfo(t, item, mask, nullptr);
        image = selected ? di.item.iSelectedImage : di.item.iImage;
    }
    return image;
}

bool HasChildren(TreeData& t, TreeItem* item) {
    if (item->first) return true;
    if (item->children == I_CHILDRENCALLBACK) {
        NMTVDISPINFOW di = AskDispInfo(t, item, TVIF_CHILDREN, nullptr);
        return di.item.cChildren != 0 && di.item.cChildren != I_CHILDRENCALLBACK;
    }
    return item->children > 0;
}

// --- Rows and geometry ------------------------------------------------------------------------

std::vector<TreeItem*>& Rows(TreeData& t) {
    if (!t.rowsDirty) return t.rows;
    t.rows.clear();
    // Depth first through expanded items.
    TreeItem* item = t.root.first;
    while (item) {
        t.rows.push_back(item);
        if ((item->state & TVIS_EXPANDED) && item->first) {
            item = item->first;
            continue;
        }
        while (item && !item->next && item->parent != &t.root)
            item = item->parent;
        item = item ? item->next : nullptr;
    }
    t.rowsDirty = false;
    return t.rows;
}

int RowOf(TreeData& t, TreeItem* item) {
    std::vector<TreeItem*>& rows = Rows(t);
    auto it = std::find(rows.begin(), rows.end(), item);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

SIZE IconSize(HIMAGELIST list) {
    int cx = 0, cy = 0;
    if (list) ImageList_GetIconSize(list, &cx, &cy);
    return SIZE{cx, cy};
}

int ItemHeight(const TreeData& t) {
    if (t.itemHeight > 0) return t.itemHeight;
    MeasureDC m(FontOrSystem(t.font));
    int h = std::max({m.LineHeight() + 3, static_cast<int>(IconSize(t.images).cy) + 1,
                      static_cast<int>(IconSize(t.stateImages).cy) + 1});
    if (!(StyleOf(t.hwnd) & TVS_NONEVENHEIGHT)) h += h & 1;
    return h;
}

RECT Client(HWND hwnd) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    return r;
}

int PageRows(const TreeData& t) {
    return std::max(0, static_cast<int>(Client(t.hwnd).bottom) / std::max(1, ItemHeight(t)));
}

bool RootHasColumn(const TreeData& t) {
    const DWORD style = StyleOf(t.hwnd);
    return (style & TVS_LINESATROOT) && (style & (TVS_HASLINES | TVS_HASBUTTONS));
}

HFONT BoldFont(TreeData& t) {
    if (t.bold) return t.bold;
    LOGFONTW lf{};
    GetObjectW(FontOrSystem(t.font), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    t.bold = CreateFontIndirectW(&lf);
    return t.bold;
}

int TextWidth(TreeData& t, TreeItem* item) {
    if (item->width >= 0 && !item->textCallback) return item->width;
    MeasureDC m((item->state & TVIS_BOLD) ? BoldFont(t) : FontOrSystem(t.font));
    const int w = m.Width(TextOf(t, item));
    if (!item->textCallback) item->width = w;
    return w;
}

// Where the parts of an item's row lie, in client coordinates.
struct Layout {
    int top = 0, bottom = 0;
    int start = 0;      // where the item's own column ends and its state image begins
    int stateLeft = 0;  // state image
    int imageLeft = 0;  // normal image
    int labelLeft = 0;  // label's highlight
    int labelRight = 0;
};

Layout LayoutOf(TreeData& t, TreeItem* item, int row) {
    Layout l;
    const int h = ItemHeight(t);
    l.top = (row - t.top) * h;
    l.bottom = l.top + h * std::max(1, item->integral);
    const int column = Level(t, item) + (RootHasColumn(t) ? 1 : 0);
    l.start = column * t.indent - t.xOffset;
    l.stateLeft = l.start;
    l.imageLeft = l.stateLeft + (t.stateImages ? static_cast<int>(IconSize(t.stateImages).cx) : 0);
    l.labelLeft = l.imageLeft + (t.images ? static_cast<int>(IconSize(t.images).cx) + 1 : 0);
    l.labelRight = l.labelLeft + TextWidth(t, item) + 2 * kLabelPad;
    return l;
}

RECT LabelRect(const Layout& l) {
    return RECT{l.labelLeft, l.top, l.labelRight, l.bottom};
}

void UpdateScrollBars(TreeData& t) {
    if (t.inScrollUpdate) return;
    t.inScrollUpdate = true;
    const DWORD style = StyleOf(t.hwnd);
    std::vector<TreeItem*>& rows = Rows(t);
    const int page = PageRows(t);
    const int count = static_cast<int>(rows.size());
    t.top = std::clamp(t.top, 0, std::max(0, count - page));
    if (!(style & TVS_NOSCROLL)) {
        SetScrollBar(t.hwnd, SB_VERT, 0, count - 1, page, t.top, false);
        int width = 0;
        if (!(style & TVS_NOHSCROLL)) {
            const int saved = t.xOffset;
            t.xOffset = 0;
            for (size_t i = 0; i < rows.size(); ++i)
                width = std::max(width, LayoutOf(t, rows[i], static_cast<int>(i)).labelRight);
            t.xOffset = saved;
        }
        const int clientWidth = Client(t.hwnd).right;
        t.xOffset = std::clamp(t.xOffset, 0, std::max(0, width - clientWidth));
        SetScrollBar(t.hwnd, SB_HORZ, 0, width - 1, clientWidth, t.xOffset, false);
    }
    t.inScrollUpdate = false;
}

void Changed(TreeData& t) {
    t.rowsDirty = true;
    InvalidateRect(t.hwnd, nullptr, TRUE);
}

void SetTop(TreeData& t, int top) {
    const int count = static_cast<int>(Rows(t).size());
    top = std::clamp(top, 0, std::max(0, count - PageRows(t)));
    if (top == t.top) return;
    t.top = top;
    UpdateScrollBars(t);
    InvalidateRect(t.hwnd, nullptr, TRUE);
}

// --- Hit testing ---------------------------------------------------------------------------------

TreeItem* HitTest(TreeData& t, POINT p, UINT& flags) {
    const RECT client = Client(t.hwnd);
    flags = 0;
    if (p.x < 0) flags |= TVHT_TOLEFT;
    if (p.x >= client.right) flags |= TVHT_TORIGHT;
    if (p.y < 0) flags |= TVHT_ABOVE;
    if (p.y >= client.bottom) flags |= TVHT_BELOW;
    if (flags) return nullptr;
    std::vector<TreeItem*>& rows = Rows(t);
    const int row = t.top + p.y / std::max(1, ItemHeight(t));
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        flags = TVHT_NOWHERE;
        return nullptr;
    }
    TreeItem* item = rows[static_cast<size_t>(row)];
    const Layout l = LayoutOf(t, item, row);
    const DWORD style = StyleOf(t.hwnd);
    const bool button = (style & TVS_HASBUTTONS) && (item->parent != &t.root || RootHasColumn(t));
    if (p.x < l.start)
        flags = button && p.x >= l.start - t.indent && HasChildren(t, item) ? TVHT_ONITEMBUTTON
                                                                           : TVHT_ONITEMINDENT;
    else if (p.x < l.imageLeft)
        flags = TVHT_ONITEMSTATEICON;
    else if (p.x < l.labelLeft)
        flags = TVHT_ONITEMICON;
    else if (p.x < l.labelRight)
        flags = TVHT_ONITEMLABEL;
    else
        flags = TVHT_ONITEMRIGHT;
    return item;
}

// --- Selection, expansion, deletion ------------------------------------------------------------

bool Expand(TreeData& t, TreeItem* item, UINT code, bool byUser);

// Makes every ancestor of an item expanded.
void ExpandAncestors(TreeData& t, TreeItem* item) {
    std::vector<TreeItem*> chain;
    for (TreeItem* p = item->parent; p && p != &t.root; p = p->parent)
        chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (Valid(t, Handle(*it)) && !((*it)->state & TVIS_EXPANDED))
            Expand(t, *it, TVE_EXPAND, false);
}

void EnsureVisible(TreeData& t, TreeItem* item) {
    ExpandAncestors(t, item);
    if (!Valid(t, Handle(item))) return;
    const int row = RowOf(t, item);
    if (row < 0) return;
    const int page = std::max(1, PageRows(t));
    if (row < t.top)
        SetTop(t, row);
    else if (row >= t.top + page)
        SetTop(t, row - page + 1);
    UpdateScrollBars(t);
}

void InvalidateItem(TreeData& t, TreeItem* item) {
    if (!item) return;
    const int row = RowOf(t, item);
    if (row < 0) return;
    const int h = ItemHeight(t);
    RECT r = Client(t.hwnd);
    r.top = (row - t.top) * h;
    r.bottom = r.top + h * std::max(1, item->integral);
    InvalidateRect(t.hwnd, &r, TRUE);
}

// Moves the caret (the selected item) to `item` (null: none) after asking the
// parent. False when the parent refused.
bool SelectCaret(TreeData& t, TreeItem* item, UINT action) {
    if (item == t.caret) return true;
    HWND hwnd = t.hwnd;
    NMTREEVIEWW nm{};
    nm.action = action;
    Describe(nm.itemOld, t.caret);
    Describe(nm.itemNew, item);
    if (SendNotify(t, nm.hdr, TVN_SELCHANGINGW) != 0) return false;
    if (!IsWindow(hwnd) || (item && !Valid(t, Handle(item)))) return false;
    TreeItem* old = t.caret && Valid(t, Handle(t.caret)) ? t.caret : nullptr;
    if (old) {
        old->state &= ~TVIS_SELECTED;
        InvalidateItem(t, old);
    }
    t.caret = item;
    if (item) {
        item->state |= TVIS_SELECTED;
        EnsureVisible(t, item);
        if (!IsWindow(hwnd)) return false;
        InvalidateItem(t, item);
    }
    NMTREEVIEWW done{};
    done.action = action;
    Describe(done.itemOld, old);
    Describe(done.itemNew, t.caret);
    SendNotify(t, done.hdr, TVN_SELCHANGEDW);
    return true;
}

void DeleteItem(TreeData& t, TreeItem* item);

void DeleteChildren(TreeData& t, TreeItem* parent) {
    while (parent->first && Valid(t, Handle(parent->first)))
        DeleteItem(t, parent->first);
}

// After the user opens an item, as much of what opened as fits comes into
// view, the item itself staying on screen.
void ShowChildren(TreeData& t, TreeItem* item) {
    const int row = RowOf(t, item);
    if (row < 0 || !item->last) return;
    TreeItem* last = item->last;
    while ((last->state & TVIS_EXPANDED) && last->last)
        last = last->last;
    const int lastRow = RowOf(t, last);
    const int page = std::max(1, PageRows(t));
    if (lastRow >= t.top + page) SetTop(t, std::min(row, lastRow - page + 1));
}

bool Expand(TreeData& t, TreeItem* item, UINT code, bool byUser) {
    if (!item || item == &t.root) return false;
    UINT action = code & TVE_TOGGLE;
    const bool expanded = item->state & TVIS_EXPANDED;
    if (action == TVE_TOGGLE) action = expanded ? TVE_COLLAPSE : TVE_EXPAND;
    if (action == 0) return false;
    if (action == TVE_EXPAND && expanded) return true;
    if (action == TVE_COLLAPSE && !expanded) {
        if (code & TVE_COLLAPSERESET) {
            DeleteChildren(t, item);
            item->state &= ~TVIS_EXPANDEDONCE;
            Changed(t);
        }
        return true;
    }
    if (action == TVE_EXPAND && !HasChildren(t, item)) return false;
    HWND hwnd = t.hwnd;
    const bool notify = byUser || !(item->state & TVIS_EXPANDEDONCE);
    if (notify) {
        NMTREEVIEWW nm{};
        nm.action = action;
        Describe(nm.itemNew, item);
        if (SendNotify(t, nm.hdr, TVN_ITEMEXPANDINGW) != 0) return false;
        if (!IsWindow(hwnd) || !Valid(t, Handle(item))) return false;
    }
    if (action == TVE_EXPAND) {
        item->state |= TVIS_EXPANDEDONCE;
        if (!item->first) {
            // The parent added nothing: the item turns out to have no children.
            if (item->children != I_CHILDRENCALLBACK) item->children = 0;
            InvalidateItem(t, item);
            return false;
        }
        item->state |= TVIS_EXPANDED;
        Changed(t);
    } else {
        item->state &= ~TVIS_EXPANDED;
        Changed(t);
        // The selection cannot stay hidden under a collapsed item.
        if (t.caret && t.caret != item && IsInside(t.caret, item))
            SelectCaret(t, item, TVC_UNKNOWN);
        if (!IsWindow(hwnd) || !Valid(t, Handle(item))) return false;
        if (code & TVE_COLLAPSERESET) {
            DeleteChildren(t, item);
            item->state &= ~TVIS_EXPANDEDONCE;
        }
    }
    UpdateScrollBars(t);
    if (byUser && action == TVE_EXPAND) ShowChildren(t, item);
    if (notify) {
        NMTREEVIEWW nm{};
        nm.action = action;
        Describe(nm.itemNew, item);
        SendNotify(t, nm.hdr, TVN_ITEMEXPANDEDW);
    }
    return true;
}

void EndEdit(TreeData& t, bool cancel);

void NotifyAndFree(TreeData& t, TreeItem* item) {
    TreeItem* child = item->first;
    while (child) {
        TreeItem* next = child->next;
        NotifyAndFree(t, child);
        child = next;
    }
    NMTREEVIEWW nm{};
    nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
    nm.itemOld.hItem = Handle(item);
    nm.itemOld.lParam = item->param;
    SendNotify(t, nm.hdr, TVN_DELETEITEMW);
    if (t.caret == item) t.caret = nullptr;
    if (t.drop == item) t.drop = nullptr;
    if (t.pressItem == item) t.pressItem = nullptr;
    t.items.erase(item);
}

void MarkDeleting(TreeItem* item) {
    item->deleting = true;
    for (TreeItem* c = item->first; c; c = c->next)
        MarkDeleting(c);
}

void DeleteItem(TreeData& t, TreeItem* item) {
    if (item->deleting) return;
    HWND hwnd = t.hwnd;
    if (t.editItem && IsInside(t.editItem, item)) EndEdit(t, true);
    if (!IsWindow(hwnd) || !Valid(t, Handle(item)) || item->deleting) return;
    // The selection moves off the item first, as a change the parent hears of.
    if (t.caret && IsInside(t.caret, item)) {
        TreeItem* next = item->next ? item->next
                         : item->prev ? item->prev
                         : item->parent != &t.root ? item->parent
                                                   : nullptr;
        if (!SelectCaret(t, next, TVC_UNKNOWN) && IsWindow(hwnd) && t.caret &&
            IsInside(t.caret, item)) {
            t.caret->state &= ~TVIS_SELECTED;
            t.caret = nullptr;
        }
        if (!IsWindow(hwnd) || !Valid(t, Handle(item)) || item->deleting) return;
    }
    MarkDeleting(item);
    TreeItem* parent = item->parent;
    Unlink(item);
    t.rowsDirty = true; // the rows must not hand out items about to go
    NotifyAndFree(t, item);
    if (!IsWindow(hwnd)) return;
    if (parent != &t.root && !parent->first) parent->state &= ~TVIS_EXPANDED;
    Changed(t);
    UpdateScrollBars(t);
}

void DeleteAll(TreeData& t) {
    if (t.edit) EndEdit(t, true);
    if (t.caret) t.caret->state &= ~TVIS_SELECTED;
    t.caret = nullptr;
    HWND hwnd = t.hwnd;
    while (t.root.first && IsWindow(hwnd)) {
        TreeItem* item = t.root.first;
        MarkDeleting(item);
        Unlink(item);
        t.rowsDirty = true;
        NotifyAndFree(t, item);
    }
    t.top = 0;
    t.xOffset = 0;
    if (!IsWindow(hwnd)) return;
    Changed(t);
    UpdateScrollBars(t);
}

// --- Inserting and item records -----------------------------------------------------------------

void ApplyItem(TreeData& t, TreeItem* item, const TVITEMEXW& in) {
    if (in.mask & TVIF_TEXT) {
        item->textCallback = in.pszText == LPSTR_TEXTCALLBACKW;
        item->text = (!item->textCallback && in.pszText) ? std::u16string(in.pszText) : u"";
        item->width = -1;
    }
    if (in.mask & TVIF_IMAGE) item->image = in.iImage;
    if (in.mask & TVIF_SELECTEDIMAGE) item->selectedImage = in.iSelectedImage;
    if (in.mask & TVIF_PARAM) item->param = in.lParam;
    if (in.mask & TVIF_CHILDREN) item->children = in.cChildren;
    if (in.mask & TVIF_INTEGRAL) item->integral = std::max(1, in.iIntegral);
    if (in.mask & TVIF_EXPANDEDIMAGE) item->expandedImage = in.iExpandedImage;
    if (in.mask & TVIF_STATE) {
        // The selection and focus belong to the control; TVM_SELECTITEM moves them.
        const UINT mask = in.stateMask & ~(TVIS_SELECTED | TVIS_FOCUSED);
        const UINT old = item->state;
        item->state = (item->state & ~mask) | (in.state & mask);
        if ((old ^ item->state) & TVIS_BOLD) item->width = -1;
        if ((old ^ item->state) & TVIS_EXPANDED) Changed(t);
    }
}

TreeItem* Insert(TreeData& t, const TVINSERTSTRUCTW* is) {
    if (!is) return nullptr;
    TreeItem* parent = ValidParent(t, is->hParent);
    if (!parent || parent->deleting) return nullptr;
    auto owned = std::make_unique<TreeItem>();
    TreeItem* item = owned.get();
    ApplyItem(t, item, is->itemex);
    TreeItem* after = nullptr;
    const HTREEITEM where = is->hInsertAfter;
    if (where == TVI_FIRST) {
        after = nullptr;
    } else if (!where || where == TVI_LAST) {
        after = parent->last;
    } else if (where == TVI_SORT) {
        const std::u16string text = TextOf(t, item);
        after = nullptr;
        for (TreeItem* c = parent->first; c; c = c->next) {
            if (CompareNoCase(TextOf(t, c), text) > 0) break;
            after = c;
        }
    } else {
        after = Valid(t, where);
        if (!after || after->parent != parent) return nullptr;
    }
    t.items.emplace(item, std::move(owned));
    Link(parent, item, after);
    if (parent == &t.root || (parent->state & TVIS_EXPANDED))
        Changed(t);
    else
        InvalidateItem(t, parent); // its button may appear
    return item;
}

void CopyText(const std::u16string& text, LPWSTR out, int size) {
    if (!out || size <= 0) return;
    const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::copy_n(text.begin(), n, out);
    out[n] = 0;
}

BOOL GetItem(TreeData& t, TVITEMEXW* out) {
    if (!out) return FALSE;
    TreeItem* item = Valid(t, out->hItem);
    if (!item) return FALSE;
    if (out->mask & TVIF_TEXT) CopyText(TextOf(t, item), out->pszText, out->cchTextMax);
    if (!Valid(t, out->hItem)) return FALSE;
    if (out->mask & TVIF_IMAGE) out->iImage = ImageOf(t, item, false);
    if (out->mask & TVIF_SELECTEDIMAGE) {
        out->iSelectedImage = item->selectedImage == I_IMAGECALLBACK
                                  ? AskDispInfo(t, item, TVIF_SELECTEDIMAGE, nullptr).item.iSelectedImage
                                  : item->selectedImage;
    }
    if (!Valid(t, out->hItem)) return FALSE;
    if (out->mask & TVIF_STATE) out->state = item->state;
    if (out->mask & TVIF_PARAM) out->lParam = item->param;
    if (out->mask & TVIF_CHILDREN) {
        if (item->first)
            out->cChildren = 1;
        else if (item->children == I_CHILDRENCALLBACK)
            out->cChildren = AskDispInfo(t, item, TVIF_CHILDREN, nullptr).item.cChildren;
        else
            out->cChildren = item->children > 0 ? 1 : 0;
    }
    if (out->mask & TVIF_INTEGRAL) out->iIntegral = item->integral;
    if (out->mask & TVIF_EXPANDEDIMAGE)
        out->iExpandedImage = item->expandedImage == kNoImage ? I_IMAGENONE : item->expandedImage;
    return TRUE;
}

BOOL SetItem(TreeData& t, const TVITEMEXW* in) {
    if (!in) return FALSE;
    TreeItem* item = Valid(t, in->hItem);
    if (!item) return FALSE;
    ApplyItem(t, item, *in);
    InvalidateRect(t.hwnd, nullptr, TRUE);
    return TRUE;
}

// Sorts the children of `parent` (and theirs when `recurse`), stably.
template <class Less> void SortChildren(TreeData& t, TreeItem* parent, bool recurse, Less less) {
    std::vector<TreeItem*> kids;
    for (TreeItem* c = parent->first; c; c = c->next)
        kids.push_back(c);
    std::stable_sort(kids.begin(), kids.end(), less);
    parent->first = parent->last = nullptr;
    TreeItem* after = nullptr;
    for (TreeItem* c : kids) {
        c->next = c->prev = nullptr;
        Link(parent, c, after);
        after = c;
    }
    if (recurse)
        for (TreeItem* c : kids)
            SortChildren(t, c, true, less);
    Changed(t);
}

// --- Label editing --------------------------------------------------------------------------

WNDPROC& EditBaseProc() {
    static WNDPROC proc = nullptr;
    return proc;
}

LRESULT CALLBACK LabelEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND tree = GetParent(edit);
    auto t = Data<TreeData>(tree);
    const WNDPROC base = EditBaseProc();
    if (t && t->edit == edit) {
        switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                EndEdit(*t, wParam == VK_ESCAPE);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == u'\r' || wParam == 27) return 0;
            break;
        case WM_KILLFOCUS: {
            const LRESULT r = CallWindowProcW(base, edit, msg, wParam, lParam);
            if (t->edit == edit) EndEdit(*t, false);
            return r;
        }
        default:
            break;
        }
    }
    return CallWindowProcW(base, edit, msg, wParam, lParam);
}

HWND EditLabel(TreeData& t, TreeItem* item) {
    if (t.edit) EndEdit(t, false);
    if (!item || !Valid(t, Handle(item))) return nullptr;
    HWND hwnd = t.hwnd;
    KillTimer(hwnd, kEditTimer);
    t.editPending = false;
    if (GetFocus() != hwnd) SetFocus(hwnd);
    EnsureVisible(t, item);
    if (!IsWindow(hwnd) || !Valid(t, Handle(item))) return nullptr;
    std::u16string text = TextOf(t, item);
    NMTVDISPINFOW di{};
    Describe(di.item, item);
    di.item.mask |= TVIF_TEXT;
    di.item.pszText = text.data();
    di.item.cchTextMax = static_cast<int>(text.size() + 1);
    if (SendNotify(t, di.hdr, TVN_BEGINLABELEDITW) != 0) return nullptr;
    if (!IsWindow(hwnd) || !Valid(t, Handle(item))) return nullptr;
    const int row = RowOf(t, item);
    if (row < 0) return nullptr;
    const Layout l = LayoutOf(t, item, row);
    const RECT client = Client(hwnd);
    const int width = std::max(l.labelRight - l.labelLeft + 24, 48);
    HWND edit = CreateWindowExW(0, u"Edit", text.c_str(),
                                WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_LEFT,
                                l.labelLeft - 1, l.top - 1,
                                std::min<int>(width, std::max<int>(48, client.right - l.labelLeft)),
                                l.bottom - l.top + 2, hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), nullptr,
                                nullptr);
    if (!edit) return nullptr;
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(FontOrSystem(t.font)), FALSE);
    const auto base = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LabelEditProc)));
    if (!EditBaseProc()) EditBaseProc() = base;
    t.edit = edit;
    t.editItem = item;
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
    return edit;
}

void EndEdit(TreeData& t, bool cancel) {
    if (!t.edit || t.endingEdit) return;
    t.endingEdit = true;
    HWND hwnd = t.hwnd;
    HWND edit = t.edit;
    std::u16string text = WindowText(edit);
    TreeItem* item = Valid(t, Handle(t.editItem));
    if (item) {
        NMTVDISPINFOW di{};
        Describe(di.item, item);
        di.item.mask |= TVIF_TEXT;
        di.item.pszText = cancel ? nullptr : text.data();
        di.item.cchTextMax = static_cast<int>(text.size() + 1);
        const LRESULT accepted = SendNotify(t, di.hdr, TVN_ENDLABELEDITW);
        if (!IsWindow(hwnd)) return;
        item = Valid(t, Handle(item));
        if (!cancel && accepted && item) {
            if (item->textCallback) {
                NMTVDISPINFOW set{};
                Describe(set.item, item);
                set.item.mask |= TVIF_TEXT;
                set.item.pszText = text.data();
                set.item.cchTextMax = static_cast<int>(text.size() + 1);
                SendNotify(t, set.hdr, TVN_SETDISPINFOW);
                if (!IsWindow(hwnd)) return;
            } else {
                item->text = text;
                item->width = -1;
            }
        }
    }
    const bool hadFocus = GetFocus() == edit;
    t.edit = nullptr;
    t.editItem = nullptr;
    DestroyWindow(edit);
    if (!IsWindow(hwnd)) return;
    t.endingEdit = false;
    if (hadFocus) SetFocus(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
}

// --- Painting ----------------------------------------------------------------------------------

COLORREF Resolve(COLORREF c, int sys) {
    return (c == CLR_NONE || c == CLR_DEFAULT) ? GetSysColor(sys) : c;
}

void DottedH(HDC dc, int x0, int x1, int y, COLORREF c) {
    for (int x = x0; x < x1; ++x)
        if (((x + y) & 1) == 0) SetPixel(dc, x, y, c);
}

void DottedV(HDC dc, int x, int y0, int y1, COLORREF c) {
    for (int y = y0; y < y1; ++y)
        if (((x + y) & 1) == 0) SetPixel(dc, x, y, c);
}

void PaintButton(HDC dc, int cx, int cy, bool expanded) {
    RECT box{cx - kButtonSize / 2, cy - kButtonSize / 2, cx + kButtonSize / 2 + 1,
             cy + kButtonSize / 2 + 1};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &box, GetSysColorBrush(COLOR_GRAYTEXT));
    RECT minus{box.left + 2, cy, box.right - 2, cy + 1};
    FillRect(dc, &minus, GetSysColorBrush(COLOR_WINDOWTEXT));
    if (!expanded) {
        RECT plus{cx, box.top + 2, cx + 1, box.bottom - 2};
        FillRect(dc, &plus, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
}

void PaintLinesAndButton(TreeData& t, HDC dc, TreeItem* item, const Layout& l) {
    const DWORD style = StyleOf(t.hwnd);
    const bool rootColumn = RootHasColumn(t);
    if (item->parent == &t.root && !rootColumn) return;
    const int h = l.bottom - l.top;
    const int rowMid = l.top + std::min(h, ItemHeight(t)) / 2;
    const int cx = l.start - t.indent + t.indent / 2;
    if (style & TVS_HASLINES) {
        const COLORREF c = Resolve(t.lineColor, COLOR_GRAYTEXT);
        DottedH(dc, cx, l.start, rowMid, c);
        const bool above = item->prev || item->parent != &t.root;
        DottedV(dc, cx, above ? l.top : rowMid, item->next ? l.bottom : rowMid + 1, c);
        // The lines of ancestors that have more siblings below pass through.
        int x = cx - t.indent;
        for (TreeItem* p = item->parent; p && p != &t.root; p = p->parent, x -= t.indent) {
            if (p->parent == &t.root && !rootColumn) break;
            if (p->next) DottedV(dc, x, l.top, l.bottom, c);
        }
    }
    if ((style & TVS_HASBUTTONS) && HasChildren(t, item))
        PaintButton(dc, cx, rowMid, item->state & TVIS_EXPANDED);
}

LRESULT CustomDraw(TreeData& t, HDC dc, DWORD stage, const RECT& rc, TreeItem* item, UINT itemState,
                   COLORREF& text, COLORREF& back) {
    NMTVCUSTOMDRAW cd{};
    cd.nmcd.dwDrawStage = stage;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = rc;
    cd.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(item);
    cd.nmcd.uItemState = itemState;
    cd.nmcd.lItemlParam = item ? item->param : 0;
    cd.clrText = text;
    cd.clrTextBk = back;
    cd.iLevel = item ? Level(t, item) : 0;
    const LRESULT r = SendNotify(t, cd.nmcd.hdr, NM_CUSTOMDRAW);
    text = cd.clrText;
    back = cd.clrTextBk;
    return r;
}

void PaintItem(TreeData& t, HDC dc, TreeItem* item, int row, bool focused, LRESULT drawFlags,
               COLORREF windowBack) {
    HWND hwnd = t.hwnd;
    const DWORD style = StyleOf(hwnd);
    const Layout l = LayoutOf(t, item, row);
    const bool selected = item == t.caret;
    const bool drop = item->state & TVIS_DROPHILITED;
    const bool highlight = drop || (selected && (focused || (style & TVS_SHOWSELALWAYS)));
    const bool full = (style & TVS_FULLROWSELECT) && !(style & TVS_HASLINES);
    COLORREF text = Resolve(t.textColor, COLOR_WINDOWTEXT);
    COLORREF back = windowBack;
    if (!IsWindowEnabled(hwnd)) text = GetSysColor(COLOR_GRAYTEXT);
    if (highlight && (focused || drop)) {
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        back = GetSysColor(COLOR_HIGHLIGHT);
    } else if (highlight) {
        back = GetSysColor(COLOR_BTNFACE);
    }
    UINT itemState = 0;
    if (selected) itemState |= CDIS_SELECTED;
    if (selected && focused) itemState |= CDIS_FOCUS;
    const RECT client = Client(hwnd);
    const RECT rowRect{0, l.top, client.right, l.bottom};
    LRESULT itemFlags = CDRF_DODEFAULT;
    HGDIOBJ oldFont = nullptr;
    if (drawFlags & CDRF_NOTIFYITEMDRAW) {
        oldFont = SelectObject(dc, (item->state & TVIS_BOLD) ? BoldFont(t) : FontOrSystem(t.font));
        itemFlags = CustomDraw(t, dc, CDDS_ITEMPREPAINT, rowRect, item, itemState, text, back);
        if (!IsWindow(hwnd) || !Valid(t, Handle(item))) return;
        if (itemFlags & CDRF_SKIPDEFAULT) {
            SelectObject(dc, oldFont);
            return;
        }
    }
    if (!(itemFlags & CDRF_NEWFONT))
        SelectObject(dc, (item->state & TVIS_BOLD) ? BoldFont(t) : FontOrSystem(t.font));
    PaintLinesAndButton(t, dc, item, l);
    const int rowHeight = std::min(l.bottom - l.top, ItemHeight(t));
    if (t.stateImages) {
        const int index = static_cast<int>((item->state & TVIS_STATEIMAGEMASK) >> 12);
        const SIZE s = IconSize(t.stateImages);
        if (index > 0)
            ImageList_Draw(t.stateImages, index, dc, l.stateLeft, l.top + (rowHeight - s.cy) / 2,
                           ILD_TRANSPARENT);
    }
    if (t.images) {
        const int image = ImageOf(t, item, selected);
        if (!IsWindow(hwnd) || !Valid(t, Handle(item))) return;
        const SIZE s = IconSize(t.images);
        if (image >= 0) {
            UINT flags = ILD_TRANSPARENT | (item->state & TVIS_OVERLAYMASK);
            COLORREF fore = CLR_NONE;
            if (item->state & TVIS_CUT) flags |= ILD_BLEND50, fore = windowBack;
            ImageList_DrawEx(t.images, image, dc, l.imageLeft, l.top + (rowHeight - s.cy) / 2, 0, 0,
                             CLR_NONE, fore, flags);
        }
    }
    RECT label = LabelRect(l);
    if (full) label.right = client.right;
    if (back != windowBack) {
        HBRUSH brush = CreateSolidBrush(back);
        FillRect(dc, &label, brush);
        DeleteObject(brush);
    }
    const std::u16string caption = TextOf(t, item);
    if (!IsWindow(hwnd)) return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    RECT textRect = label;
    textRect.left += kLabelPad;
    textRect.bottom = textRect.top + rowHeight;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    if (selected && focused && t.edit == nullptr) DrawFocusRect(dc, &label);
    if (itemFlags & CDRF_NOTIFYPOSTPAINT)
        CustomDraw(t, dc, CDDS_ITEMPOSTPAINT, rowRect, item, itemState, text, back);
    if (oldFont) SelectObject(dc, oldFont);
}

void Paint(TreeData& t, HDC given) {
    HWND hwnd = t.hwnd;
    UpdateScrollBars(t);
    PAINTSTRUCT ps{};
    HDC dc = given ? given : BeginPaint(hwnd, &ps);
    const RECT client = Client(hwnd);
    const COLORREF windowBack = Resolve(t.back, COLOR_WINDOW);
    HBRUSH brush = CreateSolidBrush(windowBack);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(t.font));
    COLORREF text = Resolve(t.textColor, COLOR_WINDOWTEXT), back = windowBack;
    const LRESULT drawFlags = CustomDraw(t, dc, CDDS_PREPAINT, client, nullptr, 0, text, back);
    if (IsWindow(hwnd) && !(drawFlags & CDRF_SKIPDEFAULT)) {
        const bool focused = GetFocus() == hwnd;
        const int h = std::max(1, ItemHeight(t));
        // Copy: a notification may change the rows while they are drawn.
        const std::vector<TreeItem*> rows = Rows(t);
        for (int row = t.top; row < static_cast<int>(rows.size()); ++row) {
            if ((row - t.top) * h >= client.bottom) break;
            TreeItem* item = rows[static_cast<size_t>(row)];
            if (!Valid(t, Handle(item))) continue;
            PaintItem(t, dc, item, row, focused, drawFlags, windowBack);
            if (!IsWindow(hwnd)) return;
        }
        if (drawFlags & CDRF_NOTIFYPOSTPAINT)
            CustomDraw(t, dc, CDDS_POSTPAINT, client, nullptr, 0, text, back);
    }
    if (!IsWindow(hwnd)) return;
    SelectObject(dc, oldFont);
    if (!given) EndPaint(hwnd, &ps);
}

// --- Input --------------------------------------------------------------------------------------

void SelectRow(TreeData& t, int row, UINT action) {
    std::vector<TreeItem*>& rows = Rows(t);
    if (rows.empty()) return;
    row = std::clamp(row, 0, static_cast<int>(rows.size()) - 1);
    SelectCaret(t, rows[static_cast<size_t>(row)], action);
}

void ExpandAll(TreeData& t, TreeItem* item) {
    HWND hwnd = t.hwnd;
    Expand(t, item, TVE_EXPAND, true);
    if (!IsWindow(hwnd) || !Valid(t, Handle(item))) return;
    std::vector<TreeItem*> kids;
    for (TreeItem* c = item->first; c; c = c->next)
        kids.push_back(c);
    for (TreeItem* c : kids)
        if (IsWindow(hwnd) && Valid(t, Handle(c))) ExpandAll(t, c);
}

void KeyDown(TreeData& t, WPARAM vk) {
    HWND hwnd = t.hwnd;
    NMTVKEYDOWN kd{};
    kd.wVKey = static_cast<WORD>(vk);
    SendNotify(t, kd.hdr, TVN_KEYDOWN);
    if (!IsWindow(hwnd)) return;
    TreeItem* caret = t.caret && Valid(t, Handle(t.caret)) ? t.caret : nullptr;
    const int row = caret ? RowOf(t, caret) : -1;
    const int page = std::max(1, PageRows(t));
    switch (vk) {
    case VK_UP:
        SelectRow(t, caret ? row - 1 : 0, TVC_BYKEYBOARD);
        break;
    case VK_DOWN:
        SelectRow(t, caret ? row + 1 : 0, TVC_BYKEYBOARD);
        break;
    case VK_HOME:
        SelectRow(t, 0, TVC_BYKEYBOARD);
        break;
    case VK_END:
        SelectRow(t, static_cast<int>(Rows(t).size()) - 1, TVC_BYKEYBOARD);
        break;
    case VK_PRIOR:
        SelectRow(t, row - (page - 1), TVC_BYKEYBOARD);
        break;
    case VK_NEXT:
        SelectRow(t, row + (page - 1), TVC_BYKEYBOARD);
        break;
    case VK_LEFT:
        if (!caret) break;
        if (caret->state & TVIS_EXPANDED)
            Expand(t, caret, TVE_COLLAPSE, true);
        else if (caret->parent != &t.root)
            SelectCaret(t, caret->parent, TVC_BYKEYBOARD);
        break;
    case VK_BACK:
        if (caret && caret->parent != &t.root) SelectCaret(t, caret->parent, TVC_BYKEYBOARD);
        break;
    case VK_RIGHT:
        if (!caret || !HasChildren(t, caret)) break;
        if (!(caret->state & TVIS_EXPANDED))
            Expand(t, caret, TVE_EXPAND, true);
        else if (caret->first)
            SelectCaret(t, caret->first, TVC_BYKEYBOARD);
        break;
    case VK_ADD:
        if (caret) Expand(t, caret, TVE_EXPAND, true);
        break;
    case VK_SUBTRACT:
        if (caret) Expand(t, caret, TVE_COLLAPSE, true);
        break;
    case VK_MULTIPLY:
        if (caret) ExpandAll(t, caret);
        break;
    case VK_F2:
        if (caret && (StyleOf(hwnd) & TVS_EDITLABELS)) EditLabel(t, caret);
        break;
    case VK_RETURN: {
        NMHDR h{};
        SendNotify(t, h, NM_RETURN);
        break;
    }
    default:
        break;
    }
}

// Typed letters pick the next row whose text begins with what was typed lately.
void TypeChar(TreeData& t, char16_t c) {
    if (c < 32) return;
    const LONG now = GetMessageTime();
    if (now - t.searchTime > 1000) t.search.clear();
    t.searchTime = now;
    t.search.push_back(c);
    std::vector<TreeItem*> rows = Rows(t);
    if (rows.empty()) return;
    const int n = static_cast<int>(rows.size());
    const int caretRow = t.caret ? RowOf(t, t.caret) : -1;
    // A repeated prefix goes on from the selection; a single letter from the next row.
    const int start = caretRow < 0 ? 0 : t.search.size() > 1 ? caretRow : caretRow + 1;
    for (int i = 0; i < n; ++i) {
        TreeItem* item = rows[static_cast<size_t>((start + i) % n)];
        if (Valid(t, Handle(item)) && StartsWithNoCase(TextOf(t, item), t.search)) {
            SelectCaret(t, item, TVC_BYKEYBOARD);
            return;
        }
    }
}

void ButtonDown(TreeData& t, POINT p, bool right) {
    HWND hwnd = t.hwnd;
    t.hadFocus = GetFocus() == hwnd;
    KillTimer(hwnd, kEditTimer);
    t.editPending = false;
    if (t.edit) EndEdit(t, false);
    if (!IsWindow(hwnd)) return;
    if (!t.hadFocus) SetFocus(hwnd);
    if (!IsWindow(hwnd)) return;
    UINT flags = 0;
    TreeItem* item = HitTest(t, p, flags);
    if (!right && item && (flags & TVHT_ONITEMBUTTON)) {
        Expand(t, item, TVE_TOGGLE, true);
        return;
    }
    t.pressItem = (flags & TVHT_ONITEM) ? item : nullptr;
    t.pressFlags = flags;
    t.pressPoint = p;
    t.pressRight = right;
    t.pressing = true;
    t.dragged = false;
    SetCapture(hwnd);
}

void MouseMove(TreeData& t, POINT p) {
    if (!t.pressing || t.dragged || !t.pressItem) return;
    const int dx = std::max(1, GetSystemMetrics(SM_CXDRAG));
    const int dy = std::max(1, GetSystemMetrics(SM_CYDRAG));
    if (std::abs(p.x - t.pressPoint.x) < dx && std::abs(p.y - t.pressPoint.y) < dy) return;
    t.dragged = true;
    t.pressing = false;
    ReleaseCapture();
    if (StyleOf(t.hwnd) & TVS_DISABLEDRAGDROP) return;
    NMTREEVIEWW nm{};
    nm.action = 0;
    Describe(nm.itemNew, t.pressItem);
    nm.ptDrag = t.pressPoint;
    SendNotify(t, nm.hdr, t.pressRight ? TVN_BEGINRDRAGW : TVN_BEGINDRAGW);
}

void ButtonUp(TreeData& t, POINT p, bool right) {
    if (!t.pressing || t.pressRight != right) return;
    HWND hwnd = t.hwnd;
    t.pressing = false;
    ReleaseCapture();
    if (!IsWindow(hwnd)) return;
    TreeItem* item = t.pressItem && Valid(t, Handle(t.pressItem)) ? t.pressItem : nullptr;
    if (!right && item) {
        const bool wasCaret = item == t.caret;
        if (SelectCaret(t, item, TVC_BYMOUSE) && IsWindow(hwnd) && wasCaret && t.hadFocus &&
            (t.pressFlags & TVHT_ONITEMLABEL) && (StyleOf(hwnd) & TVS_EDITLABELS)) {
            t.editPending = true;
            SetTimer(hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
        }
        if (!IsWindow(hwnd)) return;
    }
    NMHDR h{};
    const LRESULT handled = SendNotify(t, h, right ? NM_RCLICK : NM_CLICK);
    if (right && !handled && IsWindow(hwnd)) {
        POINT screen = p;
        ClientToScreen(hwnd, &screen);
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                     MAKELPARAM(screen.x, screen.y));
    }
}

void DoubleClick(TreeData& t, POINT p, bool right) {
    HWND hwnd = t.hwnd;
    KillTimer(hwnd, kEditTimer);
    t.editPending = false;
    NMHDR h{};
    if (SendNotify(t, h, right ? NM_RDBLCLK : NM_DBLCLK) != 0 || right || !IsWindow(hwnd)) return;
    UINT flags = 0;
    TreeItem* item = HitTest(t, p, flags);
    if (item && (flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON))) Expand(t, item, TVE_TOGGLE, true);
}

void Scroll(TreeData& t, int bar, int code) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS | SIF_POS;
    GetScrollInfo(t.hwnd, bar, &si);
    if (bar == SB_VERT) {
        const int page = std::max(1, PageRows(t));
        int top = t.top;
        switch (code) {
        case SB_LINEUP: --top; break;
        case SB_LINEDOWN: ++top; break;
        case SB_PAGEUP: top -= page; break;
        case SB_PAGEDOWN: top += page; break;
        case SB_TOP: top = 0; break;
        case SB_BOTTOM: top = static_cast<int>(Rows(t).size()); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: top = si.nTrackPos; break;
        default: return;
        }
        SetTop(t, top);
        return;
    }
    const int clientWidth = Client(t.hwnd).right;
    int x = t.xOffset;
    switch (code) {
    case SB_LINEUP: x -= t.indent; break;
    case SB_LINEDOWN: x += t.indent; break;
    case SB_PAGEUP: x -= clientWidth; break;
    case SB_PAGEDOWN: x += clientWidth; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: x = si.nTrackPos; break;
    default: return;
    }
    t.xOffset = std::max(0, x);
    UpdateScrollBars(t);
    InvalidateRect(t.hwnd, nullptr, TRUE);
}

// --- Messages ----------------------------------------------------------------------------------

LRESULT TreeMessages(TreeData& t, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case TVM_INSERTITEMW:
        return reinterpret_cast<LRESULT>(
            Insert(t, reinterpret_cast<const TVINSERTSTRUCTW*>(lParam)));
    case TVM_DELETEITEM: {
        auto h = reinterpret_cast<HTREEITEM>(lParam);
        if (!h || h == TVI_ROOT) {
            DeleteAll(t);
            return TRUE;
        }
        TreeItem* item = Valid(t, h);
        if (!item || item->deleting) return FALSE;
        DeleteItem(t, item);
        return TRUE;
    }
    case TVM_EXPAND:
        return Expand(t, Valid(t, reinterpret_cast<HTREEITEM>(lParam)), static_cast<UINT>(wParam),
                      false);
    case TVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r) return FALSE;
        HTREEITEM h;
        std::memcpy(&h, r, sizeof h);
        TreeItem* item = Valid(t, h);
        const int row = item ? RowOf(t, item) : -1;
        if (row < 0) return FALSE;
        const Layout l = LayoutOf(t, item, row);
        *r = wParam ? LabelRect(l) : RECT{0, l.top, Client(hwnd).right, l.bottom};
        return TRUE;
    }
    case TVM_GETCOUNT:
        return static_cast<LRESULT>(t.items.size());
    case TVM_GETINDENT:
        return t.indent;
    case TVM_SETINDENT: {
        const int least = std::max<int>(IconSize(t.images).cx / 2, kButtonSize + 4);
        t.indent = std::max(static_cast<int>(wParam), least);
        Changed(t);
        return 0;
    }
    case TVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == TVSIL_STATE ? t.stateImages : t.images);
    case TVM_SETIMAGELIST: {
        HIMAGELIST& slot = wParam == TVSIL_STATE ? t.stateImages : t.images;
        if (wParam != TVSIL_STATE && wParam != TVSIL_NORMAL) return 0;
        HIMAGELIST old = slot;
        slot = reinterpret_cast<HIMAGELIST>(lParam);
        Changed(t);
        return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETNEXTITEM: {
        auto h = reinterpret_cast<HTREEITEM>(lParam);
        TreeItem* item = Valid(t, h);
        TreeItem* out = nullptr;
        std::vector<TreeItem*>& rows = Rows(t);
        switch (wParam & 0xFF) {
        case TVGN_ROOT: out = t.root.first; break;
        case TVGN_NEXT: out = item ? item->next : nullptr; break;
        case TVGN_PREVIOUS: out = item ? item->prev : nullptr; break;
        case TVGN_PARENT: out = item && item->parent != &t.root ? item->parent : nullptr; break;
        case TVGN_CHILD:
            out = (!h || h == TVI_ROOT) ? t.root.first : item ? item->first : nullptr;
            break;
        case TVGN_FIRSTVISIBLE:
            out = t.top < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(t.top)] : nullptr;
            break;
        case TVGN_NEXTVISIBLE:
        case TVGN_PREVIOUSVISIBLE: {
            const int row = item ? RowOf(t, item) : -1;
            const int other = row < 0 ? -1 : (wParam & 0xFF) == TVGN_NEXTVISIBLE ? row + 1 : row - 1;
            out = row >= 0 && other >= 0 && other < static_cast<int>(rows.size())
                      ? rows[static_cast<size_t>(other)]
                      : nullptr;
            break;
        }
        case TVGN_DROPHILITE: out = t.drop; break;
        case TVGN_CARET: out = t.caret; break;
        case TVGN_LASTVISIBLE: out = rows.empty() ? nullptr : rows.back(); break;
        default: break;
        }
        return reinterpret_cast<LRESULT>(out);
    }
    case TVM_SELECTITEM: {
        auto h = reinterpret_cast<HTREEITEM>(lParam);
        TreeItem* item = Valid(t, h);
        if (h && !item) return FALSE;
        switch (wParam & 0xFF) {
        case TVGN_CARET:
            if (!SelectCaret(t, item, TVC_UNKNOWN)) return FALSE;
            if (item && IsWindow(hwnd) && Valid(t, h)) EnsureVisible(t, item);
            return TRUE;
        case TVGN_DROPHILITE:
            if (t.drop && Valid(t, Handle(t.drop))) t.drop->state &= ~TVIS_DROPHILITED;
            t.drop = item;
            if (item) item->state |= TVIS_DROPHILITED;
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        case TVGN_FIRSTVISIBLE:
            if (!item) return FALSE;
            EnsureVisible(t, item);
            if (Valid(t, h)) SetTop(t, RowOf(t, item));
            return TRUE;
        default:
            return FALSE;
        }
    }
    case TVM_GETITEMW:
        return GetItem(t, reinterpret_cast<TVITEMEXW*>(lParam));
    case TVM_SETITEMW:
        return SetItem(t, reinterpret_cast<const TVITEMEXW*>(lParam));
    case TVM_EDITLABELW:
        return reinterpret_cast<LRESULT>(EditLabel(t, Valid(t, reinterpret_cast<HTREEITEM>(lParam))));
    case TVM_GETEDITCONTROL:
        return reinterpret_cast<LRESULT>(t.edit);
    case TVM_ENDEDITLABELNOW:
        if (!t.edit) return FALSE;
        EndEdit(t, wParam != 0);
        return TRUE;
    case TVM_GETVISIBLECOUNT:
        return PageRows(t);
    case TVM_HITTEST: {
        auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
        if (!info) return 0;
        info->hItem = Handle(HitTest(t, info->pt, info->flags));
        return reinterpret_cast<LRESULT>(info->hItem);
    }
    case TVM_SORTCHILDREN: {
        TreeItem* parent = ValidParent(t, reinterpret_cast<HTREEITEM>(lParam));
        if (!parent) return FALSE;
        SortChildren(t, parent, wParam != 0, [&t](TreeItem* a, TreeItem* b) {
            return CompareNoCase(TextOf(t, a), TextOf(t, b)) < 0;
        });
        return TRUE;
    }
    case TVM_SORTCHILDRENCB: {
        auto* sort = reinterpret_cast<const TVSORTCB*>(lParam);
        if (!sort || !sort->lpfnCompare) return FALSE;
        TreeItem* parent = ValidParent(t, sort->hParent);
        if (!parent) return FALSE;
        const PFNTVCOMPARE compare = sort->lpfnCompare;
        const LPARAM data = sort->lParam;
        SortChildren(t, parent, wParam != 0, [compare, data](TreeItem* a, TreeItem* b) {
            return compare(a->param, b->param, data) < 0;
        });
        return TRUE;
    }
    case TVM_ENSUREVISIBLE: {
        TreeItem* item = Valid(t, reinterpret_cast<HTREEITEM>(lParam));
        if (!item) return FALSE;
        EnsureVisible(t, item);
        return TRUE;
    }
    case TVM_SETITEMHEIGHT: {
        const int old = ItemHeight(t);
        const int h = static_cast<int>(static_cast<short>(LOWORD(wParam)));
        t.itemHeight = h <= 0 ? -1 : h;
        if (t.itemHeight > 1 && !(StyleOf(hwnd) & TVS_NONEVENHEIGHT)) t.itemHeight &= ~1;
        Changed(t);
        return old;
    }
    case TVM_GETITEMHEIGHT:
        return ItemHeight(t);
    case TVM_SETBKCOLOR:
    case TVM_SETTEXTCOLOR:
    case TVM_SETLINECOLOR: {
        COLORREF& slot = msg == TVM_SETBKCOLOR     ? t.back
                         : msg == TVM_SETTEXTCOLOR ? t.textColor
                                                   : t.lineColor;
        const COLORREF old = slot;
        slot = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return (old == CLR_NONE || old == CLR_DEFAULT) && msg != TVM_SETLINECOLOR
                   ? static_cast<LRESULT>(-1)
                   : static_cast<LRESULT>(old);
    }
    case TVM_GETBKCOLOR:
        return t.back == CLR_NONE ? static_cast<LRESULT>(-1) : static_cast<LRESULT>(t.back);
    case TVM_GETTEXTCOLOR:
        return t.textColor == CLR_NONE ? static_cast<LRESULT>(-1)
                                       : static_cast<LRESULT>(t.textColor);
    case TVM_GETLINECOLOR:
        return static_cast<LRESULT>(t.lineColor);
    case TVM_GETITEMSTATE: {
        TreeItem* item = Valid(t, reinterpret_cast<HTREEITEM>(wParam));
        return item ? static_cast<LRESULT>(item->state & static_cast<UINT>(lParam)) : 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT Messages(TreeData& t, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_PAINT:
        Paint(t, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        t.font = reinterpret_cast<HFONT>(wParam);
        if (t.bold) DeleteObject(t.bold), t.bold = nullptr;
        for (auto& [item, owned] : t.items)
            item->width = -1;
        Changed(t);
        UpdateScrollBars(t);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(t.font);
    case WM_SIZE:
        UpdateScrollBars(t);
        InvalidateRect(hwnd, nullptr, TRUE);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_STYLECHANGED:
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
        Changed(t);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETREDRAW: {
        const LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        if (wParam) {
            UpdateScrollBars(t);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        InvalidateItem(t, t.caret);
        NMHDR h{};
        SendNotify(t, h, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        KeyDown(t, wParam);
        return 0;
    case WM_CHAR:
        TypeChar(t, static_cast<char16_t>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        ButtonDown(t, p, msg == WM_RBUTTONDOWN);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(t, p);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ButtonUp(t, p, msg == WM_RBUTTONUP);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        DoubleClick(t, p, msg == WM_RBUTTONDBLCLK);
        return 0;
    case WM_CAPTURECHANGED:
        t.pressing = false;
        return 0;
    case WM_TIMER:
        if (wParam == kEditTimer) {
            KillTimer(hwnd, kEditTimer);
            if (t.editPending && t.caret) {
                t.editPending = false;
                EditLabel(t, t.caret);
            }
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_VSCROLL:
    case WM_HSCROLL:
        Scroll(t, msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        SetTop(t, t.top - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        return 0;
    case WM_COMMAND:
        // The edit field's own notifications need nothing from the tree.
        if (reinterpret_cast<HWND>(lParam) == t.edit && t.edit) return 0;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_DESTROY:
        DeleteAll(t);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    default:
        return TreeMessages(t, hwnd, msg, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto t = std::make_shared<TreeData>();
        t->hwnd = hwnd;
        AttachData(hwnd, t);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto t = Data<TreeData>(hwnd);
    if (!t) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        if (t->bold) DeleteObject(t->bold), t->bold = nullptr;
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*t, hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
