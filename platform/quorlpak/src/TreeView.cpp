// TTreeNode, TTreeNodes and TCustomTreeView over the system tree view.
#include <quorlpak/ComCtrls.h>

#include "PublishControls.h"

#include <quorlpak/ImgList.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/Timer.h>
#include <runpak/Strings.h>
#include <win32/commctrl.h>
#include <win32/windows.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

// Window messages need a live tree with a window.
HWND WindowOf(const TCustomTreeView* tree) {
    auto* t = const_cast<TCustomTreeView*>(tree);
    return t && t->HandleAllocated() ? t->GetHandle() : nullptr;
}

LRESULT Send(const TCustomTreeView* tree, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    HWND hwnd = WindowOf(tree);
    return hwnd ? SendMessageW(hwnd, msg, wParam, lParam) : 0;
}

// Reorders a window parent's items as its nodes now stand.
int CALLBACK ByModelOrder(LPARAM a, LPARAM b, LPARAM order) {
    auto& index = *reinterpret_cast<std::unordered_map<TTreeNode*, int>*>(order);
    return index[reinterpret_cast<TTreeNode*>(a)] - index[reinterpret_cast<TTreeNode*>(b)];
}

} // namespace

// --- TTreeNode ----------------------------------------------------------------------------------

TClass TTreeNode::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TTreeNode>(u"TTreeNode", TObject::StaticClass()));
    return &meta;
}

TTreeNode::TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}

