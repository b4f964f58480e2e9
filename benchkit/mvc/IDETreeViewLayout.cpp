// The tree view's node states, layout, expansion, hit testing, scrolling
// and painting.
#include "benchkit/mvc/IDETreeView.h"

#include "benchkit/BenchkitInstance.h"

#include <designpak/DesignServices.h>

#include <quorlpak/Bitmap.h>
#include <runpak/TypeInfo.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

// --- TNodeState -------------------------------------------------------------------------------

TNodeState::TNodeState(TTreeView2* View, bool Expanded, int32_t Level, IGraphLocation* Location)
    : FCore(View), FNode(Location), FLevel(Level) {
    FExpanded = Location->HasChildren() != tsNo && Expanded;
    FBoxRect.Width = View->FBoxSize.Width;
    FBoxRect.Height = View->FBoxSize.Height;
}

HRESULT TNodeState::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<INodeState>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IGraphLocation> TNodeState::GetNextSibling() {
    if (InterfacePtr<ILinkedTreeNode> linked; Supports(FNode.Get(), linked)) {
        InterfacePtr<ILinkedTreeNode> next = linked->Ptr()->GetNextSibling();
        InterfacePtr<IGraphLocation> loc;
        if (next) Supports(next.Get(), loc);
        return loc;
    }
    if (InterfacePtr<ILinkedNode> linked; Supports(FNode.Get(), linked))
        return linked->GetNextSibling();
    InterfacePtr<IGraphLocation> parent = FNode->GetParent();
    if (!parent) return nullptr;
    InterfacePtr<IInterfaceList> children = parent->GetChildren();
    if (!children) return nullptr;
    int i = children->IndexOf(FNode.Get());
    if (i < 0 || i + 1 >= children->GetCount()) return nullptr;
    InterfacePtr<IGraphLocation> loc;
    Supports(children->Get(i + 1).Get(), loc);
    return loc;
}

bool TNodeState::IsDescendentOf(IGraphLocation* Location) {
    if (!Location) return false;
    IUnknown* target = Location;
    for (InterfacePtr<IGraphLocation> n = FNode; n; n = n->GetParent())
        if (SameObject(n.Get(), target)) return true;
    return false;
}

namespace {
bool Inside(const TRectangle& R, int X, int Y) {
    return X >= R.Left && X < R.Left + R.Width && Y >= R.Top && Y < R.Top + R.Height;
}
} // namespace

int TNodeState::HitTest(int X, int Y) {
    if (Inside(FItemRect, X, Y)) return 1;
    if (Inside(FBoxRect, X, Y) && HasChildren()) return 2;
    return 0;
}

HRESULT TTreeEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ITreeEvent>(this, iid, out)) return S_OK;
    return TDispatchableEvent::QueryInterface(iid, out);
}

void TTreeEvent::Dispatch(IEventListener* Listener) {
    InterfacePtr<ITreeListener> l = InterfaceCast<ITreeListener>(Listener);
    if (FId == TREE_NODE_EXPANDED)
        l->NodeExpanded(this);
    else if (FId == TREE_NODE_COLLAPSED)
        l->NodeCollapsed(this);
}

// --- Construction -----------------------------------------------------------------------------

TTreeView2::TTreeView2(TComponent* AOwner)
    : TScrollPane(AOwner), FDragSelectionMgr(new TGraphDragSelectionManager(this)),
      FCache(new THashtable), FPresetExpandList(new TInterfaceList),
      FPresetCollapseList(new TInterfaceList), ftimer(new TTimer(this)),
      FItemMargins(new TInsets(2, 2, 2, 1)), FKeyMulticaster(new TKeyMulticaster),
      FModelMulticaster(new TGraphModelMulticaster),
      FSelectionMulticaster(new TGraphSelectionMulticaster),
      FDragSelectionMulticaster(new TGraphSelectionMulticaster) {
    ftimer->SetEnabled(false);
    ftimer->SetInterval(500);
    ftimer->OnTimer = [this](TObject*) { TimedClick(); };
    InterfacePtr<IWritableGraphSelection> none(new TNullGraphSelection);
    SetSelection(none.Get());
    InterfacePtr<IWritableGraphSelection> noDrag(new TNullGraphSelection);
    SetDragSelection(noDrag.Get());
    GetHorzScrollBar()->SetIncrement(16);
    AddSubfocusListener(this);
    SetFocusAware(true);
    TScrollPane::AddKeyListener(FKeyMulticaster.Get());
}

TTreeView2::~TTreeView2() {
    CancelEdit();
    delete FBitmap;
    FBitmap = nullptr;
    delete FExpandedArrow;
    delete FContractedArrow;
    FSubfocus = nullptr;
    SetSelection(nullptr);
    SetDragSelection(nullptr);
    SetViewManager(nullptr);
    SetModel(nullptr);
    delete FItemMargins;
    FCache->Clear();
}

TClass TTreeView2::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTreeView2>(u"TTreeView2", TScrollPane::StaticClass()));
    return &meta;
}

HRESULT TTreeView2::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphView, IItemEditSite, IItemPaintSite, IGraphSubfocusListener,
                         IGraphModelListener, IGraphSelectionListener, IFocusListener, IKeyListener,
                         IBatchUpdate, IEventListener>(this, iid, out))
        return S_OK;
    return TScrollPane::QueryInterface(iid, out);
}

InterfacePtr<IWritableGraphModel> TTreeView2::GetWriteModel() {
    return FReadOnly ? nullptr : FWriteModel;
}

TInsets* TTreeView2::GetItemMargins() {
    return new TInsets(FItemMargins->GetLeft(), FItemMargins->GetTop(), FItemMargins->GetRight(),
                       FItemMargins->GetBottom());
}

