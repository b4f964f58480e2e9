// Columns of the header: widths and their limits, positions and the
// position-to-index array, hit testing, auto-size and the columns' part of
// the header stream.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

#include <algorithm>
#include <cassert>

namespace {

void WriteInt(TStream* Stream, int32_t Value) {
    Stream->WriteBuffer(&Value, 4);
}

int32_t ReadInt(TStream* Stream) {
    int32_t value = 0;
    Stream->ReadBuffer(&value, 4);
    return value;
}

void WriteText(TStream* Stream, const UnicodeString& Text) {
    WriteInt(Stream, int32_t(Text.length()));
    if (Text.length() > 0) Stream->WriteBuffer(Text.c_str(), Text.length() * 2);
}

UnicodeString ReadText(TStream* Stream) {
    const int32_t length = ReadInt(Stream);
    if (length < 0 || int64_t(length) * 2 > Stream->GetSize() - Stream->GetPosition())
        throw EReadError(u"Stream read error");
    std::u16string text(size_t(length), u'\0');
    if (length > 0) Stream->ReadBuffer(text.data(), length * 2);
    return UnicodeString(text.c_str(), length);
}

// Column options written before version 3 had no bit for parent bidi mode
// (version 2 had it already); only their low byte counts.
TVTColumnOptions ConvertOldColumnOptions(uint32_t Bits, int Version) {
    Bits &= 0xFF;
    if (Version < 2) Bits = (Bits & 0x0F) | ((Bits & 0x70) << 1);
    return TVTColumnOptions::FromInt(Bits);
}

} // namespace

// --- TVirtualTreeColumn ---------------------------------------------------------------------

TVirtualTreeColumn::TVirtualTreeColumn(TCollection* Collection) : TCollectionItem(Collection) {
    if (Collection) {
        FPosition = TColumnPosition(Collection->GetCount() - 1);
        TBaseVirtualTree* tree = Tree();
        if (tree) {
            if (FOptions.Contains(coParentBidiMode)) FBiDiMode = tree->GetBiDiMode();
            if (FOptions.Contains(coParentColor)) FColor = tree->GetColor();
        }
    }
}

TVirtualTreeColumn::~TVirtualTreeColumn() = default;

TVirtualTreeColumns* TVirtualTreeColumn::Owner() const {
    return static_cast<TVirtualTreeColumns*>(GetCollection());
}

TVTHeader* TVirtualTreeColumn::Header() const {
    return Owner() ? Owner()->FHeader : nullptr;
}

TBaseVirtualTree* TVirtualTreeColumn::Tree() const {
    return Header() ? Header()->FOwner : nullptr;
}

bool TVirtualTreeColumn::TreeLoading() const {
    TBaseVirtualTree* tree = Tree();
    return tree && tree->GetComponentState().Contains(csLoading);
}

void TVirtualTreeColumn::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TVirtualTreeColumn*>(Source);
    if (!source) {
        TCollectionItem::Assign(Source);
        return;
    }
    FText = source->FText;
    FHint = source->FHint;
    FLeft = source->FLeft;
    FWidth = source->FWidth;
    FLastWidth = source->FLastWidth;
    FMinWidth = source->FMinWidth;
    FMaxWidth = source->FMaxWidth;
    FStyle = source->FStyle;
    FImageIndex = source->FImageIndex;
    FSpacing = source->FSpacing;
    FMargin = source->FMargin;
    FLayout = source->FLayout;
    FAlignment = source->FAlignment;
    FBiDiMode = source->FBiDiMode;
    FOptions = source->FOptions;
    FTag = source->FTag;
    FColor = source->FColor;
    FPosition = source->FPosition;
    Changed(false);
}

