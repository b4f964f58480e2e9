// TNamespace: the cached properties: names, attributes, find data, times,
// sizes, file type, icons and the default details columns.
#include "benchkit/shell/IDEVirtualResources.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"

#include <runpak/Format.h>

#include <cstring>

// ---- names ---------------------------------------------------------------------------------

UnicodeString TNamespace::DisplayNameOf(DWORD Flags) {
    IShellFolder* folder = GetParentShellFolder();
    if (!folder || !FRelativePIDL) return {};
    STRRET name{};
    if (FAILED(folder->GetDisplayNameOf(FRelativePIDL, Flags, &name))) return {};
    return StrRetToStr(name, FRelativePIDL);
}

UnicodeString TNamespace::CachedName(DWORD Flags, TShellCacheFlag Cache, UnicodeString& Slot) {
    if (!FShellCache.ShellCacheFlags.Contains(Cache)) {
        Slot = DisplayNameOf(Flags);
        FShellCache.ShellCacheFlags << Cache;
    }
    return Slot;
}

UnicodeString TNamespace::GetNameNormal() {
    return CachedName(SHGDN_NORMAL, scNormalName, FShellCache.Data.NormalName);
}
UnicodeString TNamespace::GetNameInFolder() {
    return CachedName(SHGDN_INFOLDER, scInFolderName, FShellCache.Data.InFolderName);
}
UnicodeString TNamespace::GetNameParseAddress() {
    return CachedName(SHGDN_FORPARSING | SHGDN_FORADDRESSBAR, scParsedName,
                      FShellCache.Data.ParsedName);
}
UnicodeString TNamespace::GetNameParseAddressInFolder() {
    return DisplayNameOf(SHGDN_FORPARSING | SHGDN_FORADDRESSBAR | SHGDN_INFOLDER);
}
UnicodeString TNamespace::GetNameForParsing() {
    // The desktop parses as the folder that holds its files.
    if (IsDesktop() && PhysicalDesktopFolder && PhysicalDesktopFolder != this)
        return PhysicalDesktopFolder->GetNameForParsing();
    return DisplayNameOf(SHGDN_FORPARSING);
}
UnicodeString TNamespace::GetNameForParsingInFolder() {
    if (IsDesktop() && PhysicalDesktopFolder && PhysicalDesktopFolder != this)
        return PhysicalDesktopFolder->GetNameForParsingInFolder();
    return DisplayNameOf(SHGDN_FORPARSING | SHGDN_INFOLDER);
}
UnicodeString TNamespace::GetNameForEditing() {
    return DisplayNameOf(SHGDN_FOREDITING);
}
UnicodeString TNamespace::GetNameForEditingInFolder() {
    return DisplayNameOf(SHGDN_FOREDITING | SHGDN_INFOLDER);
}
UnicodeString TNamespace::GetNameAddressbar() {
    return DisplayNameOf(SHGDN_FORADDRESSBAR);
}
UnicodeString TNamespace::GetNameAddressbarInFolder() {
    return DisplayNameOf(SHGDN_FORADDRESSBAR | SHGDN_INFOLDER);
}
UnicodeString TNamespace::GetExtension() {
    return ExtractFileExtW(GetNameParseAddress());
}

// ---- attributes ------------------------------------------------------------------------------

bool TNamespace::TestAttributesOf(SFGAOF Flags, bool FlushCache, bool SoftFlush) {
    IShellFolder* folder = GetParentShellFolder();
    if (!folder || !FRelativePIDL) return false;
    SFGAOF asked = Flags;
    UINT count = 1;
    if (SoftFlush) asked |= SFGAO_VALIDATE;
    if (FlushCache) {
        asked |= SFGAO_VALIDATE;
        count = 0;
    }
    PCUITEMID_CHILD one[1] = {FRelativePIDL};
    if (FAILED(folder->GetAttributesOf(count, one, &asked))) return false;
    return (asked & Flags) == Flags;
}

bool TNamespace::CachedAttribute(SFGAOF Flag, TShellCacheFlag Cache, TCacheAttribute Attribute) {
    if (!FShellCache.ShellCacheFlags.Contains(Cache)) {
        if (TestAttributesOf(Flag, false))
            FShellCache.Data.Attributes << Attribute;
        else
            FShellCache.Data.Attributes >> Attribute;
        FShellCache.ShellCacheFlags << Cache;
    }
    return FShellCache.Data.Attributes.Contains(Attribute);
}

