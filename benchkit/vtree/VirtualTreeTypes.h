// The small types of the virtual tree: packed sets, the node record and its
// states, tree states, change reasons, option sets, event signatures and the
// tree's exception. Everything here is plain data; the tree class lives in
// IDEVirtualTrees.h.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Colors.h>
#include <quorlpak/ControlTypes.h>
#include <quorlpak/Types.h>
#include <runpak/Exceptions.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

class TBaseVirtualTree;
class TStream;
class TCanvas;
class TVTHeader;
class TVirtualTreeColumn;
struct THeaderPaintInfo;

// A set over an enumeration stored in exactly the bits of Bits (bit n is the
// enumeration's value n). Unlike TSet it is as small as the documented
// layouts need (a node's states are 16 bits) and trivially copyable, so it
// may sit in zero-filled raw node memory.
template <class E, class Bits> class TPackedSet {
public:
    constexpr TPackedSet() = default;
    constexpr TPackedSet(std::initializer_list<E> values) {
        for (E v : values)
            FBits = Bits(FBits | Mask(v));
    }

    constexpr bool Contains(E v) const { return (FBits & Mask(v)) != 0; }
    constexpr TPackedSet& Include(E v) {
        FBits = Bits(FBits | Mask(v));
        return *this;
    }
    constexpr TPackedSet& Exclude(E v) {
        FBits = Bits(FBits & ~Mask(v));
        return *this;
    }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr void Clear() { FBits = 0; }
    // Whether any member of other is in this set.
    constexpr bool Intersects(TPackedSet other) const { return (FBits & other.FBits) != 0; }

    friend constexpr TPackedSet operator+(TPackedSet a, TPackedSet b) {
        return Raw(a.FBits | b.FBits);
    }
    friend constexpr TPackedSet operator-(TPackedSet a, TPackedSet b) {
        return Raw(a.FBits & ~b.FBits);
    }
    friend constexpr TPackedSet operator*(TPackedSet a, TPackedSet b) {
        return Raw(a.FBits & b.FBits);
    }
    friend constexpr TPackedSet operator+(TPackedSet a, E v) { return a.Include(v); }
    friend constexpr TPackedSet operator-(TPackedSet a, E v) { return a.Exclude(v); }
    constexpr TPackedSet& operator+=(TPackedSet b) { return *this = *this + b; }
    constexpr TPackedSet& operator-=(TPackedSet b) { return *this = *this - b; }
    friend constexpr bool operator==(TPackedSet a, TPackedSet b) { return a.FBits == b.FBits; }
    // a <= b: every member of a is in b.
    friend constexpr bool operator<=(TPackedSet a, TPackedSet b) {
        return (a.FBits & ~b.FBits) == 0;
    }

    constexpr Bits ToInt() const { return FBits; }
    static constexpr TPackedSet FromInt(uint64_t value) { return Raw(Bits(value)); }

private:
    static constexpr Bits Mask(E v) { return Bits(Bits(1) << static_cast<unsigned>(v)); }
    static constexpr TPackedSet Raw(uint64_t bits) {
        TPackedSet s;
        s.FBits = Bits(bits);
        return s;
    }
    Bits FBits = 0;
};

// --- Node record ------------------------------------------------------------------

// Bit order is persisted by tree streams: append only.
enum TVirtualNodeState {
    vsInitialized,
    vsChecking,
    vsCutOrCopy,
    vsDisabled,
    vsDeleting,
    vsExpanded,
    vsHasChildren,
    vsVisible,
    vsSelected,
    vsInitialUserData,
    vsAllChildrenHidden,
    vsClearing,
    vsMultiline,
    vsHeightMeasured,
    vsToggling
};
using TVirtualNodeStates = TPackedSet<TVirtualNodeState, uint16_t>;

enum TVirtualNodeInitState { ivsDisabled, ivsExpanded, ivsHasChildren, ivsMultiline, ivsSelected };
using TVirtualNodeInitStates = TPackedSet<TVirtualNodeInitState, uint8_t>;

enum TCheckState : uint8_t {
    csUncheckedNormal,
    csUncheckedPressed,
    csCheckedNormal,
    csCheckedPressed,
    csMixedNormal,
    csMixedPressed
};
enum TCheckType : uint8_t { ctNone, ctTriStateCheckBox, ctCheckBox, ctRadioButton, ctButton };

enum TVTNodeAttachMode {
    amNoWhere,
    amInsertBefore,
    amInsertAfter,
    amAddChildFirst,
    amAddChildLast
};

