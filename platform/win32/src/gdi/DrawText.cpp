// DrawTextW / DrawTextExW: prefixes, tabs, line and word breaks, ellipses,
// alignment and the calculated rectangle, over the same advances that
// GetTextExtentPoint32W reports.
#include "Raster.h"
#include "Text.h"
#include "UserDraw.h"

#include <algorithm>

using namespace win32;

namespace {

const std::u16string kEllipsis = u"...";

struct Line {
    std::u16string text;
    int underline = -1; // index of the character whose prefix underline is drawn
    int width = 0;
};

bool IsWide(char16_t c) {
    return c >= 0x2E80 && !(c >= 0xD800 && c < 0xE000) && c < 0xFF61;
}

class Layout {
public:
    Layout(DeviceContext& dc, FontInstance& font, UINT format, int tabPixels)
        : dc_(dc), font_(font), format_(format), tab_(std::max(1, tabPixels)) {}

    // Width of text, tabs expanded to their stops when asked.
    int Width(const std::u16string& text) const { return Extents(text).back(); }

    // extents[i] = width of text[0, i); extents has size() + 1 entries.
    std::vector<int> Extents(const std::u16string& text) const {
        std::vector<int> adv = UnitAdvances(dc_, font_, text.data(), static_cast<int>(text.size()));
        std::vector<int> out{0};
        int x = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\t' && (format_ & DT_EXPANDTABS))
                x = (x / tab_ + 1) * tab_;
            else
                x += adv[i];
            out.push_back(x);
        }
        return out;
    }

    // The longest prefix of text (at least `minimum` units) that fits in width.
    size_t Fit(const std::u16string& text, int width, size_t minimum = 0) const {
        std::vector<int> ext = Extents(text);
        size_t n = 0;
        while (n < text.size() && ext[n + 1] <= width)
            ++n;
        return std::max(n, std::min(minimum, text.size()));
    }

    std::u16string EndEllipsis(const std::u16string& text, int width) const {
        if (Width(text) <= width) return text;
        int room = width - Width(kEllipsis);
        size_t n = room > 0 ? Fit(text, room) : 0;
        return text.substr(0, n) + kEllipsis;
    }

    // Keeps the last path element and as much of the start as fits.
    std::u16string PathEllipsis(const std::u16string& text, int width) const {
        if (Width(text) <= width) return text;
        size_t sep = text.find_last_of(u"\\/");
        if (sep == std::u16string::npos) return EndEllipsis(text, width);
        std::u16string tail = text.substr(sep);
        int room = width - Width(kEllipsis + tail);
        if (room < 0) return EndEllipsis(kEllipsis + tail, width);
        return text.substr(0, Fit(text.substr(0, sep), room)) + kEllipsis + tail;
    }

    // Breaks one paragraph into lines no wider than `width` where possible.
    std::vector<Line> Wrap(const Line& para, int width) const {
        std::vector<Line> out;
        const std::u16string& t = para.text;
        size_t pos = 0;
        bool charBreak = format_ & DT_EDITCONTROL;
        do {
            std::u16string rest = t.substr(pos);
            size_t fit = Fit(rest, width);
            size_t end, next;
            if (fit >= rest.size()) {
                end = next = t.size();
            } else {
                size_t b = fit; // break before a space or next to a wide character
                while (b > 0 && rest[b] != u' ' &&
                       !((format_ & DT_NOFULLWIDTHCHARBREAK) == 0 &&
                         (IsWide(rest[b]) || IsWide(rest[b - 1]))))
                    --b;
                if (b > 0) {
                    end = pos + b;
                } else if (charBreak) {
                    end = pos + std::max<size_t>(fit, 1);
                } else {
                    // A word longer than the line stays whole and overflows.
                    size_t space = rest.find(u' ');
                    end = space == std::u16string::npos ? t.size() : pos + space;
                }
                next = end;
                while (next < t.size() && t[next] == u' ')
                    ++next;
                while (end > pos && t[end - 1] == u' ')
                    --end;
            }
            Line line;
            line.text = t.substr(pos, end - pos);
            if (para.underline >= static_cast<int>(pos) && para.underline < static_cast<int>(end))
                line.underline = para.underline - static_cast<int>(pos);
            out.push_back(std::move(line));
            pos = next;
        } while (pos < t.size());
        return out;
    }

private:
    DeviceContext& dc_;
    FontInstance& font_;
    UINT format_;
    int tab_;
};

