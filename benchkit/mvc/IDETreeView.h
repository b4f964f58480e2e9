// TTreeView2 shows a graph model as an indented tree in a scroll pane. It
// keeps one TNodeState per model node it has met (in a hash table keyed by
// the node), derives the shown rows, their rectangles and the tree lines
// from them, and asks the view manager for each item's painter and editor.
// The view never stores the model's data: it asks and caches geometry only.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEGraphImpl.h"
#include "benchkit/mvc/IDEItemEditors.h"
#include "benchkit/mvc/IDEUtil2.h"
#include "benchkit/mvc/IDEView.h"

#include <quorlpak/HintWindow.h>
#include <quorlpak/Timer.h>

class TTreeView2;

enum TNodeFlag { nfNoBoxRect, nfNoItemRect };
using TNodeFlags = TSet<TNodeFlag, 8>;

enum TTreeViewStyle { tvsPluses, tvsArrows };

struct INodeState : virtual IInterface {
    static constexpr InterfaceID<INodeState> IID_{"{89F57332-0795-11D1-9ADF-0000C0091B45}"};
    virtual class TNodeState* Ptr() = 0;

protected:
    ~INodeState() = default;
};

class TNodeState : public TInterfacedObject, public INodeState {
public:
    TNodeState(TTreeView2* View, bool Expanded, int32_t Level, IGraphLocation* Location);
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TNodeState* Ptr() override { return this; }
    void Update(int32_t Level) {
        FLevel = Level;
        FInUse = true;
    }
    bool HasChildren() { return FNode->HasChildren() != tsNo; }
    // The next sibling of the node, or nil.
    InterfacePtr<IGraphLocation> GetNextSibling();
    // True when the node is Location or lies under it.
    bool IsDescendentOf(IGraphLocation* Location);
    // 1 in the item, 2 in the box of a node with children, else 0 (canvas coordinates).
    int HitTest(int X, int Y);

    TTreeView2* FCore;
    bool FExpanded;
    bool FSelected = false;
    InterfacePtr<IGraphLocation> FNode;
    int32_t FLevel;
    int32_t FLineNumber = 0;
    TRectangle FBoxRect{};
    TRectangle FItemRect{};
    TNodeState* FPrevVisible = nullptr;
    TNodeState* FNextVisible = nullptr;
    bool FInUse = true;
    TNodeFlags FNodeFlags{nfNoBoxRect, nfNoItemRect};
};

struct ITreeEvent : virtual IDispatchableEvent {
    static constexpr InterfaceID<ITreeEvent> IID_{"{A32F2E74-07B5-11D1-AE96-0020AF32BB01}"};
    virtual int32_t GetId() = 0;
    virtual InterfacePtr<IGraphLocation> GetLocation() = 0;

protected:
    ~ITreeEvent() = default;
};

struct ITreeListener : virtual IEventListener {
    static constexpr InterfaceID<ITreeListener> IID_{"{A32F2E73-07B5-11D1-AE96-0020AF32BB01}"};
    virtual void NodeExpanded(ITreeEvent* E) = 0;
    virtual void NodeCollapsed(ITreeEvent* E) = 0;

protected:
    ~ITreeListener() = default;
};

// Told when an in-place edit has ended (the argument: it was posted).
struct IEditListener : virtual IInterface {
    static constexpr InterfaceID<IEditListener> IID_{"{77173FE3-003A-11D2-B9A0-00C04FB17609}"};
    virtual void EditEnded(bool Posted) = 0;

protected:
    ~IEditListener() = default;
};

enum : int32_t { TREE_NODE_EXPANDED = 1000, TREE_NODE_COLLAPSED = 1001 };
// Posted to the view after every completed edit (wParam 1).
constexpr UINT WM_TREEVIEW_ENDEDIT = 0x0400 + 100;

class TTreeEvent : public TDispatchableEvent, public virtual ITreeEvent {
public:
    TTreeEvent(IInterface* Source, int32_t Id, IGraphLocation* Node)
        : TDispatchableEvent(Source), FId(Id), FNode(Node) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int32_t GetId() override { return FId; }
    InterfacePtr<IGraphLocation> GetLocation() override { return FNode; }
    void Dispatch(IEventListener* Listener) override;

private:
    int32_t FId;
    InterfacePtr<IGraphLocation> FNode;
};

