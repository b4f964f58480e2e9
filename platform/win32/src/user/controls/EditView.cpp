// The edit control's view: line layout and word wrap, positions of
// characters, scrolling that keeps the caret in sight, the caret and painting.
#include "Edit.h"

#include <algorithm>

namespace win32::controls {

namespace {

// Wraps text[begin, end) into lines no wider than `width`, breaking after
// spaces where it can; spaces at a break stay on the line before it.
void WrapParagraph(const std::u16string& text, size_t begin, size_t end, int width,
                   const MeasureDC& m, std::vector<EditLine>& out) {
    const int count = static_cast<int>(end - begin);
    std::vector<int> ext(static_cast<size_t>(count) + 1, 0);
    if (count > 0) {
        SIZE size{};
        GetTextExtentExPointW(m.dc(), text.data() + begin, count, 0, nullptr, ext.data() + 1,
                              &size);
    }
    size_t start = begin;
    for (;;) {
        const size_t base = start - begin;
        size_t fit = base;
        while (fit < static_cast<size_t>(count) && ext[fit + 1] - ext[base] <= width)
            ++fit;
        if (fit == static_cast<size_t>(count)) {
            out.push_back({start, end - start, 0});
            return;
        }
        size_t cut = begin + std::max(fit, base + 1); // at least one character a line
        if (text[cut] == u' ') {
            while (cut < end && text[cut] == u' ')
                ++cut;
        } else {
            size_t space = cut;
            while (space > start && text[space - 1] != u' ')
                --space;
            if (space > start) cut = space;
        }
        out.push_back({start, cut - start, 0});
        if (cut >= end) return;
        start = cut;
    }
}

} // namespace

void EditData::Layout() {
    lines.clear();
    if (!Multi()) {
        lines.push_back({0, text.size(), 0});
        return;
    }
    const bool wrap = !(Style() & ES_AUTOHSCROLL);
    const int width = std::max<int>(1, format.right - format.left);
    MeasureDC m(font);
    size_t pos = 0;
    for (;;) {
        size_t brk = text.find(u"\r\n", pos);
        size_t end = brk == std::u16string::npos ? text.size() : brk;
        if (wrap)
            WrapParagraph(text, pos, end, width, m, lines);
        else
            lines.push_back({pos, end - pos, 0});
        if (brk == std::u16string::npos) break;
        lines.back().breakLength = 2;
        pos = brk + 2;
    }
    firstLine = std::clamp(firstLine, 0, std::max(0, static_cast<int>(lines.size()) - 1));
}

void EditData::ResetFormat() {
    GetClientRect(hwnd, &format);
    format.left += leftMargin;
    format.right = std::max(format.left, format.right - rightMargin);
    if (!Multi()) {
        format.bottom = format.top + lineHeight;
    } else {
        const int rows = std::max(1, static_cast<int>((format.bottom - format.top) / lineHeight));
        format.bottom = format.top + rows * lineHeight;
    }
}

void EditData::ApplyFont(HFONT newFont) {
    font = newFont;
    {
        MeasureDC m(font);
        TEXTMETRICW tm{};
        GetTextMetricsW(m.dc(), &tm);
        lineHeight = std::max(1, static_cast<int>(tm.tmHeight));
        averageWidth = std::max(1, static_cast<int>(tm.tmAveCharWidth));
    }
    SetMargins(EC_LEFTMARGIN | EC_RIGHTMARGIN, EC_USEFONTINFO, EC_USEFONTINFO);
    if (focused) {
        DestroyCaret();
        CreateCaret(hwnd, nullptr, 1, lineHeight);
        ShowCaret(hwnd);
    }
    UpdateCaret();
}

void EditData::SetMargins(WPARAM which, int left, int right) {
    // The font's own margin is half an average character.
    if (which & EC_LEFTMARGIN) leftMargin = left == EC_USEFONTINFO ? averageWidth / 2 : left;
    if (which & EC_RIGHTMARGIN) rightMargin = right == EC_USEFONTINFO ? averageWidth / 2 : right;
    if (!customFormat) ResetFormat();
    Layout();
    Invalidate();
}

int EditData::LineOf(size_t index) const {
    int found = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].start > index) break;
        found = static_cast<int>(i);
    }
    return found;
}

int EditData::VisibleLines() const {
    return std::max(1, static_cast<int>((format.bottom - format.top) / lineHeight));
}

std::u16string EditData::DisplayText(const EditLine& line) const {
    if (passwordChar && !Multi()) return std::u16string(line.length, passwordChar);
    return text.substr(line.start, line.length);
}

std::vector<int> EditData::Extents(const EditLine& line) const {
    std::u16string shown = DisplayText(line);
    std::vector<int> ext(shown.size() + 1, 0);
    if (!shown.empty()) {
        MeasureDC m(font);
        SIZE size{};
        GetTextExtentExPointW(m.dc(), shown.data(), static_cast<int>(shown.size()), 0, nullptr,
                              ext.data() + 1, &size);
    }
    return ext;
}

int EditData::LineX(const EditLine&, int width) const {
    const int room = format.right - format.left;
    int shift = 0;
    const DWORD style = Style();
    if (style & ES_CENTER)
        shift = std::max(0, (room - width) / 2);
    else if (style & ES_RIGHT)
        shift = std::max(0, room - width);
    return format.left - xOffset + shift;
}

