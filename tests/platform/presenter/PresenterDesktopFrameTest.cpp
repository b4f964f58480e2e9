// Under a window manager a window shows one frame, the desktop's: the X
// window shows the client area, and what the user does to the frame comes
// back as the layer's messages. Without one the layer keeps its own frame.
#include "PresenterTestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

class DesktopFrame : public PresenterTest {
protected:
    void TearDown() override {
        PresenterTest::TearDown(); // the X server goes, and the window manager with it
        if (wm > 0) {
            kill(wm, SIGTERM);
            waitpid(wm, nullptr, 0);
        }
    }

    // Starts openbox on the test's server and waits until it manages the screen.
    bool StartWindowManager() {
        const char* argv[] = {"openbox", "--sm-disable", nullptr};
        // Its own session, with default signal handling: nothing of the test's reaches it.
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &all);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                            POSIX_SPAWN_SETSID);
        const int spawned =
            posix_spawnp(&wm, "openbox", nullptr, &attr, const_cast<char**>(argv), environ);
        posix_spawnattr_destroy(&attr);
        if (spawned != 0) return false;
        // It announces itself early, and lists the windows it manages once it
        // has taken over the screen: a window mapped before that may be missed.
        const Atom list = XInternAtom(x, "_NET_CLIENT_LIST", False);
        XSelectInput(x, DefaultRootWindow(x), PropertyChangeMask | SubstructureNotifyMask);
        return WaitForX([&] { return HasProperty(DefaultRootWindow(x), list); },
                        "the window manager to manage the screen", false);
    }
    // Waits until `done` holds, looking again after each event the test's
    // connection receives and after each round trip of the presenter; fails
    // the test after a deadline instead of hanging on the window manager.
    // The deadline is generous: on a loaded machine the window manager (a
    // separate process) can take many seconds to get round to a new window.
    bool WaitForX(const std::function<bool()>& done, const char* what, bool settle = true) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            XSync(x, False);
            while (XPending(x)) {
                XEvent e;
                XNextEvent(x, &e);
            }
            if (settle) Settle();
            if (done()) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                ADD_FAILURE() << "timed out waiting for " << what;
                return false;
            }
            // What the window manager sends the program, the test cannot
            // see: it looks again at least every tenth of a second.
            pollfd p{ConnectionNumber(x), POLLIN, 0};
            poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
        }
    }
    // Asks the window manager, as a pager or a user's hand would, through a
    // client message to the root window.
    void AskWindowManager(::Window xid, const char* message, std::vector<long> data) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = xid;
        e.xclient.message_type = XInternAtom(x, message, False);
        e.xclient.format = 32;
        for (size_t i = 0; i < data.size() && i < 5; ++i)
            e.xclient.data.l[i] = data[i];
        XSendEvent(x, DefaultRootWindow(x), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(x);
    }
    std::vector<Atom> AtomList(::Window w, const char* name) {
        std::vector<Atom> out;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(x, w, XInternAtom(x, name, False), 0, 64, False, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        if (data && format == 32)
            out.assign(reinterpret_cast<unsigned long*>(data),
                       reinterpret_cast<unsigned long*>(data) + count);
        if (data) XFree(data);
        return out;
    }
    bool InState(::Window w, const char* state) {
        const auto list = AtomList(w, "_NET_WM_STATE");
        return std::find(list.begin(), list.end(), XInternAtom(x, state, False)) != list.end();
    }
    // The kind and size of the last WM_SIZE.
    std::tuple<WPARAM, int, int> LastSize(HWND hwnd) {
        const auto sizes = Messages(hwnd, WM_SIZE);
        if (sizes.empty()) return {~WPARAM{0}, 0, 0};
        return {sizes.back().wParam, LOWORD(sizes.back().lParam), HIWORD(sizes.back().lParam)};
    }
    bool HasProperty(::Window w, Atom name) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(x, w, name, 0, 1, False, AnyPropertyType, &type, &format, &count, &after,
                           &data);
        if (data) XFree(data);
        return type != 0;
    }
    XWindowAttributes Attributes(::Window xid) {
        XWindowAttributes a{};
        XGetWindowAttributes(x, xid, &a);
        return a;
    }
    pid_t wm = -1;
};

} // namespace

