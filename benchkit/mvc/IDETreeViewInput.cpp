// The tree view's interactive half: subfocus, selection, keys, mouse,
// in-place editing, model and selection reactions and window messages.
#include "benchkit/mvc/IDETreeView.h"

#include <designpak/DesignServices.h>

#include <quorlpak/Form.h>
#include <runpak/Strings.h>
#include <runpak/Thread.h>
#include <win32/winbase.h>

#include <algorithm>
#include <climits>

HRESULT TGraphDragSelectionManager::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphSelectionListener, IEventListener>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TGraphDragSelectionManager::SelectionItemChanged(IGraphSelectionEvent* E) {
    InterfacePtr<IGraphLocation> loc = E->GetLocation();
    if (TNodeState* s = FView->GetViewState(loc.Get())) {
        s->FSelected = FView->FDragSelection && FView->FDragSelection->Contains(loc.Get());
        FView->RepaintNode(s);
    }
}

void TGraphDragSelectionManager::SelectionChanged(IGraphSelectionEvent* E) {
    FView->RepaintDragSelection();
}

namespace {
UINT WheelScrollLines();
}

// --- Selections -------------------------------------------------------------------------------

void TTreeView2::SetSelection(IWritableGraphSelection* S) {
    if (FSelection) {
        FSelection->RemoveSelectionListener(this);
        FSelection->RemoveSelectionListener(FSelectionMulticaster.Get());
    }
    FSelection = S;
    if (FSelection) {
        FSelection->AddSelectionListener(this);
        FSelection->AddSelectionListener(FSelectionMulticaster.Get());
    }
}

void TTreeView2::SetDragSelection(IWritableGraphSelection* S) {
    if (FDragSelection) {
        FDragSelection->RemoveSelectionListener(FDragSelectionMgr.Get());
        FDragSelection->RemoveSelectionListener(FDragSelectionMulticaster.Get());
    }
    FDragSelection = S;
    if (FDragSelection) {
        FDragSelection->AddSelectionListener(FDragSelectionMgr.Get());
        FDragSelection->AddSelectionListener(FDragSelectionMulticaster.Get());
    }
}

void TTreeView2::SetMultiSelect(bool V) {
    FMultiSelect = V;
    if (!V && FSelection) FSelection->RemoveAll();
}

namespace {
void RepaintBy(TTreeView2* View, THashtable* Cache, IGraphSelection* Selection) {
    for (InterfacePtr<IEnumeration> e = Cache->Elements(); e->HasMoreElements();) {
        TNodeState* s = InterfaceCast<INodeState>(e->NextElement().Get())->Ptr();
        bool in = Selection && Selection->Contains(s->FNode.Get());
        if (in != s->FSelected || in) {
            s->FSelected = in;
            View->RepaintNode(s);
        }
    }
}
} // namespace

void TTreeView2::RepaintSelection() {
    RepaintBy(this, FCache.Get(), FSelection.Get());
}
void TTreeView2::RepaintDragSelection() {
    RepaintBy(this, FCache.Get(), FDragSelection.Get());
}

void TTreeView2::SelectionItemChanged(IGraphSelectionEvent* E) {
    if (OnSelectionItemChanged) OnSelectionItemChanged(E);
    InterfacePtr<IGraphLocation> loc = E->GetLocation();
    TNodeState* s = GetViewState(loc.Get());
    if (!s) return;
    if (!FSubfocus) FSubfocus = s;
    s->FSelected = FSelection && FSelection->Contains(loc.Get());
    RepaintNode(s);
}

void TTreeView2::SelectionChanged(IGraphSelectionEvent* E) {
    if (OnSelectionChanged) OnSelectionChanged(E);
    RepaintSelection();
}

// --- Subfocus ---------------------------------------------------------------------------------

InterfacePtr<IGraphLocation> TTreeView2::GetSubfocus() {
    return FSubfocus ? FSubfocus->FNode : nullptr;
}

bool TTreeView2::PreProcessSubfocusEvent(IGraphSubfocusEvent* E) {
    InterfacePtr<IVetoableDispatch> v;
    if (!FSubfocusListeners.HasListeners() || !Supports(E, v)) return true;
    return FSubfocusListeners.VetoableDispatch(v.Get());
}

