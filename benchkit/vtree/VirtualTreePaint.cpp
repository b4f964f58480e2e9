// Painting: the row-by-row pipeline (PaintTree) and everything a cell shows
// around its content: tree lines, buttons, check and node images,
// selection, focus, grid lines and the drop mark.
#include "benchkit/vtree/IDEVirtualTrees.h"
#include "benchkit/vtree/VirtualTreeShared.h"

#include <quorlpak/Canvas.h>
#include <quorlpak/Font.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Picture.h>

#include <algorithm>
#include <cmath>

namespace {

// Leaves a tree state at the end of a scope, also when painting raises.
struct TStateScope {
    TBaseVirtualTree* Tree;
    TVirtualTreeStates States;
    std::function<void(TVirtualTreeStates)> Leave;
    ~TStateScope() { Leave(States); }
};

uint16_t DottedPattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
uint16_t SolidPattern[8] = {0, 0, 0, 0, 0, 0, 0, 0};

TBitmap* SolidBitmapFor(TPicture* Picture) {
    if (!Picture) return nullptr;
    return dynamic_cast<TBitmap*>(Picture->GetGraphic());
}

} // namespace

// --- Properties ---------------------------------------------------------------------------------

namespace {
bool Active(TBaseVirtualTree* Tree) {
    return Tree->HandleAllocated() && !Tree->GetComponentState().Contains(csLoading);
}
} // namespace

void TBaseVirtualTree::SetIndent(int Value) {
    if (FIndent == Value) return;
    FIndent = Value;
    if (Active(this)) {
        UpdateScrollBars(true);
        Invalidate();
    }
}

void TBaseVirtualTree::SetMargin(int Value) {
    if (FMargin == Value) return;
    FMargin = Value;
    if (Active(this)) Invalidate();
}

void TBaseVirtualTree::SetTextMargin(int Value) {
    if (FTextMargin == Value) return;
    FTextMargin = Value;
    if (Active(this)) Invalidate();
}

void TBaseVirtualTree::SetLineMode(TVTLineMode Value) {
    if (FLineMode == Value) return;
    FLineMode = Value;
    if (Active(this)) Invalidate();
}

void TBaseVirtualTree::SetLineStyle(TVTLineStyle Value) {
    if (FLineStyle == Value) return;
    FLineStyle = Value;
    if (!GetComponentState().Contains(csLoading)) {
        PrepareBitmaps(false, true);
        Invalidate();
    }
}

void TBaseVirtualTree::SetButtonStyle(TVTButtonStyle Value) {
    if (FButtonStyle == Value) return;
    FButtonStyle = Value;
    if (!GetComponentState().Contains(csLoading)) {
        PrepareBitmaps(true, false);
        Invalidate();
    }
}

void TBaseVirtualTree::SetButtonFillMode(TVTButtonFillMode Value) {
    if (FButtonFillMode == Value) return;
    FButtonFillMode = Value;
    if (!GetComponentState().Contains(csLoading)) {
        PrepareBitmaps(true, false);
        Invalidate();
    }
}

void TBaseVirtualTree::SetSelectionCurveRadius(int Value) {
    if (Value < 0) Value = 0;
    if (FSelectionCurveRadius == Value) return;
    FSelectionCurveRadius = Value;
    if (Active(this)) Invalidate();
}

void TBaseVirtualTree::SetNodeAlignment(TVTNodeAlignment Value) {
    if (FNodeAlignment == Value) return;
    FNodeAlignment = Value;
    if (Active(this)) Invalidate();
}

void TBaseVirtualTree::SetBackground(TPicture* Value) {
    FBackground->Assign(Value);
    Invalidate();
}

void TBaseVirtualTree::SetBackgroundOffsetX(int Value) {
    if (FBackgroundOffsetX == Value) return;
    FBackgroundOffsetX = Value;
    Invalidate();
}

void TBaseVirtualTree::SetBackgroundOffsetY(int Value) {
    if (FBackgroundOffsetY == Value) return;
    FBackgroundOffsetY = Value;
    Invalidate();
}

namespace {
void Relink(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink* Link,
            TBaseVirtualTree* Tree) {
    if (Field == Value) return;
    if (Field) Field->UnRegisterChanges(Link);
    Field = Value;
    if (Field) Field->RegisterChanges(Link);
    if (Tree->HandleAllocated()) Tree->Invalidate();
}
} // namespace

void TBaseVirtualTree::SetImages(TCustomImageList* Value) {
    Relink(FImages, Value, FImageChangeLink, this);
}

void TBaseVirtualTree::SetStateImages(TCustomImageList* Value) {
    Relink(FStateImages, Value, FStateChangeLink, this);
}

void TBaseVirtualTree::SetCustomCheckImages(TCustomImageList* Value) {
    Relink(FCustomCheckImages, Value, FCustomCheckChangeLink, this);
    if (FCheckImageKind == ckCustom) FCheckImages = FCustomCheckImages;
}

void TBaseVirtualTree::SetCheckImageKind(TCheckImageKind Value) {
    if (FCheckImageKind == Value) return;
    FCheckImageKind = Value;
    FCheckImages = GetCheckImageListFor(Value);
    if (!FCheckImages) FCheckImages = FCustomCheckImages;
    if (HandleAllocated() && FUpdateCount == 0 && !GetComponentState().Contains(csLoading))
        Invalidate();
}

void TBaseVirtualTree::SetAnimationDuration(uint32_t Value) {
    FAnimationDuration = Value;
    TVTAnimationOptions options = FOptions->GetAnimationOptions();
    if (Value == 0)
        options.Exclude(toAnimatedToggle);
    else
        options.Include(toAnimatedToggle);
    FOptions->SetAnimationOptions(options);
}

int TBaseVirtualTree::GetCheckImage(PVirtualNode Node) {
    if (!Node || Node->CheckType == ctNone) return -1;
    const bool disabled = Node->States.Contains(vsDisabled) || !GetEnabled();
    const bool hot = Node == FCurrentHotNode;
    const int state = std::min<int>(Node->CheckState, csMixedPressed);
    const bool pressed = state % 2 == 1;
    int base;          // the enabled, not hot image of the state's pair
    int disabledImage; // the image of a disabled box
    if (state >= csMixedNormal) {
        base = 17;
        disabledImage = 20;
    } else if (Node->CheckType == ctRadioButton) {
        base = state >= csCheckedNormal ? 5 : 1;
        disabledImage = state >= csCheckedNormal ? 8 : 4;
    } else if (Node->CheckType == ctButton) {
        base = 21;
        disabledImage = 24;
    } else {
        base = state >= csCheckedNormal ? 13 : 9;
        disabledImage = state >= csCheckedNormal ? 16 : 12;
    }
    if (disabled) return disabledImage;
    if (pressed) return base + 2;
    return hot ? base + 1 : base;
}

int TBaseVirtualTree::ComputeRTLOffset(bool ExcludeScrollBar) const {
    if (!FHeader || !FHeader->UseColumns()) return 0;
    int offset = const_cast<TBaseVirtualTree*>(this)->GetClientWidth() -
                 FHeader->GetColumns()->TotalWidth();
    if (ExcludeScrollBar) offset -= 0;
    return std::max(0, offset);
}

