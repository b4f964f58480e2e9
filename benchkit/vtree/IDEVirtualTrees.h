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

#include "benchkit/vtree/VirtualTreeDataObject.h"
#include "benchkit/vtree/VirtualTreeDragImage.h"
#include "benchkit/vtree/VirtualTreeHeader.h"
#include "benchkit/vtree/VirtualTreeInput.h"
#include "benchkit/vtree/VirtualTreeOptions.h"
#include "benchkit/vtree/VirtualTreeTypes.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/HintWindow.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/ScopeGuard.h>
#include <win32/oleacc.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct TNodeChunk;
class TStream;
class TBitmap;
class TPicture;
class TPrinter;
class TChangeLink;
class TBasicAction;
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
    // The accessible objects the tree made for WM_GETOBJECT: its own and its
    // focused node's (null until first asked).
    IAccessible* GetAccessible() const { return FAccessible.Get(); }
    IAccessible* GetAccessibleItem() const { return FAccessibleItem.Get(); }
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

    // === In the user's hands: selection, focus, mouse, keys, editing, hints ===============
    // Selection. The selected nodes are kept ordered by address, so that a
    // membership test is a binary search; removals during bulk work only
    // mark their entry and one pack drops them all.
    virtual bool FindNodeInSelection(PVirtualNode Node, int& Index, int LowBound = -1,
                                     int HighBound = -1);
    void AddToSelection(PVirtualNode Node);
    virtual void AddToSelection(PVirtualNode* NewItems, int NewLength, bool ForceInsert = false);
    virtual void RemoveFromSelection(PVirtualNode Node);
    virtual void SelectNodes(PVirtualNode StartNode, PVirtualNode EndNode, bool AddOnly);
    void ToggleSelection(PVirtualNode StartNode, PVirtualNode EndNode);
    void UnselectNodes(PVirtualNode StartNode, PVirtualNode EndNode);
    void SelectAll(bool VisibleOnly);
    void InvertSelection(bool VisibleOnly);
    virtual void ResetRangeAnchor();
    PVirtualNode GetRangeAnchor() const { return FRangeAnchor; }
    bool IsMouseSelecting() const {
        return HasState(tsDrawSelPending) || HasState(tsDrawSelecting);
    }
    void SetFocusedNodeAndColumn(PVirtualNode Node, TColumnIndex Column);
    PVirtualNode GetHotNode() const { return FCurrentHotNode; }

    // Hit testing (client coordinates with Relative, tree coordinates without).
    virtual void GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo);

    // Editing. EndEditNode and CancelEditNode answer true when nothing is edited.
    virtual bool EditNode(PVirtualNode Node, TColumnIndex Column);
    bool EndEditNode();
    bool CancelEditNode();
    bool IsEditing() const { return HasState(tsEditing); }
    IVTEditLink* GetEditLink() const { return FEditLink.Get(); }
    TColumnIndex GetEditColumn() const { return FEditColumn; }
    uint32_t GetEditDelay() const { return FEditDelay; }
    void SetEditDelay(uint32_t Value) { FEditDelay = Value; }
    // The cell's text, the font that painting would use and the rectangle
    // of the text, for editors that place themselves over a cell.
    virtual void GetTextInfo(PVirtualNode Node, TColumnIndex Column, TFont* AFont, TRect& R,
                             UnicodeString& Text);

    // Incremental search.
    TVTIncrementalSearch GetIncrementalSearch() const { return FIncrementalSearch; }
    void SetIncrementalSearch(TVTIncrementalSearch Value) { FIncrementalSearch = Value; }
    TVTSearchDirection GetIncrementalSearchDirection() const { return FSearchDirection; }
    void SetIncrementalSearchDirection(TVTSearchDirection Value) { FSearchDirection = Value; }
    TVTSearchStart GetIncrementalSearchStart() const { return FSearchStart; }
    void SetIncrementalSearchStart(TVTSearchStart Value) { FSearchStart = Value; }
    uint32_t GetIncrementalSearchTimeout() const { return FSearchTimeout; }
    void SetIncrementalSearchTimeout(uint32_t Value) { FSearchTimeout = Value; }
    const UnicodeString& GetSearchBuffer() const { return FSearchBuffer; }

    // Hooks the mouse, keys, editing and dragging ask.
    virtual bool CanEdit(PVirtualNode Node, TColumnIndex Column);
    virtual void BeginDrag(bool Immediate, int Threshold = -1);
    TVTDragType GetDragType() const { return FDragType; }
    void SetDragType(TVTDragType Value) { FDragType = Value; }
    bool GetWantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    HCURSOR GetHotCursor() const { return FHotCursor; }
    void SetHotCursor(HCURSOR Value) { FHotCursor = Value; }

    // Hints.
    TVTHintMode GetHintMode() const { return FHintMode; }
    void SetHintMode(TVTHintMode Value) { FHintMode = Value; }
    THintAnimationType GetHintAnimation() const { return FAnimationType; }
    void SetHintAnimation(THintAnimationType Value) { FAnimationType = Value; }
    const TVTHintData& GetHintData() const { return FHintData; }

    TVTFocusChangingEvent OnFocusChanging;
    TVTFocusChangeEvent OnFocusChanged;
    TVTGetCursorEvent OnGetCursor;
    TVTHotNodeChangeEvent OnHotChange;
    TVTPopupEvent OnGetPopupMenu;
    TVTKeyActionEvent OnKeyAction;
    TVTHelpContextEvent OnGetHelpContext;
    TVTEditChangingEvent OnEditing;
    TVTCreateEditorEvent OnCreateEditor;
    TVTEditChangeEvent OnBeforeEndEditing;
    TVTEditChangeEvent OnAfterEndEditing;
    TVTEditChangeEvent OnEdited;
    TVTEditCancelEvent OnEditCancelled;
    TVTIncrementalSearchEvent OnIncrementalSearch;
    TVTDragAllowedEvent OnDragAllowed;
    // === end of the user's hands (public) =================================================
    // === Check states, sorting, streams and commands ===========================================
    // --- Check states ------------------------------------------------------------------------
    // The state a click on a control of this type in this state produces.
    virtual TCheckState DetermineNextCheckState(TCheckType CheckType, TCheckState CheckState);
    // Sets every checked or mixed node back to unchecked, with events and vetoes.
    void ClearChecked();
    TVTCheckChangingEvent OnChecking;
    TVTChangeEvent OnChecked;

    // --- Sorting ---------------------------------------------------------------------------------
    // Sorts Node's children (nil: the top level); stable in both directions.
    virtual void Sort(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction,
                      bool DoInit = true);
    virtual void SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
    TVTCompareEvent OnCompareNodes;

    // --- Streams ---------------------------------------------------------------------------------
    // Nil Node: every top-level node. Reading checks every size against the
    // data present; on an error nothing read stays in the tree.
    virtual void SaveToStream(TStream* Stream, PVirtualNode Node = nullptr);
    void SaveToFile(const UnicodeString& FileName);
    virtual void LoadFromStream(TStream* Stream);
    void LoadFromFile(const UnicodeString& FileName);
    // TargetNode is required (the root node for the top level).
    void AddFromStream(TStream* Stream, PVirtualNode TargetNode);
    TVTSaveNodeEvent OnSaveNode;
    TVTSaveNodeEvent OnLoadNode;

    // --- Commands and queries --------------------------------------------------------------------
    // Deletes the selected nodes (a selected node's subtree once).
    virtual void DeleteSelectedNodes();
    // Deletes the nodes marked by a cut, once it was pasted.
    void FinishCutOrCopy();
    // True when OnGetImageIndex gives an image of this kind.
    virtual bool HasImage(PVirtualNode Node, TVTImageKind Kind, TColumnIndex Column);
    // The whole scrollable area, at least the client area.
    TRect GetTreeRect();
    void ChangeScale(int M, int D, bool IsDpiChange = false) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // From another tree: its settings and as many uninitialised top nodes.
    void Assign(TPersistent* Source) override;
    // The standard edit actions (select all, copy, cut, paste, delete) work
    // on the nodes; true when the tree took the action.
    virtual bool ExecuteAction(TBasicAction* Action);
    virtual bool UpdateAction(TBasicAction* Action);
    // The window frame's thickness, as negative numbers (0 without a window).
    virtual TSize GetBorderDimensions();
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TAlignment GetControlsAlignment() const { return FAlignment; }
    // Empty space below the last row that the vertical range includes.
    uint32_t GetBottomSpace() const { return FBottomSpace; }
    void SetBottomSpace(uint32_t Value);

    // --- Clipboard and drag and drop -------------------------------------------------------------
    void CopyToClipBoard();
    void CutToClipBoard();
    // True when nodes were inserted; raises when the clipboard cannot be read.
    bool PasteFromClipboard();
    void CancelCutOrCopy();
    void MarkCutCopyNodes();
    // Renders what the clipboard still promises and ends a pending cut or copy.
    void FlushClipboard();
    // The formats the registry lists for this tree's class and allows by
    // the clipboard format names, then the application's own.
    virtual void GetNativeClipboardFormats(std::vector<FORMATETC>& Formats);
    // The tree of this process a data object came from, or null.
    virtual TBaseVirtualTree* GetTreeFromDataObject(IDataObject* DataObject);
    virtual HRESULT RenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                  bool ForClipboard);
    // Inserts the nodes a data object carries at TargetNode (nil: the root).
    bool ProcessOLEData(TBaseVirtualTree* Source, IDataObject* DataObject, PVirtualNode TargetNode,
                        TVTNodeAttachMode Mode, bool Optimized);
    // The drop target side, called by the drag manager; points are on the screen.
    virtual HRESULT DragEnter(DWORD KeyState, TPoint Pt, DWORD& Effect);
    virtual HRESULT DragOver(TObject* Source, DWORD KeyState, TDragState State, TPoint Pt,
                             DWORD& Effect);
    virtual void DragLeave();
    virtual HRESULT DragDrop(IDataObject* DataObject, DWORD KeyState, TPoint Pt, DWORD& Effect);
    virtual uint32_t SuggestDropEffect(TObject* Source, TShiftState Shift, TPoint Pt,
                                       uint32_t AllowedEffects);
    // Runs the system drag loop with the selection (the focused node when
    // nothing is selected); P in client coordinates.
    void StartOLEDrag(TPoint P);
    TVTDragManager* GetDragManager();
    TVTNodeAttachMode GetDefaultPasteMode() const { return FDefaultPasteMode; }
    void SetDefaultPasteMode(TVTNodeAttachMode Value) { FDefaultPasteMode = Value; }
    TDragOperations GetDragOperations() const { return FDragOperations; }
    void SetDragOperations(TDragOperations Value) { FDragOperations = Value; }
    uint32_t GetAutoExpandDelay() const { return FAutoExpandDelay; }
    void SetAutoExpandDelay(uint32_t Value) { FAutoExpandDelay = Value; }
    // How long the mouse rests at an edge before the content scrolls (ms),
    // and the pace of the scrolling after that.
    uint32_t GetAutoScrollDelay() const { return FAutoScrollDelay; }
    void SetAutoScrollDelay(uint32_t Value) { FAutoScrollDelay = Value; }
    uint32_t GetAutoScrollInterval() const { return FAutoScrollInterval; }
    void SetAutoScrollInterval(uint32_t Value) { FAutoScrollInterval = Value; }
    TDropMode GetLastDropMode() const { return FLastDropMode; }
    // The picture of the dragged nodes this tree shows while it is the drag
    // source (made on first use).
    TVTDragImage* GetDragImage();
    TVTDragImageKind GetDragImageKind() const { return FDragImageKind; }
    void SetDragImageKind(TVTDragImageKind Value) { FDragImageKind = Value; }
    int GetDragWidth() const { return FDragWidth; }
    void SetDragWidth(int Value) { FDragWidth = Value; }
    int GetDragHeight() const { return FDragHeight; }
    void SetDragHeight(int Value) { FDragHeight = Value; }
    virtual bool CanShowDragImage() { return FDragImageKind != diNoImage; }
    // An OLE drag pending or running, or a framework drag.
    bool Dragging() const;
    // Repaints TreeRect (client coordinates) around the drag image of Tree,
    // the drag source, so that the image neither is painted over nor leaves
    // stale pixels behind when it moves on.
    void UpdateWindowAndDragImage(TBaseVirtualTree* Tree, TRect TreeRect, bool UpdateNCArea,
                                  bool ReshowDragImage);
    TVTDragOverEvent OnDragOver;
    TVTDragDropEvent OnDragDrop;
    TVTRenderOLEDataEvent OnRenderOLEData;
    TVTGetUserClipboardFormatsEvent OnGetUserClipboardFormats;

    // === End of check states, sorting, streams and commands =====================================

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
    virtual bool DoCancelEdit();
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

    // === Check states, sorting, streams and commands (protected) ===============================
    virtual bool DoChecking(PVirtualNode Node, TCheckState& NewCheckState);
    virtual void DoCheckClick(PVirtualNode Node, TCheckState NewCheckState);
    virtual void DoChecked(PVirtualNode Node);
    bool ChangeCheckState(PVirtualNode Node, TCheckState Value);
    virtual bool CheckParentCheckState(PVirtualNode Node, TCheckState NewCheckState);
    virtual TCustomImageList* GetCheckImageListFor(TCheckImageKind Kind);
    virtual int DoCompare(PVirtualNode Node1, PVirtualNode Node2, TColumnIndex Column);
    void SortLevel(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit);
    // Ends the running edit before a sort relinks the nodes; false keeps the order.
    virtual bool EndEditForSort() { return EndEditNode(); }
    virtual void WriteNode(TStream* Stream, PVirtualNode Node);
    virtual void WriteChunks(TStream* Stream, PVirtualNode Node);
    virtual void FinishChunkHeader(TStream* Stream, int64_t StartPos, int64_t EndPos);
    virtual void ReadNode(TStream* Stream, int Version, PVirtualNode Node);
    // True when the chunk was understood.
    virtual bool ReadChunk(TStream* Stream, int Version, PVirtualNode Node, int ChunkType,
                           int ChunkSize);
    void SkipNode(TStream* Stream);
    void InternalAddFromStream(TStream* Stream, int Version, PVirtualNode Node);
    virtual void DoSaveUserData(PVirtualNode Node, TStream* Stream);
    virtual void DoLoadUserData(PVirtualNode Node, TStream* Stream);
    // Reads up to Count node records (UINT32_MAX: until the data ends) and
    // attaches each at Target; Accept may veto (and delete) a node just read.
    // On an error the nodes of this call are deleted again.
    void ReadNodesFromStream(TStream* Stream, int Version, uint32_t Count, PVirtualNode Target,
                             TVTNodeAttachMode Mode,
                             const std::function<bool(PVirtualNode)>& Accept);
    // The tree-view item messages; false for any other message.
    bool DispatchTreeViewQuery(TMessage& Message);
    LRESULT TVMGetItem(struct tagTVITEMW* Item);
    PVirtualNode TVMGetNextItem(unsigned Code, PVirtualNode Node);
    // The text a tree-view item query answers: the main column's.
    virtual UnicodeString TreeViewItemText(PVirtualNode Node) { return {}; }
    bool DispatchDataMessage(TMessage& Message);
    virtual HRESULT DoRenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                    bool ForClipboard);
    virtual void DoGetUserClipboardFormats(std::vector<FORMATETC>& Formats);
    virtual bool DoDragOver(TObject* Source, TShiftState Shift, TDragState State, TPoint Pt,
                            TDropMode Mode, uint32_t& Effect);
    virtual void DoDragDrop(TObject* Source, IDataObject* DataObject, const TFormatArray& Formats,
                            TShiftState Shift, TPoint Pt, uint32_t& Effect, TDropMode Mode);
    virtual void DoDragExpand();
    TDropMode DropModeAt(PVirtualNode Node, TPoint Pt);
    bool PutOnClipboard(TVirtualTreeState Pending);
    uint32_t AllowedDragEffects() const;
    bool StillOwned(PVirtualNode Node) const;
    // Paints the selected nodes around HotSpot (client coordinates) into
    // the drag image.
    virtual void PrepareDragImage(TPoint HotSpot, IDataObject* DataObject);
    // Runs the system drag loop with the drag manager as drop source.
    virtual void DragAndDrop(DWORD AllowedEffects, IDataObject* DataObject, DWORD& DragEffect);
    // The drag source's own drag image while it is shown, else null.
    static TVTDragImage* VisibleDragImageOf(TObject* Source);
    void DoEndDrag(TObject* Target, int X, int Y) override;
    // Notes a drag object the application supplied (tsUserDragObject).
    void DoStartDrag(TDragObject*& DragObject) override;
    virtual void DragFinished();
    // The framework's own drag and drop (CM_DRAG) over this tree.
    void CMDrag(TMessage& Message);
    PVirtualNode FLastQUORLDragTarget = nullptr;
    uint32_t FQUORLDragEffect = DROPEFFECT_NONE;
    // Renders what the clipboard holds of this tree while the nodes still
    // exist and lets the data object go, so that nothing on the clipboard
    // points at a tree that changed or is gone.
    void ReleaseClipboardData();
    friend class TVTDataObject;
    TVTDataObject* FClipboardDataObject = nullptr; // ours on the clipboard, cleared by it
    InterfacePtr<TVTDragManager> FDragManager;
    TNodeArray FDragSelection;
    TDragOperations FDragOperations;
    TVTNodeAttachMode FDefaultPasteMode = amAddChildLast;
    uint32_t FAutoExpandDelay = 1000;
    uint32_t FAutoScrollDelay = 1000;
    uint32_t FAutoScrollInterval = 1;
    std::unique_ptr<TVTDragImage> FDragImage;
    TVTDragImageKind FDragImageKind = diComplete;
    TAlignment FAlignment = taLeftJustify;
    int FDragWidth = 200;
    int FDragHeight = 350;
    int64_t FReadLimit = 0; // end of the chunk being read
    int FReadDepth = 0;
    int FCheckPropagationCount = 0;
    TCheckState FPendingCheckState = csUncheckedNormal;
    // === End of check states, sorting, streams and commands (protected) ========================

    // --- Hooks filled by later parts of the tree -------------------------------------------
    virtual void PrepareBitmaps(bool NeedButtons, bool NeedLines);
    virtual void UpdateEditBounds();
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

