// The monitors of the layer's screen.
#include <win32/monitors.h>
#include <win32/winuser.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>

namespace {

std::mutex gLock;
std::vector<TestSeams::MonitorLayout> gMonitors; // empty: the screen alone

std::vector<TestSeams::MonitorLayout> Layout() {
    std::lock_guard<std::mutex> hold(gLock);
    if (!gMonitors.empty()) return gMonitors;
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return {{screen, screen}};
}

// Monitor handles are their position in the layout, plus one.
HMONITOR HandleOf(size_t index) {
    return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(index + 1));
}

LONG Overlap(const RECT& a, const RECT& b) {
    const LONG w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const LONG h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance from a rectangle to a monitor's area.
long long Distance(const RECT& r, const RECT& m) {
    const long long dx = r.right <= m.left ? m.left - r.right + 1 : r.left >= m.right ? r.left - m.right + 1 : 0;
    const long long dy = r.bottom <= m.top ? m.top - r.bottom + 1 : r.top >= m.bottom ? r.top - m.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

HMONITOR FromRect(const RECT& r, DWORD flags) {
    const auto monitors = Layout();
    size_t best = 0;
    LONG bestOverlap = 0;
    for (size_t i = 0; i < monitors.size(); ++i)
        if (LONG o = Overlap(r, monitors[i].area); o > bestOverlap) {
            bestOverlap = o;
            best = i;
        }
    if (bestOverlap > 0) return HandleOf(best);
    if (flags == MONITOR_DEFAULTTOPRIMARY) return HandleOf(0);
    if (flags != MONITOR_DEFAULTTONEAREST) return nullptr;
    long long nearest = LLONG_MAX;
    for (size_t i = 0; i < monitors.size(); ++i)
        if (long long d = Distance(r, monitors[i].area); d < nearest) {
            nearest = d;
            best = i;
        }
    return HandleOf(best);
}

} // namespace

HMONITOR MonitorFromPoint(POINT pt, DWORD flags) {
    const RECT r{pt.x, pt.y, pt.x + 1, pt.y + 1};
    return FromRect(r, flags);
}

HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags) {
    if (!rect) return nullptr;
    // An empty rectangle still names a place.
    RECT r = *rect;
    if (r.right <= r.left) r.right = r.left + 1;
    if (r.bottom <= r.top) r.bottom = r.top + 1;
    return FromRect(r, flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return flags == MONITOR_DEFAULTTONULL ? nullptr : HandleOf(0);
    return MonitorFromRect(&r, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
    if (!info || info->cbSize != sizeof(MONITORINFO)) return FALSE;
    const auto monitors = Layout();
    const auto index = reinterpret_cast<uintptr_t>(monitor);
    if (index == 0 || index > monitors.size()) return FALSE;
    info->rcMonitor = monitors[index - 1].area;
    info->rcWork = monitors[index - 1].work;
    info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

void TestSeams::SetMonitors(std::vector<MonitorLayout> monitors) {
    std::lock_guard<std::mutex> hold(gLock);
    gMonitors = std::move(monitors);
}
