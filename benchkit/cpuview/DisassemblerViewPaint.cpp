// TDisassemblerView: rows on the canvas, scroll bars, keys, the mouse, focus
// and the window.
#include "benchkit/cpuview/CPUViewStrings.h"
#include "benchkit/cpuview/DisassemblerView.h"

#include <runpak/Format.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

// The file name without the folders the host put before it.
UnicodeString WithoutFolder(const UnicodeString& Path) {
    const size_t cut = Path.find_last_of(u"\\/:");
    return cut == UnicodeString::npos ? Path : Path.substr(cut + 1);
}

} // namespace

// --- Rows ------------------------------------------------------------------------------------

void TDisassemblerView::RecordRow(int32_t& LineNo, int64_t Address) {
    if (LineNo >= static_cast<int32_t>(FAddressList.size()))
        FAddressList.resize(FAddressList.size() + 128, 0);
    FAddressList[LineNo] = Address;
    ++LineNo;
}

bool TDisassemblerView::DrawLine(int64_t& Address, int32_t& LineNo, TCPUSourcePos SourcePos,
                                 bool DoPaint, UnicodeString& Text) {
    TCanvas* canvas = GetCanvas();
    const int rowRight = DoPaint ? GetClientRect().right + FLeftCol : 0;
    if (DoPaint) {
        SetWindowOrgEx(canvas->GetHandle(), FLeftCol, 0, nullptr);
        TColor back = GetColor();
        TColor fore = GetFont()->GetColor();
        if (AddressIsSelected(Address)) {
            const bool focused = Focused();
            back = focused ? clHighlight : clInactiveCaption;
            fore = focused ? clHighlightText : clInactiveCaptionText;
        } else if (IsBreakpoint(Address)) {
            back = FBreakpointColor;
            fore = FBreakpointTextColor;
        }
        canvas->GetPen()->SetColor(back);
        canvas->GetBrush()->SetColor(back);
        canvas->GetFont()->SetColor(fore);
    }
    const int64_t rowAddress = Address;
    const int groupTop = LineNo * FLineHeight;
    int groupHeight = 0;
    bool headRows = false;
    auto addRow = [&](const UnicodeString& Row) {
        if (DoPaint) {
            const TRect r(FLeftGutterWidth, LineNo * FLineHeight, rowRight,
                          (LineNo + 1) * FLineHeight);
            canvas->TextRect(r, FLeftGutterWidth + 3, r.top, Row);
        }
        if (!Text.empty()) Text += u"\r\n";
        Text += Row;
        // Only painting says which address a row on screen shows.
        if (DoPaint)
            RecordRow(LineNo, rowAddress);
        else
            ++LineNo;
    };
    auto setBold = [&](bool On) {
        TFontStyles style = canvas->GetFont()->GetStyle();
        if (On)
            style.Include(fsBold);
        else
            style.Exclude(fsBold);
        canvas->GetFont()->SetStyle(style);
    };
    auto restoreOrigin = [&] {
        if (DoPaint) SetWindowOrgEx(canvas->GetHandle(), 0, 0, nullptr);
    };

    UnicodeString label;
    if (SourcePos.FileIndex > 0 && FMixedSource) {
        setBold(true);
        groupHeight += FLineHeight;
        const UnicodeString source = GetSourceText(SourcePos);
        UnicodeString row;
        if (source.empty() && GetLabel(Address, label)) {
            row = Format(u"%s:", label);
        } else {
            UnicodeString file = GetFileName(SourcePos);
            if (file.empty()) file = SUnknownFile;
            row = Format(u"%s.%d: %s", WithoutFolder(file), static_cast<int32_t>(SourcePos.LineNum),
                         source);
        }
        addRow(row);
        setBold(false);
        headRows = true;
    } else if (GetLabel(Address, label)) {
        setBold(true);
        groupHeight += FLineHeight;
        addRow(Format(u"%s:", label));
        setBold(false);
        headRows = true;
    }

    if (FShowAdditionalDisasm && LineNo < FLineCount) {
        UnicodeString lines;
        const int32_t count = DisassembleAdditionalAt(Address, lines);
        if (count > 0) {
            setBold(true);
            for (int32_t i = 0; i < count; ++i) {
                const size_t feed = lines.find(u'\n');
                const UnicodeString row =
                    feed == UnicodeString::npos ? lines : lines.substr(0, feed);
                groupHeight += FLineHeight;
                if (feed != UnicodeString::npos) lines.erase(0, feed + 1);
                addRow(row);
            }
            setBold(false);
            headRows = true;
        }
    }

    if (DoPaint && LineNo >= FLineCount) {
        restoreOrigin();
        return false;
    }
    const int instructionTop = LineNo * FLineHeight;
    groupHeight += FLineHeight;
    UnicodeString instruction;
    DisassembleAt(Address, instruction);
    if (DoPaint) {
        const TRect r(FLeftGutterWidth, instructionTop, rowRight, instructionTop + FLineHeight);
        canvas->TextRect(r, FLeftGutterWidth + 3, r.top, instruction);
        if (OnPaintEndOfLine)
            OnPaintEndOfLine(this, rowAddress, canvas,
                             TRect(canvas->TextWidth(instruction) + FLeftGutterWidth,
                                   instructionTop, rowRight, instructionTop + FLineHeight),
                             false);
        // The selected address may point into the instruction's bytes.
        if (Focused() && rowAddress <= FSelectedAddress && FSelectedAddress < Address)
            canvas->DrawFocusRect(
                TRect(FLeftGutterWidth, groupTop, rowRight + 1, groupTop + groupHeight));
    }
    if (!Text.empty()) Text += u"\r\n";
    Text += instruction;
    if (DoPaint)
        RecordRow(LineNo, rowAddress);
    else
        ++LineNo;

    if (DoPaint && FLeftCol <= FLeftGutterWidth) {
        if (headRows) PaintGutter(-1, TRect(0, groupTop, FLeftGutterWidth, instructionTop), true);
        PaintGutter(rowAddress,
                    TRect(0, instructionTop, FLeftGutterWidth, instructionTop + FLineHeight),
                    false);
    }
    restoreOrigin();
    return true;
}

