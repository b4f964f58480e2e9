// The modules the layer provides. Each area adds the exports that the system
// binds at run time (by name or ordinal) with one call below.
#include "Modules.h"

#include <win32/fileapi.h>
#include <win32/winbase.h>

namespace win32 {

namespace {

void RegisterKernelModule() {
    RegisterModule(u"KERNEL32.DLL",
                   {
                       {"GetTickCount", 0, reinterpret_cast<void*>(&GetTickCount)},
                       {"GetTickCount64", 0, reinterpret_cast<void*>(&GetTickCount64)},
                       {"Sleep", 0, reinterpret_cast<void*>(&Sleep)},
                       {"GetCurrentProcessId", 0, reinterpret_cast<void*>(&GetCurrentProcessId)},
                       {"GetCurrentThreadId", 0, reinterpret_cast<void*>(&GetCurrentThreadId)},
                       {"GetVersionExW", 0, reinterpret_cast<void*>(&GetVersionExW)},
                       {"MulDiv", 0, reinterpret_cast<void*>(&MulDiv)},
                       {"GetWindowsDirectoryW", 0, reinterpret_cast<void*>(&GetWindowsDirectoryW)},
                       {"GetSystemDirectoryW", 0, reinterpret_cast<void*>(&GetSystemDirectoryW)},
                       {"FindFirstChangeNotificationW", 0,
                        reinterpret_cast<void*>(&FindFirstChangeNotificationW)},
                   });
}

} // namespace

void RegisterBuiltinModules() {
    RegisterKernelModule();
    RegisterShellAdminQuery();
    RegisterShellModule();
}

} // namespace win32