// --- Event dispatchers ---------------------------------------------------------------------------

void TBaseVirtualTree::DoBeforePaint(TCanvas* Canvas) {
    if (OnBeforePaint) OnBeforePaint(this, Canvas);
}

void TBaseVirtualTree::DoAfterPaint(TCanvas* Canvas) {
    if (OnAfterPaint) OnAfterPaint(this, Canvas);
}

bool TBaseVirtualTree::DoBeforeItemPaint(TCanvas* Canvas, PVirtualNode Node, const TRect& R) {
    bool custom = false;
    if (OnBeforeItemPaint) OnBeforeItemPaint(this, Canvas, Node, R, custom);
    return custom;
}

void TBaseVirtualTree::DoAfterItemPaint(TCanvas* Canvas, PVirtualNode Node, const TRect& R) {
    if (OnAfterItemPaint) OnAfterItemPaint(this, Canvas, Node, R);
}

void TBaseVirtualTree::DoBeforeItemErase(TCanvas* Canvas, PVirtualNode Node, const TRect& R,
                                         TColor& Color, TItemEraseAction& EraseAction) {
    if (OnBeforeItemErase) OnBeforeItemErase(this, Canvas, Node, R, Color, EraseAction);
}

void TBaseVirtualTree::DoAfterItemErase(TCanvas* Canvas, PVirtualNode Node, const TRect& R) {
    if (OnAfterItemErase) OnAfterItemErase(this, Canvas, Node, R);
}

void TBaseVirtualTree::DoBeforeCellPaint(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                         const TRect& R) {
    if (OnBeforeCellPaint) OnBeforeCellPaint(this, Canvas, Node, Column, R);
}

void TBaseVirtualTree::DoAfterCellPaint(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                        const TRect& R) {
    if (OnAfterCellPaint) OnAfterCellPaint(this, Canvas, Node, Column, R);
}

bool TBaseVirtualTree::DoPaintBackground(TCanvas* Canvas, const TRect& R) {
    bool handled = false;
    if (OnPaintBackground) OnPaintBackground(this, Canvas, R, handled);
    return handled;
}

TCustomImageList* TBaseVirtualTree::DoGetImageIndex(PVirtualNode Node, TVTImageKind Kind,
                                                    TColumnIndex Column, bool& Ghosted,
                                                    int& Index) {
    TCustomImageList* list = nullptr;
    if (OnGetImageIndexEx)
        OnGetImageIndexEx(this, Node, Kind, Column, Ghosted, Index, list);
    else if (OnGetImageIndex)
        OnGetImageIndex(this, Node, Kind, Column, Ghosted, Index);
    return list;
}

void TBaseVirtualTree::DoGetLineStyle(const void*& Bits) {
    if (OnGetLineStyle) OnGetLineStyle(this, Bits);
}

void TBaseVirtualTree::DoPaintDropMark(TCanvas* Canvas, PVirtualNode Node, const TRect& R) {
    if (FLastDropMode != dmAbove && FLastDropMode != dmBelow) return;
    const TPenStyle oldPen = Canvas->GetPen()->GetStyle();
    const TColor oldColor = Canvas->GetBrush()->GetColor();
    Canvas->GetPen()->SetStyle(psClear);
    Canvas->GetBrush()->SetColor(FColors->GetColor(TVTColors::DropMarkColorIndex));
    const int L = R.left, T = R.top, Rt = R.right, B = R.bottom;
    if (FLastDropMode == dmAbove)
        Canvas->Polygon({{L + 2, T}, {Rt - 2, T}, {Rt - 2, T + 6}, {Rt - 6, T + 2}, {L + 6, T + 2},
                         {L + 2, T + 6}});
    else
        Canvas->Polygon({{L + 2, B - 1}, {Rt - 2, B - 1}, {Rt - 2, B - 8}, {Rt - 7, B - 3},
                         {L + 7, B - 3}, {L + 2, B - 8}});
    Canvas->GetPen()->SetStyle(oldPen);
    Canvas->GetBrush()->SetColor(oldColor);
}

// --- Bitmaps ---------------------------------------------------------------------------------------

void TBaseVirtualTree::PrepareBitmaps(bool NeedButtons, bool NeedLines) {
    if (NeedButtons) {
        if (!FPlusBM) FPlusBM = new TBitmap();
        if (!FMinusBM) FMinusBM = new TBitmap();
        for (TBitmap* bitmap : {FMinusBM, FPlusBM}) {
            const bool plus = bitmap == FPlusBM;
            bitmap->SetPixelFormat(pf32bit);
            bitmap->SetSize(9, 9);
            bitmap->SetTransparentColor(TColor(0xFF00FF));
            bitmap->SetTransparent(true);
            TCanvas* canvas = bitmap->GetCanvas();
            canvas->GetBrush()->SetStyle(bsSolid);
            canvas->GetBrush()->SetColor(TColor(0xFF00FF));
            canvas->FillRect(TRect{0, 0, 9, 9});
            if (FButtonStyle == bsTriangle) {
                canvas->GetBrush()->SetColor(clBlack);
                canvas->GetPen()->SetColor(clBlack);
                if (plus)
                    canvas->Polygon({{2, 0}, {6, 4}, {2, 8}});
                else
                    canvas->Polygon({{0, 2}, {8, 2}, {4, 6}});
                continue;
            }
            if (FButtonFillMode == fmShaded) {
                vtree::LoadShadedButton(bitmap, plus);
                bitmap->SetTransparentColor(TColor(0xFF00FF));
                bitmap->SetTransparent(true);
                continue;
            }
            switch (FButtonFillMode) {
            case fmTreeColor:
                canvas->GetBrush()->SetColor(GetColor());
                break;
            case fmWindowColor:
            case fmShaded:
                canvas->GetBrush()->SetColor(clWindow);
                break;
            case fmTransparent:
                canvas->GetBrush()->SetColor(TColor(0xFF00FF));
                break;
            }
            canvas->GetPen()->SetColor(FColors->GetTreeLineColor());
            canvas->Rectangle(0, 0, 9, 9);
            canvas->GetPen()->SetColor(GetFont()->GetColor());
            canvas->MoveTo(2, 4);
            canvas->LineTo(7, 4);
            if (plus) {
                canvas->MoveTo(4, 2);
                canvas->LineTo(4, 7);
            }
        }
    }
    if (NeedLines) {
        if (FDottedBrush) DeleteObject(FDottedBrush);
        FDottedBrush = nullptr;
        const void* bits = FLineStyle == lsSolid ? SolidPattern : DottedPattern;
        if (FLineStyle == lsCustomStyle) DoGetLineStyle(bits);
        // Rows of 16-bit words: the low byte of each row is the pattern.
        uint8_t rows[16] = {};
        const uint16_t* words = static_cast<const uint16_t*>(bits);
        for (int i = 0; i < 8; ++i) rows[i * 2] = uint8_t(words[i] & 0xFF);
        HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
        FDottedBrush = CreatePatternBrush(pattern);
        DeleteObject(pattern);
    }
}

// --- Geometry -------------------------------------------------------------------------------------