void TTreeView2::FireSubfocusChanged(IGraphLocation* Location) {
    InterfacePtr<IGraphSubfocusEvent> e(
        new TGraphSubfocusEvent(static_cast<IGraphView*>(this), 2, Location));
    InterfacePtr<IDispatchableEvent> d;
    if (FSubfocusListeners.HasListeners() && Supports(e.Get(), d))
        FSubfocusListeners.Dispatch(d.Get());
}

void TTreeView2::SetSubfocus(IGraphLocation* Location) {
    if (!Location) return;
    InterfacePtr<IGraphSubfocusEvent> e(
        new TGraphSubfocusEvent(static_cast<IGraphView*>(this), 1, Location));
    if (!PreProcessSubfocusEvent(e.Get())) return;
    std::vector<InterfacePtr<IGraphLocation>> ancestors;
    for (InterfacePtr<IGraphLocation> p = Location->GetParent(); p; p = p->GetParent())
        ancestors.push_back(p);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        Expand(it->Get());
    FSubfocusChecked = true;
    SetSubfocus2(GetViewState(Location), TSelectFlags{sfClear, sfAddItem, sfResetAnchor});
    FSubfocusChecked = false;
}

void TTreeView2::SetSubfocus2(TNodeState* State, TSelectFlags Flags) {
    if (!State || State == FSubfocus || State->FLevel < 0) return;
    if (FEditor) {
        if (FLockSubfocus) return;
        EndEdit2();
        if (FEditor) return; // the edit refused to end
    }
    if (FSubfocusChecked)
        FSubfocusChecked = false;
    else {
        InterfacePtr<IGraphSubfocusEvent> e(
            new TGraphSubfocusEvent(static_cast<IGraphView*>(this), 1, State->FNode.Get()));
        if (!PreProcessSubfocusEvent(e.Get())) return;
    }
    IGraphLocation* node = State->FNode.Get();
    if (TNodeState* old = FSubfocus) {
        if (!FSelectAnchor) FSelectAnchor = State;
        FLastSubfocus = old;
        FSubfocus = State;
        if (Flags.Contains(sfClear)) {
            FSelection->EnableSelectionEvents(false);
            FSelection->RemoveAll();
        }
        if (Flags.Contains(sfAddItem)) FSelection->Add(node);
        if (Flags.Contains(sfToggleItem)) {
            if (FSelection->Contains(node))
                FSelection->Remove(node);
            else
                FSelection->Add(node);
        }
        if (Flags.Contains(sfResetAnchor)) FSelectAnchor = State;
        if (Flags.Contains(sfClear)) {
            FSelection->EnableSelectionEvents(true);
            RepaintSelection();
        }
        ScrollView(State, nullptr);
        RepaintNode(old);
        RepaintNode(State);
    } else {
        FLastSubfocus = nullptr;
        FSubfocus = FSelectAnchor = State;
        if (Flags.Contains(sfClear)) FSelection->RemoveAll();
        if (Flags.Contains(sfAddItem)) FSelection->Add(node);
        ScrollView(State, nullptr);
    }
    FireSubfocusChanged(node);
}

// --- Editing ----------------------------------------------------------------------------------

bool TTreeView2::CanModify(IGraphLocation* Location) {
    if (IsReadOnly() || !Location) return false;
    return FWriteModel->CanModify(Location);
}

void TTreeView2::StartEdit2(TNodeState* State) {
    // Every way into an edit asks whether the node may be changed at all.
    if (!State || Dragging() || !FModel || !FViewManager || !FEditInPlace || FBatchMode) return;
    if (!CanModify(State->FNode.Get()) || FEditor) return;
    FEditorNode = State;
    if (State == FSubfocus) {
        FSelection->RemoveAll();
        FSelection->Add(State->FNode.Get());
    } else
        SetSubfocus2(State, TSelectFlags{sfClear, sfAddItem, sfResetAnchor});
    InterfacePtr<IInterface> data = FModel->Get(State->FNode.Get());
    InterfacePtr<IItemEditor> editor = FViewManager->GetEditor(State->FNode.Get(), data.Get(), {});
    FEditor = editor;
    if (!editor) {
        FEditorNode = nullptr;
        return;
    }
    if (TKomponent* c = editor->GetComponent()) {
        c->SetVisible(false);
        Add(c);
    }
    POINT at = GetScrollPosition();
    TRectangle bounds = State->FItemRect;
    bounds.Left -= at.x;
    bounds.Top -= at.y;
    editor->AddKeyListener(this);
    editor->AddKeyListener(FKeyMulticaster.Get());
    editor->StartEdit(data.Get(), bounds, this);
    if (auto* peer = dynamic_cast<TTextField*>(editor->GetComponent())) {
        peer->AddFocusListener(this);
        if (peer->CanFocus()) peer->SetFocus();
    }
    FEditClickPoint = POINT{0, 0};
}

