// Option sets, colours, scroll-bar settings and the clipboard format list
// of a tree, and the registry that says which tree class renders which
// clipboard format.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <map>
#include <mutex>

// --- Option sets -------------------------------------------------------------------------

TClass TCustomVirtualTreeOptions::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomVirtualTreeOptions>(
        u"TCustomVirtualTreeOptions", TPersistent::StaticClass()));
    return &meta;
}

TClass TVirtualTreeOptions::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TVirtualTreeOptions>(
        u"TVirtualTreeOptions", TCustomVirtualTreeOptions::StaticClass()));
    return &meta;
}

TCustomVirtualTreeOptions::TCustomVirtualTreeOptions(TBaseVirtualTree* AOwner) : FOwner(AOwner) {}

TPersistent* TCustomVirtualTreeOptions::GetOwner() const {
    return FOwner;
}

void TCustomVirtualTreeOptions::SetPaintOptions(TVTPaintOptions Value) {
    if (Value == FPaintOptions) return;
    const TVTPaintOptions changed = (Value - FPaintOptions) + (FPaintOptions - Value);
    FPaintOptions = Value;
    if (!FOwner->CanApplyEffects()) return;
    if (changed.Contains(toThemeAware)) {
        FOwner->UpdateThemeState();
        FOwner->PrepareBitmaps(true, false);
        RedrawWindow(FOwner->GetHandle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_NOCHILDREN);
    }
    if (!(changed - TVTPaintOptions{toThemeAware}).Empty()) FOwner->Invalidate();
}

void TCustomVirtualTreeOptions::SetAnimationOptions(TVTAnimationOptions Value) {
    FAnimationOptions = Value;
}

void TCustomVirtualTreeOptions::SetAutoOptions(TVTAutoOptions Value) {
    if (Value == FAutoOptions) return;
    const bool spanChanged =
        Value.Contains(toAutoSpanColumns) != FAutoOptions.Contains(toAutoSpanColumns);
    FAutoOptions = Value;
    if (spanChanged && FOwner->CanApplyEffects()) FOwner->Invalidate();
}

void TCustomVirtualTreeOptions::SetSelectionOptions(TVTSelectionOptions Value) {
    if (Value == FSelectionOptions) return;
    const TVTSelectionOptions old = FSelectionOptions;
    FSelectionOptions = Value;
    const bool multiChanged = old.Contains(toMultiSelect) != Value.Contains(toMultiSelect);
    const bool constraintOn =
        (Value.Contains(toLevelSelectConstraint) && !old.Contains(toLevelSelectConstraint)) ||
        (Value.Contains(toSiblingSelectConstraint) && !old.Contains(toSiblingSelectConstraint));
    if (multiChanged || constraintOn) FOwner->ClearSelection();
    if (old.Contains(toExtendedFocus) && !Value.Contains(toExtendedFocus) &&
        FOwner->GetFocusedColumn() > 0 && FOwner->HandleAllocated()) {
        FOwner->SetFocusedColumnDirect(FOwner->GetMainColumn());
        FOwner->Invalidate();
    }
    if (!Value.Contains(toExtendedFocus)) FOwner->SetFocusedColumnDirect(FOwner->GetMainColumn());
}

void TCustomVirtualTreeOptions::SetMiscOptions(TVTMiscOptions Value) {
    if (Value == FMiscOptions) return;
    const TVTMiscOptions old = FMiscOptions;
    FMiscOptions = Value;
    if (!FOwner->CanApplyEffects()) return;
    if (old.Contains(toCheckSupport) != Value.Contains(toCheckSupport)) FOwner->Invalidate();
    if (FOwner->GetComponentState().Contains(csDesigning)) return;
    if (old.Contains(toFullRepaintOnResize) != Value.Contains(toFullRepaintOnResize))
        FOwner->RecreateWnd();
    if (!old.Contains(toAcceptOLEDrop) && Value.Contains(toAcceptOLEDrop))
        FOwner->RegisterDropTarget();
    else if (old.Contains(toAcceptOLEDrop) && !Value.Contains(toAcceptOLEDrop))
        FOwner->RevokeDropTarget();
}

void TCustomVirtualTreeOptions::AssignTo(TPersistent* Dest) {
    if (auto* other = dynamic_cast<TCustomVirtualTreeOptions*>(Dest)) {
        other->SetPaintOptions(FPaintOptions);
        other->SetAnimationOptions(FAnimationOptions);
        other->SetAutoOptions(FAutoOptions);
        other->SetSelectionOptions(FSelectionOptions);
        other->SetMiscOptions(FMiscOptions);
        return;
    }
    TPersistent::AssignTo(Dest);
}

// --- Colours ----------------------------------------------------------------------------------

TClass TVTColors::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TVTColors>(u"TVTColors", TPersistent::StaticClass()));
    return &meta;
}

