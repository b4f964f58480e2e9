// Helpers shared by the kernel tests.
#pragma once

#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kerneltest {

// Starts a thread that runs `body` and ends with its answer.
inline HANDLE StartThread(std::function<DWORD()> body, DWORD flags = 0, DWORD* id = nullptr) {
    auto* task = new std::function<DWORD()>(std::move(body));
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            // Freed on return and when ExitThread unwinds the thread.
            std::unique_ptr<std::function<DWORD()>> own(static_cast<std::function<DWORD()>*>(p));
            return (*own)();
        },
        task, flags, id);
    if (!thread) delete task;
    return thread;
}

// Waits for a thread to end, closes its handle and answers its exit code.
inline DWORD Join(HANDLE thread) {
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    CloseHandle(thread);
    return code;
}

inline DWORD ExitCodeOf(HANDLE thread) {
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    return code;
}

// Every test of this fixture runs on the manual clock.
class ManualClock : public ::testing::Test {
protected:
    void SetUp() override { TestSeams::UseManualClock(1000); }
    void TearDown() override { TestSeams::UseRealClock(); }
};

} // namespace kerneltest
