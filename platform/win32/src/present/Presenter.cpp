// The screen presenter: with DISPLAY set, each visible top-level window of the
// layer is shown as an X11 window, and X input comes back as the layer's input.
//
// Design. One presenter thread owns the X connection; no other thread makes an
// Xlib call, so Xlib needs no locking of its own (no XInitThreads). The window
// manager's threads never wait for the presenter: their hooks (this file)
// record under the presenter's lock what a top-level window should look like
// (shown, position, size, title), and when a thread has drawn they copy the
// pixels that really changed into the window's shadow image (the pixels as X
// has them) and list the changed rectangles; then they wake the presenter
// through an eventfd. The presenter thread sleeps in poll() on that eventfd
// and the X connection together, so an idle program uses no CPU. Woken, it
// makes X match (XPresenter.cpp) and routes X input into the layer through the
// same routing as synthetic input (XInput.cpp): the hit test's WM_NCHITTEST and
// the like reach the window's thread as any cross-thread SendMessage does. It
// holds its lock only while it touches its tables and Xlib, never while it
// calls into the window manager, so neither side can deadlock the other.
//
// Environment: DISPLAY names the X server (looked at when the first top-level
// window is shown; without it the layer stays headless). WINLAYER_SNAPSHOT=
// <file.png> saves the active window (else the first one shown) as a PNG once
// WINLAYER_SNAPSHOT_DELAY_MS (default 1500) have passed since the first window
// appeared and it has painted what it had to paint; the presenter says where
// on stderr. WINLAYER_SNAPSHOT_CLOSE=1 then closes that window (SC_CLOSE), so
// that a program run under Xvfb for a picture ends by itself.
#include "Presenter.h"

#include "../gdi/SurfaceDC.h"
#include "../user/UserState.h"
#include "PresenterState.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace win32::user;

namespace win32::present {

namespace {

enum Mode { kUnchecked, kOff, kOn };

std::atomic<int>& CurrentMode() {
    static std::atomic<int> mode{kUnchecked};
    return mode;
}

std::mutex& StartLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

void*& Display() {
    static void* display = nullptr; // guarded by StartLock
    return display;
}

// The window behind a handle without touching the thread's last error.
// Caller holds S().lock.
user::Window* Lookup(HWND hwnd) {
    auto it = S().windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == S().windows.end() ? nullptr : it->second.get();
}

bool Start() {
    std::lock_guard<std::mutex> guard(StartLock());
    if (CurrentMode() != kUnchecked) return CurrentMode() == kOn;
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        CurrentMode() = kOff;
        return false;
    }
    void* display = OpenXDisplay();
    if (!display) {
        std::fprintf(stderr,
                     "winlayer: cannot open the X display \"%s\"; windows stay off screen\n", name);
        CurrentMode() = kOff;
        return false;
    }
    PresenterState& p = P();
    p.wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    p.stopping = false;
    Display() = display;
    p.thread = std::thread(RunPresenter, display);
    CurrentMode() = kOn;
    return true;
}

// Copies what changed of `area` (surface coordinates) from the surface into
// the shadow and lists the changed rectangles. Caller holds both locks.
void TakeChanges(Presented& pr, const win32::Surface& s, const win32::Region& area) {
    const int width = s.Width(), height = s.Height();
    if (width != pr.width || height != pr.height || pr.shadow.empty()) {
        // New surface (first paint, or the window was sized): all of it is new.
        pr.width = width;
        pr.height = height;
        pr.shadow.assign(static_cast<size_t>(width) * height, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pr.shadow[static_cast<size_t>(y) * width + x] = s.Get(x, y);
        pr.dirty.assign(1, RECT{0, 0, width, height});
        return;
    }
    for (RECT r : area.Rects()) {
        r.left = std::max<LONG>(r.left, 0);
        r.top = std::max<LONG>(r.top, 0);
        r.right = std::min<LONG>(r.right, width);
        r.bottom = std::min<LONG>(r.bottom, height);
        if (r.left >= r.right || r.top >= r.bottom) continue;
        RECT changed{r.right, r.bottom, r.left, r.top};
        const size_t n = static_cast<size_t>(r.right - r.left);
        std::vector<uint32_t> row(n);
        for (int y = r.top; y < r.bottom; ++y) {
            uint32_t* to = pr.shadow.data() + static_cast<size_t>(y) * width + r.left;
            for (size_t i = 0; i < n; ++i)
                row[i] = s.Get(r.left + static_cast<int>(i), y);
            if (std::memcmp(row.data(), to, n * sizeof(uint32_t)) == 0) continue;
            size_t first = 0, last = n;
            while (row[first] == to[first])
                ++first;
            while (row[last - 1] == to[last - 1])
                --last;
            std::copy(row.begin() + first, row.begin() + last, to + first);
            changed.left = std::min<LONG>(changed.left, r.left + static_cast<LONG>(first));
            changed.right = std::max<LONG>(changed.right, r.left + static_cast<LONG>(last));
            changed.top = std::min<LONG>(changed.top, y);
            changed.bottom = std::max<LONG>(changed.bottom, y + 1);
        }
        if (changed.left < changed.right) pr.dirty.push_back(changed);
    }
}

} // namespace

PresenterState& P() {
    static auto* state = new PresenterState; // lives until the process ends
    return *state;
}

std::atomic<bool>& AnythingDrawn() {
    static std::atomic<bool> drawn{false};
    return drawn;
}

void WakePresenter() {
    // Called with P().lock held, so that the descriptor cannot close meanwhile.
    const uint64_t one = 1;
    if (P().wakeFd >= 0) (void)!write(P().wakeFd, &one, sizeof one);
}

void WaitPumping(const std::shared_ptr<Waiter>& waiter) {
    MessageQueue& q = *waiter->queue;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(q.lock);
            q.wake.wait(lock, [&] { return waiter->done || !q.incoming.empty(); });
            if (waiter->done) return;
        }
        HandleOneIncoming(q);
    }
}

