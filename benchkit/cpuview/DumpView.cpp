// TDumpView: the byte buffer of the rows on screen and what scrolling
// fetches, the cell texts, keys and the virtual scroll bar.
#include "benchkit/cpuview/DumpView.h"

#include "benchkit/cpuview/CPUViewStrings.h"
#include "benchkit/cpuview/ElementText.h"

#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace {

bool IsControlChar(char16_t C) {
    return C < 0x20 || (C >= 0x7F && C <= 0x9F);
}

// A byte through the system code page.
char16_t AnsiChar(uint8_t Byte) {
    WCHAR c = 0;
    const char b = static_cast<char>(Byte);
    if (MultiByteToWideChar(CP_ACP, 0, &b, 1, &c, 1) != 1) return u'.';
    return c;
}

} // namespace

TClass TDumpView::StaticClass() {
    using T = TDumpView;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TDumpView", TCustomGrid::StaticClass())
            .Property(u"DataColumns", IntegerTypeInfo, &T::GetDataColumns, &T::SetDataColumns)
            .Default(8)
            .Property(u"Descending", BooleanTypeInfo, &T::GetDescending, &T::SetDescending)
            .Default(false)
            .Property(u"LeftGutterWidth", IntegerTypeInfo, &T::GetLeftGutterWidth,
                      &T::SetLeftGutterWidth)
            .Default(0)
            .Property(u"ShowTextColumn", BooleanTypeInfo, &T::GetShowTextColumn,
                      &T::SetShowTextColumn)
            .Default(true));
    return &meta;
}

TDumpView::TDumpView(TComponent* AOwner) : TCustomGrid(AOwner) {
    FControlStyle.Include(csOpaque);
    FControlStyle.Include(csPannable);
    SetOptions(TGridOptions{goDrawFocusSelected});
    SetScrollBars(TScrollStyle::ssVertical);
    SetGridLineWidth(0);
    SetFixedRows(0);
    SetColor(clBtnFace);
    SetDrawingStyle(gdsClassic);
    Restructure(false);
}

// --- Sizes and the buffer ---------------------------------------------------------------------

int32_t TDumpView::GetBytesPerElem() const {
    return ViewTypeInfo(FViewType).Size;
}

int32_t TDumpView::LastVisibleRow() {
    return std::max(0, GetVisibleRowCount() - 1);
}

int32_t TDumpView::GetBytesVisible() {
    return GetVisibleRowCount() * GetBytesPerRow();
}

int64_t TDumpView::BufferStart(int64_t Top) const {
    // Descending, the buffer holds the bytes that end with the top element.
    return FDescending ? Top + GetBytesPerElem() - GetDataSize() : Top;
}

bool TDumpView::InRange(int64_t Offset) const {
    return FMinOffset == FMaxOffset || (Offset >= FMinOffset && Offset <= FMaxOffset);
}

bool TDumpView::Readable(int32_t Position, int32_t Count) const {
    if (Position < 0 || Position + Count > GetDataSize()) return false;
    for (int32_t i = Position; i < Position + Count; ++i)
        if (!FReadable[i]) return false;
    return true;
}

int32_t TDumpView::GetData(int64_t Offset, int32_t Count, int32_t Position) {
    if (Count <= 0) return 0;
    uint8_t* buffer = FDataBuffer.data() + Position;
    int32_t delivered = Count;
    if (OnGetData) {
        OnGetData(this, Offset, Count, buffer, delivered);
        delivered = std::clamp(delivered, 0, Count);
    }
    if (!OnGetData) std::memset(buffer, 0, Count);
    // What the host could not read is shown as such, never as older bytes.
    std::memset(buffer + delivered, 0, Count - delivered);
    for (int32_t i = 0; i < Count; ++i)
        FReadable[Position + i] = i < delivered;
    return delivered;
}