bool TVirtualTreeColumn::Equals(TVirtualTreeColumn* Other) const {
    return Other && FBiDiMode == Other->FBiDiMode && FImageIndex == Other->FImageIndex &&
           FLayout == Other->FLayout && FMargin == Other->FMargin &&
           FMaxWidth == Other->FMaxWidth && FMinWidth == Other->FMinWidth &&
           FOptions == Other->FOptions && FPosition == Other->FPosition &&
           FSpacing == Other->FSpacing && FStyle == Other->FStyle && FText == Other->FText &&
           FHint == Other->FHint && FWidth == Other->FWidth && FAlignment == Other->FAlignment &&
           FColor == Other->FColor && FTag == Other->FTag;
}

TRect TVirtualTreeColumn::GetRect() const {
    TVTHeader* header = Header();
    TRect r{FLeft, 0, FLeft + FWidth, header ? header->FHeight : 0};
    TBaseVirtualTree* tree = Tree();
    if (!FOptions.Contains(coFixed) && tree) OffsetRect(&r, -tree->FEffectiveOffsetX, 0);
    if (tree && tree->UseRightToLeftAlignment()) {
        const int offset = tree->ComputeRTLOffset();
        OffsetRect(&r, offset, 0);
    }
    return r;
}

void TVirtualTreeColumn::GetAbsoluteBounds(int& Left, int& Right) const {
    Left = FLeft;
    Right = FLeft + FWidth;
}

int TVirtualTreeColumn::GetLeft() const {
    TBaseVirtualTree* tree = Tree();
    if (FOptions.Contains(coFixed) || !tree) return FLeft;
    return FLeft - tree->FEffectiveOffsetX;
}

UnicodeString TVirtualTreeColumn::GetDisplayName() const {
    for (int i = 0; i < FText.length(); ++i)
        if (FText[i] >= 256) return u"Column " + IntToStr(GetIndex());
    return FText;
}

void TVirtualTreeColumn::RestoreLastWidth() {
    if (Owner()) Owner()->AnimatedResize(GetIndex(), FLastWidth);
}

void TVirtualTreeColumn::ParentBiDiModeChanged() {
    TBaseVirtualTree* tree = Tree();
    if (tree && FOptions.Contains(coParentBidiMode) && FBiDiMode != tree->GetBiDiMode()) {
        FBiDiMode = tree->GetBiDiMode();
        Changed(false);
    }
}

void TVirtualTreeColumn::ParentColorChanged() {
    TBaseVirtualTree* tree = Tree();
    if (tree && FOptions.Contains(coParentColor) && FColor != tree->GetColor()) {
        FColor = tree->GetColor();
        Changed(false);
    }
}

void TVirtualTreeColumn::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Changed(false);
    // The cells follow the caption's alignment.
    if (Tree() && Tree()->HandleAllocated()) Tree()->Invalidate();
}

void TVirtualTreeColumn::SetBiDiMode(TBiDiMode Value) {
    if (FBiDiMode == Value) return;
    FBiDiMode = Value;
    FOptions.Exclude(coParentBidiMode);
    Changed(false);
}

void TVirtualTreeColumn::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    FOptions.Exclude(coParentColor);
    Changed(false);
    if (Tree() && Tree()->HandleAllocated()) Tree()->Invalidate();
}

void TVirtualTreeColumn::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    Changed(false);
}

void TVirtualTreeColumn::SetLayout(TVTHeaderColumnLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    Changed(false);
}

void TVirtualTreeColumn::SetMargin(int Value) {
    if (Value < 0) Value = 4;
    if (FMargin == Value) return;
    FMargin = Value;
    Changed(false);
}

void TVirtualTreeColumn::SetMaxWidth(int Value) {
    if (Value < FMinWidth) Value = FMinWidth;
    if (!IsWinNT && Value > 10000) Value = 10000;
    FMaxWidth = Value;
    SetWidth(FWidth);
}

void TVirtualTreeColumn::SetMinWidth(int Value) {
    if (Value < 0) Value = 0;
    if (Value > FMaxWidth) Value = FMaxWidth;
    FMinWidth = Value;
    SetWidth(FWidth);
}

