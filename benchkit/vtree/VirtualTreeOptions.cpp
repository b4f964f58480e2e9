// Option sets, colours, scroll-bar settings and the clipboard format list
// of a tree, and the registry that says which tree class renders which
// clipboard format.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/TypeInfos.h>
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

// --- Published property types -------------------------------------------------------------

#define VT_ENUM_TYPE(name, ...)                                                                    \
    PTypeInfo TypeInfo_##name() {                                                                  \
        static const TTypeInfo info = MakeEnumTypeInfo(u## #name, {__VA_ARGS__});                  \
        return &info;                                                                              \
    }
#define VT_SET_TYPE(name, element)                                                                 \
    PTypeInfo TypeInfo_##name() {                                                                  \
        static const TTypeInfo info = MakeSetTypeInfo(u## #name, TypeInfo_##element());            \
        return &info;                                                                              \
    }

VT_ENUM_TYPE(TVTPaintOption, u"toHideFocusRect", u"toHideSelection", u"toHotTrack", u"toPopupMode",
             u"toShowBackground", u"toShowButtons", u"toShowDropmark", u"toShowHorzGridLines",
             u"toShowRoot", u"toShowTreeLines", u"toShowVertGridLines", u"toThemeAware",
             u"toUseBlendedImages", u"toGhostedIfUnfocused", u"toFullVertGridLines",
             u"toAlwaysHideSelection", u"toUseBlendedSelection", u"toStaticBackground")
VT_SET_TYPE(TVTPaintOptions, TVTPaintOption)
VT_ENUM_TYPE(TVTAnimationOption, u"toAnimatedToggle")
VT_SET_TYPE(TVTAnimationOptions, TVTAnimationOption)
VT_ENUM_TYPE(TVTAutoOption, u"toAutoDropExpand", u"toAutoExpand", u"toAutoScroll",
             u"toAutoScrollOnExpand", u"toAutoSort", u"toAutoSpanColumns",
             u"toAutoTristateTracking", u"toAutoHideButtons", u"toAutoDeleteMovedNodes",
             u"toDisableAutoscrollOnFocus", u"toAutoChangeScale", u"toAutoFreeOnCollapse",
             u"toDisableAutoscrollOnEdit", u"toAutoBidiColumnOrdering", u"toAutoScrollAlignLeft")
VT_SET_TYPE(TVTAutoOptions, TVTAutoOption)
VT_ENUM_TYPE(TVTSelectionOption, u"toDisableDrawSelection", u"toExtendedFocus", u"toFullRowSelect",
             u"toLevelSelectConstraint", u"toMiddleClickSelect", u"toMultiSelect",
             u"toRightClickSelect", u"toSiblingSelectConstraint", u"toCenterScrollIntoView",
             u"toSimpleDrawSelection")
VT_SET_TYPE(TVTSelectionOptions, TVTSelectionOption)
VT_ENUM_TYPE(TVTMiscOption, u"toAcceptOLEDrop", u"toCheckSupport", u"toEditable",
             u"toFullRepaintOnResize", u"toGridExtensions", u"toInitOnSave", u"toReportMode",
             u"toToggleOnDblClick", u"toWheelPanning", u"toReadOnly", u"toVariableNodeHeight",
             u"toFullRowDrag", u"toPreventFullExpand")
VT_SET_TYPE(TVTMiscOptions, TVTMiscOption)
VT_ENUM_TYPE(TScrollStyle, u"ssNone", u"ssHorizontal", u"ssVertical", u"ssBoth")
VT_ENUM_TYPE(TScrollBarStyle, u"sbmRegular", u"sbmFlat", u"sbm3D")

#undef VT_ENUM_TYPE
#undef VT_SET_TYPE

