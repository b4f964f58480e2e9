// The desktop's drag and drop (XDND, version 5) on the presenter thread.
// The presenter never calls a drop target itself: another program's drag is
// handed to the thread of the window under the pointer, whose answers come
// back as DropAnswers; a drag of this process asks through DesktopDragRequests
// and waits for the answer, so the X side never waits on a window's thread.
#include "../ole/DropSession.h"
#include "../user/UserState.h"
#include "DesktopFormats.h"
#include "Presenter.h"
#include "PresenterState.h"

#include <win32/oleidl.h>
#include <win32/winuser.h>

// Xlib's macros must come after the layer's headers.
#include "XDragDrop.h"
#include "XSelection.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <climits>

namespace win32::present {

namespace {

constexpr int kVersion = 5;
// How long a drop waits for the other program's status, then its XdndFinished.
constexpr auto kStatusTime = std::chrono::seconds(3);
constexpr auto kFinishTime = std::chrono::seconds(10);

DWORD KeysOf(unsigned mask) {
    DWORD keys = 0;
    if (mask & Button1Mask) keys |= MK_LBUTTON;
    if (mask & Button2Mask) keys |= MK_MBUTTON;
    if (mask & Button3Mask) keys |= MK_RBUTTON;
    if (mask & ShiftMask) keys |= MK_SHIFT;
    if (mask & ControlMask) keys |= MK_CONTROL;
    if (mask & Mod1Mask) keys |= MK_ALT;
    return keys;
}

void Answer(DesktopDragRequest& request) {
    Release(*request.waiter);
}

} // namespace

XDragDrop::XDragDrop(::Display* display, ::Window root, XClipboard& clipboard, Lookup lookup)
    : d_(display), root_(root), clipboard_(clipboard), lookup_(std::move(lookup)) {
    XSetWindowAttributes attributes{};
    window_ =
        XCreateWindow(d_, root_, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, &attributes);
    auto atom = [&](const char* name) { return XInternAtom(d_, name, False); };
    aware_ = atom("XdndAware");
    enter_ = atom("XdndEnter");
    position_ = atom("XdndPosition");
    status_ = atom("XdndStatus");
    leave_ = atom("XdndLeave");
    drop_ = atom("XdndDrop");
    finished_ = atom("XdndFinished");
    selection_ = atom("XdndSelection");
    typeList_ = atom("XdndTypeList");
    actionList_ = atom("XdndActionList");
    copy_ = atom("XdndActionCopy");
    move_ = atom("XdndActionMove");
    link_ = atom("XdndActionLink");
    ask_ = atom("XdndActionAsk");
    private_ = atom("XdndActionPrivate");
}

XDragDrop::~XDragDrop() {
    EndIncoming();
    LeaveTarget();
    std::vector<std::shared_ptr<DesktopDragRequest>> waiting;
    if (out_.dropping) waiting.push_back(out_.dropping);
    {
        std::lock_guard<std::mutex> guard(P().lock);
        waiting.insert(waiting.end(), P().dragRequests.begin(), P().dragRequests.end());
        P().dragRequests.clear();
    }
    for (auto& request : waiting)
        Answer(*request);
    if (window_) XDestroyWindow(d_, window_);
}

void XDragDrop::MarkAware(::Window xid) {
    const Atom version = kVersion;
    XChangeProperty(d_, xid, aware_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
}

int XDragDrop::PollTimeout() const {
    if (!out_.dropping) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        out_.deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count() + 1, 0, 60000));
}

void XDragDrop::Poll() {
    std::vector<std::shared_ptr<DesktopDragRequest>> requests;
    std::vector<DropAnswer> answers;
    {
        std::lock_guard<std::mutex> guard(P().lock);
        requests.swap(P().dragRequests);
        answers.swap(P().dropAnswers);
    }
    for (const DropAnswer& a : answers)
        OnAnswer(a.serial, a.dropped, a.effect);
    for (auto& request : requests)
        OnRequest(std::move(request));
    if (out_.dropping && std::chrono::steady_clock::now() >= out_.deadline) {
        // The other program did not answer: nothing is known to have been
        // dropped, so the drag reports none (a move then deletes nothing).
        if (!out_.dropSent) LeaveTarget();
        out_.target = 0;
        EndOutgoing(DROPEFFECT_NONE);
    }
}

