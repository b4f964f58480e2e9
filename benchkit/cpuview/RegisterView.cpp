// The general registers: visibility flags, the register set and its texts,
// and the pane that compares the current set with the previous one.
#include "benchkit/cpuview/RegisterView.h"

#include <runpak/Format.h>
#include <runpak/TypeInfo.h>

namespace {

constexpr const char16_t* kRegisterNames[kRegisterTypeCount] = {
    u"EAX", u"EBX", u"ECX", u"EDX", u"ESI", u"EDI",  u"EBP",  u"ESP", u"EIP", u"RAX", u"RBX",
    u"RCX", u"RDX", u"RSI", u"RDI", u"R8 ", u"R9 ",  u"R10",  u"R11", u"R12", u"R13", u"R14",
    u"R15", u"RBP", u"RSP", u"RIP", u"EFL", u"CS ",  u"DS ",  u"SS ", u"ES ", u"FS ", u"GS ",
    u"R0 ", u"R1 ", u"R2 ", u"R3 ", u"R4 ", u"R5 ",  u"R6 ",  u"R7 ", u"R8 ", u"R9 ", u"R10",
    u"R11", u"R12", u"SP ", u"LR ", u"PC ", u"CPSR", u"X0 ",  u"X1 ", u"X2 ", u"X3 ", u"X4 ",
    u"X5 ", u"X6 ", u"X7 ", u"X8 ", u"X9 ", u"X10",  u"X11",  u"X12", u"X13", u"X14", u"X15",
    u"X16", u"X17", u"X18", u"X19", u"X20", u"X21",  u"X22",  u"X23", u"X24", u"X25", u"X26",
    u"X27", u"X28", u"FP",  u"LR",  u"SP",  u"PC",   u"CPSR",
};

bool ValidRegister(int Index) {
    return Index >= 0 && Index < kRegisterTypeCount;
}

} // namespace

// --- TVisibleCPURegs ------------------------------------------------------------------------

TClass TVisibleCPURegs::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TVisibleCPURegs>(u"TVisibleCPURegs", TPersistent::StaticClass()));
    return &meta;
}

TVisibleCPURegs::TVisibleCPURegs() {
    FVisibleRegs.fill(true);
}

void TVisibleCPURegs::EndUpdate() {
    --FUpdateCount;
    if (FUpdateCount == 0) Changed();
}

void TVisibleCPURegs::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TVisibleCPURegs::SetVisibleReg(int Index, bool Value) {
    if (FVisibleRegs[Index] == Value) return;
    FVisibleRegs[Index] = Value;
    Changed();
}

void TVisibleCPURegs::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TVisibleCPURegs*>(Source)) {
        FVisibleRegs = source->FVisibleRegs;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

// --- TCPURegs ---------------------------------------------------------------------------------

TClass TCPURegs::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCPURegs>(u"TCPURegs", TPersistent::StaticClass()));
    return &meta;
}

TCPURegs::TCPURegs() : FVisibleRegs(new TVisibleCPURegs) {
    FVisibleRegs->OnChange = [this](TObject*) { Changed(); };
}

TCPURegs::~TCPURegs() {
    delete FVisibleRegs;
}

void TCPURegs::EndUpdate() {
    --FUpdateCount;
    if (FUpdateCount == 0) Changed();
}

void TCPURegs::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange(this);
}

int TCPURegs::GetRegCount() {
    int count = 0;
    for (int i = 0; i < kRegisterTypeCount; ++i)
        if (FVisibleRegs->GetVisibleReg(i)) ++count;
    return count;
}

int TCPURegs::VisibleIndexToActualIndex(int Index) {
    int visible = -1;
    for (int i = 0; i < kRegisterTypeCount; ++i)
        if (FVisibleRegs->GetVisibleReg(i) && ++visible == Index) return i;
    return Index;
}

UnicodeString TCPURegs::GetRegName(int Index) {
    const int reg = VisibleIndexToActualIndex(Index);
    return ValidRegister(reg) ? UnicodeString(kRegisterNames[reg]) : UnicodeString();
}

UnicodeString TCPURegs::GetRegValue(int Index) {
    const int reg = VisibleIndexToActualIndex(Index);
    if (!ValidRegister(reg)) return {};
    const uint64_t value = FRegisters[reg];
    if (reg <= rtEIP || reg == rtEFL || (reg >= rtAR0 && reg <= rtACPSR))
        return Format(u"%.8x", static_cast<uint32_t>(value));
    if (reg >= rtCS && reg <= rtGS) return Format(u"%.4x", static_cast<uint32_t>(value & 0xFFFF));
    return Format(u"%.16x", value);
}

uint64_t TCPURegs::GetUInt64Reg(int Index) {
    return FRegisters[Index];
}

uint32_t TCPURegs::GetLongWordReg(int Index) {
    return static_cast<uint32_t>(FRegisters[Index]);
}

