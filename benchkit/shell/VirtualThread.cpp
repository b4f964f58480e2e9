// TVirtualThread.
#include "benchkit/shell/IDEVirtualThread.h"

TVirtualThread::TVirtualThread(bool CreateSuspended) {
    FStub = CreateStub([this](void*) { return ExecuteStub(); });
    if (!CreateSuspended) return;
    FHandle = CreateThread(nullptr, 0, StubThreadProc, FStub, CREATE_SUSPENDED, &FThreadID);
    FSuspended = FHandle != nullptr;
}

TVirtualThread::~TVirtualThread() {
    TerminateAndWait();
    if (FHandle) CloseHandle(FHandle);
    if (FEvent) CloseHandle(FEvent);
    if (FCriticalSectionInitialized) DeleteCriticalSection(&FLock);
    DisposeStub(FStub);
}

void TVirtualThread::TerminateAndWait() {
    if (!FHandle) return;
    FTerminated = true;
    if (FEvent) SetEvent(FEvent);
    // Not begun: let the entry end without calling into the object.
    int notBegun = 0;
    FRunState.compare_exchange_strong(notBegun, 2);
    if (FSuspended) {
        ResumeThread(FHandle);
        FSuspended = false;
    }
    WaitForSingleObject(FHandle, INFINITE);
}

DWORD TVirtualThread::ExecuteStub() {
    int notBegun = 0;
    if (!FRunState.compare_exchange_strong(notBegun, 1)) return 0;
    InitializeThread();
    try {
        Execute();
    } catch (...) {
        // A failing Execute still finalises and reports itself finished.
    }
    FinalizeThread();
    FFinished = true;
    return 0;
}

void TVirtualThread::SetSuspended(bool Value) {
    if (Value == FSuspended || !FHandle) return;
    if (Value)
        SuspendThread(FHandle);
    else
        ResumeThread(FHandle);
    FSuspended = Value;
}

int TVirtualThread::PriorityToOS(TThreadPriority Value) {
    switch (Value) {
    case tpIdle:
        return THREAD_PRIORITY_IDLE;
    case tpLowest:
        return THREAD_PRIORITY_LOWEST;
    case tpLower:
        return THREAD_PRIORITY_BELOW_NORMAL;
    case tpNormal:
        return THREAD_PRIORITY_NORMAL;
    case tpHigher:
        return THREAD_PRIORITY_ABOVE_NORMAL;
    case tpHighest:
        return THREAD_PRIORITY_HIGHEST;
    case tpTimeCritical:
        return THREAD_PRIORITY_TIME_CRITICAL;
    }
    return THREAD_PRIORITY_NORMAL;
}

TThreadPriority TVirtualThread::PriorityFromOS(int Value) {
    switch (Value) {
    case THREAD_PRIORITY_IDLE:
        return tpIdle;
    case THREAD_PRIORITY_LOWEST:
        return tpLowest;
    case THREAD_PRIORITY_BELOW_NORMAL:
        return tpLower;
    case THREAD_PRIORITY_ABOVE_NORMAL:
        return tpHigher;
    case THREAD_PRIORITY_HIGHEST:
        return tpHighest;
    case THREAD_PRIORITY_TIME_CRITICAL:
        return tpTimeCritical;
    default:
        return tpNormal;
    }
}

TThreadPriority TVirtualThread::GetPriority() const {
    return FHandle ? PriorityFromOS(GetThreadPriority(FHandle)) : tpNormal;
}

void TVirtualThread::SetPriority(TThreadPriority Value) {
    if (FHandle) SetThreadPriority(FHandle, PriorityToOS(Value));
}

HANDLE TVirtualThread::GetTriggerEvent() {
    if (!FEvent) FEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return FEvent;
}

void TVirtualThread::SetTriggerEvent() {
    SetEvent(GetTriggerEvent());
}

LPCRITICAL_SECTION TVirtualThread::GetLock() {
    if (!FCriticalSectionInitialized) {
        InitializeCriticalSection(&FLock);
        FCriticalSectionInitialized = true;
    }
    return &FLock;
}
