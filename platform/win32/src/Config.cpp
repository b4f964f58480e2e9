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

std::string Ensure(std::string path) {
    MakeFolders(path);
    return path;
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
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        if (!configOverride.empty()) return Ensure(configOverride);
    }
    std::string home = Env("WINLAYER_HOME");
    if (!home.empty()) return Ensure(home);
    std::string xdg = Env("XDG_CONFIG_HOME");
    if (!xdg.empty()) return Ensure(xdg + "/winlayer");
    return Ensure(Env("HOME") + "/.config/winlayer");
}

std::string WindowsFolder() {
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        if (!windowsOverride.empty()) return Ensure(windowsOverride);
    }
    std::string dir = Env("WINLAYER_WINDIR");
    return Ensure(dir.empty() ? ConfigFolder() + "/windows" : dir);
}

std::string DevicesFolder() {
    std::string dir = Env("WINLAYER_DEVICES");
    return Ensure(dir.empty() ? ConfigFolder() + "/devices" : dir);
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