TCanvas* TTreeView2::GetSiteGraphics() {
    TCanvas* canvas = GetGraphics();
    if (canvas) canvas->GetFont()->Assign(TControl::GetFont());
    return canvas;
}

void TTreeView2::SetViewManager(IGraphViewManager* Value) {
    FViewManager = Value;
    RepaintNodes();
}

// --- Node-state cache -------------------------------------------------------------------------

TNodeState* TTreeView2::GetViewState(IGraphLocation* Location) {
    if (!Location) return nullptr;
    InterfacePtr<IHashObject> key;
    if (!Supports(Location, key)) return nullptr;
    InterfacePtr<IInterface> found;
    try {
        found = FCache->Get(key.Get());
    } catch (const Exception&) {
        UpdateViewState();
        found = FCache->Get(key.Get());
    }
    if (!found) return nullptr;
    return InterfaceCast<INodeState>(found.Get())->Ptr();
}

void TTreeView2::PutViewState(IGraphLocation* Location, TNodeState* State) {
    InterfacePtr<IHashObject> key;
    if (!Supports(Location, key)) return;
    if (!FCache->ContainsKey(key.Get())) FCache->Put(key.Get(), static_cast<INodeState*>(State));
}

void TTreeView2::UpdateViewState() {
    if (!FInitialized || !FModel) return;
    InterfacePtr<IGraphLocation> root = FModel->GetRoot();
    for (InterfacePtr<IEnumeration> e = FCache->Elements(); e->HasMoreElements();)
        InterfaceCast<INodeState>(e->NextElement().Get())->Ptr()->FInUse = false;
    if (!root) {
        FRootNode = FFirstNode = nullptr;
        CleanViewState();
        return;
    }
    if (FShowRoot) {
        UpdateViewState2(root.Get(), 0);
        FRootNode = FFirstNode = GetViewState(root.Get());
    } else {
        UpdateViewState2(root.Get(), -1);
        FRootNode = GetViewState(root.Get());
        FFirstNode = nullptr;
        if (FRootNode &&
            !(!FRootNode->FNextVisible && (!FRootNode->FExpanded || !FRootNode->HasChildren()))) {
            InterfacePtr<IInterfaceList> children = root->GetChildren();
            InterfacePtr<IGraphLocation> first;
            if (children && children->GetCount() > 0) Supports(children->Get(0).Get(), first);
            FRootNode->FNextVisible = GetViewState(first.Get());
            FFirstNode = GetViewState(GetFirst().Get());
        }
    }
    CleanViewState();
}

void TTreeView2::UpdateViewState2(IGraphLocation* Location, int32_t Level) {
    TNodeState* state = GetViewState(Location);
    InterfacePtr<IGraphLocation> root = FModel ? FModel->GetRoot() : nullptr;
    if (state && state->IsDescendentOf(root.Get()))
        state->Update(Level);
    else {
        bool expanded = Level < 0 || ShouldExpandLoc(Location) || (Level == 0 && !FShowRootLines);
        InterfacePtr<TNodeState> fresh(
            new TNodeState(this, expanded && Location->HasChildren() == tsYes, Level, Location));
        PutViewState(Location, fresh.Get());
        state = GetViewState(Location);
    }
    if (!state || !state->FExpanded) return;
    InterfacePtr<IInterfaceList> children = Location->GetChildren();
    if (!children) return;
    for (int i = 0, n = children->GetCount(); i < n; ++i) {
        InterfacePtr<IGraphLocation> child;
        if (!Supports(children->Get(i).Get(), child)) continue;
        if (TNodeState* cs = GetViewState(child.Get()))
            cs->Update(Level + 1);
        else {
            InterfacePtr<TNodeState> fresh(
                new TNodeState(this, ShouldExpandLoc(child.Get()) && child->HasChildren() == tsYes,
                               Level + 1, child.Get()));
            PutViewState(child.Get(), fresh.Get());
        }
        UpdateViewState2(child.Get(), Level + 1);
    }
}

void TTreeView2::CleanViewState() {
    auto unused = [](TNodeState*& s) {
        if (s && !s->FInUse) s = nullptr;
    };
    unused(FSubfocus);
    unused(FLastSubfocus);
    unused(feditlocation);
    unused(FSelectAnchor);
    unused(FRootNode);
    unused(FFirstNode);
    unused(FLastCalc);
    if (FEditorNode && !FEditorNode->FInUse) {
        EndEdit(false);
        FEditorNode = nullptr;
    }
    std::vector<InterfacePtr<IHashObject>> gone;
    for (InterfacePtr<IEnumeration> keys = FCache->Keys(); keys->HasMoreElements();) {
        InterfacePtr<IHashObject> key = InterfaceCast<IHashObject>(keys->NextElement().Get());
        TNodeState* s = InterfaceCast<INodeState>(FCache->Get(key.Get()).Get())->Ptr();
        if (s->FInUse || !FModel) {
            if (!FModel) gone.push_back(key);
            continue;
        }
        // Hidden under a collapsed ancestor: the state keeps its expansion.
        // Only nodes that left the model are dropped.
        InterfacePtr<IInterface> data = FModel->Get(s->FNode.Get());
        if (!data || SameObject(data.Get(), s->FNode.Get())) gone.push_back(key);
    }
    std::vector<InterfacePtr<IInterface>> keep; // the removed states live until the links are cut
    for (auto& key : gone)
        keep.push_back(FCache->Remove(key.Get()));
    if (gone.empty()) return;
    for (InterfacePtr<IEnumeration> e = FCache->Elements(); e->HasMoreElements();) {
        TNodeState* s = InterfaceCast<INodeState>(e->NextElement().Get())->Ptr();
        for (auto& k : keep) {
            TNodeState* dead = InterfaceCast<INodeState>(k.Get())->Ptr();
            if (s->FNextVisible == dead) s->FNextVisible = nullptr;
            if (s->FPrevVisible == dead) s->FPrevVisible = nullptr;
        }
    }
}

