// Conversion between the Windows paths the API speaks and Linux paths.
//
// The devices folder (Config.h) holds symlinks named by lower-case device
// names: drive letters ("c:" -> "/", "d:" -> "/mnt/data") and ports
// ("com3" -> "/dev/ttyUSB0"). "c:" -> "/" is created whenever it is missing,
// so every absolute Linux path has a Windows name.
//
// Names keep every byte: valid UTF-8 becomes UTF-16; any other byte b becomes
// the lone low surrogate U+DC80+b (and back). A backslash inside a Linux name
// becomes U+F05C, because "\" separates on the Windows side. Case is kept and
// significant; only drive letters and device names ignore case.
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include <win32/windef.h>
#include <win32/winerror.h>

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

// One file name (no separators) between its Linux bytes and its UTF-16 form.
std::u16string NameToWindows(std::string_view linuxName);
// False for text that no Linux name can carry (NUL, lone surrogates other
// than the U+DC80..U+DCFF byte escapes).
bool NameToLinux(std::u16string_view windowsName, std::string& linuxName);

// A Windows path taken apart: either a device ("COM3", "\\.\COM10") or a
// normalised absolute path on a drive ("." and ".." resolved by text).
struct WindowsPath {
    DWORD error = ERROR_SUCCESS;       // ERROR_PATH_NOT_FOUND, ERROR_BAD_NETPATH, ...
    std::u16string device;             // upper-case device name, else empty
    char16_t drive = 0;                // 'A'..'Z' for paths on a drive
    std::vector<std::u16string> parts; // components below the drive root
    bool trailingSeparator = false;    // the text ended in a separator
};

// Parses a Windows path; relative paths resolve against the current directory
// ("X:name" against the current directory when it is on X:, else X:\).
WindowsPath ParseWindowsPath(std::u16string_view path);
// "C:\a\b" (with a trailing "\" when the parsed text had one); "\\.\COM3" for devices.
std::u16string FormatWindowsPath(const WindowsPath& path);

// A Windows path resolved to Linux.
struct LinuxPath {
    DWORD error = ERROR_SUCCESS;
    std::string path;         // the Linux path; for a device, its link target
    std::u16string device;    // upper-case device name when the path names one
    bool isDriveRoot = false; // "C:\" and the like
};
LinuxPath ResolvePath(std::u16string_view windowsPath);

// Empty when the path cannot be converted (malformed, unknown drive, unmapped device).
std::string ToLinuxPath(std::u16string_view windowsPath);
// Relative Linux paths resolve against the current directory. Empty only when
// no drive holds the path (the user re-pointed c:).
std::u16string ToWindowsPath(std::string_view linuxPath);

// The link target of a device ("COM3" -> "/dev/ttyUSB0"), or empty when the
// devices folder has no such entry.
std::string ResolveDevice(std::u16string_view name);

struct DriveMapping {
    char16_t letter;    // 'A'..'Z'
    std::string target; // normalised absolute Linux folder
};
// The drives of the devices folder, by letter; creates "c:" -> "/" when missing.
std::vector<DriveMapping> DriveMappings();

// Lexically normalised absolute Linux path ("." and ".." resolved, no double
// or trailing slashes); relative input resolves against the current directory.
std::string NormaliseLinuxPath(std::string_view path);

} // namespace win32

#pragma GCC visibility pop