void Release(Waiter& waiter) {
    {
        std::lock_guard<std::mutex> guard(waiter.queue->lock);
        waiter.done = true;
    }
    waiter.queue->Wake();
}

bool Active() {
    const int mode = CurrentMode();
    if (mode != kUnchecked) return mode == kOn;
    return Start();
}

void WindowChanged(HWND hwnd) {
    const int mode = CurrentMode();
    if (mode == kOff) return;
    if (mode == kUnchecked) {
        bool shownTopLevel;
        {
            std::lock_guard<std::recursive_mutex> tree(S().lock);
            user::Window* w = Lookup(hwnd);
            shownTopLevel = w && !w->parent && (w->style & WS_VISIBLE);
        }
        if (!shownTopLevel || !Start()) return;
    }
    std::lock_guard<std::recursive_mutex> tree(S().lock);
    user::Window* w = Lookup(hwnd);
    if (!w) return;
    PresenterState& p = P();
    std::lock_guard<std::mutex> guard(p.lock);
    auto it = p.windows.find(hwnd);
    if (w->parent) {
        // Made a child of another window: it is drawn inside that one now.
        if (it != p.windows.end()) {
            it->second.destroyed = true;
            WakePresenter();
        }
        return;
    }
    const bool visible = (w->style & WS_VISIBLE) != 0;
    if (it == p.windows.end()) {
        if (!visible) return;
        it = p.windows.emplace(hwnd, Presented{}).first;
        it->second.hwnd = hwnd;
    }
    Presented& pr = it->second;
    pr.visible = visible;
    pr.rect = w->rect;
    pr.client = w->clientRect;
    pr.title = w->text;
    pr.style = w->style;
    pr.owner = w->owner;
    WakePresenter();
}

void WindowDestroyed(HWND hwnd) {
    if (CurrentMode() != kOn) return;
    PresenterState& p = P();
    std::lock_guard<std::mutex> guard(p.lock);
    auto it = p.windows.find(hwnd);
    if (it == p.windows.end()) return;
    it->second.destroyed = true;
    for (auto dc = p.openDCs.begin(); dc != p.openDCs.end();)
        dc = dc->second.top == hwnd ? p.openDCs.erase(dc) : std::next(dc);
    WakePresenter();
}

