#include "CodePage.h"
#include "Paths.h"

#include <win32/crt.h>
#include <win32/winbase.h>
#include <win32/winnls.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

// ---- Locale --------------------------------------------------------------

std::mutex localeLock;
UINT localeCodePage = 0; // 0: the "C" locale, ASCII only
std::string localeName = "C";

struct LocaleAlias {
    const char* name;
    UINT codePage;
    const char* fullName;
};
const LocaleAlias kLocales[] = {
    {"jpn", 932, "Japanese_Japan.932"},      {"japanese", 932, "Japanese_Japan.932"},
    {"japanese_japan", 932, "Japanese_Japan.932"}, {"ja", 932, "Japanese_Japan.932"},
    {"ja-jp", 932, "Japanese_Japan.932"},    {"english", 1252, "English_United States.1252"},
    {"eng", 1252, "English_United States.1252"}, {"english_united states", 1252, "English_United States.1252"},
    {"american", 1252, "English_United States.1252"},
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

UINT CurrentCodePage() {
    std::lock_guard<std::mutex> guard(localeLock);
    return localeCodePage;
}

// ---- Text-mode streams ------------------------------------------------------

struct Stream {
    int fd;
    bool text;
    bool pendingCR = false; // a CR read at the end of a chunk, not yet decided
    bool eof = false;       // Ctrl+Z seen in text mode
    std::string carry;      // decoded text not yet handed out
};

ssize_t ReadRaw(int fd, char* buf, size_t size) {
    for (;;) {
        ssize_t n = ::read(fd, buf, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

// Decodes text-mode input into `carry` until there is enough for the caller.
ssize_t StreamRead(void* cookie, char* buf, size_t size) {
    auto* s = static_cast<Stream*>(cookie);
    if (!s->text) return ReadRaw(s->fd, buf, size);
    while (s->carry.size() < size && !s->eof) {
        char chunk[4096];
        ssize_t n = ReadRaw(s->fd, chunk, sizeof chunk);
        if (n < 0) return -1;
        if (n == 0) {
            if (s->pendingCR) s->carry.push_back('\r');
            s->pendingCR = false;
            break;
        }
        for (ssize_t i = 0; i < n && !s->eof; ++i) {
            char c = chunk[i];
            if (s->pendingCR) {
                s->pendingCR = false;
                if (c == '\n') {
                    s->carry.push_back('\n');
                    continue;
                }
                s->carry.push_back('\r');
            }
            if (c == 0x1A) s->eof = true; // Ctrl+Z ends text input
            else if (c == '\r') s->pendingCR = true;
            else s->carry.push_back(c);
        }
    }
    size_t n = std::min(size, s->carry.size());
    std::memcpy(buf, s->carry.data(), n);
    s->carry.erase(0, n);
    return static_cast<ssize_t>(n);
}

bool WriteAll(int fd, const char* buf, size_t size) {
    while (size) {
        ssize_t n = ::write(fd, buf, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        buf += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

ssize_t StreamWrite(void* cookie, const char* buf, size_t size) {
    auto* s = static_cast<Stream*>(cookie);
    if (!s->text) return WriteAll(s->fd, buf, size) ? static_cast<ssize_t>(size) : -1;
    std::string out;
    out.reserve(size + size / 16);
    for (size_t i = 0; i < size; ++i) {
        if (buf[i] == '\n') out.push_back('\r');
        out.push_back(buf[i]);
    }
    return WriteAll(s->fd, out.data(), out.size()) ? static_cast<ssize_t>(size) : -1;
}

int StreamSeek(void* cookie, off64_t* offset, int whence) {
    auto* s = static_cast<Stream*>(cookie);
    off64_t at = lseek64(s->fd, *offset, whence);
    if (at < 0) return -1;
    s->pendingCR = false;
    s->eof = false;
    s->carry.clear();
    *offset = at;
    return 0;
}

int StreamClose(void* cookie) {
    auto* s = static_cast<Stream*>(cookie);
    int result = ::close(s->fd);
    delete s;
    return result;
}

FILE* Open(const std::u16string& path, const std::string& mode) {
    if (mode.empty()) {
        errno = EINVAL;
        return nullptr;
    }
    int flags = 0;
    const bool plus = mode.find('+') != std::string::npos;
    switch (mode[0]) {
    case 'r': flags = plus ? O_RDWR : O_RDONLY; break;
    case 'w': flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC; break;
    case 'a': flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND; break;
    default: errno = EINVAL; return nullptr;
    }
    const bool text = mode.find('b') == std::string::npos;
    std::string linux = win32::ToLinuxPath(path);
    if (linux.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    int fd = ::open(linux.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    auto* stream = new Stream{fd, text, false, false, {}};
    cookie_io_functions_t io{StreamRead, StreamWrite, StreamSeek, StreamClose};
    std::string cmode = mode.substr(0, 1) + (plus ? "+" : "");
    FILE* f = fopencookie(stream, cmode.c_str(), io);
    if (!f) {
        ::close(fd);
        delete stream;
    }
    return f;
}

std::u16string Decode(const char* text, UINT codePage) {
    if (!text) return {};
    int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0) return {};
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(codePage, 0, text, -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

} // namespace

namespace crt {

FILE* fopen(const char* path, const char* mode) {
    if (!path || !mode) {
        errno = EINVAL;
        return nullptr;
    }
    UINT cp = CurrentCodePage();
    return Open(Decode(path, cp ? cp : GetACP()), mode);
}

FILE* _wfopen(const WCHAR* path, const WCHAR* mode) {
    if (!path || !mode) {
        errno = EINVAL;
        return nullptr;
    }
    std::string m;
    for (const WCHAR* p = mode; *p; ++p) m.push_back(static_cast<char>(*p));
    return Open(path, m);
}

char* setlocale(int category, const char* locale) {
    std::lock_guard<std::mutex> guard(localeLock);
    if (!locale) return localeName.data();
    if (category != LC_ALL && category != LC_CTYPE) return localeName.data();
    std::string want = Lower(locale);
    UINT cp = 0;
    std::string name;
    if (want == "c") {
        name = "C";
    } else if (want.empty()) {
        cp = GetACP();
        name = cp == 932 ? "Japanese_Japan.932" : "English_United States." + std::to_string(cp);
    } else if (want[0] == '.' || want.find('.') != std::string::npos) {
        cp = static_cast<UINT>(std::atoi(want.c_str() + want.rfind('.') + 1));
        if (want.substr(want.rfind('.') + 1) == "utf8" || want.substr(want.rfind('.') + 1) == "utf-8")
            cp = CP_UTF8;
        if (!IsValidCodePage(cp)) return nullptr;
        name = locale;
    } else {
        for (const LocaleAlias& alias : kLocales)
            if (want == alias.name) {
                cp = alias.codePage;
                name = alias.fullName;
            }
        if (name.empty()) return nullptr;
    }
    localeCodePage = cp;
    localeName = name;
    return localeName.data();
}

size_t wcstombs(char* dest, const WCHAR* src, size_t count) {
    if (!src) return static_cast<size_t>(-1);
    const UINT cp = CurrentCodePage();
    std::string out;
    for (const WCHAR* p = src; *p; ++p) {
        // One character at a time (a surrogate pair together), so that a
        // character never splits across the end of the buffer.
        int units = (*p >= 0xD800 && *p <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) ? 2 : 1;
        char bytes[8];
        int n;
        if (cp == 0) {
            if (*p > 0x7F) return static_cast<size_t>(-1);
            bytes[0] = static_cast<char>(*p);
            n = 1;
        } else {
            BOOL lost = FALSE;
            BOOL* lostFlag = cp == CP_UTF8 ? nullptr : &lost;
            n = WideCharToMultiByte(cp, 0, p, units, bytes, sizeof bytes, nullptr, lostFlag);
            if (n <= 0 || lost) return static_cast<size_t>(-1);
        }
        if (dest && out.size() + static_cast<size_t>(n) > count) break;
        out.append(bytes, static_cast<size_t>(n));
        p += units - 1;
    }
    if (!dest) return out.size();
    std::memcpy(dest, out.data(), out.size());
    if (out.size() < count) dest[out.size()] = '\0';
    return out.size();
}

size_t mbstowcs(WCHAR* dest, const char* src, size_t count) {
    if (!src) return static_cast<size_t>(-1);
    const UINT cp = CurrentCodePage();
    std::u16string wide;
    if (cp == 0) {
        for (const char* p = src; *p; ++p) {
            if (static_cast<unsigned char>(*p) > 0x7F) return static_cast<size_t>(-1);
            wide.push_back(static_cast<WCHAR>(*p));
        }
    } else {
        int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, src, -1, nullptr, 0);
        if (n <= 0) return static_cast<size_t>(-1);
        wide.resize(static_cast<size_t>(n));
        MultiByteToWideChar(cp, 0, src, -1, wide.data(), n);
        wide.pop_back();
    }
    if (!dest) return wide.size();
    size_t n = std::min(count, wide.size());
    std::copy_n(wide.begin(), n, dest);
    if (n < count) dest[n] = 0;
    return n;
}

} // namespace crt
