// What other areas of the layer use of the registry: the generators that fill
// the volatile HKEY_LOCAL_MACHINE\HARDWARE key, and where hives are kept.
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include <win32/winreg.h>

#include <functional>
#include <string>
#include <string_view>

namespace win32 {

// Registers a generator of HKLM\HARDWARE content (for example the serial-port
// list under HARDWARE\DEVICEMAP\SERIALCOMM). HARDWARE is never persisted: each
// time the hives are loaded (first use, TestSeams::ReloadRegistry or
// ResetRegistry) and on RegenerateHardware, it is emptied and every generator
// runs again, in the order of registration. A generator registered while the
// registry is loaded runs at once too. Generators run under the registry lock:
// they may call the registry, but must not wait for other threads. An
// exception thrown by a generator is swallowed. Returns an id for unregistering.
int RegisterHardwareGenerator(std::function<void()> generator);
void UnregisterHardwareGenerator(int id);

// The layer's own HARDWARE content (the serial ports of the devices folder);
// defined where that content is known.
void GenerateBuiltinHardware();

// Empties HKLM\HARDWARE and runs every generator again (say, after a device
// appeared). Open handles below HARDWARE then report ERROR_KEY_DELETED.
void RegenerateHardware();

// Writes a value under HKLM\HARDWARE\<subKey>, creating volatile keys on the
// way. For use by generators.
void SetHardwareValue(std::u16string_view subKey, std::u16string_view name, DWORD type,
                      const void* data, DWORD size);
// The same for a REG_SZ value (stored with its terminating NUL).
void SetHardwareString(std::u16string_view subKey, std::u16string_view name,
                       std::u16string_view text);

// The file a persisted hive is kept in (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE),
// under <configuration folder>/registry; empty for hives kept in memory only.
std::string HiveFilePath(HKEY root);

} // namespace win32

#pragma GCC visibility pop
