// The flag registers' fields and the pane that lists them.
#include "benchkit/cpuview/FlagsView.h"

#include <runpak/Format.h>
#include <runpak/TypeInfo.h>

#include <iterator>

namespace {

const TCPUFlagDesc kCPUFlags[] = {
    {u"CF", 0x1, 0},       {u"PF", 0x4, 2},      {u"AF", 0x10, 4},     {u"ZF", 0x40, 6},
    {u"SF", 0x80, 7},      {u"TF", 0x100, 8},    {u"IF", 0x200, 9},    {u"DF", 0x400, 10},
    {u"OF", 0x800, 11},    {u"IO", 0x3000, 12},  {u"NF", 0x4000, 14},  {u"RF", 0x10000, 16},
    {u"VM", 0x20000, 17},  {u"AC", 0x40000, 18}, {u"VF", 0x80000, 19}, {u"VP", 0x100000, 20},
    {u"ID", 0x200000, 21},
};
const TCPUFlagDesc kFPUStatusFlags[] = {
    {u"IE", 0x1, 0},     {u"DE", 0x2, 1},     {u"ZE", 0x4, 2},    {u"OE", 0x8, 3},
    {u"UE", 0x10, 4},    {u"PE", 0x20, 5},    {u"SF", 0x40, 6},   {u"ES", 0x80, 7},
    {u"C0", 0x100, 8},   {u"C1", 0x200, 9},   {u"C2", 0x400, 10}, {u"ST", 0x3800, 11},
    {u"C3", 0x4000, 14}, {u"BF", 0x8000, 15},
};
const TCPUFlagDesc kFPUControlFlags[] = {
    {u"IM", 0x1, 0},  {u"DM", 0x2, 1},   {u"ZM", 0x4, 2},    {u"OM", 0x8, 3},     {u"UM", 0x10, 4},
    {u"PM", 0x20, 5}, {u"PC", 0x300, 8}, {u"RC", 0xC00, 10}, {u"IC", 0x1000, 12},
};

template <size_t N> int HighOf(const TCPUFlagDesc (&)[N]) {
    return static_cast<int>(N) - 1;
}

} // namespace

// --- TFlags -------------------------------------------------------------------------------------

TClass TFlags::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TFlags>(u"TFlags", TPersistent::StaticClass()));
    return &meta;
}

TFlags::TFlags(const TCPUFlagDesc* FlagDescriptor, int High)
    : FFlagDescriptor(std::make_shared<const std::vector<TCPUFlagDesc>>(
          FlagDescriptor, FlagDescriptor + High + 1)) {}

void TFlags::Changed() {
    if (OnChange) OnChange(this);
}

int TFlags::GetFlagCount() const {
    return static_cast<int>(FFlagDescriptor->size());
}

uint32_t TFlags::GetFlag(int Index) const {
    if (Index < 0 || Index >= GetFlagCount()) return 0;
    const TCPUFlagDesc& desc = (*FFlagDescriptor)[Index];
    return GetField(desc.Mask, desc.Shift);
}

UnicodeString TFlags::GetFlagName(int Index) const {
    if (Index < 0 || Index >= GetFlagCount()) return {};
    return (*FFlagDescriptor)[Index].Name;
}

UnicodeString TFlags::GetFlagValue(int Index) const {
    if (Index < 0 || Index >= GetFlagCount()) return {};
    return Format(u"%d", GetFlag(Index));
}

void TFlags::SetFlag(int Index, uint32_t Value) {
    if (Index < 0 || Index >= GetFlagCount() || Value == GetFlag(Index)) return;
    const TCPUFlagDesc& desc = (*FFlagDescriptor)[Index];
    FFlags = ((Value << desc.Shift) & desc.Mask) | (FFlags & ~desc.Mask);
    Changed();
}

void TFlags::SetField(uint32_t Mask, int Shift, uint32_t Value) {
    if (Value == GetField(Mask, Shift)) return;
    FFlags = ((Value << Shift) & Mask) | (FFlags & ~Mask);
    Changed();
}

void TFlags::SetFlags(uint32_t Value) {
    if (Value == FFlags) return;
    FFlags = Value;
    Changed();
}

