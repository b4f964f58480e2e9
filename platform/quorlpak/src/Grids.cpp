// TCustomGrid and TDrawGrid: sizes, current cell, selection, scrolling,
// painting through DrawCell, keys and the mouse.
#include <quorlpak/Grids.h>

#include <quorlpak/Canvas.h>
#include <quorlpak/TypeInfos.h>
#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollTimerInterval = 60;

TGridRect Normalized(const TGridCoord& A, const TGridCoord& B) {
    return {std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X), std::max(A.Y, B.Y)};
}

} // namespace

// --- Construction and metaclasses ------------------------------------------------------------

TClass TCustomGrid::StaticClass() {
    using T = TCustomGrid;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TCustomGrid", TCustomControl::StaticClass())
            .Property(u"ColCount", IntegerTypeInfo, &T::GetColCount, &T::SetColCount)
            .Default(5)
            .Property(u"RowCount", IntegerTypeInfo, &T::GetRowCount, &T::SetRowCount)
            .Default(5)
            .Property(u"FixedCols", IntegerTypeInfo, &T::GetFixedCols, &T::SetFixedCols)
            .Default(1)
            .Property(u"FixedRows", IntegerTypeInfo, &T::GetFixedRows, &T::SetFixedRows)
            .Default(1)
            .Property(u"DefaultColWidth", IntegerTypeInfo, &T::GetDefaultColWidth,
                      &T::SetDefaultColWidth)
            .Default(64)
            .Property(u"DefaultRowHeight", IntegerTypeInfo, &T::GetDefaultRowHeight,
                      &T::SetDefaultRowHeight)
            .Default(24)
            .Property(u"GridLineWidth", IntegerTypeInfo, &T::GetGridLineWidth, &T::SetGridLineWidth)
            .Default(1));
    return &meta;
}

TClass TDrawGrid::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TDrawGrid>(u"TDrawGrid", TCustomGrid::StaticClass()));
    return &meta;
}

void RegisterGridClasses() {
    RegisterClass(TDrawGrid::StaticClass());
    RegisterClass(TStringGrid::StaticClass());
}

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
    FColor = clWindow;
    FParentColor = false;
    FTabStop = true;
    FCurrent = {FFixedCols, FFixedRows};
    FAnchor = FCurrent;
    FTopLeft = FCurrent;
    SetBounds(0, 0, FColCount * (FDefaultColWidth + FGridLineWidth),
              FRowCount * (FDefaultRowHeight + FGridLineWidth));
}

TCustomGrid::~TCustomGrid() {
    // The editor goes with the owned components, after this grid has stopped being one.
    if (FInplaceEdit) FInplaceEdit->FGrid = nullptr;
}

// --- Sizes -------------------------------------------------------------------------------

void TCustomGrid::SetColCount(int Value) {
    Value = std::max(Value, 1);
    if (Value == FColCount) return;
    const int old = FColCount;
    FColCount = Value;
    if (!FColWidths.empty()) FColWidths.resize(Value, FDefaultColWidth);
    if (FFixedCols > Value - 1) FFixedCols = std::max(0, Value - 1);
    if (FCurrent.X >= Value) FCurrent.X = Value - 1;
    if (FAnchor.X >= Value) FAnchor.X = Value - 1;
    if (FTopLeft.X >= Value) FTopLeft.X = std::max(FFixedCols, Value - 1);
    SizeChanged(old, FRowCount);
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetRowCount(int Value) {
    Value = std::max(Value, 1);
    if (Value == FRowCount) return;
    const int old = FRowCount;
    FRowCount = Value;
    if (!FRowHeights.empty()) FRowHeights.resize(Value, FDefaultRowHeight);
    if (FFixedRows > Value - 1) FFixedRows = std::max(0, Value - 1);
    if (FCurrent.Y >= Value) FCurrent.Y = Value - 1;
    if (FAnchor.Y >= Value) FAnchor.Y = Value - 1;
    if (FTopLeft.Y >= Value) FTopLeft.Y = std::max(FFixedRows, Value - 1);
    SizeChanged(FColCount, old);
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value < 0 || Value >= FColCount)
        throw EInvalidOperation(u"Fixed column count must be less than column count");
    if (Value == FFixedCols) return;
    FFixedCols = Value;
    // The current cell goes back to the first scrollable column.
    FCurrent.X = Value;
    FAnchor = FCurrent;
    FTopLeft.X = Value;
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value < 0 || Value >= FRowCount)
        throw EInvalidOperation(u"Fixed row count must be less than row count");
    if (Value == FFixedRows) return;
    FFixedRows = Value;
    FCurrent.Y = Value;
    FAnchor = FCurrent;
    FTopLeft.Y = Value;
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    FColWidths.clear();
    if (Value == FDefaultColWidth) return;
    FDefaultColWidth = Value;
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    FRowHeights.clear();
    if (Value == FDefaultRowHeight) return;
    FDefaultRowHeight = Value;
    RowHeightsChanged();
}

