#include "KernelTestSupport.h"

#include "CaseName.h"
#include <string>
#include <vector>

using namespace kerneltest;

// --- Events -----------------------------------------------------------------------

struct EventCase {
    BOOL manualReset;
    BOOL initialState;
    DWORD firstWait, secondWait; // two zero time-out waits after the set-up
};

void PrintTo(const EventCase& c, std::ostream* os) {
    *os << (c.manualReset ? "manual" : "auto") << (c.initialState ? " set" : " clear");
}

class KernelEventReset : public ::testing::TestWithParam<EventCase> {};

TEST_P(KernelEventReset, ASuccessfulWaitResetsOnlyAnAutoResetEvent) {
    const EventCase& c = GetParam();
    HANDLE event = CreateEventW(nullptr, c.manualReset, c.initialState, nullptr);
    ASSERT_NE(event, nullptr);
    if (!c.initialState) SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.firstWait);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.secondWait);
    SetEvent(event);
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

INSTANTIATE_TEST_SUITE_P(Cases, KernelEventReset,
                         ::testing::Values(EventCase{TRUE, FALSE, WAIT_OBJECT_0, WAIT_OBJECT_0},
                                           EventCase{TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},
                                           EventCase{FALSE, FALSE, WAIT_OBJECT_0, WAIT_TIMEOUT},
                                           EventCase{FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT}),
                         CaseName());

using KernelEvent = ManualClock;

TEST_F(KernelEvent, AnAutoResetEventReleasesOneWaiterPerSet) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE threads[2];
    for (HANDLE& t : threads)
        t = StartThread([&] { return WaitForSingleObject(event, INFINITE); });
    TestSeams::WaitForClockWaiters(2);

    SetEvent(event);
    DWORD first = WaitForMultipleObjects(2, threads, FALSE, INFINITE);
    ASSERT_LT(first, 2u);
    // The other one cannot have taken the event: it is still waiting.
    HANDLE other = threads[1 - first];
    EXPECT_EQ(ExitCodeOf(other), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

    SetEvent(event);
    EXPECT_EQ(Join(other), WAIT_OBJECT_0);
    CloseHandle(threads[first]);
    CloseHandle(event);
}

TEST_F(KernelEvent, APulseReleasesTheWaitersOfThatMomentAndLeavesTheEventReset) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_TRUE(PulseEvent(event)); // nobody waits: nothing happens
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

    HANDLE threads[2];
    for (HANDLE& t : threads)
        t = StartThread([&] { return WaitForSingleObject(event, INFINITE); });
    TestSeams::WaitForClockWaiters(2);
    EXPECT_TRUE(PulseEvent(event));
    EXPECT_EQ(Join(threads[0]), WAIT_OBJECT_0);
    EXPECT_EQ(Join(threads[1]), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(KernelNamedObjects, ShareOneObjectPerNameAndKeepKindsApart) {
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, u"KernelTest.Named");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateEventW(nullptr, FALSE, TRUE, u"KernelTest.Named");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE opened = OpenEventW(EVENT_ALL_ACCESS, FALSE, u"KernelTest.Named");
    ASSERT_NE(second, nullptr);
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(first, second);

    // One object: the second creation's arguments were ignored.
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    SetEvent(opened);
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);

    EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"KernelTest.Named"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(OpenEventW(EVENT_ALL_ACCESS, FALSE, u"kerneltest.named"), nullptr); // case counts
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    for (HANDLE h : {first, second, opened})
        CloseHandle(h);
    // The name went with the last handle.
    EXPECT_EQ(OpenEventW(EVENT_ALL_ACCESS, FALSE, u"KernelTest.Named"), nullptr);
}

// --- Waiting for several objects -------------------------------------------------------

TEST(KernelWaitMultiple, WaitAnyAnswersTheLowestSignalledIndex) {
    std::vector<HANDLE> events;
    for (int i = 0; i < MAXIMUM_WAIT_OBJECTS; ++i)
        events.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(WaitForMultipleObjects(64, events.data(), FALSE, 0), WAIT_TIMEOUT);
    SetEvent(events[63]);
    EXPECT_EQ(WaitForMultipleObjects(64, events.data(), FALSE, 0), WAIT_OBJECT_0 + 63);
    SetEvent(events[5]);
    EXPECT_EQ(WaitForMultipleObjects(64, events.data(), FALSE, 0), WAIT_OBJECT_0 + 5);
    for (HANDLE e : events)
        CloseHandle(e);
}

