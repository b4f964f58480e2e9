// Painting the header: the background, each column as a button with its
// image, caption, sort glyph and drop mark, and where those go inside the
// button (ComputeHeaderLayout).
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Font.h>
#include <quorlpak/ImgList.h>

#include <algorithm>

namespace {

// Button frames per header style: edge and flags for the normal and the pressed look.
struct TButtonLook {
    UINT NormalEdge, NormalFlags, PressedEdge, PressedFlags;
};

TButtonLook LookOf(TVTHeaderStyle Style) {
    switch (Style) {
    case hsFlatButtons:
        return {BDR_RAISEDINNER, 0x280B, BDR_SUNKENOUTER, 0x280F};
    case hsPlates:
        return {BDR_RAISEDINNER, 0x380F, BDR_SUNKENOUTER, 0x280F};
    default:
        return {EDGE_RAISED, 0x380B, EDGE_RAISED, 0x780F};
    }
}

TAlignment Mirrored(TAlignment A) {
    if (A == taLeftJustify) return taRightJustify;
    if (A == taRightJustify) return taLeftJustify;
    return A;
}

} // namespace

void TVirtualTreeColumn::ComputeHeaderLayout(HDC DC, const TRect& Client, bool UseHeaderGlyph,
                                             bool UseSortGlyph, TPoint& HeaderGlyphPos,
                                             TPoint& SortGlyphPos, TRect& TextBounds) {
    const bool rtl = FBiDiMode != bdLeftToRight;
    const bool hasText = FText.length() > 0;
    TVTHeader* header = Header();
    TCustomImageList* images = header ? header->FImages : nullptr;
    const bool showImage = UseHeaderGlyph && images && FImageIndex >= 0;
    if (!hasText && !showImage && !UseSortGlyph) return;
    const TAlignment alignment = rtl ? Mirrored(FAlignment) : FAlignment;
    const int W = Client.right - Client.left;
    const int H = Client.bottom - Client.top;
    const int Sp = FSpacing;
    const int M = FMargin;
    const int IW = showImage ? images->GetWidth() : 0;
    const int IH = showImage ? images->GetHeight() : 0;
    int GW = 0, GH = 0;
    if (UseSortGlyph) UtilityImageSize(GW, GH);
    SortGlyphPos = TPoint{0, (H - GH) / 2};
    int TW = 0, TH = 0, TS = 0;
    if (hasText) {
        SIZE extent{};
        GetTextExtentPoint32W(DC, reinterpret_cast<LPCWSTR>(FText.c_str()), FText.length(), &extent);
        TW = extent.cx + 2;
        TH = extent.cy;
        TS = Sp;
    }
    TextBounds = TRect{0, 0, TW, TH};
    int textX = 0, textY = 0;
    TPoint& image = HeaderGlyphPos;
    image = TPoint{0, 0};

    if (!hasText && !showImage) {
        SortGlyphPos = TPoint{(W - GW) / 2, (H - GH) / 2};
    } else {
        const bool sideways = FLayout == blGlyphLeft || FLayout == blGlyphRight || !showImage;
        if (sideways) {
            image.y = (H - IH) / 2;
            textY = (H - TH) / 2;
        } else {
            const int m = (H - IH - TH - TS) / 2;
            if (FLayout == blGlyphTop) {
                image.y = m;
                textY = m + IH + TS;
            } else {
                textY = m;
                image.y = m + TH + TS;
            }
        }
        const bool horizontalLayout = FLayout == blGlyphLeft || FLayout == blGlyphRight;
        switch (alignment) {
        case taLeftJustify: {
            int x = M;
            if (rtl && UseSortGlyph) {
                SortGlyphPos.x = x;
                x += Sp + GW;
            }
            if (horizontalLayout) {
                if (FLayout == blGlyphLeft && showImage) {
                    image.x = x;
                    x += Sp + IW;
                }
                textX = x;
                x += TS + TW;
                if (FLayout == blGlyphRight && showImage) {
                    image.x = x;
                    x += Sp + IW;
                }
            } else {
                textX = x;
                if (!showImage) {
                    x += TW + TS;
                } else {
                    image.x = std::max((W - IW) / 2, x);
                    x = std::max(TS + textX + TW, image.x + IW + Sp);
                }
            }
            if (!rtl && UseSortGlyph) SortGlyphPos.x = x;
            break;
        }
        case taCenter: {
            if (horizontalLayout) {
                int x = (W - IW - TS - TW) / 2;
                if (FLayout == blGlyphLeft) {
                    image.x = x;
                    x += TS + IW;
                    textX = x;
                } else {
                    textX = x;
                    image.x = x + TS + TW;
                }
            } else {
                image.x = (W - IW) / 2;
                textX = (W - TW) / 2;
                if (UseSortGlyph) {
                    image.x -= GW / 2;
                    textX -= GW / 2;
                }
            }
            const int L = showImage ? std::min(image.x, textX) : textX;
            const int R = showImage ? std::max(image.x + IW, textX + TW) : textX + TW;
            if (UseSortGlyph) SortGlyphPos.x = rtl ? L - Sp - GW : R + Sp;
            break;
        }
        case taRightJustify: {
            int r = W - M;
            if (!rtl && UseSortGlyph) {
                SortGlyphPos.x = r - GW;
                r = SortGlyphPos.x - Sp;
            }
            if (horizontalLayout) {
                if (FLayout == blGlyphRight && showImage) {
                    image.x = r - IW;
                    r = image.x - Sp;
                }
                textX = r - TW;
                r -= TW + TS;
                if (FLayout == blGlyphLeft && showImage) {
                    image.x = r - IW;
                    r = image.x - Sp;
                }
            } else {
                textX = r - TW;
                if (!showImage) {
                    r = textX - TS;
                } else {
                    image.x = (W - IW) / 2;
                    if (r < image.x + IW + Sp) image.x = r - IW - Sp;
                    r = std::min(textX - TS, image.x - Sp);
                }
            }
            if (rtl && UseSortGlyph) SortGlyphPos.x = r - GW;
            break;
        }
        }
    }

    // Keep everything inside the margins.
    int leftLimit = M;
    int rightLimit = W - M;
    if (UseSortGlyph) {
        if (!rtl) {
            if (SortGlyphPos.x + GW > rightLimit) SortGlyphPos.x = rightLimit - GW;
            rightLimit = SortGlyphPos.x - Sp;
            if (SortGlyphPos.x < leftLimit) SortGlyphPos.x = leftLimit;
        } else {
            leftLimit = SortGlyphPos.x + GW + Sp;
        }
    }
    if (showImage) {
        if (image.x + IW > rightLimit) image.x = rightLimit - IW;
        if (FLayout == blGlyphRight) rightLimit = image.x - Sp;
        if (image.x < leftLimit) image.x = leftLimit;
        if (FLayout == blGlyphLeft) leftLimit = image.x + IW + Sp;
    }
    if (hasText) {
        textX = std::max(textX, leftLimit);
        TextBounds = TRect{textX, textY, textX + TW, textY + TH};
        if (TextBounds.right > rightLimit) TextBounds.right = rightLimit;
    }
    OffsetRect(&TextBounds, Client.left, Client.top);
    image.x += Client.left;
    image.y += Client.top;
    SortGlyphPos.x += Client.left;
    SortGlyphPos.y += Client.top;
}

