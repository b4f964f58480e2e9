// shell-list run as a program on real folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string out, err;
};

// Runs shell-list on a folder; as root, as the user nobody, so that
// permissions bind.
ToolRun ShellList(const std::string& folder, const std::string& home) {
    std::string out = home + "/out.txt", err = home + "/err.txt";
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
        setenv("WINLAYER_HOME", (home + "/layer").c_str(), 1);
        unsetenv("DISPLAY");
        if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(98);
        execl(SHELL_LIST, SHELL_LIST, folder.c_str(), static_cast<char*>(nullptr));
        _exit(97);
    }
    ToolRun run;
    waitpid(child, &run.status, 0);
    auto read = [](const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    run.out = read(out);
    run.err = read(err);
    return run;
}

class ShellListTool : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/shell-list-test-XXXXXX";
        home = mkdtemp(pattern);
        chmod(home.c_str(), 0777); // the user nobody writes its output here
        fs::create_directories(home + "/layer");
        chmod((home + "/layer").c_str(), 0777);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(home + "/closed", fs::perms::owner_all, ignored);
        fs::remove_all(home, ignored);
    }
    std::string home;
};

TEST_F(ShellListTool, AnUnreadableFolderIsAnErrorNotAnEmptyList) {
    fs::create_directories(home + "/closed");
    std::ofstream(home + "/closed/secret.txt") << "x";
    chmod((home + "/closed").c_str(), 0700);
    ToolRun run = ShellList(home + "/closed", home);
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_NE(WEXITSTATUS(run.status), 0);
    EXPECT_EQ(run.out.find("0 items"), std::string::npos);
    EXPECT_NE(run.err.find("cannot list"), std::string::npos) << run.err;
}

TEST_F(ShellListTool, ControlCharactersInNamesAreShownEscaped) {
    fs::create_directories(home + "/open");
    chmod((home + "/open").c_str(), 0755);
    std::ofstream(home + "/open/bell\x07" "and\x1b[2Jclear.txt") << "x";
    ToolRun run = ShellList(home + "/open", home);
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.err;
    EXPECT_NE(run.out.find("bell\\x07and\\x1B[2Jclear.txt"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.out.find('\x07'), std::string::npos);
}

} // namespace
