// The string tree's renderings of a set of its nodes: plain text, Unicode
// text, CSV, HTML and RTF, as the clipboard and drag formats and
// applications take them. Every rendering walks the same nodes and lays the
// levels out by indentation; texts are escaped for the format they land in.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Canvas.h>
#include <quorlpak/Font.h>
#include <quorlpak/Screen.h>
#include <runpak/FormatSettings.h>
#include <win32/windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char* const CRLF = "\r\n";

std::string Utf8(const UnicodeString& S) {
    return UnicodeToUtf8(S);
}

// Text for an HTML text or attribute: the characters with a meaning of their own are escaped.
std::string HtmlText(const UnicodeString& S) {
    std::string out;
    for (char c : Utf8(S)) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string HtmlColor(TColor Color) {
    const COLORREF rgb = ColorToRGB(Color);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%.2X%.2X%.2X", unsigned(GetRValue(rgb)),
                  unsigned(GetGValue(rgb)), unsigned(GetBValue(rgb)));
    return buffer;
}

std::string HtmlFont(TFont* Font) {
    std::string out = "{font:";
    const TFontStyles style = Font->GetStyle();
    if (style.Contains(fsUnderline)) out += " underline";
    if (style.Contains(fsItalic)) out += " italic";
    if (style.Contains(fsBold)) out += " bold";
    out += " " + std::to_string(Font->GetSize()) + "pt \"" + HtmlText(Font->GetName()) + "\";";
    out += "color:" + HtmlColor(Font->GetColor()) + ";}";
    return out;
}

std::string Ansi(const UnicodeString& S) {
    if (S.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_ACP, 0, S.c_str(), int(S.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, S.c_str(), int(S.size()), out.data(), size, nullptr,
                            nullptr);
    return out;
}

bool HasLineBreak(const UnicodeString& S) {
    return S.find_first_of(u"\r\n") != UnicodeString::npos;
}

struct TFontKey {
    UnicodeString Name;
    TColor Color;
    int Size;
    TFontStyles Style;
};

bool SameFont(const TFontKey& A, TFont* B) {
    return A.Name == B->GetName() && A.Color == B->GetColor() && A.Size == B->GetSize() &&
           A.Style == B->GetStyle();
}

} // namespace

// --- Node walk ----------------------------------------------------------------------------------

PVirtualNode TCustomVirtualStringTree::FirstOf(TQOZTextSourceType Source) {
    switch (Source) {
    case tstInitialized: return GetFirstInitialized();
    case tstSelected: return GetFirstSelected();
    case tstCutCopySet: return GetFirstCutCopy();
    case tstVisible: return GetFirstVisible();
    case tstAll: break;
    }
    return GetFirst();
}

PVirtualNode TCustomVirtualStringTree::NextOf(TQOZTextSourceType Source, PVirtualNode Node) {
    switch (Source) {
    case tstInitialized: return GetNextInitialized(Node);
    case tstSelected: return GetNextSelected(Node);
    case tstCutCopySet: return GetNextCutCopy(Node);
    case tstVisible: return GetNextVisible(Node);
    case tstAll: break;
    }
    return GetNext(Node);
}

TCustomVirtualStringTree::TExportLayout TCustomVirtualStringTree::ExportLayout(
    TQOZTextSourceType Source) {
    TExportLayout layout;
    if (FHeader->UseColumns())
        for (TVirtualTreeColumn* column : FHeader->GetColumns()->GetVisibleColumns())
            layout.Columns.push_back(column);
    for (PVirtualNode run = FirstOf(Source); run; run = NextOf(Source, run)) {
        layout.Nodes.push_back(run);
        layout.MaxLevel = std::max(layout.MaxLevel, GetNodeLevel(run));
    }
    return layout;
}

// --- Text -----------------------------------------------------------------------------------------

