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
#pragma GCC visibility push(default)

#include "benchkit/vtree/VirtualTreeHeader.h"
#include "benchkit/vtree/VirtualTreeOptions.h"
#include "benchkit/vtree/VirtualTreeTypes.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/CustomControl.h>
#include <runpak/ScopeGuard.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

struct TNodeChunk;
class TBitmap;
class TPicture;
class TChangeLink;
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

// Every 16th visible node gets a cache entry: a lookup then walks at most
// 15 rows after its binary search (a million rows take 62,500 entries).
constexpr uint32_t CacheThreshold = 16;

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
    virtual void InvalidateNode(PVirtualNode Node);
    void InvalidateChildren(PVirtualNode Node, bool Recursive);
    void InvalidateColumn(TColumnIndex Column);
    void InvalidateToBottom(PVirtualNode Node);
    void RepaintNode(PVirtualNode Node);
    void Invalidate() override;

    // --- Painting ---------------------------------------------------------------------------
    // Paints the tree-space rectangle Window so that its top left lands on
    // Target of TargetCanvas (window paint, printing and drag images).
    virtual void PaintTree(TCanvas* TargetCanvas, const TRect& Window, const TPoint& Target,
                           TVTInternalPaintOptions PaintOptions, TPixelFormat PixelFormat = pfDevice);
    int GetIndent() const { return FIndent; }
    void SetIndent(int Value);
    int GetMargin() const { return FMargin; }
    void SetMargin(int Value);
    int GetTextMargin() const { return FTextMargin; }
    void SetTextMargin(int Value);
    TVTLineStyle GetLineStyle() const { return FLineStyle; }
    void SetLineStyle(TVTLineStyle Value);
    TVTLineMode GetLineMode() const { return FLineMode; }
    void SetLineMode(TVTLineMode Value);
    TVTButtonStyle GetButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TVTButtonStyle Value);
    TVTButtonFillMode GetButtonFillMode() const { return FButtonFillMode; }
    void SetButtonFillMode(TVTButtonFillMode Value);
    TVTDrawSelectionMode GetDrawSelectionMode() const { return FDrawSelectionMode; }
    void SetDrawSelectionMode(TVTDrawSelectionMode Value) { FDrawSelectionMode = Value; }
    int GetSelectionCurveRadius() const { return FSelectionCurveRadius; }
    void SetSelectionCurveRadius(int Value);
    uint8_t GetSelectionBlendFactor() const { return FSelectionBlendFactor; }
    void SetSelectionBlendFactor(uint8_t Value) { FSelectionBlendFactor = Value; }
    TVTNodeAlignment GetNodeAlignment() const { return FNodeAlignment; }
    void SetNodeAlignment(TVTNodeAlignment Value);
    TPicture* GetBackground() const { return FBackground; }
    void SetBackground(TPicture* Value);
    int GetBackgroundOffsetX() const { return FBackgroundOffsetX; }
    void SetBackgroundOffsetX(int Value);
    int GetBackgroundOffsetY() const { return FBackgroundOffsetY; }
    void SetBackgroundOffsetY(int Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* GetStateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);
    TCustomImageList* GetCustomCheckImages() const { return FCustomCheckImages; }
    void SetCustomCheckImages(TCustomImageList* Value);
    TCheckImageKind GetCheckImageKind() const { return FCheckImageKind; }
    void SetCheckImageKind(TCheckImageKind Value);
    TCustomImageList* GetCheckImages() const { return FCheckImages; }
    uint32_t GetAnimationDuration() const { return FAnimationDuration; }
    void SetAnimationDuration(uint32_t Value);
    void SetHeader(TVTHeader* Value) { FHeader->Assign(Value); }
    TCheckType GetCheckType(PVirtualNode Node) const { return Node ? Node->CheckType : ctNone; }
    void SetCheckType(PVirtualNode Node, TCheckType Value);
    TCheckState GetCheckState(PVirtualNode Node) const {
        return Node ? Node->CheckState : csUncheckedNormal;
    }
    void SetCheckState(PVirtualNode Node, TCheckState Value);
    // The image a node's check box shows in the check strip; -1 for none.
    virtual int GetCheckImage(PVirtualNode Node);
    bool GetSelected(PVirtualNode Node) const {
        return Node && Node->States.Contains(vsSelected);
    }
    void SetSelected(PVirtualNode Node, bool Value);
    void SetFocusedNode(PVirtualNode Node);
    void SetFocusedColumn(TColumnIndex Column);
    PVirtualNode GetDropTargetNode() const { return FDropTargetNode; }
    // The right-to-left shift of the columns when they do not fill the window.
    int ComputeRTLOffset(bool ExcludeScrollBar = false) const;

    // --- Scrolling ---------------------------------------------------------------------------
    virtual void UpdateScrollBars(bool DoRepaint);
    void UpdateHorizontalScrollBar(bool DoRepaint);
    void UpdateVerticalScrollBar(bool DoRepaint);
    // True when an offset was changed.
    virtual bool ScrollIntoView(PVirtualNode Node, bool Center, bool Horizontally = false);
    // The node's rectangle (or its content's, TextOnly) in client coordinates.
    TRect GetDisplayRect(PVirtualNode Node, TColumnIndex Column, bool TextOnly,
                         bool Unclipped = false);
    void SetOffsetX(int Value);
    virtual void SetOffsetY(int Value);
    TPoint GetOffsetXY() const { return TPoint{FOffsetX, FOffsetY}; }
    void SetOffsetXY(TPoint Value);
    int GetRangeX() const { return FRangeX; }
    int GetRangeY() const { return FRangeY; }
    // The widest visible node's right edge (the horizontal range without columns).
    int GetMaxRightExtend();

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
    TVTPaintEvent OnBeforePaint;
    TVTPaintEvent OnAfterPaint;
    TVTBeforeItemEraseEvent OnBeforeItemErase;
    TVTAfterItemEraseEvent OnAfterItemErase;
    TVTBeforeItemPaintEvent OnBeforeItemPaint;
    TVTAfterItemPaintEvent OnAfterItemPaint;
    TVTBeforeCellPaintEvent OnBeforeCellPaint;
    TVTAfterCellPaintEvent OnAfterCellPaint;
    TVTBackgroundPaintEvent OnPaintBackground;
    TVTGetLineStyleEvent OnGetLineStyle;
    TVTGetImageEvent OnGetImageIndex;
    TVTGetImageExEvent OnGetImageIndexEx;
    TVTScrollEvent OnScroll;

