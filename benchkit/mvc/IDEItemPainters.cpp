#include "benchkit/mvc/IDEItemPainters.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <runpak/Exceptions.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

TRect ToRect(const TRectangle& R) { return Bounds(R.Left, R.Top, R.Width, R.Height); }

// The site's alignment, or the painter's when there is no site or the site
// answers nothing.
TAlignmentSet EffectiveAlignment(IItemPaintSite* Site, TAlignmentSet Own) {
    if (!Site) return Own;
    TAlignmentSet a = Site->GetAlignment();
    return a.Empty() ? Own : a;
}

// Every text painter of the process shares the last good measurement, to
// estimate sizes on a canvas that cannot measure.
struct TTextEstimate {
    bool Known = false;
    double AverageCharWidth = 0;
    int LastHeight = 0;
};
TTextEstimate& Estimate() {
    static TTextEstimate estimate;
    return estimate;
}

struct TBrushColorKeeper {
    TCanvas* Canvas;
    TColor Saved;
    explicit TBrushColorKeeper(TCanvas* C) : Canvas(C), Saved(C->GetBrush()->GetColor()) {}
    ~TBrushColorKeeper() { Canvas->GetBrush()->SetColor(Saved); }
};

} // namespace

HRESULT TBasicItemPaintSite::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemPaintSite>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

// --- Formatter ------------------------------------------------------------------------------

UnicodeString TItemFormatter::Format(IInterface* Data) {
    return InterfaceCast<IStringObject>(Data)->GetString();
}

InterfacePtr<IInterface> TItemFormatter::Parse(const UnicodeString& Text) {
    return InterfacePtr<IInterface>(static_cast<IStringObject*>(new TTextObject(Text)));
}

// --- Image painters -------------------------------------------------------------------------

HRESULT TImagePainterBase::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemPainter>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

TRectangle TImagePainterBase::Place(IItemPaintSite* Site, int W, int H,
                                    const TRectangle& R) const {
    TAlignmentSet a = EffectiveAlignment(Site, FAlignment);
    TRectangle p{R.Left, R.Top, W, H};
    if (a.Contains(aHorzStretch)) p.Width = R.Width;
    else if (a.Contains(aRight))
        p.Left = R.Left + R.Width - W;
    else if (a.Contains(aCenter))
        p.Left = R.Left + (R.Width - W) / 2;
    if (a.Contains(aVertStretch)) p.Height = R.Height;
    else if (a.Contains(aBottom))
        p.Top = R.Top + R.Height - H;
    else if (a.Contains(aMiddle))
        p.Top = R.Top + (R.Height - H) / 2;
    return p;
}

void TImagePainterBase::FillAround(TCanvas* Canvas, const TRectangle& R, const TRectangle& P) {
    auto fill = [&](int l, int t, int w, int h) {
        if (w > 0 && h > 0) Canvas->FillRect(Bounds(l, t, w, h));
    };
    fill(R.Left, R.Top, P.Left - R.Left, R.Height);
    fill(std::max(P.Left, R.Left), R.Top, P.Width, P.Top - R.Top);
    fill(P.Left + P.Width, R.Top, R.Left + R.Width - P.Left - P.Width, R.Height);
    fill(P.Left, P.Top + P.Height, P.Width, R.Top + R.Height - P.Top - P.Height);
}

TBitmap* TImageItemPainter::GetImage(IInterface* Data, TItemState States) {
    InterfacePtr<IImageObject> image;
    if (!Data || !Supports(Data, image)) return nullptr;
    return image->GetImage();
}

TDimension TImageItemPainter::GetPreferredSize(IInterface* Data, TCanvas* Canvas,
                                               IItemPaintSite* Site, TItemState States) {
    TBitmap* image = GetImage(Data, States);
    return image ? Dimension(image->GetWidth(), image->GetHeight()) : Dimension(0, 0);
}

