// Type records of the standard controls' types, and their registration.
#include <quorlpak/Buttons.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/Timer.h>

namespace {

PTypeInfo Enum(const TTypeInfo& info) {
    return &info;
}

} // namespace

PTypeInfo TypeInfo_TAlignment() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TAlignment", {u"taLeftJustify", u"taRightJustify", u"taCenter"});
    return Enum(info);
}

PTypeInfo TypeInfo_TLeftRight() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TLeftRight", {u"taLeftJustify", u"taRightJustify"});
    return Enum(info);
}

PTypeInfo TypeInfo_TTextLayout() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TTextLayout", {u"tlTop", u"tlCenter", u"tlBottom"});
    return Enum(info);
}

PTypeInfo TypeInfo_TEllipsisPosition() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TEllipsisPosition", {u"epNone", u"epPathEllipsis", u"epEndEllipsis", u"epWordEllipsis"});
    return Enum(info);
}

PTypeInfo TypeInfo_TCheckBoxState() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TCheckBoxState", {u"cbUnchecked", u"cbChecked", u"cbGrayed"});
    return Enum(info);
}

PTypeInfo TypeInfo_TEditCharCase() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TEditCharCase", {u"ecNormal", u"ecUpperCase", u"ecLowerCase"});
    return Enum(info);
}

PTypeInfo TypeInfo_TComboBoxStyle() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TComboBoxStyle", {u"csDropDown", u"csSimple", u"csDropDownList",
                                             u"csOwnerDrawFixed", u"csOwnerDrawVariable"});
    return Enum(info);
}

PTypeInfo TypeInfo_TListBoxStyle() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TListBoxStyle", {u"lbStandard", u"lbOwnerDrawFixed", u"lbOwnerDrawVariable", u"lbVirtual",
                           u"lbVirtualOwnerDraw"});
    return Enum(info);
}

PTypeInfo TypeInfo_TBorderStyle() {
    static const TTypeInfo info = MakeEnumTypeInfo(u"TBorderStyle", {u"bsNone", u"bsSingle"});
    return Enum(info);
}

PTypeInfo TypeInfo_TBitBtnKind() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TBitBtnKind", {u"bkCustom", u"bkOK", u"bkCancel", u"bkHelp", u"bkYes", u"bkNo",
                         u"bkClose", u"bkAbort", u"bkRetry", u"bkIgnore", u"bkAll"});
    return Enum(info);
}

PTypeInfo TypeInfo_TButtonLayout() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TButtonLayout", {u"blGlyphLeft", u"blGlyphRight", u"blGlyphTop", u"blGlyphBottom"});
    return Enum(info);
}

void RegisterStdControls() {
    RegisterClasses({TLabel::StaticClass(), TEdit::StaticClass(), TButton::StaticClass(),
                     TCheckBox::StaticClass(), TRadioButton::StaticClass(),
                     TGroupBox::StaticClass(), TComboBox::StaticClass(), TListBox::StaticClass(),
                     TPanel::StaticClass(), TRadioGroup::StaticClass(), TBitBtn::StaticClass(),
                     TTimer::StaticClass()});
}
