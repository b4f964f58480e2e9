// The command-line pipe against the real command interpreter.
#include "benchkit/shell/IDEVirtualCommandLine.h"

#include <win32/processapi.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

// Polls the pipe from the message loop, as a window's idle handler would,
// until the collected text satisfies `done`.
template <class Done> UnicodeString Collect(TCommandLinePipe& pipe, Done done) {
    UnicodeString text;
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done(text)) {
        text += pipe.ReadResult();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        SwitchToThread();
        if (std::chrono::steady_clock::now() > limit) {
            ADD_FAILURE() << "output never came; so far: " << UnicodeToUtf8(text);
            break;
        }
    }
    return text;
}

auto EndsWith(const UnicodeString& tail) {
    return [tail](const UnicodeString& text) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    };
}

struct Failure {
    TCommandLinePipeStep step;
    DWORD error;
};

class CommandLinePipeTest : public testing::Test {
protected:
    CommandLinePipeTest() {
        pipe_.OnError = [this](TObject*, TCommandLinePipeStep step, DWORD error) {
            failures_.push_back({step, error});
        };
    }
    TCommandLinePipe pipe_{nullptr};
    std::vector<Failure> failures_;
};

} // namespace

TEST_F(CommandLinePipeTest, AnswersNothingBeforeTheInterpreterSpeaksThenItsOutput) {
    pipe_.Initialize();
    ASSERT_TRUE(pipe_.GetStarted());
    EXPECT_EQ(pipe_.ReadResult(), u"");
    struct Case {
        UnicodeString command, output;
    } cases[] = {
        {u"echo hello\n", u"hello\n"},
        {u"false; echo status $?\n", u"status 1\n"},    // a command that fails
        {u"no-such-command-here 2>/dev/null; echo status $?\n", u"status 127\n"},
        {u"echo 日本語のテキスト\n", u"日本語のテキスト\n"},
    };
    for (const Case& c : cases) {
        pipe_.DOSCommand(c.command);
        EXPECT_EQ(Collect(pipe_, EndsWith(u"\n")), c.output) << UnicodeToUtf8(c.command);
    }
    EXPECT_TRUE(failures_.empty());
}

TEST_F(CommandLinePipeTest, OutputLargerThanThePipeHoldsArrivesWhole) {
    pipe_.Initialize();
    // The interpreter blocks on the full pipe until the polls make room.
    pipe_.DOSCommand(u"yes 0123456789 | head -c 300000; echo; echo end-of-output\n");
    UnicodeString text = Collect(pipe_, EndsWith(u"end-of-output\n"));
    EXPECT_EQ(text.size(), 300000u + 1 + 14);
    EXPECT_EQ(text.substr(0, 22), u"0123456789\n0123456789\n");
}

TEST_F(CommandLinePipeTest, ACharacterSplitAcrossReadsIsKeptBackUntilWhole) {
    pipe_.Initialize();
    pipe_.DOSCommand(u"printf 'a\\343\\201'\n"); // "a" and two of the three bytes of "あ"
    EXPECT_EQ(Collect(pipe_, EndsWith(u"a")), u"a");
    pipe_.DOSCommand(u"printf '\\202\\n'\n");
    EXPECT_EQ(Collect(pipe_, EndsWith(u"\n")), u"あ\n");
}

TEST_F(CommandLinePipeTest, DestroyingThePipeEndsTheInterpreter) {
    auto* pipe = new TCommandLinePipe(nullptr);
    pipe->Initialize();
    HANDLE process = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), pipe->GetProcessHandle(), GetCurrentProcess(),
                                &process, 0, FALSE, DUPLICATE_SAME_ACCESS));
    delete pipe;
    EXPECT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
    CloseHandle(process);
}

TEST_F(CommandLinePipeTest, AnInterpreterThatCannotStartIsReportedAndNothingIsWritten) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE), input = GetStdHandle(STD_INPUT_HANDLE);
    SetEnvironmentVariableW(u"ComSpec", u"C:\\no\\such\\interpreter");
    pipe_.Initialize();
    SetEnvironmentVariableW(u"ComSpec", nullptr);
    EXPECT_FALSE(pipe_.GetStarted());
    ASSERT_EQ(failures_.size(), 1u);
    EXPECT_EQ(failures_[0].step, cpsStartInterpreter);
    EXPECT_EQ(failures_[0].error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // More than any pipe holds: this would block forever if it were written.
    pipe_.DOSCommand(UnicodeString(1 << 20, u'x'));
    ASSERT_EQ(failures_.size(), 2u);
    EXPECT_EQ(failures_[1].step, cpsWrite);
    EXPECT_EQ(pipe_.ReadResult(), u"");
    // The process's own standard handles are back as they were.
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), output);
    EXPECT_EQ(GetStdHandle(STD_INPUT_HANDLE), input);
}
