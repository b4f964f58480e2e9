// TCustomButtonedEdit and its two image buttons.
#include <quorlpak/ButtonedEdit.h>

#include <quorlpak/Colors.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Menus.h>

#include "PublishControls.h"
#include "StdSupport.h"

// The button's window: paints its image and takes the mouse.
class TEditButton::TGlyph : public TCustomControl {
public:
    TGlyph(TEditButton* AButton) : TCustomControl(nullptr), FButton(AButton) {
        FControlStyle.Exclude(csCaptureMouse); // captured by hand, to see releases outside
        FControlStyle.Include(csOpaque);
        SetCursor(crArrow);
    }

    bool FHot = false;
    bool FPressed = false;

protected:
    void Paint() override {
        TCanvas* canvas = GetCanvas();
        TCustomButtonedEdit* edit = FButton->FEditControl;
        canvas->GetBrush()->SetColor(edit->GetColor());
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
        TCustomImageList* images = edit->GetImages();
        const int index = FButton->CurrentImageIndex();
        if (!images || index < 0 || index >= images->GetCount()) return;
        images->Draw(canvas, (GetWidth() - images->GetWidth()) / 2,
                     (GetHeight() - images->GetHeight()) / 2, index,
                     FButton->GetEnabled() && edit->GetEnabled());
    }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        if (Button != mbLeft || !FButton->GetEnabled()) return;
        FPressed = true;
        SetMouseCapture(true);
        Invalidate();
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        TCustomControl::MouseUp(Button, Shift, X, Y);
        if (Button != mbLeft || !FPressed) return;
        FPressed = false;
        SetMouseCapture(false);
        Invalidate();
        if (X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight()) FButton->Click();
    }
    void DoMouseEnter() override {
        TCustomControl::DoMouseEnter();
        FHot = true;
        Invalidate();
    }
    void DoMouseLeave() override {
        TCustomControl::DoMouseLeave();
        FHot = false;
        Invalidate();
    }

private:
    TEditButton* FButton;
};

// --- TEditButton --------------------------------------------------------------------------------

TEditButton::TEditButton(TCustomButtonedEdit* EditControl, TButtonPosition APosition)
    : FEditControl(EditControl), FPosition(APosition) {}

TEditButton::~TEditButton() {
    DestroyGlyph();
}

TCustomControl* TEditButton::GetGlyph() const {
    return FGlyph;
}

void TEditButton::CreateGlyph() {
    if (FGlyph || !FEditControl->HandleAllocated()) return;
    FGlyph = new TGlyph(this);
    FGlyph->SetVisible(FVisible);
    FGlyph->SetHint(FHint);
    FGlyph->SetParent(FEditControl);
    UpdateBounds();
}

void TEditButton::DestroyGlyph() {
    delete FGlyph;
    FGlyph = nullptr;
}

int TEditButton::CurrentImageIndex() const {
    const bool enabled = FEnabled && FEditControl->GetEnabled();
    if (!enabled && FDisabledImageIndex >= 0) return FDisabledImageIndex;
    if (FGlyph && FGlyph->FPressed && FPressedImageIndex >= 0) return FPressedImageIndex;
    if (FGlyph && FGlyph->FHot && FHotImageIndex >= 0) return FHotImageIndex;
    return FImageIndex;
}

int TEditButton::Width() const {
    if (!FVisible) return 0;
    TCustomImageList* images = FEditControl->GetImages();
    return images ? images->GetWidth() + 2 : 0;
}

void TEditButton::UpdateBounds() {
    if (!FGlyph) return;
    const int width = Width();
    const int height = FEditControl->GetClientHeight();
    const int left = FPosition == bpLeft ? 0 : FEditControl->GetClientWidth() - width;
    FGlyph->SetBounds(left, 0, std::max(width, 0), height);
    FGlyph->SetVisible(FVisible && width > 0);
}

void TEditButton::Changed() {
    if (FGlyph) {
        UpdateBounds();
        FGlyph->Invalidate();
    }
    FEditControl->UpdateEditMargins();
}

void TEditButton::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    Changed();
}

void TEditButton::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    Changed();
}

void TEditButton::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    Changed();
}

void TEditButton::SetHotImageIndex(int Value) {
    if (FHotImageIndex == Value) return;
    FHotImageIndex = Value;
    Changed();
}

void TEditButton::SetPressedImageIndex(int Value) {
    if (FPressedImageIndex == Value) return;
    FPressedImageIndex = Value;
    Changed();
}

void TEditButton::SetDisabledImageIndex(int Value) {
    if (FDisabledImageIndex == Value) return;
    FDisabledImageIndex = Value;
    Changed();
}

void TEditButton::SetDropDownMenu(TPopupMenu* Value) {
    if (FDropDownMenu == Value) return;
    if (FDropDownMenu) FDropDownMenu->RemoveFreeNotification(FEditControl);
    FDropDownMenu = Value;
    if (Value) Value->FreeNotification(FEditControl);
}

void TEditButton::SetHint(const UnicodeString& Value) {
    FHint = Value;
    if (FGlyph) FGlyph->SetHint(Value);
}