using TOnGraphModelEvent = std::function<void(IGraphModelEvent* E)>;
using TOnGraphSubfocusEvent = std::function<void(IGraphSubfocusEvent* E)>;
using TOnGraphSelectionEvent = std::function<void(IGraphSelectionEvent* E)>;
using TOnTreeEvent = std::function<void(ITreeEvent* E)>;

// One object behind two interface pointers: every interface shares one
// IUnknown base, so the pointers to it are equal.
inline bool SameObject(IUnknown* A, IUnknown* B) {
    return A == B;
}

// Repaints the rows whose drag-selection membership changed.
class TGraphDragSelectionManager : public TInterfacedObject, public IGraphSelectionListener {
public:
    explicit TGraphDragSelectionManager(TTreeView2* View) : FView(View) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void SelectionItemChanged(IGraphSelectionEvent* E) override;
    void SelectionChanged(IGraphSelectionEvent* E) override;

private:
    TTreeView2* FView;
};

// Shows the whole text of an item that the view cuts off.
class TTreeViewHintWindow : public THintWindow {
public:
    using THintWindow::THintWindow;
    void ActivateHintData(TRect Rect, const UnicodeString& Hint, void* Data) override;
    // Characters, commands and another window's capture end the hint; key
    // presses and plain mouse moves do not.
    bool IsHintMsg(const MSG& Msg) override;

private:
    HWND FControl = nullptr;
};

