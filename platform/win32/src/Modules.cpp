// LoadLibrary, GetModuleHandle, GetProcAddress and FreeLibrary over the table
// of the layer's own modules. A module handle is the address of its entry;
// entries are never freed, so a stale handle is still recognised.
#include "Modules.h"

#include <win32/winbase.h>
#include <win32/winnls.h>

#include <map>
#include <mutex>

namespace win32 {
namespace {

struct Module {
    std::u16string name; // upper case, without ".DLL"
    bool resident = true;
    int loadCount = 0; // LoadLibrary calls not yet freed
    std::map<std::string, void*> byName;
    std::map<WORD, void*> byOrdinal;

    bool Loaded() const { return resident || loadCount > 0; }
};

struct ModuleTable {
    std::recursive_mutex lock; // registration may run while the table fills itself
    std::map<std::u16string, Module*> byName;
    Module program;
    bool filled = false;
};

ModuleTable& Table() {
    static auto* table = new ModuleTable;
    return *table;
}

// Locks the table, filling it with the layer's modules on first use.
std::unique_lock<std::recursive_mutex> LockedTable(ModuleTable& table) {
    std::unique_lock<std::recursive_mutex> lock(table.lock);
    if (!table.filled) {
        table.filled = true;
        RegisterBuiltinModules();
    }
    return lock;
}

// "C:\Windows\system32\Shell32.dll" -> "SHELL32"
std::u16string ModuleKey(std::u16string name) {
    size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string::npos) name = name.substr(slash + 1);
    for (char16_t& c : name)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (name.size() > 4 && name.compare(name.size() - 4, 4, u".DLL") == 0)
        name.resize(name.size() - 4);
    if (!name.empty() && name.back() == u'.') name.pop_back(); // "NAME." means no extension
    return name;
}

Module* Find(ModuleTable& table, LPCWSTR name) {
    auto it = table.byName.find(ModuleKey(name));
    return it == table.byName.end() ? nullptr : it->second;
}

Module* FromHandle(ModuleTable& table, HMODULE handle) {
    if (handle == reinterpret_cast<HMODULE>(&table.program)) return &table.program;
    for (auto& [name, module] : table.byName)
        if (reinterpret_cast<HMODULE>(module) == handle) return module;
    return nullptr;
}

HMODULE HandleOf(Module* module) {
    return reinterpret_cast<HMODULE>(module);
}

std::u16string Widen(LPCSTR text) {
    int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::u16string wide(size > 0 ? size : 1, u'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(std::char_traits<char16_t>::length(wide.c_str()));
    return wide;
}

} // namespace

HMODULE RegisterModule(const std::u16string& name, const std::vector<ModuleExport>& exports,
                       bool resident) {
    ModuleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    std::u16string key = ModuleKey(name);
    Module*& module = table.byName[key];
    if (!module) {
        module = new Module; // lives as long as the process: handles stay recognisable
        module->name = key;
        module->resident = resident;
    }
    for (const ModuleExport& e : exports) {
        if (e.name) module->byName[e.name] = e.address;
        if (e.ordinal) module->byOrdinal[e.ordinal] = e.address;
    }
    return HandleOf(module);
}

HMODULE ProgramModule() {
    return HandleOf(&Table().program);
}

} // namespace win32

using namespace win32;

HMODULE LoadLibraryW(LPCWSTR fileName) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ModuleTable& table = Table();
    auto lock = LockedTable(table);
    Module* module = Find(table, fileName);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++module->loadCount;
    return HandleOf(module);
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadLibraryW(Widen(fileName).c_str());
}

BOOL FreeLibrary(HMODULE handle) {
    ModuleTable& table = Table();
    auto lock = LockedTable(table);
    Module* module = FromHandle(table, handle);
    if (!module || !module->Loaded()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (module->loadCount > 0) --module->loadCount;
    return TRUE;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    if (!moduleName) return ProgramModule();
    ModuleTable& table = Table();
    auto lock = LockedTable(table);
    Module* module = Find(table, moduleName);
    if (!module || !module->Loaded()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return HandleOf(module);
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (!moduleName) return ProgramModule();
    return GetModuleHandleW(Widen(moduleName).c_str());
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR procName) {
    ModuleTable& table = Table();
    auto lock = LockedTable(table);
    Module* module = handle ? FromHandle(table, handle) : &table.program;
    if (!module || !module->Loaded()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!procName) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* address = nullptr;
    if (IS_INTRESOURCE(procName)) {
        auto it = module->byOrdinal.find(LOWORD(procName));
        if (it != module->byOrdinal.end()) address = it->second;
    } else {
        auto it = module->byName.find(procName);
        if (it != module->byName.end()) address = it->second;
    }
    if (!address) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(address);
}
