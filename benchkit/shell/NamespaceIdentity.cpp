// TNamespace: identity tests against the special folders, comparison, the
// sort helper and the item routines.
#include "benchkit/shell/IDEVirtualShellUtilities.h"

using IDEVirtualPIDLTools::ILIsEqual;
using IDEVirtualPIDLTools::ILIsParent;

namespace {

bool SameAs(TNamespace* special, PItemIDList pidl) {
    return special && ILIsEqual(special->GetAbsolutePIDL(), pidl);
}

} // namespace

bool TNamespace::IsDesktop() {
    return PIDLMgr && PIDLMgr->IsDesktopFolder(FAbsolutePIDL);
}

bool TNamespace::IsRecycleBin() {
    if (!FStates.Contains(nsRecycleBinChecked)) {
        SetState(nsIsRecycleBin, SameAs(RecycleBinFolder, FAbsolutePIDL));
        FStates << nsRecycleBinChecked;
    }
    return FStates.Contains(nsIsRecycleBin);
}

bool TNamespace::IsMyComputer() {
    return SameAs(DrivesFolder, FAbsolutePIDL);
}

bool TNamespace::IsControlPanel() {
    return SameAs(ControlPanelFolder, FAbsolutePIDL);
}

bool TNamespace::IsNetworkNeighborhood() {
    return SameAs(NetworkNeighborHoodFolder, FAbsolutePIDL);
}

bool TNamespace::IsControlPanelChildFolder() {
    return ControlPanelFolder &&
           ILIsParent(ControlPanelFolder->GetAbsolutePIDL(), FAbsolutePIDL, true);
}

bool TNamespace::IsNetworkNeighborhoodChild() {
    return NetworkNeighborHoodFolder &&
           ILIsParent(NetworkNeighborHoodFolder->GetAbsolutePIDL(), FAbsolutePIDL, false);
}

bool TNamespace::IsChildByNamespace(TNamespace* TestNamespace, bool Immediate) {
    return TestNamespace && IsChildByPIDL(TestNamespace->GetAbsolutePIDL(), Immediate);
}

bool TNamespace::IsChildByPIDL(PItemIDList TestPIDL, bool Immediate) {
    return ILIsParent(FAbsolutePIDL, TestPIDL, Immediate);
}

bool TNamespace::IsParentByNamespace(TNamespace* TestNamespace, bool Immediate) {
    return TestNamespace && IsParentByPIDL(TestNamespace->GetAbsolutePIDL(), Immediate);
}

bool TNamespace::IsParentByPIDL(PItemIDList TestPIDL, bool Immediate) {
    return ILIsParent(TestPIDL, FAbsolutePIDL, Immediate);
}

bool TNamespace::IsChildOfRemovableDrive() {
    if (PIDLMgr->IDCount(FAbsolutePIDL) < 2) return false;
    // Computer, then the drive: the drive is the list's second item.
    PItemIDList drive = PIDLMgr->CopyPIDL(FAbsolutePIDL);
    if (!drive) return false;
    PItemIDList cut = PIDLMgr->NextID(PIDLMgr->NextID(drive));
    cut->mkid.cb = 0;
    TNamespace item(drive, nullptr);
    return item.GetRemovable();
}

int TNamespace::ComparePIDL(PItemIDList PIDLToCompare, bool IsAbsolutePIDL, int Column) {
    if (!PIDLToCompare) return -1;
    IShellFolder* folder = GetParentShellFolder();
    if (!folder) return 0;
    HRESULT hr = folder->CompareIDs(Column < 0 ? 0 : Column,
                                    PIDLMgr->GetPointerToLastID(PIDLToCompare), FRelativePIDL);
    // A failed comparison orders nothing.
    if (FAILED(hr)) return 0;
    return static_cast<short>(HRESULT_CODE(hr));
}

// ---- TShellSortHelper ------------------------------------------------------------------------