bool TNamespace::GetFileSystem() {
    return CachedAttribute(SFGAO_FILESYSTEM, scFileSystem, caFileSystem);
}
bool TNamespace::GetFolder() {
    return CachedAttribute(SFGAO_FOLDER, scFolder, caFolder);
}
bool TNamespace::GetCanDelete() {
    return CachedAttribute(SFGAO_CANDELETE, scCanDelete, caCanDelete);
}
bool TNamespace::GetCanRename() {
    return CachedAttribute(SFGAO_CANRENAME, scCanRename, caCanRename);
}
bool TNamespace::GetGhosted() {
    return CachedAttribute(SFGAO_GHOSTED, scGhosted, caGhosted);
}
bool TNamespace::GetCanCopy() {
    return CachedAttribute(SFGAO_CANCOPY, scCanCopy, caCanCopy);
}
bool TNamespace::GetCanMove() {
    return CachedAttribute(SFGAO_CANMOVE, scCanMove, caCanMove);
}
bool TNamespace::GetCanLink() {
    return CachedAttribute(SFGAO_CANLINK, scCanLink, caCanLink);
}
bool TNamespace::GetLink() {
    return CachedAttribute(SFGAO_LINK, scLink, caLink);
}
bool TNamespace::GetFileSysAncestor() {
    return CachedAttribute(SFGAO_FILESYSANCESTOR, scFileSysAncestor, caFileSysAncestor);
}

bool TNamespace::GetBrowsable() {
    return TestAttributesOf(SFGAO_BROWSABLE, false);
}
bool TNamespace::GetHasPropSheet() {
    return TestAttributesOf(SFGAO_HASPROPSHEET, false);
}
bool TNamespace::GetHasSubFolder() {
    return TestAttributesOf(SFGAO_HASSUBFOLDER, false);
}
bool TNamespace::GetNewContent() {
    return TestAttributesOf(SFGAO_NEWCONTENT, false);
}
bool TNamespace::GetNonEnumerated() {
    return TestAttributesOf(SFGAO_NONENUMERATED, false);
}
bool TNamespace::GetCanMoniker() {
    return TestAttributesOf(SFGAO_STREAM, false);
}
bool TNamespace::GetHasStorage() {
    return TestAttributesOf(SFGAO_STREAM, false);
}
bool TNamespace::GetStream() {
    return TestAttributesOf(SFGAO_STREAM, false);
}
bool TNamespace::GetEncrypted() {
    return TestAttributesOf(SFGAO_ENCRYPTED, false);
}
bool TNamespace::GetIsSlow() {
    return TestAttributesOf(SFGAO_ISSLOW, false);
}
bool TNamespace::GetStorage() {
    return TestAttributesOf(SFGAO_STORAGE, false);
}
bool TNamespace::GetStorageAncestor() {
    return TestAttributesOf(SFGAO_STORAGEANCESTOR, false);
}
bool TNamespace::GetReadOnly() {
    return TestAttributesOf(SFGAO_READONLY, false);
}
bool TNamespace::GetRemovable() {
    return TestAttributesOf(SFGAO_REMOVABLE, false);
}
bool TNamespace::GetShare() {
    return TestAttributesOf(SFGAO_SHARE, false);
}

bool TNamespace::GetDropTarget() {
    return TestAttributesOf(SFGAO_DROPTARGET, false) || PIDLMgr->IsDesktopFolder(FRelativePIDL);
}

// ---- find data -----------------------------------------------------------------------------

namespace {

bool ReadFindData(TNamespace& Item, TNamespace* Parent, WIN32_FIND_DATAW& Data) {
    IShellFolder* folder = Parent && Parent->IsDesktop() && PhysicalDesktopFolder
                               ? PhysicalDesktopFolder->GetShellFolder()
                               : Item.GetParentShellFolder();
    return folder && SUCCEEDED(SHGetDataFromIDListW(folder, Item.GetRelativePIDL(),
                                                    SHGDFIL_FINDDATA, &Data, sizeof Data));
}

} // namespace