uint16_t TCPURegs::GetWordReg(int Index) {
    return static_cast<uint16_t>(FRegisters[Index]);
}

void TCPURegs::SetUInt64Reg(int Index, uint64_t Value) {
    if (FRegisters[Index] == Value) return;
    FRegisters[Index] = Value;
    Changed();
}

void TCPURegs::SetLongWordReg(int Index, uint32_t Value) {
    SetUInt64Reg(Index, Value);
}

void TCPURegs::SetWordReg(int Index, uint16_t Value) {
    SetUInt64Reg(Index, Value);
}

void TCPURegs::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TCPURegs*>(Source)) {
        // One notice for the values and the flags together.
        BeginUpdate();
        FRegisters = source->FRegisters;
        SetVisibleRegs(source->FVisibleRegs);
        --FUpdateCount;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

// --- TRegisterView ----------------------------------------------------------------------------

TClass TRegisterView::StaticClass() {
    using T = TRegisterView;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TRegisterView", TLabeledList::StaticClass())
            .Property(u"ShowOldRegs", BooleanTypeInfo, &T::GetShowOldRegs, &T::SetShowOldRegs)
            .Default(false));
    return &meta;
}

TRegisterView::TRegisterView(TComponent* AOwner)
    : TLabeledList(AOwner), FOldRegs(new TCPURegs), FCurrentRegs(new TCPURegs),
      FVisibleRegs(new TVisibleCPURegs) {
    FCurrentRegs->OnChange = [this](TObject*) { Invalidate(); };
    FOldRegs->OnChange = [this](TObject*) { Invalidate(); };
    FVisibleRegs->OnChange = [this](TObject*) { VisibleRegistersChanged(); };
}

TRegisterView::~TRegisterView() {
    delete FOldRegs;
    delete FCurrentRegs;
    delete FVisibleRegs;
}

int TRegisterView::GetItemCount() {
    return ActiveRegs()->GetRegCount();
}

UnicodeString TRegisterView::GetItemLabel(int Index) {
    return ActiveRegs()->GetRegName(Index);
}

UnicodeString TRegisterView::GetItemValue(int Index) {
    return ActiveRegs()->GetRegValue(Index);
}

void TRegisterView::SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) {
    if (IsLabel) return;
    const int reg = FOldRegs->VisibleIndexToActualIndex(Index);
    if (ValidRegister(reg) && FOldRegs->GetUInt64Reg(reg) != FCurrentRegs->GetUInt64Reg(reg))
        Canvas->GetFont()->SetColor(255);
}

void TRegisterView::SetRegs(int Index, TCPURegs* Value) {
    if (Index == 0)
        FCurrentRegs->Assign(Value);
    else if (Index == 1)
        FOldRegs->Assign(Value);
}

void TRegisterView::UpdateRegisters(TCPURegs* NewRegisters) {
    FOldRegs->Assign(FCurrentRegs);
    FCurrentRegs->Assign(NewRegisters);
    FCurrentRegs->SetVisibleRegs(FOldRegs->GetVisibleRegs());
    FShowOldRegs = false;
    Invalidate();
}

void TRegisterView::SetShowOldRegs(bool Value) {
    if (Value == FShowOldRegs) return;
    FShowOldRegs = Value;
    Invalidate();
}

void TRegisterView::VisibleRegistersChanged() {
    FCurrentRegs->SetVisibleRegs(FVisibleRegs);
    FOldRegs->SetVisibleRegs(FVisibleRegs);
    SetRowCount(GetItemCount());
    Invalidate();
}

void TRegisterView::SetRegisterViewType(TRegisterViewType Value) {
    if (Value == FRegsViewType) return;
    FRegsViewType = Value;
    FVisibleRegs->BeginUpdate();
    for (int i = rtEAX; i <= rtEIP; ++i)
        FVisibleRegs->SetVisibleReg(i, Value == rvtReg32);
    for (int i = rtRAX; i <= rtRIP; ++i)
        FVisibleRegs->SetVisibleReg(i, Value == rvtReg64);
    for (int i = rtAR0; i <= rtACPSR; ++i)
        FVisibleRegs->SetVisibleReg(i, Value == rvtRegARM32);
    for (int i = rtX0; i <= rtXCPSR; ++i)
        FVisibleRegs->SetVisibleReg(i, Value == rvtRegARM64);
    FVisibleRegs->EndUpdate();
    SetRowCount(GetItemCount());
}

TRegisterType TRegisterView::GetSelectedRegister() {
    const int row = GetRow();
    if (row < GetItemCount())
        return static_cast<TRegisterType>(ActiveRegs()->VisibleIndexToActualIndex(row));
    switch (FRegsViewType) {
    case rvtReg32:
        return rtEAX;
    case rvtReg64:
        return rtRAX;
    case rvtRegARM32:
        return rtAR0;
    default:
        return rtX0;
    }
}