void TVirtualTreeColumn::SetOptions(TVTColumnOptions Value) {
    if (FOptions == Value) return;
    const TVTColumnOptions old = FOptions;
    FOptions = Value;
    const TVTColumnOptions added = Value - old;
    if (added.Contains(coParentBidiMode)) ParentBiDiModeChanged();
    if (added.Contains(coParentColor)) ParentColorChanged();
    if (added.Contains(coAutoSpring)) FSpringRest = 0;
    if (old.Contains(coVisible) != Value.Contains(coVisible)) {
        if (Owner()) Owner()->UpdatePositions();
        if (TBaseVirtualTree* tree = Tree()) {
            tree->Invalidate();
            tree->UpdateHorizontalScrollBar(false);
        }
    }
    Changed(false);
}

void TVirtualTreeColumn::SetPosition(TColumnPosition Value) {
    TVirtualTreeColumns* columns = Owner();
    if (TreeLoading() || !columns) {
        FPosition = Value;
        if (columns) columns->FNeedPositionsFix = true;
        return;
    }
    if (Value >= TColumnPosition(columns->GetCount())) Value = columns->GetCount() - 1;
    if (FPosition != Value) {
        columns->InitializePositionArray();
        if (TBaseVirtualTree* tree = Tree()) tree->CancelEditNode();
        columns->AdjustPosition(this, Value);
        Changed(false);
        TBaseVirtualTree* tree = Tree();
        if (columns->GetUpdateCount() == 0 && tree && tree->HandleAllocated()) {
            Header()->Invalidate(nullptr);
            tree->Invalidate();
        }
    }
    // A column takes the fixed state of its neighbour, so fixed columns stay together.
    TColumnIndex neighbour = NoColumn;
    if (FOptions.Contains(coFixed) && FPosition > 0)
        neighbour = columns->ColumnFromPosition(FPosition - 1);
    else
        neighbour = columns->ColumnFromPosition(FPosition + 1);
    if (neighbour >= 0) {
        if (columns->GetItem(neighbour)->FOptions.Contains(coFixed))
            FOptions.Include(coFixed);
        else
            FOptions.Exclude(coFixed);
    }
}

void TVirtualTreeColumn::SetSpacing(int Value) {
    if (FSpacing == Value) return;
    FSpacing = Value;
    Changed(false);
}

void TVirtualTreeColumn::SetStyle(TVirtualTreeColumnStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Changed(false);
}

void TVirtualTreeColumn::SetText(const UnicodeString& Value) {
    if (FText == Value) return;
    FText = Value;
    Changed(false);
}

void TVirtualTreeColumn::SetWidth(int Value) {
    Value = std::clamp(Value, FMinWidth, std::max(FMinWidth, FMaxWidth));
    TVTHeader* header = Header();
    // Only the auto-sizing decides the width of the auto-size column.
    if (header && header->FOptions.Contains(hoAutoResize) &&
        GetIndex() == header->FAutoSizeIndex && !header->FStates.Contains(hsAutoSizing) &&
        Owner()->IsValidColumn(header->FAutoSizeIndex) && FWidth != 0) {
        Value = FWidth;
    }
    if (Value == FWidth) return;
    ChangeWidth(Value);
}

void TVirtualTreeColumn::ChangeWidth(int NewWidth) {
    FLastWidth = FWidth;
    FWidth = NewWidth;
    TVirtualTreeColumns* columns = Owner();
    if (!columns) return;
    columns->UpdatePositions();
    TBaseVirtualTree* tree = Tree();
    if (TreeLoading() || columns->GetUpdateCount() > 0 || !tree) return;
    TVTHeader* header = Header();
    if (header->FOptions.Contains(hoAutoResize)) columns->AdjustAutoSize(GetIndex());
    tree->DoColumnResize(GetIndex());
}

