// Kernel area: handles, errors, time, threads and synchronisation, memory,
// modules, atoms and the process.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>
#include <win32/winerror.h>

// --- Errors and handles ----------------------------------------------------
DWORD GetLastError();
void SetLastError(DWORD code);
BOOL CloseHandle(HANDLE handle);

#define DUPLICATE_CLOSE_SOURCE 0x00000001
#define DUPLICATE_SAME_ACCESS 0x00000002
HANDLE GetCurrentProcess();
BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, PHANDLE target,
                     DWORD desiredAccess, BOOL inheritHandle, DWORD options);

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef int64_t LONG64;
typedef INT_PTR (*FARPROC)();

// Some error codes of this area that winerror.h does not carry yet.
#ifndef ERROR_NOT_LOCKED
#define ERROR_NOT_LOCKED 158L
#endif
#ifndef ERROR_INVALID_ADDRESS
#define ERROR_INVALID_ADDRESS 487L
#endif

// --- Time ---------------------------------------------------------------------
// All of these read the layer's one clock (tests may make it manual).
DWORD GetTickCount(); // milliseconds; wraps after 49.7 days
ULONGLONG GetTickCount64();
void Sleep(DWORD milliseconds); // Sleep(0) yields the processor
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

// The multimedia timer calls of winmm, on the same clock.
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97
typedef UINT MMRESULT;
DWORD timeGetTime();
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

// --- Waits ------------------------------------------------------------------------
#define INFINITE 0xFFFFFFFF
#define MAXIMUM_WAIT_OBJECTS 64
#define STATUS_WAIT_0 ((DWORD)0x00000000L)
#define STATUS_ABANDONED_WAIT_0 ((DWORD)0x00000080L)
#define STATUS_TIMEOUT ((DWORD)0x00000102L)
#define WAIT_OBJECT_0 ((DWORD)0x00000000L)
#define WAIT_ABANDONED ((DWORD)0x00000080L)
#define WAIT_ABANDONED_0 ((DWORD)0x00000080L)
#define WAIT_TIMEOUT ((DWORD)0x00000102L)
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// --- Threads ----------------------------------------------------------------------
typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);
#define CREATE_SUSPENDED 0x00000004
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000
#define STILL_ACTIVE 259
#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

// A thread handle is signalled when the thread ends. Closing it neither ends
// nor leaks the thread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, LPDWORD threadId);
// Suspending works on threads created suspended that have not run yet, and on
// the calling thread itself (it sleeps until another thread resumes it). A
// running thread cannot be stopped from outside: that fails with
// ERROR_NOT_SUPPORTED.
DWORD SuspendThread(HANDLE thread);
DWORD ResumeThread(HANDLE thread);
[[noreturn]] void ExitThread(DWORD exitCode);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// Priorities are recorded and read back; the scheduler is not changed.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
HANDLE GetCurrentThread(); // a pseudo handle that means "the calling thread"
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
BOOL SwitchToThread();

// --- Events, mutexes and semaphores ---------------------------------------------
// Names are case-sensitive and shared by the three kinds, within the process.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name);
HANDLE OpenEventW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
BOOL PulseEvent(HANDLE event);

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
HANDLE OpenMutexW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);

HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount,
                        LPCWSTR name);
HANDLE OpenSemaphoreW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, PLONG previousCount);

#define SYNCHRONIZE 0x00100000L
#define EVENT_MODIFY_STATE 0x0002
#define EVENT_ALL_ACCESS 0x1F0003
#define MUTEX_ALL_ACCESS 0x1F0001
#define SEMAPHORE_MODIFY_STATE 0x0002
#define SEMAPHORE_ALL_ACCESS 0x1F0003

