// TLabeledList: grid set-up, row drawing, sizing and the scroll bars that
// show only while the list has the focus.
#include "benchkit/cpuview/LabeledList.h"

#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>

TClass TLabeledList::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TLabeledList>(u"TLabeledList", TCustomGrid::StaticClass()));
    return &meta;
}

TLabeledList::TLabeledList(TComponent* AOwner) : TCustomGrid(AOwner) {
    FControlStyle.Include(csOpaque);
    FControlStyle.Include(csPannable);
    SetOptions(TGridOptions{goDrawFocusSelected, goThumbTracking});
    SetColCount(1);
    SetFixedCols(0);
    SetFixedRows(0);
    SetColor(clBtnFace);
    SetDrawingStyle(gdsClassic);
}

void TLabeledList::CreateParams(TCreateParams& Params) {
    TCustomGrid::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TLabeledList::CreateWnd() {
    TCustomGrid::CreateWnd();
    TakeRowHeight();
    HideScrollBars();
    SetRowCount(GetItemCount());
}

void TLabeledList::TakeRowHeight() {
    if (!HandleAllocated()) return;
    GetCanvas()->SetFont(GetFont());
    SetDefaultRowHeight(GetCanvas()->TextHeight(u"Ij"));
}

void TLabeledList::ShowScrollBars() {
    if (!HandleAllocated()) return;
    for (int bar : {SB_VERT, SB_HORZ}) {
        int minPos = 0, maxPos = 0;
        GetScrollRange(GetHandle(), bar, &minPos, &maxPos);
        if (minPos != maxPos) ShowScrollBar(GetHandle(), bar, TRUE);
    }
}

void TLabeledList::HideScrollBars() {
    if (HandleAllocated()) ShowScrollBar(GetHandle(), SB_BOTH, FALSE);
}

void TLabeledList::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (ARow >= GetItemCount()) return;
    TCanvas* canvas = GetCanvas();
    if (AState.Contains(gdSelected)) {
        const bool focused = Focused();
        const TColor back = focused ? clHighlight : clInactiveCaption;
        canvas->GetPen()->SetColor(back);
        canvas->GetBrush()->SetColor(back);
        canvas->GetFont()->SetColor(focused ? clHighlightText : clInactiveCaptionText);
    }
    canvas->FillRect(ARect);
    const UnicodeString label = GetItemLabel(ARow) + u" ";
    const UnicodeString value = GetItemValue(ARow);
    SetItemCanvas(ARow, true, canvas);
    canvas->TextOut(ARect.left + 3, ARect.top, label);
    SetItemCanvas(ARow, false, canvas);
    canvas->TextOut(ARect.left + 3 + canvas->TextWidth(label), ARect.top, value);
}

void TLabeledList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    // A context menu acts on the row under the mouse.
    if (Button == mbRight) {
        const TGridCoord cell = MouseCoord(X, Y);
        if (cell.X >= 0 && cell.Y >= 0) MoveColRow(cell.X, cell.Y, true, true);
    }
    TCustomGrid::MouseDown(Button, Shift, X, Y);
}

void TLabeledList::WMSetFocus(TMessage& Message) {
    TCustomGrid::WMSetFocus(Message);
    ShowScrollBars();
    Invalidate();
}

void TLabeledList::WMKillFocus(TMessage& Message) {
    TCustomGrid::WMKillFocus(Message);
    HideScrollBars();
    Invalidate();
}

void TLabeledList::WMSize(TMessage& Message) {
    TCustomGrid::WMSize(Message);
    if (GetComponentState().Contains(csLoading) || !HandleAllocated()) return;
    TCanvas* canvas = GetCanvas();
    canvas->SetFont(GetFont());
    int widest = 0;
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i)
        widest = std::max(widest, canvas->TextWidth(GetItemLabel(i) + u" " + GetItemValue(i)));
    SetColWidths(0, std::max(GetClientRect().Width(), widest + 3));
}

void TLabeledList::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_FONTCHANGED:
        TCustomGrid::Dispatch(Message);
        TakeRowHeight();
        return;
    case CM_HINTSHOW: {
        TCustomGrid::Dispatch(Message);
        auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
        bool canShow = true;
        if (OnHintShow && info) OnHintShow(this, *info, canShow);
        if (!canShow) Message.Result = 1;
        return;
    }
    default:
        TCustomGrid::Dispatch(Message);
    }
}
