// A private folder of real files for one file-API test, and the Windows names
// of what lies in it.
#pragma once

#include <win32/internal/Config.h>
#include <win32/internal/Paths.h>

#include <win32/windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

class TempFolder {
public:
    TempFolder() {
        std::string base = std::string(std::getenv("WINLAYER_HOME")) + "/files-XXXXXX";
        linux_ = mkdtemp(base.data());
    }
    ~TempFolder() {
        // Read-only entries must not stop the clean-up.
        std::error_code ignored;
        for (auto& entry : std::filesystem::recursive_directory_iterator(linux_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(linux_, ignored);
    }

    // The Linux path of the folder, or of a name inside it.
    std::string Linux(const std::string& name = "") const {
        return name.empty() ? linux_ : linux_ + "/" + name;
    }
    // The Windows path of the folder, or of a name inside it ("a\b" allowed).
    std::u16string Windows(const std::u16string& name = u"") const {
        std::u16string folder = win32::ToWindowsPath(linux_);
        return name.empty() ? folder : folder + u"\\" + name;
    }

    void Write(const std::string& name, const std::string& contents) const {
        std::ofstream(Linux(name), std::ios::binary) << contents;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Linux(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(std::filesystem::symlink_status(Linux(name)));
    }

private:
    std::string linux_;
};

// Restores the process's current directory when a test changed it.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() : saved_(std::filesystem::current_path()) {}
    ~CurrentDirectoryGuard() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

// Adds a drive letter to the devices folder for one test.
class DriveGuard {
public:
    DriveGuard(char letter, const std::string& target)
        : link_(win32::DevicesFolder() + "/" + std::string(1, letter) + ":") {
        std::filesystem::create_directory_symlink(target, link_);
    }
    ~DriveGuard() {
        std::error_code ignored;
        std::filesystem::remove(link_, ignored);
    }

private:
    std::string link_;
};
