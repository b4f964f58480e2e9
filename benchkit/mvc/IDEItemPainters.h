// Item painters: each measures and draws one item's data into a rectangle,
// in the item's state, asking the view (the paint site) for colours, font,
// alignment and margins. Text painters (plain, with selection colours,
// clipped with an ellipsis), image painters (a bitmap of the data, an image
// of a list by the data's index), a focus-rectangle decorator and a
// composite of two painters side by side or stacked. TItemFormatter turns
// data into text and back.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEItem.h"

class TBitmap;
class TCanvas;
class TCustomImageList;

// Forwards the five paint-site operations to another site.
class TBasicItemPaintSite : public TInterfacedObject, public IItemPaintSite {
public:
    explicit TBasicItemPaintSite(IItemPaintSite* Site) : FSite(Site) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TColor GetBackground() override { return FSite->GetBackground(); }
    TColor GetForeground() override { return FSite->GetForeground(); }
    TFont* GetFont() override { return FSite->GetFont(); }
    TAlignmentSet GetAlignment() override { return FSite->GetAlignment(); }
    TInsets* GetItemMargins() override { return FSite->GetItemMargins(); }

private:
    InterfacePtr<IItemPaintSite> FSite;
};

class TItemFormatter : public TObject {
public:
    // The data's text (EIntfCastError when it has none).
    virtual UnicodeString Format(IInterface* Data);
    // A new text object holding Text.
    virtual InterfacePtr<IInterface> Parse(const UnicodeString& Text);
};

// The placement shared by the image painters: the image in the rectangle
// by alignment, the rest of the rectangle filled with the brush.
class TImagePainterBase : public TInterfacedObject, public IItemPainter {
public:
    TImagePainterBase(TKomponent* Component, TAlignmentSet Alignment)
        : FComponent(Component), FAlignment(Alignment) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TAlignmentSet GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignmentSet Value) { FAlignment = Value; }

protected:
    // Where an image of size W x H goes in Rect.
    TRectangle Place(IItemPaintSite* Site, int W, int H, const TRectangle& Rect) const;
    // Fills the parts of Rect around Placed.
    static void FillAround(TCanvas* Canvas, const TRectangle& Rect, const TRectangle& Placed);

    TKomponent* FComponent;
    TAlignmentSet FAlignment;
};

class TImageItemPainter : public TImagePainterBase {
public:
    explicit TImageItemPainter(TKomponent* Component,
                               TAlignmentSet Alignment = TAlignmentSet{aCenter, aMiddle})
        : TImagePainterBase(Component, Alignment) {}
    TDimension GetPreferredSize(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                TItemState States) override;
    void Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
               const TRectangle& Rect) override;
    // The data's bitmap, nil for nil data or data without one.
    virtual TBitmap* GetImage(IInterface* Data, TItemState States);
};

class TCustomImageItemPainter : public TImagePainterBase {
public:
    using TImagePainterBase::TImagePainterBase;
    TDimension GetPreferredSize(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                TItemState States) override;
    void Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
               const TRectangle& Rect) override;

protected:
    virtual TDimension GetImageSize(IInterface* Data, TItemState States) = 0;
    virtual void Draw(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
                      const TRectangle& Rect) = 0;
};

// The image of a list (not owned) at the data's index.
class TImageListItemPainter : public TCustomImageItemPainter {
public:
    explicit TImageListItemPainter(TCustomImageList* Images,
                                   TAlignmentSet Alignment = TAlignmentSet{aCenter, aMiddle})
        : TCustomImageItemPainter(nullptr, Alignment), FImages(Images) {}
    TCustomImageList* GetImages() const { return FImages; }

protected:
    TDimension GetImageSize(IInterface* Data, TItemState States) override;
    void Draw(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
              const TRectangle& Rect) override;

private:
    TCustomImageList* FImages;
};

// Another painter's item with a focus rectangle when focused.
class TFocusableItemPainter : public TInterfacedObject, public IItemPainter {
public:
    explicit TFocusableItemPainter(IItemPainter* Painter) : FPainter(Painter) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TDimension GetPreferredSize(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                TItemState States) override;
    void Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
               const TRectangle& Rect) override;

private:
    InterfacePtr<IItemPainter> FPainter;
};

