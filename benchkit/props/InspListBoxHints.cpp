// The inspector list's in-place hints (a row's whole name or value where its
// column cuts it off) and the expanded rows kept by path.
#include "benchkit/props/IDEInspListBox.h"

#include <quorlpak/Canvas.h>
#include <quorlpak/Messages.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>
#include <win32/windows.h>

#include <climits>

namespace {

// The framework's own notices that end a hint besides input.
constexpr UINT kHintEndingNotices[] = {CM_ACTIVATE, CM_DEACTIVATE, CM_BASE + 0x16, CM_BASE + 0x17};

constexpr UINT kSysDeadChar = 0x0107;

THintWindow* MakePropertyHintWindow(TComponent* AOwner) {
    return new TPropertyHintWindow(AOwner);
}

} // namespace

void WriteText(HDC DC, const TRect& Rect, int X, int Y, const UnicodeString& Text) {
    RECT r = Rect;
    ExtTextOutW(DC, Rect.left + X, Rect.top + Y, ETO_CLIPPED | ETO_OPAQUE, &r,
                reinterpret_cast<LPCWSTR>(Text.c_str()), UINT(Text.size()), nullptr);
}

// ---- TPropertyHintWindow ------------------------------------------------------------------------

void TPropertyHintWindow::ActivateHintData(TRect Rect, const UnicodeString& Hint, void* Data) {
    auto* list = static_cast<TInspListBox*>(Data);
    FControl = list && list->HandleAllocated() ? list->GetHandle() : nullptr;
    if (list) GetFont()->SetStyle(list->GetHintFontStyle());
    THintWindow::ActivateHintData(Rect, Hint, Data);
}

TRect TPropertyHintWindow::CalcHintRect(int MaxWidth, const UnicodeString& Hint, void* Data) {
    if (auto* list = static_cast<TInspListBox*>(Data)) GetFont()->SetStyle(list->GetHintFontStyle());
    return THintWindow::CalcHintRect(MaxWidth, Hint, Data);
}

bool TPropertyHintWindow::IsHintMsg(const MSG& Msg) {
    const UINT m = Msg.message;
    if (m == WM_CHAR || m == WM_SYSCHAR || m == WM_DEADCHAR || m == kSysDeadChar) return true;
    for (UINT notice : kHintEndingNotices)
        if (m == notice) return true;
    if (m == WM_COMMAND || m == WM_NCMOUSEMOVE || m == WM_MOUSEWHEEL) return true;
    const HWND capture = GetCapture();
    return capture && capture != FControl;
}

// ---- The list's hint ----------------------------------------------------------------------------