bool TTreeView2::ShouldExpandLoc(IGraphLocation* Location) {
    if (!FExpandByDefault) return false;
    if (InterfacePtr<IStatefulNode> s; Supports(Location, s)) return s->IsExpanded();
    return true;
}

bool TTreeView2::ShouldExpandNode(TNodeState* State) {
    return State && (State->FLevel < 0 || (State->FLevel == 0 && !FShowRootLines) ||
                     ShouldExpandLoc(State->FNode.Get()));
}

void TTreeView2::UpdateSubtree(TNodeState* State) {
    InterfacePtr<IGraphLocation> root = GetRoot();
    if (!root || SameObject(State->FNode.Get(), root.Get()))
        UpdateViewState();
    else
        UpdateViewState2(State->FNode.Get(), State->FLevel);
}

InterfacePtr<IGraphLocation> TTreeView2::GetRoot() {
    return FModel ? FModel->GetRoot() : nullptr;
}

InterfacePtr<IGraphLocation> TTreeView2::GetFirst() {
    if (FFirstNode) return FFirstNode->FNode;
    if (!FModel) return nullptr;
    if (FShowRoot) return FModel->GetRoot();
    if (FRootNode && FRootNode->FNextVisible) return FRootNode->FNextVisible->FNode;
    return nullptr;
}

// --- Layout -----------------------------------------------------------------------------------

void TTreeView2::Initialize(TCanvas* Canvas) {
    FInitialized = true;
    UpdateViewState();
    const bool presets = FPresetExpandList->GetCount() || FPresetCollapseList->GetCount();
    for (int i = 0; i < FPresetExpandList->GetCount(); ++i) {
        InterfacePtr<IGraphLocation> loc;
        Supports(FPresetExpandList->Get(i).Get(), loc);
        if (TNodeState* s = GetViewState(loc.Get())) ExpandNode(s, true, true);
    }
    for (int i = 0; i < FPresetCollapseList->GetCount(); ++i) {
        InterfacePtr<IGraphLocation> loc;
        Supports(FPresetCollapseList->Get(i).Get(), loc);
        if (TNodeState* s = GetViewState(loc.Get())) ExpandNode(s, false, true);
    }
    if (presets) UpdateViewState();
    FPresetExpandList->Clear();
    FPresetCollapseList->Clear();
    UpdateNodeRects(FRootNode, Canvas);
    RecalcVisible(false);
}

TDimension TTreeView2::GetPreferredSize() {
    if (!FInitialized) Initialize(GetSiteGraphics());
    TInsets* in = GetInsets();
    return Dimension(FCanvasWidth + in->GetLeft() + in->GetRight(),
                     FTopMargin + FCanvasHeight + in->GetTop() + in->GetBottom());
}

int32_t TTreeView2::RecalcVisible2(IGraphLocation* Location, int32_t Y) {
    InterfacePtr<IGraphLocation> loc = Location;
    while (loc) {
        TNodeState* s = GetViewState(loc.Get());
        if (!s) break;
        if (FShowRoot || s->FLevel >= 0) {
            int x = s->FLevel * FHIndent + FLeftMargin - (FShowRootLines ? 0 : FItemOffset);
            s->FPrevVisible = FLastCalc;
            s->FNextVisible = nullptr;
            if (FLastCalc) FLastCalc->FNextVisible = s;
            s->FLineNumber = FLineCount++;
            if (!FShowRoot && !FFirstNode) FFirstNode = s;
            FLastCalc = s;
            if (s->HasChildren()) {
                if (s->FNodeFlags.Contains(nfNoBoxRect)) {
                    FRepaintNodeTop = std::min(FRepaintNodeTop, Y);
                    s->FNodeFlags.Exclude(nfNoBoxRect);
                }
                s->FBoxRect.Left = x;
                s->FBoxRect.Top = Y + (s->FItemRect.Height - s->FBoxRect.Height) / 2 + 1;
            } else
                s->FNodeFlags.Include(nfNoBoxRect);
            x += FItemOffset;
            if (s->FNodeFlags.Contains(nfNoItemRect)) {
                FRepaintNodeTop = std::min(FRepaintNodeTop, Y);
                s->FNodeFlags.Exclude(nfNoItemRect);
            }
            s->FItemRect.Left = x;
            s->FItemRect.Top = Y;
            FCanvasHeight += s->FItemRect.Height + FVgap;
            FCanvasWidth = std::max(FCanvasWidth, s->FItemRect.Left + s->FItemRect.Width);
            Y += s->FItemRect.Height + FVgap;
        }
        if (s->FExpanded && s->HasChildren()) {
            InterfacePtr<IInterfaceList> children = loc->GetChildren();
            if (children && children->GetCount() > 0) {
                InterfacePtr<IGraphLocation> first;
                if (Supports(children->Get(0).Get(), first)) Y = RecalcVisible2(first.Get(), Y);
            }
        }
        loc = s->GetNextSibling();
    }
    return Y;
}

