// Internal state of the window manager: classes, windows and the message
// queue of each thread. One lock guards the window tree and the classes; each
// queue has its own lock for its messages. Lock order: the window-tree lock
// may be held while taking a queue lock, never the reverse. Neither lock is
// ever held while a window procedure runs.
#pragma once

#include "../gdi/Region.h"
#include "../gdi/Surface.h"

#include <win32/Verify.h>
#include <win32/winuser.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace win32::user {

struct WindowClass {
    std::u16string name; // as registered; looked up case-insensitively
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int clsExtra = 0;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::u16string menuName;
    std::vector<BYTE> extraBytes;
    int windowCount = 0;
    bool system = false; // a class of the layer's own controls, never unregistered
};

class MessageQueue;

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> cls;
    std::shared_ptr<MessageQueue> queue; // of the thread that created the window
    DWORD threadId = 0;

    HWND parent = nullptr;       // null for top-level windows
    HWND owner = nullptr;        // top-level windows only
    std::vector<HWND> children;  // z-order, topmost first

    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};        // window rectangle in the parent's client coordinates (screen for top-levels)
    RECT clientRect{};  // client rectangle in the same coordinates as rect
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR id = 0; // control id of a child; menu of a top-level
    std::u16string text;
    std::vector<BYTE> extraBytes;
    std::map<std::u16string, HANDLE> props; // keyed by upper-cased name or "#atom"

    bool destroying = false; // DestroyWindow has started
    bool created = false;    // WM_CREATE done
    bool redraw = true;      // WM_SETREDRAW state
    bool sizePending = false; // an overlapped window gets WM_SIZE/WM_MOVE at its first showing

    // Painting: the pending update area (client coordinates).
    win32::Region update;
    bool eraseNeeded = false;
    bool internalPaint = false;
    bool frameNeeded = false; // the non-client area waits for WM_NCPAINT
    bool NeedsPaint() const { return !update.Empty() || internalPaint; }
    win32::SurfacePtr surface; // top-level windows: the pixels of the whole window
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT interval = 0;
    uint64_t due = 0;
    TIMERPROC proc = nullptr;
};

// A message sent to a window of another thread, waiting to be handled there.
struct SentMessage {
    HWND hwnd = nullptr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    std::shared_ptr<MessageQueue> sender; // null for SendNotifyMessage
    bool done = false;                     // guarded by the sender's queue lock
    // Work of the layer itself, run in place of the window procedure (the
    // desktop's drag and drop calls a window's drop target on its thread).
    std::function<void()> task;
};

// The message queue of one thread.
class MessageQueue {
public:
    explicit MessageQueue(DWORD threadId) : threadId(threadId) {}

    const DWORD threadId;
    std::mutex lock;
    std::condition_variable_any wake;

    std::deque<std::shared_ptr<SentMessage>> incoming; // sent from other threads
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quitPosted = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    DWORD changed = 0; // QS_* bits of what arrived since the last look
    bool alive = true; // false once the thread has ended

    // Messages this thread is handling for senders of other threads (innermost last).
    std::vector<std::shared_ptr<SentMessage>> handling;

    // Windows of this thread with a pending update area (kept under the tree lock).
    std::atomic<int> windowsToPaint{0};

    // Records what arrived (QS_* bits) and wakes the thread.
    void Notify(DWORD bits);
    // Wakes the thread wherever it waits: its message waits and, while it is in
    // MsgWaitForMultipleObjects, the kernel's object wait.
    void Wake();
    std::atomic<int> inObjectWait{0};
};

struct State {
    std::recursive_mutex lock; // the window tree and the classes
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    std::vector<HWND> topLevels; // z-order, topmost first
    std::vector<std::shared_ptr<WindowClass>> classes;
    std::unordered_map<DWORD, std::shared_ptr<MessageQueue>> queues;
    uintptr_t nextHandle = 0x10010;
    ATOM nextClassAtom = 0xC100;
    std::atomic<UINT_PTR> nextThreadTimerId{0x7FF0}; // ids for timers without a window
    HWND lockedUpdate = nullptr; // LockWindowUpdate: drawing into it and its children is held back
};

State& S();

// True when the calling thread holds S().lock (for VERIFY).
bool TreeLockHeld();

// The window behind a handle, or null (also sets ERROR_INVALID_WINDOW_HANDLE).
// Caller holds S().lock.
Window* Find(HWND hwnd);
std::shared_ptr<Window> FindShared(HWND hwnd);

// The calling thread's queue, created on first use.
std::shared_ptr<MessageQueue> CurrentQueue();
std::shared_ptr<MessageQueue> QueueOfThread(DWORD threadId);

// Case-insensitive key of a class or property name.
std::u16string FoldName(std::u16string_view name);

// Calls a window procedure with the usual protection of the layer.
LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Handles one message sent from another thread, if one is waiting. True if it did.
bool HandleOneIncoming(MessageQueue& queue);
// Runs `task` on the thread of `hwnd` the way a message sent without waiting
// runs there (inside its message retrieval and modal loops), in the order
// queued. False when the window is gone.
bool RunOnWindowThread(HWND hwnd, std::function<void()> task);

// Marks the update area of a window as changed (adjusts the paint count).
void SetNeedsPaint(Window& w, bool before);

// Removes every trace of a destroyed window from its queue (timers).
void ForgetWindowTimers(MessageQueue& queue, HWND hwnd);

// Helpers the folder's files share, by the file that defines them.
// Classes.cpp: the class registered under a name, or null.
std::shared_ptr<WindowClass> FindClass(LPCWSTR name);
// Focus.cpp: the cursor and key state that input and retrieval keep.
POINT CurrentCursorPos();
void SetCursorPosition(POINT p);
void SetKeyDown(int vk, bool down);
void ApplyRetrievedInput(const MSG& m);
// Focus, capture, activation and caret let go of a window being destroyed.
void ReleaseWindowState(HWND hwnd);
// Caret.cpp: forgets a window that is going away, without messages.
void ForgetCaretOf(HWND hwnd);
// Paint.cpp
void InvalidateWhole(HWND hwnd);
void InvalidateAfterMove(HWND hwnd, const RECT& oldRect);
void ValidateAfterUnhandledPaint(HWND hwnd);
// Geometry.cpp: the frame around the client area that the default
// non-client handling draws.
RECT NonClientInsets(DWORD style, DWORD exStyle, bool menu);
// Asks the window for its client area (WM_NCCALCSIZE) and stores it; `pos`
// is given while the window is moved or sized.
void RecalcClientRect(HWND hwnd, WINDOWPOS* pos = nullptr, const RECT* oldRect = nullptr,
                      const RECT* oldClient = nullptr);
MINMAXINFO DefaultMinMaxInfo(DWORD style);
void SendSizeAndMove(HWND hwnd);
void HideForDestruction(HWND hwnd);
void ShowNewWindow(HWND hwnd);

// Window positions and sizes are kept within 2^24 pixels either way, far
// beyond any screen and far from the int limits, so that sums of them (right
// edges, client origins) never overflow. CW_USEDEFAULT passes untouched.
inline int ClampWindowCoordinate(int value) {
    if (value == static_cast<int>(0x80000000u)) return value; // CW_USEDEFAULT
    constexpr int limit = 1 << 24;
    return value < -limit ? -limit : value > limit ? limit : value;
}

} // namespace win32::user
