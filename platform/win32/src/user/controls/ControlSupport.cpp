// Helpers shared by the system controls: the data table, notifications,
// colours, fonts and measuring, text comparison, the clipboard and scroll bars.
#include "Controls.h"

#include <win32/winbase.h>

#include <algorithm>
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

// --- Clipboard and scroll bars --------------------------------------------------------

bool PutClipboardText(HWND owner, std::u16string_view text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    if (!memory) return false;
    auto* out = static_cast<char16_t*>(GlobalLock(memory));
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = 0;
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!placed) GlobalFree(memory); // the clipboard owns it only once placed
    CloseClipboard();
    return placed;
}

bool GetClipboardText(HWND owner, std::u16string& text) {
    if (!OpenClipboard(owner)) return false;
    bool found = false;
    if (HGLOBAL memory = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT))) {
        if (const auto* in = static_cast<const char16_t*>(GlobalLock(memory))) {
            // Up to the terminator, never past the block.
            const size_t room = GlobalSize(memory) / sizeof(char16_t);
            size_t n = 0;
            while (n < room && in[n])
                ++n;
            text.assign(in, n);
            found = true;
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    return found;
}

void SetScrollBar(HWND hwnd, int bar, int min, int max, int page, int pos, bool keepVisible) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | (keepVisible ? SIF_DISABLENOSCROLL : 0);
    si.nMin = min;
    si.nMax = std::max(min, max);
    si.nPage = static_cast<UINT>(std::max(page, 0));
    si.nPos = pos;
    SetScrollInfo(hwnd, bar, &si, TRUE);
}

} // namespace win32::controls