void TTreeView2::RecalcVisible1(bool Validate) {
    FShouldValidate = false;
    const int oldW = FCanvasWidth;
    int oldH = FCanvasHeight;
    FLastCalc = nullptr;
    FLineCount = FCanvasWidth = FCanvasHeight = 0;
    FRepaintNodeTop = INT_MAX;
    if (!FShowRoot) FFirstNode = nullptr;
    if (InterfacePtr<IGraphLocation> root = GetRoot()) RecalcVisible2(root.Get(), FTopMargin);
    if (FRepaintNodeTop != INT_MAX) oldH = std::min(FRepaintNodeTop - FTopMargin, oldH);
    if (FLineCount > 0) GetVertScrollBar()->SetIncrement(std::max(1, FCanvasHeight / FLineCount));
    if ((oldW != FCanvasWidth || oldH != FCanvasHeight) && HandleAllocated()) {
        const int minW = std::min(oldW, FCanvasWidth), maxW = std::max(oldW, FCanvasWidth);
        const int minH = std::min(oldH, FCanvasHeight), maxH = std::max(oldH, FCanvasHeight);
        POINT at = GetScrollPosition();
        RECT a{minW - at.x, 0 - at.y, maxW - at.x, minH + FTopMargin - at.y};
        RECT b{0 - at.x, minH + FTopMargin - at.y, maxW - at.x, maxH + FTopMargin - at.y};
        if (a.left < a.right && a.top < a.bottom) InvalidateRect(GetHandle(), &a, TRUE);
        if (b.left < b.right && b.top < b.bottom) InvalidateRect(GetHandle(), &b, TRUE);
    }
    if (Validate && GetShowing() && !FBatchMode) DoLayout();
}

void TTreeView2::RecalcVisible(bool Validate) {
    if (!HandleAllocated()) return;
    MSG pending;
    const UINT id = DeferRecalcVisibleMsg();
    if (PeekMessageW(&pending, GetHandle(), id, id, PM_NOREMOVE)) {
        FShouldValidate = FShouldValidate || Validate;
        return;
    }
    FShouldValidate = FShouldValidate || Validate;
    PostMessageW(GetHandle(), id, 0, 0);
}

void TTreeView2::PendingRecalcVisible() {
    if (!HandleAllocated()) return;
    MSG msg;
    const UINT id = DeferRecalcVisibleMsg();
    bool any = false;
    while (PeekMessageW(&msg, GetHandle(), id, id, PM_REMOVE))
        any = true;
    if (any) RecalcVisible1(FShouldValidate);
}

void TTreeView2::UpdateNodeRect(TNodeState* State, TCanvas* Canvas) {
    if (!State || !FModel || !FViewManager) return;
    InterfacePtr<IInterface> data = FModel->Get(State->FNode.Get());
    InterfacePtr<IItemPainter> painter =
        FViewManager->GetPainter(State->FNode.Get(), data.Get(), GetState(State));
    if (!painter) return;
    TDimension size = painter->GetPreferredSize(data.Get(), Canvas, this, GetState(State));
    State->FItemRect.Width = size.Width;
    State->FItemRect.Height = size.Height;
}

void TTreeView2::UpdateNodeRects(TNodeState* State, TCanvas* Canvas) {
    if (!State) return;
    UpdateNodeRect(State, Canvas);
    if (!State->FExpanded) return;
    InterfacePtr<IInterfaceList> children = State->FNode->GetChildren();
    if (!children) return;
    for (int i = 0, n = children->GetCount(); i < n; ++i) {
        InterfacePtr<IGraphLocation> child;
        if (Supports(children->Get(i).Get(), child))
            UpdateNodeRects(GetViewState(child.Get()), Canvas);
    }
}

// --- Expansion --------------------------------------------------------------------------------

bool TTreeView2::ExpandNode(TNodeState* State, bool Expand, bool Scroll) {
    if (!State || !State->HasChildren()) return false;
    if (!(Expand || FShowRootLines || State != FRootNode)) return false;
    if (Expand == State->FExpanded) return false;
    InterfacePtr<ITreeEvent> e(new TTreeEvent(static_cast<IGraphView*>(this),
                                              Expand ? TREE_NODE_EXPANDED : TREE_NODE_COLLAPSED,
                                              State->FNode.Get()));
    ProcessTreeEvent(e.Get());
    State->FExpanded = Expand;
    if (Expand) {
        UpdateSubtree(State);
        UpdateNodeRects(State, GetSiteGraphics());
    }
    if (FUpdateCount == 0) {
        RecalcVisible1(true);
        if (Expand && Scroll) ScrollExpanded(State);
        RepaintToEnd(State);
    }
    return true;
}

void TTreeView2::Expand(IGraphLocation* Location) {
    if (!FInitialized) {
        FPresetExpandList->Add(Location);
        return;
    }
    if (TNodeState* s = GetViewState(Location)) ExpandNode(s, true, true);
}

void TTreeView2::Collapse(IGraphLocation* Location) {
    if (!FInitialized) {
        FPresetCollapseList->Add(Location);
        return;
    }
    TNodeState* s = GetViewState(Location);
    if (!s) return;
    ExpandNode(s, false, true);
    if (FSubfocus && FSubfocus != s && FSubfocus->IsDescendentOf(Location))
        SetSubfocus2(s, TSelectFlags{sfAddItem, sfResetAnchor});
}

void TTreeView2::ExpandAll(IGraphLocation* Location) {
    ++FUpdateCount;
    try {
        ExpandChildNodes(Location, true);
    } catch (...) {
        --FUpdateCount;
        throw;
    }
    --FUpdateCount;
    RecalcVisible(true);
    RepaintToEnd(GetViewState(Location));
}

void TTreeView2::ExpandChildNodes(IGraphLocation* Location, bool Scroll) {
    TNodeState* s = GetViewState(Location);
    if (!s || !s->HasChildren()) return;
    ExpandNode(s, true, Scroll);
    InterfacePtr<IInterfaceList> children = Location->GetChildren();
    for (int i = 0, n = children ? children->GetCount() : 0; i < n; ++i) {
        InterfacePtr<IGraphLocation> child;
        if (Supports(children->Get(i).Get(), child)) ExpandChildNodes(child.Get(), false);
    }
}

