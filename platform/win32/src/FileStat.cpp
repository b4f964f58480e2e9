#include "FileStat.h"

#include <win32/fileapi.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace win32 {
namespace {

// 100 ns ticks between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

FILETIME FromStatx(const statx_timestamp& t) {
    return FileTimeFromUnix(t.tv_sec, t.tv_nsec);
}

void Fill(const struct statx& sx, const std::string& name, FileStat& out) {
    out.attributes = AttributesFromMode(sx.stx_mode, name);
    out.size = S_ISDIR(sx.stx_mode) ? 0 : sx.stx_size;
    out.lastAccessTime = FromStatx(sx.stx_atime);
    out.lastWriteTime = FromStatx(sx.stx_mtime);
    out.creationTime = (sx.stx_mask & STATX_BTIME) ? FromStatx(sx.stx_btime) : out.lastWriteTime;
    out.device = (uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    out.inode = sx.stx_ino;
    out.links = sx.stx_nlink;
    out.mode = sx.stx_mode;
}

int StatAt(int folderFd, const std::string& path, const std::string& name, FileStat& out) {
    struct statx sx;
    unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    if (statx(folderFd, path.c_str(), 0, mask, &sx) != 0) {
        int error = errno;
        if (statx(folderFd, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &sx) != 0) return error;
    }
    Fill(sx, name, out);
    return 0;
}

int StatSelfAt(int folderFd, const std::string& path, const std::string& name, FileStat& out) {
    struct statx sx;
    unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    if (statx(folderFd, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &sx) != 0) return errno;
    Fill(sx, name, out);
    return 0;
}

} // namespace

int StatPath(const std::string& path, const std::string& name, FileStat& out) {
    return StatAt(AT_FDCWD, path, name, out);
}

int StatLink(const std::string& path, const std::string& name, FileStat& out) {
    return StatSelfAt(AT_FDCWD, path, name, out);
}

int StatPathAt(int folderFd, const std::string& name, FileStat& out) {
    return StatAt(folderFd, name, name, out);
}

int StatLinkAt(int folderFd, const std::string& name, FileStat& out) {
    return StatSelfAt(folderFd, name, name, out);
}

int StatDescriptor(int fd, const std::string& path, FileStat& out) {
    struct statx sx;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return errno;
    Fill(sx, BaseName(path), out);
    return 0;
}

std::string BaseName(const std::string& path) {
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return "";
    size_t start = path.rfind('/', end);
    start = start == std::string::npos ? 0 : start + 1;
    return path.substr(start, end + 1 - start);
}

DWORD AttributesFromMode(uint32_t mode, const std::string& name) {
    DWORD attributes = 0;
    if (S_ISDIR(mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

FILETIME FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
    int64_t ticks = seconds * kTicksPerSecond + nanoseconds / 100 + kUnixEpochTicks;
    return FileTimeFromTicks(ticks < 0 ? 0 : static_cast<uint64_t>(ticks));
}

timespec UnixFromFileTime(const FILETIME& time) {
    int64_t ticks = static_cast<int64_t>(FileTimeTicks(time) & INT64_MAX) - kUnixEpochTicks;
    int64_t seconds = ticks / kTicksPerSecond;
    int64_t rest = ticks % kTicksPerSecond;
    if (rest < 0) rest += kTicksPerSecond, seconds -= 1;
    timespec out{};
    out.tv_sec = static_cast<time_t>(seconds);
    out.tv_nsec = static_cast<long>(rest * 100);
    return out;
}

uint64_t FileTimeTicks(const FILETIME& time) {
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FileTimeFromTicks(uint64_t ticks) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

} // namespace win32
