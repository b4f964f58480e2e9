// The IDEVirtualTrees unit: TBaseVirtualTree, the base of every tree and
// explorer control of the package.
//
// The tree stores no items of its own. It keeps fixed-layout node records,
// each at the start of one zero-filled block that continues with the
// internal data areas of descendants and the application's data. Nodes are
// made in bulk by counts and initialised only when first needed (OnInitNode,
// OnInitChildren). Every node carries the node count and pixel height of its
// subtree, so that positions are found without walking the whole tree; for
// large trees a sparse position cache, rebuilt by one worker thread shared
// by all trees, takes the rest of the walk away.
//
// Threads: everything runs on the GUI thread except the cache validation,
// which reads node links and heights and never initialises, measures, fires
// an event or calls a window. The GUI thread stops a running validation
// (InterruptValidation) before it changes anything the worker reads.
#pragma once

#include "benchkit/vtree/VirtualTreeOptions.h"
#include "benchkit/vtree/VirtualTreeTypes.h"

#include <quorlpak/CustomControl.h>
#include <runpak/ScopeGuard.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

struct TNodeChunk;
namespace vtree {
class TWorkerThread;
bool WorkerHolds(TBaseVirtualTree* Tree);
} // namespace vtree

// One entry of the position cache: a visible node and its top in pixels.
struct TCacheEntry {
    PVirtualNode Node;
    uint32_t AbsoluteTop;
};
using TCache = std::vector<TCacheEntry>;

// Every 2000th visible node gets a cache entry.
constexpr uint32_t CacheThreshold = 2000;

class TBaseVirtualTree : public TCustomControl {
public:
    using TOptionsFactory = TCustomVirtualTreeOptions* (*)(TBaseVirtualTree* Owner);

    explicit TBaseVirtualTree(TComponent* AOwner);
    ~TBaseVirtualTree() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void AfterConstruction();

    // --- Node properties -----------------------------------------------------------
    uint32_t GetChildCount(PVirtualNode Node) const;
    void SetChildCount(PVirtualNode Node, uint32_t NewChildCount);
    bool GetChildrenInitialized(PVirtualNode Node) const;
    bool GetExpanded(PVirtualNode Node) const;
    void SetExpanded(PVirtualNode Node, bool Value);
    bool GetHasChildren(PVirtualNode Node) const;
    void SetHasChildren(PVirtualNode Node, bool Value);
    bool GetVisible(PVirtualNode Node);
    void SetVisible(PVirtualNode Node, bool Value);
    bool GetFullyVisible(PVirtualNode Node) const;
    void SetFullyVisible(PVirtualNode Node, bool Value);
    bool GetVisiblePath(PVirtualNode Node) const;
    void SetVisiblePath(PVirtualNode Node, bool Value);
    bool GetDisabled(PVirtualNode Node) const;
    void SetDisabled(PVirtualNode Node, bool Value);
    bool GetMultiLine(PVirtualNode Node) const;
    void SetMultiLine(PVirtualNode Node, bool Value);
    int GetNodeHeight(PVirtualNode Node);
    void SetNodeHeight(PVirtualNode Node, int Value);
    PVirtualNode GetNodeParent(PVirtualNode Node) const;
    void SetNodeParent(PVirtualNode Node, PVirtualNode Value);
    uint8_t GetVerticalAlignment(PVirtualNode Node) const;
    void SetVerticalAlignment(PVirtualNode Node, uint8_t Value);
    uint32_t GetRootNodeCount() const;
    void SetRootNodeCount(uint32_t Value);
    // Initialises every node first (nothing is repainted meanwhile).
    uint32_t GetTotalCount();
    uint32_t GetVisibleCount() const { return FVisibleCount; }
    // The application's data of a node, or null (no data area, nil, the root).
    void* GetNodeData(PVirtualNode Node) const;
    template <class T> T* GetNodeData(PVirtualNode Node) const {
        return static_cast<T*>(GetNodeData(Node));
    }
    PVirtualNode GetRootNode() const { return FRoot; }

