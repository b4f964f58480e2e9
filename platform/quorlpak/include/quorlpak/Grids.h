// TCustomGrid: a control of rows and columns of cells, the first rows and
// columns optionally fixed (they do not scroll). It keeps the cell sizes, the
// current cell and the selection, scrolls by whole cells, and paints by
// asking DrawCell for every visible cell. TDrawGrid hands DrawCell and the
// selection test to events. With goEditing the current cell can be edited in
// place by a TInplaceEdit the grid lays over it; TStringGrid keeps a text and
// an object for every cell.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Controls.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/StdCtrls.h>

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

class TCustomGrid;

// The edit a grid lays over its current cell. It belongs to the grid, sends
// the keys that move between cells to it and hands every change of its text
// back (the grid's SetEditText).
class TInplaceEdit : public TCustomEdit {
public:
    explicit TInplaceEdit(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCustomGrid* GetGrid() const { return FGrid; }
    void Deselect();
    void Hide();
    // Shows the editor over a cell rectangle (client coordinates of the grid).
    void Move(const TRect& Loc);
    bool PosEqual(const TRect& Rect);
    void SetFocus() override;
    void UpdateLoc(const TRect& Loc);
    // Takes the text of the grid's current cell.
    virtual void UpdateContents();

    void Dispatch(TMessage& Message) override;

protected:
    friend class TCustomGrid;
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char16_t& Key) override;
    void Change() override;
    void DblClick() override;
    // The window moved or was resized: lay the text out again.
    virtual void BoundsChanged();
    virtual bool EditCanModify();

    TCustomGrid* FGrid = nullptr;

private:
    bool FUpdating = false; // the grid sets the text: no edit of the cell
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

    // --- In-place editing ---
    bool GetEditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    TInplaceEdit* GetInplaceEditor() const { return FInplaceEdit; }

    void Dispatch(TMessage& Message) override;

protected:
    friend class TInplaceEdit;
    // The editor the grid lays over its cells (created on first need, owned by the grid).
    virtual TInplaceEdit* CreateEditor();
    // Whether the editor may show at all (goEditing, not row select).
    virtual bool CanEditShow();
    // Whether the text of the current cell may change.
    virtual bool CanEditModify() { return true; }
    virtual bool CanEditAcceptKey(char16_t Key) { return true; }
    virtual UnicodeString GetEditText(int ACol, int ARow) { return UnicodeString(); }
    virtual void SetEditText(int ACol, int ARow, const UnicodeString& Value) {}
    virtual int GetEditLimit() { return 0; }
    void ShowEditor();
    void HideEditor();
    // Starts editing with a typed character in place of the cell's text.
    void ShowEditorChar(char16_t Ch);
    // The editor follows the current cell (or hides when it is off screen).
    void InvalidateEditor();
    // Hands the editor's text to SetEditText.
    void UpdateText();
    // Rows and columns move with whatever descendants keep for them (RowMoved, ColumnMoved).
    virtual void DeleteRow(int ARow);
    virtual void DeleteColumn(int ACol);
    void MoveRow(int FromIndex, int ToIndex);
    void MoveColumn(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex) {}
    virtual void ColumnMoved(int FromIndex, int ToIndex) {}
    void KeyPress(char16_t& Key) override;
    void DblClick() override;

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
    void UpdateEdit();
    void HideEdit();

    TInplaceEdit* FInplaceEdit = nullptr;
    TGridCoord FInplaceCoord{-1, -1}; // the cell the editor shows
    UnicodeString FSavedText;         // the cell's text when editing began (Escape)
    bool FEditorMode = false;

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
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, UnicodeString& Value)>;
using TSetEditEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, const UnicodeString& Value)>;

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void TopLeftChanged() override;
    UnicodeString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const UnicodeString& Value) override;
};

// A grid of texts, with an object per cell (not owned).
class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString GetCells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const UnicodeString& Value);
    TObject* GetObjects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, TObject* Value);

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    UnicodeString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const UnicodeString& Value) override;
    void SizeChanged(int OldColCount, int OldRowCount) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;

private:
    struct TCell {
        UnicodeString Text;
        TObject* Object = nullptr;
    };
    const TCell* Find(int ACol, int ARow) const;
    TCell& At(int ACol, int ARow);

    std::vector<std::vector<TCell>> FRows; // grows on first write to a row or column
};

void RegisterGridClasses();

#pragma GCC visibility pop
