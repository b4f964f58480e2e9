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

std::u16string Folded(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded)
        c = FoldCase(c);
    return folded;
}

} // namespace

RegistryKey::RegistryKey(std::u16string name, HiveId hive, bool isVolatile)
    : m_name(std::move(name)), m_hive(hive), m_volatile(isVolatile), m_lastWrite(Now()) {}

void RegistryKey::Touch() {
    m_lastWrite = Now();
}

size_t RegistryKey::Depth() const {
    size_t depth = 0;
    for (const RegistryKey* key = m_parent; key; key = key->m_parent)
        ++depth;
    return depth;
}

std::shared_ptr<RegistryKey> RegistryKey::FindSubkey(std::u16string_view name) const {
    auto it = m_subkeyIndex.find(Folded(name));
    if (it == m_subkeyIndex.end()) return nullptr;
    return it->second->shared_from_this();
}

std::shared_ptr<RegistryKey> RegistryKey::AddSubkey(std::u16string name, bool isVolatile) {
    auto subkey = std::make_shared<RegistryKey>(std::move(name), m_hive, isVolatile);
    subkey->m_parent = this;
    m_subkeys.push_back(subkey);
    m_subkeyIndex[Folded(subkey->m_name)] = subkey.get();
    Touch();
    return subkey;
}

void RegistryKey::RemoveSubkey(const RegistryKey* subkey) {
    auto it = std::find_if(m_subkeys.begin(), m_subkeys.end(),
                           [&](const auto& candidate) { return candidate.get() == subkey; });
    if (it == m_subkeys.end()) return;
    m_subkeyIndex.erase(Folded(subkey->m_name));
    (*it)->MarkDeleted();
    m_subkeys.erase(it);
    Touch();
}

void RegistryKey::Clear() {
    for (auto& subkey : m_subkeys)
        subkey->MarkDeleted();
    m_subkeys.clear();
    m_subkeyIndex.clear();
    m_values.clear();
    m_valueIndex.clear();
    Touch();
}

void RegistryKey::MarkDeleted() {
    // A loop over the levels, not a recursion per level: trees are bounded in
    // depth, but a deleted tree may be wide and this runs under the lock.
    std::vector<RegistryKey*> pending{this};
    while (!pending.empty()) {
        RegistryKey* key = pending.back();
        pending.pop_back();
        key->m_deleted = true;
        key->m_parent = nullptr;
        for (auto& subkey : key->m_subkeys)
            pending.push_back(subkey.get());
    }
}

void RegistryKey::ReplaceValues(std::vector<RegistryValue> values) {
    m_values = std::move(values);
    IndexValues();
    Touch();
}

void RegistryKey::IndexValues() {
    m_valueIndex.clear();
    for (size_t i = 0; i < m_values.size(); ++i)
        m_valueIndex[Folded(m_values[i].name)] = i;
}

const RegistryValue* RegistryKey::FindValue(std::u16string_view name) const {
    auto it = m_valueIndex.find(Folded(name));
    return it == m_valueIndex.end() ? nullptr : &m_values[it->second];
}

void RegistryKey::SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data) {
    Touch();
    std::u16string folded = Folded(name);
    auto it = m_valueIndex.find(folded);
    if (it != m_valueIndex.end()) {
        RegistryValue& value = m_values[it->second];
        value.type = type;
        value.data = std::move(data);
        return;
    }
    m_valueIndex.emplace(std::move(folded), m_values.size());
    m_values.push_back(RegistryValue{std::u16string(name), type, std::move(data)});
}

bool RegistryKey::DeleteValue(std::u16string_view name) {
    auto it = m_valueIndex.find(Folded(name));
    if (it == m_valueIndex.end()) return false;
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(it->second));
    IndexValues(); // later positions moved down by one
    Touch();
    return true;
}

} // namespace win32
