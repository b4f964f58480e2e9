// The tab control (WC_TABCONTROL): one row of tabs along the top with a text
// and an optional image each, the current tab raised over a panel whose
// inside (TCM_ADJUSTRECT) the owner fills. A click or the arrow keys change
// the current tab after asking the parent (TCN_SELCHANGING, TCN_SELCHANGE);
// TCM_SETCURSEL changes it without asking. Away from the tabs the control is
// transparent to the mouse, so that what lies on the panel gets the clicks.
#include "Controls.h"

#include <win32/commctrl.h>
#include <win32/wingdi.h>

#include <algorithm>

namespace win32::controls {

namespace {

struct TabItem {
    std::u16string text;
    int image = -1;
    LPARAM param = 0;
};

struct TabData : ControlData {
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    HIMAGELIST images = nullptr;
    std::vector<TabItem> items;
    int current = -1;
    int fixedWidth = 0;  // TCM_SETITEMSIZE with TCS_FIXEDWIDTH
    int fixedHeight = 0; // TCM_SETITEMSIZE: the row's height when set
    POINT padding{6, 3};
};

constexpr int kRowIndent = 2; // first tab's distance from the left edge
constexpr int kRaise = 2;     // how far the current tab stands out
constexpr int kImageGap = 3;  // between an image and the text

int ImageWidth(const TabData& t) {
    int cx = 0, cy = 0;
    if (t.images) ImageList_GetIconSize(t.images, &cx, &cy);
    return cx;
}

int ImageHeight(const TabData& t) {
    int cx = 0, cy = 0;
    if (t.images) ImageList_GetIconSize(t.images, &cx, &cy);
    return cy;
}

int RowHeight(const TabData& t) {
    if (t.fixedHeight > 0) return t.fixedHeight;
    MeasureDC m(FontOrSystem(t.font));
    return std::max(m.LineHeight(), ImageHeight(t)) + 2 * t.padding.y + 2;
}

// The tabs' rectangles as they stand (the current one not yet raised).
std::vector<RECT> ItemRects(const TabData& t) {
    std::vector<RECT> rects;
    const DWORD style = StyleOf(t.hwnd);
    MeasureDC m(FontOrSystem(t.font));
    const int height = RowHeight(t);
    int x = kRowIndent;
    for (const TabItem& item : t.items) {
        int width = t.fixedWidth;
        if (!(style & TCS_FIXEDWIDTH) || width <= 0) {
            width = m.Width(item.text) + 2 * t.padding.x;
            if (t.images && item.image >= 0) width += ImageWidth(t) + kImageGap;
        }
        rects.push_back(RECT{x, kRaise, x + width, kRaise + height});
        x += width + ((style & TCS_BUTTONS) ? 3 : 0);
    }
    return rects;
}

RECT ClientRect(HWND hwnd) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    return r;
}

// The panel under the tabs.
RECT PanelRect(const TabData& t) {
    RECT r = ClientRect(t.hwnd);
    r.top = kRaise + RowHeight(t);
    return r;
}

int HitTest(const TabData& t, POINT p, UINT* flags) {
    const std::vector<RECT> rects = ItemRects(t);
    for (size_t i = 0; i < rects.size(); ++i) {
        if (!PtInRect(&rects[i], p)) continue;
        if (flags) {
            *flags = TCHT_ONITEMLABEL;
            const TabItem& item = t.items[i];
            if (t.images && item.image >= 0 && p.x < rects[i].left + t.padding.x + ImageWidth(t))
                *flags = TCHT_ONITEMICON;
        }
        return static_cast<int>(i);
    }
    if (flags) *flags = TCHT_NOWHERE;
    return -1;
}

LRESULT NotifyParent(TabData& t, UINT code) {
    NMHDR h{};
    h.hwndFrom = t.hwnd;
    h.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(t.hwnd, GWLP_ID));
    h.code = code;
    return SendMessageW(GetParent(t.hwnd), WM_NOTIFY, h.idFrom, reinterpret_cast<LPARAM>(&h));
}

