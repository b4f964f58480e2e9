// TCategoryButtons: buttons grouped under category headers, one under the
// other (each button a full-width row). A click on a header collapses or
// expands its category; a click on a button selects it and runs its OnClick
// (or the control's OnButtonClicked). With reordering allowed, a button
// dragged onto another place of the control moves there.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>

#include <functional>
#include <vector>

class TCategoryButtons;
class TButtonCategory;

class TButtonItem : public TPersistent {
public:
    explicit TButtonItem(TButtonCategory* ACategory) : FCategory(ACategory) {}

    TButtonCategory* GetCategory() const { return FCategory; }
    const UnicodeString& GetCaption() const { return FCaption; }
    void SetCaption(const UnicodeString& Value);
    const UnicodeString& GetHint() const { return FHint; }
    void SetHint(const UnicodeString& Value) { FHint = Value; }
    int GetIndex() const;
    TNotifyEvent OnClick;

private:
    friend class TButtonCategory;
    TButtonCategory* FCategory;
    UnicodeString FCaption;
    UnicodeString FHint;
};

class TButtonCategory : public TPersistent {
public:
    explicit TButtonCategory(TCategoryButtons* AOwner) : FOwner(AOwner) {}
    ~TButtonCategory() override;

    TCategoryButtons* GetButtonsControl() const { return FOwner; }
    const UnicodeString& GetCaption() const { return FCaption; }
    void SetCaption(const UnicodeString& Value);
    bool GetCollapsed() const { return FCollapsed; }
    void SetCollapsed(bool Value);
    int GetCount() const { return int(FItems.size()); }
    TButtonItem* GetItems(int Index) const { return FItems.at(size_t(Index)); }
    TButtonItem* Add();
    void Delete(int Index);
    // Moves an item of this category (or another one) to Index here.
    void InsertItem(TButtonItem* Item, int Index);
    int GetIndex() const;

private:
    friend class TCategoryButtons;
    friend class TButtonItem;
    TCategoryButtons* FOwner;
    UnicodeString FCaption;
    std::vector<TButtonItem*> FItems;
    bool FCollapsed = false;
};

class TButtonCategories : public TPersistent {
public:
    explicit TButtonCategories(TCategoryButtons* AOwner) : FOwner(AOwner) {}
    ~TButtonCategories() override;

    int GetCount() const { return int(FItems.size()); }
    TButtonCategory* GetItems(int Index) const { return FItems.at(size_t(Index)); }
    TButtonCategory* Add();
    void Delete(int Index);
    TCategoryButtons* GetButtonsControl() const { return FOwner; }

private:
    friend class TCategoryButtons;
    friend class TButtonCategory;
    TCategoryButtons* FOwner;
    std::vector<TButtonCategory*> FItems;
};

using TCatButtonEvent = std::function<void(TObject* Sender, TButtonItem* Button)>;

class TCategoryButtons : public TCustomControl {
public:
    explicit TCategoryButtons(TComponent* AOwner);
    ~TCategoryButtons() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TButtonCategories* GetCategories();
    TButtonItem* GetSelectedItem() const { return FSelectedItem; }
    void SetSelectedItem(TButtonItem* Value);
    int GetButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int Value);
    bool GetAllowReorder() const { return FAllowReorder; }
    void SetAllowReorder(bool Value) { FAllowReorder = Value; }
    int GetScrollPos() const { return FScrollPos; }
    void SetScrollPos(int Value);

    // Where a category (header and buttons) and a button lie (client coordinates).
    TRect GetCategoryBounds(TButtonCategory* Category);
    TRect GetButtonRect(TButtonItem* Item);
    int HeaderHeight();
    // The button or header at a client point (null when none).
    TButtonItem* GetButtonAt(int X, int Y);
    TButtonCategory* GetCategoryAt(int X, int Y);
    // Moves Button before the button at the client point (or to the end of the category there).
    void MoveButtonTo(TButtonItem* Button, int X, int Y);

    void Dispatch(TMessage& Message) override;

    TCatButtonEvent OnButtonClicked;

protected:
    friend class TButtonCategory;
    friend class TButtonItem;
    friend class TButtonCategories;
    // The classes of the categories, category and buttons made for the control.
    virtual TButtonCategories* CreateCategories();
    virtual TButtonCategory* CreateCategory(TButtonCategories* Categories);
    virtual TButtonItem* CreateButton(TButtonCategory* Category);
    // Reordering by drag: whether allowed, and the start of the drag of a pressed button.
    virtual bool CanReorder() { return FAllowReorder; }
    virtual void DoBeginDrag();
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Changed();
    void ItemRemoved(TButtonItem* Item);

    TButtonCategories* FCategories = nullptr;
    TButtonItem* FSelectedItem = nullptr;
    TButtonItem* FDownButton = nullptr;
    TButtonItem* FDragButton = nullptr;
    TPoint FDownPos{};
    int FButtonHeight = 24;
    int FScrollPos = 0;
    bool FAllowReorder = false;
};

#pragma GCC visibility pop