int TCustomGrid::GetColWidths(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(FColWidths.size())) return FDefaultColWidth;
    return FColWidths[Index];
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= FColCount) throw EInvalidOperation(u"Grid index out of range");
    if (FColWidths.empty()) FColWidths.assign(FColCount, FDefaultColWidth);
    if (FColWidths[Index] == Value) return;
    FColWidths[Index] = Value;
    ColWidthsChanged();
}

int TCustomGrid::GetRowHeights(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(FRowHeights.size())) return FDefaultRowHeight;
    return FRowHeights[Index];
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= FRowCount) throw EInvalidOperation(u"Grid index out of range");
    if (FRowHeights.empty()) FRowHeights.assign(FRowCount, FDefaultRowHeight);
    if (FRowHeights[Index] == Value) return;
    FRowHeights[Index] = Value;
    RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int Value) {
    if (Value == FGridLineWidth) return;
    FGridLineWidth = std::max(Value, 0);
    ColWidthsChanged();
}

void TCustomGrid::ColWidthsChanged() {
    InvalidateEditor();
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::RowHeightsChanged() {
    InvalidateEditor();
    UpdateScrollRange();
    Invalidate();
}

int TCustomGrid::GetGridWidth() const {
    int width = 0;
    for (int c = 0; c < FColCount; ++c)
        width += GetColWidths(c) + FGridLineWidth;
    return width;
}

int TCustomGrid::GetGridHeight() const {
    int height = 0;
    for (int r = 0; r < FRowCount; ++r)
        height += GetRowHeights(r) + FGridLineWidth;
    return height;
}

// --- Options and looks ------------------------------------------------------------------------

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    if (FOptions.Contains(goRowSelect)) FAnchor = {FColCount - 1, FCurrent.Y};
    if (!FOptions.Contains(goEditing) || FOptions.Contains(goRowSelect))
        HideEditor();
    else if (FOptions.Contains(goAlwaysShowEditor) && Focused())
        ShowEditor();
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    if (Value == FFixedColor) return;
    FFixedColor = Value;
    Invalidate();
}

void TCustomGrid::SetDrawingStyle(TGridDrawingStyle Value) {
    if (Value == FDrawingStyle) return;
    FDrawingStyle = Value;
    Invalidate();
}

// --- Current cell and selection -------------------------------------------------------------

void TCustomGrid::SetCol(int Value) {
    if (Value != FCurrent.X) FocusCell(Value, FCurrent.Y, true);
}

void TCustomGrid::SetRow(int Value) {
    if (Value != FCurrent.Y) FocusCell(FCurrent.X, Value, true);
}