// A user's change: the parent may refuse it.
void Select(TabData& t, int index) {
    if (index < 0 || index >= static_cast<int>(t.items.size()) || index == t.current) return;
    HWND hwnd = t.hwnd;
    if (NotifyParent(t, TCN_SELCHANGING) != 0 || !IsWindow(hwnd)) return;
    t.current = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParent(t, TCN_SELCHANGE);
}

void PaintTab(const TabData& t, HDC dc, RECT r, int index) {
    const DWORD style = StyleOf(t.hwnd);
    const bool current = index == t.current;
    if (style & TCS_BUTTONS) {
        if (!(style & TCS_FLATBUTTONS) || current)
            DrawEdge(dc, &r, current ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
    } else {
        if (current) InflateRect(&r, kRaise, 0), r.top -= kRaise, r.bottom += 1;
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &r, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
    }
    const TabItem& item = t.items[static_cast<size_t>(index)];
    RECT text = r;
    text.left += t.padding.x;
    text.right -= t.padding.x;
    if (t.images && item.image >= 0) {
        const int y = r.top + (r.bottom - r.top - ImageHeight(t)) / 2;
        ImageList_Draw(t.images, item.image, dc, text.left, y, ILD_TRANSPARENT);
        text.left += ImageWidth(t) + kImageGap;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(t.hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

// Into the DC given (WM_PAINT's wParam, as owners that buffer pass it), else the window's.
void Paint(TabData& t, HDC given) {
    PAINTSTRUCT ps;
    HDC dc = given ? given : BeginPaint(t.hwnd, &ps);
    const DWORD style = StyleOf(t.hwnd);
    RECT client = ClientRect(t.hwnd);
    HBRUSH back = ControlColor(t.hwnd, dc, WM_CTLCOLORSTATIC);
    FillRect(dc, &client, back ? back : GetSysColorBrush(COLOR_BTNFACE));
    if (!(style & TCS_BUTTONS)) {
        RECT panel = PanelRect(t);
        FillRect(dc, &panel, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &panel, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    HGDIOBJ old = SelectObject(dc, FontOrSystem(t.font));
    const std::vector<RECT> rects = ItemRects(t);
    // The current tab last: it overlaps its neighbours.
    for (size_t i = 0; i < rects.size(); ++i)
        if (static_cast<int>(i) != t.current) PaintTab(t, dc, rects[i], static_cast<int>(i));
    if (t.current >= 0 && t.current < static_cast<int>(rects.size()))
        PaintTab(t, dc, rects[static_cast<size_t>(t.current)], t.current);
    SelectObject(dc, old);
    if (!given) EndPaint(t.hwnd, &ps);
}

LRESULT ItemMessage(TabData& t, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int index = static_cast<int>(wParam);
    const int count = static_cast<int>(t.items.size());
    auto* info = reinterpret_cast<TCITEMW*>(lParam);
    switch (msg) {
    case TCM_INSERTITEMW: {
        if (!info || index < 0) return -1;
        const int at = std::min(index, count);
        TabItem item;
        if ((info->mask & TCIF_TEXT) && info->pszText) item.text = info->pszText;
        if (info->mask & TCIF_IMAGE) item.image = info->iImage;
        if (info->mask & TCIF_PARAM) item.param = info->lParam;
        t.items.insert(t.items.begin() + at, item);
        if (t.current >= at) ++t.current;
        InvalidateRect(t.hwnd, nullptr, TRUE);
        return at;
    }
    case TCM_SETITEMW:
    case TCM_GETITEMW: {
        if (!info || index < 0 || index >= count) return FALSE;
        TabItem& item = t.items[static_cast<size_t>(index)];
        if (msg == TCM_SETITEMW) {
            if ((info->mask & TCIF_TEXT) && info->pszText) item.text = info->pszText;
            if (info->mask & TCIF_IMAGE) item.image = info->iImage;
            if (info->mask & TCIF_PARAM) item.param = info->lParam;
            InvalidateRect(t.hwnd, nullptr, TRUE);
            return TRUE;
        }
        if ((info->mask & TCIF_TEXT) && info->pszText && info->cchTextMax > 0) {
            const size_t n = std::min(item.text.size(), static_cast<size_t>(info->cchTextMax - 1));
            std::copy_n(item.text.begin(), n, info->pszText);
            info->pszText[n] = 0;
        }
        if (info->mask & TCIF_IMAGE) info->iImage = item.image;
        if (info->mask & TCIF_PARAM) info->lParam = item.param;
        return TRUE;
    }
    case TCM_DELETEITEM:
        if (index < 0 || index >= count) return FALSE;
        t.items.erase(t.items.begin() + index);
        // The current tab shifts with the items before it; deleting it leaves none.
        if (t.current == index)
            t.current = -1;
        else if (t.current > index)
            --t.current;
        InvalidateRect(t.hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_DELETEALLITEMS:
        t.items.clear();
        t.current = -1;
        InvalidateRect(t.hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || index < 0 || index >= count) return FALSE;
        *r = ItemRects(t)[static_cast<size_t>(index)];
        return TRUE;
    }
    default:
        return 0;
    }
}

LRESULT Messages(TabData& t, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case TCM_INSERTITEMW:
    case TCM_SETITEMW:
    case TCM_GETITEMW:
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS:
    case TCM_GETITEMRECT:
        return ItemMessage(t, msg, wParam, lParam);
    case TCM_GETITEMCOUNT:
        return static_cast<LRESULT>(t.items.size());
    case TCM_GETROWCOUNT:
        return t.items.empty() ? 0 : 1;
    case TCM_GETCURSEL:
        return t.current;
    case TCM_SETCURSEL: {
        const int index = static_cast<int>(wParam);
        if (index >= static_cast<int>(t.items.size())) return -1;
        const int old = t.current;
        t.current = index < 0 ? -1 : index;
        if (old != t.current) InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
        return info ? HitTest(t, info->pt, &info->flags) : -1;
    }
    case TCM_ADJUSTRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r) return 0;
        const int top = kRaise + RowHeight(t);
        const int edge = 2; // the panel's raised edge
        if (wParam) {
            r->left -= edge;
            r->right += edge;
            r->bottom += edge;
            r->top -= top + edge;
        } else {
            r->left += edge;
            r->right -= edge;
            r->bottom -= edge;
            r->top += top + edge;
        }
        return 0;
    }
    case TCM_SETIMAGELIST: {
        HIMAGELIST old = t.images;
        t.images = reinterpret_cast<HIMAGELIST>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case TCM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(t.images);
    case TCM_SETITEMSIZE: {
        const LRESULT old = MAKELPARAM(t.fixedWidth, RowHeight(t));
        t.fixedWidth = LOWORD(lParam);
        t.fixedHeight = HIWORD(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case TCM_SETPADDING:
        t.padding = POINT{LOWORD(lParam), HIWORD(lParam)};
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        t.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(t.font);
    case WM_NCHITTEST: {
        const LRESULT hit = DefWindowProcW(hwnd, msg, wParam, lParam);
        if (hit != HTCLIENT) return hit;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd, &p);
        return HitTest(t, p, nullptr) >= 0 ? HTCLIENT : HTTRANSPARENT;
    }
    case WM_LBUTTONDOWN: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const int index = HitTest(t, p, nullptr);
        // Tabs take the focus on a click; buttons only when asked to.
        const DWORD style = StyleOf(hwnd);
        if (index >= 0 && !(style & TCS_FOCUSNEVER) &&
            (!(style & TCS_BUTTONS) || (style & TCS_FOCUSONBUTTONDOWN)))
            SetFocus(hwnd);
        Select(t, index);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_LEFT) Select(t, t.current - 1);
        if (wParam == VK_RIGHT) Select(t, t.current + 1);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_PAINT:
        Paint(t, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK TabControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto t = std::make_shared<TabData>();
        t->hwnd = hwnd;
        AttachData(hwnd, t);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto t = Data<TabData>(hwnd);
    if (!t) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*t, hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