TEST_F(DesktopFrame, UnderAWindowManagerXShowsTheClientAreaOnly) {
    // Before a window manager runs, the layer draws the whole window itself.
    HWND bare = MakeWindow(u"Bare", 10, 10, 200, 150);
    ASSERT_NE(XOf(bare), 0u);
    EXPECT_EQ(Attributes(XOf(bare)).width, 200) << "the layer's own frame shows";
    DestroyWindow(bare);
    Settle();

    ASSERT_TRUE(StartWindowManager()) << "openbox did not start (scripts/install-deps)";
    HWND hwnd = MakeWindow(u"Framed", 100, 100, 300, 200);
    const ::Window xid = XOf(hwnd);
    ASSERT_NE(xid, 0u);
    RECT client{};
    GetClientRect(hwnd, &client);
    XWindowAttributes a = Attributes(xid);
    EXPECT_EQ(a.width, client.right) << "X shows the client area only: the frame is the desktop's";
    EXPECT_EQ(a.height, client.bottom);
    EXPECT_EQ(XProperty(xid, "_NET_WM_NAME"), "Framed");
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(x, xid, &hints, &supplied);
    // Where the client area was when the window was made: the window manager
    // may place the frame a little apart, and the window then follows it.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    EXPECT_EQ(hints.x, 100 - frame.left) << "asked for where the client area is";
    EXPECT_EQ(hints.y, 100 - frame.top);
}

TEST_F(DesktopFrame, FixedDialogFramesCannotBeResized) {
    ASSERT_TRUE(StartWindowManager()) << "openbox did not start (scripts/install-deps)";
    HWND dialog = MakeWindow(u"Dialog", 50, 50, 240, 160, WS_POPUP | WS_CAPTION | WS_SYSMENU);
    const ::Window xid = XOf(dialog);
    ASSERT_NE(xid, 0u);
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(x, xid, &hints, &supplied));
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, hints.max_width);
    EXPECT_EQ(hints.min_height, hints.max_height);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(hints.max_width, client.right) << "the fixed size is the client area's";
    HWND sizable = MakeWindow(u"Sizable", 50, 50, 240, 160);
    hints = {};
    XGetWMNormalHints(x, XOf(sizable), &hints, &supplied);
    EXPECT_FALSE(hints.flags & PMaxSize);
}

