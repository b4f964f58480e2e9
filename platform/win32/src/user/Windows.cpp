// Windows: creation and destruction, the window tree, window data and properties.
#include "../present/Presenter.h"
#include "NonClient.h"
#include "UserState.h"

#include <win32/winbase.h>

#include <algorithm>
#include <cstring>

using namespace win32::user;

namespace {

std::vector<HWND>& SiblingsOf(Window& w) {
    if (w.parent) {
        if (Window* p = Find(w.parent)) return p->children;
    }
    return S().topLevels;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(hwnd, msg, wParam, lParam);
}

// Sends WM_DESTROY to a window, then to its children, parents first.
void SendDestroy(HWND hwnd) {
    ClipboardOwnerGoing(hwnd);
    Send(hwnd, WM_DESTROY);
    std::vector<HWND> children;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(hwnd)) children = w->children;
    }
    for (HWND child : children) SendDestroy(child);
}

// Frees a window after its children: WM_NCDESTROY reaches children first.
void FreeWindow(HWND hwnd) {
    std::vector<HWND> children;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (Window* w = Find(hwnd)) children = w->children;
    }
    for (HWND child : children) FreeWindow(child);
    Send(hwnd, WM_NCDESTROY);
    win32::present::WindowDestroyed(hwnd);
    ReleaseWindowState(hwnd);
    ReleaseWindowExtras(hwnd);

    std::shared_ptr<Window> doomed;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        auto it = S().windows.find(reinterpret_cast<uintptr_t>(hwnd));
        if (it == S().windows.end()) return;
        doomed = it->second;
        bool paintBefore = doomed->NeedsPaint();
        doomed->update = win32::Region();
        doomed->internalPaint = false;
        SetNeedsPaint(*doomed, paintBefore);
        auto& siblings = SiblingsOf(*doomed);
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
        --doomed->cls->windowCount;
        if (S().lockedUpdate == hwnd) S().lockedUpdate = nullptr;
        S().windows.erase(it);
    }
    if (doomed->queue) ForgetWindowTimers(*doomed->queue, hwnd);
}

} // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    x = ClampWindowCoordinate(x);
    y = ClampWindowCoordinate(y);
    width = ClampWindowCoordinate(width);
    height = ClampWindowCoordinate(height);
    auto queue = CurrentQueue();
    auto w = std::make_shared<Window>();
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        w->cls = FindClass(className);
        if (!w->cls) {
            SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
            return nullptr;
        }
        if (parent == HWND_MESSAGE) parent = nullptr;
        if (parent && !Find(parent)) return nullptr;
        if ((style & WS_CHILD) && !parent) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        if (style & WS_CHILD) {
            w->parent = parent;
            w->id = reinterpret_cast<LONG_PTR>(menu);
        } else {
            // A top-level window's "parent" is its owner: the root of the given window.
            HWND owner = parent;
            while (owner) {
                Window* o = Find(owner);
                VERIFY(o);
                if (!o->parent) break;
                owner = o->parent;
            }
            w->owner = owner;
            w->id = reinterpret_cast<LONG_PTR>(menu);
        }
        const bool overlapped = !(style & (WS_CHILD | WS_POPUP));
        if (x == CW_USEDEFAULT) {
            x = overlapped ? 100 : 0;
            y = overlapped ? 100 : 0;
        }
        if (width == CW_USEDEFAULT) {
            width = overlapped ? 640 : 0;
            height = overlapped ? 480 : 0;
        }
        w->handle = reinterpret_cast<HWND>(S().nextHandle);
        S().nextHandle += 2;
        w->queue = queue;
        w->threadId = queue->threadId;
        w->style = style & ~WS_VISIBLE;
        w->exStyle = exStyle;
        w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
        w->clientRect = w->rect;
        w->proc = w->cls->proc;
        w->instance = instance;
        w->extraBytes.assign(static_cast<size_t>(w->cls->wndExtra), 0);
        ++w->cls->windowCount;
        S().windows[reinterpret_cast<uintptr_t>(w->handle)] = w;
        // A new top-level window comes to the top; a new child goes below its
        // siblings, so that children stack (and tab) in the order they were created.
        auto& siblings = SiblingsOf(*w);
        if (w->parent) siblings.push_back(w->handle);
        else siblings.insert(siblings.begin(), w->handle);
    }
    HWND hwnd = w->handle;

    CREATESTRUCTW cs{param,
                     instance,
                     menu,
                     parent,
                     height,
                     width,
                     y,
                     x,
                     static_cast<LONG>(style),
                     windowName,
                     className,
                     exStyle};
    // Windows that the user may size are asked for their limits first.
    if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
        MINMAXINFO limits = DefaultMinMaxInfo(style);
        const MINMAXINFO before = limits;
        Send(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        // Only limits the window set itself change the size it asked for.
        auto clamp = [](LONG value, LONG low, LONG high) { return std::max(low, std::min(value, high)); };
        const bool changed = std::memcmp(&before, &limits, sizeof limits) != 0;
        if (changed) {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            RECT& r = w->rect;
            r.right = r.left + clamp(r.right - r.left, limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x);
            r.bottom = r.top + clamp(r.bottom - r.top, limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y);
            w->clientRect = r;
            cs.cx = r.right - r.left;
            cs.cy = r.bottom - r.top;
        }
    }
    if (!Send(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    RecalcClientRect(hwnd);
    if (Send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd)) return nullptr;
    // Children and pop-ups learn their size and place now; an overlapped
    // window learns them when it is first shown.
    const bool overlapped = !(style & (WS_CHILD | WS_POPUP));
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        w->created = true;
        w->sizePending = overlapped;
    }
    if (!overlapped) SendSizeAndMove(hwnd);
    if ((style & WS_CHILD) && !(exStyle & WS_EX_NOPARENTNOTIFY) && parent)
        Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, w->id),
             reinterpret_cast<LPARAM>(hwnd));
    if (style & WS_VISIBLE) ShowNewWindow(hwnd);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    std::vector<HWND> owned;
    HWND parent = nullptr;
    LONG_PTR id = 0;
    bool notifyParent = false;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        if (w->threadId != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying) return TRUE;
        w->destroying = true;
        parent = w->parent;
        id = w->id;
        notifyParent = (w->style & WS_CHILD) && !(w->exStyle & WS_EX_NOPARENTNOTIFY);
        for (auto& [key, other] : S().windows)
            if (other->owner == hwnd) owned.push_back(other->handle);
    }
    if (notifyParent && parent)
        Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, id), reinterpret_cast<LPARAM>(hwnd));
    for (HWND o : owned) DestroyWindow(o);
    HideForDestruction(hwnd);
    SendDestroy(hwnd);
    FreeWindow(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return S().windows.count(reinterpret_cast<uintptr_t>(hwnd)) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    while (w && w->parent) {
        if (w->parent == parent) return TRUE;
        w = Find(w->parent);
    }
    return FALSE;
}