protected:
    friend class TCustomVirtualTreeOptions;
    friend class TVTColors;
    friend class TScrollBarOptions;
    friend class vtree::TWorkerThread;
    friend class TVTHeader;
    friend class TVirtualTreeColumns;
    friend class TVirtualTreeColumn;
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
    virtual void PrepareBitmaps(bool NeedButtons, bool NeedLines);
    virtual void UpdateEditBounds() {}
    virtual void CancelEditNode() {}
    virtual void Sort(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction,
                      bool DoInit) {}
    virtual void SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit = true) {}
    virtual void MainColumnChanged();
    friend class TCustomStringTreeOptions;
    void UpdateHeaderRect();

    // --- Painting ---------------------------------------------------------------------------
    void Paint() override;
    virtual void DoPaintNode(TVTPaintInfo& PaintInfo) {}
    virtual void AdjustPaintCellRect(TVTPaintInfo& PaintInfo, TColumnIndex& NextColumn);
    virtual bool ColumnIsEmpty(PVirtualNode Node, TColumnIndex Column) { return true; }
    virtual void DoBeforePaint(TCanvas* Canvas);
    virtual void DoAfterPaint(TCanvas* Canvas);
    virtual bool DoBeforeItemPaint(TCanvas* Canvas, PVirtualNode Node, const TRect& ItemRect);
    virtual void DoAfterItemPaint(TCanvas* Canvas, PVirtualNode Node, const TRect& ItemRect);
    virtual void DoBeforeItemErase(TCanvas* Canvas, PVirtualNode Node, const TRect& ItemRect,
                                   TColor& Color, TItemEraseAction& EraseAction);
    virtual void DoAfterItemErase(TCanvas* Canvas, PVirtualNode Node, const TRect& ItemRect);
    virtual void DoBeforeCellPaint(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                   const TRect& CellRect);
    virtual void DoAfterCellPaint(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                  const TRect& CellRect);
    virtual bool DoPaintBackground(TCanvas* Canvas, const TRect& R);
    virtual void DoPaintDropMark(TCanvas* Canvas, PVirtualNode Node, const TRect& R);
    virtual TCustomImageList* DoGetImageIndex(PVirtualNode Node, TVTImageKind Kind,
                                              TColumnIndex Column, bool& Ghosted, int& Index);
    virtual void DoGetLineStyle(const void*& Bits);
    virtual void DoScroll(int DeltaX, int DeltaY);
    void CalculateVerticalAlignments(bool ShowImages, bool ShowStateImages, PVirtualNode Node,
                                     int& VAlign, int& VButtonAlign);
    int InitializeLineImageAndSelectLevel(PVirtualNode Node, TLineImage& LineImage);
    void AdjustCoordinatesByIndent(TVTPaintInfo& PaintInfo, int Indent);
    void AdjustImageBorder(TCustomImageList* Images, TBiDiMode BidiMode, int VAlign, TRect& R,
                           TVTImageInfo& ImageInfo);
    void InitializeFirstColumnValues(TVTPaintInfo& PaintInfo);
    void ClearNodeBackground(const TVTPaintInfo& PaintInfo, bool UseBackground, bool Floating,
                             TRect R);
    void StaticBackground(TBitmap* Source, TCanvas* Target, TPoint Offset, const TRect& R);
    void TileBackground(TBitmap* Source, TCanvas* Target, TPoint Offset, TRect R);
    void DrawDottedHLine(const TVTPaintInfo& PaintInfo, int Left, int Right, int Top);
    void DrawDottedVLine(const TVTPaintInfo& PaintInfo, int Top, int Bottom, int Left);
    void DrawLineImage(const TVTPaintInfo& PaintInfo, int X, int Y, int H, int VAlign,
                       TVTLineType Style, bool Reverse);
    void PaintTreeLines(const TVTPaintInfo& PaintInfo, int VAlignment, int IndentSize,
                        const TLineImage& LineImage);
    void PaintNodeButton(TCanvas* Canvas, PVirtualNode Node, const TRect& R, int ButtonX,
                         int ButtonY, TBiDiMode BidiMode);
    void GetImageIndex(TVTPaintInfo& Info, TVTImageKind Kind, TVTImageInfoIndex InfoIndex,
                       TCustomImageList* DefaultImages);
    void PaintImage(TVTPaintInfo& PaintInfo, TVTImageInfoIndex ImageInfoIndex, bool DoOverlay);
    void PaintCheckImage(const TVTPaintInfo& PaintInfo);
    void PrepareCell(TVTPaintInfo& PaintInfo, int WindowOrgX, int MaxWidth);
    void PaintSelectionRectangle(TCanvas* Target, int WindowOrgX, const TRect& SelectionRect,
                                 TRect TargetRect);
    void WMPaint(TMessage& Message);
    void WMNCPaint(TMessage& Message);
    void WMPrint(TMessage& Message);
    void WMPrintClient(TMessage& Message);
    void PaintHeaderStrip(HDC DC);

    // --- Scrolling ---------------------------------------------------------------------------
    virtual bool DoSetOffsetXY(TPoint Value, TScrollUpdateOptions Options,
                               const TRect* ClipRect = nullptr);
    void WMHScroll(TMessage& Message);
    void WMVScroll(TMessage& Message);
    void CMMouseWheel(TMessage& Message);
    bool IsWindowVisibleOnScreen() const;
    virtual void UpdateDesigner();
    virtual void RegisterDropTarget() {}
    virtual void RevokeDropTarget() {}
    // The accessibility notice of an expand or collapse (state changed).
    virtual void NotifyAccessibleStateChange() {}
    // Makes sure the node's user data is freed with it (streamed copies).
    virtual void InternalAddToSelection(PVirtualNode Node, bool ForceInsert);
    virtual void InternalRemoveFromSelection(PVirtualNode Node);
    void PackSelection();
    TColumnIndex GetMainColumn() const { return FHeader ? FHeader->GetMainColumn() : NoColumn; }
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
    int FTextMargin = 4;
    int FRangeY = 0;
    TRect FUpdateRect{};
    TRect FHeaderRect{};
    TBitmap* FPlusBM = nullptr;
    TBitmap* FMinusBM = nullptr;
    HBRUSH FDottedBrush = nullptr;
    TVTLineStyle FLineStyle = lsDotted;
    TVTLineMode FLineMode = lmNormal;
    TVTButtonStyle FButtonStyle = bsRectangle;
    TVTButtonFillMode FButtonFillMode = fmTreeColor;
    TVTDrawSelectionMode FDrawSelectionMode = smDottedRectangle;
    uint8_t FSelectionBlendFactor = 128;
    int FSelectionCurveRadius = 0;
    TVTNodeAlignment FNodeAlignment = naProportional;
    TPicture* FBackground = nullptr;
    int FBackgroundOffsetX = 0;
    int FBackgroundOffsetY = 0;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    TCustomImageList* FCheckImages = nullptr;
    TCustomImageList* FCustomCheckImages = nullptr;
    TChangeLink* FImageChangeLink = nullptr;
    TChangeLink* FStateChangeLink = nullptr;
    TChangeLink* FCustomCheckChangeLink = nullptr;
    TCheckImageKind FCheckImageKind = ckLightCheck;
    TDropMode FLastDropMode = dmNowhere;
    TColumnIndex FEditColumn = NoColumn;
    TRect FNewSelRect{};
    uint32_t FAnimationDuration = 200;
    TLineImage FLineImage;

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

