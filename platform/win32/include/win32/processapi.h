// Child processes, anonymous pipes and the process's standard handles.
//
// A child process is a real Linux process. Its standard input, output and
// error are the handles the caller names in STARTUPINFOW (STARTF_USESTDHANDLES)
// or, when handles are inherited, this process's standard handles as
// SetStdHandle left them; nothing else is passed to it. Pipe ends are real
// Linux pipes: ReadFile blocks until bytes arrive or every write end is
// closed (then ERROR_BROKEN_PIPE), WriteFile to a pipe nobody reads fails with
// ERROR_NO_DATA instead of killing the process.
#pragma once
#pragma GCC visibility push(default)

#include <win32/winbase.h>
#include <win32/windef.h>
#include <win32/winerror.h>

#ifndef ERROR_NO_DATA
#define ERROR_NO_DATA 232L
#endif
#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193L
#endif

// --- Standard handles ---------------------------------------------------------
#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)
// At first use each wraps the process's own descriptor 0, 1 or 2. Setting one
// changes only what this call answers and what children inherit; the
// process's own descriptors stay as they are.
HANDLE GetStdHandle(DWORD stdHandle);
BOOL SetStdHandle(DWORD stdHandle, HANDLE handle);

// --- Anonymous pipes ------------------------------------------------------------
// size is a hint; 0 takes the system's default.
BOOL CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES attributes,
                DWORD size);
// Looks at what waits in a pipe's read end without taking it and without
// waiting: up to `size` bytes are copied to buffer (which may be null),
// `totalAvailable` answers everything waiting. Anonymous pipes carry no
// messages, so `leftThisMessage` is 0.
BOOL PeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD size, LPDWORD bytesRead,
                   LPDWORD totalAvailable, LPDWORD leftThisMessage);

// --- Processes ---------------------------------------------------------------------
#define STARTF_USESHOWWINDOW 0x00000001
#define STARTF_USESTDHANDLES 0x00000100
#define CREATE_NO_WINDOW 0x08000000
#define CREATE_UNICODE_ENVIRONMENT 0x00000400
#define NORMAL_PRIORITY_CLASS 0x00000020

typedef struct _STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOW, *LPSTARTUPINFOW;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *PPROCESS_INFORMATION, *LPPROCESS_INFORMATION;

// Starts `applicationName` (a Windows path), or the first word of
// `commandLine` (found on PATH when it has no folder). The words of the
// command line, split as Windows splits them, become the child's arguments.
// The process handle (and the thread handle, which stands for the same child)
// is signalled when the child ends. An environment block is taken only in the
// wide form (CREATE_UNICODE_ENVIRONMENT).
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation);
// STILL_ACTIVE while the child runs; then its exit status (128 + the signal
// when a signal ended it).
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
BOOL TerminateProcess(HANDLE process, UINT exitCode);
DWORD GetProcessId(HANDLE process);

// A tone of `frequency` hertz; there is no speaker to sound here, so it only
// answers success for frequencies Windows accepts (37 to 32767).
BOOL Beep(DWORD frequency, DWORD duration);

#pragma GCC visibility pop
