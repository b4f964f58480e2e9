// The x87/MMX and XMM panes: the current and previous register sets, the
// element type and radix given to both, and changed registers in red.
#include "benchkit/cpuview/FPURegisterView.h"

#include <runpak/TypeInfo.h>

#include <cstring>

// --- TFPURegisterView --------------------------------------------------------------------------

TClass TFPURegisterView::StaticClass() {
    using T = TFPURegisterView;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TFPURegisterView", TLabeledList::StaticClass())
            .Property(u"ShowOldRegs", BooleanTypeInfo, &T::GetShowOldRegs, &T::SetShowOldRegs)
            .Default(false));
    return &meta;
}

TFPURegisterView::TFPURegisterView(TComponent* AOwner)
    : TLabeledList(AOwner), FOldRegs(new TFPURegs), FCurrentRegs(new TFPURegs) {
    FCurrentRegs->OnChange = [this](TObject*) { RegsChanged(); };
    FOldRegs->OnChange = [this](TObject*) { RegsChanged(); };
}

TFPURegisterView::~TFPURegisterView() {
    delete FOldRegs;
    delete FCurrentRegs;
}

void TFPURegisterView::RegsChanged() {
    // Repaint; a faked set-focus message would make the form think the pane
    // has the focus, so the scroll bars are shown only when it really has.
    if (!GetVisible()) return;
    Invalidate();
    if (Focused()) ShowScrollBars();
}

int TFPURegisterView::GetItemCount() {
    return ActiveRegs()->GetRegCount();
}

UnicodeString TFPURegisterView::GetItemLabel(int Index) {
    return ActiveRegs()->GetRegName(Index);
}

UnicodeString TFPURegisterView::GetItemValue(int Index) {
    return ActiveRegs()->GetRegValue(Index);
}

void TFPURegisterView::SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) {
    if (IsLabel) return;
    bool changed = false;
    if (Index >= 0 && Index < 8) {
        uint8_t oldBytes[16] = {}, newBytes[16] = {};
        FOldRegs->GetRegData(Index, oldBytes);
        FCurrentRegs->GetRegData(Index, newBytes);
        changed = std::memcmp(oldBytes, newBytes, FOldRegs->GetRegSize()) != 0;
    } else if (Index <= 10) {
        changed = FOldRegs->GetWordReg(Index) != FCurrentRegs->GetWordReg(Index);
    }
    if (changed) Canvas->GetFont()->SetColor(255);
}

void TFPURegisterView::SetRegs(int Index, TFPURegs* Value) {
    if (Index == 0)
        FCurrentRegs->Assign(Value);
    else if (Index == 1)
        FOldRegs->Assign(Value);
}

void TFPURegisterView::SetRadix(TFPURadix Value) {
    FCurrentRegs->SetRadix(Value);
    FOldRegs->SetRadix(Value);
}

void TFPURegisterView::SetViewType(TViewType Value) {
    FCurrentRegs->SetViewType(Value);
    FOldRegs->SetViewType(Value);
}

void TFPURegisterView::SetFPUViewType(TFPUViewType Value) {
    FCurrentRegs->SetFPUViewType(Value);
    FOldRegs->SetFPUViewType(Value);
}

TFPURegisterType TFPURegisterView::GetSelectedRegister() const {
    const int row = GetRow();
    return row >= 0 && row <= ftTAGS ? static_cast<TFPURegisterType>(row) : ftST0;
}

void TFPURegisterView::SetShowOldRegs(bool Value) {
    if (Value == FShowOldRegs) return;
    FShowOldRegs = Value;
    Invalidate();
}

void TFPURegisterView::SetRegisterViewType(TRegisterViewType Value) {
    FRegsViewType = Value;
    FRegsSize = Value == rvtReg32 ? 10 : 16;
    FCurrentRegs->SetRegSize(FRegsSize);
    FOldRegs->SetRegSize(FRegsSize);
}

void TFPURegisterView::UpdateRegisters(TFPURegs* NewRegisters) {
    NewRegisters->SetRegSize(FRegsSize);
    FOldRegs->Assign(FCurrentRegs);
    FCurrentRegs->Assign(NewRegisters);
    FShowOldRegs = false;
    Invalidate();
}

// --- TXMMRegisterView --------------------------------------------------------------------------

TClass TXMMRegisterView::StaticClass() {
    using T = TXMMRegisterView;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TXMMRegisterView", TLabeledList::StaticClass())
            .Property(u"ShowOldRegs", BooleanTypeInfo, &T::GetShowOldRegs, &T::SetShowOldRegs)
            .Default(false));
    return &meta;
}