void TDisassemblerView::Paint() {
    GetCanvas()->SetFont(GetFont());
    int32_t lineNo = 0;
    IterateAddrs(FTopAddress, [&](int64_t& Address, const TCPUSourcePos& SourcePos) {
        UnicodeString text;
        const bool produced = DrawLine(Address, lineNo, SourcePos, true, text);
        if (lineNo < FLineCount) FBottomAddress = Address;
        return produced;
    });
}

// --- Window ----------------------------------------------------------------------------------

void TDisassemblerView::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_VSCROLL | WS_HSCROLL;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TDisassemblerView::CreateWnd() {
    TCustomControl::CreateWnd();
    TakeFontMetrics();
    UpdateLineCount();
    SCROLLINFO vert{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS | SIF_PAGE, 0, 2, 0, 1, 0};
    SetScrollInfo(GetHandle(), SB_VERT, &vert, FALSE);
    SetHorzScrollBar();
    ShowScrollBars(false);
}

void TDisassemblerView::TakeFontMetrics() {
    if (!HandleAllocated()) return;
    GetCanvas()->SetFont(GetFont());
    FLineHeight = GetCanvas()->TextHeight(u"Ij");
}

void TDisassemblerView::UpdateLineCount() {
    if (FLineHeight == 0) return;
    FLineCount = GetClientRect().Height() / FLineHeight + 1;
}

void TDisassemblerView::SetHorzScrollBar() {
    if (!HandleAllocated()) return;
    const int width = GetClientRect().Width();
    SCROLLINFO horz{sizeof(SCROLLINFO),
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    2 * width,
                    static_cast<UINT>(width),
                    FLeftCol,
                    0};
    SetScrollInfo(GetHandle(), SB_HORZ, &horz, TRUE);
}

void TDisassemblerView::ShowScrollBars(bool Show) {
    if (!HandleAllocated()) return;
    ShowScrollBar(GetHandle(), SB_BOTH, Show ? TRUE : FALSE);
}

void TDisassemblerView::HorzScrollTo(int Position) {
    if (!HandleAllocated()) return;
    SetScrollPos(GetHandle(), SB_HORZ, Position, TRUE);
    FLeftCol = GetScrollPos(GetHandle(), SB_HORZ);
    Invalidate();
}

void TDisassemblerView::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL:
        if (Message.LParam == 0) return WMHScroll(Message);
        break;
    case WM_VSCROLL:
        if (Message.LParam == 0) return WMVScroll(Message);
        break;
    case WM_SIZE:
        WMSize(Message);
        return;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        return;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        return;
    case CM_CTL3DCHANGED:
        Invalidate();
        RecreateWnd();
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}