HWND GetParent(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    if (w->style & WS_CHILD) return w->parent;
    return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(child);
    if (!w || (newParent && !Find(newParent))) return nullptr;
    if (newParent == child || (newParent && IsChild(child, newParent))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HWND old = w->parent ? w->parent : GetDesktopWindow();
    auto& siblings = SiblingsOf(*w);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), child), siblings.end());
    w->parent = newParent;
    if (newParent) {
        w->style |= WS_CHILD;
        w->style &= ~WS_POPUP;
    }
    auto& now = SiblingsOf(*w);
    now.insert(now.begin(), child);
    return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    switch (flags) {
    case GA_PARENT: return w->parent ? w->parent : GetDesktopWindow();
    case GA_ROOT:
        while (w->parent) {
            w = Find(w->parent);
            VERIFY(w); // a parent outlives its children
        }
        return w->handle;
    case GA_ROOTOWNER:
        for (;;) {
            while (w->parent) {
                w = Find(w->parent);
                VERIFY(w);
            }
            if (!w->owner) return w->handle;
            w = Find(w->owner);
            VERIFY(w); // owners are checked when set and outlive what they own
        }
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND GetWindow(HWND hwnd, UINT cmd) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    if (cmd == GW_OWNER) return w->owner;
    auto& siblings = SiblingsOf(*w);
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (cmd) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return (it + 1) == siblings.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == siblings.begin() ? nullptr : *(it - 1);
    case GW_ENABLEDPOPUP: return nullptr;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd) {
    if (!hwnd) {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        return S().topLevels.empty() ? nullptr : S().topLevels.front();
    }
    return GetWindow(hwnd, GW_CHILD);
}

HWND GetDesktopWindow() {
    // The desktop is not a window of the tree; it has a fixed handle of its own.
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010 - 2));
}