void TFlags::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TFlags*>(Source)) {
        if (source->FFlags == FFlags && *source->FFlagDescriptor == *FFlagDescriptor) return;
        FFlags = source->FFlags;
        FFlagDescriptor = source->FFlagDescriptor;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

// --- The three flag registers -----------------------------------------------------------------

TCPUFlags::TCPUFlags() : TFlags(kCPUFlags, HighOf(kCPUFlags)) {}

TClass TCPUFlags::StaticClass() {
    using T = TCPUFlags;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TCPUFlags", TFlags::StaticClass())
            .Property(u"Carry", CardinalTypeInfo, &T::GetCarry, &T::SetCarry)
            .Default(0)
            .Property(u"Parity", CardinalTypeInfo, &T::GetParity, &T::SetParity)
            .Default(0)
            .Property(u"AuxCarry", CardinalTypeInfo, &T::GetAuxCarry, &T::SetAuxCarry)
            .Default(0)
            .Property(u"Zero", CardinalTypeInfo, &T::GetZero, &T::SetZero)
            .Default(0)
            .Property(u"Sign", CardinalTypeInfo, &T::GetSign, &T::SetSign)
            .Default(0)
            .Property(u"Trap", CardinalTypeInfo, &T::GetTrap, &T::SetTrap)
            .Default(0)
            .Property(u"Interrupt", CardinalTypeInfo, &T::GetInterrupt, &T::SetInterrupt)
            .Default(0)
            .Property(u"Direction", CardinalTypeInfo, &T::GetDirection, &T::SetDirection)
            .Default(0)
            .Property(u"Overflow", CardinalTypeInfo, &T::GetOverflow, &T::SetOverflow)
            .Default(0)
            .Property(u"IOPL", CardinalTypeInfo, &T::GetIOPL, &T::SetIOPL)
            .Default(0)
            .Property(u"NestedTask", CardinalTypeInfo, &T::GetNestedTask, &T::SetNestedTask)
            .Default(0)
            .Property(u"Resume", CardinalTypeInfo, &T::GetResume, &T::SetResume)
            .Default(0)
            .Property(u"V86Mode", CardinalTypeInfo, &T::GetV86Mode, &T::SetV86Mode)
            .Default(0)
            .Property(u"Alignment", CardinalTypeInfo, &T::GetAlignment, &T::SetAlignment)
            .Default(0)
            .Property(u"VirtualInterruptFlag", CardinalTypeInfo, &T::GetVirtualInterruptFlag,
                      &T::SetVirtualInterruptFlag)
            .Default(0)
            .Property(u"VirtualInterruptPending", CardinalTypeInfo, &T::GetVirtualInterruptPending,
                      &T::SetVirtualInterruptPending)
            .Default(0)
            .Property(u"ID", CardinalTypeInfo, &T::GetID, &T::SetID)
            .Default(0));
    return &meta;
}

TFPUStatusFlags::TFPUStatusFlags() : TFlags(kFPUStatusFlags, HighOf(kFPUStatusFlags)) {}

TClass TFPUStatusFlags::StaticClass() {
    using T = TFPUStatusFlags;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TFPUStatusFlags", TFlags::StaticClass())
            .Property(u"InvalidOperandExceptionMask", CardinalTypeInfo,
                      &T::GetInvalidOperandExceptionMask, &T::SetInvalidOperandExceptionMask)
            .Default(0)
            .Property(u"DenormalizedOperandExceptionMask", CardinalTypeInfo,
                      &T::GetDenormalizedOperandExceptionMask,
                      &T::SetDenormalizedOperandExceptionMask)
            .Default(0)
            .Property(u"ZeroDivideExceptionMask", CardinalTypeInfo, &T::GetZeroDivideExceptionMask,
                      &T::SetZeroDivideExceptionMask)
            .Default(0)
            .Property(u"OverflowExceptionMask", CardinalTypeInfo, &T::GetOverflowExceptionMask,
                      &T::SetOverflowExceptionMask)
            .Default(0)
            .Property(u"UnderflowExceptionMask", CardinalTypeInfo, &T::GetUnderflowExceptionMask,
                      &T::SetUnderflowExceptionMask)
            .Default(0)
            .Property(u"PrecisionExceptionMask", CardinalTypeInfo, &T::GetPrecisionExceptionMask,
                      &T::SetPrecisionExceptionMask)
            .Default(0)
            .Property(u"StackFault", CardinalTypeInfo, &T::GetStackFault, &T::SetStackFault)
            .Default(0)
            .Property(u"ErrorSummaryStatus", CardinalTypeInfo, &T::GetErrorSummaryStatus,
                      &T::SetErrorSummaryStatus)
            .Default(0)
            .Property(u"C0", CardinalTypeInfo, &T::GetC0, &T::SetC0)
            .Default(0)
            .Property(u"C1", CardinalTypeInfo, &T::GetC1, &T::SetC1)
            .Default(0)
            .Property(u"C2", CardinalTypeInfo, &T::GetC2, &T::SetC2)
            .Default(0)
            .Property(u"TopOfStack", CardinalTypeInfo, &T::GetTopOfStack, &T::SetTopOfStack)
            .Default(0)
            .Property(u"C3", CardinalTypeInfo, &T::GetC3, &T::SetC3)
            .Default(0)
            .Property(u"FpuBusy", CardinalTypeInfo, &T::GetFpuBusy, &T::SetFpuBusy)
            .Default(0));
    return &meta;
}