void TTreeView2::CollapseChildNodes(IGraphLocation* Location) {
    TNodeState* s = GetViewState(Location);
    if (!s) return;
    ExpandNode(s, false, true);
    InterfacePtr<IInterfaceList> children = Location->GetChildren();
    for (int i = 0, n = children ? children->GetCount() : 0; i < n; ++i) {
        InterfacePtr<IGraphLocation> child;
        if (Supports(children->Get(i).Get(), child)) CollapseChildNodes(child.Get());
    }
}

bool TTreeView2::IsExpanded(IGraphLocation* Location) {
    TNodeState* s = GetViewState(Location);
    return s && s->FExpanded;
}

// --- Hit testing and scrolling ----------------------------------------------------------------

TNodeState* TTreeView2::HitTestY(int Y) {
    TNodeState* row = FFirstNode;
    if (!row && !FShowRoot && FRootNode) row = FRootNode->FNextVisible;
    while (row && Y >= row->FItemRect.Top + row->FItemRect.Height)
        row = row->FNextVisible;
    if (row) return row;
    if (Y < FTopMargin + FCanvasHeight) return FFirstNode;
    return FLastCalc;
}

TNodeState* TTreeView2::HitTestLine(int Line) {
    for (TNodeState* row = FFirstNode; row; row = row->FNextVisible)
        if (row->FLineNumber >= Line) return row;
    return nullptr;
}

InterfacePtr<IGraphLocation> TTreeView2::HitTest(int X, int Y) {
    POINT at = GetScrollPosition();
    TNodeState* row = HitTestY(Y + at.y);
    if (row && row->HitTest(X + at.x, Y + at.y) == 1) return row->FNode;
    return nullptr;
}

bool TTreeView2::IsVisibleState(TNodeState* State) {
    if (!GetVisible() || !State || !State->FNode) return false;
    POINT at = GetScrollPosition();
    const TRectangle& r = State->FItemRect;
    // Any part of the row in the viewport counts, so repaints reach rows
    // that are partly scrolled out.
    const int top = r.Top - at.y, bottom = top + r.Height + FVgap;
    if (bottom <= 0 || top >= GetViewportSize().Height) return false;
    for (InterfacePtr<IGraphLocation> p = State->FNode->GetParent(); p; p = p->GetParent()) {
        TNodeState* ps = GetViewState(p.Get());
        if (!ps) break;
        if (!ps->FExpanded) return false;
    }
    return true;
}

void TTreeView2::ScrollView(TNodeState* State, TNodeState* Last) {
    if (!State) return;
    const TRectangle r = State->FItemRect;
    if (r.Width == 0 && r.Height == 0) return;
    POINT at = GetScrollPosition();
    const int sx = at.x, sy = at.y;
    TDimension view = GetViewportSize();
    const int vw = view.Width, vh = view.Height;
    const int hRange = GetHorzScrollBar()->GetRange(), vRange = GetVertScrollBar()->GetRange();
    auto newX = [&](const TRectangle& q) {
        if (vw < q.Width || q.Left < sx) return q.Left;
        if (q.Left + q.Width >= vw + sx) return std::min(hRange - vw, q.Left + q.Width - vw + 1);
        return sx;
    };
    auto newY = [&](const TRectangle& q) {
        if (q.Top < sy) return q.Top;
        if (sy + vh < q.Top + q.Height) {
            int y = std::min(vRange - vh, q.Top + q.Height - vh);
            if (FSnapOrigin)
                if (TNodeState* row = HitTestY(y); row && row->FNextVisible)
                    y = row->FNextVisible->FItemRect.Top;
            return y;
        }
        return sy;
    };
    int x = newX(r), y = newY(r);
    if (Last) {
        int x2 = newX(Last->FItemRect), y2 = newY(Last->FItemRect);
        for (TNodeState* row = State->FNextVisible; row && row != Last; row = row->FNextVisible)
            if (row->FItemRect.Width <= vw && row->FItemRect.Left > sx)
                x2 = std::max(x2, row->FItemRect.Left + row->FItemRect.Width - vw + 1);
        y = r.Top + y - y2 >= sy ? y2 : r.Top;
        x = r.Left + x - x2 < sx ? r.Left : x2;
    }
    if (FHSnap) {
        if (x != sx || y != sy) {
            SetScrollPosition(x, y);
            RepaintNodes();
        }
    } else if (y != sy)
        SetScrollPosition(sx, y);
    if (r.Height > 0) GetVertScrollBar()->SetIncrement(r.Height);
}

void TTreeView2::ScrollExpanded(TNodeState* State) {
    TNodeState* last = State;
    for (TNodeState* row = State->FNextVisible; row && row->IsDescendentOf(State->FNode.Get());
         row = row->FNextVisible)
        last = row;
    if (last != State) ScrollView(State, last);
}

// --- Repainting -------------------------------------------------------------------------------

void TTreeView2::RepaintNode(TNodeState* State) {
    if (FBatchMode || !HandleAllocated() || !IsVisibleState(State)) return;
    POINT at = GetScrollPosition();
    int x = (State->HasChildren() ? State->FBoxRect.Left : State->FItemRect.Left) - at.x;
    RECT r{x, State->FItemRect.Top - at.y, GetClientWidth(),
           State->FItemRect.Top - at.y + State->FItemRect.Height + FVgap};
    InvalidateRect(GetHandle(), &r, FALSE);
}

void TTreeView2::RepaintToEnd(TNodeState* State) {
    if (FBatchMode || !HandleAllocated() || !State) return;
    POINT at = GetScrollPosition();
    RECT r{0, State->FItemRect.Top - at.y, GetClientWidth(), GetClientHeight()};
    InvalidateRect(GetHandle(), &r, FALSE);
}

