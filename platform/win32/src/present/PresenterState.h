// State shared by the window manager's threads and the presenter thread.
// Guarded by PresenterState::lock. Lock order: the window-tree lock, then
// this lock; the presenter thread never calls into the window manager while
// it holds this lock.
#pragma once

#include "../gdi/Region.h"
#include "../user/UserState.h"

#include <win32/TestSeams.h>
#include <win32/windef.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace win32::present {

// One top-level window of the layer as the presenter knows it: what the
// layer wants shown (written by the window manager's threads) and what the
// X server shows now (the presenter thread's own fields).
struct Presented {
    HWND hwnd = nullptr;

    // From the layer.
    bool visible = false;
    bool destroyed = false;
    RECT rect{}; // screen coordinates
    RECT client{}; // the client area, screen coordinates
    std::u16string title;
    DWORD style = 0;
    HWND owner = nullptr;

    // The pixels as sent to X: a copy of the window's surface, updated where
    // it was drawn, so that only what really changed is sent.
    int width = 0;
    int height = 0;
    std::vector<uint32_t> shadow;
    win32::Region candidates; // surface areas drawn on since the last flush
    std::vector<RECT> dirty;  // shadow areas not sent yet

    // The X side (presenter thread only).
    unsigned long xid = 0;
    void* ic = nullptr; // the X input context (XIC)
    bool mapped = false;
    RECT xRect{};
    std::u16string xTitle;
    bool titled = false;
    std::vector<RECT> configuring; // geometries asked of X, not confirmed yet
    bool desktopFrame = false;     // the window manager frames it: X shows the client area
    bool xMinimized = false;       // as the window manager last said
    bool xMaximized = false;
};

struct OpenDC {
    HWND top = nullptr;
    win32::Region area;
};

// A thread waiting for the presenter (a test's WaitForPresenter, stopping).
struct Waiter {
    std::shared_ptr<win32::user::MessageQueue> queue;
    bool done = false; // guarded by queue->lock
};

// A read of another program's clipboard (or dragged) data, asked for by a layer thread
// and done by the presenter thread (XSelection.cpp).
struct ClipboardFetch {
    UINT format = 0;
    unsigned long selection = 0; // the X selection to read; 0 for CLIPBOARD
    unsigned long time = 0;      // the X time to read it at; 0 for the current time
    std::shared_ptr<Waiter> waiter;    // released when done
    std::optional<std::string> result; // set before the release
};

// The answer to another program's request for our clipboard data, made by a
// helper thread (rendering may wait for the owner) and sent by the presenter.
struct SelectionReply {
    unsigned long requestor = 0, property = 0, target = 0, selection = 0, time = 0;
    std::optional<std::string> bytes; // nullopt refuses
};

// Layer formats with their bytes, offered by a drag of this process to
// other programs.
struct DragOffer {
    std::vector<std::pair<UINT, std::string>> formats;
};

// A drag of this process asks the presenter where it is, drops or ends
// (XDragDrop.cpp). Screen points of the layer are X root points.
struct DesktopDragRequest {
    enum class Kind { Track, Drop, End };
    Kind kind = Kind::Track;
    POINT screen{};
    DWORD keys = 0, allowed = 0;
    std::shared_ptr<const DragOffer> offer; // once the presenter asked for it
    std::shared_ptr<Waiter> waiter;
    // The answer, set before the release.
    bool desktop = false;    // not over a window of ours
    bool wantsOffer = false; // over another program's window: send the data first
    DWORD effect = 0;        // what that window would do, or did on the drop
};

// A drop target's answer to another program's drag (XDragDrop.cpp).
struct DropAnswer {
    uint64_t serial = 0;
    bool dropped = false; // the answer to the drop, not to a position
    DWORD effect = 0;
};

struct PresenterState {
    std::mutex lock;
    std::map<HWND, Presented> windows;
    std::map<HDC, OpenDC> openDCs;
    std::vector<std::shared_ptr<Waiter>> syncs;
    std::shared_ptr<Waiter> stopper;
    bool stopping = false;
    bool recording = false;
    std::vector<TestSeams::PresentedRect> pushed;
    int wakeFd = -1;
    std::thread thread;

    // The desktop's clipboard.
    bool clipboardChanged = false; // new content of this process to offer
    std::vector<std::shared_ptr<ClipboardFetch>> fetches;
    std::vector<SelectionReply> replies;

    // The desktop's drag and drop.
    std::vector<std::shared_ptr<DesktopDragRequest>> dragRequests;
    std::vector<DropAnswer> dropAnswers;
};

PresenterState& P();
// Set while something may need flushing, read without the lock.
std::atomic<bool>& AnythingDrawn();
// Wakes the presenter thread to look at its state. Caller holds P().lock.
void WakePresenter();
// Ends a wait of another thread for the presenter.
void Release(Waiter& waiter);
// Lets a waiting layer thread handle messages sent to it until `waiter` is done.
void WaitPumping(const std::shared_ptr<Waiter>& waiter);

// The presenter thread (X side): connects, runs until stopping is set.
// `display` is an open Display*; the thread owns it from now on.
void RunPresenter(void* display);
// Opens the connection to the X server named by DISPLAY; null on failure.
void* OpenXDisplay();
void CloseXDisplay(void* display);

} // namespace win32::present
