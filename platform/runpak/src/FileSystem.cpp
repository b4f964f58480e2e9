// File and folder routines over the layer's file API.
#include <runpak/FileSystem.h>

#include <runpak/Strings.h>

#include <vector>

namespace {

constexpr int faSpecial = faHidden | faSysFile | faDirectory;

// Calls a Get...W routine that answers the length it needs when the buffer
// is too small, and the length written (without the null) otherwise.
template <class Call> UnicodeString ReadPath(Call call) {
    std::vector<WCHAR> buffer(MAX_PATH);
    for (;;) {
        DWORD length = call(DWORD(buffer.size()), buffer.data());
        if (length == 0) return {};
        if (length < buffer.size()) return UnicodeString(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

int FileTimeToFileDate(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return -1;
    if (st.wYear < 1980 || st.wYear > 2107) return -1;
    unsigned date = unsigned(st.wYear - 1980) << 9 | unsigned(st.wMonth) << 5 | st.wDay;
    unsigned time = unsigned(st.wHour) << 11 | unsigned(st.wMinute) << 5 | st.wSecond / 2;
    return int(date << 16 | time);
}

TDateTime FileTimeToDateTime(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
    TDateTime date;
    TDateTime time;
    if (!TryEncodeDate(st.wYear, st.wMonth, st.wDay, date) ||
        !TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, time))
        return 0;
    return ComposeDateTime(date, time);
}

// Skips entries whose attributes were not asked for, then fills f.
int FindMatchingFile(TSearchRec& f) {
    while (int(f.FindData.dwFileAttributes) & f.ExcludeAttr) {
        if (!FindNextFileW(f.FindHandle, &f.FindData)) return int(GetLastError());
    }
    f.Time = FileTimeToFileDate(f.FindData.ftLastWriteTime);
    f.TimeStamp = FileTimeToDateTime(f.FindData.ftLastWriteTime);
    f.Size = int64_t(f.FindData.nFileSizeHigh) << 32 | f.FindData.nFileSizeLow;
    f.Attr = int(f.FindData.dwFileAttributes);
    f.Name = f.FindData.cFileName;
    return 0;
}

} // namespace

// --- Existence -------------------------------------------------------------------

bool FileExists(const UnicodeString& fileName, bool) {
    DWORD attributes = GetFileAttributesW(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const UnicodeString& directory, bool) {
    DWORD attributes = GetFileAttributesW(directory.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int FileGetAttr(const UnicodeString& fileName, bool) {
    return int(GetFileAttributesW(fileName.c_str()));
}

int FileSetAttr(const UnicodeString& fileName, int attr, bool) {
    return SetFileAttributesW(fileName.c_str(), DWORD(attr)) ? 0 : int(GetLastError());
}

// --- Folders and files --------------------------------------------------------------

bool CreateDir(const UnicodeString& dir) {
    return CreateDirectoryW(dir.c_str(), nullptr);
}

bool RemoveDir(const UnicodeString& dir) {
    return RemoveDirectoryW(dir.c_str());
}

bool ForceDirectories(const UnicodeString& dir) {
    if (dir.empty()) throw EInOutError(u"Unable to create directory");
    // Expanded first, so that a short relative name is created too.
    UnicodeString full = ExcludeTrailingPathDelimiter(ExpandFileName(dir));
    if (full.empty() || DirectoryExists(full)) return true;
    UnicodeString parent = ExtractFilePath(full);
    // At a root (or a name without a folder above it) there is nothing more to make.
    if (parent.empty() || parent == full || ExcludeTrailingPathDelimiter(parent) == full)
        return CreateDir(full) || DirectoryExists(full);
    if (!ForceDirectories(parent)) return false;
    // Another thread may have made it meanwhile: that is success too.
    return CreateDir(full) || DirectoryExists(full);
}

bool DeleteFile(const UnicodeString& fileName) {
    return DeleteFileW(fileName.c_str());
}

bool RenameFile(const UnicodeString& oldName, const UnicodeString& newName) {
    return MoveFileW(oldName.c_str(), newName.c_str());
}

// --- Paths and the current folder ---------------------------------------------------

UnicodeString ExpandFileName(const UnicodeString& fileName) {
    if (fileName.empty()) return {};
    return ReadPath([&](DWORD size, LPWSTR buffer) {
        return GetFullPathNameW(fileName.c_str(), size, buffer, nullptr);
    });
}

UnicodeString GetCurrentDir() {
    return ReadPath([](DWORD size, LPWSTR buffer) { return GetCurrentDirectoryW(size, buffer); });
}

bool SetCurrentDir(const UnicodeString& dir) {
    return SetCurrentDirectoryW(dir.c_str());
}

// --- File dates -------------------------------------------------------------------------

TDateTime FileDateToDateTime(int fileDate) {
    unsigned value = unsigned(fileDate);
    unsigned date = value >> 16;
    unsigned time = value & 0xFFFF;
    return ComposeDateTime(EncodeDate((date >> 9) + 1980, (date >> 5) & 15, date & 31),
                           EncodeTime(time >> 11, (time >> 5) & 63, (time & 31) * 2, 0));
}

int DateTimeToFileDate(TDateTime dateTime) {
    unsigned short year, month, day, hour, min, sec, msec;
    DecodeDateTime(dateTime, year, month, day, hour, min, sec, msec);
    if (year < 1980 || year > 2107) return 0;
    unsigned date = unsigned(year - 1980) << 9 | unsigned(month) << 5 | day;
    unsigned time = unsigned(hour) << 11 | unsigned(min) << 5 | sec / 2;
    return int(date << 16 | time);
}

int FileAge(const UnicodeString& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(fileName.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return FileTimeToFileDate(data.ftLastWriteTime);
}

bool FileAge(const UnicodeString& fileName, TDateTime& fileDateTime) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(fileName.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    fileDateTime = FileTimeToDateTime(data.ftLastWriteTime);
    return true;
}

int FileGetDate(HANDLE handle) {
    FILETIME written;
    if (!GetFileTime(handle, nullptr, nullptr, &written)) return -1;
    return FileTimeToFileDate(written);
}

// --- Searching ------------------------------------------------------------------------

int FindFirst(const UnicodeString& path, int attr, TSearchRec& f) {
    f.ExcludeAttr = ~attr & faSpecial;
    f.FindHandle = FindFirstFileW(path.c_str(), &f.FindData);
    if (f.FindHandle == INVALID_HANDLE_VALUE) return int(GetLastError());
    int result = FindMatchingFile(f);
    if (result != 0) FindClose(f);
    return result;
}

int FindNext(TSearchRec& f) {
    if (!FindNextFileW(f.FindHandle, &f.FindData)) return int(GetLastError());
    return FindMatchingFile(f);
}

void FindClose(TSearchRec& f) {
    if (f.FindHandle == INVALID_HANDLE_VALUE) return;
    ::FindClose(f.FindHandle);
    f.FindHandle = INVALID_HANDLE_VALUE;
}
