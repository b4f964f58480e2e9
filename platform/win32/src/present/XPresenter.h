// The presenter thread: the one owner of the X connection. It makes the X
// windows match what PresenterState says of the layer's top-level windows,
// sends the changed pixels, and turns X events into the layer's input.
// Xlib headers come last: their macros (None, Bool, Status) must not meet
// the layer's headers.
#pragma once

#include "PresenterState.h"
#include "XDragDrop.h"
#include "XSelection.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace win32::present {

class XPresenter {
public:
    explicit XPresenter(::Display* display);
    ~XPresenter();
    void Run();

private:
    // Windows and pixels (XPresenter.cpp); called with P().lock held.
    void Reconcile(PresenterState& p);
    void CreateX(PresenterState& p, Presented& pr);
    void DestroyX(Presented& pr);
    void SetTitle(Presented& pr);
    void SetSizeHints(const Presented& pr);
    void FollowWindowState(Presented& pr);
    void Push(PresenterState& p, const Presented& pr, RECT r);
    void OpenInputMethod();
    // Whether a window manager runs on the screen (it then draws the frames).
    bool WindowManagerRuns();

    // Events (XInput.cpp); called without P().lock.
    void HandlePending();
    void Handle(XEvent& event);
    void OnConfigure(const XConfigureEvent& event);
    void OnKey(XKeyEvent& event, HWND hwnd);
    void OnFocus(const XFocusChangeEvent& event, HWND hwnd);
    // The window manager minimised, maximised or restored a window.
    void OnWindowState(::Window xid);
    void ReleaseKeys();
    // Shows the layer's current cursor over an X window.
    void FollowCursor(::Window xid);
    // The layer window an X window shows and its screen origin; false if none.
    bool Target(::Window xid, HWND& hwnd, POINT& origin, void** ic = nullptr);

    // The snapshot asked for with WINLAYER_SNAPSHOT.
    void SnapshotIfDue();
    int PollTimeout() const;

    ::Display* d_;
    int screen_;
    ::Window root_;
    Visual* visual_;
    int depth_;
    GC gc_;
    bool directPixels_ = false; // the server takes our 0x00RRGGBB words as they are
    Atom wmProtocols_, wmDelete_, netWmName_, utf8String_, netWmPid_, netWmPing_, netWmCheck_;
    Atom wmState_, netWmState_, netWmHidden_, netWmMaxVert_, netWmMaxHorz_;
    XIM im_ = nullptr;
    XIMStyle imStyle_ = 0;
    std::map<::Window, HWND> byXid_;
    std::map<unsigned, int> keysDown_; // X key code -> virtual key routed down
    std::map<unsigned, Cursor> fontCursors_;
    std::map<::Window, HCURSOR> shownCursor_;
    std::unique_ptr<XClipboard> clipboard_;
    std::unique_ptr<XDragDrop> dnd_;

    std::string snapshotPath_;
    int snapshotDelayMs_ = 1500;
    bool snapshotClose_ = false;
    std::optional<std::chrono::steady_clock::time_point> snapshotDue_;
    bool havePixels_ = false;      // some window on screen has been painted
    bool snapshotWaiting_ = false; // due, but the window still has painting to do
    // Due, and a paint just ended whose pixels its thread is still taking in:
    // look again shortly (a bounded number of times).
    int snapshotRechecks_ = 0;
};

// What the X window of a layer window shows, in screen coordinates: the
// client area when the window manager draws the frame, else the whole window.
inline RECT ShownRect(const Presented& pr) {
    return pr.desktopFrame ? pr.client : pr.rect;
}
// Where the X window's origin lies in the window's own pixels.
inline POINT ShownOffset(const Presented& pr) {
    const RECT shown = ShownRect(pr);
    return {shown.left - pr.rect.left, shown.top - pr.rect.top};
}

// The virtual key of an X key symbol, 0 when there is none.
int VirtualKeyOf(KeySym sym);

} // namespace win32::present
