#include "benchkit/mvc/IDEUtil.h"

#include "benchkit/mvc/IDEFixups.h"

#include <quorlpak/Bitmap.h>
#include <runpak/ScopeGuard.h>
#include <runpak/StringList.h>

#include <cstdint>

// --- Text objects --------------------------------------------------------------------

int32_t TextHashCode(const UnicodeString& Text) {
    // Unsigned arithmetic gives the wrap-around of 32-bit signed overflow.
    uint32_t h = 0;
    const size_t n = Text.size();
    if (n < 16) {
        for (char16_t c : Text)
            h = h * 37 + uint16_t(c);
    } else {
        const size_t step = n / 8;
        for (size_t i = 0; i < n; i += step)
            h = h * 39 + uint16_t(Text[i]);
    }
    return int32_t(h);
}

HRESULT TTextObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IHashObject, IStringObject>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

int32_t TTextObject::GetHashCode() {
    return TextHashCode(FData);
}

HRESULT TTextImageObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IImageObject>(this, iid, out)) return S_OK;
    return TTextObject::QueryInterface(iid, out);
}

HRESULT TTextIndexObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IPair, IIndexObject>(this, iid, out)) return S_OK;
    return TTextObject::QueryInterface(iid, out);
}

InterfacePtr<IInterface> TTextIndexObject::GetFirst() {
    return static_cast<IPair*>(this);
}

InterfacePtr<IInterface> TTextIndexObject::GetSecond() {
    return static_cast<IPair*>(this);
}

void TTextIndexObject::SetFirst(IInterface* Value) {
    FData = InterfaceCast<IStringObject>(Value)->GetString();
}

void TTextIndexObject::SetSecond(IInterface* Value) {
    FValue = InterfaceCast<IIndexObject>(Value)->GetIndex();
}

// --- Images, integers, identities ----------------------------------------------------

TImageObject::TImageObject(TBitmap* Data)
    : TTamrelObject(Data), FImage(Data) {}

HRESULT TImageObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IImageObject>(this, iid, out)) return S_OK;
    return TTamrelObject::QueryInterface(iid, out);
}

HRESULT TIntegerObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IIndexObject>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

HRESULT THashObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IHashObject>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

int32_t THashObject::GetHashCode() {
    return int32_t(reinterpret_cast<uintptr_t>(this));
}

// --- Geometry ------------------------------------------------------------------------

void TInsets::AssignTo(TPersistent* Dest) {
    auto* insets = dynamic_cast<TInsets*>(Dest);
    if (!insets) throw EInvalidCast(u"Invalid class typecast");
    insets->FLeft = FLeft;
    insets->FTop = FTop;
    insets->FRight = FRight;
    insets->FBottom = FBottom;
}

TRectangle Rectangle(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
    return {Left, Top, Width, Height};
}

TDimension Dimension(int32_t Width, int32_t Height) {
    return {Width, Height};
}

// --- Lists ---------------------------------------------------------------------------

InterfacePtr<IInterfaceList> StringsToInterfaces(TStrings* Strings) {
    InterfacePtr<IInterfaceList> list(new TInterfaceList);
    for (int i = 0; i < Strings->GetCount(); ++i)
        list->Add(static_cast<IStringObject*>(new TTextObject(Strings->Get(i))));
    return list;
}

InterfacePtr<IInterfaceList> CloneInterfaceList(IInterfaceList* Source) {
    InterfacePtr<IInterfaceList> list(new TInterfaceList);
    Source->Lock();
    auto unlock = runpak::ScopeExit([Source] { Source->Unlock(); });
    int count = Source->GetCount();
    if (count > 0) list->SetCapacity(count);
    for (int i = 0; i < count; ++i)
        list->Add(Source->Get(i).Get());
    return list;
}

// --- Alignment and the component helpers -----------------------------------------------

TAlignmentSet AlignToAlignment(TAlign Align) {
    switch (Align) {
    case alTop: return TAlignmentSet{aHorzStretch, aTop};
    case alBottom: return TAlignmentSet{aHorzStretch, aBottom};
    case alLeft: return TAlignmentSet{aLeft, aVertStretch};
    case alRight: return TAlignmentSet{aRight, aVertStretch};
    case alClient: return TAlignmentSet{aHorzStretch, aVertStretch};
    // A custom-placed control has no docking to follow.
    default: return TAlignmentSet{};
    }
}

void KomponentRequestFocus(TKomponent* Component) {
    if (auto* win = dynamic_cast<TWinControl*>(Component)) win->SetFocus();
}

TRectangle KomponentGetBounds(TKomponent* Component) {
    return Rectangle(Component->GetLeft(), Component->GetTop(), Component->GetWidth(),
                     Component->GetHeight());
}
