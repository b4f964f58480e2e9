#include "Paths.h"

#include "Config.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {
namespace {

// A byte b that is not part of valid UTF-8 travels as U+DC80+b.
constexpr char16_t kByteEscapeBase = 0xDC00;
constexpr char16_t kFirstByteEscape = 0xDC80;
constexpr char16_t kLastByteEscape = 0xDCFF;
// A backslash inside a Linux name; "\" itself separates Windows paths.
constexpr char16_t kBackslashStandIn = 0xF05C;

// Decodes the strict UTF-8 sequence at text[at]: no overlong forms, no
// surrogates, nothing above U+10FFFF. Returns its length, or 0 when invalid.
size_t DecodeUtf8(std::string_view text, size_t at, char32_t& codePoint) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length;
    char32_t smallest;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, smallest = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, smallest = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, smallest = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF) return 0;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
    return length;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c;
}

std::u16string UpperAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = Upper(c);
    return out;
}

// "COM1".."COM9" and "LPT1".."LPT9", with or without a colon, name a device
// wherever they stand alone; higher numbers need the "\\.\" form, as on Windows.
bool IsReservedDeviceName(std::u16string_view text) {
    if (!text.empty() && text.back() == u':') text.remove_suffix(1);
    if (text.size() != 4) return false;
    std::u16string name = UpperAscii(text);
    bool port = name.starts_with(u"COM") || name.starts_with(u"LPT");
    return port && name[3] >= u'1' && name[3] <= u'9';
}

// Appends the components of `text` to `parts`, resolving "." and ".." by text.
// ".." at the root stays at the root.
void AppendComponents(std::u16string_view text, std::vector<std::u16string>& parts) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = start;
        while (end < text.size() && !IsSeparator(text[end]))
            ++end;
        std::u16string_view part = text.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
}

std::vector<std::string> SplitLinux(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return parts;
}

std::string CurrentLinuxDirectory() {
    std::string buffer(256, '\0');
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return "";
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

using DriveList = std::shared_ptr<const std::vector<DriveMapping>>;
DriveList Drives();

// The drive and components that name an absolute, normalised Linux path.
bool LinuxToWindows(const std::string& path, char16_t& drive, std::vector<std::u16string>& parts) {
    const DriveList drives = Drives();
    const DriveMapping* best = nullptr;
    for (const DriveMapping& mapping : *drives) {
        const std::string& target = mapping.target;
        bool inside = target == "/" || path == target ||
                      (path.starts_with(target) && path[target.size()] == '/');
        if (inside && (!best || target.size() > best->target.size())) best = &mapping;
    }
    if (!best) return false;
    drive = best->letter;
    parts.clear();
    std::string_view rest =
        std::string_view(path).substr(best->target == "/" ? 0 : best->target.size());
    for (const std::string& part : SplitLinux(rest))
        parts.push_back(NameToWindows(part));
    return true;
}

bool CurrentWindowsDirectory(char16_t& drive, std::vector<std::u16string>& parts) {
    std::string cwd = CurrentLinuxDirectory();
    return !cwd.empty() && LinuxToWindows(NormaliseLinuxPath(cwd), drive, parts);
}

// Target of a symlink in the devices folder, made absolute and normalised.
std::string LinkTarget(const std::string& folder, const std::string& entry) {
    std::string target(4096, '\0');
    ssize_t length = readlink((folder + "/" + entry).c_str(), target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size()) return "";
    target.resize(length);
    if (target.empty()) return "";
    if (target[0] != '/') target = folder + "/" + target;
    return NormaliseLinuxPath(target);
}

} // namespace