TTreeNode::~TTreeNode() {
    FDeleting = true;
    while (!FChildren.empty())
        delete FChildren.back();
    TCustomTreeView* tree = GetTreeView();
    if (FParent) {
        if (tree && !tree->FDestroying) tree->Delete(this);
        auto& siblings = FParent->FChildren;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    if (tree) {
        if (FItemId && !tree->FDestroying)
            Send(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(FItemId));
        if (tree->FSelected == this) tree->FSelected = nullptr;
        if (tree->FTopItem == this) tree->FTopItem = nullptr;
        if (tree->FDropTarget == this) tree->FDropTarget = nullptr;
    }
}

TCustomTreeView* TTreeNode::GetTreeView() const {
    return FOwner ? FOwner->GetOwner() : nullptr;
}

UINT TTreeNode::ItemState() const {
    UINT state = 0;
    if (FOverlayIndex >= 0) state |= INDEXTOOVERLAYMASK(FOverlayIndex + 1);
    if (FStateIndex > 0) state |= INDEXTOSTATEIMAGEMASK(FStateIndex);
    if (FCut) state |= TVIS_CUT;
    return state;
}

void TTreeNode::UpdateItem(UINT Mask) {
    if (!FItemId || !WindowOf(GetTreeView())) return;
    TVITEMW item{};
    item.mask = Mask | TVIF_HANDLE;
    item.hItem = FItemId;
    UnicodeString text = FText;
    item.pszText = text.data();
    item.state = ItemState();
    item.stateMask = TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK | TVIS_CUT;
    item.cChildren = FHasChildren ? 1 : 0;
    Send(GetTreeView(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const UnicodeString& Value) {
    FText = Value;
    UpdateItem(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(int Value) {
    FImageIndex = Value;
    if (HWND hwnd = WindowOf(GetTreeView())) InvalidateRect(hwnd, nullptr, TRUE);
}

void TTreeNode::SetSelectedIndex(int Value) {
    FSelectedIndex = Value;
    if (HWND hwnd = WindowOf(GetTreeView())) InvalidateRect(hwnd, nullptr, TRUE);
}

void TTreeNode::SetOverlayIndex(int Value) {
    FOverlayIndex = Value;
    UpdateItem(TVIF_STATE);
}

void TTreeNode::SetStateIndex(int Value) {
    FStateIndex = Value;
    UpdateItem(TVIF_STATE);
}

void TTreeNode::SetCut(bool Value) {
    FCut = Value;
    UpdateItem(TVIF_STATE);
}

bool TTreeNode::GetHasChildren() const {
    return FHasChildren || !FChildren.empty();
}

void TTreeNode::SetHasChildren(bool Value) {
    FHasChildren = Value;
    UpdateItem(TVIF_CHILDREN);
}

bool TTreeNode::GetExpanded() const {
    if (FItemId && WindowOf(GetTreeView()))
        return Send(GetTreeView(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId),
                    TVIS_EXPANDED) != 0;
    return FExpanded;
}

void TTreeNode::SetExpanded(bool Value) {
    if (Value)
        Expand(false);
    else
        Collapse(false);
}

void TTreeNode::Expand(bool Recurse) {
    TCustomTreeView* tree = GetTreeView();
    if (!tree || FDeleting) return;
    if (!GetExpanded() && tree->CanExpand(this) && !FDeleting) {
        ++tree->FManualNotify;
        if (FItemId && WindowOf(tree))
            Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
        --tree->FManualNotify;
        FExpanded = !FChildren.empty();
        if (GetExpanded()) tree->Expand(this);
    }
    if (Recurse) {
        const std::vector<TTreeNode*> children = FChildren;
        for (TTreeNode* child : children)
            child->Expand(true);
    }
}

void TTreeNode::Collapse(bool Recurse) {
    TCustomTreeView* tree = GetTreeView();
    if (!tree || FDeleting) return;
    if (GetExpanded() && tree->CanCollapse(this)) {
        ++tree->FManualNotify;
        if (FItemId && WindowOf(tree))
            Send(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(FItemId));
        --tree->FManualNotify;
        FExpanded = false;
        tree->Collapse(this);
    }
    if (Recurse) {
        const std::vector<TTreeNode*> children = FChildren;
        for (TTreeNode* child : children)
            child->Collapse(true);
    }
}

bool TTreeNode::GetSelected() const {
    TCustomTreeView* tree = GetTreeView();
    return tree && tree->GetSelected() == this;
}

void TTreeNode::SetSelected(bool Value) {
    TCustomTreeView* tree = GetTreeView();
    if (!tree) return;
    if (Value)
        tree->SetSelected(this);
    else if (GetSelected())
        tree->SetSelected(nullptr);
}

bool TTreeNode::GetFocused() const {
    TCustomTreeView* tree = GetTreeView();
    HWND hwnd = WindowOf(tree);
    return hwnd && GetFocus() == hwnd && GetSelected();
}

bool TTreeNode::GetDropTarget() const {
    TCustomTreeView* tree = GetTreeView();
    return tree && tree->GetDropTarget() == this;
}

void TTreeNode::SetDropTarget(bool Value) {
    TCustomTreeView* tree = GetTreeView();
    if (!tree) return;
    if (Value)
        tree->SetDropTarget(this);
    else if (GetDropTarget())
        tree->SetDropTarget(nullptr);
}

TTreeNode* TTreeNode::GetParent() const {
    return FParent && FParent->FParent ? FParent : nullptr;
}

TTreeNode* TTreeNode::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount()) return nullptr;
    return FChildren[static_cast<size_t>(Index)];
}

int TTreeNode::GetIndex() const {
    if (!FParent) return -1;
    const auto& siblings = FParent->FChildren;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
}

int TTreeNode::GetLevel() const {
    int level = 0;
    for (TTreeNode* p = GetParent(); p; p = p->GetParent())
        ++level;
    return level;
}

int TTreeNode::GetAbsoluteIndex() const {
    int index = -1;
    for (const TTreeNode* n = this; n; n = n->GetPrev())
        ++index;
    return index;
}

TTreeNode* TTreeNode::getFirstChild() const {
    return FChildren.empty() ? nullptr : FChildren.front();
}

TTreeNode* TTreeNode::GetLastChild() const {
    return FChildren.empty() ? nullptr : FChildren.back();
}

TTreeNode* TTreeNode::getNextSibling() const {
    const int i = GetIndex();
    return i < 0 ? nullptr : FParent->GetItem(i + 1);
}

TTreeNode* TTreeNode::getPrevSibling() const {
    const int i = GetIndex();
    return i <= 0 ? nullptr : FParent->GetItem(i - 1);
}

TTreeNode* TTreeNode::GetNextChild(TTreeNode* Value) const {
    return Value && Value->FParent == this ? Value->getNextSibling() : nullptr;
}

TTreeNode* TTreeNode::GetPrevChild(TTreeNode* Value) const {
    return Value && Value->FParent == this ? Value->getPrevSibling() : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (TTreeNode* child = getFirstChild()) return child;
    for (const TTreeNode* n = this; n; n = n->GetParent())
        if (TTreeNode* next = n->getNextSibling()) return next;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
    TTreeNode* prev = getPrevSibling();
    if (!prev) return GetParent();
    while (TTreeNode* last = prev->GetLastChild())
        prev = last;
    return prev;
}

bool TTreeNode::IsVisible() const {
    for (TTreeNode* p = GetParent(); p; p = p->GetParent())
        if (!p->GetExpanded()) return false;
    return true;
}

TTreeNode* TTreeNode::GetNextVisible() const {
    if (GetExpanded() && !FChildren.empty()) return FChildren.front();
    for (const TTreeNode* n = this; n; n = n->GetParent())
        if (TTreeNode* next = n->getNextSibling()) return next;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
    TTreeNode* prev = getPrevSibling();
    if (!prev) return GetParent();
    while (prev->GetExpanded() && prev->GetLastChild())
        prev = prev->GetLastChild();
    return prev;
}

bool TTreeNode::HasAsParent(TTreeNode* Value) const {
    for (TTreeNode* p = GetParent(); p; p = p->GetParent())
        if (p == Value) return true;
    return false;
}

void TTreeNode::Delete() {
    if (!FDeleting) delete this;
}

void TTreeNode::DeleteChildren() {
    while (!FChildren.empty())
        delete FChildren.back();
}

bool TTreeNode::EditText() {
    TCustomTreeView* tree = GetTreeView();
    if (!FItemId || !WindowOf(tree)) return false;
    return Send(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(FItemId)) != 0;
}

void TTreeNode::EndEdit(bool Cancel) {
    Send(GetTreeView(), TVM_ENDEDITLABELNOW, Cancel ? TRUE : FALSE, 0);
}

TRect TTreeNode::DisplayRect(bool TextOnly) const {
    RECT r{};
    if (!FItemId || !WindowOf(GetTreeView())) return TRect();
    HTREEITEM item = FItemId;
    std::memcpy(&r, &item, sizeof item);
    if (!Send(GetTreeView(), TVM_GETITEMRECT, TextOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&r)))
        return TRect();
    return r;
}

void TTreeNode::MakeVisible() {
    if (FItemId)
        Send(GetTreeView(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(FItemId));
    else
        for (TTreeNode* p = GetParent(); p; p = p->GetParent())
            p->FExpanded = true;
}

void TTreeNode::SortChildren(const std::function<int(TTreeNode*, TTreeNode*)>& Compare,
                             bool Recurse) {
    std::stable_sort(FChildren.begin(), FChildren.end(),
                     [&](TTreeNode* a, TTreeNode* b) { return Compare(a, b) < 0; });
    TCustomTreeView* tree = GetTreeView();
    if (WindowOf(tree) && (FItemId || !FParent)) {
        std::unordered_map<TTreeNode*, int> order;
        for (size_t i = 0; i < FChildren.size(); ++i)
            order[FChildren[i]] = static_cast<int>(i);
        TVSORTCB sort{};
        sort.hParent = FParent ? FItemId : TVI_ROOT;
        sort.lpfnCompare = &ByModelOrder;
        sort.lParam = reinterpret_cast<LPARAM>(&order);
        Send(tree, TVM_SORTCHILDRENCB, FALSE, reinterpret_cast<LPARAM>(&sort));
    }
    if (Recurse)
        for (TTreeNode* child : FChildren)
            child->SortChildren(Compare, true);
}

bool TTreeNode::AlphaSort(bool ARecurse) {
    TCustomTreeView* tree = GetTreeView();
    SortChildren(
        [tree](TTreeNode* a, TTreeNode* b) {
            if (tree && tree->OnCompare) {
                int result = 0;
                tree->OnCompare(tree, a, b, 0, result);
                return result;
            }
            return CompareText(a->FText, b->FText);
        },
        ARecurse);
    return true;
}

bool TTreeNode::CustomSort(TTVCompare SortProc, LPARAM Data, bool ARecurse) {
    if (!SortProc) return AlphaSort(ARecurse);
    SortChildren([SortProc, Data](TTreeNode* a, TTreeNode* b) { return SortProc(a, b, Data); },
                 ARecurse);
    return true;
}

// --- TTreeNodes ---------------------------------------------------------------------------------

TClass TTreeNodes::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTreeNodes>(u"TTreeNodes", TObject::StaticClass()));
    return &meta;
}

TTreeNodes::TTreeNodes(TCustomTreeView* AOwner)
    : FOwner(AOwner), FRoot(std::make_unique<TTreeNode>(this)) {}

TTreeNodes::~TTreeNodes() {
    Clear();
}

int TTreeNodes::GetCount() const {
    int n = 0;
    for (TTreeNode* node = GetFirstNode(); node; node = node->GetNext())
        ++n;
    return n;
}

TTreeNode* TTreeNodes::GetItem(int Index) const {
    if (Index < 0) return nullptr;
    TTreeNode* node = GetFirstNode();
    for (int i = 0; node && i < Index; ++i)
        node = node->GetNext();
    return node;
}

TTreeNode* TTreeNodes::GetFirstNode() const {
    return FRoot->getFirstChild();
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM ItemId) const {
    return FOwner ? FOwner->NodeOf(ItemId) : nullptr;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const UnicodeString& S) {
    return AddNode(Sibling, S, nullptr, naAdd);
}
TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const UnicodeString& S, void* Ptr) {
    return AddNode(Sibling, S, Ptr, naAdd);
}
TTreeNode* TTreeNodes::AddFirst(TTreeNode* Sibling, const UnicodeString& S) {
    return AddNode(Sibling, S, nullptr, naAddFirst);
}
TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* Sibling, const UnicodeString& S, void* Ptr) {
    return AddNode(Sibling, S, Ptr, naAddFirst);
}
TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const UnicodeString& S) {
    return AddNode(Parent, S, nullptr, naAddChild);
}
TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const UnicodeString& S, void* Ptr) {
    return AddNode(Parent, S, Ptr, naAddChild);
}
TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const UnicodeString& S) {
    return AddNode(Parent, S, nullptr, naAddChildFirst);
}
TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* Parent, const UnicodeString& S, void* Ptr) {
    return AddNode(Parent, S, Ptr, naAddChildFirst);
}
TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const UnicodeString& S) {
    return AddNode(Sibling, S, nullptr, naInsert);
}
TTreeNode* TTreeNodes::InsertObject(TTreeNode* Sibling, const UnicodeString& S, void* Ptr) {
    return AddNode(Sibling, S, Ptr, naInsert);
}

