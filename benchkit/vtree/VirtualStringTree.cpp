// The string tree: cells show text asked from the application at every
// paint; the main column's width is cached per node.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Canvas.h>
#include <quorlpak/Font.h>
#include <runpak/TypeInfo.h>

#include <algorithm>

namespace {

TCustomVirtualTreeOptions* MakeStringOptions(TBaseVirtualTree* Owner) {
    return new TStringTreeOptions(Owner);
}

int TextExtent(HDC DC, const UnicodeString& Text) {
    SIZE size{};
    GetTextExtentPoint32W(DC, reinterpret_cast<LPCWSTR>(Text.c_str()), int(Text.length()), &size);
    return size.cx;
}

UINT AlignmentFlag(uint8_t Alignment) {
    if (Alignment == taRightJustify) return DT_RIGHT;
    if (Alignment == taCenter) return DT_CENTER;
    return DT_LEFT;
}

} // namespace

// --- Options --------------------------------------------------------------------------------------

TCustomStringTreeOptions::TCustomStringTreeOptions(TBaseVirtualTree* AOwner)
    : TCustomVirtualTreeOptions(AOwner) {}

TClass TCustomStringTreeOptions::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomStringTreeOptions>(
        u"TCustomStringTreeOptions", TCustomVirtualTreeOptions::StaticClass()));
    return &meta;
}

TClass TStringTreeOptions::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TStringTreeOptions>(u"TStringTreeOptions", TCustomStringTreeOptions::StaticClass()));
    return &meta;
}

void TCustomStringTreeOptions::SetStringOptions(TVTStringOptions Value) {
    if (FStringOptions == Value) return;
    const bool staticChanged =
        FStringOptions.Contains(toShowStaticText) != Value.Contains(toShowStaticText);
    FStringOptions = Value;
    if (staticChanged && FOwner->HandleAllocated() &&
        !FOwner->GetComponentState().Contains(csLoading))
        FOwner->Invalidate();
}

void TCustomStringTreeOptions::AssignTo(TPersistent* Dest) {
    if (auto* other = dynamic_cast<TCustomStringTreeOptions*>(Dest))
        other->SetStringOptions(FStringOptions);
    TCustomVirtualTreeOptions::AssignTo(Dest);
}

// --- The tree -----------------------------------------------------------------------------------

TCustomVirtualStringTree::TCustomVirtualStringTree(TComponent* AOwner)
    : TBaseVirtualTree(AOwner, MakeStringOptions) {
    FInternalDataOffset = AllocateInternalDataArea(4);
}

TClass TCustomVirtualStringTree::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomVirtualStringTree>(
        u"TCustomVirtualStringTree", TBaseVirtualTree::StaticClass()));
    return &meta;
}

TClass TVirtualStringTree::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TVirtualStringTree>(
        u"TVirtualStringTree", TCustomVirtualStringTree::StaticClass()));
    return &meta;
}

void* TCustomVirtualStringTree::InternalData(PVirtualNode Node) {
    if (!Node || Node == FRoot) return nullptr;
    // The offset counts from the node's start.
    return reinterpret_cast<uint8_t*>(Node) + FInternalDataOffset;
}

namespace {
int32_t* CachedWidth(void* Area) {
    return static_cast<int32_t*>(Area);
}
} // namespace

UnicodeString TCustomVirtualStringTree::GetText(PVirtualNode Node, TColumnIndex Column) {
    if (!Node || Node == FRoot) return UnicodeString();
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    UnicodeString text = FDefaultText;
    DoGetText(Node, Column, ttNormal, text);
    return text;
}

void TCustomVirtualStringTree::SetText(PVirtualNode Node, TColumnIndex Column,
                                       const UnicodeString& Value) {
    DoNewText(Node, Column, Value);
    InvalidateNode(Node);
}

void TCustomVirtualStringTree::SetDefaultText(const UnicodeString& Value) {
    if (FDefaultText == Value) return;
    FDefaultText = Value;
    if (!GetComponentState().Contains(csLoading)) {
        ResetNodeWidths(nullptr, true);
        Invalidate();
    }
}

void TCustomVirtualStringTree::DoGetText(PVirtualNode Node, TColumnIndex Column,
                                         TQOZTextType TextType, UnicodeString& Text) {
    if (OnGetText) OnGetText(this, Node, Column, TextType, Text);
}

