// The framework's drag loop. It holds the mouse capture and reads the
// thread's queue itself, as the system's modal loops do: mouse moves and
// button releases steer the drag, everything else (paints, timers, posted
// messages) is dispatched as usual.
#include "DragOrigin.h"

#include <quorlpak/Control.h>
#include <quorlpak/DragObjects.h>
#include <quorlpak/Messages.h>
#include <quorlpak/WinControl.h>
#include <win32/windows.h>

#include <cstdlib>

namespace {

bool pressNoted = false;
bool endDragDrop = false;
TPoint lastPress{};

TWinControl* WindowedControlOf(TControl* Control) {
    for (TControl* run = Control; run; run = run->GetParent())
        if (auto* windowed = dynamic_cast<TWinControl*>(run))
            if (windowed->HandleAllocated()) return windowed;
    return nullptr;
}

LRESULT SendDrag(TControl* Target, TDragMessage Message, TPoint Screen, TDragObject* Object) {
    TDragRec record{Screen, Object, Target, false};
    return Target->Perform(CM_DRAG, WPARAM(Message), LPARAM(&record));
}

// The control under the screen point that stands as drag target.
TControl* TargetAt(TPoint Screen, TDragObject* Object) {
    TWinControl* control = FindControl(WindowFromPoint(Screen));
    if (!control) return nullptr;
    TDragRec record{Screen, Object, nullptr, false};
    const LRESULT found = control->Perform(CM_DRAG, WPARAM(dmFindTarget), LPARAM(&record));
    return found ? reinterpret_cast<TControl*>(found) : control;
}

TPoint ScreenPointOf(const MSG& Msg) {
    POINT p{short(LOWORD(Msg.lParam)), short(HIWORD(Msg.lParam))};
    ClientToScreen(Msg.hwnd, &p);
    return p;
}

} // namespace

void quorlpak::NoteMousePress(TPoint Screen) {
    pressNoted = true;
    lastPress = Screen;
}

void quorlpak::NoteEndDrag(bool Drop) {
    endDragDrop = Drop;
}

bool quorlpak::EndDragDropped() {
    return endDragDrop;
}

TPoint quorlpak::DragOrigin() {
    if (pressNoted) return lastPress;
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor;
}

TDragOutcome RunControlDrag(TControl* Control, TDragObject* Object, bool Immediate, int Threshold) {
    TDragOutcome outcome;
    TWinControl* owner = WindowedControlOf(Control);
    if (!owner) return outcome;
    outcome.Ran = true;
    HWND capture = owner->GetHandle();
    SetCapture(capture);
    const TPoint start = quorlpak::DragOrigin();
    const int threshold = Threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : Threshold;

    TControl* target = nullptr;
    bool accepted = false;
    auto moveTo = [&](TPoint P) {
        Object->SetDragPos(P);
        TControl* now = TargetAt(P, Object);
        if (now != target) {
            if (target) SendDrag(target, dmDragLeave, P, Object);
            target = now;
            accepted = target && SendDrag(target, dmDragEnter, P, Object) != 0;
        } else if (target) {
            accepted = SendDrag(target, dmDragMove, P, Object) != 0;
        }
        Object->SetDragTarget(target);
    };
    outcome.Started = Immediate;
    if (outcome.Started) {
        POINT cursor{};
        GetCursorPos(&cursor);
        moveTo(cursor);
    }

    bool dropped = false;
    TPoint last = start;
    MSG msg;
    for (;;) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            // Quitting ends the drag; the loop above us must see the quit too.
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            last = ScreenPointOf(msg);
            if (!outcome.Started && (std::abs(last.x - start.x) >= threshold ||
                                     std::abs(last.y - start.y) >= threshold))
                outcome.Started = true;
            if (outcome.Started) moveTo(last);
            continue;
        }
        if (msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP ||
            msg.message == WM_MBUTTONUP) {
            last = ScreenPointOf(msg);
            dropped = outcome.Started && target && accepted;
            break;
        }
        if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_CANCELMODE)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        // Someone took the mouse away, or ended the drag with EndDrag.
        if (GetCapture() != capture || !Control->Dragging()) break;
    }
    if (GetCapture() == capture) ReleaseCapture();

    if (dropped) {
        Object->SetDragPos(last);
        SendDrag(target, dmDragDrop, last, Object);
        outcome.Target = target;
        outcome.Point = target->ScreenToClient(last);
    } else {
        // The target hears the mouse leave, so that it drops what it showed.
        if (target) SendDrag(target, dmDragLeave, last, Object);
        outcome.Point = last;
    }
    return outcome;
}