class TTreeView2 : public TScrollPane,
                   public IGraphView,
                   public IItemEditSite,
                   public IGraphSubfocusListener,
                   public IGraphModelListener,
                   public IGraphSelectionListener,
                   public IFocusListener,
                   public IKeyListener,
                   public IBatchUpdate {
public:
    explicit TTreeView2(TComponent* AOwner);
    ~TTreeView2() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TScrollPane::AddRef(); }
    ULONG Release() noexcept override { return TScrollPane::Release(); }

    // --- IGraphView ---
    InterfacePtr<IGraphModel> GetModel() override { return FModel; }
    void SetModel(IGraphModel* Model) override;
    InterfacePtr<IWritableGraphModel> GetWriteModel() override;
    void AddModelListener(IGraphModelListener* L) override { FModelMulticaster->Add(L); }
    void RemoveModelListener(IGraphModelListener* L) override { FModelMulticaster->Remove(L); }
    bool IsReadOnly() override { return FReadOnly || !FWriteModel; }
    void SetReadOnly(bool Value) override { FReadOnly = Value; }
    InterfacePtr<IGraphViewManager> GetViewManager() override { return FViewManager; }
    void SetViewManager(IGraphViewManager* Value) override;
    InterfacePtr<IGraphLocation> GetSubfocus() override;
    void SetSubfocus(IGraphLocation* Location) override;
    void AddSubfocusListener(IGraphSubfocusListener* L) override { FSubfocusListeners.Add(L); }
    void RemoveSubfocusListener(IGraphSubfocusListener* L) override {
        FSubfocusListeners.Remove(L);
    }
    InterfacePtr<IWritableGraphSelection> GetSelection() override { return FSelection; }
    void SetSelection(IWritableGraphSelection* S) override;
    void AddSelectionListener(IGraphSelectionListener* L) override {
        FSelectionMulticaster->Add(L);
    }
    void RemoveSelectionListener(IGraphSelectionListener* L) override {
        FSelectionMulticaster->Remove(L);
    }
    InterfacePtr<IWritableGraphSelection> GetDragSelection() { return FDragSelection; }
    void SetDragSelection(IWritableGraphSelection* S);
    void AddDragSelectionListener(IGraphSelectionListener* L) { FDragSelectionMulticaster->Add(L); }
    void RemoveDragSelectionListener(IGraphSelectionListener* L) {
        FDragSelectionMulticaster->Remove(L);
    }

    // --- IItemPaintSite / IItemEditSite ---
    TColor GetBackground() override { return GetColor(); }
    TColor GetForeground() override { return GetFont()->GetColor(); }
    TFont* GetFont() override { return TControl::GetFont(); }
    TAlignmentSet GetAlignment() override { return FAlignment; }
    TInsets* GetItemMargins() override;
    void EndEdit(bool Post) override;
    POINT GetEditClickPoint() override { return FEditClickPoint; }
    TCanvas* GetSiteGraphics() override;

    // --- Listeners the view is ---
    void SubfocusChanging(IGraphSubfocusEvent* E) override {
        if (OnSubfocusChanging) OnSubfocusChanging(E);
    }
    void SubfocusChanged(IGraphSubfocusEvent* E) override {
        if (OnSubfocusChanged) OnSubfocusChanged(E);
    }
    void ModelStructureChanged(IGraphModelEvent* E) override;
    void ModelContentChanged(IGraphModelEvent* E) override;
    void SelectionItemChanged(IGraphSelectionEvent* E) override;
    void SelectionChanged(IGraphSelectionEvent* E) override;
    void FocusGained(IFocusEvent* E) override {}
    void FocusLost(IFocusEvent* E) override;
    void KeyTyped(IKeyEvent* E) override {}
    void KeyPressed(IKeyEvent* E) override;
    void KeyReleased(IKeyEvent* E) override {}
    void BeginUpdate() override { TScrollPane::BeginUpdate(); }
    void EndUpdate() override { TScrollPane::EndUpdate(); }
    void AddKeyListener(IKeyListener* L) override { FKeyMulticaster->Add(L); }
    void RemoveKeyListener(IKeyListener* L) override { FKeyMulticaster->Remove(L); }
    void AddTreeListener(ITreeListener* L) { FTreeListeners.Add(L); }
    void RemoveTreeListener(ITreeListener* L) { FTreeListeners.Remove(L); }

    // --- Layout and painting ---
    virtual void Refresh();
    InterfacePtr<IGraphLocation> GetRoot();
    InterfacePtr<IGraphLocation> GetFirst();
    void Expand(IGraphLocation* Location);
    void Collapse(IGraphLocation* Location);
    void ExpandAll(IGraphLocation* Location);
    void ExpandChildNodes(IGraphLocation* Location, bool Scroll);
    void CollapseChildNodes(IGraphLocation* Location);
    bool IsExpanded(IGraphLocation* Location);
    // The location under a client point, or nil.
    InterfacePtr<IGraphLocation> HitTest(int X, int Y);
    TNodeState* HitTestY(int Y);
    TNodeState* HitTestLine(int Line);
    TNodeState* GetViewState(IGraphLocation* Location);
    void RepaintNode(TNodeState* State);
    void RepaintNode2(IGraphLocation* Location) { RepaintNode(GetViewState(Location)); }
    void RepaintNodes();
    void RepaintToEnd(TNodeState* State);
    void RepaintSelection();
    void RepaintDragSelection();
    bool IsVisibleState(TNodeState* State);
    TItemState GetState(TNodeState* State);
    TDimension GetPreferredSize() override;
    int32_t GetLineCount() const { return FLineCount; }
    TDimension GetCanvasSize() const { return Dimension(FCanvasWidth, FCanvasHeight); }
    // Runs a queued layout now, if one is queued.
    void PendingRecalcVisible();

    // --- Subfocus, editing, actions ---
    void SetSubfocus2(TNodeState* State, TSelectFlags Flags);
    void StartEdit(IGraphLocation* Location) { StartEdit2(GetViewState(Location)); }
    virtual void StartEdit2(TNodeState* State);
    void EndEdit2() { EndEdit(FPostOnEndEdit); }
    void CancelEdit();
    bool IsEditing() const { return bool(FEditor); }
    InterfacePtr<IItemEditor> GetEditor() const { return FEditor; }
    bool CanModify(IGraphLocation* Location);
    void FireActionEvent();
    void TimedClick();
    void ProcessTreeEvent(ITreeEvent* E);

    // --- Properties ---
    bool GetSnapOrigin() const { return FSnapOrigin; }
    void SetSnapOrigin(bool V) { FSnapOrigin = V; }
    bool GetPostOnEndEdit() const { return FPostOnEndEdit; }
    void SetPostOnEndEdit(bool V) { FPostOnEndEdit = V; }
    bool GetShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool V) { FShowFocus = V; }
    bool GetShowRoot() const { return FShowRoot; }
    void SetShowRoot(bool V);
    bool GetShowRootLines() const { return FShowRootLines; }
    void SetShowRootLines(bool V);
    bool GetUniformHeight() const { return FUniformHeight; }
    void SetUniformHeight(bool V);
    bool GetExpandByDefault() const { return FExpandByDefault; }
    void SetExpandByDefault(bool V) { FExpandByDefault = V; }
    bool GetEditInPlace() const { return FEditInPlace; }
    void SetEditInPlace(bool V) { FEditInPlace = V; }
    bool GetAutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool V) { FAutoEdit = V; }
    bool GetDragSubfocus() const { return FDragSubfocus; }
    void SetDragSubfocus(bool V) { FDragSubfocus = V; }
    bool GetMultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool V);
    bool GetReadOnly() const { return FReadOnly; }
    bool GetHSnap() const { return FHSnap; }
    void SetHSnap(bool V) { FHSnap = V; }
    bool GetDoubleBuffer() const { return FBitmap != nullptr; }
    void SetDoubleBuffer(bool V);
    bool GetBatchMode() const { return FBatchMode; }
    void SetBatchMode(bool V);
    TTreeViewStyle GetStyle() const { return FStyle; }
    void SetStyle(TTreeViewStyle V);
    void SetAlignment(TAlignmentSet V) { FAlignment = V; }
    TInsets* GetMargins() const { return FItemMargins; }
    void SetItemMargins(TInsets* V);
    int32_t GetLeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int32_t V) { FLeftMargin = V; }
    int32_t GetTopMargin() const { return FTopMargin; }
    void SetTopMargin(int32_t V) { FTopMargin = V; }
    TDimension GetBoxSize() const { return FBoxSize; }
    void SetBoxSize(TDimension V);
    int32_t GetVgap() const { return FVgap; }
    void SetVgap(int32_t V);
    int32_t GetHIndent() const { return FHIndent; }
    void SetHIndent(int32_t V);
    int32_t GetItemOffset() const { return FItemOffset; }
    void SetItemOffset(int32_t V);

    TOnGraphModelEvent OnModelStructureChanged, OnModelContentChanged;
    TOnGraphSubfocusEvent OnSubfocusChanging, OnSubfocusChanged;
    TOnGraphSelectionEvent OnSelectionItemChanged, OnSelectionChanged;
    TOnTreeEvent OnNodeExpanded, OnNodeCollapsed;