TTreeNode* TTreeNodes::AddNode(TTreeNode* Relative, const UnicodeString& S, void* Ptr,
                               TNodeAttachMode Method) {
    if (Relative && (Relative->FOwner != this || Relative->FDeleting)) return nullptr;
    TTreeNode* parent = FRoot.get();
    size_t at = 0;
    switch (Method) {
    case naAdd:
    case naAddFirst:
        if (Relative) parent = Relative->FParent;
        at = Method == naAdd ? parent->FChildren.size() : 0;
        break;
    case naAddChild:
    case naAddChildFirst:
        if (Relative) parent = Relative;
        at = Method == naAddChild ? parent->FChildren.size() : 0;
        break;
    case naInsert:
        if (Relative) parent = Relative->FParent;
        at = Relative ? static_cast<size_t>(Relative->GetIndex()) : parent->FChildren.size();
        break;
    }
    if (parent->FDeleting) return nullptr;
    TTreeNode* node = FOwner ? FOwner->CreateNode() : new TTreeNode(this);
    node->FOwner = this;
    node->FParent = parent;
    node->FText = S;
    node->FData = Ptr;
    parent->FChildren.insert(parent->FChildren.begin() + static_cast<std::ptrdiff_t>(at), node);
    InsertItem(node, at == 0 ? TVI_FIRST : parent->FChildren[at - 1]->FItemId);
    if (FOwner) FOwner->Added(node);
    return node;
}

