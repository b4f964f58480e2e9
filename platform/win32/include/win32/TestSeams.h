// Hooks for tests only: they make the layer deterministic and observable.
// Programs never call these.
#pragma once

#include <win32/windef.h>

#include <functional>
#include <string>
#include <string_view>

namespace TestSeams {

// --- Configuration folder -------------------------------------------------
// Redirects the layer's configuration folder (registry hives, devices) and the
// Windows directory (profile files by bare name). An empty path restores the
// default from the environment.
void SetConfigFolder(const std::string& path);
void SetWindowsFolder(const std::string& path);

} // namespace TestSeams

// --- Kernel: clock and process exit -------------------------------------------
namespace TestSeams {

// The manual clock. GetTickCount, Sleep, wait time-outs, timers: everything
// that reads time reads this clock. startMs lets a test sit just before the
// 32-bit tick count wraps (0xFFFFFFFF - n).
void UseManualClock(uint64_t startMs);
// Moves the manual clock forward and wakes every wait so that it rechecks its
// deadline; returns once each woken wait has rechecked (and either ended or
// gone back to sleep). Call it without holding any of the layer's locks.
void AdvanceClock(uint64_t ms);
void UseRealClock();
bool ClockIsManual();
// How many threads are inside a wait on the clock (a wait call, Sleep, a
// message wait), and a way to block until at least `count` are: a test starts
// a waiter, calls WaitForClockWaiters, then advances the clock.
size_t ClockWaiterCount();
void WaitForClockWaiters(size_t count);

// With an exit hook set, ExitProcess calls it with the exit code and then
// throws ProcessExited{code} instead of ending the process, so that a test
// can catch it (ExitProcess never returns to its caller). An empty function
// removes the hook.
struct ProcessExited {
    UINT code;
};
void SetExitHook(std::function<void(UINT)> hook);

} // namespace TestSeams

// --- Registry ---------------------------------------------------------------
namespace TestSeams {

// A fresh, empty registry: the hives in memory and their files are dropped,
// every open key handle becomes invalid, and HKLM\HARDWARE is generated anew.
void ResetRegistry();

// Drops the hives in memory and every open key handle; the next registry call
// loads the hives from their files, as a new process would.
void ReloadRegistry();

} // namespace TestSeams

namespace TestSeams {

// --- Synthetic input --------------------------------------------------------------
// Input routed as the system routes it: hit testing, capture, activation,
// focus, key state and double clicks (timed on the layer's clock). Points are
// screen coordinates. Messages land in the input queue of the window's thread;
// pump them to deliver.
void MouseMove(POINT screen);
void MouseDown(POINT screen, int button = 0x01 /* VK_LBUTTON */);
void MouseUp(POINT screen, int button = 0x01);
void Click(POINT screen, int button = 0x01);
void Wheel(POINT screen, int delta, bool horizontal = false);
void KeyDown(int vk);
void KeyUp(int vk);
void KeyPress(int vk); // down and up
// Types text: characters of the keyboard layout as key strokes (so that
// TranslateMessage makes their WM_CHAR), others as WM_CHAR directly.
void TypeText(std::u16string_view text);
// Screen position of a window's client point.
POINT ClientPoint(HWND hwnd, int x, int y);

} // namespace TestSeams

// --- Shell namespace ----------------------------------------------------------
namespace TestSeams {

// Tracking mode of the task allocator: every live block is recorded, and a
// free of a block that is not live (double free, foreign pointer) is counted
// as a fault and ignored. Turning tracking on or off forgets what was recorded.
void TrackTaskAllocations(bool enabled);
size_t LiveTaskAllocations();
size_t TaskAllocatorFaults();

// Points the special folders at a test folder standing in for the home folder:
// user-dirs.dirs is read from <path>/.config, the trash lies in
// <path>/.local/share/Trash. An empty path restores $HOME and the XDG variables.
void SetShellHomeFolder(const std::string& path);

} // namespace TestSeams