void TNamespace::GetDataFromIDList() {
    if (FFindFacts.Known || IsDesktop() ||
        FShellCache.ShellCacheFlags.Contains(scInvalidIDListData))
        return;
    WIN32_FIND_DATAW data;
    if (!ReadFindData(*this, FParent, data)) {
        FShellCache.ShellCacheFlags << scInvalidIDListData;
        return;
    }
    FFindFacts.Known = true;
    FFindFacts.Attributes = data.dwFileAttributes;
    FFindFacts.Size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    FFindFacts.CreationTime = data.ftCreationTime;
    FFindFacts.LastAccessTime = data.ftLastAccessTime;
    FFindFacts.LastWriteTime = data.ftLastWriteTime;
    // The id keeps what the file system said when it was made; an item that
    // was invalidated since asks the file system again.
    if (FFindFacts.Refresh) {
        FFindFacts.Refresh = false;
        WIN32_FILE_ATTRIBUTE_DATA now;
        if (GetFileSystem() &&
            GetFileAttributesExW(GetNameForParsing().c_str(), GetFileExInfoStandard, &now)) {
            FFindFacts.Attributes = now.dwFileAttributes;
            FFindFacts.Size = (uint64_t(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
            FFindFacts.CreationTime = now.ftCreationTime;
            FFindFacts.LastAccessTime = now.ftLastAccessTime;
            FFindFacts.LastWriteTime = now.ftLastWriteTime;
        }
    }
}

WIN32_FIND_DATAW* TNamespace::GetWin32FindDataW() {
    if (FWin32FindDataW) return FWin32FindDataW.get();
    GetDataFromIDList();
    if (!FFindFacts.Known) return nullptr;
    auto data = std::make_unique<WIN32_FIND_DATAW>();
    if (!ReadFindData(*this, FParent, *data)) return nullptr;
    FWin32FindDataW = std::move(data);
    return FWin32FindDataW.get();
}

bool TNamespace::FindDataAttribute(DWORD Bit) {
    GetDataFromIDList();
    return FFindFacts.Known && GetFileSystem() && (FFindFacts.Attributes & Bit) != 0;
}

bool TNamespace::GetArchive() {
    return FindDataAttribute(FILE_ATTRIBUTE_ARCHIVE);
}
bool TNamespace::GetDirectory() {
    return FindDataAttribute(FILE_ATTRIBUTE_DIRECTORY);
}
bool TNamespace::GetHidden() {
    return FindDataAttribute(FILE_ATTRIBUTE_HIDDEN);
}
bool TNamespace::GetNormal() {
    return FindDataAttribute(FILE_ATTRIBUTE_NORMAL);
}
bool TNamespace::GetOffLine() {
    return FindDataAttribute(FILE_ATTRIBUTE_OFFLINE);
}
bool TNamespace::GetReadOnlyFile() {
    return FindDataAttribute(FILE_ATTRIBUTE_READONLY);
}
bool TNamespace::GetSystem() {
    return FindDataAttribute(FILE_ATTRIBUTE_SYSTEM);
}
bool TNamespace::GetTemporary() {
    return FindDataAttribute(FILE_ATTRIBUTE_TEMPORARY);
}

bool TNamespace::GetCompressed() {
    if (!FShellCache.ShellCacheFlags.Contains(scCompressed)) {
        if (FindDataAttribute(FILE_ATTRIBUTE_COMPRESSED))
            FShellCache.Data.Attributes << caCompressed;
        else
            FShellCache.Data.Attributes >> caCompressed;
        FShellCache.ShellCacheFlags << scCompressed;
    }
    return FShellCache.Data.Attributes.Contains(caCompressed);
}

UnicodeString TNamespace::GetFileName() {
    WIN32_FIND_DATAW* data = GetWin32FindDataW();
    if (!data || !GetFileSystem()) return {};
    return UnicodeString(data->cFileName);
}

UnicodeString TNamespace::GetShortFileName() {
    WIN32_FIND_DATAW* data = GetWin32FindDataW();
    if (!data || !GetFileSystem()) return {};
    UnicodeString name(data->cAlternateFileName);
    return name.empty() ? WideUpperCase(data->cFileName) : name;
}

int64_t TNamespace::GetSizeOfFileInt64() {
    GetDataFromIDList();
    if (!FFindFacts.Known || !GetFileSystem()) return 0;
    return static_cast<int64_t>(FFindFacts.Size);
}

// ---- times ------------------------------------------------------------------------------------

// The times are those the file system reported when the item's id was made
// (the folder's listing reads them with the rest of the entry); they stand
// until the item is invalidated, as every other cached property does.
void TNamespace::GetFileTimes() {
    if (FShellCache.ShellCacheFlags.Contains(scFileTimes)) return;
    GetDataFromIDList();
    FShellCache.ShellCacheFlags << scFileTimes;
}

FILETIME TNamespace::GetCreationTimeRaw() {
    GetFileTimes();
    return FFindFacts.Known ? FFindFacts.CreationTime : FILETIME{};
}
FILETIME TNamespace::GetLastAccessTimeRaw() {
    GetFileTimes();
    return FFindFacts.Known ? FFindFacts.LastAccessTime : FILETIME{};
}
FILETIME TNamespace::GetLastWriteTimeRaw() {
    GetFileTimes();
    return FFindFacts.Known ? FFindFacts.LastWriteTime : FILETIME{};
}

UnicodeString TNamespace::TimeString(const FILETIME& Time, TShellCacheFlag Cache,
                                     UnicodeString& Slot) {
    if (!FShellCache.ShellCacheFlags.Contains(Cache)) {
        Slot = FFindFacts.Known && GetFileSystem() ? ConvertTFileTimeToLocalStr(Time)
                                                   : UnicodeString();
        FShellCache.ShellCacheFlags << Cache;
    }
    return Slot;
}

UnicodeString TNamespace::GetCreationTime() {
    FILETIME time = GetCreationTimeRaw();
    return TimeString(time, scCreationTime, FShellCache.Data.CreationTime);
}
UnicodeString TNamespace::GetLastAccessTime() {
    FILETIME time = GetLastAccessTimeRaw();
    return TimeString(time, scLastAccessTime, FShellCache.Data.LastAccessTime);
}
UnicodeString TNamespace::GetLastWriteTime() {
    FILETIME time = GetLastWriteTimeRaw();
    return TimeString(time, scLastWriteTime, FShellCache.Data.LastWriteTime);
}

TDateTime TNamespace::GetCreationDateTime() {
    return ConvertFileTimetoDateTime(GetCreationTimeRaw());
}
TDateTime TNamespace::GetLastAccessDateTime() {
    return ConvertFileTimetoDateTime(GetLastAccessTimeRaw());
}
TDateTime TNamespace::GetLastWriteDateTime() {
    return ConvertFileTimetoDateTime(GetLastWriteTimeRaw());
}

// ---- sizes -------------------------------------------------------------------------------------

UnicodeString TNamespace::GetSizeOfFile() {
    if (GetFolder()) return {};
    if (!FShellCache.ShellCacheFlags.Contains(scFileSize)) {
        FShellCache.Data.FileSize = AddCommas(IntToStrW(GetSizeOfFileInt64()));
        FShellCache.ShellCacheFlags << scFileSize;
    }
    return FShellCache.Data.FileSize;
}

UnicodeString TNamespace::GetSizeOfFileKB() {
    if (GetFolder()) return {};
    if (!FShellCache.ShellCacheFlags.Contains(scFileSizeKB)) {
        double kb = static_cast<double>(GetSizeOfFileInt64() / 1024);
        UnicodeString text = Format(_STR_FILE_SIZE_IN_KB, kb);
        if (text == _STR_ZERO_KB) text = UnicodeString(_STR_ONE_KB);
        FShellCache.Data.FileSizeKB = text;
        FShellCache.ShellCacheFlags << scFileSizeKB;
    }
    return FShellCache.Data.FileSizeKB;
}

UnicodeString TNamespace::GetSizeOfFileDiskUsage() {
    if (GetFolder()) return {};
    UnicodeString root = IncludeTrailingBackslashW(ExtractFileDriveW(GetNameForParsing()));
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    if (!DirExistsW(root) ||
        !GetDiskFreeSpaceW(root.c_str(), &sectors, &bytes, &freeClusters, &clusters))
        return GetSizeOfFile();
    uint64_t cluster = uint64_t(sectors) * bytes;
    if (cluster == 0) return GetSizeOfFile();
    uint64_t size = static_cast<uint64_t>(GetSizeOfFileInt64());
    uint64_t used = (size + cluster - 1) / cluster * cluster;
    return AddCommas(IntToStrW(static_cast<int64_t>(used)));
}

int64_t TNamespace::FolderSize(bool Invalidate, bool RecurseFolder) {
    if (!FShellCache.ShellCacheFlags.Contains(scFolderSize) || Invalidate) {
        if (GetFolder() && GetFileSystem())
            FShellCache.Data.FolderSize = CalcuateFolderSize(GetNameForParsing(), RecurseFolder);
        FShellCache.ShellCacheFlags << scFolderSize;
    }
    return FShellCache.Data.FolderSize;
}

// ---- type and icons ---------------------------------------------------------------------------

void TNamespace::GetSHFileInfo() {
    if (FSHGetFileInfoRec) return;
    FSHGetFileInfoRec = std::make_unique<TSHGetFileInfoRec>();
    SHFILEINFOW info{};
    if (FAbsolutePIDL && SHGetFileInfoW(reinterpret_cast<LPCWSTR>(FAbsolutePIDL), 0, &info,
                                        sizeof info, SHGFI_TYPENAME | SHGFI_PIDL))
        FSHGetFileInfoRec->FileType = info.szTypeName;
    if (FSHGetFileInfoRec->FileType.empty())
        FSHGetFileInfoRec->FileType =
            WideUpperCase(ExtractFileExtW(GetNameForParsing())) + UnicodeString(_STR_FILE);
}

UnicodeString TNamespace::GetFileType() {
    if (!FShellCache.ShellCacheFlags.Contains(scFileType)) {
        GetSHFileInfo();
        FShellCache.Data.FileType = FSHGetFileInfoRec->FileType;
        if (FShellCache.Data.FileType.empty())
            FShellCache.Data.FileType =
                WideUpperCase(ExtractFileExtW(GetNameForParsing())) + UnicodeString(_STR_FILE);
        FShellCache.ShellCacheFlags << scFileType;
    }
    return FShellCache.Data.FileType;
}

int TNamespace::QueryIconIndex(bool OpenIcon, TIconSize IconSize) {
    if (!FAbsolutePIDL) return 0;
    // The folder's own icon answer first; the system's lookup for what it leaves.
    if (IShellIcon* icons = GetShellIconInterface()) {
        int index = 0;
        if (icons->GetIconOf(FRelativePIDL, OpenIcon ? GIL_OPENICON : 0, &index) == S_OK)
            return index;
    }
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SHELLICONSIZE |
                 (IconSize == icSmall ? SHGFI_SMALLICON : 0) | (OpenIcon ? SHGFI_OPENICON : 0);
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(FAbsolutePIDL), 0, &info, sizeof info, flags))
        return 0;
    return info.iIcon;
}

