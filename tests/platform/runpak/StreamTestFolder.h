// A fresh Linux folder per test, reached through its Windows path (C: is /),
// for the tests of file streams and of string list files.
#pragma once

#include <runpak/UString.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TStreamTestFolder : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = std::filesystem::temp_directory_path() / "runpak-files-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern.data()));
        FFolder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(FFolder, ignored);
    }

    // The Windows path of name inside the folder.
    UnicodeString WindowsPath(const std::string& name) const {
        std::string path = "C:" + (FFolder / name).string();
        for (char& c : path)
            if (c == '/') c = '\\';
        return Utf8ToUnicode(path);
    }
    std::string LinuxPath(const std::string& name) const { return FFolder / name; }

    std::string ReadLinuxFile(const std::string& name) const {
        std::ifstream in(LinuxPath(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteLinuxFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(LinuxPath(name), std::ios::binary) << bytes;
    }

    std::filesystem::path FFolder;
};
