// shell-list FOLDER: lists a folder through the shell layer, as the explorer
// controls see it: name, type, size, modified time, icon index, attributes.
// FOLDER is a Linux path (/home/me), a Windows path (C:\home\me) or a special
// folder's name ("Documents", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}").
#include "benchkit/Benchkit.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"

#include <runpak/Strings.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

UnicodeString WindowsPathOf(const std::string& argument) {
    UnicodeString path = Utf8ToUnicode(argument);
    if (path.empty() || path[0] != u'/') return path;
    for (char16_t& c : path)
        if (c == u'/') c = u'\\';
    return u"C:" + path;
}

// Text for the terminal: control characters (a name may hold any) are shown
// as \xNN instead of acting on the terminal.
std::string Shown(const UnicodeString& text) {
    UnicodeString safe;
    for (char16_t c : text) {
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
            safe += Utf8ToUnicode(escape);
        } else {
            safe += c;
        }
    }
    return UnicodeToUtf8(safe);
}

std::string Column(const UnicodeString& text, size_t width) {
    std::string utf8 = Shown(text);
    size_t shown = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++shown;
    return utf8 + std::string(shown < width ? width - shown : 1, ' ');
}

int List(const UnicodeString& path, bool hidden) {
    std::unique_ptr<TNamespace> folder;
    try {
        folder = std::make_unique<TNamespace>(path);
    } catch (const Exception& e) {
        std::fprintf(stderr, "shell-list: %s\n", e.what());
        return 1;
    }
    if (!folder->GetFolder()) {
        std::fprintf(stderr, "shell-list: not a folder: %s\n", Shown(path).c_str());
        return 1;
    }
    // A folder that cannot be read is an error, not an empty folder.
    InterfacePtr<IEnumIDList> probe;
    HRESULT hr = folder->GetShellFolder()
                     ? folder->GetShellFolder()->EnumObjects(
                           nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, probe.Out())
                     : E_FAIL;
    if (FAILED(hr)) {
        std::fprintf(stderr, "shell-list: cannot list %s: %s\n", Shown(path).c_str(),
                     Shown(SysErrorMessage(HRESULT_CODE(hr))).c_str());
        return 1;
    }
    std::vector<std::unique_ptr<TNamespace>> items;
    folder->EnumerateFolder(
        true, true, hidden,
        [&](PItemIDList pidl, TNamespace* parent, void*, bool&) {
            items.emplace_back(new TNamespace(pidl, parent));
            return true;
        },
        nullptr);
    TShellSortHelper sort;
    std::sort(items.begin(), items.end(), [&](const auto& a, const auto& b) {
        return sort.CompareIDSort(0, a.get(), b.get()) < 0;
    });
    std::printf("%s\n%zu items\n\n", Shown(folder->GetNameForParsing()).c_str(),
                items.size());
    std::printf("%s%s%s%s%s%s\n", Column(u"Name", 32).c_str(), Column(u"Type", 22).c_str(),
                Column(u"Size", 16).c_str(), Column(u"Modified", 22).c_str(),
                Column(u"Icon", 6).c_str(), "Attr");
    for (const auto& item : items) {
        UnicodeString size = item->GetFolder() ? UnicodeString() : item->GetSizeOfFile();
        UnicodeString icon = IntToStrW(item->GetIconIndex(false, icSmall));
        UnicodeString attributes = item->GetAttributesString();
        if (item->GetLink()) attributes += u" link";
        std::printf("%s%s%s%s%s%s\n", Column(item->GetNameInFolder(), 32).c_str(),
                    Column(item->GetFileType(), 22).c_str(), Column(size, 16).c_str(),
                    Column(item->GetLastWriteTime(), 22).c_str(), Column(icon, 6).c_str(),
                    Shown(attributes).c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: shell-list [-a] FOLDER\n  -a  include hidden items\n");
        return 2;
    }
    bool hidden = false;
    int arg = 1;
    if (std::string(argv[arg]) == "-a" && argc > 2) {
        hidden = true;
        ++arg;
    }
    try {
        Initialize();
    } catch (const Exception& e) {
        std::fprintf(stderr, "shell-list: %s\n", e.what());
        return 1;
    }
    int result = List(WindowsPathOf(argv[arg]), hidden);
    Finalize();
    return result;
}
