#include <quorlpak/CustomControl.h>

#include <runpak/ScopeGuard.h>
#include <runpak/TypeInfo.h>
#include <win32/winbase.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// Canvases holding a DC they took from their control, and the thread of each.
struct CanvasList {
    std::mutex Lock;
    std::vector<std::pair<TControlCanvas*, DWORD>> Items;
};

CanvasList& Canvases() {
    static CanvasList list;
    return list;
}

void Forget(TControlCanvas* Canvas) {
    CanvasList& list = Canvases();
    std::lock_guard<std::mutex> guard(list.Lock);
    std::erase_if(list.Items, [&](const auto& item) { return item.first == Canvas; });
}

} // namespace

void FreeDeviceContexts() {
    std::vector<TControlCanvas*> mine;
    {
        CanvasList& list = Canvases();
        std::lock_guard<std::mutex> guard(list.Lock);
        DWORD thread = GetCurrentThreadId();
        for (const auto& [canvas, owner] : list.Items)
            if (owner == thread) mine.push_back(canvas);
    }
    for (TControlCanvas* canvas : mine)
        canvas->FreeHandle();
}

// --- TControlCanvas --------------------------------------------------------------------------

TControlCanvas::~TControlCanvas() {
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* Value) {
    if (FControl == Value) return;
    FreeHandle();
    FControl = Value;
}

void TControlCanvas::FreeHandle() {
    if (!FDeviceContext) return;
    Forget(this);
    HDC dc = FDeviceContext;
    FDeviceContext = nullptr;
    if (FHandle == dc) SetHandle(nullptr);
    ReleaseDC(FWindowHandle, dc);
    FWindowHandle = nullptr;
}

void TControlCanvas::CreateHandle() {
    if (!FControl) return;
    if (!FDeviceContext) {
        if (auto* windowed = dynamic_cast<TWinControl*>(FControl)) {
            FDeviceContext = windowed->GetDeviceContext(FWindowHandle);
        } else if (TWinControl* parent = FControl->GetParent()) {
            // A windowless control draws on its parent's window, moved and clipped to itself.
            FDeviceContext = parent->GetDeviceContext(FWindowHandle);
            SetViewportOrgEx(FDeviceContext, FControl->GetLeft(), FControl->GetTop(), nullptr);
            IntersectClipRect(FDeviceContext, 0, 0, FControl->GetWidth(), FControl->GetHeight());
        }
    }
    if (FDeviceContext) {
        {
            CanvasList& list = Canvases();
            std::lock_guard<std::mutex> guard(list.Lock);
            list.Items.emplace_back(this, GetCurrentThreadId());
        }
        SetHandle(FDeviceContext);
        UpdateTextFlags();
    }
}

void TControlCanvas::UpdateTextFlags() {
    if (!FControl) return;
    int flags = GetTextFlags() & ~ETO_RTLREADING;
    if (FControl->UseRightToLeftReading()) flags |= ETO_RTLREADING;
    SetTextFlags(flags);
}

// --- TCustomControl ----------------------------------------------------------------------------

TClass TCustomControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomControl>(u"TCustomControl", TWinControl::StaticClass()));
    return &meta;
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() {
    // The window goes while the canvas can still let go of its DC.
    if (FHandle) DestroyHandle();
    delete FCanvas;
    FCanvas = nullptr;
}

void TCustomControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        FControlState.Include(csCustomPaint);
        TWinControl::Dispatch(Message);
        FControlState.Exclude(csCustomPaint);
        return;
    }
    TWinControl::Dispatch(Message);
}

void TCustomControl::PaintWindow(HDC DC) {
    if (!FCanvas) return;
    FCanvas->Lock();
    // The paint DC replaces any DC the canvas held; outside painting it gets a new one.
    FCanvas->FreeHandle();
    FCanvas->SetHandle(DC);
    auto release = runpak::ScopeExit([this] {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
    });
    FCanvas->UpdateTextFlags();
    Paint();
}

void TCustomControl::DestroyWnd() {
    if (FCanvas) FCanvas->FreeHandle();
    TWinControl::DestroyWnd();
}

// --- TGraphicControl
// ------------------------------------------------------------------------------

TClass TGraphicControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TGraphicControl>(u"TGraphicControl", TControl::StaticClass()));
    return &meta;
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() {
    delete FCanvas;
    FCanvas = nullptr;
}

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg != WM_PAINT) {
        TControl::Dispatch(Message);
        return;
    }
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (!dc || GetComponentState().Contains(csDestroying)) return;
    FCanvas->Lock();
    FCanvas->FreeHandle();
    FCanvas->SetHandle(dc);
    auto release = runpak::ScopeExit([this] {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
    });
    Paint();
}
