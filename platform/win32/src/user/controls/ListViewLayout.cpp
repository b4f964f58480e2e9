// The list view's geometry: where each item lies in each view, which item a
// point is on, what is visible, and scrolling. Every position is computed
// from the item's index, so no item needs a stored place (owner data keeps
// nothing per item).
//   report:      one row per item under the header, scrolled by rows
//   list:        columns of rows, top to bottom then left to right, scrolled by columns
//   small icons: cells left to right then top to bottom, scrolled by rows of cells
//   icons:       the same with large cells, the label under the image
#include "ListView.h"

#include <algorithm>

namespace win32::controls::listview {

namespace {

constexpr int kLabelMargin = 2;

int LineHeight(const Data& d) {
    MeasureDC m(FontOrSystem(d.font));
    return m.LineHeight();
}

int CharWidth(const Data& d) {
    MeasureDC m(FontOrSystem(d.font));
    return std::max(1, m.Width(u"X"));
}

bool Grid(const Data& d) {
    return d.View() == LVS_ICON || d.View() == LVS_SMALLICON;
}

int LineCount(const Data& d) {
    const int per = CellsPerLine(d);
    return (d.Count() + per - 1) / per;
}

// Lines (report rows, list columns, rows of cells) wholly in the window.
int LinesPerPage(const Data& d) {
    const RECT area = ClientArea(d);
    switch (d.View()) {
    case LVS_REPORT:
        return RowsPerPage(d);
    case LVS_LIST:
        return std::max(1, static_cast<int>((area.right - area.left) / ListColumnWidth(d)));
    default:
        return std::max(1, static_cast<int>((area.bottom - area.top) / CellSize(d).cy));
    }
}

int MaxTop(const Data& d) {
    const int lines = d.View() == LVS_REPORT ? d.Count() : LineCount(d);
    return std::max(0, lines - LinesPerPage(d));
}

// The top-left of an item's cell, and its size.
RECT Cell(const Data& d, int item) {
    const RECT area = ClientArea(d);
    const SIZE cell = CellSize(d);
    int x = area.left, y = area.top;
    switch (d.View()) {
    case LVS_REPORT:
        x -= d.xOffset;
        y += (item - d.top) * cell.cy;
        break;
    case LVS_LIST: {
        const int per = CellsPerLine(d);
        x += (item / per - d.top) * cell.cx;
        y += (item % per) * cell.cy;
        break;
    }
    default: {
        const int per = CellsPerLine(d);
        x += (item % per) * cell.cx;
        y += (item / per - d.top) * cell.cy;
        break;
    }
    }
    return RECT{x, y, x + cell.cx, y + cell.cy};
}

} // namespace

void ImageSize(const Data& d, int list, int& cx, int& cy) {
    cx = cy = 0;
    if (d.images[list]) ImageList_GetIconSize(d.images[list], &cx, &cy);
}

int RowHeight(const Data& d) {
    int scx, scy, tcx, tcy;
    ImageSize(d, LVSIL_SMALL, scx, scy);
    ImageSize(d, LVSIL_STATE, tcx, tcy);
    return std::max(LineHeight(d) + 2, std::max(scy, tcy) + 1);
}

int HeaderHeight(const Data& d) {
    if (!d.header || d.View() != LVS_REPORT || (d.Style() & LVS_NOCOLUMNHEADER)) return 0;
    if (!(GetWindowLongPtrW(d.header, GWL_STYLE) & WS_VISIBLE)) return 0;
    RECT r;
    GetWindowRect(d.header, &r);
    return r.bottom - r.top;
}

RECT ClientArea(const Data& d) {
    RECT r;
    GetClientRect(d.hwnd, &r);
    r.top = std::min(r.bottom, r.top + HeaderHeight(d));
    return r;
}

int RowsPerPage(const Data& d) {
    const RECT area = ClientArea(d);
    return std::max(1, static_cast<int>((area.bottom - area.top) / RowHeight(d)));
}

int ListColumnWidth(const Data& d) {
    if (d.listColumnWidth > 0) return d.listColumnWidth;
    int cx, cy;
    ImageSize(d, LVSIL_SMALL, cx, cy);
    return cx + 4 + 16 * CharWidth(d);
}

SIZE CellSize(const Data& d) {
    switch (d.View()) {
    case LVS_REPORT:
        return SIZE{TotalColumnWidth(d), RowHeight(d)};
    case LVS_ICON: {
        int cx, cy;
        ImageSize(d, LVSIL_NORMAL, cx, cy);
        return SIZE{std::max(cx + 24, 12 * CharWidth(d)), cy + 8 + 2 * LineHeight(d) + 4};
    }
    default:
        return SIZE{ListColumnWidth(d), RowHeight(d)};
    }
}

int CellsPerLine(const Data& d) {
    const RECT area = ClientArea(d);
    const SIZE cell = CellSize(d);
    if (d.View() == LVS_LIST)
        return std::max(1, static_cast<int>((area.bottom - area.top) / cell.cy));
    if (d.View() == LVS_REPORT) return 1;
    return std::max(1, static_cast<int>((area.right - area.left) / cell.cx));
}

int TotalColumnWidth(const Data& d) {
    int total = 0;
    for (const Column& c : d.columns)
        total += c.width;
    return total;
}

std::vector<int> ColumnOrder(const Data& d) {
    std::vector<int> order(d.columns.size());
    if (order.empty()) return order;
    if (!d.header || !SendMessageW(d.header, HDM_GETORDERARRAY, order.size(),
                                   reinterpret_cast<LPARAM>(order.data())))
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
    return order;
}

RECT SubItemRect(Data& d, int item, int subItemColumn, int code) {
    RECT row = Cell(d, item);
    int x = row.left;
    for (int index : ColumnOrder(d)) {
        const int w = d.columns[static_cast<size_t>(index)].width;
        if (index == subItemColumn) {
            RECT r{x, row.top, x + w, row.bottom};
            if (index != 0 || code == LVIR_BOUNDS) return r;
            return r;
        }
        x += w;
    }
    return RECT{row.left, row.top, row.left, row.bottom};
}

RECT ItemRect(Data& d, int item, int code) {
    const RECT cell = Cell(d, item);
    int scx, scy, tcx, tcy;
    ImageSize(d, LVSIL_SMALL, scx, scy);
    ImageSize(d, LVSIL_STATE, tcx, tcy);
    switch (d.View()) {
    case LVS_ICON: {
        int cx, cy;
        ImageSize(d, LVSIL_NORMAL, cx, cy);
        const int ix = cell.left + (cell.right - cell.left - cx) / 2;
        RECT icon{ix, cell.top + 2, ix + cx, cell.top + 2 + cy};
        RECT label{cell.left + kLabelMargin, icon.bottom + 4, cell.right - kLabelMargin,
                   cell.bottom - 2};
        if (code == LVIR_ICON) return icon;
        if (code == LVIR_LABEL) return label;
        RECT all;
        UnionRect(&all, &icon, &label);
        return all;
    }
    case LVS_REPORT: {
        RECT first = d.columns.empty() ? RECT{cell.left, cell.top, cell.left + 100, cell.bottom}
                                       : SubItemRect(d, item, 0, LVIR_BOUNDS);
        const int indent = d.ownerData ? 0 : d.items[static_cast<size_t>(item)].indent * scx;
        const int iconLeft = first.left + indent + tcx;
        RECT icon{iconLeft, cell.top, iconLeft + scx, cell.bottom};
        RECT label{icon.right + (scx ? 2 : 0), cell.top, std::max(icon.right, first.right),
                   cell.bottom};
        if (code == LVIR_ICON) return icon;
        if (code == LVIR_LABEL) return label;
        if (code == LVIR_SELECTBOUNDS) {
            if (d.exStyle & LVS_EX_FULLROWSELECT) return cell;
            return RECT{icon.left, cell.top, label.right, cell.bottom};
        }
        return cell;
    }
    default: {
        RECT icon{cell.left + tcx, cell.top, cell.left + tcx + scx, cell.bottom};
        RECT label{icon.right + (scx ? 2 : 0), cell.top, cell.right - kLabelMargin, cell.bottom};
        if (code == LVIR_ICON) return icon;
        if (code == LVIR_LABEL) return label;
        return RECT{cell.left, cell.top, label.right, cell.bottom};
    }
    }
}

int HitTest(Data& d, POINT p, UINT* flags, int* subItem) {
    RECT client;
    GetClientRect(d.hwnd, &client);
    const RECT area = ClientArea(d);
    UINT f = 0;
    if (p.y < area.top) f |= LVHT_ABOVE;
    if (p.y >= client.bottom) f |= LVHT_BELOW;
    if (p.x < 0) f |= LVHT_TOLEFT;
    if (p.x >= client.right) f |= LVHT_TORIGHT;
    if (subItem) *subItem = 0;
    if (f) {
        if (flags) *flags = f;
        return -1;
    }
    if (flags) *flags = LVHT_NOWHERE;
    const SIZE cell = CellSize(d);
    int item = -1;
    switch (d.View()) {
    case LVS_REPORT:
        item = d.top + (p.y - area.top) / cell.cy;
        break;
    case LVS_LIST: {
        const int row = (p.y - area.top) / cell.cy;
        if (row >= CellsPerLine(d)) return -1;
        item = (d.top + (p.x - area.left) / cell.cx) * CellsPerLine(d) + row;
        break;
    }
    default: {
        const int column = (p.x - area.left) / cell.cx;
        if (column >= CellsPerLine(d)) return -1;
        item = (d.top + (p.y - area.top) / cell.cy) * CellsPerLine(d) + column;
        break;
    }
    }
    if (item < 0 || item >= d.Count()) return -1;
    const RECT icon = ItemRect(d, item, LVIR_ICON);
    const RECT label = ItemRect(d, item, LVIR_LABEL);
    const RECT bounds = ItemRect(d, item, LVIR_BOUNDS);
    if (!PtInRect(&bounds, p)) return -1;
    UINT on = 0;
    int tcx, tcy;
    ImageSize(d, LVSIL_STATE, tcx, tcy);
    if (PtInRect(&icon, p))
        on = LVHT_ONITEMICON;
    else if (PtInRect(&label, p))
        on = LVHT_ONITEMLABEL;
    else if (tcx && p.x < icon.left && p.x >= icon.left - tcx)
        on = LVHT_ONITEMSTATEICON;
    else if (d.View() == LVS_REPORT)
        on = (d.exStyle & LVS_EX_FULLROWSELECT) ? LVHT_ONITEMLABEL : 0;
    if (d.View() == LVS_REPORT && subItem) {
        int x = bounds.left;
        for (int index : ColumnOrder(d)) {
            const int w = d.columns[static_cast<size_t>(index)].width;
            if (p.x >= x && p.x < x + w) {
                *subItem = d.columns[static_cast<size_t>(index)].subItem;
                break;
            }
            x += w;
        }
    }
    if (!on) return -1;
    if (flags) *flags = on;
    return item;
}

void VisibleRange(const Data& d, int& first, int& last) {
    const RECT area = ClientArea(d);
    const SIZE cell = CellSize(d);
    const int count = d.Count();
    const int height = std::max(0, static_cast<int>(area.bottom - area.top));
    const int width = std::max(0, static_cast<int>(area.right - area.left));
    switch (d.View()) {
    case LVS_REPORT:
        first = d.top;
        last = d.top + (height + cell.cy - 1) / cell.cy - 1;
        break;
    case LVS_LIST:
        first = d.top * CellsPerLine(d);
        last = first + CellsPerLine(d) * ((width + cell.cx - 1) / cell.cx) - 1;
        break;
    default:
        first = d.top * CellsPerLine(d);
        last = first + CellsPerLine(d) * ((height + cell.cy - 1) / cell.cy) - 1;
        break;
    }
    last = std::min(last, count - 1);
    if (first > last) first = 0, last = -1;
}

void UpdateScrollBars(Data& d) {
    static thread_local int depth = 0;
    if (depth > 2 || !d.hwnd) return; // a bar that comes or goes resizes the client once more
    ++depth;
    const bool none = d.Style() & LVS_NOSCROLL;
    const RECT area = ClientArea(d);
    const int width = std::max(0, static_cast<int>(area.right - area.left));
    const int lines = d.View() == LVS_REPORT ? d.Count() : LineCount(d);
    const int page = LinesPerPage(d);
    if (none) {
        SetScrollBar(d.hwnd, SB_VERT, 0, 0, 0, 0, false);
        SetScrollBar(d.hwnd, SB_HORZ, 0, 0, 0, 0, false);
    } else if (d.View() == LVS_LIST) {
        SetScrollBar(d.hwnd, SB_VERT, 0, 0, 0, 0, false);
        SetScrollBar(d.hwnd, SB_HORZ, 0, std::max(0, lines - 1), page, d.top, false);
    } else {
        SetScrollBar(d.hwnd, SB_VERT, 0, std::max(0, lines - 1), page, d.top, false);
        if (d.View() == LVS_REPORT)
            SetScrollBar(d.hwnd, SB_HORZ, 0, std::max(0, TotalColumnWidth(d) - 1), width, d.xOffset,
                         false);
        else
            SetScrollBar(d.hwnd, SB_HORZ, 0, 0, 0, 0, false);
    }
    --depth;
}

void LayoutHeader(Data& d) {
    if (!d.header) return;
    if (d.View() != LVS_REPORT || (d.Style() & LVS_NOCOLUMNHEADER)) {
        ShowWindow(d.header, SW_HIDE);
        return;
    }
    RECT r;
    GetClientRect(d.hwnd, &r);
    WINDOWPOS pos{};
    HDLAYOUT layout{&r, &pos};
    SendMessageW(d.header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    SetWindowPos(d.header, nullptr, pos.x - d.xOffset, pos.y, pos.cx + d.xOffset, pos.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void ScrollTo(Data& d, int top, int xOffset) {
    top = std::clamp(top, 0, MaxTop(d));
    const RECT area = ClientArea(d);
    const int maxX = std::max(0, TotalColumnWidth(d) - static_cast<int>(area.right - area.left));
    xOffset = d.View() == LVS_REPORT ? std::clamp(xOffset, 0, maxX) : 0;
    if (top == d.top && xOffset == d.xOffset) return;
    const bool moveHeader = xOffset != d.xOffset;
    d.top = top;
    d.xOffset = xOffset;
    if (moveHeader) LayoutHeader(d);
    UpdateScrollBars(d);
    InvalidateRect(d.hwnd, nullptr, TRUE);
}

void EnsureVisible(Data& d, int item, bool partialOk) {
    if (item < 0 || item >= d.Count()) return;
    const int line = d.View() == LVS_REPORT ? item : item / CellsPerLine(d);
    const int page = LinesPerPage(d);
    int top = d.top;
    if (line < top)
        top = line;
    else if (line >= top + page && !(partialOk && line == top + page))
        top = line - page + 1;
    ScrollTo(d, top, d.xOffset);
}

void InvalidateItem(Data& d, int item) {
    if (item < 0 || item >= d.Count() || !d.hwnd) return;
    RECT r = ItemRect(d, item, LVIR_BOUNDS);
    if (d.View() == LVS_REPORT) {
        RECT client;
        GetClientRect(d.hwnd, &client);
        r.left = client.left;
        r.right = std::max(r.right, client.right);
    }
    InvalidateRect(d.hwnd, &r, TRUE);
}

int Neighbour(Data& d, int item, UINT vk) {
    const int count = d.Count();
    if (count == 0) return -1;
    if (item < 0) return 0;
    const int per = CellsPerLine(d);
    int next = item;
    const int view = static_cast<int>(d.View());
    switch (vk) {
    case VK_UP:
        next = Grid(d) ? item - per : item - 1;
        break;
    case VK_DOWN:
        next = Grid(d) ? item + per : item + 1;
        break;
    case VK_LEFT:
        if (view == LVS_LIST)
            next = item - per;
        else if (Grid(d))
            next = item - 1;
        break;
    case VK_RIGHT:
        if (view == LVS_LIST)
            next = item + per;
        else if (Grid(d))
            next = item + 1;
        break;
    case VK_HOME:
        next = 0;
        break;
    case VK_END:
        next = count - 1;
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        const int step = view == LVS_REPORT ? std::max(1, RowsPerPage(d) - 1)
                                            : per * std::max(1, LinesPerPage(d));
        next = vk == VK_PRIOR ? item - step : item + step;
        break;
    }
    }
    if (next < 0 || next >= count) {
        // Up and down stop at the ends; a page goes as far as it can.
        if (vk == VK_PRIOR || vk == VK_NEXT) return std::clamp(next, 0, count - 1);
        return item;
    }
    return next;
}

} // namespace win32::controls::listview
