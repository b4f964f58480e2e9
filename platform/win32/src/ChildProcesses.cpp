// Child processes: CreateProcessW over posix_spawn, and the process objects
// that tell when a child ends.
#include "Errno.h"
#include "FileApiSupport.h"
#include "Paths.h"
#include "Pipes.h"
#include "Waitable.h"

#include <win32/processapi.h>
#include <win32/winnls.h>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace win32 {
namespace {

// One child. Signalled once it has ended and been reaped.
class ProcessObject : public Waitable {
public:
    explicit ProcessObject(pid_t pid) : pid_(pid) {}
    const char* Kind() const override { return "process"; }
    bool IsSignalled(DWORD) const override { return ended_; }

    pid_t Pid() const { return pid_; }

    // Called once, from the reaper, with the status waitpid answered.
    void Ended(int status) {
        std::lock_guard<std::mutex> guard(WaitLock());
        if (!terminated_)
            exitCode_ = WIFEXITED(status)
                            ? static_cast<DWORD>(WEXITSTATUS(status))
                            : 128u + static_cast<DWORD>(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        ended_ = true;
        NotifyWaitersLocked();
    }

    DWORD ExitCode() const {
        std::lock_guard<std::mutex> guard(WaitLock());
        return ended_ ? exitCode_ : STILL_ACTIVE;
    }

    // The code TerminateProcess gives is the one the child reports.
    bool Terminate(DWORD code) {
        std::lock_guard<std::mutex> guard(WaitLock());
        if (ended_) return false;
        terminated_ = true;
        exitCode_ = code;
        kill(pid_, SIGKILL);
        return true;
    }

private:
    pid_t pid_;
    bool ended_ = false;
    bool terminated_ = false;
    DWORD exitCode_ = STILL_ACTIVE;
};

std::string Utf8(std::u16string_view text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

// Splits a command line as Windows programs split theirs: blanks separate
// words, quotes group, and backslashes escape only the quotes they precede.
std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
    std::vector<std::u16string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == u' ' || line[at] == u'\t')) ++at;
        if (at >= line.size()) break;
        std::u16string word;
        bool quoted = false;
        while (at < line.size() && (quoted || (line[at] != u' ' && line[at] != u'\t'))) {
            size_t backslashes = 0;
            while (at < line.size() && line[at] == u'\\') ++backslashes, ++at;
            if (at < line.size() && line[at] == u'"') {
                word.append(backslashes / 2, u'\\');
                if (backslashes % 2) word += u'"';
                else quoted = !quoted;
                ++at;
            } else {
                word.append(backslashes, u'\\');
                if (at < line.size() && (quoted || (line[at] != u' ' && line[at] != u'\t')))
                    word += line[at++];
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

// The Linux program a Windows name stands for; a bare name is searched on
// PATH by the spawn itself. Empty with `error` set when it cannot start.
std::string ProgramPath(std::u16string_view name, DWORD& error) {
    error = ERROR_SUCCESS;
    if (name.find_first_of(u"\\/:") == std::u16string_view::npos) return Utf8(name);
    std::string path = ToLinuxPath(name);
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        error = ERROR_FILE_NOT_FOUND;
        return {};
    }
    if (S_ISDIR(st.st_mode) || access(path.c_str(), X_OK) != 0) {
        error = ERROR_ACCESS_DENIED;
        return {};
    }
    return path;
}

// "A=1\0B=2\0\0" in UTF-16 to the strings of an environment.
std::vector<std::string> EnvironmentFromBlock(const char16_t* block) {
    std::vector<std::string> out;
    while (block && *block) {
        std::u16string_view entry(block);
        out.push_back(Utf8(entry));
        block += entry.size() + 1;
    }
    return out;
}

void StartReaper(std::shared_ptr<ProcessObject> process) {
    std::thread([process] {
        int status = 0;
        while (waitpid(process->Pid(), &status, 0) < 0 && errno == EINTR) {}
        process->Ended(status);
    }).detach();
}

} // namespace
} // namespace win32

