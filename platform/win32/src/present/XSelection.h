// The desktop's clipboard on the presenter thread: the X selection CLIPBOARD
// owned for the layer's clipboard while this process put the data there,
// and another program's selection read into the layer's clipboard when it
// takes the clipboard. Large data goes in increments (INCR) both ways.
#pragma once

#include "DesktopFormats.h"

#include <win32/windef.h>

#include <X11/Xlib.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace win32::present {

struct ClipboardFetch;
struct SelectionReply;

class XClipboard {
public:
    XClipboard(::Display* display, ::Window root);
    ~XClipboard();
    // Takes the selection when the layer has new content, starts the next
    // fetch, sends finished replies. Called each round, without P().lock.
    void Poll();
    // Selection, property and XFixes events; true when the event was one.
    bool Handle(XEvent& event);
    // How long the presenter may sleep before a fetch times out (-1: no limit).
    int PollTimeout() const;

    // The mapping between the layer's formats and X targets, shared with the
    // desktop's drag and drop.
    // Targets that give `format`, in the order to ask for them.
    std::vector<Atom> TargetsFor(UINT format) const;
    // The layer formats a list of X targets can be read as.
    std::vector<UINT> FormatsOf(const std::vector<Atom>& targets) const;
    // The X targets offered for data in `formats` (TARGETS and TIMESTAMP first).
    std::vector<Atom> TargetsOffered(const std::vector<UINT>& formats) const;
    // The layer format and conversion that answer a request for `target`.
    std::optional<std::pair<UINT, DesktopKind>> Offer(Atom target, const std::vector<UINT>& formats) const;
    // Sends an answer to a selection request, in increments when it is large.
    void SendReply(const SelectionReply& reply);
    // Answers a TARGETS or TIMESTAMP request; false for any other target.
    bool AnswerMeta(const XSelectionRequestEvent& e, const std::vector<UINT>& formats);
    void Refuse(const XSelectionRequestEvent& e);

private:
    struct Outgoing { // an INCR transfer to another program
        ::Window requestor;
        Atom property, type;
        std::string bytes;
        size_t sent = 0;
        bool finished = false;
    };
    struct Fetching { // our request to another program
        std::shared_ptr<ClipboardFetch> fetch; // null: the owner's TARGETS, for the layer
        std::vector<Atom> targets;             // still to try, in order
        Atom selection = 0;
        Atom target = 0;
        bool incremental = false;
        std::string bytes;
        DWORD sequence = 0; // the layer's clipboard when the targets were asked for
        bool stale = false; // this process copied since: the answer no longer matters
        std::chrono::steady_clock::time_point deadline;
    };

    void OnRequest(const XSelectionRequestEvent& e);
    void OnNotify(const XSelectionEvent& e);
    bool OnProperty(const XPropertyEvent& e);
    void OnOwnerChange(::Window owner);
    ::Atom TypeOf(::Atom target) const;
    static ::Time TimeOf(const Fetching& fetching);
    void StartNext();
    void Finish(std::optional<std::string> bytes);
    bool ReadProperty(Atom& type, std::string& bytes);

    ::Display* d_;
    ::Window root_;
    ::Window window_ = 0;
    Atom clipboard_, targets_, timestamp_, incr_, property_, multiple_;
    Atom utf8_, textPlainUtf8_, textPlain_, string_, text_, html_, rtf_, uriList_;
    UINT htmlFormat_ = 0, rtfFormat_ = 0;
    int fixesEvent_ = -1; // the XFixes selection-notify event type, -1 without XFixes
    bool owning_ = false;
    bool wantTargets_ = false; // another program took the selection: ask what it offers
    DWORD targetsSequence_ = 0;
    std::optional<Fetching> fetching_;
    std::vector<Outgoing> outgoing_;
    size_t chunk_;
};

} // namespace win32::present
