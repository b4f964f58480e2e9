// TThread: life cycle, self-freeing threads, exit codes, escaped exceptions,
// and the hand-over of work to the main thread.
#include <runpak/Exceptions.h>
#include <runpak/SyncObjs.h>
#include <runpak/Thread.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

// A thread whose Execute runs a test's function and counts its runs.
class TProbeThread : public TThread {
public:
    explicit TProbeThread(bool createSuspended, std::function<void(TProbeThread&)> body = {})
        : TThread(createSuspended), FBody(std::move(body)) {}
    ~TProbeThread() override {
        if (FDestroyed) *FDestroyed = true;
    }

    std::atomic<int> Runs{0};
    std::atomic<bool>* FDestroyed = nullptr;

    using TThread::GetTerminated;
    using TThread::SetReturnValue;

protected:
    void Execute() override {
        ++Runs;
        if (FBody) FBody(*this);
    }

private:
    std::function<void(TProbeThread&)> FBody;
};

// A second handle to the thread, which outlives the object.
HANDLE DuplicateThreadHandle(TThread* thread) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->GetHandle(), GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return copy;
}

class ThreadTest : public testing::Test {
protected:
    void SetUp() override { runpak::SetMainThread(); }
    void TearDown() override {
        while (CheckSynchronize(0)) {
        }
        runpak::SetWakeMainThread(nullptr);
    }
};

TEST_F(ThreadTest, SuspendedThreadFreedWithoutStartEndsWithoutRunningExecute) {
    static std::atomic<int> executed{0};
    executed = 0;
    auto* thread = new TProbeThread(true, [](TProbeThread&) { ++executed; });
    HANDLE handle = DuplicateThreadHandle(thread);
    EXPECT_TRUE(thread->GetSuspended());
    delete thread;
    // The system thread has ended, and Execute never ran.
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_OBJECT_0);
    EXPECT_EQ(executed, 0);
    CloseHandle(handle);
}

TEST_F(ThreadTest, RunningThreadWithoutAfterConstructionStaysSuspendedAndFreesCleanly) {
    auto* thread = new TProbeThread(false);
    EXPECT_TRUE(thread->GetSuspended());
    EXPECT_FALSE(thread->GetStarted());
    EXPECT_EQ(thread->Runs, 0);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, CreateStartsARunningThreadAndWaitForAnswersTheReturnValue) {
    auto* thread =
        TThread::Create<TProbeThread>(false, [](TProbeThread& self) { self.SetReturnValue(42); });
    EXPECT_EQ(thread->WaitFor(), 42u);
    EXPECT_TRUE(thread->GetFinished());
    EXPECT_EQ(thread->GetReturnValue(), 42);
    EXPECT_EQ(thread->Runs, 1);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, StartRunsASuspendedThreadOnceAndRefusesASecondStart) {
    auto* thread = new TProbeThread(true);
    thread->Start();
    EXPECT_FALSE(thread->GetSuspended());
    EXPECT_THROW(thread->Start(), EThread);
    thread->WaitFor();
    EXPECT_EQ(thread->Runs, 1);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, ResumeIsTheOlderNameOfStart) {
    auto* thread = new TProbeThread(true);
    thread->Resume();
    thread->WaitFor();
    EXPECT_EQ(thread->Runs, 1);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, WaitForANeverStartedThreadRaisesInsteadOfHanging) {
    TProbeThread thread(true);
    EXPECT_THROW(thread.WaitFor(), EThread);
}

TEST_F(ThreadTest, FreeingARunningThreadTerminatesItAndWaits) {
    TEvent running;
    auto* thread = TThread::Create<TProbeThread>(false, [&](TProbeThread& self) {
        running.SetEvent();
        while (!self.GetTerminated())
            TThread::Yield();
    });
    ASSERT_EQ(running.WaitFor(INFINITE), wrSignaled);
    HANDLE handle = DuplicateThreadHandle(thread);
    FreeAndNil(thread);
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_OBJECT_0);
    CloseHandle(handle);
}

