// TLabeledEdit: an edit with its own label beside it.
#include <quorlpak/LabeledEdit.h>
#include <quorlpak/Messages.h>

#include "PublishControls.h"

PTypeInfo TypeInfo_TLabelPosition() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TLabelPosition", {u"lpAbove", u"lpBelow", u"lpLeft", u"lpRight"});
    return &info;
}

namespace {

TClassBuilder<TBoundLabel> BoundLabelDescription() {
    using T = TBoundLabel;
    TClassBuilder<T> b(u"TBoundLabel", TCustomLabel::StaticClass());
    quorlpak::PublishCaption(b);
    b.Property(u"Font", ClassTypeInfo<TFont>, &T::GetFont, &T::SetFont)
        .Stored([](T* c) { return !c->GetParentFont(); })
        .Property(u"ParentFont", BooleanTypeInfo, &T::GetParentFont, &T::SetParentFont)
        .Default(1)
        .Property(u"Transparent", BooleanTypeInfo, &T::GetTransparent, &T::SetTransparent)
        .Default(0)
        .Property(u"WordWrap", BooleanTypeInfo, &T::GetWordWrap, &T::SetWordWrap)
        .Default(0);
    return b;
}

TClassBuilder<TLabeledEdit> LabeledEditDescription() {
    using T = TLabeledEdit;
    TClassBuilder<T> b(u"TLabeledEdit", TCustomLabeledEdit::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"AutoSelect", BooleanTypeInfo, &T::GetAutoSelect, &T::SetAutoSelect)
        .Default(1)
        .Property(u"CharCase", TypeInfo_TEditCharCase, &T::GetCharCase, &T::SetCharCase)
        .Default(ecNormal)
        .ReadOnlyProperty(u"EditLabel", ClassTypeInfo<TBoundLabel>, &T::GetEditLabel)
        .Property(u"LabelPosition", TypeInfo_TLabelPosition, &T::GetLabelPosition,
                  &T::SetLabelPosition)
        .Default(lpAbove)
        .Property(u"LabelSpacing", IntegerTypeInfo, &T::GetLabelSpacing, &T::SetLabelSpacing)
        .Default(3)
        .Property(u"MaxLength", IntegerTypeInfo, &T::GetMaxLength, &T::SetMaxLength)
        .Default(0)
        .Property(u"ReadOnly", BooleanTypeInfo, &T::GetReadOnly, &T::SetReadOnly)
        .Default(0)
        .Property(u"Text", UnicodeStringTypeInfo, &T::GetText, &T::SetText)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomEdit::OnChange));
    return b;
}

} // namespace

TClass TBoundLabel::StaticClass() {
    static const TMetaClass meta(BoundLabelDescription());
    return &meta;
}

TBoundLabel::TBoundLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
    SetName(u"SubLabel");
    SetSubComponent(true);
}

TClass TCustomLabeledEdit::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomLabeledEdit>(u"TCustomLabeledEdit", TCustomEdit::StaticClass()));
    return &meta;
}

TClass TLabeledEdit::StaticClass() {
    static const TMetaClass meta(LabeledEditDescription());
    return &meta;
}

TCustomLabeledEdit::TCustomLabeledEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
    FEditLabel = new TBoundLabel(this);
    FEditLabel->FreeNotification(this);
    FEditLabel->SetFocusControl(this);
}

void TCustomLabeledEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomEdit::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FEditLabel) FEditLabel = nullptr;
}

void TCustomLabeledEdit::PlaceLabel() {
    if (!FEditLabel) return;
    const int width = FEditLabel->GetWidth(), height = FEditLabel->GetHeight();
    int x = GetLeft(), y = GetTop();
    switch (FLabelPosition) {
    case lpAbove:
        y -= height + FLabelSpacing;
        break;
    case lpBelow:
        y += GetHeight() + FLabelSpacing;
        break;
    case lpLeft:
        x -= width + FLabelSpacing;
        y += (GetHeight() - height) / 2;
        break;
    case lpRight:
        x += GetWidth() + FLabelSpacing;
        y += (GetHeight() - height) / 2;
        break;
    }
    FEditLabel->SetBounds(x, y, width, height);
}

void TCustomLabeledEdit::SetLabelPosition(TLabelPosition Value) {
    FLabelPosition = Value;
    PlaceLabel();
}

void TCustomLabeledEdit::SetLabelSpacing(int Value) {
    FLabelSpacing = Value;
    PlaceLabel();
}

void TCustomLabeledEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    PlaceLabel();
}

void TCustomLabeledEdit::SetParent(TWinControl* AParent) {
    TCustomEdit::SetParent(AParent);
    if (!FEditLabel) return;
    FEditLabel->SetParent(AParent);
    FEditLabel->SetVisible(GetVisible());
    PlaceLabel();
}

void TCustomLabeledEdit::Dispatch(TMessage& Message) {
    TCustomEdit::Dispatch(Message);
    if (!FEditLabel) return;
    if (Message.Msg == CM_VISIBLECHANGED) FEditLabel->SetVisible(GetVisible());
    if (Message.Msg == CM_ENABLEDCHANGED) FEditLabel->SetEnabled(GetEnabled());
}

void RegisterLabeledEditClasses() {
    RegisterClasses({TLabeledEdit::StaticClass()});
}