void TDumpView::SetDataSize(int32_t Size) {
    const int32_t old = GetDataSize();
    if (Size == old) return;
    if (!FDescending) {
        FDataBuffer.resize(Size);
        FReadable.resize(Size);
        if (Size > old) GetData(FTopOffset + old, Size - old, old);
        return;
    }
    if (Size < old) {
        FDataBuffer.erase(FDataBuffer.begin(), FDataBuffer.begin() + (old - Size));
        FReadable.erase(FReadable.begin(), FReadable.begin() + (old - Size));
        return;
    }
    FDataBuffer.insert(FDataBuffer.begin(), Size - old, 0);
    FReadable.insert(FReadable.begin(), Size - old, false);
    GetData(FTopOffset + GetBytesPerElem() - Size, Size - old, 0);
}

void TDumpView::RefreshBuffer() {
    const int32_t size = GetDataSize();
    SetDataSize(0);
    SetDataSize(size);
    Invalidate();
}

void TDumpView::Loaded() {
    TCustomGrid::Loaded();
    RefreshBuffer();
}

// --- Scrolling ---------------------------------------------------------------------------------

void TDumpView::SetTopOffset(int64_t Value) {
    if (Value == FTopOffset) return;
    const int64_t bytesPerRow = GetBytesPerRow();
    if (FMinOffset != FMaxOffset) {
        const int64_t visible = GetBytesVisible();
        if (Value < FMinOffset)
            Value = FMinOffset;
        else if (Value > FMaxOffset - visible)
            // The row that holds the last offset becomes the last row on screen.
            Value = FMaxOffset - FMaxOffset % bytesPerRow + bytesPerRow - visible;
        if (Value == FTopOffset) return;
    }
    const int64_t distance = Value - FTopOffset;
    if (HandleAllocated()) {
        if (distance % bytesPerRow != 0) {
            Invalidate();
        } else {
            InvalidateCell(GetCol(), GetRow());
            const int64_t rows = distance / bytesPerRow;
            if (std::abs(rows) < GetRowCount()) {
                const int dy = static_cast<int>(rows) * GetDefaultRowHeight();
                ScrollWindowEx(GetHandle(), 0, FDescending ? dy : -dy, nullptr, nullptr, nullptr,
                               nullptr, SW_INVALIDATE);
                InvalidateCell(GetCol(), GetRow());
            } else {
                Invalidate();
            }
        }
    }
    // Keep the bytes that stay on screen and fetch only the exposed ones.
    const int32_t size = GetDataSize();
    const int64_t newStart = BufferStart(Value);
    if (std::abs(distance) >= size) {
        GetData(newStart, size, 0);
    } else if (distance > 0) {
        const int32_t d = static_cast<int32_t>(distance);
        std::memmove(FDataBuffer.data(), FDataBuffer.data() + d, size - d);
        std::move(FReadable.begin() + d, FReadable.end(), FReadable.begin());
        GetData(newStart + size - d, d, size - d);
    } else if (distance < 0) {
        const int32_t d = static_cast<int32_t>(-distance);
        std::memmove(FDataBuffer.data() + d, FDataBuffer.data(), size - d);
        std::move_backward(FReadable.begin(), FReadable.end() - d, FReadable.end());
        GetData(newStart, d, 0);
    }
    FTopOffset = Value;
}

void TDumpView::MoveTop(int64_t Delta) {
    SetTopOffset(FDescending ? FTopOffset - Delta : FTopOffset + Delta);
    if (FViewType == vtMultiByte || FViewType == vtUTF8) {
        // A character may now start in the row above or below.
        if (const int text = TextColumn(); text >= 0) InvalidateCol(text);
    }
}

void TDumpView::TimedScroll(TGridScrollDirection Direction) {
    if (Direction == sdUp) MoveTop(-GetBytesPerRow());
    if (Direction == sdDown) MoveTop(GetBytesPerRow());
    TCustomGrid::TimedScroll(Direction);
}

void TDumpView::UpdateScrollRange() {
    if (!HandleAllocated()) return;
    // A virtual bar: the thumb always rests in the middle.
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 0, 4, 0, 2, 0};
    SetScrollInfo(GetHandle(), SB_VERT, &info, TRUE);
}

