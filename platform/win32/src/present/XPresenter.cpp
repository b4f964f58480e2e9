// The presenter thread's X windows and pixels: creating, mapping, moving,
// titling and destroying the X windows of the layer's top-level windows,
// sending the changed rectangles of their shadow images, and the main loop.
#include "XPresenter.h"

#include <win32/winbase.h>
#include <win32/winnls.h>
#include <win32/winuser.h>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>

#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace win32::present {

namespace {

int IgnoreXError(::Display*, XErrorEvent* error) {
    // Windows come and go on both sides; a request on one that just went is harmless.
    char text[128] = {};
    XGetErrorText(error->display, error->error_code, text, sizeof text - 1);
    if (std::getenv("WINLAYER_XDEBUG")) std::fprintf(stderr, "winlayer: X error: %s\n", text);
    return 0;
}

std::string Utf8(const std::u16string& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWCH>(text.data()),
                                      static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWCH>(text.data()),
                        static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool IsUtf8Locale(const char* name) {
    if (!name) return false;
    std::string s(name);
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s.find("utf-8") != std::string::npos || s.find("utf8") != std::string::npos;
}

RECT AtLeastOne(RECT r) {
    r.right = std::max(r.right, r.left + 1);
    r.bottom = std::max(r.bottom, r.top + 1);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Pop-ups without a caption (menus, drop-downs, tool tips) place themselves;
// the window manager must neither frame nor move them.
bool PlacesItself(DWORD style) {
    return (style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION;
}

} // namespace

void* OpenXDisplay() {
    return XOpenDisplay(nullptr);
}

void CloseXDisplay(void* display) {
    if (display) XCloseDisplay(static_cast<::Display*>(display));
}

void RunPresenter(void* display) {
    pthread_setname_np(pthread_self(), "x11-presenter");
    {
        XPresenter presenter(static_cast<::Display*>(display));
        presenter.Run();
    }
    std::shared_ptr<Waiter> stopper;
    {
        std::lock_guard<std::mutex> guard(P().lock);
        stopper = P().stopper;
    }
    if (stopper) Release(*stopper);
}

XPresenter::XPresenter(::Display* display) : d_(display) {
    XSetErrorHandler(IgnoreXError);
    screen_ = DefaultScreen(d_);
    root_ = RootWindow(d_, screen_);
    visual_ = DefaultVisual(d_, screen_);
    depth_ = DefaultDepth(d_, screen_);
    gc_ = XCreateGC(d_, root_, 0, nullptr);
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(d_, &count);
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth_ && formats[i].bits_per_pixel == 32)
            directPixels_ = visual_->c_class == TrueColor && visual_->red_mask == 0xFF0000 &&
                            visual_->green_mask == 0xFF00 && visual_->blue_mask == 0xFF;
    if (formats) XFree(formats);
    wmProtocols_ = XInternAtom(d_, "WM_PROTOCOLS", False);
    wmDelete_ = XInternAtom(d_, "WM_DELETE_WINDOW", False);
    netWmName_ = XInternAtom(d_, "_NET_WM_NAME", False);
    utf8String_ = XInternAtom(d_, "UTF8_STRING", False);
    netWmPid_ = XInternAtom(d_, "_NET_WM_PID", False);
    netWmPing_ = XInternAtom(d_, "_NET_WM_PING", False);
    netWmCheck_ = XInternAtom(d_, "_NET_SUPPORTING_WM_CHECK", False);
    wmState_ = XInternAtom(d_, "WM_STATE", False);
    netWmState_ = XInternAtom(d_, "_NET_WM_STATE", False);
    netWmHidden_ = XInternAtom(d_, "_NET_WM_STATE_HIDDEN", False);
    netWmMaxVert_ = XInternAtom(d_, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    netWmMaxHorz_ = XInternAtom(d_, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    // Held keys repeat as presses only, as they do on Windows.
    XkbSetDetectableAutoRepeat(d_, True, nullptr);
    OpenInputMethod();
    clipboard_ = std::make_unique<XClipboard>(d_, root_);
    dnd_ = std::make_unique<XDragDrop>(d_, root_, *clipboard_,
                                       [this](::Window xid, HWND& hwnd, POINT& origin) {
                                           return Target(xid, hwnd, origin);
                                       });

    if (const char* path = std::getenv("WINLAYER_SNAPSHOT"); path && *path) snapshotPath_ = path;
    if (const char* delay = std::getenv("WINLAYER_SNAPSHOT_DELAY_MS"); delay && *delay)
        snapshotDelayMs_ = std::max(0, std::atoi(delay));
    if (const char* close = std::getenv("WINLAYER_SNAPSHOT_CLOSE"); close && *close == '1')
        snapshotClose_ = true;
}

// Input methods (Japanese input among them) need a UTF-8 character-type
// locale while the method is opened; the program's own locale is put back
// at once. The method keeps the locale it was opened in.
void XPresenter::OpenInputMethod() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current ? current : "C";
    bool ready = IsUtf8Locale(saved.c_str());
    if (!ready) ready = IsUtf8Locale(std::setlocale(LC_CTYPE, ""));
    if (!ready) ready = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    if (ready && XSupportsLocale()) {
        XSetLocaleModifiers("");
        im_ = XOpenIM(d_, nullptr, nullptr, nullptr);
        if (!im_) {
            XSetLocaleModifiers("@im=none");
            im_ = XOpenIM(d_, nullptr, nullptr, nullptr);
        }
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    if (!im_) return;
    XIMStyles* styles = nullptr;
    if (XGetIMValues(im_, XNQueryInputStyle, &styles, nullptr) || !styles) {
        XCloseIM(im_);
        im_ = nullptr;
        return;
    }
    // The method shows its own composition window; we take committed text.
    for (XIMStyle want : {XIMPreeditNothing | XIMStatusNothing, XIMPreeditNone | XIMStatusNone})
        for (unsigned i = 0; i < styles->count_styles && !imStyle_; ++i)
            if (styles->supported_styles[i] == want) imStyle_ = want;
    XFree(styles);
    if (!imStyle_) {
        XCloseIM(im_);
        im_ = nullptr;
    }
}

bool XPresenter::WindowManagerRuns() {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(d_, root_, netWmCheck_, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &after, &data) == Success &&
                       data && count == 1;
    if (data) XFree(data);
    return found;
}

XPresenter::~XPresenter() {
    dnd_.reset();
    clipboard_.reset();
    std::lock_guard<std::mutex> guard(P().lock);
    for (auto& [hwnd, pr] : P().windows)
        DestroyX(pr);
    if (im_) XCloseIM(im_);
    for (auto& [shape, cursor] : fontCursors_)
        XFreeCursor(d_, cursor);
    XFreeGC(d_, gc_);
    XSync(d_, False);
}

void XPresenter::Run() {
    PresenterState& p = P();
    const int xfd = ConnectionNumber(d_);
    for (;;) {
        uint64_t count;
        while (read(p.wakeFd, &count, sizeof count) > 0) {
        }
        std::vector<std::shared_ptr<Waiter>> syncs;
        {
            std::lock_guard<std::mutex> guard(p.lock);
            if (p.stopping) return;
            Reconcile(p);
            syncs.swap(p.syncs);
        }
        HandlePending();
        clipboard_->Poll();
        dnd_->Poll();
        if (!syncs.empty()) {
            // The round trip brings every event the server sent before it.
            XSync(d_, False);
            HandlePending();
            std::lock_guard<std::mutex> guard(p.lock);
            Reconcile(p);
        }
        SnapshotIfDue();
        XFlush(d_);
        for (auto& waiter : syncs)
            Release(*waiter);
        if (XPending(d_)) continue;
        pollfd fds[2] = {{xfd, POLLIN, 0}, {p.wakeFd, POLLIN, 0}};
        int timeout = -1;
        for (int t : {PollTimeout(), clipboard_->PollTimeout(), dnd_->PollTimeout()})
            if (t >= 0) timeout = timeout < 0 ? t : std::min(timeout, t);
        poll(fds, 2, timeout);
    }
}

void XPresenter::Reconcile(PresenterState& p) {
    for (auto it = p.windows.begin(); it != p.windows.end();) {
        Presented& pr = it->second;
        if (pr.destroyed) {
            DestroyX(pr);
            it = p.windows.erase(it);
            continue;
        }
        ++it;
        if (!pr.xid) {
            if (!pr.visible) continue;
            CreateX(p, pr);
        }
        if (!pr.titled || pr.title != pr.xTitle) SetTitle(pr);
        const RECT want = AtLeastOne(ShownRect(pr));
        // A frame the program maximises or restores is sized by the window
        // manager (which keeps the size to restore); the window follows its answer.
        if (pr.mapped && pr.desktopFrame && ((pr.style & WS_MAXIMIZE) != 0) != pr.xMaximized)
            pr.xRect = want;
        if (!SameRect(want, pr.xRect)) {
            XMoveResizeWindow(d_, pr.xid, want.left, want.top,
                              static_cast<unsigned>(want.right - want.left),
                              static_cast<unsigned>(want.bottom - want.top));
            pr.configuring.push_back(want);
            pr.xRect = want;
            SetSizeHints(pr);
        }
        if (pr.visible && !pr.mapped) {
            XMapRaised(d_, pr.xid);
            pr.mapped = true;
            if (!snapshotPath_.empty() && !snapshotDue_)
                snapshotDue_ =
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(snapshotDelayMs_);
        } else if (!pr.visible && pr.mapped) {
            XWithdrawWindow(d_, pr.xid, screen_);
            pr.mapped = false;
        }
        // An unmapped window keeps no pixels; its Expose on mapping sends them.
        if (pr.mapped) {
            for (const RECT& r : pr.dirty)
                Push(p, pr, r);
            if (!pr.dirty.empty()) {
                snapshotWaiting_ = false; // painted: look again
                havePixels_ = true;       // pixels of its own, not the empty shadow
            }
        }
        pr.dirty.clear();
        if (pr.mapped && pr.desktopFrame) FollowWindowState(pr);
    }
}

void XPresenter::CreateX(PresenterState& p, Presented& pr) {
    // Under a window manager its frame alone shows: the layer's own frame
    // stays off screen and the X window shows the client area.
    pr.desktopFrame = !PlacesItself(pr.style) && WindowManagerRuns();
    const RECT r = AtLeastOne(ShownRect(pr));
    XSetWindowAttributes a{};
    a.background_pixmap = None; // no flash of background before our pixels arrive
    a.bit_gravity = NorthWestGravity;
    a.override_redirect = PlacesItself(pr.style) ? True : False;
    long events = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                  ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask |
                  FocusChangeMask | StructureNotifyMask | PropertyChangeMask;
    a.event_mask = events;
    pr.xid = XCreateWindow(d_, root_, r.left, r.top, static_cast<unsigned>(r.right - r.left),
                           static_cast<unsigned>(r.bottom - r.top), 0, CopyFromParent, InputOutput,
                           CopyFromParent,
                           CWBackPixmap | CWBitGravity | CWOverrideRedirect | CWEventMask, &a);
    pr.xRect = r;
    byXid_[pr.xid] = pr.hwnd;
    XSetWMProtocols(d_, pr.xid, std::array<Atom, 2>{wmDelete_, netWmPing_}.data(), 2);
    // Other programs may drop on any window we show; whether a window of the
    // layer takes the drop is its drop target's answer.
    if (!PlacesItself(pr.style)) dnd_->MarkAware(pr.xid);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(d_, pr.xid, &hints);
    XClassHint classHint{const_cast<char*>(program_invocation_short_name),
                         const_cast<char*>("Winlayer")};
    XSetClassHint(d_, pr.xid, &classHint);
    const long pid = getpid();
    XChangeProperty(d_, pr.xid, netWmPid_, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    SetSizeHints(pr);
    if (pr.owner) {
        auto owner = p.windows.find(pr.owner);
        if (owner != p.windows.end() && owner->second.xid)
            XSetTransientForHint(d_, pr.xid, owner->second.xid);
    }
    if (im_) {
        XIC ic = XCreateIC(im_, XNInputStyle, imStyle_, XNClientWindow, pr.xid, XNFocusWindow,
                           pr.xid, nullptr);
        if (ic) {
            long filter = 0;
            XGetICValues(ic, XNFilterEvents, &filter, nullptr);
            XSelectInput(d_, pr.xid, events | filter);
            pr.ic = ic;
        }
    }
}

void XPresenter::DestroyX(Presented& pr) {
    if (!pr.xid) return;
    if (pr.ic) XDestroyIC(static_cast<XIC>(pr.ic));
    pr.ic = nullptr;
    XDestroyWindow(d_, pr.xid);
    byXid_.erase(pr.xid);
    shownCursor_.erase(pr.xid);
    pr.xid = 0;
    pr.mapped = false;
}

// The program minimised, maximised or restored its window: the window
// manager is asked to do the same, and its frame follows. What it reports
// back (XInput.cpp) then agrees with the window's style.
void XPresenter::FollowWindowState(Presented& pr) {
    const bool minimized = (pr.style & WS_MINIMIZE) != 0;
    const bool maximized = (pr.style & WS_MAXIMIZE) != 0;
    if (minimized != pr.xMinimized) {
        if (minimized)
            XIconifyWindow(d_, pr.xid, screen_);
        else
            XMapRaised(d_, pr.xid); // a map request restores an iconic window
        pr.xMinimized = minimized;
    }
    if (maximized != pr.xMaximized) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = pr.xid;
        e.xclient.message_type = netWmState_;
        e.xclient.format = 32;
        e.xclient.data.l[0] = maximized ? 1 : 0; // add, remove
        e.xclient.data.l[1] = static_cast<long>(netWmMaxVert_);
        e.xclient.data.l[2] = static_cast<long>(netWmMaxHorz_);
        e.xclient.data.l[3] = 1; // asked by the program itself
        XSendEvent(d_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        pr.xMaximized = maximized;
    }
}

void XPresenter::SetTitle(Presented& pr) {
    const std::string utf8 = Utf8(pr.title);
    XChangeProperty(d_, pr.xid, netWmName_, utf8String_, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
    // WM_NAME for window managers and tools that do not read _NET_WM_NAME:
    // Latin-1 as STRING, anything else as compound text.
    XTextProperty property{};
    char* list[] = {const_cast<char*>(utf8.c_str())};
    if (Xutf8TextListToTextProperty(d_, list, 1, XStdICCTextStyle, &property) >= Success) {
        XSetWMName(d_, pr.xid, &property);
        XFree(property.value);
    }
    pr.xTitle = pr.title;
    pr.titled = true;
}

void XPresenter::SetSizeHints(const Presented& pr) {
    XSizeHints* hints = XAllocSizeHints();
    const RECT r = AtLeastOne(ShownRect(pr));
    hints->flags = USPosition | PPosition | USSize | PSize;
    hints->x = r.left;
    hints->y = r.top;
    hints->width = r.right - r.left;
    hints->height = r.bottom - r.top;
    if (!(pr.style & WS_THICKFRAME)) {
        // Windows without a sizing frame keep their size on screen too.
        hints->flags |= PMinSize | PMaxSize;
        hints->min_width = hints->max_width = hints->width;
        hints->min_height = hints->max_height = hints->height;
    }
    XSetWMNormalHints(d_, pr.xid, hints);
    XFree(hints);
}

void XPresenter::Push(PresenterState& p, const Presented& pr, RECT r) {
    // r is in the window's pixels; the X window may show only its client part.
    const POINT off = ShownOffset(pr);
    const RECT shown = ShownRect(pr);
    r.left = std::max<LONG>(r.left, std::max<LONG>(0, off.x));
    r.top = std::max<LONG>(r.top, std::max<LONG>(0, off.y));
    r.right = std::min<LONG>(r.right, std::min<LONG>(pr.width, off.x + shown.right - shown.left));
    r.bottom = std::min<LONG>(r.bottom, std::min<LONG>(pr.height, off.y + shown.bottom - shown.top));
    if (!pr.xid || r.left >= r.right || r.top >= r.bottom) return;
    const unsigned w = static_cast<unsigned>(r.right - r.left);
    const unsigned h = static_cast<unsigned>(r.bottom - r.top);
    if (directPixels_) {
        XImage image{};
        image.width = pr.width;
        image.height = pr.height;
        image.format = ZPixmap;
        image.data = reinterpret_cast<char*>(const_cast<uint32_t*>(pr.shadow.data()));
        image.byte_order = LSBFirst; // the shadow holds native little-endian words
        image.bitmap_unit = 32;
        image.bitmap_bit_order = LSBFirst;
        image.bitmap_pad = 32;
        image.depth = depth_;
        image.bytes_per_line = pr.width * 4;
        image.bits_per_pixel = 32;
        image.red_mask = visual_->red_mask;
        image.green_mask = visual_->green_mask;
        image.blue_mask = visual_->blue_mask;
        XInitImage(&image);
        XPutImage(d_, pr.xid, gc_, &image, r.left, r.top, r.left - off.x, r.top - off.y, w, h);
    } else {
        // Any other visual: build the X pixels one by one.
        XImage* image = XCreateImage(d_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                                     nullptr, w, h, 32, 0);
        if (!image) return;
        image->data =
            static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * h));
        auto scale = [](uint32_t value, unsigned long mask) {
            if (!mask) return 0ul;
            int shift = 0;
            while (!((mask >> shift) & 1))
                ++shift;
            const unsigned long top = mask >> shift;
            return ((static_cast<unsigned long>(value) * top + 127) / 255) << shift;
        };
        for (unsigned y = 0; y < h; ++y)
            for (unsigned x = 0; x < w; ++x) {
                const uint32_t v =
                    pr.shadow[static_cast<size_t>(r.top + y) * pr.width + r.left + x];
                XPutPixel(image, static_cast<int>(x), static_cast<int>(y),
                          scale((v >> 16) & 0xFF, visual_->red_mask) |
                              scale((v >> 8) & 0xFF, visual_->green_mask) |
                              scale(v & 0xFF, visual_->blue_mask));
            }
        XPutImage(d_, pr.xid, gc_, image, 0, 0, r.left - off.x, r.top - off.y, w, h);
        XDestroyImage(image);
    }
    if (p.recording) p.pushed.push_back({pr.hwnd, r});
}

} // namespace win32::present