// Puts a node (and, for a new window, its children) into the window.
void TTreeNodes::InsertItem(TTreeNode* Node, HTREEITEM After) {
    HWND hwnd = WindowOf(FOwner);
    if (!hwnd) return;
    TTreeNode* parent = Node->FParent;
    if (parent != FRoot.get() && !parent->FItemId) return;
    TVINSERTSTRUCTW is{};
    is.hParent = parent == FRoot.get() ? TVI_ROOT : parent->FItemId;
    is.hInsertAfter = After ? After : TVI_FIRST;
    is.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE |
                   TVIF_CHILDREN;
    UnicodeString text = Node->FText;
    is.item.pszText = text.data();
    is.item.iImage = I_IMAGECALLBACK;
    is.item.iSelectedImage = I_IMAGECALLBACK;
    is.item.lParam = reinterpret_cast<LPARAM>(Node);
    is.item.state = Node->ItemState();
    if (Node->FExpanded && !Node->FChildren.empty())
        is.item.state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    is.item.stateMask = TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK | TVIS_CUT | TVIS_EXPANDED |
                        TVIS_EXPANDEDONCE;
    is.item.cChildren = Node->FHasChildren ? 1 : 0;
    Node->FItemId = reinterpret_cast<HTREEITEM>(
        SendMessageW(hwnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&is)));
}

