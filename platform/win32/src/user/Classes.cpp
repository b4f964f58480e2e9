// Window classes: registration, lookup and class data.
#include "NonClient.h"
#include "UserState.h"
#include "controls/Controls.h"

#include <win32/winbase.h>

#include <algorithm>

using namespace win32::user;

namespace win32::user {

// A class by name, or by atom when the name is an integer atom. Caller holds S().lock.
std::shared_ptr<WindowClass> FindClass(LPCWSTR name) {
    win32::controls::RegisterSystemClasses();
    if (!name) return nullptr;
    RegisterScrollBarClass();
    auto& classes = S().classes;
    if (IS_INTRESOURCE(name)) {
        ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
        for (auto& c : classes)
            if (c->atom == atom) return c;
        return nullptr;
    }
    std::u16string key = FoldName(name);
    for (auto& c : classes)
        if (FoldName(c->name) == key) return c;
    return nullptr;
}

} // namespace win32::user

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
    if (!wc || !wc->lpszClassName || wc->cbSize != sizeof(WNDCLASSEXW) || wc->cbClsExtra < 0 ||
        wc->cbWndExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    if (FindClass(wc->lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto c = std::make_shared<WindowClass>();
    c->name = wc->lpszClassName;
    c->atom = S().nextClassAtom++;
    c->style = wc->style;
    c->proc = wc->lpfnWndProc;
    c->clsExtra = wc->cbClsExtra;
    c->wndExtra = wc->cbWndExtra;
    c->instance = wc->hInstance;
    c->icon = wc->hIcon;
    c->iconSmall = wc->hIconSm;
    c->cursor = wc->hCursor;
    c->background = wc->hbrBackground;
    if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) c->menuName = wc->lpszMenuName;
    c->extraBytes.assign(static_cast<size_t>(wc->cbClsExtra), 0);
    S().classes.push_back(c);
    return c->atom;
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style,     wc->lpfnWndProc,  wc->cbClsExtra,
                   wc->cbWndExtra,      wc->hInstance, wc->hIcon,        wc->hCursor,
                   wc->hbrBackground,   wc->lpszMenuName, wc->lpszClassName, nullptr};
    return RegisterClassExW(&ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    auto c = FindClass(className);
    if (!c || c->system) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    auto& classes = S().classes;
    classes.erase(std::find(classes.begin(), classes.end(), c));
    return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR className, LPWNDCLASSEXW wc) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    auto c = FindClass(className);
    if (!c || !wc) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    wc->style = c->style;
    wc->lpfnWndProc = c->proc;
    wc->cbClsExtra = c->clsExtra;
    wc->cbWndExtra = c->wndExtra;
    wc->hInstance = c->instance;
    wc->hIcon = c->icon;
    wc->hIconSm = c->iconSmall;
    wc->hCursor = c->cursor;
    wc->hbrBackground = c->background;
    wc->lpszMenuName = c->menuName.empty() ? nullptr : c->menuName.c_str();
    wc->lpszClassName = c->name.c_str();
    return c->atom;
}

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW wc) {
    WNDCLASSEXW ex{};
    ex.cbSize = sizeof ex;
    if (!wc || !GetClassInfoExW(instance, className, &ex)) return FALSE;
    *wc = WNDCLASSW{ex.style,         ex.lpfnWndProc,  ex.cbClsExtra,   ex.cbWndExtra, ex.hInstance,
                    ex.hIcon,         ex.hCursor,      ex.hbrBackground, ex.lpszMenuName,
                    ex.lpszClassName};
    return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR name, int maxCount) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w || !name || maxCount <= 0) return 0;
    int n = std::min<int>(static_cast<int>(w->cls->name.size()), maxCount - 1);
    std::copy_n(w->cls->name.begin(), n, name);
    name[n] = 0;
    return n;
}

ULONG_PTR GetClassLongPtrW(HWND hwnd, int index) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return 0;
    WindowClass& c = *w->cls;
    if (index >= 0) {
        if (index + sizeof(LONG_PTR) > c.extraBytes.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        ULONG_PTR value = 0;
        std::copy_n(c.extraBytes.data() + index, sizeof value, reinterpret_cast<BYTE*>(&value));
        return value;
    }
    switch (index) {
    case GCL_STYLE: return c.style;
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(c.proc);
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c.background);
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(c.cursor);
    case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(c.icon);
    case GCLP_HICONSM: return reinterpret_cast<ULONG_PTR>(c.iconSmall);
    case GCLP_HMODULE: return reinterpret_cast<ULONG_PTR>(c.instance);
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(c.wndExtra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(c.clsExtra);
    case GCW_ATOM: return c.atom;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Window* w = Find(hwnd);
    if (!w) return 0;
    WindowClass& c = *w->cls;
    ULONG_PTR old = GetClassLongPtrW(hwnd, index);
    if (index >= 0) {
        if (index + sizeof(LONG_PTR) > c.extraBytes.size()) return 0;
        std::copy_n(reinterpret_cast<BYTE*>(&value), sizeof value, c.extraBytes.data() + index);
        return old;
    }
    switch (index) {
    case GCL_STYLE: c.style = static_cast<UINT>(value); break;
    case GCLP_WNDPROC: c.proc = reinterpret_cast<WNDPROC>(value); break;
    case GCLP_HBRBACKGROUND: c.background = reinterpret_cast<HBRUSH>(value); break;
    case GCLP_HCURSOR: c.cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCLP_HICON: c.icon = reinterpret_cast<HICON>(value); break;
    case GCLP_HICONSM: c.iconSmall = reinterpret_cast<HICON>(value); break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
    return old;
}