TGridRect TCustomGrid::GetSelection() const {
    TGridRect r = Normalized(FCurrent, FAnchor);
    if (FOptions.Contains(goRowSelect)) {
        r.Left = FFixedCols;
        r.Right = FColCount - 1;
    }
    return r;
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
    const TGridRect old = GetSelection();
    FAnchor = {Value.Right, Value.Bottom};
    FCurrent = {Value.Left, Value.Top};
    InvalidateRect(old);
    InvalidateRect(GetSelection());
    ClampInView(FCurrent);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    MoveColRow(ACol, ARow, MoveAnchor, true);
    Click();
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
    ACol = std::clamp(ACol, FFixedCols, FColCount - 1);
    ARow = std::clamp(ARow, FFixedRows, FRowCount - 1);
    if (!SelectCell(ACol, ARow)) return;
    const TGridRect old = GetSelection();
    const TGridCoord oldCurrent = FCurrent;
    FCurrent = {ACol, ARow};
    if (MoveAnchor || !FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    if (Show) ClampInView(FCurrent);
    InvalidateRect(old);
    InvalidateRect(GetSelection());
    if (!(oldCurrent == FCurrent)) {
        // Editing ends with a move unless the editor is always shown; then it follows.
        if (FOptions.Contains(goAlwaysShowEditor))
            UpdateEdit();
        else
            HideEditor();
    }
}

void TCustomGrid::SetTopRow(int Value) {
    MoveTopLeft(FTopLeft.X, Value);
}

void TCustomGrid::SetLeftCol(int Value) {
    MoveTopLeft(Value, FTopLeft.Y);
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
    const TGridCoord limit = MaxTopLeft();
    ALeft = std::clamp(ALeft, FFixedCols, std::max(FFixedCols, limit.X));
    ATop = std::clamp(ATop, FFixedRows, std::max(FFixedRows, limit.Y));
    if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
    const TGridCoord old = FTopLeft;
    FTopLeft = {ALeft, ATop};
    ScrollData(old.X - ALeft, old.Y - ATop);
    UpdateScrollPos();
    InvalidateEditor();
    TopLeftChanged();
}

void TCustomGrid::ClampInView(const TGridCoord& Coord) {
    if (!HandleAllocated()) return;
    TGridCoord top = FTopLeft;
    if (Coord.X < top.X) top.X = Coord.X;
    if (Coord.Y < top.Y) top.Y = Coord.Y;
    const TRect client = GetClientRect();
    // Moves the top left on until the cell's far edge fits.
    auto fits = [&](bool horizontal, int first) {
        int edge = horizontal ? ColLeft(FFixedCols) : RowTop(FFixedRows);
        const int last = horizontal ? Coord.X : Coord.Y;
        for (int i = first; i <= last; ++i)
            edge += (horizontal ? GetColWidths(i) : GetRowHeights(i)) + FGridLineWidth;
        return edge <= (horizontal ? client.right : client.bottom);
    };
    while (top.X < Coord.X && !fits(true, top.X))
        ++top.X;
    while (top.Y < Coord.Y && !fits(false, top.Y))
        ++top.Y;
    MoveTopLeft(top.X, top.Y);
}

TGridCoord TCustomGrid::MaxTopLeft() {
    const TRect client = GetClientRect();
    TGridCoord result{FColCount - 1, FRowCount - 1};
    int x = ColLeft(FFixedCols);
    int width = client.right - x;
    for (int c = FColCount - 1; c >= FFixedCols; --c) {
        width -= GetColWidths(c) + FGridLineWidth;
        if (width < 0) break;
        result.X = c;
    }
    int height = client.bottom - RowTop(FFixedRows);
    for (int r = FRowCount - 1; r >= FFixedRows; --r) {
        height -= GetRowHeights(r) + FGridLineWidth;
        if (height < 0) break;
        result.Y = r;
    }
    return result;
}

int TCustomGrid::GetVisibleColCount() {
    const int right = GetClientRect().right;
    int x = ColLeft(FTopLeft.X);
    int count = 0;
    for (int c = FTopLeft.X; c < FColCount; ++c) {
        x += GetColWidths(c) + FGridLineWidth;
        if (x > right + FGridLineWidth) break;
        ++count;
    }
    return count;
}

int TCustomGrid::GetVisibleRowCount() {
    const int bottom = GetClientRect().bottom;
    int y = RowTop(FTopLeft.Y);
    int count = 0;
    for (int r = FTopLeft.Y; r < FRowCount; ++r) {
        y += GetRowHeights(r) + FGridLineWidth;
        if (y > bottom + FGridLineWidth) break;
        ++count;
    }
    return count;
}

// --- Geometry ------------------------------------------------------------------------------

int TCustomGrid::ColLeft(int ACol) const {
    int x = 0;
    for (int c = 0; c < FFixedCols && c < ACol; ++c)
        x += GetColWidths(c) + FGridLineWidth;
    for (int c = FTopLeft.X; c < ACol; ++c)
        x += GetColWidths(c) + FGridLineWidth;
    return x;
}

int TCustomGrid::RowTop(int ARow) const {
    int y = 0;
    for (int r = 0; r < FFixedRows && r < ARow; ++r)
        y += GetRowHeights(r) + FGridLineWidth;
    for (int r = FTopLeft.Y; r < ARow; ++r)
        y += GetRowHeights(r) + FGridLineWidth;
    return y;
}

TRect TCustomGrid::CellRect(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) return {};
    // Scrolled-away cells have no place on screen.
    if ((ACol >= FFixedCols && ACol < FTopLeft.X) || (ARow >= FFixedRows && ARow < FTopLeft.Y))
        return {};
    const TRect client = GetClientRect();
    const int x = ColLeft(ACol);
    const int y = RowTop(ARow);
    if (x >= client.right || y >= client.bottom) return {};
    return {x, y, x + GetColWidths(ACol), y + GetRowHeights(ARow)};
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) {
    TGridCoord result{-1, -1};
    const TRect client = GetClientRect();
    if (X < 0 || Y < 0 || X >= client.right || Y >= client.bottom) return result;
    auto find = [&](int pos, int count, int fixed, int first, bool columns) {
        int edge = 0;
        auto step = [&](int i) {
            edge += (columns ? GetColWidths(i) : GetRowHeights(i)) + FGridLineWidth;
            return pos < edge;
        };
        for (int i = 0; i < fixed; ++i)
            if (step(i)) return i;
        for (int i = first; i < count; ++i)
            if (step(i)) return i;
        return -1;
    };
    result.X = find(X, FColCount, FFixedCols, FTopLeft.X, true);
    result.Y = find(Y, FRowCount, FFixedRows, FTopLeft.Y, false);
    if (result.X < 0 || result.Y < 0) return {-1, -1};
    return result;
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) {
    const TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

// --- Invalidation and scrolling ---------------------------------------------------------------

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
    InvalidateRect({ACol, ARow, ACol, ARow});
}