void TBaseVirtualTree::CalculateVerticalAlignments(bool ShowImages, bool ShowStateImages,
                                                   PVirtualNode Node, int& VAlign,
                                                   int& VButtonAlign) {
    const int buttonHeight = FPlusBM ? FPlusBM->GetHeight() : 9;
    switch (FNodeAlignment) {
    case naFromBottom:
        VAlign = int(Node->NodeHeight) - Node->Align;
        break;
    case naFromTop:
        VAlign = Node->Align;
        break;
    case naProportional: {
        int h = 0;
        if (ShowImages && FImages)
            h = FImages->GetHeight();
        else if (ShowStateImages && FStateImages)
            h = FStateImages->GetHeight();
        else if (FOptions->GetPaintOptions().Contains(toShowButtons))
            h = buttonHeight;
        if (h > 0)
            VAlign = MulDiv(int(Node->NodeHeight) - h, Node->Align, 100) + h / 2;
        else
            VAlign = MulDiv(int(Node->NodeHeight), Node->Align, 100);
        break;
    }
    }
    VButtonAlign = VAlign - buttonHeight / 2;
}

int TBaseVirtualTree::InitializeLineImageAndSelectLevel(PVirtualNode Node, TLineImage& LineImage) {
    const bool showRoot = FOptions->GetPaintOptions().Contains(toShowRoot);
    int levels = 0;
    int selected = 0;
    for (PVirtualNode run = Node; run && run != FRoot; run = run->Parent) {
        ++levels;
        if (run->States.Contains(vsSelected)) ++selected;
    }
    const int count = levels - 1 + (showRoot ? 1 : 0);
    LineImage.assign(size_t(std::max(count, 0)), ltNone);
    if (!FOptions->GetPaintOptions().Contains(toShowTreeLines) || count <= 0) return selected;
    // Walk from the node up; entry i describes the indentation level i.
    int index = count - 1;
    PVirtualNode run = Node;
    if (Node->Parent != FRoot) {
        LineImage[size_t(index)] = HasVisibleNextSibling(Node) ? ltTopDownRight : ltTopRight;
        --index;
        run = Node->Parent;
        while (run->Parent != FRoot && index >= 0) {
            LineImage[size_t(index)] = HasVisibleNextSibling(run) ? ltTopDown : ltNone;
            --index;
            run = run->Parent;
        }
    }
    if (showRoot && index >= 0) {
        if (Node->Parent == FRoot) {
            const bool first = GetPreviousVisibleSiblingNoInit(Node) == nullptr;
            const bool last = !HasVisibleNextSibling(Node);
            LineImage[0] = first && last ? ltRight : last ? ltTopRight : first ? ltBottomRight
                                                                               : ltTopDownRight;
        } else {
            LineImage[0] = HasVisibleNextSibling(run) ? ltTopDown : ltNone;
        }
    }
    return selected;
}

void TBaseVirtualTree::AdjustCoordinatesByIndent(TVTPaintInfo& PaintInfo, int Indent) {
    int offset = Indent * FIndent;
    if (PaintInfo.BidiMode == bdLeftToRight) {
        PaintInfo.ContentRect.left += offset;
    } else {
        PaintInfo.ContentRect.right -= offset;
        offset = -offset;
    }
    PaintInfo.ImageInfo[iiNormal].XPos += offset;
    PaintInfo.ImageInfo[iiState].XPos += offset;
    PaintInfo.ImageInfo[iiCheck].XPos += offset;
}

void TBaseVirtualTree::AdjustImageBorder(TCustomImageList* Images, TBiDiMode BidiMode, int VAlign,
                                         TRect& R, TVTImageInfo& ImageInfo) {
    const int width = Images->GetWidth();
    if (BidiMode == bdLeftToRight) {
        ImageInfo.XPos = R.left;
        R.left += width + 2;
    } else {
        ImageInfo.XPos = R.right - width;
        R.right -= width + 2;
    }
    ImageInfo.YPos = R.top + VAlign - Images->GetHeight() / 2;
}

void TBaseVirtualTree::InitializeFirstColumnValues(TVTPaintInfo& PaintInfo) {
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    PaintInfo.Column = columns->GetFirstVisibleColumn();
    if (PaintInfo.Column < 0) {
        PaintInfo.Position = 0;
        return;
    }
    TVirtualTreeColumn* column = columns->GetItem(PaintInfo.Column);
    PaintInfo.CellRect.left = column->FLeft;
    PaintInfo.CellRect.right = column->FLeft + column->GetWidth();
    PaintInfo.Position = column->GetPosition();
}

void TBaseVirtualTree::AdjustPaintCellRect(TVTPaintInfo& PaintInfo, TColumnIndex& NextColumn) {
    NextColumn = FHeader->GetColumns()->GetNextVisibleColumn(PaintInfo.Column);
}

// --- Background ---------------------------------------------------------------------------------------

void TBaseVirtualTree::StaticBackground(TBitmap* Source, TCanvas* Target, TPoint Offset,
                                        const TRect& R) {
    Target->GetBrush()->SetColor(GetColor());
    Target->FillRect(R);
    TRect moved = R;
    OffsetRect(&moved, Offset.x, Offset.y);
    TRect picture{FBackgroundOffsetX, FBackgroundOffsetY, FBackgroundOffsetX + Source->GetWidth(),
                  FBackgroundOffsetY + Source->GetHeight()};
    TRect common;
    if (!IntersectRect(&common, &moved, &picture)) return;
    const int x = common.left - Offset.x, y = common.top - Offset.y;
    HDC source = Source->GetCanvas()->GetHandle();
    if (Source->GetTransparent())
        TransparentBlt(Target->GetHandle(), x, y, common.right - common.left,
                       common.bottom - common.top, source, common.left - FBackgroundOffsetX,
                       common.top - FBackgroundOffsetY, common.right - common.left,
                       common.bottom - common.top, ColorToRGB(Source->GetTransparentColor()));
    else
        BitBlt(Target->GetHandle(), x, y, common.right - common.left, common.bottom - common.top,
               source, common.left - FBackgroundOffsetX, common.top - FBackgroundOffsetY, SRCCOPY);
}

void TBaseVirtualTree::TileBackground(TBitmap* Source, TCanvas* Target, TPoint Offset, TRect R) {
    const int width = Source->GetWidth(), height = Source->GetHeight();
    if (width <= 0 || height <= 0) return;
    auto phase = [](int value, int size) {
        int p = value % size;
        return p < 0 ? p + size : p;
    };
    HDC source = Source->GetCanvas()->GetHandle();
    HDC target = Target->GetHandle();
    int sourceY = phase(R.top + Offset.y + FBackgroundOffsetY, height);
    for (int y = R.top; y < R.bottom;) {
        const int h = std::min(height - sourceY, R.bottom - y);
        int sourceX = phase(R.left + Offset.x + FBackgroundOffsetX, width);
        for (int x = R.left; x < R.right;) {
            const int w = std::min(width - sourceX, R.right - x);
            BitBlt(target, x, y, w, h, source, sourceX, sourceY, SRCCOPY);
            x += w;
            sourceX = 0;
        }
        y += h;
        sourceY = 0;
    }
}

