// TCanvas: drawing on a device context with a pen, a brush and a font that
// are selected lazily, just before an operation needs them. A canvas either
// wraps a DC it is given (SetHandle) or makes its own (CreateHandle, in
// descendants: bitmaps, controls).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Font.h>
#include <quorlpak/GraphicsObjects.h>
#include <quorlpak/Types.h>

#include <memory>
#include <mutex>
#include <vector>

class TGraphic;

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates, 8>;

enum TTextFormats {
    tfBottom,
    tfCalcRect,
    tfCenter,
    tfEditControl,
    tfEndEllipsis,
    tfPathEllipsis,
    tfExpandTabs,
    tfExternalLeading,
    tfLeft,
    tfModifyString,
    tfNoClip,
    tfNoPrefix,
    tfRight,
    tfRtlReading,
    tfSingleLine,
    tfTop,
    tfVerticalCenter,
    tfWordBreak,
    tfHidePrefix,
    tfNoFullWidthCharBreak,
    tfPrefixOnly,
    tfTabStop,
    tfWordEllipsis,
    tfComposited
};
using TTextFormat = TSet<TTextFormats, 32>;
// The DT_ flags of a text format.
UINT TextFormatToDrawTextFlags(const TTextFormat& Format);

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Shapes and lines (pen outlines, brush fills) ---
    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& R) { Ellipse(R.left, R.top, R.right, R.bottom); }
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.left, R.top, R.right, R.bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    TPoint GetPenPos();
    void SetPenPos(const TPoint& Value) { MoveTo(Value.x, Value.y); }

    // --- Fills (brush only) ---
    void FillRect(const TRect& R);
    void FrameRect(const TRect& R);
    void DrawFocusRect(const TRect& R);

    // --- Text (font; the brush paints the background unless it is clear) ---
    void TextOut(int X, int Y, const UnicodeString& Text);
    // Text at (X, Y), clipped to R; R is filled first unless the brush is clear.
    void TextRect(const TRect& R, int X, int Y, const UnicodeString& Text);
    // DrawTextW with the given format; tfCalcRect changes R to the text's extent.
    void TextRect(TRect& R, UnicodeString& Text, const TTextFormat& Format);
    TSize TextExtent(const UnicodeString& Text);
    int TextWidth(const UnicodeString& Text) { return TextExtent(Text).cx; }
    int TextHeight(const UnicodeString& Text) { return TextExtent(Text).cy; }
    // ETO_ flags added to every TextOut and TextRect (ETO_RTLREADING and the like).
    int GetTextFlags() const { return FTextFlags; }
    void SetTextFlags(int Value) { FTextFlags = Value; }

    // --- Images ---
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const TRect& R, TGraphic* Graphic);
    // Copies Source of another canvas onto Dest with CopyMode, stretching.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
    // Copies Source of a bitmap onto Dest, leaving pixels of Color out.
    void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);
    TCopyMode GetCopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
    TColor GetPixel(int X, int Y);
    void SetPixel(int X, int Y, TColor Value);

    // --- Tools ---
    TFont* GetFont() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TPen* GetPen() const { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* GetBrush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

    // --- The device context ---
    // The DC with every tool selected; EInvalidOperation "Canvas does not
    // allow drawing" when there is none to be had.
    HDC GetHandle();
    // Wraps a DC (0 detaches; the tools are deselected first).
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return FHandle != nullptr; }
    TRect GetClipRect();
    // Deselects the tools; the next operation selects them anew.
    void Refresh();

    // --- Threads: a canvas is used by one thread at a time ---
    void Lock();
    void Unlock();
    bool TryLock();
    int GetLockCount() const { return FLockCount; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    // Makes a DC when the canvas has none; the base has nothing to make.
    virtual void CreateHandle() {}
    void RequiredState(const TCanvasState& State);
    TCanvasState GetState() const { return FState; }
    void DeselectHandles();

    HDC FHandle = nullptr;

private:
    void FontChanged();
    void PenChanged();
    void BrushChanged();
    void SelectFont();
    void SelectPen();
    void SelectBrush();

    TCanvasState FState;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    int FTextFlags = 0;
    std::recursive_mutex FLock;
    int FLockCount = 0;
    HGDIOBJ FStockPen = nullptr, FStockBrush = nullptr, FStockFont = nullptr;
};

#pragma GCC visibility pop