    // --- Tree properties --------------------------------------------------------------
    int GetNodeDataSize() const { return FNodeDataSize; }
    void SetNodeDataSize(int Value);
    uint32_t GetDefaultNodeHeight() const { return FDefaultNodeHeight; }
    void SetDefaultNodeHeight(uint32_t Value);
    uint32_t GetChangeDelay() const { return FChangeDelay; }
    void SetChangeDelay(uint32_t Value) { FChangeDelay = Value; }
    TCustomVirtualTreeOptions* GetTreeOptions() const { return FOptions; }
    void SetTreeOptions(TCustomVirtualTreeOptions* Value) { FOptions->Assign(Value); }
    TVTColors* GetColors() const { return FColors; }
    void SetColors(TVTColors* Value) { FColors->Assign(Value); }
    TScrollBarOptions* GetScrollBarOptions() const { return FScrollBarOptions; }
    void SetScrollBarOptions(TScrollBarOptions* Value) { FScrollBarOptions->Assign(Value); }
    TClipboardFormats* GetClipboardFormats() const { return FClipboardFormats; }
    void SetClipboardFormats(TClipboardFormats* Value);
    TVTHeader* GetHeader() const { return FHeader; }
    uint32_t GetSelectedCount() const { return FSelectionCount; }
    PVirtualNode GetFocusedNode() const { return FFocusedNode; }
    TColumnIndex GetFocusedColumn() const { return FFocusedColumn; }
    int GetOffsetX() const { return FOffsetX; }
    int GetOffsetY() const { return FOffsetY; }
    int GetEffectiveOffsetX() const { return FEffectiveOffsetX; }
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The vertical content range: every visible row plus the bottom space.
    uint32_t GetContentHeight() const;

    // --- States ----------------------------------------------------------------------------
    // Readable from any thread; changed only on the GUI thread through DoStateChange.
    TVirtualTreeStates GetTreeStates() const {
        return TVirtualTreeStates::FromInt(FStates.load(std::memory_order_acquire));
    }
    bool HasState(TVirtualTreeState State) const {
        return (FStates.load(std::memory_order_acquire) >> unsigned(State)) & 1;
    }
    virtual void DoStateChange(TVirtualTreeStates Enter, TVirtualTreeStates Leave = {});

    // --- Structure -------------------------------------------------------------------------
    PVirtualNode AddChild(PVirtualNode Parent, void* UserData = nullptr);
    PVirtualNode InsertNode(PVirtualNode Node, TVTNodeAttachMode Mode, void* UserData = nullptr);
    void DeleteNode(PVirtualNode Node, bool Reindex = true);
    void DeleteChildren(PVirtualNode Node, bool ResetHasChildren = false);
    void MoveTo(PVirtualNode Source, PVirtualNode Target, TVTNodeAttachMode Mode,
                bool ChildrenOnly);
    void MoveTo(PVirtualNode Source, TBaseVirtualTree* Tree, TVTNodeAttachMode Mode,
                bool ChildrenOnly);
    PVirtualNode CopyTo(PVirtualNode Source, PVirtualNode Target, TVTNodeAttachMode Mode,
                        bool ChildrenOnly);
    PVirtualNode CopyTo(PVirtualNode Source, TBaseVirtualTree* Tree, TVTNodeAttachMode Mode,
                        bool ChildrenOnly);
    virtual void Clear();

    // --- Initialisation on demand -------------------------------------------------------
    void ReinitNode(PVirtualNode Node, bool Recursive);
    void ReinitChildren(PVirtualNode Node, bool Recursive);
    void ResetNode(PVirtualNode Node);
    void ValidateNode(PVirtualNode Node, bool Recursive);
    void ValidateChildren(PVirtualNode Node, bool Recursive);

    // --- Expanding -----------------------------------------------------------------------
    virtual void ToggleNode(PVirtualNode Node);
    virtual void FullExpand(PVirtualNode Node = nullptr);
    virtual void FullCollapse(PVirtualNode Node = nullptr);
    void MeasureItemHeight(TCanvas* Canvas, PVirtualNode Node);

    // --- Update brackets and notifications ----------------------------------------------
    void BeginUpdate();
    void EndUpdate();
    void BeginSynch();
    void EndSynch();
    int GetUpdateCount() const { return FUpdateCount; }

