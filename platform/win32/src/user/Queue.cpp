// Message queues: posting, sending (also across threads), retrieval in
// Windows' order, dispatch, quitting and timers.
//
// Retrieval order: messages sent from other threads are handled first; then
// posted messages in order; then input; then WM_QUIT once the posted queue is
// empty; then WM_PAINT while a window has an update area; then WM_TIMER for
// expired timers. WM_PAINT and WM_TIMER are generated, never queued.
#include "../Clock.h"
#include "../Waitable.h"
#include "../present/Presenter.h"
#include "UserState.h"

#include <win32/winbase.h>

#include <algorithm>

using namespace win32::user;

namespace {

bool InRange(UINT msg, UINT filterMin, UINT filterMax) {
    if (filterMin == 0 && filterMax == 0) return true;
    return msg >= filterMin && msg <= filterMax;
}

// Whether a window matches a retrieval filter: null takes every window of the
// thread and thread messages, -1 only thread messages, a window itself and its
// children.
bool WindowMatches(HWND target, HWND filter) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return target == nullptr;
    return target == filter || (target && IsChild(filter, target));
}

MSG MakeMsg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MSG m{hwnd, msg, wParam, lParam, GetTickCount(), CurrentCursorPos()};
    return m;
}

bool TakeFrom(std::deque<MSG>& queue, MSG* out, HWND filter, UINT filterMin, UINT filterMax,
              bool remove) {
    for (auto it = queue.begin(); it != queue.end();) {
        // Messages left for windows that have since been destroyed are dropped.
        if (it->hwnd && !IsWindow(it->hwnd)) {
            it = queue.erase(it);
            continue;
        }
        if (InRange(it->message, filterMin, filterMax) && WindowMatches(it->hwnd, filter)) {
            *out = *it;
            if (remove) queue.erase(it);
            return true;
        }
        ++it;
    }
    return false;
}

// The first window of a thread needing paint, parents before children. The
// children of a window that waits to be painted wait for it: its painting
// may still cover or uncover them.
HWND FindWindowToPaint(const std::vector<HWND>& list, DWORD threadId, HWND filter) {
    for (HWND hwnd : list) {
        Window* w = Find(hwnd);
        if (!w) continue;
        if (w->NeedsPaint()) {
            if (w->threadId == threadId && WindowMatches(hwnd, filter)) return hwnd;
            continue;
        }
        if (HWND child = FindWindowToPaint(w->children, threadId, filter)) return child;
    }
    return nullptr;
}

bool TakePaint(MessageQueue& q, MSG* out, HWND filter, bool remove) {
    if (q.windowsToPaint.load() == 0) return false;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    HWND hwnd = FindWindowToPaint(S().topLevels, q.threadId, filter);
    if (!hwnd) return false;
    Window* w = Find(hwnd);
    if (remove && w->update.Empty() && w->internalPaint) {
        w->internalPaint = false;
        SetNeedsPaint(*w, true);
    }
    *out = MakeMsg(hwnd, WM_PAINT, 0, 0);
    return true;
}

// Earliest due time of the timers a filter can retrieve, or kForever.
uint64_t NextTimerDue(MessageQueue& q, HWND filter, UINT filterMin, UINT filterMax) {
    if (!InRange(WM_TIMER, filterMin, filterMax)) return win32::kForever;
    uint64_t due = win32::kForever;
    for (const Timer& t : q.timers)
        if (WindowMatches(t.hwnd, filter)) due = std::min(due, t.due);
    return due;
}

bool TakeTimer(MessageQueue& q, MSG* out, HWND filter, UINT filterMin, UINT filterMax,
               bool remove) {
    if (!InRange(WM_TIMER, filterMin, filterMax)) return false;
    const uint64_t now = win32::NowMs();
    Timer* best = nullptr;
    for (Timer& t : q.timers)
        if (t.due <= now && WindowMatches(t.hwnd, filter) && (!best || t.due < best->due))
            best = &t;
    if (!best) return false;
    *out = MakeMsg(best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc));
    if (remove) best->due = now + best->interval;
    return true;
}

