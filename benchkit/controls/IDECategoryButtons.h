// TIDECategoryButtons: category buttons whose owner may take over the start
// of a button drag, that always allow reordering, and that tell UI test
// automation where their categories and buttons are.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CategoryButtons.h>

#include <win32/oleauto.h>

#include <functional>

using TBeginDragEvent = std::function<void(TObject* Sender, bool& Handled)>;

class TIDECategoryButtons;

// An object as automation hands it out: a VARIANT holding a dispatch over
// it that does not own it; VT_NULL for none. The caller clears the VARIANT.
VARIANT AutomationValue(TObject* Obj);

// The automation values below are also published under their short names
// (Left, Items, ZombieCategory, ...) for clients that reach the objects
// through a dispatch.
class TIDEButtonItem : public TButtonItem {
public:
    using TButtonItem::TButtonItem;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    int GetLeft();
    int GetTop();
    int GetRight();
    int GetBottom();
    TButtonCategory* GetZombieCategory() const { return GetCategory(); }
    VARIANT OleZombieCategory() const { return AutomationValue(GetCategory()); }
    // Makes this button the control's selected one.
    void SelectItem();
};

class TIDEButtonCategory : public TButtonCategory {
public:
    using TButtonCategory::TButtonCategory;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    TIDEButtonItem* GetZombieItems(int Index) const {
        return static_cast<TIDEButtonItem*>(GetItems(Index));
    }
    VARIANT OleItems(int Index) const { return AutomationValue(GetItems(Index)); }
    int GetLeft();
    int GetTop();
    int GetRight();
    int GetBottom();
};

class TIDEButtonCategories : public TButtonCategories {
public:
    using TButtonCategories::TButtonCategories;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    TIDEButtonCategory* GetZombieItems(int Index) const {
        return static_cast<TIDEButtonCategory*>(GetItems(Index));
    }
    VARIANT OleItems(int Index) const { return AutomationValue(GetItems(Index)); }
};

class TIDECategoryButtons : public TCategoryButtons {
public:
    using TCategoryButtons::TCategoryButtons;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetItemCount() { return GetCategories()->GetCount(); }
    TIDEButtonCategory* GetZombieItems(int Index) {
        return static_cast<TIDEButtonCategory*>(GetCategories()->GetItems(Index));
    }
    TIDEButtonCategories* GetZombieCategories() {
        return static_cast<TIDEButtonCategories*>(GetCategories());
    }
    // The selected button, or null.
    TIDEButtonItem* GetZombieSelectedItem() const {
        return static_cast<TIDEButtonItem*>(GetSelectedItem());
    }
    VARIANT OleItems(int Index) { return AutomationValue(GetZombieItems(Index)); }
    VARIANT OleZombieCategories() { return AutomationValue(GetCategories()); }
    // VT_NULL when no button is selected.
    VARIANT OleZombieSelectedItem() const { return AutomationValue(GetSelectedItem()); }

    TBeginDragEvent OnBeginDrag;

protected:
    TButtonCategories* CreateCategories() override;
    TButtonCategory* CreateCategory(TButtonCategories* Categories) override;
    TButtonItem* CreateButton(TButtonCategory* Category) override;
    bool CanReorder() override { return true; }
    void DoBeginDrag() override;
};

#pragma GCC visibility pop