void TBaseVirtualTree::ClearNodeBackground(const TVTPaintInfo& PaintInfo, bool UseBackground,
                                           bool Floating, TRect R) {
    TItemEraseAction action = eaDefault;
    TColor colour = GetColor();
    TPoint offset{0, 0};
    if (Floating) {
        offset = TPoint{-FEffectiveOffsetX, R.top};
        OffsetRect(&R, 0, -R.top);
    }
    TCanvas* canvas = PaintInfo.Canvas;
    DoBeforeItemErase(canvas, PaintInfo.Node, R, colour, action);
    switch (action) {
    case eaColor:
        canvas->GetBrush()->SetColor(colour);
        canvas->FillRect(R);
        break;
    case eaNone:
        break;
    case eaDefault: {
        TBitmap* picture = SolidBitmapFor(FBackground);
        if (UseBackground && picture) {
            if (FOptions->GetPaintOptions().Contains(toStaticBackground))
                StaticBackground(picture, canvas, offset, R);
            else
                TileBackground(picture, canvas, offset, R);
        } else if (PaintInfo.PaintOptions.Contains(poDrawSelection) &&
                   FOptions->GetSelectionOptions().Contains(toFullRowSelect) &&
                   PaintInfo.Node->States.Contains(vsSelected) &&
                   !FOptions->GetPaintOptions().Contains(toUseBlendedSelection)) {
            if (FOptions->GetPaintOptions().Contains(toShowHorzGridLines)) --R.bottom;
            canvas->GetBrush()->SetColor(GetColor());
            canvas->FillRect(R);
            const bool focused = Focused() || FOptions->GetPaintOptions().Contains(toPopupMode);
            canvas->GetBrush()->SetColor(FColors->GetColor(
                focused ? TVTColors::FocusedSelectionColorIndex
                        : TVTColors::UnfocusedSelectionColorIndex));
            canvas->GetPen()->SetColor(FColors->GetColor(
                focused ? TVTColors::FocusedSelectionBorderColorIndex
                        : TVTColors::UnfocusedSelectionBorderColorIndex));
            canvas->RoundRect(R.left, R.top, R.right, R.bottom, FSelectionCurveRadius,
                              FSelectionCurveRadius);
        } else {
            canvas->GetBrush()->SetColor(colour);
            canvas->FillRect(R);
        }
        break;
    }
    }
    DoAfterItemErase(canvas, PaintInfo.Node, R);
}

// --- Lines, buttons and images -----------------------------------------------------------------------

void TBaseVirtualTree::DrawDottedHLine(const TVTPaintInfo& PaintInfo, int Left, int Right, int Top) {
    RECT r{std::min(Left, Right), Top, std::max(Left, Right) + 1, Top + 1};
    HDC dc = PaintInfo.Canvas->GetHandle();
    SetBkColor(dc, ColorToRGB(GetColor()));
    FillRect(dc, &r, FDottedBrush);
}

void TBaseVirtualTree::DrawDottedVLine(const TVTPaintInfo& PaintInfo, int Top, int Bottom, int Left) {
    RECT r{Left, std::min(Top, Bottom), Left + 1, std::max(Top, Bottom) + 1};
    HDC dc = PaintInfo.Canvas->GetHandle();
    SetBkColor(dc, ColorToRGB(GetColor()));
    FillRect(dc, &r, FDottedBrush);
}

void TBaseVirtualTree::DrawLineImage(const TVTPaintInfo& PaintInfo, int X, int Y, int H, int VAlign,
                                     TVTLineType Style, bool Reverse) {
    const int M = X + FIndent / 2;
    const int E = Reverse ? X : X + FIndent;
    switch (Style) {
    case ltBottomRight:
        DrawDottedVLine(PaintInfo, Y + VAlign, Y + H, M);
        DrawDottedHLine(PaintInfo, M, E, Y + VAlign);
        break;
    case ltTopDown:
        DrawDottedVLine(PaintInfo, Y, Y + H, M);
        break;
    case ltTopDownRight:
        DrawDottedVLine(PaintInfo, Y, Y + H, M);
        DrawDottedHLine(PaintInfo, M, E, Y + VAlign);
        break;
    case ltRight:
        DrawDottedHLine(PaintInfo, M, E, Y + VAlign);
        break;
    case ltTopRight:
        DrawDottedVLine(PaintInfo, Y, Y + VAlign, M);
        DrawDottedHLine(PaintInfo, M, E, Y + VAlign);
        break;
    case ltLeft:
        DrawDottedVLine(PaintInfo, Y, Y + H, Reverse ? X + FIndent : X);
        break;
    case ltLeftBottom:
        DrawDottedVLine(PaintInfo, Y, Y + H, Reverse ? X + FIndent : X);
        DrawDottedHLine(PaintInfo, X, X + FIndent, Y + H);
        break;
    case ltNone:
        break;
    }
}

void TBaseVirtualTree::PaintTreeLines(const TVTPaintInfo& PaintInfo, int VAlignment, int IndentSize,
                                      const TLineImage& LineImage) {
    const bool reverse = PaintInfo.BidiMode != bdLeftToRight;
    int x = reverse ? PaintInfo.CellRect.right - FIndent : PaintInfo.CellRect.left;
    const int step = reverse ? -FIndent : FIndent;
    const int height = PaintInfo.Node->NodeHeight;
    HDC dc = PaintInfo.Canvas->GetHandle();
    if (FLineMode == lmNormal) {
        SetTextColor(dc, ColorToRGB(FColors->GetTreeLineColor()));
        for (int i = 0; i < IndentSize && i < int(LineImage.size()); ++i, x += step)
            DrawLineImage(PaintInfo, x, 0, height, VAlignment, LineImage[size_t(i)], reverse);
        return;
    }
    if (!PaintInfo.PaintOptions.Contains(poGridLines)) return;
    // Bands: every level gets a frame line that closes where the level ends.
    TLineImage bands(LineImage.size(), ltNone);
    const bool open = PaintInfo.Node->States.Contains(vsExpanded) &&
                      !PaintInfo.Node->States.Contains(vsAllChildrenHidden);
    for (int i = int(LineImage.size()) - 1; i >= 0; --i) {
        if (open) {
            bands[size_t(i)] = ltLeft;
            continue;
        }
        switch (LineImage[size_t(i)]) {
        case ltNone:
        case ltTopDown: {
            const bool copy = size_t(i + 1) < LineImage.size() &&
                              (LineImage[size_t(i + 1)] == ltNone ||
                               LineImage[size_t(i + 1)] == ltTopRight);
            bands[size_t(i)] = copy ? bands[size_t(i + 1)] : ltLeft;
            break;
        }
        case ltBottomRight:
        case ltTopDownRight:
        case ltRight:
        case ltTopRight:
            bands[size_t(i)] = ltLeftBottom;
            break;
        default:
            bands[size_t(i)] = ltNone;
            break;
        }
    }
    SetTextColor(dc, ColorToRGB(FColors->GetColor(TVTColors::GridLineColorIndex)));
    for (int i = 0; i < IndentSize && i < int(bands.size()); ++i, x += step)
        DrawLineImage(PaintInfo, x, 0, height - 1, VAlignment, bands[size_t(i)], reverse);
}