void TCustomGrid::InvalidateCol(int ACol) {
    InvalidateRect({ACol, 0, ACol, FRowCount - 1});
}

void TCustomGrid::InvalidateRow(int ARow) {
    InvalidateRect({0, ARow, FColCount - 1, ARow});
}

void TCustomGrid::InvalidateRect(const TGridRect& Cells) {
    if (!HandleAllocated()) return;
    const TRect client = GetClientRect();
    const int right = Cells.Right + 1 < FColCount ? ColLeft(Cells.Right + 1) : client.right;
    const int bottom = Cells.Bottom + 1 < FRowCount ? RowTop(Cells.Bottom + 1) : client.bottom;
    RECT r{ColLeft(std::max(Cells.Left, Cells.Left < FFixedCols ? 0 : FTopLeft.X)),
           RowTop(std::max(Cells.Top, Cells.Top < FFixedRows ? 0 : FTopLeft.Y)), right, bottom};
    if (Cells.Left < FFixedCols) r.left = ColLeft(Cells.Left);
    if (Cells.Top < FFixedRows) r.top = RowTop(Cells.Top);
    if (r.right > r.left && r.bottom > r.top) ::InvalidateRect(GetHandle(), &r, FALSE);
}

void TCustomGrid::ScrollData(int DX, int DY) {
    if (!HandleAllocated()) return;
    // Everything right of and below the fixed cells moves; repaint it.
    const TRect client = GetClientRect();
    RECT r{DX != 0 ? ColLeft(FFixedCols) : 0, DY != 0 ? RowTop(FFixedRows) : 0, client.right,
           client.bottom};
    ::InvalidateRect(GetHandle(), &r, FALSE);
}

void TCustomGrid::TimedScroll(TGridScrollDirection Direction) {
    TGridCoord target = FCurrent;
    switch (Direction) {
    case sdLeft:
        target.X = std::max(FFixedCols, FTopLeft.X - 1);
        break;
    case sdRight:
        target.X = std::min(FColCount - 1, FTopLeft.X + GetVisibleColCount());
        break;
    case sdUp:
        target.Y = std::max(FFixedRows, FTopLeft.Y - 1);
        break;
    case sdDown:
        target.Y = std::min(FRowCount - 1, FTopLeft.Y + GetVisibleRowCount());
        break;
    }
    MoveColRow(target.X, target.Y, !FOptions.Contains(goRangeSelect), true);
}

void TCustomGrid::UpdateScrollRange() {
    if (!HandleAllocated()) return;
    const TGridCoord limit = MaxTopLeft();
    const HWND hwnd = GetHandle();
    // Only a new range is set: setting one shows the bar, and a bar that
    // appears or goes resizes the client area, which brings us back here.
    auto setRange = [&](int Bar, int Max) {
        int oldMin = 0, oldMax = 0;
        GetScrollRange(hwnd, Bar, &oldMin, &oldMax);
        if (oldMin != 0 || oldMax != Max) SetScrollRange(hwnd, Bar, 0, Max, TRUE);
    };
    if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth)
        setRange(SB_VERT, std::max(0, limit.Y - FFixedRows));
    if (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth)
        setRange(SB_HORZ, std::max(0, limit.X - FFixedCols));
    if (FTopLeft.X > std::max(FFixedCols, limit.X) || FTopLeft.Y > std::max(FFixedRows, limit.Y))
        MoveTopLeft(std::min(FTopLeft.X, limit.X), std::min(FTopLeft.Y, limit.Y));
    UpdateScrollPos();
}

