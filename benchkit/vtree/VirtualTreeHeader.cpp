// The header: its properties, its stream, spring columns and its mouse
// handling (hover, press, click, splitter tracking, column dragging).
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Font.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Screen.h>

#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

#include <algorithm>
#include <cmath>

namespace {

void WriteInt(TStream* Stream, int32_t Value) {
    Stream->WriteBuffer(&Value, 4);
}

int32_t ReadInt(TStream* Stream) {
    int32_t value = 0;
    Stream->ReadBuffer(&value, 4);
    return value;
}

constexpr int HeaderStreamVersion = 4;
constexpr TCursor crHeaderSplit = 63;

TPoint MessagePoint(const TMessage& Message) {
    return TPoint{int16_t(Message.LParam & 0xFFFF), int16_t((Message.LParam >> 16) & 0xFFFF)};
}

} // namespace

TVTHeader::TVTHeader(TBaseVirtualTree* AOwner) : FOwner(AOwner) {
    FColumns = new TVirtualTreeColumns(this);
    FFont = new TFont();
    FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
    // A dragged column shows darker than the header and lets the target show through.
    FDragImage = new TVTDragImage(AOwner);
    FDragImage->SetFade(false);
    FDragImage->SetPreBlendBias(-50);
    FDragImage->SetPostBlendBias(0);
    FDragImage->SetTransparency(140);
}

TVTHeader::~TVTHeader() {
    delete FDragImage;
    delete FColumns;
    delete FFont;
}

TClass TVTHeader::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TVTHeader>(u"TVTHeader", TPersistent::StaticClass()));
    return &meta;
}

TPersistent* TVTHeader::GetOwner() const {
    return FOwner;
}

void TVTHeader::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TVTHeader*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    SetAutoSizeIndex(source->FAutoSizeIndex);
    SetBackground(source->FBackground);
    SetColumns(source->FColumns);
    SetFont(source->FFont);
    SetHeight(source->FHeight);
    SetImages(source->FImages);
    SetMainColumn(source->GetMainColumn());
    SetOptions(source->FOptions);
    SetParentFont(source->FParentFont);
    SetPopupMenu(source->FPopupMenu);
    SetSortColumn(source->FSortColumn);
    SetSortDirection(source->FSortDirection);
    SetStyle(source->FStyle);
}

void TVTHeader::FontChanged(TObject*) {
    Invalidate(nullptr);
}

void TVTHeader::ParentFontChanged() {
    if (!FParentFont) return;
    FFont->Assign(FOwner->GetFont());
    FParentFont = true;
}

void TVTHeader::ParentBiDiModeChanged() {
    for (int i = 0; i < FColumns->GetCount(); ++i) FColumns->GetItem(i)->ParentBiDiModeChanged();
}

bool TVTHeader::InHeader(TPoint P) const {
    if (!FOptions.Contains(hoVisible) || !FOwner->HandleAllocated()) return false;
    return P.x >= 0 && P.x < FOwner->GetClientWidth() && P.y >= -FHeight && P.y < 0;
}

void TVTHeader::Invalidate(TVirtualTreeColumn* Column, bool ExpandToBorder) {
    if (!FOptions.Contains(hoVisible) || !FOwner->HandleAllocated()) return;
    // The header lies in the frame: redraw the frame over its strip.
    RECT window;
    GetWindowRect(FOwner->GetHandle(), &window);
    POINT origin{0, 0};
    ClientToScreen(FOwner->GetHandle(), &origin);
    const int left = origin.x - window.left;
    const int top = origin.y - window.top - FHeight;
    RECT r{left, top, left + FOwner->GetClientWidth(), top + FHeight};
    if (Column) {
        const TRect c = Column->GetRect();
        r.left = left + c.left;
        r.right = ExpandToBorder ? left + FOwner->GetClientWidth() : left + c.right;
    }
    HRGN region = CreateRectRgnIndirect(&r);
    RedrawWindow(FOwner->GetHandle(), nullptr, region,
                 RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
    DeleteObject(region);
}

void TVTHeader::AutoFitColumns(bool Animated) {
    for (TColumnIndex index : FColumns->GetPositionToIndex()) {
        TVirtualTreeColumn* column = FColumns->GetItem(index);
        if (!column->FOptions.Contains(coVisible) || !column->FOptions.Contains(coResizable))
            continue;
        const int width = FOwner->GetMaxColumnWidth(index);
        if (Animated)
            FColumns->AnimatedResize(index, width);
        else
            column->SetWidth(width);
    }
}

void TVTHeader::RestoreColumns() {
    const auto& order = FColumns->GetPositionToIndex();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        TVirtualTreeColumn* column = FColumns->GetItem(*it);
        if (column->FOptions.Contains(coVisible) && column->FOptions.Contains(coResizable))
            FColumns->AnimatedResize(*it, column->FLastWidth);
    }
}

