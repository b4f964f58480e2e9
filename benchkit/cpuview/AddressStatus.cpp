// TAddressStatus and the palette registration of the CPU-window controls.
#include "benchkit/cpuview/AddressStatus.h"

#include "benchkit/cpuview/DumpView.h"
#include "benchkit/cpuview/FPURegisterView.h"
#include "benchkit/cpuview/FlagsView.h"
#include "benchkit/cpuview/RegisterView.h"

#include <runpak/Format.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

namespace {

// Per address format and size: unknown value, known value, target.
struct TStatusFormats {
    const char16_t* Unknown;
    const char16_t* Known;
    const char16_t* Target;
};
constexpr TStatusFormats kFormats[2][2] = {
    {{u"[$%.8x]=????", u"[$%.8x]=$%.8x", u"$%.8x"},
     {u"[$%.16x]=????", u"[$%.16x]=$%.16x", u"$%.16x"}},
    {{u"[0x%.8x]=????", u"[0x%.8x]=0x%.8x", u"0x%.8x"},
     {u"[0x%.16x]=????", u"[0x%.16x]=0x%.16x", u"0x%.16x"}},
};
constexpr const char16_t* kThreadFormat = u"%d";

} // namespace

TClass TAddressStatus::StaticClass() {
    using T = TAddressStatus;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TAddressStatus", TGraphicControl::StaticClass())
            .Property(u"IndirectError", BooleanTypeInfo, &T::GetIndirectError, &T::SetIndirectError)
            .Default(true)
            .Property(u"ShowAnyThing", BooleanTypeInfo, &T::GetShowAnyThing, &T::SetShowAnyThing)
            .Default(false)
            .Property(u"ShowEffective", BooleanTypeInfo, &T::GetShowEffective, &T::SetShowEffective)
            .Default(false)
            .Property(u"ShowTarget", BooleanTypeInfo, &T::GetShowTarget, &T::SetShowTarget)
            .Default(false)
            .Property(u"ThreadId", IntegerTypeInfo, &T::GetThreadId, &T::SetThreadId)
            .Default(0)
            .Property(u"ThreadString", UnicodeStringTypeInfo, &T::GetThreadString,
                      &T::SetThreadString));
    return &meta;
}

TAddressStatus::TAddressStatus(TComponent* AOwner) : TGraphicControl(AOwner) {
    FColor = clWindow;
    FParentColor = false;
    FControlStyle.Include(csOpaque);
}

const char16_t* TAddressStatus::UnknownFormat() const {
    return kFormats[FAddressFormat][FAddressSize].Unknown;
}

const char16_t* TAddressStatus::KnownFormat() const {
    return kFormats[FAddressFormat][FAddressSize].Known;
}

const char16_t* TAddressStatus::TargetFormat() const {
    return kFormats[FAddressFormat][FAddressSize].Target;
}

uint64_t TAddressStatus::Shown(int64_t Address) const {
    const auto value = static_cast<uint64_t>(Address);
    return FAddressSize == as32 ? value & 0xFFFFFFFFu : value;
}

// --- Setters -------------------------------------------------------------------------------------

void TAddressStatus::SetEffective(int64_t Value) {
    if (Value == FEffective) return;
    FEffective = Value;
    Update();
}

void TAddressStatus::SetIndirect(int64_t Value) {
    // The same value clears a pending error: the value is known now.
    if (Value == FIndirect && !FIndirectError) return;
    FIndirect = Value;
    FShowEffective = true;
    FIndirectError = false;
    FShowAnyThing = true;
    FShowTarget = false;
    Update();
}

void TAddressStatus::SetTarget(int64_t Value) {
    if (Value == FTarget) return;
    FTarget = Value;
    FShowEffective = false;
    FIndirectError = false;
    FShowTarget = true;
    FShowAnyThing = true;
    Update();
}

void TAddressStatus::SetThreadId(int32_t Value) {
    if (Value == FThreadId) return;
    FThreadId = Value;
    FShowAnyThing = true;
    Update();
}