void TCustomVirtualStringTree::DoNewText(PVirtualNode Node, TColumnIndex Column,
                                         const UnicodeString& Text) {
    if (OnNewText) OnNewText(this, Node, Column, Text);
    if (FUpdateCount == 0) UpdateHorizontalScrollBar(true);
}

void TCustomVirtualStringTree::DoPaintText(PVirtualNode Node, TCanvas* Canvas, TColumnIndex Column,
                                           TQOZTextType TextType) {
    if (OnPaintText) OnPaintText(this, Canvas, Node, Column, TextType);
}

UnicodeString TCustomVirtualStringTree::DoShortenString(TCanvas* Canvas, PVirtualNode Node,
                                                        TColumnIndex Column, const UnicodeString& S,
                                                        int Width, int EllipsisWidth) {
    UnicodeString result;
    bool done = false;
    if (OnShortenString) OnShortenString(this, Canvas, Node, Column, S, Width, result, done);
    if (done) return result;
    return ShortenString(Canvas->GetHandle(), S, Width, EllipsisWidth);
}

void TCustomVirtualStringTree::DoTextDrawing(TVTPaintInfo& PaintInfo, const UnicodeString& Text,
                                             TRect CellRect, UINT DrawFormat) {
    RECT r = CellRect;
    DrawTextW(PaintInfo.Canvas->GetHandle(), reinterpret_cast<LPCWSTR>(Text.c_str()),
              int(Text.length()), &r, DrawFormat);
}

int TCustomVirtualStringTree::DoTextMeasuring(TCanvas* Canvas, PVirtualNode Node,
                                              TColumnIndex Column, const UnicodeString& Text) {
    return TextExtent(Canvas->GetHandle(), Text);
}

int TCustomVirtualStringTree::CalculateTextWidth(TCanvas* Canvas, PVirtualNode Node,
                                                 TColumnIndex Column, const UnicodeString& Text) {
    int result = 2 * FTextMargin;
    if (Text.empty()) return result;
    Canvas->SetFont(GetFont());
    DoPaintText(Node, Canvas, Column, ttNormal);
    return result + DoTextMeasuring(Canvas, Node, Column, Text);
}

int TCustomVirtualStringTree::DoGetNodeWidth(PVirtualNode Node, TColumnIndex Column,
                                             TCanvas* Canvas) {
    if (Node && Node->States.Contains(vsMultiline) && FHeader->GetColumns()->IsValidColumn(Column))
        return FHeader->GetColumns()->GetItem(Column)->GetWidth();
    if (!Canvas) Canvas = GetCanvas();
    const bool main = Column == GetMainColumn() || !FHeader->UseColumns();
    if (!main) return CalculateTextWidth(Canvas, Node, Column, GetText(Node, Column));
    void* area = InternalData(Node);
    if (!area) return 0;
    int32_t* width = CachedWidth(area);
    if (*width == 0) *width = CalculateTextWidth(Canvas, Node, Column, GetText(Node, Column));
    return *width;
}

void TCustomVirtualStringTree::ResetNodeWidths(PVirtualNode Node, bool Recursive) {
    auto reset = [this](PVirtualNode N) {
        if (void* area = InternalData(N)) *CachedWidth(area) = 0;
    };
    if (!Node) {
        for (PVirtualNode run = GetFirstNoInit(); run; run = GetNextNoInit(run)) reset(run);
        return;
    }
    reset(Node);
    if (!Recursive) return;
    PVirtualNode stop = Node;
    for (PVirtualNode run = GetNextNoInit(Node); run && HasAsParent(run, stop);
         run = GetNextNoInit(run))
        reset(run);
}

void TCustomVirtualStringTree::InvalidateNode(PVirtualNode Node) {
    if (Node && Node != FRoot) {
        if (void* area = InternalData(Node)) *CachedWidth(area) = 0;
        Node->States.Exclude(vsHeightMeasured);
    }
    TBaseVirtualTree::InvalidateNode(Node);
}

void TCustomVirtualStringTree::MainColumnChanged() {
    ResetNodeWidths(nullptr, true);
    TBaseVirtualTree::MainColumnChanged();
}