void TDumpView::WMVScroll(TMessage& Message) {
    if (GetVisible() && CanFocus() && GetTabStop() && !GetComponentState().Contains(csDesigning))
        SetFocus();
    const int64_t row = GetBytesPerRow();
    const int64_t page = GetBytesVisible() - row;
    int code = LOWORD(Message.WParam);
    if (code == SB_THUMBPOSITION) {
        static constexpr int kByPosition[] = {SB_PAGEUP, SB_LINEUP, SB_ENDSCROLL, SB_LINEDOWN,
                                              SB_PAGEDOWN};
        const int pos = static_cast<short>(HIWORD(Message.WParam));
        code = pos >= 0 && pos <= 4 ? kByPosition[pos] : SB_ENDSCROLL;
    }
    switch (code) {
    case SB_LINEUP:
        MoveTop(-row);
        break;
    case SB_LINEDOWN:
        MoveTop(row);
        break;
    case SB_PAGEUP:
        MoveTop(-page);
        break;
    case SB_PAGEDOWN:
        MoveTop(page);
        break;
    default:
        break;
    }
    UpdateScrollRange();
    Message.Result = 0;
}

// --- Properties ---------------------------------------------------------------------------------

void TDumpView::Restructure(bool ViewTypeChanged) {
    const TViewTypeInfo& info = ViewTypeInfo(FViewType);
    FShowTextColumn = info.IsInteger;
    if (ViewTypeChanged) FDataColumns = info.DefaultColumns;
    SetColCount(FDataColumns + 1 + (FShowTextColumn ? 1 : 0));
    SetFixedCols(1);
    Layout();
}

void TDumpView::Layout() {
    if (!HandleAllocated()) return;
    TCanvas* canvas = GetCanvas();
    canvas->SetFont(GetFont());
    SetRowCount(1000);
    SetRowCount(GetVisibleRowCount() + 1);
    SetDataSize(GetBytesPerRow() * GetRowCount());
    const TViewTypeInfo& info = ViewTypeInfo(FViewType);
    SetColWidths(0, canvas->TextWidth(FAddressSize == as32 ? u"MMMMMMMM" : u"MMMMMMMMMMMMMMMM") +
                        FLeftGutterWidth + 6);
    for (int c = 1; c <= FDataColumns; ++c)
        SetColWidths(c, canvas->TextWidth(info.WidthTemplate) + 6);
    if (const int text = TextColumn(); text >= 0 && text < GetColCount())
        SetColWidths(text, canvas->TextWidth(u"M") * (FDataColumns * info.Size + 1) + 6);
    if (GetRow() > LastVisibleRow()) MoveColRow(GetCol(), LastVisibleRow(), true, false);
}

void TDumpView::SetViewType(TViewType Value) {
    if (Value == FViewType) return;
    FViewType = Value;
    Restructure(true);
    RefreshBuffer();
}

void TDumpView::SetDataColumns(int32_t Value) {
    if (Value == FDataColumns) return;
    if (Value * GetBytesPerElem() < 2) throw Exception(UnicodeString(SInvalidDataColumnCount));
    FDataColumns = Value;
    SetColCount(FDataColumns + 1 + (FShowTextColumn ? 1 : 0));
    Layout();
    Invalidate();
}

void TDumpView::SetDescending(bool Value) {
    if (Value == FDescending) return;
    FDescending = Value;
    RefreshBuffer();
}

void TDumpView::SetShowTextColumn(bool Value) {
    if (Value == FShowTextColumn) return;
    FShowTextColumn = Value;
    Layout();
    Invalidate();
}

void TDumpView::SetLeftGutterWidth(int32_t Value) {
    if (Value == FLeftGutterWidth) return;
    FLeftGutterWidth = Value;
    Layout();
    Invalidate();
}

void TDumpView::SetAddressSize(TAddressSize Value) {
    if (Value == FAddressSize) return;
    FAddressSize = Value;
    Layout();
    Invalidate();
}

void TDumpView::SetMinOffset(int64_t Value) {
    FMinOffset = Value;
    const int64_t selected = GetSelectedOffset();
    if (FMinOffset < FMaxOffset && selected < FMinOffset) SetSelectedOffset(FMinOffset);
}