void TVTHeader::RecalculateHeader() {
    FOwner->UpdateHeaderRect();
    if (FOwner->HandleAllocated())
        SetWindowPos(FOwner->GetHandle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TVTHeader::UpdateMainColumn() {
    if (FColumns->GetCount() == 0) {
        FMainColumn = NoColumn;
        return;
    }
    if (FMainColumn < 0) FMainColumn = 0;
    if (FMainColumn >= FColumns->GetCount()) FMainColumn = FColumns->GetCount() - 1;
}

void TVTHeader::UpdateSpringColumns() {
    if (!FOptions.Contains(hoAutoSpring) || FLastWidth <= 0) {
        FLastWidth = FOwner->GetClientWidth();
        return;
    }
    const int width = FOwner->GetClientWidth();
    int change = width - FLastWidth;
    std::vector<TVirtualTreeColumn*> springs;
    for (int i = 0; i < FColumns->GetCount(); ++i) {
        TVirtualTreeColumn* column = FColumns->GetItem(i);
        if (column->FOptions.Contains(coVisible) && column->FOptions.Contains(coAutoSpring))
            springs.push_back(column);
    }
    if (!springs.empty() && change != 0) {
        const float share = float(std::abs(change)) / float(springs.size());
        const int sign = change > 0 ? 1 : -1;
        float remaining = float(std::abs(change));
        FColumns->BeginUpdate();
        for (TVirtualTreeColumn* column : springs) {
            column->FSpringRest += share;
            if (column->FSpringRest >= 1) {
                const int whole = int(column->FSpringRest);
                column->FSpringRest -= float(whole);
                column->SetWidth(column->FWidth + sign * whole);
            }
            remaining -= share;
            if (remaining < 0) break;
        }
        FColumns->EndUpdate();
    }
    FLastWidth = width;
}

TShiftState TVTHeader::GetShiftState() {
    TShiftState state;
    if (GetKeyState(VK_SHIFT) < 0) state.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) state.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) state.Include(ssAlt);
    return state;
}

void TVTHeader::ChangeScale(int M, int D) {
    if (FParentFont) return;
    FFont->SetSize(MulDiv(FFont->GetSize(), M, D));
}

// --- Properties -------------------------------------------------------------------------------

void TVTHeader::SetAutoSizeIndex(TColumnIndex Value) {
    if (FAutoSizeIndex == Value) return;
    FAutoSizeIndex = Value;
    if (FOptions.Contains(hoAutoResize)) FColumns->AdjustAutoSize(NoColumn, true);
}

void TVTHeader::SetBackground(TColor Value) {
    if (FBackground == Value) return;
    FBackground = Value;
    Invalidate(nullptr);
}

void TVTHeader::SetFont(TFont* Value) {
    FFont->Assign(Value);
    FParentFont = false;
}

void TVTHeader::SetHeight(int Value) {
    if (FHeight == Value) return;
    FHeight = Value;
    if (!FOwner->GetComponentState().Contains(csLoading)) RecalculateHeader();
    FOwner->Invalidate();
}

void TVTHeader::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    FImages = Value;
    Invalidate(nullptr);
}

TColumnIndex TVTHeader::GetMainColumn() const {
    return FColumns->GetCount() > 0 ? FMainColumn : NoColumn;
}

void TVTHeader::SetMainColumn(TColumnIndex Value) {
    if (FOwner->GetComponentState().Contains(csLoading)) {
        FMainColumn = Value;
        return;
    }
    if (FColumns->GetCount() == 0)
        Value = NoColumn;
    else
        Value = std::clamp(Value, 0, FColumns->GetCount() - 1);
    if (Value == FMainColumn) return;
    FMainColumn = Value;
    if (FOwner->GetComponentState().Contains(csLoading)) return;
    FOwner->MainColumnChanged();
    if (!FOwner->GetTreeOptions()->GetSelectionOptions().Contains(toExtendedFocus))
        FOwner->SetFocusedColumn(Value);
    FOwner->Invalidate();
}

