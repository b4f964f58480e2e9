// FindFirstFileW, FindNextFileW and FindClose.
//
// Wildcards ("*" any run, "?" one character) apply to the last component and
// match without regard to case, because Windows callers expect "*.TXT" to find
// "a.txt"; "*.*" also matches names without a dot. A name without wildcards
// must match exactly: Linux names are case-sensitive. The matching names are
// read when the search starts and reported in byte order, "." and ".." first
// (a drive root has neither, as on Windows).
#include "Errno.h"
#include "FileApiSupport.h"
#include "FileStat.h"
#include "HandleTable.h"
#include "Paths.h"

#include <win32/fileapi.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <dirent.h>

using namespace win32;

namespace {

class FindObject : public KernelObject {
public:
    const char* Kind() const override { return "find"; }

    std::string folder;             // Linux folder of the entries
    std::vector<std::string> names; // Linux names still to report
    size_t next = 0;
};

char16_t Fold(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
    if (c >= 0xD800 && c <= 0xDFFF) return c; // surrogates and byte escapes fold to themselves
    static locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    if (!unicode) return c;
    wint_t lower = towlower_l(c, unicode);
    return lower <= 0xFFFF ? static_cast<char16_t>(lower) : c;
}

// Classic wildcard matching with one backtracking point for the last "*".
bool Match(std::u16string_view pattern, std::u16string_view name) {
    size_t p = 0, n = 0;
    size_t starAt = std::u16string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p, ++n;
        } else if (starAt != std::u16string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool MatchesPattern(std::u16string_view pattern, std::u16string_view name) {
    if (Match(pattern, name)) return true;
    // The old rule that an extension is optional: "*.*" and "a*.*" match "abc".
    return pattern.ends_with(u".*") && Match(pattern.substr(0, pattern.size() - 2), name);
}

bool HasWildcards(std::u16string_view text) {
    return text.find_first_of(u"*?") != std::u16string_view::npos;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

bool FillFindData(const std::string& folder, const std::string& name, WIN32_FIND_DATAW& data) {
    FileStat st;
    if (StatPath(Join(folder, name), name, st) != 0) return false; // gone since the search began
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = st.attributes;
    data.ftCreationTime = st.creationTime;
    data.ftLastAccessTime = st.lastAccessTime;
    data.ftLastWriteTime = st.lastWriteTime;
    data.nFileSizeHigh = static_cast<DWORD>(st.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(st.size);
    std::u16string wide = NameToWindows(name);
    wide.copy(data.cFileName, std::min<size_t>(wide.size(), MAX_PATH - 1));
    return true;
}

bool Advance(FindObject& find, WIN32_FIND_DATAW& data) {
    while (find.next < find.names.size()) {
        if (FillFindData(find.folder, find.names[find.next++], data)) return true;
    }
    return false;
}

// The names of `folder` that match `pattern`, ordered; answers ERROR_SUCCESS or the error.
DWORD ListMatches(const LinuxPath& folder, std::u16string_view pattern,
                  std::vector<std::string>& names) {
    DIR* dir = opendir(folder.path.c_str());
    if (!dir)
        return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno);
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (folder.isDriveRoot && (name == "." || name == "..")) continue;
        if (MatchesPattern(pattern, NameToWindows(name))) names.push_back(name);
    }
    closedir(dir);
    auto rank = [](const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; };
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : a < b;
    });
    return ERROR_SUCCESS;
}

} // namespace

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData) {
    auto fail = [](DWORD error) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    };
    if (!fileName || !findFileData) return fail(ERROR_INVALID_PARAMETER);

    // Split into the folder and the pattern of its last component.
    std::u16string_view text = WideView(fileName);
    std::u16string_view folderText = u".", pattern = text;
    size_t cut = text.find_last_of(u"\\/");
    if (cut != std::u16string_view::npos) {
        folderText = text.substr(0, cut + 1);
        pattern = text.substr(cut + 1);
    } else if (text.size() >= 2 && text[1] == u':') {
        folderText = text.substr(0, 2);
        pattern = text.substr(2);
    }
    if (pattern.empty()) return fail(ERROR_FILE_NOT_FOUND);

    LinuxPath folder = ResolvePath(folderText);
    if (!folder.device.empty()) return fail(ERROR_FILE_NOT_FOUND);
    if (folder.error != ERROR_SUCCESS) return fail(folder.error);

    auto find = std::make_shared<FindObject>();
    find->folder = folder.path;
    if (HasWildcards(pattern)) {
        DWORD error = ListMatches(folder, pattern, find->names);
        if (error != ERROR_SUCCESS) return fail(error);
        if (!Advance(*find, *findFileData)) return fail(ERROR_FILE_NOT_FOUND);
    } else {
        std::string name;
        if (!NameToLinux(pattern, name)) return fail(ERROR_INVALID_NAME);
        find->names.push_back(name);
        if (!Advance(*find, *findFileData))
            return fail(ErrorFromErrnoAt(ENOENT, Join(folder.path, name)));
    }
    return InsertHandle(find);
}

BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData) {
    auto find = LookupHandleAs<FindObject>(findFile);
    if (!find) return Fail(ERROR_INVALID_HANDLE);
    if (!findFileData) return Fail(ERROR_INVALID_PARAMETER);
    return Advance(*find, *findFileData) ? TRUE : Fail(ERROR_NO_MORE_FILES);
}

BOOL FindClose(HANDLE findFile) {
    if (!LookupHandleAs<FindObject>(findFile)) return Fail(ERROR_INVALID_HANDLE);
    RemoveHandle(findFile);
    return TRUE;
}