    // Checks every counter and link of the node model against the nodes
    // themselves; empty when all hold, else the first broken rule.
    std::string VerifyTree() const;

    // --- Navigation ----------------------------------------------------------------------
    PVirtualNode GetFirst();
    PVirtualNode GetFirstNoInit() const;
    PVirtualNode GetFirstInitialized() const;
    PVirtualNode GetFirstChild(PVirtualNode Node);
    PVirtualNode GetLastChild(PVirtualNode Node);
    PVirtualNode GetLastChildNoInit(PVirtualNode Node) const;
    PVirtualNode GetFirstVisibleChild(PVirtualNode Node);
    PVirtualNode GetFirstVisibleChildNoInit(PVirtualNode Node) const;
    PVirtualNode GetLastVisibleChild(PVirtualNode Node);
    PVirtualNode GetLastVisibleChildNoInit(PVirtualNode Node) const;
    PVirtualNode GetLast(PVirtualNode Node = nullptr);
    PVirtualNode GetLastNoInit(PVirtualNode Node = nullptr) const;
    PVirtualNode GetLastInitialized(PVirtualNode Node = nullptr) const;
    PVirtualNode GetLastVisible(PVirtualNode Node = nullptr);
    PVirtualNode GetLastVisibleNoInit(PVirtualNode Node = nullptr) const;
    PVirtualNode GetNext(PVirtualNode Node);
    PVirtualNode GetNextNoInit(PVirtualNode Node) const;
    PVirtualNode GetNextInitialized(PVirtualNode Node) const;
    PVirtualNode GetPrevious(PVirtualNode Node);
    PVirtualNode GetPreviousNoInit(PVirtualNode Node) const;
    PVirtualNode GetPreviousInitialized(PVirtualNode Node) const;
    PVirtualNode GetNextSibling(PVirtualNode Node);
    PVirtualNode GetPreviousSibling(PVirtualNode Node);
    PVirtualNode GetNextVisibleSibling(PVirtualNode Node);
    PVirtualNode GetPreviousVisibleSibling(PVirtualNode Node);
    PVirtualNode GetNextVisibleSiblingNoInit(PVirtualNode Node) const;
    PVirtualNode GetPreviousVisibleSiblingNoInit(PVirtualNode Node) const;
    PVirtualNode GetFirstVisible();
    PVirtualNode GetFirstVisibleNoInit() const;
    PVirtualNode GetNextVisible(PVirtualNode Node);
    PVirtualNode GetNextVisibleNoInit(PVirtualNode Node) const;
    PVirtualNode GetPreviousVisible(PVirtualNode Node);
    PVirtualNode GetPreviousVisibleNoInit(PVirtualNode Node) const;
    PVirtualNode GetVisibleParent(PVirtualNode Node) const;
    PVirtualNode GetFirstChecked(TCheckState State = csCheckedNormal);
    PVirtualNode GetNextChecked(PVirtualNode Node, TCheckState State = csCheckedNormal);
    PVirtualNode GetFirstSelected();
    PVirtualNode GetNextSelected(PVirtualNode Node);
    PVirtualNode GetFirstCutCopy();
    PVirtualNode GetNextCutCopy(PVirtualNode Node);
    uint32_t GetNodeLevel(PVirtualNode Node) const;
    uint32_t AbsoluteIndex(PVirtualNode Node);
    bool HasAsParent(PVirtualNode Node, PVirtualNode PotentialParent) const;
    bool HasVisibleNextSibling(PVirtualNode Node) const;
    bool IsFirstVisibleChild(PVirtualNode Parent, PVirtualNode Node) const;
    bool IsLastVisibleChild(PVirtualNode Parent, PVirtualNode Node) const;
    TNodeArray GetSortedSelection(bool Resolve);
    TNodeArray GetSortedCutCopySet(bool Resolve);
    PVirtualNode IterateSubtree(PVirtualNode Node, const TVTGetNodeProc& Callback, void* Data,
                                TVirtualNodeStates Filter = {}, bool DoInit = false,
                                bool ChildNodesOnly = false);
    // The node at the client's top left corner; writing expands its
    // ancestors and scrolls its row to the top.
    PVirtualNode GetTopNode();
    void SetTopNode(PVirtualNode Node);
    // The content position of a shown node's row, from the nearest cache entry.
    bool GetNodeTop(PVirtualNode Node, uint32_t& Top);
    // The node whose row covers content position Y (client position with
    // Relative), and that row's top; null below the last row.
    PVirtualNode GetNodeAt(int X, int Y);
    PVirtualNode GetNodeAt(int X, int Y, bool Relative, int& NodeTop);

