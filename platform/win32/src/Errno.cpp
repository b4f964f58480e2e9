#include "Errno.h"

#include <win32/winerror.h>

#include <cerrno>
#include <sys/stat.h>

namespace win32 {

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EBUSY:
        return ERROR_BUSY;
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ESPIPE:
        return ERROR_SEEK;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case ETIMEDOUT:
        return ERROR_SEM_TIMEOUT;
    case EINTR:
        return ERROR_OPERATION_ABORTED;
    case ENODEV:
    case ENXIO:
        return ERROR_DEV_NOT_EXIST;
    case ENOSYS:
    case EOPNOTSUPP:
        return ERROR_NOT_SUPPORTED;
    case EAGAIN:
        return ERROR_BUSY;
    case EIO:
        return ERROR_GEN_FAILURE;
    default:
        return ERROR_GEN_FAILURE;
    }
}

DWORD ErrorFromErrnoAt(int error, const std::string& linuxPath) {
    if (error != ENOENT) return ErrorFromErrno(error);
    std::string parent = linuxPath;
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    size_t slash = parent.rfind('/');
    parent = slash == std::string::npos ? "." : slash == 0 ? "/" : parent.substr(0, slash);
    struct stat st;
    bool folderThere = stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return folderThere ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

} // namespace win32
