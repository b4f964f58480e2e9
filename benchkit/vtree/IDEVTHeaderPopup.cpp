// The header's column menu.
#include "benchkit/vtree/IDEVTHeaderPopup.h"

#include <runpak/TypeInfo.h>

TVTHeaderPopupMenu::TVTHeaderPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner) {}

TClass TVTHeaderPopupMenu::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TVTHeaderPopupMenu>(u"TVTHeaderPopupMenu", TPopupMenu::StaticClass()));
    return &meta;
}

void TVTHeaderPopupMenu::DoAddHeaderPopupItem(TColumnIndex Column, TAddPopupItemType& Cmd) {
    Cmd = apNormal;
    auto* tree = dynamic_cast<TBaseVirtualTree*>(GetPopupComponent());
    if (OnAddHeaderPopupItem) OnAddHeaderPopupItem(tree, Column, Cmd);
}

void TVTHeaderPopupMenu::DoColumnChange(TColumnIndex Column, bool Visible) {
    auto* tree = dynamic_cast<TBaseVirtualTree*>(GetPopupComponent());
    if (OnColumnChange) OnColumnChange(tree, Column, Visible);
}

void TVTHeaderPopupMenu::Popup(int X, int Y) {
    auto* tree = dynamic_cast<TBaseVirtualTree*>(GetPopupComponent());
    if (!tree) {
        TPopupMenu::Popup(X, Y);
        return;
    }
    GetItems()->Clear();
    TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
    TMenuItem* lastVisible = nullptr;
    int visibleCount = 0;
    for (int position = 0; position < columns->GetCount(); ++position) {
        const TColumnIndex index = FOptions.Contains(poOriginalOrder)
                                       ? position
                                       : columns->ColumnFromPosition(TColumnPosition(position));
        if (!columns->IsValidColumn(index)) continue;
        TVirtualTreeColumn* column = columns->GetItem(index);
        const bool visible = column->GetOptions().Contains(coVisible);
        if (visible) ++visibleCount;
        TAddPopupItemType cmd = apNormal;
        DoAddHeaderPopupItem(index, cmd);
        if (cmd == apHidden) continue;
        auto* item = new TMenuItem(this);
        item->SetTag(index);
        item->SetCaption(column->GetText());
        item->SetHint(column->GetHint());
        item->SetChecked(visible);
        item->OnClick = [this](TObject* Sender) { OnMenuItemClick(Sender); };
        if (cmd == apDisabled)
            item->SetEnabled(false);
        else if (visible)
            lastVisible = item;
        GetItems()->Add(item);
    }
    // The last visible column stays unless hiding all of them is allowed.
    if (visibleCount == 1 && !FOptions.Contains(poAllowHideAll) && lastVisible)
        lastVisible->SetEnabled(false);
    TPopupMenu::Popup(X, Y);
}

void TVTHeaderPopupMenu::OnMenuItemClick(TObject* Sender) {
    auto* tree = dynamic_cast<TBaseVirtualTree*>(GetPopupComponent());
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!tree || !item) return;
    TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
    const TColumnIndex index = TColumnIndex(item->GetTag());
    if (!columns->IsValidColumn(index)) return;
    TVirtualTreeColumn* column = columns->GetItem(index);
    TVTColumnOptions options = column->GetOptions();
    if (item->GetChecked())
        options.Exclude(coVisible);
    else
        options.Include(coVisible);
    column->SetOptions(options);
    DoColumnChange(TColumnIndex(column->GetTag()), options.Contains(coVisible));
}
