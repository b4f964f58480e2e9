// The IDEVTHeaderPopup unit: a pop-up menu that lists a tree's columns with
// check marks and shows or hides a column when its item is clicked.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Menus.h>

#include <functional>

enum TVTHeaderPopupOption { poOriginalOrder, poAllowHideAll };
using TVTHeaderPopupOptions = TPackedSet<TVTHeaderPopupOption, uint8_t>;

enum TAddPopupItemType { apNormal, apDisabled, apHidden };

using TAddHeaderPopupItemEvent = std::function<void(TBaseVirtualTree* Sender, TColumnIndex Column,
                                                    TAddPopupItemType& Cmd)>;
using TColumnChangeEvent =
    std::function<void(TBaseVirtualTree* Sender, TColumnIndex Column, bool Visible)>;

class TVTHeaderPopupMenu : public TPopupMenu {
public:
    explicit TVTHeaderPopupMenu(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Rebuilds the items from the columns of the tree it pops up for.
    void Popup(int X, int Y) override;
    TVTHeaderPopupOptions GetOptions() const { return FOptions; }
    void SetOptions(TVTHeaderPopupOptions Value) { FOptions = Value; }

    TAddHeaderPopupItemEvent OnAddHeaderPopupItem;
    TColumnChangeEvent OnColumnChange;

protected:
    virtual void DoAddHeaderPopupItem(TColumnIndex Column, TAddPopupItemType& Cmd);
    virtual void DoColumnChange(TColumnIndex Column, bool Visible);
    void OnMenuItemClick(TObject* Sender);

    TVTHeaderPopupOptions FOptions;
};

#pragma GCC visibility pop
