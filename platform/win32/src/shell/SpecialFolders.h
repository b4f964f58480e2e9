// The special folders: what each CSIDL is on Linux and how it shows.
//
// The user's folders come from <config home>/user-dirs.dirs when present
// (XDG_DESKTOP_DIR="$HOME/Desktop" ...), else the usual defaults under the
// home folder. Folders with no Linux counterpart belonging to the Windows
// layout (start menu, recent, send to, common folders) live in the layer's
// configuration folder.
#pragma once

#include <string>
#include <vector>

namespace win32 {

struct SpecialFolder {
    int csidl;
    const char16_t* displayName; // as the desktop shows it
    const char16_t* parsingName; // "::{CLSID}" for virtual folders, else null
    // Another "::{CLSID}" the desktop parses to this folder (a file-system
    // folder that also has a class of its own), or null.
    const char16_t* classAlias = nullptr;
};

// The special folders the desktop lists, in order.
const std::vector<SpecialFolder>& DesktopSpecialFolders();
const SpecialFolder* FindDesktopSpecialFolder(int csidl);

// The Linux folder of a CSIDL (flags removed), or empty for virtual folders
// and unknown CSIDLs. `known` tells whether the CSIDL is one the layer maps.
std::string SpecialFolderPath(int csidl, bool* known = nullptr);

// The home folder the special folders hang from ($HOME, or the test folder).
std::string ShellHomeFolder();

} // namespace win32
