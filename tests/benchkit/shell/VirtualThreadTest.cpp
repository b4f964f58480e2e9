#include "benchkit/shell/IDEVirtualThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

// Waits on its trigger event until terminated; reports what it ran.
class WaitingThread : public TVirtualThread {
public:
    explicit WaitingThread(std::atomic<int>* ran) : TVirtualThread(true), ran_(ran) {
        GetTriggerEvent();
    }
    ~WaitingThread() override { TerminateAndWait(); }

protected:
    void InitializeThread() override { *ran_ |= 1; }
    void Execute() override {
        *ran_ |= 2;
        while (!GetTerminated())
            WaitForSingleObject(GetTriggerEvent(), INFINITE);
    }
    void FinalizeThread() override { *ran_ |= 4; }

private:
    std::atomic<int>* ran_;
};

// Uses only the base's state, so the base destructor alone may end it.
class BaseOnlyThread : public TVirtualThread {
public:
    explicit BaseOnlyThread(std::atomic<bool>* done) : TVirtualThread(true), done_(done) {
        GetTriggerEvent();
    }
    std::atomic<bool> started{false};

protected:
    void Execute() override {
        std::atomic<bool>* done = done_;
        started = true;
        while (!GetTerminated())
            WaitForSingleObject(GetTriggerEvent(), INFINITE);
        *done = true;
    }

private:
    std::atomic<bool>* done_;
};

class ThrowingThread : public TVirtualThread {
public:
    ThrowingThread() : TVirtualThread(true) {}
    ~ThrowingThread() override { TerminateAndWait(); }
    bool finalized = false;

protected:
    void Execute() override { throw std::runtime_error("failed"); }
    void FinalizeThread() override { finalized = true; }
};

TEST(VirtualThread, PrioritiesMapInOrderAndReadBack) {
    const TThreadPriority all[] = {tpIdle,   tpLowest,  tpLower,       tpNormal,
                                   tpHigher, tpHighest, tpTimeCritical};
    for (size_t i = 1; i < std::size(all); ++i)
        EXPECT_LT(TVirtualThread::PriorityToOS(all[i - 1]), TVirtualThread::PriorityToOS(all[i]))
            << "priority " << i << " ranks below the one before it";
    std::atomic<int> ran{0};
    WaitingThread thread(&ran);
    for (TThreadPriority priority : all) {
        thread.SetPriority(priority);
        EXPECT_EQ(thread.GetPriority(), priority);
    }
    // Set by someone else.
    SetThreadPriority(thread.GetHandle(), THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(thread.GetPriority(), tpHighest);
    SetThreadPriority(thread.GetHandle(), THREAD_PRIORITY_ABOVE_NORMAL);
    EXPECT_EQ(thread.GetPriority(), tpHigher);
}

TEST(VirtualThread, RunsBetweenItsHooksAndEndsWhenTerminated) {
    std::atomic<int> ran{0};
    WaitingThread thread(&ran);
    EXPECT_TRUE(thread.GetSuspended());
    EXPECT_NE(thread.GetHandle(), nullptr);
    EXPECT_NE(thread.GetThreadID(), 0u);
    thread.Resume();
    thread.Resume(); // already running: nothing happens
    EXPECT_FALSE(thread.GetSuspended());
    thread.Terminate();
    thread.SetTriggerEvent();
    EXPECT_EQ(WaitForSingleObject(thread.GetHandle(), INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(thread.GetFinished());
    EXPECT_EQ(ran, 7);
}

TEST(VirtualThread, DestructionEndsAndJoinsTheThread) {
    std::atomic<int> ran{0};
    auto* thread = new WaitingThread(&ran);
    thread->Resume();
    while (!(ran & 2))
        SwitchToThread();
    delete thread; // without Terminate: the destructor ends it
    EXPECT_EQ(ran & 4, 4) << "FinalizeThread ran before the object went away";

    std::atomic<bool> done{false};
    auto* plain = new BaseOnlyThread(&done);
    plain->Resume();
    while (!plain->started)
        SwitchToThread();
    delete plain;
    EXPECT_TRUE(done);
}

TEST(VirtualThread, DestroyedBeforeItRanDoesNotRun) {
    std::atomic<int> ran{0};
    { WaitingThread thread(&ran); }
    EXPECT_EQ(ran, 0);
    std::atomic<bool> done{false};
    {
        BaseOnlyThread thread(&done); // only the base destructor to end it
    }
    EXPECT_FALSE(done);
}

TEST(VirtualThread, FailingExecuteStillFinalises) {
    ThrowingThread thread;
    thread.Resume();
    WaitForSingleObject(thread.GetHandle(), INFINITE);
    EXPECT_TRUE(thread.finalized);
    EXPECT_TRUE(thread.GetFinished());
}

TEST(VirtualThread, CountsLockAndEvent) {
    std::atomic<int> ran{0};
    WaitingThread thread(&ran);
    EXPECT_EQ(thread.AddRef(), 1);
    EXPECT_EQ(thread.AddRef(), 2);
    EXPECT_EQ(thread.Release(), 1);
    EXPECT_EQ(thread.Release(), 0);
    EXPECT_EQ(thread.Release(), -1); // reaching zero frees nothing
    EXPECT_EQ(thread.GetLock(), thread.GetLock());
    EnterCriticalSection(thread.GetLock());
    LeaveCriticalSection(thread.GetLock());
    HANDLE event = thread.GetTriggerEvent();
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    thread.SetTriggerEvent();
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
}

} // namespace
