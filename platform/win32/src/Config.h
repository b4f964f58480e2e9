// Where the layer keeps its state on Linux: one configuration folder holding
// the registry hives, the Windows directory and the devices folder.
#pragma once
// Exported for the layer's tests, which include it as <win32/internal/...>.
#pragma GCC visibility push(default)

#include <string>

namespace win32 {

// $WINLAYER_HOME, else $XDG_CONFIG_HOME/winlayer, else ~/.config/winlayer.
// Created on first use.
std::string ConfigFolder();

// The Windows directory (profile files by bare name live here):
// $WINLAYER_WINDIR, else <config>/windows. Created on first use.
std::string WindowsFolder();

// The devices folder of drive letters and ports (c: -> /, com1 -> /dev/ttyUSB0):
// $WINLAYER_DEVICES, else <config>/devices. Created on first use.
std::string DevicesFolder();
// The same path without making the folder, for callers that stat it anyway.
std::string DevicesPath();

// Creates a folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

} // namespace win32

#pragma GCC visibility pop