void TTreeView2::RemoveEditorComponent() {
    TKomponent* c = FEditor->GetComponent();
    if (!c) return;
    if (auto* peer = dynamic_cast<TTextField*>(c)) peer->RemoveFocusListener(this);
    const bool hadFocus = dynamic_cast<TWinControl*>(c) && static_cast<TWinControl*>(c)->Focused();
    c->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
    if (GetCurrentThreadId() == runpak::MainThreadID()) Remove(c);
}

void TTreeView2::EndEdit(bool Post) {
    FLockSubfocus = false;
    if (FEndingEdit || !FEditor) return;
    FEndingEdit = true;
    bool written = false;
    try {
        const bool ok = Post ? FEditor->CanPost() : true;
        if (Post && !ok) {
            FEndingEdit = false;
            return;
        }
        InterfacePtr<IItemEditor> editor = FEditor;
        if (Post && FEditorNode && FWriteModel) {
            InterfacePtr<IInterface> value = editor->GetValue();
            FWriteModel->Put(FEditorNode->FNode.Get(), value.Get());
            written = true;
        }
        editor->EndEdit(Post);
        editor->RemoveKeyListener(this);
        editor->RemoveKeyListener(FKeyMulticaster.Get());
        RemoveEditorComponent();
        if (FEditorNode) UpdateSubtree(FEditorNode);
        FEditorNode = nullptr;
        FEditClickPoint = POINT{0, 0};
        FEditor = nullptr;
        if (HandleAllocated()) PostMessageW(GetHandle(), WM_TREEVIEW_ENDEDIT, 1, 0);
    } catch (...) {
        if (!written) FLockSubfocus = true;
        FEndingEdit = false;
        throw;
    }
    FEndingEdit = false;
}

void TTreeView2::CancelEdit() {
    if (FEndingEdit || !FEditor) return;
    InterfacePtr<IItemEditor> editor = FEditor;
    editor->EndEdit(false);
    editor->RemoveKeyListener(this);
    editor->RemoveKeyListener(FKeyMulticaster.Get());
    RemoveEditorComponent();
    FEditorNode = nullptr;
    FEditClickPoint = POINT{0, 0};
    FEditor = nullptr;
}

void TTreeView2::FireActionEvent() {
    UnicodeString text;
    if (FModel && FSubfocus)
        if (InterfacePtr<IInterface> data = FModel->Get(FSubfocus->FNode.Get()))
            if (InterfacePtr<IStringObject> s; Supports(data.Get(), s)) text = s->GetString();
    InterfacePtr<IActionEvent> e(new TActionEvent(UnknownOf(this), ACTION_PERFORMED, text));
    ProcessActionEvent(e.Get());
}

void TTreeView2::TimedClick() {
    ftimer->SetEnabled(false);
    if (FHasFocus && FSubfocus && CanModify(FSubfocus->FNode.Get())) StartEdit2(FSubfocus);
}

void TTreeView2::ProcessTreeEvent(ITreeEvent* E) {
    if (E->GetId() == TREE_NODE_EXPANDED && OnNodeExpanded) OnNodeExpanded(E);
    if (E->GetId() == TREE_NODE_COLLAPSED && OnNodeCollapsed) OnNodeCollapsed(E);
    InterfacePtr<IDispatchableEvent> d;
    if (FTreeListeners.HasListeners() && Supports(E, d)) FTreeListeners.Dispatch(d.Get());
}

// --- Keys -------------------------------------------------------------------------------------

TSelectFlags TTreeView2::KeyFlags(IInputEvent* E) {
    if (FMultiSelect && E->IsShiftDown()) return TSelectFlags{sfAddItem};
    if (FMultiSelect && E->IsControlDown()) return TSelectFlags{sfResetAnchor};
    return TSelectFlags{sfClear, sfAddItem, sfResetAnchor};
}

void TTreeView2::MoveTo(TNodeState* Target, IInputEvent* E) {
    if (Target) SetSubfocus2(Target, KeyFlags(E));
}

void TTreeView2::ProcessKeyPressed(IKeyEvent* E) {
    TScrollPane::ProcessKeyPressed(E);
    if (!FModel) return;
    HandleKey(E);
}

