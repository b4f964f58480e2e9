// Wide path routines: pure text work on Windows paths, no file system.
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Strings.h>

namespace {

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Index just past the last folder separator, so extension searches stay in
// the last component.
size_t LastComponentStart(const UnicodeString& s) {
    size_t sep = s.find_last_of(u"\\/:");
    return sep == UnicodeString::npos ? 0 : sep + 1;
}

size_t LastDotInName(const UnicodeString& s) {
    size_t dot = s.rfind(u'.');
    if (dot == UnicodeString::npos || dot < LastComponentStart(s)) return UnicodeString::npos;
    return dot;
}

} // namespace

UnicodeString IncludeTrailingBackslashW(const UnicodeString& S) {
    if (!S.empty() && S.back() == u'\\') return S;
    return S + u'\\';
}

UnicodeString StripTrailingBackslashW(const UnicodeString& S, bool Force) {
    if (S.empty()) return S;
    if (S.back() != u'\\' && S.back() != u'/') return S;
    if (!Force && S.size() == 3 && IsDriveW(S)) return S;
    return S.substr(0, S.size() - 1);
}

bool IsPathDelimiterW(const UnicodeString& S, int Index) {
    return Index >= 1 && Index <= static_cast<int>(S.size()) && S[Index - 1] == u'\\';
}

bool IsDriveW(const UnicodeString& Drive) {
    if (Drive.size() != 2 && Drive.size() != 3) return false;
    if (!IsLetter(Drive[0]) || Drive[1] != u':') return false;
    return Drive.size() == 2 || Drive[2] == u'\\';
}

bool IsFloppyW(const UnicodeString& FileFolder) {
    if (!IsDriveW(FileFolder)) return false;
    char16_t c = FileFolder[0] | 0x20;
    return c == u'a' || c == u'b';
}

bool IsFTPPath(const UnicodeString& Path) {
    return Path.size() >= 4 && UpperCase(Path.substr(0, 3)) == u"FTP";
}

bool IsUNCPath(const UnicodeString& Path) {
    return Path.size() > 2 && Path.compare(0, 2, u"\\\\") == 0 &&
           (DirExistsW(Path) || FileExistsW(Path));
}

UnicodeString ExtractRemoteComputerW(const UnicodeString& UNCPath) {
    if (!IsUNCPath(UNCPath)) return {};
    size_t sep = UNCPath.find(u'\\', 2);
    return sep == UnicodeString::npos ? UNCPath : UNCPath.substr(0, sep);
}

UnicodeString StripRemoteComputerW(const UnicodeString& UNCPath) {
    if (!IsUNCPath(UNCPath)) return {};
    size_t sep = UNCPath.find(u'\\', 2);
    return sep == UnicodeString::npos ? UnicodeString() : UNCPath.substr(sep + 1);
}

UnicodeString ExtractFileDriveW(const UnicodeString& FileName) {
    size_t pos = FileName.find(u":\\");
    return pos == UnicodeString::npos ? UnicodeString() : FileName.substr(0, pos + 1);
}

UnicodeString ExtractFileDirW(const UnicodeString& FileName) {
    if ((FileName.size() == 1 || FileName.size() == 2) && IsLetter(FileName[0]))
        return UnicodeString(1, FileName[0]) + u":\\";
    if (FileName.find(u":\\") == UnicodeString::npos) return {};
    size_t sep = FileName.rfind(u'\\');
    if (sep > 0 && FileName[sep - 1] == u':') return FileName.substr(0, sep + 1);
    return FileName.substr(0, sep);
}

UnicodeString ExtractFileNameW(const UnicodeString& FileName) {
    if (FileName.size() <= 3) return {};
    size_t sep = FileName.rfind(u'\\');
    return sep == UnicodeString::npos ? UnicodeString() : FileName.substr(sep + 1);
}

UnicodeString ExtractFileExtW(const UnicodeString& FileName) {
    size_t dot = LastDotInName(FileName);
    return dot == UnicodeString::npos ? UnicodeString() : FileName.substr(dot);
}

UnicodeString StripExtW(const UnicodeString& FileName) {
    size_t dot = LastDotInName(FileName);
    return dot == UnicodeString::npos ? FileName : FileName.substr(0, dot);
}

UnicodeString ExpandFileNameW(const UnicodeString& FileName) {
    WCHAR buffer[MAX_PATH + 1] = {0};
    DWORD len = GetFullPathNameW(FileName.c_str(), MAX_PATH, buffer, nullptr);
    if (len == 0 || len > MAX_PATH) return {};
    return UnicodeString(buffer, len);
}