protected:
    friend class TNodeState;
    friend class TGraphDragSelectionManager;

    bool HasLayoutContent() override { return true; }
    void WndProc(TMessage& Message) override;
    void Paint() override;
    virtual void Paint2(TCanvas* Canvas, POINT Origin);
    void AddNotify() override;
    void ProcessFocusEvent(IFocusEvent* E) override;
    void ProcessKeyPressed(IKeyEvent* E) override;
    void ProcessKeyTyped(IKeyEvent* E) override;
    void ProcessMousePressed(IMouseEvent* E) override;
    void ProcessMouseReleased(IMouseEvent* E) override;
    void ProcessMouseDragged(IMouseEvent* E) override;
    void ProcessDragEntered(IDragEvent* E) override;
    void ProcessDragExited(IDragEvent* E) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void CMHintShow(TMessage& Message);

    // Node-state cache.
    void PutViewState(IGraphLocation* Location, TNodeState* State);
    void UpdateViewState();
    void UpdateViewState2(IGraphLocation* Location, int32_t Level);
    void CleanViewState();
    bool ShouldExpandLoc(IGraphLocation* Location);
    bool ShouldExpandNode(TNodeState* State);
    void UpdateSubtree(TNodeState* State);
    // Layout.
    void Initialize(TCanvas* Canvas);
    int32_t RecalcVisible2(IGraphLocation* Location, int32_t Y);
    void RecalcVisible1(bool Validate);
    void RecalcVisible(bool Validate);
    void UpdateNodeRect(TNodeState* State, TCanvas* Canvas);
    void UpdateNodeRects(TNodeState* State, TCanvas* Canvas);
    bool ExpandNode(TNodeState* State, bool Expand, bool Scroll);
    void ScrollView(TNodeState* State, TNodeState* Last);
    void ScrollExpanded(TNodeState* State);
    // Painting.
    void PaintNode(TCanvas* Canvas, TNodeState* State, POINT Origin, int Delta);
    void PaintItem(TCanvas* Canvas, TNodeState* State, POINT Origin);
    void PaintBox(TCanvas* Canvas, TNodeState* State, POINT Origin);
    void PaintArrow(TCanvas* Canvas, TNodeState* State, POINT Origin);
    void PaintLink(TCanvas* Canvas, TNodeState* State, POINT Origin, int Delta);
    void PaintShortLink(TCanvas* Canvas, TNodeState* State, POINT Origin, int Delta);
    void PaintVLines(TCanvas* Canvas, TNodeState* State, POINT Origin, int Delta);
    void PaintDottedLine(TCanvas* Canvas, int X1, int Y1, int X2, int Y2, POINT Origin, int Delta);
    int LevelX(int32_t Level) const;
    // Input.
    TSelectFlags KeyFlags(IInputEvent* E);
    void HandleKey(IKeyEvent* E);
    void MoveTo(TNodeState* Target, IInputEvent* E);
    bool PreProcessSubfocusEvent(IGraphSubfocusEvent* E);
    void FireSubfocusChanged(IGraphLocation* Location);
    int32_t FindLineByText(const std::u16string& Text, bool CaseSensitive);
    void RemoveEditorComponent();
    // After an edit has ended: the view manager's editor is replaced by a
    // fresh default editor.
    virtual void RenewEditor();

    // Model side.
    InterfacePtr<IGraphModel> FModel;
    InterfacePtr<IWritableGraphModel> FWriteModel;
    InterfacePtr<IGraphViewManager> FViewManager;
    InterfacePtr<IWritableGraphSelection> FSelection;
    InterfacePtr<IWritableGraphSelection> FDragSelection;
    InterfacePtr<TGraphDragSelectionManager> FDragSelectionMgr;
    // Cache and rows.
    InterfacePtr<THashtable> FCache;
    TNodeState* FFirstNode = nullptr;
    TNodeState* FRootNode = nullptr;
    TNodeState* FLastCalc = nullptr;
    int32_t FLineCount = 0;
    int32_t FCanvasWidth = 0;
    int32_t FCanvasHeight = 0;
    int32_t FRepaintNodeTop = 0;
    bool FInitialized = false;
    bool FShouldValidate = false;
    InterfacePtr<IInterfaceList> FPresetExpandList;
    InterfacePtr<IInterfaceList> FPresetCollapseList;
    int32_t FUpdateCount = 0;
    // Interaction.
    TNodeState* FSubfocus = nullptr;
    TNodeState* FLastSubfocus = nullptr;
    TNodeState* FSelectAnchor = nullptr;
    TNodeState* feditlocation = nullptr;
    TNodeState* FEditorNode = nullptr;
    InterfacePtr<IItemEditor> FEditor;
    bool FEndingEdit = false;
    bool FLockSubfocus = false;
    bool FSubfocusChecked = false;
    POINT FEditClickPoint{0, 0};
    bool FHasFocus = false;
    bool FDraggingOver = false;
    bool FDoubleClicked = false;
    TTimer* ftimer;
    // Appearance.
    TTreeViewStyle FStyle = tvsPluses;
    TBitmap* FExpandedArrow = nullptr;  // owned; loaded for tvsArrows
    TBitmap* FContractedArrow = nullptr; // owned; loaded for tvsArrows
    TBitmap* FBitmap = nullptr;
    TAlignmentSet FAlignment{aLeft, aMiddle};
    TInsets* FItemMargins;
    int32_t FLeftMargin = 5;
    int32_t FTopMargin = 0;
    TDimension FBoxSize{9, 9};
    int32_t FVgap = 0;
    int32_t FHIndent = 19;
    int32_t FItemOffset = 14;
    bool FSnapOrigin = true, FPostOnEndEdit = true, FShowFocus = true, FShowRoot = true,
         FShowRootLines = true, FUniformHeight = true, FExpandByDefault = false,
         FEditInPlace = true, FAutoEdit = true, FDragSubfocus = true, FMultiSelect = true,
         FReadOnly = false, FHSnap = false, FBatchMode = false;
    // Listener lists.
    TEventMulticaster FTreeListeners;
    TEventMulticaster FSubfocusListeners;
    InterfacePtr<TKeyMulticaster> FKeyMulticaster;
    InterfacePtr<TGraphModelMulticaster> FModelMulticaster;
    InterfacePtr<TGraphSelectionMulticaster> FSelectionMulticaster;
    InterfacePtr<TGraphSelectionMulticaster> FDragSelectionMulticaster;
};

#pragma GCC visibility pop