// Removes prefix characters: "&x" underlines x, "&&" is one ampersand.
Line StripPrefixes(const std::u16string& text, bool process) {
    Line line;
    if (!process) {
        line.text = text;
        return line;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            line.text += text[i];
            continue;
        }
        if (i + 1 >= text.size()) break;
        if (text[i + 1] != u'&') line.underline = static_cast<int>(line.text.size());
        line.text += text[++i];
    }
    return line;
}

std::vector<std::u16string> Paragraphs(const std::u16string& text, bool single) {
    if (single) return {text};
    std::vector<std::u16string> out{u""};
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

} // namespace

int DrawTextExW(HDC dc, LPWSTR text, int length, LPRECT rect, UINT format,
                LPDRAWTEXTPARAMS params) {
    GdiLock lock;
    auto ctx = LookupDC(dc);
    if (!ctx || !rect || (!text && length != 0)) {
        if (ctx) SetInvalidParameter();
        return 0;
    }
    if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) {
        SetInvalidParameter();
        return 0;
    }
    FontInstance* font = CurrentFont(*ctx);
    if (!font) return 0;
    const bool counted = length >= 0;
    if (length < 0) length = static_cast<int>(std::char_traits<char16_t>::length(text));
    const TEXTMETRICW& tm = font->Metrics();

    int tabChars = 8;
    if (format & DT_TABSTOP) {
        // The tab length is read from bits 8..15, which keep their meaning as
        // flags too: DT_CALCRECT still measures (with tabs of four characters).
        // A length of 0 keeps the usual eight characters.
        if (int given = (format >> 8) & 0xFF) tabChars = given;
    }
    if (params && params->iTabLength > 0) tabChars = params->iTabLength;
    int leftMargin = params ? params->iLeftMargin : 0,
        rightMargin = params ? params->iRightMargin : 0;
    int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    bool single = format & DT_SINGLELINE;
    int width = rect->right - rect->left - leftMargin - rightMargin;
    if (params) params->uiLengthDrawn = static_cast<UINT>(length);

    // An empty text still takes a line. A count of 0 leaves the rectangle as it
    // was; an empty string measures as an empty rectangle.
    if (length == 0) {
        if ((format & DT_CALCRECT) && !counted) {
            rect->right = rect->left;
            rect->bottom = rect->top;
        }
        return lineHeight;
    }

    Layout layout(*ctx, *font, format, tabChars * tm.tmAveCharWidth);
    std::u16string source(text, text + length);
    std::vector<Line> lines;
    for (const std::u16string& para : Paragraphs(source, single)) {
        Line stripped = StripPrefixes(para, !(format & DT_NOPREFIX));
        if ((format & DT_WORDBREAK) && !single) {
            for (Line& l : layout.Wrap(stripped, width))
                lines.push_back(std::move(l));
        } else {
            lines.push_back(std::move(stripped));
        }
    }

    // Lines that would show only in part are dropped for edit-control text;
    // when text is cut off at the bottom, the last line shown ends in an ellipsis.
    bool calc = format & DT_CALCRECT;
    int rectHeight = rect->bottom - rect->top;
    if (!calc && !single && (format & DT_WORDBREAK) &&
        (format & (DT_EDITCONTROL | DT_END_ELLIPSIS))) {
        size_t fits = static_cast<size_t>(std::max(1, rectHeight / std::max(1, lineHeight)));
        if (lines.size() > fits) {
            std::u16string cut = lines[fits - 1].text + u" " + lines[fits].text;
            lines.resize(fits);
            if (format & DT_END_ELLIPSIS)
                lines.back().text = layout.EndEllipsis(cut + kEllipsis, width);
        }
    }
    bool ellipsised = false;
    for (Line& l : lines) {
        std::u16string before = l.text;
        if (format & DT_PATH_ELLIPSIS)
            l.text = layout.PathEllipsis(l.text, width);
        else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
            l.text = layout.EndEllipsis(l.text, width);
        if (l.text != before) {
            ellipsised = true;
            if (l.underline >= static_cast<int>(l.text.size()) - 3) l.underline = -1;
        }
        l.width = layout.Width(l.text);
    }
    if (ellipsised && (format & DT_MODIFYSTRING) && !lines.empty()) {
        // The caller's buffer has room for the text and four more characters.
        const std::u16string& shown = lines.front().text;
        size_t n = std::min<size_t>(shown.size(), static_cast<size_t>(length) + 4);
        std::copy(shown.begin(), shown.begin() + n, text);
        if (n < static_cast<size_t>(length) + 4) text[n] = 0;
    }

    int textHeight = static_cast<int>(lines.size()) * lineHeight;
    int maxWidth = 0;
    for (const Line& l : lines)
        maxWidth = std::max(maxWidth, l.width);
    int top = rect->top;
    if (single && (format & DT_VCENTER))
        top = rect->top + (rectHeight - textHeight) / 2;
    else if (single && (format & DT_BOTTOM))
        top = rect->bottom - textHeight;

    if (calc) {
        rect->right = rect->left + maxWidth + leftMargin + rightMargin;
        rect->bottom = rect->top + textHeight;
        return textHeight;
    }

    UINT savedAlign = ctx->State().textAlign;
    ctx->State().textAlign = TA_LEFT | TA_TOP;
    UINT options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
    int y = top;
    for (const Line& l : lines) {
        int x = rect->left + leftMargin;
        if (format & DT_CENTER)
            x += (width - l.width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - rightMargin - l.width;
        if (!(format & DT_PREFIXONLY)) {
            if (format & DT_EXPANDTABS) {
                // Each tab-separated piece starts at its tab stop.
                std::vector<int> ext = layout.Extents(l.text);
                size_t start = 0;
                for (size_t i = 0; i <= l.text.size(); ++i) {
                    if (i < l.text.size() && l.text[i] != u'\t') continue;
                    if (i > start)
                        ExtTextOutW(dc, x + ext[start], y, options, rect, l.text.data() + start,
                                    static_cast<UINT>(i - start), nullptr);
                    start = i + 1;
                }
            } else {
                ExtTextOutW(dc, x, y, options, rect, l.text.data(),
                            static_cast<UINT>(l.text.size()), nullptr);
            }
        }
        if (l.underline >= 0 && !(format & DT_HIDEPREFIX)) {
            std::vector<int> ext = layout.Extents(l.text);
            RECT bar{x + ext[l.underline], y + font->UnderlineY(), x + ext[l.underline + 1],
                     y + font->UnderlineY() + font->UnderlineThickness()};
            Region clip = ctx->Visible();
            if (!(format & DT_NOCLIP)) clip = clip.Intersect(ToSurfaceRect(*ctx, *rect));
            FillRegion(ctx->Target(), clip, Region(ToSurfaceRect(*ctx, bar)),
                       SolidInk(ctx->PixelOf(ctx->State().textColor), R2_COPYPEN));
        }
        y += lineHeight;
    }
    ctx->State().textAlign = savedAlign;
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) {
        // The offset of the text's bottom; 0 would read as failure.
        const int bottom = top - rect->top + textHeight;
        return bottom != 0 ? bottom : 1;
    }
    return textHeight;
}

int DrawTextW(HDC dc, LPCWSTR text, int length, LPRECT rect, UINT format) {
    // Only DT_MODIFYSTRING writes to the text, as with the system's own call.
    return DrawTextExW(dc, const_cast<LPWSTR>(text), length, rect, format, nullptr);
}