int TNamespace::GetIconIndex(bool OpenIcon, TIconSize IconSize, bool ForceLoad) {
    TShellCache& flags = FShellCache.ShellCacheFlags;
    if (!OpenIcon) {
        if (!flags.Contains(scSmallIcon) || ForceLoad) {
            FShellCache.Data.SmallIcon = QueryIconIndex(false, IconSize);
            flags << scSmallIcon;
        }
        return FShellCache.Data.SmallIcon;
    }
    if (!flags.Contains(scSmallOpenIcon) || ForceLoad) {
        int index = 0;
        if (FParent && FParent->IsControlPanel()) {
            index = QueryIconIndex(false, IconSize);
        } else {
            index = QueryIconIndex(true, IconSize);
            if (index == 0) index = QueryIconIndex(false, IconSize);
        }
        FShellCache.Data.SmallOpenIcon = index;
        flags << scSmallOpenIcon;
    }
    return FShellCache.Data.SmallOpenIcon;
}

void TNamespace::SetIconIndexByThread(int IconIndex, bool ClearThreadLoading) {
    FStates << nsThreadedIconLoaded;
    FShellCache.Data.SmallIcon = IconIndex;
    FShellCache.ShellCacheFlags << scSmallIcon;
    if (ClearThreadLoading) FStates >> nsThreadedIconLoading;
    FStates << nsIconIndexChanged;
}

