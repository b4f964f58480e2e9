// Helpers shared by the system controls: the data table, notifications,
// colours, fonts and measuring, text comparison, and the stand-ins for the
// clipboard and scroll bars.
#include "Controls.h"

#include <win32/winbase.h>

#include <mutex>
#include <unordered_map>

namespace win32::controls {

namespace {

struct DataTable {
    std::mutex lock;
    std::unordered_map<HWND, std::shared_ptr<ControlData>> byWindow;
};

DataTable& Table() {
    static DataTable* table = new DataTable; // lives until the process ends
    return *table;
}

} // namespace

void AttachData(HWND hwnd, std::shared_ptr<ControlData> data) {
    std::lock_guard<std::mutex> guard(Table().lock);
    Table().byWindow[hwnd] = std::move(data);
}

std::shared_ptr<ControlData> DataOf(HWND hwnd) {
    std::lock_guard<std::mutex> guard(Table().lock);
    auto it = Table().byWindow.find(hwnd);
    return it == Table().byWindow.end() ? nullptr : it->second;
}

void DetachData(HWND hwnd) {
    std::shared_ptr<ControlData> doomed; // released outside the lock
    std::lock_guard<std::mutex> guard(Table().lock);
    auto it = Table().byWindow.find(hwnd);
    if (it == Table().byWindow.end()) return;
    doomed = std::move(it->second);
    Table().byWindow.erase(it);
}

DWORD StyleOf(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
}

void Notify(HWND control, UINT code, HWND to) {
    if (!to) to = GetParent(control);
    if (!to) return;
    SendMessageW(to, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

HBRUSH DefaultControlColor(UINT msg, HDC dc) {
    const bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    if (dc) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    if (msg == WM_CTLCOLORSCROLLBAR) return GetSysColorBrush(COLOR_SCROLLBAR);
    return GetSysColorBrush(window ? COLOR_WINDOW : COLOR_BTNFACE);
}

HBRUSH ControlColor(HWND control, HDC dc, UINT msg, HWND to) {
    if (!to) to = GetParent(control);
    HBRUSH brush = nullptr;
    if (to)
        brush = reinterpret_cast<HBRUSH>(
            SendMessageW(to, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    return brush ? brush : DefaultControlColor(msg, dc);
}

HFONT FontOrSystem(HFONT font) {
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

MeasureDC::MeasureDC(HFONT font) {
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, FontOrSystem(font));
}

MeasureDC::~MeasureDC() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
}

int MeasureDC::LineHeight() const {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_, &tm);
    return tm.tmHeight;
}

int MeasureDC::Width(std::u16string_view text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

std::u16string WindowText(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

char16_t UpperChar(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c < 0x80) return c;
    // Latin-1, Greek, Cyrillic and full-width Latin: the upper case is 0x20 below.
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    return c;
}

char16_t LowerChar(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c < 0x80) return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A))
        return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    return c;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = UpperChar(a[i]), y = UpperChar(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

char16_t Mnemonic(std::u16string_view text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] != u'&') return UpperChar(text[i + 1]);
        ++i; // "&&" is a plain ampersand
    }
    return 0;
}

// --- Clipboard stand-in --------------------------------------------------------------

namespace {

struct ClipboardText {
    std::mutex lock;
    std::u16string text;
    bool present = false;
};

ClipboardText& Clip() {
    static ClipboardText* clip = new ClipboardText;
    return *clip;
}

} // namespace

bool PutClipboardText(HWND, std::u16string_view text) {
    std::lock_guard<std::mutex> guard(Clip().lock);
    Clip().text.assign(text);
    Clip().present = true;
    return true;
}

bool GetClipboardText(HWND, std::u16string& text) {
    std::lock_guard<std::mutex> guard(Clip().lock);
    if (!Clip().present) return false;
    text = Clip().text;
    return true;
}

// --- Scroll bar stand-in -------------------------------------------------------------

void SetScrollBar(HWND hwnd, int bar, int min, int max, int page, int pos, bool keepVisible) {
    const bool needed = keepVisible || (max - min + 1 > std::max(page, 0) && max >= min);
    const DWORD flag = bar == kBarVert ? WS_VSCROLL : WS_HSCROLL;
    const DWORD style = StyleOf(hwnd);
    if (((style & flag) != 0) == needed) return;
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(needed ? (style | flag) : (style & ~flag)));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace win32::controls
