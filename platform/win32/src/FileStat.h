// What the file API reports of a Linux file: attributes, sizes and times in
// Windows terms, taken from one statx call.
#pragma once

#include <win32/windef.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace win32 {

struct FileStat {
    DWORD attributes = 0;
    uint64_t size = 0;
    FILETIME creationTime{}; // birth time where the file system keeps it, else the write time
    FILETIME lastAccessTime{};
    FILETIME lastWriteTime{};
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t links = 0;
    uint32_t mode = 0;
};

// Stats `path`, following symlinks (a dangling link is reported as itself).
// `name` is the Windows-visible name used for the hidden attribute (a dot
// name other than "." and ".."). Returns 0 or the errno.
int StatPath(const std::string& path, const std::string& name, FileStat& out);
// Stats `path` itself, not what a symlink points at. Returns 0 or the errno.
int StatLink(const std::string& path, const std::string& name, FileStat& out);
// The same for `name` in the open folder `folderFd`.
int StatPathAt(int folderFd, const std::string& name, FileStat& out);
int StatLinkAt(int folderFd, const std::string& name, FileStat& out);
// Stats an open descriptor of the file at `path` (whose last component gives
// the hidden attribute). Returns 0 or the errno.
int StatDescriptor(int fd, const std::string& path, FileStat& out);

// The last component of a Linux path ("" for "/").
std::string BaseName(const std::string& path);

// FILE_ATTRIBUTE_* for a Linux mode and name.
DWORD AttributesFromMode(uint32_t mode, const std::string& name);

FILETIME FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds);
timespec UnixFromFileTime(const FILETIME& time);
uint64_t FileTimeTicks(const FILETIME& time);
FILETIME FileTimeFromTicks(uint64_t ticks);

} // namespace win32