void TAddressStatus::SetIndirectError(bool Value) {
    if (Value == FIndirectError) return;
    FIndirectError = Value;
    FShowEffective = true;
    FShowTarget = false;
    FShowAnyThing = true;
    Update();
}

void TAddressStatus::SetShowEffective(bool Value) {
    if (Value == FShowEffective) return;
    FShowEffective = Value;
    FShowTarget = false;
    FShowAnyThing = true;
    Update();
}

void TAddressStatus::SetShowTarget(bool Value) {
    if (Value == FShowTarget) return;
    FShowTarget = Value;
    FShowEffective = false;
    FShowAnyThing = true;
    Update();
}

void TAddressStatus::SetShowAnyThing(bool Value) {
    if (Value == FShowAnyThing) return;
    FShowAnyThing = Value;
    if (Value) UpdateLeftColWidth();
    Update();
}

void TAddressStatus::SetThreadString(const UnicodeString& Value) {
    if (Value == FThreadString) return;
    FThreadString = Value;
    Update();
}

void TAddressStatus::SetAddressFormat(TAddressFormat Value) {
    if (Value == FAddressFormat) return;
    FAddressFormat = Value;
    UpdateLeftColWidth();
    Update();
}

void TAddressStatus::SetAddressSize(TAddressSize Value) {
    if (Value == FAddressSize) return;
    FAddressSize = Value;
    UpdateLeftColWidth();
    Update();
}

void TAddressStatus::UpdateLeftColWidth() {
    if (!GetParent()) return; // measured once it lies on a window
    GetCanvas()->SetFont(GetFont());
    const uint64_t sample = 0xDDDDDDDD;
    FLeftColWidth = GetCanvas()->TextWidth(Format(KnownFormat(), sample, sample)) + 5;
}

// --- Text and painting
// -----------------------------------------------------------------------------

void TAddressStatus::Update() {
    UnicodeString text;
    if (FShowAnyThing) {
        const size_t width = FAddressSize == as32 ? 24 : 40;
        UnicodeString left(width, u' ');
        if (FShowEffective) {
            left = FIndirectError ? Format(u"[0x%x]=????", Shown(FEffective))
                                  : Format(u"[0x%x]=0x%x", Shown(FEffective), Shown(FIndirect));
            left.resize(width, u' ');
        }
        text = left + FThreadString + u"0x" + Format(u"%.8X", static_cast<uint32_t>(FThreadId));
    }
    // Every change of the text is shown.
    if (text != GetText()) SetText(text);
    Invalidate();
    TGraphicControl::Update();
}

void TAddressStatus::Paint() {
    TCanvas* canvas = GetCanvas();
    canvas->SetFont(GetFont());
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetPen()->SetColor(GetFont()->GetColor());
    const TRect client = GetClientRect();
    if (!FShowAnyThing) {
        canvas->FillRect(client);
        return;
    }
    const TRect left(0, 0, FLeftColWidth, client.bottom);
    if (FShowEffective) {
        const UnicodeString text = FIndirectError
                                       ? Format(UnknownFormat(), Shown(FEffective))
                                       : Format(KnownFormat(), Shown(FEffective), Shown(FIndirect));
        canvas->TextRect(left, 0, 0, text);
    } else if (FShowTarget) {
        canvas->TextRect(left, 0, 0, Format(TargetFormat(), Shown(FTarget)));
    } else {
        canvas->FillRect(left);
    }
    const TRect right(FLeftColWidth, 0, client.right, client.bottom);
    canvas->TextRect(right, FLeftColWidth, 0, FThreadString + Format(kThreadFormat, FThreadId));
}

void TAddressStatus::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(Message);
        UpdateLeftColWidth();
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    default:
        TGraphicControl::Dispatch(Message);
    }
}

// --- Palette
// ---------------------------------------------------------------------------------------

void Register() {
    RegisterComponents(u"CPU", {TDisassemblerView::StaticClass(), TRegisterView::StaticClass(),
                                TFlagsView::StaticClass(), TFPURegisterView::StaticClass(),
                                TXMMRegisterView::StaticClass(), TDumpView::StaticClass(),
                                TAddressStatus::StaticClass()});
}
