// The workbench host as a user starts it: it loads libbenchkit.so, shows each
// page and saves it as a picture, with no display (the layer stays headless).
#include "../../platform/presenter/XServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct ProgramRun {
    int status;
    std::string output;
};

ProgramRun RunWorkbench(const std::string& arguments, const std::string& home,
                        const std::string& display = std::string()) {
    // The leak checker of sanitizer builds ignores what system libraries keep
    // for the life of the process, as it does in the test programs.
    const std::string suppressions = LSAN_SUPPRESSIONS;
    const std::string screen = display.empty() ? "-u DISPLAY" : "DISPLAY=" + display;
    const std::string command = "env " + screen + " WINLAYER_HOME=" + home +
                                " LSAN_OPTIONS=suppressions=" + suppressions + " " WORKBENCH " " +
                                arguments + " 2>&1";
    ProgramRun run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

bool IsPng(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    return in && std::string(signature, 8) == "\x89PNG\r\n\x1a\n";
}

class Workbench : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/workbench-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::system(("rm -rf " + folder).c_str()); }
    std::string folder;
};

TEST_F(Workbench, SavesAPictureOfEveryPage) {
    const ProgramRun list = RunWorkbench("--list", folder);
    ASSERT_EQ(list.status, 0) << list.output;
    const std::vector<std::string> pages = Lines(list.output);
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages.front(), "tree");

    const ProgramRun snapshot = RunWorkbench("--snapshot " + folder + "/shots", folder);
    ASSERT_EQ(snapshot.status, 0) << snapshot.output;
    for (const std::string& page : pages)
        EXPECT_TRUE(IsPng(folder + "/shots/" + page + ".png")) << page << "\n" << snapshot.output;
}

TEST_F(Workbench, RefusesAnUnknownPage) {
    const ProgramRun run = RunWorkbench("--page no-such-page", folder);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("no page named no-such-page"), std::string::npos) << run.output;
}

// On a real X server the tree page is shown as a window, and a click on the
// header's second caption sorts the million rows by that column.
TEST_F(Workbench, AHeaderClickSortsTheTreeOnADisplay) {
    if (!XServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
    XServer server;
    ASSERT_TRUE(server.Start());
    const ProgramRun run = RunWorkbench("--snapshot " + folder + "/shots", folder, server.Name());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("tree: 1000000 rows, sorted by column 1, first row: amber 0"),
              std::string::npos)
        << run.output;
    EXPECT_TRUE(IsPng(folder + "/shots/tree.png"));
}

} // namespace
