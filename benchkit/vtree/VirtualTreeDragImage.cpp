// The drag image: drawn straight onto the screen's device context, over a
// saved copy of what lies beneath it.
#include "benchkit/vtree/VirtualTreeDragImage.h"

#include "benchkit/vtree/IDEVirtualTrees.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

std::unique_ptr<TBitmap> MakeSurface(int Width, int Height) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(Width, Height);
    return bitmap;
}

HDC DCOf(const std::unique_ptr<TBitmap>& Bitmap) {
    return Bitmap->GetCanvas()->GetHandle();
}

// The screen's device context for the scope of one drawing step.
struct TScreenDC {
    HDC DC = GetDC(nullptr);
    ~TScreenDC() { ReleaseDC(nullptr, DC); }
};

} // namespace

TVTDragImage::TVTDragImage(TBaseVirtualTree* AOwner) : FOwner(AOwner) {}

TVTDragImage::~TVTDragImage() {
    EndDrag();
}

void TVTDragImage::PrepareDrag(TBitmap* Image, TPoint ImagePosition, TPoint HotSpot,
                               IDataObject* DataObject) {
    // The layer offers no shell service that draws drag images for us, so
    // the picture is always our own.
    (void)DataObject;
    FStates.Exclude(disSystemSupport);
    if (!MMXAvailable || !Image || Image->GetEmpty()) return;

    FLastPosition = HotSpot;
    const int width = Image->GetWidth(), height = Image->GetHeight();
    FDragImage = MakeSurface(width, height);
    FAlphaImage = MakeSurface(width, height);
    FBackImage = MakeSurface(width, height);
    // A 32-bit copy: the key colour and the alpha are read pixel by pixel.
    auto plain = MakeSurface(width, height);
    BitBlt(DCOf(plain), 0, 0, width, height, Image->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    BitBlt(DCOf(FDragImage), 0, 0, width, height, DCOf(plain), 0, 0, SRCCOPY);
    // Blending at full strength over the copy only adds the bias.
    if (FPreBlendBias != 0)
        AlphaBlend(DCOf(plain), DCOf(FDragImage), TRect{0, 0, width, height}, TPoint{0, 0},
                   bmConstantAlpha, 255, FPreBlendBias);
    MakeAlphaChannel(plain.get(), FDragImage.get());
    FImagePosition = ImagePosition;
    FStates = {disHidden, disInDrag, disPrepared};
}

void TVTDragImage::MakeAlphaChannel(TBitmap* Source, TBitmap* Target) {
    const int width = Target->GetWidth(), height = Target->GetHeight();
    const double centerX = (width - 1) / 2.0, centerY = (height - 1) / 2.0;
    const double scale = std::max(width, height);
    const bool keyed = FColorKey != DragImageNoColorKey;
    const COLORREF key = keyed ? ColorToRGB(FColorKey) : 0;
    for (int y = 0; y < height; ++y) {
        const auto* from = static_cast<const uint8_t*>(Source->GetScanLine(y));
        auto* to = static_cast<uint8_t*>(Target->GetScanLine(y));
        for (int x = 0; x < width; ++x) {
            const uint8_t* s = from + size_t(x) * 4;
            const COLORREF colour = RGB(s[2], s[1], s[0]);
            uint8_t alpha = 255;
            if (keyed && colour == key) {
                alpha = 0;
            } else if (FFade) {
                const double d = std::hypot(x - centerX, y - centerY) / scale;
                alpha = uint8_t(std::lround(255.0 * std::exp(-8.0 * d)));
            }
            to[size_t(x) * 4 + 3] = alpha;
        }
    }
}

bool TVTDragImage::Visible() const {
    return FStates == TVTDragImageStates{disInDrag, disPrepared};
}

TRect TVTDragImage::GetDragImageRect() const {
    if (!FDragImage)
        return TRect{FImagePosition.x, FImagePosition.y, FImagePosition.x, FImagePosition.y};
    return TRect{FImagePosition.x, FImagePosition.y, FImagePosition.x + FDragImage->GetWidth(),
                 FImagePosition.y + FDragImage->GetHeight()};
}

void TVTDragImage::InternalShowDragImage(HDC ScreenDC) {
    const int width = FDragImage->GetWidth(), height = FDragImage->GetHeight();
    BitBlt(DCOf(FAlphaImage), 0, 0, width, height, DCOf(FBackImage), 0, 0, SRCCOPY);
    // The constant transparency applies in every mode: with fading or a key
    // colour each pixel's own alpha scales it rather than replacing it, so
    // the image stays translucent at its centre too.
    const bool perPixel = FFade || FColorKey != DragImageNoColorKey;
    AlphaBlend(DCOf(FDragImage), DCOf(FAlphaImage), TRect{0, 0, width, height}, TPoint{0, 0},
               perPixel ? bmMasterAlpha : bmConstantAlpha, FTransparency, FPostBlendBias);
    BitBlt(ScreenDC, FImagePosition.x, FImagePosition.y, width, height, DCOf(FAlphaImage), 0, 0,
           SRCCOPY);
}

void TVTDragImage::ShowDragImage() {
    if (!FStates.Contains(disHidden) || !FStates.Contains(disInDrag) ||
        !FStates.Contains(disPrepared) || FStates.Contains(disSystemSupport))
        return;
    FStates.Exclude(disHidden);
    GdiFlush();
    TScreenDC screen;
    BitBlt(DCOf(FBackImage), 0, 0, FBackImage->GetWidth(), FBackImage->GetHeight(), screen.DC,
           FImagePosition.x, FImagePosition.y, SRCCOPY);
    InternalShowDragImage(screen.DC);
}

void TVTDragImage::HideDragImage() {
    if (!Visible()) return;
    FStates.Include(disHidden);
    TScreenDC screen;
    BitBlt(screen.DC, FImagePosition.x, FImagePosition.y, FBackImage->GetWidth(),
           FBackImage->GetHeight(), DCOf(FBackImage), 0, 0, SRCCOPY);
}

TPoint TVTDragImage::RestrictedMove(TPoint P) const {
    TPoint delta{P.x - FLastPosition.x, P.y - FLastPosition.y};
    if (FRestriction == dmrHorizontalOnly) delta.y = 0;
    if (FRestriction == dmrVerticalOnly) delta.x = 0;
    return delta;
}

bool TVTDragImage::WillMove(TPoint P) const {
    if (!Visible()) return false;
    const TPoint delta = RestrictedMove(P);
    return delta.x != 0 || delta.y != 0;
}

bool TVTDragImage::DragTo(TPoint P, bool ForceRepaint) {
    const TPoint delta = RestrictedMove(P);
    if (delta.x == 0 && delta.y == 0 && !ForceRepaint) return false;
    if (Visible()) {
        TScreenDC screen;
        HDC back = DCOf(FBackImage);
        const int width = FBackImage->GetWidth(), height = FBackImage->GetHeight();
        const TPoint old = FImagePosition;
        const TPoint now{old.x + delta.x, old.y + delta.y};
        if (std::abs(delta.x) >= width || std::abs(delta.y) >= height || ForceRepaint) {
            BitBlt(screen.DC, old.x, old.y, width, height, back, 0, 0, SRCCOPY);
            if (ForceRepaint && FOwner && FOwner->HandleAllocated())
                UpdateWindow(FOwner->GetHandle());
            FImagePosition = now;
            BitBlt(back, 0, 0, width, height, screen.DC, now.x, now.y, SRCCOPY);
        } else {
            // The strips of the old place the image leaves: a column band
            // for the horizontal part of the move, a row band for the vertical.
            const int dx = delta.x, dy = delta.y;
            if (dx != 0) {
                const int left = dx > 0 ? 0 : width + dx;
                BitBlt(screen.DC, old.x + left, old.y, std::abs(dx), height, back, left, 0,
                       SRCCOPY);
            }
            if (dy != 0) {
                const int top = dy > 0 ? 0 : height + dy;
                BitBlt(screen.DC, old.x, old.y + top, width, std::abs(dy), back, 0, top, SRCCOPY);
            }
            // What stays under the image shifts against it.
            RECT all{0, 0, width, height};
            ScrollDC(back, -dx, -dy, &all, &all, nullptr, nullptr);
            FImagePosition = now;
            // The strips of the new place the image newly covers.
            if (dx != 0) {
                const int left = dx > 0 ? width - dx : 0;
                BitBlt(back, left, 0, std::abs(dx), height, screen.DC, now.x + left, now.y,
                       SRCCOPY);
            }
            if (dy != 0) {
                const int top = dy > 0 ? height - dy : 0;
                BitBlt(back, 0, top, width, std::abs(dy), screen.DC, now.x, now.y + top, SRCCOPY);
            }
        }
        InternalShowDragImage(screen.DC);
    }
    FLastPosition = P;
    return true;
}

void TVTDragImage::RecaptureBackground(TBaseVirtualTree* Tree, TRect R, HRGN VisibleRegion,
                                       bool CaptureNCArea, bool ReshowDragImage) {
    if (!Visible() || !Tree || !Tree->HandleAllocated()) return;
    POINT origin{0, 0};
    ClientToScreen(Tree->GetHandle(), &origin);
    RECT screenArea = R;
    OffsetRect(&screenArea, origin.x, origin.y);
    const RECT image = GetDragImageRect();
    RECT part;
    if (!IntersectRect(&part, &screenArea, &image)) return;

    HDC back = DCOf(FBackImage);
    const int saved = SaveDC(back);
    // Clip in the buffer's own pixels: the part under the image, and what
    // of the window is visible.
    IntersectClipRect(back, part.left - image.left, part.top - image.top, part.right - image.left,
                      part.bottom - image.top);
    if (VisibleRegion) {
        HRGN visible = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(visible, VisibleRegion, nullptr, RGN_COPY);
        OffsetRgn(visible, -image.left, -image.top);
        ExtSelectClipRgn(back, visible, RGN_AND);
        DeleteObject(visible);
    }
    // The tree paints in client coordinates; the viewport puts them where
    // they lie under the image.
    SetViewportOrgEx(back, origin.x - image.left, origin.y - image.top, nullptr);
    TCanvas canvas;
    canvas.SetHandle(back);
    TRect window = R;
    OffsetRect(&window, Tree->GetEffectiveOffsetX(), -Tree->GetOffsetY());
    Tree->PaintTree(&canvas, window, TPoint{R.left, R.top}, WindowPaintOptions, pfDevice);
    canvas.SetHandle(nullptr);
    if (CaptureNCArea) {
        RECT frame;
        GetWindowRect(Tree->GetHandle(), &frame);
        SetViewportOrgEx(back, frame.left - image.left, frame.top - image.top, nullptr);
        SendMessageW(Tree->GetHandle(), WM_PRINT, WPARAM(back), PRF_NONCLIENT);
    }
    RestoreDC(back, saved);
    if (ReshowDragImage) {
        TScreenDC screen;
        InternalShowDragImage(screen.DC);
    }
}

void TVTDragImage::EndDrag() {
    HideDragImage();
    FStates = {};
    FDragImage.reset();
    FAlphaImage.reset();
    FBackImage.reset();
}
