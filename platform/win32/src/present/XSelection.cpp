// The desktop's clipboard on the presenter thread. This process's data is
// offered as the X selection CLIPBOARD, owned by a hidden window, while the
// layer's clipboard holds data this process put there; another program's
// data is read into the layer's clipboard (as promised formats, fetched when
// read) when that program takes the selection. Reads and writes within this
// process never leave it. Rendering may wait on the clipboard owner's
// thread, so requests are answered by helper threads and sent from here.
#include "DesktopFormats.h"
#include "PresenterState.h"
#include "../user/NonClient.h"

#include <win32/winuser.h>

// Xlib's macros must come after the layer's headers.
#include "XSelection.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <climits>
#include <thread>

namespace win32::present {

namespace {

constexpr auto kFetchTime = std::chrono::seconds(3);

// Runs `work` on a helper thread that ends by itself.
template <class F> void Detached(F work) {
    std::thread(std::move(work)).detach();
}

} // namespace

XClipboard::XClipboard(::Display* display, ::Window root) : d_(display), root_(root) {
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    window_ = XCreateWindow(d_, root_, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
                            CWEventMask, &attributes);
    auto atom = [&](const char* name) { return XInternAtom(d_, name, False); };
    clipboard_ = atom("CLIPBOARD");
    targets_ = atom("TARGETS");
    timestamp_ = atom("TIMESTAMP");
    incr_ = atom("INCR");
    multiple_ = atom("MULTIPLE");
    property_ = atom("WINLAYER_CLIPBOARD");
    utf8_ = atom("UTF8_STRING");
    textPlainUtf8_ = atom("text/plain;charset=utf-8");
    textPlain_ = atom("text/plain");
    string_ = XA_STRING;
    text_ = atom("TEXT");
    html_ = atom("text/html");
    rtf_ = atom("text/rtf");
    uriList_ = atom("text/uri-list");
    htmlFormat_ = RegisterClipboardFormatW(u"HTML Format");
    rtfFormat_ = RegisterClipboardFormatW(u"Rich Text Format");
    const long maxRequest = XExtendedMaxRequestSize(d_) ? XExtendedMaxRequestSize(d_)
                                                        : XMaxRequestSize(d_);
    chunk_ = std::min<size_t>(256 * 1024, static_cast<size_t>(maxRequest) * 4 - 1024);

    int fixesError = 0, fixesEvent = 0;
    if (XFixesQueryExtension(d_, &fixesEvent, &fixesError)) {
        fixesEvent_ = fixesEvent + XFixesSelectionNotify;
        XFixesSelectSelectionInput(d_, root_, clipboard_, XFixesSetSelectionOwnerNotifyMask);
    }
    bool ownNews;
    {
        std::lock_guard<std::mutex> guard(P().lock);
        ownNews = P().clipboardChanged;
    }
    // Another program's data already there is ours to read, unless this
    // process has just copied something newer.
    const ::Window owner = XGetSelectionOwner(d_, clipboard_);
    if (owner != 0 && !ownNews) OnOwnerChange(owner);
}

XClipboard::~XClipboard() {
    std::vector<std::shared_ptr<ClipboardFetch>> waiting;
    if (fetching_ && fetching_->fetch) waiting.push_back(fetching_->fetch);
    {
        std::lock_guard<std::mutex> guard(P().lock);
        waiting.insert(waiting.end(), P().fetches.begin(), P().fetches.end());
        P().fetches.clear();
    }
    for (auto& fetch : waiting)
        Release(*fetch->waiter);
    if (window_) XDestroyWindow(d_, window_);
}

int XClipboard::PollTimeout() const {
    if (!fetching_) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        fetching_->deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count() + 1, 0, 60000));
}

void XClipboard::Poll() {
    bool changed;
    std::vector<SelectionReply> replies;
    {
        std::lock_guard<std::mutex> guard(P().lock);
        changed = P().clipboardChanged;
        P().clipboardChanged = false;
        replies.swap(P().replies);
    }
    if (changed) {
        XSetSelectionOwner(d_, clipboard_, window_, CurrentTime);
        owning_ = XGetSelectionOwner(d_, clipboard_) == window_;
        // What another program offered before is no longer the clipboard's.
        wantTargets_ = false;
        if (fetching_ && !fetching_->fetch) fetching_->stale = true;
    }
    for (const SelectionReply& reply : replies)
        SendReply(reply);
    if (fetching_ && std::chrono::steady_clock::now() >= fetching_->deadline) Finish(std::nullopt);
    if (!fetching_) StartNext();
}