void TImageItemPainter::Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                              TItemState States, const TRectangle& Rect) {
    TBrushColorKeeper keep(Canvas);
    if (Site) Canvas->GetBrush()->SetColor(Site->GetBackground());
    TBitmap* image = GetImage(Data, States);
    if (!image) {
        Canvas->FillRect(ToRect(Rect));
        return;
    }
    TRectangle p = Place(Site, image->GetWidth(), image->GetHeight(), Rect);
    Canvas->BrushCopy(ToRect(p), image, ::Rect(0, 0, image->GetWidth(), image->GetHeight()),
                      image->GetTransparentColor());
    FillAround(Canvas, Rect, p);
}

TDimension TCustomImageItemPainter::GetPreferredSize(IInterface* Data, TCanvas* Canvas,
                                                     IItemPaintSite* Site, TItemState States) {
    return GetImageSize(Data, States);
}

void TCustomImageItemPainter::Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                    TItemState States, const TRectangle& Rect) {
    TBrushColorKeeper keep(Canvas);
    if (Site) Canvas->GetBrush()->SetColor(Site->GetBackground());
    TDimension size = GetImageSize(Data, States);
    TRectangle p = Place(Site, size.Width, size.Height, Rect);
    Draw(Data, Canvas, Site, States, p);
    FillAround(Canvas, Rect, p);
}

// --- Focus decorator ------------------------------------------------------------------------

HRESULT TFocusableItemPainter::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemPainter>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

TDimension TFocusableItemPainter::GetPreferredSize(IInterface* Data, TCanvas* Canvas,
                                                   IItemPaintSite* Site, TItemState States) {
    return FPainter ? FPainter->GetPreferredSize(Data, Canvas, Site, States) : Dimension(0, 0);
}

void TFocusableItemPainter::Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                  TItemState States, const TRectangle& Rect) {
    if (FPainter) FPainter->Paint(Data, Canvas, Site, States, Rect);
    if (!States.Contains(isFocused)) return;
    const bool selected = States.Contains(isSelected);
    Canvas->GetBrush()->SetColor(selected ? clBlack : clWhite);
    Canvas->GetPen()->SetColor(selected ? clHighlight : clBlack);
    Canvas->DrawFocusRect(ToRect(Rect));
}

// --- Text painters --------------------------------------------------------------------------

TTextItemPainter::TTextItemPainter(TAlignmentSet Alignment, TInsets* Margins,
                                   TItemFormatter* Formatter)
    : FAlignment(Alignment), FMargins(new TInsets(0, 0, 0, 0)), FFormatter(Formatter) {
    if (Margins) {
        FMargins->Assign(Margins);
        delete Margins;
    }
}

TTextItemPainter::TTextItemPainter(TAlignmentSet Alignment, TInsets* Margins, bool CheckDisabled)
    : TTextItemPainter(Alignment, Margins, static_cast<TItemFormatter*>(nullptr)) {
    FCheckDisabled = CheckDisabled;
}

TTextItemPainter::~TTextItemPainter() { delete FMargins; }

HRESULT TTextItemPainter::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemPainter>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

UnicodeString TTextItemPainter::GetText(IInterface* Data) {
    if (!Data) return UnicodeString();
    if (FFormatter) return FFormatter->Format(Data);
    return InterfaceCast<IStringObject>(Data)->GetString();
}

TColor TTextItemPainter::GetBackground(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                       TItemState States) {
    return Site ? Site->GetBackground() : Canvas->GetBrush()->GetColor();
}

TColor TTextItemPainter::GetForeground(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                       TItemState States) {
    return Site ? Site->GetForeground() : FForeground;
}

namespace {

void SelectSiteFont(TCanvas* Canvas, IItemPaintSite* Site) {
    if (!Site) return;
    if (TFont* font = Site->GetFont()) Canvas->GetFont()->Assign(font);
}

// The site's margins (a new object each time) or the painter's own.
TInsets EffectiveMargins(IItemPaintSite* Site, TInsets* Own) {
    if (Site) {
        if (std::unique_ptr<TInsets> m{Site->GetItemMargins()})
            return TInsets(m->GetLeft(), m->GetTop(), m->GetRight(), m->GetBottom());
    }
    return TInsets(Own->GetLeft(), Own->GetTop(), Own->GetRight(), Own->GetBottom());
}

} // namespace

