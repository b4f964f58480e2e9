// The property list box's window: construction, divider, row painting and
// the messages it handles itself.
#include "benchkit/props/PropBox.h"

#include <quorlpak/Messages.h>
#include <quorlpak/Screen.h>
#include <quorlpak/TypeInfos.h>
#include <win32/windows.h>

#include <algorithm>

TClass TCustomPropListBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomPropListBox>(u"TCustomPropListBox", TCustomListBox::StaticClass()));
    return &meta;
}

TClass TPropListBox::StaticClass() {
    using T = TPropListBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropListBox", TCustomPropListBox::StaticClass())
            .Property(u"ShowGutter", BooleanTypeInfo, &T::GetShowGutter, &T::SetShowGutter)
            .Default(1)
            .Property(u"ShowGridLines", BooleanTypeInfo, &T::GetShowGridLines, &T::SetShowGridLines)
            .Default(1)
            .Property(u"IndentSecondLevel", BooleanTypeInfo, &T::GetIndentSecondLevel,
                      &T::SetIndentSecondLevel)
            .Default(1)
            .Property(u"BackgroundColor", TypeInfo_TColor, &T::GetBackgroundColor,
                      &T::SetBackgroundColor)
            .Default(clWindow)
            .Property(u"NonDefaultFontStyle", TypeInfo_TFontStyles, &T::GetNonDefaultFontStyle,
                      &T::SetNonDefaultFontStyle)
            .Property(u"UseVirtualList", BooleanTypeInfo, &T::GetUseVirtualList,
                      &T::SetUseVirtualList)
            .Default(0));
    return &meta;
}

TCustomPropListBox::TCustomPropListBox(TComponent* AOwner)
    : TCustomListBox(AOwner), FRows(FItems), FCanvas(new TCanvas) {
    FNonDefaultFontStyle = TFontStyles{fsBold};
    FCtl3D = false;
    FWidth = 100;
    FHeight = 100;
    FBorderStyle = bsNone;
}

TCustomPropListBox::~TCustomPropListBox() {
    ClearRows();
    delete FCanvas;
    delete FVirtualRows;
}

void TCustomPropListBox::CreateParams(TCreateParams& Params) {
    TCustomListBox::CreateParams(Params);
    Params.Style |= LBS_OWNERDRAWFIXED;
    Params.Style &= ~DWORD(LBS_HASSTRINGS);
}

void TCustomPropListBox::CreateWnd() {
    TCustomListBox::CreateWnd();
    // Rows a little taller than the text, scaled with the screen's density.
    const int height = MulDiv(GetFont()->GetHeight() < 0 ? -GetFont()->GetHeight() + 5 : 16,
                              Screen ? Screen->GetPixelsPerInch() : 96, 96);
    SendMessageW(GetHandle(), LB_SETITEMHEIGHT, 0, std::max(height, 12));
}

int TCustomPropListBox::ItemLevelOffset(int Level) const {
    const int level = !FIndentSecondLevel && Level >= 1 ? Level - 1 : Level;
    return level * 10 + 4;
}

int TCustomPropListBox::CalcNewMiddle(int Value) {
    const int h = GetItemHeight();
    Value = std::min(Value, GetClientWidth() - 3 * h);
    return std::max(Value, 2 * h);
}

void TCustomPropListBox::SetMiddle(int Value) {
    if (Value == FMiddle) return;
    FMiddle = Value;
    // The next resize takes this as the proportion to keep.
    FOldWidth = -1;
    Invalidate();
}

void TCustomPropListBox::FixDividerLine() {
    if (!HandleAllocated()) return;
    int w = GetClientWidth();
    if (w <= 0 || GetClientHeight() <= 0) return;
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    if (GetWidth() >= w + bar) w += bar;
    if (FMiddle == 0) {
        FMiddle = w / 2 - 1 + (FShowGutter ? ItemLevelOffset(0) : 0);
        FOldMiddle = FMiddle;
        FOldWidth = w;
    } else if (FOldWidth < 0) {
        FOldMiddle = FMiddle;
        FOldWidth = w;
    } else {
        FMiddle = MulDiv(FOldMiddle, w, FOldWidth);
    }
    if (FMiddle != 0) FMiddle = CalcNewMiddle(FMiddle);
    Invalidate();
}

void TCustomPropListBox::SetSelection(IPropListBoxSelection* Value) {
    if (Value != FSelection.Get()) FSelection = Value;
    Reset();
}

void TCustomPropListBox::SetFilter(const UnicodeString& Value) {
    FFilter = Value;
    Reset();
}

void TCustomPropListBox::SetIndentSecondLevel(bool Value) {
    if (Value == FIndentSecondLevel) return;
    FIndentSecondLevel = Value;
    Invalidate();
}

void TCustomPropListBox::SetBackgroundColor(TColor Value) {
    if (Value == FBackgroundColor) return;
    FBackgroundColor = Value;
    Invalidate();
}

void TCustomPropListBox::SetNonDefaultFontStyle(TFontStyles Value) {
    if (Value == FNonDefaultFontStyle) return;
    FNonDefaultFontStyle = Value;
    Invalidate();
}

