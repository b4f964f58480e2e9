// Drawing utilities of the tree unit: blending on 32-bit surfaces, text
// shortening, rectangle ordering, the check image strips and the small
// utility glyphs (drop marks and sort arrows) the header and rows use.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include "benchkit/vtree/VirtualTreeShared.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/ImgList.h>

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif
#include <cstring>

namespace {

// The bits of the 32-bit DIB section selected into DC, or null.
uint8_t* SurfaceBits(HDC DC, int& Width, int& Height, bool& BottomUp) {
    HGDIOBJ bitmap = GetCurrentObject(DC, OBJ_BITMAP);
    DIBSECTION section{};
    if (!bitmap || GetObjectW(bitmap, sizeof section, &section) != int(sizeof section)) return nullptr;
    if (section.dsBm.bmBitsPixel != 32 || !section.dsBm.bmBits) return nullptr;
    Width = section.dsBm.bmWidth;
    Height = std::abs(section.dsBmih.biHeight);
    BottomUp = section.dsBmih.biHeight > 0;
    return static_cast<uint8_t*>(section.dsBm.bmBits);
}

uint8_t* RowOf(uint8_t* Bits, int Width, int Height, bool BottomUp, int Row) {
    return Bits + size_t(BottomUp ? Height - Row - 1 : Row) * size_t(Width) * 4;
}

} // namespace

void AlphaBlend(HDC Source, HDC Destination, const TRect& R, const TPoint& Target, TBlendMode Mode,
                int ConstantAlpha, int Bias) {
    int tw = 0, th = 0, sw = 0, sh = 0;
    bool tUp = false, sUp = false;
    uint8_t* target = SurfaceBits(Destination, tw, th, tUp);
    if (!target) return;
    uint8_t* source = nullptr;
    if (Mode != bmConstantAlphaAndColor) {
        source = SurfaceBits(Source, sw, sh, sUp);
        if (!source) return;
    }
    // Device origins: the rectangles are in logical coordinates.
    POINT tOrigin{Target.x, Target.y};
    LPtoDP(Destination, &tOrigin, 1);
    POINT sOrigin{R.left, R.top};
    if (Source) LPtoDP(Source, &sOrigin, 1);
    const int width = R.right - R.left;
    const int height = R.bottom - R.top;
    const uint8_t cr = uint8_t(Bias & 0xFF), cg = uint8_t((Bias >> 8) & 0xFF),
                  cb = uint8_t((Bias >> 16) & 0xFF);
    for (int y = 0; y < height; ++y) {
        const int ty = tOrigin.y + y;
        if (ty < 0 || ty >= th) continue;
        uint8_t* trow = RowOf(target, tw, th, tUp, ty);
        uint8_t* srow = nullptr;
        if (source) {
            const int sy = sOrigin.y + y;
            if (sy < 0 || sy >= sh) continue;
            srow = RowOf(source, sw, sh, sUp, sy);
        }
        for (int x = 0; x < width; ++x) {
            const int tx = tOrigin.x + x;
            if (tx < 0 || tx >= tw) continue;
            uint8_t* d = trow + size_t(tx) * 4;
            if (Mode == bmConstantAlphaAndColor) {
                const int a = ConstantAlpha;
                const uint8_t c[3] = {cb, cg, cr};
                for (int k = 0; k < 3; ++k) d[k] = uint8_t((a * c[k] + (256 - a) * d[k]) / 256);
                continue;
            }
            const int sx = sOrigin.x + x;
            if (sx < 0 || sx >= sw) continue;
            const uint8_t* s = srow + size_t(sx) * 4;
            int a = ConstantAlpha;
            if (Mode == bmPerPixelAlpha) a = s[3];
            if (Mode == bmMasterAlpha) a = ConstantAlpha * s[3] / 256;
            for (int k = 0; k < 4; ++k) {
                const int v = ((256 * d[k] + a * (int(s[k]) - int(d[k]))) >> 8) + Bias;
                d[k] = uint8_t(std::clamp(v, 0, 255));
            }
        }
    }
}