void TTreeNodes::CreateItems(TTreeNode* Parent) {
    HTREEITEM after = TVI_FIRST;
    for (TTreeNode* child : Parent->FChildren) {
        InsertItem(child, after);
        after = child->FItemId;
        CreateItems(child);
    }
}

void TTreeNodes::Delete(TTreeNode* Node) {
    if (Node && Node->FOwner == this) Node->Delete();
}

void TTreeNodes::Clear() {
    if (FOwner && FOwner->FDestroying) {
        // The window goes as a whole; nobody is told node by node.
        Send(FOwner, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    }
    BeginUpdate();
    while (!FRoot->FChildren.empty())
        delete FRoot->FChildren.back();
    EndUpdate();
}

void TTreeNodes::BeginUpdate() {
    if (FUpdateCount++ == 0) Send(FOwner, WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) return;
    if (HWND hwnd = WindowOf(FOwner)) {
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

// --- TCustomTreeView ----------------------------------------------------------------------------

namespace {

TClassBuilder<TTreeView> TreeViewDescription() {
    using T = TTreeView;
    TClassBuilder<T> b(u"TTreeView", TCustomTreeView::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"BorderStyle", TypeInfo_TBorderStyle, &T::GetBorderStyle, &T::SetBorderStyle)
        .Default(bsSingle)
        .Property(u"ChangeDelay", IntegerTypeInfo, &T::GetChangeDelay, &T::SetChangeDelay)
        .Default(0)
        .Property(u"HideSelection", BooleanTypeInfo, &T::GetHideSelection, &T::SetHideSelection)
        .Default(1)
        .Property(u"Indent", IntegerTypeInfo, &T::GetIndent, &T::SetIndent)
        .Property(u"ReadOnly", BooleanTypeInfo, &T::GetReadOnly, &T::SetReadOnly)
        .Default(0)
        .Property(u"RightClickSelect", BooleanTypeInfo, &T::GetRightClickSelect,
                  &T::SetRightClickSelect)
        .Default(0)
        .Property(u"RowSelect", BooleanTypeInfo, &T::GetRowSelect, &T::SetRowSelect)
        .Default(0)
        .Property(u"ShowButtons", BooleanTypeInfo, &T::GetShowButtons, &T::SetShowButtons)
        .Default(1)
        .Property(u"ShowLines", BooleanTypeInfo, &T::GetShowLines, &T::SetShowLines)
        .Default(1)
        .Property(u"ShowRoot", BooleanTypeInfo, &T::GetShowRoot, &T::SetShowRoot)
        .Default(1);
    return b;
}

} // namespace

TClass TCustomTreeView::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomTreeView>(u"TCustomTreeView", TWinControl::StaticClass()));
    return &meta;
}

TClass TTreeView::StaticClass() {
    static const TMetaClass meta(TreeViewDescription());
    return &meta;
}

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner), FTreeNodes(std::make_unique<TTreeNodes>(this)),
      FImageChangeLink(std::make_unique<TChangeLink>()),
      FStateChangeLink(std::make_unique<TChangeLink>()) {
    FControlStyle = TControlStyle{csDoubleClicks};
    FTabStop = true;
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    SetParentColor(false);
    FImageChangeLink->OnChange = [this](TObject* Sender) { ImageListChange(Sender); };
    FStateChangeLink->OnChange = [this](TObject* Sender) { ImageListChange(Sender); };
}

TCustomTreeView::~TCustomTreeView() {
    FDestroying = true;
    if (FChangeTimer) FChangeTimer->SetEnabled(false);
    FTreeNodes->Clear();
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
    if (FStateImages) FStateImages->UnRegisterChanges(FStateChangeLink.get());
}

