// The element types and the x87/MMX and XMM data holders: register bytes to
// text by element type and radix.
#include "benchkit/cpuview/CPUViewStrings.h"
#include "benchkit/cpuview/ElementText.h"
#include "benchkit/cpuview/FPURegisterView.h"

#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/TypeInfo.h>

#include <cstring>

namespace {

const TViewTypeInfo kViewTypes[] = {
    {1, u"MM", u"%.2x", u"%4d", 8, true},
    {2, u"MMMM", u"%.4x", u"%6d", 4, true},
    {4, u"MMMMMMMM", u"%.8x", u"%12d", 2, true},
    {8, u"MMMMMMMMMMMMMMMM", u"%.16x", u"%21d", 1, true},
    {4, u"-M.MMMMMMME+MMM", u"%15.8g", nullptr, 2, false},
    {8, u"-M.MMMMMMMMMMMMMMMME+MMM", u"%24.14g", nullptr, 1, false},
    {10, u"-M.MMMMMMMMMMMMMMMMMMME+MMMM", u"%28.19g", nullptr, 1, false},
    {1, u"MM", u"%.2x", u"%4d", 8, true},
    {1, u"MM", u"%.2x", u"%4d", 8, true},
    {2, u"MMMM", u"%.4x", u"%6d", 4, true},
    {16, u"MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM", u"%.16x%.16x", nullptr, 1, true},
};

constexpr const char16_t* kFPUNames[] = {u"ST0 ", u"ST1 ", u"ST2 ", u"ST3 ", u"ST4 ", u"ST5 ",
                                         u"ST6 ", u"ST7 ", u"CTRL", u"STAT", u"TAGS"};
constexpr const char16_t* kMMXNames[] = {u"MM0 ", u"MM1 ", u"MM2 ", u"MM3 ", u"MM4 ", u"MM5 ",
                                         u"MM6 ", u"MM7 ", u"CTRL", u"STAT", u"TAGS"};
constexpr const char16_t* kXMMNames[] = {u"XMM0 ", u"XMM1 ", u"XMM2 ", u"XMM3 ", u"XMM4 ", u"XMM5 ",
                                         u"XMM6 ", u"XMM7 ", u"XMM8 ", u"XMM9 ", u"XMM10", u"XMM11",
                                         u"XMM12", u"XMM13", u"XMM14", u"XMM15", u"MXCSR"};

uint64_t ReadElement(const uint8_t* Bytes, int Size) {
    uint64_t value = 0;
    std::memcpy(&value, Bytes, std::min(Size, 8)); // little-endian, zero-extended
    return value;
}

int64_t SignExtend(uint64_t Value, int Size) {
    switch (Size) {
    case 1:
        return static_cast<int8_t>(Value);
    case 2:
        return static_cast<int16_t>(Value);
    case 4:
        return static_cast<int32_t>(Value);
    default:
        return static_cast<int64_t>(Value);
    }
}

UnicodeString Bits(uint64_t Value, int Size) {
    UnicodeString text;
    for (int bit = Size * 8 - 1; bit >= 0; --bit)
        text += (Value >> bit) & 1 ? u'1' : u'0';
    return text;
}

} // namespace

// A floating element in the type's format; "NAN" when it cannot be shown.
UnicodeString ElementFloatText(const uint8_t* Bytes, TViewType ViewType) {
    const TViewTypeInfo& info = ViewTypeInfo(ViewType);
    try {
        UnicodeString text;
        if (ViewType == vtSingle) {
            float v;
            std::memcpy(&v, Bytes, 4);
            text = Format(info.Format, v);
        } else if (ViewType == vtDouble) {
            double v;
            std::memcpy(&v, Bytes, 8);
            text = Format(info.Format, v);
        } else {
            long double v = 0;
            std::memcpy(&v, Bytes, 10);
            text = Format(info.Format, v);
        }
        return text.find(u'?') == UnicodeString::npos ? text : UnicodeString(u"NAN");
    } catch (const Exception&) {
        return u"NAN";
    }
}

// One integer element in the radix; the 128-bit type is shown in
// hexadecimal whatever the radix, having no decimal format.
UnicodeString ElementIntegerText(const uint8_t* Bytes, TViewType ViewType, TFPURadix Radix) {
    const TViewTypeInfo& info = ViewTypeInfo(ViewType);
    if (ViewType == vtDQWord) {
        if (Radix == frBinary)
            return Bits(ReadElement(Bytes + 8, 8), 8) + Bits(ReadElement(Bytes, 8), 8);
        return Format(info.Format, ReadElement(Bytes + 8, 8), ReadElement(Bytes, 8));
    }
    const uint64_t value = ReadElement(Bytes, info.Size);
    switch (Radix) {
    case frBinary:
        return Bits(value, info.Size);
    case frUnsignedDecimal:
        return Format(info.DecimalFormat, value);
    case frSignedDecimal:
        return Format(info.DecimalFormat, SignExtend(value, info.Size));
    default:
        return Format(info.Format, value);
    }
}

