// Wide file routines over the Windows file API, and TWideFileStream.
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <win32/shlobj.h>

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

bool DirExistsW(const UnicodeString& FileName) {
    if (FileName.empty()) return false;
    DWORD attrs = GetFileAttributesW(FileName.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExistsW(PCWideChar FileName) {
    return FileName && DirExistsW(UnicodeString(FileName));
}

bool FileExistsW(const UnicodeString& FileName) {
    if (FileName.empty()) return false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(FileName.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

// The shell is told of the new folder once change notification exists.
bool CreateDirW(const UnicodeString& DirName) {
    if (!CreateDirectoryW(DirName.c_str(), nullptr)) return false;
    // Views of the parent folder learn of the new folder at once.
    if (PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(DirName.c_str())) {
        SHChangeNotify(SHCNE_MKDIR, SHCNF_IDLIST, pidl, nullptr);
        ILFree(pidl);
    }
    return true;
}

HANDLE WideFileCreate(const UnicodeString& FileName) {
    return CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE FileCreateW(const UnicodeString& FileName) { return WideFileCreate(FileName); }

HANDLE WideFileOpen(const UnicodeString& FileName, uint32_t Mode) {
    static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    static const DWORD share[] = {FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ,
                                  FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    uint32_t accessIndex = Mode & 3;
    uint32_t shareIndex = (Mode >> 4) & 0xF;
    if (accessIndex > 2 || shareIndex > 4) throw ERangeError(u"Range check error");
    return CreateFileW(FileName.c_str(), access[accessIndex], share[shareIndex], nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool DiskInDrive(char16_t Drive) {
    char16_t letter = Drive & ~0x20;
    if (letter < u'A' || letter > u'Z') return false;
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    UnicodeString root{letter, u':', u'\\'};
    ULARGE_INTEGER freeBytes, total, totalFree;
    bool ok = GetDiskFreeSpaceExW(root.c_str(), &freeBytes, &total, &totalFree) != FALSE;
    SetErrorMode(oldMode);
    return ok;
}

UnicodeString NewFolderNameW(const UnicodeString& ParentFolder,
                             const UnicodeString& SuggestedFolderName) {
    UnicodeString folder = StripTrailingBackslashW(ParentFolder, true) + u"\\";
    UnicodeString base = SuggestedFolderName.empty() ? u"New Folder" : SuggestedFolderName;
    UnicodeString candidate = folder + base;
    for (int n = 1; DirExistsW(candidate); ++n) {
        if (n > 20) return {};
        candidate = folder + base + u" (" + IntToStr(n) + u")";
    }
    return candidate;
}

// Never answers a name that exists: when every numbered form is taken the
// answer is empty, as it is for an existing name without an extension.
UnicodeString UniqueFileName(const UnicodeString& FilePath) {
    if (!FileExistsW(FilePath)) return FilePath;
    // The extension is the file name's: a dot in a folder name is not one.
    size_t dot = FilePath.rfind(u'.');
    size_t separator = FilePath.rfind(u'\\');
    if (dot == UnicodeString::npos || (separator != UnicodeString::npos && dot < separator))
        return {};
    for (int n = 2; n <= 19; ++n) {
        UnicodeString candidate = FilePath.substr(0, dot) + u" (" + IntToStr(n) + u")" +
                                  FilePath.substr(dot);
        if (!FileExistsW(candidate)) return candidate;
    }
    return {};
}

UnicodeString UniqueDirName(const UnicodeString& FilePath) {
    if (!DirExistsW(FilePath)) return FilePath;
    UnicodeString candidate;
    for (int n = 2; n <= 19; ++n) {
        candidate = FilePath + u" (" + IntToStr(n) + u")";
        if (!DirExistsW(candidate)) break;
    }
    return candidate;
}

int64_t CalcuateFolderSize(const UnicodeString& FolderPath, bool Recurse) {
    if (Recurse && IsDriveW(FolderPath)) {
        ULARGE_INTEGER freeBytes, total, totalFree;
        UnicodeString root = IncludeTrailingBackslashW(FolderPath);
        if (!GetDiskFreeSpaceExW(root.c_str(), &freeBytes, &total, &totalFree)) return 0;
        return static_cast<int64_t>(total.QuadPart - totalFree.QuadPart);
    }
    int64_t size = 0;
    UnicodeString folder = StripTrailingBackslashW(FolderPath, true) + u"\\";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + u"*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        UnicodeString name(data.cFileName);
        bool isDir = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (Recurse && isDir) {
            if (name != u"." && name != u"..") size += CalcuateFolderSize(folder + name, true);
        } else {
            size += (int64_t(data.nFileSizeHigh) << 32) + data.nFileSizeLow;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return size;
}

// ---- TWideFileStream ----------------------------------------------------------

namespace {

HANDLE OpenWideFile(const UnicodeString& FileName, uint32_t Mode) {
    // Create modes carry share bits too (0xFF10): the create bits decide.
    if ((Mode & fmCreate) == fmCreate) {
        static const DWORD share[] = {FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ,
                                      FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
        uint32_t shareIndex = (Mode >> 4) & 0xF;
        return CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE,
                           shareIndex <= 4 ? share[shareIndex] : 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    return WideFileOpen(FileName, Mode);
}

} // namespace

TWideFileStream::TWideFileStream(const UnicodeString& FileName, uint32_t Mode)
    : THandleStream(OpenWideFile(FileName, Mode)) {
    if (FHandle == INVALID_HANDLE_VALUE)
        throw EFCreateError(u"Cannot create file \"%s\". %s",
                            {FileName, SysErrorMessage(GetLastError())});
}

TWideFileStream::~TWideFileStream() {
    if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
}