TDimension TTextItemPainter::GetPreferredSize(IInterface* Data, TCanvas* Canvas,
                                              IItemPaintSite* Site, TItemState States) {
    if (!Canvas) return Dimension(0, 0);
    SelectSiteFont(Canvas, Site);
    TInsets m = EffectiveMargins(Site, FMargins);
    UnicodeString text = GetText(Data);
    TTextEstimate& est = Estimate();
    try {
        Canvas->Lock();
        struct Unlock {
            TCanvas* c;
            ~Unlock() { c->Unlock(); }
        } unlock{Canvas};
        TSize size = Canvas->TextExtent(text);
        if (!text.empty()) {
            est.Known = true;
            est.AverageCharWidth = double(size.cx) / text.length();
            est.LastHeight = size.cy;
        }
        return Dimension(m.GetLeft() + m.GetRight() + size.cx, m.GetTop() + m.GetBottom() + size.cy);
    } catch (const EInvalidOperation&) {
        if (!est.Known) return Dimension(0, 0);
        return Dimension(int(std::lround(text.length() * est.AverageCharWidth)) + m.GetLeft() +
                             m.GetRight(),
                         est.LastHeight + m.GetTop() + m.GetBottom());
    }
}

void TTextItemPainter::Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                             TItemState States, const TRectangle& Rect) {
    PaintText(Data, Canvas, Site, States, Rect, false);
}

void TTextItemPainter::PaintText(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                 TItemState States, const TRectangle& Rect, bool Clip) {
    TBrushColorKeeper keep(Canvas);
    SelectSiteFont(Canvas, Site);
    TInsets m = EffectiveMargins(Site, FMargins);
    TAlignmentSet a = EffectiveAlignment(Site, FAlignment);
    UnicodeString text = GetText(Data);
    TSize extent = Canvas->TextExtent(text);
    int x = m.GetLeft(), y = m.GetTop();
    if (a.Contains(aCenter)) x = (Rect.Width - extent.cx) / 2;
    else if (a.Contains(aRight))
        x = Rect.Width - extent.cx - m.GetRight();
    if (a.Contains(aMiddle)) y = (Rect.Height - extent.cy) / 2;
    else if (a.Contains(aBottom))
        y = Rect.Height - m.GetBottom() - extent.cy;
    Canvas->GetBrush()->SetColor(GetBackground(Data, Canvas, Site, States));
    TRect r = ToRect(Rect);
    Canvas->FillRect(r);
    if (Clip && Rect.Left + x + extent.cx > Rect.Left + Rect.Width) {
        const UnicodeString dots = u"...";
        const int right = Rect.Left + Rect.Width;
        if (Rect.Left + x + Canvas->TextWidth(dots) > right) text = dots;
        else {
            std::u16string s = text;
            while (!s.empty() && Rect.Left + x + Canvas->TextWidth(s + dots) > right) {
                // A character outside the basic plane is two units: drop both.
                bool pair = s.size() >= 2 && s.back() >= 0xDC00 && s.back() <= 0xDFFF;
                s.resize(s.size() - (pair ? 2 : 1));
            }
            text = s + dots;
        }
    }
    if (text.empty()) return;
    Canvas->GetBrush()->SetStyle(bsClear);
    if (FCheckDisabled && States.Contains(isDisabled)) {
        Canvas->GetFont()->SetColor(clBtnHighlight);
        Canvas->TextRect(r, Rect.Left + x + 1, Rect.Top + y + 1, text);
        Canvas->GetFont()->SetColor(clBtnShadow);
        Canvas->TextRect(r, Rect.Left + x, Rect.Top + y, text);
    } else {
        Canvas->GetFont()->SetColor(GetForeground(Data, Canvas, Site, States));
        Canvas->TextRect(r, Rect.Left + x, Rect.Top + y, text);
    }
    Canvas->GetBrush()->SetStyle(bsSolid);
}

namespace {

TColor SelectedColor(const TSelectionColors& C, TItemState States, bool Background,
                     TColor Otherwise) {
    if (!States.Contains(isSelected)) return Otherwise;
    const bool inactive = States.Contains(isInactive);
    if (Background) return inactive ? C.InactiveSelectedBg : C.SelectedBg;
    return inactive ? C.InactiveSelectedFg : C.SelectedFg;
}

} // namespace

