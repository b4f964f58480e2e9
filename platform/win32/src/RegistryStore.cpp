#include "RegistryStore.h"

#include "Config.h"
#include "Registry.h"
#include "RegistryHiveFile.h"
#include "RegistryText.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace win32 {
namespace {

const char* HiveName(HiveId hive) {
    switch (hive) {
    case HiveId::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case HiveId::CurrentUser:
        return "HKEY_CURRENT_USER";
    case HiveId::Users:
        return "HKEY_USERS";
    case HiveId::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    case HiveId::Count:
        break;
    }
    return "";
}

bool IsPersisted(HiveId hive) {
    return hive == HiveId::LocalMachine || hive == HiveId::CurrentUser;
}

std::string RegistryFolder() {
    return ConfigFolder() + "/registry";
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The predefined key a handle names (0..6 for HKEY_CLASSES_ROOT..HKEY_DYN_DATA),
// or -1. Both the sign-extended and the zero-extended 32-bit forms are accepted:
// callers that keep root keys in 32-bit fields widen them either way.
int PredefinedIndex(HKEY handle) {
    uint64_t value = reinterpret_cast<uintptr_t>(handle);
    if ((value >> 32) == 0xFFFFFFFFu) value &= 0xFFFFFFFFu;
    if (value >= 0x80000000u && value <= 0x80000006u) return static_cast<int>(value - 0x80000000u);
    return -1;
}

} // namespace

RegistryStore& RegistryStore::Instance() {
    static RegistryStore* store = [] {
        auto* created = new RegistryStore; // never destroyed: keys may close during exit
        // The layer's own HARDWARE content comes first, before any other generator.
        created->AddGenerator(GenerateBuiltinHardware);
        return created;
    }();
    return *store;
}

std::unique_lock<std::recursive_mutex> RegistryStore::Lock() {
    std::unique_lock<std::recursive_mutex> guard(m_lock);
    if (!m_loaded) Load();
    return guard;
}

std::string RegistryStore::FilePath(HiveId hive) {
    if (!IsPersisted(hive)) return "";
    return RegistryFolder() + "/" + HiveName(hive) + ".txt";
}

void RegistryStore::Load() {
    m_loaded = true; // first, so that generators calling the registry do not load again
    m_handles.clear();
    for (int i = 0; i < static_cast<int>(HiveId::Count); ++i)
        m_roots[i] = std::make_shared<RegistryKey>(u"", static_cast<HiveId>(i), false);
    LoadFile(HiveId::LocalMachine);
    LoadFile(HiveId::CurrentUser);

    RegistryKey& machine = Root(HiveId::LocalMachine);
    // HARDWARE describes this machine now; a copy found in a file is stale.
    if (auto stale = machine.FindSubkey(u"HARDWARE")) machine.RemoveSubkey(stale.get());
    machine.AddSubkey(u"HARDWARE", true);
    ClassesRoot();
    Root(HiveId::Users).AddSubkey(u".DEFAULT", false);
    RunGenerators();
}

void RegistryStore::LoadFile(HiveId hive) {
    std::string path = FilePath(hive);
    std::string text;
    if (!ReadWholeFile(path, text)) return; // no file yet: an empty hive
    size_t bad = ParseHive(text, Root(hive));
    if (bad == 0) return;

    // Keep the damaged file for a person to look at, and write what could be
    // read, so that the next start does not stumble over the same lines.
    std::string copy = path + ".bad";
    for (int n = 2; Exists(copy); ++n)
        copy = path + ".bad." + std::to_string(n);
    std::rename(path.c_str(), copy.c_str());
    std::fprintf(stderr, "registry: %zu unreadable line(s) in %s; kept as %s\n", bad, path.c_str(),
                 copy.c_str());
    Save(hive);
}

void RegistryStore::Save(HiveId hive) {
    std::string path = FilePath(hive);
    if (path.empty()) return;
    std::string text = FormatHive(Root(hive), HiveName(hive));
    MakeFolders(RegistryFolder());
    if (!WriteFileAtomically(path, text))
        std::fprintf(stderr, "registry: cannot write %s\n", path.c_str());
}

void RegistryStore::Changed(RegistryKey& key) {
    key.Touch();
    if (!key.IsVolatile()) Save(key.Hive());
}

std::shared_ptr<RegistryKey> RegistryStore::ClassesRoot() {
    RegistryKey& machine = Root(HiveId::LocalMachine);
    std::shared_ptr<RegistryKey> software = machine.FindSubkey(u"Software");
    if (!software) software = machine.AddSubkey(u"Software", false);
    std::shared_ptr<RegistryKey> classes = software->FindSubkey(u"Classes");
    if (!classes) classes = software->AddSubkey(u"Classes", false);
    return classes;
}

RegistryKey& RegistryStore::Hardware() {
    RegistryKey& machine = Root(HiveId::LocalMachine);
    std::shared_ptr<RegistryKey> hardware = machine.FindSubkey(u"HARDWARE");
    if (!hardware) hardware = machine.AddSubkey(u"HARDWARE", true);
    return *hardware;
}

bool RegistryStore::IsPredefined(HKEY handle) {
    return PredefinedIndex(handle) >= 0;
}

LONG RegistryStore::Resolve(HKEY handle, OpenKey& open) {
    switch (PredefinedIndex(handle)) {
    case 0:
        open = {ClassesRoot(), KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 1:
        open = {m_roots[int(HiveId::CurrentUser)], KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 2:
        open = {m_roots[int(HiveId::LocalMachine)], KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 3:
        open = {m_roots[int(HiveId::Users)], KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 5:
        open = {m_roots[int(HiveId::CurrentConfig)], KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    case 4: // performance data and dynamic data are not kept
    case 6:
        return ERROR_INVALID_HANDLE;
    default:
        break;
    }
    auto it = m_handles.find(reinterpret_cast<uintptr_t>(handle));
    if (it == m_handles.end()) return ERROR_INVALID_HANDLE;
    if (it->second.key->IsDeleted()) return ERROR_KEY_DELETED;
    open = it->second;
    return ERROR_SUCCESS;
}

HKEY RegistryStore::AddHandle(std::shared_ptr<RegistryKey> key, REGSAM access) {
    uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    m_handles.emplace(value, OpenKey{std::move(key), access});
    return reinterpret_cast<HKEY>(value);
}

bool RegistryStore::RemoveHandle(HKEY handle) {
    return m_handles.erase(reinterpret_cast<uintptr_t>(handle)) > 0;
}

int RegistryStore::AddGenerator(std::function<void()> generator) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    int id = m_nextGenerator++;
    m_generators.emplace_back(id, std::move(generator));
    if (m_loaded) {
        try {
            m_generators.back().second();
        } catch (...) {
        }
    }
    return id;
}

void RegistryStore::RemoveGenerator(int id) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    std::erase_if(m_generators, [&](const auto& entry) { return entry.first == id; });
}

void RegistryStore::RunGenerators() {
    Hardware().Clear();
    // A copy: a generator may register or unregister others.
    auto generators = m_generators;
    for (auto& entry : generators) {
        try {
            entry.second();
        } catch (...) {
            // One faulty generator must not keep the registry from loading.
        }
    }
}

void RegistryStore::Unload() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_loaded = false;
    m_handles.clear();
    for (auto& root : m_roots)
        root.reset();
}

void RegistryStore::Reset() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Unload();
    std::error_code ignored;
    std::filesystem::remove_all(RegistryFolder(), ignored);
}

} // namespace win32