void TVirtualTreeColumns::DrawButtonText(HDC DC, const UnicodeString& Caption, TRect Bounds,
                                         bool Enabled, bool Hot, UINT DrawFormat) {
    UnicodeString text = Caption;
    SIZE extent{};
    GetTextExtentPoint32W(DC, reinterpret_cast<LPCWSTR>(text.c_str()), text.length(), &extent);
    if (extent.cx > Bounds.right - Bounds.left)
        text = ShortenString(DC, text, Bounds.right - Bounds.left);
    SetBkMode(DC, TRANSPARENT);
    DrawFormat |= DT_NOPREFIX;
    RECT r = Bounds;
    if (Enabled) {
        TColor colour = Hot ? FHeader->FOwner->GetColors()->GetColor(TVTColors::HeaderHotColorIndex)
                            : FHeader->FFont->GetColor();
        SetTextColor(DC, ColorToRGB(colour));
        DrawTextW(DC, reinterpret_cast<LPCWSTR>(text.c_str()), text.length(), &r, DrawFormat);
    } else {
        OffsetRect(&r, 1, 1);
        SetTextColor(DC, ColorToRGB(clBtnHighlight));
        DrawTextW(DC, reinterpret_cast<LPCWSTR>(text.c_str()), text.length(), &r, DrawFormat);
        OffsetRect(&r, -1, -1);
        SetTextColor(DC, ColorToRGB(clBtnShadow));
        DrawTextW(DC, reinterpret_cast<LPCWSTR>(text.c_str()), text.length(), &r, DrawFormat);
    }
}

