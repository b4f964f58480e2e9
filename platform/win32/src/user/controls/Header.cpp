// The header control (WC_HEADER): a row of column captions. Items keep a
// width, a text, a format (alignment, image, sort arrow) and a display order.
// Dragging a divider resizes the item on its left: HDN_BEGINTRACK (the parent
// may refuse), HDN_TRACK while the mouse moves (with HDS_FULLDRAG the width
// follows at once), HDN_ENDTRACK and the change (HDN_ITEMCHANGING/ED). A
// click on an item of a HDS_BUTTONS header presses it and HDN_ITEMCLICK
// follows the release over it.
#include "Controls.h"

#include <win32/commctrl.h>
#include <win32/wingdi.h>

#include <algorithm>
#include <numeric>

namespace win32::controls {

namespace {

struct HeaderItem {
    int width = 50;
    std::u16string text;
    int fmt = HDF_LEFT | HDF_STRING;
    LPARAM param = 0;
    int image = -1;
};

struct HeaderData : ControlData {
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    HIMAGELIST images = nullptr;
    std::vector<HeaderItem> items;
    std::vector<int> order; // display position -> item index
    // Mouse
    int tracking = -1;  // item whose divider is being dragged
    int trackStart = 0; // its width at the start
    int trackX = 0;     // the mouse at the start
    int pressed = -1;   // item pressed as a button
    bool pressedInside = false;
};

constexpr int kDividerSlack = 4; // the divider's grip on each side
constexpr int kTextMargin = 6;
constexpr int kArrowSize = 8;

int Height(const HeaderData& h) {
    MeasureDC m(FontOrSystem(h.font));
    int cy = 0, cx = 0;
    if (h.images) ImageList_GetIconSize(h.images, &cx, &cy);
    return std::max(m.LineHeight(), cy) + 6;
}

// Items' rectangles by item index, laid out in display order.
std::vector<RECT> ItemRects(const HeaderData& h) {
    RECT client;
    GetClientRect(h.hwnd, &client);
    std::vector<RECT> rects(h.items.size());
    int x = 0;
    for (int index : h.order) {
        const int w = std::max(0, h.items[static_cast<size_t>(index)].width);
        rects[static_cast<size_t>(index)] = RECT{x, 0, x + w, client.bottom};
        x += w;
    }
    return rects;
}

LRESULT Notify(HeaderData& h, UINT code, int item, HDITEMW* info = nullptr, int button = 0) {
    NMHEADERW n{};
    n.hdr.hwndFrom = h.hwnd;
    n.hdr.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(h.hwnd, GWLP_ID));
    n.hdr.code = code;
    n.iItem = item;
    n.iButton = button;
    n.pitem = info;
    return SendMessageW(GetParent(h.hwnd), WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n));
}

// Which item a point is on, and whether on its right divider. The divider of
// the last item to the left of a point wins over the item under it, so that a
// zero-width column can still be pulled open.
int HitTest(const HeaderData& h, POINT p, UINT* flags) {
    RECT client;
    GetClientRect(h.hwnd, &client);
    UINT f = 0;
    if (p.y < 0) f |= HHT_ABOVE;
    if (p.y >= client.bottom) f |= HHT_BELOW;
    if (p.x < 0) f |= HHT_TOLEFT;
    if (p.x >= client.right) f |= HHT_TORIGHT;
    if (f) {
        if (flags) *flags = f;
        return -1;
    }
    const std::vector<RECT> rects = ItemRects(h);
    for (auto it = h.order.rbegin(); it != h.order.rend(); ++it) {
        const RECT& r = rects[static_cast<size_t>(*it)];
        if (p.x >= r.right - kDividerSlack && p.x < r.right + kDividerSlack) {
            if (flags) *flags = HHT_ONDIVIDER;
            return *it;
        }
    }
    for (int index : h.order) {
        const RECT& r = rects[static_cast<size_t>(index)];
        if (p.x >= r.left && p.x < r.right) {
            if (flags) *flags = HHT_ONHEADER;
            return index;
        }
    }
    if (flags) *flags = HHT_NOWHERE;
    return -1;
}