void TCustomTreeView::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_TREEVIEW);
    if (!FReadOnly) Params.Style |= TVS_EDITLABELS;
    if (FShowButtons) Params.Style |= TVS_HASBUTTONS;
    if (FShowLines) Params.Style |= TVS_HASLINES;
    if (FShowRoot) Params.Style |= TVS_LINESATROOT;
    if (!FHideSelection) Params.Style |= TVS_SHOWSELALWAYS;
    if (FRowSelect) Params.Style |= TVS_FULLROWSELECT;
    if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::CreateWnd() {
    FRecreating = true;
    TWinControl::CreateWnd();
    HWND hwnd = FHandle;
    SendMessageW(hwnd, TVM_SETINDENT, static_cast<WPARAM>(FIndent), 0);
    SetImageList(FImages ? FImages->GetHandle() : nullptr, TVSIL_NORMAL);
    SetImageList(FStateImages ? FStateImages->GetHandle() : nullptr, TVSIL_STATE);
    FTreeNodes->CreateItems(FTreeNodes->FRoot.get());
    if (FSelected && FSelected->FItemId)
        SendMessageW(hwnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FSelected->FItemId));
    if (FTopItem && FTopItem->FItemId)
        SendMessageW(hwnd, TVM_SELECTITEM, TVGN_FIRSTVISIBLE,
                     reinterpret_cast<LPARAM>(FTopItem->FItemId));
    FRecreating = false;
}

void TCustomTreeView::DestroyWnd() {
    // The nodes keep what the window knew.
    FSelected = GetSelected();
    FTopItem = GetTopItem();
    for (TTreeNode* node = FTreeNodes->GetFirstNode(); node; node = node->GetNext())
        node->FExpanded = node->GetExpanded();
    FRecreating = true;
    TWinControl::DestroyWnd();
    FRecreating = false;
    for (TTreeNode* node = FTreeNodes->GetFirstNode(); node; node = node->GetNext())
        node->FItemId = nullptr;
}