void TCustomVirtualStringTree::MeasureFont() {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    FTextHeight = metrics.tmHeight;
    FEllipsisWidth = TextExtent(dc, u"...");
    SelectObject(dc, old);
    DeleteDC(dc);
}

void TCustomVirtualStringTree::CreateWnd() {
    TBaseVirtualTree::CreateWnd();
    MeasureFont();
}

void TCustomVirtualStringTree::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_SETFONT || Message.Msg == CM_FONTCHANGED) {
        TBaseVirtualTree::Dispatch(Message);
        // Every text takes another width in another font.
        MeasureFont();
        ResetNodeWidths(nullptr, true);
        return;
    }
    TBaseVirtualTree::Dispatch(Message);
}

bool TCustomVirtualStringTree::ColumnIsEmpty(PVirtualNode Node, TColumnIndex Column) {
    if (!GetText(Node, Column).empty()) return false;
    return TBaseVirtualTree::ColumnIsEmpty(Node, Column);
}

void TCustomVirtualStringTree::AdjustPaintCellRect(TVTPaintInfo& PaintInfo,
                                                   TColumnIndex& NextColumn) {
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    if (!FOptions->GetAutoOptions().Contains(toAutoSpanColumns) || !FHeader->UseColumns() ||
        PaintInfo.BidiMode != bdLeftToRight) {
        TBaseVirtualTree::AdjustPaintCellRect(PaintInfo, NextColumn);
        return;
    }
    NextColumn = columns->GetNextVisibleColumn(PaintInfo.Column);
    while (columns->IsValidColumn(NextColumn)) {
        TVirtualTreeColumn* next = columns->GetItem(NextColumn);
        if (!ColumnIsEmpty(PaintInfo.Node, NextColumn) || next->GetBiDiMode() != bdLeftToRight)
            break;
        PaintInfo.CellRect.right += next->GetWidth();
        NextColumn = columns->GetNextVisibleColumn(NextColumn);
    }
}

int TCustomVirtualStringTree::ComputeNodeHeight(TCanvas* Canvas, PVirtualNode Node,
                                                TColumnIndex Column, const UnicodeString& S) {
    const UnicodeString text = S.empty() ? GetText(Node, Column) : S;
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    TBiDiMode bidi = GetBiDiMode();
    TAlignment alignment = taLeftJustify;
    int width = GetClientWidth();
    if (columns->IsValidColumn(Column)) {
        bidi = columns->GetItem(Column)->GetBiDiMode();
        alignment = columns->GetItem(Column)->GetAlignment();
        width = columns->GetItem(Column)->GetWidth();
    }
    UINT format = DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK;
    if (bidi != bdLeftToRight) {
        format |= DT_RTLREADING | DT_RIGHT;
    } else {
        format |= AlignmentFlag(uint8_t(alignment));
    }
    TVTPaintInfo info;
    info.Node = Node;
    info.Column = Column;
    info.BidiMode = uint8_t(bidi);
    info.CellRect = TRect{0, 0, width, 0};
    TColumnIndex next = InvalidColumn;
    if (columns->IsValidColumn(Column)) AdjustPaintCellRect(info, next);
    RECT r = info.CellRect;
    if (!Canvas) Canvas = GetCanvas();
    DrawTextW(Canvas->GetHandle(), reinterpret_cast<LPCWSTR>(text.c_str()), int(text.length()), &r,
              format);
    return r.bottom - r.top;
}

UnicodeString TCustomVirtualStringTree::Path(PVirtualNode Node, TColumnIndex Column,
                                             TQOZTextType TextType, char16_t Delimiter) {
    UnicodeString result(1, Delimiter);
    if (!Node || Node == FRoot) return result;
    result.clear();
    for (PVirtualNode run = Node; run && run != FRoot; run = run->Parent) {
        UnicodeString text = TextType == ttNormal ? GetText(run, Column) : UnicodeString();
        if (TextType == ttStatic) DoGetText(run, Column, ttStatic, text);
        result = text + Delimiter + result;
    }
    return result;
}

// --- Painting ---------------------------------------------------------------------------------------

