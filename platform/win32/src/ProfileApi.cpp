// The profile (INI) calls: every call reads the file afresh, and every write is
// a read-modify-write with an atomic replace, one at a time in this process.
#include "Config.h"
#include "Paths.h"
#include "ProfileFile.h"

#include <win32/profileapi.h>
#include <win32/winbase.h>

#include <algorithm>
#include <mutex>
#include <sys/stat.h>

using win32::ProfileFile;

namespace {

std::mutex& ProfileLock() {
    static std::mutex* lock = new std::mutex; // never destroyed: calls may come during exit
    return *lock;
}

std::u16string_view View(LPCWSTR text) {
    return text ? std::u16string_view(text) : u"";
}

// Where a profile file lies: a bare name in the Windows directory, anything
// with a folder or drive in it where that Windows path leads. Empty when the
// path leads nowhere (an unknown drive, say).
std::string ProfilePath(LPCWSTR fileName) {
    std::u16string_view name = fileName ? View(fileName) : u"win.ini";
    if (name.find_first_of(u"\\/:") == std::u16string_view::npos) {
        std::string linuxName;
        if (!win32::NameToLinux(name, linuxName)) return "";
        return win32::WindowsFolder() + "/" + linuxName;
    }
    return win32::ToLinuxPath(name);
}

// Copies a string, cut to fit with its NUL; returns the characters copied.
DWORD CopyString(std::u16string_view text, LPWSTR buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    size_t count = std::min<size_t>(text.size(), size - 1);
    std::copy_n(text.begin(), count, buffer);
    buffer[count] = 0;
    return static_cast<DWORD>(count);
}

// Copies a list as NUL-separated strings ending in a second NUL. When it does
// not fit, what fits is followed by two NULs and the result is size - 2.
DWORD CopyList(const std::vector<std::u16string>& items, LPWSTR buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    std::u16string flat;
    for (const auto& item : items) {
        flat += item;
        flat += u'\0';
    }
    if (flat.size() + 1 <= size) {
        std::copy(flat.begin(), flat.end(), buffer);
        buffer[flat.size()] = 0;
        if (flat.empty() && size > 1) buffer[1] = 0; // an empty list still ends in two NULs
        return static_cast<DWORD>(flat.size());
    }
    if (size < 2) {
        buffer[0] = 0;
        return 0;
    }
    std::copy_n(flat.begin(), size - 2, buffer);
    buffer[size - 2] = 0;
    buffer[size - 1] = 0;
    return size - 2;
}

// Reads the file for a query; a missing or unreadable file reads as empty.
ProfileFile Read(const std::string& path, bool& found) {
    ProfileFile file;
    found = !path.empty() && file.Load(path) == ProfileFile::LoadResult::Loaded;
    return file;
}

// Loads, edits and saves a file under the lock. The edit returns whether it
// changed anything; an unchanged file is not written (nor created).
template <class Edit> BOOL Modify(LPCWSTR fileName, Edit edit) {
    std::string path = ProfilePath(fileName);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(ProfileLock());
    ProfileFile file;
    if (file.Load(path) == ProfileFile::LoadResult::Unreadable) {
        // Writing now would replace a file we could not read.
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!edit(file)) return TRUE;
    if (!file.Save(path)) {
        struct stat st;
        std::string folder = path.substr(0, path.find_last_of('/') + 1);
        bool folderExists = folder.empty() || stat(folder.c_str(), &st) == 0;
        SetLastError(folderExists ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

// Windows reads a number as C does: optional sign, then digits (hex after 0x);
// reading stops at the first character that does not belong.
UINT ParseLeadingInt(std::u16string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    uint32_t value = 0; // wraps like the 32-bit result it becomes
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

// The section lines of a WritePrivateProfileSectionW buffer: NUL-separated,
// ending in an empty string.
std::vector<std::u16string> SplitList(LPCWSTR list) {
    std::vector<std::u16string> lines;
    for (LPCWSTR item = list; *item; item += lines.back().size() + 1)
        lines.emplace_back(item);
    return lines;
}

} // namespace

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
    std::string path = ProfilePath(lpFileName);
    std::lock_guard<std::mutex> guard(ProfileLock());
    bool found = false;
    ProfileFile file = Read(path, found);
    SetLastError(found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    if (!lpAppName) return CopyList(file.SectionNames(), lpReturnedString, nSize);
    if (!lpKeyName) return CopyList(file.KeyNames(View(lpAppName)), lpReturnedString, nSize);

    std::u16string value;
    if (file.FindValue(View(lpAppName), View(lpKeyName), value))
        return CopyString(value, lpReturnedString, nSize);
    SetLastError(ERROR_FILE_NOT_FOUND);
    // Trailing blanks of the default are dropped, as Windows does.
    std::u16string_view fallback = View(lpDefault);
    while (!fallback.empty() && (fallback.back() == u' ' || fallback.back() == u'\t'))
        fallback.remove_suffix(1);
    return CopyString(fallback, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
    if (!lpAppName || !lpKeyName) return static_cast<UINT>(nDefault);
    std::string path = ProfilePath(lpFileName);
    std::lock_guard<std::mutex> guard(ProfileLock());
    bool found = false;
    ProfileFile file = Read(path, found);
    std::u16string value;
    if (!file.FindValue(View(lpAppName), View(lpKeyName), value) || value.empty())
        return static_cast<UINT>(nDefault);
    return ParseLeadingInt(value);
}

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                LPCWSTR lpFileName) {
    if (!lpAppName && !lpKeyName && !lpString) return TRUE; // "flush the cache": there is none
    if (!lpAppName) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return Modify(lpFileName, [&](ProfileFile& file) {
        if (!lpKeyName) return file.DeleteSection(View(lpAppName));
        if (!lpString) return file.DeleteKey(View(lpAppName), View(lpKeyName));
        return file.SetValue(View(lpAppName), View(lpKeyName), View(lpString));
    });
}

DWORD GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                LPCWSTR lpFileName) {
    std::string path = ProfilePath(lpFileName);
    std::lock_guard<std::mutex> guard(ProfileLock());
    bool found = false;
    ProfileFile file = Read(path, found);
    SetLastError(found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return CopyList(file.SectionLines(View(lpAppName)), lpReturnedString, nSize);
}

BOOL WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName) {
    if (!lpAppName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Modify(lpFileName, [&](ProfileFile& file) {
        if (!lpString) return file.DeleteSection(View(lpAppName));
        return file.ReplaceSection(View(lpAppName), SplitList(lpString));
    });
}

DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName) {
    return GetPrivateProfileStringW(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}

DWORD GetProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                        LPWSTR lpReturnedString, DWORD nSize) {
    return GetPrivateProfileStringW(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize,
                                    u"win.ini");
}

UINT GetProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault) {
    return GetPrivateProfileIntW(lpAppName, lpKeyName, nDefault, u"win.ini");
}

BOOL WriteProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString) {
    return WritePrivateProfileStringW(lpAppName, lpKeyName, lpString, u"win.ini");
}

DWORD GetProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize) {
    return GetPrivateProfileSectionW(lpAppName, lpReturnedString, nSize, u"win.ini");
}

BOOL WriteProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString) {
    return WritePrivateProfileSectionW(lpAppName, lpString, u"win.ini");
}