// --- Drawing utilities ----------------------------------------------------------------------

// Blends the rectangle R of Source onto Destination at Target; both must
// hold a 32-bit DIB section (else nothing happens). With
// bmConstantAlphaAndColor there is no source and Bias is the tint colour.
void AlphaBlend(HDC Source, HDC Destination, const TRect& R, const TPoint& Target, TBlendMode Mode,
                int ConstantAlpha, int Bias);
// S cut to fit Width with "..." appended; empty when not even "..." fits.
UnicodeString ShortenString(HDC DC, const UnicodeString& S, int Width, int EllipsisWidth = 0);
TRect OrderRect(const TRect& R);
// The small glyphs of header and rows: 0/1 drop marks, 2 sort descending, 3 ascending.
void UtilityImageSize(int& Width, int& Height);
void DrawUtilityImage(HDC DC, int Index, int X, int Y);
// Fills List with the check images drawn by the system's frame controls.
void BuildSystemCheckImages(TCustomImageList* List, bool Flat);

// Start-up and shut-down of the unit (the package table runs them).
void InitializeIDEVirtualTrees();
void FinalizeIDEVirtualTrees();

extern "C" {
// Lets the shared worker thread run. The host program calls it once; a
// worker made later starts at once.
void StartVirtualTreeWorkerThread();
}

