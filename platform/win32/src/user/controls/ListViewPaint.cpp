// Painting of the list view: only the items in the part being painted are
// asked for (an owner-data owner first hears which range with
// LVN_ODCACHEHINT), with custom draw (NM_CUSTOMDRAW) around the whole, each
// item and, on request, each sub-item.
#include "ListView.h"

#include <algorithm>

namespace win32::controls::listview {

namespace {

struct Colors {
    COLORREF text;
    COLORREF back; // CLR_NONE: transparent
};

struct PaintState {
    HDC dc = nullptr;
    RECT update{};
    bool hasFocus = false;
    LRESULT prepaint = CDRF_DODEFAULT;
    HBRUSH background = nullptr;
};

COLORREF Resolve(COLORREF c, int sysColor) {
    return c == CLR_DEFAULT ? GetSysColor(sysColor) : c;
}

LRESULT CustomDraw(Data& d, NMLVCUSTOMDRAW& cd, DWORD stage, HDC dc, const RECT& r) {
    cd.nmcd.dwDrawStage = stage;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = r;
    return NotifyParent(d, cd.nmcd.hdr, NM_CUSTOMDRAW);
}

int Align(int fmt) {
    switch (fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT:
        return DT_RIGHT;
    case LVCFMT_CENTER:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

void DrawLabel(HDC dc, const std::u16string& text, RECT r, UINT format, const Colors& c,
               bool fill) {
    if (fill && c.back != CLR_NONE) {
        HBRUSH brush = CreateSolidBrush(c.back);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, c.text);
    InflateRect(&r, -2, 0);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              format | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void DrawImages(Data& d, HDC dc, const Shown& s, const RECT& icon, int list, bool selected) {
    const int stateImage = static_cast<int>((s.state & LVIS_STATEIMAGEMASK) >> 12);
    if (stateImage > 0 && d.images[LVSIL_STATE]) {
        int cx, cy;
        ImageSize(d, LVSIL_STATE, cx, cy);
        ImageList_Draw(d.images[LVSIL_STATE], stateImage - 1, dc, icon.left - cx,
                       icon.top + (icon.bottom - icon.top - cy) / 2, ILD_TRANSPARENT);
    }
    if (!d.images[list] || s.image < 0) return;
    int cx, cy;
    ImageSize(d, list, cx, cy);
    UINT style = ILD_TRANSPARENT | (s.state & LVIS_OVERLAYMASK);
    if (selected || (s.state & (LVIS_CUT | LVIS_DROPHILITED))) style |= ILD_SELECTED;
    ImageList_Draw(d.images[list], s.image, dc, icon.left,
                   icon.top + (icon.bottom - icon.top - cy) / 2, style);
}

// The colours of an item: the control's, or the selection's.
Colors ItemColors(Data& d, bool selected, bool hasFocus) {
    Colors c{Resolve(d.textColor, COLOR_WINDOWTEXT),
             d.textBkColor == CLR_DEFAULT ? static_cast<COLORREF>(CLR_NONE) : d.textBkColor};
    if (!selected) return c;
    if (hasFocus) return Colors{GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_HIGHLIGHT)};
    return Colors{GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE)};
}

void PaintReportItem(Data& d, PaintState& ps, int item, const Shown& s, bool selected,
                     NMLVCUSTOMDRAW& cd, LRESULT itemResult, Colors plain) {
    const bool fullRow = d.exStyle & LVS_EX_FULLROWSELECT;
    const Colors chosen = ItemColors(d, selected, ps.hasFocus);
    if (fullRow && selected) {
        RECT row = ItemRect(d, item, LVIR_SELECTBOUNDS);
        HBRUSH brush = CreateSolidBrush(chosen.back);
        FillRect(ps.dc, &row, brush);
        DeleteObject(brush);
    }
    const std::vector<int> order = ColumnOrder(d);
    const size_t columns = std::max<size_t>(1, d.columns.size());
    for (size_t n = 0; n < columns; ++n) {
        const int column = order.empty() ? 0 : order[n];
        const int subItem = d.columns.empty() ? 0 : d.columns[static_cast<size_t>(column)].subItem;
        RECT cellRect = d.columns.empty() ? ItemRect(d, item, LVIR_BOUNDS)
                                          : SubItemRect(d, item, column, LVIR_BOUNDS);
        if (cellRect.right <= ps.update.left || cellRect.left >= ps.update.right) continue;
        Colors c = plain;
        if (itemResult & CDRF_NOTIFYSUBITEMDRAW) {
            cd.iSubItem = subItem;
            cd.clrText = plain.text;
            cd.clrTextBk = plain.back;
            const LRESULT r = CustomDraw(d, cd, CDDS_ITEMPREPAINT | CDDS_SUBITEM, ps.dc, cellRect);
            if (r & CDRF_SKIPDEFAULT) continue;
            c = Colors{cd.clrText, cd.clrTextBk};
        }
        const bool highlighted = selected && (fullRow || subItem == 0);
        if (highlighted) c = chosen;
        if (subItem == 0) {
            const RECT icon = ItemRect(d, item, LVIR_ICON);
            RECT label = ItemRect(d, item, LVIR_LABEL);
            label.right = std::min(label.right, cellRect.right);
            DrawImages(d, ps.dc, s, icon, LVSIL_SMALL, selected && ps.hasFocus);
            if (highlighted && !fullRow) {
                MeasureDC m(FontOrSystem(d.font));
                label.right = std::min(label.right, label.left + m.Width(s.text) + 6);
            }
            DrawLabel(ps.dc, s.text, label, DT_SINGLELINE | DT_VCENTER | DT_LEFT, c,
                      !(fullRow && selected));
            continue;
        }
        const Shown sub = Fetch(d, item, subItem, LVIF_TEXT | LVIF_IMAGE);
        RECT text = cellRect;
        text.left += 4;
        if ((d.exStyle & LVS_EX_SUBITEMIMAGES) && sub.image >= 0 && d.images[LVSIL_SMALL]) {
            int cx, cy;
            ImageSize(d, LVSIL_SMALL, cx, cy);
            ImageList_Draw(d.images[LVSIL_SMALL], sub.image, ps.dc, text.left,
                           text.top + (text.bottom - text.top - cy) / 2, ILD_TRANSPARENT);
            text.left += cx + 2;
        }
        const int fmt = d.columns[static_cast<size_t>(column)].fmt;
        DrawLabel(ps.dc, sub.text, text, DT_SINGLELINE | DT_VCENTER | Align(fmt), c,
                  !(fullRow && selected));
    }
}

void PaintItem(Data& d, PaintState& ps, int item) {
    const RECT bounds = ItemRect(d, item, LVIR_BOUNDS);
    RECT clip;
    if (!IntersectRect(&clip, &bounds, &ps.update) && d.View() != LVS_REPORT) return;
    const Shown s =
        Fetch(d, item, 0, LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_INDENT | LVIF_PARAM);
    if (!IsWindow(d.hwnd)) return;
    bool selected = (s.state & LVIS_SELECTED) && (ps.hasFocus || (d.Style() & LVS_SHOWSELALWAYS) ||
                                                  (s.state & LVIS_DROPHILITED));
    const bool focused = (s.state & LVIS_FOCUSED) && ps.hasFocus;
    Colors plain{Resolve(d.textColor, COLOR_WINDOWTEXT),
                 d.textBkColor == CLR_DEFAULT ? static_cast<COLORREF>(CLR_NONE) : d.textBkColor};

    NMLVCUSTOMDRAW cd{};
    LRESULT itemResult = CDRF_DODEFAULT;
    if (ps.prepaint & CDRF_NOTIFYITEMDRAW) {
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
        cd.nmcd.uItemState = (selected ? CDIS_SELECTED : 0) | (focused ? CDIS_FOCUS : 0);
        cd.nmcd.lItemlParam = s.param;
        cd.clrText = plain.text;
        cd.clrTextBk = plain.back;
        itemResult = CustomDraw(d, cd, CDDS_ITEMPREPAINT, ps.dc, bounds);
        if (itemResult & CDRF_SKIPDEFAULT) return;
        // The owner may paint an item as unselected, and choose its colours.
        selected = selected && (cd.nmcd.uItemState & CDIS_SELECTED);
        plain = Colors{cd.clrText, cd.clrTextBk};
    }

    switch (d.View()) {
    case LVS_REPORT:
        PaintReportItem(d, ps, item, s, selected, cd, itemResult, plain);
        break;
    case LVS_ICON: {
        const RECT icon = ItemRect(d, item, LVIR_ICON);
        DrawImages(d, ps.dc, s, icon, LVSIL_NORMAL, selected && ps.hasFocus);
        const RECT label = ItemRect(d, item, LVIR_LABEL);
        // The text's own extent, centred under the image, is what is highlighted.
        RECT text = label;
        InflateRect(&text, -2, 0);
        DrawTextW(ps.dc, s.text.c_str(), static_cast<int>(s.text.size()), &text,
                  DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        const int width = std::min(text.right - text.left, label.right - label.left - 4);
        const int height = std::min(text.bottom - text.top, label.bottom - label.top);
        const int left = label.left + (label.right - label.left - width) / 2 - 2;
        RECT box{left, label.top, left + width + 4, label.top + height};
        const Colors c = selected ? ItemColors(d, true, ps.hasFocus) : plain;
        DrawLabel(ps.dc, s.text, box, DT_WORDBREAK | DT_CENTER, c, true);
        if (focused) DrawFocusRect(ps.dc, &box);
        break;
    }
    default: {
        const RECT icon = ItemRect(d, item, LVIR_ICON);
        DrawImages(d, ps.dc, s, icon, LVSIL_SMALL, selected && ps.hasFocus);
        RECT label = ItemRect(d, item, LVIR_LABEL);
        MeasureDC m(FontOrSystem(d.font));
        label.right = std::min(label.right, label.left + m.Width(s.text) + 6);
        const Colors c = selected ? ItemColors(d, true, ps.hasFocus) : plain;
        DrawLabel(ps.dc, s.text, label, DT_SINGLELINE | DT_VCENTER | DT_LEFT, c, true);
        if (focused) DrawFocusRect(ps.dc, &label);
        break;
    }
    }
    if (d.View() == LVS_REPORT && focused) {
        RECT r = ItemRect(d, item, LVIR_SELECTBOUNDS);
        if (!(d.exStyle & LVS_EX_FULLROWSELECT)) {
            RECT label = ItemRect(d, item, LVIR_LABEL);
            MeasureDC m(FontOrSystem(d.font));
            r.left = label.left;
            r.right = std::min(label.right, label.left + m.Width(s.text) + 6);
        }
        DrawFocusRect(ps.dc, &r);
    }
    if (itemResult & CDRF_NOTIFYPOSTPAINT) CustomDraw(d, cd, CDDS_ITEMPOSTPAINT, ps.dc, bounds);
}

void PaintGridLines(Data& d, HDC dc, const RECT& client, int first, int last) {
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, pen);
    const RECT area = ClientArea(d);
    const int rowH = RowHeight(d);
    int x = -d.xOffset;
    for (int index : ColumnOrder(d)) {
        x += d.columns[static_cast<size_t>(index)].width;
        MoveToEx(dc, x - 1, area.top, nullptr);
        LineTo(dc, x - 1, client.bottom);
    }
    const int rows = std::max(last - first + 1, (area.bottom - area.top) / rowH + 1);
    for (int r = 1; r <= rows; ++r) {
        const int y = area.top + r * rowH - 1;
        MoveToEx(dc, client.left, y, nullptr);
        LineTo(dc, client.right, y);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

} // namespace

void Paint(Data& d, HDC given) {
    PAINTSTRUCT paint{};
    HDC dc = given ? given : BeginPaint(d.hwnd, &paint);
    RECT client;
    GetClientRect(d.hwnd, &client);
    PaintState ps;
    ps.dc = dc;
    ps.update = given ? client : paint.rcPaint;
    if (IsRectEmpty(&ps.update)) ps.update = client;
    ps.hasFocus = GetFocus() == d.hwnd || (d.edit && GetFocus() == d.edit);

    const COLORREF back =
        d.bkColor == CLR_NONE ? GetSysColor(COLOR_WINDOW) : Resolve(d.bkColor, COLOR_WINDOW);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &ps.update, brush);
    DeleteObject(brush);
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(d.font));

    NMLVCUSTOMDRAW cd{};
    ps.prepaint = CustomDraw(d, cd, CDDS_PREPAINT, dc, client);
    if (IsWindow(d.hwnd) && !(ps.prepaint & CDRF_SKIPDEFAULT)) {
        int first = 0, last = -1;
        VisibleRange(d, first, last);
        if (d.ownerData && last >= first && (first != d.hintFrom || last != d.hintTo)) {
            d.hintFrom = first;
            d.hintTo = last;
            NMLVCACHEHINT hint{};
            hint.iFrom = first;
            hint.iTo = last;
            NotifyParent(d, hint.hdr, LVN_ODCACHEHINT);
        }
        for (int i = first; i <= last && IsWindow(d.hwnd) && i < d.Count(); ++i)
            PaintItem(d, ps, i);
        if (IsWindow(d.hwnd) && d.View() == LVS_REPORT && (d.exStyle & LVS_EX_GRIDLINES))
            PaintGridLines(d, dc, client, first, last);
    }
    if (IsWindow(d.hwnd) && (ps.prepaint & CDRF_NOTIFYPOSTPAINT)) {
        NMLVCUSTOMDRAW post{};
        CustomDraw(d, post, CDDS_POSTPAINT, dc, client);
    }
    SelectObject(dc, oldFont);
    if (!given) EndPaint(d.hwnd, &paint);
}

} // namespace win32::controls::listview