void DrawingBegins(HDC dc, HWND top, const Region& area) {
    if (CurrentMode() != kOn || !dc) return;
    PresenterState& p = P();
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.windows.count(top)) return;
    p.openDCs[dc] = OpenDC{top, area};
    AnythingDrawn() = true;
}

void DrawingEnds(HDC dc) {
    if (CurrentMode() != kOn) return;
    {
        PresenterState& p = P();
        std::lock_guard<std::mutex> guard(p.lock);
        auto it = p.openDCs.find(dc);
        if (it == p.openDCs.end()) return;
        auto w = p.windows.find(it->second.top);
        if (w != p.windows.end()) {
            w->second.candidates = w->second.candidates.Combine(it->second.area, RegionOp::Or);
            AnythingDrawn() = true;
        }
        p.openDCs.erase(it);
    }
    Flush();
}

void SurfaceChanged(HWND top, const Region& area) {
    if (CurrentMode() != kOn) return;
    PresenterState& p = P();
    std::lock_guard<std::mutex> guard(p.lock);
    auto w = p.windows.find(top);
    if (w == p.windows.end()) return;
    w->second.candidates = w->second.candidates.Combine(area, RegionOp::Or);
    AnythingDrawn() = true;
}

void Flush() {
    if (CurrentMode() != kOn || !AnythingDrawn()) return;
    std::lock_guard<std::recursive_mutex> tree(S().lock);
    PresenterState& p = P();
    std::lock_guard<std::mutex> guard(p.lock);
    bool changed = false;
    const DWORD self = GetCurrentThreadId();
    for (auto& [hwnd, pr] : p.windows) {
        user::Window* w = Lookup(hwnd);
        // A window's pixels are read by the thread that draws them, never
        // while that thread may be drawing.
        if (w && w->threadId != self) continue;
        Region area = pr.candidates;
        pr.candidates = Region();
        // DCs still open may have drawn too; forget those that were deleted
        // without being released.
        for (auto dc = p.openDCs.begin(); dc != p.openDCs.end();) {
            if (dc->second.top != hwnd) {
                ++dc;
                continue;
            }
            area = area.Combine(dc->second.area, RegionOp::Or);
            const bool stale = !w || win32::SurfaceOfDC(dc->first) != w->surface;
            dc = stale ? p.openDCs.erase(dc) : std::next(dc);
        }
        if (!w || !w->surface || pr.destroyed) continue;
        if (!area.Empty() || w->surface->Width() != pr.width || w->surface->Height() != pr.height)
            TakeChanges(pr, *w->surface, area);
        changed = changed || !pr.dirty.empty();
    }
    bool left = !p.openDCs.empty();
    for (auto& [hwnd, pr] : p.windows)
        left = left || !pr.candidates.Empty();
    AnythingDrawn() = left;
    if (changed) WakePresenter();
}

void ClipboardChanged() {
    if (!Active()) return;
    std::lock_guard<std::mutex> guard(P().lock);
    P().clipboardChanged = true;
    WakePresenter();
}

std::optional<std::string> FetchClipboard(UINT format, unsigned long selection,
                                          unsigned long time) {
    if (CurrentMode() != kOn) return std::nullopt;
    auto fetch = std::make_shared<ClipboardFetch>();
    fetch->format = format;
    fetch->selection = selection;
    fetch->time = time;
    fetch->waiter = std::make_shared<Waiter>();
    fetch->waiter->queue = CurrentQueue();
    {
        std::lock_guard<std::mutex> guard(P().lock);
        if (P().stopping || P().wakeFd < 0) return std::nullopt;
        P().fetches.push_back(fetch);
        WakePresenter();
    }
    // The presenter may route input meanwhile, sending hit tests to this thread.
    WaitPumping(fetch->waiter);
    std::lock_guard<std::mutex> guard(P().lock);
    return fetch->result;
}

namespace {

// Asks the presenter about a drag of this process and waits for the answer;
// false when the presenter is not there to answer.
bool AskAboutDrag(const std::shared_ptr<DesktopDragRequest>& request) {
    if (CurrentMode() != kOn) return false;
    request->waiter = std::make_shared<Waiter>();
    request->waiter->queue = CurrentQueue();
    {
        std::lock_guard<std::mutex> guard(P().lock);
        if (P().stopping || P().wakeFd < 0) return false;
        P().dragRequests.push_back(request);
        WakePresenter();
    }
    WaitPumping(request->waiter);
    return true;
}

} // namespace