void TTreeView2::RepaintNodes() {
    if (FBatchMode || !HandleAllocated()) return;
    InvalidateRect(GetHandle(), nullptr, FALSE);
}

TItemState TTreeView2::GetState(TNodeState* State) {
    TItemState s;
    if (!State) return s;
    IGraphLocation* node = State->FNode.Get();
    if ((!FDraggingOver && FSelection && FSelection->Contains(node)) ||
        (FDraggingOver && FDragSelection && FDragSelection->Contains(node)))
        s.Include(isSelected);
    if (FShowFocus && FHasFocus && State == FSubfocus) s.Include(isFocused);
    if (!FHasFocus && !FDraggingOver) s.Include(isInactive);
    if (State->FExpanded) s.Include(isOpened);
    return s;
}

// --- Painting ---------------------------------------------------------------------------------

void TTreeView2::Paint() {
    Paint2(GetCanvas(), GetScrollPosition());
}

int TTreeView2::LevelX(int32_t Level) const {
    return Level * FHIndent + FBoxSize.Width / 2 + FLeftMargin - (FShowRootLines ? 0 : FItemOffset);
}

void TTreeView2::Paint2(TCanvas* Canvas, POINT Origin) {
    if (FBatchMode) return;
    if (!FInitialized) GetPreferredSize();
    TRect clip = Canvas->GetClipRect();
    clip.left += Origin.x;
    clip.right += Origin.x;
    clip.top += Origin.y;
    clip.bottom += Origin.y;
    const int clientW = GetClientWidth();
    TCanvas* target = FBitmap ? FBitmap->GetCanvas() : Canvas;
    if (FBitmap) FBitmap->SetWidth(std::max(1, FCanvasWidth));
    TNodeState* head = HitTestY(clip.top);
    TNodeState* tail = HitTestY(clip.bottom - 1);
    Canvas->GetBrush()->SetColor(GetColor());
    if (!head || !tail) {
        Canvas->FillRect(Rect(clip.left - Origin.x, clip.top - Origin.y, clip.right - Origin.x,
                              clip.bottom - Origin.y));
        return;
    }
    for (TNodeState* row = head; row; row = row->FNextVisible) {
        int delta = 0;
        if (FBitmap) {
            if (row->FItemRect.Height > 0) FBitmap->SetHeight(row->FItemRect.Height + FVgap);
            delta = row->FItemRect.Top - Origin.y;
            row->FItemRect.Top -= delta;
            row->FBoxRect.Top -= delta;
        }
        PaintNode(target, row, Origin, delta);
        if (FStyle == tvsPluses)
            if (InterfacePtr<IGraphLocation> next = row->GetNextSibling();
                next && GetViewState(next.Get()))
                PaintShortLink(target, row, Origin, delta);
        if (FBitmap) {
            row->FItemRect.Top += delta;
            row->FBoxRect.Top += delta;
            Canvas->Draw(0, row->FItemRect.Top - Origin.y, FBitmap);
            Canvas->GetBrush()->SetColor(GetColor());
            if (FBitmap->GetWidth() < clientW)
                Canvas->FillRect(Rect(FBitmap->GetWidth(), row->FItemRect.Top - Origin.y, clientW,
                                      row->FItemRect.Top - Origin.y + FBitmap->GetHeight()));
        }
        if (row == tail) break;
    }
    Canvas->GetBrush()->SetColor(GetColor());
    const int w = clientW - Origin.x;
    if (head->FItemRect.Top > clip.top)
        Canvas->FillRect(
            Rect(0, clip.top - Origin.y, w + Origin.x, head->FItemRect.Top - Origin.y));
    const int tailBottom = tail->FItemRect.Top + tail->FItemRect.Height + FVgap;
    if (tailBottom < clip.bottom)
        Canvas->FillRect(Rect(0, tailBottom - Origin.y, w + Origin.x, clip.bottom - Origin.y));
}

void TTreeView2::PaintNode(TCanvas* Canvas, TNodeState* State, POINT Origin, int Delta) {
    // The gap strip below the row is the row's too: nothing stale stays between rows.
    Canvas->GetBrush()->SetColor(GetColor());
    Canvas->FillRect(Bounds(0, State->FItemRect.Top - Origin.y,
                            std::max(GetViewportSize().Width, FCanvasWidth),
                            State->FItemRect.Height + FVgap));
    if (FStyle == tvsPluses) {
        if (FShowRootLines || State != FFirstNode) PaintBox(Canvas, State, Origin);
        PaintItem(Canvas, State, Origin);
        PaintLink(Canvas, State, Origin, Delta);
        PaintVLines(Canvas, State, Origin, Delta);
    } else {
        PaintArrow(Canvas, State, Origin);
        PaintItem(Canvas, State, Origin);
    }
}

void TTreeView2::PaintArrow(TCanvas* Canvas, TNodeState* State, POINT Origin) {
    if (!State->HasChildren() || State->FNodeFlags.Contains(nfNoBoxRect)) return;
    if (!FShowRootLines && State == FFirstNode) return;
    TBitmap* arrow = State->FExpanded ? FExpandedArrow : FContractedArrow;
    if (!arrow) return;
    const TRectangle& b = State->FBoxRect;
    Canvas->BrushCopy(Bounds(b.Left - Origin.x, b.Top - Origin.y, b.Width, b.Height), arrow,
                      Rect(0, 0, arrow->GetWidth(), arrow->GetHeight()),
                      arrow->GetTransparentColor());
}

