// The framework's own drag and drop between controls of this process: a
// control's BeginDrag runs the drag until a button is released or Escape is
// pressed, and asks the controls under the mouse through CM_DRAG whether
// they take what is dragged.
//
// CM_DRAG: WParam is a TDragMessage, LParam a TDragRec*. For dmFindTarget
// the result is the control that stands as target at the point (0: the
// control asked); for enter and move a non-zero result accepts the drop.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <quorlpak/Types.h>
#include <runpak/Object.h>

class TControl;

enum TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget };

class TDragObject : public TObject {
public:
    TPoint GetDragPos() const { return FDragPos; }
    void SetDragPos(TPoint Value) { FDragPos = Value; }
    TControl* GetDragTarget() const { return FDragTarget; }
    void SetDragTarget(TControl* Value) { FDragTarget = Value; }

private:
    TPoint FDragPos{};
    TControl* FDragTarget = nullptr;
};

// Stands for the control that is dragged.
class TBaseDragControlObject : public TDragObject {
public:
    explicit TBaseDragControlObject(TControl* AControl) : FControl(AControl) {}
    TControl* GetControl() const { return FControl; }

private:
    TControl* FControl;
};

class TDragControlObject : public TBaseDragControlObject {
public:
    using TBaseDragControlObject::TBaseDragControlObject;
};

class TWinControl;

// A control dragged to be docked elsewhere; only dock sites take it. The
// drag shows DockRect (screen coordinates) as a frame that follows the mouse:
// where the control would go in the site under the mouse, or the floating
// window's rectangle where no site takes it.
class TDragDockObject : public TBaseDragControlObject {
public:
    using TBaseDragControlObject::TBaseDragControlObject;
    TRect GetDockRect() const { return FDockRect; }
    void SetDockRect(const TRect& Value) { FDockRect = Value; }
    // The control would float if dropped now.
    bool GetFloating() const { return FFloating; }
    void SetFloating(bool Value) { FFloating = Value; }
    TControl* GetDropOnControl() const { return FDropOnControl; }
    void SetDropOnControl(TControl* Value) { FDropOnControl = Value; }
    TAlign GetDropAlign() const { return FDropAlign; }
    void SetDropAlign(TAlign Value) { FDropAlign = Value; }
    // The pointer's offset from the dragged rectangle's top left corner.
    TPoint GetGrabOffset() const { return FGrabOffset; }
    void SetGrabOffset(TPoint Value) { FGrabOffset = Value; }

private:
    TRect FDockRect{};
    TControl* FDropOnControl = nullptr;
    TPoint FGrabOffset{};
    TAlign FDropAlign = alNone;
    bool FFloating = true;
};


struct TDragRec {
    TPoint Pos; // the mouse, in screen coordinates
    TDragObject* Source;
    TControl* Target;
    bool Docking;
};

// How a drag ended: the control that took the drop (null when none did or
// the drag was cancelled) and the mouse in that control's client
// coordinates (screen coordinates without a target).
struct TDragOutcome {
    TControl* Target = nullptr;
    TPoint Point{};
    bool Started = false; // the mouse moved far enough for the drag to start
    bool Ran = false;     // false: no window to hold the mouse, nothing happened
};

// Runs the drag of Control with Object until it ends. Without Immediate the
// drag starts once the mouse has moved Threshold pixels (negative: the
// system's drag distance); a release before that ends it unstarted.
TDragOutcome RunControlDrag(TControl* Control, TDragObject* Object, bool Immediate, int Threshold);

// Runs the dock drag of Source's control until it ends; on a drop the control
// is docked into the accepting site, or floated at the frame's place. The
// drop site (null when it floated or the drag was cancelled) is answered.
TDragOutcome RunDockDrag(TDragDockObject* Source, bool Immediate, int Threshold);

// Where the next immediate dock drag starts (screen), for a drag begun while
// handling a mouse message: the pointer was there for that message, while
// the cursor may have moved on since. Used by that drag only.
void NoteDockDragStart(TPoint Screen);

// The dock sites of this thread, in the order they became dock sites.
void RegisterDockSite(TWinControl* Site, bool Register);

#pragma GCC visibility pop
