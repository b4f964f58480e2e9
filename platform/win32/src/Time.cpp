// The time calls of the kernel and of winmm, all on the layer's one clock.
#include "Clock.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <chrono>
#include <sched.h>

namespace {
// Performance counter ticks per millisecond (a 10 MHz counter, as is common).
constexpr LONGLONG kCounterTicksPerMs = 10000;

// On the real clock the counter has sub-millisecond steps (the same monotonic
// clock as NowMs); on the manual clock it moves with the milliseconds that
// tests advance.
LONGLONG CounterNow() {
    if (TestSeams::ClockIsManual())
        return static_cast<LONGLONG>(win32::NowMs()) * kCounterTicksPerMs;
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(sinceStart).count() / 100;
}
} // namespace

DWORD GetTickCount() {
    return static_cast<DWORD>(win32::NowMs());
}

ULONGLONG GetTickCount64() {
    return win32::NowMs();
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    std::mutex mutex;
    std::condition_variable_any cv;
    std::unique_lock<std::mutex> lock(mutex);
    uint64_t deadline = milliseconds == INFINITE ? win32::kForever : win32::NowMs() + milliseconds;
    win32::WaitUntil(cv, lock, deadline, [] { return false; });
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    count->QuadPart = CounterNow();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    frequency->QuadPart = kCounterTicksPerMs * 1000;
    return TRUE;
}

DWORD timeGetTime() {
    return GetTickCount();
}

// The clock already has millisecond resolution.
MMRESULT timeBeginPeriod(UINT period) {
    return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT period) {
    return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR;
}