void TVirtualTreeColumn::SaveToStream(TStream* Stream) const {
    WriteText(Stream, FText);
    WriteText(Stream, FHint);
    WriteInt(Stream, FWidth);
    WriteInt(Stream, FMinWidth);
    WriteInt(Stream, FMaxWidth);
    WriteInt(Stream, int32_t(FStyle));
    WriteInt(Stream, FImageIndex);
    WriteInt(Stream, int32_t(FLayout));
    WriteInt(Stream, FMargin);
    WriteInt(Stream, FSpacing);
    WriteInt(Stream, int32_t(FBiDiMode));
    WriteInt(Stream, int32_t(FOptions.ToInt()));
    WriteInt(Stream, FTag);
    WriteInt(Stream, int32_t(FAlignment));
    WriteInt(Stream, int32_t(FColor));
}

void TVirtualTreeColumn::LoadFromStream(TStream* Stream, int Version) {
    FText = ReadText(Stream);
    FHint = ReadText(Stream);
    const int width = ReadInt(Stream);
    FMinWidth = std::max(0, ReadInt(Stream));
    FMaxWidth = std::max(FMinWidth, ReadInt(Stream));
    FWidth = std::clamp(width, FMinWidth, FMaxWidth);
    FLastWidth = FWidth;
    FStyle = ReadInt(Stream) == 1 ? vsOwnerDraw : vsText;
    FImageIndex = ReadInt(Stream);
    FLayout = TVTHeaderColumnLayout(std::clamp(ReadInt(Stream), 0, int(blGlyphBottom)));
    FMargin = ReadInt(Stream);
    if (FMargin < 0) FMargin = 4;
    FSpacing = ReadInt(Stream);
    FBiDiMode = TBiDiMode(std::clamp(ReadInt(Stream), 0, int(bdRightToLeftReadingOnly)));
    const uint32_t options = uint32_t(ReadInt(Stream));
    FOptions = Version < 3 ? ConvertOldColumnOptions(options, Version)
                           : TVTColumnOptions::FromInt(options & 0x3FF);
    if (Version > 0) {
        FTag = ReadInt(Stream);
        FAlignment = TAlignment(std::clamp(ReadInt(Stream), 0, int(taCenter)));
        if (Version > 1) FColor = TColor(ReadInt(Stream));
    }
}

// --- TVirtualTreeColumns --------------------------------------------------------------------

TVirtualTreeColumns::TVirtualTreeColumns(TVTHeader* AOwner)
    : TCollection(NewCollectionItem<TVirtualTreeColumn>), FHeader(AOwner) {}

TVirtualTreeColumns::~TVirtualTreeColumns() {
    FClearing = true;
    delete FHeaderBitmap;
}

TClass TVirtualTreeColumns::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TVirtualTreeColumns>(u"TVirtualTreeColumns", TCollection::StaticClass()));
    return &meta;
}

TPersistent* TVirtualTreeColumns::GetOwner() const {
    return FHeader;
}

void TVirtualTreeColumns::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TVirtualTreeColumns*>(Source);
    TCollection::Assign(Source);
    if (source) {
        FPositionToIndex = source->FPositionToIndex;
        InitializePositionArray();
        UpdatePositions(true);
    }
}

void TVirtualTreeColumns::Clear() {
    FClearing = true;
    TCollection::Clear();
    FClearing = false;
    FPositionToIndex.clear();
    FHoverIndex = FDownIndex = FTrackIndex = FClickIndex = NoColumn;
    FDropTarget = FDragIndex = NoColumn;
}

