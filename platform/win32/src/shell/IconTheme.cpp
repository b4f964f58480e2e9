// The freedesktop icon theme, read directly: index.theme names the theme's
// folders and their sizes, and the icons are PNG files in them. Scalable
// (SVG) folders are passed over; the themes we rely on ship PNGs at the
// shell's sizes.
#include "IconTheme.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/stat.h>

namespace win32 {
namespace {

struct ThemeFolder {
    std::string path; // relative to the theme's base folder
    int size = 0;
    int scale = 1;
    bool scalable = false;
};

struct Theme {
    std::vector<std::string> bases; // every data folder that holds the theme
    std::vector<ThemeFolder> folders;
    std::vector<std::string> inherits;
};

bool IsFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

// The folders icon themes live in, most personal first.
std::vector<std::string> IconBases() {
    std::vector<std::string> bases;
    const char* home = std::getenv("HOME");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome)
        bases.push_back(std::string(dataHome) + "/icons");
    else if (home && *home)
        bases.push_back(std::string(home) + "/.local/share/icons");
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    for (const std::string& dir : Split(list, ':'))
        bases.push_back(dir + "/icons");
    return bases;
}

Theme ReadTheme(const std::string& name) {
    Theme theme;
    std::string index;
    for (const std::string& base : IconBases()) {
        std::string folder = base + "/" + name;
        if (IsFile(folder + "/index.theme")) {
            if (index.empty()) index = folder + "/index.theme";
            theme.bases.push_back(folder);
        }
    }
    if (index.empty()) return theme;
    std::ifstream in(index);
    std::map<std::string, ThemeFolder> sections;
    std::vector<std::string> order;
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (section == "Icon Theme") {
            if (key == "Directories")
                order = Split(value, ',');
            else if (key == "Inherits")
                theme.inherits = Split(value, ',');
            continue;
        }
        ThemeFolder& folder = sections[section];
        if (key == "Size")
            folder.size = std::atoi(value.c_str());
        else if (key == "Scale")
            folder.scale = std::atoi(value.c_str());
        else if (key == "Type")
            folder.scalable = value == "Scalable";
    }
    for (const std::string& path : order) {
        ThemeFolder folder = sections[path];
        folder.path = path;
        if (folder.size > 0 && folder.scale == 1 && !folder.scalable)
            theme.folders.push_back(folder);
    }
    return theme;
}

// The theme in use and those it inherits from, each once, hicolor last.
const std::vector<Theme>& ThemeChain() {
    static std::once_flag once;
    static std::vector<Theme>* chain;
    std::call_once(once, [] {
        chain = new std::vector<Theme>; // kept to the end, as the shell's lists are
        std::vector<std::string> pending{"Adwaita"};
        std::vector<std::string> seen;
        while (!pending.empty()) {
            std::string name = pending.front();
            pending.erase(pending.begin());
            if (name == "hicolor" || std::find(seen.begin(), seen.end(), name) != seen.end())
                continue;
            seen.push_back(name);
            Theme theme = ReadTheme(name);
            pending.insert(pending.end(), theme.inherits.begin(), theme.inherits.end());
            if (!theme.bases.empty()) chain->push_back(std::move(theme));
        }
        Theme hicolor = ReadTheme("hicolor");
        if (!hicolor.bases.empty()) chain->push_back(std::move(hicolor));
    });
    return *chain;
}

// The file of one name in one theme: the exact size, else the nearest size,
// a larger one winning a tie (shrinking looks better than growing).
std::string FindIn(const Theme& theme, const std::string& name, int size) {
    std::string best;
    int bestDistance = 1 << 30;
    for (const ThemeFolder& folder : theme.folders) {
        int distance = std::abs(folder.size - size) * 2 - (folder.size > size ? 1 : 0);
        if (distance >= bestDistance) continue;
        for (const std::string& base : theme.bases) {
            std::string file = base + "/" + folder.path + "/" + name + ".png";
            if (IsFile(file)) {
                best = file;
                bestDistance = distance;
                break;
            }
        }
        if (distance < 0) break; // exact: nothing beats it
    }
    return best;
}

} // namespace

std::string FindThemedIcon(const std::vector<std::string>& names, int size) {
    for (const std::string& name : names)
        for (const Theme& theme : ThemeChain()) {
            std::string file = FindIn(theme, name, size);
            if (!file.empty()) return file;
        }
    return {};
}

IconPixels LoadIconPixels(const std::string& file, int size) {
    IconPixels icon;
    if (size <= 0) return icon;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return icon;
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(size_t(image.width) * image.height);
    if (pixels.empty() || !png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return icon;
    }
    const int width = int(image.width), height = int(image.height);
    icon.size = size;
    icon.argb.resize(size_t(size) * size);
    // Each target pixel averages the source area it covers; colours weigh by
    // their opacity so that clear pixels lend no colour to the edges.
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int x0 = x * width / size, x1 = std::max(x0 + 1, (x + 1) * width / size);
            int y0 = y * height / size, y1 = std::max(y0 + 1, (y + 1) * height / size);
            uint64_t b = 0, g = 0, r = 0, a = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    uint32_t p = pixels[size_t(sy) * width + sx];
                    uint32_t alpha = p >> 24;
                    b += (p & 0xFF) * alpha;
                    g += ((p >> 8) & 0xFF) * alpha;
                    r += ((p >> 16) & 0xFF) * alpha;
                    a += alpha;
                    ++n;
                }
            uint32_t out = 0;
            if (a) {
                out = uint32_t(b / a) | uint32_t(g / a) << 8 | uint32_t(r / a) << 16 |
                      uint32_t(a / n) << 24;
            }
            icon.argb[size_t(y) * size + x] = out;
        }
    return icon;
}

} // namespace win32
