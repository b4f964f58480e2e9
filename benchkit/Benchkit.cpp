#include "benchkit/Benchkit.h"

#include "benchkit/controls/IDEGradientSpeedButtonsUnit.h"
#include "benchkit/controls/IDEMUIStringSupport.h"
#include "benchkit/controls/IDEShellCtrls.h"
#include "benchkit/props/IDEHistoryLists.h"
#include "benchkit/shell/IDEVirtualDataObject.h"
#include "benchkit/shell/IDEVirtualNamespace.h"
#include "benchkit/shell/IDEVirtualPIDLTools.h"
#include "benchkit/shell/IDEVirtualResources.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"
#include "benchkit/shell/IDEVirtualUnicodeControls.h"
#include "benchkit/shell/IDEVirtualUnicodeDefines.h"
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <mutex>

// The notifier unit's header brings the shell utilities' platform tests,
// which the tree unit declares as variables of the same names.
void InitializeIDEVirtualShellNotifier();
void FinalizeIDEVirtualShellNotifier();
void InitializeIDEVirtualIconThread();
void FinalizeIDEVirtualIconThread();
void InitializeIDEVirtualSystemImageLists();
void FinalizeIDEVirtualSystemImageLists();

namespace {

// Units in dependency order. A unit with work to do at start-up or shut-down
// adds its routines here; nothing runs when the library is merely loaded.
const TPackageUnitEntry kUnits[] = {
    {"Benchkit", nullptr, nullptr},
    {"IDEMUIStringSupport", nullptr, FinalizeIDEMUIStringSupport},
    {"IDEPropSet", InitializeIDEPropSet, FinalizeIDEPropSet},
    {"IDERegIniPropSet", InitializeIDERegIniPropSet, FinalizeIDERegIniPropSet},
    {"IDEHistoryLists", InitializeIDEHistoryLists, FinalizeIDEHistoryLists},
    {"IDEVirtualResources", InitializeIDEVirtualResources, FinalizeIDEVirtualResources},
    {"IDEVirtualUnicodeDefines", InitializeIDEVirtualUnicodeDefines, FinalizeIDEVirtualUnicodeDefines},
    {"IDEVirtualDataObject", InitializeIDEVirtualDataObject, FinalizeIDEVirtualDataObject},
    {"IDEVirtualShellNotifier", InitializeIDEVirtualShellNotifier,
     FinalizeIDEVirtualShellNotifier},
    {"IDEVirtualSystemImageLists", InitializeIDEVirtualSystemImageLists,
     FinalizeIDEVirtualSystemImageLists},
    {"IDEVirtualIconThread", InitializeIDEVirtualIconThread, FinalizeIDEVirtualIconThread},
    {"IDEVirtualPIDLTools", InitializeIDEVirtualPIDLTools, FinalizeIDEVirtualPIDLTools},
    {"IDEVirtualShellUtilities", InitializeIDEVirtualShellUtilities,
     FinalizeIDEVirtualShellUtilities},
    {"IDEVirtualNamespace", InitializeIDEVirtualNamespace, FinalizeIDEVirtualNamespace},
    {"IDEVirtualUnicodeControls", InitializeIDEVirtualUnicodeControls,
     FinalizeIDEVirtualUnicodeControls},
    {"IDEVirtualTrees", InitializeIDEVirtualTrees, FinalizeIDEVirtualTrees},
    {"IDEGradientSpeedButtons", nullptr, FinalizeIDEGradientSpeedButtons},
    {"IDEShellCtrls", InitializeIDEShellCtrls, FinalizeIDEShellCtrls},
};

std::mutex packageLock;
int startedUnits = 0; // how many units of kUnits have run their start-up

} // namespace

extern "C" {

const TPackageInfoTable* GetPackageInfoTable() {
    static const TPackageInfoTable table = {static_cast<int>(sizeof kUnits / sizeof kUnits[0]),
                                            kUnits};
    return &table;
}

void Initialize() {
    std::lock_guard<std::mutex> guard(packageLock);
    const int count = static_cast<int>(sizeof kUnits / sizeof kUnits[0]);
    if (startedUnits == count) return;
    for (; startedUnits < count; ++startedUnits)
        if (kUnits[startedUnits].Init) kUnits[startedUnits].Init();
}

void Finalize() {
    std::lock_guard<std::mutex> guard(packageLock);
    for (; startedUnits > 0; --startedUnits)
        if (kUnits[startedUnits - 1].FInit) kUnits[startedUnits - 1].FInit();
}
}
