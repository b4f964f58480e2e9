#include "IDEPgCtrlTree.h"

#include <quorlpak/TabControl.h>

#include <cstdint>

TClass TTabCtrlTree::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTabCtrlTree>(u"TTabCtrlTree", TCustomTreeView::StaticClass())
            .Property(u"TabControl", ClassTypeInfo<TWinControl>, &TTabCtrlTree::GetTabControl,
                      &TTabCtrlTree::SetTabControl));
    return &meta;
}

TTabCtrlTree::TTabCtrlTree(TComponent* AOwner) : TCustomTreeView(AOwner) {}

TTabSheet* TTabCtrlTree::PageOf(TTreeNode* Node) {
    if (!Node) return nullptr;
    auto* tree = dynamic_cast<TTabCtrlTree*>(Node->GetTreeView());
    if (!tree || !tree->MirrorsPages()) return nullptr;
    return static_cast<TTabSheet*>(Node->GetData());
}

// Kept apart from the control's class: the answer must hold while the
// mirrored control is half way through its destruction.
bool TTabCtrlTree::MirrorsPages() const { return FMirrorsPages; }

void TTabCtrlTree::SetTabControl(TWinControl* Value) {
    if (Value == FTabControl) return;
    TTreeNodes* nodes = GetItems();
    nodes->BeginUpdate();
    try {
        if (FTabControl) {
            FTabControl->RemoveFreeNotification(this);
            ClearNodes();
        }
        FTabControl = Value;
        FMirrorsPages = dynamic_cast<TPageControl*>(Value) != nullptr;
        if (Value) Fill(Value, nullptr);
        else nodes->Clear();
    } catch (...) {
        nodes->EndUpdate();
        throw;
    }
    nodes->EndUpdate();
}

void TTabCtrlTree::Fill(TWinControl* Control, TTreeNode* Parent) {
    Control->FreeNotification(this);
    TTreeNodes* nodes = GetItems();
    if (auto* pages = dynamic_cast<TPageControl*>(Control)) {
        for (int i = 0; i < pages->GetPageCount(); ++i) {
            TTabSheet* page = pages->GetPages(i);
            TTreeNode* node = nodes->AddChildObject(Parent, page->GetCaption(), page);
            page->FreeNotification(this);
            for (int c = 0; c < page->GetControlCount(); ++c)
                if (auto* nested = dynamic_cast<TPageControl*>(page->GetControls(c)))
                    Fill(nested, node);
        }
    } else if (auto* tabs = dynamic_cast<TCustomTabControl*>(Control)) {
        TStrings* texts = tabs->GetTabs();
        for (int i = 0; i < texts->GetCount(); ++i)
            nodes->AddChildObject(Parent, texts->Get(i),
                                  reinterpret_cast<void*>(static_cast<intptr_t>(i)));
    }
}

void TTabCtrlTree::ClearNodes() {
    TTreeNodes* nodes = GetItems();
    if (MirrorsPages()) {
        for (TTreeNode* node = nodes->GetFirstNode(); node; node = node->GetNext()) {
            auto* page = static_cast<TTabSheet*>(node->GetData());
            if (!page) continue;
            page->RemoveFreeNotification(this);
            TPageControl* owner = page->GetPageControl();
            if (owner && owner != FTabControl) owner->RemoveFreeNotification(this);
        }
    }
    nodes->Clear();
}

void TTabCtrlTree::Change(TTreeNode* Node) {
    TCustomTreeView::Change(Node);
    // A control on its way out (its pages leaving one by one) is left alone.
    if (!FTabControl || !Node || FTabControl->GetComponentState().Contains(csDestroying)) return;
    if (auto* tabs = dynamic_cast<TCustomTabControl*>(FTabControl)) {
        tabs->SetTabIndex(static_cast<int>(reinterpret_cast<intptr_t>(Node->GetData())));
        return;
    }
    if (!FMirrorsPages) return;
    auto* mirrored = static_cast<TPageControl*>(FTabControl);
    auto* page = static_cast<TTabSheet*>(Node->GetData());
    if (!page) return;
    if (Node->GetParent()) {
        // The way down to a nested page: every page above it comes to the front.
        for (TTreeNode* above = Node->GetParent(); above; above = above->GetParent()) {
            auto* outer = static_cast<TTabSheet*>(above->GetData());
            if (outer && outer->GetPageControl()) outer->GetPageControl()->SetActivePage(outer);
        }
        if (page->GetPageControl()) page->GetPageControl()->SetActivePage(page);
    } else {
        mirrored->SetActivePage(page);
    }
    // A page whose content is a page control showing nothing yet shows its first page.
    if (page->GetControlCount() > 0)
        if (auto* inner = dynamic_cast<TPageControl*>(page->GetControls(0));
            inner && !inner->GetActivePage() && inner->GetPageCount() > 0)
            inner->SetActivePage(inner->GetPages(0));
}

void TTabCtrlTree::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomTreeView::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    const bool destroying = GetComponentState().Contains(csDestroying);
    TTreeNodes* nodes = GetItems();
    if (AComponent == FTabControl) {
        // The mirrored control is going: so do its nodes, whatever its kind.
        if (!destroying) {
            nodes->BeginUpdate();
            ClearNodes();
            nodes->EndUpdate();
        }
        FTabControl = nullptr;
        FMirrorsPages = false;
        return;
    }
    if (!MirrorsPages() || destroying) return;
    for (int i = nodes->GetCount() - 1; i >= 0; --i) {
        if (i >= nodes->GetCount()) continue; // a freed node took its children along
        TTreeNode* node = nodes->GetItem(i);
        if (node->GetData() != AComponent) continue;
        AComponent->RemoveFreeNotification(this);
        delete node;
    }
}
