#include "CodePage.h"

#include <win32/winnls.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace win32 {
namespace {

constexpr char16_t kNone = 0xFFFF; // a byte (sequence) without a character

// Converts `in` with iconv; false when iconv rejects any of it.
bool Iconv(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(in.size() * 4 + 8, '\0');
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1) || inLeft != 0) return false;
    out.resize(out.size() - outLeft);
    return true;
}

// One UTF-16 code unit from iconv's answer, or kNone.
char16_t DecodeWithIconv(const char* charset, const std::string& bytes) {
    std::string utf16;
    if (!Iconv("UTF-16LE", charset, bytes, utf16) || utf16.size() != 2) return kNone;
    return static_cast<char16_t>(static_cast<BYTE>(utf16[0]) | static_cast<BYTE>(utf16[1]) << 8);
}

class Utf8 : public CodePage {
public:
    UINT Id() const override { return CP_UTF8; }
    UINT MaxCharSize() const override { return 4; }

    int32_t Decode(const BYTE* in, size_t available, size_t& used) const override {
        used = 1;
        BYTE lead = in[0];
        if (lead < 0x80) return lead;
        size_t length;
        int32_t value, minimum;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07, minimum = 0x10000;
        } else {
            return -1;
        }
        // An invalid sequence is skipped up to the first byte that cannot continue it.
        for (size_t i = 1; i < length; ++i) {
            if (i >= available || (in[i] & 0xC0) != 0x80) return -1;
            value = value << 6 | (in[i] & 0x3F);
            used = i + 1;
        }
        bool surrogate = value >= 0xD800 && value <= 0xDFFF;
        if (value < minimum || value > 0x10FFFF || surrogate) return -1;
        return value;
    }

    bool Encode(char32_t c, std::string& out) const override {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        return true;
    }
};

// A code page of single bytes, from a table of 256 characters.
class SingleByte : public CodePage {
public:
    SingleByte(UINT id, const std::array<char16_t, 256>& table) : id(id), table(table) {
        for (int b = 255; b >= 0; --b)
            if (table[b] != kNone) bytes[table[b]] = static_cast<BYTE>(b);
    }
    UINT Id() const override { return id; }

    int32_t Decode(const BYTE* in, size_t, size_t& used) const override {
        used = 1;
        return table[in[0]] == kNone ? -1 : table[in[0]];
    }

    bool Encode(char32_t c, std::string& out) const override {
        auto it = bytes.find(static_cast<char16_t>(c));
        if (c > 0xFFFF || it == bytes.end()) return false;
        out += static_cast<char>(it->second);
        return true;
    }

private:
    UINT id;
    std::array<char16_t, 256> table;
    std::unordered_map<char16_t, BYTE> bytes;
};

std::array<char16_t, 256> Latin1Table(int limit) {
    std::array<char16_t, 256> table;
    for (int b = 0; b < 256; ++b)
        table[b] = b < limit ? static_cast<char16_t>(b) : kNone;
    return table;
}

// Latin-1 with typographic characters in 0x80-0x9F; the five unused bytes
// there stand for the matching C1 controls.
std::array<char16_t, 256> Windows1252Table() {
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    auto table = Latin1Table(256);
    for (int i = 0; i < 32; ++i)
        table[0x80 + i] = high[i];
    return table;
}

std::array<char16_t, 256> IconvTable(const char* charset) {
    std::array<char16_t, 256> table;
    for (int b = 0; b < 256; ++b)
        table[b] = DecodeWithIconv(charset, std::string(1, static_cast<char>(b)));
    return table;
}