void TTreeView2::HandleKey(IKeyEvent* E) {
    if (!FSubfocus) {
        if (!FModel->GetRoot()) return;
        SetSubfocus(GetFirst().Get());
        if (!FSubfocus) {
            FSubfocus = FFirstNode;
            FLastSubfocus = nullptr;
        }
        if (!FSubfocus) return;
    }
    TNodeState* s = FSubfocus;
    switch (E->GetKeyCode()) {
    case VK_RETURN:
        if (!E->IsControlDown() || FEditor)
            FireActionEvent();
        else if (CanModify(s->FNode.Get()))
            StartEdit2(s);
        else
            FireActionEvent();
        break;
    case VK_SPACE:
        if (E->IsShiftDown() || E->IsAltDown()) return;
        if (E->IsControlDown() && FSelection->Contains(s->FNode.Get()))
            FSelection->Remove(s->FNode.Get());
        else {
            if (!FMultiSelect) FSelection->RemoveAll();
            FSelection->Add(s->FNode.Get());
        }
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        if (FLineCount == 0) return;
        const int rowHeight = FCanvasHeight / FLineCount;
        // Rows of no height still move one row: never a division by zero.
        const int rows = rowHeight > 0 ? std::max(1, GetClientHeight() / rowHeight - 1) : 1;
        TNodeState* t = s;
        for (int i = 0; i < rows; ++i) {
            TNodeState* n = E->GetKeyCode() == VK_PRIOR ? t->FPrevVisible : t->FNextVisible;
            if (!n || n->FLevel < 0) break;
            t = n;
        }
        MoveTo(t, E);
        break;
    }
    case VK_END:
        MoveTo(HitTestLine(FLineCount - 1), E);
        break;
    case VK_HOME:
        MoveTo(HitTestLine(0), E);
        break;
    case VK_LEFT:
        if (!s->FExpanded || !s->HasChildren()) {
            TNodeState* parent = GetViewState(s->FNode->GetParent().Get());
            if (parent && parent->FLevel >= 0) MoveTo(parent, E);
        } else
            ExpandNode(s, false, true);
        break;
    case VK_UP:
        if (s->FPrevVisible && s->FPrevVisible->FLevel >= 0) MoveTo(s->FPrevVisible, E);
        break;
    case VK_RIGHT:
        if (s->FExpanded && s->HasChildren())
            MoveTo(s->FNextVisible, E);
        else if (!s->FExpanded && s->HasChildren())
            ExpandNode(s, true, true);
        break;
    case VK_DOWN:
        MoveTo(s->FNextVisible, E);
        break;
    case VK_ADD:
        if (!s->FExpanded && s->HasChildren()) ExpandNode(s, true, true);
        break;
    case VK_SUBTRACT:
        if (s->FExpanded) ExpandNode(s, false, true);
        break;
    case VK_MULTIPLY:
        if (s->HasChildren()) ExpandAll(s->FNode.Get());
        break;
    case VK_F2:
        if (!FEditor && CanModify(s->FNode.Get())) StartEdit2(s);
        break;
    default:
        return;
    }
    E->Consume();
}

void TTreeView2::ProcessKeyTyped(IKeyEvent* E) {
    TScrollPane::ProcessKeyTyped(E);
    const char16_t ch = E->GetKeyChar();
    const bool starts = ch > u'/' || (ch != 0 && ch != 9 && ch != 10 && ch != 13 && ch != 27 &&
                                      ch != u' ' && ch != u'*' && ch != u'+' && ch != u'-');
    if (FEditor || !FAutoEdit || E->IsConsumed() || IsReadOnly() || !starts || E->IsAltDown() ||
        E->IsControlDown() || !FSubfocus || !CanModify(FSubfocus->FNode.Get()))
        return;
    StartEdit2(FSubfocus);
    if (!FEditor) return;
    // The typed character becomes the editor's first input.
    if (auto* field = dynamic_cast<TTextField*>(FEditor->GetComponent())) {
        field->SetText(UnicodeString(1, ch));
        field->SetSelStart(1);
        field->DispatchEvent(E);
    }
}

