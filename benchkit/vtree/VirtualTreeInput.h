// Types of the tree in the user's hands: hit testing, the in-place editor
// interface, incremental search, hints and the events of selection, focus,
// mouse, keyboard and editing.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/VirtualTreeTypes.h"

#include <quorlpak/Controls.h>
#include <runpak/Interfaces.h>

#include <functional>

class TBaseVirtualTree;
class TPopupMenu;

// --- Hit testing ----------------------------------------------------------------------

enum THitPosition {
    hiAbove,
    hiBelow,
    hiNowhere,
    hiOnItem,
    hiOnItemButton,
    hiOnItemCheckbox,
    hiOnItemIndent,
    hiOnItemLabel,
    hiOnItemLeft,
    hiOnItemRight,
    hiOnNormalIcon,
    hiOnStateIcon,
    hiToLeft,
    hiToRight
};
using THitPositions = TPackedSet<THitPosition, uint16_t>;

struct THitInfo {
    PVirtualNode HitNode = nullptr;
    THitPositions HitPositions;
    TColumnIndex HitColumn = NoColumn;
};

// Compacts Array in place, dropping entries marked for removal (bit 0 of
// the pointer set); the new count, or -1 when Count is 0.
int PackArray(PVirtualNode* Array, int Count);

// --- In-place editing -------------------------------------------------------------------

// The editor of one cell. The tree only sequences it: prepare, place, begin,
// then end or cancel; a false answer refuses the step.
struct IVTEditLink : virtual IInterface {
    static constexpr InterfaceID<IVTEditLink> IID_{"{2BE3EAFA-5ACB-45B4-9D9A-B58BCC496E17}"};
    virtual bool BeginEdit() = 0;
    virtual bool CancelEdit() = 0;
    virtual bool EndEdit() = 0;
    virtual bool PrepareEdit(TBaseVirtualTree* Tree, PVirtualNode Node, TColumnIndex Column) = 0;
    virtual TRect GetBounds() = 0;
    virtual void ProcessMessage(TMessage& Message) = 0;
    virtual void SetBounds(TRect R) = 0;
};
using TVTEditLinkRef = InterfacePtr<IVTEditLink>;

// --- Incremental search -------------------------------------------------------------

enum TVTIncrementalSearch { isAll, isNone, isInitializedOnly, isVisibleOnly };
enum TVTSearchDirection { sdForward, sdBackward };
enum TVTSearchStart { ssAlwaysStartOver, ssLastHit, ssFocusedNode };

// --- Hints -------------------------------------------------------------------------------

enum TVTHintMode { hmDefault, hmHint, hmHintAndDefault, hmTooltip };
enum TVTTooltipLineBreakStyle { hlbDefault, hlbForceSingleLine, hlbForceMultiLine };
enum THintAnimationType { hatNone, hatFade, hatSlide, hatSystemDefault };

// What the tree hands its hint window for one hint.
struct TVTHintData {
    TBaseVirtualTree* Tree = nullptr;
    PVirtualNode Node = nullptr;
    TColumnIndex Column = NoColumn;
    TRect HintRect{};
    UnicodeString DefaultHint;
    UnicodeString HintText;
    TBiDiMode BidiMode = bdLeftToRight;
    TAlignment Alignment = taLeftJustify;
    TVTTooltipLineBreakStyle LineBreakStyle = hlbDefault;
};

// --- Drag types of the hooks ------------------------------------------------------------

enum TVTDragType { dtOLE, dtQUORL };

// --- Events -------------------------------------------------------------------------------

using TVTFocusChangingEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode OldNode, PVirtualNode NewNode,
                       TColumnIndex OldColumn, TColumnIndex NewColumn, bool& Allowed)>;
using TVTFocusChangeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column)>;
using TVTGetCursorEvent = std::function<void(TBaseVirtualTree* Sender, HCURSOR& Cursor)>;
using TVTHotNodeChangeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode OldNode, PVirtualNode NewNode)>;
using TVTPopupEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                       TPoint P, bool& AskParent, TPopupMenu*& PopupMenu)>;
using TVTKeyActionEvent = std::function<void(TBaseVirtualTree* Sender, uint16_t& CharCode,
                                             TShiftState& Shift, bool& DoDefault)>;
using TVTHelpContextEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                               TColumnIndex Column, int& HelpContext)>;
using TVTEditChangingEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                                TColumnIndex Column, bool& Allowed)>;
using TVTEditChangeEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column)>;
using TVTEditCancelEvent = std::function<void(TBaseVirtualTree* Sender, TColumnIndex Column)>;
using TVTCreateEditorEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                                TColumnIndex Column, TVTEditLinkRef& EditLink)>;
using TVTIncrementalSearchEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                       const UnicodeString& SearchText, int& Result)>;
using TVTDragAllowedEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                               TColumnIndex Column, bool& Allowed)>;
using TVTGetCellIsEmptyEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                                  TColumnIndex Column, bool& IsEmpty)>;
using TVTHintEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                        TColumnIndex Column,
                                        TVTTooltipLineBreakStyle& LineBreakStyle,
                                        UnicodeString& HintText)>;

#pragma GCC visibility pop