// Shift-JIS as Windows extends it (NEC and IBM rows), through glibc's CP932.
class ShiftJis : public CodePage {
public:
    ShiftJis() : pairs(0x10000, kNone), codes(0x10000, 0) {
        for (int b = 0; b < 256; ++b)
            single[b] = IsLeadByte(static_cast<BYTE>(b))
                            ? kNone
                            : DecodeWithIconv("CP932", std::string(1, static_cast<char>(b)));
        std::vector<char16_t> decoded;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(static_cast<BYTE>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                char16_t c =
                    DecodeWithIconv("CP932", {static_cast<char>(lead), static_cast<char>(trail)});
                pairs[lead << 8 | trail] = c;
                if (c != kNone) decoded.push_back(c);
            }
        }
        for (int b = 0; b < 256; ++b)
            if (single[b] != kNone) codes[single[b]] = static_cast<uint16_t>(b);
        // Several byte pairs may decode to one character: iconv picks the one to encode.
        for (char16_t c : decoded) {
            if (codes[c]) continue;
            std::string in{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)}, out;
            if (Iconv("CP932", "UTF-16LE", in, out) && out.size() == 2)
                codes[c] = static_cast<uint16_t>(static_cast<BYTE>(out[0]) << 8 |
                                                 static_cast<BYTE>(out[1]));
        }
    }

    UINT Id() const override { return 932; }
    UINT MaxCharSize() const override { return 2; }
    bool IsLeadByte(BYTE b) const override {
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    char16_t UnicodeDefault() const override { return 0x30FB; } // katakana middle dot

    int32_t Decode(const BYTE* in, size_t available, size_t& used) const override {
        used = 1;
        if (!IsLeadByte(in[0])) return single[in[0]] == kNone ? -1 : single[in[0]];
        if (available < 2 || in[1] < 0x40 || in[1] == 0x7F || in[1] > 0xFC) return -1;
        used = 2;
        char16_t c = pairs[in[0] << 8 | in[1]];
        return c == kNone ? -1 : c;
    }

    bool Encode(char32_t c, std::string& out) const override {
        if (c == 0) {
            out += '\0';
            return true;
        }
        if (c > 0xFFFF || codes[c] == 0) return false;
        if (codes[c] > 0xFF) out += static_cast<char>(codes[c] >> 8);
        out += static_cast<char>(codes[c] & 0xFF);
        return true;
    }

private:
    std::array<char16_t, 256> single;
    std::vector<char16_t> pairs; // lead << 8 | trail -> character
    std::vector<uint16_t> codes; // character -> byte or byte pair; 0 = none
};

template <class Page, class... Args>
const CodePage* Once(std::once_flag& flag, Page*& page, Args... args) {
    std::call_once(flag, [&] { page = new Page(args...); }); // kept for the life of the process
    return page;
}

} // namespace

UINT AnsiCodePage() {
    const char* value = std::getenv("WINLAYER_ACP");
    if (value && *value) {
        UINT page = static_cast<UINT>(std::strtoul(value, nullptr, 10));
        if (page != CP_ACP && page != CP_OEMCP && FindCodePage(page)) return page;
    }
    return 1252;
}

const CodePage* FindCodePage(UINT id) {
    if (id == CP_ACP || id == CP_THREAD_ACP) id = AnsiCodePage();
    if (id == CP_OEMCP) id = GetOEMCP();
    switch (id) {
    case CP_UTF8: {
        static Utf8* page = new Utf8;
        return page;
    }
    case 1252: {
        static std::once_flag flag;
        static SingleByte* page;
        return Once(flag, page, 1252u, Windows1252Table());
    }
    case 28591: {
        static std::once_flag flag;
        static SingleByte* page;
        return Once(flag, page, 28591u, Latin1Table(256));
    }
    case 20127: {
        static std::once_flag flag;
        static SingleByte* page;
        return Once(flag, page, 20127u, Latin1Table(128));
    }
    case 437: {
        static std::once_flag flag;
        static SingleByte* page;
        return Once(flag, page, 437u, IconvTable("CP437"));
    }
    case 932: {
        static std::once_flag flag;
        static ShiftJis* page;
        return Once(flag, page);
    }
    default:
        return nullptr;
    }
}

} // namespace win32