public:
    // Wheel panning (VirtualTreePanning.cpp). The mouse handling starts it
    // with the press point in client coordinates, calls AdjustPanningCursor
    // on moves and StopWheelPanning to end it; the scroll timer drives it.
    virtual void StartWheelPanning(TPoint Position);
    void StopWheelPanning();
    virtual void AdjustPanningCursor(int X, int Y);
    // The panning step of the scroll timer; false when no panning runs.
    bool PanningTimerScroll();
    void PanningWindowProc(TMessage& Message);
    HWND GetPanningWindow() const { return FPanningWindow; }
    HCURSOR GetPanningCursor() const { return FPanningCursor; }

protected:
    virtual void UpdateDesigner();
    virtual void RegisterDropTarget();
    virtual void RevokeDropTarget();
    // The accessibility notice of an expand, collapse or check (state changed).
    virtual void NotifyAccessibleStateChange();
    InterfacePtr<IAccessible> FAccessible;
    InterfacePtr<IAccessible> FAccessibleItem;
    // Makes sure the node's user data is freed with it (streamed copies).
    virtual bool InternalAddToSelection(PVirtualNode Node, bool ForceInsert);
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
    HWND FPanningWindow = nullptr;
    HCURSOR FPanningCursor = nullptr;
    TBitmap* FPanningImage = nullptr; // owned while panning
    TPoint FPanningStart{};           // client point where panning started
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

    // === In the user's hands (protected) ==================================================
    bool InternalAddToSelection(PVirtualNode* NewItems, int NewLength, bool ForceInsert);
    virtual void InternalClearSelection();
    virtual bool DoFocusChanging(PVirtualNode OldNode, PVirtualNode NewNode,
                                 TColumnIndex OldColumn, TColumnIndex NewColumn);
    virtual void DoFocusChange(PVirtualNode Node, TColumnIndex Column);
    void HandleClickSelection(PVirtualNode LastFocused, PVirtualNode NewNode, TShiftState Shift,
                              bool DragPending);
    virtual bool CalculateSelectionRect(int X, int Y);
    bool HandleDrawSelection(int X, int Y);
    bool CollectSelectedNodes(bool RightToLeft, TColumnIndex MainColumn, int NodeLeft,
                              int NodeRight, TAlignment Alignment, const TRect& OldRect,
                              const TRect& NewRect);
    void NormalizeRange(PVirtualNode& StartNode, PVirtualNode& EndNode);

    // Mouse.
    virtual void DetermineHitPositionLTR(THitInfo& HitInfo, int Offset, int Right,
                                         TAlignment Alignment);
    virtual void DetermineHitPositionRTL(THitInfo& HitInfo, int Offset, int Right,
                                         TAlignment Alignment);
    virtual void HandleMouseDown(TMessage& Message, const THitInfo& HitInfo);
    virtual void HandleMouseUp(TMessage& Message, const THitInfo& HitInfo);
    virtual void HandleMouseDblClick(TMessage& Message, const THitInfo& HitInfo);
    virtual void HandleHotTrack(int X, int Y);
    void MouseMove(TShiftState Shift, int X, int Y) override;
    virtual void DoGetCursor(HCURSOR& Cursor);
    virtual void DoHotChange(PVirtualNode Old, PVirtualNode New);
    virtual TPopupMenu* DoGetPopupMenu(PVirtualNode Node, TColumnIndex Column, TPoint Position);
    virtual void DoPopupMenu(PVirtualNode Node, TColumnIndex Column, TPoint Position);
    virtual bool DoBeforeDrag(PVirtualNode Node, TColumnIndex Column);
    // Starts an OLE drag from P (client coordinates); the drag and drop of
    // the tree replaces this empty start.
    virtual void DoDragging(TPoint P);
    virtual bool CanAutoScroll();

    // --- Scrolling by itself near the edges --------------------------------------------------
    enum TScrollDirection { sdLeft, sdUp, sdRight, sdDown };
    using TScrollDirections = TSet<TScrollDirection>;
    // The edges (client coordinates) the mouse presses against, once it
    // has rested there for the auto-scroll delay; while wheel panning, the
    // directions away from where the panning started.
    virtual TScrollDirections DetermineScrollDirections(int X, int Y);
    // Arms or stops the scroll timer for the directions at X, Y.
    virtual void DoAutoScroll(int X, int Y);
    // One tick of the scroll timer: moves the content in the current directions.
    virtual void DoTimerScroll();
    TScrollDirections FScrollDirections;
    uint64_t FDragScrollStart = 0; // first edge contact, 0: none

    // Routes the input messages; false leaves the message to the caller.
    bool DispatchInput(TMessage& Message);
    bool InputTimer(unsigned ID);
    void WMButtonDown(TMessage& Message, TMouseButton Button, bool Double);
    void WMButtonUp(TMessage& Message, TMouseButton Button);
    void WMSetCursor(TMessage& Message);
    void WMContextMenu(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMCancelMode(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    void CMHintShow(TMessage& Message);
    void CMHintShowPause(TMessage& Message);
    void WMGetObject(TMessage& Message);
    // Check clicks by mouse and space, through the check state rules.
    TCheckState InputNextCheckState(PVirtualNode Node);
    bool InputCheckAllowed(PVirtualNode Node, TCheckState& State);
    void InputCheckClick(PVirtualNode Node, TCheckState State);

    // Keys.
    virtual bool DoKeyAction(uint16_t& CharCode, TShiftState& Shift);
    void WMKeyDown(TMessage& Message);
    void WMKeyUp(TMessage& Message);
    void WMChar(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    void ShowHelpFor(PVirtualNode Node, TColumnIndex Column);

    // Editing and incremental search.
    virtual void DoEdit();
    virtual bool DoEndEdit();
    virtual void DoCanEdit(PVirtualNode Node, TColumnIndex Column, bool& Allowed);
    virtual TVTEditLinkRef DoCreateEditor(PVirtualNode Node, TColumnIndex Column);
    virtual int DoIncrementalSearch(PVirtualNode Node, const UnicodeString& Text);
    void HandleIncrementalSearch(uint16_t CharCode);
    void StopSearch();

    // Hints.
    virtual UnicodeString DoGetNodeHint(PVirtualNode Node, TColumnIndex Column,
                                        TVTTooltipLineBreakStyle& LineBreakStyle);
    virtual UnicodeString DoGetNodeTooltip(PVirtualNode Node, TColumnIndex Column,
                                           TVTTooltipLineBreakStyle& LineBreakStyle);
    THintAnimationType DoGetAnimationType();
    virtual THintWindowClass GetHintWindowClass();

    TNodeArray FSelection;
    int FLastSelectionLevel = -1;
    TRect FLastSelRect{};
    TShiftState FDrawSelShiftState;
    TPoint FLastClickPos{};
    int FDragThreshold = 5;
    HCURSOR FHotCursor = nullptr;
    TVTEditLinkRef FEditLink;
    uint32_t FEditDelay = 1000;
    bool FWantTabs = false;
    TVTDragType FDragType = dtOLE;
    TVTIncrementalSearch FIncrementalSearch = isNone;
    TVTSearchDirection FSearchDirection = sdForward;
    TVTSearchStart FSearchStart = ssFocusedNode;
    uint32_t FSearchTimeout = 1000;
    UnicodeString FSearchBuffer;
    TVTHintMode FHintMode = hmDefault;
    THintAnimationType FAnimationType = hatSystemDefault;
    TVTHintData FHintData;
    TRect FLastHintRect{};
    int FHintTimeout = 0;
    friend class TVirtualTreeHintWindow;
    // === end of the user's hands (protected) ==============================================

    // === Animation, form properties and printing ===========================================
public:
    // A step of an animation: Step is where it stands (0 .. Steps), StepSize
    // how far this call moves; the closing call has both 0. False stops it.
    using TVTAnimationCallback = std::function<bool(int Step, int StepSize, void* Data)>;
    // Calls Callback about Steps / StepSize times spread over Duration ms of
    // the layer's clock, growing the step when the calls fall behind; then
    // once more with (0, 0). Nothing while another animation runs.
    void Animate(uint32_t Steps, uint32_t Duration, const TVTAnimationCallback& Callback,
                 void* Data);
    // Prints the whole content (and the header when asked and shown) on
    // Printer, scaled as the printer's text is to the screen's, cut into
    // as many pages as it needs. Nothing without a printer.
    void Print(TPrinter* Printer, bool PrintHeader);

protected:
    // What the toggle animation scrolls: the rows below a node, on the
    // window's device context.
    struct TToggleAnimationData {
        bool Expand = false;
        HWND Window = nullptr;
        HDC DC = nullptr;
        HBRUSH Brush = nullptr;
        TRect R{};
    };
    // One step of the toggle animation: moves R's content by StepSize
    // (down when expanding) and fills the band the first step opens.
    bool ToggleCallback(int Step, int StepSize, void* Data);
    // Slides the rows below Node open (Expanding) or shut over the
    // animation duration, before the node's new state is painted.
    void AnimateToggle(PVirtualNode Node, bool Expanding, int64_t ExtraHeight);
    // Form data beside the published properties: the header's "Columns",
    // and "Options" of older forms (read only).
    void DefineProperties(TFiler* Filer) override;
    void ReadOldOptions(TReader* Reader);
    // === End of animation, form properties and printing ====================================

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
    // Copies between places and trees go through the tree stream: writes
    // Source (or its children) as node records and rewinds the stream.
    void WriteTransfer(TStream* Stream, PVirtualNode Source, bool ChildrenOnly);
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
// Whether the processor has the MMX instructions (every x86-64 does);
// MMXAvailable is set from it when the first tree is made.
bool HasMMX();
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

// Which nodes an export takes.
enum TQOZTextSourceType { tstAll, tstInitialized, tstSelected, tstCutCopySet, tstVisible };

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
    // Clipboard data of this tree is rendered while its texts can still be asked.
    ~TCustomVirtualStringTree() override { ReleaseClipboardData(); }
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetText(PVirtualNode Node, TColumnIndex Column);
    void SetText(PVirtualNode Node, TColumnIndex Column, const UnicodeString& Value);
    const UnicodeString& GetDefaultText() const { return FDefaultText; }
    void SetDefaultText(const UnicodeString& Value);
    // Forms keep the default text as "WideDefaultText" (when not "Node");
    // older forms' "StringOptions" are read.
    void DefineProperties(TFiler* Filer) override;
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

    // === Export ===================================================================================
    // One line per node, levels indented by separators; ANSI text.
    std::string ContentToText(TQOZTextSourceType Source, char Separator);
    UnicodeString ContentToUnicode(TQOZTextSourceType Source, char16_t Separator);
    // UTF-8 HTML of a table with the tree's fonts and colours.
    std::string ContentToHTML(TQOZTextSourceType Source, const UnicodeString& Caption);
    std::string ContentToRTF(TQOZTextSourceType Source);
    // A global block with the rendering for the clipboard format, zero
    // terminated; nil for an unknown format.
    HGLOBAL ContentToClipboard(uint16_t Format, TQOZTextSourceType Source);
    // === End of export ============================================================================

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
    // Export helpers.
    enum TTextQuoting { tqAnsi, tqUnicode, tqCsv };
    struct TExportLayout {
        std::vector<TVirtualTreeColumn*> Columns; // visible, in display order
        TNodeArray Nodes;
        uint32_t MaxLevel = 0;
    };
    PVirtualNode FirstOf(TQOZTextSourceType Source);
    PVirtualNode NextOf(TQOZTextSourceType Source, PVirtualNode Node);
    TExportLayout ExportLayout(TQOZTextSourceType Source);
    UnicodeString RenderText(TQOZTextSourceType Source, char16_t Separator, TTextQuoting Quoting);
    std::string ContentToCSV(TQOZTextSourceType Source);
    static std::string RtfText(const UnicodeString& S);
    static std::string HtmlClipboardText(const std::string& Html);
    // The main column's text travels with the node (caption chunk).
    void WriteChunks(TStream* Stream, PVirtualNode Node) override;
    bool ReadChunk(TStream* Stream, int Version, PVirtualNode Node, int ChunkType,
                   int ChunkSize) override;
    UnicodeString TreeViewItemText(PVirtualNode Node) override;
    // Text formats when the base renders nothing.
    HRESULT RenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                          bool ForClipboard) override;
    void InitializeTextProperties(TVTPaintInfo& PaintInfo);
    void PaintNormalText(TVTPaintInfo& PaintInfo, const UnicodeString& Text);
    void PaintStaticText(TVTPaintInfo& PaintInfo, const UnicodeString& Text);
    void MeasureFont();

    // === In the user's hands (string tree) ================================================
public:
    void GetTextInfo(PVirtualNode Node, TColumnIndex Column, TFont* AFont, TRect& R,
                     UnicodeString& Text) override;
    TVTHintEvent OnGetHint;

protected:
    TVTEditLinkRef DoCreateEditor(PVirtualNode Node, TColumnIndex Column) override;
    int DoIncrementalSearch(PVirtualNode Node, const UnicodeString& Text) override;
    UnicodeString DoGetNodeHint(PVirtualNode Node, TColumnIndex Column,
                                TVTTooltipLineBreakStyle& LineBreakStyle) override;
    UnicodeString DoGetNodeTooltip(PVirtualNode Node, TColumnIndex Column,
                                   TVTTooltipLineBreakStyle& LineBreakStyle) override;
    friend class TStringEditLink;
    friend class TVirtualTreeHintWindow;
    // === end of the user's hands (string tree) ============================================

    UnicodeString FDefaultText = u"Node";
    int FTextHeight = 0;
    int FEllipsisWidth = 0;
    uint32_t FInternalDataOffset = 0;
    bool FFontChanged = false;
};

// --- The tree's hint window -------------------------------------------------------------------

// Set while no tree hint window exists (the header shows its next hint at once).
extern bool HintWindowDestroyed;

// Shows a tree's hints: a plain hint text, or a tooltip with a cell's full
// text laid exactly over the cut text.
class TVirtualTreeHintWindow : public THintWindow {
public:
    explicit TVirtualTreeHintWindow(TComponent* AOwner);
    ~TVirtualTreeHintWindow() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    static THintWindow* Make(TComponent* AOwner);

    TRect CalcHintRect(int MaxWidth, const UnicodeString& Hint, void* Data) override;
    void ActivateHint(TRect Rect, const UnicodeString& Hint) override;
    bool IsHintMsg(const MSG& Msg) override;
    const TVTHintData& GetHintData() const { return FHintData; }
    // Whether a fade or slide is still under way.
    bool GetAnimating() const { return FAnimationSteps != 0; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void Paint() override;
    // Shows the hint as it is at Step of its animation (StepSize 0: finished).
    void InternalPaint(int Step, int StepSize);
    // One frame of the animation: whether it goes on.
    bool AnimationCallback(int Step, int StepSize);

    TVTHintData FHintData;
    int FTextHeight = 0;

private:
    void DrawHint(TCanvas* Canvas);
    void CopyToWindow(TBitmap* Source);
    void StopAnimation();
    void AnimationFrame();

    // The hint as it looks, the screen under the window before it showed,
    // and the blend of both while fading.
    std::unique_ptr<TBitmap> FDrawBuffer;
    std::unique_ptr<TBitmap> FBackground;
    std::unique_ptr<TBitmap> FTarget;
    // The animation runs on a frame timer, one step per frame, so that the
    // GUI thread never waits for it.
    THintAnimationType FAnimationType = hatNone;
    int FAnimationSteps = 0;
    uint32_t FAnimationDuration = 0;
    uint32_t FAnimationStart = 0;
    int FAnimationStep = 0;
    // The tree that is in its animation state for this hint.
    TBaseVirtualTree* FAnimatedTree = nullptr;
};

// --- The string tree's in-place editor -------------------------------------------------------

class TStringEditLink;

// The edit control of a TStringEditLink. It keeps its link alive while it
// exists and frees itself through a posted message, so that it may end the
// edit from inside its own key handling.
class TVTEdit : public TCustomEdit {
public:
    explicit TVTEdit(TStringEditLink* Link);
    ~TVTEdit() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Dispatch(TMessage& Message) override;
    // Frees the control once the messages in flight are handled.
    void ReleaseLater();
    void AutoAdjustSize();

protected:
    friend class TStringEditLink;
    void CreateParams(TCreateParams& Params) override;
    bool KeyDown(TMessage& Message);
    void DetachLink();

    TVTEditLinkRef FRefLink;
    TStringEditLink* FLink = nullptr;
};

// The string tree's default editor: a single-border edit over the cell text.
class TStringEditLink : public TInterfacedObject, public IVTEditLink {
public:
    TStringEditLink();
    ~TStringEditLink() override;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    bool BeginEdit() override;
    bool CancelEdit() override;
    bool EndEdit() override;
    bool PrepareEdit(TBaseVirtualTree* Tree, PVirtualNode Node, TColumnIndex Column) override;
    TRect GetBounds() override;
    void ProcessMessage(TMessage& Message) override;
    void SetBounds(TRect R) override;

    TVTEdit* GetEdit() const { return FEdit; }
    void SetEdit(TVTEdit* Value);

protected:
    friend class TVTEdit;
    TVTEdit* FEdit = nullptr;
    TCustomVirtualStringTree* FTree = nullptr;
    PVirtualNode FNode = nullptr;
    TColumnIndex FColumn = NoColumn;
    TAlignment FAlignment = taLeftJustify;
    TRect FTextBounds{};
    bool FStopping = false;
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
