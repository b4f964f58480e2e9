#include "DiskWrite.h"

#include <win32/TestSeams.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <unistd.h>

namespace win32 {
namespace {

// Bytes the stores may still write before writes fail; negative: no limit.
std::atomic<int64_t> g_spaceLeft{-1};
std::atomic<int> g_failure{ENOSPC};

// How much of `wanted` the simulated disk takes, and charges it.
size_t TakeSpace(size_t wanted) {
    int64_t left = g_spaceLeft.load();
    while (left >= 0) {
        int64_t take = std::min<int64_t>(left, static_cast<int64_t>(wanted));
        if (g_spaceLeft.compare_exchange_weak(left, left - take)) return static_cast<size_t>(take);
    }
    return wanted;
}

} // namespace

bool WriteToDisk(int fd, std::string_view data) {
    while (!data.empty()) {
        size_t allowed = TakeSpace(data.size());
        if (allowed == 0) {
            errno = g_failure.load();
            return false;
        }
        ssize_t put = write(fd, data.data(), allowed);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return false;
        if (put == 0) {
            errno = ENOSPC;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

} // namespace win32

namespace TestSeams {

void FailDiskWrites(int64_t afterBytes, int error) {
    win32::g_failure.store(error);
    win32::g_spaceLeft.store(afterBytes < 0 ? -1 : afterBytes);
}

} // namespace TestSeams
