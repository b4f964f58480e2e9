// Paths kept as figures of cubic Bézier pieces, so that lines and cardinal
// curves are drawn by one routine.
#include <win32/gdiplus.h>

#include <algorithm>

using namespace Gdiplus;

namespace {

TGPPointF Lerp(TGPPointF A, TGPPointF B, float T) {
    return {A.X + (B.X - A.X) * T, A.Y + (B.Y - A.Y) * T};
}

} // namespace

void TGPGraphicsPath::JoinTo(TGPPointF P) {
    if (!FOpen) {
        FFigures.push_back({P, {}, false});
        FOpen = true;
        return;
    }
    Figure& f = FFigures.back();
    TGPPointF last = f.Pieces.empty() ? f.Start : f.Pieces.back();
    if (last.X != P.X || last.Y != P.Y) Straight(P);
}

void TGPGraphicsPath::Straight(TGPPointF To) {
    Figure& f = FFigures.back();
    TGPPointF from = f.Pieces.empty() ? f.Start : f.Pieces.back();
    f.Pieces.push_back(Lerp(from, To, 1.0f / 3));
    f.Pieces.push_back(Lerp(from, To, 2.0f / 3));
    f.Pieces.push_back(To);
}

Status TGPGraphicsPath::Reset() {
    FFigures.clear();
    FOpen = false;
    FMode = FillModeAlternate;
    return Ok;
}

Status TGPGraphicsPath::AddLine(float X1, float Y1, float X2, float Y2) {
    JoinTo({X1, Y1});
    Straight({X2, Y2});
    return Ok;
}

Status TGPGraphicsPath::AddLines(const TGPPoint* Points, int Count) {
    if (!Points || Count < 1) return InvalidParameter;
    JoinTo({float(Points[0].X), float(Points[0].Y)});
    for (int i = 1; i < Count; ++i)
        Straight({float(Points[i].X), float(Points[i].Y)});
    return Ok;
}

Status TGPGraphicsPath::AddCurve(const TGPPoint* Points, int Count, float Tension) {
    if (!Points) return InvalidParameter;
    std::vector<TGPPointF> f(Count > 0 ? Count : 0);
    for (int i = 0; i < Count; ++i)
        f[i] = {float(Points[i].X), float(Points[i].Y)};
    return AddCurve(f.data(), Count, Tension);
}

// A cardinal spline: each piece from P[i] to P[i+1] leaves P[i] along the
// chord P[i-1]..P[i+1] and reaches P[i+1] along P[i]..P[i+2], scaled by the
// tension; the end points stand in for their missing neighbours.
Status TGPGraphicsPath::AddCurve(const TGPPointF* Points, int Count, float Tension) {
    if (!Points || Count < 2) return InvalidParameter;
    const float k = Tension / 3;
    JoinTo(Points[0]);
    Figure& fig = FFigures.back();
    for (int i = 0; i + 1 < Count; ++i) {
        TGPPointF p0 = Points[std::max(i - 1, 0)], p1 = Points[i], p2 = Points[i + 1],
                  p3 = Points[std::min(i + 2, Count - 1)];
        fig.Pieces.push_back({p1.X + k * (p2.X - p0.X), p1.Y + k * (p2.Y - p0.Y)});
        fig.Pieces.push_back({p2.X - k * (p3.X - p1.X), p2.Y - k * (p3.Y - p1.Y)});
        fig.Pieces.push_back(p2);
    }
    return Ok;
}

Status TGPGraphicsPath::StartFigure() {
    FOpen = false;
    return Ok;
}

Status TGPGraphicsPath::CloseFigure() {
    if (FOpen) FFigures.back().Closed = true;
    FOpen = false;
    return Ok;
}

int TGPGraphicsPath::GetPointCount() const {
    int n = 0;
    for (const Figure& f : FFigures)
        n += 1 + int(f.Pieces.size());
    return n;
}

Status TGPGraphicsPath::GetBounds(float& Left, float& Top, float& Right, float& Bottom) const {
    Left = Top = Right = Bottom = 0;
    bool any = false;
    auto take = [&](TGPPointF p) {
        if (!any) {
            Left = Right = p.X;
            Top = Bottom = p.Y;
            any = true;
            return;
        }
        Left = std::min(Left, p.X);
        Right = std::max(Right, p.X);
        Top = std::min(Top, p.Y);
        Bottom = std::max(Bottom, p.Y);
    };
    for (const Figure& f : FFigures) {
        take(f.Start);
        for (TGPPointF p : f.Pieces)
            take(p);
    }
    return Ok;
}

TGPLinearGradientBrush::TGPLinearGradientBrush(TGPPoint Point1, TGPPoint Point2, ARGB Color1,
                                               ARGB Color2)
    : FPoint1{float(Point1.X), float(Point1.Y)}, FPoint2{float(Point2.X), float(Point2.Y)},
      FColor1(Color1), FColor2(Color2) {}

TGPLinearGradientBrush::TGPLinearGradientBrush(TGPPointF Point1, TGPPointF Point2, ARGB Color1,
                                               ARGB Color2)
    : FPoint1(Point1), FPoint2(Point2), FColor1(Color1), FColor2(Color2) {}

Status TGPLinearGradientBrush::SetWrapMode(WrapMode Mode) {
    if (Mode == WrapModeClamp) return InvalidParameter; // GDI+ refuses clamping for gradients
    FWrap = Mode;
    return Ok;
}
