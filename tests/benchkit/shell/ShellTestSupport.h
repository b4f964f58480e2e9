// A private folder of real files for one shell-layer test, named the Windows
// way: drive C: is the Linux root, so /tmp/x is C:\tmp\x.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <runpak/UString.h>

class ShellTempFolder {
public:
    ShellTempFolder() {
        std::string base = std::string(std::getenv("WINLAYER_HOME")) + "/shell-XXXXXX";
        linux_ = mkdtemp(base.data());
    }
    ~ShellTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(linux_, ignored);
    }

    std::string Linux(const std::string& name = "") const {
        return name.empty() ? linux_ : linux_ + "/" + name;
    }
    // The Windows path of the folder, or of a name inside it.
    UnicodeString Windows(const UnicodeString& name = u"") const {
        UnicodeString folder = u"C:" + Utf8ToUnicode(linux_);
        for (char16_t& c : folder)
            if (c == u'/') c = u'\\';
        return name.empty() ? folder : folder + u"\\" + name;
    }
    void Write(const std::string& name, const std::string& contents) const {
        std::ofstream(Linux(name), std::ios::binary) << contents;
    }
    void MakeDir(const std::string& name) const { std::filesystem::create_directories(Linux(name)); }
    std::string Read(const std::string& name) const {
        std::ifstream in(Linux(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string linux_;
};
