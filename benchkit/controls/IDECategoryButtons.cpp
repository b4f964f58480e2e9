#include "IDECategoryButtons.h"

#include <runpak/TypeInfo.h>

namespace {

TIDECategoryButtons* ControlOf(TButtonCategory* Category) {
    return Category ? dynamic_cast<TIDECategoryButtons*>(Category->GetButtonsControl()) : nullptr;
}

} // namespace

int TIDEButtonItem::GetLeft() {
    TIDECategoryButtons* control = ControlOf(GetCategory());
    return control ? control->GetButtonRect(this).left : 0;
}

int TIDEButtonItem::GetTop() {
    TIDECategoryButtons* control = ControlOf(GetCategory());
    return control ? control->GetButtonRect(this).top : 0;
}

int TIDEButtonItem::GetRight() {
    TIDECategoryButtons* control = ControlOf(GetCategory());
    return control ? control->GetButtonRect(this).right : 0;
}

int TIDEButtonItem::GetBottom() {
    TIDECategoryButtons* control = ControlOf(GetCategory());
    return control ? control->GetButtonRect(this).bottom : 0;
}

void TIDEButtonItem::SelectItem() {
    if (TIDECategoryButtons* control = ControlOf(GetCategory())) control->SetSelectedItem(this);
}

int TIDEButtonCategory::GetLeft() {
    TIDECategoryButtons* control = ControlOf(this);
    return control ? control->GetCategoryBounds(this).left : 0;
}

int TIDEButtonCategory::GetTop() {
    TIDECategoryButtons* control = ControlOf(this);
    return control ? control->GetCategoryBounds(this).top : 0;
}

int TIDEButtonCategory::GetRight() {
    TIDECategoryButtons* control = ControlOf(this);
    return control ? control->GetCategoryBounds(this).right : 0;
}

int TIDEButtonCategory::GetBottom() {
    TIDECategoryButtons* control = ControlOf(this);
    return control ? control->GetCategoryBounds(this).bottom : 0;
}

TClass TIDECategoryButtons::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TIDECategoryButtons>(
        u"TIDECategoryButtons", TCategoryButtons::StaticClass()));
    return &meta;
}

TButtonCategories* TIDECategoryButtons::CreateCategories() {
    return new TIDEButtonCategories(this);
}

TButtonCategory* TIDECategoryButtons::CreateCategory(TButtonCategories*) {
    return new TIDEButtonCategory(this);
}

TButtonItem* TIDECategoryButtons::CreateButton(TButtonCategory* Category) {
    return new TIDEButtonItem(Category);
}

void TIDECategoryButtons::DoBeginDrag() {
    bool handled = false;
    if (OnBeginDrag) OnBeginDrag(this, handled);
    if (handled) {
        FDownButton = nullptr; // the owner took the press over
        return;
    }
    TCategoryButtons::DoBeginDrag();
}
