// VERIFY states a rule the code relies on ("caller holds the lock", "this
// look-up cannot fail", "the counters add up") as code. Builds made to find
// faults (the sanitizer build defines VERIFY_CHECKS) stop at the first broken
// rule with its place; other builds compile the check but never evaluate it,
// so a check may be as thorough as it needs to be.
#pragma once
#pragma GCC visibility push(default)

#include <cstdio>
#include <cstdlib>

namespace win32 {

#if defined(VERIFY_CHECKS)
inline constexpr bool VerifyActive = true;
#else
inline constexpr bool VerifyActive = false;
#endif

[[noreturn]] inline void VerifyFailed(const char* expression, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: VERIFY(%s) failed\n", file, line, expression);
    std::fflush(stderr);
    std::abort();
}

} // namespace win32

#if defined(VERIFY_CHECKS)
#define VERIFY(expression)                                                                         \
    (static_cast<bool>(expression) ? static_cast<void>(0)                                          \
                                   : ::win32::VerifyFailed(#expression, __FILE__, __LINE__))
#else
#define VERIFY(expression) static_cast<void>(sizeof(static_cast<bool>(expression)))
#endif

#pragma GCC visibility pop
