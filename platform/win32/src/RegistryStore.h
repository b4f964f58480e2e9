// The registry of the process: the hives, the open key handles and the
// generators of HKEY_LOCAL_MACHINE\HARDWARE, behind one lock.
//
// Persistence is write-through: every change to a non-volatile key of
// HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE is appended to that hive's file as a
// small record before the call returns, so a process that dies never loses a
// change that was reported done, and a change that cannot reach the file is
// reported and never made in memory. As on Windows, RegFlushKey is what makes
// changes survive a power loss: it syncs the file. When the appended records
// outgrow the hive, the file is rewritten whole (temporary file, sync, rename),
// so the file is never a mix of old and new.
//
// Several processes may share the files: a writer holds the hive's lock file,
// first takes up what others appended (or rewrote), then appends its own.
// Opening a key takes up other processes' changes too.
#pragma once

#include "RegistryKey.h"

#include <win32/winreg.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <sys/types.h>
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

    // Whether changes to this key go to its hive's file.
    bool IsJournaled(const RegistryKey& key) const;
    // Takes up what other processes wrote to a persisted hive's file.
    void Refresh(HiveId hive);
    // Appends a change record (see RegistryHiveFile.h) to the hive's file,
    // after taking up other processes' changes, and then applies it to memory
    // by reading it back, so that memory holds what the file says. `key`, when
    // given, is the key the change is made in: if another process deleted it,
    // the write is refused with ERROR_KEY_DELETED. ERROR_SUCCESS, or the error
    // of the failing write with memory and file as they were.
    LONG Write(HiveId hive, const std::string& record, const RegistryKey* key);
    // Syncs a persisted hive's file; ERROR_SUCCESS, or why it cannot be written.
    LONG Flush(HiveId hive);

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
    // What this process knows of a persisted hive's file.
    struct HiveFile {
        bool seen = false; // a file was read; dev, ino and size describe it
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;        // bytes of it taken up into memory
        off_t compactSize = 0; // size when it was last written or read whole
        DWORD refused = 0;     // why writes are refused (the file could not be read)
        std::string head;      // its first line, which tells one whole write from another
    };

    RegistryStore() = default;
    void Load();
    void LoadFile(HiveId hive);
    // The steps below expect the hive's lock file to be held.
    void TakeUp(HiveId hive);
    LONG Compact(HiveId hive, const std::string* damaged);
    void RemoveStaleTemporaries(HiveId hive);
    std::shared_ptr<RegistryKey> ClassesRoot();

    std::recursive_mutex m_lock;
    bool m_loaded = false;
    std::shared_ptr<RegistryKey> m_roots[static_cast<int>(HiveId::Count)];
    HiveFile m_files[static_cast<int>(HiveId::Count)];
    std::map<uintptr_t, OpenKey> m_handles;
    uintptr_t m_nextHandle = 0x1000; // never reused, so a stale handle stays invalid
    std::vector<std::pair<int, std::function<void()>>> m_generators;
    int m_nextGenerator = 1;
};

} // namespace win32
