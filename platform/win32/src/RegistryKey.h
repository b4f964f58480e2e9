// One key of the in-memory registry: its values and subkeys, both kept in the
// order they were created, because callers list them in that order (the
// serial-port list is shown in the order the registry gives it).
#pragma once

#include <win32/windef.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace win32 {

// The hives of the registry; HKEY_CLASSES_ROOT is a view into LocalMachine.
enum class HiveId { LocalMachine, CurrentUser, Users, CurrentConfig, Count };

// How many levels of keys a hive may hold below its root, as on Windows. Every
// walk over the tree may rely on it: nothing deeper is ever created.
constexpr size_t kMaxKeyDepth = 512;

struct RegistryValue {
    std::u16string name; // empty: the key's default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

class RegistryKey : public std::enable_shared_from_this<RegistryKey> {
public:
    RegistryKey(std::u16string name, HiveId hive, bool isVolatile);

    const std::u16string& Name() const { return m_name; }
    HiveId Hive() const { return m_hive; }
    // Volatile keys live in memory only; their subkeys are volatile too.
    bool IsVolatile() const { return m_volatile; }
    // A deleted key stays alive while handles refer to it; they then fail.
    bool IsDeleted() const { return m_deleted; }
    RegistryKey* Parent() const { return m_parent; }
    // Levels below the hive's root (the root is 0).
    size_t Depth() const;
    FILETIME LastWriteTime() const { return m_lastWrite; }
    void Touch();

    const std::vector<std::shared_ptr<RegistryKey>>& Subkeys() const { return m_subkeys; }
    std::shared_ptr<RegistryKey> FindSubkey(std::u16string_view name) const;
    std::shared_ptr<RegistryKey> AddSubkey(std::u16string name, bool isVolatile);
    // Unlinks a subkey and marks it and everything below it deleted.
    void RemoveSubkey(const RegistryKey* subkey);
    // Deletes every subkey and every value.
    void Clear();

    const std::vector<RegistryValue>& Values() const { return m_values; }
    const RegistryValue* FindValue(std::u16string_view name) const;
    // Replaces the value of that name in place, or appends a new one.
    void SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data);
    bool DeleteValue(std::u16string_view name);
    // Replaces every value at once.
    void ReplaceValues(std::vector<RegistryValue> values);

private:
    void MarkDeleted();
    void IndexValues();

    std::u16string m_name;
    HiveId m_hive;
    bool m_volatile;
    bool m_deleted = false;
    RegistryKey* m_parent = nullptr; // parents own their subkeys, so this never dangles
    FILETIME m_lastWrite{};
    std::vector<std::shared_ptr<RegistryKey>> m_subkeys;
    std::vector<RegistryValue> m_values;
    // Case-folded name -> subkey and -> position in m_values, so that a key with
    // many children finds one without a scan.
    std::unordered_map<std::u16string, RegistryKey*> m_subkeyIndex;
    std::unordered_map<std::u16string, size_t> m_valueIndex;
};

} // namespace win32
