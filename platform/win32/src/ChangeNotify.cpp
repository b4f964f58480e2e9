// Folder change notification handles over inotify.
//
// One inotify descriptor serves the whole process; one reader thread (made on
// first use, never ended: waits may still run at exit) turns its events into
// signals on the waiting handles. inotify hands out one watch per folder
// inode, so a watch is shared by every handle that names the folder and is
// removed with the last of them. Each handle keeps its own filter; the watch
// asks the kernel for everything any filter may want.
#include "Errno.h"
#include "Paths.h"
#include "Waitable.h"

#include <win32/TestSeams.h>
#include <win32/fileapi.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace win32 {
namespace {

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kWatchMask = kNameEvents | IN_ATTRIB | IN_MODIFY | IN_DELETE_SELF |
                                IN_MOVE_SELF | IN_ONLYDIR;

std::atomic<int> watchLimit{-1};

class ChangeHandle;

class Watcher {
public:
    static Watcher& Instance() {
        static auto* watcher = new Watcher; // never destroyed: see the file comment
        return *watcher;
    }

    // Watches `path` for `handle`; 0 or the errno of the refusal.
    int Add(const std::string& path, ChangeHandle* handle, bool access);
    // Drops every watch of `handle`.
    void Remove(ChangeHandle* handle);

private:
    Watcher();
    void Run();
    void Dispatch(const inotify_event& event);
    int AddLocked(const std::string& path, ChangeHandle* handle, bool access);
    int AddTreeLocked(const std::string& path, ChangeHandle* handle, bool access);
    void RemoveLocked(ChangeHandle* handle);

    struct Watch {
        std::string path;
        std::vector<ChangeHandle*> handles;
    };
    std::mutex lock_; // before WaitLock() when both are held
    std::map<int, Watch> watches_;
    int fd_ = -1;
};

class ChangeHandle : public Waitable {
public:
    ChangeHandle(bool subtree, DWORD filter) : subtree_(subtree), filter_(filter) {}
    ~ChangeHandle() override { Watcher::Instance().Remove(this); }
    const char* Kind() const override { return "change notification"; }
    bool IsSignalled(DWORD) const override { return signalled_; }

    bool Subtree() const { return subtree_; }
    bool WantsAccess() const { return (filter_ & FILE_NOTIFY_CHANGE_LAST_ACCESS) != 0; }

    bool Matches(uint32_t mask) const {
        if (mask & (IN_DELETE_SELF | IN_MOVE_SELF)) return true; // the folder itself went away
        bool directory = (mask & IN_ISDIR) != 0;
        if ((mask & kNameEvents) &&
            (filter_ & (directory ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME)))
            return true;
        if ((mask & IN_CREATE) && (filter_ & FILE_NOTIFY_CHANGE_CREATION)) return true;
        if ((mask & IN_ATTRIB) &&
            (filter_ & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)))
            return true;
        if ((mask & IN_MODIFY) &&
            (filter_ & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)))
            return true;
        return (mask & IN_ACCESS) && (filter_ & FILE_NOTIFY_CHANGE_LAST_ACCESS);
    }
    // With WaitLock() held.
    void SignalLocked() { signalled_ = true; }
    void ResetLocked() { signalled_ = false; }

private:
    bool subtree_;
    DWORD filter_;
    bool signalled_ = false; // guarded by WaitLock()
};

Watcher::Watcher() {
    fd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd_ >= 0) std::thread([this] { Run(); }).detach();
}

int Watcher::AddLocked(const std::string& path, ChangeHandle* handle, bool access) {
    if (fd_ < 0) return ENOSYS;
    uint32_t mask = kWatchMask | (access ? IN_ACCESS | IN_MASK_ADD : 0);
    int wd = inotify_add_watch(fd_, path.c_str(), mask);
    if (wd < 0) return errno;
    auto found = watches_.find(wd);
    if (found == watches_.end()) {
        int limit = watchLimit.load();
        if (limit >= 0 && static_cast<int>(watches_.size()) >= limit) {
            inotify_rm_watch(fd_, wd);
            return ENOSPC;
        }
        found = watches_.emplace(wd, Watch{path, {}}).first;
    }
    auto& handles = found->second.handles;
    if (std::find(handles.begin(), handles.end(), handle) == handles.end())
        handles.push_back(handle);
    return 0;
}