void TTreeView2::PaintItem(TCanvas* Canvas, TNodeState* State, POINT Origin) {
    if (!FViewManager || !FModel) return;
    TItemState states = GetState(State);
    InterfacePtr<IInterface> data = FModel->Get(State->FNode.Get());
    InterfacePtr<IItemPainter> painter =
        FViewManager->GetPainter(State->FNode.Get(), data.Get(), states);
    if (!painter) return;
    TDimension size = painter->GetPreferredSize(data.Get(), Canvas, this, states);
    State->FItemRect.Width = size.Width;
    State->FItemRect.Height = size.Height;
    Canvas->GetBrush()->SetColor(GetColor());
    painter->Paint(data.Get(), Canvas, this, states,
                   Rectangle(State->FItemRect.Left - Origin.x, State->FItemRect.Top - Origin.y,
                             size.Width, size.Height));
}

void TTreeView2::PaintBox(TCanvas* Canvas, TNodeState* State, POINT Origin) {
    if (!State->HasChildren() || State->FNodeFlags.Contains(nfNoBoxRect)) return;
    const TRectangle& b = State->FBoxRect;
    Canvas->GetBrush()->SetStyle(bsClear);
    Canvas->GetPen()->SetColor(clBtnShadow);
    PaintDottedLine(Canvas, b.Left + b.Width + 1, b.Top + b.Width / 2, b.Left + FItemOffset,
                    b.Top + b.Width / 2, Origin, 0);
    Canvas->Rectangle(b.Left - Origin.x, b.Top - Origin.y, b.Left + b.Width - Origin.x,
                      b.Top + b.Height - Origin.y);
    Canvas->GetPen()->SetColor(clBtnText);
    const int ox = Origin.x, oy = Origin.y;
    if (!State->FExpanded)
        Canvas->Polyline({TPoint(b.Left + b.Width / 2 - ox, b.Top + 2 - oy),
                          TPoint(b.Left + b.Width / 2 - ox, b.Top + b.Height - 2 - oy)});
    Canvas->Polyline({TPoint(b.Left + 2 - ox, b.Top + b.Height / 2 - oy),
                      TPoint(b.Left + b.Width - 2 - ox, b.Top + b.Height / 2 - oy)});
    Canvas->GetBrush()->SetStyle(bsSolid);
}

void TTreeView2::PaintLink(TCanvas* Canvas, TNodeState* State, POINT Origin, int Delta) {
    const bool children = State->HasChildren();
    int y0;
    if (children) {
        if (State->FNodeFlags.Contains(nfNoBoxRect)) return;
        y0 = State->FBoxRect.Top;
    } else {
        if (State->FNodeFlags.Contains(nfNoItemRect)) return;
        y0 = State->FItemRect.Top + State->FItemRect.Height / 2;
    }
    int y1 = y0;
    if (TNodeState* p = State->FPrevVisible) {
        if (p->FLevel >= State->FLevel) {
            while (p && p->FLevel > State->FLevel)
                p = p->FPrevVisible;
            if (p)
                y1 = p->HasChildren() ? p->FBoxRect.Top + p->FBoxRect.Height - Delta + 1
                                      : p->FItemRect.Top + p->FItemRect.Height / 2 - Delta;
        } else if (p->FExpanded || p->FNode->HasChildren() != tsUnknown) {
            InterfacePtr<IGraphLocation> parent = State->FNode->GetParent();
            if (parent && SameObject(parent.Get(), p->FNode.Get()))
                y1 = p->FItemRect.Top + p->FItemRect.Height - Delta;
            else {
                TNodeState* ps = GetViewState(parent.Get());
                if (!ps) return;
                y1 = ps->FBoxRect.Top + ps->FBoxRect.Height - Delta + 1;
            }
        }
    }
    const int x = LevelX(State->FLevel);
    Canvas->GetPen()->SetColor(clBtnShadow);
    PaintDottedLine(Canvas, x, y1, x, y0, Origin, Delta);
    if (!children) {
        const int mid = State->FItemRect.Top + State->FItemRect.Height / 2;
        PaintDottedLine(Canvas, x + 1, mid, State->FItemRect.Left, mid, Origin, Delta);
    }
}

void TTreeView2::PaintShortLink(TCanvas* Canvas, TNodeState* State, POINT Origin, int Delta) {
    const int x = LevelX(State->FLevel);
    const int from = State->HasChildren() ? State->FBoxRect.Top + State->FBoxRect.Height + 1
                                          : State->FItemRect.Top + State->FItemRect.Height / 2;
    Canvas->GetPen()->SetColor(clBtnShadow);
    PaintDottedLine(Canvas, x, from, x, State->FItemRect.Top + State->FItemRect.Height + 1 + FVgap,
                    Origin, Delta);
}

void TTreeView2::PaintVLines(TCanvas* Canvas, TNodeState* State, POINT Origin, int Delta) {
    Canvas->GetPen()->SetColor(clBtnShadow);
    InterfacePtr<IGraphLocation> ancestor = State->FNode->GetParent();
    for (int n = State->FLevel - 1; n >= 0 && ancestor; --n, ancestor = ancestor->GetParent()) {
        TNodeState* as = GetViewState(ancestor.Get());
        if (!as) break;
        if (as->GetNextSibling())
            PaintDottedLine(Canvas, LevelX(n), State->FItemRect.Top, LevelX(n),
                            State->FItemRect.Top + State->FItemRect.Height + FVgap, Origin, Delta);
    }
}

void TTreeView2::PaintDottedLine(TCanvas* Canvas, int X1, int Y1, int X2, int Y2, POINT Origin,
                                 int Delta) {
    const TColor color = Canvas->GetPen()->GetColor();
    if (X1 == X2) {
        int r = Y1 - Origin.y;
        // The dots keep one parity in canvas coordinates, whether the row is
        // painted directly or through the row bitmap, at any scroll position.
        if (std::abs(r % 2) != std::abs((Delta + Origin.y) % 2)) ++r;
        for (; r < Y2 - Origin.y; r += 2)
            Canvas->SetPixel(X1 - Origin.x, r, color);
    } else if (Y1 == Y2) {
        for (int c = X1 - Origin.x; c < X2 - Origin.x; c += 2)
            Canvas->SetPixel(c, Y1 - Origin.y, color);
    }
}