TColor TSelectableTextItemPainter::GetBackground(IInterface* Data, TCanvas* Canvas,
                                                 IItemPaintSite* Site, TItemState States) {
    return SelectedColor(Colors, States, true,
                         TTextItemPainter::GetBackground(Data, Canvas, Site, States));
}

TColor TSelectableTextItemPainter::GetForeground(IInterface* Data, TCanvas* Canvas,
                                                 IItemPaintSite* Site, TItemState States) {
    return SelectedColor(Colors, States, false,
                         TTextItemPainter::GetForeground(Data, Canvas, Site, States));
}

void TClippedTextItemPainter::Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                    TItemState States, const TRectangle& Rect) {
    PaintText(Data, Canvas, Site, States, Rect, true);
}

TColor TSelectableClippedTextItemPainter::GetBackground(IInterface* Data, TCanvas* Canvas,
                                                        IItemPaintSite* Site, TItemState States) {
    return SelectedColor(Colors, States, true,
                         TTextItemPainter::GetBackground(Data, Canvas, Site, States));
}

TColor TSelectableClippedTextItemPainter::GetForeground(IInterface* Data, TCanvas* Canvas,
                                                        IItemPaintSite* Site, TItemState States) {
    return SelectedColor(Colors, States, false,
                         TTextItemPainter::GetForeground(Data, Canvas, Site, States));
}

// --- Composite ------------------------------------------------------------------------------

HRESULT TCompositeItemPainter::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemPainter>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

TDimension TCompositeItemPainter::SizeOf(IItemPainter* Painter, IInterface* Data, TCanvas* Canvas,
                                         IItemPaintSite* Site, TItemState States) {
    return Painter ? Painter->GetPreferredSize(Data, Canvas, Site, States) : Dimension(0, 0);
}

TDimension TCompositeItemPainter::GetPreferredSize(IInterface* Data, TCanvas* Canvas,
                                                   IItemPaintSite* Site, TItemState States) {
    TDimension s1 = SizeOf(FFirstPainter.Get(), Data, Canvas, Site, States);
    TDimension s2 = SizeOf(FSecondPainter.Get(), Data, Canvas, Site, States);
    if (FOrientation == oHorizontal) {
        int g = s1.Width >= 1 ? FGap : 0;
        return Dimension(s1.Width + g + s2.Width, std::max(s1.Height, s2.Height));
    }
    int g = s1.Height >= 1 ? FGap : 0;
    return Dimension(std::max(s1.Width, s2.Width), s1.Height + g + s2.Height);
}

void TCompositeItemPainter::CalculateRects(IInterface* Data, TCanvas* Canvas,
                                           const TRectangle& R, IItemPaintSite* Site,
                                           TItemState States, TRectangle& RectFirst,
                                           TRectangle& RectSecond) {
    TDimension s1 = SizeOf(FFirstPainter.Get(), Data, Canvas, Site, States);
    TDimension s2 = SizeOf(FSecondPainter.Get(), Data, Canvas, Site, States);
    if (FOrientation == oHorizontal) {
        int g = s1.Width >= 1 ? FGap : 0;
        RectFirst = Rectangle(R.Left, R.Top + (R.Height - s1.Height) / 2, s1.Width, s1.Height);
        RectSecond = Rectangle(R.Left + s1.Width + g, R.Top + (R.Height - s2.Height) / 2,
                               s2.Width, s2.Height);
    } else {
        int g = s1.Height >= 1 ? FGap : 0;
        RectFirst = Rectangle(R.Left + (R.Width - s1.Width) / 2, R.Top, s1.Width, s1.Height);
        RectSecond = Rectangle(R.Left + (R.Width - s2.Width) / 2, R.Top + s1.Height + g,
                               s2.Width, s2.Height);
    }
}

void TCompositeItemPainter::Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                  TItemState States, const TRectangle& Rect) {
    TRectangle r1{}, r2{};
    CalculateRects(Data, Canvas, Rect, Site, States, r1, r2);
    if (FFirstPainter) FFirstPainter->Paint(Data, Canvas, Site, States, r1);
    if (FSecondPainter) FSecondPainter->Paint(Data, Canvas, Site, States, r2);
}