// Sub-folders that cannot be watched (gone meanwhile, no permission) are left
// out; only the watch limit (ENOSPC) stops the walk.
int Watcher::AddTreeLocked(const std::string& path, ChangeHandle* handle, bool access) {
    std::error_code quiet;
    for (std::filesystem::recursive_directory_iterator
             it(path, std::filesystem::directory_options::skip_permission_denied, quiet),
         end;
         it != end; it.increment(quiet)) {
        if (quiet) break;
        if (it->is_symlink(quiet) || !it->is_directory(quiet)) continue;
        if (AddLocked(it->path().string(), handle, access) == ENOSPC) return ENOSPC;
    }
    return 0;
}

int Watcher::Add(const std::string& path, ChangeHandle* handle, bool access) {
    std::lock_guard<std::mutex> guard(lock_);
    int error = AddLocked(path, handle, access);
    // A tree cut short by the limit would miss changes silently: refuse it whole.
    if (error == 0 && handle->Subtree() && AddTreeLocked(path, handle, access) == ENOSPC) {
        RemoveLocked(handle);
        error = ENOSPC;
    }
    return error;
}

void Watcher::Remove(ChangeHandle* handle) {
    std::lock_guard<std::mutex> guard(lock_);
    RemoveLocked(handle);
}

void Watcher::RemoveLocked(ChangeHandle* handle) {
    for (auto it = watches_.begin(); it != watches_.end();) {
        auto& handles = it->second.handles;
        handles.erase(std::remove(handles.begin(), handles.end(), handle), handles.end());
        if (handles.empty()) {
            inotify_rm_watch(fd_, it->first);
            it = watches_.erase(it);
        } else {
            ++it;
        }
    }
}

void Watcher::Dispatch(const inotify_event& event) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = watches_.find(event.wd);
    if (found == watches_.end()) return;
    if (event.mask & IN_IGNORED) { // the kernel dropped the watch (folder deleted)
        watches_.erase(found);
        return;
    }
    std::vector<ChangeHandle*> hit;
    for (ChangeHandle* handle : found->second.handles) {
        if (handle->Matches(event.mask)) hit.push_back(handle);
        // A folder made or moved into a watched tree is watched from now on.
        if (handle->Subtree() && (event.mask & IN_ISDIR) &&
            (event.mask & (IN_CREATE | IN_MOVED_TO)) && event.len > 0) {
            std::string child = found->second.path + "/" + event.name;
            if (AddLocked(child, handle, handle->WantsAccess()) == 0)
                AddTreeLocked(child, handle, handle->WantsAccess());
            found = watches_.find(event.wd); // the map may have grown
        }
    }
    if (hit.empty()) return;
    std::lock_guard<std::mutex> waits(WaitLock());
    for (ChangeHandle* handle : hit)
        handle->SignalLocked();
    NotifyWaitersLocked();
}

void Watcher::Run() {
    alignas(inotify_event) char buffer[16 * 1024];
    pollfd wait{fd_, POLLIN, 0};
    for (;;) {
        if (poll(&wait, 1, -1) < 0 && errno != EINTR) return;
        for (;;) {
            ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                Dispatch(*event);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }
}

DWORD WatchError(int error, const std::string& path) {
    switch (error) {
    case ENOSPC: return ERROR_NOT_ENOUGH_QUOTA;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOTDIR: return ERROR_DIRECTORY;
    default: return ErrorFromErrnoAt(error, path);
    }
}

} // namespace
} // namespace win32

using namespace win32;

HANDLE FindFirstChangeNotificationW(LPCWSTR pathName, BOOL watchSubtree, DWORD notifyFilter) {
    const DWORD known = 0x17F;
    if (!pathName || notifyFilter == 0 || (notifyFilter & ~known)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = ToLinuxPath(pathName);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        SetLastError(ErrorFromErrnoAt(errno, path));
        return INVALID_HANDLE_VALUE;
    }
    if (!S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return INVALID_HANDLE_VALUE;
    }
    auto handle = std::make_shared<ChangeHandle>(watchSubtree != FALSE, notifyFilter);
    int error = Watcher::Instance().Add(path, handle.get(), handle->WantsAccess());
    if (error != 0) {
        SetLastError(WatchError(error, path));
        return INVALID_HANDLE_VALUE;
    }
    return InsertHandle(handle);
}

BOOL FindNextChangeNotification(HANDLE changeHandle) {
    auto handle = LookupHandleAs<ChangeHandle>(changeHandle);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> waits(WaitLock());
    handle->ResetLocked();
    return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE changeHandle) {
    if (!LookupHandleAs<ChangeHandle>(changeHandle) || !RemoveHandle(changeHandle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

namespace TestSeams {

void LimitFolderWatches(int count) {
    win32::watchLimit = count;
}

} // namespace TestSeams