class TTextItemPainter : public TInterfacedObject, public IItemPainter {
public:
    // Takes Margins over (its values are copied, the object freed).
    TTextItemPainter(TAlignmentSet Alignment, TInsets* Margins, TItemFormatter* Formatter);
    TTextItemPainter(TAlignmentSet Alignment, TInsets* Margins, bool CheckDisabled);
    TTextItemPainter(TAlignmentSet Alignment, TInsets* Margins)
        : TTextItemPainter(Alignment, Margins, nullptr) {}
    explicit TTextItemPainter(TAlignmentSet Alignment)
        : TTextItemPainter(Alignment, new TInsets(1, 1, 1, 1)) {}
    TTextItemPainter() : TTextItemPainter(TAlignmentSet{aLeft, aMiddle}) {}
    ~TTextItemPainter() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TAlignmentSet GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignmentSet Value) { FAlignment = Value; }
    TInsets* GetMargins() const { return FMargins; }
    void SetMargins(TInsets* Value) { FMargins->Assign(Value); }
    TColor GetForeground() const { return FForeground; }
    void SetForeground(TColor Value) { FForeground = Value; }
    bool IsCheckDisabled() const { return FCheckDisabled; }
    void SetCheckDisabled(bool Value) { FCheckDisabled = Value; }

    TDimension GetPreferredSize(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                TItemState States) override;
    void Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
               const TRectangle& Rect) override;
    virtual UnicodeString GetText(IInterface* Data);
    virtual TColor GetBackground(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                 TItemState States);
    virtual TColor GetForeground(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                 TItemState States);

protected:
    // Paint with the text shortened to fit when Clip is set.
    void PaintText(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
                   const TRectangle& Rect, bool Clip);

    TAlignmentSet FAlignment;
    TInsets* FMargins;
    TItemFormatter* FFormatter = nullptr; // not owned
    TColor FForeground = 0;
    bool FCheckDisabled = false;
};

// Highlight colours for selected items, dimmer ones when the view is inactive.
struct TSelectionColors {
    TColor SelectedFg = clHighlightText;
    TColor SelectedBg = clHighlight;
    TColor InactiveSelectedFg = clWindowText;
    TColor InactiveSelectedBg = clBtnFace;
};

class TSelectableTextItemPainter : public TTextItemPainter {
public:
    using TTextItemPainter::TTextItemPainter;
    TColor GetBackground(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                         TItemState States) override;
    TColor GetForeground(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                         TItemState States) override;
    using TTextItemPainter::GetForeground;
    TSelectionColors Colors;
};

class TClippedTextItemPainter : public TTextItemPainter {
public:
    using TTextItemPainter::TTextItemPainter;
    void Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
               const TRectangle& Rect) override;
};

class TSelectableClippedTextItemPainter : public TClippedTextItemPainter {
public:
    using TClippedTextItemPainter::TClippedTextItemPainter;
    TColor GetBackground(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                         TItemState States) override;
    TColor GetForeground(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                         TItemState States) override;
    using TTextItemPainter::GetForeground;
    TSelectionColors Colors;
};

class TCompositeItemPainter : public TInterfacedObject, public IItemPainter {
public:
    TCompositeItemPainter(IItemPainter* FirstPainter, IItemPainter* SecondPainter,
                          TOrientation Orientation = oHorizontal, int32_t Gap = 4)
        : FFirstPainter(FirstPainter), FSecondPainter(SecondPainter), FOrientation(Orientation),
          FGap(Gap) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TOrientation Value) { FOrientation = Value; }
    TDimension GetPreferredSize(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                TItemState States) override;
    void Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
               const TRectangle& Rect) override;
    // The two parts' rectangles in Rect, each centred across the main axis.
    void CalculateRects(IInterface* Data, TCanvas* Canvas, const TRectangle& Rect,
                        IItemPaintSite* Site, TItemState States, TRectangle& RectFirst,
                        TRectangle& RectSecond);

private:
    TDimension SizeOf(IItemPainter* Painter, IInterface* Data, TCanvas* Canvas,
                      IItemPaintSite* Site, TItemState States);

    InterfacePtr<IItemPainter> FFirstPainter;
    InterfacePtr<IItemPainter> FSecondPainter;
    TOrientation FOrientation;
    int32_t FGap;
};

#pragma GCC visibility pop