void TVirtualTreeColumns::Notify(TCollectionItem* Item, TCollectionNotification Action) {
    if (Action == cnAdded) {
        InitializePositionArray();
        return;
    }
    if (FClearing || Action != cnExtracting) return;
    const int index = Item->GetIndex();
    IndexChanged(index, -1);
    auto adjust = [index](TColumnIndex& Column) {
        if (Column == index)
            Column = NoColumn;
        else if (Column > index)
            --Column;
    };
    adjust(FHoverIndex);
    adjust(FDownIndex);
    adjust(FTrackIndex);
    adjust(FClickIndex);
    adjust(FHeader->FAutoSizeIndex);
    adjust(FHeader->FSortColumn);
    if (FHeader->FMainColumn == index) {
        // The first remaining column, counted after the removal.
        FHeader->FMainColumn = GetCount() > 1 ? 0 : NoColumn;
    } else if (FHeader->FMainColumn > index) {
        --FHeader->FMainColumn;
    }
}

void TVirtualTreeColumns::Update(TCollectionItem* Item) {
    if (FNeedPositionsFix) return;
    UpdatePositions(true);
    TBaseVirtualTree* tree = FHeader->FOwner;
    if (Item) {
        FHeader->Invalidate(static_cast<TVirtualTreeColumn*>(Item));
    } else if (tree && tree->HandleAllocated()) {
        tree->UpdateHorizontalScrollBar(false);
        FHeader->Invalidate(nullptr);
        tree->Invalidate();
    }
}

void TVirtualTreeColumns::InitializePositionArray() {
    const size_t count = size_t(GetCount());
    if (FPositionToIndex.size() == count) return;
    const size_t old = FPositionToIndex.size();
    FPositionToIndex.resize(count);
    if (count > old) {
        for (size_t i = old; i < count; ++i) FPositionToIndex[i] = TColumnIndex(i);
    } else {
        // Entries that point past the end move down until they are valid.
        bool changed = true;
        while (changed) {
            changed = false;
            for (TColumnIndex& entry : FPositionToIndex)
                if (entry >= TColumnIndex(count)) {
                    --entry;
                    changed = true;
                }
        }
    }
}

void TVirtualTreeColumns::IndexChanged(int OldIndex, int NewIndex) {
    if (NewIndex == -1) {
        auto it = std::find(FPositionToIndex.begin(), FPositionToIndex.end(), OldIndex);
        if (it != FPositionToIndex.end()) FPositionToIndex.erase(it);
        for (TColumnIndex& entry : FPositionToIndex)
            if (entry > OldIndex) --entry;
        return;
    }
    for (TColumnIndex& entry : FPositionToIndex) {
        if (entry == OldIndex)
            entry = NewIndex;
        else if (OldIndex < NewIndex && entry > OldIndex && entry <= NewIndex)
            --entry;
        else if (OldIndex > NewIndex && entry >= NewIndex && entry < OldIndex)
            ++entry;
    }
}

void TVirtualTreeColumns::AdjustPosition(TVirtualTreeColumn* Column, TColumnPosition Position) {
    const TColumnPosition old = Column->FPosition;
    const TColumnIndex index = Column->GetIndex();
    if (old < FPositionToIndex.size()) FPositionToIndex.erase(FPositionToIndex.begin() + old);
    Position = std::min<TColumnPosition>(Position, TColumnPosition(FPositionToIndex.size()));
    FPositionToIndex.insert(FPositionToIndex.begin() + Position, index);
    UpdatePositions(true);
}

void TVirtualTreeColumns::FixPositions() {
    std::vector<TColumnIndex> array(size_t(GetCount()), NoColumn);
    for (int i = 0; i < GetCount(); ++i) {
        TColumnPosition p = GetItem(i)->FPosition;
        if (p < array.size() && array[p] == NoColumn) array[p] = i;
    }
    // Columns whose stored position was taken or out of range fill the gaps.
    for (int i = 0; i < GetCount(); ++i) {
        if (std::find(array.begin(), array.end(), i) != array.end()) continue;
        *std::find(array.begin(), array.end(), NoColumn) = i;
    }
    FPositionToIndex = array;
    FNeedPositionsFix = false;
    UpdatePositions(true);
}