POINT EditData::PosFromChar(size_t index) const {
    index = std::min(index, text.size());
    const int at = LineOf(index);
    const EditLine& line = lines[static_cast<size_t>(at)];
    std::vector<int> ext = Extents(line);
    const size_t offset = std::min(index - line.start, line.length);
    return {LineX(line, ext.back()) + ext[offset],
            static_cast<LONG>(format.top + (at - firstLine) * lineHeight)};
}

size_t EditData::CharFromPoint(POINT p) const {
    int at = 0;
    if (Multi()) {
        const int dy = p.y - format.top;
        const int row = dy < 0 ? -1 - (-dy - 1) / lineHeight : dy / lineHeight;
        at = std::clamp(firstLine + row, 0, static_cast<int>(lines.size()) - 1);
    }
    const EditLine& line = lines[static_cast<size_t>(at)];
    std::vector<int> ext = Extents(line);
    const int x = p.x - LineX(line, ext.back());
    size_t best = 0;
    // The nearest boundary: past the middle of a character is after it.
    while (best < line.length && x > (ext[best] + ext[best + 1]) / 2)
        ++best;
    return line.start + best;
}

void EditData::ScrollCaret() {
    int first = firstLine;
    if (Multi()) {
        const int at = LineOf(caret), rows = VisibleLines();
        if (at < first)
            first = at;
        else if (at >= first + rows)
            first = at - rows + 1;
    }
    int x = xOffset;
    if (!Multi() || (Style() & ES_AUTOHSCROLL)) {
        const int width = format.right - format.left;
        const EditLine& line = lines[static_cast<size_t>(LineOf(caret))];
        std::vector<int> ext = Extents(line);
        const int caretAt = ext[std::min(caret - line.start, line.length)];
        const int shown = caretAt - xOffset;
        if (shown < 0) {
            x = std::max(0, caretAt - width / 3);
        } else if (shown >= width) {
            // Bring the caret two thirds in, but never past the end of the text.
            x = std::min(caretAt - width + width / 3, ext.back() - width + 1);
            x = std::max(x, caretAt - width + 1);
        }
    }
    ScrollTo(x, first);
}

void EditData::ScrollTo(int x, int first) {
    x = std::max(0, x);
    first = std::clamp(first, 0, std::max(0, static_cast<int>(lines.size()) - 1));
    const bool horizontal = x != xOffset, vertical = first != firstLine;
    if (!horizontal && !vertical) return;
    xOffset = x;
    firstLine = first;
    Invalidate();
    UpdateCaret();
    UpdateScrollBars();
    if (noNotify) return;
    if (horizontal) Notify(hwnd, EN_HSCROLL);
    if (vertical) Notify(hwnd, EN_VSCROLL);
}

void EditData::UpdateCaret() {
    if (!focused) return;
    POINT p = PosFromChar(caret);
    SetCaretPos(p.x, p.y);
}

void EditData::Invalidate() const {
    InvalidateRect(hwnd, nullptr, FALSE);
}

void EditData::UpdateScrollBars() const {
    const DWORD style = Style();
    if (Multi() && (style & WS_VSCROLL))
        SetScrollBar(hwnd, SB_VERT, 0, static_cast<int>(lines.size()) - 1, VisibleLines(),
                     firstLine, true);
}

void EditData::MoveTo(size_t index, bool extend) {
    index = std::min(index, text.size());
    typing = false;
    if (!extend) anchor = index;
    caret = index;
    ScrollCaret();
    Invalidate();
    UpdateCaret();
}

void EditData::Select(size_t newAnchor, size_t newCaret) {
    anchor = std::min(newAnchor, text.size());
    caret = std::min(newCaret, text.size());
    typing = false;
    Invalidate();
    UpdateCaret();
}

void EditData::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    const DWORD style = Style();
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(font));
    const UINT colorMsg = ((style & ES_READONLY) || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    HBRUSH brush = ControlColor(hwnd, dc, colorMsg);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, brush);
    const COLORREF textColor = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    SetBkMode(dc, TRANSPARENT);
    IntersectClipRect(dc, format.left, format.top, format.right, format.bottom);

    const bool showSelection = focused || (style & ES_NOHIDESEL);
    const size_t s = SelStart(), e = SelEnd();
    const int rows = Multi() ? VisibleLines() + 1 : 1;
    for (int i = firstLine; i < static_cast<int>(lines.size()) && i < firstLine + rows; ++i) {
        const EditLine& line = lines[static_cast<size_t>(i)];
        const std::u16string shown = DisplayText(line);
        std::vector<int> ext = Extents(line);
        const int x = LineX(line, ext.back());
        const int y = format.top + (i - firstLine) * lineHeight;
        SetTextColor(dc, textColor);
        TextOutW(dc, x, y, shown.data(), static_cast<int>(shown.size()));
        const size_t a = std::max(s, line.start), b = std::min(e, line.End());
        if (!showSelection || a >= b) continue;
        RECT band{x + ext[a - line.start], y, x + ext[b - line.start], y + lineHeight};
        FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        ExtTextOutW(dc, x, y, ETO_CLIPPED, &band, shown.data(), static_cast<UINT>(shown.size()),
                    nullptr);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

} // namespace win32::controls