TEST_F(ThreadTest, FreeOnTerminateThreadDeletesItself) {
    std::atomic<bool> destroyed{false};
    auto* thread = new TProbeThread(true);
    thread->FDestroyed = &destroyed;
    thread->SetFreeOnTerminate(true);
    HANDLE handle = DuplicateThreadHandle(thread);
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(handle, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(destroyed);
    CloseHandle(handle);
}

TEST_F(ThreadTest, ExceptionEscapingExecuteIsKeptInFatalException) {
    auto* thread = TThread::Create<TProbeThread>(
        false, [](TProbeThread&) { throw EConvertError(u"bad number"); });
    thread->WaitFor();
    ASSERT_TRUE(thread->GetFatalException());
    try {
        std::rethrow_exception(thread->GetFatalException());
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.GetMessage(), u"bad number");
    }
    FreeAndNil(thread);
}

TEST_F(ThreadTest, SynchronizeRunsOnTheMainThreadInsideCheckSynchronize) {
    DWORD ranOn = 0;
    std::atomic<bool> returned{false};
    auto* thread = TThread::Create<TProbeThread>(false, [&](TProbeThread& self) {
        self.Synchronize([&] { ranOn = GetCurrentThreadId(); });
        returned = true;
    });
    EXPECT_TRUE(CheckSynchronize(INFINITE));
    EXPECT_EQ(ranOn, GetCurrentThreadId());
    thread->WaitFor();
    EXPECT_TRUE(returned);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, SynchronizedExceptionComesBackToTheWorker) {
    UnicodeString caught;
    auto* thread = TThread::Create<TProbeThread>(false, [&](TProbeThread& self) {
        try {
            self.Synchronize([] { throw EAbort(u"refused"); });
        } catch (const EAbort& e) {
            caught = e.GetMessage();
        }
    });
    thread->WaitFor(); // on the main thread this serves the Synchronize call
    EXPECT_EQ(caught, u"refused");
    FreeAndNil(thread);
}