void TCustomPropListBox::DrawPropItem(int Index, TPropItem* Item, TCanvas* Canvas,
                                      const TRect& Rect, bool Selected, bool ReadOnlySelected) {
    if (!Item || !Item->GetProp()) return;
    if (Item->GetDirty()) PostUpdateMsg();
    if (Index < 0) Index = GetPropItemIndex(Item);
    IProperty* prop = Item->GetProp();
    const TPropertyAttributes attrs = Item->GetAttributes();
    const int offset = ItemLevelOffset(Item->GetItemLevel());
    const int left = Rect.left;
    TFont* font = Canvas->GetFont();
    font->SetStyle(font->GetStyle() - FNonDefaultFontStyle);
    Canvas->GetBrush()->SetColor(FBackgroundColor);
    Canvas->FillRect(Rect);

    // Gutter, bottom grid line and the divider.
    TRect name(left, Rect.top, left + FMiddle, Rect.bottom - 1);
    const int gutterRight = left + offset + 9;
    if (FShowGutter) {
        Canvas->GetBrush()->SetColor(FGutterColor);
        Canvas->FillRect(TRect(left, Rect.top, gutterRight, Rect.bottom));
        Canvas->GetPen()->SetColor(FGutterEdgeColor);
        Canvas->MoveTo(gutterRight, Rect.top);
        Canvas->LineTo(gutterRight, Rect.bottom);
    }
    if (FShowGridLines) {
        Canvas->GetPen()->SetColor(clBtnShadow);
        Canvas->MoveTo(FShowGutter ? gutterRight : left, Rect.bottom - 1);
        Canvas->LineTo(Rect.right, Rect.bottom - 1);
    }

    // Expand box.
    const bool expandable = (attrs & paSubProperties) != 0;
    const int x = left + offset;
    const int t = name.top + name.Height() / 2 - 4;
    if (expandable) {
        Canvas->GetBrush()->SetColor(clWindow);
        Canvas->GetPen()->SetColor(clWindowText);
        Canvas->Rectangle(x, t, x + 9, t + 9);
        Canvas->MoveTo(x + 2, t + 4);
        Canvas->LineTo(x + 7, t + 4);
        if (!Item->GetIsExpanded()) {
            Canvas->MoveTo(x + 4, t + 2);
            Canvas->LineTo(x + 4, t + 7);
        }
    }

    // Name.
    name.left += offset + 10;
    const bool fullWidth = (attrs & paFullWidthName) != 0;
    if (fullWidth) name.right = Rect.right;
    Canvas->GetBrush()->SetColor(Selected ? FHighlightColor : FBackgroundColor);
    font->SetColor(Selected ? FHighlightFontColor : Item->GetColor());
    UnicodeString text;
    InterfacePtr<IWidePropertyName> wideName;
    text = Supports(prop, wideName) ? wideName->GetWideName() : prop->GetName();
    InterfacePtr<ICustomPropertyDrawing> custom;
    if (Supports(prop, custom)) {
        Canvas->FillRect(name);
        custom->PropDrawName(Canvas, name, Selected);
    } else {
        Canvas->TextRect(name, name.left + 2, name.top + 1, text);
    }
    if (fullWidth) return;

    Canvas->GetPen()->SetColor(clBtnShadow);
    Canvas->MoveTo(name.right, Rect.top);
    Canvas->LineTo(name.right, Rect.bottom);
    TRect value(name.right + 2, Rect.top, Rect.right, Rect.bottom - 1);

    // Value: default values plain, changed ones in the non-default style.
    TColor valueColor = (attrs & paDisplayReadOnly) ? FReadOnlyColor : FPropValueColor;
    InterfacePtr<IProperty70> v70;
    if (!(attrs & paDisplayReadOnly) && Supports(prop, v70) && !v70->GetIsDefault()) {
        font->SetStyle(font->GetStyle() + FNonDefaultFontStyle);
        valueColor = FNonDefaultColor;
    }
    if (Selected || ReadOnlySelected) {
        Canvas->GetBrush()->SetColor(ReadOnlySelected ? FBackgroundColor : FEditBackgroundColor);
        Canvas->FillRect(value);
        valueColor = FEditValueColor;
    } else {
        Canvas->GetBrush()->SetColor(FBackgroundColor);
    }
    font->SetColor(valueColor);
    if (custom) {
        custom->PropDrawValue(Canvas, value, Selected);
        return;
    }
    InterfacePtr<IWidePropertyValue> wideValue;
    if (Supports(prop, wideValue))
        text = prop->AllEqual() ? wideValue->GetWideValue() : UnicodeString();
    else
        text = GetDisplayValue(prop);
    Canvas->TextRect(value, value.left + 1, value.top + 1, text);
}

void TCustomPropListBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        Message.Result = 1;
        if (!item || int(item->itemID) < 0) return;
        TPropItem* row = GetPropItem(int(item->itemID));
        if (!row) return;
        FCanvas->SetHandle(item->hDC);
        FCanvas->GetFont()->Assign(GetFont());
        const bool selected = (item->itemState & ODS_SELECTED) != 0;
        DrawPropItem(int(item->itemID), row, FCanvas, TRect(item->rcItem), selected,
                     selected && IsItemReadOnly(row));
        FCanvas->SetHandle(nullptr);
        return;
    }
    case WM_PROPBOX_UPDATEDIRTY:
        if (OnUpdateDirtyData) OnUpdateDirtyData(this);
        return;
    case CM_HINTSHOW:
        TCustomListBox::Dispatch(Message);
        // The row's editor may show a hint of its own.
        if (auto* info = reinterpret_cast<THintInfo*>(Message.LParam))
            FHintTaken = ItemHintShow(*info);
        return;
    case CM_MOUSELEAVE:
        FMouseTrackItem = -1;
        TCustomListBox::Dispatch(Message);
        return;
    case WM_SIZE:
        TCustomListBox::Dispatch(Message);
        if (LOWORD(Message.LParam) && HIWORD(Message.LParam)) {
            FixDividerLine();
            ResizeControls();
        }
        return;
    default:
        TCustomListBox::Dispatch(Message);
    }
}