void TInspListBox::CMHintShow(TMessage& Message) {
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    TCustomPropListBox::Dispatch(Message);
    if (!info || Message.Result != 0 || FHintTaken || !Populated()) return;
    const int row = ItemAtPos(info->CursorPos, true);
    TPropItem* item = GetPropItem(row);
    RECT rowRect;
    if (!item || !HandleAllocated() ||
        SendMessageW(GetHandle(), LB_GETITEMRECT, WPARAM(row), LPARAM(&rowRect)) == LB_ERR ||
        !TRect(rowRect).Contains(info->CursorPos)) {
        Message.Result = 1;
        return;
    }
    IProperty* prop = item->GetProp();
    const TPropertyAttributes attrs = item->GetAttributes();
    TRect r(rowRect);
    TRect t = r;
    UnicodeString text;
    int offset = 0;
    InterfacePtr<IWidePropertyName> wideName;
    const auto name = [&] { return Supports(prop, wideName) ? wideName->GetWideName() : prop->GetName(); };
    if (attrs & paFullWidthName) {
        text = name();
    } else if (info->CursorPos.x >= GetMiddle()) {
        // The current row's value lies under the edit; a value the selected
        // objects disagree on has no single text to show.
        if (info->CursorPos.x <= GetMiddle() + 1 || row == GetItemIndex() || !prop->AllEqual()) {
            info->HintStr.clear();
            return;
        }
        r.left = GetMiddle() + 2;
        t = r;
        InterfacePtr<ICustomPropertyDrawingAreas> areas;
        if (Supports(prop, areas)) {
            const TRect area = areas->PropDrawValueRect(r);
            if (area != r) {
                RECT rest;
                RECT whole = r, cut = area;
                if (SubtractRect(&rest, &whole, &cut)) t = TRect(rest);
            }
        }
        InterfacePtr<IWidePropertyValue> wideValue;
        text = Supports(prop, wideValue) ? wideValue->GetWideValue() : prop->GetValue();
    } else {
        t.right = GetMiddle();
        r = t;
        text = name();
        offset = ItemLevelOffset(item->GetItemLevel()) + 10;
    }

    FHintFontStyle = GetFont()->GetStyle() - FNonDefaultFontStyle;
    InterfacePtr<IProperty70> v70;
    if (!(attrs & paDisplayReadOnly) && Supports(prop, v70) && !v70->GetIsDefault())
        FHintFontStyle = FHintFontStyle + FNonDefaultFontStyle;

    bool changed = false;
    if (OnGetHintString) {
        const UnicodeString before = text;
        OnGetHintString(this, text, t);
        changed = !SameText(before, text);
    }

    // The text's size in the hint's font.
    RECT calc = {t.left, t.top, t.right, t.bottom};
    HDC dc = GetDC(GetHandle());
    {
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.GetFont()->Assign(GetFont());
        canvas.GetFont()->SetStyle(FHintFontStyle);
        DrawTextW(canvas.GetHandle(), reinterpret_cast<LPCWSTR>(text.c_str()), int(text.size()),
                  &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        canvas.SetHandle(nullptr);
    }
    ReleaseDC(GetHandle(), dc);
    const int width = calc.right - calc.left;
    if (r.Width() >= width + offset && t.bottom <= GetClientHeight() && !changed) {
        info->HintStr.clear();
        return;
    }
    TRect shown(calc);
    OffsetRect(&shown, offset, 0);
    const TPoint topLeft = ClientToScreen(TPoint(shown.left, shown.top));
    shown = Bounds(topLeft.x - 2, topLeft.y - 2, shown.Width(), shown.Height());
    info->HintStr = text;
    info->CursorRect = TRect(rowRect);
    info->HintWindowClass = MakePropertyHintWindow;
    info->HintPos = TPoint(shown.left, shown.top);
    info->HintMaxWidth = width;
    info->HideTimeout = INT_MAX;
    info->HintData = this;
}

// ---- Expanded rows by path ----------------------------------------------------------------------

UnicodeString TInspListBox::GetItemPath(int Index) {
    TPropItem* item = GetPropItem(Index);
    return item ? item->GetPropPath() : UnicodeString();
}

UnicodeString TInspListBox::GetCurItemPath() {
    return GetItemPath(GetItemIndex());
}

void TInspListBox::ValidateExpandedItemPaths(TStrings* AStrings) {
    for (int i = 0; i < GetCount(); ++i) {
        TPropItem* item = GetPropItem(i);
        if (!item->GetWasExpandable() && !item->GetIsExpanded()) {
            item->GetAttributes();
            if (!item->GetWasExpandable()) continue;
        }
        AStrings->SetValues(item->GetPropPath(), item->GetIsExpanded() ? u"1" : u"0");
    }
}

void TInspListBox::ReexpandItemPaths(TStrings* AStrings, bool ExpandNewRootLevels) {
    if (AStrings->GetCount() == 0 && !ExpandNewRootLevels) return;
    // Rows that an expansion inserts are walked too: the count grows as we go.
    for (int i = 0; i < GetCount(); ++i) {
        TPropItem* item = GetPropItem(i);
        const UnicodeString path = item->GetPropPath();
        bool wanted;
        if (item->GetItemLevel() == 0 && ExpandNewRootLevels && AStrings->IndexOfName(path) < 0)
            wanted = true;
        else
            wanted = AStrings->GetValues(path) == u"1";
        if (wanted != item->GetIsExpanded() && (item->GetIsExpanded() || item->GetIsExpandable())) {
            AdjustItem(i);
            AfterReexpandItem(i);
        }
    }
}

void TInspListBox::AfterReexpandItem(int) {
    if (FControlsHidden) ShowControls();
}