UnicodeString TCustomVirtualStringTree::RenderText(TQOZTextSourceType Source, char16_t Separator,
                                                    TTextQuoting Quoting) {
    const TExportLayout layout = ExportLayout(Source);
    const UnicodeString separator(1, Separator);
    auto repeat = [&](uint32_t n) {
        UnicodeString s;
        for (uint32_t i = 0; i < n; ++i)
            s += separator;
        return s;
    };
    auto quote = [&](const UnicodeString& text) {
        const bool hasSeparator = text.find(Separator) != UnicodeString::npos;
        const bool hasQuote = text.find(u'"') != UnicodeString::npos;
        switch (Quoting) {
        case tqUnicode:
            if (!hasSeparator) return text;
            return u"\"" + text + u"\"";
        case tqAnsi:
        case tqCsv:
            if (!hasSeparator && !hasQuote && !(Quoting == tqCsv && HasLineBreak(text)))
                return text;
            UnicodeString out = u"\"";
            for (char16_t c : text) {
                if (c == u'"') out += u'"';
                out += c;
            }
            return out + u"\"";
        }
        return text;
    };
    const TColumnIndex main = GetMainColumn();
    UnicodeString out;
    if (!layout.Columns.empty()) {
        for (size_t i = 0; i < layout.Columns.size(); ++i) {
            out += layout.Columns[i]->GetText();
            if (i + 1 < layout.Columns.size())
                out += layout.Columns[i]->GetIndex() == main ? repeat(layout.MaxLevel) + separator
                                                             : separator;
        }
        out += u"\r\n";
    }
    for (PVirtualNode node : layout.Nodes) {
        const uint32_t level = GetNodeLevel(node);
        if (layout.Columns.empty()) {
            out += repeat(level) + GetText(node, NoColumn) + u"\r\n";
            continue;
        }
        for (size_t i = 0; i < layout.Columns.size(); ++i) {
            const TColumnIndex column = layout.Columns[i]->GetIndex();
            const UnicodeString text = quote(GetText(node, column));
            if (column == main)
                out += repeat(level) + text + repeat(layout.MaxLevel - level);
            else
                out += text;
            if (i + 1 < layout.Columns.size()) out += separator;
        }
        out += u"\r\n";
    }
    return out;
}

std::string TCustomVirtualStringTree::ContentToText(TQOZTextSourceType Source, char Separator) {
    return Ansi(RenderText(Source, char16_t(uint8_t(Separator)), tqAnsi));
}

UnicodeString TCustomVirtualStringTree::ContentToUnicode(TQOZTextSourceType Source,
                                                         char16_t Separator) {
    return RenderText(Source, Separator, tqUnicode);
}

std::string TCustomVirtualStringTree::ContentToCSV(TQOZTextSourceType Source) {
    return Ansi(RenderText(Source, FormatSettings().ListSeparator, tqCsv));
}

// --- HTML -----------------------------------------------------------------------------------------

