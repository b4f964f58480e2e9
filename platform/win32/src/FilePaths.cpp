// Full paths, the current directory, temporary files and drives.
#include "Errno.h"
#include "FileApiSupport.h"
#include "FileObject.h"
#include "FileStat.h"
#include "Config.h"
#include "Paths.h"

#include <win32/fileapi.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace win32;

namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string Hex4(UINT value) {
    static const char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text;
    for (int shift = 12; shift >= 0; shift -= 4)
        text += digits[(value >> shift) & 0xF];
    return text;
}

// The Linux folder a drive-type or free-space query is about; null means the current one.
DWORD FolderOf(LPCWSTR windowsPath, std::string& linuxPath) {
    std::u16string text(WideView(windowsPath));
    if (text.empty()) text = u".";
    if (text.size() == 2 && text[1] == u':')
        text += u'\\'; // "C:" is the drive, not its current folder
    LinuxPath resolved = ResolvePath(text);
    if (!resolved.device.empty()) return ERROR_INVALID_NAME;
    if (resolved.error != ERROR_SUCCESS) return resolved.error;
    struct stat st;
    if (stat(resolved.path.c_str(), &st) != 0) return ErrorFromErrnoAt(errno, resolved.path);
    if (!S_ISDIR(st.st_mode)) return ERROR_DIRECTORY;
    linuxPath = resolved.path;
    return ERROR_SUCCESS;
}

DWORD PathExists(LPCWSTR windowsPath) {
    if (!windowsPath) return ERROR_INVALID_PARAMETER;
    LinuxPath resolved = ResolvePath(WideView(windowsPath));
    if (resolved.error != ERROR_SUCCESS) return resolved.error;
    FileStat st;
    int error = StatPath(resolved.path, "", st);
    return error == 0 ? ERROR_SUCCESS : ErrorFromErrnoAt(error, resolved.path);
}

} // namespace

DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    WindowsPath parsed = ParseWindowsPath(WideView(fileName));
    if (parsed.error != ERROR_SUCCESS) {
        SetLastError(parsed.error);
        return 0;
    }
    std::u16string full = FormatWindowsPath(parsed);
    DWORD result = CopyOut(full, buffer, bufferLength);
    if (filePart && result < bufferLength) {
        bool named = parsed.device.empty() && !parsed.parts.empty() && !parsed.trailingSeparator;
        *filePart = named ? buffer + (full.size() - parsed.parts.back().size()) : nullptr;
    }
    return result;
}

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
    const char* tmp = std::getenv("TMPDIR");
    std::u16string path = ToWindowsPath(tmp && *tmp ? tmp : "/tmp");
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (path.back() != u'\\') path += u'\\';
    return CopyOut(path, buffer, bufferLength);
}

namespace {

UINT CopyFolderOut(const std::string& folder, LPWSTR buffer, UINT size) {
    std::u16string path = ToWindowsPath(folder);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return CopyOut(path, buffer, size);
}

} // namespace

UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) {
    return CopyFolderOut(WindowsFolder(), buffer, size);
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT size) {
    std::string system = WindowsFolder() + "/system32";
    MakeFolders(system);
    return CopyFolderOut(system, buffer, size);
}

UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefixString, UINT unique, LPWSTR tempFileName) {
    if (!pathName || !tempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string folder(WideView(pathName));
    if (!folder.empty() && !IsSeparator(folder.back())) folder += u'\\';
    std::u16string prefix(WideView(prefixString).substr(0, 3));
    auto nameFor = [&](UINT number) { return folder + prefix + Hex4(number) + u".TMP"; };
    auto answer = [&](const std::u16string& name, UINT number) -> UINT {
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        CopyOut(name, tempFileName, MAX_PATH);
        return number;
    };
    if (unique != 0) return answer(nameFor(unique & 0xFFFF), unique); // name only, nothing created

    std::string linuxFolder;
    if (DWORD error = FolderOf(folder.c_str(), linuxFolder)) {
        SetLastError(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                         ? ERROR_DIRECTORY
                         : error);
        return 0;
    }
    // Successive calls go on from where the last one stopped instead of rescanning.
    static std::atomic<UINT> next(static_cast<UINT>(getpid() ^ time(nullptr)));
    for (UINT tries = 0; tries < 0xFFFF; ++tries) {
        UINT number = next++ % 0xFFFF + 1;
        std::u16string name = nameFor(number);
        LinuxPath target = ResolvePath(name);
        if (target.error != ERROR_SUCCESS) {
            SetLastError(target.error);
            return 0;
        }
        OpenResult created = OpenFileObject(target.path, GENERIC_WRITE, 0, CREATE_NEW, 0);
        if (created.file) return answer(name, number);
        if (created.error != ERROR_FILE_EXISTS) {
            SetLastError(created.error);
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer) {
    std::u16string path = ToWindowsPath(".");
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return CopyOut(path, buffer, bufferLength);
}

BOOL SetCurrentDirectoryW(LPCWSTR pathName) {
    LinuxPath target = ResolvePath(WideView(pathName));
    if (!target.device.empty()) return Fail(ERROR_DIRECTORY);
    if (target.error != ERROR_SUCCESS) return Fail(target.error);
    if (chdir(target.path.c_str()) == 0) return TRUE;
    if (errno == ENOTDIR) {
        struct stat st;
        if (stat(target.path.c_str(), &st) == 0) return Fail(ERROR_DIRECTORY);
    }
    return Fail(ErrorFromErrnoAt(errno, target.path));
}

DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength) {
    if (DWORD error = PathExists(shortPath)) {
        SetLastError(error);
        return 0;
    }
    return CopyOut(WideView(shortPath), longPath, bufferLength);
}

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength) {
    return GetLongPathNameW(longPath, shortPath, bufferLength);
}

UINT GetDriveTypeW(LPCWSTR rootPathName) {
    std::string folder;
    if (FolderOf(rootPathName, folder) != ERROR_SUCCESS) return DRIVE_NO_ROOT_DIR;
    struct statfs fs;
    if (statfs(folder.c_str(), &fs) != 0) return DRIVE_UNKNOWN;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x564C:     // NCP
        return DRIVE_REMOTE;
    case 0x9660: // ISO 9660
        return DRIVE_CDROM;
    default:
        return DRIVE_FIXED;
    }
}

DWORD GetLogicalDrives() {
    DWORD mask = 0;
    for (const DriveMapping& drive : DriveMappings())
        mask |= 1u << (drive.letter - u'A');
    SetLastError(NO_ERROR);
    return mask;
}

DWORD GetLogicalDriveStringsW(DWORD bufferLength, LPWSTR buffer) {
    std::u16string text;
    for (const DriveMapping& drive : DriveMappings()) {
        text += drive.letter;
        text += u":\\";
        text += u'\0';
    }
    if (!buffer || bufferLength < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
    text.copy(buffer, text.size());
    buffer[text.size()] = 0;
    return static_cast<DWORD>(text.size());
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes,
                         PULARGE_INTEGER totalNumberOfFreeBytes) {
    std::string folder;
    if (DWORD error = FolderOf(directoryName, folder)) return Fail(error);
    struct statvfs vfs;
    if (statvfs(folder.c_str(), &vfs) != 0) return Fail(ErrorFromErrno(errno));
    ULONGLONG unit = vfs.f_frsize;
    if (freeBytesAvailableToCaller) freeBytesAvailableToCaller->QuadPart = unit * vfs.f_bavail;
    if (totalNumberOfBytes) totalNumberOfBytes->QuadPart = unit * vfs.f_blocks;
    if (totalNumberOfFreeBytes) totalNumberOfFreeBytes->QuadPart = unit * vfs.f_bfree;
    return TRUE;
}

BOOL GetDiskFreeSpaceW(LPCWSTR rootPathName, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                       LPDWORD numberOfFreeClusters, LPDWORD totalNumberOfClusters) {
    std::string folder;
    if (DWORD error = FolderOf(rootPathName, folder)) return Fail(error);
    struct statvfs vfs;
    if (statvfs(folder.c_str(), &vfs) != 0) return Fail(ErrorFromErrno(errno));
    // Clusters are the file system's blocks, in 512-byte sectors; counts that
    // do not fit 32 bits are capped, as the old call does on large disks.
    ULONGLONG sectors = vfs.f_frsize >= 512 ? vfs.f_frsize / 512 : 1;
    auto cap = [](ULONGLONG value) {
        return static_cast<DWORD>(value > 0xFFFFFFFF ? 0xFFFFFFFF : value);
    };
    if (sectorsPerCluster) *sectorsPerCluster = static_cast<DWORD>(sectors);
    if (bytesPerSector) *bytesPerSector = 512;
    if (numberOfFreeClusters) *numberOfFreeClusters = cap(vfs.f_bavail);
    if (totalNumberOfClusters) *totalNumberOfClusters = cap(vfs.f_blocks);
    return TRUE;
}