void TDumpView::SetMaxOffset(int64_t Value) {
    FMaxOffset = Value;
    const int64_t selected = GetSelectedOffset();
    if (FMinOffset < FMaxOffset && selected > FMaxOffset) SetSelectedOffset(FMaxOffset);
}

int64_t TDumpView::GetSelectedOffset() {
    int64_t distance = static_cast<int64_t>(GetBytesPerRow()) * GetRow();
    if (GetCol() != TextColumn())
        distance += static_cast<int64_t>(GetBytesPerElem()) * (GetCol() - 1);
    return FDescending ? FTopOffset - distance : FTopOffset + distance;
}

void TDumpView::SetSelectedOffset(int64_t Value) {
    if (Value == GetSelectedOffset()) return;
    const int64_t elem = GetBytesPerElem();
    const int64_t row = GetBytesPerRow();
    const int64_t rounded = Value - ((Value % elem) + elem) % elem;
    int64_t distance;
    if (!FDescending) {
        SetTopOffset(rounded);
        distance = rounded - FTopOffset;
    } else {
        SetTopOffset(rounded + GetBytesVisible() - row);
        distance = FTopOffset - rounded;
    }
    MoveColRow(static_cast<int>((distance % row) / elem + 1), static_cast<int>(distance / row),
               true, false);
}

// --- Cell texts ---------------------------------------------------------------------------------

UnicodeString TDumpView::GetDataString(int ACol, int ARow) {
    const int32_t bytesPerRow = GetBytesPerRow();
    const int32_t elem = GetBytesPerElem();
    if (ACol == 0) {
        const int64_t distance = static_cast<int64_t>(bytesPerRow) * ARow;
        const int64_t offset = FDescending ? FTopOffset - distance : FTopOffset + distance;
        return FAddressSize == as32 ? Format(u"%.8x", static_cast<uint32_t>(offset))
                                    : Format(u"%.16x", static_cast<uint64_t>(offset));
    }
    if (ACol == TextColumn()) return RowText(ARow);
    if (ACol < 1 || ACol > FDataColumns) return {};
    int32_t p = bytesPerRow * ARow + elem * (ACol - 1);
    if (FDescending) p = GetDataSize() - elem - p;
    if (p < 0 || p + elem > GetDataSize()) return {};
    if (!InRange(OffsetOf(p))) return {};
    const TViewTypeInfo& info = ViewTypeInfo(FViewType);
    if (!Readable(p, elem)) return info.IsInteger ? UnicodeString(2 * elem, u'?') : u"??";
    const uint8_t* bytes = FDataBuffer.data() + p;
    if (!info.IsInteger) return ElementFloatText(bytes, FViewType);
    return ElementIntegerText(bytes, FViewType, frHexadecimal);
}