void TDisassemblerView::WMVScroll(TMessage& Message) {
    switch (LOWORD(Message.WParam)) {
    case SB_LINEUP:
        SetTopAddress(GetPrevAddr(FTopAddress));
        break;
    case SB_LINEDOWN:
        SetTopAddress(GetNextAddr(FTopAddress));
        break;
    case SB_PAGEUP:
        SetTopAddress(GoBack(FLineCount - 1, FTopAddress));
        break;
    case SB_PAGEDOWN:
        SetTopAddress(GoForward(FLineCount - 1, FTopAddress));
        break;
    default:
        break;
    }
    Message.Result = 0;
}

void TDisassemblerView::WMHScroll(TMessage& Message) {
    const int width = GetClientRect().Width();
    int position = FLeftCol;
    switch (LOWORD(Message.WParam)) {
    case SB_LINELEFT:
        position -= 8;
        break;
    case SB_LINERIGHT:
        position += 8;
        break;
    case SB_PAGELEFT:
        position -= width;
        break;
    case SB_PAGERIGHT:
        position += width;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        position = static_cast<short>(HIWORD(Message.WParam));
        break;
    default:
        return;
    }
    HorzScrollTo(position);
    Message.Result = 0;
}

void TDisassemblerView::WMSize(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    UpdateLineCount();
    if (!HandleAllocated()) return;
    GetCanvas()->SetFont(GetFont());
    const bool small =
        GetClientRect().Width() < 40 * GetCanvas()->TextWidth(u"M") + FLeftGutterWidth;
    if (small != FSmallDisplay) {
        FSmallDisplay = small;
        // The host words its answers differently for a narrow view.
        FCache->Clear();
    }
    Invalidate();
}

void TDisassemblerView::WMSetFocus(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    SetHorzScrollBar();
    ShowScrollBars(true);
    InvalidateAtAddress(FSelectedAddress, false);
    // Keep the selected row wholly on screen.
    if (GetNextAddr(FSelectedAddress) == FBottomAddress) SetTopAddress(GetNextAddr(FTopAddress));
}

void TDisassemblerView::WMKillFocus(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (GetComponentState().Contains(csDestroying)) return;
    ShowScrollBars(false);
    InvalidateAtAddress(FSelectedAddress, false);
}

void TDisassemblerView::CMFontChanged(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    TakeFontMetrics();
    UpdateLineCount();
}

// --- Keys and the mouse ----------------------------------------------------------------------

void TDisassemblerView::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool alt = Shift.Contains(ssAlt);
    const bool extend = Shift.Contains(ssShift);
    if (!ctrl && !alt) {
        switch (Key) {
        case VK_PRIOR:
            PageUp(extend);
            break;
        case VK_NEXT:
            PageDown(extend);
            break;
        case VK_UP:
            LineUp(extend);
            break;
        case VK_DOWN:
            LineDown(extend);
            break;
        case VK_LEFT:
            HorzScrollTo(FLeftCol - 8);
            break;
        case VK_RIGHT:
            HorzScrollTo(FLeftCol + 8);
            break;
        default:
            break;
        }
        return;
    }
    if (!ctrl || (Key != VK_LEFT && Key != VK_RIGHT)) return;
    // Byte by byte, to find the start of an instruction; a selection on the top follows it.
    const int64_t oldTop = FTopAddress;
    SetTopAddress(FTopAddress + (Key == VK_LEFT ? -1 : 1));
    if (FSelectedAddress == oldTop) SetSelectedAddress(FTopAddress);
}

void TDisassemblerView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (CanFocus()) SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (!GetClientRect().Contains(TPoint(X, Y))) return;
    if (Button == mbLeft) FMouseDown = true;
    const int64_t clicked = GoForward(LineFromY(Y), FTopAddress);
    if (FMultiSelect && Shift.Contains(ssShift))
        SetEndSelectionAddress(clicked);
    else if (Button != mbRight || !AddressIsSelected(clicked))
        SetSelectedAddress(clicked);
    if (X < FLeftGutterWidth) GutterClicked(Button, Shift);
}

void TDisassemblerView::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (FMultiSelect && FMouseDown && GetClientRect().Contains(TPoint(X, Y)))
        SetEndSelectionAddress(GoForward(LineFromY(Y), FTopAddress));
}

void TDisassemblerView::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) FMouseDown = false;
}

bool TDisassemblerView::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    SetTopAddress(GetNextAddr(GetNextAddr(GetNextAddr(FTopAddress))));
    return true;
}

bool TDisassemblerView::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    SetTopAddress(GetPrevAddr(GetPrevAddr(GetPrevAddr(FTopAddress))));
    return true;
}