// --- Critical sections --------------------------------------------------------------
// Same size and fields as Windows' record; DebugInfo holds the layer's lock.
typedef struct _RTL_CRITICAL_SECTION {
    void* DebugInfo;
    LONG LockCount;
    LONG RecursionCount;
    HANDLE OwningThread;
    HANDLE LockSemaphore;
    ULONG_PTR SpinCount;
} CRITICAL_SECTION, *PCRITICAL_SECTION, *LPCRITICAL_SECTION, RTL_CRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// --- Interlocked operations (full barriers) -------------------------------------------
// Increment and Decrement answer the new value; the others answer the old one.
inline LONG InterlockedIncrement(LONG volatile* addend) {
    return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(LONG volatile* addend) {
    return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(LONG volatile* target, LONG value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchangeAdd(LONG volatile* addend, LONG value) {
    return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand) {
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return comparand; // holds the initial value either way
}
inline LONG64 InterlockedIncrement64(LONG64 volatile* addend) {
    return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG64 InterlockedDecrement64(LONG64 volatile* addend) {
    return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG64 InterlockedExchange64(LONG64 volatile* target, LONG64 value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LONG64 InterlockedExchangeAdd64(LONG64 volatile* addend, LONG64 value) {
    return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}
inline LONG64 InterlockedCompareExchange64(LONG64 volatile* destination, LONG64 exchange,
                                           LONG64 comparand) {
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return comparand;
}
inline LPVOID InterlockedExchangePointer(LPVOID volatile* target, LPVOID value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LPVOID InterlockedCompareExchangePointer(LPVOID volatile* destination, LPVOID exchange,
                                                LPVOID comparand) {
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return comparand;
}

// --- Global and local memory ---------------------------------------------------------
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_NOCOMPACT 0x0010
#define GMEM_NODISCARD 0x0020
#define GMEM_ZEROINIT 0x0040
#define GMEM_MODIFY 0x0080
#define GMEM_DISCARDABLE 0x0100
#define GMEM_NOT_BANKED 0x1000
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE 0x2000
#define GMEM_DISCARDED 0x4000
#define GMEM_INVALID_HANDLE 0x8000
#define GMEM_LOCKCOUNT 0x00FF
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// A fixed block's handle is its address; a moveable block has a handle of its
// own and is reached through GlobalLock. Bad handles fail, never crash.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
SIZE_T GlobalSize(HGLOBAL memory);
UINT GlobalFlags(HGLOBAL memory);
HGLOBAL GlobalHandle(LPCVOID address);
HGLOBAL GlobalFree(HGLOBAL memory);

#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LMEM_MODIFY 0x0080
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
// The local heap is the global heap, as on 32-bit Windows.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalReAlloc(HLOCAL memory, SIZE_T bytes, UINT flags);
LPVOID LocalLock(HLOCAL memory);
BOOL LocalUnlock(HLOCAL memory);
SIZE_T LocalSize(HLOCAL memory);
HLOCAL LocalFree(HLOCAL memory);

#define HEAP_NO_SERIALIZE 0x00000001
#define HEAP_GENERATE_EXCEPTIONS 0x00000004
#define HEAP_ZERO_MEMORY 0x00000008
#define HEAP_REALLOC_IN_PLACE_ONLY 0x00000010
// One heap: the process heap.
HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID memory, SIZE_T bytes);
SIZE_T HeapSize(HANDLE heap, DWORD flags, LPCVOID memory); // (SIZE_T)-1 on failure
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory);

// --- Modules ---------------------------------------------------------------------------
// Modules are the layer's own: names resolve to its routines, not to files.
// Names match case-insensitively, with or without ".DLL" and any folder.
HMODULE LoadLibraryW(LPCWSTR fileName);
HMODULE LoadLibraryA(LPCSTR fileName);
BOOL FreeLibrary(HMODULE module);
HMODULE GetModuleHandleW(LPCWSTR moduleName); // NULL: the program; never loads
HMODULE GetModuleHandleA(LPCSTR moduleName);
// By name, or by ordinal passed as (LPCSTR)(ULONG_PTR)ordinal.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

// --- Module resources -------------------------------------------------------------------
// A module's resources are the table it registered (win32/ModuleResources.h).
// Names compare without regard to case; "#123" names the integer id 123. The
// data is part of the module: LoadResource and LockResource only point at it,
// and FreeResource has nothing to free.
typedef BOOL(CALLBACK* ENUMRESNAMEPROCW)(HMODULE module, LPCWSTR type, LPWSTR name,
                                         LONG_PTR param);
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL data);
BOOL EnumResourceNamesW(HMODULE module, LPCWSTR type, ENUMRESNAMEPROCW proc, LONG_PTR param);

// --- Atoms -----------------------------------------------------------------------------
// Integer atoms (MAKEINTATOM or "#123") lie below MAXINTATOM; string atoms
// from 0xC000 up, reference counted, with case-insensitive names.
#define MAXINTATOM 0xC000
ATOM GlobalAddAtomW(LPCWSTR name);
ATOM GlobalAddAtomA(LPCSTR name);
ATOM GlobalFindAtomW(LPCWSTR name);
ATOM GlobalFindAtomA(LPCSTR name);
ATOM GlobalDeleteAtom(ATOM atom); // 0 on success, the atom on failure
UINT GlobalGetAtomNameW(ATOM atom, LPWSTR buffer, int size);
ATOM AddAtomW(LPCWSTR name);
ATOM FindAtomW(LPCWSTR name);
ATOM DeleteAtom(ATOM atom);
UINT GetAtomNameW(ATOM atom, LPWSTR buffer, int size);

// --- Process and system ------------------------------------------------------------------
// Ends the process at once with the code; no exit handlers run (standard
// output streams are flushed). See TestSeams::SetExitHook for tests.
[[noreturn]] void ExitProcess(UINT exitCode);
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value); // NULL value removes
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size);
LPWSTR GetCommandLineW();
LPSTR GetCommandLineA();

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
typedef struct _OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
} OSVERSIONINFOW, *POSVERSIONINFOW, *LPOSVERSIONINFOW, OSVERSIONINFO, *LPOSVERSIONINFO;
typedef struct _OSVERSIONINFOEXW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
} OSVERSIONINFOEXW, *POSVERSIONINFOEXW, *LPOSVERSIONINFOEXW;
#define VER_NT_WORKSTATION 0x0000001
// The layer reports Windows NT 10.0. dwOSVersionInfoSize must be set.
BOOL GetVersionExW(LPOSVERSIONINFOW info);
DWORD GetVersion();

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_ARM 5
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_ARCHITECTURE_ARM64 12
#define PROCESSOR_INTEL_PENTIUM 586
#define PROCESSOR_AMD_X8664 8664
typedef struct _SYSTEM_INFO {
    union {
        DWORD dwOemId;
        struct {
            WORD wProcessorArchitecture;
            WORD wReserved;
        } s;
    } u;
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
} SYSTEM_INFO, *LPSYSTEM_INFO;
void GetSystemInfo(LPSYSTEM_INFO info);

// Written to standard error when WINLAYER_DEBUGSTRINGS is set; dropped otherwise.
void OutputDebugStringW(LPCWSTR text);
void OutputDebugStringA(LPCSTR text);

#define SEM_FAILCRITICALERRORS 0x0001
#define SEM_NOGPFAULTERRORBOX 0x0002
#define SEM_NOALIGNMENTFAULTEXCEPT 0x0004
#define SEM_NOOPENFILEERRORBOX 0x8000
// Recorded only: the layer never shows error boxes.
UINT SetErrorMode(UINT mode);
UINT GetErrorMode();

// (a * b) / c rounded to the nearest integer, halves away from zero, with a
// 64-bit intermediate; -1 when c is 0 or the result does not fit.
int MulDiv(int number, int numerator, int denominator);

#pragma GCC visibility pop