std::string TCustomVirtualStringTree::ContentToHTML(TQOZTextSourceType Source,
                                                    const UnicodeString& Caption) {
    const TExportLayout layout = ExportLayout(Source);
    const TColumnIndex main = GetMainColumn();
    const std::string padding = "padding-left:" + std::to_string(FMargin) +
                                "px;padding-right:" + std::to_string(FMargin) + "px;";
    const std::string borderStyle = FLineStyle == lsSolid ? "solid;" : "dotted;";
    const TVTPaintOptions paint = FOptions->GetPaintOptions();

    std::string attributes = " ";
    if (!Caption.empty()) attributes += "caption=\"" + HtmlText(Caption) + "\"";
    if (GetBorderStyle() == bsSingle)
        attributes += std::string(Caption.empty() ? "" : " ") + "border=\"" + std::to_string(GetBorderWidth() + 1) + "\" frame=box";

    std::string out = "<style type=\"text/css\">";
    out += CRLF;
    out += ".default" + HtmlFont(GetFont()) + CRLF;
    out += ".header" + HtmlFont(FHeader->GetFont()) + CRLF;
    if (paint.Contains(toShowHorzGridLines))
        out += ".noborder{border-style:" + borderStyle +
               " border-bottom:1;border-left:0;border-right:0; border-top:0;";
    else
        out += ".noborder{border-style:none;";
    out += padding + "}" + CRLF;
    out += ".normalborder {border-top:none; border-left:none; ";
    out += paint.Contains(toShowVertGridLines) ? "border-right:1 " + borderStyle
                                               : std::string("border-right:none;");
    out += paint.Contains(toShowHorzGridLines) ? "border-bottom:1 " + borderStyle
                                               : std::string("border-bottom:none;");
    out += padding + "}" + CRLF + "</style>" + CRLF;
    out += "<table class=\"default\" bgcolor=" + HtmlColor(GetColor()) + attributes +
           " cellspacing=\"0\" cellpadding=" + std::to_string(FMargin) + ">" + CRLF;

    auto alignment = [&](TVirtualTreeColumn* column) {
        std::string s;
        TAlignment align = column ? column->GetAlignment() : taLeftJustify;
        if (column && column->GetBiDiMode() != bdLeftToRight) {
            s += " dir=\"rtl\"";
            if (align == taLeftJustify)
                align = taRightJustify;
            else if (align == taRightJustify)
                align = taLeftJustify;
        }
        s += align == taRightJustify ? " align=right"
             : align == taCenter     ? " align=center"
                                     : " align=left";
        return s;
    };

    if (!layout.Columns.empty()) {
        out += "<tr class=\"header\" style=\"" + padding + "\">" + CRLF;
        for (TVirtualTreeColumn* column : layout.Columns) {
            out += "<th height=\"" + std::to_string(FHeader->GetHeight()) + "px\"" +
                   alignment(column);
            if (column->GetIndex() == main && layout.MaxLevel > 0)
                out += " colspan=\"" + std::to_string(layout.MaxLevel + 1) + "\"";
            out += " bgcolor=" + HtmlColor(clBtnFace) + " width=\"" +
                   std::to_string(column->GetWidth()) + "px\">" + HtmlText(column->GetText()) +
                   "</th>";
        }
        out += std::string("</tr>") + CRLF;
    }

    TCanvas* canvas = GetCanvas();
    for (PVirtualNode node : layout.Nodes) {
        const uint32_t level = GetNodeLevel(node);
        const std::string height = std::to_string(GetNodeHeight(node));
        out += std::string(" <tr class=\"default\">") + CRLF;
        const size_t cells = std::max<size_t>(layout.Columns.size(), 1);
        for (size_t i = 0; i < cells; ++i) {
            TVirtualTreeColumn* column = layout.Columns.empty() ? nullptr : layout.Columns[i];
            const TColumnIndex index = column ? column->GetIndex() : NoColumn;
            canvas->SetFont(GetFont());
            DoPaintText(node, canvas, index, ttNormal);
            const bool fontChanged = !(canvas->GetFont()->GetStyle() == GetFont()->GetStyle()) ||
                                     canvas->GetFont()->GetColor() != GetFont()->GetColor() ||
                                     canvas->GetFont()->GetSize() != GetFont()->GetSize() ||
                                     canvas->GetFont()->GetName() != GetFont()->GetName();
            const bool parentColor = !column || column->GetOptions().Contains(coParentColor);
            if (index == main || !column) {
                for (uint32_t l = 0; l < level; ++l) {
                    if (parentColor)
                        out += l == 0 ? " <td height=\"" + height + "px\">&nbsp;</td>"
                                      : std::string(" <td>&nbsp;</td>");
                    else
                        out += "<td class=\"noborder\" width=\"" + std::to_string(FIndent) +
                               "\" height=\"" + height + "px\" bgcolor=" +
                               HtmlColor(column->GetColor()) + ">&nbsp;</td>";
                }
            }
            if (fontChanged)
                out += " <td class=\"normalborder\"  style=\"" + HtmlFont(canvas->GetFont()) +
                       "\" height=\"";
            else
                out += " <td class=\"normalborder\"  height=\"";
            out += height + "px\"" + alignment(column);
            if ((index == main || !column) && level < layout.MaxLevel)
                out += " colspan=\"" + std::to_string(layout.MaxLevel - level + 1) + "\"";
            if (column && !parentColor) out += " bgcolor=" + HtmlColor(column->GetColor());
            out += ">" + HtmlText(GetText(node, index)) + "</td>";
        }
        out += std::string(" </tr>") + CRLF;
    }
    out += "</table>";
    canvas->SetFont(GetFont());
    return out;
}

