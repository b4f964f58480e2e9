// Synchronisation objects: events with time-outs on the manual clock, mutexes,
// semaphores, critical sections and the many-readers/one-writer lock.
#include <runpak/Exceptions.h>
#include <runpak/SyncObjs.h>
#include <runpak/Thread.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

namespace {

// Runs a function on a worker thread; Join waits for it.
class TWorker : public TThread {
public:
    explicit TWorker(std::function<void()> body) : TThread(true), FBody(std::move(body)) {
        Start();
    }
    ~TWorker() override { TerminateAndWait(); }
    void Join() { WaitFor(); }

protected:
    void Execute() override { FBody(); }

private:
    std::function<void()> FBody;
};

class ManualClock : public testing::Test {
protected:
    void SetUp() override {
        runpak::SetMainThread();
        TestSeams::UseManualClock(0);
    }
    void TearDown() override { TestSeams::UseRealClock(); }
};

using EventTimeoutTest = ManualClock;

TEST_F(EventTimeoutTest, WaitTimesOutOnlyWhenTheClockPassesTheDeadline) {
    TEvent event;
    std::atomic<int> result{-1};
    TWorker worker([&] { result = event.WaitFor(100); });
    TestSeams::WaitForClockWaiters(1);
    TestSeams::AdvanceClock(99);
    EXPECT_EQ(result, -1);
    TestSeams::AdvanceClock(1);
    worker.Join();
    EXPECT_EQ(result, wrTimeout);
}

TEST_F(EventTimeoutTest, SetEventEndsAWaitBeforeItsDeadline) {
    TEvent event;
    std::atomic<int> result{-1};
    TWorker worker([&] { result = event.WaitFor(100); });
    TestSeams::WaitForClockWaiters(1);
    event.SetEvent();
    worker.Join();
    EXPECT_EQ(result, wrSignaled);
}

struct ResetCase {
    bool manualReset;
    TWaitResult secondWait;
};

class EventResetTest : public testing::TestWithParam<ResetCase> {};

TEST_P(EventResetTest, AutoResetEventsLetOneWaitThrough) {
    TEvent event(nullptr, GetParam().manualReset, false, u"");
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), GetParam().secondWait);
    event.ResetEvent();
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EventResetTest,
                         testing::Values(ResetCase{true, wrSignaled}, ResetCase{false, wrTimeout}),
                         [](const testing::TestParamInfo<ResetCase>& info) {
                             return info.param.manualReset ? "ManualReset" : "AutoReset";
                         });

TEST(EventTest, DefaultEventIsManualResetAndNotSignalled) {
    TSimpleEvent event;
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
}

TEST(EventTest, NamedEventsShareOneObject) {
    TEvent first(nullptr, true, false, u"runpak-test-event");
    TEvent second(nullptr, true, false, u"runpak-test-event");
    first.SetEvent();
    EXPECT_EQ(second.WaitFor(0), wrSignaled);
}

TEST(MutexTest, OwnerMayReenterAndOthersMayNotRelease) {
    TMutex mutex;
    mutex.Acquire();
    mutex.Acquire();
    bool othersGotIt = true;
    bool releaseRaised = false;
    TWorker worker([&] {
        othersGotIt = mutex.WaitFor(0) == wrSignaled;
        try {
            mutex.Release();
        } catch (const ESyncObjectException&) {
            releaseRaised = true;
        }
    });
    worker.Join();
    EXPECT_FALSE(othersGotIt);
    EXPECT_TRUE(releaseRaised);
    mutex.Release();
    mutex.Release();
    EXPECT_THROW(mutex.Release(), ESyncObjectException);
}

TEST(MutexTest, MutexOfAnEndedOwnerIsAbandoned) {
    TMutex mutex;
    TWorker worker([&] { mutex.Acquire(); });
    worker.Join();
    EXPECT_EQ(mutex.WaitFor(0), wrAbandoned);
    mutex.Release();
}