const TViewTypeInfo& ViewTypeInfo(TViewType ViewType) {
    return kViewTypes[ViewType];
}

// --- TFPURegs ---------------------------------------------------------------------------------

TClass TFPURegs::StaticClass() {
    using T = TFPURegs;
    static const TMetaClass meta(TClassBuilder<T>(u"TFPURegs", TPersistent::StaticClass()));
    return &meta;
}

TFPURegs::TFPURegs() = default;

void TFPURegs::Changed() {
    if (OnChange) OnChange(this);
}

void TFPURegs::GetRegData(int Index, void* Dest) const {
    if (Index >= 0 && Index < 8) std::memcpy(Dest, FRegisterArea[Index].data(), FRegisterSize);
}

void TFPURegs::SetRegData(int Index, const void* Source) {
    if (Index < 0 || Index >= 8) return;
    std::memcpy(FRegisterArea[Index].data(), Source, FRegisterSize);
    Changed();
}

long double TFPURegs::GetExtReg(int Index) {
    if (Index < 0 || Index >= 8) return 0;
    long double value = 0;
    std::memcpy(&value, FRegisterArea[Index].data(), 10);
    return value;
}

void TFPURegs::SetExtReg(int Index, long double Value) {
    if (Index >= 0 && Index < 8) std::memcpy(FRegisterArea[Index].data(), &Value, 10);
}

uint16_t TFPURegs::GetWordReg(int Index) {
    switch (Index) {
    case 8:
        return FControlWord;
    case 9:
        return FStatusWord;
    case 10:
        return FTagWord;
    default:
        return 0;
    }
}

void TFPURegs::SetWordReg(int Index, uint16_t Value) {
    uint16_t* word = Index == 0   ? &FControlWord
                     : Index == 1 ? &FStatusWord
                     : Index == 2 ? &FTagWord
                                  : nullptr;
    if (!word) return;
    if (*word != Value) *word = Value;
    Changed();
}

void TFPURegs::SetFPUViewType(TFPUViewType Value) {
    if (Value == FFPUViewType) return;
    FFPUViewType = Value;
    Changed();
}

void TFPURegs::SetRadix(TFPURadix Value) {
    if (Value == FRadix) return;
    FRadix = Value;
    Changed();
}

void TFPURegs::SetViewType(TViewType Value) {
    if (Value == FViewType) return;
    FViewType = Value;
    Changed();
}

void TFPURegs::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TFPURegs*>(Source)) {
        FRegisterArea = source->FRegisterArea;
        FRegisterSize = source->FRegisterSize;
        FControlWord = source->FControlWord;
        FStatusWord = source->FStatusWord;
        FTagWord = source->FTagWord;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

UnicodeString TFPURegs::GetRegName(int Index) {
    if (Index < 0 || Index > 10) return {};
    return FFPUViewType == fvtFPU ? kFPUNames[Index] : kMMXNames[Index];
}

TRegState TFPURegs::GetRegState(int Index) {
    if (Index < 0 || Index > 7) return rsError;
    const int top = (FStatusWord >> 11) & 7;
    const int physical = (top + Index) % 8;
    return static_cast<TRegState>((FTagWord >> (2 * physical)) & 3);
}

UnicodeString TFPURegs::GetRegValue(int Index) {
    if (Index >= 8 && Index <= 10) return Format(u"%.4x", static_cast<uint32_t>(GetWordReg(Index)));
    if (Index < 0 || Index > 10) return {};
    const bool fpu = FFPUViewType == fvtFPU;
    UnicodeString text;
    if (fpu) {
        static constexpr const char16_t* states[] = {SRegStateValid, SRegStateZero,
                                                     SRegStateSpecial, SRegStateEmpty};
        const TRegState state = GetRegState(Index);
        if (state == rsError) return u"!Error!";
        text = states[state];
        if (state == rsEmpty && FViewType == vtExtended) return text;
    }
    const uint8_t* area = FRegisterArea[Index].data();
    const int areaSize = fpu ? FRegisterSize : 8;
    if (FViewType == vtExtended) {
        const UnicodeString number = ElementFloatText(area, vtExtended);
        return text.empty() ? number : text + u" " + number;
    }
    const TViewTypeInfo& info = ViewTypeInfo(FViewType);
    const int count = areaSize / info.Size;
    if (count == 0) return text;
    const int stride = areaSize / count;
    for (int k = 0; k < count; ++k) {
        const uint8_t* element = area + areaSize - info.Size - k * stride;
        if (!text.empty()) text += u" ";
        if (!info.IsInteger)
            text += ElementFloatText(element, FViewType);
        else
            text += ElementIntegerText(element, FViewType, fpu ? frHexadecimal : FRadix);
    }
    return text;
}

// --- TVisibleXMMRegs --------------------------------------------------------------------------

TClass TVisibleXMMRegs::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TVisibleXMMRegs>(u"TVisibleXMMRegs", TPersistent::StaticClass()));
    return &meta;
}