void TNamespace::SetImageByThread(HBITMAP Bitmap, bool ClearThreadLoading) {
    FStates << nsThreadedImageLoaded;
    if (FImage && FImage != Bitmap) DeleteObject(FImage);
    FImage = Bitmap;
    if (ClearThreadLoading) FStates >> nsThreadedImageLoading;
}

// Asked of the parent folder while no overlay is known, so that an item
// that gains one (a file turned into a link) shows it once refreshed.
int TNamespace::GetOverlayIndex() {
    if (FShellCache.Data.OverlayIndex < 0 && GetParentShellFolder() && FParent)
        if (IShellIconOverlay* overlays = FParent->GetShellIconOverlayInterface()) {
            int index = -1;
            FShellCache.Data.OverlayIndex =
                overlays->GetOverlayIndex(FRelativePIDL, &index) == S_OK ? index : -1;
        }
    return FShellCache.Data.OverlayIndex;
}
int TNamespace::GetOverlayIconIndex() {
    if (FShellCache.Data.OverlayIconIndex < 0 && GetParentShellFolder() && FParent)
        if (IShellIconOverlay* overlays = FParent->GetShellIconOverlayInterface()) {
            int index = -1;
            FShellCache.Data.OverlayIconIndex =
                overlays->GetOverlayIconIndex(FRelativePIDL, &index) == S_OK ? index : -1;
        }
    return FShellCache.Data.OverlayIconIndex;
}

