#include "XdndPeer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);

// The next event, or false once `deadline` passed without one.
bool NextEvent(::Display* d, XEvent& event, Clock::time_point deadline) {
    while (!XPending(d)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, static_cast<int>(left));
    }
    XNextEvent(d, &event);
    return true;
}

void Send(::Display* d, ::Window to, const char* type, long l0, long l1, long l2, long l3,
          long l4) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = to;
    e.xclient.message_type = XInternAtom(d, type, False);
    e.xclient.format = 32;
    const long data[5] = {l0, l1, l2, l3, l4};
    for (int i = 0; i < 5; ++i)
        e.xclient.data.l[i] = data[i];
    XSendEvent(d, to, False, NoEventMask, &e);
    // Processed by the server when this returns: the test may look right after.
    XSync(d, False);
}

std::string Name(::Display* d, Atom atom) {
    if (!atom) return "None";
    char* name = XGetAtomName(d, atom);
    std::string out = name ? name : "";
    if (name) XFree(name);
    return out;
}

bool Is(::Display* d, const XClientMessageEvent& e, const char* type) {
    return e.message_type == XInternAtom(d, type, False);
}

} // namespace

XdndPeer::XdndPeer(const std::string& display) : display_(display) {}

XdndPeer::~XdndPeer() {
    if (thread_.joinable()) thread_.join();
}

void XdndPeer::Finish(bool timedOut) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        seen.timedOut = timedOut;
        done_ = true;
    }
    cv_.notify_all();
    if (onDone) onDone();
}

void XdndPeer::Wait() {
    std::unique_lock<std::mutex> guard(lock_);
    cv_.wait(guard, [&] { return done_.load(); });
}

void XdndPeer::Run(std::function<void()> script) {
    thread_ = std::thread(std::move(script));
}

