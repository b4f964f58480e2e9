#include "WindowTestSupport.h"

#include <win32/winbase.h>


#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override { RegisterRecorder(); }
    void TearDown() override {
        Hook() = nullptr;
        for (HWND hwnd : made)
            if (IsWindow(hwnd)) DestroyWindow(hwnd);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    HWND Make(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr) {
        HWND hwnd = MakeWindow(style, parent);
        made.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> made;
};

// Waits (without sleeping) until another thread has queued a sent message for us.
void AwaitIncomingSend() {
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) &&
           !(LOWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE))
        std::this_thread::yield();
}

} // namespace

TEST_F(WindowMessages, CreationAndDestructionSendTheirMessagesInOrder) {
    HWND parent = Make(WS_OVERLAPPEDWINDOW);
    HWND child = Make(WS_CHILD | WS_VISIBLE, parent);
    ASSERT_TRUE(child);
    EXPECT_EQ(Messages({WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}, child),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
    EXPECT_EQ(GetParent(child), parent);
    Log().clear();
    ASSERT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Recorded& r : Log())
        if (r.msg == WM_DESTROY || r.msg == WM_NCDESTROY) order.push_back({r.hwnd, r.msg});
    // WM_DESTROY reaches the parent first; WM_NCDESTROY reaches the child first.
    EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{parent, WM_DESTROY},
                                                        {child, WM_DESTROY},
                                                        {child, WM_NCDESTROY},
                                                        {parent, WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(parent));
}

TEST_F(WindowMessages, CreateFailsWhenTheWindowRefusesItsCreation) {
    Hook() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_CREATE) return false;
        result = -1;
        return true;
    };
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_EQ(Messages({WM_DESTROY, WM_NCDESTROY}).size(), 2u);
}

TEST_F(WindowMessages, RetrievalFollowsWindowsOrder) {
    HWND hwnd = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    InvalidateRect(hwnd, nullptr, FALSE);
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
    PostQuitMessage(7);
    PostMessageW(hwnd, WM_USER + 2, 0, 0);

    std::vector<UINT> got;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        got.push_back(m.message);
        if (m.message == WM_QUIT) EXPECT_EQ(m.wParam, 7u);
        DispatchMessageW(&m);
    }
    // Posted messages in order, then WM_QUIT, then the generated WM_PAINT (once).
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_QUIT, WM_PAINT}));
}

TEST_F(WindowMessages, FiltersSelectByRangeAndWindowIncludingChildren) {
    HWND parent = Make();
    HWND child = Make(WS_CHILD, parent);
    HWND other = Make();
    PostMessageW(other, WM_USER + 1, 0, 0);
    PostMessageW(child, WM_USER + 2, 0, 0);
    PostMessageW(parent, WM_USER + 3, 0, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_USER + 4, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, parent, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 2u);
    ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 4u);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 3, WM_USER + 3, PM_NOREMOVE));
    EXPECT_EQ(m.hwnd, parent);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 1u);
}

TEST_F(WindowMessages, MessagesToADestroyedWindowAreDropped) {
    HWND hwnd = Make();
    PostMessageW(hwnd, WM_USER, 0, 0);
    DestroyWindow(hwnd);
    MSG m;
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_REMOVE));
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
}

TEST_F(WindowMessages, PaintIsGeneratedOnceAndValidatedByDefaultHandling) {
    HWND hwnd = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    RECT a{0, 0, 10, 10}, b{20, 20, 30, 30};
    InvalidateRect(hwnd, &a, FALSE);
    InvalidateRect(hwnd, &b, FALSE);
    RECT box;
    ASSERT_TRUE(GetUpdateRect(hwnd, &box, FALSE));
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.bottom, 30);
    Log().clear();
    int paints = 0;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        paints += m.message == WM_PAINT;
        DispatchMessageW(&m);
    }
    EXPECT_EQ(paints, 1);
    EXPECT_FALSE(GetUpdateRect(hwnd, &box, FALSE));

    // A procedure that ignores WM_PAINT is validated by the dispatch, not repainted forever.
    Hook() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        result = 0;
        return msg == WM_PAINT;
    };
    InvalidateRect(hwnd, nullptr, FALSE);
    paints = 0;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        paints += m.message == WM_PAINT;
        DispatchMessageW(&m);
    }
    EXPECT_EQ(paints, 1);
}

TEST_F(WindowMessages, RedrawOffKeepsInvalidationFromPainting) {
    HWND hwnd = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    InvalidateRect(hwnd, nullptr, TRUE);
    EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(WindowMessages, CrossThreadSendBlocksUntilTheOwnerPumps) {
    HWND hwnd = Make();
    const DWORD mainThread = GetCurrentThreadId();
    DWORD handledOn = 0;
    Hook() = [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        if (msg != 0x8020) return false;
        handledOn = GetCurrentThreadId();
        result = static_cast<LRESULT>(wParam) * 2;
        return true;
    };
    std::atomic<bool> returned{false};
    LRESULT answer = 0;
    std::thread worker([&] {
        answer = SendMessageW(hwnd, 0x8020, 21, 0);
        returned = true;
    });
    AwaitIncomingSend();
    EXPECT_FALSE(returned.load()); // the sender waits for this thread
    MSG m;
    // Handled inside a filtered PeekMessage, which itself finds nothing posted.
    EXPECT_FALSE(PeekMessageW(&m, hwnd, 0x8020, 0x8020, PM_REMOVE));
    worker.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(handledOn, mainThread);
}

TEST_F(WindowMessages, SendersThatSendToEachOtherBothComplete) {
    // A window on a second thread; each thread sends to the other's window while
    // its own send is pending, so each must handle the other's message inside its wait.
    HWND mine = Make();
    std::atomic<HWND> theirs{nullptr};
    std::atomic<bool> stop{false};
    Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg == WM_USER + 10 && hwnd == theirs.load()) {
            result = SendMessageW(mine, WM_USER + 11, 0, 0) + 1;
            return true;
        }
        if (msg == WM_USER + 11) {
            result = 100;
            return true;
        }
        return false;
    };
    std::thread other([&] {
        theirs = MakeWindow();
        MSG m;
        while (!stop) {
            if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            else std::this_thread::yield();
        }
        DestroyWindow(theirs);
    });
    while (!theirs.load()) std::this_thread::yield();
    EXPECT_EQ(SendMessageW(theirs, WM_USER + 10, 0, 0), 101);
    stop = true;
    other.join();
}

TEST_F(WindowMessages, SendToAThreadThatEndsReturnsInsteadOfHanging) {
    std::atomic<HWND> theirs{nullptr};
    std::atomic<bool> end{false};
    std::thread other([&] {
        theirs = MakeWindow();
        while (!end) std::this_thread::yield(); // never pumps
    });
    while (!theirs.load()) std::this_thread::yield();
    std::thread sender([&] { SendMessageW(theirs, WM_USER, 0, 0); });
    // The sender waits; ending the owner thread destroys its window and frees the sender.
    end = true;
    other.join();
    sender.join();
    EXPECT_FALSE(IsWindow(theirs));
}

TEST_F(WindowMessages, MsgWaitEndsForAnObjectOrForAMessage) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_ALLINPUT),
              static_cast<DWORD>(WAIT_TIMEOUT));
    // Posted by another thread: wakes the wait with the "message" result.
    const DWORD self = GetCurrentThreadId();
    std::thread poster([&] { PostThreadMessageW(self, WM_USER, 0, 0); });
    poster.join();
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT),
              static_cast<DWORD>(WAIT_OBJECT_0 + 1));
    PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);
    SetEvent(event);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT),
              static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(event);
}