bool XDragDrop::Handle(XEvent& event) {
    if (event.type == SelectionRequest) {
        const XSelectionRequestEvent& e = event.xselectionrequest;
        if (e.owner != window_ || e.selection != selection_) return false;
        OnSelectionRequest(e);
        return true;
    }
    if (event.type != ClientMessage || event.xclient.format != 32) return false;
    const XClientMessageEvent& e = event.xclient;
    const Atom type = e.message_type;
    if (type == enter_)
        OnEnter(e);
    else if (type == position_)
        OnPosition(e);
    else if (type == leave_)
        OnLeave(e);
    else if (type == drop_)
        OnDrop(e);
    else if (type == status_)
        OnStatus(e);
    else if (type == finished_)
        OnFinished(e);
    else
        return false;
    return true;
}

void XDragDrop::Send(::Window to, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent event{};
    XClientMessageEvent& m = event.xclient;
    m.type = ClientMessage;
    m.display = d_;
    m.window = to;
    m.message_type = type;
    m.format = 32;
    m.data.l[0] = l0;
    m.data.l[1] = l1;
    m.data.l[2] = l2;
    m.data.l[3] = l3;
    m.data.l[4] = l4;
    XSendEvent(d_, to, False, NoEventMask, &event);
}

DWORD XDragDrop::EffectOf(::Atom action) const {
    if (action == move_) return DROPEFFECT_MOVE;
    if (action == link_) return DROPEFFECT_LINK;
    if (action == 0) return DROPEFFECT_NONE;
    return DROPEFFECT_COPY; // copy, and what a program may not know: ask, private
}

::Atom XDragDrop::ActionOf(DWORD effect, DWORD prefer) const {
    if (effect & prefer) effect &= prefer;
    if (effect & DROPEFFECT_COPY) return copy_;
    if (effect & DROPEFFECT_MOVE) return move_;
    if (effect & DROPEFFECT_LINK) return link_;
    return 0;
}

DWORD XDragDrop::AllowedOf(::Window source, ::Atom requested) {
    DWORD allowed = requested == ask_ ? 0 : EffectOf(requested);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d_, source, actionList_, 0, 16, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 32) {
        const auto* actions = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            allowed |= EffectOf(actions[i]);
    }
    if (data) XFree(data);
    if (!allowed) allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    return allowed;
}

// --- Another program drags over our windows -------------------------------------------

void XDragDrop::OnEnter(const XClientMessageEvent& e) {
    HWND hwnd = nullptr;
    POINT origin{};
    if (!lookup_(e.window, hwnd, origin)) return;
    EndIncoming(); // a source that never said it left
    Incoming in;
    in.source = static_cast<::Window>(e.data.l[0]);
    in.over = e.window;
    in.hwnd = hwnd;
    in.version = std::min(kVersion, static_cast<int>((e.data.l[1] >> 24) & 0xFF));
    if (in.version < 3) return;
    std::vector<Atom> types;
    if (e.data.l[1] & 1) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d_, in.source, typeList_, 0, 1024, False, XA_ATOM, &type, &format,
                               &count, &after, &data) == Success &&
            data && format == 32) {
            const auto* list = reinterpret_cast<const unsigned long*>(data);
            types.assign(list, list + count);
        }
        if (data) XFree(data);
    } else {
        for (int i = 2; i < 5; ++i)
            if (e.data.l[i]) types.push_back(static_cast<Atom>(e.data.l[i]));
    }
    in.formats = clipboard_.FormatsOf(types);
    in.time = std::make_shared<unsigned long>(CurrentTime);
    const unsigned long selection = selection_;
    auto time = in.time;
    in.drop = std::make_shared<ole::ForeignDrop>(in.formats, [selection, time](UINT format) {
        return FetchClipboard(format, selection, *time);
    });
    in_ = std::move(in);
}

