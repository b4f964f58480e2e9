#include "MessageSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace conformance {

std::vector<Logged>& Log() {
    static std::vector<Logged> log;
    return log;
}

std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>& Hook() {
    static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> hook;
    return hook;
}

namespace {

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back({hwnd, msg, wParam, lParam});
    LRESULT result = 0;
    if (Hook() && Hook()(hwnd, msg, wParam, lParam, result)) return result;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Messages whose presence depends on what is on screen or where the mouse is,
// not on the behaviour under test.
bool Noise(UINT msg) {
    switch (msg) {
    case WM_NCPAINT:
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_GETTEXT:
    case WM_GETICON:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_QUERYUISTATE:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORDLG:
        return true;
    default: return false;
    }
}

std::string Describe(UINT msg, WPARAM wParam, LPARAM lParam) {
    char text[96];
    std::snprintf(text, sizeof text, "%s(%#llx, %#llx)", MessageName(msg).c_str(),
                  static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
    return text;
}

bool Matches(const Expected& e, const Logged& got) {
    if (e.msg != got.msg) return false;
    if ((e.check & kWParam) && e.wParam != got.wParam) return false;
    if ((e.check & kLParam) && e.lParam != got.lParam) return false;
    return true;
}

} // namespace

void RegisterSequenceRecorder() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecorderProc;
    wc.lpszClassName = u"SeqRecorder";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassExW(&wc); // already registered after the first test
    Log().clear();
    Hook() = nullptr;
}

HWND MakeRecorded(DWORD style, HWND parent, RECT at, DWORD exStyle) {
    return CreateWindowExW(exStyle, u"SeqRecorder", u"seq", style, at.left, at.top,
                           at.right - at.left, at.bottom - at.top, parent, nullptr, nullptr,
                           nullptr);
}

void PumpPosted() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

void ExpectSequence(const std::vector<Expected>& table, const char* what, HWND only) {
    std::vector<Logged> got;
    for (const Logged& l : Log())
        if ((!only || l.hwnd == only) && !Noise(l.msg)) got.push_back(l);
    std::string failure;
    size_t g = 0;
    for (size_t e = 0; e < table.size() && failure.empty(); ++e) {
        if (g < got.size() && Matches(table[e], got[g])) {
            ++g;
            continue;
        }
        if (table[e].check & kOptional) continue;
        failure = "expected " + Describe(table[e].msg, table[e].wParam, table[e].lParam) +
                  (g < got.size() ? " but got " + Describe(got[g].msg, got[g].wParam, got[g].lParam)
                                  : std::string(" but the sequence ended"));
    }
    if (failure.empty() && g < got.size())
        failure = "unexpected " + Describe(got[g].msg, got[g].wParam, got[g].lParam) + " at the end";
    if (failure.empty()) return;
    std::string all;
    for (const Logged& l : got) all += "  " + Describe(l.msg, l.wParam, l.lParam) + "\n";
    ADD_FAILURE() << what << ": " << failure << "\nwhole sequence:\n" << all;
}

std::string MessageName(UINT msg) {
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"},
        {WM_DESTROY, "WM_DESTROY"},
        {WM_MOVE, "WM_MOVE"},
        {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"},
        {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"},
        {WM_SETTEXT, "WM_SETTEXT"},
        {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
        {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
        {WM_NCCREATE, "WM_NCCREATE"},
        {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
        {WM_NCACTIVATE, "WM_NCACTIVATE"},
        {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_KEYUP, "WM_KEYUP"},
        {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
        {WM_SYSKEYUP, "WM_SYSKEYUP"},
        {WM_TIMER, "WM_TIMER"},
        {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
        {WM_RBUTTONUP, "WM_RBUTTONUP"},
        {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
        {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
        {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
        {WM_USER, "WM_USER"},
        {WM_APP, "WM_APP"},
    };
    auto it = names.find(msg);
    if (it != names.end()) return it->second;
    char text[16];
    std::snprintf(text, sizeof text, "msg %#x", msg);
    return text;
}

} // namespace conformance
