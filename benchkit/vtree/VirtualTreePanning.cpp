// Wheel panning: a small shaped window at the press point shows which ways
// the content can move, the pointer's cursor shows the way it moves now, and
// the scroll timer moves the content faster the farther the pointer is from
// the start.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include "benchkit/BenchkitInstance.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Screen.h>

#include <win32/windows.h>

#include <cstdint>

namespace {

constexpr const char16_t* PanningClassName = u"VTPanningWindow";
constexpr COLORREF PanningKey = RGB(255, 0, 255);

LRESULT CALLBACK PanningWindowRoute(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* tree = reinterpret_cast<TBaseVirtualTree*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
    if (!tree) return DefWindowProcW(Window, Msg, WParam, LParam);
    TMessage message{};
    message.Msg = Msg;
    message.WParam = WParam;
    message.LParam = LParam;
    tree->PanningWindowProc(message);
    return message.Result;
}

// Registered once per module; a class of that name with another procedure
// (left by an older copy of the code) is replaced.
void RegisterPanningClass(HINSTANCE Instance) {
    WNDCLASSW existing{};
    if (GetClassInfoW(Instance, PanningClassName, &existing)) {
        if (existing.lpfnWndProc == PanningWindowRoute) return;
        UnregisterClassW(PanningClassName, Instance);
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = PanningWindowRoute;
    wc.hInstance = Instance;
    wc.lpszClassName = PanningClassName;
    RegisterClassW(&wc);
}

// The runs of each row whose colour is not the key, joined into one region.
HRGN RegionOfImage(TBitmap* Image) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    TCanvas* canvas = Image->GetCanvas();
    for (int y = 0; y < Image->GetHeight(); ++y) {
        int x = 0;
        while (x < Image->GetWidth()) {
            while (x < Image->GetWidth() && COLORREF(canvas->GetPixel(x, y)) == PanningKey)
                ++x;
            const int start = x;
            while (x < Image->GetWidth() && COLORREF(canvas->GetPixel(x, y)) != PanningKey)
                ++x;
            if (x > start) {
                HRGN run = CreateRectRgn(start, y, x, y + 1);
                CombineRgn(region, region, run, RGN_OR);
                DeleteObject(run);
            }
        }
    }
    return region;
}

} // namespace