TEST_F(DesktopFrame, WhatTheWindowManagerDoesToTheFrameReachesTheProgram) {
    ASSERT_TRUE(StartWindowManager()) << "openbox did not start (scripts/install-deps)";
    HWND hwnd = MakeWindow(u"Managed", 100, 100, 300, 200);
    const ::Window xid = XOf(hwnd);
    ASSERT_NE(xid, 0u);
    XSelectInput(x, xid, PropertyChangeMask | StructureNotifyMask);
    const Atom extents = XInternAtom(x, "_NET_FRAME_EXTENTS", False);
    ASSERT_TRUE(WaitForX([&] { return HasProperty(xid, extents); }, "the frame"));

    // Moved and sized by the window manager (static gravity: the client area's own place).
    log.clear();
    AskWindowManager(xid, "_NET_MOVERESIZE_WINDOW", {10 | (0xF << 8), 220, 180, 360, 240});
    ASSERT_TRUE(WaitForX(
        [&] {
            RECT client{};
            GetClientRect(hwnd, &client);
            return client.right == 360 && client.bottom == 240;
        },
        "the new size"));
    EXPECT_FALSE(Messages(hwnd, WM_WINDOWPOSCHANGED).empty());
    EXPECT_EQ(LastSize(hwnd), std::make_tuple(WPARAM{SIZE_RESTORED}, 360, 240));
    ASSERT_FALSE(Messages(hwnd, WM_MOVE).empty());
    EXPECT_EQ(static_cast<short>(LOWORD(Messages(hwnd, WM_MOVE).back().lParam)), 220);
    EXPECT_EQ(static_cast<short>(HIWORD(Messages(hwnd, WM_MOVE).back().lParam)), 180);

    // Minimised and restored.
    XIconifyWindow(x, xid, DefaultScreen(x));
    ASSERT_TRUE(WaitForX([&] { return IsIconic(hwnd) != FALSE; }, "the window to be minimised"));
    EXPECT_EQ(std::get<0>(LastSize(hwnd)), WPARAM{SIZE_MINIMIZED});
    AskWindowManager(xid, "_NET_ACTIVE_WINDOW", {2, CurrentTime, 0});
    ASSERT_TRUE(WaitForX([&] { return !IsIconic(hwnd); }, "the window to be restored"));
    EXPECT_EQ(std::get<0>(LastSize(hwnd)), WPARAM{SIZE_RESTORED});

    // Maximised: the state and the size come as one WM_SIZE of that kind at last.
    constexpr long kAdd = 1, kRemove = 0, kPager = 2;
    const long vert = static_cast<long>(XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    const long horz = static_cast<long>(XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    AskWindowManager(xid, "_NET_WM_STATE", {kAdd, vert, horz, kPager});
    ASSERT_TRUE(WaitForX(
        [&] {
            RECT client{};
            GetClientRect(hwnd, &client);
            return IsZoomed(hwnd) && client.right > 360;
        },
        "the window to be maximised"));
    XWindowAttributes a{};
    XGetWindowAttributes(x, xid, &a);
    EXPECT_EQ(LastSize(hwnd), std::make_tuple(WPARAM{SIZE_MAXIMIZED}, a.width, a.height));
    AskWindowManager(xid, "_NET_WM_STATE", {kRemove, vert, horz, kPager});
    ASSERT_TRUE(WaitForX(
        [&] {
            RECT client{};
            GetClientRect(hwnd, &client);
            return !IsZoomed(hwnd) && client.right == 360;
        },
        "the window to be restored from maximised"));
    EXPECT_EQ(std::get<0>(LastSize(hwnd)), WPARAM{SIZE_RESTORED});

    // The program minimises, maximises and restores its own window: the frame follows.
    auto iconic = [&] {
        const auto state = AtomList(xid, "WM_STATE");
        return !state.empty() && state[0] == IconicState;
    };
    ShowWindow(hwnd, SW_MINIMIZE);
    ASSERT_TRUE(WaitForX(iconic, "the frame to be minimised"));
    ShowWindow(hwnd, SW_RESTORE);
    ASSERT_TRUE(WaitForX([&] { return !iconic(); }, "the frame to be restored"));
    ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    ASSERT_TRUE(WaitForX(
        [&] {
            return InState(xid, "_NET_WM_STATE_MAXIMIZED_VERT") &&
                   InState(xid, "_NET_WM_STATE_MAXIMIZED_HORZ");
        },
        "the frame to be maximised"));
    ShowWindow(hwnd, SW_RESTORE);
    ASSERT_TRUE(WaitForX(
        [&] {
            RECT client{};
            GetClientRect(hwnd, &client);
            return !InState(xid, "_NET_WM_STATE_MAXIMIZED_VERT") && client.right == 360;
        },
        "the frame to be restored from maximised"));
    EXPECT_FALSE(IsZoomed(hwnd));

    // The frame's close button: the window manager asks the program, which hears WM_CLOSE.
    AskWindowManager(xid, "_NET_CLOSE_WINDOW", {CurrentTime, kPager});
    ASSERT_TRUE(WaitForX([&] { return !Messages(hwnd, WM_CLOSE).empty(); }, "WM_CLOSE"));
    EXPECT_EQ(Messages(hwnd, WM_CLOSE).size(), 1u);
}