TEST(KernelWaitMultiple, WaitAllTakesEveryObjectAtOnceOrNone) {
    HANDLE a = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    HANDLE b = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE both[] = {a, b};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0); // not consumed by the failed wait-all
    SetEvent(a);
    SetEvent(b);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT); // both consumed
    CloseHandle(a);
    CloseHandle(b);
}

using KernelWaitAll = ManualClock;

TEST_F(KernelWaitAll, EndsOnlyWhenTheLastObjectIsSignalled) {
    HANDLE a = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE b = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE waiter = StartThread([&] {
        HANDLE both[] = {a, b};
        return WaitForMultipleObjects(2, both, TRUE, INFINITE);
    });
    TestSeams::WaitForClockWaiters(1);
    SetEvent(a);
    TestSeams::AdvanceClock(0); // lets the waiter recheck before we look
    EXPECT_EQ(ExitCodeOf(waiter), static_cast<DWORD>(STILL_ACTIVE));
    SetEvent(b);
    EXPECT_EQ(Join(waiter), WAIT_OBJECT_0);
    CloseHandle(a);
    CloseHandle(b);
}

TEST(KernelWaitMultiple, RejectsBadArguments) {
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    HANDLE twice[] = {event, event};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0); // fine for wait-any
    std::vector<HANDLE> tooMany(MAXIMUM_WAIT_OBJECTS + 1, event);
    EXPECT_EQ(WaitForMultipleObjects(65, tooMany.data(), FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
    HANDLE bogus[] = {event, reinterpret_cast<HANDLE>(0x7654320)};
    EXPECT_EQ(WaitForMultipleObjects(2, bogus, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED); // a closed handle
}

// --- Mutexes ---------------------------------------------------------------------------

TEST(KernelMutex, IsOwnedRecursivelyAndReleasedByItsOwnerOnly) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); // second level
    HANDLE other = StartThread([&] {
        DWORD wait = WaitForSingleObject(mutex, 0);
        BOOL released = ReleaseMutex(mutex);
        return wait == WAIT_TIMEOUT && !released && GetLastError() == ERROR_NOT_OWNER ? 1u : 0u;
    });
    EXPECT_EQ(Join(other), 1u);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

    HANDLE taker = StartThread([&] {
        DWORD wait = WaitForSingleObject(mutex, 0);
        ReleaseMutex(mutex);
        return wait;
    });
    EXPECT_EQ(Join(taker), WAIT_OBJECT_0);
    CloseHandle(mutex);
}

TEST(KernelMutex, IsAbandonedWhenItsOwnerEndsAndTheNextWaiterIsTold) {
    HANDLE first = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE second = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE owner = StartThread([&]() -> DWORD {
        WaitForSingleObject(first, INFINITE);
        WaitForSingleObject(second, INFINITE);
        ExitThread(0); // ends holding both
    });
    Join(owner);

    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_ABANDONED);
    HANDLE both[] = {first, second};
    // `first` is ours now and no longer abandoned; `second` still is.
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_ABANDONED_0 + 1);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(first));
    EXPECT_TRUE(ReleaseMutex(first));
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(ReleaseMutex(second));
    EXPECT_FALSE(ReleaseMutex(second));
    CloseHandle(first);
    CloseHandle(second);
}

TEST(KernelMutex, AnExistingNamedMutexIgnoresTheCreatorsClaim) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, u"KernelTest.Mutex");
    HANDLE thread = StartThread([] {
        HANDLE again = CreateMutexW(nullptr, TRUE, u"KernelTest.Mutex");
        DWORD exists = GetLastError();
        BOOL released = ReleaseMutex(again); // not the owner
        CloseHandle(again);
        return exists == ERROR_ALREADY_EXISTS && !released ? 1u : 0u;
    });
    EXPECT_EQ(Join(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

// --- Semaphores ------------------------------------------------------------------------

TEST(KernelSemaphore, CountsDownByWaitsAndUpToItsMaximum) {
    HANDLE semaphore = CreateSemaphoreW(nullptr, 2, 3, nullptr);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);

    LONG previous = -1;
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 4, &previous));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
    EXPECT_EQ(previous, -1);
    EXPECT_TRUE(ReleaseSemaphore(semaphore, 3, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, &previous));
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
    CloseHandle(semaphore);
}

