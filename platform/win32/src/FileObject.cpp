#include "FileObject.h"

#include "DiskWrite.h"

#include "Errno.h"
#include "FileStat.h"

#include <win32/fileapi.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace win32 {
namespace {

constexpr DWORD kReadAccess = GENERIC_READ | GENERIC_ALL | FILE_READ_DATA;
constexpr DWORD kWriteAccess = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;
constexpr DWORD kDeleteAccess = GENERIC_ALL | DELETE;

struct ShareEntry {
    const FileObject* owner;
    DWORD access;
    DWORD share;
};

using ShareKey = std::pair<uint64_t, uint64_t>; // device, inode

struct ShareTable {
    std::mutex lock;
    std::map<ShareKey, std::vector<ShareEntry>> opens;
};

ShareTable& Shares() {
    static ShareTable* table = new ShareTable; // never destroyed: files may close during exit
    return *table;
}

// Windows' rule: each open must share what the other one asks for. Opens
// without data access (attributes only) take no part.
bool Conflicts(DWORD access, DWORD share, const ShareEntry& other) {
    auto asks = [](DWORD a, DWORD bits) { return (a & bits) != 0; };
    constexpr DWORD kDataAccess = kReadAccess | kWriteAccess | kDeleteAccess;
    if (!asks(access, kDataAccess) || !asks(other.access, kDataAccess)) return false;
    if (asks(access, kReadAccess) && !(other.share & FILE_SHARE_READ)) return true;
    if (asks(access, kWriteAccess) && !(other.share & FILE_SHARE_WRITE)) return true;
    if (asks(access, kDeleteAccess) && !(other.share & FILE_SHARE_DELETE)) return true;
    if (asks(other.access, kReadAccess) && !(share & FILE_SHARE_READ)) return true;
    if (asks(other.access, kWriteAccess) && !(share & FILE_SHARE_WRITE)) return true;
    if (asks(other.access, kDeleteAccess) && !(share & FILE_SHARE_DELETE)) return true;
    return false;
}

// With the share table locked.
bool AnyConflict(ShareTable& table, const ShareKey& key, DWORD access, DWORD share) {
    auto it = table.opens.find(key);
    if (it == table.opens.end()) return false;
    return std::any_of(it->second.begin(), it->second.end(),
                       [&](const ShareEntry& other) { return Conflicts(access, share, other); });
}

int OpenMode(DWORD access) {
    bool reads = access & kReadAccess;
    bool writes = access & kWriteAccess;
    int mode = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    bool appendOnly =
        (access & FILE_APPEND_DATA) && !(access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA));
    if (appendOnly) mode |= O_APPEND;
    return mode;
}

// open(2) that never waits (a FIFO without a peer, a tty without carrier):
// the share table stays locked meanwhile. Later reads and writes block as usual.
int OpenWithoutWaiting(const std::string& path, int flags, mode_t permissions = 0) {
    int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, permissions);
    if (fd >= 0 && !(flags & O_PATH)) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

// Builds FileObjects; the one place that sees their fields.
struct FileOpener {
    static OpenResult Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                           DWORD flags);
};

OpenResult FileOpener::Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                            DWORD flags) {
    OpenResult result;
    auto fail = [&](DWORD error) {
        result.error = error;
        return result;
    };
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
        return fail(ERROR_INVALID_PARAMETER);
    if (flags & FILE_FLAG_DELETE_ON_CLOSE) access |= DELETE;
    bool truncating = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (disposition == TRUNCATE_EXISTING && !(access & kWriteAccess))
        return fail(ERROR_INVALID_PARAMETER);

    ShareTable& shares = Shares();
    std::lock_guard<std::mutex> guard(shares.lock);

    FileStat before;
    int statError = StatPath(path, "", before);
    if (statError != 0 && statError != ENOENT) return fail(ErrorFromErrnoAt(statError, path));
    result.existed = statError == 0;
    bool directory = result.existed && (before.attributes & FILE_ATTRIBUTE_DIRECTORY);

    int fd = -1;
    if (result.existed) {
        if (disposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
        if (directory && (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || truncating))
            return fail(ERROR_ACCESS_DENIED);
        // Read-only is the attribute, whatever root may do on Linux.
        bool writes = (access & kWriteAccess) || truncating;
        if (!directory && writes && (before.attributes & FILE_ATTRIBUTE_READONLY))
            return fail(ERROR_ACCESS_DENIED);
        // Replacing the contents is a write to whoever holds the file open.
        DWORD asked = access | (truncating ? FILE_WRITE_DATA : 0);
        if (AnyConflict(shares, {before.device, before.inode}, asked, share))
            return fail(ERROR_SHARING_VIOLATION);
        int mode = directory ? O_RDONLY | O_DIRECTORY : OpenMode(access);
        fd = OpenWithoutWaiting(path, mode);
        if (fd < 0 && errno == EACCES && !(access & (kReadAccess | kWriteAccess)))
            fd = ::open(path.c_str(), O_PATH | O_CLOEXEC); // attributes only
        if (fd < 0) return fail(ErrorFromErrnoAt(errno, path));
    } else {
        if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)
            return fail(ErrorFromErrnoAt(ENOENT, path));
        mode_t permissions = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        fd = OpenWithoutWaiting(path, OpenMode(access) | O_CREAT | O_EXCL, permissions);
        if (fd < 0)
            return fail(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrnoAt(errno, path));
    }

    FileStat opened;
    int fstatError = StatDescriptor(fd, path, opened);
    if (fstatError == 0 && truncating && result.existed && opened.size > 0) {
        bool truncated = ftruncate(fd, 0) == 0 || truncate(path.c_str(), 0) == 0;
        if (!truncated) fstatError = errno;
    }
    if (fstatError != 0) {
        ::close(fd);
        return fail(ErrorFromErrno(fstatError));
    }

    std::shared_ptr<FileObject> file(new FileObject);
    file->fd_ = fd;
    file->access_ = access;
    file->directory_ = directory;
    file->deleteOnClose_ = flags & FILE_FLAG_DELETE_ON_CLOSE;
    file->device_ = opened.device;
    file->inode_ = opened.inode;
    file->mode_ = opened.mode;
    file->path_ = path;
    shares.opens[{opened.device, opened.inode}].push_back({file.get(), access, share});
    result.file = std::move(file);
    return result;
}

