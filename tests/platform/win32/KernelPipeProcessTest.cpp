// Anonymous pipes, standard handles and child processes.
#include "KernelTestSupport.h"

#include <win32/processapi.h>

#include <string>

namespace {

struct Pipe {
    HANDLE read = nullptr, write = nullptr;
    Pipe() { EXPECT_TRUE(CreatePipe(&read, &write, nullptr, 0)); }
    ~Pipe() {
        if (read) CloseHandle(read);
        if (write) CloseHandle(write);
    }
    void CloseWrite() {
        CloseHandle(write);
        write = nullptr;
    }
};

bool Put(HANDLE pipe, const std::string& text) {
    DWORD written = 0;
    return WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// Everything until every writer is gone.
std::string ReadToEnd(HANDLE pipe) {
    std::string all;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr))
        all.append(buffer, got);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    return all;
}

std::u16string Shell() {
    WCHAR path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(u"ComSpec", path, MAX_PATH);
    return std::u16string(path, length);
}

// Runs `script` under the command interpreter with its output into a pipe;
// answers the output and the exit code.
std::pair<std::string, DWORD> RunScript(const std::u16string& script) {
    Pipe out;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.write;
    startup.hStdError = out.write;
    std::u16string line = u"sh -c \"" + script + u"\"";
    PROCESS_INFORMATION info{};
    std::u16string shell = Shell();
    if (!CreateProcessW(shell.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
        ADD_FAILURE() << "CreateProcessW failed: " << GetLastError();
        return {};
    }
    out.CloseWrite(); // the child holds the only writer now
    std::string text = ReadToEnd(out.read);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return {text, code};
}

} // namespace

TEST(KernelPipe, PeekLooksWithoutTakingAndReadTakes) {
    Pipe pipe;
    DWORD available = 99;
    ASSERT_TRUE(PeekNamedPipe(pipe.read, nullptr, 0, nullptr, &available, nullptr));
    EXPECT_EQ(available, 0u); // nothing waits, and the peek did not wait either

    ASSERT_TRUE(Put(pipe.write, "hello"));
    char buffer[8] = {};
    DWORD peeked = 0;
    ASSERT_TRUE(PeekNamedPipe(pipe.read, buffer, 3, &peeked, &available, nullptr));
    EXPECT_EQ(std::string(buffer, peeked), "hel");
    EXPECT_EQ(available, 5u);

    DWORD got = 0;
    ASSERT_TRUE(ReadFile(pipe.read, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "hello");
    EXPECT_EQ(GetFileType(pipe.read), static_cast<DWORD>(FILE_TYPE_PIPE));
}

TEST(KernelPipe, TheEndOfEveryWriterIsABrokenPipe) {
    Pipe pipe;
    ASSERT_TRUE(Put(pipe.write, "last"));
    pipe.CloseWrite();
    DWORD available = 0;
    ASSERT_TRUE(PeekNamedPipe(pipe.read, nullptr, 0, nullptr, &available, nullptr));
    EXPECT_EQ(available, 4u); // what was written before the end is still there
    EXPECT_EQ(ReadToEnd(pipe.read), "last");
    EXPECT_FALSE(PeekNamedPipe(pipe.read, nullptr, 0, nullptr, &available, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
}

TEST(KernelPipe, WritingToAPipeNobodyReadsFailsAndTheProcessLivesOn) {
    Pipe pipe;
    CloseHandle(pipe.read);
    pipe.read = nullptr;
    EXPECT_FALSE(Put(pipe.write, "lost"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DATA));
}

TEST(KernelProcess, TheCommandInterpreterIsTheShellUnderItsWindowsName) {
    SetEnvironmentVariableW(u"ComSpec", nullptr);
    EXPECT_EQ(Shell(), u"C:\\bin\\sh");
}

TEST(KernelProcess, AChildWritesIntoThePipeItWasGivenAndReportsItsExitCode) {
    struct Case {
        std::u16string script;
        std::string output;
        DWORD code;
    } cases[] = {
        {u"echo one two", "one two\n", 0},
        {u"echo '\\\"quoted words\\\"'; exit 3", "\"quoted words\"\n", 3},
        {u"echo to-error >&2", "to-error\n", 0},
        {u"kill -9 $$", "", 128 + 9},
    };
    for (const Case& c : cases) {
        auto [output, code] = RunScript(c.script);
        EXPECT_EQ(output, c.output) << std::string(c.script.begin(), c.script.end());
        EXPECT_EQ(code, c.code) << std::string(c.script.begin(), c.script.end());
    }
}

TEST(KernelProcess, InheritedStandardHandlesReachTheChildOnly) {
    Pipe in, out;
    HANDLE savedIn = GetStdHandle(STD_INPUT_HANDLE), savedOut = GetStdHandle(STD_OUTPUT_HANDLE);
    ASSERT_TRUE(SetStdHandle(STD_INPUT_HANDLE, in.read));
    ASSERT_TRUE(SetStdHandle(STD_OUTPUT_HANDLE, out.write));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::u16string shell = Shell();
    WCHAR empty[1] = {0};
    ASSERT_TRUE(CreateProcessW(shell.c_str(), empty, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &info));
    SetStdHandle(STD_INPUT_HANDLE, savedIn);
    SetStdHandle(STD_OUTPUT_HANDLE, savedOut);
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), savedOut);

    out.CloseWrite();
    ASSERT_TRUE(Put(in.write, "echo from-stdin\nexit 5\n"));
    EXPECT_EQ(ReadToEnd(out.read), "from-stdin\n");
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 5u);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

TEST(KernelProcess, AProgramThatCannotStartFailsWithTheReason) {
    struct Case {
        const char16_t* program;
        DWORD error;
    } cases[] = {
        {u"C:\\no\\such\\program", ERROR_FILE_NOT_FOUND},
        {u"C:\\tmp", ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        WCHAR empty[1] = {0};
        EXPECT_FALSE(CreateProcessW(c.program, empty, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                    &startup, &info));
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST(KernelProcess, TerminateEndsARunningChildWithTheGivenCode) {
    Pipe in;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.read;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    std::u16string shell = Shell();
    WCHAR empty[1] = {0};
    ASSERT_TRUE(CreateProcessW(shell.c_str(), empty, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &info));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE)); // it waits for input that never comes
    EXPECT_TRUE(TerminateProcess(info.hProcess, 42));
    EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 42u);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}