TEST_F(ThreadTest, SynchronizeOnTheMainThreadRunsAtOnce) {
    bool ran = false;
    TThread::Synchronize(nullptr, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(CheckSynchronize(0));
}

TEST_F(ThreadTest, QueuedMethodsRunLaterInOrderWithSynchronizedOnes) {
    std::vector<int> order;
    auto* thread = new TProbeThread(true, [&](TProbeThread& self) {
        for (int i = 1; i <= 3; ++i)
            self.Queue([&order, i] { order.push_back(i); });
        self.Synchronize([&] { order.push_back(4); });
        self.Queue([&] { order.push_back(5); });
    });
    HANDLE handle = DuplicateThreadHandle(thread);
    thread->Start();
    // Queue did not wait: the first three are there before the synchronized one.
    while (order.size() < 4)
        CheckSynchronize(INFINITE);
    ASSERT_EQ(WaitForSingleObject(handle, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(CheckSynchronize(0));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
    CloseHandle(handle);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, FreeingAThreadDropsItsQueuedMethods) {
    bool ran = false;
    auto* thread =
        new TProbeThread(true, [&](TProbeThread& self) { self.Queue([&] { ran = true; }); });
    HANDLE handle = DuplicateThreadHandle(thread);
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(handle, INFINITE), WAIT_OBJECT_0);
    FreeAndNil(thread);
    EXPECT_FALSE(CheckSynchronize(0));
    EXPECT_FALSE(ran);
    CloseHandle(handle);
}

TEST_F(ThreadTest, QueueWakesTheMainThreadThroughTheHook) {
    std::atomic<int> wakes{0};
    runpak::SetWakeMainThread([&] { ++wakes; });
    auto* thread = TThread::Create<TProbeThread>(
        false, [](TProbeThread& self) { TThread::Queue(nullptr, [] {}); });
    HANDLE handle = DuplicateThreadHandle(thread);
    ASSERT_EQ(WaitForSingleObject(handle, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(wakes, 1);
    EXPECT_TRUE(CheckSynchronize(0));
    CloseHandle(handle);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, OnTerminateRunsOnTheMainThread) {
    DWORD ranOn = 0;
    TObject* sender = nullptr;
    auto* thread = new TProbeThread(true);
    thread->OnTerminate = [&](TObject* s) {
        ranOn = GetCurrentThreadId();
        sender = s;
    };
    thread->Start();
    thread->WaitFor();
    EXPECT_EQ(ranOn, GetCurrentThreadId());
    EXPECT_EQ(sender, thread);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, CheckSynchronizeFromAnotherThreadRaises) {
    bool raised = false;
    auto* thread = TThread::Create<TProbeThread>(false, [&](TProbeThread&) {
        try {
            CheckSynchronize(0);
        } catch (const EThread&) {
            raised = true;
        }
    });
    thread->WaitFor();
    EXPECT_TRUE(raised);
    FreeAndNil(thread);
}

TEST_F(ThreadTest, CheckSynchronizeWaitsForWorkOnTheLayersClock) {
    TestSeams::UseManualClock(1000);
    auto* advancer = TThread::CreateAnonymousThread([] {
        TestSeams::WaitForClockWaiters(1);
        TestSeams::AdvanceClock(50);
        TestSeams::AdvanceClock(50);
    });
    HANDLE handle = DuplicateThreadHandle(advancer);
    advancer->Start();
    EXPECT_FALSE(CheckSynchronize(100));
    EXPECT_EQ(GetTickCount64(), 1100u);
    WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
    TestSeams::UseRealClock();
}

TEST_F(ThreadTest, CurrentThreadIsTheRunningObjectOrAnExternalOne) {
    TThread* seen = nullptr;
    auto* thread = TThread::Create<TProbeThread>(
        false, [&](TProbeThread&) { seen = TThread::CurrentThread(); });
    thread->WaitFor();
    EXPECT_EQ(seen, thread);
    EXPECT_NE(thread->GetThreadID(), GetCurrentThreadId());
    FreeAndNil(thread);

    TThread* main = TThread::CurrentThread();
    EXPECT_TRUE(main->GetExternalThread());
    EXPECT_EQ(main->GetThreadID(), GetCurrentThreadId());
    EXPECT_EQ(TThread::CurrentThread(), main);
    EXPECT_THROW(main->WaitFor(), EThread);
}

TEST_F(ThreadTest, PriorityIsKept) {
    TProbeThread thread(true);
    EXPECT_EQ(thread.GetPriority(), tpNormal);
    thread.SetPriority(tpIdle);
    EXPECT_EQ(thread.GetPriority(), tpIdle);
    thread.SetPriority(tpHigher);
    EXPECT_EQ(thread.GetPriority(), tpHigher);
    TThread::NameThreadForDebugging(u"worker", thread.GetThreadID());
}

TEST_F(ThreadTest, SuspendingAnotherRunningThreadRaises) {
    TEvent release;
    TEvent running;
    auto* thread = TThread::Create<TProbeThread>(false, [&](TProbeThread&) {
        running.SetEvent();
        release.WaitFor(INFINITE);
    });
    running.WaitFor(INFINITE);
    EXPECT_THROW(thread->Suspend(), EThread);
    EXPECT_FALSE(thread->GetSuspended());
    release.SetEvent();
    thread->WaitFor();
    FreeAndNil(thread);
}

TEST_F(ThreadTest, ThreadMaySuspendItselfUntilResumed) {
    TEvent running;
    auto* thread = TThread::Create<TProbeThread>(false, [&](TProbeThread& self) {
        running.SetEvent();
        self.Suspend();
        self.SetReturnValue(7);
    });
    running.WaitFor(INFINITE);
    while (!thread->GetSuspended())
        TThread::Yield();
    thread->Resume();
    EXPECT_EQ(thread->WaitFor(), 7u);
    FreeAndNil(thread);
}

} // namespace