    // --- Position cache --------------------------------------------------------------------
    virtual void ValidateCache();
    void InvalidateCache();
    // Stops a running validation of this tree and waits until the worker
    // has let go of it.
    void InterruptValidation();
    const TCache& GetPositionCache() const { return FPositionCache; }
    PVirtualNode FindInPositionCache(PVirtualNode Node, uint32_t& CurrentPos) const;
    PVirtualNode FindInPositionCache(uint32_t Position, uint32_t& CurrentPos) const;
    static int CompareNodePositions(PVirtualNode Node1, PVirtualNode Node2);
    static int CountLevelDifference(PVirtualNode Node1, PVirtualNode Node2);

    // --- Invalidation --------------------------------------------------------------------
    void InvalidateNode(PVirtualNode Node);
    void InvalidateChildren(PVirtualNode Node, bool Recursive);
    void InvalidateColumn(TColumnIndex Column);
    void InvalidateToBottom(PVirtualNode Node);
    void RepaintNode(PVirtualNode Node);
    void Invalidate() override;

    // --- Framework hooks ---------------------------------------------------------------------
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void Loaded() override;

    // --- Counters (other parts of the tree keep them too) ----------------------------------
    void AdjustTotalCount(PVirtualNode Node, int64_t Value, bool Relative = false);
    void AdjustTotalHeight(PVirtualNode Node, int64_t Value, bool Relative = false);
    void FixupTotalCount(PVirtualNode Node);
    void FixupTotalHeight(PVirtualNode Node);
    uint32_t CountVisibleChildren(PVirtualNode Node) const;
    void DetermineHiddenChildrenFlag(PVirtualNode Node);
    void DetermineHiddenChildrenFlagAllNodes();

    // --- Selection (the least that node life needs; selection proper grows later) --------
    virtual void ClearSelection();

    // --- Events ----------------------------------------------------------------------------
    TVTGetNodeDataSizeEvent OnGetNodeDataSize;
    TVTInitNodeEvent OnInitNode;
    TVTInitChildrenEvent OnInitChildren;
    TVTFreeNodeEvent OnFreeNode;
    TVTChangeEvent OnResetNode;
    TVTChangingEvent OnExpanding;
    TVTChangingEvent OnCollapsing;
    TVTChangeEvent OnExpanded;
    TVTChangeEvent OnCollapsed;
    TVTNodeMovingEvent OnNodeMoving;
    TVTNodeCopyingEvent OnNodeCopying;
    TVTChangeEvent OnNodeMoved;
    TVTChangeEvent OnNodeCopied;
    TVTMeasureItemEvent OnMeasureItem;
    TVTChangeEvent OnChange;
    TVTStructureChangeEvent OnStructureChange;
    TVTUpdatingEvent OnUpdating;
    TVTStateChangeEvent OnStateChange;
    TVTColumnClickEvent OnColumnClick;
    TVTColumnDblClickEvent OnColumnDblClick;
    TVTHeaderNotifyEvent OnColumnResize;
    TVTHeaderClickEvent OnHeaderClick;
    TVTHeaderClickEvent OnHeaderDblClick;
    TVTHeaderDraggedEvent OnHeaderDragged;
    TVTHeaderDraggedOutEvent OnHeaderDraggedOut;
    TVTHeaderDraggingEvent OnHeaderDragging;
    TVTHeaderPaintEvent OnHeaderDraw;
    TVTHeaderPaintQueryElementsEvent OnHeaderDrawQueryElements;
    TVTAdvancedHeaderPaintEvent OnAdvancedHeaderDraw;
    TVTHeaderMouseEvent OnHeaderMouseDown;
    TVTHeaderMouseEvent OnHeaderMouseUp;
    TVTHeaderMouseMoveEvent OnHeaderMouseMove;
    TVTGetHeaderCursorEvent OnGetHeaderCursor;

protected:
    friend class TCustomVirtualTreeOptions;
    friend class TVTColors;
    friend class TScrollBarOptions;
    friend class vtree::TWorkerThread;
    friend bool vtree::WorkerHolds(TBaseVirtualTree* Tree);

