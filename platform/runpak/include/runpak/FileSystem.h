// The framework's file and folder routines over the layer's file API:
// existence tests, folders, delete and rename, full paths, the current
// folder, file dates and searching. Paths are Windows paths.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/DateTime.h>
#include <runpak/Exceptions.h>
#include <win32/fileapi.h>

#include <cstdint>

// Raised when a folder chain cannot be made.
class EInOutError : public Exception {
public:
    using Exception::Exception;
    int ErrorCode = 0;
};

// File attributes as FindFirst and FileGetAttr report them.
constexpr int faReadOnly = 0x00000001;
constexpr int faHidden = 0x00000002;
constexpr int faSysFile = 0x00000004;
constexpr int faVolumeID = 0x00000008;
constexpr int faDirectory = 0x00000010;
constexpr int faArchive = 0x00000020;
constexpr int faNormal = 0x00000080;
constexpr int faTemporary = 0x00000100;
constexpr int faSymLink = 0x00000400;
constexpr int faCompressed = 0x00000800;
constexpr int faEncrypted = 0x00004000;
constexpr int faVirtual = 0x00010000;
constexpr int faAnyFile = 0x000001FF;

// --- Existence -----------------------------------------------------------------
// A folder is not a file, and a file is not a folder.
bool FileExists(const UnicodeString& fileName, bool followLink = true);
bool DirectoryExists(const UnicodeString& directory, bool followLink = true);
// The attributes, or -1 when the name does not exist.
int FileGetAttr(const UnicodeString& fileName, bool followLink = true);
// Answers 0, or the system's error code. Only faReadOnly has an effect here.
int FileSetAttr(const UnicodeString& fileName, int attr, bool followLink = true);

// --- Folders and files -----------------------------------------------------------
bool CreateDir(const UnicodeString& dir);
bool RemoveDir(const UnicodeString& dir);
// Creates dir and every missing folder above it; true when dir exists
// afterwards. An empty name raises EInOutError "Unable to create directory".
bool ForceDirectories(const UnicodeString& dir);
bool DeleteFile(const UnicodeString& fileName);
// Fails when newName exists.
bool RenameFile(const UnicodeString& oldName, const UnicodeString& newName);

// --- Paths and the current folder ------------------------------------------------
// The full path of fileName against the current folder, with "." and ".."
// resolved; empty for an empty name.
UnicodeString ExpandFileName(const UnicodeString& fileName);
UnicodeString GetCurrentDir();
bool SetCurrentDir(const UnicodeString& dir);

// --- File dates ------------------------------------------------------------------
// File dates are local times packed as DOS does: the date in the high word,
// the time (two-second steps) in the low word.
TDateTime FileDateToDateTime(int fileDate);
int DateTimeToFileDate(TDateTime dateTime);
// The local last-write time of a file, or -1 (false) when it does not exist.
int FileAge(const UnicodeString& fileName);
bool FileAge(const UnicodeString& fileName, TDateTime& fileDateTime);
// The local last-write time of an open file, or -1.
int FileGetDate(HANDLE handle);

// --- Searching -------------------------------------------------------------------
struct TSearchRec {
    int Time = 0; // file date of the last write, local
    int64_t Size = 0;
    int Attr = 0;
    UnicodeString Name;
    int ExcludeAttr = 0;
    HANDLE FindHandle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW FindData{};
    TDateTime TimeStamp; // the same time as a TDateTime
};

// path may hold wildcards in its last part. Entries with faHidden,
// faSysFile or faDirectory set are skipped unless attr asks for them (files
// of other attributes always come). Answers 0 for a match, else the
// system's error code (ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_FILES, ...).
// Call FindClose after a successful FindFirst.
int FindFirst(const UnicodeString& path, int attr, TSearchRec& f);
int FindNext(TSearchRec& f);
void FindClose(TSearchRec& f);

#pragma GCC visibility pop
