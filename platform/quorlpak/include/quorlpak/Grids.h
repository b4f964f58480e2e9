// TCustomGrid: a control of rows and columns of cells, the first rows and
// columns optionally fixed (they do not scroll). It keeps the cell sizes, the
// current cell and the selection, scrolls by whole cells, and paints by
// asking DrawCell for every visible cell. TDrawGrid hands DrawCell and the
// selection test to events.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Controls.h>
#include <quorlpak/CustomControl.h>

#include <vector>

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking,
    goFixedColClick,
    goFixedRowClick,
    goFixedHotTrack
};
using TGridOptions = TSet<TGridOption, 32>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed, gdRowSelected, gdHotTrack, gdPressed };
using TGridDrawState = TSet<TGridDrawStateItem, 8>;

enum TGridDrawingStyle { gdsClassic, gdsThemed, gdsGradient };
enum TGridScrollDirection { sdLeft, sdRight, sdUp, sdDown };
// Scoped: the shift state has an ssHorizontal of its own.
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Contains(int ACol, int ARow) const {
        return ACol >= Left && ACol <= Right && ARow >= Top && ARow <= Bottom;
    }
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Shape ---
    int GetColCount() const { return FColCount; }
    void SetColCount(int Value);
    int GetRowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int GetFixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    int GetFixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    // Setting a default size forgets the sizes given to single columns or rows.
    int GetDefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int Value);
    int GetDefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int GetColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int GetRowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    int GetGridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value);
    // The pixel size of all cells and lines together.
    int GetGridWidth() const;
    int GetGridHeight() const;

    // --- Behaviour and looks ---
    TGridOptions GetOptions() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TColor GetFixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    TGridDrawingStyle GetDrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TGridDrawingStyle Value);
    bool GetDefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }

    // --- Current cell, selection and scrolling ---
    int GetCol() const { return FCurrent.X; }
    void SetCol(int Value);
    int GetRow() const { return FCurrent.Y; }
    void SetRow(int Value);
    TGridRect GetSelection() const;
    void SetSelection(const TGridRect& Value);
    int GetTopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value);
    int GetLeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value);
    // Scrollable columns / rows wholly inside the client area from the top left on.
    int GetVisibleColCount();
    int GetVisibleRowCount();

    // --- Geometry ---
    // The cell's rectangle in client coordinates; empty when it is not on screen.
    TRect CellRect(int ACol, int ARow);
    // The cell under a client point; -1, -1 outside every cell.
    TGridCoord MouseCoord(int X, int Y);
    void MouseToCell(int X, int Y, int& ACol, int& ARow);

    // --- Painting ---
    void InvalidateCell(int ACol, int ARow);
    void InvalidateCol(int ACol);
    void InvalidateRow(int ARow);
    void InvalidateGrid() { Invalidate(); }

    void Dispatch(TMessage& Message) override;

protected:
    // Paints one cell; the canvas holds the colours and font the grid chose.
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {}
    // Whether a cell may become current.
    virtual bool SelectCell(int ACol, int ARow) { return true; }
    virtual void TopLeftChanged() {}
    virtual void SizeChanged(int OldColCount, int OldRowCount) {}
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    // Moves the painted cells by whole columns and rows after the top left moved.
    virtual void ScrollData(int DX, int DY);
    // The mouse was held beyond an edge while selecting: move one cell that way.
    virtual void TimedScroll(TGridScrollDirection Direction);

    // Makes (ACol, ARow) current, optionally moving the anchor of the
    // selection too and scrolling it into view.
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    void MoveTopLeft(int ALeft, int ATop);
    // Scrolls the least needed so that the cell is wholly visible.
    void ClampInView(const TGridCoord& Coord);
    virtual void UpdateScrollRange();
    virtual void UpdateScrollPos();

    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

    // Message handlers descendants may call back into.
    virtual void WMVScroll(TMessage& Message);
    virtual void WMHScroll(TMessage& Message);
    virtual void WMSetFocus(TMessage& Message);
    virtual void WMKillFocus(TMessage& Message);
    virtual void WMSize(TMessage& Message);
    virtual void WMGetDlgCode(TMessage& Message);
    virtual void WMTimer(TMessage& Message);

    TGridCoord FCurrent;
    TGridCoord FAnchor;
    TGridCoord FTopLeft;
    TGridState FGridState = gsNormal;

private:
    // The last top left that still fills the client area.
    TGridCoord MaxTopLeft();
    int ColLeft(int ACol) const; // client x of a visible column's left edge
    int RowTop(int ARow) const;
    void InvalidateRect(const TGridRect& Cells);
    void DrawLines(const TRect& Client);
    void StopSelecting();

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    std::vector<int> FColWidths; // empty: every column has the default width
    std::vector<int> FRowHeights;
    int FGridLineWidth = 1;
    TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TScrollStyle FScrollBars = TScrollStyle::ssBoth;
    TBorderStyle FBorderStyle = bsSingle;
    TColor FFixedColor = clBtnFace;
    TGridDrawingStyle FDrawingStyle = gdsThemed;
    bool FDefaultDrawing = true;
    bool FTimerRunning = false;
};

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, const TRect& Rect,
                                          TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void TopLeftChanged() override;
};

void RegisterGridClasses();

#pragma GCC visibility pop