// Keys go to the window that has the focus when they are retrieved, not when
// they were typed: a key handler that moves the focus sends the next keys on.
// Caller holds the tree lock and the queue's lock.
void RetargetKeys(MessageQueue& q) {
    HWND target = GetFocus();
    if (!target) target = GetActiveWindow();
    Window* w = target ? Find(target) : nullptr;
    if (!w || w->threadId != q.threadId) return;
    for (MSG& m : q.input)
        if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) m.hwnd = target;
}

bool Retrieve(MessageQueue& q, MSG* out, HWND filter, UINT filterMin, UINT filterMax,
              bool remove) {
    while (HandleOneIncoming(q)) {
    }
    {
        // Tree lock first: the filters look at the window tree.
        std::lock_guard<std::recursive_mutex> tree(S().lock);
        std::lock_guard<std::mutex> guard(q.lock);
        q.changed = 0;
        if (TakeFrom(q.posted, out, filter, filterMin, filterMax, remove)) return true;
        RetargetKeys(q);
        if (TakeFrom(q.input, out, filter, filterMin, filterMax, remove)) {
            if (remove) ApplyRetrievedInput(*out);
            return true;
        }
        if (q.quitPosted && q.posted.empty()) {
            *out = MakeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
            if (remove) q.quitPosted = false;
            return true;
        }
    }
    if (InRange(WM_PAINT, filterMin, filterMax) && TakePaint(q, out, filter, remove)) return true;
    std::lock_guard<std::recursive_mutex> tree(S().lock);
    std::lock_guard<std::mutex> guard(q.lock);
    return TakeTimer(q, out, filter, filterMin, filterMax, remove);
}

// Blocks until something new arrives for the queue or a timer it can retrieve falls due.
void WaitForMore(MessageQueue& q, HWND filter, UINT filterMin, UINT filterMax,
                 uint64_t deadline = win32::kForever) {
    std::unique_lock<std::recursive_mutex> tree(S().lock);
    std::unique_lock<std::mutex> lock(q.lock);
    uint64_t due = std::min(deadline, NextTimerDue(q, filter, filterMin, filterMax));
    tree.unlock();
    win32::WaitUntil(q.wake, lock, due, [&] { return q.changed != 0 || !q.incoming.empty(); });
}

void Post(MessageQueue& q, const MSG& m, DWORD bits) {
    {
        std::lock_guard<std::mutex> guard(q.lock);
        q.posted.push_back(m);
        q.changed |= bits;
    }
    q.Wake();
}

// Finishes a sent message for its sender.
void Complete(SentMessage& sent, LRESULT result) {
    if (!sent.sender) return;
    {
        std::lock_guard<std::mutex> guard(sent.sender->lock);
        if (sent.done) return;
        sent.result = result;
        sent.done = true;
    }
    sent.sender->Wake();
}

} // namespace

namespace win32::user {

bool HandleOneIncoming(MessageQueue& q) {
    std::shared_ptr<SentMessage> sent;
    {
        std::lock_guard<std::mutex> guard(q.lock);
        if (q.incoming.empty()) return false;
        sent = q.incoming.front();
        q.incoming.pop_front();
    }
    q.handling.push_back(sent);
    struct Finish {
        MessageQueue& q;
        SentMessage& sent;
        LRESULT result = 0;
        ~Finish() {
            q.handling.pop_back();
            Complete(sent, result);
        }
    } finish{q, *sent};
    if (sent->task) {
        sent->task();
        return true;
    }
    WNDPROC proc = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(sent->hwnd)) proc = w->proc;
    }
    if (proc) finish.result = CallProc(proc, sent->hwnd, sent->msg, sent->wParam, sent->lParam);
    return true;
}

bool RunOnWindowThread(HWND hwnd, std::function<void()> task) {
    std::shared_ptr<MessageQueue> queue;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(hwnd)) queue = w->queue;
    }
    if (!queue) return false;
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hwnd;
    sent->task = std::move(task);
    {
        std::lock_guard<std::mutex> guard(queue->lock);
        if (!queue->alive) return false;
        queue->incoming.push_back(sent);
        queue->changed |= QS_SENDMESSAGE;
    }
    queue->Wake();
    return true;
}

