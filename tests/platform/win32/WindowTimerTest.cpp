#include "WindowTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

class WindowTimers : public ::testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(1000);
        RegisterRecorder();
        hwnd = MakeWindow();
    }
    void TearDown() override {
        DestroyWindow(hwnd);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        TestSeams::UseRealClock();
    }
    int DrainTimers(UINT_PTR id) {
        int n = 0;
        MSG m;
        while (PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            n += m.wParam == id;
            DispatchMessageW(&m);
        }
        return n;
    }
    HWND hwnd = nullptr;
};

int procCalls = 0;
void CALLBACK CountingProc(HWND, UINT, UINT_PTR, DWORD) { ++procCalls; }

} // namespace

TEST_F(WindowTimers, FireOnTheClockAndAreNeverQueuedTwice) {
    ASSERT_EQ(SetTimer(hwnd, 5, 200, nullptr), 5u);
    EXPECT_EQ(DrainTimers(5), 0);
    TestSeams::AdvanceClock(199);
    EXPECT_EQ(DrainTimers(5), 0);
    TestSeams::AdvanceClock(1);
    EXPECT_EQ(DrainTimers(5), 1);
    // Overdue by many periods still gives one WM_TIMER, and the period restarts then.
    TestSeams::AdvanceClock(1000);
    EXPECT_EQ(DrainTimers(5), 1);
    TestSeams::AdvanceClock(199);
    EXPECT_EQ(DrainTimers(5), 0);
    ASSERT_TRUE(KillTimer(hwnd, 5));
    TestSeams::AdvanceClock(1000);
    EXPECT_EQ(DrainTimers(5), 0);
    EXPECT_FALSE(KillTimer(hwnd, 5));
}

TEST_F(WindowTimers, SettingAnExistingTimerAgainRestartsIt) {
    SetTimer(hwnd, 1, 100, nullptr);
    TestSeams::AdvanceClock(90);
    SetTimer(hwnd, 1, 100, nullptr);
    TestSeams::AdvanceClock(90);
    EXPECT_EQ(DrainTimers(1), 0);
    TestSeams::AdvanceClock(10);
    EXPECT_EQ(DrainTimers(1), 1);
}

TEST_F(WindowTimers, ThreadTimersCallTheirProcedure) {
    procCalls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 50, CountingProc);
    ASSERT_NE(id, 0u);
    TestSeams::AdvanceClock(50);
    DrainTimers(id);
    EXPECT_EQ(procCalls, 1);
    KillTimer(nullptr, id);
}

TEST_F(WindowTimers, GetMessageWaitsForTheNextTimerOnTheClock) {
    SetTimer(hwnd, 9, 300, nullptr);
    std::thread clock([] {
        TestSeams::WaitForClockWaiters(1);
        TestSeams::AdvanceClock(300);
    });
    MSG m;
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(m.wParam, 9u);
    clock.join();
}

TEST_F(WindowTimers, DestroyingTheWindowEndsItsTimers) {
    SetTimer(hwnd, 3, 10, nullptr);
    DestroyWindow(hwnd);
    TestSeams::AdvanceClock(100);
    MSG m;
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}