void TCustomGrid::UpdateScrollPos() {
    if (!HandleAllocated()) return;
    const HWND hwnd = GetHandle();
    if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth)
        SetScrollPos(hwnd, SB_VERT, FTopLeft.Y - FFixedRows, TRUE);
    if (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth)
        SetScrollPos(hwnd, SB_HORZ, FTopLeft.X - FFixedCols, TRUE);
}

// --- Window ------------------------------------------------------------------------------

void TCustomGrid::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_TABSTOP;
    if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth)
        Params.Style |= WS_VSCROLL;
    if (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth)
        Params.Style |= WS_HSCROLL;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
    Params.WindowClass.style = CS_DBLCLKS;
}

void TCustomGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollRange();
}

void TCustomGrid::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_VSCROLL:
        if (Message.LParam == 0) return WMVScroll(Message);
        break;
    case WM_HSCROLL:
        if (Message.LParam == 0) return WMHScroll(Message);
        break;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    case WM_SIZE:
        WMSize(Message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case WM_TIMER:
        if (Message.WParam == kScrollTimer) return WMTimer(Message);
        break;
    case WM_CANCELMODE:
        StopSelecting();
        break;
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}

void TCustomGrid::WMVScroll(TMessage& Message) {
    const int code = LOWORD(Message.WParam);
    const int pos = static_cast<short>(HIWORD(Message.WParam));
    switch (code) {
    case SB_LINEUP:
        SetTopRow(FTopLeft.Y - 1);
        break;
    case SB_LINEDOWN:
        SetTopRow(FTopLeft.Y + 1);
        break;
    case SB_PAGEUP:
        SetTopRow(FTopLeft.Y - std::max(1, GetVisibleRowCount()));
        break;
    case SB_PAGEDOWN:
        SetTopRow(FTopLeft.Y + std::max(1, GetVisibleRowCount()));
        break;
    case SB_THUMBTRACK:
        if (FOptions.Contains(goThumbTracking)) SetTopRow(FFixedRows + pos);
        break;
    case SB_THUMBPOSITION:
        SetTopRow(FFixedRows + pos);
        break;
    case SB_TOP:
        SetTopRow(FFixedRows);
        break;
    case SB_BOTTOM:
        SetTopRow(FRowCount - 1);
        break;
    default:
        break;
    }
    Message.Result = 0;
}

void TCustomGrid::WMHScroll(TMessage& Message) {
    const int code = LOWORD(Message.WParam);
    const int pos = static_cast<short>(HIWORD(Message.WParam));
    switch (code) {
    case SB_LINELEFT:
        SetLeftCol(FTopLeft.X - 1);
        break;
    case SB_LINERIGHT:
        SetLeftCol(FTopLeft.X + 1);
        break;
    case SB_PAGELEFT:
        SetLeftCol(FTopLeft.X - std::max(1, GetVisibleColCount()));
        break;
    case SB_PAGERIGHT:
        SetLeftCol(FTopLeft.X + std::max(1, GetVisibleColCount()));
        break;
    case SB_THUMBTRACK:
        if (FOptions.Contains(goThumbTracking)) SetLeftCol(FFixedCols + pos);
        break;
    case SB_THUMBPOSITION:
        SetLeftCol(FFixedCols + pos);
        break;
    case SB_LEFT:
        SetLeftCol(FFixedCols);
        break;
    case SB_RIGHT:
        SetLeftCol(FColCount - 1);
        break;
    default:
        break;
    }
    Message.Result = 0;
}

void TCustomGrid::WMSetFocus(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    InvalidateRect(GetSelection());
    if (FOptions.Contains(goAlwaysShowEditor) && FOptions.Contains(goEditing)) ShowEditor();
}

void TCustomGrid::WMKillFocus(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    InvalidateRect(GetSelection());
}

void TCustomGrid::WMSize(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    UpdateScrollRange();
}

void TCustomGrid::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS;
    if (FOptions.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
}