bool XClipboard::Handle(XEvent& event) {
    switch (event.type) {
    case SelectionRequest:
        if (event.xselectionrequest.owner != window_) return false;
        OnRequest(event.xselectionrequest);
        return true;
    case SelectionNotify:
        if (event.xselection.requestor != window_) return false;
        OnNotify(event.xselection);
        return true;
    case SelectionClear:
        if (event.xselectionclear.window != window_) return false;
        if (event.xselectionclear.selection == clipboard_) owning_ = false;
        return true;
    case PropertyNotify:
        return OnProperty(event.xproperty);
    default:
        if (fixesEvent_ >= 0 && event.type == fixesEvent_) {
            const auto& e = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
            if (e.selection == clipboard_) OnOwnerChange(e.owner);
            return true;
        }
        return false;
    }
}

// --- Another program asks for our data ------------------------------------------------

std::vector<::Atom> XClipboard::TargetsOffered(const std::vector<UINT>& formats) const {
    auto has = [&](UINT f) { return std::find(formats.begin(), formats.end(), f) != formats.end(); };
    std::vector<::Atom> offered{targets_, timestamp_};
    if (has(CF_UNICODETEXT))
        for (::Atom a : {utf8_, textPlainUtf8_, string_, text_, textPlain_})
            offered.push_back(a);
    if (has(htmlFormat_)) offered.push_back(html_);
    if (has(rtfFormat_)) offered.push_back(rtf_);
    if (has(CF_HDROP)) offered.push_back(uriList_);
    return offered;
}

std::optional<std::pair<UINT, DesktopKind>> XClipboard::Offer(::Atom target,
                                                              const std::vector<UINT>& formats) const {
    auto has = [&](UINT f) { return std::find(formats.begin(), formats.end(), f) != formats.end(); };
    const bool text = has(CF_UNICODETEXT);
    if (text && (target == utf8_ || target == textPlainUtf8_ || target == text_))
        return std::pair{UINT{CF_UNICODETEXT}, DesktopKind::Utf8Text};
    if (text && (target == string_ || target == textPlain_))
        return std::pair{UINT{CF_UNICODETEXT}, DesktopKind::Latin1Text};
    if (target == html_ && has(htmlFormat_)) return std::pair{htmlFormat_, DesktopKind::Html};
    if (target == rtf_ && has(rtfFormat_)) return std::pair{rtfFormat_, DesktopKind::Rtf};
    if (target == uriList_ && has(CF_HDROP)) return std::pair{UINT{CF_HDROP}, DesktopKind::UriList};
    return std::nullopt;
}

bool XClipboard::AnswerMeta(const XSelectionRequestEvent& e, const std::vector<UINT>& formats) {
    const ::Atom property = e.property ? e.property : e.target; // as old clients ask
    if (e.target == targets_) {
        const std::vector<::Atom> offered = TargetsOffered(formats);
        XChangeProperty(d_, e.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered.data()),
                        static_cast<int>(offered.size()));
    } else if (e.target == timestamp_) {
        const long time = CurrentTime;
        XChangeProperty(d_, e.requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&time), 1);
    } else {
        return false;
    }
    XSelectionEvent n{SelectionNotify, 0, False, d_, e.requestor, e.selection, e.target,
                      property, e.time};
    XSendEvent(d_, e.requestor, False, 0, reinterpret_cast<XEvent*>(&n));
    return true;
}

void XClipboard::OnRequest(const XSelectionRequestEvent& e) {
    if (e.selection != clipboard_ || !owning_) return Refuse(e);
    const std::vector<UINT> formats = user::ClipboardFormatsForDesktop();
    if (AnswerMeta(e, formats)) return;
    const auto offer = Offer(e.target, formats);
    if (!offer) return Refuse(e);
    const ::Atom property = e.property ? e.property : e.target;
    SelectionReply reply{e.requestor, property, e.target, e.selection, e.time, std::nullopt};
    Detached([reply, offer = *offer]() mutable {
        if (auto bytes = user::ClipboardBytesForDesktop(offer.first))
            reply.bytes = ToDesktop(offer.second, *bytes);
        std::lock_guard<std::mutex> guard(P().lock);
        P().replies.push_back(std::move(reply));
        WakePresenter();
    });
}

