#include "KernelTestSupport.h"

using namespace kerneltest;

using KernelClock = ManualClock;

TEST_F(KernelClock, EveryTimeCallReadsTheManualClock) {
    LARGE_INTEGER frequency, before, after;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    EXPECT_EQ(GetTickCount(), 1000u);
    EXPECT_EQ(GetTickCount64(), 1000u);
    EXPECT_EQ(timeGetTime(), 1000u);

    TestSeams::AdvanceClock(250);
    ASSERT_TRUE(QueryPerformanceCounter(&after));
    EXPECT_EQ(GetTickCount(), 1250u);
    EXPECT_EQ(timeGetTime(), 1250u);
    EXPECT_EQ((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 250);
    EXPECT_EQ(timeBeginPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
}

TEST_F(KernelClock, TheTickCountWrapsAfter32BitsWhileTheLongCountGoesOn) {
    TestSeams::UseManualClock(0xFFFFFFFFull - 5);
    DWORD start = GetTickCount();
    EXPECT_EQ(start, 0xFFFFFFFAu);
    TestSeams::AdvanceClock(10);
    EXPECT_EQ(GetTickCount(), 4u);
    EXPECT_EQ(GetTickCount64(), 0x100000004ull);
    EXPECT_EQ(GetTickCount() - start, 10u); // unsigned difference survives the wrap
}

TEST_F(KernelClock, AWaitTimesOutOnlyWhenTheClockPassesItsDeadline) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE waiter = StartThread([&] { return WaitForSingleObject(event, 500); });
    TestSeams::WaitForClockWaiters(1);

    TestSeams::AdvanceClock(499);
    // AdvanceClock returns once the waiter has rechecked and gone back to sleep.
    EXPECT_EQ(ExitCodeOf(waiter), static_cast<DWORD>(STILL_ACTIVE));

    TestSeams::AdvanceClock(1);
    EXPECT_EQ(Join(waiter), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST_F(KernelClock, AWaitEndsWithoutTheClockWhenItsObjectIsSignalled) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE waiter = StartThread([&] { return WaitForSingleObject(event, 500); });
    TestSeams::WaitForClockWaiters(1);
    SetEvent(event);
    EXPECT_EQ(Join(waiter), WAIT_OBJECT_0);
    EXPECT_EQ(GetTickCount(), 1000u);
    CloseHandle(event);
}

TEST_F(KernelClock, SleepWaitsForTheClockAndSleepZeroOnlyYields) {
    Sleep(0);
    HANDLE sleeper = StartThread([] {
        Sleep(100);
        return DWORD{7};
    });
    TestSeams::WaitForClockWaiters(1);
    TestSeams::AdvanceClock(99);
    EXPECT_EQ(ExitCodeOf(sleeper), static_cast<DWORD>(STILL_ACTIVE));
    TestSeams::AdvanceClock(1);
    EXPECT_EQ(Join(sleeper), 7u);
}

TEST_F(KernelClock, SeveralWaitersEachEndAtTheirOwnDeadline) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE early = StartThread([&] { return WaitForSingleObject(event, 100); });
    HANDLE late = StartThread([&] { return WaitForSingleObject(event, 300); });
    TestSeams::WaitForClockWaiters(2);
    TestSeams::AdvanceClock(150);
    EXPECT_EQ(Join(early), WAIT_TIMEOUT);
    EXPECT_EQ(ExitCodeOf(late), static_cast<DWORD>(STILL_ACTIVE));
    TestSeams::AdvanceClock(150);
    EXPECT_EQ(Join(late), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(KernelRealClock, IsMonotonicAndAZeroTimeOutDoesNotWait) {
    ASSERT_FALSE(TestSeams::ClockIsManual());
    ULONGLONG first = GetTickCount64();
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_GE(GetTickCount64(), first);
    CloseHandle(event);
}