UnicodeString TDumpView::RowText(int ARow) {
    const int32_t bytesPerRow = GetBytesPerRow();
    const int32_t size = GetDataSize();
    UnicodeString text;
    // The buffer position of the row's byte J (J may run past the row).
    auto position = [&](int32_t J) {
        return FDescending ? size - 1 - bytesPerRow * ARow - J : bytesPerRow * ARow + J;
    };
    auto inData = [&](int32_t P) { return P >= 0 && P < size; };
    if (FViewType == vtUnicode) {
        for (int32_t j = 0; j < bytesPerRow; j += 2) {
            const int32_t p = FDescending ? size - 2 - bytesPerRow * ARow - j : position(j);
            if (!inData(p) || !inData(p + 1) || !InRange(OffsetOf(p))) {
                text += u' ';
            } else if (!Readable(p, 2)) {
                text += u'?';
            } else {
                const char16_t unit =
                    static_cast<char16_t>(FDataBuffer[p] | FDataBuffer[p + 1] << 8);
                text += unit < 32 ? u' ' : unit;
            }
        }
        return text;
    }
    for (int32_t j = 0; j < bytesPerRow; ++j) {
        const int32_t p = position(j);
        if (!inData(p) || !InRange(OffsetOf(p))) {
            text += u' ';
            continue;
        }
        if (!FReadable[p]) {
            text += u'?';
            continue;
        }
        const uint8_t b0 = FDataBuffer[p];
        // The next bytes in reading order, when the data has them.
        auto next = [&](int32_t K, uint8_t& Byte) {
            const int32_t q = position(j + K);
            if (!inData(q) || !FReadable[q]) return false;
            Byte = FDataBuffer[q];
            return true;
        };
        if (FViewType == vtUTF8) {
            uint8_t b1 = 0, b2 = 0;
            if (b0 < 32) {
                text += u'.';
            } else if (b0 < 128) {
                text += static_cast<char16_t>(b0);
            } else if (b0 >= 0xE0) {
                if (next(1, b1) && next(2, b2)) {
                    text += static_cast<char16_t>((b0 << 12) | ((b1 << 6) & 0xFFF) | (b2 & 0x3F));
                    j += 2;
                } else {
                    text += u'.';
                }
            } else if (next(1, b1)) {
                text += static_cast<char16_t>(((b0 << 6) & 0x7FF) | (b1 & 0x3F));
                j += 1;
            } else {
                text += u'.';
            }
            continue;
        }
        if (FViewType == vtMultiByte) {
            uint8_t b1 = 0;
            if (IsDBCSLeadByte(b0)) {
                WCHAR c = 0;
                char bytes[2] = {static_cast<char>(b0), 0};
                if (j + 1 < bytesPerRow && next(1, b1)) {
                    bytes[1] = static_cast<char>(b1);
                    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 2, &c, 1) == 1) {
                        text += c;
                        ++j;
                        continue;
                    }
                }
                text += u'.';
                continue;
            }
            const char16_t c = AnsiChar(b0);
            const bool halfWidth = c >= 0xFF61 && c <= 0xFF9F;
            text += std::iswalnum(c) || std::iswpunct(c) || halfWidth ? c : u'.';
            continue;
        }
        const char16_t c = AnsiChar(b0);
        text += IsControlChar(c) ? u'.' : c;
    }
    return text;
}

// --- Painting --------------------------------------------------------------------------------

void TDumpView::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* canvas = GetCanvas();
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetFont()->SetColor(GetFont()->GetColor());
    if (AState.Contains(gdSelected)) {
        const bool focused = Focused();
        canvas->GetBrush()->SetColor(focused ? clHighlight : clInactiveCaption);
        canvas->GetFont()->SetColor(focused ? clHighlightText : clInactiveCaptionText);
    }
    canvas->FillRect(ARect);
    const UnicodeString text = GetDataString(ACol, ARow);
    if (ACol == 0) {
        if (FLeftGutterWidth != 0) {
            const TRect gutter(0, ARect.top, FLeftGutterWidth, ARect.bottom);
            const int64_t distance = static_cast<int64_t>(GetBytesPerRow()) * ARow;
            const int64_t offset = FDescending ? FTopOffset - distance : FTopOffset + distance;
            if (OnPaintGutter)
                OnPaintGutter(this, offset, canvas, gutter, false);
            else
                canvas->FillRect(gutter);
        }
        canvas->TextOut(ARect.left + FLeftGutterWidth, ARect.top, text);
        return;
    }
    if (ACol == TextColumn()) {
        if (FViewType != vtUnicode) {
            canvas->TextOut(ARect.left + 2, ARect.top, text);
            return;
        }
        // Characters one by one, each a fixed step apart.
        const int step = canvas->TextHeight(u"Ij") + 2;
        int x = ARect.left + 1;
        for (size_t i = 0; i < text.size(); ++i) {
            const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF;
            canvas->TextOut(x, ARect.top, text.substr(i, pair ? 2 : 1));
            if (pair) ++i;
            x += step;
        }
        return;
    }
    const int width = canvas->TextWidth(text);
    const int x = ViewTypeInfo(FViewType).IsInteger ? ARect.left + (ARect.Width() - width) / 2
                                                    : ARect.right - width - 3;
    canvas->TextOut(x, ARect.top, text);
}