TXMMRegisterView::TXMMRegisterView(TComponent* AOwner)
    : TLabeledList(AOwner), FOldRegs(new TXMMRegs), FCurrentRegs(new TXMMRegs),
      FVisibleRegs(new TVisibleXMMRegs) {
    FCurrentRegs->SetViewType(vtDQWord);
    FOldRegs->SetViewType(vtDQWord);
    FCurrentRegs->OnChange = [this](TObject*) { RegsChanged(); };
    FOldRegs->OnChange = [this](TObject*) { RegsChanged(); };
    FVisibleRegs->OnChange = [this](TObject*) { VisibleRegistersChanged(); };
}

TXMMRegisterView::~TXMMRegisterView() {
    delete FOldRegs;
    delete FCurrentRegs;
    delete FVisibleRegs;
}

void TXMMRegisterView::RegsChanged() {
    if (!GetVisible()) return;
    Invalidate();
    if (Focused()) ShowScrollBars();
}

void TXMMRegisterView::VisibleRegistersChanged() {
    FCurrentRegs->SetVisibleRegs(FVisibleRegs);
    FOldRegs->SetVisibleRegs(FVisibleRegs);
    SetRowCount(GetItemCount());
    Invalidate();
}

int TXMMRegisterView::GetItemCount() {
    return ActiveRegs()->GetRegCount();
}

UnicodeString TXMMRegisterView::GetItemLabel(int Index) {
    return ActiveRegs()->GetRegName(Index);
}

UnicodeString TXMMRegisterView::GetItemValue(int Index) {
    return ActiveRegs()->GetRegValue(Index);
}

void TXMMRegisterView::SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) {
    if (IsLabel) return;
    const int reg = FOldRegs->VisibleIndexToActualIndex(Index);
    bool changed = false;
    if (reg == xtMXCSR) {
        changed = FOldRegs->GetLongWordReg(xtMXCSR) != FCurrentRegs->GetLongWordReg(xtMXCSR);
    } else if (reg >= 0 && reg < 16) {
        uint8_t oldBytes[16], newBytes[16];
        FOldRegs->GetRegData(reg, oldBytes);
        FCurrentRegs->GetRegData(reg, newBytes);
        changed = std::memcmp(oldBytes, newBytes, 16) != 0;
    }
    if (changed) Canvas->GetFont()->SetColor(255);
}

void TXMMRegisterView::SetRegs(int Index, TXMMRegs* Value) {
    if (Index == 0)
        FCurrentRegs->Assign(Value);
    else if (Index == 1)
        FOldRegs->Assign(Value);
}

void TXMMRegisterView::SetRadix(TFPURadix Value) {
    FCurrentRegs->SetRadix(Value);
    FOldRegs->SetRadix(Value);
}

void TXMMRegisterView::SetViewType(TViewType Value) {
    FCurrentRegs->SetViewType(Value);
    FOldRegs->SetViewType(Value);
}

TXMMRegisterType TXMMRegisterView::GetSelectedRegister() {
    const int row = GetRow();
    if (row >= 0 && row < GetItemCount())
        return static_cast<TXMMRegisterType>(ActiveRegs()->VisibleIndexToActualIndex(row));
    return xtXMM0;
}

void TXMMRegisterView::SetShowOldRegs(bool Value) {
    if (Value == FShowOldRegs) return;
    FShowOldRegs = Value;
    Invalidate();
}

void TXMMRegisterView::SetRegisterViewType(TRegisterViewType Value) {
    FRegsViewType = Value;
    FVisibleRegs->BeginUpdate();
    for (int i = xtXMM0; i <= xtXMM7; ++i)
        FVisibleRegs->SetVisibleReg(i, true);
    for (int i = xtXMM8; i <= xtXMM15; ++i)
        FVisibleRegs->SetVisibleReg(i, Value == rvtReg64);
    FVisibleRegs->SetVisibleReg(xtMXCSR, true);
    FVisibleRegs->EndUpdate();
    SetRowCount(GetItemCount());
}

void TXMMRegisterView::UpdateRegisters(TXMMRegs* NewRegisters) {
    FOldRegs->Assign(FCurrentRegs);
    FCurrentRegs->Assign(NewRegisters);
    FCurrentRegs->SetVisibleRegs(FOldRegs->GetVisibleRegs());
    FShowOldRegs = false;
    Invalidate();
}
