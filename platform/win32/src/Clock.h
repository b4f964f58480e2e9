// The layer's one clock. GetTickCount, timers, message waits and every
// time-out read it. Tests switch it to a manual clock (TestSeams) and advance
// it; a wait with a deadline then ends when the clock is advanced past the
// deadline, never by real time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace win32 {

constexpr uint64_t kForever = UINT64_MAX;

// Milliseconds since an arbitrary start; monotonic. The 32-bit tick count is
// the low half of this value.
uint64_t NowMs();

// Waits on `cv` (with `lock` held) until `ready()` is true or the clock
// reaches `deadlineMs` (kForever: no deadline). Returns ready()'s last value.
// Whoever makes ready() true must notify `cv`; advancing the manual clock
// wakes every such wait so that it can check its deadline.
bool WaitUntil(std::condition_variable_any& cv, std::unique_lock<std::mutex>& lock,
               uint64_t deadlineMs, const std::function<bool()>& ready);

} // namespace win32
