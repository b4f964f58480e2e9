// What the trees keep in forms beside their published properties: the
// header's columns as the tree's "Columns", the columns' wide texts, the
// string tree's default text, and option values of older forms.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/StdCtrls.h>
#include <quorlpak/TypeInfos.h>
#include <runpak/Filer.h>
#include <runpak/TypeInfo.h>

// --- Columns ------------------------------------------------------------------------------------

namespace {

PTypeInfo TypeInfo_TVTHeaderColumnLayout() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TVTHeaderColumnLayout", {u"blGlyphLeft", u"blGlyphRight", u"blGlyphTop", u"blGlyphBottom"});
    return &info;
}

PTypeInfo TypeInfo_TVirtualTreeColumnStyle() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TVirtualTreeColumnStyle", {u"vsText", u"vsOwnerDraw"});
    return &info;
}

PTypeInfo TypeInfo_TVTColumnOption() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TVTColumnOption", {u"coAllowClick", u"coDraggable", u"coEnabled", u"coParentBidiMode",
                             u"coParentColor", u"coResizable", u"coShowDropMark", u"coVisible",
                             u"coAutoSpring", u"coFixed"});
    return &info;
}

PTypeInfo TypeInfo_TVTColumnOptions() {
    static const TTypeInfo info = MakeSetTypeInfo(u"TVTColumnOptions", TypeInfo_TVTColumnOption());
    return &info;
}

} // namespace

TClass TVirtualTreeColumn::StaticClass() {
    using T = TVirtualTreeColumn;
    // Text and Hint are published for the inspector; forms carry them as the
    // wide-string properties of DefineProperties.
    static const TMetaClass meta(
        TClassBuilder<T>(u"TVirtualTreeColumn", TCollectionItem::StaticClass())
            .Property(u"Alignment", TypeInfo_TAlignment, &T::GetAlignment, &T::SetAlignment)
            .Default(taLeftJustify)
            .Property(u"BiDiMode", TypeInfo_TBiDiMode, &T::GetBiDiMode, &T::SetBiDiMode)
            .Default(bdLeftToRight)
            .Stored([](T* c) { return !c->GetOptions().Contains(coParentBidiMode); })
            .Property(u"Color", TypeInfo_TColor, &T::GetColor, &T::SetColor)
            .Default(int64_t(clWindow))
            .Stored([](T* c) { return !c->GetOptions().Contains(coParentColor); })
            .Property(
                u"Hint", UnicodeStringTypeInfo, [](T* c) { return c->GetHint(); },
                [](T* c, const UnicodeString& v) { c->SetHint(v); })
            .Stored(false)
            .Property(u"ImageIndex", IntegerTypeInfo, &T::GetImageIndex, &T::SetImageIndex)
            .Default(-1)
            .Property(u"Layout", TypeInfo_TVTHeaderColumnLayout, &T::GetLayout, &T::SetLayout)
            .Default(blGlyphLeft)
            .Property(u"Margin", IntegerTypeInfo, &T::GetMargin, &T::SetMargin)
            .Default(4)
            .Property(u"MaxWidth", IntegerTypeInfo, &T::GetMaxWidth, &T::SetMaxWidth)
            .Default(10000)
            .Property(u"MinWidth", IntegerTypeInfo, &T::GetMinWidth, &T::SetMinWidth)
            .Default(10)
            .Property(
                u"Options", TypeInfo_TVTColumnOptions,
                [](T* c) { return int64_t(c->GetOptions().ToInt()); },
                [](T* c, int64_t v) { c->SetOptions(TVTColumnOptions::FromInt(uint16_t(v))); })
            .Default(DefaultColumnOptions.ToInt())
            .Property(
                u"Position", IntegerTypeInfo, [](T* c) { return int64_t(c->GetPosition()); },
                [](T* c, int64_t v) { c->SetPosition(TColumnPosition(v)); })
            .Property(u"Spacing", IntegerTypeInfo, &T::GetSpacing, &T::SetSpacing)
            .Default(4)
            .Property(u"Style", TypeInfo_TVirtualTreeColumnStyle, &T::GetStyle, &T::SetStyle)
            .Default(vsText)
            .Property(u"Tag", IntegerTypeInfo, &T::GetTag, &T::SetTag)
            .Default(0)
            .Property(
                u"Text", UnicodeStringTypeInfo, [](T* c) { return c->GetText(); },
                [](T* c, const UnicodeString& v) { c->SetText(v); })
            .Stored(false)
            .Property(u"Width", IntegerTypeInfo, &T::GetWidth, &T::SetWidth)
            .Default(50));
    return &meta;
}