OpenResult OpenFileObject(const std::string& linuxPath, DWORD access, DWORD share,
                          DWORD disposition, DWORD flagsAndAttributes) {
    return FileOpener::Open(linuxPath, access, share, disposition, flagsAndAttributes);
}

DWORD CheckDeleteSharing(uint64_t device, uint64_t inode) {
    ShareTable& shares = Shares();
    std::lock_guard<std::mutex> guard(shares.lock);
    auto it = shares.opens.find({device, inode});
    if (it == shares.opens.end()) return ERROR_SUCCESS;
    bool refused = std::any_of(it->second.begin(), it->second.end(),
                               [](const ShareEntry& e) { return !(e.share & FILE_SHARE_DELETE); });
    return refused ? ERROR_SHARING_VIOLATION : ERROR_SUCCESS;
}

FileObject::~FileObject() {
    {
        ShareTable& shares = Shares();
        std::lock_guard<std::mutex> guard(shares.lock);
        auto it = shares.opens.find({device_, inode_});
        if (it != shares.opens.end()) {
            std::erase_if(it->second, [this](const ShareEntry& e) { return e.owner == this; });
            if (it->second.empty()) shares.opens.erase(it);
        }
    }
    if (fd_ >= 0) ::close(fd_);
    if (deleteOnClose_) directory_ ? ::rmdir(path_.c_str()) : ::unlink(path_.c_str());
}

bool FileObject::CanRead() const {
    return access_ & kReadAccess;
}

bool FileObject::CanWrite() const {
    return access_ & kWriteAccess;
}

bool FileObject::CanWriteAttributes() const {
    return access_ & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_ATTRIBUTES);
}

DWORD FileObject::Read(void* buffer, DWORD size, DWORD& done) {
    done = 0;
    if (!CanRead()) return ERROR_ACCESS_DENIED;
    if (directory_) return ERROR_INVALID_FUNCTION;
    char* bytes = static_cast<char*>(buffer);
    while (done < size) {
        ssize_t count = ::read(fd_, bytes + done, size - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return ErrorFromErrno(errno);
        if (count == 0) break;
        done += static_cast<DWORD>(count);
        // Pipes and devices hand over what they have; only files are read to the full size.
        if (!S_ISREG(mode_)) break;
    }
    return ERROR_SUCCESS;
}

DWORD FileObject::Write(const void* buffer, DWORD size, DWORD& done) {
    done = 0;
    if (!CanWrite() || directory_) return ERROR_ACCESS_DENIED;
    const char* bytes = static_cast<const char*>(buffer);
    if (S_ISREG(mode_)) {
        // Files on disk write through the stores' door, where a test can fill the disk.
        if (!WriteToDisk(fd_, std::string_view(bytes, size))) return ErrorFromErrno(errno);
        done = size;
        return ERROR_SUCCESS;
    }
    while (done < size) {
        ssize_t count = ::write(fd_, bytes + done, size - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return ErrorFromErrno(errno);
        if (count == 0) return ERROR_WRITE_FAULT;
        done += static_cast<DWORD>(count);
    }
    return ERROR_SUCCESS;
}

DWORD FileObject::Flush() {
    if (!CanWrite()) return ERROR_ACCESS_DENIED;
    return ::fsync(fd_) == 0 || errno == EINVAL ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

DWORD FileObject::FileType() const {
    if (S_ISCHR(mode_)) return FILE_TYPE_CHAR;
    if (S_ISFIFO(mode_) || S_ISSOCK(mode_)) return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}

} // namespace win32