void TBaseVirtualTree::PaintNodeButton(TCanvas* Canvas, PVirtualNode Node, const TRect& R,
                                       int ButtonX, int ButtonY, TBiDiMode BidiMode) {
    TBitmap* bitmap = Node->States.Contains(vsExpanded) ? FMinusBM : FPlusBM;
    if (!bitmap) return;
    const int x = BidiMode == bdLeftToRight ? R.left + ButtonX
                                            : R.right - ButtonX - bitmap->GetWidth();
    Canvas->Draw(x, R.top + ButtonY, bitmap);
}

void TBaseVirtualTree::GetImageIndex(TVTPaintInfo& Info, TVTImageKind Kind,
                                     TVTImageInfoIndex InfoIndex, TCustomImageList* DefaultImages) {
    TVTImageInfo& image = Info.ImageInfo[InfoIndex];
    image.Index = -1;
    image.Ghosted = false;
    TCustomImageList* list = DoGetImageIndex(Info.Node, Kind, Info.Column, image.Ghosted, image.Index);
    image.Images = list ? list : DefaultImages;
}

void TBaseVirtualTree::PaintImage(TVTPaintInfo& PaintInfo, TVTImageInfoIndex ImageInfoIndex,
                                  bool DoOverlay) {
    PVirtualNode node = PaintInfo.Node;
    TVTImageInfo& info = PaintInfo.ImageInfo[ImageInfoIndex];
    if (!info.Images || info.Index < 0) return;
    const TVTPaintOptions paint = FOptions->GetPaintOptions();
    const TVTSelectionOptions selection = FOptions->GetSelectionOptions();
    const bool cut = node->States.Contains(vsCutOrCopy) && HasState(tsCutPending);
    const bool focusedLook = Focused() || paint.Contains(toGhostedIfUnfocused);
    int overlay = -1;
    if (DoOverlay) {
        bool ghosted = false;
        DoGetImageIndex(node, ikOverlay, PaintInfo.Column, ghosted, overlay);
    }
    const bool enabled = !node->States.Contains(vsDisabled) && GetEnabled();
    const bool selected = node->States.Contains(vsSelected);
    COLORREF blend = ColorToRGB(GetColor());
    if (selected && !info.Ghosted && !cut)
        blend = ColorToRGB(FColors->GetColor(focusedLook || paint.Contains(toPopupMode)
                                                 ? TVTColors::FocusedSelectionColorIndex
                                                 : TVTColors::UnfocusedSelectionColorIndex));
    UINT style = ILD_TRANSPARENT;
    if (overlay >= 0 && overlay <= 14) style |= INDEXTOOVERLAYMASK(overlay + 1);
    if (focusedLook && paint.Contains(toUseBlendedImages) &&
        (info.Ghosted ||
         (selected && !selection.Contains(toFullRowSelect) &&
          !FOptions->GetMiscOptions().Contains(toGridExtensions)) ||
         cut))
        style |= ILD_BLEND50;
    if (selected && !info.Ghosted) blend = CLR_DEFAULT;
    if (!enabled) {
        style |= ILD_BLEND50;
        blend = ColorToRGB(clBtnFace);
    }
    HDC dc = PaintInfo.Canvas->GetHandle();
    info.Images->DrawEx(dc, info.XPos, info.YPos, info.Index, CLR_NONE, blend, style);
    if (overlay >= 15)
        info.Images->DrawEx(dc, info.XPos, info.YPos, overlay, CLR_NONE, blend, style);
}

void TBaseVirtualTree::PaintCheckImage(const TVTPaintInfo& PaintInfo) {
    const TVTImageInfo& info = PaintInfo.ImageInfo[iiCheck];
    if (!info.Images || info.Index < 0) return;
    COLORREF foreground = ImageListColor(info.Images->GetBlendColor());
    if (PaintInfo.Node->States.Contains(vsSelected) && !info.Ghosted) {
        const bool focused = Focused() || FOptions->GetPaintOptions().Contains(toPopupMode);
        foreground = ColorToRGB(FColors->GetColor(focused ? TVTColors::FocusedSelectionColorIndex
                                                          : TVTColors::UnfocusedSelectionColorIndex));
    }
    info.Images->DrawEx(PaintInfo.Canvas->GetHandle(), info.XPos, info.YPos, info.Index,
                        ImageListColor(info.Images->GetBkColor()), foreground, ILD_TRANSPARENT);
}

// --- Cells -------------------------------------------------------------------------------------------

void TBaseVirtualTree::PrepareCell(TVTPaintInfo& PaintInfo, int WindowOrgX, int MaxWidth) {
    TCanvas* canvas = PaintInfo.Canvas;
    const bool useColumns = FHeader->UseColumns();
    if (PaintInfo.PaintOptions.Contains(poColumnColor) && useColumns) {
        canvas->GetBrush()->SetColor(FHeader->GetColumns()->GetItem(PaintInfo.Column)->GetColor());
        canvas->FillRect(PaintInfo.CellRect);
    }
    DoBeforeCellPaint(canvas, PaintInfo.Node, PaintInfo.Column, PaintInfo.CellRect);
    const TVTSelectionOptions selection = FOptions->GetSelectionOptions();
    const bool gridExtensions = FOptions->GetMiscOptions().Contains(toGridExtensions);
    if (PaintInfo.Column != FFocusedColumn && !selection.Contains(toFullRowSelect)) return;
    TRect inner = PaintInfo.ContentRect;
    if (!gridExtensions) {
        switch (PaintInfo.Alignment) {
        case taRightJustify:
            inner.left = inner.right - PaintInfo.NodeWidth;
            break;
        case taCenter:
            inner.left = (inner.left + inner.right - PaintInfo.NodeWidth) / 2;
            inner.right = inner.left + PaintInfo.NodeWidth;
            break;
        default:
            inner.right = inner.left + PaintInfo.NodeWidth;
            break;
        }
    }
    const bool focused = Focused() || FOptions->GetPaintOptions().Contains(toPopupMode);
    PVirtualNode node = PaintInfo.Node;
    if (PaintInfo.PaintOptions.Contains(poDrawSelection)) {
        const bool dropTarget = node == FDropTargetNode &&
                                (FLastDropMode == dmOnNode || node->States.Contains(vsSelected));
        bool paint = true;
        if (dropTarget) {
            canvas->GetBrush()->SetColor(FColors->GetColor(TVTColors::DropTargetColorIndex));
            canvas->GetPen()->SetColor(FColors->GetColor(TVTColors::DropTargetBorderColorIndex));
        } else if (node->States.Contains(vsSelected)) {
            canvas->GetBrush()->SetColor(FColors->GetColor(
                focused ? TVTColors::FocusedSelectionColorIndex
                        : TVTColors::UnfocusedSelectionColorIndex));
            canvas->GetPen()->SetColor(FColors->GetColor(
                focused ? TVTColors::FocusedSelectionBorderColorIndex
                        : TVTColors::UnfocusedSelectionBorderColorIndex));
        } else {
            paint = false;
        }
        if (paint) {
            TRect r = gridExtensions || selection.Contains(toFullRowSelect) ? PaintInfo.CellRect
                                                                              : inner;
            if (r.right > r.left) {
                if (MMXAvailable && FOptions->GetPaintOptions().Contains(toUseBlendedSelection)) {
                    TRect blend = r;
                    OffsetRect(&blend, -WindowOrgX, 0);
                    blend.left = std::max(0, blend.left);
                    blend.right = std::min(MaxWidth, blend.right);
                    AlphaBlend(nullptr, canvas->GetHandle(), blend, TPoint{blend.left + WindowOrgX, blend.top},
                               bmConstantAlphaAndColor, FSelectionBlendFactor,
                               int(ColorToRGB(canvas->GetBrush()->GetColor())));
                } else {
                    canvas->GetBrush()->SetStyle(bsSolid);
                    canvas->RoundRect(r.left, r.top, r.right, r.bottom, FSelectionCurveRadius,
                                      FSelectionCurveRadius);
                }
            }
        }
    }
    if (PaintInfo.PaintOptions.Contains(poDrawFocusRect) && PaintInfo.Column == FFocusedColumn &&
        node == FFocusedNode && focused) {
        HDC dc = canvas->GetHandle();
        const COLORREF text = SetTextColor(dc, RGB(255, 255, 255));
        const COLORREF back = SetBkColor(dc, RGB(0, 0, 0));
        RECT r = gridExtensions ? PaintInfo.CellRect : inner;
        DrawFocusRect(dc, &r);
        SetTextColor(dc, text);
        SetBkColor(dc, back);
    }
}