void XDragDrop::OnPosition(const XClientMessageEvent& e) {
    if (!in_ || static_cast<::Window>(e.data.l[0]) != in_->source || in_->dropped) return;
    const int rootX = static_cast<int>((e.data.l[2] >> 16) & 0xFFFF);
    const int rootY = static_cast<int>(e.data.l[2] & 0xFFFF);
    HWND hwnd = nullptr;
    POINT origin{};
    int x = 0, y = 0;
    ::Window child = 0;
    if (!lookup_(in_->over, hwnd, origin) ||
        !XTranslateCoordinates(d_, root_, in_->over, rootX, rootY, &x, &y, &child)) {
        Send(in_->source, status_, static_cast<long>(in_->over), 0, 0, 0, 0);
        return;
    }
    in_->at = {origin.x + x, origin.y + y};
    // The protocol does not carry the keys: ask the server for them.
    ::Window rootBack, childBack;
    int rx, ry, wx, wy;
    unsigned mask = 0;
    XQueryPointer(d_, root_, &rootBack, &childBack, &rx, &ry, &wx, &wy, &mask);
    in_->keys = KeysOf(mask);
    const Atom action = in_->version >= 2 ? static_cast<Atom>(e.data.l[4]) : copy_;
    in_->requested = action == ask_ ? DROPEFFECT_COPY : EffectOf(action);
    in_->allowed = AllowedOf(in_->source, action);
    AskLayer();
}

void XDragDrop::AskLayer() {
    if (in_->answering) {
        // One question at a time: the latest position is asked next.
        in_->positionWaits = true;
        return;
    }
    in_->answering = true;
    in_->positionWaits = false;
    const uint64_t serial = in_->serial = ++serials_;
    auto drop = in_->drop;
    const POINT at = in_->at;
    const DWORD keys = in_->keys, allowed = in_->allowed;
    const bool queued = user::RunOnWindowThread(
        in_->hwnd, [=] { DropAnswered(serial, false, drop->Over(at, keys, allowed)); });
    if (!queued) OnAnswer(serial, false, DROPEFFECT_NONE);
}

void XDragDrop::OnAnswer(uint64_t serial, bool dropped, DWORD effect) {
    if (!in_ || serial != in_->serial) return; // a position answered after the drop
    in_->answering = false;
    const Atom action = ActionOf(effect & in_->allowed, in_->requested);
    if (dropped) {
        if (in_->version >= 5)
            Send(in_->source, finished_, static_cast<long>(in_->over), action ? 1 : 0,
                 static_cast<long>(action), 0, 0);
        else
            Send(in_->source, finished_, static_cast<long>(in_->over), 0, 0, 0, 0);
        in_.reset(); // the drop ended the target's part
        return;
    }
    // An empty rectangle: every move of the pointer is asked about.
    Send(in_->source, status_, static_cast<long>(in_->over), (action ? 1 : 0) | 2, 0, 0,
         static_cast<long>(action));
    if (in_->positionWaits) AskLayer();
}

void XDragDrop::OnLeave(const XClientMessageEvent& e) {
    if (!in_ || static_cast<::Window>(e.data.l[0]) != in_->source) return;
    EndIncoming();
}

void XDragDrop::EndIncoming() {
    if (!in_ || in_->dropped) return;
    auto drop = in_->drop;
    user::RunOnWindowThread(in_->hwnd, [drop] { drop->Leave(); });
    in_.reset();
}

void XDragDrop::OnDrop(const XClientMessageEvent& e) {
    const ::Window source = static_cast<::Window>(e.data.l[0]);
    if (!in_ || source != in_->source || in_->dropped) {
        // Nothing of ours saw it coming: the source must not wait for us.
        Send(source, finished_, static_cast<long>(e.window), 0, 0, 0, 0);
        return;
    }
    *in_->time = static_cast<unsigned long>(e.data.l[2]);
    in_->dropped = true;
    in_->answering = true;
    const uint64_t serial = in_->serial = ++serials_;
    auto drop = in_->drop;
    const POINT at = in_->at;
    const DWORD keys = in_->keys;
    const bool queued = user::RunOnWindowThread(
        in_->hwnd, [=] { DropAnswered(serial, true, drop->Drop(at, keys)); });
    if (!queued) OnAnswer(serial, true, DROPEFFECT_NONE);
}