void TVTHeader::SetOptions(TVTHeaderOptions Value) {
    const TVTHeaderOptions old = FOptions;
    if (old == Value) return;
    FOptions = Value;
    const bool active = !FOwner->GetComponentState().Contains(csLoading) &&
                        FOwner->HandleAllocated() && !FStates.Contains(hsLoading);
    if (old.Contains(hoAutoResize) != Value.Contains(hoAutoResize) &&
        FColumns->GetCount() > 0 && active) {
        FColumns->AdjustAutoSize(NoColumn);
        FOwner->UpdateHorizontalScrollBar(false);
        if (Value.Contains(hoAutoResize)) UpdateSpringColumns();
    }
    if (old.Contains(hoVisible) != Value.Contains(hoVisible) && active) RecalculateHeader();
    if (active) {
        Invalidate(nullptr);
        FOwner->Invalidate();
        UpdateSpringColumns();
    }
}

void TVTHeader::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    if (Value) ParentFontChanged();
}

void TVTHeader::SetSortColumn(TColumnIndex Value) {
    if (FOwner->GetComponentState().Contains(csLoading)) {
        FSortColumn = Value;
        return;
    }
    Value = std::clamp(Value, NoColumn, FColumns->GetCount() - 1);
    if (Value == FSortColumn) return;
    if (FColumns->IsValidColumn(FSortColumn)) Invalidate(FColumns->GetItem(FSortColumn));
    FSortColumn = Value;
    if (FColumns->IsValidColumn(FSortColumn)) Invalidate(FColumns->GetItem(FSortColumn));
    if (FOwner->GetTreeOptions()->GetAutoOptions().Contains(toAutoSort) &&
        FOwner->GetUpdateCount() == 0)
        FOwner->SortTree(FSortColumn, FSortDirection, true);
}

void TVTHeader::SetSortDirection(TSortDirection Value) {
    if (Value == FSortDirection) return;
    FSortDirection = Value;
    Invalidate(nullptr);
    if (FOwner->GetTreeOptions()->GetAutoOptions().Contains(toAutoSort) &&
        FOwner->GetUpdateCount() == 0)
        FOwner->SortTree(FSortColumn, FSortDirection, true);
}

void TVTHeader::SetStyle(TVTHeaderStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Invalidate(nullptr);
}

// --- Stream ------------------------------------------------------------------------------------

void TVTHeader::SaveToStream(TStream* Stream) const {
    WriteInt(Stream, -1);
    WriteInt(Stream, HeaderStreamVersion);
    FColumns->SaveToStream(Stream);
    WriteInt(Stream, FAutoSizeIndex);
    WriteInt(Stream, int32_t(FBackground));
    WriteInt(Stream, FHeight);
    WriteInt(Stream, int32_t(FOptions.ToInt()));
    WriteInt(Stream, int32_t(FStyle));
    WriteInt(Stream, int32_t(FFont->GetColor()));
    WriteInt(Stream, FFont->GetHeight());
    const std::string name = UnicodeToUtf8(FFont->GetName());
    WriteInt(Stream, int32_t(name.size()));
    if (!name.empty()) Stream->WriteBuffer(name.data(), int(name.size()));
    WriteInt(Stream, int32_t(FFont->GetPitch()) & 0x7F);
    uint32_t style = 0;
    for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        if (FFont->GetStyle().Contains(s)) style |= 1u << unsigned(s);
    WriteInt(Stream, int32_t(style));
    WriteInt(Stream, FMainColumn);
    WriteInt(Stream, FSortColumn);
    WriteInt(Stream, int32_t(FSortDirection));
}

