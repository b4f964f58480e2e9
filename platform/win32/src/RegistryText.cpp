#include "RegistryText.h"

#include "DiskWrite.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? c - 0x20 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    // Latin Extended-A: pairs of upper and lower case, the upper one first
    // (odd-first between U+0139 and U+0148 and from U+0179).
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c & 1) ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20; // Greek
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;               // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20; // full-width Latin
    return c;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

bool FromUtf8(std::string_view bytes, std::u16string& out) {
    out.clear();
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        char32_t cp;
        size_t len;
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            cp = c & 0x07;
            len = 4;
        } else {
            return false;
        }
        if (i + len > bytes.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return true;
}

std::u16string FromLatin1(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out += static_cast<char16_t>(static_cast<unsigned char>(b));
    return out;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    contents.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[16384];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            close(fd);
            return false;
        }
        if (got == 0) break;
        contents.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

namespace {

bool WriteAll(int fd, std::string_view data) {
    return WriteToDisk(fd, data);
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
    std::string target = path;
    char resolved[PATH_MAX];
    struct stat old;
    bool exists = stat(path.c_str(), &old) == 0;
    if (exists && realpath(path.c_str(), resolved)) target = resolved;

    std::string temp = target + ".tmp-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    fchmod(fd, exists ? (old.st_mode & 07777) : 0644);
    bool ok = WriteAll(fd, contents) && fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) ok = false, error = errno;
    if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = false, error = errno;
    if (!ok) {
        unlink(temp.c_str());
        errno = error; // the caller reports why, not what the clean-up did
        return false;
    }
    // The rename itself must reach the disk too, or a crash may bring the old file back.
    std::string folder = target.substr(0, target.rfind('/') + 1);
    int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

} // namespace win32