void TBaseVirtualTree::StartWheelPanning(TPoint Position) {
    StopTimer(ScrollTimer);
    DoStateChange({tsWheelPanning, tsWheelScrolling}, {});
    FPanningStart = Position;
    HINSTANCE instance = BenchkitInstance();
    RegisterPanningClass(instance);
    POINT screen{Position.x, Position.y};
    ::ClientToScreen(GetHandle(), &screen);
    FPanningWindow = CreateWindowExW(WS_EX_TOOLWINDOW, PanningClassName, nullptr, WS_POPUP,
                                     screen.x - 16, screen.y - 16, 32, 32, GetHandle(), nullptr,
                                     instance, nullptr);
    const bool wider = FRangeX > GetClientWidth(), taller = FRangeY > GetClientHeight();
    const char16_t* image = wider && taller ? u"VT_MOVEALL" : wider ? u"VT_MOVEEW" : u"VT_MOVENS";
    FPanningImage = new TBitmap();
    FPanningImage->LoadFromResourceName(instance, image);
    if (!FPanningWindow) return;
    SetWindowRgn(FPanningWindow, RegionOfImage(FPanningImage), FALSE);
    SetWindowLongPtrW(FPanningWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(FPanningWindow, SW_SHOWNOACTIVATE);
    SetCapture(GetHandle());
    SetTimer(GetHandle(), ScrollTimer, 20, nullptr);
}

void TBaseVirtualTree::StopWheelPanning() {
    if (!HasState(tsWheelPanning) && !HasState(tsWheelScrolling)) return;
    StopTimer(ScrollTimer);
    if (HandleAllocated() && GetCapture() == GetHandle()) ReleaseCapture();
    DoStateChange({}, {tsWheelPanning, tsWheelScrolling});
    if (FPanningWindow) {
        SetWindowLongPtrW(FPanningWindow, GWLP_USERDATA, 0);
        DestroyWindow(FPanningWindow);
        FPanningWindow = nullptr;
    }
    delete FPanningImage;
    FPanningImage = nullptr;
    if (FPanningCursor) {
        DestroyCursor(FPanningCursor);
        FPanningCursor = nullptr;
        if (Screen) ::SetCursor(Screen->GetCursors(GetCursor()));
    }
}

void TBaseVirtualTree::PanningWindowProc(TMessage& Message) {
    if (Message.Msg != WM_PAINT) {
        Message.Result = DefWindowProcW(FPanningWindow, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(FPanningWindow, &ps);
    if (FPanningImage) {
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.Draw(0, 0, FPanningImage);
        canvas.SetHandle(nullptr);
    }
    EndPaint(FPanningWindow, &ps);
    Message.Result = 0;
}

void TBaseVirtualTree::AdjustPanningCursor(int X, int Y) {
    const int dx = X - FPanningStart.x, dy = Y - FPanningStart.y;
    const bool moved = dx > 7 || dx < -7 || dy > 7 || dy < -7;
    const bool wider = FRangeX > GetClientWidth(), taller = FRangeY > GetClientHeight();
    const char16_t* name;
    if (moved && wider && taller) {
        const int side = dx < -8 ? -1 : dx > 8 ? 1 : 0;
        const int row = dy < -8 ? -1 : dy > 8 ? 1 : 0;
        if (side == 0)
            name = dy < 0 ? u"VT_MOVEN" : u"VT_MOVES";
        else if (side < 0)
            name = row < 0 ? u"VT_MOVENW" : row > 0 ? u"VT_MOVESW" : u"VT_MOVEW";
        else
            name = row < 0 ? u"VT_MOVENE" : row > 0 ? u"VT_MOVESE" : u"VT_MOVEE";
    } else if (moved && wider) {
        name = dx < 0 ? u"VT_MOVEW" : u"VT_MOVEE";
    } else if (moved) {
        name = dy < 0 ? u"VT_MOVEN" : u"VT_MOVES";
    } else {
        name = !wider ? u"VT_MOVENS" : taller ? u"VT_MOVEALL" : u"VT_MOVEEW";
    }
    HCURSOR cursor = LoadCursorW(BenchkitInstance(), name);
    if (cursor == FPanningCursor) {
        DestroyCursor(cursor);
        return;
    }
    if (FPanningCursor) DestroyCursor(FPanningCursor);
    FPanningCursor = cursor;
    ::SetCursor(cursor);
}

// While panning the scroll timer moves the content by the pointer's distance
// from the start, less a dead zone of 8 pixels on each side.
bool TBaseVirtualTree::PanningTimerScroll() {
    if (!HasState(tsWheelPanning) && !HasState(tsWheelScrolling)) return false;
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(GetHandle(), &p);
    int dx = 0, dy = 0;
    const int rx = p.x - FPanningStart.x, ry = p.y - FPanningStart.y;
    if (ry < -8 && FOffsetY != 0) dy = FPanningStart.y - p.y - 8;
    if (ry > 8 && GetClientHeight() - FOffsetY != FRangeY) dy = FPanningStart.y - p.y + 8;
    if (rx < -8 && FEffectiveOffsetX != 0) dx = FPanningStart.x - p.x - 8;
    if (rx > 8 && GetClientWidth() + FEffectiveOffsetX != FRangeX) dx = FPanningStart.x - p.x + 8;
    if (UseRightToLeftAlignment()) dx = -dx;
    if (dx != 0 || dy != 0)
        DoSetOffsetXY(TPoint{FOffsetX + dx, FOffsetY + dy}, DefaultScrollUpdateFlags);
    UpdateWindow(GetHandle());
    return true;
}
