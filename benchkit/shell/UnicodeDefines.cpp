// Binding the wide routines by name from the already loaded system libraries.
#include "benchkit/shell/IDEVirtualUnicodeDefines.h"

#include "benchkit/shell/IDEVirtualPIDLTools.h"
#include "benchkit/shell/IDEVirtualUtilities.h"

TGetDiskFreeSpaceExA GetDiskFreeSpaceExA_QOZ = nullptr;
TGetDriveTypeW GetDriveTypeW_QOZ = nullptr;
TCreateFileW CreateFileW_QOZ = nullptr;
TFindFirstFileW FindFirstFileW_QOZ = nullptr;
TlstrcmpiW lstrcmpiW_QOZ = nullptr;
TCreateDirectoryW CreateDirectoryW_QOZ = nullptr;
TGetFullPathNameW GetFullPathNameW_QOZ = nullptr;
TFindFirstChangeNotificationW FindFirstChangeNotificationW_QOZ = nullptr;
TGetFileAttributesW GetFileAttributesW_QOZ = nullptr;
TGetSystemDirectoryW GetSystemDirectoryW_QOZ = nullptr;
TGetWindowsDirectoryW GetWindowsDirectoryW_QOZ = nullptr;
TGetDiskFreeSpaceExW GetDiskFreeSpaceExW_QOZ = nullptr;
TDrawTextW DrawTextW_QOZ = nullptr;
TCharLowerBuffW CharLowerBuffW_QOZ = nullptr;
TGetCharABCWidthsW GetCharABCWidthsW_QOZ = nullptr;
TSHGetFileInfoW SHGetFileInfoW_QOZ = nullptr;
TSHGetDataFromIDListW SHGetDataFromIDListW_QOZ = nullptr;
TShellExecuteExW ShellExecuteExW_QOZ = nullptr;
TSHMultiFileProperties SHMultiFileProperties_QOZ = nullptr;
TGetDiskFreeSpaceW GetDiskFreeSpaceW_QOZ = nullptr;

void InitializeIDEVirtualUnicodeDefines() {
    HMODULE kernel32 = GetModuleHandleW(u"kernel32");
    HMODULE user32 = GetModuleHandleW(u"user32");
    HMODULE gdi32 = GetModuleHandleW(u"gdi32");
    HMODULE shell32 = GetModuleHandleW(u"shell32");
    GetDiskFreeSpaceExA_QOZ = BindRoutine<TGetDiskFreeSpaceExA>(kernel32, "GetDiskFreeSpaceExA");
    if (!IsUnicode()) return;
    GetDriveTypeW_QOZ = BindRoutine<TGetDriveTypeW>(kernel32, "GetDriveTypeW");
    CreateFileW_QOZ = BindRoutine<TCreateFileW>(kernel32, "CreateFileW");
    FindFirstFileW_QOZ = BindRoutine<TFindFirstFileW>(kernel32, "FindFirstFileW");
    lstrcmpiW_QOZ = BindRoutine<TlstrcmpiW>(kernel32, "lstrcmpiW");
    CreateDirectoryW_QOZ = BindRoutine<TCreateDirectoryW>(kernel32, "CreateDirectoryW");
    GetFullPathNameW_QOZ = BindRoutine<TGetFullPathNameW>(kernel32, "GetFullPathNameW");
    FindFirstChangeNotificationW_QOZ =
        BindRoutine<TFindFirstChangeNotificationW>(kernel32, "FindFirstChangeNotificationW");
    GetFileAttributesW_QOZ = BindRoutine<TGetFileAttributesW>(kernel32, "GetFileAttributesW");
    GetSystemDirectoryW_QOZ = BindRoutine<TGetSystemDirectoryW>(kernel32, "GetSystemDirectoryW");
    GetWindowsDirectoryW_QOZ = BindRoutine<TGetWindowsDirectoryW>(kernel32, "GetWindowsDirectoryW");
    GetDiskFreeSpaceExW_QOZ = BindRoutine<TGetDiskFreeSpaceExW>(kernel32, "GetDiskFreeSpaceExW");
    DrawTextW_QOZ = BindRoutine<TDrawTextW>(user32, "DrawTextW");
    CharLowerBuffW_QOZ = BindRoutine<TCharLowerBuffW>(user32, "CharLowerBuffW");
    GetCharABCWidthsW_QOZ = BindRoutine<TGetCharABCWidthsW>(gdi32, "GetCharABCWidthsW");
    SHGetFileInfoW_QOZ = BindRoutine<TSHGetFileInfoW>(shell32, "SHGetFileInfoW");
    SHGetDataFromIDListW_QOZ = BindRoutine<TSHGetDataFromIDListW>(shell32, "SHGetDataFromIDListW");
    ShellExecuteExW_QOZ = BindRoutine<TShellExecuteExW>(shell32, "ShellExecuteExW");
    SHMultiFileProperties_QOZ = BindRoutine<TSHMultiFileProperties>(shell32, ShellOrdinal(716));
}

void FinalizeIDEVirtualUnicodeDefines() {
    GetDiskFreeSpaceExA_QOZ = nullptr;
    GetDriveTypeW_QOZ = nullptr;
    CreateFileW_QOZ = nullptr;
    FindFirstFileW_QOZ = nullptr;
    lstrcmpiW_QOZ = nullptr;
    CreateDirectoryW_QOZ = nullptr;
    GetFullPathNameW_QOZ = nullptr;
    FindFirstChangeNotificationW_QOZ = nullptr;
    GetFileAttributesW_QOZ = nullptr;
    GetSystemDirectoryW_QOZ = nullptr;
    GetWindowsDirectoryW_QOZ = nullptr;
    GetDiskFreeSpaceExW_QOZ = nullptr;
    DrawTextW_QOZ = nullptr;
    CharLowerBuffW_QOZ = nullptr;
    GetCharABCWidthsW_QOZ = nullptr;
    SHGetFileInfoW_QOZ = nullptr;
    SHGetDataFromIDListW_QOZ = nullptr;
    ShellExecuteExW_QOZ = nullptr;
    SHMultiFileProperties_QOZ = nullptr;
}