void ForgetWindowTimers(MessageQueue& q, HWND hwnd) {
    std::lock_guard<std::mutex> guard(q.lock);
    auto& timers = q.timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [&](const Timer& t) { return t.hwnd == hwnd; }),
                 timers.end());
}

} // namespace win32::user

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    MSG m{};
    auto q = CurrentQueue();
    if (!Retrieve(*q, &m, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0)) return FALSE;
    if (msg) *msg = m;
    return TRUE;
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd)) return -1;
    auto q = CurrentQueue();
    while (!Retrieve(*q, msg, hwnd, filterMin, filterMax, true))
        WaitForMore(*q, hwnd, filterMin, filterMax);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage() {
    auto q = CurrentQueue();
    WaitForMore(*q, nullptr, 0, 0);
    while (HandleOneIncoming(*q)) {
    }
    return TRUE;
}

namespace {

// System messages whose parameters point into the sender's memory: they can
// only be sent, since a posted copy would outlive what it points to.
bool CarriesPointers(UINT msg) {
    switch (msg) {
    case WM_CREATE: case WM_NCCREATE: case WM_SETTEXT: case WM_GETTEXT: case WM_GETMINMAXINFO:
    case WM_WINDOWPOSCHANGING: case WM_WINDOWPOSCHANGED: case WM_NCCALCSIZE: case WM_DRAWITEM:
    case WM_MEASUREITEM: case WM_COMPAREITEM: case WM_DELETEITEM: case WM_COPYDATA: case WM_HELP:
    case WM_STYLECHANGING: case WM_STYLECHANGED: case WM_MOVING:
    case CB_ADDSTRING: case CB_GETLBTEXT: case CB_INSERTSTRING: case CB_FINDSTRING:
    case CB_SELECTSTRING: case CB_GETDROPPEDCONTROLRECT: case CB_FINDSTRINGEXACT:
    case LB_ADDSTRING: case LB_INSERTSTRING: case LB_GETTEXT: case LB_SELECTSTRING:
    case LB_FINDSTRING: case LB_GETSELITEMS: case LB_SETTABSTOPS: case LB_GETITEMRECT:
    case LB_FINDSTRINGEXACT:
    case EM_GETSEL: case EM_GETRECT: case EM_SETRECT: case EM_SETRECTNP: case EM_REPLACESEL:
    case EM_GETLINE: case EM_SETTABSTOPS:
    case SBM_GETRANGE: case SBM_SETSCROLLINFO: case SBM_GETSCROLLINFO:
        return true;
    default: return false;
    }
}

} // namespace

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CarriesPointers(msg)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    if (!hwnd) return PostThreadMessageW(GetCurrentThreadId(), msg, wParam, lParam);
    if (hwnd == HWND_BROADCAST) {
        std::vector<HWND> tops;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            tops = S().topLevels;
        }
        for (HWND top : tops) PostMessageW(top, msg, wParam, lParam);
        return TRUE;
    }
    auto w = FindShared(hwnd);
    if (!w) return FALSE;
    Post(*w->queue, MakeMsg(hwnd, msg, wParam, lParam), QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
    return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CarriesPointers(msg)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    auto q = threadId == GetCurrentThreadId() ? CurrentQueue() : QueueOfThread(threadId);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    Post(*q, MakeMsg(nullptr, msg, wParam, lParam), QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    auto q = CurrentQueue();
    {
        std::lock_guard<std::mutex> guard(q->lock);
        q->quitPosted = true;
        q->quitCode = exitCode;
        q->changed |= QS_POSTMESSAGE;
    }
    q->Wake();
}

namespace {

// Sends to a window of another thread and waits, handling messages sent to
// this thread meanwhile. False on time-out or when the window's thread ended.
bool SendAcross(const std::shared_ptr<Window>& w, UINT msg, WPARAM wParam, LPARAM lParam,
                uint64_t deadline, LRESULT* result) {
    auto self = CurrentQueue();
    auto target = w->queue;
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = w->handle;
    sent->msg = msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = self;
    {
        std::lock_guard<std::mutex> guard(target->lock);
        if (!target->alive) return false;
        target->incoming.push_back(sent);
        target->changed |= QS_SENDMESSAGE;
    }
    target->Wake();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(self->lock);
            win32::WaitUntil(self->wake, lock, deadline,
                             [&] { return sent->done || !self->incoming.empty(); });
            if (sent->done) {
                *result = sent->result;
                return true;
            }
            if (self->incoming.empty() && win32::NowMs() >= deadline) break;
        }
        HandleOneIncoming(*self);
    }
    // Timed out: withdraw the message if it was not picked up yet.
    std::lock_guard<std::mutex> guard(target->lock);
    auto& in = target->incoming;
    in.erase(std::remove(in.begin(), in.end(), sent), in.end());
    SetLastError(ERROR_TIMEOUT);
    return false;
}

} // namespace

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        std::vector<HWND> tops;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            tops = S().topLevels;
        }
        for (HWND top : tops) SendMessageW(top, msg, wParam, lParam);
        return 0;
    }
    auto w = FindShared(hwnd);
    if (!w) return 0;
    if (w->threadId == GetCurrentThreadId()) {
        WNDPROC proc;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            proc = w->proc;
        }
        return CallProc(proc, hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    SendAcross(w, msg, wParam, lParam, win32::kForever, &result);
    return result;
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeout, DWORD_PTR* result) {
    auto w = FindShared(hwnd);
    if (!w) return 0;
    LRESULT r = 0;
    if (w->threadId == GetCurrentThreadId()) {
        r = SendMessageW(hwnd, msg, wParam, lParam);
    } else if (!SendAcross(w, msg, wParam, lParam, win32::NowMs() + timeout, &r)) {
        return 0;
    }
    if (result) *result = static_cast<DWORD_PTR>(r);
    return 1;
}

BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = FindShared(hwnd);
    if (!w) return FALSE;
    if (w->threadId == GetCurrentThreadId()) {
        SendMessageW(hwnd, msg, wParam, lParam);
        return TRUE;
    }
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hwnd;
    sent->msg = msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    {
        std::lock_guard<std::mutex> guard(w->queue->lock);
        w->queue->incoming.push_back(sent);
        w->queue->changed |= QS_SENDMESSAGE;
    }
    w->queue->Wake();
    return TRUE;
}

BOOL InSendMessage() { return CurrentQueue()->handling.empty() ? FALSE : TRUE; }

DWORD InSendMessageEx(LPVOID) {
    auto q = CurrentQueue();
    return q->handling.empty() ? ISMEX_NOSEND : ISMEX_SEND;
}

BOOL ReplyMessage(LRESULT result) {
    auto q = CurrentQueue();
    if (q->handling.empty()) return FALSE;
    Complete(*q->handling.back(), result);
    return TRUE;
}

namespace {

// What the queue holds now, as QS_* bits.
DWORD PendingBits(MessageQueue& q) {
    DWORD bits = 0;
    if (!q.posted.empty() || q.quitPosted) bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    if (!q.input.empty()) bits |= QS_INPUT;
    if (!q.incoming.empty()) bits |= QS_SENDMESSAGE;
    if (q.windowsToPaint.load() > 0) bits |= QS_PAINT;
    return bits;
}

} // namespace

DWORD GetQueueStatus(UINT flags) {
    auto q = CurrentQueue();
    std::lock_guard<std::mutex> guard(q->lock);
    DWORD now = PendingBits(*q);
    const uint64_t t = win32::NowMs();
    for (const Timer& timer : q->timers)
        if (timer.due <= t) now |= QS_TIMER;
    DWORD changed = q->changed;
    q->changed &= ~flags;
    // What arrived since the last look in the low word, what waits in the high word.
    return MAKELONG(changed & flags, now & flags);
}

DWORD GetMessagePos() {
    POINT p = CurrentCursorPos();
    return MAKELONG(p.x, p.y);
}

