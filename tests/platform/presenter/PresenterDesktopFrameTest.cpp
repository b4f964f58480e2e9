// Under a window manager a window shows one frame, the desktop's: the X
// window shows the client area, and what the user does to the frame comes
// back as the layer's messages. Without one the layer keeps its own frame.
#include "PresenterTestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
        const int spawned = posix_spawnp(&wm, "openbox", nullptr, &attr, const_cast<char**>(argv), environ);
        posix_spawnattr_destroy(&attr);
        if (spawned != 0) return false;
        const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
        XSelectInput(x, DefaultRootWindow(x), PropertyChangeMask | SubstructureNotifyMask);
        while (!HasProperty(DefaultRootWindow(x), check)) {
            XEvent e;
            XIfEvent(x, &e, [](::Display*, XEvent* ev, XPointer) { return ev->type == PropertyNotify ? True : False; },
                     nullptr);
        }
        return true;
    }
    bool HasProperty(::Window w, Atom name) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(x, w, name, 0, 1, False, AnyPropertyType, &type, &format, &count, &after, &data);
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
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    EXPECT_EQ(hints.x, origin.x) << "asked for where the client area is";
    EXPECT_EQ(hints.y, origin.y);
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
