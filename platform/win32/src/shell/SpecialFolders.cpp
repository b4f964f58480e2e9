// The special folders and where they lie on Linux.
#include "SpecialFolders.h"

#include "../Config.h"
#include "ItemIds.h"

#include <win32/TestSeams.h>
#include <win32/shlobj.h>

#include <cstdlib>
#include <fstream>
#include <mutex>

namespace win32 {
namespace {

std::mutex& HomeLock() {
    static std::mutex lock;
    return lock;
}
std::string& HomeOverride() {
    static std::string home;
    return home;
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : fallback;
}

// XDG base folders; a test's home folder replaces the environment entirely.
std::string ConfigHome() {
    std::string home = ShellHomeFolder();
    std::lock_guard guard(HomeLock());
    if (!HomeOverride().empty()) return home + "/.config";
    return EnvOr("XDG_CONFIG_HOME", home + "/.config");
}
std::string DataHome() {
    std::string home = ShellHomeFolder();
    std::lock_guard guard(HomeLock());
    if (!HomeOverride().empty()) return home + "/.local/share";
    return EnvOr("XDG_DATA_HOME", home + "/.local/share");
}

// The value of KEY="..." in user-dirs.dirs, with $HOME expanded; empty when
// the file or the key is missing.
std::string UserDir(const std::string& key) {
    std::ifstream in(ConfigHome() + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        if (line.compare(start, key.size() + 1, key + "=") != 0) continue;
        std::string value = line.substr(start + key.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = ShellHomeFolder() + value.substr(5);
        if (value.empty() || value.front() != '/') return {};
        while (value.size() > 1 && value.back() == '/')
            value.pop_back();
        return value;
    }
    return {};
}

std::string UserFolder(const char* key, const char* fallback) {
    std::string dir = UserDir(key);
    return dir.empty() ? ShellHomeFolder() + "/" + fallback : dir;
}

std::string LayerFolder(const std::string& name) {
    return ConfigFolder() + "/profile/" + name;
}

} // namespace

std::string ShellHomeFolder() {
    {
        std::lock_guard guard(HomeLock());
        if (!HomeOverride().empty()) return HomeOverride();
    }
    return EnvOr("HOME", "/");
}

const std::vector<SpecialFolder>& DesktopSpecialFolders() {
    static const std::vector<SpecialFolder> folders = {
        {CSIDL_PERSONAL, u"Documents", nullptr, u"::{450D8FBA-AD25-11D0-98A8-0800361B1103}"},
        {CSIDL_DRIVES, u"Computer", u"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"},
        {CSIDL_NETWORK, u"Network", u"::{208D2C60-3AEA-1069-A2D7-08002B30309D}"},
        {CSIDL_BITBUCKET, u"Recycle Bin", u"::{645FF040-5081-101B-9F08-00AA002F954E}"},
        {CSIDL_DESKTOPDIRECTORY, u"Desktop", nullptr},
        {CSIDL_TEMPLATES, u"Templates", nullptr},
        {CSIDL_MYMUSIC, u"Music", nullptr},
        {CSIDL_MYPICTURES, u"Pictures", nullptr},
        {CSIDL_MYVIDEO, u"Videos", nullptr},
        {kCsidlDownloads, u"Downloads", nullptr},
        {CSIDL_CONTROLS, u"Control Panel", u"::{21EC2020-3AEA-1069-A2DD-08002B30309D}"},
        {CSIDL_PRINTERS, u"Printers", u"::{2227A280-3AEA-1069-A2DE-08002B30309D}"},
        // History and favourites are empty here; their class ids are the layer's own.
        {CSIDL_HISTORY, u"History", u"::{7A9D30C1-5B4E-4C1F-9E0A-3D6B8F2C4A11}"},
        {CSIDL_FAVORITES, u"Favorites", u"::{7A9D30C2-5B4E-4C1F-9E0A-3D6B8F2C4A11}"},
    };
    return folders;
}

const SpecialFolder* FindDesktopSpecialFolder(int csidl) {
    for (const SpecialFolder& folder : DesktopSpecialFolders())
        if (folder.csidl == csidl) return &folder;
    return nullptr;
}

std::string SpecialFolderPath(int csidl, bool* known) {
    if (known) *known = true;
    switch (csidl & ~CSIDL_FLAG_MASK) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY: return UserFolder("XDG_DESKTOP_DIR", "Desktop");
    case CSIDL_PERSONAL: return UserFolder("XDG_DOCUMENTS_DIR", "Documents");
    case CSIDL_TEMPLATES: return UserFolder("XDG_TEMPLATES_DIR", "Templates");
    case CSIDL_MYMUSIC: return UserFolder("XDG_MUSIC_DIR", "Music");
    case CSIDL_MYPICTURES: return UserFolder("XDG_PICTURES_DIR", "Pictures");
    case CSIDL_MYVIDEO: return UserFolder("XDG_VIDEOS_DIR", "Videos");
    case kCsidlDownloads: return UserFolder("XDG_DOWNLOAD_DIR", "Downloads");
    case CSIDL_BITBUCKET: return DataHome() + "/Trash/files";
    case CSIDL_PROFILE: return ShellHomeFolder();
    case CSIDL_APPDATA: return ConfigHome();
    case CSIDL_LOCAL_APPDATA: return DataHome();
    case CSIDL_RECENT: return LayerFolder("Recent");
    case CSIDL_SENDTO: return LayerFolder("SendTo");
    case CSIDL_STARTMENU: return LayerFolder("Start Menu");
    case CSIDL_PROGRAMS: return LayerFolder("Start Menu/Programs");
    case CSIDL_STARTUP: return LayerFolder("Start Menu/Programs/Startup");
    case CSIDL_NETHOOD: return LayerFolder("NetHood");
    case CSIDL_PRINTHOOD: return LayerFolder("PrintHood");
    case CSIDL_COOKIES: return LayerFolder("Cookies");
    case CSIDL_INTERNET_CACHE: return LayerFolder("Cache");
    case CSIDL_ADMINTOOLS: return LayerFolder("Start Menu/Programs/Administrative Tools");
    case CSIDL_COMMON_STARTMENU: return LayerFolder("All Users/Start Menu");
    case CSIDL_COMMON_PROGRAMS: return LayerFolder("All Users/Start Menu/Programs");
    case CSIDL_COMMON_STARTUP: return LayerFolder("All Users/Start Menu/Programs/Startup");
    case CSIDL_COMMON_DESKTOPDIRECTORY: return LayerFolder("All Users/Desktop");
    case CSIDL_COMMON_FAVORITES: return LayerFolder("All Users/Favorites");
    case CSIDL_COMMON_APPDATA: return LayerFolder("All Users/Application Data");
    case CSIDL_COMMON_TEMPLATES: return LayerFolder("All Users/Templates");
    case CSIDL_COMMON_DOCUMENTS: return LayerFolder("All Users/Documents");
    case CSIDL_COMMON_ADMINTOOLS:
        return LayerFolder("All Users/Start Menu/Programs/Administrative Tools");
    case CSIDL_COMMON_MUSIC: return LayerFolder("All Users/Documents/Music");
    case CSIDL_COMMON_PICTURES: return LayerFolder("All Users/Documents/Pictures");
    case CSIDL_COMMON_VIDEO: return LayerFolder("All Users/Documents/Videos");
    case CSIDL_WINDOWS: return WindowsFolder();
    case CSIDL_SYSTEM: return WindowsFolder() + "/system32";
    case CSIDL_FONTS: return WindowsFolder() + "/Fonts";
    case CSIDL_PROGRAM_FILES: return ConfigFolder() + "/Program Files";
    case CSIDL_PROGRAM_FILES_COMMON: return ConfigFolder() + "/Program Files/Common Files";
    case CSIDL_DRIVES:
    case CSIDL_NETWORK:
    case CSIDL_CONTROLS:
    case CSIDL_PRINTERS:
    case CSIDL_HISTORY:
    case CSIDL_FAVORITES:
    case CSIDL_INTERNET: return {};
    default:
        if (known) *known = false;
        return {};
    }
}

} // namespace win32

namespace TestSeams {

void SetShellHomeFolder(const std::string& path) {
    std::lock_guard guard(win32::HomeLock());
    win32::HomeOverride() = path;
}

} // namespace TestSeams
