#include "ParvoInstallBtn.h"

namespace {

// 0x00BBGGRR values.
constexpr TColor kEnabledBorder = 0xFFFFFF;
constexpr TColor kEnabledBackground = 0x765F15;
constexpr TColor kEnabledFont = 0xFFFFFF;
constexpr TColor kDisabledBorder = 0xE6CC76;
constexpr TColor kDisabledBackground = 0xAD8812;
constexpr TColor kDisabledFont = 0xE6CC76;
constexpr TColor kHotBackground = 0xDBAB35;

} // namespace

TClass TParvoInstallBtn::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TParvoInstallBtn>(u"TParvoInstallBtn", TCustomPanel::StaticClass()));
    return &meta;
}

TParvoInstallBtn::TParvoInstallBtn(TComponent* AOwner) : TCustomPanel(AOwner) {
    ApplyColors();
    SetParentBackground(false);
    SetParentColor(false);
    SetDoubleBuffered(false);
    SetCaption(u"");
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    OnMouseEnter = [this](TObject* S) { MouseEntered(S); };
    OnMouseLeave = [this](TObject* S) { MouseLeft(S); };
}

TParvoInstallBtn::~TParvoInstallBtn() {
    OnMouseEnter = nullptr;
    OnMouseLeave = nullptr;
}

void TParvoInstallBtn::ApplyColors() {
    bool enabled = GetEnabled();
    FBorderColor = enabled ? kEnabledBorder : kDisabledBorder;
    FBkgColor = enabled ? kEnabledBackground : kDisabledBackground;
    FFontColor = enabled ? kEnabledFont : kDisabledFont;
}

void TParvoInstallBtn::Dispatch(TMessage& Message) {
    TCustomPanel::Dispatch(Message);
    if (Message.Msg == CM_ENABLEDCHANGED) {
        ApplyColors();
        Invalidate();
    }
}

void TParvoInstallBtn::MouseEntered(TObject*) {
    SetCursor(crHandPoint);
    FBkgColor = kHotBackground;
    Invalidate();
}

void TParvoInstallBtn::MouseLeft(TObject*) {
    SetCursor(crDefault);
    // Leaving restores the enabled background only while enabled: a disabled
    // button keeps its disabled look.
    FBkgColor = GetEnabled() ? kEnabledBackground : kDisabledBackground;
    Invalidate();
}

void TParvoInstallBtn::Paint() {
    TCustomPanel::Paint();
    TCanvas* c = GetCanvas();
    GetFont()->SetColor(FFontColor);
    GetFont()->SetName(u"Segoe UI");
    GetFont()->SetSize(12);
    // The colour takes effect from the next paint, as the panel has painted already.
    if (GetColor() != FBkgColor) SetColor(FBkgColor);
    c->GetBrush()->SetColor(FBorderColor);
    c->GetBrush()->SetStyle(bsSolid);
    c->FrameRect(TRect(0, 0, GetWidth(), GetHeight()));
}
