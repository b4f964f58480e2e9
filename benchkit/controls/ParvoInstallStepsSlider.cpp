#include "ParvoInstallStepsSlider.h"

#include <quorlpak/Canvas.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

namespace {

constexpr TColor kTitleColor = 0xFFFFFF;
constexpr TColor kDescColor = 0xE7CB99;
constexpr int kRowHeight = 50;
constexpr int kIconWidth = 30;

} // namespace

// --- TInstallStepSlider -------------------------------------------------------------------

TClass TInstallStepSlider::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TInstallStepSlider>(u"TInstallStepSlider", TCustomControl::StaticClass()));
    return &meta;
}

TInstallStepSlider::TInstallStepSlider(TComponent* AOwner) : TCustomControl(AOwner) {
    SetHeight(kRowHeight);
    SetDoubleBuffered(false);
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetParentBackground(true);
    SetParentColor(true);
    SetParentBiDiMode(true);
    SetParentShowHint(true);
    SetParentCtl3D(true);
}

void TInstallStepSlider::SetTitle(const UnicodeString& Value) {
    FTitle = Trim(Value);
}

void TInstallStepSlider::Paint() {
    TCustomControl::Paint();
    TCanvas* c = GetCanvas();
    c->GetFont()->SetName(u"Segoe UI");
    c->GetFont()->SetSize(11);
    c->GetBrush()->SetStyle(bsClear);
    const int x = FIcon ? kIconWidth : 0;
    if (!FTitle.empty()) {
        c->GetFont()->SetColor(kTitleColor);
        c->TextOut(x, 9, FTitle);
    }
    if (!FDesc.empty()) {
        c->GetFont()->SetColor(kDescColor);
        c->TextOut(x, 29, FDesc);
    }
    if (FIcon) c->Draw(0, 9, FIcon);
}

// --- TInstallStepSliderGrid ---------------------------------------------------------------

TClass TInstallStepSliderGrid::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TInstallStepSliderGrid>(u"TInstallStepSliderGrid",
                                                                       TScrollBox::StaticClass()));
    return &meta;
}

TInstallStepSliderGrid::TInstallStepSliderGrid(TComponent* AOwner) : TScrollBox(AOwner) {
    SetAutoScroll(true);
    SetDoubleBuffered(false);
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetParentBackground(true);
    SetParentColor(true);
}

TInstallStepSliderGrid::~TInstallStepSliderGrid() {
    Clear();
}

void TInstallStepSliderGrid::Fill(TInstallStepSlider* Row, const TStepData& Data) {
    Row->SetId(Data.Id);
    Row->SetTitle(Data.Title);
    Row->SetDesc(Data.Desc);
    Row->SetIcon(Data.Icon);
}

void TInstallStepSliderGrid::AddStep(const TStepData& AStep) {
    auto* row = new TInstallStepSlider(this);
    row->SetParent(this);
    Fill(row, AStep);
    row->SetCaption(u"");
    row->SetColor(GetColor());
    row->SetImgBkg(FImgBkg);
    row->SetBkgPos(FBkgPos);
    // Bottom first, then top: the row lands under every row already there.
    row->SetAlign(alBottom);
    row->SetAlign(alTop);
    ScrollInView(row);
    Invalidate();
}

void TInstallStepSliderGrid::Clear() {
    for (int i = GetControlCount() - 1; i >= 0; --i)
        delete GetControls(i);
}

TInstallStepSlider* TInstallStepSliderGrid::LastRow() const {
    const int count = GetControlCount();
    return count > 0 ? dynamic_cast<TInstallStepSlider*>(GetControls(count - 1)) : nullptr;
}

bool TInstallStepSliderGrid::GetLastStepData(TStepData& Value) const {
    TInstallStepSlider* row = LastRow();
    if (!row) return false;
    Value.Id = row->GetId();
    Value.Title = row->GetTitle();
    Value.Desc = row->GetDesc();
    Value.Icon = row->GetIcon();
    return true;
}

void TInstallStepSliderGrid::SetLastStepData(const TStepData& Value) {
    if (TInstallStepSlider* row = LastRow()) {
        Fill(row, Value);
        row->Invalidate();
    }
}
