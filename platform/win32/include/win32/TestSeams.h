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