std::u16string NameToWindows(std::string_view linuxName) {
    std::u16string out;
    out.reserve(linuxName.size());
    size_t at = 0;
    while (at < linuxName.size()) {
        char32_t c = 0;
        size_t length = DecodeUtf8(linuxName, at, c);
        if (length == 0 || c == kBackslashStandIn) {
            // Escape the bytes one by one so that they come back unchanged; the
            // stand-in's own encoding is escaped so that it cannot be mistaken
            // for a backslash on the way back.
            size_t count = length == 0 ? 1 : length;
            for (size_t k = 0; k < count; ++k)
                out += static_cast<char16_t>(kByteEscapeBase +
                                             static_cast<unsigned char>(linuxName[at + k]));
            at += count;
            continue;
        }
        at += length;
        if (c == u'\\') {
            out += kBackslashStandIn;
        } else if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

bool NameToLinux(std::u16string_view windowsName, std::string& linuxName) {
    linuxName.clear();
    for (size_t i = 0; i < windowsName.size(); ++i) {
        char16_t c = windowsName[i];
        if (c == 0) return false;
        if (c == kBackslashStandIn) {
            linuxName += '\\';
        } else if (c >= kFirstByteEscape && c <= kLastByteEscape) {
            linuxName += static_cast<char>(c - kByteEscapeBase);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < windowsName.size() &&
                   windowsName[i + 1] >= 0xDC00 && windowsName[i + 1] <= 0xDFFF) {
            char32_t high = c - 0xD800, low = windowsName[++i] - 0xDC00;
            AppendUtf8(linuxName, 0x10000 + (high << 10) + low);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return false; // a lone surrogate that carries no byte
        } else {
            AppendUtf8(linuxName, c);
        }
    }
    return true;
}

WindowsPath ParseWindowsPath(std::u16string_view path) {
    WindowsPath result;
    if (path.empty()) {
        result.error = ERROR_PATH_NOT_FOUND;
        return result;
    }
    // "\\?\" and "\\.\": a drive path without the prefix, or a device.
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
        (path[2] == u'?' || path[2] == u'.') && IsSeparator(path[3])) {
        std::u16string_view rest = path.substr(4);
        bool drivePath = rest.size() >= 2 && IsLetter(rest[0]) && rest[1] == u':' &&
                         (rest.size() == 2 || IsSeparator(rest[2]));
        if (drivePath) {
            result.drive = Upper(rest[0]);
            AppendComponents(rest.substr(2), result.parts);
            result.trailingSeparator = IsSeparator(rest.back()) && !result.parts.empty();
            return result;
        }
        if (UpperAscii(rest.substr(0, 4)) == u"UNC\\" || UpperAscii(rest.substr(0, 4)) == u"UNC/") {
            result.error = ERROR_BAD_NETPATH;
            return result;
        }
        if (rest.empty() || std::any_of(rest.begin(), rest.end(), IsSeparator)) {
            result.error = ERROR_PATH_NOT_FOUND;
            return result;
        }
        result.device = UpperAscii(rest);
        return result;
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        result.error = ERROR_BAD_NETPATH; // no network shares
        return result;
    }
    if (IsReservedDeviceName(path)) {
        result.device = UpperAscii(path.substr(0, 4));
        return result;
    }

    std::u16string_view rest = path;
    char16_t currentDrive = 0;
    std::vector<std::u16string> currentParts;
    if (path.size() >= 2 && IsLetter(path[0]) && path[1] == u':') {
        result.drive = Upper(path[0]);
        rest = path.substr(2);
        bool driveRelative = rest.empty() || !IsSeparator(rest[0]);
        if (driveRelative && CurrentWindowsDirectory(currentDrive, currentParts) &&
            currentDrive == result.drive)
            result.parts = currentParts;
    } else {
        if (!CurrentWindowsDirectory(currentDrive, currentParts)) {
            result.error = ERROR_PATH_NOT_FOUND;
            return result;
        }
        result.drive = currentDrive;
        if (!IsSeparator(path[0])) result.parts = currentParts;
    }
    AppendComponents(rest, result.parts);
    result.trailingSeparator = IsSeparator(path.back()) && !result.parts.empty();
    return result;
}

std::u16string FormatWindowsPath(const WindowsPath& path) {
    if (!path.device.empty()) return u"\\\\.\\" + path.device;
    std::u16string text;
    text += path.drive;
    text += u":\\";
    for (size_t i = 0; i < path.parts.size(); ++i) {
        if (i > 0) text += u'\\';
        text += path.parts[i];
    }
    if (path.trailingSeparator) text += u'\\';
    return text;
}

LinuxPath ResolvePath(std::u16string_view windowsPath) {
    LinuxPath result;
    WindowsPath parsed = ParseWindowsPath(windowsPath);
    if (parsed.error != ERROR_SUCCESS) {
        result.error = parsed.error;
        return result;
    }
    if (!parsed.device.empty()) {
        result.device = parsed.device;
        result.path = ResolveDevice(parsed.device);
        if (result.path.empty()) result.error = ERROR_FILE_NOT_FOUND;
        return result;
    }
    const DriveList drives = Drives();
    auto drive = std::find_if(drives->begin(), drives->end(),
                              [&](const DriveMapping& d) { return d.letter == parsed.drive; });
    if (drive == drives->end()) {
        result.error = ERROR_PATH_NOT_FOUND;
        return result;
    }
    result.path = drive->target;
    result.isDriveRoot = parsed.parts.empty();
    std::string name;
    for (const std::u16string& part : parsed.parts) {
        if (!NameToLinux(part, name)) {
            result.error = ERROR_INVALID_NAME;
            result.path.clear();
            return result;
        }
        if (result.path != "/") result.path += '/';
        result.path += name;
    }
    // "file\" must not open a file, just as on Windows; Linux refuses "file/".
    if (parsed.trailingSeparator) result.path += '/';
    return result;
}

std::string ToLinuxPath(std::u16string_view windowsPath) {
    LinuxPath resolved = ResolvePath(windowsPath);
    return resolved.error == ERROR_SUCCESS ? resolved.path : std::string();
}

std::u16string ToWindowsPath(std::string_view linuxPath) {
    if (linuxPath.empty()) return {};
    WindowsPath path;
    if (!LinuxToWindows(NormaliseLinuxPath(linuxPath), path.drive, path.parts)) return {};
    return FormatWindowsPath(path);
}

std::string ResolveDevice(std::u16string_view name) {
    if (!name.empty() && name.back() == u':') name.remove_suffix(1);
    if (name.empty() || name.size() > 32) return "";
    std::string entry;
    for (char16_t c : name) {
        bool plain = IsLetter(c) || (c >= u'0' && c <= u'9');
        if (!plain) return "";
        entry += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
    }
    return LinkTarget(DevicesFolder(), entry);
}

namespace {

std::vector<DriveMapping> ReadDriveMappings(const std::string& folder) {
    struct stat st;
    if (lstat((folder + "/c:").c_str(), &st) != 0 && errno == ENOENT)
        symlink("/", (folder + "/c:").c_str());

    std::vector<DriveMapping> drives;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return drives;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() != 2 || name[1] != ':' || !IsLetter(name[0])) continue;
        std::string target = LinkTarget(folder, name);
        // A plain folder under a drive name serves as that drive.
        if (target.empty() && stat((folder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            target = folder + "/" + name;
        if (target.empty()) continue;
        drives.push_back({Upper(static_cast<char16_t>(name[0])), target});
    }
    closedir(dir);
    std::sort(drives.begin(), drives.end(), [](const DriveMapping& a, const DriveMapping& b) {
        return a.letter != b.letter ? a.letter < b.letter : a.target < b.target;
    });
    drives.erase(std::unique(drives.begin(), drives.end(),
                             [](const DriveMapping& a, const DriveMapping& b) {
                                 return a.letter == b.letter;
                             }),
                 drives.end());
    return drives;
}

// The mappings as last read, and the devices folder's stamp then: adding,
// removing or replacing a link moves the folder's modification and change
// times, so an equal stamp means equal mappings. Those times advance in
// clock ticks; a folder changed less than a margin before it was read could
// change again within the same tick, so its mappings are not kept until its
// stamp has aged.
struct DriveCache {
    std::mutex lock;
    std::string folder;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{}, changed{};
    DriveList drives;
};

DriveCache& Cache() {
    static DriveCache* cache = new DriveCache; // lives as long as any caller
    return *cache;
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool AgedBefore(const timespec& stamp, const timespec& read) {
    constexpr long kMarginNs = 100'000'000;
    const long long ns = (static_cast<long long>(read.tv_sec) - stamp.tv_sec) * 1'000'000'000LL +
                         (read.tv_nsec - stamp.tv_nsec);
    return ns > kMarginNs;
}

// One stat per call while the mappings stand: it is both the stamp and the
// proof that the folder exists (else it is made, with its default link).
DriveList Drives() {
    std::string folder = DevicesPath();
    DriveCache& cache = Cache();
    struct stat st;
    bool stamped = stat(folder.c_str(), &st) == 0;
    if (!stamped) {
        folder = DevicesFolder();
        stamped = stat(folder.c_str(), &st) == 0;
    }
    if (stamped) {
        std::lock_guard<std::mutex> guard(cache.lock);
        if (cache.drives && cache.folder == folder && cache.device == st.st_dev &&
            cache.inode == st.st_ino && SameTime(cache.modified, st.st_mtim) &&
            SameTime(cache.changed, st.st_ctim))
            return cache.drives;
    }
    timespec read{};
    clock_gettime(CLOCK_REALTIME, &read);
    auto drives = std::make_shared<const std::vector<DriveMapping>>(ReadDriveMappings(folder));
    // Kept only when nothing changed the folder while it was read (making
    // the default link does: the next call reads again).
    struct stat after;
    if (stamped && stat(folder.c_str(), &after) == 0 && after.st_ino == st.st_ino &&
        SameTime(after.st_mtim, st.st_mtim) && SameTime(after.st_ctim, st.st_ctim) &&
        AgedBefore(st.st_mtim, read) && AgedBefore(st.st_ctim, read)) {
        std::lock_guard<std::mutex> guard(cache.lock);
        cache.folder = folder;
        cache.device = st.st_dev;
        cache.inode = st.st_ino;
        cache.modified = st.st_mtim;
        cache.changed = st.st_ctim;
        cache.drives = drives;
    }
    return drives;
}

} // namespace

std::vector<DriveMapping> DriveMappings() {
    return *Drives();
}

std::string NormaliseLinuxPath(std::string_view path) {
    std::string absolute(path);
    if (absolute.empty() || absolute[0] != '/') absolute = CurrentLinuxDirectory() + "/" + absolute;
    std::string out;
    for (const std::string& part : SplitLinux(absolute))
        out += "/" + part;
    return out.empty() ? "/" : out;
}

} // namespace win32