bool HasMMX() {
#if defined(__x86_64__) || defined(__i386__)
    // CPUID leaf 1: a processor signature of at least 0x50 and EDX bit 23.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    return eax >= 0x50 && (edx & (1u << 23)) != 0;
#else
    return false;
#endif
}

UnicodeString ShortenString(HDC DC, const UnicodeString& S, int Width, int EllipsisWidth) {
    if (S.length() == 0 || Width <= 0) return UnicodeString();
    auto extent = [DC](const char16_t* Text, int Count) {
        SIZE size{};
        GetTextExtentPoint32W(DC, reinterpret_cast<LPCWSTR>(Text), Count, &size);
        return int(size.cx);
    };
    if (EllipsisWidth == 0) EllipsisWidth = extent(u"...", 3);
    if (EllipsisWidth >= Width) return UnicodeString();
    // The longest prefix that fits together with the ellipsis.
    int low = 0, high = S.length() - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (extent(S.c_str(), middle) + EllipsisWidth <= Width)
            low = middle;
        else
            high = middle - 1;
    }
    return UnicodeString(S.c_str(), low) + u"...";
}

TRect OrderRect(const TRect& R) {
    return TRect{std::min(R.left, R.right), std::min(R.top, R.bottom), std::max(R.left, R.right),
                 std::max(R.top, R.bottom)};
}

// --- Utility glyphs ---------------------------------------------------------------------------

// 0 drop mark at the left, 1 at the right, 2 sort descending, 3 ascending.
void UtilityImageSize(int& Width, int& Height) {
    TCustomImageList* images = vtree::UtilityImages();
    Width = images->GetWidth();
    Height = images->GetHeight();
}

void DrawUtilityImage(HDC DC, int Index, int X, int Y) {
    ImageList_Draw(vtree::UtilityImages()->GetHandle(), Index, DC, X, Y, ILD_TRANSPARENT);
}

// --- Check images ------------------------------------------------------------------------------

void BuildSystemCheckImages(TCustomImageList* List, bool Flat) {
    const int width = GetSystemMetrics(SM_CXMENUCHECK) + 3;
    const int height = GetSystemMetrics(SM_CYMENUCHECK) + 3;
    List->SetSize(width, height);
    List->SetBkColor(clWhite);
    List->Clear();
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(width * 25, height);
    HDC dc = bitmap.GetCanvas()->GetHandle();
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{0, 0, width * 25, height};
    FillRect(dc, &all, key);
    DeleteObject(key);
    // The push-button images are the drawn strip's own, centred in the cell.
    TCustomImageList* buttons = vtree::SharedCheckImages(Flat ? ckFlat : ckLightCheck);
    for (int i = 0; i < 24; ++i) {
        RECT r{(i + 1) * width + 1, 2, (i + 1) * width + width - 2, height - 1};
        if (i >= 20) {
            if (buttons && i + 1 < buttons->GetCount())
                buttons->Draw(bitmap.GetCanvas(), (i + 1) * width + (width - buttons->GetWidth()) / 2,
                              (height - buttons->GetHeight()) / 2, i + 1);
            continue;
        }
        static const UINT looks[4] = {0, DFCS_HOT, DFCS_PUSHED, DFCS_INACTIVE};
        UINT state = looks[i % 4];
        if (i < 8)
            state |= DFCS_BUTTONRADIO;
        else if (i >= 16)
            state |= DFCS_BUTTON3STATE;
        else
            state |= DFCS_BUTTONCHECK;
        if ((i >= 4 && i <= 7) || i >= 12) state |= DFCS_CHECKED;
        if (Flat) state |= DFCS_FLAT;
        DrawFrameControl(dc, &r, DFC_BUTTON, state);
    }
    List->AddMasked(&bitmap, TColor(0x0000FF));
}