    // Descendants with options of their own pass a factory for them (the
    // options object is made before any descendant constructor runs).
    TBaseVirtualTree(TComponent* AOwner, TOptionsFactory MakeOptions);

    // --- Node memory --------------------------------------------------------------------
    PVirtualNode MakeNewNode();
    void FreeNodeBlock(PVirtualNode Node);
    void InitRootNode(uint32_t OldSize = 0);
    // Reserves Size bytes (rounded up to 4) per node for a descendant's own
    // data; answers the area's offset from the node's start. Call it in the
    // constructor, before any node exists.
    uint32_t AllocateInternalDataArea(uint32_t Size);
    virtual void* InternalData(PVirtualNode Node) { return nullptr; }
    virtual void ValidateNodeDataSize(int& Size);

    // --- Linking ----------------------------------------------------------------------------
    virtual void InternalConnectNode(PVirtualNode Node, PVirtualNode Destination,
                                     TVTNodeAttachMode Mode, TBaseVirtualTree* Target);
    virtual void InternalDisconnectNode(PVirtualNode Node, bool KeepFocus, bool Reindex = true);

    // --- Initialisation -------------------------------------------------------------------
    void InitNode(PVirtualNode Node);
    virtual void InitChildren(PVirtualNode Node);

    // --- Event dispatchers ----------------------------------------------------------------
    virtual void DoGetNodeDataSize(int& Size);
    virtual void DoInitNode(PVirtualNode Parent, PVirtualNode Node,
                            TVirtualNodeInitStates& InitStates);
    virtual void DoInitChildren(PVirtualNode Node, uint32_t& ChildCount);
    virtual void DoFreeNode(PVirtualNode Node);
    virtual void DoReset(PVirtualNode Node);
    virtual bool DoExpanding(PVirtualNode Node);
    virtual bool DoCollapsing(PVirtualNode Node);
    virtual void DoExpanded(PVirtualNode Node);
    virtual void DoCollapsed(PVirtualNode Node);
    virtual bool DoNodeMoving(PVirtualNode Node, PVirtualNode Target);
    virtual bool DoNodeCopying(PVirtualNode Node, PVirtualNode Target);
    virtual void DoNodeMoved(PVirtualNode Node);
    virtual void DoNodeCopied(PVirtualNode Node);
    virtual void DoMeasureItem(TCanvas* TargetCanvas, PVirtualNode Node, int& NodeHeight);
    virtual void DoChange(PVirtualNode Node);
    virtual void DoStructureChange(PVirtualNode Node, TChangeReason Reason);
    virtual void DoUpdating(TVTUpdateState State);
    virtual void DoCancelEdit() {}
    virtual void DoFocusNode(PVirtualNode Node, bool Ask);

    // Header and column dispatchers.
    virtual void DoColumnClick(TColumnIndex Column, TShiftState Shift);
    virtual void DoColumnDblClick(TColumnIndex Column, TShiftState Shift);
    virtual void DoColumnResize(TColumnIndex Column);
    virtual void DoHeaderClick(TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X,
                               int Y);
    virtual void DoHeaderDblClick(TColumnIndex Column, TMouseButton Button, TShiftState Shift,
                                  int X, int Y);
    virtual void DoHeaderDragged(TColumnIndex Column, TColumnPosition OldPosition);
    virtual void DoHeaderDraggedOut(TColumnIndex Column, TPoint DropPosition);
    virtual bool DoHeaderDragging(TColumnIndex Column);
    virtual void DoHeaderDraw(TCanvas* Canvas, TVirtualTreeColumn* Column, TRect R, bool Hover,
                              bool Pressed, TVTDropMarkMode DropMark);
    virtual void DoHeaderDrawQueryElements(THeaderPaintInfo& PaintInfo,
                                           THeaderPaintElements& Elements);
    virtual void DoAdvancedHeaderDraw(THeaderPaintInfo& PaintInfo, THeaderPaintElements Elements);
    virtual void DoHeaderMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoHeaderMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoHeaderMouseMove(TShiftState Shift, int X, int Y);
    virtual void DoGetHeaderCursor(HCURSOR& Cursor);
    virtual int DoGetNodeWidth(PVirtualNode Node, TColumnIndex Column, TCanvas* Canvas) {
        return 0;
    }
    virtual int GetMaxColumnWidth(TColumnIndex Column);