void TTreeView2::KeyPressed(IKeyEvent* E) {
    switch (E->GetKeyCode()) {
    case VK_RETURN:
        EndEdit(true);
        if (!FLockSubfocus) {
            E->Consume();
            FireActionEvent();
        }
        break;
    case VK_ESCAPE:
        EndEdit(false);
        E->Consume();
        break;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
        EndEdit2();
        if (!FEditor) HandleKey(E);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (E->IsControlDown()) {
            EndEdit2();
            if (!FEditor) HandleKey(E);
        }
        break;
    }
}

bool TTreeView2::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TScrollPane::DoMouseWheelDown(Shift, MousePos)) return true;
    if (Shift.Contains(ssCtrl))
        SendMessageW(GetHandle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    else if (Shift.Contains(ssShift)) {
        InterfacePtr<IKeyEvent> e(
            new IDEUIEvent::TKeyEvent(this, KEY_PRESSED, Now(), 0, VK_DOWN, 0));
        ProcessKeyPressed(e.Get());
    } else {
        const UINT lines = WheelScrollLines();
        if (lines == WHEEL_PAGESCROLL) // "a page per notch", not four billion lines
            SendMessageW(GetHandle(), WM_VSCROLL, SB_PAGEDOWN, 0);
        else
            for (UINT i = 0; i < lines; ++i)
                SendMessageW(GetHandle(), WM_VSCROLL, SB_LINEDOWN, 0);
    }
    return true;
}

bool TTreeView2::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TScrollPane::DoMouseWheelUp(Shift, MousePos)) return true;
    if (Shift.Contains(ssCtrl))
        SendMessageW(GetHandle(), WM_VSCROLL, SB_PAGEUP, 0);
    else if (Shift.Contains(ssShift)) {
        InterfacePtr<IKeyEvent> e(new IDEUIEvent::TKeyEvent(this, KEY_PRESSED, Now(), 0, VK_UP, 0));
        ProcessKeyPressed(e.Get());
    } else {
        const UINT lines = WheelScrollLines();
        if (lines == WHEEL_PAGESCROLL) // "a page per notch", not four billion lines
            SendMessageW(GetHandle(), WM_VSCROLL, SB_PAGEUP, 0);
        else
            for (UINT i = 0; i < lines; ++i)
                SendMessageW(GetHandle(), WM_VSCROLL, SB_LINEUP, 0);
    }
    return true;
}

// --- Mouse ------------------------------------------------------------------------------------

namespace {
// The system's lines per wheel notch; a failing query falls back to the
// desktop's default of three.
UINT WheelScrollLines() {
    UINT lines = 0;
    if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) return 3;
    return lines;
}
bool RightButton(IMouseEvent* E) {
    return E->GetModifiers() & 4;
}
} // namespace

void TTreeView2::ProcessMousePressed(IMouseEvent* E) {
    const bool hadFocus = FHasFocus;
    FHasFocus = true;
    ftimer->SetEnabled(false);
    feditlocation = nullptr;
    TScrollPane::ProcessMousePressed(E);
    POINT at = GetScrollPosition();
    const int y = E->GetY() + at.y, x = E->GetX() + at.x;
    TNodeState* row = HitTestY(y);
    if (!row) return;
    FDoubleClicked = E->GetClickCount() == 2;
    if (!FSubfocus) SetSubfocus(row->FNode.Get());
    const int hit = row->HitTest(x, y);
    if (hit == 1) {
        if (FEditor) {
            if (row == FEditorNode) return;
            EndEdit2();
        }
        if (row == FSubfocus) {
            if (FDoubleClicked && !RightButton(E))
                FireActionEvent();
            else if (E->IsShiftDown() || E->IsControlDown() || E->IsAltDown()) {
                if (!RightButton(E) && FMultiSelect && E->IsControlDown() && !E->IsShiftDown()) {
                    if (FSelection->Contains(row->FNode.Get()))
                        FSelection->Remove(row->FNode.Get());
                    else
                        FSelection->Add(row->FNode.Get());
                }
            } else {
                if ((hadFocus && !FSelection->Contains(row->FNode.Get())) || !hadFocus) {
                    FSelection->RemoveAll();
                    FSelection->Add(row->FNode.Get());
                }
                if (hadFocus && CanModify(row->FNode.Get())) feditlocation = row;
            }
        }
        TSelectFlags flags = TSelectFlags{sfClear, sfAddItem, sfResetAnchor};
        if (FMultiSelect && E->IsShiftDown())
            flags = TSelectFlags{sfAddItem};
        else if (FMultiSelect && E->IsControlDown())
            flags = TSelectFlags{sfToggleItem, sfResetAnchor};
        SetSubfocus2(row, flags);
    } else if (hit == 2 && !RightButton(E)) {
        const bool collapse = row->FExpanded;
        ExpandNode(row, !row->FExpanded, true);
        if (collapse && FSubfocus && FSubfocus != row &&
            FSubfocus->IsDescendentOf(row->FNode.Get()))
            SetSubfocus2(row, TSelectFlags{sfClear, sfAddItem, sfResetAnchor});
        SendMessageW(GetHandle(), WM_LBUTTONUP, 0, LPARAM(-1));
    }
}

