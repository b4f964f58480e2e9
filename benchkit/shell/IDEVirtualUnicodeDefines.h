// Wide routines of the system libraries, bound by name at start-up so that
// the layer runs where a library lacks one: a missing routine leaves its
// pointer nil, and callers test the pointer before calling.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windows.h>

struct IShellFolder;
struct _SHFILEINFOW;
struct _SHELLEXECUTEINFOW;
struct IDataObject;

using TGetDiskFreeSpaceExA = BOOL (*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
using TGetDiskFreeSpaceExW = BOOL (*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
using TGetDiskFreeSpaceW = BOOL (*)(LPCWSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD);
using TGetDriveTypeW = UINT (*)(LPCWSTR);
using TCreateFileW = HANDLE (*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using TFindFirstFileW = HANDLE (*)(LPCWSTR, LPWIN32_FIND_DATAW);
using TlstrcmpiW = int (*)(LPCWSTR, LPCWSTR);
using TCreateDirectoryW = BOOL (*)(LPCWSTR, LPSECURITY_ATTRIBUTES);
using TGetFullPathNameW = DWORD (*)(LPCWSTR, DWORD, LPWSTR, LPWSTR*);
using TFindFirstChangeNotificationW = HANDLE (*)(LPCWSTR, BOOL, DWORD);
using TGetFileAttributesW = DWORD (*)(LPCWSTR);
using TGetSystemDirectoryW = UINT (*)(LPWSTR, UINT);
using TGetWindowsDirectoryW = UINT (*)(LPWSTR, UINT);
using TDrawTextW = int (*)(HDC, LPCWSTR, int, LPRECT, UINT);
using TCharLowerBuffW = DWORD (*)(LPWSTR, DWORD);
using TGetCharABCWidthsW = BOOL (*)(HDC, UINT, UINT, LPABC);
using TSHGetFileInfoW = DWORD_PTR (*)(LPCWSTR, DWORD, _SHFILEINFOW*, UINT, UINT);
using TSHGetDataFromIDListW = HRESULT (*)(IShellFolder*, const struct _ITEMIDLIST*, int, void*,
                                          int);
using TShellExecuteExW = BOOL (*)(_SHELLEXECUTEINFOW*);
using TSHMultiFileProperties = HRESULT (*)(IDataObject*, DWORD);

extern TGetDiskFreeSpaceExA GetDiskFreeSpaceExA_QOZ;
extern TGetDriveTypeW GetDriveTypeW_QOZ;
extern TCreateFileW CreateFileW_QOZ;
extern TFindFirstFileW FindFirstFileW_QOZ;
extern TlstrcmpiW lstrcmpiW_QOZ;
extern TCreateDirectoryW CreateDirectoryW_QOZ;
extern TGetFullPathNameW GetFullPathNameW_QOZ;
extern TFindFirstChangeNotificationW FindFirstChangeNotificationW_QOZ;
extern TGetFileAttributesW GetFileAttributesW_QOZ;
extern TGetSystemDirectoryW GetSystemDirectoryW_QOZ;
extern TGetWindowsDirectoryW GetWindowsDirectoryW_QOZ;
extern TGetDiskFreeSpaceExW GetDiskFreeSpaceExW_QOZ;
extern TDrawTextW DrawTextW_QOZ;
extern TCharLowerBuffW CharLowerBuffW_QOZ;
extern TGetCharABCWidthsW GetCharABCWidthsW_QOZ;
extern TSHGetFileInfoW SHGetFileInfoW_QOZ;
extern TSHGetDataFromIDListW SHGetDataFromIDListW_QOZ;
extern TShellExecuteExW ShellExecuteExW_QOZ;
extern TSHMultiFileProperties SHMultiFileProperties_QOZ;
extern TGetDiskFreeSpaceW GetDiskFreeSpaceW_QOZ; // never bound

void InitializeIDEVirtualUnicodeDefines();
void FinalizeIDEVirtualUnicodeDefines();

#pragma GCC visibility pop
