// The workbench's tree page in a user's hands: the program runs on a private
// X server and gets its mouse and keys from the X server's test extension, as
// from a person. The page logs what happened ("tree: ..." lines) and where it
// lies on the screen; the tests read that log and look at the X windows.
//
// With WORKBENCH_SHOTS=<folder> set, each test leaves a picture of the screen
// there (PPM) at the end, to look at.
#include "../../platform/presenter/XServer.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Xlib's macros (None, Bool, Status) must come after every other header.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class TreePageOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!XServer::Installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps)";
        ASSERT_TRUE(server.Start()) << "Xvfb did not start";
        x = XOpenDisplay(server.Name().c_str());
        ASSERT_NE(x, nullptr);
        int event, error, major, minor;
        ASSERT_TRUE(XTestQueryExtension(x, &event, &error, &major, &minor)) << "no XTEST";
        // Windows mapped by the program wake WaitForPopupAt.
        XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
        char pattern[] = "/tmp/treepage-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home = pattern;
        StartWorkbench();
        const std::string geometry = WaitFor("tree: geometry ");
        ASSERT_FALSE(geometry.empty()) << log;
        std::istringstream in(geometry.substr(geometry.find("geometry ") + 9));
        in >> originX >> originY >> rowHeight >> headerHeight;
        for (int left; in >> left;)
            columnLeft.push_back(left);
        ASSERT_EQ(columnLeft.size(), 4u) << geometry;
        // The first paint may come before the X server shows the window.
        XWindowAttributes window;
        ASSERT_TRUE(WaitForWindowAt(Cell(0, 0), true, window)) << log;
    }

    void TearDown() override {
        if (const char* shots = std::getenv("WORKBENCH_SHOTS"); shots && x) SaveScreen(shots);
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
        if (x) XCloseDisplay(x);
        if (!home.empty()) std::system(("rm -rf " + home).c_str());
    }

    void StartWorkbench() {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const std::string suppressions = LSAN_SUPPRESSIONS;
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            dup2(pipeEnds[1], 1);
            dup2(pipeEnds[1], 2);
            close(pipeEnds[0]);
            setenv("DISPLAY", server.Name().c_str(), 1);
            setenv("WINLAYER_HOME", home.c_str(), 1);
            setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
            execl(WORKBENCH, WORKBENCH, "--page", "tree", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        out = pipeEnds[0];
    }

    // The next log line (after those already read) that contains `what`, or
    // empty when none comes within the time limit. The program's own pace
    // sets the wait, not a sleep.
    std::string WaitFor(const std::string& what, int seconds = 30) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        for (;;) {
            size_t end;
            while ((end = log.find('\n', consumed)) != std::string::npos) {
                std::string line = log.substr(consumed, end - consumed);
                consumed = end + 1;
                if (line.find(what) != std::string::npos) return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return {};
            pollfd p{out, POLLIN, 0};
            if (poll(&p, 1, int(left.count())) <= 0) return {};
            char buffer[4096];
            const ssize_t n = read(out, buffer, sizeof buffer);
            if (n <= 0) return {};
            log.append(buffer, size_t(n));
        }
    }

    // Screen point in row `row` (counted from the top of the client area) of `column`.
    XPoint Cell(int row, int column, int intoColumn = 40) const {
        return XPoint{short(originX + columnLeft[column] + intoColumn),
                      short(originY + row * rowHeight + rowHeight / 2)};
    }

    void MoveTo(XPoint p) {
        XTestFakeMotionEvent(x, 0, p.x, p.y, CurrentTime);
        XSync(x, False);
    }
    void Click(XPoint p, int clicks = 1, bool shift = false) {
        MoveTo(p);
        const KeyCode shiftCode = XKeysymToKeycode(x, XK_Shift_L);
        if (shift) XTestFakeKeyEvent(x, shiftCode, True, CurrentTime);
        for (int i = 0; i < clicks; ++i) {
            XTestFakeButtonEvent(x, 1, True, CurrentTime);
            XTestFakeButtonEvent(x, 1, False, CurrentTime);
        }
        if (shift) XTestFakeKeyEvent(x, shiftCode, False, CurrentTime);
        XSync(x, False);
    }
    void Key(KeySym keysym, bool shift = false) {
        const KeyCode shiftCode = XKeysymToKeycode(x, XK_Shift_L);
        const KeyCode code = XKeysymToKeycode(x, keysym);
        ASSERT_NE(code, 0) << "no key gives " << keysym;
        if (shift) XTestFakeKeyEvent(x, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(x, code, True, CurrentTime);
        XTestFakeKeyEvent(x, code, False, CurrentTime);
        if (shift) XTestFakeKeyEvent(x, shiftCode, False, CurrentTime);
        XSync(x, False);
    }
    // ASCII letters, digits and spaces as key strokes.
    void Type(const std::string& text) {
        for (char c : text) {
            if (c == ' ')
                Key(XK_space);
            else if (c >= 'A' && c <= 'Z')
                Key(KeySym(c - 'A' + 'a'), true);
            else
                Key(KeySym(c));
        }
    }

    // Waits (on the X server's events, not on a clock) until a pop-up
    // covers `p`; the program maps it in its own time.
    bool WaitForWindowAt(XPoint p, bool main, XWindowAttributes& found, int seconds = 10) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        for (;;) {
            if (WindowAt(p, main, found)) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            XFlush(x);
            while (XPending(x)) {
                XEvent e;
                XNextEvent(x, &e);
            }
            pollfd fd{ConnectionNumber(x), POLLIN, 0};
            poll(&fd, 1, int(left.count()));
        }
    }

    // A mapped top-level X window that contains `p`: the workbench's main
    // window or (main false) a pop-up over it.
    bool WindowAt(XPoint p, bool main, XWindowAttributes& found) {
        ::Window root = DefaultRootWindow(x), parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(x, root, &root, &parent, &children, &count);
        bool seen = false;
        for (unsigned i = 0; i < count && !seen; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(x, children[i], &a) || a.map_state != IsViewable) continue;
            const bool covers = p.x >= a.x && p.x < a.x + a.width && p.y >= a.y &&
                                p.y < a.y + a.height;
            const bool isMain = a.width > 600; // the workbench's window
            if (covers && isMain == main) {
                found = a;
                seen = true;
            }
        }
        if (children) XFree(children);
        return seen;
    }

    void SaveScreen(const std::string& folder) {
        const ::Window root = DefaultRootWindow(x);
        XWindowAttributes a;
        XGetWindowAttributes(x, root, &a);
        XImage* image = XGetImage(x, root, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        if (!image) return;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::ofstream ppm(folder + "/" + info->name() + ".ppm", std::ios::binary);
        ppm << "P6\n" << a.width << " " << a.height << "\n255\n";
        for (int yy = 0; yy < a.height; ++yy)
            for (int xx = 0; xx < a.width; ++xx) {
                const unsigned long pixel = XGetPixel(image, xx, yy);
                const char rgb[3] = {char(pixel >> 16), char(pixel >> 8), char(pixel)};
                ppm.write(rgb, 3);
            }
        XDestroyImage(image);
    }

    XServer server;
    ::Display* x = nullptr;
    std::string home;
    pid_t pid = -1;
    int out = -1;
    std::string log;
    size_t consumed = 0;
    int originX = 0, originY = 0, rowHeight = 0, headerHeight = 0;
    std::vector<int> columnLeft;
};