void TVirtualTreeColumn::DefineProperties(TFiler* Filer) {
    TCollectionItem::DefineProperties(Filer);
    Filer->DefineProperty(
        u"WideText", [this](TReader* Reader) { SetText(Reader->ReadString()); },
        [this](TWriter* Writer) { Writer->WriteWideString(FText); }, !FText.empty());
    Filer->DefineProperty(
        u"WideHint", [this](TReader* Reader) { SetHint(Reader->ReadString()); },
        [this](TWriter* Writer) { Writer->WriteWideString(FHint); }, !FHint.empty());
}

void TVTHeader::ReadColumns(TReader* Reader) {
    FStates.Include(hsLoading);
    auto loaded = runpak::ScopeExit([this] { FStates.Exclude(hsLoading); });
    FColumns->Clear();
    Reader->ReadValue();
    Reader->ReadCollection(FColumns);
}

void TVTHeader::WriteColumns(TWriter* Writer) {
    Writer->WriteCollection(FColumns);
}

// --- The tree ----------------------------------------------------------------------------------

void TBaseVirtualTree::DefineProperties(TFiler* Filer) {
    TCustomControl::DefineProperties(Filer);
    // A form inherited from another writes its columns only where they differ.
    auto* ancestor = dynamic_cast<TBaseVirtualTree*>(Filer->GetAncestor());
    const bool storeColumns =
        FHeader->CanWriteColumns() &&
        (!ancestor || !FHeader->GetColumns()->Equals(ancestor->GetHeader()->GetColumns()));
    Filer->DefineProperty(
        u"Columns", [this](TReader* Reader) { FHeader->ReadColumns(Reader); },
        [this](TWriter* Writer) { FHeader->WriteColumns(Writer); }, storeColumns);
    Filer->DefineProperty(
        u"Options", [this](TReader* Reader) { ReadOldOptions(Reader); }, nullptr, false);
}

// The option sets' enumerations (VirtualTreeOptions.cpp).
PTypeInfo TypeInfo_TVTPaintOption();
PTypeInfo TypeInfo_TVTAnimationOption();
PTypeInfo TypeInfo_TVTAutoOption();
PTypeInfo TypeInfo_TVTSelectionOption();
PTypeInfo TypeInfo_TVTMiscOption();

void TBaseVirtualTree::ReadOldOptions(TReader* Reader) {
    // Older forms kept one set of "vo" names; anything else is skipped.
    if (Reader->NextValue() != vaSet) {
        Reader->SkipValue();
        return;
    }
    const std::vector<UnicodeString> names = Reader->ReadSetNames();
    TVTPaintOptions paint;
    TVTAnimationOptions animation;
    TVTAutoOptions autoOptions;
    TVTSelectionOptions selection;
    TVTMiscOptions misc;
    for (const UnicodeString& name : names) {
        if (name.size() < 3 || name.compare(0, 2, u"vo") != 0) continue;
        const UnicodeString current = u"to" + name.substr(2);
        int value = -1;
        if ((value = GetEnumValue(TypeInfo_TVTPaintOption(), current)) >= 0)
            paint.Include(TVTPaintOption(value));
        else if ((value = GetEnumValue(TypeInfo_TVTAnimationOption(), current)) >= 0)
            animation.Include(TVTAnimationOption(value));
        else if ((value = GetEnumValue(TypeInfo_TVTAutoOption(), current)) >= 0)
            autoOptions.Include(TVTAutoOption(value));
        else if ((value = GetEnumValue(TypeInfo_TVTSelectionOption(), current)) >= 0)
            selection.Include(TVTSelectionOption(value));
        else if ((value = GetEnumValue(TypeInfo_TVTMiscOption(), current)) >= 0)
            misc.Include(TVTMiscOption(value));
    }
    FOptions->SetPaintOptions(paint);
    FOptions->SetAnimationOptions(animation);
    FOptions->SetAutoOptions(autoOptions);
    FOptions->SetSelectionOptions(selection);
    FOptions->SetMiscOptions(misc);
}

// --- The string tree ---------------------------------------------------------------------------

void TCustomVirtualStringTree::DefineProperties(TFiler* Filer) {
    TBaseVirtualTree::DefineProperties(Filer);
    Filer->DefineProperty(
        u"WideDefaultText", [this](TReader* Reader) { SetDefaultText(Reader->ReadString()); },
        [this](TWriter* Writer) { Writer->WriteWideString(FDefaultText); },
        FDefaultText != u"Node");
    Filer->DefineProperty(
        u"StringOptions",
        [this](TReader* Reader) {
            if (Reader->NextValue() != vaSet) {
                Reader->SkipValue();
                return;
            }
            TVTStringOptions options;
            for (const UnicodeString& name : Reader->ReadSetNames()) {
                if (name == u"toSaveCaptions") options.Include(toSaveCaptions);
                if (name == u"toShowStaticText") options.Include(toShowStaticText);
            }
            GetStringTreeOptions()->SetStringOptions(options);
        },
        nullptr, false);
}