void TTreeView2::ProcessMouseReleased(IMouseEvent* E) {
    TScrollPane::ProcessMouseReleased(E);
    if (RightButton(E)) return;
    POINT at = GetScrollPosition();
    const int y = E->GetY() + at.y, x = E->GetX() + at.x;
    TNodeState* row = HitTestY(y);
    if (!row || row->HitTest(x, y) != 1) return;
    if (row == FLastSubfocus && !FDoubleClicked && !E->IsControlDown() && !E->IsShiftDown() &&
        CanModify(row->FNode.Get()) && row == feditlocation) {
        feditlocation = nullptr;
        FEditClickPoint = POINT{x, y};
        ftimer->SetEnabled(true);
    }
    FLastSubfocus = FSubfocus;
}

void TTreeView2::ProcessMouseDragged(IMouseEvent* E) {
    TScrollPane::ProcessMouseDragged(E);
    if (!FDragSubfocus || RightButton(E)) return;
    TSelectFlags flags =
        E->IsControlDown() ? TSelectFlags{sfResetAnchor} : TSelectFlags{sfClear, sfAddItem};
    SetSubfocus2(HitTestY(E->GetY() + GetScrollPosition().y), flags);
}

void TTreeView2::ProcessDragEntered(IDragEvent* E) {
    FDraggingOver = true;
    RepaintNode(FSubfocus);
    TScrollPane::ProcessDragEntered(E);
}

void TTreeView2::ProcessDragExited(IDragEvent* E) {
    if (FDragSelection) FDragSelection->RemoveAll();
    FDraggingOver = false;
    RepaintNode(FSubfocus);
    TScrollPane::ProcessDragExited(E);
}

// --- Focus ------------------------------------------------------------------------------------

void TTreeView2::ProcessFocusEvent(IFocusEvent* E) {
    TScrollPane::ProcessFocusEvent(E);
    if (E->GetID() == FOCUS_GAINED) {
        if (FEditor)
            if (auto* c = dynamic_cast<TWinControl*>(FEditor->GetComponent()); c && c->CanFocus())
                c->SetFocus();
        FHasFocus = true;
    } else if (E->GetID() == FOCUS_LOST && !FEditor)
        FHasFocus = false;
    if (FModel && !FSubfocus) SetSubfocus(GetFirst().Get());
    RepaintSelection();
    RepaintNode(FSubfocus);
}

void TTreeView2::FocusLost(IFocusEvent* E) {
    const bool had = FHasFocus;
    EndEdit2();
    // Focus that moved back into the view is no loss.
    if (had && !Focused()) {
        FHasFocus = false;
        RepaintSelection();
    }
}

// --- Model events -----------------------------------------------------------------------------

void TTreeView2::ModelContentChanged(IGraphModelEvent* E) {
    if (OnModelContentChanged) OnModelContentChanged(E);
    if (!FInitialized) return;
    TCanvas* c = GetSiteGraphics();
    if (!c) return;
    TNodeState* s = GetViewState(E->GetLocation().Get());
    if (!s) return;
    UpdateNodeRects(s, c);
    if (E->GetChange() == GRAPH_NODE_TOUCHED)
        RepaintToEnd(s);
    else
        RepaintNode(s);
    RecalcVisible(true);
}

