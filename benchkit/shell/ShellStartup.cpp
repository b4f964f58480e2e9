// The shell-item unit's start-up: the file-icon cache, the routines bound at
// run time, the process-wide PIDL manager and the special-folder items.
#include "benchkit/shell/IDEVirtualShellUtilities.h"
#include "benchkit/shell/IDEVirtualUtilities.h"

TPIDLManager* PIDLMgr = nullptr;
TNamespace* DesktopFolder = nullptr;
TNamespace* RecycleBinFolder = nullptr;
TNamespace* PhysicalDesktopFolder = nullptr;
TNamespace* DrivesFolder = nullptr;
TNamespace* PrinterFolder = nullptr;
TNamespace* HistoryFolder = nullptr;
TNamespace* ControlPanelFolder = nullptr;
TNamespace* NetworkNeighborHoodFolder = nullptr;
TNamespace* TemplatesFolder = nullptr;
TNamespace* MyDocumentsFolder = nullptr;
TNamespace* FavoritesFolder = nullptr;

namespace IDEVirtualShellUtilities {

TAnimateWindow AnimateWindow = nullptr;
TSHLimitInputEdit SHLimitInputEdit = nullptr;

namespace {

using TShellILIsEqual = BOOL (*)(PCIDLIST_ABSOLUTE, PCIDLIST_ABSOLUTE);
using TShellILIsParent = BOOL (*)(PCIDLIST_ABSOLUTE, PCIDLIST_ABSOLUTE, BOOL);
using TFileIconInit = BOOL (*)(BOOL);

TShellILIsEqual PrivateILIsEqual = nullptr;
TShellILIsParent PrivateILIsParent = nullptr;
int UnitCounter = 0; // start-ups not yet matched by a shut-down

} // namespace

bool FileIconInit(bool FullInit) {
    if (!IsUnicode()) return false;
    auto init = BindRoutine<TFileIconInit>(GetModuleHandleW(u"shell32.dll"), ShellOrdinal(660));
    return init && init(FullInit ? TRUE : FALSE) != FALSE;
}

bool InitShellOrdinals() {
    HMODULE shell32 = GetModuleHandleW(u"shell32.dll");
    if (!shell32) return false;
    AnimateWindow = BindRoutine<TAnimateWindow>(GetModuleHandleW(u"user32"), "AnimateWindow");
    PrivateILIsEqual = BindRoutine<TShellILIsEqual>(shell32, ShellOrdinal(21));
    PrivateILIsParent = BindRoutine<TShellILIsParent>(shell32, ShellOrdinal(23));
    SHLimitInputEdit = BindRoutine<TSHLimitInputEdit>(shell32, ShellOrdinal(747));
    return PrivateILIsEqual && PrivateILIsParent;
}

} // namespace IDEVirtualShellUtilities

TNamespace* CreateSpecialNamespace(int FolderID) {
    PItemIDList pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, FolderID, &pidl)) || !pidl) return nullptr;
    auto* item = new TNamespace(pidl, nullptr);
    item->GetParentShellFolder();
    return item;
}

namespace {

void FreeAndNil(TNamespace*& item) {
    delete item;
    item = nullptr;
}

} // namespace

void InitializeIDEVirtualShellUtilities() {
    using namespace IDEVirtualShellUtilities;
    if (UnitCounter++ > 0) return;
    FileIconInit(true);
    if (!InitShellOrdinals()) {
        // The host learns of it; the process goes on.
        UnitCounter = 0;
        AnimateWindow = nullptr;
        IDEVirtualShellUtilities::SHLimitInputEdit = nullptr;
        throw EOSError(u"The shell library lacks the item id list routines (ordinals 21 and 23)");
    }
    PIDLMgr = new TPIDLManager;
    DesktopFolder = CreateSpecialNamespace(CSIDL_DESKTOP);
    RecycleBinFolder = CreateSpecialNamespace(CSIDL_BITBUCKET);
    PhysicalDesktopFolder = CreateSpecialNamespace(CSIDL_DESKTOPDIRECTORY);
    DrivesFolder = CreateSpecialNamespace(CSIDL_DRIVES);
    PrinterFolder = CreateSpecialNamespace(CSIDL_PRINTERS);
    HistoryFolder = CreateSpecialNamespace(CSIDL_HISTORY);
    ControlPanelFolder = CreateSpecialNamespace(CSIDL_CONTROLS);
    NetworkNeighborHoodFolder = CreateSpecialNamespace(CSIDL_NETWORK);
    TemplatesFolder = CreateSpecialNamespace(CSIDL_TEMPLATES);
    MyDocumentsFolder = CreateSpecialNamespace(CSIDL_PERSONAL);
    FavoritesFolder = CreateSpecialNamespace(CSIDL_FAVORITES);
}

void FinalizeIDEVirtualShellUtilities() {
    using namespace IDEVirtualShellUtilities;
    if (UnitCounter == 0 || --UnitCounter > 0) return;
    FreeAndNil(DesktopFolder);
    FreeAndNil(RecycleBinFolder);
    FreeAndNil(PhysicalDesktopFolder);
    FreeAndNil(DrivesFolder);
    FreeAndNil(HistoryFolder);
    FreeAndNil(PrinterFolder);
    FreeAndNil(ControlPanelFolder);
    FreeAndNil(NetworkNeighborHoodFolder);
    FreeAndNil(TemplatesFolder);
    FreeAndNil(MyDocumentsFolder);
    FreeAndNil(FavoritesFolder);
    delete PIDLMgr;
    PIDLMgr = nullptr;
    AnimateWindow = nullptr;
    IDEVirtualShellUtilities::SHLimitInputEdit = nullptr;
}