// --- String tree -----------------------------------------------------------------------------

enum TQOZTextType { ttNormal, ttStatic };

using TVTGetTextEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                           TColumnIndex Column, TQOZTextType TextType,
                                           UnicodeString& CellText)>;
using TVTPaintText = std::function<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas,
                                        PVirtualNode Node, TColumnIndex Column,
                                        TQOZTextType TextType)>;
using TVTNewTextEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                           TColumnIndex Column, const UnicodeString& NewText)>;
using TVTShortenStringEvent = std::function<void(
    TBaseVirtualTree* Sender, TCanvas* TargetCanvas, PVirtualNode Node, TColumnIndex Column,
    const UnicodeString& S, int TextSpace, UnicodeString& Result, bool& Done)>;

class TCustomStringTreeOptions : public TCustomVirtualTreeOptions {
public:
    explicit TCustomStringTreeOptions(TBaseVirtualTree* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    TVTStringOptions GetStringOptions() const { return FStringOptions; }
    void SetStringOptions(TVTStringOptions Value);

protected:
    void AssignTo(TPersistent* Dest) override;
    TVTStringOptions FStringOptions{toSaveCaptions, toAutoAcceptEditChange};
};

class TStringTreeOptions : public TCustomStringTreeOptions {
public:
    using TCustomStringTreeOptions::TCustomStringTreeOptions;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// A tree whose cells show text the application hands over in OnGetText. Only
// the main column's text width is kept, per node.
class TCustomVirtualStringTree : public TBaseVirtualTree {
public:
    explicit TCustomVirtualStringTree(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetText(PVirtualNode Node, TColumnIndex Column);
    void SetText(PVirtualNode Node, TColumnIndex Column, const UnicodeString& Value);
    const UnicodeString& GetDefaultText() const { return FDefaultText; }
    void SetDefaultText(const UnicodeString& Value);
    TCustomStringTreeOptions* GetStringTreeOptions() const {
        return static_cast<TCustomStringTreeOptions*>(GetTreeOptions());
    }
    int GetTextHeight() const { return FTextHeight; }
    // The texts from the top-level ancestor down to Node, each followed by Delimiter.
    UnicodeString Path(PVirtualNode Node, TColumnIndex Column, TQOZTextType TextType,
                       char16_t Delimiter);
    // Forgets cached widths (nil: every node).
    void ResetNodeWidths(PVirtualNode Node, bool Recursive);
    int ComputeNodeHeight(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                          const UnicodeString& S = UnicodeString());
    void InvalidateNode(PVirtualNode Node) override;

    TVTGetTextEvent OnGetText;
    TVTPaintText OnPaintText;
    TVTNewTextEvent OnNewText;
    TVTShortenStringEvent OnShortenString;

protected:
    int CalculateTextWidth(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                           const UnicodeString& Text);
    virtual void DoGetText(PVirtualNode Node, TColumnIndex Column, TQOZTextType TextType,
                           UnicodeString& Text);
    virtual void DoNewText(PVirtualNode Node, TColumnIndex Column, const UnicodeString& Text);
    virtual void DoPaintText(PVirtualNode Node, TCanvas* Canvas, TColumnIndex Column,
                             TQOZTextType TextType);
    virtual UnicodeString DoShortenString(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                          const UnicodeString& S, int Width, int EllipsisWidth);
    virtual void DoTextDrawing(TVTPaintInfo& PaintInfo, const UnicodeString& Text, TRect CellRect,
                               UINT DrawFormat);
    virtual int DoTextMeasuring(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                const UnicodeString& Text);
    void DoPaintNode(TVTPaintInfo& PaintInfo) override;
    int DoGetNodeWidth(PVirtualNode Node, TColumnIndex Column, TCanvas* Canvas) override;
    void AdjustPaintCellRect(TVTPaintInfo& PaintInfo, TColumnIndex& NextColumn) override;
    bool ColumnIsEmpty(PVirtualNode Node, TColumnIndex Column) override;
    void MainColumnChanged() override;
    void* InternalData(PVirtualNode Node) override;
    void Dispatch(TMessage& Message) override;
    void CreateWnd() override;
    void InitializeTextProperties(TVTPaintInfo& PaintInfo);
    void PaintNormalText(TVTPaintInfo& PaintInfo, const UnicodeString& Text);
    void PaintStaticText(TVTPaintInfo& PaintInfo, const UnicodeString& Text);
    void MeasureFont();

    UnicodeString FDefaultText = u"Node";
    int FTextHeight = 0;
    int FEllipsisWidth = 0;
    uint32_t FInternalDataOffset = 0;
    bool FFontChanged = false;
};

class TVirtualStringTree : public TCustomVirtualStringTree {
public:
    using TCustomVirtualStringTree::TCustomVirtualStringTree;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    TStringTreeOptions* GetOptions() const {
        return static_cast<TStringTreeOptions*>(GetTreeOptions());
    }
};

// --- Owner-draw tree -------------------------------------------------------------------------

using TVTDrawNodeEvent = std::function<void(TBaseVirtualTree* Sender, const TVTPaintInfo& PaintInfo)>;
using TVTGetNodeWidthEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas* HintCanvas,
                                                PVirtualNode Node, TColumnIndex Column,
                                                int& NodeWidth)>;
using TVTGetHintSizeEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                               TColumnIndex Column, TRect& R)>;
using TVTDrawHintEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas* HintCanvas,
                                            PVirtualNode Node, const TRect& R, TColumnIndex Column)>;