void TEditButton::Click() {
    if (!FEnabled || !FEditControl->GetEnabled()) return;
    if (FDropDownMenu) {
        TPoint p = FGlyph ? FGlyph->ClientToScreen(TPoint(0, FGlyph->GetHeight()))
                          : FEditControl->ClientToScreen(TPoint(0, FEditControl->GetHeight()));
        FDropDownMenu->SetPopupComponent(FEditControl);
        FDropDownMenu->Popup(p.x, p.y);
        return;
    }
    TNotifyEvent& handler = FPosition == bpLeft ? FEditControl->OnLeftButtonClick
                                                : FEditControl->OnRightButtonClick;
    if (handler) handler(FEditControl);
}

// --- TCustomButtonedEdit --------------------------------------------------------------------------

namespace {

TClassBuilder<TButtonedEdit> ButtonedEditDescription() {
    using T = TButtonedEdit;
    TClassBuilder<T> b(u"TButtonedEdit", TCustomButtonedEdit::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"TextHint", UnicodeStringTypeInfo, &T::GetTextHint, &T::SetTextHint)
        .Property(u"Text", UnicodeStringTypeInfo, &T::GetText, &T::SetText)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomEdit::OnChange))
        .Event(u"OnLeftButtonClick",
               static_cast<TNotifyEvent T::*>(&TCustomButtonedEdit::OnLeftButtonClick))
        .Event(u"OnRightButtonClick",
               static_cast<TNotifyEvent T::*>(&TCustomButtonedEdit::OnRightButtonClick));
    return b;
}

} // namespace

TClass TCustomButtonedEdit::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomButtonedEdit>(u"TCustomButtonedEdit", TCustomEdit::StaticClass()));
    return &meta;
}

TClass TButtonedEdit::StaticClass() {
    static const TMetaClass meta(ButtonedEditDescription());
    return &meta;
}

TCustomButtonedEdit::TCustomButtonedEdit(TComponent* AOwner)
    : TCustomEdit(AOwner),
      FLeftButton(new TEditButton(this, TEditButton::bpLeft)),
      FRightButton(new TEditButton(this, TEditButton::bpRight)),
      FImageChangeLink(new TChangeLink) {
    FImageChangeLink->OnChange = [this](TObject*) { ImagesChanged(); };
}

TCustomButtonedEdit::~TCustomButtonedEdit() {
    delete FLeftButton;
    FLeftButton = nullptr;
    delete FRightButton;
    FRightButton = nullptr;
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink);
    delete FImageChangeLink;
}

void TCustomButtonedEdit::CreateWnd() {
    TCustomEdit::CreateWnd();
    FLeftButton->CreateGlyph();
    FRightButton->CreateGlyph();
    UpdateEditMargins();
}

void TCustomButtonedEdit::DestroyWnd() {
    FLeftButton->DestroyGlyph();
    FRightButton->DestroyGlyph();
    TCustomEdit::DestroyWnd();
}

void TCustomButtonedEdit::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink);
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink);
        FImages->FreeNotification(this);
    }
    ImagesChanged();
}

void TCustomButtonedEdit::ImagesChanged() {
    if (!FLeftButton || !FRightButton) return;
    FLeftButton->Changed();
    FRightButton->Changed();
}

void TCustomButtonedEdit::SetTextHint(const UnicodeString& Value) {
    if (FTextHint == Value) return;
    FTextHint = Value;
    if (HandleAllocated()) InvalidateRect(GetHandle(), nullptr, TRUE);
}

void TCustomButtonedEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomEdit::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) {
        FImages = nullptr;
        ImagesChanged();
    }
    if (FLeftButton && AComponent == FLeftButton->FDropDownMenu) FLeftButton->FDropDownMenu = nullptr;
    if (FRightButton && AComponent == FRightButton->FDropDownMenu)
        FRightButton->FDropDownMenu = nullptr;
}

void TCustomButtonedEdit::Resize() {
    TCustomEdit::Resize();
    if (!FLeftButton) return;
    FLeftButton->UpdateBounds();
    FRightButton->UpdateBounds();
}

void TCustomButtonedEdit::UpdateEditMargins() {
    if (!HandleAllocated() || !FLeftButton || !FRightButton) return;
    SendMessageW(GetHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELPARAM(FLeftButton->Width(), FRightButton->Width()));
    InvalidateRect(GetHandle(), nullptr, TRUE);
}

void TCustomButtonedEdit::PaintTextHint() {
    if (FTextHint.empty() || !HandleAllocated() || GetFocus() == GetHandle()) return;
    if (GetWindowTextLengthW(GetHandle()) != 0) return;
    HDC dc = GetDC(GetHandle());
    RECT r{};
    SendMessageW(GetHandle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    HGDIOBJ oldFont = SelectObject(dc, GetFont()->GetHandle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(clGrayText));
    DrawTextW(dc, FTextHint.c_str(), static_cast<int>(FTextHint.size()), &r,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    ReleaseDC(GetHandle(), dc);
}

void TCustomButtonedEdit::Dispatch(TMessage& Message) {
    TCustomEdit::Dispatch(Message);
    switch (Message.Msg) {
    case WM_PAINT:
        PaintTextHint();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (!FTextHint.empty() && HandleAllocated()) InvalidateRect(GetHandle(), nullptr, TRUE);
        break;
    case CM_ENABLEDCHANGED:
        ImagesChanged();
        break;
    default:
        break;
    }
}
