// The status bar: parts given by their right edges, each with a text and a
// drawing type (sunken, raised or borderless), painted on the button face;
// in simple mode one part across the bar shows its own text, and the parts
// come back unchanged when it ends.
#include "Controls.h"

#include <win32/statusbar.h>
#include <win32/wingdi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace win32::controls {

namespace {

constexpr int kMaxParts = 256;
constexpr int kTextIndent = 4;

struct Part {
    int right = -1;
    std::u16string text;
    UINT type = 0;
};

struct StatusData : ControlData {
    HWND hwnd = nullptr;
    std::vector<Part> parts{Part{}};
    Part simple;
    bool isSimple = false;
    HFONT font = nullptr;
    int minHeight = 0;
};

RECT PartRect(const StatusData& s, int index) {
    RECT client;
    GetClientRect(s.hwnd, &client);
    RECT r{client.left, client.top + 2, client.right, client.bottom};
    if (s.isSimple) return r;
    if (index > 0) r.left = s.parts[size_t(index - 1)].right + 2;
    const int right = s.parts[size_t(index)].right;
    if (right >= 0) r.right = std::min<LONG>(right, client.right);
    if (r.left > r.right) r.left = r.right;
    return r;
}

void DrawPart(const StatusData& s, HDC dc, const Part& part, RECT r) {
    if (!(part.type & SBT_NOBORDERS))
        DrawEdge(dc, &r, (part.type & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    RECT text = r;
    text.left += kTextIndent;
    text.right -= 2;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, part.text.c_str(), int(part.text.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Paint(StatusData& s, HDC given) {
    PAINTSTRUCT ps;
    HDC dc = given ? given : BeginPaint(s.hwnd, &ps);
    RECT client;
    GetClientRect(s.hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, FontOrSystem(s.font));
    if (s.isSimple)
        DrawPart(s, dc, s.simple, PartRect(s, 0));
    else
        for (size_t i = 0; i < s.parts.size(); ++i) DrawPart(s, dc, s.parts[i], PartRect(s, int(i)));
    SelectObject(dc, old);
    if (!given) EndPaint(s.hwnd, &ps);
}

Part* PartOf(StatusData& s, WPARAM wParam) {
    const int index = int(LOBYTE(LOWORD(wParam)));
    if (index == SB_SIMPLEID) return &s.simple;
    if (index >= int(s.parts.size())) return nullptr;
    return &s.parts[size_t(index)];
}

LRESULT TextOf(const Part& part, LPWSTR buffer) {
    if (buffer) {
        std::copy(part.text.begin(), part.text.end(), buffer);
        buffer[part.text.size()] = 0;
    }
    return MAKELONG(WORD(part.text.size()), WORD(part.type));
}

LRESULT Messages(StatusData& s, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case SB_SETPARTS: {
        const int count = int(wParam);
        const auto* edges = reinterpret_cast<const int*>(lParam);
        if (count <= 0 || count > kMaxParts || !edges) return FALSE;
        std::vector<Part> parts(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            parts[size_t(i)].right = edges[i];
            if (size_t(i) < s.parts.size()) {
                parts[size_t(i)].text = s.parts[size_t(i)].text;
                parts[size_t(i)].type = s.parts[size_t(i)].type;
            }
        }
        s.parts = std::move(parts);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case SB_GETPARTS: {
        auto* edges = reinterpret_cast<int*>(lParam);
        const int n = std::min(int(wParam), int(s.parts.size()));
        for (int i = 0; edges && i < n; ++i) edges[i] = s.parts[size_t(i)].right;
        return LRESULT(s.parts.size());
    }
    case SB_SETTEXTW: {
        Part* part = PartOf(s, wParam);
        if (!part) return FALSE;
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        part->text = text ? std::u16string(text) : std::u16string();
        part->type = UINT(wParam) & 0xff00;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case SB_GETTEXTW:
    case SB_GETTEXTLENGTHW: {
        Part* part = PartOf(s, wParam);
        if (!part) return 0;
        return TextOf(*part, msg == SB_GETTEXTW ? reinterpret_cast<LPWSTR>(lParam) : nullptr);
    }
    case SB_SIMPLE:
        if (s.isSimple != (wParam != 0)) {
            s.isSimple = wParam != 0;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case SB_ISSIMPLE:
        return s.isSimple;
    case SB_GETRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        const int index = int(wParam);
        if (!r || index < 0 || index >= int(s.parts.size())) return FALSE;
        *r = PartRect(s, s.isSimple ? 0 : index);
        return TRUE;
    }
    case SB_SETMINHEIGHT:
        s.minHeight = int(wParam);
        return 0;
    case WM_SETTEXT: {
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        s.parts[0].text = text ? std::u16string(text) : std::u16string();
        InvalidateRect(hwnd, nullptr, TRUE);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_SETFONT:
        s.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s.font);
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_PAINT:
        Paint(s, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PRINTCLIENT:
        Paint(s, reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK StatusBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto s = std::make_shared<StatusData>();
        s->hwnd = hwnd;
        AttachData(hwnd, s);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto s = Data<StatusData>(hwnd);
    if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Messages(*s, hwnd, msg, wParam, lParam);
}

} // namespace win32::controls
