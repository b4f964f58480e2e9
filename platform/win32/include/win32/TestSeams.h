// Hooks for tests only: they make the layer deterministic and observable.
// Programs never call these.
#pragma once

#include <win32/windef.h>

#include <functional>
#include <string>

namespace TestSeams {

// --- Configuration folder -------------------------------------------------
// Redirects the layer's configuration folder (registry hives, devices) and the
// Windows directory (profile files by bare name). An empty path restores the
// default from the environment.
void SetConfigFolder(const std::string& path);
void SetWindowsFolder(const std::string& path);

} // namespace TestSeams

// --- Registry ---------------------------------------------------------------
namespace TestSeams {

// A fresh, empty registry: the hives in memory and their files are dropped,
// every open key handle becomes invalid, and HKLM\HARDWARE is generated anew.
void ResetRegistry();

// Drops the hives in memory and every open key handle; the next registry call
// loads the hives from their files, as a new process would.
void ReloadRegistry();

} // namespace TestSeams
