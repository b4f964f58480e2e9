// TBitBtn: a push button of a kind (OK, Cancel, Yes, ...) that brings its
// caption and modal result with it, and may show a glyph beside the caption.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Bitmap.h>
#include <quorlpak/StdCtrls.h>

#include <memory>

enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using TNumGlyphs = int; // 1 to 4 images side by side: up, disabled, down, exclusive

PTypeInfo TypeInfo_TBitBtnKind();
PTypeInfo TypeInfo_TButtonLayout();

// The caption and modal result a kind brings ("&Yes", mrYes, ...).
UnicodeString BitBtnCaption(TBitBtnKind Kind);
TModalResult BitBtnModalResult(TBitBtnKind Kind);

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // A kind reads back as bkCustom once Default, Cancel, ModalResult or the
    // glyph no longer match it. Setting a kind sets those and the caption
    // (while reading a description, only an empty caption).
    TBitBtnKind GetKind() const;
    void SetKind(TBitBtnKind Value);
    TBitmap* GetGlyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    TButtonLayout GetLayout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int GetMargin() const { return FMargin; }
    void SetMargin(int Value);
    int GetSpacing() const { return FSpacing; }
    void SetSpacing(int Value);
    TNumGlyphs GetNumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs Value);

    // bkClose closes the form; other kinds act as a TButton.
    void Click() override;

protected:
    void DrawCaption(HDC DC, const TRect& R, UINT State) override;

    std::unique_ptr<TBitmap> FGlyph;
    TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    TNumGlyphs FNumGlyphs = 1;
    bool FModifiedGlyph = false;
};

// --- TSpeedButton -----------------------------------------------------------------------------
// A windowless button: pressed while the left button is held on it, clicked
// when it is released over it; a flat one shows its face only under the mouse.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    bool GetMouseInControl() const { return FMouseInControl; }
    TButtonState GetState() const { return FState; }
    void SetEnabled(bool Value) override;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoMouseEnter() override;
    void DoMouseLeave() override;
    void Paint() override;

    TButtonState FState = bsUp;
    bool FFlat = false;
    bool FMouseInControl = false;
    bool FDragging = false;
};

#pragma GCC visibility pop
