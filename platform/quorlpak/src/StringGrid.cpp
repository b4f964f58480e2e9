// TStringGrid: a text and an object per cell; the texts are drawn and edited.
#include <quorlpak/Canvas.h>
#include <quorlpak/Grids.h>

#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>

TClass TStringGrid::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TStringGrid>(u"TStringGrid", TDrawGrid::StaticClass()));
    return &meta;
}

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

const TStringGrid::TCell* TStringGrid::Find(int ACol, int ARow) const {
    if (ARow < 0 || ACol < 0 || ARow >= static_cast<int>(FRows.size())) return nullptr;
    const std::vector<TCell>& row = FRows[ARow];
    return ACol < static_cast<int>(row.size()) ? &row[ACol] : nullptr;
}

TStringGrid::TCell& TStringGrid::At(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= GetColCount() || ARow >= GetRowCount())
        throw EListError(u"Grid index out of range");
    if (ARow >= static_cast<int>(FRows.size())) FRows.resize(ARow + 1);
    std::vector<TCell>& row = FRows[ARow];
    if (ACol >= static_cast<int>(row.size())) row.resize(ACol + 1);
    return row[ACol];
}

UnicodeString TStringGrid::GetCells(int ACol, int ARow) const {
    const TCell* cell = Find(ACol, ARow);
    return cell ? cell->Text : UnicodeString();
}

void TStringGrid::SetCells(int ACol, int ARow, const UnicodeString& Value) {
    TCell& cell = At(ACol, ARow);
    if (cell.Text == Value) return;
    cell.Text = Value;
    InvalidateCell(ACol, ARow);
    // The editor over this cell shows the new text at once.
    TInplaceEdit* editor = GetInplaceEditor();
    if (editor && editor->GetVisible() && ACol == GetCol() && ARow == GetRow() &&
        editor->GetText() != Value)
        editor->UpdateContents();
}

TObject* TStringGrid::GetObjects(int ACol, int ARow) const {
    const TCell* cell = Find(ACol, ARow);
    return cell ? cell->Object : nullptr;
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) {
    At(ACol, ARow).Object = Value;
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (GetDefaultDrawing()) {
        TCanvas* canvas = GetCanvas();
        canvas->GetBrush()->SetStyle(bsClear);
        canvas->TextRect(ARect, ARect.left + 2, ARect.top + 2, GetCells(ACol, ARow));
        canvas->GetBrush()->SetStyle(bsSolid);
    }
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

UnicodeString TStringGrid::GetEditText(int ACol, int ARow) {
    UnicodeString value = GetCells(ACol, ARow);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TStringGrid::SetEditText(int ACol, int ARow, const UnicodeString& Value) {
    TCell& cell = At(ACol, ARow);
    if (cell.Text != Value) {
        cell.Text = Value;
        InvalidateCell(ACol, ARow);
    }
    TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
    // Cells past the new edges are forgotten; new ones start empty.
    if (static_cast<int>(FRows.size()) > GetRowCount()) FRows.resize(GetRowCount());
    for (std::vector<TCell>& row : FRows)
        if (static_cast<int>(row.size()) > GetColCount()) row.resize(GetColCount());
    TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
    const int needed = std::max(FromIndex, ToIndex) + 1;
    if (static_cast<int>(FRows.size()) < needed) FRows.resize(needed);
    std::vector<TCell> moving = std::move(FRows[FromIndex]);
    FRows.erase(FRows.begin() + FromIndex);
    FRows.insert(FRows.begin() + ToIndex, std::move(moving));
    TDrawGrid::RowMoved(FromIndex, ToIndex);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
    const int needed = std::max(FromIndex, ToIndex) + 1;
    for (std::vector<TCell>& row : FRows) {
        if (static_cast<int>(row.size()) < needed) row.resize(needed);
        TCell moving = std::move(row[FromIndex]);
        row.erase(row.begin() + FromIndex);
        row.insert(row.begin() + ToIndex, std::move(moving));
    }
    TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}