// --- Properties -------------------------------------------------------------------------------

void TTreeView2::SetShowRootLines(bool V) {
    if (V == FShowRootLines) return;
    FShowRootLines = V;
    Refresh();
}

void TTreeView2::SetUniformHeight(bool V) {
    FUniformHeight = V;
    UpdateViewState();
    RecalcVisible(true);
    RepaintNodes();
}

void TTreeView2::SetDoubleBuffer(bool V) {
    if (V && !FBitmap) {
        FBitmap = new TBitmap;
        FBitmap->SetHeight(16);
    } else if (!V) {
        delete FBitmap;
        FBitmap = nullptr;
    }
}

void TTreeView2::SetBatchMode(bool V) {
    if (V == FBatchMode) return;
    FBatchMode = V;
    if (V) return;
    RepaintNodes();
    if (GetShowing()) DoLayout();
}

void TTreeView2::SetStyle(TTreeViewStyle V) {
    FStyle = V;
    if (V == tvsArrows && !FExpandedArrow) {
        // Both marks or neither: a failed load leaves no half-made pair, and
        // painting skips the missing marks.
        auto contracted = std::make_unique<TBitmap>();
        auto expanded = std::make_unique<TBitmap>();
        contracted->SetHandle(CreateGrayMappedRes(BenchkitInstance(), u"CONTRACTEDARROW"));
        expanded->SetHandle(CreateGrayMappedRes(BenchkitInstance(), u"EXPANDEDARROW"));
        FContractedArrow = contracted.release();
        FExpandedArrow = expanded.release();
    }
    FBoxSize = V == tvsArrows ? Dimension(12, 12) : Dimension(9, 9);
    RepaintNodes();
}

void TTreeView2::SetItemMargins(TInsets* V) {
    FItemMargins->Assign(V);
    RepaintNodes();
}

void TTreeView2::SetBoxSize(TDimension V) {
    FBoxSize = V;
    RepaintNodes();
}

void TTreeView2::SetVgap(int32_t V) {
    FVgap = V;
    RepaintNodes();
}

void TTreeView2::SetHIndent(int32_t V) {
    FHIndent = V;
    RepaintNodes();
}

void TTreeView2::SetItemOffset(int32_t V) {
    FItemOffset = V;
    RepaintNodes();
}

// --- Life -------------------------------------------------------------------------------------

void TTreeView2::AddNotify() {
    TScrollPane::AddNotify();
    if (TCanvas* c = GetSiteGraphics()) {
        UpdateViewState();
        UpdateNodeRects(FRootNode, c);
        RecalcVisible(false);
    }
    if (GetVisible()) RepaintNodes();
}

void TTreeView2::Refresh() {
    UpdateViewState();
    if (TCanvas* c = GetSiteGraphics()) {
        UpdateNodeRects(FRootNode, c);
        RecalcVisible(true);
    }
    RepaintNodes();
}

void TTreeView2::SetModel(IGraphModel* Model) {
    if (SameObject(Model, FModel.Get()) && bool(Model) == bool(FModel)) return;
    if (HandleAllocated()) {
        FShouldValidate = false;
        MSG msg;
        for (UINT id : {DeferRecalcVisibleMsg(), DeferDoLayoutMsg()})
            while (PeekMessageW(&msg, GetHandle(), id, id, PM_REMOVE)) {
            }
    }
    CancelEdit();
    if (FModel) {
        FModel->RemoveModelListener(this);
        FModel->RemoveModelListener(FModelMulticaster.Get());
    }
    FModel = Model;
    FWriteModel = nullptr;
    if (FModel) {
        FModel->AddModelListener(this);
        FModel->AddModelListener(FModelMulticaster.Get());
        Supports(FModel.Get(), FWriteModel);
    }
    FFirstNode = FRootNode = FSubfocus = FLastSubfocus = FSelectAnchor = FLastCalc = nullptr;
    feditlocation = FEditorNode = nullptr;
    FCache->Clear();
    FLineCount = FCanvasWidth = FCanvasHeight = 0;
    UpdateViewState();
    if (TCanvas* c = GetSiteGraphics()) {
        UpdateNodeRects(FRootNode, c);
        RecalcVisible(true);
    }
    if (FModel) SetSubfocus(GetFirst().Get());
}

void TTreeView2::SetShowRoot(bool V) {
    if (V == FShowRoot) return;
    if (!V) {
        if (FInitialized && FModel && FRootNode) {
            TNodeState* candidate =
                FRootNode->FNextVisible ? FRootNode->FNextVisible : FRootNode->FPrevVisible;
            if (!candidate && FRootNode == FFirstNode) {
                FSubfocus = nullptr;
                FSelection->RemoveAll();
            } else if (FSubfocus && (FSubfocus == FRootNode ||
                                     FSubfocus->IsDescendentOf(FRootNode->FNode.Get())))
                SetSubfocus2(candidate, TSelectFlags{sfClear, sfAddItem, sfResetAnchor});
        }
        FShowRoot = false;
        UpdateViewState();
        if (FRootNode && ShouldExpandNode(FRootNode) && !FRootNode->FExpanded &&
            FRootNode->FNode->HasChildren() == tsYes) {
            ExpandNode(FRootNode, true, true);
            return;
        }
        RecalcVisible(true);
        RepaintNodes();
        return;
    }
    FShowRoot = true;
    if (FInitialized) {
        UpdateViewState();
        RecalcVisible(true);
        RepaintNodes();
    }
}