void TVTHeader::LoadFromStream(TStream* Stream) {
    const TVTHeaderOptions oldOptions = FOptions;
    FStates.Include(hsLoading);
    FOptions.Clear();
    struct Finish {
        TVTHeader* Header;
        ~Finish() {
            Header->FStates.Exclude(hsLoading);
            Header->FOwner->DoColumnResize(NoColumn);
        }
    } finish{this};
    int version = ReadInt(Stream);
    if (version < 0) {
        version = ReadInt(Stream);
    } else {
        Stream->Seek(-4, soCurrent);
        version = -1;
    }
    try {
        FColumns->LoadFromStream(Stream, version);
    } catch (...) {
        FOptions = oldOptions;
        throw;
    }
    const TColumnIndex autoSize = ReadInt(Stream);
    const TColor background = TColor(ReadInt(Stream));
    const int height = ReadInt(Stream);
    const TVTHeaderOptions options = TVTHeaderOptions::FromInt(uint32_t(ReadInt(Stream)) & 0xFFF);
    const int style = ReadInt(Stream);
    const TColor fontColor = TColor(ReadInt(Stream));
    const int fontHeight = ReadInt(Stream);
    const int32_t nameLength = ReadInt(Stream);
    if (nameLength < 0 || nameLength > Stream->GetSize() - Stream->GetPosition())
        throw EReadError(u"Stream read error");
    std::string name(size_t(nameLength), '\0');
    if (nameLength > 0) Stream->ReadBuffer(name.data(), nameLength);
    const int pitch = ReadInt(Stream) & 0x7F;
    const uint32_t fontStyle = uint32_t(ReadInt(Stream));
    FOptions = oldOptions;
    SetAutoSizeIndex(autoSize);
    SetBackground(background);
    SetHeight(height);
    SetOptions(options);
    SetStyle(TVTHeaderStyle(std::clamp(style, 0, int(hsXPStyle))));
    FFont->SetColor(fontColor);
    FFont->SetHeight(fontHeight);
    FFont->SetName(Utf8ToUnicode(name));
    FFont->SetPitch(TFontPitch(std::clamp(pitch, 0, 2)));
    TFontStyles styles;
    for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        if (fontStyle & (1u << unsigned(s))) styles.Include(s);
    FFont->SetStyle(styles);
    if (version > 0) {
        SetMainColumn(ReadInt(Stream));
        SetSortColumn(ReadInt(Stream));
        SetSortDirection(ReadInt(Stream) == 1 ? sdDescending : sdAscending);
    }
}

// --- Mouse --------------------------------------------------------------------------------------

bool TVTHeader::DetermineSplitterIndex(TPoint P) {
    FColumns->FTrackIndex = NoColumn;
    if (FColumns->GetCount() == 0) return false;
    const auto& order = FColumns->GetPositionToIndex();
    if (!FOwner->UseRightToLeftAlignment()) {
        int border = FColumns->TotalWidth() - FOwner->FEffectiveOffsetX;
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            TVirtualTreeColumn* column = FColumns->GetItem(*it);
            if (!column->FOptions.Contains(coVisible)) continue;
            if (P.x > border - 3 && P.x < border + 5) {
                if (!column->FOptions.Contains(coResizable)) return false;
                FColumns->FTrackIndex = *it;
                FTrackPos = border - column->FWidth;
                return true;
            }
            border -= column->FWidth;
        }
    } else {
        int border = -FOwner->FEffectiveOffsetX + FOwner->ComputeRTLOffset();
        for (TColumnIndex index : order) {
            TVirtualTreeColumn* column = FColumns->GetItem(index);
            if (!column->FOptions.Contains(coVisible)) continue;
            if (P.x > border - 5 && P.x < border + 3) {
                if (!column->FOptions.Contains(coResizable)) return false;
                FColumns->FTrackIndex = index;
                FTrackPos = border + column->FWidth;
                return true;
            }
            border += column->FWidth;
        }
    }
    return false;
}

void TVTHeader::DragTo(TPoint P) {
    // P in header coordinates.
    if (FOwner->HandleAllocated()) {
        POINT screen{P.x, P.y - FHeight};
        ClientToScreen(FOwner->GetHandle(), &screen);
        FDragImage->DragTo(TPoint{screen.x, screen.y});
    }
    int left = 0, right = 0;
    const TColumnIndex target = FColumns->GetColumnAndBounds(P, left, right);
    const bool before = P.x < (left + right) / 2;
    if (target != FColumns->FDropTarget || before != FColumns->FDropBefore) {
        if (FColumns->IsValidColumn(FColumns->FDropTarget))
            Invalidate(FColumns->GetItem(FColumns->FDropTarget));
        FColumns->FDropTarget = target;
        FColumns->FDropBefore = before;
        if (FColumns->IsValidColumn(target)) Invalidate(FColumns->GetItem(target));
    }
}