TEST(KernelSemaphore, RejectsImpossibleCounts) {
    struct Case {
        LONG initial, maximum;
    } cases[] = {{0, 0}, {-1, 3}, {4, 3}, {0, -5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.initial) + "/" + std::to_string(c.maximum));
        EXPECT_EQ(CreateSemaphoreW(nullptr, c.initial, c.maximum, nullptr), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

TEST(KernelSyncObjects, RefuseHandlesOfAnotherKind) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    EXPECT_FALSE(SetEvent(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(ReleaseMutex(event));
    EXPECT_FALSE(ReleaseSemaphore(event, 1, nullptr));
    EXPECT_FALSE(SetEvent(nullptr));
    CloseHandle(event);
    CloseHandle(mutex);
}

// --- Critical sections and interlocked operations ----------------------------------------

TEST(KernelCriticalSection, IsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    auto tryFromAnotherThread = [&] {
        HANDLE t = StartThread([&] {
            BOOL entered = TryEnterCriticalSection(&section);
            if (entered) LeaveCriticalSection(&section);
            return static_cast<DWORD>(entered);
        });
        return Join(t);
    };
    EXPECT_EQ(tryFromAnotherThread(), 0u);
    LeaveCriticalSection(&section);
    EXPECT_EQ(tryFromAnotherThread(), 0u); // still held once
    LeaveCriticalSection(&section);
    EXPECT_EQ(tryFromAnotherThread(), 1u);
    DeleteCriticalSection(&section);
}

TEST(KernelCriticalSection, KeepsACounterExactUnderContention) {
    CRITICAL_SECTION section;
    InitializeCriticalSectionAndSpinCount(&section, 4000);
    long counter = 0;
    LONG atomicCounter = 0;
    HANDLE threads[4];
    for (HANDLE& t : threads)
        t = StartThread([&] {
            for (int i = 0; i < 20000; ++i) {
                EnterCriticalSection(&section);
                ++counter;
                LeaveCriticalSection(&section);
                InterlockedIncrement(&atomicCounter);
            }
            return DWORD{0};
        });
    for (HANDLE t : threads)
        Join(t);
    EXPECT_EQ(counter, 80000);
    EXPECT_EQ(atomicCounter, 80000);
    DeleteCriticalSection(&section);
}

TEST(KernelCriticalSection, IgnoresALeaveByAThreadThatDoesNotHoldIt) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    Join(StartThread([&] {
        LeaveCriticalSection(&section);
        return DWORD{0};
    }));
    Join(StartThread([&] {
        EXPECT_FALSE(TryEnterCriticalSection(&section));
        return DWORD{0};
    }));
    LeaveCriticalSection(&section);
    DeleteCriticalSection(&section);
}

TEST(KernelInterlocked, AnswerNewValuesForStepsAndOldValuesOtherwise) {
    LONG value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchange(&value, 9), 5);
    EXPECT_EQ(InterlockedExchangeAdd(&value, 3), 9);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 7), 12); // no match: unchanged
    EXPECT_EQ(value, 12);
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 12), 12);
    EXPECT_EQ(value, 1);

    LONG64 big = 0x100000000LL;
    EXPECT_EQ(InterlockedIncrement64(&big), 0x100000001LL);
    EXPECT_EQ(InterlockedDecrement64(&big), 0x100000000LL);
    EXPECT_EQ(InterlockedExchangeAdd64(&big, 5), 0x100000000LL);
    EXPECT_EQ(InterlockedExchange64(&big, 2), 0x100000005LL);
    EXPECT_EQ(InterlockedCompareExchange64(&big, 3, 2), 2);
    EXPECT_EQ(big, 3);

    int a = 0, b = 0;
    LPVOID pointer = &a;
    EXPECT_EQ(InterlockedExchangePointer(&pointer, &b), &a);
    EXPECT_EQ(InterlockedCompareExchangePointer(&pointer, &a, &a), &b); // no match
    EXPECT_EQ(InterlockedCompareExchangePointer(&pointer, &a, &b), &b);
    EXPECT_EQ(pointer, &a);
}