void TCustomVirtualStringTree::InitializeTextProperties(TVTPaintInfo& PaintInfo) {
    TCanvas* canvas = PaintInfo.Canvas;
    canvas->SetFont(GetFont());
    if (FOptions->GetPaintOptions().Contains(toHotTrack) && PaintInfo.Node == FCurrentHotNode) {
        TFontStyles style = canvas->GetFont()->GetStyle();
        style.Include(fsUnderline);
        canvas->GetFont()->SetStyle(style);
        canvas->GetFont()->SetColor(FColors->GetColor(TVTColors::HotColorIndex));
    }
    if (!PaintInfo.PaintOptions.Contains(poDrawSelection)) return;
    if (PaintInfo.Column != FFocusedColumn &&
        !FOptions->GetSelectionOptions().Contains(toFullRowSelect))
        return;
    PVirtualNode node = PaintInfo.Node;
    const bool selected = node->States.Contains(vsSelected);
    if (node == FDropTargetNode) {
        if (FLastDropMode == dmOnNode || selected) canvas->GetFont()->SetColor(clHighlightText);
    } else if (selected && (Focused() || FOptions->GetPaintOptions().Contains(toPopupMode))) {
        canvas->GetFont()->SetColor(clHighlightText);
    }
}

void TCustomVirtualStringTree::PaintNormalText(TVTPaintInfo& PaintInfo, const UnicodeString& Text) {
    InitializeTextProperties(PaintInfo);
    TCanvas* canvas = PaintInfo.Canvas;
    TRect r = PaintInfo.ContentRect;
    r.left += FTextMargin;
    r.right -= FTextMargin;
    canvas->SetTextFlags(0);
    PVirtualNode node = PaintInfo.Node;
    const bool disabled = node->States.Contains(vsDisabled) || !GetEnabled();
    const bool rtl = PaintInfo.BidiMode != bdLeftToRight;
    UnicodeString text = Text;
    UINT format;
    if (node->States.Contains(vsMultiline)) {
        DoPaintText(node, canvas, PaintInfo.Column, ttNormal);
        if (disabled) canvas->GetFont()->SetColor(FColors->GetColor(TVTColors::DisabledColorIndex));
        format = AlignmentFlag(PaintInfo.Alignment) | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL |
                 DT_END_ELLIPSIS;
    } else {
        FFontChanged = false;
        const TFontStyles oldStyle = canvas->GetFont()->GetStyle();
        const int oldHeight = canvas->GetFont()->GetHeight();
        const UnicodeString oldName = canvas->GetFont()->GetName();
        DoPaintText(node, canvas, PaintInfo.Column, ttNormal);
        FFontChanged = !(oldStyle == canvas->GetFont()->GetStyle()) ||
                       oldHeight != canvas->GetFont()->GetHeight() ||
                       oldName != canvas->GetFont()->GetName();
        int ellipsis = FEllipsisWidth;
        if (FFontChanged) {
            ellipsis = 0;
            PaintInfo.NodeWidth = TextExtent(canvas->GetHandle(), text) + 2 * FTextMargin;
        }
        if (disabled) canvas->GetFont()->SetColor(FColors->GetColor(TVTColors::DisabledColorIndex));
        format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        if (PaintInfo.Column == NoColumn) {
            format |= AlignmentFlag(PaintInfo.Alignment);
        } else if (r.right - r.left < PaintInfo.NodeWidth - 2 * FTextMargin) {
            text = DoShortenString(canvas, node, PaintInfo.Column, text, r.right - r.left, ellipsis);
            // A shortened text is drawn from its start; only right alignment stays.
            if (PaintInfo.Alignment == taRightJustify) format |= DT_RIGHT;
        } else {
            format |= AlignmentFlag(PaintInfo.Alignment);
        }
    }
    if (rtl) format |= DT_RTLREADING;
    HDC dc = canvas->GetHandle();
    SetBkMode(dc, (canvas->GetTextFlags() & ETO_OPAQUE) ? OPAQUE : TRANSPARENT);
    SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
    DoTextDrawing(PaintInfo, text, r, format);
}