LONG GetMessageTime() { return static_cast<LONG>(GetTickCount()); }

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd) return 0;
    auto w = FindShared(msg->hwnd);
    if (!w) return 0;
    WNDPROC proc;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        proc = w->proc;
    }
    LRESULT result = CallProc(proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
    // A window procedure that ignores WM_PAINT would get it forever: validate.
    if (msg->message == WM_PAINT) ValidateAfterUnhandledPaint(msg->hwnd);
    // Whatever the message drew goes to the screen.
    win32::present::Flush();
    return result;
}

UINT RegisterWindowMessageW(LPCWSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Registered messages share the atom range 0xC000-0xFFFF with atoms.
    return GlobalAddAtomW(name);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    std::shared_ptr<MessageQueue> q;
    if (hwnd) {
        auto w = FindShared(hwnd);
        if (!w) return 0;
        // A window of another thread gets its timer on its own thread's queue.
        q = w->queue;
    } else {
        q = CurrentQueue();
    }
    elapse = std::clamp<UINT>(elapse, 10u, 0x7FFFFFFFu); // USER_TIMER_MINIMUM/MAXIMUM
    {
        std::lock_guard<std::mutex> guard(q->lock);
        auto& timers = q->timers;
        auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) {
            return t.hwnd == hwnd && (hwnd || t.id == id);
        });
        if (hwnd) {
            it = std::find_if(timers.begin(), timers.end(),
                              [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
        } else if (it == timers.end() || id == 0) {
            id = S().nextThreadTimerId++;
            it = timers.end();
        }
        Timer t{hwnd, id, elapse, win32::NowMs() + elapse, proc};
        if (it != timers.end()) *it = t;
        else timers.push_back(t);
    }
    q->Wake(); // a waiting GetMessage must re-read its deadline
    return hwnd && id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    std::shared_ptr<MessageQueue> q;
    if (hwnd) {
        auto w = FindShared(hwnd);
        if (!w) return FALSE;
        q = w->queue;
    } else {
        q = CurrentQueue();
    }
    std::lock_guard<std::mutex> guard(q->lock);
    auto& timers = q->timers;
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timers.erase(it);
    // Drop a WM_TIMER of this timer already posted, as Windows does.
    return TRUE;
}

DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                  DWORD wakeMask, DWORD flags) {
    std::vector<std::shared_ptr<win32::Waitable>> objects;
    if (count) {
        objects = win32::WaitablesOf(count, handles);
        if (objects.empty()) return WAIT_FAILED;
    }
    auto q = CurrentQueue();
    const uint64_t deadline = win32::DeadlineAfter(milliseconds);
    // Without MWMO_INPUTAVAILABLE only what arrived since the queue was last
    // looked at wakes the wait, as on Windows.
    const bool available = (flags & MWMO_INPUTAVAILABLE) != 0;
    auto wake = [&] {
        std::lock_guard<std::mutex> guard(q->lock);
        DWORD bits = available ? (PendingBits(*q) | q->changed) : q->changed;
        return (bits & wakeMask) != 0;
    };
    struct InWait {
        MessageQueue& q;
        explicit InWait(MessageQueue& q) : q(q) { ++q.inObjectWait; }
        ~InWait() { --q.inObjectWait; }
    } inWait(*q);
    for (;;) {
        uint64_t timerDue = win32::kForever;
        if (wakeMask & QS_TIMER) {
            std::lock_guard<std::recursive_mutex> tree(S().lock);
            std::lock_guard<std::mutex> guard(q->lock);
            timerDue = NextTimerDue(*q, nullptr, 0, 0);
        }
        DWORD r = win32::WaitForObjects(objects, (flags & MWMO_WAITALL) != 0,
                                        std::min(deadline, timerDue), wake);
        if (r != WAIT_TIMEOUT) return r;
        if (timerDue <= win32::NowMs()) return WAIT_OBJECT_0 + count;
        if (win32::NowMs() >= deadline) return WAIT_TIMEOUT;
    }
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask) {
    return MsgWaitForMultipleObjectsEx(count, handles, milliseconds, wakeMask,
                                       waitAll ? MWMO_WAITALL : 0);
}