TClass TVirtualTreeOptions::StaticClass() {
    // The sets travel as their bit masks.
    using T = TVirtualTreeOptions;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TVirtualTreeOptions", TCustomVirtualTreeOptions::StaticClass())
            .Property(
                u"AnimationOptions", TypeInfo_TVTAnimationOptions,
                [](T* o) { return int64_t(o->GetAnimationOptions().ToInt()); },
                [](T* o, int64_t v) { o->SetAnimationOptions(TVTAnimationOptions::FromInt(v)); })
            .Default(DefaultAnimationOptions.ToInt())
            .Property(
                u"AutoOptions", TypeInfo_TVTAutoOptions,
                [](T* o) { return int64_t(o->GetAutoOptions().ToInt()); },
                [](T* o, int64_t v) { o->SetAutoOptions(TVTAutoOptions::FromInt(v)); })
            .Default(DefaultAutoOptions.ToInt())
            .Property(
                u"MiscOptions", TypeInfo_TVTMiscOptions,
                [](T* o) { return int64_t(o->GetMiscOptions().ToInt()); },
                [](T* o, int64_t v) { o->SetMiscOptions(TVTMiscOptions::FromInt(v)); })
            .Default(DefaultMiscOptions.ToInt())
            .Property(
                u"PaintOptions", TypeInfo_TVTPaintOptions,
                [](T* o) { return int64_t(o->GetPaintOptions().ToInt()); },
                [](T* o, int64_t v) { o->SetPaintOptions(TVTPaintOptions::FromInt(v)); })
            .Default(DefaultPaintOptions.ToInt())
            .Property(
                u"SelectionOptions", TypeInfo_TVTSelectionOptions,
                [](T* o) { return int64_t(o->GetSelectionOptions().ToInt()); },
                [](T* o, int64_t v) { o->SetSelectionOptions(TVTSelectionOptions::FromInt(v)); })
            .Default(DefaultSelectionOptions.ToInt()));
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

namespace {

const char16_t* const ColorNames[TVTColors::ColorCount] = {u"DisabledColor",
                                                           u"DropMarkColor",
                                                           u"DropTargetColor",
                                                           u"FocusedSelectionColor",
                                                           u"GridLineColor",
                                                           u"TreeLineColor",
                                                           u"UnfocusedSelectionColor",
                                                           u"BorderColor",
                                                           u"HotColor",
                                                           u"FocusedSelectionBorderColor",
                                                           u"UnfocusedSelectionBorderColor",
                                                           u"DropTargetBorderColor",
                                                           u"SelectionRectangleBlendColor",
                                                           u"SelectionRectangleBorderColor",
                                                           u"HeaderHotColor"};

// No visual styles in this system: the system colours themselves.
constexpr TColor DefaultColors[TVTColors::ColorCount] = {
    clBtnShadow, clHighlight, clHighlight, clHighlight,  clBtnFace,
    clBtnShadow, clBtnFace,   clBtnFace,   clWindowText, clHighlight,
    clBtnFace,   clHighlight, clHighlight, clHighlight,  clBtnShadow};

template <int I> void AddColor(TClassBuilder<TVTColors>& builder) {
    builder
        .Property(
            ColorNames[I], TypeInfo_TColor, [](TVTColors* c) { return c->GetColor(I); },
            [](TVTColors* c, TColor v) { c->SetColor(I, v); })
        .Default(DefaultColors[I]);
    if constexpr (I + 1 < TVTColors::ColorCount) AddColor<I + 1>(builder);
}

TClassBuilder<TVTColors> ColorsDescription() {
    TClassBuilder<TVTColors> builder(u"TVTColors", TPersistent::StaticClass());
    AddColor<0>(builder);
    return builder;
}

} // namespace

TClass TVTColors::StaticClass() {
    static const TMetaClass meta(ColorsDescription());
    return &meta;
}

TVTColors::TVTColors(TBaseVirtualTree* AOwner) : FOwner(AOwner) {
    for (int i = 0; i < ColorCount; ++i)
        FColors[i] = DefaultColors[i];
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
    using T = TScrollBarOptions;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TScrollBarOptions", TPersistent::StaticClass())
            .Property(u"AlwaysVisible", BooleanTypeInfo, &T::GetAlwaysVisible, &T::SetAlwaysVisible)
            .Default(0)
            .Property(u"HorizontalIncrement", IntegerTypeInfo, &T::GetHorizontalIncrement,
                      &T::SetHorizontalIncrement)
            .Default(20)
            .Property(u"ScrollBars", TypeInfo_TScrollStyle, &T::GetScrollBars, &T::SetScrollBars)
            .Default(int64_t(TScrollStyle::ssBoth))
            .Property(u"ScrollBarStyle", TypeInfo_TScrollBarStyle, &T::GetScrollBarStyle,
                      &T::SetScrollBarStyle)
            .Default(sbmRegular)
            .Property(u"VerticalIncrement", IntegerTypeInfo, &T::GetVerticalIncrement,
                      &T::SetVerticalIncrement)
            .Default(20));
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
