#include "WindowTestSupport.h"

#include <algorithm>

std::vector<Recorded>& Log() {
    static std::vector<Recorded> log;
    return log;
}

std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>& Hook() {
    static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> hook;
    return hook;
}

static LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back({hwnd, msg, wParam, lParam});
    LRESULT result = 0;
    if (Hook() && Hook()(hwnd, msg, wParam, lParam, result)) return result;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterRecorder() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecorderProc;
    wc.lpszClassName = u"Recorder";
    RegisterClassExW(&wc); // fails harmlessly when already registered
    Log().clear();
    Hook() = nullptr;
}

HWND MakeWindow(DWORD style, HWND parent, int x, int y, int cx, int cy) {
    return CreateWindowExW(0, u"Recorder", u"test", style, x, y, cx, cy, parent, nullptr, nullptr,
                           nullptr);
}

std::vector<UINT> Messages(const std::vector<UINT>& of, HWND only) {
    std::vector<UINT> out;
    for (const Recorded& r : Log())
        if ((!only || r.hwnd == only) && std::find(of.begin(), of.end(), r.msg) != of.end())
            out.push_back(r.msg);
    return out;
}