TEST(SemaphoreTest, CountsSlotsUpToTheMaximum) {
    TSemaphore semaphore(nullptr, 0, 2, u"");
    EXPECT_EQ(semaphore.WaitFor(0), wrTimeout);
    EXPECT_EQ(semaphore.Release(2), 0);
    EXPECT_EQ(semaphore.WaitFor(0), wrSignaled);
    EXPECT_EQ(semaphore.WaitFor(0), wrSignaled);
    EXPECT_EQ(semaphore.WaitFor(0), wrTimeout);
    semaphore.Release();
    EXPECT_THROW(semaphore.Release(2), ESyncObjectException);
}

TEST(CriticalSectionTest, ReentrantForTheOwnerAndClosedToOthers) {
    TCriticalSection section;
    section.Enter();
    EXPECT_TRUE(section.TryEnter());
    bool otherEntered = true;
    TWorker holding([&] { otherEntered = section.TryEnter(); });
    holding.Join();
    EXPECT_FALSE(otherEntered);
    section.Leave();
    section.Leave();
    TWorker afterwards([&] {
        otherEntered = section.TryEnter();
        if (otherEntered) section.Leave();
    });
    afterwards.Join();
    EXPECT_TRUE(otherEntered);
}

// --- Many readers, one writer ---------------------------------------------------

TEST(MultiReadExclusiveWriteTest, ReadersShareTheLock) {
    TMultiReadExclusiveWriteSynchronizer lock;
    TEvent reading;
    TEvent release;
    TWorker reader([&] {
        lock.BeginRead();
        reading.SetEvent();
        release.WaitFor(INFINITE);
        lock.EndRead();
    });
    reading.WaitFor(INFINITE);
    lock.BeginRead(); // does not wait for the other reader
    lock.EndRead();
    release.SetEvent();
    reader.Join();
}

TEST(MultiReadExclusiveWriteTest, WriterWaitsForReadersAndExcludesThem) {
    TMultiReadExclusiveWriteSynchronizer lock;
    std::atomic<int> shared{0};
    lock.BeginRead();
    TWorker writer([&] {
        lock.BeginWrite();
        shared = 1;
        lock.EndWrite();
    });
    for (int i = 0; i < 1000; ++i) {
        TThread::Yield();
        ASSERT_EQ(shared, 0) << "the writer got in while a read was held";
    }
    EXPECT_EQ(lock.GetRevisionLevel(), 0u);
    lock.EndRead();
    writer.Join();
    EXPECT_EQ(shared, 1);
    EXPECT_EQ(lock.GetRevisionLevel(), 1u);
}

TEST(MultiReadExclusiveWriteTest, OneThreadNestsReadsAndWritesAndPromotesItsRead) {
    TMultiReadExclusiveWriteSynchronizer lock;
    lock.BeginRead();
    lock.BeginRead();
    EXPECT_TRUE(lock.BeginWrite()); // nobody else wrote meanwhile
    EXPECT_TRUE(lock.BeginWrite());
    lock.BeginRead();
    lock.EndRead();
    lock.EndWrite();
    lock.EndWrite();
    // The reads held before the write are held again.
    bool otherWrote = false;
    TWorker writer([&] {
        lock.BeginWrite();
        otherWrote = true;
        lock.EndWrite();
    });
    lock.EndRead();
    EXPECT_FALSE(otherWrote);
    lock.EndRead();
    writer.Join();
    EXPECT_TRUE(otherWrote);
    EXPECT_THROW(lock.EndRead(), ESyncObjectException);
    EXPECT_THROW(lock.EndWrite(), ESyncObjectException);
}

TEST(MultiReadExclusiveWriteTest, TwoReadersPromotingAtOnceTakeTurnsAndTheSecondIsTold) {
    TMultiReadExclusiveWriteSynchronizer lock;
    TEvent firstReading;
    TEvent secondReading;
    std::atomic<int> untouched{0};
    auto promote = [&](TEvent& mine, TEvent& other) {
        lock.BeginRead();
        mine.SetEvent();
        other.WaitFor(INFINITE); // both hold a read before either asks to write
        if (lock.BeginWrite()) ++untouched;
        lock.EndWrite();
        lock.EndRead();
    };
    TWorker first([&] { promote(firstReading, secondReading); });
    TWorker second([&] { promote(secondReading, firstReading); });
    first.Join();
    second.Join();
    EXPECT_EQ(untouched, 1);
    EXPECT_EQ(lock.GetRevisionLevel(), 2u);
}

} // namespace