std::optional<DesktopDragState> DragOverDesktop(POINT screen, DWORD keys, DWORD allowed,
                                                const std::function<DragData()>& data) {
    auto request = std::make_shared<DesktopDragRequest>();
    request->screen = screen;
    request->keys = keys;
    request->allowed = allowed;
    if (!AskAboutDrag(request)) return std::nullopt;
    if (request->wantsOffer) {
        // Over another program's window for the first time: it learns the
        // formats now, and the data stays ready for its request on the drop.
        auto offer = std::make_shared<DragOffer>();
        offer->formats = data();
        auto again = std::make_shared<DesktopDragRequest>(*request);
        again->offer = std::move(offer);
        again->wantsOffer = false;
        if (!AskAboutDrag(again)) return std::nullopt;
        request = again;
    }
    std::lock_guard<std::mutex> guard(P().lock);
    return DesktopDragState{request->desktop, request->effect};
}

DWORD DropOnDesktop(POINT screen, DWORD keys) {
    auto request = std::make_shared<DesktopDragRequest>();
    request->kind = DesktopDragRequest::Kind::Drop;
    request->screen = screen;
    request->keys = keys;
    if (!AskAboutDrag(request)) return 0;
    std::lock_guard<std::mutex> guard(P().lock);
    return request->effect;
}

void EndDesktopDrag() {
    auto request = std::make_shared<DesktopDragRequest>();
    request->kind = DesktopDragRequest::Kind::End;
    AskAboutDrag(request);
}

void DropAnswered(uint64_t serial, bool dropped, DWORD effect) {
    std::lock_guard<std::mutex> guard(P().lock);
    if (P().wakeFd < 0) return;
    P().dropAnswers.push_back({serial, dropped, effect});
    WakePresenter();
}

} // namespace win32::present

using namespace win32::present;

namespace TestSeams {

bool PresenterRunning() {
    return CurrentMode() == kOn;
}

void StopPresenter() {
    std::lock_guard<std::mutex> start(StartLock());
    if (CurrentMode() != kOn) {
        CurrentMode() = kUnchecked;
        return;
    }
    PresenterState& p = P();
    auto waiter = std::make_shared<Waiter>();
    waiter->queue = CurrentQueue();
    {
        std::lock_guard<std::mutex> guard(p.lock);
        p.stopping = true;
        p.stopper = waiter;
        WakePresenter();
    }
    WaitPumping(waiter);
    p.thread.join();
    CloseXDisplay(Display());
    Display() = nullptr;
    {
        std::lock_guard<std::mutex> guard(p.lock);
        p.windows.clear();
        p.openDCs.clear();
        p.syncs.clear();
        p.fetches.clear();
        p.replies.clear();
        p.dragRequests.clear();
        p.dropAnswers.clear();
        p.clipboardChanged = false;
        p.stopper.reset();
        p.pushed.clear();
        p.recording = false;
        close(p.wakeFd);
        p.wakeFd = -1;
    }
    AnythingDrawn() = false;
    CurrentMode() = kUnchecked;
}

void WaitForPresenter() {
    if (CurrentMode() != kOn) return;
    Flush();
    auto waiter = std::make_shared<Waiter>();
    waiter->queue = CurrentQueue();
    {
        std::lock_guard<std::mutex> guard(P().lock);
        P().syncs.push_back(waiter);
        WakePresenter();
    }
    WaitPumping(waiter);
}

unsigned long PresentedXWindow(HWND hwnd) {
    std::lock_guard<std::mutex> guard(P().lock);
    auto it = P().windows.find(hwnd);
    return it == P().windows.end() || !it->second.mapped ? 0 : it->second.xid;
}

void RecordPresentedRects(bool on) {
    std::lock_guard<std::mutex> guard(P().lock);
    P().recording = on;
    P().pushed.clear();
}

std::vector<PresentedRect> PresentedRects() {
    std::lock_guard<std::mutex> guard(P().lock);
    return P().pushed;
}

} // namespace TestSeams