void TTreeView2::ModelStructureChanged(IGraphModelEvent* E) {
    if (OnModelStructureChanged) OnModelStructureChanged(E);
    if (!FInitialized) return;
    InterfacePtr<IGraphLocation> loc = E->GetLocation();
    TCanvas* c = GetSiteGraphics();
    switch (E->GetChange()) {
    case 2: {
        UpdateViewState();
        std::function<void(TNodeState*)> open = [&](TNodeState* s) {
            if (!s) return;
            const bool forced = s->FLevel < 0 || (s->FLevel == 0 && !FShowRootLines);
            if (ShouldExpandLoc(s->FNode.Get()) ||
                (forced && (s->FExpanded || s->FNode->HasChildren() == tsYes))) {
                if (!s->FExpanded && s->HasChildren()) {
                    s->FExpanded = true;
                    UpdateSubtree(s);
                }
            }
            if (!s->FExpanded) return;
            InterfacePtr<IInterfaceList> children = s->FNode->GetChildren();
            for (int i = 0, n = children ? children->GetCount() : 0; i < n; ++i) {
                InterfacePtr<IGraphLocation> child;
                if (Supports(children->Get(i).Get(), child)) open(GetViewState(child.Get()));
            }
        };
        open(FRootNode);
        UpdateNodeRects(FRootNode, c);
        RepaintNodes();
        if (FHasFocus && FModel && !FSubfocus) SetSubfocus(GetFirst().Get());
        break;
    }
    case GRAPH_NODE_ADDED: {
        UpdateViewState();
        TNodeState* s = loc ? GetViewState(loc->GetParent().Get()) : nullptr;
        if (!s) s = FFirstNode;
        if (s && ShouldExpandNode(s) && !s->FExpanded && ShouldExpandLoc(s->FNode.Get()) &&
            s->FNode->HasChildren() == tsYes) {
            ExpandNode(s, true, true);
            break;
        }
        UpdateNodeRects(s, c);
        RepaintToEnd(s);
        break;
    }
    case GRAPH_NODE_REMOVED: {
        PendingRecalcVisible();
        TNodeState* removed = GetViewState(loc.Get());
        if (removed && removed == FEditorNode) {
            CancelEdit();
            FEditorNode = nullptr;
        }
        TNodeState* candidate = nullptr;
        bool under = false, wasSubfocus = false;
        if (removed) {
            if (removed->FNextVisible && removed->FNextVisible->FLevel == removed->FLevel)
                candidate = removed->FNextVisible;
            else if (removed->FPrevVisible && removed->FPrevVisible->FLevel >= 0)
                candidate = removed->FPrevVisible;
            else
                candidate = FFirstNode != removed ? FFirstNode : nullptr;
            if (removed == FFirstNode && !candidate) {
                FSubfocus = nullptr;
                FSelection->Remove(loc.Get());
            }
            wasSubfocus = FSubfocus == removed;
            under = FSubfocus && FSubfocus->IsDescendentOf(loc.Get());
        }
        InterfacePtr<IGraphLocation> candidateLoc = candidate ? candidate->FNode : nullptr;
        InterfacePtr<IGraphLocation> oldSubfocus = FSubfocus ? FSubfocus->FNode : nullptr;
        UpdateViewState();
        // A state that the rebuild did not reach is gone for the view, even
        // while the removed node still answers its data.
        candidate = GetViewState(candidateLoc.Get());
        if (!candidate || !candidate->FInUse) candidate = FFirstNode;
        if (oldSubfocus && !FSubfocus) {
            FSelection->Remove(oldSubfocus.Get());
            if (wasSubfocus || under)
                SetSubfocus2(candidate, TSelectFlags{sfClear, sfAddItem, sfResetAnchor});
            else
                SetSubfocus2(FFirstNode, TSelectFlags{sfAddItem, sfResetAnchor});
        }
        UpdateNodeRects(candidate, c);
        RepaintNodes();
        break;
    }
    case GRAPH_NODE_REPLACED:
        UpdateViewState();
        UpdateNodeRects(GetViewState(loc.Get()), c);
        break;
    default:
        UpdateViewState();
        UpdateNodeRects(FRootNode, c);
        break;
    }
    RecalcVisible(true);
}

// --- Messages ---------------------------------------------------------------------------------

int32_t TTreeView2::FindLineByText(const std::u16string& Text, bool CaseSensitive) {
    if (!FInitialized || !FModel) return -1;
    InterfacePtr<IGraphLocation> root = FModel->GetRoot();
    if (!root) return -1;
    int32_t line = FShowRoot ? 0 : -1;
    int32_t found = -1;
    std::function<bool(IGraphLocation*, bool)> walk = [&](IGraphLocation* n, bool counted) {
        if (counted) {
            if (InterfacePtr<IInterface> data = FModel->Get(n))
                if (InterfacePtr<IStringObject> s; Supports(data.Get(), s)) {
                    UnicodeString t = s->GetString();
                    int cmp = CaseSensitive ? AnsiCompareStr(t, Text) : AnsiCompareText(t, Text);
                    if (cmp == 0) {
                        found = line;
                        return true;
                    }
                }
        }
        InterfacePtr<IInterfaceList> children = n->GetChildren();
        for (int i = 0, c = children ? children->GetCount() : 0; i < c; ++i) {
            InterfacePtr<IGraphLocation> child;
            if (!Supports(children->Get(i).Get(), child)) continue;
            ++line;
            if (walk(child.Get(), true)) return true;
        }
        return false;
    };
    walk(root.Get(), FShowRoot);
    return found;
}