void TVirtualTreeColumns::DrawXPButton(HDC DC, const TRect& ButtonR, bool DrawSplitter, bool Down,
                                       bool Hover) {
    const COLORREF fill = Down ? 0xDEDFD8 : Hover ? 0xFAF8F3 : 0xEBEADB;
    HBRUSH brush = CreateSolidBrush(fill);
    RECT r = ButtonR;
    FillRect(DC, &r, brush);
    DeleteObject(brush);
    auto line = [DC](COLORREF Colour, int X1, int Y1, int X2, int Y2) {
        HPEN pen = CreatePen(PS_SOLID, 1, Colour);
        HGDIOBJ old = SelectObject(DC, pen);
        MoveToEx(DC, X1, Y1, nullptr);
        LineTo(DC, X2, Y2);
        SelectObject(DC, old);
        DeleteObject(pen);
    };
    if (DrawSplitter && !Down) {
        line(0xC7C5B2, r.right - 2, r.top + 3, r.right - 2, r.bottom - 5);
        line(0xFFFFFF, r.right - 1, r.top + 3, r.right - 1, r.bottom - 5);
    }
    if (Down) {
        line(0xA5A597, r.left, r.top, r.right - 1, r.top);
        line(0xA5A597, r.left, r.top, r.left, r.bottom - 1);
        line(0xC1C2B8, r.left + 1, r.top + 1, r.right - 1, r.top + 1);
        line(0xD0D1C9, r.left + 1, r.top + 2, r.right - 1, r.top + 2);
    } else {
        line(0xD0D6E2, r.left, r.bottom - 3, r.right, r.bottom - 3);
        line(0xC5CFDB, r.left, r.bottom - 2, r.right, r.bottom - 2);
        line(0xCBC7B8, r.left, r.bottom - 1, r.right, r.bottom - 1);
    }
}