int TShellSortHelper::CompareIDSort(int SortColumn, TNamespace* NS1, TNamespace* NS2) {
    if (!NS1->GetParentShellFolder()) return 0;
    int result = NS2->ComparePIDL(NS1->GetRelativePIDL(), false, SortColumn);
    if (result == 0 && SortColumn > 0)
        result = StrCompW(NS1->GetNameNormal().c_str(), NS2->GetNameNormal().c_str());
    return result;
}

int TShellSortHelper::DiscriminateFolders(TNamespace* NS1, TNamespace* NS2) {
    bool f1 = NS1->GetFolder(), f2 = NS2->GetFolder();
    if (f1 && !f2) return -1;
    if (!f1 && f2) return 1;
    return 0;
}

int TShellSortHelper::SortFileSize(TNamespace* NS1, TNamespace* NS2) {
    int result = DiscriminateFolders(NS1, NS2);
    if (result) return result;
    int64_t s1 = NS1->GetSizeOfFileInt64(), s2 = NS2->GetSizeOfFileInt64();
    if (s1 != s2) return s1 < s2 ? -1 : 1;
    return CompareIDSort(0, NS1, NS2);
}

int TShellSortHelper::SortFileTime(FILETIME FT1, FILETIME FT2, TNamespace* NS1, TNamespace* NS2) {
    int result = DiscriminateFolders(NS1, NS2);
    if (result) return result;
    result = CompareFileTime(&FT1, &FT2);
    return result ? result : CompareIDSort(0, NS1, NS2);
}

int TShellSortHelper::SortString(const UnicodeString& S1, const UnicodeString& S2, TNamespace* NS1,
                                 TNamespace* NS2) {
    int result = DiscriminateFolders(NS1, NS2);
    if (result) return result;
    result = StrCompW(S1.c_str(), S2.c_str());
    return result ? result : CompareIDSort(0, NS1, NS2);
}

int TShellSortHelper::SortType(TNamespace* NS1, TNamespace* NS2) {
    if (FFileSort == fsFileExtension) {
        int result = DiscriminateFolders(NS1, NS2);
        if (result) return result;
        if (NS1->GetFileSystem() && NS2->GetFileSystem())
            return SortString(ExtractFileExtW(NS1->GetNameParseAddress()),
                              ExtractFileExtW(NS2->GetNameParseAddress()), NS1, NS2);
        return 0;
    }
    return SortString(NS1->GetFileType(), NS2->GetFileType(), NS1, NS2);
}

// ---- item routines ---------------------------------------------------------------------------

PItemIDList PathToPIDL(const UnicodeString& APath) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return nullptr;
    UnicodeString path = APath;
    PIDLIST_RELATIVE pidl = nullptr;
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, path.data(), &eaten, &pidl, nullptr)))
        pidl = nullptr;
    desktop->Release();
    return pidl;
}

namespace {

bool LocalSystemTime(FILETIME AFileTime, SYSTEMTIME& out) {
    if (AFileTime.dwLowDateTime == 0 && AFileTime.dwHighDateTime == 0) return false;
    FILETIME local{};
    return FileTimeToLocalFileTime(&AFileTime, &local) && FileTimeToSystemTime(&local, &out);
}

} // namespace

UnicodeString ConvertTFileTimeToLocalStr(FILETIME AFileTime) {
    SYSTEMTIME time{};
    if (!LocalSystemTime(AFileTime, time)) return {};
    try {
        return DateTimeToStr(SystemTimeToDateTime(time));
    } catch (...) {
        return {};
    }
}

TDateTime ConvertFileTimetoDateTime(FILETIME AFileTime) {
    SYSTEMTIME time{};
    if (!LocalSystemTime(AFileTime, time)) return 0;
    try {
        return SystemTimeToDateTime(time);
    } catch (...) {
        return 0;
    }
}

UnicodeString StrRetToStr(STRRET& StrRet, PItemIDList APIDL) {
    LPWSTR text = nullptr;
    if (FAILED(StrRetToStrW(&StrRet, APIDL, &text)) || !text) return {};
    UnicodeString result(text);
    CoTaskMemFree(text);
    return result;
}
