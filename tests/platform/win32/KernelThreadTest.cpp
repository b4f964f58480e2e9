#include "KernelTestSupport.h"

#include <unistd.h>

using namespace kerneltest;

namespace {

DWORD AddOne(LPVOID parameter) {
    return *static_cast<DWORD*>(parameter) + 1;
}

} // namespace

TEST(KernelThread, RunsItsRoutineAndKeepsTheExitCodeAfterItEnds) {
    DWORD input = 41, id = 0;
    HANDLE thread = CreateThread(nullptr, 0, AddOne, &input, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(Join(thread), 42u);
}

TEST(KernelThread, ReportsItsOwnIdAndIsStillActiveWhileRunning) {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD idSeenInside = 0, id = 0;
    HANDLE thread = StartThread(
        [&] {
            idSeenInside = GetCurrentThreadId();
            return WaitForSingleObject(go, INFINITE);
        },
        0, &id);
    EXPECT_EQ(ExitCodeOf(thread), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    SetEvent(go);
    EXPECT_EQ(Join(thread), WAIT_OBJECT_0);
    EXPECT_EQ(idSeenInside, id);
    CloseHandle(go);
}

TEST(KernelThread, ASuspendedThreadRunsOnlyWhenItsCountFallsToZero) {
    bool ran = false;
    HANDLE thread = StartThread(
        [&] {
            ran = true;
            return DWORD{5};
        },
        CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(SuspendThread(thread), 1u);
    EXPECT_EQ(ResumeThread(thread), 2u);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    EXPECT_FALSE(ran);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(Join(thread), 5u);
    EXPECT_TRUE(ran);
}

TEST(KernelThread, AThreadCanSuspendItselfUntilAnotherResumesIt) {
    HANDLE thread = StartThread([] { return SuspendThread(GetCurrentThread()) + 10; });
    // Resume answers the previous count: 0 until the thread has suspended itself.
    while (ResumeThread(thread) == 0)
        SwitchToThread();
    EXPECT_EQ(Join(thread), 10u);
}

TEST(KernelThread, ARunningThreadCannotBeSuspendedFromOutside) {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = StartThread([&] { return WaitForSingleObject(go, INFINITE); });
    EXPECT_EQ(SuspendThread(thread), static_cast<DWORD>(-1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    SetEvent(go);
    Join(thread);
    CloseHandle(go);
}

TEST(KernelThread, CreateFailsCleanlyWhenTheThreadCannotStart) {
    DWORD id = 123;
    SIZE_T absurd = static_cast<SIZE_T>(1) << 60;
    EXPECT_EQ(CreateThread(nullptr, absurd, AddOne, nullptr, 0, &id), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(id, 123u);
    EXPECT_EQ(CreateThread(nullptr, SIZE_MAX, AddOne, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(KernelThread, ASmallOrExplicitStackSizeIsRoundedUpAndWorks) {
    DWORD input = 1;
    for (SIZE_T size : {SIZE_T{1}, SIZE_T{4096}, SIZE_T{1} << 20}) {
        HANDLE thread = CreateThread(nullptr, size, AddOne, &input, 0, nullptr);
        ASSERT_NE(thread, nullptr) << size;
        EXPECT_EQ(Join(thread), 2u);
    }
}

TEST(KernelThread, ClosingTheHandleOfARunningThreadNeitherEndsNorLosesIt) {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = StartThread([=] {
        WaitForSingleObject(go, INFINITE);
        SetEvent(done);
        return DWORD{0};
    });
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread));
    SetEvent(go);
    EXPECT_EQ(WaitForSingleObject(done, INFINITE), WAIT_OBJECT_0);
    CloseHandle(go);
    CloseHandle(done);
}

namespace {
struct SetsFlagWhenDestroyed {
    bool& flag;
    ~SetsFlagWhenDestroyed() { flag = true; }
};

void EndFromDeepInside(bool& unwound) {
    SetsFlagWhenDestroyed guard{unwound};
    ExitThread(77);
}
} // namespace

TEST(KernelThread, ExitThreadEndsWithItsCodeAndUnwindsTheStack) {
    bool unwound = false;
    HANDLE thread = StartThread([&]() -> DWORD {
        EndFromDeepInside(unwound);
        return 1;
    });
    EXPECT_EQ(Join(thread), 77u);
    EXPECT_TRUE(unwound);
}

TEST(KernelThread, TheCurrentThreadPseudoHandleAndPriorities) {
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(GetCurrentThread(), &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);

    HANDLE thread = StartThread([] { return DWORD{0}; }, CREATE_SUSPENDED);
    for (int priority : {-15, -2, -1, 0, 1, 2, 15}) {
        EXPECT_TRUE(SetThreadPriority(thread, priority));
        EXPECT_EQ(GetThreadPriority(thread), priority);
    }
    EXPECT_FALSE(SetThreadPriority(thread, 3));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ResumeThread(thread);
    Join(thread);
    EXPECT_EQ(GetThreadPriority(reinterpret_cast<HANDLE>(0x7654320)), THREAD_PRIORITY_ERROR_RETURN);
}

TEST(KernelThread, ProcessAndThreadIdsAreTheSystemOnes) {
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
    EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(gettid()));
    EXPECT_TRUE(SwitchToThread());
}
