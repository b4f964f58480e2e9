// Drop-target registration and the modal drag loop. The loop runs on the
// thread's own input: it captures the mouse with a hidden window and reads
// mouse and key messages itself, dispatching everything else (timers, paint,
// posted and sent messages) as any modal loop of the layer does.
#include "DropSession.h"
#include "OleSupport.h"
#include "present/Presenter.h"
#include "user/NonClient.h"

#include <win32/shellapi.h>
#include <win32/winuser.h>

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

using namespace win32::ole;

constexpr const WCHAR* kTargetProperty = u"OleDropTargetInterface";
constexpr const WCHAR* kTrackerClass = u"OleDragTracker";

struct Registrations {
    std::mutex lock;
    std::unordered_map<HWND, IDropTarget*> targets; // counted
};

Registrations& R() {
    static auto* registrations = new Registrations;
    return *registrations;
}

// The registered target of a window, counted, or null.
IDropTarget* TargetOf(HWND hwnd) {
    std::lock_guard guard(R().lock);
    auto it = R().targets.find(hwnd);
    if (it == R().targets.end()) return nullptr;
    it->second->AddRef();
    return it->second;
}

DWORD KeyState() {
    DWORD keys = 0;
    if (GetKeyState(VK_LBUTTON) & 0x8000) keys |= MK_LBUTTON;
    if (GetKeyState(VK_RBUTTON) & 0x8000) keys |= MK_RBUTTON;
    if (GetKeyState(VK_MBUTTON) & 0x8000) keys |= MK_MBUTTON;
    if (GetKeyState(VK_SHIFT) & 0x8000) keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) & 0x8000) keys |= MK_CONTROL;
    if (GetKeyState(VK_MENU) & 0x8000) keys |= MK_ALT;
    return keys;
}

bool HasFiles(IDataObject* data) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data->QueryGetData(&format) == S_OK;
}

// Hands the dropped files to a window as WM_DROPFILES: a copy of the CF_HDROP
// block with the drop point in its client coordinates; the window frees it
// with DragFinish.
bool PostDroppedFiles(HWND window, IDataObject* data, POINT screen) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return false;
    HGLOBAL block = GlobalFromMedium(medium);
    ReleaseStgMedium(&medium);
    if (!block) return false;
    if (GlobalSize(block) < sizeof(DROPFILES)) {
        GlobalFree(block);
        return false;
    }
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    POINT client = screen;
    ScreenToClient(window, &client);
    header->pt = client;
    header->fNC = FALSE;
    GlobalUnlock(block);
    if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0)) {
        GlobalFree(block);
        return false;
    }
    return true;
}

LRESULT CALLBACK TrackerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// One drag of this program: over its own windows a drop session, beyond them
// (with windows on screen) the desktop's drag and drop.
class DragLoop {
public:
    DragLoop(IDataObject* data, IDropSource* source, DWORD allowed)
        : data_(data), source_(source), allowed_(allowed), local_(data, allowed) {}
    ~DragLoop() {
        if (desktop_) win32::present::EndDesktopDrag();
    }

    void Track(POINT screen, DWORD keys) {
        const auto desktop = win32::present::DragOverDesktop(
            screen, keys, allowed_, [this] { return DesktopData(data_); });
        if (desktop) desktop_ = true;
        overDesktop_ = desktop && desktop->overDesktop;
        if (overDesktop_) {
            local_.Leave();
            effect_ = desktop->effect & allowed_;
            return;
        }
        effect_ = local_.Track(screen, keys);
    }

    void Feedback() {
        if (source_->GiveFeedback(effect_) == DRAGDROP_S_USEDEFAULTCURSORS)
            SetCursor(LoadCursorW(nullptr, effect_ & ~DROPEFFECT_SCROLL ? IDC_ARROW : IDC_NO));
    }

    DWORD Drop(POINT screen, DWORD keys) {
        if (overDesktop_) return win32::present::DropOnDesktop(screen, keys) & allowed_;
        return local_.Drop(screen, keys);
    }

private:
    IDataObject* data_;
    IDropSource* source_;
    DWORD allowed_;
    DropSession local_;
    DWORD effect_ = DROPEFFECT_NONE;
    bool desktop_ = false;     // the presenter took part: it must hear the end
    bool overDesktop_ = false; // the cursor is beyond the program's windows
};

bool IsInput(UINT msg) {
    return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) ||
           (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMOUSEMOVE + 0x0D);
}

enum class Next { Input, Tick, Quit, CaptureLost };

// While the mouse rests the target is asked again at this pace, so that it
// can scroll or open a node under the mouse.
constexpr UINT kTickTimer = 1;
constexpr UINT kTickInterval = 50;

