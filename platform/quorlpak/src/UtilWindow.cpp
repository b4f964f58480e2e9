#include <quorlpak/UtilWindow.h>

#include <win32/winbase.h>

#include <array>
#include <mutex>
#include <utility>

namespace {

constexpr const char16_t* kUtilClass = u"TPUtilWindow";

LRESULT CALLBACK UtilWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    // The method starts with the finished window: creation is the default's.
    if (msg == WM_NCCREATE || msg == WM_CREATE || msg == WM_NCCALCSIZE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto* method = reinterpret_cast<TWndMethodProc*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!method) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete method;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    TMessage message{msg, wParam, lParam, 0};
    (*method)(message);
    return message.Result;
}

void RegisterUtilClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = UtilWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kUtilClass;
        RegisterClassW(&wc);
    });
}

// --- The pool of method-bound window procedures ------------------------------------------------

constexpr size_t kPoolSize = 256;

struct Pool {
    std::mutex Lock;
    std::array<TWndMethodProc, kPoolSize> Methods;
    std::array<bool, kPoolSize> Used{};
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

template <size_t N> LRESULT CALLBACK Slot(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWndMethodProc method;
    {
        std::lock_guard<std::mutex> guard(ThePool().Lock);
        method = ThePool().Methods[N];
    }
    if (!method) return DefWindowProcW(hwnd, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    method(message);
    return message.Result;
}

template <size_t... N>
constexpr std::array<WNDPROC, kPoolSize> MakeSlots(std::index_sequence<N...>) {
    return {&Slot<N>...};
}

constexpr std::array<WNDPROC, kPoolSize> kSlots = MakeSlots(std::make_index_sequence<kPoolSize>());

} // namespace

HWND AllocateHWnd(TWndMethodProc Method) {
    RegisterUtilClass();
    auto* method = new TWndMethodProc(std::move(Method));
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kUtilClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, GetModuleHandleW(nullptr), method);
    if (!hwnd) delete method;
    return hwnd;
}

void DeallocateHWnd(HWND Wnd) {
    if (Wnd) DestroyWindow(Wnd);
}

WNDPROC MakeObjectInstance(TWndMethodProc Method) {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> guard(pool.Lock);
    for (size_t i = 0; i < kPoolSize; ++i)
        if (!pool.Used[i]) {
            pool.Used[i] = true;
            pool.Methods[i] = std::move(Method);
            return kSlots[i];
        }
    return nullptr;
}

void FreeObjectInstance(WNDPROC ObjectInstance) {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> guard(pool.Lock);
    for (size_t i = 0; i < kPoolSize; ++i)
        if (kSlots[i] == ObjectInstance) {
            pool.Used[i] = false;
            pool.Methods[i] = nullptr;
            return;
        }
}