// --- RTF ------------------------------------------------------------------------------------------

std::string TCustomVirtualStringTree::ContentToRTF(TQOZTextSourceType Source) {
    const TExportLayout layout = ExportLayout(Source);
    const TColumnIndex main = GetMainColumn();
    std::vector<UnicodeString> fonts;
    std::vector<COLORREF> colors;
    int lastFont = -1, lastColor = -1, lastSize = -1;
    std::string body = "\\uc1\\trowd\\trgaph70";

    auto text = [&](const UnicodeString& s, TFont* font) {
        if (s.empty()) return;
        const TFontStyles style = font->GetStyle();
        if (style.Contains(fsUnderline)) body += "\\ul";
        if (style.Contains(fsItalic)) body += "\\i";
        if (style.Contains(fsBold)) body += "\\b";
        int f = int(std::find(fonts.begin(), fonts.end(), font->GetName()) - fonts.begin());
        if (f == int(fonts.size())) fonts.push_back(font->GetName());
        if (f != lastFont) body += "\\f" + std::to_string(lastFont = f);
        const COLORREF rgb = ColorToRGB(font->GetColor());
        int c = int(std::find(colors.begin(), colors.end(), rgb) - colors.begin());
        if (c == int(colors.size())) colors.push_back(rgb);
        if (c != lastColor) body += "\\cf" + std::to_string((lastColor = c) + 1);
        if (font->GetSize() != lastSize) body += "\\fs" + std::to_string(2 * (lastSize = font->GetSize()));
        body += ' ';
        body += RtfText(s);
        if (style.Contains(fsUnderline)) body += "\\ul0";
        if (style.Contains(fsItalic)) body += "\\i0";
        if (style.Contains(fsBold)) body += "\\b0";
    };
    auto alignment = [&](TVirtualTreeColumn* column) {
        if (!column) return;
        TAlignment align = column->GetAlignment();
        if (column->GetBiDiMode() != bdLeftToRight)
            align = align == taLeftJustify ? taRightJustify
                    : align == taRightJustify ? taLeftJustify
                                              : align;
        if (align == taRightJustify) body += "\\qr";
        if (align == taCenter) body += "\\qc";
    };

    const int ppi = Screen ? Screen->GetPixelsPerInch() : 96;
    if (layout.Columns.empty()) {
        body += "\\cellx" + std::to_string(std::lround(std::nearbyint(GetClientWidth() * 1440.0 / ppi)));
    } else {
        int right = 0;
        for (TVirtualTreeColumn* column : layout.Columns) {
            right += column->GetWidth();
            body += "\\cellx" + std::to_string(std::lround(std::nearbyint(right * 1440.0 / ppi)));
        }
        body += "\\pard\\intbl";
        for (TVirtualTreeColumn* column : layout.Columns) {
            alignment(column);
            text(column->GetText(), FHeader->GetFont());
            body += "\\cell";
        }
        body += "\\row";
    }
    TCanvas* canvas = GetCanvas();
    for (PVirtualNode node : layout.Nodes) {
        const uint32_t level = GetNodeLevel(node);
        const size_t cells = std::max<size_t>(layout.Columns.size(), 1);
        for (size_t i = 0; i < cells; ++i) {
            TVirtualTreeColumn* column = layout.Columns.empty() ? nullptr : layout.Columns[i];
            const TColumnIndex index = column ? column->GetIndex() : NoColumn;
            body += "\\pard\\intbl";
            alignment(column);
            canvas->SetFont(GetFont());
            DoPaintText(node, canvas, index, ttNormal);
            if ((index == main || !column) && level >= 1) {
                for (uint32_t l = 0; l < level; ++l)
                    body += "\\tab";
                body += ' ';
            }
            text(GetText(node, index), canvas->GetFont());
            body += "\\cell";
        }
        body += "\\row";
    }
    body += "\\pard\\par";
    canvas->SetFont(GetFont());

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i)
        out += "{\\f" + std::to_string(i) + " " + RtfText(fonts[i]) + ";}";
    out += "}{\\colortbl;";
    for (COLORREF rgb : colors)
        out += "\\red" + std::to_string(GetRValue(rgb)) + "\\green" +
               std::to_string(GetGValue(rgb)) + "\\blue" + std::to_string(GetBValue(rgb)) + ";";
    out += "}" + body + "}";
    return out;
}