unsigned long XdndPeer::ShowTarget(RECT where, std::string action, std::string want) {
    ::Display* d = XOpenDisplay(display_.c_str());
    if (!d) return 0;
    XSetWindowAttributes a{};
    a.override_redirect = True; // placed exactly where asked, with or without a window manager
    a.event_mask = StructureNotifyMask;
    a.background_pixel = 0x808080;
    const ::Window w = XCreateWindow(d, DefaultRootWindow(d), where.left, where.top,
                                     static_cast<unsigned>(where.right - where.left),
                                     static_cast<unsigned>(where.bottom - where.top), 0,
                                     CopyFromParent, InputOutput, CopyFromParent,
                                     CWOverrideRedirect | CWEventMask | CWBackPixel, &a);
    const Atom version = 5;
    XChangeProperty(d, w, XInternAtom(d, "XdndAware", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    XMapRaised(d, w);
    XEvent e;
    const auto deadline = Clock::now() + kPatience;
    bool mapped = false;
    while (!mapped && NextEvent(d, e, deadline))
        mapped = e.type == MapNotify && e.xmap.window == w;
    if (!mapped) {
        XCloseDisplay(d);
        return 0;
    }
    Run([this, d, w, action, want] {
        const auto deadline = Clock::now() + kPatience;
        const Atom property = XInternAtom(d, "PEER_DROP", False);
        const Atom answer = action.empty() ? 0 : XInternAtom(d, action.c_str(), False);
        ::Window source = 0;
        bool ended = false;
        XEvent e;
        while (!ended && NextEvent(d, e, deadline)) {
            if (e.type == SelectionNotify) {
                if (e.xselection.property) {
                    Atom type;
                    int format;
                    unsigned long count, after;
                    unsigned char* data = nullptr;
                    XGetWindowProperty(d, w, property, 0, 1 << 20, True, AnyPropertyType, &type,
                                       &format, &count, &after, &data);
                    if (data) seen.data.assign(reinterpret_cast<char*>(data), count);
                    if (data) XFree(data);
                }
                Send(d, source, "XdndFinished", static_cast<long>(w), answer ? 1 : 0,
                     static_cast<long>(answer), 0, 0);
                ended = true;
                continue;
            }
            if (e.type != ClientMessage) continue;
            const XClientMessageEvent& m = e.xclient;
            if (Is(d, m, "XdndEnter")) {
                source = static_cast<::Window>(m.data.l[0]);
                std::vector<Atom> types;
                for (int i = 2; i < 5; ++i)
                    if (m.data.l[i]) types.push_back(static_cast<Atom>(m.data.l[i]));
                if (m.data.l[1] & 1) {
                    Atom type;
                    int format;
                    unsigned long count = 0, after;
                    unsigned char* data = nullptr;
                    XGetWindowProperty(d, source, XInternAtom(d, "XdndTypeList", False), 0, 64,
                                       False, XA_ATOM, &type, &format, &count, &after, &data);
                    if (data) {
                        const auto* list = reinterpret_cast<const unsigned long*>(data);
                        types.assign(list, list + count);
                        XFree(data);
                    }
                }
                for (Atom t : types)
                    seen.entered.push_back(Name(d, t));
            } else if (Is(d, m, "XdndPosition")) {
                Send(d, source, "XdndStatus", static_cast<long>(w), answer ? 1 : 0, 0, 0,
                     static_cast<long>(answer));
                seen.statuses.push_back(answer ? "accept " + action : "refuse");
            } else if (Is(d, m, "XdndLeave")) {
                seen.left = true;
                ended = true;
            } else if (Is(d, m, "XdndDrop")) {
                seen.dropped = true;
                if (!answer) {
                    Send(d, source, "XdndFinished", static_cast<long>(w), 0, 0, 0, 0);
                    ended = true;
                    continue;
                }
                XConvertSelection(d, XInternAtom(d, "XdndSelection", False),
                                  XInternAtom(d, want.c_str(), False), property, w,
                                  static_cast<Time>(m.data.l[2]));
                XFlush(d);
            }
        }
        XDestroyWindow(d, w);
        XCloseDisplay(d);
        Finish(!ended);
    });
    return w;
}

void XdndPeer::DragOnto(unsigned long to, POINT at, std::map<std::string, std::string> offer,
                        std::string action) {
    Run([this, to, at, offer, action] {
        ::Display* d = XOpenDisplay(display_.c_str());
        if (!d) return Finish(true);
        const ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        const Atom selection = XInternAtom(d, "XdndSelection", False);
        XSetSelectionOwner(d, selection, w, CurrentTime);
        // What it allows, as the desktop's toolkits list it.
        Atom actions[] = {XInternAtom(d, "XdndActionCopy", False),
                          XInternAtom(d, "XdndActionMove", False)};
        XChangeProperty(d, w, XInternAtom(d, "XdndActionList", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(actions), 2);
        std::vector<long> types;
        for (const auto& [type, bytes] : offer)
            types.push_back(static_cast<long>(XInternAtom(d, type.c_str(), False)));
        types.resize(std::max<size_t>(types.size(), 3), 0);
        const long actionAtom = static_cast<long>(XInternAtom(d, action.c_str(), False));
        Send(d, to, "XdndEnter", static_cast<long>(w), 5L << 24, types[0], types[1], types[2]);
        Send(d, to, "XdndPosition", static_cast<long>(w), 0, (at.x << 16) | at.y, CurrentTime,
             actionAtom);
        const auto deadline = Clock::now() + kPatience;
        bool ended = false;
        XEvent e;
        while (!ended && NextEvent(d, e, deadline)) {
            if (e.type == SelectionRequest) {
                const XSelectionRequestEvent& r = e.xselectionrequest;
                XSelectionEvent n{SelectionNotify, 0,        True, d,     r.requestor,
                                  r.selection,     r.target, 0,    r.time};
                auto it = offer.find(Name(d, r.target));
                if (it != offer.end()) {
                    XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(it->second.data()),
                                    static_cast<int>(it->second.size()));
                    n.property = r.property;
                }
                XSendEvent(d, r.requestor, False, 0, reinterpret_cast<XEvent*>(&n));
                XFlush(d);
                continue;
            }
            if (e.type != ClientMessage) continue;
            const XClientMessageEvent& m = e.xclient;
            if (Is(d, m, "XdndStatus")) {
                const bool accepts = m.data.l[1] & 1;
                seen.statuses.push_back(
                    accepts ? "accept " + Name(d, static_cast<Atom>(m.data.l[4])) : "refuse");
                if (accepts) {
                    Send(d, to, "XdndDrop", static_cast<long>(w), 0, CurrentTime, 0, 0);
                } else {
                    Send(d, to, "XdndLeave", static_cast<long>(w), 0, 0, 0, 0);
                    ended = true;
                }
            } else if (Is(d, m, "XdndFinished")) {
                seen.finished = (m.data.l[1] & 1)
                                    ? "accept " + Name(d, static_cast<Atom>(m.data.l[2]))
                                    : "refuse";
                ended = true;
            }
        }
        XDestroyWindow(d, w);
        XCloseDisplay(d);
        Finish(!ended);
    });
}
