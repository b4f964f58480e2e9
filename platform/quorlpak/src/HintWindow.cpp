// The hint window.
#include <quorlpak/HintWindow.h>

#include <quorlpak/Canvas.h>
#include <quorlpak/Colors.h>
#include <quorlpak/Font.h>
#include <quorlpak/Screen.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    SetColor(clInfoBk);
    GetFont()->SetColor(clInfoText);
    SetVisible(false);
}

TClass THintWindow::StaticClass() {
    static const TMetaClass meta(TClassBuilder<THintWindow>(u"THintWindow", TCustomControl::StaticClass()));
    return &meta;
}

void THintWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WndParent = nullptr;
}

void THintWindow::WndProc(TMessage& Message) {
    // The mouse passes through a hint to whatever lies under it, so that a
    // hint over its own control never hides that control from the mouse.
    if (Message.Msg == WM_NCHITTEST) {
        Message.Result = HTTRANSPARENT;
        return;
    }
    TCustomControl::WndProc(Message);
}

TRect THintWindow::CalcHintRect(int MaxWidth, const UnicodeString& Hint, void* Data) {
    TRect r(0, 0, MaxWidth, 0);
    GetCanvas()->GetFont()->Assign(GetFont());
    DrawTextW(GetCanvas()->GetHandle(), reinterpret_cast<const WCHAR*>(Hint.c_str()),
              int(Hint.size()), &r,
              DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.right += 6;
    r.bottom += 2;
    return r;
}

void THintWindow::ActivateHint(TRect Rect, const UnicodeString& Hint) {
    SetCaption(Hint);
    HandleNeeded();
    SetWindowPos(GetHandle(), HWND_TOPMOST, Rect.left, Rect.top, Rect.right - Rect.left,
                 Rect.bottom - Rect.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetBoundsRect(Rect);
    ShowWindow(GetHandle(), SW_SHOWNOACTIVATE);
    Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const UnicodeString& Hint, void* Data) {
    ActivateHint(Rect, Hint);
}

bool THintWindow::IsHintMsg(const MSG& Msg) {
    return (Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST) ||
           (Msg.message >= WM_LBUTTONDOWN && Msg.message <= WM_MOUSELAST) ||
           Msg.message == WM_NCMOUSEMOVE;
}

void THintWindow::ReleaseHandle() {
    if (HandleAllocated()) ShowWindow(GetHandle(), SW_HIDE);
    DestroyHandle();
}

void THintWindow::Paint() {
    TRect r = GetClientRect();
    InflateRect(&r, -2, -2);
    TCanvas* canvas = GetCanvas();
    canvas->GetFont()->Assign(GetFont());
    SetBkMode(canvas->GetHandle(), TRANSPARENT);
    const UnicodeString text = GetCaption();
    DrawTextW(canvas->GetHandle(), reinterpret_cast<const WCHAR*>(text.c_str()), int(text.size()),
              &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

THintWindow* MakeHintWindow(TComponent* AOwner) {
    return new THintWindow(AOwner);
}

UnicodeString GetShortHint(const UnicodeString& Hint) {
    const size_t bar = Hint.find(u'|');
    return bar == UnicodeString::npos ? Hint : Hint.substr(0, bar);
}

UnicodeString GetLongHint(const UnicodeString& Hint) {
    const size_t bar = Hint.find(u'|');
    return bar == UnicodeString::npos ? Hint : Hint.substr(bar + 1);
}