TEST_F(TreePageOnX, ClickShiftClickExpandAndTick) {
    Click(Cell(1, 1));
    EXPECT_NE(WaitFor("tree: selected 1"), "") << log;
    EXPECT_NE(WaitFor("tree: focus Item 0000001"), "") << log;
    Click(Cell(4, 1), 1, true);
    EXPECT_NE(WaitFor("tree: selected 4"), "") << log;
    Click(Cell(0, 1), 2); // row 0 has children
    EXPECT_NE(WaitFor("tree: expanded Item 0000000"), "") << log;
    // The check box sits after the root's indent and the margin; rows 1-3
    // are row 0's details now, row 5 the third top-level row.
    Click(XPoint{short(originX + 18 + 4 + 7), short(originY + 5 * rowHeight + rowHeight / 2)});
    EXPECT_NE(WaitFor("tree: checked Item 0000002"), "") << log;
}

TEST_F(TreePageOnX, F2RenamesInPlace) {
    Click(Cell(1, 1));
    ASSERT_NE(WaitFor("tree: focus Item 0000001"), "") << log;
    Key(XK_F2);
    EXPECT_NE(WaitFor("tree: editing Item 0000001"), "") << log;
    Type("Renamed");
    Key(XK_Return);
    EXPECT_NE(WaitFor("tree: renamed to Renamed"), "") << log;
    Key(XK_Down);
    EXPECT_NE(WaitFor("tree: focus Item 0000002"), "") << log;
}

// Typed letters search the focused column from the row after the focus; the
// search is case-sensitive, so the capital has to come through Shift. (A
// space would tick the focused row's box instead.)
TEST_F(TreePageOnX, TypingSearches) {
    Click(Cell(0, 0, 120));
    ASSERT_NE(WaitFor("tree: focus Item 0000000"), "") << log;
    Type("Item");
    EXPECT_NE(WaitFor("tree: focus Item 0000001"), "") << log;
    Key(XK_Down);
    EXPECT_NE(WaitFor("tree: focus Item 0000002"), "") << log;
}

TEST_F(TreePageOnX, RestingOnACutCellShowsItsFullTextOverIt) {
    // The Japanese column is too narrow for its text.
    const XPoint cell = Cell(0, 2, 20);
    MoveTo(XPoint{short(cell.x - 30), cell.y});
    MoveTo(cell);
    EXPECT_NE(WaitFor("tree: hint in column 2 over Item 0000000"), "") << log;
    XWindowAttributes hint{};
    ASSERT_TRUE(WaitForWindowAt(cell, false, hint)) << log;
    EXPECT_GT(hint.width, 64); // wider than the column: the whole text
    EXPECT_LE(hint.y, cell.y);
}

} // namespace
