// The desktop's drag and drop (XDND) on the presenter thread, both ways.
// Another program dragging over our X windows: its messages become calls of
// the layer's drop targets, run on the thread of the window under the
// pointer, and their answers go back as XdndStatus and XdndFinished; the
// dropped data is read through the XdndSelection when a target asks for it.
// A drag of this process leaving its windows: the drag loop asks here what
// lies under the pointer; over another program's XDND-aware window we speak
// XDND as the source and offer the drag's data through the XdndSelection.
#pragma once

#include <win32/windef.h>

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace win32::ole {
class ForeignDrop;
}

namespace win32::present {

class XClipboard;
struct DesktopDragRequest;
struct DragOffer;

class XDragDrop {
public:
    // The layer window an X window of ours shows and its origin on the
    // layer's screen; false for any other window.
    using Lookup = std::function<bool(::Window xid, HWND& hwnd, POINT& origin)>;

    XDragDrop(::Display* display, ::Window root, XClipboard& clipboard, Lookup lookup);
    ~XDragDrop();
    // Tells other programs that `xid` takes drops.
    void MarkAware(::Window xid);
    // Requests of this process's drag loop, answers of drop targets, time-outs.
    // Called each round, without P().lock.
    void Poll();
    // XDND client messages and requests for the XdndSelection; true when taken.
    bool Handle(XEvent& event);
    // How long the presenter may sleep before a wait here times out (-1: no limit).
    int PollTimeout() const;
    // The server time of the latest user input, for the selection we own.
    void NoteTime(::Time time) { lastTime_ = time; }

private:
    // Another program's drag over one of our windows.
    struct Incoming {
        ::Window source = 0;
        ::Window over = 0; // our X window it is over
        HWND hwnd = nullptr;
        int version = 0;
        std::vector<UINT> formats;
        DWORD requested = 0; // the effect of the action the source asks for
        DWORD allowed = 0;
        std::shared_ptr<ole::ForeignDrop> drop;
        std::shared_ptr<unsigned long> time; // of the drop, read by the data fetches
        POINT at{};
        DWORD keys = 0;
        bool answering = false;     // a position is with the layer, its status not sent yet
        bool positionWaits = false; // another position came meanwhile
        bool dropped = false;
        uint64_t serial = 0;
    };
    // This process's drag over another program's window.
    struct Outgoing {
        ::Window target = 0; // the window that is XDND-aware, 0 when none
        int version = 0;
        bool statusDue = false;             // a position was sent, its status has not come
        std::optional<POINT> positionWaits; // root point to send once the status came
        bool accepts = false;
        DWORD effect = 0; // what the target's last status said it would do
        std::shared_ptr<const DragOffer> offer;
        DWORD allowed = 0;
        DWORD requested = 0; // the effect asked for by the action we propose
        std::shared_ptr<DesktopDragRequest> dropping; // waits for the status or XdndFinished
        bool dropSent = false;
        std::chrono::steady_clock::time_point deadline;
    };

    // Another program drags over ours (XDragTarget side).
    void OnEnter(const XClientMessageEvent& e);
    void OnPosition(const XClientMessageEvent& e);
    void OnLeave(const XClientMessageEvent& e);
    void OnDrop(const XClientMessageEvent& e);
    void AskLayer(); // sends the latest position to the window's thread
    void OnAnswer(uint64_t serial, bool finished, DWORD effect);
    void EndIncoming();
    // We drag over another program's window.
    void OnRequest(std::shared_ptr<DesktopDragRequest> request);
    void Track(DesktopDragRequest& request);
    void SendPosition(POINT root);
    void OnStatus(const XClientMessageEvent& e);
    void OnFinished(const XClientMessageEvent& e);
    void SendDropOrGiveUp();
    void EndOutgoing(DWORD effect);
    void LeaveTarget();
    void OnSelectionRequest(const XSelectionRequestEvent& e);
    // The XDND-aware window under a root point and its protocol version;
    // `ours` is set when one of our own X windows lies there first.
    ::Window AwareAt(int rootX, int rootY, int& version, bool& ours);

    void Send(::Window to, Atom type, long l0, long l1, long l2, long l3, long l4);
    ::Atom ActionOf(DWORD effect, DWORD prefer) const;
    DWORD EffectOf(::Atom action) const;
    DWORD AllowedOf(::Window source, ::Atom requested);

    ::Display* d_;
    ::Window root_;
    ::Window window_ = 0; // our source window and the XdndSelection's owner
    XClipboard& clipboard_;
    Lookup lookup_;
    Atom aware_, enter_, position_, status_, leave_, drop_, finished_, selection_, typeList_,
        actionList_, copy_, move_, link_, ask_, private_;
    ::Time lastTime_ = CurrentTime;
    std::optional<Incoming> in_;
    uint64_t serials_ = 0;
    Outgoing out_;
};

} // namespace win32::present