void TCustomGrid::WMTimer(TMessage& Message) {
    if (FGridState != gsSelecting) return;
    POINT p;
    GetCursorPos(&p);
    const TPoint client = ScreenToClient(TPoint(p));
    const TRect r = GetClientRect();
    if (client.y < 0)
        TimedScroll(sdUp);
    else if (client.y >= r.bottom)
        TimedScroll(sdDown);
    if (client.x < 0)
        TimedScroll(sdLeft);
    else if (client.x >= r.right)
        TimedScroll(sdRight);
}

// --- Keys and the mouse ---------------------------------------------------------------------

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    if (Key == VK_F2 && FOptions.Contains(goEditing)) {
        SetEditorMode(true);
        return;
    }
    if (Key == VK_ESCAPE && FInplaceEdit && FInplaceEdit->GetVisible()) {
        // Escape takes back what was typed since editing began.
        FInplaceEdit->SetText(FSavedText);
        if (!FOptions.Contains(goAlwaysShowEditor)) HideEditor();
        Key = 0;
        return;
    }
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool extend = Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect);
    TGridCoord target = FCurrent;
    const int page = std::max(1, GetVisibleRowCount() - 1);
    switch (Key) {
    case VK_UP:
        if (ctrl)
            SetTopRow(FTopLeft.Y - 1);
        else
            --target.Y;
        break;
    case VK_DOWN:
        if (ctrl)
            SetTopRow(FTopLeft.Y + 1);
        else
            ++target.Y;
        break;
    case VK_LEFT:
        if (FOptions.Contains(goRowSelect))
            SetLeftCol(FTopLeft.X - 1);
        else
            --target.X;
        break;
    case VK_RIGHT:
        if (FOptions.Contains(goRowSelect))
            SetLeftCol(FTopLeft.X + 1);
        else
            ++target.X;
        break;
    case VK_PRIOR:
        target.Y -= page;
        SetTopRow(FTopLeft.Y - page);
        break;
    case VK_NEXT:
        target.Y += page;
        SetTopRow(FTopLeft.Y + page);
        break;
    case VK_HOME:
        if (ctrl) target.Y = FFixedRows;
        target.X = FFixedCols;
        break;
    case VK_END:
        if (ctrl) target.Y = FRowCount - 1;
        target.X = FColCount - 1;
        break;
    case VK_TAB:
        if (!FOptions.Contains(goTabs)) return;
        target.X += Shift.Contains(ssShift) ? -1 : 1;
        break;
    default:
        return;
    }
    target.X = std::clamp(target.X, FFixedCols, FColCount - 1);
    target.Y = std::clamp(target.Y, FFixedRows, FRowCount - 1);
    if (target == FCurrent) return;
    MoveColRow(target.X, target.Y, !extend, true);
    Click();
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool wasFocused = Focused() || (FInplaceEdit && FInplaceEdit->Focused());
    if (CanFocus() && !Focused() && !(FInplaceEdit && FInplaceEdit->Focused())) SetFocus();
    if (Button == mbLeft) {
        const TGridCoord cell = MouseCoord(X, Y);
        // A second click on the current cell starts editing it.
        if (wasFocused && cell == FCurrent && FOptions.Contains(goEditing) &&
            !FOptions.Contains(goRowSelect) && !Shift.Contains(ssDouble)) {
            ShowEditor();
            TCustomControl::MouseDown(Button, Shift, X, Y);
            return;
        }
        if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
            const bool extend = Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect);
            MoveColRow(cell.X, cell.Y, !extend, true);
            FGridState = gsSelecting;
            if (HandleAllocated() && !FTimerRunning) {
                SetTimer(GetHandle(), kScrollTimer, kScrollTimerInterval, nullptr);
                FTimerRunning = true;
            }
            Click();
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    if (FGridState == gsSelecting) {
        const TGridCoord cell = MouseCoord(X, Y);
        if (cell.X >= FFixedCols && cell.Y >= FFixedRows && !(cell == FCurrent))
            MoveColRow(cell.X, cell.Y, !FOptions.Contains(goRangeSelect), true);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    StopSelecting();
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::StopSelecting() {
    FGridState = gsNormal;
    if (FTimerRunning && HandleAllocated()) KillTimer(GetHandle(), kScrollTimer);
    FTimerRunning = false;
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (FCurrent.Y < FRowCount - 1) FocusCell(FCurrent.X, FCurrent.Y + 1, true);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (FCurrent.Y > FFixedRows) FocusCell(FCurrent.X, FCurrent.Y - 1, true);
    return true;
}

// --- Painting ------------------------------------------------------------------------------

void TCustomGrid::Paint() {
    TCanvas* canvas = GetCanvas();
    const TRect client = GetClientRect();
    const TGridRect selection = GetSelection();
    const bool focused = Focused();
    canvas->SetFont(GetFont());
    auto paintCell = [&](int c, int r) {
        const TRect cell = CellRect(c, r);
        if (cell.IsEmpty()) return;
        TGridDrawState state;
        const bool fixed = c < FFixedCols || r < FFixedRows;
        if (fixed) {
            state.Include(gdFixed);
        } else {
            if (focused && FCurrent.X == c && FCurrent.Y == r) state.Include(gdFocused);
            if (selection.Contains(c, r) &&
                (!state.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                 FOptions.Contains(goRowSelect)))
                state.Include(gdSelected);
            if (FOptions.Contains(goRowSelect) && r == FCurrent.Y) state.Include(gdRowSelected);
        }
        canvas->GetFont()->SetColor(GetFont()->GetColor());
        if (fixed) {
            canvas->GetBrush()->SetColor(FFixedColor);
        } else if (FDefaultDrawing && state.Contains(gdSelected)) {
            canvas->GetBrush()->SetColor(clHighlight);
            canvas->GetFont()->SetColor(clHighlightText);
        } else {
            canvas->GetBrush()->SetColor(GetColor());
        }
        if (FDefaultDrawing) canvas->FillRect(cell);
        DrawCell(c, r, cell, state);
        if (FDefaultDrawing && state.Contains(gdFocused) && !FOptions.Contains(goRowSelect) &&
            !FOptions.Contains(goDrawFocusSelected))
            canvas->DrawFocusRect(cell);
    };
    for (int r = 0; r < FRowCount; ++r) {
        if (r >= FFixedRows && r < FTopLeft.Y) continue;
        if (RowTop(r) >= client.bottom) break;
        for (int c = 0; c < FColCount; ++c) {
            if (c >= FFixedCols && c < FTopLeft.X) continue;
            if (ColLeft(c) >= client.right) break;
            paintCell(c, r);
        }
    }
    DrawLines(client);
    // The area right of and below the last cells.
    canvas->GetBrush()->SetColor(GetColor());
    const int right = FColCount > 0 ? ColLeft(FColCount) : 0;
    const int bottom = FRowCount > 0 ? RowTop(FRowCount) : 0;
    if (right < client.right) canvas->FillRect(TRect(right, 0, client.right, client.bottom));
    if (bottom < client.bottom) canvas->FillRect(TRect(0, bottom, right, client.bottom));
}

void TCustomGrid::DrawLines(const TRect& Client) {
    if (FGridLineWidth <= 0) return;
    TCanvas* canvas = GetCanvas();
    canvas->GetBrush()->SetColor(FDrawingStyle == gdsClassic ? clBtnShadow : clSilver);
    const int right = std::min<int>(Client.right, ColLeft(FColCount));
    const int bottom = std::min<int>(Client.bottom, RowTop(FRowCount));
    for (int c = 0; c < FColCount; ++c) {
        if (c >= FFixedCols && c < FTopLeft.X) continue;
        const int x = ColLeft(c) + GetColWidths(c);
        if (x >= Client.right) break;
        const bool fixed = c < FFixedCols;
        if (fixed ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine))
            canvas->FillRect(TRect(x, 0, x + FGridLineWidth, bottom));
    }
    for (int r = 0; r < FRowCount; ++r) {
        if (r >= FFixedRows && r < FTopLeft.Y) continue;
        const int y = RowTop(r) + GetRowHeights(r);
        if (y >= Client.bottom) break;
        const bool fixed = r < FFixedRows;
        if (fixed ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine))
            canvas->FillRect(TRect(0, y, right, y + FGridLineWidth));
    }
}

// --- TDrawGrid ------------------------------------------------------------------------------

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(int ACol, int ARow) {
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, canSelect);
    return canSelect;
}

UnicodeString TDrawGrid::GetEditText(int ACol, int ARow) {
    UnicodeString value;
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TDrawGrid::SetEditText(int ACol, int ARow, const UnicodeString& Value) {
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::TopLeftChanged() {
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}
