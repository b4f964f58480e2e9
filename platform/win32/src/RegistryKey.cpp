#include "RegistryKey.h"

#include "RegistryText.h"

#include <algorithm>
#include <chrono>

namespace win32 {
namespace {

FILETIME Now() {
    // 100-nanosecond intervals since 1601-01-01, as FILETIME counts.
    using namespace std::chrono;
    const uint64_t epochDifference = 11644473600ULL * 10000000ULL;
    uint64_t ticks =
        duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100 +
        epochDifference;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

RegistryKey::RegistryKey(std::u16string name, HiveId hive, bool isVolatile)
    : m_name(std::move(name)), m_hive(hive), m_volatile(isVolatile), m_lastWrite(Now()) {}

void RegistryKey::Touch() {
    m_lastWrite = Now();
}

std::shared_ptr<RegistryKey> RegistryKey::FindSubkey(std::u16string_view name) const {
    for (const auto& subkey : m_subkeys)
        if (EqualNoCase(subkey->m_name, name)) return subkey;
    return nullptr;
}

std::shared_ptr<RegistryKey> RegistryKey::AddSubkey(std::u16string name, bool isVolatile) {
    auto subkey = std::make_shared<RegistryKey>(std::move(name), m_hive, isVolatile);
    subkey->m_parent = this;
    m_subkeys.push_back(subkey);
    Touch();
    return subkey;
}

void RegistryKey::RemoveSubkey(const RegistryKey* subkey) {
    auto it = std::find_if(m_subkeys.begin(), m_subkeys.end(),
                           [&](const auto& candidate) { return candidate.get() == subkey; });
    if (it == m_subkeys.end()) return;
    (*it)->MarkDeleted();
    m_subkeys.erase(it);
    Touch();
}

void RegistryKey::Clear() {
    for (auto& subkey : m_subkeys)
        subkey->MarkDeleted();
    m_subkeys.clear();
    m_values.clear();
    Touch();
}

void RegistryKey::MarkDeleted() {
    m_deleted = true;
    m_parent = nullptr;
    for (auto& subkey : m_subkeys)
        subkey->MarkDeleted();
}

const RegistryValue* RegistryKey::FindValue(std::u16string_view name) const {
    for (const auto& value : m_values)
        if (EqualNoCase(value.name, name)) return &value;
    return nullptr;
}

void RegistryKey::SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data) {
    Touch();
    for (auto& value : m_values) {
        if (!EqualNoCase(value.name, name)) continue;
        value.type = type;
        value.data = std::move(data);
        return;
    }
    m_values.push_back(RegistryValue{std::u16string(name), type, std::move(data)});
}

bool RegistryKey::DeleteValue(std::u16string_view name) {
    auto it = std::find_if(m_values.begin(), m_values.end(), [&](const RegistryValue& value) {
        return EqualNoCase(value.name, name);
    });
    if (it == m_values.end()) return false;
    m_values.erase(it);
    Touch();
    return true;
}

} // namespace win32