// The rubber band's part in one row: SelectionRect and TargetRect (the
// row) are in the row bitmap's logical coordinates, whose origin lies at
// WindowOrgX.
void TBaseVirtualTree::PaintSelectionRectangle(TCanvas* Target, int WindowOrgX,
                                               const TRect& SelectionRect, TRect TargetRect) {
    (void)WindowOrgX; // the blend maps logical to device coordinates itself
    TargetRect = OrderRect(TargetRect);
    HDC dc = Target->GetHandle();
    if (MMXAvailable && (FDrawSelectionMode == smBlendedRectangle || HasState(tsUseThemes))) {
        TRect blend;
        if (IntersectRect(&blend, &TargetRect, &SelectionRect))
            AlphaBlend(nullptr, dc, blend, TPoint{blend.left, blend.top}, bmConstantAlphaAndColor,
                       FSelectionBlendFactor,
                       int(ColorToRGB(FColors->GetColor(TVTColors::SelectionRectangleBlendColorIndex))));
        HBRUSH border = CreateSolidBrush(
            ColorToRGB(FColors->GetColor(TVTColors::SelectionRectangleBorderColorIndex)));
        RECT frame = SelectionRect;
        FrameRect(dc, &frame, border);
        DeleteObject(border);
        return;
    }
    const COLORREF text = SetTextColor(dc, RGB(255, 255, 255));
    const COLORREF back = SetBkColor(dc, RGB(0, 0, 0));
    RECT r = SelectionRect;
    DrawFocusRect(dc, &r);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

// --- The pipeline ----------------------------------------------------------------------------------

void TBaseVirtualTree::PaintTree(TCanvas* TargetCanvas, const TRect& Window, const TPoint& Target,
                                 TVTInternalPaintOptions PaintOptions, TPixelFormat PixelFormat) {
    if (HasState(tsPainting)) return;
    DoStateChange({tsPainting});
    TStateScope leave{this, {tsPainting}, [this](TVirtualTreeStates s) { DoStateChange({}, s); }};
    DoBeforePaint(TargetCanvas);
    if (!FPlusBM || !FDottedBrush) PrepareBitmaps(true, true);

    const TVTPaintOptions paint = FOptions->GetPaintOptions();
    const TVTSelectionOptions selection = FOptions->GetSelectionOptions();
    const TVTMiscOptions misc = FOptions->GetMiscOptions();
    if (paint.Contains(toAlwaysHideSelection) || (!Focused() && paint.Contains(toHideSelection)))
        PaintOptions.Exclude(poDrawSelection);
    if (paint.Contains(toHideFocusRect)) PaintOptions.Exclude(poDrawFocusRect);

    TBitmap rowBitmap;
    rowBitmap.SetPixelFormat(pf32bit);
    const int width = Window.right - Window.left;
    if (width <= 0 || Window.bottom <= Window.top) {
        DoAfterPaint(TargetCanvas);
        return;
    }
    TCanvas* canvas = rowBitmap.GetCanvas();
    canvas->Lock();
    struct TUnlock {
        TCanvas* C;
        ~TUnlock() { C->Unlock(); }
    } unlock{canvas};

    TVirtualTreeColumns* columns = FHeader->GetColumns();
    const bool useColumns = FHeader->UseColumns();
    const TColumnIndex mainColumn = GetMainColumn();
    const bool showImages = FImages != nullptr;
    const bool showStateImages = FStateImages != nullptr;
    const bool checkSupport = misc.Contains(toCheckSupport) && FCheckImages;
    HDC targetDC = TargetCanvas->GetHandle();

    // The rubber band, in content coordinates; each row draws its part.
    const TRect band = OrderRect(FNewSelRect);
    const bool drawBand = HasState(tsDrawSelecting) && !IsRectEmpty(&band);

    TVTPaintInfo info;
    info.Canvas = canvas;
    int nodeTop = 0;
    PVirtualNode node = GetNodeAt(0, Window.top, false, nodeTop);
    int rowTop = node ? nodeTop : Window.top;
    const int defaultRight = std::max<int>(Window.right, FRangeX);
    int rowHeight = -1;

    while (node && rowTop < Window.bottom) {
        if (!node->States.Contains(vsInitialized)) InitNode(node);
        if (misc.Contains(toVariableNodeHeight) && !node->States.Contains(vsHeightMeasured))
            MeasureItemHeight(canvas, node);
        const int selectLevel = InitializeLineImageAndSelectLevel(node, FLineImage);
        const int height = node->NodeHeight;
        if ((selectLevel > 0 || !PaintOptions.Contains(poSelectedOnly)) && height > 0) {
            if (height != rowHeight) {
                rowBitmap.SetSize(width, height);
                rowHeight = height;
            }
            HDC dc = canvas->GetHandle();
            SetWindowOrgEx(dc, Window.left, 0, nullptr);
            SetBrushOrgEx(dc, Window.left & 1, rowTop & 1, nullptr);
            info.Node = node;
            info.PaintOptions = PaintOptions;
            info.BrushOrigin = TPoint{Window.left & 1, rowTop & 1};
            int vAlign = 0, buttonY = 0;
            CalculateVerticalAlignments(showImages, showStateImages, node, vAlign, buttonY);
            const TRect itemRect{Window.left, 0, Window.right, height};
            if (!DoBeforeItemPaint(canvas, node, itemRect)) {
                TBitmap* picture = SolidBitmapFor(FBackground);
                ClearNodeBackground(info,
                                    PaintOptions.Contains(poBackground) &&
                                        paint.Contains(toShowBackground) && picture,
                                    true, TRect{Window.left, rowTop, Window.right, rowTop + height});
                const int levels = int(FLineImage.size());
                const int buttonX =
                    levels * FIndent +
                    int(std::nearbyint(double(FIndent - (FPlusBM ? FPlusBM->GetWidth() : 9)) / 2.0)) -
                    FIndent;
                // First cell.
                info.CellRect = TRect{0, 0, defaultRight, height};
                if (useColumns) {
                    InitializeFirstColumnValues(info);
                } else {
                    info.Column = NoColumn;
                    info.Position = 0;
                }
                while (true) {
                    TColumnIndex nextColumn = InvalidColumn;
                    TVirtualTreeColumn* column =
                        useColumns && columns->IsValidColumn(info.Column) ? columns->GetItem(info.Column)
                                                                          : nullptr;
                    info.PaintOptions = PaintOptions;
                    info.BidiMode = uint8_t(column ? column->GetBiDiMode() : GetBiDiMode());
                    TAlignment alignment = column ? column->GetAlignment() : taLeftJustify;
                    if (info.BidiMode != bdLeftToRight) {
                        if (alignment == taLeftJustify)
                            alignment = taRightJustify;
                        else if (alignment == taRightJustify)
                            alignment = taLeftJustify;
                    }
                    info.Alignment = uint8_t(alignment);
                    if (HasState(tsEditing) && node == FFocusedNode &&
                        (info.Column == FEditColumn || !useColumns))
                        info.PaintOptions.Exclude(poDrawSelection);
                    if (!useColumns ||
                        (node->States.Contains(vsSelected) && selection.Contains(toFullRowSelect) &&
                         info.PaintOptions.Contains(poDrawSelection)) ||
                        (column && column->GetOptions().Contains(coParentColor)))
                        info.PaintOptions.Exclude(poColumnColor);
                    const bool isMain = !useColumns || info.Column == mainColumn;
                    const bool skip = (column && !column->GetOptions().Contains(coVisible)) ||
                                      (PaintOptions.Contains(poMainOnly) && !isMain);
                    if (skip) {
                        nextColumn = columns->GetNextVisibleColumn(info.Column);
                    } else {
                        AdjustPaintCellRect(info, nextColumn);
                        if (!useColumns) nextColumn = InvalidColumn;
                    }
                    if (!skip && info.CellRect.right > Window.left) {
                        const TBiDiMode bidi = TBiDiMode(info.BidiMode);
                        info.NodeWidth = DoGetNodeWidth(node, info.Column, canvas);
                        info.ContentRect = info.CellRect;
                        if (bidi == bdLeftToRight)
                            info.ContentRect.left += FMargin;
                        else
                            info.ContentRect.right -= FMargin;
                        for (TVTImageInfo& image : info.ImageInfo) image = TVTImageInfo();
                        if (isMain && checkSupport) {
                            info.ImageInfo[iiCheck].Index = GetCheckImage(node);
                            info.ImageInfo[iiCheck].Images = FCheckImages;
                            if (info.ImageInfo[iiCheck].Index >= 0) {
                                AdjustImageBorder(FCheckImages, bidi, vAlign, info.ContentRect,
                                                  info.ImageInfo[iiCheck]);
                                info.ImageInfo[iiCheck].Ghosted = false;
                            }
                        }
                        GetImageIndex(info, ikState, iiState, FStateImages);
                        if (info.ImageInfo[iiState].Index >= 0 && info.ImageInfo[iiState].Images)
                            AdjustImageBorder(info.ImageInfo[iiState].Images, bidi, vAlign,
                                              info.ContentRect, info.ImageInfo[iiState]);
                        GetImageIndex(info, node->States.Contains(vsSelected) ? ikSelected : ikNormal,
                                      iiNormal, FImages);
                        if (info.ImageInfo[iiNormal].Index >= 0 && info.ImageInfo[iiNormal].Images)
                            AdjustImageBorder(info.ImageInfo[iiNormal].Images, bidi, vAlign,
                                              info.ContentRect, info.ImageInfo[iiNormal]);
                        if (isMain) AdjustCoordinatesByIndent(info, levels);
                        HDC cellDC = canvas->GetHandle();
                        if (useColumns)
                            IntersectClipRect(cellDC, info.CellRect.left, info.CellRect.top,
                                              info.CellRect.right, info.CellRect.bottom);
                        HDC gridDC = cellDC;
                        if (info.PaintOptions.Contains(poGridLines) &&
                            paint.Contains(toShowHorzGridLines)) {
                            SetTextColor(gridDC, ColorToRGB(FColors->GetColor(TVTColors::GridLineColorIndex)));
                            int left = info.CellRect.left, right = info.CellRect.right;
                            if (isMain && FLineMode == lmBands) {
                                if (bidi == bdLeftToRight)
                                    left = info.CellRect.left + levels * FIndent;
                                else
                                    right = info.CellRect.right - levels * FIndent;
                            }
                            DrawDottedHLine(info, left, right - 1, info.CellRect.bottom - 1);
                            --info.CellRect.bottom;
                            --info.ContentRect.bottom;
                        }
                        if (useColumns && info.PaintOptions.Contains(poGridLines) &&
                            paint.Contains(toShowVertGridLines) &&
                            (!FHeader->GetOptions().Contains(hoAutoResize) ||
                             info.Position + 1 < TColumnPosition(columns->GetCount()))) {
                            if (bidi == bdLeftToRight || !ColumnIsEmpty(node, info.Column)) {
                                SetTextColor(gridDC, ColorToRGB(FColors->GetColor(TVTColors::GridLineColorIndex)));
                                DrawDottedVLine(info, info.CellRect.top, info.CellRect.bottom,
                                                info.CellRect.right - 1);
                            }
                            --info.CellRect.right;
                            --info.ContentRect.right;
                        }
                        PrepareCell(info, Window.left, width);
                        if (isMain) {
                            if (paint.Contains(toShowTreeLines))
                                PaintTreeLines(info, vAlign, levels, FLineImage);
                            if (paint.Contains(toShowButtons) &&
                                node->States.Contains(vsHasChildren) &&
                                !(node->States.Contains(vsAllChildrenHidden) &&
                                  FOptions->GetAutoOptions().Contains(toAutoHideButtons)) &&
                                levels > 0)
                                PaintNodeButton(canvas, node, info.CellRect, buttonX, buttonY, bidi);
                            if (info.ImageInfo[iiCheck].Index >= 0) PaintCheckImage(info);
                        }
                        if (info.ImageInfo[iiState].Index >= 0) PaintImage(info, iiState, false);
                        if (info.ImageInfo[iiNormal].Index >= 0) PaintImage(info, iiNormal, true);
                        if (!(HasState(tsEditing) && node == FFocusedNode &&
                              (info.Column == FEditColumn || !useColumns))) {
                            // Lines and buttons left their colours in the DC:
                            // the content starts from the tree's font.
                            canvas->SetFont(GetFont());
                            SetTextColor(canvas->GetHandle(), ColorToRGB(GetFont()->GetColor()));
                            SetBkMode(canvas->GetHandle(), TRANSPARENT);
                            DoPaintNode(info);
                        }
                        DoAfterCellPaint(canvas, node, info.Column, info.CellRect);
                        if (useColumns) SelectClipRgn(canvas->GetHandle(), nullptr);
                    }
                    if (!columns->IsValidColumn(nextColumn) || info.CellRect.right >= Window.right)
                        break;
                    TVirtualTreeColumn* next = columns->GetItem(nextColumn);
                    info.Column = nextColumn;
                    info.Position = next->GetPosition();
                    info.CellRect = TRect{next->FLeft, 0, next->FLeft + next->GetWidth(), height};
                }
            }
            DoAfterItemPaint(canvas, node, itemRect);
            if (node == FDropTargetNode && paint.Contains(toShowDropmark) &&
                PaintOptions.Contains(poDrawDropMark))
                DoPaintDropMark(canvas, node, itemRect);
            if (drawBand) {
                TRect rowBand = band;
                OffsetRect(&rowBand, 0, -rowTop);
                PaintSelectionRectangle(canvas, Window.left, rowBand,
                                        TRect{Window.left, 0, Window.right, height});
            }
            SetWindowOrgEx(canvas->GetHandle(), 0, 0, nullptr);
            BitBlt(targetDC, Target.x, Target.y + rowTop - Window.top, width, height,
                   canvas->GetHandle(), 0, 0, SRCCOPY);
        }
        rowTop += height;
        node = GetNextVisible(node);
    }

    // Below the last node.
    if (rowTop < Window.bottom) {
        const TRect rest{Window.left, rowTop, Window.right, Window.bottom};
        if (!DoPaintBackground(TargetCanvas, rest)) {
            rowBitmap.SetSize(width, Window.bottom - rowTop);
            HDC dc = canvas->GetHandle();
            SetWindowOrgEx(dc, Window.left, rowTop, nullptr);
            TBitmap* picture = SolidBitmapFor(FBackground);
            if (PaintOptions.Contains(poBackground) && paint.Contains(toShowBackground) && picture) {
                if (paint.Contains(toStaticBackground))
                    StaticBackground(picture, canvas, TPoint{-FEffectiveOffsetX + Window.left - Window.left, 0}, rest);
                else
                    TileBackground(picture, canvas, TPoint{0, 0}, rest);
            } else if (useColumns) {
                int right = Window.left;
                for (TVirtualTreeColumn* column : columns->GetVisibleColumns()) {
                    TRect strip{column->FLeft, rowTop, column->FLeft + column->GetWidth(), Window.bottom};
                    canvas->GetBrush()->SetColor(column->GetOptions().Contains(coParentColor)
                                                     ? GetColor()
                                                     : column->GetColor());
                    canvas->FillRect(strip);
                    right = strip.right;
                    if (paint.Contains(toShowVertGridLines) && paint.Contains(toFullVertGridLines) &&
                        !(FHeader->GetOptions().Contains(hoAutoResize) &&
                          column->GetIndex() == columns->GetCount() - 1)) {
                        TVTPaintInfo lines;
                        lines.Canvas = canvas;
                        SetTextColor(dc, ColorToRGB(FColors->GetColor(TVTColors::GridLineColorIndex)));
                        DrawDottedVLine(lines, rowTop, Window.bottom, strip.right - 1);
                    }
                }
                if (right < Window.right) {
                    canvas->GetBrush()->SetColor(GetColor());
                    canvas->FillRect(TRect{right, rowTop, Window.right, Window.bottom});
                }
            } else {
                canvas->GetBrush()->SetColor(GetColor());
                canvas->FillRect(rest);
            }
            if (drawBand) PaintSelectionRectangle(canvas, Window.left, band, rest);
            SetWindowOrgEx(dc, 0, 0, nullptr);
            BitBlt(targetDC, Target.x, Target.y + rowTop - Window.top, width, Window.bottom - rowTop,
                   dc, 0, 0, SRCCOPY);
        }
    }
    DoAfterPaint(TargetCanvas);
}

void TBaseVirtualTree::Paint() {
    TCanvas* canvas = GetCanvas();
    FUpdateRect = canvas->GetClipRect();
    if (IsRectEmpty(&FUpdateRect)) return;
    const int rtlOffset =
        UseRightToLeftAlignment() && FHeader->UseColumns() ? ComputeRTLOffset(true) : 0;
    const int fixed = FHeader->GetColumns()->GetVisibleFixedWidth();
    TRect client = GetClientRect();
    if (fixed > 0) {
        TRect strip{client.left, FUpdateRect.top, std::min<int>(fixed, FUpdateRect.right),
                    FUpdateRect.bottom};
        if (strip.right > std::max<int>(strip.left, FUpdateRect.left)) {
            strip.left = std::max<int>(strip.left, FUpdateRect.left);
            TRect window = strip;
            OffsetRect(&window, -rtlOffset, -FOffsetY);
            PaintTree(canvas, window, TPoint{strip.left, strip.top}, WindowPaintOptions, pfDevice);
        }
        if (client.right > fixed) {
            TRect rest{std::max<int>(fixed, FUpdateRect.left), FUpdateRect.top, FUpdateRect.right,
                       FUpdateRect.bottom};
            if (rest.right > rest.left) {
                TRect window = rest;
                OffsetRect(&window, FEffectiveOffsetX - rtlOffset, -FOffsetY);
                PaintTree(canvas, window, TPoint{rest.left, rest.top}, WindowPaintOptions, pfDevice);
            }
        }
        return;
    }
    TRect window = FUpdateRect;
    OffsetRect(&window, FEffectiveOffsetX - rtlOffset, -FOffsetY);
    PaintTree(canvas, window, TPoint{FUpdateRect.left, FUpdateRect.top}, WindowPaintOptions,
              pfDevice);
}

// --- Non-client painting and printing -----------------------------------------------------------------

void TBaseVirtualTree::PaintHeaderStrip(HDC DC) {
    if (!FHeader->GetOptions().Contains(hoVisible)) return;
    RECT window;
    GetWindowRect(GetHandle(), &window);
    POINT origin{0, 0};
    ::ClientToScreen(GetHandle(), &origin);
    const int left = origin.x - window.left;
    const int top = origin.y - window.top - FHeader->GetHeight();
    const int saved = SaveDC(DC);
    // The header paints in its own coordinates: x from the columns' origin, y from 0.
    SetWindowOrgEx(DC, -left, -top, nullptr);
    IntersectClipRect(DC, 0, 0, GetClientWidth(), FHeader->GetHeight());
    FHeader->GetColumns()->PaintHeader(DC, TRect{0, 0, GetClientWidth(), FHeader->GetHeight()},
                                       FEffectiveOffsetX);
    RestoreDC(DC, saved);
}

void TBaseVirtualTree::WMNCPaint(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (!HandleAllocated() || !FHeader->GetOptions().Contains(hoVisible)) return;
    HDC dc = GetDCEx(GetHandle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_WINDOW | DCX_VALIDATE);
    if (!dc) return;
    PaintHeaderStrip(dc);
    ReleaseDC(GetHandle(), dc);
}

void TBaseVirtualTree::WMPrint(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    const bool checkVisible = (Message.LParam & PRF_CHECKVISIBLE) != 0;
    if (dc && (Message.LParam & PRF_NONCLIENT) && (!checkVisible || IsWindowVisible(GetHandle())))
        PaintHeaderStrip(dc);
    TCustomControl::Dispatch(Message);
}

void TBaseVirtualTree::WMPrintClient(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (!dc) return;
    TCanvas canvas;
    canvas.SetHandle(dc);
    TRect client = GetClientRect();
    TRect window = client;
    OffsetRect(&window, FEffectiveOffsetX, -FOffsetY);
    PaintTree(&canvas, window, TPoint{0, 0}, PrintPaintOptions, pfDevice);
    canvas.SetHandle(nullptr);
    Message.Result = 0;
}
