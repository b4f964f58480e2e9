// The property list box offers mouse events and hints to the row's editor
// before handling them itself.
#include "benchkit/props/PropBox.h"

#include <quorlpak/Control.h>
#include <quorlpak/Messages.h>
#include <win32/windows.h>

namespace {

// The row's rectangle cut at the divider, on the side of X.
TRect RowSide(TCustomListBox* Box, int Row, int X, int Middle, bool& InName) {
    TRect r = Box->ItemRect(Row);
    InName = X < Middle;
    if (InName)
        r.right = Middle;
    else
        r.left = Middle;
    return r;
}

} // namespace

bool TCustomPropListBox::ItemMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const int row = ItemAtPos(TPoint(X, Y), true);
    TPropItem* item = GetPropItem(row);
    InterfacePtr<IPropertyMouseTracking> tracking;
    if (!item || !Supports(item->GetProp(), tracking)) return false;
    bool inName;
    const TRect r = RowSide(this, row, X, FMiddle, inName);
    if (!tracking->MouseDown(int(Button), uint32_t(Shift.ToInt()), TPoint(X, Y), r, inName))
        return false;
    FMouseTrackItem = row;
    FCaptured = true;
    SetMouseCapture(true);
    return true;
}

bool TCustomPropListBox::ItemMouseMove(TShiftState Shift, int X, int Y) {
    const int row = FCaptured ? FMouseTrackItem : ItemAtPos(TPoint(X, Y), true);
    if (!FCaptured) FMouseTrackItem = row;
    TPropItem* item = GetPropItem(row);
    InterfacePtr<IPropertyMouseTracking> tracking;
    if (!item || !Supports(item->GetProp(), tracking)) return false;
    bool inName;
    const TRect r = RowSide(this, row, X, FMiddle, inName);
    return tracking->MouseMove(uint32_t(Shift.ToInt()), TPoint(X, Y), r, inName);
}

bool TCustomPropListBox::ItemMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const int row = FCaptured ? FMouseTrackItem : ItemAtPos(TPoint(X, Y), true);
    if (FCaptured) {
        FCaptured = false;
        SetMouseCapture(false);
    }
    TPropItem* item = GetPropItem(row);
    InterfacePtr<IPropertyMouseTracking> tracking;
    if (!item || !Supports(item->GetProp(), tracking)) return false;
    bool inName;
    const TRect r = RowSide(this, row, X, FMiddle, inName);
    return tracking->MouseUp(int(Button), uint32_t(Shift.ToInt()), TPoint(X, Y), r, inName);
}

bool TCustomPropListBox::ItemHintShow(THintInfo& HintInfo) {
    const int row = ItemAtPos(HintInfo.CursorPos, true);
    TPropItem* item = GetPropItem(row);
    InterfacePtr<IPropertyMouseTracking> tracking;
    if (!item || !Supports(item->GetProp(), tracking)) return false;
    bool inName;
    const TRect r = RowSide(this, row, HintInfo.CursorPos.x, FMiddle, inName);
    return tracking->HintShow(HintInfo, inName, r);
}

void TCustomPropListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!ItemMouseDown(Button, Shift, X, Y)) TCustomListBox::MouseDown(Button, Shift, X, Y);
}

void TCustomPropListBox::MouseMove(TShiftState Shift, int X, int Y) {
    if (!ItemMouseMove(Shift, X, Y)) TCustomListBox::MouseMove(Shift, X, Y);
}

void TCustomPropListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!ItemMouseUp(Button, Shift, X, Y)) TCustomListBox::MouseUp(Button, Shift, X, Y);
}
