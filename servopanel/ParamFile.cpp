#include "ParamFile.h"

#include "ReplyLine.h"

#include <win32/crt.h>

#include <clocale>
#include <vector>

namespace ParamFile {

bool ReadLine(FILE* File, std::string& Line) {
    Line.clear();
    bool any = false;
    for (int c; (c = std::getc(File)) != EOF;) {
        any = true;
        if (c == '\n') return true;
        if (Line.size() < MaxLineBytes) Line += static_cast<char>(c);
    }
    return any;
}

bool IsLoadedIndex(int Index) {
    return Index < 80 || Index > 106;
}

int LoadValues(FILE* File, int32_t* Table, const std::function<void(int)>& Loaded) {
    std::string line;
    int count = 0;
    for (; ReadLine(File, line); ++count) {
        if (count >= ParamCount || !IsLoadedIndex(count)) continue;
        Table[count] = AtoL32(line.c_str());
        if (Loaded) Loaded(count);
    }
    return count;
}

bool Write(FILE* File, const std::string& Comment, const int32_t* Table) {
    if (std::fprintf(File, "%s\n", Comment.c_str()) < 0) return false;
    for (int i = 0; i < ParamCount; ++i)
        if (std::fprintf(File, "%d\n", Table[i]) < 0) return false;
    return true;
}

std::string CommentToShiftJis(const UnicodeString& Text) {
    crt::setlocale(LC_CTYPE, "jpn");
    std::string result;
    for (size_t i = 0; i < Text.size();) {
        // One character at a time, so that one the code page lacks costs
        // only itself and the byte limit never splits a character.
        size_t units = (Text[i] >= 0xD800 && Text[i] < 0xDC00 && i + 1 < Text.size()) ? 2 : 1;
        WCHAR one[3] = {Text[i], units == 2 ? Text[i + 1] : WCHAR(0), 0};
        char bytes[8] = {};
        size_t n = crt::wcstombs(bytes, one, sizeof bytes - 1);
        std::string piece = n == static_cast<size_t>(-1) ? std::string("?") : std::string(bytes, n);
        if (result.size() + piece.size() > MaxCommentBytes) break;
        result += piece;
        i += units;
    }
    return result;
}

UnicodeString CommentFromShiftJis(const std::string& Line, size_t MaxChars) {
    crt::setlocale(LC_CTYPE, "jpn");
    std::vector<WCHAR> wide(Line.size() + 1);
    size_t n = crt::mbstowcs(wide.data(), Line.c_str(), wide.size());
    UnicodeString text =
        n == static_cast<size_t>(-1) ? Utf8ToUnicode(Line) : UnicodeString(wide.data(), n);
    if (text.size() > MaxChars) text.resize(MaxChars);
    return text;
}

} // namespace ParamFile