namespace {

void CollectDescendants(HWND hwnd, std::vector<HWND>& out) {
    Window* w = Find(hwnd);
    if (!w) return;
    for (HWND child : w->children) {
        out.push_back(child);
        CollectDescendants(child, out);
    }
}

BOOL EnumList(const std::vector<HWND>& list, WNDENUMPROC proc, LPARAM lParam) {
    for (HWND hwnd : list)
        if (IsWindow(hwnd) && !proc(hwnd, lParam)) return FALSE;
    return TRUE;
}

} // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    std::vector<HWND> list;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (!parent) list = S().topLevels;
        else CollectDescendants(parent, list);
    }
    return EnumList(list, proc, lParam);
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
    std::vector<HWND> list;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        list = S().topLevels;
    }
    return EnumList(list, proc, lParam);
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam) {
    std::vector<HWND> list;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        for (HWND top : S().topLevels)
            if (Find(top)->threadId == threadId) list.push_back(top);
    }
    return EnumList(list, proc, lParam);
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    auto cls = className ? FindClass(className) : nullptr;
    if (className && !cls) return nullptr;
    for (HWND top : S().topLevels) {
        Window* w = Find(top);
        if (cls && w->cls != cls) continue;
        if (windowName && w->text != windowName) continue;
        return top;
    }
    return nullptr;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return 0;
    if (processId) *processId = GetCurrentProcessId();
    return w->threadId;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return 0;
    if (index >= 0) {
        if (index + sizeof(LONG_PTR) > w->extraBytes.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG_PTR value = 0;
        std::copy_n(w->extraBytes.data() + index, sizeof value, reinterpret_cast<BYTE*>(&value));
        return value;
    }
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWLP_USERDATA: return w->userData;
    case GWLP_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

namespace {

// A new owner of a top-level window: a window (its root stands in for it, as
// at creation) that is not owned by this one, or null. Lookups of the owner
// chain rely on both.
bool SetOwner(Window& w, HWND owner) {
    if (owner) {
        Window* o = Find(owner);
        if (!o) return false;
        while (o->parent) {
            o = Find(o->parent);
            VERIFY(o);
        }
        for (Window* run = o; run; run = run->owner ? Find(run->owner) : nullptr) {
            if (run == &w) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return false;
            }
        }
        owner = o->handle;
    }
    w.owner = owner;
    return true;
}

} // namespace

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        LONG_PTR old = GetWindowLongPtrW(hwnd, index);
        if (!IsWindow(hwnd)) return 0;
        WPARAM which = static_cast<WPARAM>(index);
        STYLESTRUCT change{static_cast<DWORD>(old), static_cast<DWORD>(value)};
        Send(hwnd, WM_STYLECHANGING, which, reinterpret_cast<LPARAM>(&change));
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            Window* w = Find(hwnd);
            if (!w) return 0;
            if (index == GWL_STYLE)
                // Visibility changes only through ShowWindow/SetWindowPos.
                w->style = (change.styleNew & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
            else w->exStyle = change.styleNew;
        }
        Send(hwnd, WM_STYLECHANGED, which, reinterpret_cast<LPARAM>(&change));
        return old;
    }
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return 0;
    LONG_PTR old = GetWindowLongPtrW(hwnd, index);
    if (index >= 0) {
        if (index + sizeof(LONG_PTR) > w->extraBytes.size()) return 0;
        std::copy_n(reinterpret_cast<BYTE*>(&value), sizeof value, w->extraBytes.data() + index);
        return old;
    }
    switch (index) {
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWLP_HWNDPARENT:
        if (!w->parent && !SetOwner(*w, reinterpret_cast<HWND>(value))) return 0;
        break;
    case GWLP_USERDATA: w->userData = value; break;
    case GWLP_ID: w->id = value; break;
    default: return 0;
    }
    return old;
}

LONG GetWindowLongW(HWND hwnd, int index) {
    return static_cast<LONG>(GetWindowLongPtrW(hwnd, index));
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

int GetWindowTextW(HWND hwnd, LPWSTR text, int maxCount) {
    if (!text || maxCount <= 0) return 0;
    text[0] = 0;
    return static_cast<int>(Send(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                 reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND hwnd) { return static_cast<int>(Send(hwnd, WM_GETTEXTLENGTH)); }

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Send(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetDlgCtrlID(HWND hwnd) { return static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_ID)); }

HWND GetDlgItem(HWND dialog, int id) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(dialog);
    if (!w) return nullptr;
    for (HWND child : w->children)
        if (Find(child)->id == id) return child;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallProc(proc, hwnd, msg, wParam, lParam);
}

namespace {

// Property names: a string, or an atom whose name stands for the string.
bool PropKey(LPCWSTR name, std::u16string& key) {
    if (!name) return false;
    if (IS_INTRESOURCE(name)) {
        WCHAR buffer[256];
        UINT n = GlobalGetAtomNameW(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)), buffer, 256);
        if (n == 0) return false;
        key = FoldName(std::u16string_view(buffer, n));
        return true;
    }
    key = FoldName(name);
    return true;
}

} // namespace

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
    std::u16string key;
    if (!PropKey(name, key)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    w->props[key] = data;
    return TRUE;
}

HANDLE GetPropW(HWND hwnd, LPCWSTR name) {
    std::u16string key;
    if (!PropKey(name, key)) return nullptr;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    auto it = w->props.find(key);
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name) {
    std::u16string key;
    if (!PropKey(name, key)) return nullptr;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    auto it = w->props.find(key);
    if (it == w->props.end()) return nullptr;
    HANDLE data = it->second;
    w->props.erase(it);
    return data;
}