using namespace win32;

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation) {
    if (!processInformation || !startupInfo) return Fail(ERROR_INVALID_PARAMETER);
    std::vector<std::u16string> words = SplitCommandLine(WideView(commandLine));
    std::u16string program = applicationName && *applicationName ? std::u16string(applicationName)
                             : words.empty()                     ? std::u16string()
                                                                 : words.front();
    if (program.empty()) return Fail(ERROR_FILE_NOT_FOUND);
    if (environment && !(creationFlags & CREATE_UNICODE_ENVIRONMENT))
        return Fail(ERROR_INVALID_PARAMETER);

    DWORD error;
    std::string path = ProgramPath(program, error);
    if (path.empty()) return Fail(error);
    std::string directory;
    if (currentDirectory && *currentDirectory) {
        directory = ToLinuxPath(currentDirectory);
        struct stat st;
        if (directory.empty() || stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return Fail(ERROR_DIRECTORY);
    }

    // The child's standard streams: the start-up record's handles, or this
    // process's standard handles when handles are inherited; else its own.
    int streams[3] = {0, 1, 2};
    if (startupInfo->dwFlags & STARTF_USESTDHANDLES) {
        HANDLE given[3] = {startupInfo->hStdInput, startupInfo->hStdOutput, startupInfo->hStdError};
        for (int i = 0; i < 3; ++i) {
            int fd = DescriptorForChild(given[i]);
            if (fd >= 0) streams[i] = fd;
        }
    } else if (inheritHandles) {
        const DWORD which[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
        for (int i = 0; i < 3; ++i) {
            int fd = DescriptorForChild(GetStdHandle(which[i]));
            if (fd >= 0) streams[i] = fd;
        }
    }

    std::vector<std::string> arguments;
    if (words.empty()) arguments.push_back(path);
    for (const auto& word : words)
        arguments.push_back(Utf8(word));
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = EnvironmentFromBlock(static_cast<char16_t*>(environment));
    std::vector<char*> envp;
    for (auto& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int i = 0; i < 3; ++i)
        posix_spawn_file_actions_adddup2(&actions, streams[i], i);
    if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    pid_t pid = 0;
    bool searched = path.find('/') == std::string::npos;
    int result = (searched ? posix_spawnp : posix_spawn)(&pid, path.c_str(), &actions, nullptr,
                                                         argv.data(),
                                                         environment ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        return Fail(result == ENOENT ? ERROR_FILE_NOT_FOUND
                    : result == ENOEXEC ? ERROR_BAD_EXE_FORMAT
                                        : ErrorFromErrno(result));

    auto process = std::make_shared<ProcessObject>(pid);
    StartReaper(process);
    processInformation->hProcess = InsertHandle(process);
    processInformation->hThread = InsertHandle(process);
    processInformation->dwProcessId = static_cast<DWORD>(pid);
    processInformation->dwThreadId = static_cast<DWORD>(pid);
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE handle, LPDWORD exitCode) {
    auto process = LookupHandleAs<ProcessObject>(handle);
    if (!process || !exitCode) return Fail(ERROR_INVALID_HANDLE);
    *exitCode = process->ExitCode();
    return TRUE;
}

BOOL TerminateProcess(HANDLE handle, UINT exitCode) {
    auto process = LookupHandleAs<ProcessObject>(handle);
    if (!process) return Fail(ERROR_INVALID_HANDLE);
    if (!process->Terminate(exitCode)) return Fail(ERROR_ACCESS_DENIED);
    return TRUE;
}

DWORD GetProcessId(HANDLE handle) {
    auto process = LookupHandleAs<ProcessObject>(handle);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(process->Pid());
}

BOOL Beep(DWORD frequency, DWORD) {
    if (frequency < 37 || frequency > 32767) return Fail(ERROR_INVALID_PARAMETER);
    return TRUE;
}