void TVTHeader::PrepareDrag(TPoint P, TPoint Start) {
    FColumns->FDragIndex = FColumns->ColumnFromPosition(Start);
    FColumns->FDropTarget = NoColumn;
    if (!FColumns->IsValidColumn(FColumns->FDragIndex) || !FOwner->HandleAllocated()) return;
    TVirtualTreeColumn* column = FColumns->GetItem(FColumns->FDragIndex);
    // The column's button as the header shows it, cut out at its own width.
    TBitmap image;
    image.SetPixelFormat(pf32bit);
    image.SetSize(column->FWidth, FHeight);
    image.GetCanvas()->GetBrush()->SetColor(clBtnFace);
    image.GetCanvas()->FillRect(TRect{0, 0, column->FWidth, FHeight});
    HDC dc = image.GetCanvas()->GetHandle();
    SetWindowOrgEx(dc, column->FLeft, 0, nullptr);
    FColumns->PaintHeader(dc, TRect{column->FLeft, 0, column->FLeft + column->FWidth, FHeight}, 0);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    POINT position{column->GetLeft(), -FHeight};
    ClientToScreen(FOwner->GetHandle(), &position);
    POINT hotSpot{P.x, P.y - FHeight};
    ClientToScreen(FOwner->GetHandle(), &hotSpot);
    FDragImage->SetMoveRestriction(FOptions.Contains(hoRestrictDrag) ? dmrHorizontalOnly : dmrNone);
    FDragImage->PrepareDrag(&image, TPoint{position.x, position.y}, TPoint{hotSpot.x, hotSpot.y},
                            nullptr);
    FDragImage->ShowDragImage();
}

void TVTHeader::EndDragImage() {
    FDragImage->EndDrag();
}

bool TVTHeader::HandleHeaderMouseMove(TMessage& Message) {
    TPoint p = MessagePoint(Message);
    // Client coordinates into header coordinates.
    p.y += FHeight;
    if (FStates.Contains(hsTrackPending)) {
        FOwner->StopTimer(HeaderTimer);
        FStates.Exclude(hsTrackPending);
        FStates.Include(hsTracking);
    }
    if (FStates.Contains(hsTracking)) {
        if (FColumns->IsValidColumn(FColumns->FTrackIndex)) {
            const int width = FOwner->UseRightToLeftAlignment() ? FTrackPos - p.x : p.x - FTrackPos;
            FColumns->GetItem(FColumns->FTrackIndex)->SetWidth(width);
            Invalidate(nullptr);
        }
        return true;
    }
    if (FStates.Contains(hsDragPending) && FOptions.Contains(hoDrag)) {
        const TColumnIndex column = FColumns->ColumnFromPosition(FDragStart);
        if (FOwner->DoHeaderDragging(column) &&
            (std::abs(p.x - FDragStart.x) > GetSystemMetrics(SM_CXDRAG) ||
             std::abs(p.y - FDragStart.y) > GetSystemMetrics(SM_CYDRAG))) {
            FOwner->StopTimer(HeaderTimer);
            FColumns->FDownIndex = NoColumn;
            FColumns->FHoverIndex = NoColumn;
            PrepareDrag(p, FDragStart);
            FStates.Exclude(hsDragPending);
            FStates.Include(hsDragging);
        }
        return true;
    }
    if (FStates.Contains(hsDragging)) {
        DragTo(p);
        return true;
    }
    return false;
}