// --- A drag of ours over other programs ------------------------------------------------

void XDragDrop::OnRequest(std::shared_ptr<DesktopDragRequest> request) {
    switch (request->kind) {
    case DesktopDragRequest::Kind::Track:
        Track(*request);
        Answer(*request);
        return;
    case DesktopDragRequest::Kind::Drop:
        if (!out_.target || out_.dropping) {
            Answer(*request);
            return;
        }
        out_.dropping = std::move(request);
        out_.deadline = std::chrono::steady_clock::now() + kStatusTime;
        SendDropOrGiveUp();
        return;
    case DesktopDragRequest::Kind::End:
        LeaveTarget();
        if (XGetSelectionOwner(d_, selection_) == window_)
            XSetSelectionOwner(d_, selection_, 0, CurrentTime);
        out_ = Outgoing{};
        Answer(*request);
        return;
    }
}

::Window XDragDrop::AwareAt(int rootX, int rootY, int& version, bool& ours) {
    ours = false;
    version = 0;
    ::Window w = root_;
    for (int depth = 0; depth < 32; ++depth) {
        int x = 0, y = 0;
        ::Window child = 0;
        if (!XTranslateCoordinates(d_, root_, w, rootX, rootY, &x, &y, &child) || !child) return 0;
        w = child;
        HWND hwnd = nullptr;
        POINT origin{};
        if (lookup_(w, hwnd, origin)) {
            ours = true;
            return 0;
        }
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(d_, w, aware_, 0, 1, False, XA_ATOM, &type, &format, &count, &after,
                           &data);
        if (data && count == 1 && format == 32)
            version = static_cast<int>(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
        if (version >= 3) return w;
    }
    return 0;
}

void XDragDrop::Track(DesktopDragRequest& request) {
    int version = 0;
    bool ours = false;
    bool foreign = false;
    const ::Window target = AwareAt(request.screen.x, request.screen.y, version, ours);
    if (!ours && !target) {
        // Another program's window that takes no drops, or the bare desktop.
        int x, y;
        ::Window top = 0;
        XTranslateCoordinates(d_, root_, root_, request.screen.x, request.screen.y, &x, &y, &top);
        foreign = top != 0;
    }
    request.desktop = target != 0 || foreign;
    if (!target) {
        LeaveTarget();
        return;
    }
    if (target != out_.target) {
        LeaveTarget();
        if (!out_.offer && !request.offer) {
            request.wantsOffer = true;
            return;
        }
        if (request.offer) out_.offer = request.offer;
        std::vector<UINT> formats;
        for (const auto& [format, bytes] : out_.offer->formats)
            formats.push_back(format);
        std::vector<Atom> types = clipboard_.TargetsOffered(formats);
        types.erase(types.begin(), types.begin() + 2); // TARGETS, TIMESTAMP: for selections only
        // Owned from the server's present time: an older input time may lie
        // before another program's last drag and would leave it the owner.
        XSetSelectionOwner(d_, selection_, window_, CurrentTime);
        XChangeProperty(d_, window_, typeList_, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(types.data()),
                        static_cast<int>(types.size()));
        out_.target = target;
        out_.version = std::min(kVersion, version);
        auto type = [&](size_t i) { return i < types.size() ? static_cast<long>(types[i]) : 0L; };
        Send(target, enter_, static_cast<long>(window_),
             (static_cast<long>(out_.version) << 24) | (types.size() > 3 ? 1 : 0), type(0), type(1),
             type(2));
    }
    out_.allowed = request.allowed;
    // The action proposed follows the keys as a drop target of ours reads
    // them; without keys a copy, which leaves the source as it was.
    const DWORD keys = request.keys;
    DWORD wish = (keys & MK_CONTROL) && (keys & MK_SHIFT) ? DROPEFFECT_LINK
                 : (keys & MK_SHIFT)                      ? DROPEFFECT_MOVE
                                                          : DROPEFFECT_COPY;
    if (!(wish & request.allowed)) wish = request.allowed;
    out_.requested = wish;
    std::vector<Atom> actions;
    for (DWORD e : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
        if (request.allowed & e) actions.push_back(ActionOf(e, e));
    XChangeProperty(d_, window_, actionList_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(actions.data()),
                    static_cast<int>(actions.size()));
    if (out_.statusDue)
        out_.positionWaits = request.screen;
    else
        SendPosition(request.screen);
    request.effect = out_.accepts ? out_.effect & request.allowed : DROPEFFECT_NONE;
}

void XDragDrop::SendPosition(POINT root) {
    Send(out_.target, position_, static_cast<long>(window_), 0,
         (static_cast<long>(root.x & 0xFFFF) << 16) | (root.y & 0xFFFF),
         static_cast<long>(lastTime_), static_cast<long>(ActionOf(out_.requested, out_.requested)));
    out_.statusDue = true;
}

void XDragDrop::OnStatus(const XClientMessageEvent& e) {
    if (!out_.target || static_cast<::Window>(e.data.l[0]) != out_.target) return;
    out_.statusDue = false;
    out_.accepts = (e.data.l[1] & 1) != 0;
    const DWORD said = out_.version >= 2 ? EffectOf(static_cast<Atom>(e.data.l[4])) : 0;
    out_.effect = !out_.accepts ? DROPEFFECT_NONE : said ? said : out_.requested;
    if (out_.positionWaits) {
        const POINT next = *out_.positionWaits;
        out_.positionWaits.reset();
        if (!out_.dropping) {
            SendPosition(next);
            return;
        }
    }
    if (out_.dropping && !out_.dropSent) SendDropOrGiveUp();
}

void XDragDrop::SendDropOrGiveUp() {
    if (out_.statusDue) return; // the status of the last position decides
    if (!out_.accepts || !(out_.effect & out_.allowed)) {
        LeaveTarget();
        EndOutgoing(DROPEFFECT_NONE);
        return;
    }
    Send(out_.target, drop_, static_cast<long>(window_), 0, static_cast<long>(lastTime_), 0, 0);
    out_.dropSent = true;
    out_.deadline = std::chrono::steady_clock::now() + kFinishTime;
}

void XDragDrop::OnFinished(const XClientMessageEvent& e) {
    if (!out_.dropSent || static_cast<::Window>(e.data.l[0]) != out_.target) return;
    DWORD effect = out_.effect;
    if (out_.version >= 5) {
        const DWORD performed = EffectOf(static_cast<Atom>(e.data.l[2]));
        effect = !(e.data.l[1] & 1) ? DROPEFFECT_NONE : performed ? performed : out_.effect;
    }
    out_.target = 0; // dropped: nothing to leave
    EndOutgoing(effect & out_.allowed);
}

void XDragDrop::EndOutgoing(DWORD effect) {
    auto dropping = std::move(out_.dropping);
    out_.dropping.reset();
    out_.dropSent = false;
    out_.statusDue = false;
    out_.positionWaits.reset();
    if (!dropping) return;
    {
        std::lock_guard<std::mutex> guard(P().lock);
        dropping->desktop = true;
        dropping->effect = effect;
    }
    Answer(*dropping);
}

void XDragDrop::LeaveTarget() {
    if (out_.target) Send(out_.target, leave_, static_cast<long>(window_), 0, 0, 0, 0);
    out_.target = 0;
    out_.statusDue = false;
    out_.positionWaits.reset();
    out_.accepts = false;
    out_.effect = DROPEFFECT_NONE;
}

void XDragDrop::OnSelectionRequest(const XSelectionRequestEvent& e) {
    if (!out_.offer) return clipboard_.Refuse(e);
    std::vector<UINT> formats;
    for (const auto& [format, bytes] : out_.offer->formats)
        formats.push_back(format);
    if (clipboard_.AnswerMeta(e, formats)) return;
    const auto offer = clipboard_.Offer(e.target, formats);
    if (!offer) return clipboard_.Refuse(e);
    SelectionReply reply{e.requestor, e.property ? e.property : e.target,
                         e.target,    e.selection,
                         e.time,      std::nullopt};
    for (const auto& [format, bytes] : out_.offer->formats)
        if (format == offer->first) reply.bytes = ToDesktop(offer->second, bytes);
    clipboard_.SendReply(reply);
}

} // namespace win32::present
