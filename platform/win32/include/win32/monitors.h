// Monitors: which monitor holds a point, a rectangle or a window, and the
// monitor's area and work area. The layer's screen is one primary monitor of
// the screen's size unless a test lays out others.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <vector>

#define MONITOR_DEFAULTTONULL 0x00000000
#define MONITOR_DEFAULTTOPRIMARY 0x00000001
#define MONITOR_DEFAULTTONEAREST 0x00000002
#define MONITORINFOF_PRIMARY 0x00000001

typedef struct tagMONITORINFO {
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
} MONITORINFO, *LPMONITORINFO;

HMONITOR MonitorFromPoint(POINT pt, DWORD flags);
HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
// Fails for an unknown monitor or a cbSize other than sizeof(MONITORINFO).
BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info);

namespace TestSeams {

struct MonitorLayout {
    RECT area;
    RECT work;
};
// Lays the screen out as these monitors, the first one primary; an empty
// list restores the single monitor of the screen's size.
void SetMonitors(std::vector<MonitorLayout> monitors);

} // namespace TestSeams

#pragma GCC visibility pop
