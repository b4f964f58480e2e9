// The freedesktop trash in the user's data folder. The info file is made
// first, exclusively, so that two deletions of equal names never pick the same
// slot; the item follows, and a failed move takes the info file back.
#include "Trash.h"

#include "../Errno.h"
#include "SpecialFolders.h"

#include <win32/shlobj.h>
#include <win32/winerror.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {
namespace {

namespace fs = std::filesystem;

std::string FilesFolder() {
    return SpecialFolderPath(CSIDL_BITBUCKET);
}
std::string InfoFolder() {
    return fs::path(FilesFolder()).parent_path() / "info";
}

// Paths in info files are URL-escaped bytes.
std::string Escape(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-_.~!$&'()*+,;=:@", c)) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(text[i + 1]) &&
            std::isxdigit(text[i + 2])) {
            out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Now() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool MakePrivateFolder(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error) return false;
    chmod(path.c_str(), 0700);
    return true;
}

// Moves across file systems by copying; the source goes only once the copy is whole.
DWORD MoveItem(const std::string& from, const std::string& to) {
    if (rename(from.c_str(), to.c_str()) == 0) return 0;
    if (errno != EXDEV) return ErrorFromErrnoAt(errno, from);
    std::error_code error;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error) {
        DWORD result = ErrorFromErrno(error.value());
        fs::remove_all(to, error);
        return result;
    }
    fs::remove_all(from, error);
    return 0;
}

} // namespace

DWORD MoveToTrash(const std::string& path, std::string* trashed) {
    std::string files = FilesFolder(), info = InfoFolder();
    if (files.empty() || !MakePrivateFolder(files) || !MakePrivateFolder(info))
        return ERROR_ACCESS_DENIED;
    std::error_code error;
    std::string absolute = fs::absolute(path, error).lexically_normal().string();
    std::string name = fs::path(absolute).filename().string();
    if (name.empty()) return ERROR_INVALID_NAME;
    for (int n = 1; n < 100000; ++n) {
        std::string slot = n == 1 ? name : name + "." + std::to_string(n);
        std::string infoFile = info + "/" + slot + ".trashinfo";
        int fd = open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return ErrorFromErrno(errno);
        }
        struct stat taken;
        if (lstat((files + "/" + slot).c_str(), &taken) == 0) { // an item without its info
            close(fd);
            unlink(infoFile.c_str());
            continue;
        }
        std::string text =
            "[Trash Info]\nPath=" + Escape(absolute) + "\nDeletionDate=" + Now() + "\n";
        bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
        close(fd);
        DWORD result = written ? MoveItem(absolute, files + "/" + slot) : ERROR_WRITE_FAULT;
        if (result) {
            unlink(infoFile.c_str());
            return result;
        }
        if (trashed) *trashed = files + "/" + slot;
        return 0;
    }
    return ERROR_FILE_EXISTS;
}

DWORD RestoreFromTrash(const std::string& trashedPath, std::string* restored) {
    std::string slot = fs::path(trashedPath).filename().string();
    std::string infoFile = InfoFolder() + "/" + slot + ".trashinfo";
    std::ifstream in(infoFile);
    if (!in) return ERROR_FILE_NOT_FOUND;
    std::string line, original;
    while (std::getline(in, line))
        if (line.rfind("Path=", 0) == 0) original = Unescape(line.substr(5));
    in.close();
    if (original.empty()) return ERROR_INVALID_DATA;
    if (original[0] != '/')
        original = fs::path(FilesFolder()).parent_path().parent_path() / original;
    struct stat existing;
    if (lstat(original.c_str(), &existing) == 0) return ERROR_ALREADY_EXISTS;
    std::error_code error;
    fs::create_directories(fs::path(original).parent_path(), error);
    DWORD result = MoveItem(FilesFolder() + "/" + slot, original);
    if (result) return result;
    unlink(infoFile.c_str());
    if (restored) *restored = original;
    return 0;
}

} // namespace win32
