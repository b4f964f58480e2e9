// Files, folders, drives and file times.
//
// Paths are Windows paths ("C:\home\me\a.txt", "/" accepted as a separator);
// the layer maps drive letters to Linux folders through its devices folder
// (c: is "/" unless the user says otherwise). Linux names keep every byte and
// their case: a byte that is not UTF-8 appears as a lone low surrogate
// U+DC80+byte, a backslash inside a Linux name as U+F05C.
//
// Only the wide (W) functions exist; the neutral names (CreateFile, DeleteFile,
// ...) are not defined as macros because the framework has routines of its own
// with some of those names.
#pragma once
#pragma GCC visibility push(default)

#include <win32/winbase.h>
#include <win32/windef.h>
#include <win32/winerror.h>

// --- Access rights shared with other kernel objects ------------------------
#ifndef GENERIC_READ
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
#endif
#ifndef DELETE
#define DELETE 0x00010000u
#endif
#ifndef READ_CONTROL
#define READ_CONTROL 0x00020000u
#endif
#ifndef SYNCHRONIZE
#define SYNCHRONIZE 0x00100000u
#endif
#ifndef STANDARD_RIGHTS_REQUIRED
#define STANDARD_RIGHTS_REQUIRED 0x000F0000u
#endif
#ifndef STANDARD_RIGHTS_READ
#define STANDARD_RIGHTS_READ READ_CONTROL
#define STANDARD_RIGHTS_WRITE READ_CONTROL
#endif
#ifndef ERROR_NEGATIVE_SEEK
#define ERROR_NEGATIVE_SEEK 131L
#endif


#ifndef WIN32_OVERLAPPED_DEFINED
#define WIN32_OVERLAPPED_DEFINED
typedef struct _OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    union {
        struct {
            DWORD Offset;
            DWORD OffsetHigh;
        };
        LPVOID Pointer;
    };
    HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;
#endif

// --- File access ------------------------------------------------------------
#define FILE_READ_DATA 0x0001u
#define FILE_LIST_DIRECTORY 0x0001u
#define FILE_WRITE_DATA 0x0002u
#define FILE_ADD_FILE 0x0002u
#define FILE_APPEND_DATA 0x0004u
#define FILE_READ_EA 0x0008u
#define FILE_WRITE_EA 0x0010u
#define FILE_EXECUTE 0x0020u
#define FILE_READ_ATTRIBUTES 0x0080u
#define FILE_WRITE_ATTRIBUTES 0x0100u
#define FILE_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0x1FFu)
#define FILE_GENERIC_READ                                                                          \
    (STANDARD_RIGHTS_READ | FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_READ_EA | SYNCHRONIZE)
#define FILE_GENERIC_WRITE                                                                         \
    (STANDARD_RIGHTS_WRITE | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA |             \
     FILE_APPEND_DATA | SYNCHRONIZE)

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_DEVICE 0x00000040u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define FILE_ATTRIBUTE_SPARSE_FILE 0x00000200u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400u
#define FILE_ATTRIBUTE_COMPRESSED 0x00000800u
#define FILE_ATTRIBUTE_OFFLINE 0x00001000u
#define FILE_ATTRIBUTE_NOT_CONTENT_INDEXED 0x00002000u
#define FILE_ATTRIBUTE_ENCRYPTED 0x00004000u
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_FLAG_NO_BUFFERING 0x20000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#define FILE_FLAG_POSIX_SEMANTICS 0x01000000u
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000u
#define FILE_FLAG_OPEN_NO_RECALL 0x00100000u

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)

#define FILE_TYPE_UNKNOWN 0x0000
#define FILE_TYPE_DISK 0x0001
#define FILE_TYPE_CHAR 0x0002
#define FILE_TYPE_PIPE 0x0003
#define FILE_TYPE_REMOTE 0x8000

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
// Synchronous on every handle; with an OVERLAPPED the transfer starts at its offset.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer,
                      DWORD moveMethod);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
DWORD GetFileType(HANDLE file);
BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime,
                 LPFILETIME lastWriteTime);
// A null or zero FILETIME leaves that time alone; the creation time cannot be set on Linux.
BOOL SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                 const FILETIME* lastWriteTime);

typedef struct _BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
} BY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);