::Atom XClipboard::TypeOf(::Atom target) const {
    return target == text_ ? utf8_ : target; // TEXT lets the owner choose
}

void XClipboard::Refuse(const XSelectionRequestEvent& e) {
    XSelectionEvent n{SelectionNotify, 0, False, d_, e.requestor, e.selection, e.target, 0, e.time};
    XSendEvent(d_, e.requestor, False, 0, reinterpret_cast<XEvent*>(&n));
}

void XClipboard::SendReply(const SelectionReply& reply) {
    XSelectionEvent n{SelectionNotify, 0,           False,          d_,       reply.requestor,
                      reply.selection, reply.target, reply.property, reply.time};
    if (!reply.bytes) {
        n.property = 0;
    } else if (reply.bytes->size() > chunk_) {
        // Too large for one request: announce the size, then send it piece by
        // piece as the requestor deletes each piece.
        XSelectInput(d_, reply.requestor, PropertyChangeMask);
        const long size = static_cast<long>(reply.bytes->size());
        XChangeProperty(d_, reply.requestor, reply.property, incr_, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&size), 1);
        outgoing_.push_back({reply.requestor, reply.property, TypeOf(reply.target), *reply.bytes});
    } else {
        XChangeProperty(d_, reply.requestor, reply.property, TypeOf(reply.target), 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(reply.bytes->data()),
                        static_cast<int>(reply.bytes->size()));
    }
    XSendEvent(d_, reply.requestor, False, 0, reinterpret_cast<XEvent*>(&n));
}

bool XClipboard::OnProperty(const XPropertyEvent& e) {
    if (e.window == window_ && e.atom == property_) {
        if (e.state == PropertyNewValue && fetching_ && fetching_->incremental) {
            ::Atom type = 0;
            std::string piece;
            if (!ReadProperty(type, piece)) return true;
            if (piece.empty()) {
                Finish(std::move(fetching_->bytes));
                return true;
            }
            fetching_->bytes += piece;
            fetching_->deadline = std::chrono::steady_clock::now() + kFetchTime;
        }
        return true;
    }
    if (e.state != PropertyDelete) return false;
    auto it = std::find_if(outgoing_.begin(), outgoing_.end(), [&](const Outgoing& o) {
        return o.requestor == e.window && o.property == e.atom;
    });
    if (it == outgoing_.end()) return false;
    const size_t n = std::min(chunk_, it->bytes.size() - it->sent);
    XChangeProperty(d_, it->requestor, it->property, it->type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(it->bytes.data() + it->sent),
                    static_cast<int>(n));
    it->sent += n;
    if (n == 0) { // the empty piece ends the transfer
        XSelectInput(d_, it->requestor, NoEventMask);
        outgoing_.erase(it);
    }
    return true;
}

// --- We ask another program for its data ----------------------------------------------

void XClipboard::OnOwnerChange(::Window owner) {
    if (owner == window_) return;
    owning_ = false;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (owner == 0) {
        // The program that had the clipboard is gone, and its data with it.
        Detached([sequence] { user::SetForeignClipboard({}, sequence); });
        return;
    }
    wantTargets_ = true;
    targetsSequence_ = sequence;
    if (!fetching_) StartNext();
}

std::vector<::Atom> XClipboard::TargetsFor(UINT format) const {
    if (format == CF_UNICODETEXT) return {utf8_, textPlainUtf8_, string_};
    if (format == htmlFormat_) return {html_};
    if (format == rtfFormat_) return {rtf_};
    if (format == CF_HDROP) return {uriList_};
    return {};
}

std::vector<UINT> XClipboard::FormatsOf(const std::vector<::Atom>& targets) const {
    std::vector<UINT> formats;
    auto add = [&](UINT f) {
        if (std::find(formats.begin(), formats.end(), f) == formats.end()) formats.push_back(f);
    };
    for (::Atom a : targets) {
        if (a == utf8_ || a == textPlainUtf8_ || a == string_ || a == textPlain_ || a == text_)
            add(CF_UNICODETEXT);
        else if (a == html_)
            add(htmlFormat_);
        else if (a == rtf_)
            add(rtfFormat_);
        else if (a == uriList_)
            add(CF_HDROP);
    }
    return formats;
}