// ---- descriptions ---------------------------------------------------------------------------

UnicodeString TNamespace::GetInfoTip() {
    IQueryInfo* info = GetQueryInfoInterface();
    LPWSTR tip = nullptr;
    if (!info || FAILED(info->GetInfoTip(0, &tip)) || !tip) return {};
    UnicodeString text(tip);
    PIDLMgr ? PIDLMgr->FreeOLEStr(tip) : CoTaskMemFree(tip);
    return text;
}

namespace {

bool DescriptionId(IShellFolder* parent, PItemIDList relative, SHDESCRIPTIONID& id) {
    return parent && relative &&
           SUCCEEDED(SHGetDataFromIDListW(parent, relative, SHGDFIL_DESCRIPTIONID, &id, sizeof id));
}

} // namespace

// The shell's folders report no class through a persist-folder interface, so
// the description's class is the whole answer.
GUID TNamespace::GetCLSID() {
    SHDESCRIPTIONID id{};
    return DescriptionId(GetParentShellFolder(), FRelativePIDL, id) ? id.clsid : GUID{};
}

TObjectDescription TNamespace::GetDescription() {
    SHDESCRIPTIONID id{};
    if (!DescriptionId(GetParentShellFolder(), FRelativePIDL, id) ||
        id.dwDescriptionId > DWORD(odShareDocuments))
        return odError;
    return TObjectDescription(id.dwDescriptionId);
}

UnicodeString TNamespace::ExplorerStyleAttributeStringList(bool CapitalLetters) {
    UnicodeString text;
    if (GetArchive()) text += _STR_ARCHIVE;
    if (GetHidden()) text += _STR_HIDDEN;
    if (GetReadOnlyFile()) text += _STR_READONLY;
    if (GetSystem()) text += _STR_SYSTEM;
    if (GetCompressed()) text += _STR_COMPRESS;
    return CapitalLetters ? text : WideLowerCase(text);
}

UnicodeString TNamespace::GetAttributesString() {
    return GetFileSystem() ? ExplorerStyleAttributeStringList(true) : UnicodeString();
}

// ---- default details --------------------------------------------------------------------------

UnicodeString TNamespace::DetailsDefaultColumnTitle(int ColumnIndex) {
    if (ColumnIndex == -1) ColumnIndex = 0;
    if (ColumnIndex < 0 || ColumnIndex > 9) return {};
    static const IDEVirtualResources::Text titles[10] = {
        _sName,    _sSize,     _sType, _sModified, _sAttributes,
        _sCreated, _sAccessed, _sPath, _sDOSName,  _sCustom};
    return UnicodeString(titles[ColumnIndex]);
}

UnicodeString TNamespace::DetailsDefaultOf(int ColumnIndex) {
    switch (ColumnIndex) {
    case -1:
    case 0:
        return GetNameInFolder();
    case 1:
        return GetSizeOfFileKB();
    case 2: {
        WIN32_FIND_DATAW* data = GetWin32FindDataW();
        bool named = data && data->cFileName[0] != 0 && data->cFileName[0] != 8;
        return GetFileSystem() && named ? GetFileType() : UnicodeString(_STR_SYSTEMFOLDER);
    }
    case 3:
        return GetLastWriteTime();
    case 4:
        return GetAttributesString();
    default:
        return {};
    }
}

int TNamespace::DetailsDefaultSupportedColumns() {
    return 5;
}