bool TVTHeader::HandleMessage(TMessage& Message) {
    HWND window = FOwner->HandleAllocated() ? FOwner->GetHandle() : nullptr;
    auto clientPoint = [&]() {
        POINT p{int16_t(Message.LParam & 0xFFFF), int16_t((Message.LParam >> 16) & 0xFFFF)};
        ScreenToClient(window, &p);
        return TPoint{p.x, p.y};
    };
    switch (Message.Msg) {
    case WM_SIZE:
        if (FOptions.Contains(hoAutoResize) && !FStates.Contains(hsAutoSizing)) {
            FColumns->AdjustAutoSize(NoColumn);
            Invalidate(nullptr);
        }
        if (!FStates.Contains(hsAutoSizing)) UpdateSpringColumns();
        return false;
    case WM_KILLFOCUS:
    case WM_KEYDOWN:
        if (Message.Msg == WM_KEYDOWN && Message.WParam != VK_ESCAPE) return false;
        if (FStates.Contains(hsDragging)) {
            ReleaseCapture();
            EndDragImage();
            FStates.Exclude(hsDragging);
            FColumns->FDropTarget = NoColumn;
            Invalidate(nullptr);
            return true;
        }
        if (FStates.Contains(hsTracking)) {
            ReleaseCapture();
            FStates.Exclude(hsTracking);
            return true;
        }
        return false;
    case WM_SETCURSOR: {
        if (!FStates.Empty()) {
            Message.Result = 1;
            return true;
        }
        if (!window || !FOptions.Contains(hoColumnResize)) return false;
        POINT screen;
        GetCursorPos(&screen);
        ScreenToClient(window, &screen);
        TPoint p{screen.x, screen.y};
        if (!InHeader(p)) return false;
        HCURSOR cursor = nullptr;
        if (DetermineSplitterIndex(TPoint{p.x, p.y + FHeight}))
            cursor = Screen->GetCursors(crHeaderSplit);
        HCURSOR chosen = cursor;
        FOwner->DoGetHeaderCursor(chosen);
        if (chosen) {
            SetCursor(chosen);
            Message.Result = 1;
            return true;
        }
        return false;
    }
    case WM_NCMOUSEMOVE: {
        const TPoint p = clientPoint();
        FOwner->DoHeaderMouseMove(GetShiftState(), p.x, p.y + FHeight);
        if (InHeader(p)) {
            const bool changed = FColumns->AdjustHoverColumn(TPoint{p.x, p.y + FHeight});
            if (changed ||
                (FColumns->FDownIndex >= 0 && FColumns->FDownIndex != FColumns->FHoverIndex))
                SetTimer(window, HeaderTimer, 50, nullptr);
        }
        if (FOptions.Contains(hoShowHint)) Application->HintMouseMessage(FOwner, Message);
        return false;
    }
    case WM_NCLBUTTONDOWN: {
        Application->CancelHint();
        FOwner->StopTimer(ScrollTimer);
        FOwner->StopTimer(EditTimer);
        FOwner->DoStateChange({}, {tsScrollPending, tsScrolling, tsEditPending});
        const TPoint p = clientPoint();
        FDragStart = TPoint{p.x, p.y + FHeight};
        if (!InHeader(p)) return false;
        FOwner->DoHeaderMouseDown(mbLeft, GetShiftState(), p.x, p.y + FHeight);
        if (FOptions.Contains(hoColumnResize) && DetermineSplitterIndex(FDragStart)) {
            FColumns->FHoverIndex = NoColumn;
            FTrackStart = p;
            FStates.Include(hsTrackPending);
        } else {
            FColumns->AdjustDownColumn(FDragStart);
            const TColumnIndex column = FColumns->ColumnFromPosition(FDragStart);
            if (FOptions.Contains(hoDrag) && FColumns->IsValidColumn(column) &&
                FColumns->GetItem(column)->FOptions.Contains(coDraggable))
                FStates.Include(hsDragPending);
        }
        SetCapture(window);
        Message.Result = 0;
        return true;
    }
    case WM_MOUSEMOVE:
        return HandleHeaderMouseMove(Message);
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP: {
        Application->CancelHint();
        const bool hadState = !FStates.Empty();
        TPoint p = Message.Msg == WM_NCLBUTTONUP ? clientPoint() : MessagePoint(Message);
        if (hadState) {
            ReleaseCapture();
            if (FStates.Contains(hsDragging)) {
                EndDragImage();
                const TColumnIndex dragged = FColumns->FDragIndex;
                const TColumnIndex target = FColumns->FDropTarget;
                RECT client;
                GetClientRect(window, &client);
                const bool inside = p.x >= 0 && p.x < client.right && p.y >= -FHeight &&
                                    p.y < client.bottom;
                if (FColumns->IsValidColumn(target) && target != dragged &&
                    FColumns->IsValidColumn(dragged) && inside) {
                    TVirtualTreeColumn* column = FColumns->GetItem(dragged);
                    const TColumnPosition old = column->FPosition;
                    const TColumnPosition targetPos = FColumns->GetItem(target)->FPosition;
                    TColumnPosition position;
                    if (FColumns->FDropBefore)
                        position = old < targetPos ? (targetPos > 0 ? targetPos - 1 : 0)
                                                   : targetPos;
                    else
                        position = old < targetPos ? targetPos : targetPos + 1;
                    column->SetPosition(position);
                    FOwner->DoHeaderDragged(dragged, old);
                } else {
                    FOwner->DoHeaderDraggedOut(dragged, p);
                }
                FColumns->FDropTarget = NoColumn;
                Invalidate(nullptr);
            }
        }
        if (Message.Msg == WM_LBUTTONUP || Message.Msg == WM_NCLBUTTONUP) {
            if (FColumns->FDownIndex >= 0 && !FStates.Contains(hsDragging) &&
                !FStates.Contains(hsTracking))
                FColumns->HandleClick(p, mbLeft, false, false);
        }
        if (hadState) FOwner->DoHeaderMouseUp(mbLeft, GetShiftState(), p.x, p.y + FHeight);
        if (FColumns->IsValidColumn(FColumns->FTrackIndex))
            Invalidate(FColumns->GetItem(FColumns->FTrackIndex));
        if (FColumns->IsValidColumn(FColumns->FDownIndex))
            Invalidate(FColumns->GetItem(FColumns->FDownIndex));
        FColumns->FTrackIndex = NoColumn;
        FColumns->FDownIndex = NoColumn;
        FStates -= THeaderStates{hsDragging, hsDragPending, hsTracking, hsTrackPending};
        return hadState;
    }
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK: {
        const TPoint p = clientPoint();
        if (!InHeader(p)) return false;
        const TMouseButton button = Message.Msg == WM_NCLBUTTONDBLCLK   ? mbLeft
                                    : Message.Msg == WM_NCRBUTTONDBLCLK ? mbRight
                                                                        : mbMiddle;
        if (FOptions.Contains(hoDblClickResize) &&
            DetermineSplitterIndex(TPoint{p.x, p.y + FHeight})) {
            TVirtualTreeColumn* column = FColumns->GetItem(FColumns->FTrackIndex);
            FColumns->AnimatedResize(
                FColumns->FTrackIndex,
                std::max(column->FMinWidth, FOwner->GetMaxColumnWidth(FColumns->FTrackIndex)));
        } else {
            FColumns->HandleClick(p, button, true, true);
        }
        TShiftState shift = GetShiftState();
        shift.Include(ssDouble);
        FOwner->DoHeaderDblClick(FColumns->FClickIndex, button, shift, p.x, p.y + FHeight);
        return true;
    }
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN: {
        const TPoint p = clientPoint();
        if (InHeader(p))
            FOwner->DoHeaderMouseDown(Message.Msg == WM_NCRBUTTONDOWN ? mbRight : mbMiddle,
                                      GetShiftState(), p.x, p.y + FHeight);
        return false;
    }
    case WM_NCRBUTTONUP: {
        if (FOwner->GetComponentState().Contains(csDesigning)) return false;
        Application->CancelHint();
        const TPoint p = clientPoint();
        if (!InHeader(p)) return false;
        FColumns->FDownIndex = FColumns->ColumnFromPosition(TPoint{p.x, p.y + FHeight});
        FColumns->HandleClick(p, mbRight, true, false);
        FColumns->FDownIndex = NoColumn;
        FColumns->FTrackIndex = NoColumn;
        if (FPopupMenu) {
            FOwner->StopTimer(ScrollTimer);
            FOwner->StopTimer(HeaderTimer);
            FColumns->FHoverIndex = NoColumn;
            FPopupMenu->SetPopupComponent(FOwner);
            POINT screen{int16_t(Message.LParam & 0xFFFF), int16_t((Message.LParam >> 16) & 0xFFFF)};
            FPopupMenu->Popup(screen.x, screen.y);
        }
        return true;
    }
    case WM_NCMBUTTONUP: {
        const TPoint p = clientPoint();
        if (!InHeader(p)) return false;
        FColumns->FDownIndex = FColumns->ColumnFromPosition(TPoint{p.x, p.y + FHeight});
        FColumns->HandleClick(p, mbMiddle, true, false);
        FColumns->FDownIndex = NoColumn;
        return false;
    }
    case WM_TIMER: {
        if (Message.WParam != HeaderTimer) return false;
        POINT screen;
        GetCursorPos(&screen);
        ScreenToClient(window, &screen);
        const TPoint p{screen.x, screen.y};
        if (!InHeader(p) ||
            (FColumns->FDownIndex >= 0 && FColumns->FDownIndex != FColumns->FHoverIndex)) {
            FOwner->StopTimer(HeaderTimer);
            FColumns->FHoverIndex = NoColumn;
            FColumns->FClickIndex = NoColumn;
            FColumns->FDownIndex = NoColumn;
            Invalidate(nullptr);
        }
        return true;
    }
    default:
        return false;
    }
}