// One node: this fixed record at the start of a zero-filled block, then the
// internal data areas of descendants, then the application's data.
struct TVirtualNode {
    uint32_t Index;      // position among the siblings
    uint32_t ChildCount; // children that exist
    uint16_t NodeHeight; // own row height in pixels
    TVirtualNodeStates States;
    uint8_t Align; // vertical alignment of button and lines, 50 for a new node
    TCheckState CheckState;
    TCheckType CheckType;
    uint8_t Dummy;
    uint32_t TotalCount;  // 1 + every descendant
    uint32_t TotalHeight; // own height + visible children's totals when expanded
    TVirtualNode* Parent; // for the hidden root: the tree itself
    TVirtualNode* PrevSibling;
    TVirtualNode* NextSibling;
    TVirtualNode* FirstChild;
    TVirtualNode* LastChild;

    // Start of the variable part (internal areas, then user data).
    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this + 1); }
};
using PVirtualNode = TVirtualNode*;
static_assert(sizeof(TVirtualNode) == 24 + 5 * sizeof(void*), "node record layout");

using TNodeArray = std::vector<PVirtualNode>;

// --- Tree states ------------------------------------------------------------------

enum TVirtualTreeState {
    tsCancelHintAnimation,
    tsChangePending,
    tsCheckPropagation,
    tsCollapsing,
    tsToggleFocusedSelection,
    tsClearPending,
    tsClipboardFlushing,
    tsCopyPending,
    tsCutPending,
    tsDrawSelPending,
    tsDrawSelecting,
    tsEditing,
    tsEditPending,
    tsExpanding,
    tsHint,
    tsInAnimation,
    tsIncrementalSearching,
    tsIncrementalSearchPending,
    tsIterating,
    tsKeyCheckPending,
    tsLeftButtonDown,
    tsLeftDblClick,
    tsMouseCheckPending,
    tsMiddleButtonDown,
    tsMiddleDblClick,
    tsNeedScale,
    tsNeedRootCountUpdate,
    tsOLEDragging,
    tsOLEDragPending,
    tsPainting,
    tsRightButtonDown,
    tsRightDblClick,
    tsPopupMenuShown,
    tsScrolling,
    tsScrollPending,
    tsSizing,
    tsStopValidation,
    tsStructureChangePending,
    tsSynchMode,
    tsThumbTracking,
    tsUpdateHiddenChildrenNeeded,
    tsUpdating,
    tsUseCache,
    tsUserDragObject,
    tsUseThemes,
    tsValidating,
    tsValidationNeeded,
    tsQUORLDragging,
    tsQUORLDragPending,
    tsWheelPanning,
    tsWheelScrolling,
    tsWindowCreating
};
using TVirtualTreeStates = TPackedSet<TVirtualTreeState, uint64_t>;

// The four tree states the worker thread asks for, in WM_TREESTATES.
enum TChangeState { csStopValidation, csUseCache, csValidating, csValidationNeeded };
using TChangeStates = TPackedSet<TChangeState, uint8_t>;

// Sent by the worker thread: wParam the states to enter, lParam those to leave.
constexpr unsigned WM_TREESTATES = 0x8000 + 32;

enum TChangeReason {
    crIgnore,
    crAccumulated,
    crChildAdded,
    crChildDeleted,
    crNodeAdded,
    crNodeCopied,
    crNodeMoved
};

enum TVTUpdateState { usBegin, usBeginSynch, usSynch, usUpdate, usEnd, usEndSynch };

// Window timers of every tree.
enum : unsigned {
    ExpandTimer = 1,
    EditTimer = 2,
    HeaderTimer = 3,
    ScrollTimer = 4,
    ChangeTimer = 5,
    StructureChangeTimer = 6,
    SearchTimer = 7
};

// --- Columns ----------------------------------------------------------------------

using TColumnIndex = int32_t;
using TColumnPosition = uint32_t;
constexpr TColumnIndex NoColumn = -1;
constexpr TColumnIndex InvalidColumn = -2;

enum THeaderPaintElement { hpeBackground, hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText };
using THeaderPaintElements = TPackedSet<THeaderPaintElement, uint8_t>;
enum TVTDropMarkMode { dmmNone, dmmLeft, dmmRight };

// --- Options ----------------------------------------------------------------------

