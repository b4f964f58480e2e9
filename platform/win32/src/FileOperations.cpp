// Attributes, folders, and deleting, moving and copying files.
#include "Errno.h"
#include "FileApiSupport.h"
#include "FileObject.h"
#include "FileStat.h"
#include "Paths.h"

#include <win32/fileapi.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace win32;

namespace {

// Resolves a Windows path that must name a file or folder (not a device).
DWORD Resolve(LPCWSTR windowsPath, std::string& linuxPath) {
    LinuxPath resolved = ResolvePath(WideView(windowsPath));
    if (!resolved.device.empty()) return ERROR_ACCESS_DENIED;
    if (resolved.error != ERROR_SUCCESS) return resolved.error;
    linuxPath = resolved.path;
    return ERROR_SUCCESS;
}

DWORD StatWindowsPath(LPCWSTR windowsPath, FileStat& st) {
    std::string path;
    if (DWORD error = Resolve(windowsPath, path)) return error;
    int error = StatPath(path, BaseName(path), st);
    return error == 0 ? ERROR_SUCCESS : ErrorFromErrnoAt(error, path);
}

bool IsCurrentDirectory(const FileStat& st) {
    FileStat current;
    return StatPath(".", "", current) == 0 && current.device == st.device &&
           current.inode == st.inode;
}

// Copies contents, permissions and the last write time. The target is opened
// without sharing, so copying a file onto itself fails instead of emptying it.
DWORD CopyContents(const std::string& from, const std::string& to, bool failIfExists) {
    OpenResult source =
        OpenFileObject(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (!source.file) return source.error;
    FileStat st;
    if (int error = StatDescriptor(source.file->Descriptor(), from, st))
        return ErrorFromErrno(error);
    OpenResult target =
        OpenFileObject(to, GENERIC_WRITE, 0, failIfExists ? CREATE_NEW : CREATE_ALWAYS, 0);
    if (!target.file) return target.error;

    std::vector<char> buffer(1 << 16);
    DWORD error = ERROR_SUCCESS;
    for (;;) {
        DWORD read = 0, written = 0;
        error = source.file->Read(buffer.data(), static_cast<DWORD>(buffer.size()), read);
        if (error != ERROR_SUCCESS || read == 0) break;
        error = target.file->Write(buffer.data(), read, written);
        if (error != ERROR_SUCCESS) break;
    }
    int fd = target.file->Descriptor();
    if (error == ERROR_SUCCESS) {
        timespec times[2] = {{0, UTIME_OMIT}, UnixFromFileTime(st.lastWriteTime)};
        futimens(fd, times);
        fchmod(fd, st.mode & 07777);
        return ERROR_SUCCESS;
    }
    // A half-written copy is worse than none.
    if (!target.existed) unlink(to.c_str());
    return error;
}

} // namespace

DWORD GetFileAttributesW(LPCWSTR fileName) {
    FileStat st;
    if (DWORD error = StatWindowsPath(fileName, st)) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return st.attributes;
}

BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel,
                          LPVOID fileInformation) {
    if (infoLevel != GetFileExInfoStandard || !fileInformation)
        return Fail(ERROR_INVALID_PARAMETER);
    FileStat st;
    if (DWORD error = StatWindowsPath(fileName, st)) return Fail(error);
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(fileInformation);
    data->dwFileAttributes = st.attributes;
    data->ftCreationTime = st.creationTime;
    data->ftLastAccessTime = st.lastAccessTime;
    data->ftLastWriteTime = st.lastWriteTime;
    data->nFileSizeHigh = static_cast<DWORD>(st.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(st.size);
    return TRUE;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes) {
    std::string path;
    if (DWORD error = Resolve(fileName, path)) return Fail(error);
    FileStat st;
    if (int error = StatPath(path, "", st)) return Fail(ErrorFromErrnoAt(error, path));
    mode_t mode = st.mode & 07777;
    mode = (fileAttributes & FILE_ATTRIBUTE_READONLY) ? mode & ~0222 : mode | S_IWUSR;
    if (mode != (st.mode & 07777) && chmod(path.c_str(), mode) != 0)
        return Fail(ErrorFromErrnoAt(errno, path));
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes) {
    std::string path;
    if (DWORD error = Resolve(pathName, path)) return Fail(error);
    if (mkdir(path.c_str(), 0777) == 0) return TRUE;
    return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
    std::string path;
    if (DWORD error = Resolve(pathName, path)) return Fail(error);
    FileStat st;
    if (int error = StatLink(path, "", st)) return Fail(ErrorFromErrnoAt(error, path));
    if (!(st.attributes & FILE_ATTRIBUTE_DIRECTORY)) return Fail(ERROR_DIRECTORY);
    // Windows holds the current directory open; removing it fails there.
    if (IsCurrentDirectory(st)) return Fail(ERROR_SHARING_VIOLATION);
    if (DWORD error = CheckDeleteSharing(st.device, st.inode)) return Fail(error);
    if (rmdir(path.c_str()) == 0) return TRUE;
    return Fail(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY
                                                      : ErrorFromErrno(errno));
}

BOOL DeleteFileW(LPCWSTR fileName) {
    std::string path;
    if (DWORD error = Resolve(fileName, path)) return Fail(error);
    FileStat st;
    if (int error = StatLink(path, "", st)) return Fail(ErrorFromErrnoAt(error, path));
    if (st.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return Fail(ERROR_ACCESS_DENIED);
    if (DWORD error = CheckDeleteSharing(st.device, st.inode)) return Fail(error);
    if (unlink(path.c_str()) != 0) return Fail(ErrorFromErrnoAt(errno, path));
    return TRUE;
}

BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName) {
    return MoveFileExW(existingFileName, newFileName, 0);
}

BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags) {
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) return Fail(ERROR_NOT_SUPPORTED);
    if (PathHasWildcards(WideView(existingFileName)) || PathHasWildcards(WideView(newFileName)))
        return Fail(ERROR_INVALID_NAME);
    std::string from, to;
    if (DWORD error = Resolve(existingFileName, from)) return Fail(error);
    if (DWORD error = Resolve(newFileName, to)) return Fail(error);
    bool replace = flags & MOVEFILE_REPLACE_EXISTING;

    FileStat source;
    if (int error = StatLink(from, "", source)) return Fail(ErrorFromErrnoAt(error, from));
    if (DWORD error = CheckDeleteSharing(source.device, source.inode)) return Fail(error);
    bool sourceIsFolder = source.attributes & FILE_ATTRIBUTE_DIRECTORY;

    FileStat target;
    bool targetExists = StatLink(to, "", target) == 0;
    bool sameFile = targetExists && target.device == source.device && target.inode == source.inode;
    if (targetExists && !sameFile) {
        if (!replace) return Fail(ERROR_ALREADY_EXISTS);
        if (target.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
            return Fail(ERROR_ACCESS_DENIED);
        if (DWORD error = CheckDeleteSharing(target.device, target.inode)) return Fail(error);
    }

    // Without replacement the rename itself refuses to overwrite, closing the
    // gap between the check above and the move.
    int moved = replace || sameFile
                    ? rename(from.c_str(), to.c_str())
                    : renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (moved != 0 && !replace && (errno == EINVAL || errno == ENOSYS) && !targetExists)
        moved = rename(from.c_str(), to.c_str()); // file systems without RENAME_NOREPLACE
    if (moved == 0) return TRUE;
    if (errno == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
    if (errno != EXDEV) return Fail(ErrorFromErrnoAt(errno, to));

    if (!(flags & MOVEFILE_COPY_ALLOWED) || sourceIsFolder) return Fail(ERROR_NOT_SAME_DEVICE);
    if (DWORD error = CopyContents(from, to, !replace)) return Fail(error);
    if (unlink(from.c_str()) != 0) return Fail(ErrorFromErrnoAt(errno, from));
    return TRUE;
}

BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists) {
    std::string from, to;
    if (DWORD error = Resolve(existingFileName, from)) return Fail(error);
    if (DWORD error = Resolve(newFileName, to)) return Fail(error);
    DWORD error = CopyContents(from, to, failIfExists);
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}