void TTreeView2::WndProc(TMessage& Message) {
    if (Message.Msg == DeferRecalcVisibleMsg()) {
        RecalcVisible1(FShouldValidate);
        return;
    }
    switch (Message.Msg) {
    case WM_COPYDATA: {
        Message.Result = -1;
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(Message.LParam);
        if (!cds || cds->cbData == 0 || !cds->lpData) return;
        // The text ends at its terminator or at the end of the buffer,
        // whichever comes first: nothing past cbData is read.
        const auto* p = static_cast<const char16_t*>(cds->lpData);
        size_t n = cds->cbData / sizeof(char16_t), len = 0;
        while (len < n && p[len])
            ++len;
        Message.Result = FindLineByText(std::u16string(p, len), cds->dwData != 0);
        return;
    }
    case CM_HINTSHOW:
        CMHintShow(Message);
        return;
    case CM_HINTSHOWPAUSE:
        // A cut-off item's hint shows at once.
        if (auto* pause = reinterpret_cast<int*>(Message.LParam)) *pause = 0;
        return;
    case WM_TREEVIEW_ENDEDIT: {
        RenewEditor();
        if (InterfacePtr<IEditListener> l; FModel && Supports(FModel.Get(), l))
            l->EditEnded(Message.WParam == 1);
        return;
    }
    }
    TScrollPane::WndProc(Message);
}

void TTreeView2::CMHintShow(TMessage& Message) {
    TScrollPane::WndProc(Message);
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    if (!info) return;
    info->HintData = this;
    const POINT at = GetScrollPosition();
    TNodeState* row = HitTestY(info->CursorPos.y + at.y);
    if (!row) return;
    const TRectangle& r = row->FItemRect;
    const TRect item = Bounds(r.Left - at.x, r.Top - at.y, r.Width, r.Height);
    UnicodeString text;
    if (InterfacePtr<IInterface> data = FModel ? FModel->Get(row->FNode.Get()) : nullptr)
        if (InterfacePtr<IStringObject> s; Supports(data.Get(), s)) text = s->GetString();
    const TRect client = GetClientRect();
    const bool inside = item.left >= client.left && item.top >= client.top &&
                        item.right <= client.right && item.bottom <= client.bottom;
    if (!item.Contains(info->CursorPos) || inside || text.empty()) {
        info->HintStr.clear();
        return;
    }
    info->CursorRect = item;
    const TPoint screen = ClientToScreen(item.TopLeft());
    info->HintPos = TPoint(screen.x + 19, screen.y - 2);
    info->HintWindowClass = [](TComponent* AOwner) -> THintWindow* {
        return new TTreeViewHintWindow(AOwner);
    };
    info->HideTimeout = INT_MAX;
    info->HintStr = text;
}

void TTreeViewHintWindow::ActivateHintData(TRect Rect, const UnicodeString& Hint, void* Data) {
    auto* control = static_cast<TWinControl*>(Data);
    FControl = control && control->HandleAllocated() ? control->GetHandle() : nullptr;
    THintWindow::ActivateHintData(Rect, Hint, Data);
}

bool TTreeViewHintWindow::IsHintMsg(const MSG& Msg) {
    switch (Msg.message) {
    case WM_CHAR:
    case WM_COMMAND:
    case WM_NCMOUSEMOVE:
    case CM_ACTIVATE:
    case CM_DEACTIVATE:
    case CM_BASE + 0x16:
    case CM_BASE + 0x17:
        return true;
    default:
        break;
    }
    const HWND capture = GetCapture();
    return FControl && capture && capture != FControl;
}

void TTreeView2::RenewEditor() {
    if (!FViewManager) return;
    InterfacePtr<IItemEditor> fresh(new TExpandingTextItemEditor);
    FViewManager->ClearEditor(fresh.Get());
}