// --- Finding files ------------------------------------------------------------
// `*` and `?` in the last component match case-insensitively (Windows callers
// expect "*.TXT" to find "a.txt"); a name without wildcards matches exactly, as
// Linux names are case-sensitive. Entries come in byte order of their names.
typedef struct _WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
} WIN32_FIND_DATAW, *PWIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData);
BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData);
BOOL FindClose(HANDLE findFile);

// --- Change notification ---------------------------------------------------------
// A waitable handle that becomes signalled when something the filter names
// changes in a folder (and below it with watchSubtree); it stays signalled
// until FindNextChangeNotification re-arms it. Changes that arrive while it
// is signalled are merged into that one signal. When the system refuses to
// watch (its watch limit is reached), INVALID_HANDLE_VALUE with
// ERROR_NOT_ENOUGH_QUOTA; nothing is retried behind the caller's back.
#define FILE_NOTIFY_CHANGE_FILE_NAME 0x00000001
#define FILE_NOTIFY_CHANGE_DIR_NAME 0x00000002
#define FILE_NOTIFY_CHANGE_ATTRIBUTES 0x00000004
#define FILE_NOTIFY_CHANGE_SIZE 0x00000008
#define FILE_NOTIFY_CHANGE_LAST_WRITE 0x00000010
#define FILE_NOTIFY_CHANGE_LAST_ACCESS 0x00000020
#define FILE_NOTIFY_CHANGE_CREATION 0x00000040
#define FILE_NOTIFY_CHANGE_SECURITY 0x00000100
HANDLE FindFirstChangeNotificationW(LPCWSTR pathName, BOOL watchSubtree, DWORD notifyFilter);
BOOL FindNextChangeNotification(HANDLE changeHandle);
BOOL FindCloseChangeNotification(HANDLE changeHandle);

// --- Attributes -----------------------------------------------------------------
// Read-only is the absence of the owner's write permission; hidden is a name
// that starts with a dot.
typedef enum _GET_FILEEX_INFO_LEVELS {
    GetFileExInfoStandard,
    GetFileExMaxInfoLevel
} GET_FILEEX_INFO_LEVELS;

typedef struct _WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA, *LPWIN32_FILE_ATTRIBUTE_DATA;

DWORD GetFileAttributesW(LPCWSTR fileName);
BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel,
                          LPVOID fileInformation);
// Only FILE_ATTRIBUTE_READONLY has an effect: it clears or restores the write permission.
BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes);

// --- Folders and file operations -------------------------------------------------
#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);
BOOL RemoveDirectoryW(LPCWSTR pathName);
BOOL DeleteFileW(LPCWSTR fileName);
BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName);
BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags);
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);

// --- Paths, the current directory and temporary files ----------------------------
// "." and ".." are resolved by text, as Windows does, before Linux sees the path.
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart);
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);
UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefixString, UINT unique, LPWSTR tempFileName);
DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);
BOOL SetCurrentDirectoryW(LPCWSTR pathName);
// Linux has no short names: both give the path back when it exists.
DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength);
DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength);
// The layer's Windows directory (in its configuration folder) and the system
// directory inside it. Both return the length without the terminator, or the
// size needed (terminator included) when the buffer is too small.
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size);
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);

// --- Drives -------------------------------------------------------------------------
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

UINT GetDriveTypeW(LPCWSTR rootPathName);
DWORD GetLogicalDrives();
DWORD GetLogicalDriveStringsW(DWORD bufferLength, LPWSTR buffer);
BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes,
                         PULARGE_INTEGER totalNumberOfFreeBytes);
BOOL GetDiskFreeSpaceW(LPCWSTR rootPathName, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                       LPDWORD numberOfFreeClusters, LPDWORD totalNumberOfClusters);

// --- File times and the wall clock ---------------------------------------------------
// FILETIME counts 100 ns intervals since 1601-01-01 UTC. These read the real
// wall clock, not the layer's tick clock. Local file times use the time zone's
// current offset from UTC, as Windows does, so the two conversions are inverses.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);
LONG CompareFileTime(const FILETIME* fileTime1, const FILETIME* fileTime2);
void GetSystemTime(LPSYSTEMTIME systemTime);
void GetLocalTime(LPSYSTEMTIME systemTime);
void GetSystemTimeAsFileTime(LPFILETIME systemTimeAsFileTime);

#pragma GCC visibility pop
