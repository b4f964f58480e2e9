// The message queue: status bits, posting, and timers of other threads' windows.
#include "MessageSequence.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <thread>

using namespace conformance;

TEST(Queue, StatusGivesNewBitsLowAndWaitingBitsHigh) {
    PumpPosted();
    GetQueueStatus(QS_ALLINPUT); // forget what arrived before
    PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0);
    DWORD first = GetQueueStatus(QS_POSTMESSAGE);
    EXPECT_EQ(LOWORD(first), QS_POSTMESSAGE) << "new since the last look";
    EXPECT_EQ(HIWORD(first), QS_POSTMESSAGE) << "waiting";
    DWORD second = GetQueueStatus(QS_POSTMESSAGE);
    EXPECT_EQ(LOWORD(second), 0u) << "looking clears only the new bits";
    EXPECT_EQ(HIWORD(second), QS_POSTMESSAGE);
    PumpPosted();
    EXPECT_EQ(GetQueueStatus(QS_POSTMESSAGE), 0u);
}

TEST(Queue, MessagesCarryingPointersCanOnlyBeSent) {
    RegisterSequenceRecorder();
    HWND hwnd = MakeRecorded(WS_POPUP);
    struct Case {
        UINT msg;
        bool posts;
    } cases[] = {
        {CB_FINDSTRINGEXACT, false}, {LB_ADDSTRING, false}, {WM_SETTEXT, false},
        {WM_GETTEXT, false},         {EM_REPLACESEL, false}, {WM_WINDOWPOSCHANGED, false},
        {WM_USER, true},             {WM_TIMER, true},       {WM_CLOSE, true},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(PostMessageW(hwnd, c.msg, 0, 0) != FALSE, c.posts) << MessageName(c.msg);
        EXPECT_EQ(PostThreadMessageW(GetCurrentThreadId(), c.msg, 0, 0) != FALSE, c.posts)
            << MessageName(c.msg);
        if (!c.posts) EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));
    }
    Log().clear();
    PumpPosted();
    DestroyWindow(hwnd);
}

TEST(Queue, ATimerOnAnotherThreadsWindowRunsOnThatThread) {
    TestSeams::UseManualClock(1000);
    RegisterSequenceRecorder();
    HWND hwnd = MakeRecorded(WS_POPUP);
    UINT_PTR id = 0;
    std::thread other([&] { id = SetTimer(hwnd, 7, 100, nullptr); });
    other.join();
    EXPECT_EQ(id, 7u);
    TestSeams::AdvanceClock(100);
    MSG m{};
    ASSERT_TRUE(PeekMessageW(&m, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(m.wParam, 7u);
    KillTimer(hwnd, 7);
    DestroyWindow(hwnd);
    TestSeams::UseRealClock();
}