TFPUControlFlags::TFPUControlFlags() : TFlags(kFPUControlFlags, HighOf(kFPUControlFlags)) {}

TClass TFPUControlFlags::StaticClass() {
    using T = TFPUControlFlags;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TFPUControlFlags", TFlags::StaticClass())
            .Property(u"InvalidOperandExceptionMask", CardinalTypeInfo,
                      &T::GetInvalidOperandExceptionMask, &T::SetInvalidOperandExceptionMask)
            .Default(0)
            .Property(u"DenormalizedOperandExceptionMask", CardinalTypeInfo,
                      &T::GetDenormalizedOperandExceptionMask,
                      &T::SetDenormalizedOperandExceptionMask)
            .Default(0)
            .Property(u"ZeroDivideExceptionMask", CardinalTypeInfo, &T::GetZeroDivideExceptionMask,
                      &T::SetZeroDivideExceptionMask)
            .Default(0)
            .Property(u"OverflowExceptionMask", CardinalTypeInfo, &T::GetOverflowExceptionMask,
                      &T::SetOverflowExceptionMask)
            .Default(0)
            .Property(u"UnderflowExceptionMask", CardinalTypeInfo, &T::GetUnderflowExceptionMask,
                      &T::SetUnderflowExceptionMask)
            .Default(0)
            .Property(u"PrecisionExceptionMask", CardinalTypeInfo, &T::GetPrecisionExceptionMask,
                      &T::SetPrecisionExceptionMask)
            .Default(0)
            .Property(u"IEM", CardinalTypeInfo, &T::GetIEM, &T::SetIEM)
            .Default(0)
            .Property(u"PrecisionControl", CardinalTypeInfo, &T::GetPrecisionControl,
                      &T::SetPrecisionControl)
            .Default(0)
            .Property(u"RoundingControl", CardinalTypeInfo, &T::GetRoundingControl,
                      &T::SetRoundingControl)
            .Default(0)
            .Property(u"InfinityControl", CardinalTypeInfo, &T::GetInfinityControl,
                      &T::SetInfinityControl)
            .Default(0));
    return &meta;
}

// --- TFlagsView ---------------------------------------------------------------------------------

TClass TFlagsView::StaticClass() {
    using T = TFlagsView;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TFlagsView", TLabeledList::StaticClass())
            .Property(u"ShowOldFlags", BooleanTypeInfo, &T::GetShowOldFlags, &T::SetShowOldFlags)
            .Default(false));
    return &meta;
}

TFlagsView::TFlagsView(TComponent* AOwner) : TLabeledList(AOwner) {
    SetFlagType(ftCPU);
}

TFlagsView::~TFlagsView() {
    delete FOldFlags;
    delete FCurrentFlags;
}

void TFlagsView::SetFlagType(TFlagType Value) {
    auto make = [Value]() -> TFlags* {
        switch (Value) {
        case ftFPUStatus:
            return new TFPUStatusFlags;
        case ftFPUControl:
            return new TFPUControlFlags;
        default:
            return new TCPUFlags;
        }
    };
    delete FOldFlags;
    delete FCurrentFlags;
    FOldFlags = make();
    FCurrentFlags = make();
    FFlagType = Value;
    FOldFlags->OnChange = [this](TObject*) { FlagsChanged(); };
    FCurrentFlags->OnChange = [this](TObject*) { FlagsChanged(); };
    SetRowCount(GetItemCount());
    FlagsChanged();
}

void TFlagsView::FlagsChanged() {
    if (GetVisible()) Invalidate();
}

int TFlagsView::GetItemCount() {
    return ActiveFlags()->GetFlagCount();
}

UnicodeString TFlagsView::GetItemLabel(int Index) {
    return ActiveFlags()->GetFlagName(Index);
}

UnicodeString TFlagsView::GetItemValue(int Index) {
    return ActiveFlags()->GetFlagValue(Index);
}

void TFlagsView::SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) {
    if (!IsLabel && FOldFlags->GetFlag(Index) != FCurrentFlags->GetFlag(Index))
        Canvas->GetFont()->SetColor(255);
}

void TFlagsView::SetFlags(int Index, TFlags* Value) {
    if (Index == 0)
        FCurrentFlags->Assign(Value);
    else if (Index == 1)
        FOldFlags->Assign(Value);
}

void TFlagsView::SetShowOldFlags(bool Value) {
    if (Value == FShowOldFlags) return;
    FShowOldFlags = Value;
    Invalidate();
}

void TFlagsView::UpdateFlags(TFlags* NewFlags) {
    FOldFlags->Assign(FCurrentFlags);
    FCurrentFlags->Assign(NewFlags);
    FShowOldFlags = false;
    Invalidate();
}