    // --- Change notification ---------------------------------------------------------------
    virtual void AdviseChangeEvent(bool StructureChange, PVirtualNode Node, TChangeReason Reason);
    void Change(PVirtualNode Node);
    virtual void StructureChange(PVirtualNode Node, TChangeReason Reason);
    void SetUpdateState(bool Updating);
    void StopTimer(unsigned ID);

    // --- Position cache -------------------------------------------------------------------
    // Runs on the worker thread: reads links and stored heights only.
    virtual bool DoValidateCache();
    uint32_t CalculateCacheEntryCount() const;
    uint32_t InternalCacheNode(PVirtualNode Node);
    void ClearTempCache();

    // --- Hooks filled by later parts of the tree -------------------------------------------
    virtual void UpdateScrollBars(bool DoRepaint) {}
    // Scrolling proper (ranges, window scrolling) comes with the scroll
    // offsets; until then the offset is stored and everything repainted.
    virtual void SetOffsetY(int Value);
    virtual void PrepareBitmaps(bool NeedButtons, bool NeedLines) {}
    virtual void UpdateEditBounds() {}
    virtual void CancelEditNode() {}
    virtual void ScrollIntoView(PVirtualNode Node, bool Center, bool Horizontally = false) {}
    virtual void Sort(PVirtualNode Node, TColumnIndex Column, bool DoInit) {}
    virtual void SortTree(TColumnIndex Column, bool DoInit) {}
    virtual void UpdateDesigner();
    virtual void RegisterDropTarget() {}
    virtual void RevokeDropTarget() {}
    // The accessibility notice of an expand or collapse (state changed).
    virtual void NotifyAccessibleStateChange() {}
    // Makes sure the node's user data is freed with it (streamed copies).
    virtual void InternalAddToSelection(PVirtualNode Node, bool ForceInsert);
    virtual void InternalRemoveFromSelection(PVirtualNode Node);
    void PackSelection();
    TColumnIndex GetMainColumn() const { return NoColumn; }
    void SetFocusedColumnDirect(TColumnIndex Column) { FFocusedColumn = Column; }
    bool IsLoadingOrDesigning() const;
    bool CanApplyEffects() const;

