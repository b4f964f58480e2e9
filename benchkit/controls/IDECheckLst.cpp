#include "IDECheckLst.h"

#include <quorlpak/Canvas.h>
#include <win32/windows.h>

namespace {

// The classic check box glyph.
constexpr int kGlyphSize = 13;
// Between the check area and the item's text.
constexpr int kTextGap = 14;

} // namespace

int CheckListGlyphWidth() {
    return kGlyphSize;
}

int CheckListGlyphHeight() {
    return kGlyphSize;
}

TClass TExplorerCheckListBox::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TExplorerCheckListBox>(
        u"TExplorerCheckListBox", TCustomListBox::StaticClass()));
    return &meta;
}

TExplorerCheckListBox::TExplorerCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}

TExplorerCheckListBox::~TExplorerCheckListBox() {
    FreeWrappers();
}

int TExplorerCheckListBox::GetCheckWidth() const {
    return CheckListGlyphWidth() + 2;
}

void TExplorerCheckListBox::CreateParams(TCreateParams& Params) {
    TCustomListBox::CreateParams(Params);
    if (!(Params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)))
        Params.Style |= LBS_OWNERDRAWFIXED;
}

void TExplorerCheckListBox::CreateWnd() {
    TCustomListBox::CreateWnd();
    ResetItemHeight();
}

// --- Wrappers --------------------------------------------------------------------------------

TExplorerCheckListBoxDataWrapper* TExplorerCheckListBox::GetWrapper(int Index) {
    return dynamic_cast<TExplorerCheckListBoxDataWrapper*>(InternalGetItemData(Index));
}

TExplorerCheckListBoxDataWrapper* TExplorerCheckListBox::HaveWrapper(int Index) {
    TExplorerCheckListBoxDataWrapper* wrapper = GetWrapper(Index);
    if (!wrapper) {
        wrapper = new TExplorerCheckListBoxDataWrapper;
        InternalSetItemData(Index, wrapper);
    }
    return wrapper;
}

TObject* TExplorerCheckListBox::GetItemData(int Index) {
    TExplorerCheckListBoxDataWrapper* wrapper = GetWrapper(Index);
    return wrapper ? wrapper->FData : nullptr;
}

void TExplorerCheckListBox::SetItemData(int Index, TObject* AData) {
    HaveWrapper(Index)->FData = AData;
}

void TExplorerCheckListBox::DeleteString(int Index) {
    delete GetWrapper(Index);
    InternalSetItemData(Index, nullptr);
}

void TExplorerCheckListBox::ResetContent() {
    FreeWrappers();
}

void TExplorerCheckListBox::FreeWrappers() {
    for (int i = 0; i < GetItems()->GetCount(); ++i) {
        delete GetWrapper(i);
        InternalSetItemData(i, nullptr);
    }
}

// --- States --------------------------------------------------------------------------------

bool TExplorerCheckListBox::GetChecked(int Index) {
    return GetState(Index) == cbChecked;
}

void TExplorerCheckListBox::SetChecked(int Index, bool Value) {
    if (Value != GetChecked(Index)) SetState(Index, Value ? cbChecked : cbUnchecked);
}

TCheckBoxState TExplorerCheckListBox::GetState(int Index) {
    TExplorerCheckListBoxDataWrapper* wrapper = GetWrapper(Index);
    return wrapper ? wrapper->FState : cbUnchecked;
}

void TExplorerCheckListBox::SetState(int Index, TCheckBoxState Value) {
    if (Value == GetState(Index)) return;
    HaveWrapper(Index)->FState = Value;
    InvalidateCheck(Index);
}

void TExplorerCheckListBox::ToggleClickCheck(int Index) {
    if (Index < 0 || Index >= GetItems()->GetCount()) return;
    switch (GetState(Index)) {
    case cbUnchecked:
        SetState(Index, FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(Index, cbUnchecked);
        break;
    case cbGrayed:
        SetState(Index, cbChecked);
        break;
    }
    ClickCheck(Index);
}

void TExplorerCheckListBox::ClickCheck(int Index) {
    if (OnClickCheck) OnClickCheck(this, Index);
}

void TExplorerCheckListBox::InvalidateCheck(int Index) {
    if (!HandleAllocated()) return;
    TRect r = ItemRect(Index);
    if (UseRightToLeftAlignment())
        r.left = r.right - GetCheckWidth();
    else
        r.right = r.left + GetCheckWidth();
    ::InvalidateRect(GetHandle(), &r, !FControlStyle.Contains(csOpaque));
    UpdateWindow(GetHandle());
}

void TExplorerCheckListBox::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TExplorerCheckListBox::SetAutoItemHeight(bool Value) {
    if (Value == FAutoItemHeight) return;
    FAutoItemHeight = Value;
    ResetItemHeight();
}

void TExplorerCheckListBox::ResetItemHeight() {
    if (!HandleAllocated()) return;
    int height = GetItemHeight();
    if (FAutoItemHeight) {
        TCanvas* canvas = GetCanvas();
        canvas->SetFont(GetFont());
        FStandardItemHeight = canvas->TextHeight(u"Wg");
        height = FStandardItemHeight;
    }
    SetItemHeight(height);
}

// --- Input and messages ---------------------------------------------------------------------

void TExplorerCheckListBox::KeyPress(char16_t& Key) {
    if (Key == u' ') ToggleClickCheck(GetItemIndex());
    TCustomListBox::KeyPress(Key);
}

void TExplorerCheckListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomListBox::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || Dragging()) return;
    const int index = ItemAtPos(TPoint(X, Y), true);
    if (index < 0) return;
    const TRect r = ItemRect(index);
    // The click area lies where the check is drawn, mirrored right to left.
    const bool onCheck =
        UseRightToLeftAlignment() ? X >= r.right - GetCheckWidth() : X - r.left < GetCheckWidth();
    if (onCheck) ToggleClickCheck(index);
}

void TExplorerCheckListBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_FONTCHANGED:
        TCustomListBox::Dispatch(Message);
        ResetItemHeight();
        return;
    case CM_HINTSHOW: {
        TCustomListBox::Dispatch(Message);
        auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
        if (Message.Result != 0 || !info || !OnHint) return;
        const int index = ItemAtPos(info->CursorPos, true);
        if (index >= 0)
            OnHint(this, info->CursorPos.x, info->CursorPos.y, index, info->HintStr,
                   info->CursorRect);
        return;
    }
    case BM_GETCHECK:
        Message.Result = ReadCheckState(static_cast<int>(Message.WParam));
        return;
    default:
        TCustomListBox::Dispatch(Message);
    }
}

// --- Drawing ---------------------------------------------------------------------------------

void TExplorerCheckListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    const bool rtl = UseRightToLeftAlignment();
    const int checkWidth = GetCheckWidth();
    TRect text = Rect;
    if (rtl)
        text.right -= checkWidth + kTextGap;
    else
        text.left += checkWidth + kTextGap;
    TCanvas* canvas = GetCanvas();
    if (Index >= 0 && Index < GetItems()->GetCount()) {
        TRect check = rtl ? TRect(text.right + kTextGap, Rect.top,
                                  text.right + kTextGap + checkWidth, Rect.bottom)
                          : TRect(text.left - kTextGap - checkWidth, Rect.top, text.left - kTextGap,
                                  Rect.bottom);
        // The glyph is centred in the check area (vertically by the glyph's width, as the check
        // draws).
        const int gw = CheckListGlyphWidth(), gh = CheckListGlyphHeight();
        TRect glyph(check.left + (check.Width() - gw) / 2, check.top + (check.Height() - gw) / 2, 0,
                    0);
        glyph.right = glyph.left + gw;
        glyph.bottom = glyph.top + gh;
        // The background of the check area is the list's, never the selection's.
        canvas->GetBrush()->SetColor(GetColor());
        canvas->FillRect(check);
        HDC dc = canvas->GetHandle();
        int saved = 0;
        if (FFlat) {
            // Only the inside of the glyph: the flat frame replaces its sunken edge.
            saved = SaveDC(dc);
            IntersectClipRect(dc, glyph.left + 2, glyph.top + 2, glyph.right - 2, glyph.bottom - 2);
        }
        UINT flags = DFCS_BUTTONCHECK;
        switch (GetState(Index)) {
        case cbChecked:
            flags |= DFCS_CHECKED;
            break;
        case cbGrayed:
            flags |= DFCS_CHECKED | DFCS_BUTTON3STATE;
            break;
        default:
            break;
        }
        RECT glyphRect = glyph;
        DrawFrameControl(dc, &glyphRect, DFC_BUTTON, flags);
        if (FFlat) {
            RestoreDC(dc, saved);
            const TBrushStyle oldStyle = canvas->GetBrush()->GetStyle();
            const TColor oldPen = canvas->GetPen()->GetColor();
            canvas->GetBrush()->SetStyle(bsClear);
            canvas->GetPen()->SetColor(clBtnShadow);
            canvas->Rectangle(glyph.left + 1, glyph.top + 1, glyph.right - 1, glyph.bottom - 1);
            canvas->GetBrush()->SetStyle(oldStyle);
            canvas->GetPen()->SetColor(oldPen);
        }
        canvas->GetBrush()->SetColor(State.Contains(odSelected) ? clHighlight : GetColor());
    }
    // A standard list draws its text itself, even with a drawing handler assigned.
    if (GetStyle() == lbStandard && OnDrawItem) {
        TDrawItemEvent handler = std::move(OnDrawItem);
        OnDrawItem = nullptr;
        TCustomListBox::DrawItem(Index, text, State);
        OnDrawItem = std::move(handler);
    } else {
        TCustomListBox::DrawItem(Index, text, State);
    }
}