void XClipboard::StartNext() {
    Fetching next;
    if (wantTargets_) {
        wantTargets_ = false;
        next.targets = {targets_};
        next.sequence = targetsSequence_;
        next.selection = clipboard_;
    } else {
        std::lock_guard<std::mutex> guard(P().lock);
        if (P().fetches.empty()) return;
        next.fetch = P().fetches.front();
        P().fetches.erase(P().fetches.begin());
        next.targets = TargetsFor(next.fetch->format);
        next.selection = next.fetch->selection ? next.fetch->selection : clipboard_;
    }
    // Never ask ourselves for the clipboard: our own data never goes through X.
    if ((owning_ && next.selection == clipboard_) || next.targets.empty()) {
        fetching_ = std::move(next);
        Finish(std::nullopt);
        return;
    }
    next.target = next.targets.front();
    next.targets.erase(next.targets.begin());
    next.deadline = std::chrono::steady_clock::now() + kFetchTime;
    XDeleteProperty(d_, window_, property_);
    XConvertSelection(d_, next.selection, next.target, property_, window_, TimeOf(next));
    fetching_ = std::move(next);
}

::Time XClipboard::TimeOf(const Fetching& fetching) {
    return fetching.fetch && fetching.fetch->time ? fetching.fetch->time : CurrentTime;
}

void XClipboard::OnNotify(const XSelectionEvent& e) {
    if (!fetching_ || e.selection != fetching_->selection || e.target != fetching_->target) return;
    if (e.property == 0) {
        if (fetching_->targets.empty()) return Finish(std::nullopt);
        fetching_->target = fetching_->targets.front();
        fetching_->targets.erase(fetching_->targets.begin());
        XConvertSelection(d_, fetching_->selection, fetching_->target, property_, window_,
                          TimeOf(*fetching_));
        return;
    }
    ::Atom type = 0;
    std::string bytes;
    if (!ReadProperty(type, bytes)) return Finish(std::nullopt);
    if (type == incr_) {
        // Reading the announcement deleted it: the owner now sends the pieces.
        fetching_->incremental = true;
        fetching_->deadline = std::chrono::steady_clock::now() + kFetchTime;
        return;
    }
    Finish(std::move(bytes));
}

bool XClipboard::ReadProperty(::Atom& type, std::string& bytes) {
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d_, window_, property_, 0, LONG_MAX / 4, True, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success)
        return false;
    const size_t unit = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
    bytes.assign(reinterpret_cast<const char*>(data), data ? count * unit : 0);
    if (data) XFree(data);
    return true;
}

void XClipboard::Finish(std::optional<std::string> bytes) {
    Fetching done = std::move(*fetching_);
    fetching_.reset();
    if (!done.fetch) {
        // The owner's targets: the layer's clipboard offers what it can read.
        std::vector<::Atom> atoms;
        if (bytes)
            for (size_t i = 0; i + sizeof(long) <= bytes->size(); i += sizeof(long))
                atoms.push_back(*reinterpret_cast<const unsigned long*>(bytes->data() + i));
        const std::vector<UINT> formats = FormatsOf(atoms);
        const DWORD sequence = done.sequence;
        if (bytes && !done.stale)
            Detached([formats, sequence] { user::SetForeignClipboard(formats, sequence); });
    } else {
        std::optional<std::string> result;
        if (bytes) {
            const UINT format = done.fetch->format;
            const DesktopKind kind =
                format == CF_UNICODETEXT
                    ? (done.target == string_ ? DesktopKind::Latin1Text : DesktopKind::Utf8Text)
                : format == htmlFormat_ ? DesktopKind::Html
                : format == rtfFormat_  ? DesktopKind::Rtf
                                        : DesktopKind::UriList;
            result = FromDesktop(kind, *bytes);
        }
        {
            std::lock_guard<std::mutex> guard(P().lock);
            done.fetch->result = std::move(result);
        }
        Release(*done.fetch->waiter);
    }
    StartNext();
}

} // namespace win32::present
