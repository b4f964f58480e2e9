// TWinControl: painting the window, its background and its windowless children.
#include <quorlpak/WinControl.h>

#include <algorithm>

void TWinControl::Invalidate() {
    Perform(CM_INVALIDATE);
}

// WParam 1 is the notice passed up the parents that a child was invalidated;
// only WParam 0 invalidates the window itself.
void TWinControl::CMInvalidate(TMessage& Message) {
    if (!FHandle) return;
    if (FParent) FParent->Perform(CM_INVALIDATE, 1, 0);
    if (Message.WParam == 0) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
    // A window repaints itself; its parent only needs to know when it is a
    // windowless area of the parent's own surface.
    if (FHandle && IsVisible) InvalidateRect(FHandle, nullptr, !IsOpaque);
}

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

HDC TWinControl::GetDeviceContext(HWND& WindowHandle) {
    WindowHandle = GetHandle();
    return GetDC(WindowHandle);
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    RECT r = GetClientRect();
    ::FillRect(dc, &r, FBrush->GetHandle());
    Message.Result = 1;
}

void TWinControl::WMPaint(TMessage& Message) {
    TWMPaint paint(Message);
    if (FDoubleBuffered && !paint.DC) {
        // Draw everything into a bitmap first, then copy it in one go.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(FHandle, &ps);
        RECT client = GetClientRect();
        HDC memDC = CreateCompatibleDC(dc);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = std::max<LONG>(client.right, 1);
        info.bmiHeader.biHeight = -std::max<LONG>(client.bottom, 1);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
        HGDIOBJ old = SelectObject(memDC, bitmap);
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memDC), reinterpret_cast<LPARAM>(memDC));
        TMessage inner{WM_PAINT, reinterpret_cast<WPARAM>(memDC), 0, 0};
        WMPaint(inner);
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memDC, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        SelectObject(memDC, old);
        DeleteObject(bitmap);
        DeleteDC(memDC);
        EndPaint(FHandle, &ps);
        return;
    }
    if (!FControlState.Contains(csCustomPaint) && FControls.empty())
        DefaultHandler(Message);
    else
        PaintHandler(Message);
}

void TWinControl::PaintHandler(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    PAINTSTRUCT ps{};
    if (!dc) dc = BeginPaint(FHandle, &ps);
    if (FControls.empty()) {
        PaintWindow(dc);
    } else {
        // The window paints around opaque windowless children; they paint themselves.
        int saved = SaveDC(dc);
        int clip = SIMPLEREGION;
        for (TControl* control : FControls)
            if (control->FVisible && control->FControlStyle.Contains(csOpaque)) {
                clip = ExcludeClipRect(dc, control->FLeft, control->FTop,
                                       control->FLeft + control->FWidth,
                                       control->FTop + control->FHeight);
                if (clip == NULLREGION) break;
            }
        if (clip != NULLREGION) PaintWindow(dc);
        RestoreDC(dc, saved);
    }
    PaintControls(dc, nullptr);
    if (!Message.WParam) EndPaint(FHandle, &ps);
}

void TWinControl::PaintWindow(HDC DC) {
    // Our own class paints nothing by default; a system class paints itself.
    if (FDefWndProc == DefWindowProcW) return;
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
    DefaultHandler(message);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    size_t start = 0;
    if (First) {
        auto it = std::find(FControls.begin(), FControls.end(), First);
        if (it != FControls.end()) start = static_cast<size_t>(it - FControls.begin());
    }
    // Copy: a paint handler may add or remove controls.
    std::vector<TControl*> controls(FControls.begin() + static_cast<long>(start), FControls.end());
    for (TControl* control : controls) {
        if (!control->FVisible) continue;
        RECT bounds = control->GetBoundsRect();
        if (!RectVisible(DC, &bounds)) continue;
        int saved = SaveDC(DC);
        POINT origin{};
        GetViewportOrgEx(DC, &origin);
        SetViewportOrgEx(DC, origin.x + control->FLeft, origin.y + control->FTop, nullptr);
        IntersectClipRect(DC, 0, 0, control->FWidth, control->FHeight);
        control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        RestoreDC(DC, saved);
    }
}
