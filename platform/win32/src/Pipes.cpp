// Anonymous pipes and the process's standard handles.
#include "Pipes.h"

#include "Errno.h"
#include "FileApiSupport.h"
#include "FileObject.h"
#include "IoObject.h"

#include <win32/processapi.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {
namespace {

// A Linux descriptor read or written through ReadFile and WriteFile. Pipe
// ends own theirs; the standard streams borrow descriptors 0 to 2.
class DescriptorIo : public IoObject {
public:
    DescriptorIo(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~DescriptorIo() override {
        if (owned_) close(fd_);
    }
    int Descriptor() const { return fd_; }

    DWORD Read(void* buffer, DWORD size, DWORD& done) override {
        done = 0;
        if (size == 0) return ERROR_SUCCESS;
        ssize_t n;
        do n = read(fd_, buffer, size);
        while (n < 0 && errno == EINTR);
        if (n < 0) return ErrorFromErrno(errno);
        // Every writer is gone: Windows reports that as an error, not as an empty read.
        if (n == 0 && FileType() == FILE_TYPE_PIPE) return ERROR_BROKEN_PIPE;
        done = static_cast<DWORD>(n);
        return ERROR_SUCCESS;
    }

    DWORD Write(const void* buffer, DWORD size, DWORD& done) override {
        done = 0;
        const auto* bytes = static_cast<const char*>(buffer);
        // A write to a pipe that nobody reads must fail, not end the process:
        // SIGPIPE is held back for this thread and a pending one is taken.
        sigset_t pipeSignal, previous;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
        DWORD error = ERROR_SUCCESS;
        while (done < size) {
            ssize_t n = write(fd_, bytes + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                if (errno == EPIPE) {
                    const timespec none{0, 0};
                    sigtimedwait(&pipeSignal, nullptr, &none);
                    error = ERROR_NO_DATA;
                } else {
                    error = ErrorFromErrno(errno);
                }
                break;
            }
            done += static_cast<DWORD>(n);
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return error;
    }

    DWORD FileType() const override {
        struct stat st;
        if (fstat(fd_, &st) != 0) return FILE_TYPE_UNKNOWN;
        if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return FILE_TYPE_PIPE;
        if (S_ISCHR(st.st_mode)) return FILE_TYPE_CHAR;
        return FILE_TYPE_DISK;
    }

private:
    int fd_;
    bool owned_;
};

class PipeEnd : public DescriptorIo {
public:
    using DescriptorIo::DescriptorIo;
    const char* Kind() const override { return "pipe"; }
};

class StandardStream : public DescriptorIo {
public:
    explicit StandardStream(int fd) : DescriptorIo(fd, false) {}
    const char* Kind() const override { return "standard stream"; }
};

struct StandardHandles {
    std::mutex lock;
    bool made = false;
    HANDLE handles[3] = {};
};

StandardHandles& Standard() {
    static auto* standard = new StandardHandles; // handles may be asked for at exit
    return *standard;
}

// 0, 1 or 2 for STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE; else -1.
int StandardIndex(DWORD which) {
    switch (which) {
    case STD_INPUT_HANDLE: return 0;
    case STD_OUTPUT_HANDLE: return 1;
    case STD_ERROR_HANDLE: return 2;
    default: return -1;
    }
}

// Expects the lock held.
void MakeStandardHandles(StandardHandles& standard) {
    if (standard.made) return;
    for (int fd = 0; fd < 3; ++fd)
        standard.handles[fd] = InsertHandle(std::make_shared<StandardStream>(fd));
    standard.made = true;
}

} // namespace

int DescriptorForChild(HANDLE handle) {
    auto object = LookupHandle(handle);
    if (auto io = std::dynamic_pointer_cast<DescriptorIo>(object)) return io->Descriptor();
    if (auto file = std::dynamic_pointer_cast<FileObject>(object)) return file->Descriptor();
    return -1;
}

} // namespace win32

using namespace win32;

HANDLE GetStdHandle(DWORD which) {
    int index = StandardIndex(which);
    if (index < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    StandardHandles& standard = Standard();
    std::lock_guard<std::mutex> guard(standard.lock);
    MakeStandardHandles(standard);
    return standard.handles[index];
}

BOOL SetStdHandle(DWORD which, HANDLE handle) {
    int index = StandardIndex(which);
    if (index < 0) return Fail(ERROR_INVALID_HANDLE);
    StandardHandles& standard = Standard();
    std::lock_guard<std::mutex> guard(standard.lock);
    MakeStandardHandles(standard);
    standard.handles[index] = handle;
    return TRUE;
}

BOOL CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES, DWORD size) {
    if (!readPipe || !writePipe) return Fail(ERROR_INVALID_PARAMETER);
    int fds[2];
    // Close-on-exec: a child receives only the ends made its standard streams,
    // so no stray copy of a write end keeps a reader from seeing the end.
    if (pipe2(fds, O_CLOEXEC) != 0) return Fail(ErrorFromErrno(errno));
    if (size > 0) fcntl(fds[1], F_SETPIPE_SZ, static_cast<int>(size));
    *readPipe = InsertHandle(std::make_shared<PipeEnd>(fds[0], true));
    *writePipe = InsertHandle(std::make_shared<PipeEnd>(fds[1], true));
    return TRUE;
}

BOOL PeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD size, LPDWORD bytesRead,
                   LPDWORD totalAvailable, LPDWORD leftThisMessage) {
    if (bytesRead) *bytesRead = 0;
    if (totalAvailable) *totalAvailable = 0;
    if (leftThisMessage) *leftThisMessage = 0;
    auto end = LookupHandleAs<DescriptorIo>(pipe);
    if (!end || end->FileType() != FILE_TYPE_PIPE) return Fail(ERROR_INVALID_HANDLE);
    int waiting = 0;
    if (ioctl(end->Descriptor(), FIONREAD, &waiting) != 0) return Fail(ErrorFromErrno(errno));
    if (waiting == 0) {
        // Nothing waits and nothing ever will: every write end is closed.
        pollfd state{end->Descriptor(), POLLIN, 0};
        if (poll(&state, 1, 0) == 1 && (state.revents & POLLHUP)) return Fail(ERROR_BROKEN_PIPE);
    }
    if (totalAvailable) *totalAvailable = static_cast<DWORD>(waiting);
    if (buffer && size > 0 && waiting > 0) {
        // recv with MSG_PEEK works on sockets only; a pipe is peeked through
        // tee into a scratch pipe, which leaves the bytes where they are.
        int scratch[2];
        if (pipe2(scratch, O_CLOEXEC | O_NONBLOCK) != 0) return Fail(ErrorFromErrno(errno));
        DWORD wanted = std::min<DWORD>(size, static_cast<DWORD>(waiting));
        ssize_t copied = tee(end->Descriptor(), scratch[1], wanted, SPLICE_F_NONBLOCK);
        ssize_t got = copied > 0 ? read(scratch[0], buffer, static_cast<size_t>(copied)) : 0;
        close(scratch[0]);
        close(scratch[1]);
        if (bytesRead && got > 0) *bytesRead = static_cast<DWORD>(got);
    }
    return TRUE;
}