std::string TCustomVirtualStringTree::RtfText(const UnicodeString& S) {
    std::string out;
    for (char16_t c : S) {
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            // Beyond printable ASCII: the Unicode escape with '?' for readers without it.
            out += "\\u" + std::to_string(int16_t(c)) + "\\'3f";
        }
    }
    return out;
}

// --- Clipboard --------------------------------------------------------------------------------

HGLOBAL TCustomVirtualStringTree::ContentToClipboard(uint16_t Format, TQOZTextSourceType Source) {
    std::string bytes;
    if (Format == CF_TEXT) {
        bytes = ContentToText(Source, '\t');
        bytes.push_back('\0');
    } else if (Format == CF_UNICODETEXT) {
        const UnicodeString text = ContentToUnicode(Source, u'\t');
        bytes.assign(reinterpret_cast<const char*>(text.c_str()), 2 * text.size());
        bytes.append(2, '\0');
    } else if (Format == CF_CSV && CF_CSV) {
        bytes = ContentToCSV(Source);
        bytes.push_back('\0');
    } else if ((Format == CF_VRTF || Format == CF_VRTFNOOBJS) && Format) {
        bytes = ContentToRTF(Source);
        bytes.push_back('\0');
    } else if (Format == CF_HTML && CF_HTML) {
        bytes = HtmlClipboardText(ContentToHTML(Source, UnicodeString()));
        bytes.push_back('\0');
    }
    if (bytes.empty()) return nullptr;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, bytes.size());
    if (!global) return nullptr;
    void* memory = GlobalLock(global);
    std::memcpy(memory, bytes.data(), bytes.size());
    GlobalUnlock(global);
    return global;
}

std::string TCustomVirtualStringTree::HtmlClipboardText(const std::string& Html) {
    static const char Head[] =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"
        "<html><head><META http-equiv=Content-Type content=\"text/html; charset=utf-8\">"
        "</head><body><!--StartFragment-->";
    static const char Tail[] = "<!--EndFragment--></body></html>";
    const size_t length = Html.size();
    char header[128];
    const size_t startHtml = 97;
    const size_t startFragment = startHtml + sizeof Head - 1;
    const size_t endFragment = startFragment + length;
    const size_t endHtml = endFragment + sizeof Tail - 1;
    std::snprintf(header, sizeof header,
                  "Version:1.0\r\nStartHTML:%.8zu\r\nEndHTML:%.8zu\r\nStartFragment:%.8zu\r\n"
                  "EndFragment:%.8zu\r\n",
                  startHtml, endHtml, startFragment, endFragment);
    return std::string(header) + Head + Html + Tail;
}