void TCustomVirtualStringTree::PaintStaticText(TVTPaintInfo& PaintInfo, const UnicodeString& Text) {
    TCanvas* canvas = PaintInfo.Canvas;
    canvas->SetFont(GetFont());
    PVirtualNode node = PaintInfo.Node;
    if (FOptions->GetSelectionOptions().Contains(toFullRowSelect)) {
        const bool selected = node->States.Contains(vsSelected);
        if ((node == FDropTargetNode && (FLastDropMode == dmOnNode || selected)) ||
            (selected && (Focused() || FOptions->GetPaintOptions().Contains(toPopupMode))))
            canvas->GetFont()->SetColor(clHighlightText);
    }
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    DoPaintText(node, canvas, PaintInfo.Column, ttStatic);
    if (node->States.Contains(vsDisabled) || !GetEnabled())
        canvas->GetFont()->SetColor(FColors->GetColor(TVTColors::DisabledColorIndex));
    TRect r = PaintInfo.ContentRect;
    if (PaintInfo.Alignment == taRightJustify)
        r.right -= PaintInfo.NodeWidth + FTextMargin;
    else
        r.left += PaintInfo.NodeWidth + FTextMargin;
    HDC dc = canvas->GetHandle();
    SetBkMode(dc, (canvas->GetTextFlags() & ETO_OPAQUE) ? OPAQUE : TRANSPARENT);
    SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
    RECT rect = r;
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(Text.c_str()), int(Text.length()), &rect, format);
}

void TCustomVirtualStringTree::DoPaintNode(TVTPaintInfo& PaintInfo) {
    const UnicodeString text = GetText(PaintInfo.Node, PaintInfo.Column);
    if (!text.empty()) PaintNormalText(PaintInfo, text);
    if (PaintInfo.Alignment != taCenter && !PaintInfo.Node->States.Contains(vsMultiline) &&
        GetStringTreeOptions()->GetStringOptions().Contains(toShowStaticText)) {
        UnicodeString staticText;
        DoGetText(PaintInfo.Node, PaintInfo.Column, ttStatic, staticText);
        if (!staticText.empty()) PaintStaticText(PaintInfo, staticText);
    }
}

// --- Owner-draw tree ------------------------------------------------------------------------------

TClass TCustomVirtualDrawTree::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomVirtualDrawTree>(
        u"TCustomVirtualDrawTree", TBaseVirtualTree::StaticClass()));
    return &meta;
}

TClass TZombieTestableVirtualDrawTree::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TZombieTestableVirtualDrawTree>(
        u"TZombieTestableVirtualDrawTree", TCustomVirtualDrawTree::StaticClass()));
    return &meta;
}

TClass TVirtualDrawTree::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TVirtualDrawTree>(
        u"TVirtualDrawTree", TZombieTestableVirtualDrawTree::StaticClass()));
    return &meta;
}

void TCustomVirtualDrawTree::DoPaintNode(TVTPaintInfo& PaintInfo) {
    if (OnDrawNode) OnDrawNode(this, PaintInfo);
}

int TCustomVirtualDrawTree::DoGetNodeWidth(PVirtualNode Node, TColumnIndex Column, TCanvas* Canvas) {
    int width = 2 * FTextMargin;
    if (!Canvas) Canvas = GetCanvas();
    if (OnGetNodeWidth) OnGetNodeWidth(this, Canvas, Node, Column, width);
    return width;
}

void TCustomVirtualDrawTree::DoGetHintSize(PVirtualNode Node, TColumnIndex Column, TRect& R) {
    if (OnGetHintSize) OnGetHintSize(this, Node, Column, R);
}

void TCustomVirtualDrawTree::DoDrawHint(TCanvas* Canvas, PVirtualNode Node, const TRect& R,
                                        TColumnIndex Column) {
    if (OnDrawHint) OnDrawHint(this, Canvas, Node, R, Column);
}

UnicodeString TZombieTestableVirtualDrawTree::ZombieGetText(PVirtualNode Node, TColumnIndex Column) {
    if (!Node || Node == FRoot) return UnicodeString();
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    UnicodeString text;
    ZombieDoGetText(Node, Column, ttNormal, text);
    return text;
}

void TZombieTestableVirtualDrawTree::ZombieDoGetText(PVirtualNode Node, TColumnIndex Column,
                                                     TQOZTextType TextType, UnicodeString& Text) {
    if (ZombieOnGetText) ZombieOnGetText(this, Node, Column, TextType, Text);
}
