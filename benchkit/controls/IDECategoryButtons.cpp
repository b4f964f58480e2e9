#include "IDECategoryButtons.h"

#include <runpak/ObjectDispatch.h>
#include <runpak/TypeInfo.h>

namespace {

TIDECategoryButtons* ControlOf(TButtonCategory* Category) {
    return Category ? dynamic_cast<TIDECategoryButtons*>(Category->GetButtonsControl()) : nullptr;
}

} // namespace

VARIANT AutomationValue(TObject* Obj) {
    VARIANT value;
    VariantInit(&value);
    if (!Obj) {
        value.vt = VT_NULL;
        return value;
    }
    auto* dispatch = new TObjectDispatch(Obj, false);
    dispatch->AddRef();
    value.vt = VT_DISPATCH;
    value.pdispVal = dispatch;
    return value;
}

TClass TIDEButtonItem::StaticClass() {
    using T = TIDEButtonItem;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TIDEButtonItem", TPersistent::StaticClass())
            .ReadOnlyProperty(u"Left", IntegerTypeInfo, &T::GetLeft)
            .ReadOnlyProperty(u"Top", IntegerTypeInfo, &T::GetTop)
            .ReadOnlyProperty(u"Right", IntegerTypeInfo, &T::GetRight)
            .ReadOnlyProperty(u"Bottom", IntegerTypeInfo, &T::GetBottom)
            .ReadOnlyProperty(u"ZombieCategory", ClassTypeInfo<TIDEButtonCategory>,
                              [](T* Self) {
                                  return static_cast<TIDEButtonCategory*>(Self->GetCategory());
                              })
            .Callable(u"SelectItem", &T::SelectItem));
    return &meta;
}

TClass TIDEButtonCategory::StaticClass() {
    using T = TIDEButtonCategory;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TIDEButtonCategory", TPersistent::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &T::GetCount)
            .Callable(u"Items", &T::GetZombieItems)
            .ReadOnlyProperty(u"Left", IntegerTypeInfo, &T::GetLeft)
            .ReadOnlyProperty(u"Top", IntegerTypeInfo, &T::GetTop)
            .ReadOnlyProperty(u"Right", IntegerTypeInfo, &T::GetRight)
            .ReadOnlyProperty(u"Bottom", IntegerTypeInfo, &T::GetBottom));
    return &meta;
}

TClass TIDEButtonCategories::StaticClass() {
    using T = TIDEButtonCategories;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TIDEButtonCategories", TPersistent::StaticClass())
            .ReadOnlyProperty(u"Count", IntegerTypeInfo, &T::GetCount)
            .Callable(u"Items", &T::GetZombieItems));
    return &meta;
}

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
    using T = TIDECategoryButtons;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TIDECategoryButtons", TCategoryButtons::StaticClass())
            .ReadOnlyProperty(u"ItemCount", IntegerTypeInfo, &T::GetItemCount)
            .Callable(u"Items", &T::GetZombieItems)
            .ReadOnlyProperty(u"ZombieCategories", ClassTypeInfo<TIDEButtonCategories>,
                              &T::GetZombieCategories)
            .ReadOnlyProperty(u"ZombieSelectedItem", ClassTypeInfo<TIDEButtonItem>,
                              &T::GetZombieSelectedItem)
            .Property(u"ScrollPos", IntegerTypeInfo, &T::GetScrollPos, &T::SetScrollPos));
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