bool TDumpView::SelectCell(int ACol, int ARow) {
    if (ACol <= 0 || ARow > LastVisibleRow()) return false;
    if (FMinOffset == FMaxOffset) return true;
    const int64_t offset = FTopOffset + static_cast<int64_t>(GetBytesPerRow()) * ARow +
                           static_cast<int64_t>(GetBytesPerElem()) * (ACol - 1);
    return offset >= FMinOffset && offset <= FMaxOffset;
}

// --- Keys and the mouse --------------------------------------------------------------------------

void TDumpView::KeyDown(uint16_t& Key, TShiftState Shift) {
    const int64_t row = GetBytesPerRow();
    const bool ctrl = Shift.Contains(ssCtrl);
    const int last = LastVisibleRow();
    auto consume = [&] {
        Key = 0;
        Invalidate();
    };
    if (ctrl && (Key == VK_LEFT || Key == VK_RIGHT)) {
        SetTopOffset(FTopOffset + (Key == VK_LEFT ? -1 : 1));
        return consume();
    }
    if (ctrl && (Key == VK_UP || Key == VK_DOWN)) {
        SetTopOffset(FTopOffset + (Key == VK_UP ? -row : row));
        return consume();
    }
    switch (Key) {
    case VK_PRIOR:
        MoveTop(row - GetBytesVisible());
        return consume();
    case VK_NEXT:
        MoveTop(GetBytesVisible() - row);
        return consume();
    case VK_LEFT:
        if (GetCol() != 1) break;
        if (GetRow() == 0)
            MoveTop(-row);
        else
            MoveColRow(FDataColumns, GetRow() - 1, true, false);
        MoveColRow(FDataColumns, GetRow(), true, false);
        return consume();
    case VK_UP:
        if (GetRow() != 0) break;
        MoveTop(-row);
        return consume();
    case VK_RIGHT:
        if (GetCol() != FDataColumns) break;
        if (GetRow() >= last)
            MoveTop(row);
        else
            MoveColRow(1, GetRow() + 1, true, false);
        MoveColRow(1, GetRow(), true, false);
        return consume();
    case VK_DOWN:
        if (GetRow() < last) break;
        MoveTop(row);
        return consume();
    default:
        break;
    }
    TCustomGrid::KeyDown(Key, Shift);
}

void TDumpView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbRight) {
        const TGridCoord cell = MouseCoord(X, Y);
        if (cell.X >= 0 && cell.Y >= 0) MoveColRow(cell.X, cell.Y, true, false);
    }
    TCustomGrid::MouseDown(Button, Shift, X, Y);
}

// --- Window ----------------------------------------------------------------------------------

void TDumpView::CreateParams(TCreateParams& Params) {
    TCustomGrid::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TDumpView::TakeRowHeight() {
    if (!HandleAllocated()) return;
    GetCanvas()->SetFont(GetFont());
    SetDefaultRowHeight(GetCanvas()->TextHeight(u"Ij"));
}

void TDumpView::CreateWnd() {
    TCustomGrid::CreateWnd();
    TakeRowHeight();
    if (GetCol() < 1 || GetCol() > FDataColumns) MoveColRow(1, GetRow(), true, false);
    Layout();
    UpdateScrollRange();
    ShowScrollBar(GetHandle(), SB_BOTH, FALSE);
}

void TDumpView::WMSetFocus(TMessage& Message) {
    TCustomGrid::WMSetFocus(Message);
    if (HandleAllocated()) ShowScrollBar(GetHandle(), SB_VERT, TRUE);
    Invalidate();
}

void TDumpView::WMKillFocus(TMessage& Message) {
    TCustomGrid::WMKillFocus(Message);
    if (HandleAllocated()) ShowScrollBar(GetHandle(), SB_BOTH, FALSE);
    Invalidate();
}

void TDumpView::WMSize(TMessage& Message) {
    TCustomGrid::WMSize(Message);
    Layout();
}

void TDumpView::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_FONTCHANGED:
        TCustomGrid::Dispatch(Message);
        TakeRowHeight();
        Layout();
        return;
    default:
        TCustomGrid::Dispatch(Message);
    }
}
