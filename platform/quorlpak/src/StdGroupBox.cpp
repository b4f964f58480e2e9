// TGroupBox: a captioned frame around controls, painted by the control.
#include <quorlpak/StdCtrls.h>

#include "PublishControls.h"
#include "StdSupport.h"

#include <win32/wingdi.h>

namespace {

TClassBuilder<TGroupBox> GroupBoxDescription() {
    TClassBuilder<TGroupBox> b(u"TGroupBox", TCustomGroupBox::StaticClass());
    quorlpak::PublishWinControl(b);
    quorlpak::PublishCaption(b);
    return b;
}

} // namespace

TClass TCustomGroupBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomGroupBox>(u"TCustomGroupBox", TCustomControl::StaticClass()));
    return &meta;
}

TClass TGroupBox::StaticClass() {
    static const TMetaClass meta(GroupBoxDescription());
    return &meta;
}

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents,
                     csSetCaption,      csDoubleClicks, csReplicatable};
    FWidth = 185;
    FHeight = 105;
}

void TCustomGroupBox::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    // Below the caption line, inside the frame.
    Rect.top += quorlpak::FontHeight(FFont);
    Rect.left += 1;
    Rect.right -= 1;
    Rect.bottom -= 1;
}

void TCustomGroupBox::Paint() {
    TCanvas* canvas = GetCanvas();
    HDC dc = canvas->GetHandle();
    RECT client = GetClientRect();
    HBRUSH back = CreateSolidBrush(ColorToRGB(FColor));
    FillRect(dc, &client, back);
    const int h = quorlpak::FontHeight(FFont);
    RECT frame = client;
    frame.top += h / 2 - 1;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    UnicodeString caption = GetCaption();
    if (!caption.empty()) {
        HGDIOBJ oldFont = SelectObject(dc, FFont->GetHandle());
        RECT label{8, 0, client.right - 8, h};
        const UINT flags = DT_SINGLELINE | DT_LEFT | DT_END_ELLIPSIS;
        RECT measured = label;
        DrawTextW(dc, caption.c_str(), int(caption.size()), &measured, flags | DT_CALCRECT);
        label.right = std::min(label.right, measured.right);
        RECT gap = label;
        InflateRect(&gap, 2, 0);
        FillRect(dc, &gap, back);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc,
                     GetEnabled() ? ColorToRGB(FFont->GetColor()) : GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, caption.c_str(), int(caption.size()), &label, flags);
        SelectObject(dc, oldFont);
    }
    DeleteObject(back);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        Realign();
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}
