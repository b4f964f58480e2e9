// The registry's internal interface for other areas, and its test seams.
#include "Registry.h"

#include "RegistryStore.h"

#include <win32/TestSeams.h>

namespace win32 {

int RegisterHardwareGenerator(std::function<void()> generator) {
    return RegistryStore::Instance().AddGenerator(std::move(generator));
}

void UnregisterHardwareGenerator(int id) {
    RegistryStore::Instance().RemoveGenerator(id);
}

void RegenerateHardware() {
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    store.RunGenerators();
}

void SetHardwareValue(std::u16string_view subKey, std::u16string_view name, DWORD type,
                      const void* data, DWORD size) {
    RegistryStore& store = RegistryStore::Instance();
    auto guard = store.Lock();
    RegistryKey* key = &store.Hardware();
    std::shared_ptr<RegistryKey> held;
    while (!subKey.empty()) {
        size_t cut = subKey.find(u'\\');
        std::u16string_view part = subKey.substr(0, cut);
        subKey = cut == std::u16string_view::npos ? std::u16string_view() : subKey.substr(cut + 1);
        if (part.empty()) continue;
        held = key->FindSubkey(part);
        if (!held) held = key->AddSubkey(std::u16string(part), true);
        key = held.get();
    }
    const BYTE* bytes = static_cast<const BYTE*>(data);
    key->SetValue(name, type, std::vector<BYTE>(bytes, bytes + (bytes ? size : 0)));
}

void SetHardwareString(std::u16string_view subKey, std::u16string_view name,
                       std::u16string_view text) {
    std::u16string terminated(text);
    terminated += u'\0';
    SetHardwareValue(subKey, name, REG_SZ, terminated.data(),
                     static_cast<DWORD>(terminated.size() * sizeof(char16_t)));
}

std::string HiveFilePath(HKEY root) {
    if (root == HKEY_CURRENT_USER) return RegistryStore::FilePath(HiveId::CurrentUser);
    if (root == HKEY_LOCAL_MACHINE) return RegistryStore::FilePath(HiveId::LocalMachine);
    return "";
}

} // namespace win32

namespace TestSeams {

void ResetRegistry() {
    win32::RegistryStore::Instance().Reset();
}

void ReloadRegistry() {
    win32::RegistryStore::Instance().Unload();
}

} // namespace TestSeams
