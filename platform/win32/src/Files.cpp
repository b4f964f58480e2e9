// CreateFileW and the calls on open file handles.
#include "Devices.h"
#include "Errno.h"
#include "FileApiSupport.h"
#include "FileObject.h"
#include "FileStat.h"
#include "Paths.h"

#include <win32/fileapi.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace win32;

namespace {

// Moves the file pointer; answers ERROR_SUCCESS or the error.
DWORD Seek(FileObject& file, LONGLONG distance, DWORD method, LONGLONG& position) {
    LONGLONG base = 0;
    if (method == FILE_CURRENT) {
        base = lseek(file.Descriptor(), 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat st;
        base = fstat(file.Descriptor(), &st) == 0 ? st.st_size : -1;
    } else if (method != FILE_BEGIN) {
        return ERROR_INVALID_PARAMETER;
    }
    if (base < 0) return ErrorFromErrno(errno);
    if (__builtin_add_overflow(base, distance, &position) || position < 0)
        return ERROR_NEGATIVE_SEEK;
    if (lseek(file.Descriptor(), position, SEEK_SET) < 0) return ErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

// Where an OVERLAPPED on a synchronous handle says the transfer starts.
DWORD SeekToOverlapped(const std::shared_ptr<IoObject>& io, const OVERLAPPED* overlapped) {
    auto file = std::dynamic_pointer_cast<FileObject>(io);
    if (!overlapped || !file) return ERROR_SUCCESS;
    LONGLONG offset =
        static_cast<LONGLONG>((ULONGLONG(overlapped->OffsetHigh) << 32) | overlapped->Offset);
    LONGLONG ignored;
    return Seek(*file, offset, FILE_BEGIN, ignored);
}

void Complete(LPOVERLAPPED overlapped, DWORD error, DWORD done) {
    if (!overlapped) return;
    overlapped->Internal = error;
    overlapped->InternalHigh = done;
}

// A zero time, or all bits set, leaves the time alone, as on Windows.
timespec TimeToSet(const FILETIME* time) {
    timespec out{};
    uint64_t ticks = time ? FileTimeTicks(*time) : 0;
    if (ticks == 0 || ticks == UINT64_MAX) {
        out.tv_nsec = UTIME_OMIT;
        return out;
    }
    return UnixFromFileTime(*time);
}

} // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
    if (PathHasWildcards(WideView(fileName))) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    LinuxPath target = ResolvePath(WideView(fileName));
    if (!target.device.empty())
        return OpenDevice(target.device, target.path, desiredAccess, shareMode, creationDisposition,
                          flagsAndAttributes);
    if (target.error != ERROR_SUCCESS) {
        SetLastError(target.error);
        return INVALID_HANDLE_VALUE;
    }
    OpenResult opened = OpenFileObject(target.path, desiredAccess, shareMode, creationDisposition,
                                       flagsAndAttributes);
    if (!opened.file) {
        SetLastError(opened.error);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = InsertHandle(opened.file);
    bool mayExist = creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    SetLastError(mayExist && opened.existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED overlapped) {
    if (bytesRead) *bytesRead = 0;
    auto io = LookupHandleAs<IoObject>(file);
    if (!io) return Fail(ERROR_INVALID_HANDLE);
    if (!buffer && bytesToRead > 0) return Fail(ERROR_NOACCESS);
    DWORD error = SeekToOverlapped(io, overlapped);
    DWORD done = 0;
    if (error == ERROR_SUCCESS) error = io->Read(buffer, bytesToRead, done);
    // A read at an explicit offset past the end reports the end, as Windows does.
    if (error == ERROR_SUCCESS && overlapped && done == 0 && bytesToRead > 0 &&
        io->FileType() == FILE_TYPE_DISK)
        error = ERROR_HANDLE_EOF;
    if (bytesRead) *bytesRead = done;
    Complete(overlapped, error, done);
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped) {
    if (bytesWritten) *bytesWritten = 0;
    auto io = LookupHandleAs<IoObject>(file);
    if (!io) return Fail(ERROR_INVALID_HANDLE);
    if (!buffer && bytesToWrite > 0) return Fail(ERROR_NOACCESS);
    DWORD error = SeekToOverlapped(io, overlapped);
    DWORD done = 0;
    if (error == ERROR_SUCCESS) error = io->Write(buffer, bytesToWrite, done);
    if (bytesWritten) *bytesWritten = done;
    Complete(overlapped, error, done);
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer,
                      DWORD moveMethod) {
    auto object = LookupHandleAs<FileObject>(file);
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    LONGLONG position = 0;
    DWORD error = Seek(*object, distanceToMove.QuadPart, moveMethod, position);
    if (error != ERROR_SUCCESS) return Fail(error);
    if (newFilePointer) newFilePointer->QuadPart = position;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod) {
    LARGE_INTEGER distance;
    if (distanceToMoveHigh)
        distance.QuadPart =
            static_cast<LONGLONG>((ULONGLONG(static_cast<DWORD>(*distanceToMoveHigh)) << 32) |
                                  static_cast<DWORD>(distanceToMove));
    else
        distance.QuadPart = distanceToMove; // a signed 32-bit move
    LARGE_INTEGER position;
    if (!SetFilePointerEx(file, distance, &position, moveMethod)) return INVALID_SET_FILE_POINTER;
    if (distanceToMoveHigh) *distanceToMoveHigh = position.u.HighPart;
    // Callers tell a position of 0xFFFFFFFF from a failure by the last error.
    SetLastError(NO_ERROR);
    return position.u.LowPart;
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize) {
    auto object = LookupHandleAs<FileObject>(file);
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    FileStat st;
    if (int error = StatDescriptor(object->Descriptor(), object->LinuxPath(), st))
        return Fail(ErrorFromErrno(error));
    if (fileSize) fileSize->QuadPart = static_cast<LONGLONG>(st.size);
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return INVALID_FILE_SIZE;
    if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(size.u.HighPart);
    SetLastError(NO_ERROR);
    return size.u.LowPart;
}

BOOL SetEndOfFile(HANDLE file) {
    auto object = LookupHandleAs<FileObject>(file);
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    if (!object->CanWrite() || object->IsDirectory()) return Fail(ERROR_ACCESS_DENIED);
    off_t position = lseek(object->Descriptor(), 0, SEEK_CUR);
    if (position < 0 || ftruncate(object->Descriptor(), position) != 0)
        return Fail(ErrorFromErrno(errno));
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    auto io = LookupHandleAs<IoObject>(file);
    if (!io) return Fail(ERROR_INVALID_HANDLE);
    DWORD error = io->Flush();
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

DWORD GetFileType(HANDLE file) {
    auto object = LookupHandle(file);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    SetLastError(NO_ERROR);
    auto io = std::dynamic_pointer_cast<IoObject>(object);
    return io ? io->FileType() : FILE_TYPE_UNKNOWN;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime,
                 LPFILETIME lastWriteTime) {
    auto object = LookupHandleAs<FileObject>(file);
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    FileStat st;
    if (int error = StatDescriptor(object->Descriptor(), object->LinuxPath(), st))
        return Fail(ErrorFromErrno(error));
    if (creationTime) *creationTime = st.creationTime;
    if (lastAccessTime) *lastAccessTime = st.lastAccessTime;
    if (lastWriteTime) *lastWriteTime = st.lastWriteTime;
    return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                 const FILETIME* lastWriteTime) {
    auto object = LookupHandleAs<FileObject>(file);
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    if (!object->CanWriteAttributes()) return Fail(ERROR_ACCESS_DENIED);
    timespec times[2] = {TimeToSet(lastAccessTime), TimeToSet(lastWriteTime)};
    if (futimens(object->Descriptor(), times) == 0) return TRUE;
    // A handle opened for attributes only has no descriptor futimens accepts.
    if (errno == EBADF && utimensat(AT_FDCWD, object->LinuxPath().c_str(), times, 0) == 0)
        return TRUE;
    return Fail(ErrorFromErrno(errno));
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    auto object = LookupHandleAs<FileObject>(file);
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    if (!information) return Fail(ERROR_INVALID_PARAMETER);
    FileStat st;
    if (int error = StatDescriptor(object->Descriptor(), object->LinuxPath(), st))
        return Fail(ErrorFromErrno(error));
    information->dwFileAttributes = st.attributes;
    information->ftCreationTime = st.creationTime;
    information->ftLastAccessTime = st.lastAccessTime;
    information->ftLastWriteTime = st.lastWriteTime;
    information->dwVolumeSerialNumber = static_cast<DWORD>(st.device ^ (st.device >> 32));
    information->nFileSizeHigh = static_cast<DWORD>(st.size >> 32);
    information->nFileSizeLow = static_cast<DWORD>(st.size);
    information->nNumberOfLinks = st.links;
    information->nFileIndexHigh = static_cast<DWORD>(st.inode >> 32);
    information->nFileIndexLow = static_cast<DWORD>(st.inode);
    return TRUE;
}