enum TVTPaintOption {
    toHideFocusRect,
    toHideSelection,
    toHotTrack,
    toPopupMode,
    toShowBackground,
    toShowButtons,
    toShowDropmark,
    toShowHorzGridLines,
    toShowRoot,
    toShowTreeLines,
    toShowVertGridLines,
    toThemeAware,
    toUseBlendedImages,
    toGhostedIfUnfocused,
    toFullVertGridLines,
    toAlwaysHideSelection,
    toUseBlendedSelection,
    toStaticBackground
};
using TVTPaintOptions = TPackedSet<TVTPaintOption, uint32_t>;

enum TVTAnimationOption { toAnimatedToggle };
using TVTAnimationOptions = TPackedSet<TVTAnimationOption, uint8_t>;

enum TVTAutoOption {
    toAutoDropExpand,
    toAutoExpand,
    toAutoScroll,
    toAutoScrollOnExpand,
    toAutoSort,
    toAutoSpanColumns,
    toAutoTristateTracking,
    toAutoHideButtons,
    toAutoDeleteMovedNodes,
    toDisableAutoscrollOnFocus,
    toAutoChangeScale,
    toAutoFreeOnCollapse,
    toDisableAutoscrollOnEdit,
    toAutoBidiColumnOrdering,
    toAutoScrollAlignLeft
};
using TVTAutoOptions = TPackedSet<TVTAutoOption, uint16_t>;

enum TVTSelectionOption {
    toDisableDrawSelection,
    toExtendedFocus,
    toFullRowSelect,
    toLevelSelectConstraint,
    toMiddleClickSelect,
    toMultiSelect,
    toRightClickSelect,
    toSiblingSelectConstraint,
    toCenterScrollIntoView,
    toSimpleDrawSelection
};
using TVTSelectionOptions = TPackedSet<TVTSelectionOption, uint16_t>;

enum TVTMiscOption {
    toAcceptOLEDrop,
    toCheckSupport,
    toEditable,
    toFullRepaintOnResize,
    toGridExtensions,
    toInitOnSave,
    toReportMode,
    toToggleOnDblClick,
    toWheelPanning,
    toReadOnly,
    toVariableNodeHeight,
    toFullRowDrag,
    toPreventFullExpand
};
using TVTMiscOptions = TPackedSet<TVTMiscOption, uint16_t>;

enum TVTStringOption { toSaveCaptions, toShowStaticText, toAutoAcceptEditChange };
using TVTStringOptions = TPackedSet<TVTStringOption, uint8_t>;

constexpr TVTPaintOptions DefaultPaintOptions{toShowButtons,   toShowDropmark, toShowRoot,
                                              toShowTreeLines, toThemeAware,   toUseBlendedImages};
constexpr TVTAnimationOptions DefaultAnimationOptions{};
constexpr TVTAutoOptions DefaultAutoOptions{toAutoDropExpand, toAutoScrollOnExpand,
                                            toAutoTristateTracking, toAutoDeleteMovedNodes};
constexpr TVTSelectionOptions DefaultSelectionOptions{};
constexpr TVTMiscOptions DefaultMiscOptions{toAcceptOLEDrop, toFullRepaintOnResize, toInitOnSave,
                                            toToggleOnDblClick, toWheelPanning};
constexpr TVTStringOptions DefaultStringOptions{toSaveCaptions, toAutoAcceptEditChange};

// The framework's scroll bar choice, and the look of the tree's bars.
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollBarStyle { sbmRegular, sbmFlat, sbm3D };
using TVTScrollIncrement = int; // 1 .. 10000

// --- Events -----------------------------------------------------------------------

using TVTGetNodeDataSizeEvent = std::function<void(TBaseVirtualTree* Sender, int& NodeDataSize)>;
using TVTInitNodeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode ParentNode, PVirtualNode Node,
                       TVirtualNodeInitStates& InitialStates)>;
using TVTInitChildrenEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, uint32_t& ChildCount)>;
using TVTFreeNodeEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node)>;
using TVTChangeEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node)>;
using TVTChangingEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, bool& Allowed)>;
using TVTNodeMovingEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                              PVirtualNode Target, bool& Allowed)>;
using TVTNodeCopyingEvent = TVTNodeMovingEvent;
using TVTMeasureItemEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas,
                                               PVirtualNode Node, int& NodeHeight)>;
using TVTStructureChangeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TChangeReason Reason)>;
using TVTUpdatingEvent = std::function<void(TBaseVirtualTree* Sender, TVTUpdateState State)>;
using TVTStateChangeEvent = std::function<void(TBaseVirtualTree* Sender, TVirtualTreeStates Enter,
                                               TVirtualTreeStates Leave)>;
