// Path text: '\' separates folders and ':' ends a drive.
#include <runpak/Strings.h>

namespace {

const char16_t* const kPathAndDrive = u"\\:";
const char16_t* const kDotPathDrive = u".\\:";

} // namespace

char16_t AnsiLastChar(const UnicodeString& s) {
    return s.empty() ? 0 : s.back();
}

int LastDelimiter(const UnicodeString& delimiters, const UnicodeString& s) {
    size_t at = s.find_last_of(delimiters);
    return at == UnicodeString::npos ? 0 : static_cast<int>(at) + 1;
}

bool IsDelimiter(const UnicodeString& delimiters, const UnicodeString& s, int index) {
    if (index < 1 || static_cast<size_t>(index) > s.size()) return false;
    return delimiters.find(s[static_cast<size_t>(index - 1)]) != UnicodeString::npos;
}

bool IsPathDelimiter(const UnicodeString& s, int index) {
    return index >= 1 && static_cast<size_t>(index) <= s.size() &&
           s[static_cast<size_t>(index - 1)] == PathDelim;
}

UnicodeString ChangeFileExt(const UnicodeString& fileName, const UnicodeString& extension) {
    int i = LastDelimiter(kDotPathDrive, fileName);
    if (i == 0 || fileName[static_cast<size_t>(i - 1)] != u'.') return fileName + extension;
    return fileName.substr(0, static_cast<size_t>(i - 1)) + extension;
}

UnicodeString ExtractFilePath(const UnicodeString& fileName) {
    return fileName.substr(0, static_cast<size_t>(LastDelimiter(kPathAndDrive, fileName)));
}

UnicodeString ExtractFileDir(const UnicodeString& fileName) {
    int i = LastDelimiter(kPathAndDrive, fileName);
    // Drop the delimiter unless it ends a root ("C:\", "\").
    if (i > 1 && fileName[static_cast<size_t>(i - 1)] == PathDelim &&
        !IsDelimiter(kPathAndDrive, fileName, i - 1))
        --i;
    return fileName.substr(0, static_cast<size_t>(i));
}

UnicodeString ExtractFileName(const UnicodeString& fileName) {
    return fileName.substr(static_cast<size_t>(LastDelimiter(kPathAndDrive, fileName)));
}

UnicodeString ExtractFileExt(const UnicodeString& fileName) {
    int i = LastDelimiter(kDotPathDrive, fileName);
    if (i == 0 || fileName[static_cast<size_t>(i - 1)] != u'.') return {};
    return fileName.substr(static_cast<size_t>(i - 1));
}

UnicodeString ExtractFileDrive(const UnicodeString& fileName) {
    if (fileName.size() >= 2 && fileName[1] == DriveDelim) return fileName.substr(0, 2);
    if (fileName.size() >= 2 && fileName[0] == PathDelim && fileName[1] == PathDelim) {
        // "\\server\share": up to the delimiter after the share name.
        int delimiters = 0;
        size_t i = 2;
        for (; i < fileName.size(); ++i) {
            if (fileName[i] == PathDelim && ++delimiters == 2) break;
        }
        return fileName.substr(0, i);
    }
    return {};
}

UnicodeString IncludeTrailingPathDelimiter(const UnicodeString& s) {
    return IsPathDelimiter(s, static_cast<int>(s.size())) ? s : s + PathDelim;
}

UnicodeString IncludeTrailingBackslash(const UnicodeString& s) {
    return IncludeTrailingPathDelimiter(s);
}

UnicodeString ExcludeTrailingPathDelimiter(const UnicodeString& s) {
    return IsPathDelimiter(s, static_cast<int>(s.size())) ? s.substr(0, s.size() - 1) : s;
}

UnicodeString ExcludeTrailingBackslash(const UnicodeString& s) {
    return ExcludeTrailingPathDelimiter(s);
}

int AnsiCompareFileName(const UnicodeString& a, const UnicodeString& b) {
    return AnsiCompareText(a, b);
}

bool SameFileName(const UnicodeString& a, const UnicodeString& b) {
    return AnsiCompareFileName(a, b) == 0;
}
