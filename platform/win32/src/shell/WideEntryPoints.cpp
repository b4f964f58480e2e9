// The wide routines of the kernel, user and graphics libraries that the shell
// layer binds by name at start-up, and the seam that withholds shell exports
// so that a test can see how a caller copes with an older shell library.
#include "../Modules.h"

#include <win32/TestSeams.h>
#include <win32/fileapi.h>
#include <win32/shellapi.h>
#include <win32/winbase.h>
#include <win32/wingdi.h>
#include <win32/winuser.h>

namespace win32 {

void RegisterShellWideEntryPoints() {
    RegisterModule(u"KERNEL32.DLL",
                   {
                       {"GetDriveTypeW", 0, reinterpret_cast<void*>(&GetDriveTypeW)},
                       {"CreateFileW", 0, reinterpret_cast<void*>(&CreateFileW)},
                       {"FindFirstFileW", 0, reinterpret_cast<void*>(&FindFirstFileW)},
                       {"CreateDirectoryW", 0, reinterpret_cast<void*>(&CreateDirectoryW)},
                       {"GetFullPathNameW", 0, reinterpret_cast<void*>(&GetFullPathNameW)},
                       {"GetFileAttributesW", 0, reinterpret_cast<void*>(&GetFileAttributesW)},
                       {"GetDiskFreeSpaceExW", 0, reinterpret_cast<void*>(&GetDiskFreeSpaceExW)},
                       {"GetDiskFreeSpaceW", 0, reinterpret_cast<void*>(&GetDiskFreeSpaceW)},
                   });
    RegisterModule(u"USER32.DLL", {{"DrawTextW", 0, reinterpret_cast<void*>(&DrawTextW)}});
    RegisterModule(u"GDI32.DLL",
                   {{"GetCharABCWidthsW", 0, reinterpret_cast<void*>(&GetCharABCWidthsW)}});
}

} // namespace win32

namespace TestSeams {

void WithholdShellOrdinals(const std::vector<int>& ordinals) {
    // The table fills itself on first use; fill it now so that the filling
    // cannot put the withheld routines back.
    GetModuleHandleW(u"shell32.dll");
    std::vector<win32::ModuleExport> hidden;
    for (int ordinal : ordinals)
        hidden.push_back({nullptr, static_cast<WORD>(ordinal), nullptr});
    win32::RegisterModule(u"SHELL32.DLL", hidden);
}

void RestoreShellOrdinals() {
    win32::RegisterModule(u"SHELL32.DLL",
                          {
                              {nullptr, 21, reinterpret_cast<void*>(&ILIsEqual)},
                              {nullptr, 23, reinterpret_cast<void*>(&ILIsParent)},
                              {nullptr, 660, reinterpret_cast<void*>(&FileIconInit)},
                              {nullptr, 747, reinterpret_cast<void*>(&SHLimitInputEdit)},
                          });
}

} // namespace TestSeams