TTreeNode* TCustomTreeView::NodeOf(HTREEITEM Item) const {
    if (!Item || !WindowOf(this)) return nullptr;
    TVITEMW tv{};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = Item;
    if (!Send(this, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
    return reinterpret_cast<TTreeNode*>(tv.lParam);
}

TTreeNode* TCustomTreeView::GetSelected() const {
    if (!WindowOf(this)) return FSelected;
    return NodeOf(reinterpret_cast<HTREEITEM>(Send(this, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TCustomTreeView::SetSelected(TTreeNode* Value) {
    if (Value && Value->GetTreeView() != this) return;
    if (!WindowOf(this)) {
        FSelected = Value;
        return;
    }
    if (Value && !Value->FItemId) return;
    Send(this, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Value ? Value->FItemId : nullptr));
}

TTreeNode* TCustomTreeView::GetTopItem() const {
    if (!WindowOf(this)) return FTopItem;
    return NodeOf(reinterpret_cast<HTREEITEM>(Send(this, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TCustomTreeView::SetTopItem(TTreeNode* Value) {
    if (Value && Value->GetTreeView() != this) return;
    FTopItem = Value;
    if (Value && Value->FItemId)
        Send(this, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(Value->FItemId));
}

TTreeNode* TCustomTreeView::GetDropTarget() const {
    if (!WindowOf(this)) return FDropTarget;
    return NodeOf(reinterpret_cast<HTREEITEM>(Send(this, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
}

void TCustomTreeView::SetDropTarget(TTreeNode* Value) {
    if (Value && Value->GetTreeView() != this) return;
    FDropTarget = Value;
    Send(this, TVM_SELECTITEM, TVGN_DROPHILITE,
         reinterpret_cast<LPARAM>(Value ? Value->FItemId : nullptr));
}

void TCustomTreeView::SetImageList(HIMAGELIST Value, int Flags) {
    Send(this, TVM_SETIMAGELIST, static_cast<WPARAM>(Flags), reinterpret_cast<LPARAM>(Value));
}

void TCustomTreeView::SetImages(TCustomImageList* Value) {
    if (Value == FImages) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink.get());
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink.get());
        FImages->FreeNotification(this);
    }
    if (HandleAllocated()) SetImageList(FImages ? FImages->GetHandle() : nullptr, TVSIL_NORMAL);
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value) {
    if (Value == FStateImages) return;
    if (FStateImages) {
        FStateImages->UnRegisterChanges(FStateChangeLink.get());
        FStateImages->RemoveFreeNotification(this);
    }
    FStateImages = Value;
    if (FStateImages) {
        FStateImages->RegisterChanges(FStateChangeLink.get());
        FStateImages->FreeNotification(this);
    }
    if (HandleAllocated())
        SetImageList(FStateImages ? FStateImages->GetHandle() : nullptr, TVSIL_STATE);
}

void TCustomTreeView::ImageListChange(TObject* Sender) {
    if (!HandleAllocated()) return;
    if (Sender == FImages) SetImageList(FImages->GetHandle(), TVSIL_NORMAL);
    if (Sender == FStateImages) SetImageList(FStateImages->GetHandle(), TVSIL_STATE);
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) SetImages(nullptr);
    if (AComponent == FStateImages) SetStateImages(nullptr);
}

int TCustomTreeView::GetIndent() const {
    return WindowOf(this) ? static_cast<int>(Send(this, TVM_GETINDENT)) : FIndent;
}

void TCustomTreeView::SetIndent(int Value) {
    FIndent = Value;
    Send(this, TVM_SETINDENT, static_cast<WPARAM>(Value), 0);
}

void TCustomTreeView::SetStyleBit(bool& Field, bool Value) {
    if (Field == Value) return;
    Field = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomTreeView::SetShowButtons(bool Value) {
    SetStyleBit(FShowButtons, Value);
}
void TCustomTreeView::SetShowLines(bool Value) {
    SetStyleBit(FShowLines, Value);
}
void TCustomTreeView::SetShowRoot(bool Value) {
    SetStyleBit(FShowRoot, Value);
}
void TCustomTreeView::SetReadOnly(bool Value) {
    SetStyleBit(FReadOnly, Value);
}
void TCustomTreeView::SetHideSelection(bool Value) {
    SetStyleBit(FHideSelection, Value);
}
void TCustomTreeView::SetRowSelect(bool Value) {
    SetStyleBit(FRowSelect, Value);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value) {
    if (Value != bsNone) Value = bsSingle;
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomTreeView::SetChangeDelay(int Value) {
    FChangeDelay = std::max(0, Value);
}

bool TCustomTreeView::AlphaSort(bool ARecurse) {
    return FTreeNodes->FRoot->AlphaSort(ARecurse);
}

bool TCustomTreeView::CustomSort(TTVCompare SortProc, LPARAM Data, bool ARecurse) {
    return FTreeNodes->FRoot->CustomSort(SortProc, Data, ARecurse);
}

void TCustomTreeView::FullExpand() {
    for (TTreeNode* node = FTreeNodes->GetFirstNode(); node; node = node->getNextSibling())
        node->Expand(true);
}

void TCustomTreeView::FullCollapse() {
    for (TTreeNode* node = FTreeNodes->GetFirstNode(); node; node = node->getNextSibling())
        node->Collapse(true);
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) {
    if (!HandleAllocated()) return nullptr;
    TVHITTESTINFO info{};
    info.pt = POINT{X, Y};
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(GetHandle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    return (info.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON))
               ? NodeOf(item)
               : nullptr;
}

THitTests TCustomTreeView::GetHitTestInfoAt(int X, int Y) {
    THitTests result;
    if (!HandleAllocated()) return THitTests{htNowhere};
    TVHITTESTINFO info{};
    info.pt = POINT{X, Y};
    SendMessageW(GetHandle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
    const struct {
        UINT flag;
        THitTest test;
    } map[] = {{TVHT_ABOVE, htAbove},           {TVHT_BELOW, htBelow},
               {TVHT_NOWHERE, htNowhere},       {TVHT_ONITEMBUTTON, htOnButton},
               {TVHT_ONITEMICON, htOnIcon},     {TVHT_ONITEMINDENT, htOnIndent},
               {TVHT_ONITEMLABEL, htOnLabel},   {TVHT_ONITEMRIGHT, htOnRight},
               {TVHT_ONITEMSTATEICON, htOnStateIcon}, {TVHT_TOLEFT, htToLeft},
               {TVHT_TORIGHT, htToRight}};
    for (const auto& m : map)
        if (info.flags & m.flag) result.Include(m.test);
    if (info.flags & TVHT_ONITEM) result.Include(htOnItem);
    return result;
}

bool TCustomTreeView::IsEditing() {
    return HandleAllocated() && SendMessageW(GetHandle(), TVM_GETEDITCONTROL, 0, 0) != 0;
}

TTreeNode* TCustomTreeView::CreateNode() {
    return new TTreeNode(FTreeNodes.get());
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
    bool allow = true;
    if (OnChanging) OnChanging(this, Node, allow);
    return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
    if (OnChange) OnChange(this, Node);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
    bool allow = true;
    if (OnExpanding) OnExpanding(this, Node, allow);
    return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
    if (OnExpanded) OnExpanded(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
    bool allow = true;
    if (OnCollapsing) OnCollapsing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
    if (OnCollapsed) OnCollapsed(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
    bool allow = !FReadOnly;
    if (allow && OnEditing) OnEditing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Edit(const TVITEMW& Item) {
    TTreeNode* node = NodeOf(Item.hItem);
    if (!node || !Item.pszText) return;
    UnicodeString text = Item.pszText;
    if (OnEdited) OnEdited(this, node, text);
    if (!node->FDeleting) node->SetText(text);
}

void TCustomTreeView::Added(TTreeNode* Node) {
    if (OnAddition) OnAddition(this, Node);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
    if (OnDeletion) OnDeletion(this, Node);
}

void TCustomTreeView::GetImageIndex(TTreeNode* Node) {
    if (OnGetImageIndex) OnGetImageIndex(this, Node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) {
    if (OnGetSelectedIndex) OnGetSelectedIndex(this, Node);
}

void TCustomTreeView::ChangeTimerFired(TObject*) {
    FChangeTimer->SetEnabled(false);
    Change(GetSelected());
}

LRESULT TCustomTreeView::Notify(NMHDR* Header) {
    if (FDestroying || FRecreating) return 0;
    auto* nm = reinterpret_cast<NMTREEVIEWW*>(Header);
    switch (Header->code) {
    case TVN_SELCHANGINGW:
        return CanChange(NodeOf(nm->itemNew.hItem)) ? 0 : 1;
    case TVN_SELCHANGEDW: {
        TTreeNode* node = NodeOf(nm->itemNew.hItem);
        if (FChangeDelay > 0) {
            if (!FChangeTimer) {
                FChangeTimer = std::make_unique<TTimer>(nullptr);
                FChangeTimer->SetOnTimer([this](TObject* Sender) { ChangeTimerFired(Sender); });
            }
            FChangeTimer->SetEnabled(false);
            FChangeTimer->SetInterval(static_cast<unsigned>(FChangeDelay));
            FChangeTimer->SetEnabled(true);
        } else {
            Change(node);
        }
        return 0;
    }
    case TVN_ITEMEXPANDINGW: {
        if (FManualNotify) return 0;
        TTreeNode* node = NodeOf(nm->itemNew.hItem);
        if (!node) return 0;
        const bool allow = nm->action == TVE_EXPAND ? CanExpand(node) : CanCollapse(node);
        return allow ? 0 : 1;
    }
    case TVN_ITEMEXPANDEDW: {
        TTreeNode* node = NodeOf(nm->itemNew.hItem);
        if (!node) return 0;
        node->FExpanded = nm->action == TVE_EXPAND;
        if (FManualNotify) return 0;
        if (nm->action == TVE_EXPAND)
            Expand(node);
        else
            Collapse(node);
        return 0;
    }
    case TVN_BEGINLABELEDITW: {
        auto* di = reinterpret_cast<NMTVDISPINFOW*>(Header);
        TTreeNode* node = NodeOf(di->item.hItem);
        return node && CanEdit(node) ? 0 : 1;
    }
    case TVN_ENDLABELEDITW:
        Edit(reinterpret_cast<NMTVDISPINFOW*>(Header)->item);
        return 0; // the node sets its own text
    case TVN_GETDISPINFOW: {
        auto* di = reinterpret_cast<NMTVDISPINFOW*>(Header);
        auto* node = reinterpret_cast<TTreeNode*>(di->item.lParam);
        if (!node || node->FDeleting) return 0;
        if (di->item.mask & TVIF_IMAGE) {
            GetImageIndex(node);
            di->item.iImage = node->FImageIndex;
        }
        if (di->item.mask & TVIF_SELECTEDIMAGE) {
            GetSelectedIndex(node);
            di->item.iSelectedImage = node->FSelectedIndex;
        }
        return 0;
    }
    case NM_RCLICK:
        if (FRightClickSelect) {
            const DWORD pos = GetMessagePos();
            POINT p{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
            ::ScreenToClient(FHandle, &p);
            if (TTreeNode* node = GetNodeAt(p.x, p.y)) SetSelected(node);
        }
        return 0;
    default:
        return 0;
    }
}

void TCustomTreeView::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_BASE + WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
        if (header && header->hwndFrom == FHandle) {
            Message.Result = Notify(header);
            return;
        }
    }
    TWinControl::Dispatch(Message);
}