void TVirtualTreeColumns::PaintHeader(HDC DC, const TRect& R, int HOffset) {
    TBaseVirtualTree* tree = FHeader->FOwner;
    const int width = R.right - R.left;
    const int height = R.bottom - R.top;
    if (width <= 0 || height <= 0) return;
    if (tree->UseRightToLeftAlignment()) HOffset += tree->ComputeRTLOffset();
    if (!FHeaderBitmap) {
        FHeaderBitmap = new TBitmap();
        FHeaderBitmap->SetPixelFormat(pf32bit);
    }
    FHeaderBitmap->SetSize(width, height);
    TCanvas* canvas = FHeaderBitmap->GetCanvas();
    canvas->Lock();
    struct Unlock {
        TCanvas* C;
        ~Unlock() { C->Unlock(); }
    } unlock{canvas};
    HDC bitmapDC = canvas->GetHandle();
    SetWindowOrgEx(bitmapDC, R.left, R.top, nullptr);

    const TVTHeaderOptions options = FHeader->FOptions;
    THeaderPaintElements ownElements;
    const bool advanced = options.Contains(hoOwnerDraw) && tree->OnAdvancedHeaderDraw &&
                          tree->OnHeaderDrawQueryElements;
    THeaderPaintInfo info;
    info.TargetCanvas = canvas;
    if (advanced) {
        info.PaintRectangle = R;
        tree->DoHeaderDrawQueryElements(info, ownElements);
    }
    if (advanced && ownElements.Contains(hpeBackground)) {
        info.Column = nullptr;
        tree->DoAdvancedHeaderDraw(info, THeaderPaintElements{hpeBackground});
    } else if (FHeader->FStyle == hsXPStyle) {
        DrawXPButton(bitmapDC, R, false, false, false);
    } else {
        canvas->GetBrush()->SetColor(FHeader->FBackground);
        canvas->FillRect(R);
    }

    canvas->SetFont(FHeader->FFont);
    HGDIOBJ font = SelectObject(bitmapDC, FHeader->FFont->GetHandle());
    const TButtonLook look = LookOf(FHeader->FStyle);
    const std::vector<TVirtualTreeColumn*> visible = GetVisibleColumns();
    bool shifted = false;
    for (size_t i = 0; i < visible.size(); ++i) {
        TVirtualTreeColumn* column = visible[i];
        TRect button{column->FLeft, R.top, column->FLeft + column->FWidth, R.top + FHeader->FHeight};
        if (!column->FOptions.Contains(coFixed)) shifted = true;
        if (shifted) OffsetRect(&button, -HOffset, 0);
        if (button.left > R.right) break;
        if (button.right < R.left) continue;
        const TColumnIndex index = column->GetIndex();
        const bool last = i + 1 == visible.size();
        const bool hot = index == FHoverIndex && options.Contains(hoHotTrack) &&
                         column->FOptions.Contains(coEnabled);
        const bool pressed = index == FDownIndex;
        const bool enabled = column->FOptions.Contains(coEnabled);
        TVTDropMarkMode dropMark = dmmNone;
        if (column->FOptions.Contains(coShowDropMark) && index == FDropTarget &&
            index != FDragIndex)
            dropMark = FDropBefore ? dmmLeft : dmmRight;
        const bool showImage = options.Contains(hoShowImages) && FHeader->FImages &&
                               column->FImageIndex >= 0;
        const bool showSortGlyph = index == FHeader->FSortColumn &&
                                   options.Contains(hoShowSortGlyphs);

        const int saved = SaveDC(bitmapDC);
        IntersectClipRect(bitmapDC, std::max(button.left, R.left), button.top,
                          std::min(button.right, R.right), button.bottom);
        if (column->FStyle == vsOwnerDraw && options.Contains(hoOwnerDraw) && tree->OnHeaderDraw &&
            !advanced) {
            tree->DoHeaderDraw(canvas, column, button, hot, pressed, dropMark);
            RestoreDC(bitmapDC, saved);
            continue;
        }
        RECT edge = button;
        if (FHeader->FStyle == hsXPStyle) {
            DrawXPButton(bitmapDC, button, !last, pressed, hot);
        } else {
            UINT flags = pressed ? look.PressedFlags : look.NormalFlags;
            UINT edgeKind = pressed ? look.PressedEdge : look.NormalEdge;
            if (FHeader->FStyle == hsPlates && hot && !pressed && column->FOptions.Contains(coAllowClick) &&
                enabled)
                flags = 0x280B;
            if (!pressed) {
                const bool bevelled = tree->GetBevelKind() != bkNone;
                if (!last ||
                    !(FHeader->FStyle != hsThickButtons && options.Contains(hoAutoResize) && bevelled))
                    flags |= BF_RIGHT;
            }
            DrawEdge(bitmapDC, &edge, edgeKind, flags);
        }
        TRect inner = button;
        InflateRect(&inner, -2, -2);
        if (pressed) OffsetRect(&inner, 1, 1);
        TPoint glyphPos{}, sortPos{};
        TRect textBounds{};
        column->ComputeHeaderLayout(bitmapDC, inner, showImage, showSortGlyph, glyphPos, sortPos,
                                    textBounds);
        if (showImage && !(advanced && ownElements.Contains(hpeHeaderGlyph)))
            FHeader->FImages->Draw(canvas, glyphPos.x, glyphPos.y, column->FImageIndex, enabled);
        if (column->FText.length() > 0 && !(advanced && ownElements.Contains(hpeText))) {
            UINT format = DT_LEFT | DT_SINGLELINE | DT_VCENTER;
            if (column->UseRightToLeftReading()) format |= DT_RTLREADING;
            DrawButtonText(bitmapDC, column->FText, textBounds, enabled,
                           hot && options.Contains(hoHotTrack), format);
        }
        if (showSortGlyph && !(advanced && ownElements.Contains(hpeSortGlyph)))
            DrawUtilityImage(bitmapDC, FHeader->FSortDirection == sdAscending ? 3 : 2, sortPos.x,
                             sortPos.y);
        if (dropMark != dmmNone && !(advanced && ownElements.Contains(hpeDropMark))) {
            const int y = (FHeader->FHeight - 16) / 2;
            if (dropMark == dmmLeft)
                DrawUtilityImage(bitmapDC, 0, button.left, y);
            else
                DrawUtilityImage(bitmapDC, 1, button.right - 16, y);
        }
        if (advanced && !ownElements.Empty()) {
            info.Column = column;
            info.PaintRectangle = button;
            info.TextRectangle = textBounds;
            info.IsHoverIndex = hot;
            info.IsDownIndex = pressed;
            info.IsEnabled = enabled;
            info.ShowHeaderGlyph = showImage;
            info.ShowSortGlyph = showSortGlyph;
            info.ShowRightBorder = !last;
            info.DropMark = dropMark;
            info.GlyphPos = glyphPos;
            info.SortGlyphPos = sortPos;
            const int state = SaveDC(bitmapDC);
            tree->DoAdvancedHeaderDraw(info, ownElements - THeaderPaintElements{hpeBackground});
            RestoreDC(bitmapDC, state);
        }
        RestoreDC(bitmapDC, saved);
    }
    SelectObject(bitmapDC, font);
    SetWindowOrgEx(bitmapDC, 0, 0, nullptr);
    BitBlt(DC, R.left, R.top, width, height, bitmapDC, 0, 0, SRCCOPY);
}
