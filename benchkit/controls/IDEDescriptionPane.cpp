#include "IDEDescriptionPane.h"

#include <quorlpak/TypeInfos.h>
#include <runpak/TypeInfo.h>

TClass TCustomDescriptionPane::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomDescriptionPane>(
        u"TCustomDescriptionPane", TCustomPanel::StaticClass()));
    return &meta;
}

TClass TDescriptionPane::StaticClass() {
    using T = TDescriptionPane;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TDescriptionPane", TCustomDescriptionPane::StaticClass())
            .Property(u"DescriptionFont", ClassTypeInfo<TFont>, &T::GetDescriptionFont,
                      &T::SetDescriptionFont));
    return &meta;
}

TCustomDescriptionPane::TCustomDescriptionPane(TComponent* AOwner) : TCustomPanel(AOwner) {
    FSubjectLabel = new TLabel(this);
    FSubjectLabel->SetAlign(alTop);
    FSubjectLabel->SetAlignment(taLeftJustify);
    FSubjectLabel->SetCaption(u"");
    FSubjectLabel->SetTransparent(true);
    FSubjectLabel->SetParent(this);
    FSubjectLabel->FreeNotification(this);

    FDescriptionLabel = new TLabel(this);
    FDescriptionLabel->SetAutoSize(false);
    FDescriptionLabel->SetAlign(alClient);
    FDescriptionLabel->SetParentColor(true);
    FDescriptionLabel->SetAlignment(taLeftJustify);
    FDescriptionLabel->SetWordWrap(true);
    FDescriptionLabel->SetEllipsisPosition(epWordEllipsis);
    FDescriptionLabel->SetParent(this);
    FDescriptionLabel->FreeNotification(this);

    SetAlignment(taLeftJustify);
    SetVerticalAlignment(tlTop);
}

UnicodeString TCustomDescriptionPane::GetDescriptionText() {
    return FDescriptionLabel ? FDescriptionLabel->GetCaption() : UnicodeString();
}

void TCustomDescriptionPane::SetDescriptionText(const UnicodeString& Value) {
    if (!FDescriptionLabel) return;
    FDescriptionLabel->SetCaption(Value);
    FDescriptionLabel->SetHint(Value);
}

TFont* TCustomDescriptionPane::GetDescriptionFont() const {
    return FDescriptionLabel ? FDescriptionLabel->GetFont() : GetFont();
}

void TCustomDescriptionPane::SetDescriptionFont(TFont* Value) {
    if (FDescriptionLabel) FDescriptionLabel->SetFont(Value);
}

UnicodeString TCustomDescriptionPane::GetSubjectText() {
    return FSubjectLabel ? FSubjectLabel->GetCaption() : UnicodeString();
}

void TCustomDescriptionPane::SetSubjectText(const UnicodeString& Value) {
    if (FSubjectLabel) FSubjectLabel->SetCaption(Value);
}

void TCustomDescriptionPane::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FSubjectLabel) FSubjectLabel = nullptr;
    if (AComponent == FDescriptionLabel) FDescriptionLabel = nullptr;
}
