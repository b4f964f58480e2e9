// The registry of the process: the hives, the open key handles and the
// generators of HKEY_LOCAL_MACHINE\HARDWARE, behind one lock.
//
// Persistence is write-through: every change to a non-volatile key of
// HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE rewrites that hive's file atomically
// before the call returns, so a crash never loses a change that was reported
// done. Hives are small, so the cost is a few kilobytes per change.
#pragma once

#include "RegistryKey.h"

#include <win32/winreg.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace win32 {

class RegistryStore {
public:
    static RegistryStore& Instance();

    // Locks the registry, loading the hives first when they are not loaded.
    // Recursive, so that generators may call the registry.
    std::unique_lock<std::recursive_mutex> Lock();

    // What a key handle stands for. Predefined keys have every right.
    struct OpenKey {
        std::shared_ptr<RegistryKey> key;
        REGSAM access = 0;
    };
    // ERROR_SUCCESS, ERROR_INVALID_HANDLE or ERROR_KEY_DELETED.
    LONG Resolve(HKEY handle, OpenKey& open);
    HKEY AddHandle(std::shared_ptr<RegistryKey> key, REGSAM access);
    // False when the handle is not open.
    bool RemoveHandle(HKEY handle);
    static bool IsPredefined(HKEY handle);

    // Records a change to a key; a persisted hive is written at once.
    void Changed(RegistryKey& key);
    void Save(HiveId hive);

    RegistryKey& Root(HiveId hive) { return *m_roots[static_cast<int>(hive)]; }
    // HKLM\HARDWARE, created (volatile) when missing.
    RegistryKey& Hardware();

    // The calls below take the lock themselves and never load the hives; the
    // ones above expect the caller to hold the lock from Lock().
    int AddGenerator(std::function<void()> generator);
    void RemoveGenerator(int id);
    // Empties HARDWARE and runs every generator.
    void RunGenerators();

    // Drops everything in memory and every handle; the next Lock loads again.
    void Unload();
    // Unload, and delete the persisted hive files too.
    void Reset();

    static std::string FilePath(HiveId hive);

private:
    RegistryStore() = default;
    void Load();
    void LoadFile(HiveId hive);
    std::shared_ptr<RegistryKey> ClassesRoot();

    std::recursive_mutex m_lock;
    bool m_loaded = false;
    std::shared_ptr<RegistryKey> m_roots[static_cast<int>(HiveId::Count)];
    std::map<uintptr_t, OpenKey> m_handles;
    uintptr_t m_nextHandle = 0x1000; // never reused, so a stale handle stays invalid
    std::vector<std::pair<int, std::function<void()>>> m_generators;
    int m_nextGenerator = 1;
};

} // namespace win32
