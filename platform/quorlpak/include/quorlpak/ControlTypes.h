// The enumerations, sets and small types of the control classes.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Set.h>
#include <runpak/UString.h>

#include <cstdint>
#include <functional>

// Horizontal alignment of text in controls, property fields and columns.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TObject;

// --- Shift state and mouse buttons ----------------------------------------------------
enum TShiftStateItem {
    ssShift,
    ssAlt,
    ssCtrl,
    ssLeft,
    ssRight,
    ssMiddle,
    ssDouble,
    ssTouch,
    ssPen,
    ssCommand,
    ssHorizontal
};
using TShiftState = TSet<TShiftStateItem, 16>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// From the MK_ bits of a mouse message (Alt from the keyboard state).
TShiftState KeysToShiftState(uint16_t Keys);
// From the key data of a key message (Shift and Ctrl from the keyboard state).
TShiftState KeyDataToShiftState(intptr_t KeyData);
TShiftState KeyboardStateToShiftState();

// --- Layout -----------------------------------------------------------------------------
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind, 8>;

// --- Control style and state --------------------------------------------------------------
enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground,
    csPannable,
    csAlignWithMargins,
    csGestures,
    csPaintBlackOpaqueOnGlass,
    csOverrideStylePaint,
    csNeedsDesignDisabledState
};
using TControlStyle = TSet<TControlStyleItem, 32>;

enum TControlStateItem {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
    csDesignerHide,
    csPanning,
    csRecreating,
    csAligning,
    csGlassPaint,
    csPrintClient
};
using TControlState = TSet<TControlStateItem, 32>;

// --- Cursors -----------------------------------------------------------------------------
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

// --- Modal results ----------------------------------------------------------------------------
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrClose = 8;
constexpr TModalResult mrHelp = 9;
constexpr TModalResult mrTryAgain = 10;
constexpr TModalResult mrContinue = 11;
constexpr TModalResult mrAll = mrContinue + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

// --- Everything else a control carries -----------------------------------------------------
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};
using TImeName = UnicodeString;
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge, 8>;
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
using TBevelWidth = int;
using TBorderWidth = int;
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// Controls other than forms use only bsNone and bsSingle.
using TBorderStyle = TFormBorderStyle;
using TCaption = UnicodeString;

// --- Event types
// ----------------------------------------------------------------------------------
using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char16_t& Key)>;

#pragma GCC visibility pop