TVisibleXMMRegs::TVisibleXMMRegs() {
    FVisibleRegs.fill(true);
}

void TVisibleXMMRegs::EndUpdate() {
    --FUpdateCount;
    if (FUpdateCount == 0) Changed();
}

void TVisibleXMMRegs::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TVisibleXMMRegs::SetVisibleReg(int Index, bool Value) {
    if (FVisibleRegs[Index] == Value) return;
    FVisibleRegs[Index] = Value;
    Changed();
}

void TVisibleXMMRegs::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TVisibleXMMRegs*>(Source)) {
        FVisibleRegs = source->FVisibleRegs;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

// --- TXMMRegs ---------------------------------------------------------------------------------

TClass TXMMRegs::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TXMMRegs>(u"TXMMRegs", TPersistent::StaticClass()));
    return &meta;
}

TXMMRegs::TXMMRegs() : FVisibleRegs(new TVisibleXMMRegs) {
    FVisibleRegs->OnChange = [this](TObject*) { Changed(); };
}

TXMMRegs::~TXMMRegs() {
    delete FVisibleRegs;
}

void TXMMRegs::EndUpdate() {
    --FUpdateCount;
    if (FUpdateCount == 0) Changed();
}

void TXMMRegs::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange(this);
}

int TXMMRegs::GetRegCount() {
    int count = 0;
    for (int i = 0; i < kXMMRegisterCount; ++i)
        if (FVisibleRegs->GetVisibleReg(i)) ++count;
    return count;
}

int TXMMRegs::VisibleIndexToActualIndex(int Index) {
    int visible = -1;
    for (int i = 0; i < kXMMRegisterCount; ++i)
        if (FVisibleRegs->GetVisibleReg(i) && ++visible == Index) return i;
    return Index;
}

UnicodeString TXMMRegs::GetRegName(int Index) {
    const int reg = VisibleIndexToActualIndex(Index);
    return reg >= 0 && reg < kXMMRegisterCount ? UnicodeString(kXMMNames[reg]) : UnicodeString();
}

uint32_t TXMMRegs::GetLongWordReg(int Index) {
    return Index == xtMXCSR ? FMXCSR : 0;
}

void TXMMRegs::SetLongWordReg(int Index, uint32_t Value) {
    if (Index != xtMXCSR || Value == FMXCSR) return;
    FMXCSR = Value;
    Changed();
}

void TXMMRegs::GetRegData(int Index, void* Dest) const {
    if (Index >= 0 && Index < 16) std::memcpy(Dest, FRegisterArea[Index].data(), 16);
}

void TXMMRegs::SetRegData(int Index, const void* Source) {
    if (Index < 0 || Index >= 16) return;
    if (std::memcmp(FRegisterArea[Index].data(), Source, 16) == 0) return;
    std::memcpy(FRegisterArea[Index].data(), Source, 16);
    Changed();
}

void TXMMRegs::SetRadix(TFPURadix Value) {
    if (Value == FRadix) return;
    FRadix = Value;
    Changed();
}

void TXMMRegs::SetViewType(TViewType Value) {
    if (Value == FViewType) return;
    FViewType = Value;
    Changed();
}

void TXMMRegs::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TXMMRegs*>(Source)) {
        BeginUpdate();
        FRegisterArea = source->FRegisterArea;
        FMXCSR = source->FMXCSR;
        SetVisibleRegs(source->FVisibleRegs);
        --FUpdateCount;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

UnicodeString TXMMRegs::GetRegValue(int Index) {
    const int reg = VisibleIndexToActualIndex(Index);
    if (reg == xtMXCSR) return Format(u"%.8x", FMXCSR);
    if (reg < 0 || reg >= 16) return {};
    const TViewTypeInfo& info = ViewTypeInfo(FViewType);
    const uint8_t* area = FRegisterArea[reg].data();
    const bool single = FViewType == vtExtended || FViewType == vtDQWord;
    const int count = single ? 1 : 16 / info.Size;
    UnicodeString text;
    for (int k = 0; k < count; ++k) {
        const uint8_t* element = single ? area : area + 16 - info.Size * (k + 1);
        if (!text.empty() && FRadix != frBinary) text += u" ";
        if (FViewType == vtExtended) continue; // no 80-bit values in a vector register
        if (!info.IsInteger) {
            const UnicodeString number = ElementFloatText(element, FViewType);
            text += number;
        } else {
            text += ElementIntegerText(element, FViewType, FRadix);
        }
    }
    return text;
}