    // --- Window ----------------------------------------------------------------------------
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WMTreeStates(TMessage& Message);
    void WMTimer(TMessage& Message);
    void WMNCDestroy(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMNCHitTest(TMessage& Message);
    void WMNCCalcSize(TMessage& Message);
    void CMBiDiModeChanged(TMessage& Message);
    void UpdateThemeState();

    // --- Fields ---------------------------------------------------------------------------
    PVirtualNode FRoot = nullptr;
    uint32_t FDefaultNodeHeight = 18;
    int FNodeDataSize = -1;
    uint32_t FTotalInternalDataSize = 0;
    uint32_t FVisibleCount = 0;
    uint32_t FBottomSpace = 0;
    int FUpdateCount = 0;
    int FSynchUpdateCount = 0;
    std::atomic<uint64_t> FStates{0};
    uint32_t FChangeDelay = 0;
    PVirtualNode FLastChangedNode = nullptr;
    PVirtualNode FLastStructureChangeNode = nullptr;
    TChangeReason FLastStructureChangeReason = crIgnore;
    TNodeArray FSingletonNodeArray{nullptr};

    PVirtualNode FFocusedNode = nullptr;
    TColumnIndex FFocusedColumn = NoColumn;
    PVirtualNode FRangeAnchor = nullptr;
    PVirtualNode FLastSelected = nullptr;
    PVirtualNode FCurrentHotNode = nullptr;
    PVirtualNode FDropTargetNode = nullptr;
    PVirtualNode FCheckNode = nullptr;
    PVirtualNode FLastSearchNode = nullptr;
    uint32_t FSelectionCount = 0;
    int FOffsetX = 0;
    int FOffsetY = 0;
    int FEffectiveOffsetX = 0;
    int FRangeX = 0;
    TBorderStyle FBorderStyle = bsSingle;
    int FIndent = 18;
    int FMargin = 4;

    TCustomVirtualTreeOptions* FOptions = nullptr;
    TVTColors* FColors = nullptr;
    TScrollBarOptions* FScrollBarOptions = nullptr;
    TClipboardFormats* FClipboardFormats = nullptr;
    TVTHeader* FHeader = nullptr; // the header arrives with the columns

    // Position cache. FWorkerQueued and the worker's current tree tell
    // whether the worker holds this tree, so interrupting is free otherwise;
    // FWorkerWindow is where the worker sends its state messages.
    TCache FPositionCache;
    uint32_t FStartIndex = 0;
    TNodeArray FTempNodeCache;
    uint32_t FTempNodeCount = 0;
    std::atomic<HWND> FWorkerWindow{nullptr};
    std::atomic<bool> FWorkerQueued{false};
    int FTreeStatesDepth = 0; // inside the worker's state message
    bool FDeferredValidation = false;

    // Marks a structural operation for the scope of the returned guard. When
    // the outermost one ends normally outside an update bracket, builds that
    // check verify the whole tree; Check is false where the operation leaves
    // a rule open on purpose.
    [[nodiscard]] auto CheckedChange(bool Check = true) {
        ++FChangeDepth;
        return runpak::ScopeExit([this, Check] { EndCheckedChange(Check); });
    }

private:
    void EndCheckedChange(bool Check);
    // Bytes of one node's block: the record, the internal areas and the user data.
    size_t NodeBlockSize();
    void Construct(TOptionsFactory MakeOptions);
    PVirtualNode DoInsertNode(PVirtualNode Node, TVTNodeAttachMode Mode);
    void SetInitialUserData(PVirtualNode Node, void* UserData);
    void AutoSortAfter(PVirtualNode Node);
    bool ReadOnly() const;
    void AdjustVisibleCountForConnect(PVirtualNode Node);
    PVirtualNode NextAfterSubtree(PVirtualNode Node) const;
    PVirtualNode OutermostHidden(PVirtualNode Node) const;
    // Copies between places and trees go through a node's structure as a
    // tree stream would carry it.
    void ReadChunks(const std::vector<TNodeChunk>& Chunks, size_t& Pos, PVirtualNode Node);
    void InternalAddChunks(const std::vector<TNodeChunk>& Chunks, size_t& Pos, PVirtualNode Node);
    bool FCreatedRoot = false;
    bool FDestroying = false;
    int FChangeDepth = 0;
};

// Clipboard formats of the trees (registered with the first tree) and the
// platform flags the drawing code asks.
extern uint16_t CF_VIRTUALTREE;
extern uint16_t CF_VTREFERENCE;
extern uint16_t CF_HTML;
extern uint16_t CF_VRTF;
extern uint16_t CF_VRTFNOOBJS;
extern uint16_t CF_CSV;
extern bool IsWinNT;
extern bool IsWin2K;
extern bool IsWinXP;
extern bool IsWinVistaOrAbove;
extern bool MMXAvailable;

// The tree that owns Node (null for nil).
TBaseVirtualTree* TreeFromNode(PVirtualNode Node);

// Start-up and shut-down of the unit (the package table runs them).
void InitializeIDEVirtualTrees();
void FinalizeIDEVirtualTrees();

extern "C" {
// Lets the shared worker thread run. The host program calls it once; a
// worker made later starts at once.
void StartVirtualTreeWorkerThread();
}