void TVirtualTreeColumns::ReorderColumns(bool RTL) {
    const int count = GetCount();
    FPositionToIndex.resize(size_t(count));
    for (int i = 0; i < count; ++i) FPositionToIndex[size_t(i)] = RTL ? count - 1 - i : i;
    UpdatePositions(true);
}

void TVirtualTreeColumns::UpdatePositions(bool Force) {
    if (FNeedPositionsFix || (!Force && GetUpdateCount() > 0)) return;
    int left = 0;
    for (size_t p = 0; p < FPositionToIndex.size(); ++p) {
        TVirtualTreeColumn* column = GetItem(FPositionToIndex[p]);
        column->FPosition = TColumnPosition(p);
        column->FLeft = left;
        if (column->FOptions.Contains(coVisible)) left += column->FWidth;
    }
}

TColumnIndex TVirtualTreeColumns::ColumnFromPosition(TColumnPosition PositionIndex) const {
    if (PositionIndex >= FPositionToIndex.size()) return NoColumn;
    return FPositionToIndex[PositionIndex];
}

TColumnIndex TVirtualTreeColumns::GetColumnAndBounds(TPoint P, int& ColumnLeft,
                                                     int& ColumnRight, bool Relative) const {
    TBaseVirtualTree* tree = FHeader->FOwner;
    if (P.x < 0 || P.y < 0 || P.y > tree->GetHeight()) return InvalidColumn;
    int sum = 0;
    if (Relative && P.x >= GetVisibleFixedWidth()) sum = -tree->FEffectiveOffsetX;
    if (tree->UseRightToLeftAlignment()) sum += tree->ComputeRTLOffset(true);
    for (TColumnIndex index : FPositionToIndex) {
        TVirtualTreeColumn* column = GetItem(index);
        if (!column->FOptions.Contains(coVisible)) continue;
        ColumnLeft = sum;
        sum += column->FWidth;
        if (P.x < sum) {
            ColumnRight = sum;
            return index;
        }
    }
    return InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::ColumnFromPosition(TPoint P, bool Relative) const {
    int left = 0, right = 0;
    return GetColumnAndBounds(P, left, right, Relative);
}

bool TVirtualTreeColumns::Equals(TVirtualTreeColumns* Other) const {
    if (!Other || Other->GetCount() != GetCount()) return false;
    for (int i = 0; i < GetCount(); ++i)
        if (!GetItem(i)->Equals(Other->GetItem(i))) return false;
    return true;
}

void TVirtualTreeColumns::GetColumnBounds(TColumnIndex Column, int& Left, int& Right) const {
    if (Column < 0 || !IsValidColumn(Column)) {
        Left = 0;
        Right = FHeader->FOwner->GetClientWidth();
        return;
    }
    TVirtualTreeColumn* column = GetItem(Column);
    Left = column->GetLeft();
    Right = Left + column->FWidth;
    TBaseVirtualTree* tree = FHeader->FOwner;
    if (tree->UseRightToLeftAlignment()) {
        const int offset = tree->ComputeRTLOffset();
        Left += offset;
        Right += offset;
    }
}

TColumnIndex TVirtualTreeColumns::GetFirstVisibleColumn(bool ConsiderAllowFocus) const {
    for (TColumnIndex index : FPositionToIndex)
        if (GetItem(index)->FOptions.Contains(coVisible)) return index;
    return InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::GetLastVisibleColumn(bool ConsiderAllowFocus) const {
    for (auto it = FPositionToIndex.rbegin(); it != FPositionToIndex.rend(); ++it)
        if (GetItem(*it)->FOptions.Contains(coVisible)) return *it;
    return InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::GetNextColumn(TColumnIndex Column) const {
    if (!IsValidColumn(Column)) return InvalidColumn;
    const TColumnPosition position = GetItem(Column)->FPosition + 1;
    return position < FPositionToIndex.size() ? FPositionToIndex[position] : InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::GetNextVisibleColumn(TColumnIndex Column,
                                                       bool ConsiderAllowFocus) const {
    for (Column = GetNextColumn(Column); Column != InvalidColumn; Column = GetNextColumn(Column))
        if (GetItem(Column)->FOptions.Contains(coVisible)) return Column;
    return InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::GetPreviousColumn(TColumnIndex Column) const {
    if (!IsValidColumn(Column)) return InvalidColumn;
    const TColumnPosition position = GetItem(Column)->FPosition;
    return position > 0 && position <= FPositionToIndex.size() ? FPositionToIndex[position - 1]
                                                                : InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::GetPreviousVisibleColumn(TColumnIndex Column,
                                                           bool ConsiderAllowFocus) const {
    for (Column = GetPreviousColumn(Column); Column != InvalidColumn;
         Column = GetPreviousColumn(Column))
        if (GetItem(Column)->FOptions.Contains(coVisible)) return Column;
    return InvalidColumn;
}

std::vector<TVirtualTreeColumn*> TVirtualTreeColumns::GetVisibleColumns() const {
    std::vector<TVirtualTreeColumn*> result;
    for (TColumnIndex index : FPositionToIndex)
        if (GetItem(index)->FOptions.Contains(coVisible)) result.push_back(GetItem(index));
    return result;
}

int TVirtualTreeColumns::GetVisibleFixedWidth() const {
    int width = 0;
    for (TColumnIndex index : FPositionToIndex) {
        TVirtualTreeColumn* column = GetItem(index);
        if (column->FOptions.Contains(coVisible) && column->FOptions.Contains(coFixed))
            width += column->FWidth;
    }
    return width;
}

int TVirtualTreeColumns::TotalWidth() const {
    int width = 0;
    for (int i = 0; i < GetCount(); ++i)
        if (GetItem(i)->FOptions.Contains(coVisible)) width += GetItem(i)->FWidth;
    return width;
}

void TVirtualTreeColumns::AdjustAutoSize(TColumnIndex CurrentIndex, bool Force) {
    if (GetCount() == 0) return;
    TColumnIndex index = FHeader->FAutoSizeIndex;
    if (!IsValidColumn(index)) index = GetCount() - 1;
    TVirtualTreeColumn* column = GetItem(index);
    TBaseVirtualTree* tree = FHeader->FOwner;
    int newWidth = tree->HandleAllocated() ? tree->GetClientWidth() : tree->GetWidth();
    for (int i = 0; i < GetCount(); ++i)
        if (i != index && GetItem(i)->FOptions.Contains(coVisible))
            newWidth -= GetItem(i)->FWidth;
    newWidth = std::clamp(newWidth, column->FMinWidth, std::max(column->FMinWidth, column->FMaxWidth));
    if (newWidth == column->FWidth && !Force) return;
    FHeader->FStates.Include(hsAutoSizing);
    column->FLastWidth = column->FWidth;
    column->FWidth = newWidth;
    FHeader->FStates.Exclude(hsAutoSizing);
    UpdatePositions(true);
    if (!tree->GetComponentState().Contains(csLoading)) tree->DoColumnResize(index);
}

void TVirtualTreeColumns::AdjustDownColumn(TPoint P) {
    const TColumnIndex column = ColumnFromPosition(P);
    if (IsValidColumn(column) && GetItem(column)->FOptions.Contains(coAllowClick) &&
        GetItem(column)->FOptions.Contains(coEnabled))
        FDownIndex = column;
    else
        FDownIndex = NoColumn;
    if (FDownIndex != NoColumn) FHeader->Invalidate(GetItem(FDownIndex));
}

bool TVirtualTreeColumns::AdjustHoverColumn(TPoint P) {
    const TColumnIndex old = FHoverIndex;
    FHoverIndex = ColumnFromPosition(P);
    if (!IsValidColumn(FHoverIndex)) FHoverIndex = NoColumn;
    if (old == FHoverIndex) return false;
    if (FHeader->FOptions.Contains(hoHotTrack)) {
        if (IsValidColumn(old)) FHeader->Invalidate(GetItem(old));
        if (IsValidColumn(FHoverIndex)) FHeader->Invalidate(GetItem(FHoverIndex));
    }
    return true;
}

void TVirtualTreeColumns::HandleClick(TPoint P, TMouseButton Button, bool Force, bool DblClick) {
    // P is in tree client coordinates: the header lies above 0.
    TPoint local{P.x, P.y + FHeader->FHeight};
    const TColumnIndex column = ColumnFromPosition(local);
    if (IsValidColumn(column) && GetItem(column)->FOptions.Contains(coAllowClick) &&
        (Force || FDownIndex == column)) {
        FClickIndex = column;
        TShiftState shift = TVTHeader::GetShiftState();
        if (DblClick) shift.Include(ssDouble);
        FHeader->FOwner->DoHeaderClick(FClickIndex, Button, shift, P.x, P.y);
    } else {
        FClickIndex = NoColumn;
    }
}

void TVirtualTreeColumns::AnimatedResize(TColumnIndex Column, int NewWidth) {
    if (!IsValidColumn(Column)) return;
    TVirtualTreeColumn* column = GetItem(Column);
    NewWidth = std::clamp(NewWidth, column->FMinWidth, std::max(column->FMinWidth, column->FMaxWidth));
    if (NewWidth == column->FWidth) return;
    TBaseVirtualTree* tree = FHeader->FOwner;
    if (tree->HandleAllocated() && tree->IsWindowVisibleOnScreen()) {
        // The part right of the column slides over in small steps.
        HDC dc = GetDCEx(tree->GetHandle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_WINDOW);
        const int steps = 32;
        const int step = (NewWidth - column->FWidth) / steps;
        if (step != 0) {
            RECT window;
            GetWindowRect(tree->GetHandle(), &window);
            const int border = (window.right - window.left - tree->GetClientWidth()) / 2;
            int left = column->GetLeft() + column->FWidth + border;
            RECT scroll{left, border, window.right - window.left - border,
                        window.bottom - window.top - border};
            HBRUSH brush = CreateSolidBrush(ColorToRGB(tree->GetColor()));
            for (int i = 0; i < steps; ++i) {
                if (step > 0) {
                    RECT strip{scroll.left, scroll.top, scroll.left + step, scroll.bottom};
                    FillRect(dc, &strip, brush);
                }
                ScrollDC(dc, step, 0, &scroll, &scroll, nullptr, nullptr);
                scroll.left += step;
                Sleep(1);
            }
            DeleteObject(brush);
        }
        ReleaseDC(tree->GetHandle(), dc);
    }
    column->SetWidth(NewWidth);
}

void TVirtualTreeColumns::SaveToStream(TStream* Stream) const {
    WriteInt(Stream, GetCount());
    if (GetCount() == 0) return;
    for (int i = 0; i < GetCount(); ++i) GetItem(i)->SaveToStream(Stream);
    for (TColumnIndex index : FPositionToIndex) WriteInt(Stream, index);
}

void TVirtualTreeColumns::LoadFromStream(TStream* Stream, int Version) {
    BeginUpdate();
    try {
        Clear();
        const int count = ReadInt(Stream);
        if (count < 0 || count > 100000) throw EReadError(u"Stream read error");
        for (int i = 0; i < count; ++i) Add()->LoadFromStream(Stream, Version);
        if (count > 0) {
            std::vector<TColumnIndex> array(static_cast<size_t>(count), 0);
            for (int i = 0; i < count; ++i) array[size_t(i)] = ReadInt(Stream);
            // A damaged array must not index outside the columns.
            std::vector<TColumnIndex> sorted = array;
            std::sort(sorted.begin(), sorted.end());
            bool valid = true;
            for (int i = 0; i < count; ++i) valid = valid && sorted[size_t(i)] == i;
            if (valid) FPositionToIndex = array;
        }
        UpdatePositions(true);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}