TVTColors::TVTColors(TBaseVirtualTree* AOwner) : FOwner(AOwner) {
    // No visual styles in this system: the system colours themselves.
    static constexpr TColor defaults[ColorCount] = {
        clBtnShadow, clHighlight, clHighlight, clHighlight,  clBtnFace,
        clBtnShadow, clBtnFace,   clBtnFace,   clWindowText, clHighlight,
        clBtnFace,   clHighlight, clHighlight, clHighlight,  clBtnShadow};
    for (int i = 0; i < ColorCount; ++i)
        FColors[i] = defaults[i];
}

void TVTColors::SetColor(int Index, TColor Value) {
    if (Index < 0 || Index >= ColorCount || FColors[Index] == Value) return;
    FColors[Index] = Value;
    if (!FOwner->CanApplyEffects()) return;
    switch (Index) {
    case TreeLineColorIndex:
        FOwner->PrepareBitmaps(true, true);
        FOwner->Invalidate();
        break;
    case BorderColorIndex:
        RedrawWindow(FOwner->GetHandle(), nullptr, nullptr,
                     RDW_FRAME | RDW_NOCHILDREN | RDW_NOERASE | RDW_INVALIDATE);
        break;
    default:
        FOwner->Invalidate();
        break;
    }
}

void TVTColors::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TVTColors*>(Source)) {
        for (int i = 0; i < ColorCount; ++i)
            FColors[i] = other->FColors[i];
        if (FOwner->GetUpdateCount() == 0) FOwner->Invalidate();
        return;
    }
    TPersistent::Assign(Source);
}

// --- Scroll bars ----------------------------------------------------------------------------

TClass TScrollBarOptions::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TScrollBarOptions>(u"TScrollBarOptions", TPersistent::StaticClass()));
    return &meta;
}

TScrollBarOptions::TScrollBarOptions(TBaseVirtualTree* AOwner) : FOwner(AOwner) {}

TPersistent* TScrollBarOptions::GetOwner() const {
    return FOwner;
}

void TScrollBarOptions::SetAlwaysVisible(bool Value) {
    if (Value == FAlwaysVisible) return;
    FAlwaysVisible = Value;
    if (FOwner->CanApplyEffects()) FOwner->RecreateWnd();
}

void TScrollBarOptions::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (FOwner->CanApplyEffects()) FOwner->RecreateWnd();
}

namespace {

TVTScrollIncrement ClampIncrement(TVTScrollIncrement Value) {
    return Value < 1 ? 1 : (Value > 10000 ? 10000 : Value);
}

} // namespace

void TScrollBarOptions::SetHorizontalIncrement(TVTScrollIncrement Value) {
    FIncrementX = ClampIncrement(Value);
}

void TScrollBarOptions::SetVerticalIncrement(TVTScrollIncrement Value) {
    FIncrementY = ClampIncrement(Value);
}

void TScrollBarOptions::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TScrollBarOptions*>(Source)) {
        SetAlwaysVisible(other->FAlwaysVisible);
        SetHorizontalIncrement(other->FIncrementX);
        SetScrollBars(other->FScrollBars);
        SetScrollBarStyle(other->FScrollBarStyle);
        SetVerticalIncrement(other->FIncrementY);
        return;
    }
    TPersistent::Assign(Source);
}

// --- Clipboard formats --------------------------------------------------------------------

namespace {

struct TFormatRegistration {
    TClass TreeClass;
    unsigned Priority;
    unsigned FormatId;
};

struct TFormatRegistry {
    std::mutex Lock;
    std::map<UnicodeString, TFormatRegistration> Entries;
};

TFormatRegistry& Registry() {
    static TFormatRegistry registry;
    return registry;
}

} // namespace

void RegisterVTClipboardFormat(const UnicodeString& Description, TClass TreeClass,
                               unsigned Priority, unsigned FormatId) {
    TFormatRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Entries.emplace(Description, TFormatRegistration{TreeClass, Priority, FormatId});
}

TClass VTClipboardFormatClass(const UnicodeString& Description) {
    TFormatRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    auto it = registry.Entries.find(Description);
    return it == registry.Entries.end() ? nullptr : it->second.TreeClass;
}

void ClearVTClipboardFormats() {
    TFormatRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Entries.clear();
}

TClass TClipboardFormats::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TClipboardFormats>(u"TClipboardFormats", TStringList::StaticClass()));
    return &meta;
}

TClipboardFormats::TClipboardFormats(TBaseVirtualTree* AOwner) : FOwner(AOwner) {
    SetSorted(true);
    SetDuplicates(dupIgnore);
}

bool TClipboardFormats::Accepts(const UnicodeString& S) const {
    TClass registered = VTClipboardFormatClass(S);
    return registered && FOwner->ClassType()->InheritsFrom(registered);
}

int TClipboardFormats::Add(const UnicodeString& S) {
    if (!Accepts(S)) return -1;
    return TStringList::Add(S);
}

void TClipboardFormats::Insert(int Index, const UnicodeString& S) {
    if (Accepts(S)) TStringList::Insert(Index, S);
}
