#include "Config.h"

#include <win32/TestSeams.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>

namespace win32 {
namespace {

std::mutex overrideLock;
std::string configOverride;
std::string windowsOverride;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : "";
}

// Every path conversion asks for these folders: one stat finds an existing
// folder, where making it again would cost a failing mkdir per component.
std::string Ensure(std::string path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) MakeFolders(path);
    return path;
}

// The configuration folder's path, without making it.
std::string ConfigPath() {
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        if (!configOverride.empty()) return configOverride;
    }
    std::string home = Env("WINLAYER_HOME");
    if (!home.empty()) return home;
    std::string xdg = Env("XDG_CONFIG_HOME");
    if (!xdg.empty()) return xdg + "/winlayer";
    return Env("HOME") + "/.config/winlayer";
}

} // namespace

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ConfigFolder() {
    return Ensure(ConfigPath());
}

std::string WindowsFolder() {
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        if (!windowsOverride.empty()) return Ensure(windowsOverride);
    }
    std::string dir = Env("WINLAYER_WINDIR");
    return Ensure(dir.empty() ? ConfigFolder() + "/windows" : dir);
}

std::string DevicesPath() {
    std::string dir = Env("WINLAYER_DEVICES");
    return dir.empty() ? ConfigPath() + "/devices" : dir;
}

// Making the devices folder makes the configuration folder around it.
std::string DevicesFolder() {
    return Ensure(DevicesPath());
}

} // namespace win32

namespace TestSeams {

void SetConfigFolder(const std::string& path) {
    std::lock_guard<std::mutex> guard(win32::overrideLock);
    win32::configOverride = path;
}

void SetWindowsFolder(const std::string& path) {
    std::lock_guard<std::mutex> guard(win32::overrideLock);
    win32::windowsOverride = path;
}

} // namespace TestSeams