using TVTGetNodeProc =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, void* Data, bool& Abort)>;

// Header and column events; the header events pass the header as sender.
using TVTColumnClickEvent =
    std::function<void(TBaseVirtualTree* Sender, TColumnIndex Column, TShiftState Shift)>;
using TVTColumnDblClickEvent = TVTColumnClickEvent;
using TVTHeaderNotifyEvent = std::function<void(TVTHeader* Sender, TColumnIndex Column)>;
using TVTHeaderClickEvent = std::function<void(
    TVTHeader* Sender, TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TVTHeaderDraggedEvent =
    std::function<void(TVTHeader* Sender, TColumnIndex Column, int OldPosition)>;
using TVTHeaderDraggedOutEvent =
    std::function<void(TVTHeader* Sender, TColumnIndex Column, TPoint DropPosition)>;
using TVTHeaderDraggingEvent =
    std::function<void(TVTHeader* Sender, TColumnIndex Column, bool& Allowed)>;
using TVTHeaderPaintEvent =
    std::function<void(TVTHeader* Sender, TCanvas* HeaderCanvas, TVirtualTreeColumn* Column,
                       TRect R, bool Hover, bool Pressed, TVTDropMarkMode DropMark)>;
using TVTHeaderPaintQueryElementsEvent = std::function<void(
    TVTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements)>;
using TVTAdvancedHeaderPaintEvent = std::function<void(
    TVTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements Elements)>;
using TVTHeaderMouseEvent =
    std::function<void(TVTHeader* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TVTHeaderMouseMoveEvent =
    std::function<void(TVTHeader* Sender, TShiftState Shift, int X, int Y)>;
using TVTGetHeaderCursorEvent = std::function<void(TVTHeader* Sender, HCURSOR& Cursor)>;

// --- Painting ---------------------------------------------------------------------

class TCustomImageList;

enum TVTInternalPaintOption {
    poBackground,
    poColumnColor,
    poDrawFocusRect,
    poDrawSelection,
    poDrawDropMark,
    poGridLines,
    poMainOnly,
    poSelectedOnly
};
using TVTInternalPaintOptions = TPackedSet<TVTInternalPaintOption, uint8_t>;
// What the window's own paint passes, and what printing passes.
constexpr TVTInternalPaintOptions WindowPaintOptions = TVTInternalPaintOptions::FromInt(63);
constexpr TVTInternalPaintOptions PrintPaintOptions = TVTInternalPaintOptions::FromInt(61);

enum TVTLineType : uint8_t {
    ltNone,
    ltBottomRight,
    ltTopDown,
    ltTopDownRight,
    ltRight,
    ltTopRight,
    ltLeft,
    ltLeftBottom
};
using TLineImage = std::vector<TVTLineType>;

enum TVTLineStyle { lsCustomStyle, lsDotted, lsSolid };
enum TVTLineMode { lmNormal, lmBands };
enum TVTButtonStyle { bsRectangle, bsTriangle };
enum TVTButtonFillMode { fmTreeColor, fmWindowColor, fmShaded, fmTransparent };
enum TVTDrawSelectionMode { smDottedRectangle, smBlendedRectangle };
enum TVTNodeAlignment { naFromBottom, naFromTop, naProportional };
enum TItemEraseAction { eaColor, eaDefault, eaNone };
enum TVTImageKind { ikNormal, ikSelected, ikState, ikOverlay };
enum TVTImageInfoIndex { iiNormal, iiState, iiCheck, iiOverlay };
enum TCheckImageKind {
    ckLightCheck,
    ckDarkCheck,
    ckLightTick,
    ckDarkTick,
    ckFlat,
    ckXP,
    ckCustom,
    ckSystem,
    ckSystemFlat
};
enum TBlendMode { bmConstantAlpha, bmPerPixelAlpha, bmMasterAlpha, bmConstantAlphaAndColor };
enum TDropMode { dmNowhere, dmAbove, dmOnNode, dmBelow };

enum TScrollUpdateOption {
    suoRepaintHeader,
    suoRepaintScrollbars,
    suoScrollClientArea,
    suoUpdateNCArea
};
using TScrollUpdateOptions = TPackedSet<TScrollUpdateOption, uint8_t>;
constexpr TScrollUpdateOptions DefaultScrollUpdateFlags{suoRepaintHeader, suoRepaintScrollbars,
                                                        suoScrollClientArea, suoUpdateNCArea};

struct TVTImageInfo {
    int Index = -1;
    int XPos = 0;
    int YPos = 0;
    bool Ghosted = false;
    TCustomImageList* Images = nullptr;
};

// Everything one cell's painting needs; handed to every cell operation.
struct TVTPaintInfo {
    TCanvas* Canvas = nullptr;
    TVTInternalPaintOptions PaintOptions;
    PVirtualNode Node = nullptr;
    int32_t Column = -1;
    uint32_t Position = 0;
    TRect CellRect{};
    TRect ContentRect{};
    int NodeWidth = 0;
    uint8_t Alignment = 0;
    uint8_t BidiMode = 0;
    TPoint BrushOrigin{};
    TVTImageInfo ImageInfo[4];
};

class TBaseVirtualTree;
using TVTPaintEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas)>;
using TVTBeforeItemEraseEvent =
    std::function<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                       const TRect& ItemRect, TColor& ItemColor, TItemEraseAction& EraseAction)>;
using TVTAfterItemEraseEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas,
                                                  PVirtualNode Node, const TRect& ItemRect)>;
using TVTBeforeItemPaintEvent =
    std::function<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                       const TRect& ItemRect, bool& CustomDraw)>;
using TVTAfterItemPaintEvent = TVTAfterItemEraseEvent;
using TVTBeforeCellPaintEvent =
    std::function<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                       int32_t Column, const TRect& CellRect)>;
using TVTAfterCellPaintEvent = TVTBeforeCellPaintEvent;
using TVTBackgroundPaintEvent = std::function<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas,
                                                   const TRect& R, bool& Handled)>;
using TVTGetLineStyleEvent = std::function<void(TBaseVirtualTree* Sender, const void*& Bits)>;
using TVTGetImageEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TVTImageKind Kind,
                       int32_t Column, bool& Ghosted, int& ImageIndex)>;
using TVTGetImageExEvent = std::function<void(
    TBaseVirtualTree* Sender, PVirtualNode Node, TVTImageKind Kind, int32_t Column, bool& Ghosted,
    int& ImageIndex, TCustomImageList*& ImageList)>;
using TVTScrollEvent = std::function<void(TBaseVirtualTree* Sender, int DeltaX, int DeltaY)>;

// Events of check states and sorting.
struct tagFORMATETC;
struct tagSTGMEDIUM;
struct IDataObject;
enum TDragOperation { doCopy, doMove, doLink };
using TDragOperations = TPackedSet<TDragOperation, uint8_t>;
using TFormatArray = std::vector<uint16_t>;
using TVTDragOverEvent = std::function<void(TBaseVirtualTree* Sender, TObject* Source,
                                            TShiftState Shift, TDragState State, TPoint Pt,
                                            TDropMode Mode, uint32_t& Effect, bool& Accept)>;
using TVTDragDropEvent = std::function<void(TBaseVirtualTree* Sender, TObject* Source,
                                            IDataObject* DataObject, const TFormatArray& Formats,
                                            TShiftState Shift, TPoint Pt, uint32_t& Effect,
                                            TDropMode Mode)>;
using TVTRenderOLEDataEvent =
    std::function<void(TBaseVirtualTree* Sender, const tagFORMATETC& FormatEtcIn,
                       tagSTGMEDIUM& Medium, bool ForClipboard, HRESULT& Result)>;
using TVTGetUserClipboardFormatsEvent =
    std::function<void(TBaseVirtualTree* Sender, std::vector<tagFORMATETC>& Formats)>;
using TVTSaveNodeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TStream* Stream)>;
using TVTCheckChangingEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                                 TCheckState& NewState, bool& Allowed)>;
using TVTCompareEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node1,
                                           PVirtualNode Node2, TColumnIndex Column, int& Result)>;

// --- Errors -----------------------------------------------------------------------

class EVirtualTreeError : public Exception {
public:
    EVirtualTreeError(UnicodeString Message, int Code)
        : Exception(std::move(Message)), ErrorCode(Code) {}
    int ErrorCode;
};

enum : int {
    hcTFEditLinkIsNil = 2000,
    hcTFWrongMoveError = 2001,
    hcTFWrongStreamFormat = 2002,
    hcTFWrongStreamVersion = 2003,
    hcTFStreamTooSmall = 2004,
    hcTFCorruptStream1 = 2005,
    hcTFCorruptStream2 = 2006,
    hcTFClipboardFailed = 2007,
    hcTFCannotSetUserData = 2008
};

// Raises EVirtualTreeError with the message that belongs to Code.
[[noreturn]] void ShowVirtualTreeError(int Code);

#pragma GCC visibility pop
