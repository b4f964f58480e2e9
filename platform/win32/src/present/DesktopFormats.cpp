// Conversions between the layer's clipboard formats and the desktop's.
#include "DesktopFormats.h"

#include "../Paths.h"

#include <win32/shlobj.h>
#include <win32/winnls.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace win32::present {

namespace {

std::u16string Utf16(const std::string& bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return text.substr(0, text.find(u'\0'));
}

std::string ToUtf8(const std::u16string& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::u16string FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    std::u16string out(static_cast<size_t>(std::max(n, 0)), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::u16string WithCrLf(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out.push_back(u'\r');
        out.push_back(text[i]);
    }
    return out;
}

std::u16string WithoutCr(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) out.push_back(text[i]);
    return out;
}

std::string Bytes(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

std::string UpToNul(const std::string& bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

// The number after `key` in an "HTML Format" header, -1 when absent.
long HeaderNumber(const std::string& text, const char* key) {
    const size_t at = text.find(key);
    if (at == std::string::npos) return -1;
    return std::strtol(text.c_str() + at + std::strlen(key), nullptr, 10);
}

std::string HtmlFromClipboard(const std::string& raw) {
    const std::string text = UpToNul(raw);
    const long start = HeaderNumber(text, "StartHTML:"), end = HeaderNumber(text, "EndHTML:");
    if (start >= 0 && end > start && static_cast<size_t>(end) <= text.size())
        return text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    const long fragment = HeaderNumber(text, "StartFragment:"),
               fragmentEnd = HeaderNumber(text, "EndFragment:");
    if (fragment >= 0 && fragmentEnd > fragment && static_cast<size_t>(fragmentEnd) <= text.size())
        return text.substr(static_cast<size_t>(fragment),
                           static_cast<size_t>(fragmentEnd - fragment));
    return text;
}

std::string HtmlToClipboard(const std::string& html) {
    const std::string before = "<html><body>\r\n<!--StartFragment-->";
    const std::string after = "<!--EndFragment-->\r\n</body></html>";
    const char* layout = "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\n"
                         "StartFragment:%010zu\r\nEndFragment:%010zu\r\n";
    // Ten digits each: the header's length does not depend on the numbers.
    char header[160];
    const size_t headerSize = static_cast<size_t>(
        std::snprintf(header, sizeof header, layout, size_t{0}, size_t{0}, size_t{0}, size_t{0}));
    const size_t startHtml = headerSize, startFragment = startHtml + before.size();
    const size_t endFragment = startFragment + html.size(), endHtml = endFragment + after.size();
    std::snprintf(header, sizeof header, layout, startHtml, endHtml, startFragment, endFragment);
    return std::string(header, headerSize) + before + html + after + '\0';
}

bool Unreserved(unsigned char c) {
    return std::isalnum(c) || std::strchr("-._~/!$&'()*+,;=:@", c);
}

std::string FileUri(const std::string& path) {
    std::string uri = "file://";
    char hex[4];
    for (unsigned char c : path) {
        if (Unreserved(c)) {
            uri.push_back(static_cast<char>(c));
        } else {
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            uri += hex;
        }
    }
    return uri;
}

// The path of a file URI ("file:///p" or "file://localhost/p"); empty otherwise.
std::string PathOfUri(const std::string& uri) {
    std::string rest;
    if (uri.rfind("file:///", 0) == 0)
        rest = uri.substr(7);
    else if (uri.rfind("file://localhost/", 0) == 0)
        rest = uri.substr(16);
    else
        return {};
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
            path.push_back(static_cast<char>(std::stoi(rest.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            path.push_back(rest[i]);
        }
    }
    return path;
}

std::optional<std::string> UriListFromDropFiles(const std::string& raw) {
    if (raw.size() < sizeof(DROPFILES)) return std::nullopt;
    DROPFILES header;
    std::memcpy(&header, raw.data(), sizeof header);
    std::vector<std::u16string> names;
    size_t at = header.pFiles;
    if (header.fWide) {
        std::u16string all = at < raw.size() ? std::u16string((raw.size() - at) / 2, u'\0') : u"";
        std::memcpy(all.data(), raw.data() + std::min(at, raw.size()), all.size() * 2);
        for (size_t i = 0; i < all.size() && all[i];) {
            const size_t end = std::min(all.find(u'\0', i), all.size());
            names.push_back(all.substr(i, end - i));
            i = end + 1;
        }
    } else {
        for (size_t i = at; i < raw.size() && raw[i];) {
            const size_t end = std::min(raw.find('\0', i), raw.size());
            const std::string name = raw.substr(i, end - i);
            names.emplace_back(name.begin(), name.end());
            i = end + 1;
        }
    }
    std::string list;
    for (const auto& name : names) {
        const std::string path = ToLinuxPath(name);
        if (!path.empty()) list += FileUri(path) + "\r\n";
    }
    if (list.empty()) return std::nullopt;
    return list;
}

std::optional<std::string> DropFilesFromUriList(const std::string& list) {
    std::u16string names;
    size_t count = 0;
    for (size_t i = 0; i < list.size();) {
        size_t end = list.find('\n', i);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(i, end - i);
        i = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string path = PathOfUri(line);
        if (path.empty()) continue;
        const std::u16string name = ToWindowsPath(path);
        if (name.empty()) continue;
        names += name;
        names.push_back(u'\0');
        ++count;
    }
    if (!count) return std::nullopt;
    names.push_back(u'\0');
    DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    block.append(reinterpret_cast<const char*>(names.data()), names.size() * 2);
    return block;
}

} // namespace

std::optional<std::string> ToDesktop(DesktopKind kind, const std::string& layerBytes) {
    switch (kind) {
    case DesktopKind::Utf8Text:
        return ToUtf8(WithoutCr(Utf16(layerBytes)));
    case DesktopKind::Latin1Text: {
        std::string out;
        for (char16_t c : WithoutCr(Utf16(layerBytes)))
            out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        return out;
    }
    case DesktopKind::Html:
        return HtmlFromClipboard(layerBytes);
    case DesktopKind::Rtf:
        return UpToNul(layerBytes);
    case DesktopKind::UriList:
        return UriListFromDropFiles(layerBytes);
    }
    return std::nullopt;
}

std::optional<std::string> FromDesktop(DesktopKind kind, const std::string& desktopBytes) {
    switch (kind) {
    case DesktopKind::Utf8Text:
        return Bytes(WithCrLf(FromUtf8(desktopBytes)));
    case DesktopKind::Latin1Text: {
        std::u16string text;
        for (unsigned char c : desktopBytes)
            text.push_back(c);
        return Bytes(WithCrLf(text));
    }
    case DesktopKind::Html:
        return HtmlToClipboard(desktopBytes);
    case DesktopKind::Rtf:
        return desktopBytes + '\0';
    case DesktopKind::UriList:
        return DropFilesFromUriList(desktopBytes);
    }
    return std::nullopt;
}

} // namespace win32::present
