// Callback stubs, platform tests, rectangles, message box, drag detection.
#include "benchkit/shell/IDEVirtualUtilities.h"

#include <quorlpak/Application.h>
#include <quorlpak/Form.h>

#include <cstdlib>

TCallbackStub* CreateStub(std::function<DWORD(void* Argument)> Method) {
    return new TCallbackStub{std::move(Method)};
}

void DisposeStub(TCallbackStub* Stub) {
    delete Stub;
}

DWORD WINAPI StubThreadProc(LPVOID Stub) {
    auto* stub = static_cast<TCallbackStub*>(Stub);
    return stub && stub->Call ? stub->Call(nullptr) : 0;
}

RECT AbsRect(const RECT& R) {
    RECT result = R;
    if (result.left > result.right) std::swap(result.left, result.right);
    if (result.top > result.bottom) std::swap(result.top, result.bottom);
    return result;
}

void FreeMemAndNil(void*& P) {
    void* old = P;
    P = nullptr;
    std::free(old);
}

namespace {

OSVERSIONINFOW Version() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExW(&info);
    return info;
}

} // namespace

bool IsUnicode() {
    return Version().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsWin2000() {
    OSVERSIONINFOW v = Version();
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion > 4;
}

bool IsWinNT4() {
    OSVERSIONINFOW v = Version();
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion < 5;
}

bool IsWinXP() {
    OSVERSIONINFOW v = Version();
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion == 5 && v.dwMinorVersion > 0;
}

bool IsWin95_SR1() {
    OSVERSIONINFOW v = Version();
    return v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && v.dwMajorVersion == 4 &&
           v.dwMinorVersion == 0 && (v.dwBuildNumber & 0xFFFF) <= 1080;
}

bool IsWinME() {
    OSVERSIONINFOW v = Version();
    return v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && v.dwBuildNumber > 73010103;
}

// Owned by the application's main window, so that the box stays above it and
// disables it, whichever window happens to be active.
int WinMsgBox(const UnicodeString& Text, const UnicodeString& Caption, UINT Flags) {
    TCustomForm* main = Application ? Application->GetMainForm() : nullptr;
    HWND owner = main && main->HandleAllocated() ? main->GetHandle() : nullptr;
    return MessageBoxW(owner, Text.c_str(), Caption.c_str(), Flags);
}

bool DragDetectPlus(HWND Handle, POINT Pt) {
    RECT drag{Pt.x, Pt.y, Pt.x, Pt.y};
    InflateRect(&drag, GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG));
    HWND previous = GetCapture();
    SetCapture(Handle);
    bool result = false;
    for (bool done = false; !done;) {
        MSG msg;
        if (!PeekMessageW(&msg, Handle, 0, 0, PM_REMOVE)) {
            // Quit and cancel are posted to the thread, not to the window.
            if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            SwitchToThread();
            continue;
        }
        switch (msg.message) {
        case WM_MOUSEMOVE: {
            POINT at{static_cast<short>(LOWORD(msg.lParam)),
                     static_cast<short>(HIWORD(msg.lParam))};
            if (!PtInRect(&drag, at)) {
                result = true;
                done = true;
            }
            break;
        }
        case WM_QUIT:
        case WM_CANCELMODE:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONUP:
            PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
            done = true;
            break;
        default:
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            break;
        }
    }
    ReleaseCapture();
    if (previous == Handle) SetCapture(Handle);
    return result;
}