// Waits for the next input message, dispatching the rest meanwhile.
Next NextInput(HWND tracker, MSG& msg) {
    for (;;) {
        if (GetCapture() != tracker) return Next::CaptureLost;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // the outer loop ends too
            return Next::Quit;
        }
        if (IsInput(msg.message)) return Next::Input;
        if (msg.message == WM_TIMER && msg.hwnd == tracker && msg.wParam == kTickTimer)
            return Next::Tick;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

namespace win32::ole {

DropSession::DropSession(IDataObject* data, DWORD allowed) : data_(data), allowed_(allowed) {
    data_->AddRef();
}

DropSession::~DropSession() {
    Leave();
    data_->Release();
}

DropSession::Under DropSession::FindUnder(POINT screen) {
    Under under;
    for (HWND w = WindowFromPoint(screen); w; w = GetAncestor(w, GA_PARENT)) {
        if (IDropTarget* target = TargetOf(w)) {
            under.window = w;
            under.target = target;
            return under;
        }
        if ((GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) && HasFiles(data_)) {
            under.window = w;
            under.filesOnly = true;
            return under;
        }
        if (!(GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD)) break;
    }
    return under;
}

DWORD DropSession::Track(POINT screen, DWORD keys) {
    Under under = FindUnder(screen);
    if (under.window != under_.window) {
        Leave();
        under_ = under;
        if (under_.target) {
            DWORD effect = allowed_;
            if (under_.target->DragEnter(data_, keys, POINTL{screen.x, screen.y}, &effect) == S_OK)
                effect_ = effect & allowed_;
        } else if (under_.filesOnly) {
            effect_ = allowed_ & DROPEFFECT_COPY;
        }
        return effect_;
    }
    if (under.target) under.target->Release();
    if (!under_.target) return effect_;
    DWORD effect = allowed_;
    effect_ = under_.target->DragOver(keys, POINTL{screen.x, screen.y}, &effect) == S_OK
                  ? effect & allowed_
                  : DROPEFFECT_NONE;
    return effect_;
}

DWORD DropSession::Drop(POINT screen, DWORD keys) {
    if (effect_ == DROPEFFECT_NONE) {
        Leave();
        return DROPEFFECT_NONE;
    }
    const Under under = under_;
    const DWORD chosen = effect_;
    under_ = Under{};
    effect_ = DROPEFFECT_NONE;
    if (under.filesOnly) return PostDroppedFiles(under.window, data_, screen) ? chosen : 0;
    if (!under.target) return DROPEFFECT_NONE;
    DWORD effect = chosen;
    const HRESULT hr = under.target->Drop(data_, keys, POINTL{screen.x, screen.y}, &effect);
    under.target->Release();
    return SUCCEEDED(hr) ? effect & allowed_ : DROPEFFECT_NONE;
}

void DropSession::Leave() {
    if (under_.target) {
        under_.target->DragLeave();
        under_.target->Release();
    }
    under_ = Under{};
    effect_ = DROPEFFECT_NONE;
}

void DropTargetWindowGone(HWND hwnd) {
    IDropTarget* gone = nullptr;
    {
        std::lock_guard guard(R().lock);
        auto it = R().targets.find(hwnd);
        if (it == R().targets.end()) return;
        gone = it->second;
        R().targets.erase(it);
    }
    gone->Release();
}

} // namespace win32::ole

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* pDropTarget) {
    if (!pDropTarget) return E_INVALIDARG;
    if (!hwnd || !IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
    {
        std::lock_guard guard(R().lock);
        if (R().targets.count(hwnd)) return DRAGDROP_E_ALREADYREGISTERED;
        pDropTarget->AddRef();
        R().targets[hwnd] = pDropTarget;
    }
    SetPropW(hwnd, kTargetProperty, reinterpret_cast<HANDLE>(pDropTarget));
    return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
    IDropTarget* target = nullptr;
    {
        std::lock_guard guard(R().lock);
        auto it = R().targets.find(hwnd);
        if (it == R().targets.end()) return DRAGDROP_E_NOTREGISTERED;
        target = it->second;
        R().targets.erase(it);
    }
    RemovePropW(hwnd, kTargetProperty);
    target->Release();
    return S_OK;
}

HRESULT DoDragDrop(IDataObject* pDataObj, IDropSource* pDropSource, DWORD dwOKEffects,
                   DWORD* pdwEffect) {
    if (!pDataObj || !pDropSource || !pdwEffect) return E_INVALIDARG;
    *pdwEffect = DROPEFFECT_NONE;
    win32::user::EnsureLayerClass(kTrackerClass, TrackerProc, 0, nullptr);
    HWND tracker = CreateWindowExW(0, kTrackerClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   nullptr, nullptr);
    if (!tracker) return E_OUTOFMEMORY;
    pDataObj->AddRef();
    pDropSource->AddRef();
    SetCapture(tracker);
    SetTimer(tracker, kTickTimer, kTickInterval, nullptr);

    HRESULT result = DRAGDROP_S_CANCEL;
    {
        DragLoop loop(pDataObj, pDropSource, dwOKEffects);
        POINT cursor{};
        GetCursorPos(&cursor);
        DWORD keys = KeyState();
        bool escape = false;
        for (;;) {
            const HRESULT go = pDropSource->QueryContinueDrag(escape ? TRUE : FALSE, keys);
            if (go == DRAGDROP_S_DROP) {
                const DWORD effect = loop.Drop(cursor, keys);
                *pdwEffect = effect;
                result = effect == DROPEFFECT_NONE ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
                break;
            }
            if (go != S_OK) {
                result = FAILED(go) ? go : DRAGDROP_S_CANCEL;
                break;
            }
            loop.Track(cursor, keys);
            loop.Feedback();

            MSG msg{};
            const Next next = NextInput(tracker, msg);
            if (next == Next::Tick) {
                escape = false;
                keys = KeyState();
                GetCursorPos(&cursor);
                continue;
            }
            if (next != Next::Input) break;
            escape = (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) &&
                     msg.wParam == VK_ESCAPE;
            keys = KeyState();
            cursor = msg.pt; // where the cursor was when this input happened

        }
    }

    if (GetCapture() == tracker) ReleaseCapture();
    KillTimer(tracker, kTickTimer);
    DestroyWindow(tracker);
    pDropSource->Release();
    pDataObj->Release();
    return result;
}
