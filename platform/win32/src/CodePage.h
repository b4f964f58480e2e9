// The code pages the layer converts, each as a decoder and encoder of code
// points. Tables are built on first use (932 and 437 from glibc's iconv, once,
// so no iconv descriptor is ever shared between threads).
#pragma once

#include <win32/windef.h>

#include <string>

namespace win32 {

class CodePage {
public:
    virtual ~CodePage() = default;
    virtual UINT Id() const = 0;
    virtual UINT MaxCharSize() const { return 1; }
    virtual bool IsLeadByte(BYTE) const { return false; }
    // What undecodable bytes become.
    virtual char16_t UnicodeDefault() const { return 0xFFFD; }
    // Decodes the character at `in` (`available` > 0 bytes): its code point,
    // or -1 when the bytes are not valid. `used` is set either way (>= 1).
    virtual int32_t Decode(const BYTE* in, size_t available, size_t& used) const = 0;
    // Appends a code point's bytes; false when the code page lacks it.
    virtual bool Encode(char32_t codePoint, std::string& out) const = 0;
};

// The code page with this number (CP_ACP and CP_OEMCP resolved), or null.
const CodePage* FindCodePage(UINT codePage);

// The ANSI code page: WINLAYER_ACP when it names a supported page, else 1252.
UINT AnsiCodePage();

} // namespace win32
