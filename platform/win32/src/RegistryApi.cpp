// The Reg*W calls over the registry store.
#include "RegistryHiveFile.h"
#include "RegistryStore.h"

#include <win32/winreg.h>

#include <algorithm>
#include <cstring>
#include <vector>

using win32::RegistryKey;
using win32::RegistryStore;
using win32::RegistryValue;

namespace {

using KeyPtr = std::shared_ptr<RegistryKey>;

std::u16string_view View(LPCWSTR text) {
    return text ? std::u16string_view(text) : u"";
}

// The parts of a subkey path; empty parts (a doubled or trailing '\') are skipped.
std::vector<std::u16string_view> SplitPath(LPCWSTR subKey) {
    std::vector<std::u16string_view> parts;
    std::u16string_view rest = View(subKey);
    while (!rest.empty()) {
        size_t cut = rest.find(u'\\');
        std::u16string_view part = rest.substr(0, cut);
        if (!part.empty()) parts.push_back(part);
        if (cut == std::u16string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return parts;
}

// The key at a path below `from`, or null.
KeyPtr Find(KeyPtr from, LPCWSTR subKey) {
    for (std::u16string_view part : SplitPath(subKey)) {
        from = from->FindSubkey(part);
        if (!from) return nullptr;
    }
    return from;
}

// The rights a request stands for: generic rights and MAXIMUM_ALLOWED become key
// rights (there is no security here, so the maximum is everything); the WOW64
// view flags choose nothing on this platform.
REGSAM KeyRights(REGSAM desired) {
    REGSAM rights = desired & ~static_cast<REGSAM>(KEY_WOW64_RES);
    if (rights & (MAXIMUM_ALLOWED | GENERIC_ALL)) rights |= KEY_ALL_ACCESS;
    if (rights & GENERIC_READ) rights |= KEY_READ;
    if (rights & GENERIC_WRITE) rights |= KEY_WRITE;
    if (rights & GENERIC_EXECUTE) rights |= KEY_EXECUTE;
    return rights;
}

bool Allows(const RegistryStore::OpenKey& open, REGSAM needed) {
    return (open.access & needed) == needed;
}

DWORD Size(size_t size) {
    return static_cast<DWORD>(size);
}

// Copies a name with its NUL into a caller's buffer of *capacity characters.
// On success *capacity becomes the length without the NUL.
LONG CopyName(const std::u16string& name, LPWSTR buffer, LPDWORD capacity) {
    if (*capacity <= name.size()) return ERROR_MORE_DATA;
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = 0;
    *capacity = Size(name.size());
    return ERROR_SUCCESS;
}

// Copies value data the way RegQueryValueExW and RegEnumValueW report it: the
// size alone when there is no buffer, ERROR_MORE_DATA with the size needed when
// the buffer is short.
LONG CopyData(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (type) *type = value.type;
    if (!size) return ERROR_SUCCESS;
    DWORD needed = Size(value.data.size());
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed) std::memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

// Resolves a handle after taking up what other processes wrote to its hive.
LONG ResolveFresh(RegistryStore& store, HKEY handle, RegistryStore::OpenKey& open) {
    if (LONG rc = store.Resolve(handle, open)) return rc;
    store.Refresh(open.key->Hive());
    return store.Resolve(handle, open); // the key may have gone meanwhile
}

// Deletes a key and everything below it.
LONG DeleteKey(RegistryStore& store, RegistryKey& key) {
    if (store.IsJournaled(key))
        return store.Write(key.Hive(), win32::FormatDeletedKeyRecord(key), &key);
    key.Parent()->RemoveSubkey(&key);
    return ERROR_SUCCESS;
}

// Deletes every value and subkey of a key; the key stays.
LONG ClearKey(RegistryStore& store, const KeyPtr& key) {
    if (store.IsJournaled(*key)) {
        std::string record;
        for (const auto& subkey : key->Subkeys())
            if (!subkey->IsVolatile()) record += win32::FormatDeletedKeyRecord(*subkey);
        record += win32::FormatKeyRecord(*key, {});
        for (const RegistryValue& value : key->Values())
            record += win32::FormatDeletedValueLine(value.name);
        if (LONG rc = store.Write(key->Hive(), record, key.get())) return rc;
    }
    key->Clear(); // what is left: volatile subkeys, or all of a key kept in memory
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (lpSubKey && lpSubKey[0] == u'\\') return ERROR_BAD_PATHNAME;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = ResolveFresh(store, hKey, open)) return rc;
    KeyPtr key = Find(open.key, lpSubKey);
    if (!key) return ERROR_FILE_NOT_FOUND;
    *phkResult = store.AddHandle(std::move(key), KeyRights(samDesired));
    return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
    // Without a subkey the old call hands back the key it was given.
    if (phkResult && (!lpSubKey || !*lpSubKey)) {
        RegistryStore& store = RegistryStore::Instance();
        auto guard = store.Lock();
        RegistryStore::OpenKey open;
        if (LONG rc = store.Resolve(hKey, open)) return rc;
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyExW(hKey, lpSubKey, 0, MAXIMUM_ALLOWED, phkResult);
}

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass,
                        DWORD dwOptions, REGSAM samDesired,
                        const LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                        LPDWORD lpdwDisposition) {
    if (!phkResult) return ERROR_BADKEY;
    *phkResult = nullptr;
    if (lpSubKey && lpSubKey[0] == u'\\') return ERROR_BAD_PATHNAME;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = ResolveFresh(store, hKey, open)) return rc;

    // Walk down what exists; check every rule before creating anything, so
    // that a refused call leaves no half-made path behind.
    std::vector<std::u16string_view> parts = SplitPath(lpSubKey);
    KeyPtr key = open.key;
    size_t found = 0;
    for (; found < parts.size(); ++found) {
        KeyPtr next = key->FindSubkey(parts[found]);
        if (!next) break;
        key = std::move(next);
    }
    bool makeVolatile = dwOptions & REG_OPTION_VOLATILE;
    if (found < parts.size()) {
        if (!Allows(open, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        if (key->IsVolatile() && !makeVolatile) return ERROR_CHILD_MUST_BE_VOLATILE;
        if (key->Depth() + (parts.size() - found) > win32::kMaxKeyDepth)
            return ERROR_INVALID_PARAMETER;
        std::vector<std::u16string_view> missing(parts.begin() + found, parts.end());
        if (!makeVolatile && store.IsJournaled(*key)) {
            if (LONG rc = store.Write(key->Hive(), win32::FormatKeyRecord(*key, missing), key.get()))
                return rc;
            for (std::u16string_view part : missing)
                key = key->FindSubkey(part); // made by reading the record back
        } else {
            for (std::u16string_view part : missing)
                key = key->AddSubkey(std::u16string(part), makeVolatile);
        }
    }
    if (lpdwDisposition)
        *lpdwDisposition = found < parts.size() ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = store.AddHandle(std::move(key), KeyRights(samDesired));
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
    return RegCreateKeyExW(hKey, lpSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED,
                           nullptr, phkResult, nullptr);
}

LSTATUS RegCloseKey(HKEY hKey) {
    if (RegistryStore::IsPredefined(hKey)) return ERROR_SUCCESS;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    return store.RemoveHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegFlushKey(HKEY hKey) {
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = store.Resolve(hKey, open)) return rc;
    return store.Flush(open.key->Hive());
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = store.Resolve(hKey, open)) return rc;
    if (!Allows(open, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    const RegistryValue* value = open.key->FindValue(View(lpValueName));
    if (!value) {
        // A size query for nothing answers nothing rather than leaving garbage.
        if (!lpData && lpcbData) *lpcbData = 0;
        return ERROR_FILE_NOT_FOUND;
    }
    return CopyData(*value, lpType, lpData, lpcbData);
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType,
                       const BYTE* lpData, DWORD cbData) {
    if (!lpData && cbData) return ERROR_NOACCESS;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = store.Resolve(hKey, open)) return rc;
    if (!Allows(open, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    std::vector<BYTE> data(lpData, lpData + (lpData ? cbData : 0));
    if (store.IsJournaled(*open.key)) {
        std::string record = win32::FormatKeyRecord(*open.key, {}) +
                             win32::FormatValueLine(View(lpValueName), dwType, data);
        return store.Write(open.key->Hive(), record, open.key.get());
    }
    open.key->SetValue(View(lpValueName), dwType, std::move(data));
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = ResolveFresh(store, hKey, open)) return rc;
    if (!Allows(open, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (!open.key->FindValue(View(lpValueName))) return ERROR_FILE_NOT_FOUND;
    if (store.IsJournaled(*open.key)) {
        std::string record = win32::FormatKeyRecord(*open.key, {}) +
                             win32::FormatDeletedValueLine(View(lpValueName));
        return store.Write(open.key->Hive(), record, open.key.get());
    }
    open.key->DeleteValue(View(lpValueName));
    return ERROR_SUCCESS;
}

LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                      LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = store.Resolve(hKey, open)) return rc;
    if (!Allows(open, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    const auto& values = open.key->Values();
    if (dwIndex >= values.size()) return ERROR_NO_MORE_ITEMS;
    const RegistryValue& value = values[dwIndex];
    if (LONG rc = CopyName(value.name, lpValueName, lpcchValueName)) {
        // A short name buffer still learns what the data would need.
        if (lpType) *lpType = value.type;
        if (lpcbData) *lpcbData = Size(value.data.size());
        return rc;
    }
    return CopyData(value, lpType, lpData, lpcbData);
}

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName,
                      LPDWORD lpReserved, LPWSTR lpClass, LPDWORD lpcchClass,
                      PFILETIME lpftLastWriteTime) {
    if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = store.Resolve(hKey, open)) return rc;
    if (!Allows(open, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    const auto& subkeys = open.key->Subkeys();
    if (dwIndex >= subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const RegistryKey& subkey = *subkeys[dwIndex];
    if (LONG rc = CopyName(subkey.Name(), lpName, lpcchName)) return rc;
    // Keys have no class here: an empty one.
    if (lpClass && *lpcchClass) lpClass[0] = 0;
    if (lpcchClass) *lpcchClass = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = subkey.LastWriteTime();
    return ERROR_SUCCESS;
}

LSTATUS RegEnumKeyW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, DWORD cchName) {
    return RegEnumKeyExW(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                         LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                         LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                         LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
    if (lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = store.Resolve(hKey, open)) return rc;
    if (!Allows(open, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    const RegistryKey& key = *open.key;

    // Name lengths are in characters without the NUL, data lengths in bytes.
    size_t maxSubkey = 0, maxValueName = 0, maxValueData = 0;
    for (const auto& subkey : key.Subkeys())
        maxSubkey = std::max(maxSubkey, subkey->Name().size());
    for (const auto& value : key.Values()) {
        maxValueName = std::max(maxValueName, value.name.size());
        maxValueData = std::max(maxValueData, value.data.size());
    }
    if (lpClass && *lpcchClass) lpClass[0] = 0;
    if (lpcchClass) *lpcchClass = 0;
    if (lpcSubKeys) *lpcSubKeys = Size(key.Subkeys().size());
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = Size(maxSubkey);
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = Size(key.Values().size());
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = Size(maxValueName);
    if (lpcbMaxValueLen) *lpcbMaxValueLen = Size(maxValueData);
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = key.LastWriteTime();
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = ResolveFresh(store, hKey, open)) return rc;
    KeyPtr key = Find(open.key, lpSubKey);
    if (!key) return ERROR_FILE_NOT_FOUND;
    RegistryKey* parent = key->Parent();
    // A hive's root cannot go, and neither can a key that still has subkeys.
    if (!parent || !key->Subkeys().empty()) return ERROR_ACCESS_DENIED;
    return DeleteKey(store, *key);
}

LSTATUS RegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, DWORD Reserved) {
    return RegDeleteKeyW(hKey, lpSubKey);
}

LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryStore::OpenKey open;
    if (LONG rc = ResolveFresh(store, hKey, open)) return rc;
    if (View(lpSubKey).empty()) {
        // Without a subkey the key itself stays; its values and subkeys go.
        if (!Allows(open, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
        return ClearKey(store, open.key);
    }
    KeyPtr key = Find(open.key, lpSubKey);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (!key->Parent()) return ERROR_ACCESS_DENIED;
    return DeleteKey(store, *key);
}
