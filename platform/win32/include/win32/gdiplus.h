// The GDI+ drawing the system uses: a graphics object on a device context,
// paths made of lines and cardinal curves, pens, solid and linear gradient
// brushes, filling and outlining paths. Drawing is anti-aliased unless a
// caller switches smoothing off. Coordinates are floating point with pixel
// centres on whole numbers, as GDI+ has them.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <cstdint>
#include <memory>
#include <vector>

using ARGB = uint32_t;

namespace Gdiplus {

enum Status { Ok = 0, GenericError = 1, InvalidParameter = 2, OutOfMemory = 3 };
enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };
enum WrapMode { WrapModeTile = 0, WrapModeTileFlipX, WrapModeTileFlipY, WrapModeTileFlipXY, WrapModeClamp };
enum SmoothingMode {
    SmoothingModeDefault = 0,
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2,
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4
};

} // namespace Gdiplus

// 0xAARRGGBB, as GDI+ packs a colour.
inline ARGB MakeColor(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | b;
}
// A COLORREF (0x00BBGGRR, no system colours) as an opaque ARGB.
inline ARGB ColorRefToARGB(COLORREF c) {
    return MakeColor(255, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

struct TGPPointF {
    float X = 0, Y = 0;
};
struct TGPPoint {
    int X = 0, Y = 0;
};

class TGPGraphicsPath {
public:
    explicit TGPGraphicsPath(Gdiplus::FillMode Mode = Gdiplus::FillModeAlternate) : FMode(Mode) {}

    // Forgets every figure.
    Gdiplus::Status Reset();
    // Lines and curves join the current figure: a gap between its last point
    // and the new segment's first point becomes a straight line.
    Gdiplus::Status AddLine(float X1, float Y1, float X2, float Y2);
    Gdiplus::Status AddLine(int X1, int Y1, int X2, int Y2) {
        return AddLine(float(X1), float(Y1), float(X2), float(Y2));
    }
    Gdiplus::Status AddLines(const TGPPoint* Points, int Count);
    // A cardinal spline through the points (tension 0.5 by default).
    Gdiplus::Status AddCurve(const TGPPoint* Points, int Count, float Tension = 0.5f);
    Gdiplus::Status AddCurve(const TGPPointF* Points, int Count, float Tension = 0.5f);
    // Ends the current figure; the next segment starts a new one.
    Gdiplus::Status StartFigure();
    Gdiplus::Status CloseFigure();
    Gdiplus::FillMode GetFillMode() const { return FMode; }
    void SetFillMode(Gdiplus::FillMode Mode) { FMode = Mode; }
    int GetPointCount() const;
    // The axis-aligned box of every point (control points included).
    Gdiplus::Status GetBounds(float& Left, float& Top, float& Right, float& Bottom) const;

    // A figure as a start point followed by cubic Bézier pieces; straight
    // lines are pieces whose control points lie on the line.
    struct Figure {
        TGPPointF Start;
        std::vector<TGPPointF> Pieces; // three points per piece
        bool Closed = false;
    };
    const std::vector<Figure>& Figures() const { return FFigures; }

private:
    void JoinTo(TGPPointF P);
    void Straight(TGPPointF To);

    Gdiplus::FillMode FMode;
    std::vector<Figure> FFigures;
    bool FOpen = false;
};

class TGPPen {
public:
    explicit TGPPen(ARGB Color, float Width = 1.0f) : FColor(Color), FWidth(Width) {}
    ARGB GetColor() const { return FColor; }
    void SetColor(ARGB Color) { FColor = Color; }
    float GetWidth() const { return FWidth; }
    void SetWidth(float Width) { FWidth = Width; }

private:
    ARGB FColor;
    float FWidth;
};

class TGPBrush {
public:
    virtual ~TGPBrush() = default;
};

class TGPSolidBrush : public TGPBrush {
public:
    explicit TGPSolidBrush(ARGB Color) : FColor(Color) {}
    ARGB GetColor() const { return FColor; }

private:
    ARGB FColor;
};

// Colours change along the line from Point1 to Point2 and are constant across
// it; beyond the two points the gradient repeats as the wrap mode says.
class TGPLinearGradientBrush : public TGPBrush {
public:
    TGPLinearGradientBrush(TGPPoint Point1, TGPPoint Point2, ARGB Color1, ARGB Color2);
    TGPLinearGradientBrush(TGPPointF Point1, TGPPointF Point2, ARGB Color1, ARGB Color2);
    Gdiplus::WrapMode GetWrapMode() const { return FWrap; }
    Gdiplus::Status SetWrapMode(Gdiplus::WrapMode Mode);
    TGPPointF GetPoint1() const { return FPoint1; }
    TGPPointF GetPoint2() const { return FPoint2; }
    ARGB GetColor1() const { return FColor1; }
    ARGB GetColor2() const { return FColor2; }

private:
    TGPPointF FPoint1, FPoint2;
    ARGB FColor1, FColor2;
    Gdiplus::WrapMode FWrap = Gdiplus::WrapModeTile;
};

class TGPGraphics {
public:
    // Draws on the DC's surface, through its origin and clip as they are at
    // each call. The DC stays the caller's.
    explicit TGPGraphics(HDC DC) : FDC(DC) {}
    HDC GetHDC() const { return FDC; }

    Gdiplus::Status SetSmoothingMode(Gdiplus::SmoothingMode Mode);
    Gdiplus::SmoothingMode GetSmoothingMode() const { return FSmoothing; }

    Gdiplus::Status FillPath(const TGPBrush* Brush, const TGPGraphicsPath* Path);
    Gdiplus::Status DrawPath(const TGPPen* Pen, const TGPGraphicsPath* Path);
    Gdiplus::Status DrawLine(const TGPPen* Pen, float X1, float Y1, float X2, float Y2);
    Gdiplus::Status FillRectangle(const TGPBrush* Brush, float X, float Y, float Width,
                                  float Height);
    Gdiplus::Status GetLastStatus() const { return FLastStatus; }

private:
    Gdiplus::Status Remember(Gdiplus::Status S) { return FLastStatus = S; }

    HDC FDC;
    Gdiplus::SmoothingMode FSmoothing = Gdiplus::SmoothingModeDefault;
    Gdiplus::Status FLastStatus = Gdiplus::Ok;
};

#pragma GCC visibility pop