// A tree that leaves every cell's content to the application (OnDrawNode).
class TCustomVirtualDrawTree : public TBaseVirtualTree {
public:
    using TBaseVirtualTree::TBaseVirtualTree;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    virtual void DoGetHintSize(PVirtualNode Node, TColumnIndex Column, TRect& R);
    virtual void DoDrawHint(TCanvas* Canvas, PVirtualNode Node, const TRect& R, TColumnIndex Column);

    TVTDrawNodeEvent OnDrawNode;
    TVTGetNodeWidthEvent OnGetNodeWidth;
    TVTGetHintSizeEvent OnGetHintSize;
    TVTDrawHintEvent OnDrawHint;

protected:
    void DoPaintNode(TVTPaintInfo& PaintInfo) override;
    int DoGetNodeWidth(PVirtualNode Node, TColumnIndex Column, TCanvas* Canvas) override;
};

// Adds a text source that painting never uses, for automated inspection.
class TZombieTestableVirtualDrawTree : public TCustomVirtualDrawTree {
public:
    using TCustomVirtualDrawTree::TCustomVirtualDrawTree;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    UnicodeString ZombieGetText(PVirtualNode Node, TColumnIndex Column);
    TVTGetTextEvent ZombieOnGetText;

protected:
    virtual void ZombieDoGetText(PVirtualNode Node, TColumnIndex Column, TQOZTextType TextType,
                                 UnicodeString& Text);
};

class TVirtualDrawTree : public TZombieTestableVirtualDrawTree {
public:
    using TZombieTestableVirtualDrawTree::TZombieTestableVirtualDrawTree;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    TVirtualTreeOptions* GetOptions() const {
        return static_cast<TVirtualTreeOptions*>(GetTreeOptions());
    }
};

#pragma GCC visibility pop
