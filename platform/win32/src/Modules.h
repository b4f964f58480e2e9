// The table of the layer's own modules. LoadLibrary, GetModuleHandle and
// GetProcAddress resolve names and ordinals against it; no file is loaded.
//
// An area adds its exports with RegisterModule, from a registration function
// listed in BuiltinModules.cpp (the table fills itself on first use, never at
// load time). Registering a module name again adds the new exports to it.
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include <win32/windef.h>

#include <string>
#include <vector>

namespace win32 {

struct ModuleExport {
    const char* name; // null for an export by ordinal only
    WORD ordinal;     // 0 for an export by name only
    void* address;    // the routine, e.g. reinterpret_cast<void*>(&SHGetFolderPathW)
};

// `name` as Windows names the library ("SHELL32.DLL"; ".DLL" may be left out).
// A resident module is loaded from the start, as a library that the program
// links against, and never unloads; any other is loaded by LoadLibrary and
// unloaded by its last FreeLibrary, and GetModuleHandle does not see it
// before or after.
HMODULE RegisterModule(const std::u16string& name, const std::vector<ModuleExport>& exports,
                       bool resident = true);

// The program's own module, GetModuleHandleW(NULL).
HMODULE ProgramModule();

// Fills the table with the layer's modules; defined in BuiltinModules.cpp.
void RegisterBuiltinModules();

// The registration functions of the areas, each in its area's folder.
void RegisterShellModule();          // shell/ShellApi.cpp
void RegisterShellWideEntryPoints(); // shell/WideEntryPoints.cpp
void RegisterShellAdminQuery();      // ShellAdmin.cpp

} // namespace win32

#pragma GCC visibility pop