void PaintItem(const HeaderData& h, HDC dc, RECT r, int index) {
    const HeaderItem& item = h.items[static_cast<size_t>(index)];
    const bool down = index == h.pressed && h.pressedInside;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT);
    RECT text = r;
    InflateRect(&text, -kTextMargin, 0);
    if (down) OffsetRect(&text, 1, 1);
    if (h.images && (item.fmt & HDF_IMAGE) && item.image >= 0) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(h.images, &cx, &cy);
        ImageList_Draw(h.images, item.image, dc, text.left, text.top + (r.bottom - r.top - cy) / 2,
                       ILD_TRANSPARENT);
        text.left += cx + 3;
    }
    if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
        // The arrow sits at the right end; the text gives way to it.
        const int ax = text.right - kArrowSize;
        const int ay = (r.top + r.bottom) / 2;
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_BTNSHADOW));
        POINT tri[3];
        if (item.fmt & HDF_SORTUP)
            tri[0] = {ax, ay + 2}, tri[1] = {ax + kArrowSize, ay + 2},
            tri[2] = {ax + kArrowSize / 2, ay - 2};
        else
            tri[0] = {ax, ay - 2}, tri[1] = {ax + kArrowSize, ay - 2},
            tri[2] = {ax + kArrowSize / 2, ay + 2};
        Polygon(dc, tri, 3);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        text.right = ax - 3;
    }
    UINT align = DT_LEFT;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(h.hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text,
              align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Paint(HeaderData& h, HDC given) {
    PAINTSTRUCT ps;
    HDC dc = given ? given : BeginPaint(h.hwnd, &ps);
    RECT client;
    GetClientRect(h.hwnd, &client);
    HGDIOBJ old = SelectObject(dc, FontOrSystem(h.font));
    const std::vector<RECT> rects = ItemRects(h);
    int right = 0;
    for (int index : h.order) {
        PaintItem(h, dc, rects[static_cast<size_t>(index)], index);
        right = rects[static_cast<size_t>(index)].right;
    }
    RECT rest{right, 0, client.right, client.bottom};
    if (rest.left < rest.right) {
        FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    SelectObject(dc, old);
    if (!given) EndPaint(h.hwnd, &ps);
}

void Fill(HeaderItem& item, const HDITEMW& info) {
    if (info.mask & HDI_WIDTH) item.width = info.cxy;
    if ((info.mask & HDI_TEXT) && info.pszText) item.text = info.pszText;
    if (info.mask & HDI_FORMAT) item.fmt = info.fmt;
    if (info.mask & HDI_LPARAM) item.param = info.lParam;
    if (info.mask & HDI_IMAGE) item.image = info.iImage;
}

// Moves item `index` to display position `position`.
void SetOrder(HeaderData& h, int index, int position) {
    auto it = std::find(h.order.begin(), h.order.end(), index);
    if (it == h.order.end()) return;
    h.order.erase(it);
    position = std::clamp(position, 0, static_cast<int>(h.order.size()));
    h.order.insert(h.order.begin() + position, index);
}

// A change asked for by the user or a caller: the parent sees it first and may refuse it.
bool Change(HeaderData& h, int index, const HDITEMW& info) {
    HDITEMW copy = info;
    HWND hwnd = h.hwnd;
    if (Notify(h, HDN_ITEMCHANGINGW, index, &copy) != 0 || !IsWindow(hwnd)) return false;
    Fill(h.items[static_cast<size_t>(index)], info);
    if (info.mask & HDI_ORDER) SetOrder(h, index, info.iOrder);
    InvalidateRect(hwnd, nullptr, TRUE);
    Notify(h, HDN_ITEMCHANGEDW, index, &copy);
    return true;
}

void SetWidthByUser(HeaderData& h, int index, int width) {
    HDITEMW info{};
    info.mask = HDI_WIDTH;
    info.cxy = std::max(0, width);
    Change(h, index, info);
}

LRESULT ItemMessage(HeaderData& h, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int count = static_cast<int>(h.items.size());
    const int index = static_cast<int>(wParam);
    auto* info = reinterpret_cast<HDITEMW*>(lParam);
    switch (msg) {
    case HDM_INSERTITEMW: {
        if (!info || index < 0) return -1;
        const int at = std::min(index, count);
        HeaderItem item;
        item.width = 0;
        Fill(item, *info);
        h.items.insert(h.items.begin() + at, item);
        for (int& o : h.order)
            if (o >= at) ++o;
        int position = at;
        if (info->mask & HDI_ORDER)
            position = std::clamp(info->iOrder, 0, count);
        else
            position = std::min<int>(static_cast<int>(h.order.size()), at);
        h.order.insert(h.order.begin() + position, at);
        InvalidateRect(h.hwnd, nullptr, TRUE);
        return at;
    }
    case HDM_DELETEITEM: {
        if (index < 0 || index >= count) return FALSE;
        h.items.erase(h.items.begin() + index);
        h.order.erase(std::find(h.order.begin(), h.order.end(), index));
        for (int& o : h.order)
            if (o > index) --o;
        InvalidateRect(h.hwnd, nullptr, TRUE);
        return TRUE;
    }
    case HDM_GETITEMW: {
        if (!info || index < 0 || index >= count) return FALSE;
        const HeaderItem& item = h.items[static_cast<size_t>(index)];
        if (info->mask & HDI_WIDTH) info->cxy = item.width;
        if ((info->mask & HDI_TEXT) && info->pszText && info->cchTextMax > 0) {
            const size_t n = std::min(item.text.size(), static_cast<size_t>(info->cchTextMax - 1));
            std::copy_n(item.text.begin(), n, info->pszText);
            info->pszText[n] = 0;
        }
        if (info->mask & HDI_FORMAT) info->fmt = item.fmt;
        if (info->mask & HDI_LPARAM) info->lParam = item.param;
        if (info->mask & HDI_IMAGE) info->iImage = item.image;
        if (info->mask & HDI_ORDER)
            info->iOrder = static_cast<int>(std::find(h.order.begin(), h.order.end(), index) -
                                            h.order.begin());
        return TRUE;
    }
    case HDM_SETITEMW:
        if (!info || index < 0 || index >= count) return FALSE;
        return Change(h, index, *info) ? TRUE : FALSE;
    }
    return 0;
}

void MouseDown(HeaderData& h, POINT p, bool dbl) {
    UINT flags = 0;
    const int index = HitTest(h, p, &flags);
    if (index < 0) return;
    if (flags & HHT_ONDIVIDER) {
        if (dbl) {
            Notify(h, HDN_DIVIDERDBLCLICKW, index);
            return;
        }
        HDITEMW info{};
        info.mask = HDI_WIDTH;
        info.cxy = h.items[static_cast<size_t>(index)].width;
        HWND hwnd = h.hwnd;
        if (Notify(h, HDN_BEGINTRACKW, index, &info) != 0 || !IsWindow(hwnd)) return;
        h.tracking = index;
        h.trackStart = info.cxy;
        h.trackX = p.x;
        SetCapture(hwnd);
        return;
    }
    if (dbl) {
        Notify(h, HDN_ITEMDBLCLICKW, index);
        return;
    }
    if (!(StyleOf(h.hwnd) & HDS_BUTTONS)) return;
    h.pressed = index;
    h.pressedInside = true;
    SetCapture(h.hwnd);
    InvalidateRect(h.hwnd, nullptr, TRUE);
}

void MouseMove(HeaderData& h, POINT p) {
    if (h.tracking >= 0) {
        HDITEMW info{};
        info.mask = HDI_WIDTH;
        info.cxy = std::max(0, h.trackStart + p.x - h.trackX);
        HWND hwnd = h.hwnd;
        if (Notify(h, HDN_TRACKW, h.tracking, &info) != 0 || !IsWindow(hwnd)) return;
        if (StyleOf(hwnd) & HDS_FULLDRAG) SetWidthByUser(h, h.tracking, info.cxy);
        return;
    }
    if (h.pressed >= 0) {
        UINT flags = 0;
        const bool inside = HitTest(h, p, &flags) == h.pressed && (flags & HHT_ONHEADER);
        if (inside != h.pressedInside) {
            h.pressedInside = inside;
            InvalidateRect(h.hwnd, nullptr, TRUE);
        }
    }
}

void MouseUp(HeaderData& h, POINT p) {
    if (h.tracking >= 0) {
        const int index = h.tracking;
        h.tracking = -1;
        ReleaseCapture();
        HDITEMW info{};
        info.mask = HDI_WIDTH;
        info.cxy = std::max(0, h.trackStart + p.x - h.trackX);
        HWND hwnd = h.hwnd;
        Notify(h, HDN_ENDTRACKW, index, &info);
        if (IsWindow(hwnd) && h.items[static_cast<size_t>(index)].width != info.cxy)
            SetWidthByUser(h, index, info.cxy);
        return;
    }
    if (h.pressed >= 0) {
        const int index = h.pressed;
        const bool inside = h.pressedInside;
        h.pressed = -1;
        h.pressedInside = false;
        ReleaseCapture();
        InvalidateRect(h.hwnd, nullptr, TRUE);
        if (inside) Notify(h, HDN_ITEMCLICKW, index);
    }
}

void CancelMouse(HeaderData& h) {
    if (h.tracking < 0 && h.pressed < 0) return;
    h.tracking = -1;
    h.pressed = -1;
    h.pressedInside = false;
    InvalidateRect(h.hwnd, nullptr, TRUE);
}

} // namespace

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto data = std::make_shared<HeaderData>();
        data->hwnd = hwnd;
        AttachData(hwnd, data);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto data = Data<HeaderData>(hwnd);
    if (!data) return DefWindowProcW(hwnd, msg, wParam, lParam);
    HeaderData& h = *data;
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_NCDESTROY:
        DetachData(hwnd);
        break;
    case WM_PAINT:
        Paint(h, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        h.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(h.font);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(h, p, msg == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(h, p);
        return 0;
    case WM_LBUTTONUP:
        MouseUp(h, p);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) CancelMouse(h);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && GetCapture() == hwnd) ReleaseCapture();
        return 0;
    case WM_SETCURSOR: {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(hwnd, &cursor);
        UINT flags = 0;
        HitTest(h, cursor, &flags);
        if (h.tracking >= 0 || (flags & HHT_ONDIVIDER)) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return TRUE;
        }
        break;
    }
    case HDM_GETITEMCOUNT:
        return static_cast<LRESULT>(h.items.size());
    case HDM_INSERTITEMW:
    case HDM_DELETEITEM:
    case HDM_GETITEMW:
    case HDM_SETITEMW:
        return ItemMessage(h, msg, wParam, lParam);
    case HDM_LAYOUT: {
        auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
        if (!layout || !layout->prc || !layout->pwpos) return FALSE;
        const int height = (StyleOf(hwnd) & HDS_HIDDEN) ? 0 : Height(h);
        RECT& r = *layout->prc;
        *layout->pwpos = WINDOWPOS{};
        layout->pwpos->hwnd = hwnd;
        layout->pwpos->x = r.left;
        layout->pwpos->y = r.top;
        layout->pwpos->cx = r.right - r.left;
        layout->pwpos->cy = height;
        layout->pwpos->flags = SWP_NOZORDER | SWP_NOACTIVATE;
        r.top += height;
        return TRUE;
    }
    case HDM_HITTEST: {
        auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
        if (!info) return -1;
        info->iItem = HitTest(h, info->pt, &info->flags);
        return info->iItem;
    }
    case HDM_GETITEMRECT: {
        const int index = static_cast<int>(wParam);
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || index < 0 || index >= static_cast<int>(h.items.size())) return FALSE;
        *r = ItemRects(h)[static_cast<size_t>(index)];
        return TRUE;
    }
    case HDM_SETIMAGELIST: {
        HIMAGELIST old = h.images;
        h.images = reinterpret_cast<HIMAGELIST>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case HDM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(h.images);
    case HDM_ORDERTOINDEX: {
        const size_t position = static_cast<size_t>(wParam);
        return position < h.order.size() ? h.order[position] : static_cast<LRESULT>(wParam);
    }
    case HDM_GETORDERARRAY: {
        auto* out = reinterpret_cast<int*>(lParam);
        if (!out || wParam != h.order.size()) return FALSE;
        std::copy(h.order.begin(), h.order.end(), out);
        return TRUE;
    }
    case HDM_SETORDERARRAY: {
        const auto* in = reinterpret_cast<const int*>(lParam);
        if (!in || wParam != h.order.size()) return FALSE;
        std::vector<int> order(in, in + wParam);
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> expected(order.size());
        std::iota(expected.begin(), expected.end(), 0);
        if (sorted != expected) return FALSE; // not a permutation of the items
        h.order = std::move(order);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
