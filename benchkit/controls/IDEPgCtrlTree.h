// TTabCtrlTree: a tree view that mirrors the tabs of a tab control, or the
// pages of a page control together with the page controls nested in its
// pages, and brings up the matching tab or page when a node is selected.
//
//   TTabCtrlTree* tree = new TTabCtrlTree(Form);
//   tree->SetTabControl(PageControl1); // one node per page, nested pages below
//
// The mirrored control is not owned. When it (or one of its pages) is freed,
// its nodes go with it; pointing the tree at another control drops the old
// control's nodes first.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ComCtrls.h>

class TCustomTabControl;

class TTabCtrlTree : public TCustomTreeView {
public:
    explicit TTabCtrlTree(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // A TPageControl or a TCustomTabControl; null: no nodes. Another kind of
    // control has no tabs to show.
    TWinControl* GetTabControl() const { return FTabControl; }
    void SetTabControl(TWinControl* Value);

    // The page a node stands for (page controls), or null.
    static TTabSheet* PageOf(TTreeNode* Node);

protected:
    void Change(TTreeNode* Node) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void Fill(TWinControl* Control, TTreeNode* Parent);
    // Stops watching the pages (and nested page controls) behind the nodes
    // and frees every node.
    void ClearNodes();
    bool MirrorsPages() const;

    TWinControl* FTabControl = nullptr;
    bool FMirrorsPages = false;
};

#pragma GCC visibility pop
