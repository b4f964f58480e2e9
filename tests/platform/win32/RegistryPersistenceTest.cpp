#include <win32/internal/Registry.h>

#include <win32/TestSeams.h>
#include <win32/winreg.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

LONG SetString(HKEY key, const char16_t* name, std::u16string_view text) {
    std::u16string data(text);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * 2));
}

// The REG_SZ text of a value, or a marker naming the error.
std::u16string GetString(HKEY root, const char16_t* path, const char16_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return u"<no key>";
    WCHAR buffer[256] = {};
    DWORD size = sizeof buffer - 2;
    LONG rc = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::u16string(buffer) : u"<no value>";
}

class RegistryPersistence : public testing::Test {
protected:
    void SetUp() override { TestSeams::ResetRegistry(); }
    void TearDown() override {
        for (int id : m_generators)
            win32::UnregisterHardwareGenerator(id);
        TestSeams::ResetRegistry();
    }
    int AddGenerator(std::function<void()> generator) {
        int id = win32::RegisterHardwareGenerator(std::move(generator));
        m_generators.push_back(id);
        return id;
    }

    std::string userFile = win32::HiveFilePath(HKEY_CURRENT_USER);
    std::string machineFile = win32::HiveFilePath(HKEY_LOCAL_MACHINE);

private:
    std::vector<int> m_generators;
};

TEST_F(RegistryPersistence, ChangesReachTheFileBeforeTheCallReturns) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\App", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, u"Port", u"COM3"), ERROR_SUCCESS);
    // Written through: on disk while the handle is still open, in the readable form.
    EXPECT_NE(ReadFile(userFile).find("[Software\\App]\n\"Port\"=sz:\"COM3\"\n"),
              std::string::npos);
    ASSERT_EQ(RegDeleteValueW(key, u"Port"), ERROR_SUCCESS);
    EXPECT_NE(ReadFile(userFile).find("[Software\\App]\n\"Port\"=-\n"), std::string::npos);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryPersistence, BothHivesSurviveARestartAndHardwareIsRegenerated) {
    int runs = 0;
    AddGenerator([&runs] {
        ++runs;
        win32::SetHardwareString(u"DEVICEMAP\\SERIALCOMM", u"\\Device\\Serial0", u"COM1");
        win32::SetHardwareString(u"DEVICEMAP\\SERIALCOMM", u"\\Device\\Serial1",
                                 runs == 1 ? u"COM2" : u"COM7");
    });
    EXPECT_EQ(runs, 0); // not loaded yet: it runs with the load

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"Software\\Drive", &key), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, u"Model", u"SV-200"), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, u"Software\\Panel", &key), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, u"Last", u"COM2"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(
        GetString(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", u"\\Device\\Serial1"),
        u"COM2");

    HKEY hardware = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                            &hardware),
              ERROR_SUCCESS);

    TestSeams::ReloadRegistry();
    // Handles do not outlive a restart.
    EXPECT_EQ(RegCloseKey(hardware), ERROR_INVALID_HANDLE);

    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, u"Software\\Drive", u"Model"), u"SV-200");
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\Panel", u"Last"), u"COM2");
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(
        GetString(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", u"\\Device\\Serial1"),
        u"COM7");
    EXPECT_EQ(ReadFile(machineFile).find("HARDWARE"), std::string::npos);
    EXPECT_EQ(ReadFile(machineFile).find("Serial"), std::string::npos);
}

TEST_F(RegistryPersistence, HardwareIsNeverWrittenEvenWhenChangedThroughTheApi) {
    HKEY key = nullptr;
    // Children of a volatile key must be volatile, as on Windows.
    EXPECT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"HARDWARE\\Custom", &key),
              ERROR_CHILD_MUST_BE_VOLATILE);
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE\\Custom", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, u"Secret", u"x"), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"Software\\Other", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_NE(ReadFile(machineFile).find("Software\\Other"), std::string::npos);
    EXPECT_EQ(ReadFile(machineFile).find("Secret"), std::string::npos);

    // A HARDWARE section slipped into the file by hand is dropped on load.
    WriteFile(machineFile, ReadFile(machineFile) + "[HARDWARE\\Stale]\n\"Old\"=sz:\"x\"\n");
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, u"HARDWARE\\Stale", u"Old"), u"<no key>");
    DWORD subkeys = 0;
    ASSERT_EQ(RegQueryInfoKeyW(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, &subkeys, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 2u); // Software and one HARDWARE
    ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"Software\\Third", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadFile(machineFile).find("HARDWARE"), std::string::npos);
}

TEST_F(RegistryPersistence, GeneratorRegisteredAfterLoadRunsAtOnceAndOnRegenerate) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    int runs = 0;
    int id = AddGenerator([&runs] {
        ++runs;
        DWORD count = static_cast<DWORD>(runs);
        win32::SetHardwareValue(u"DESCRIPTION\\System", u"Runs", REG_DWORD, &count, 4);
    });
    EXPECT_EQ(runs, 1);
    win32::RegenerateHardware();
    EXPECT_EQ(runs, 2);
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE\\DESCRIPTION\\System", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    EXPECT_EQ(
        RegQueryValueExW(key, u"Runs", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);

    // Regenerating replaces the keys, so handles below HARDWARE go stale.
    win32::UnregisterHardwareGenerator(id);
    win32::RegenerateHardware();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(RegQueryValueExW(key, u"Runs", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    RegCloseKey(key);
}

TEST_F(RegistryPersistence, AThrowingGeneratorDoesNotStopTheOthers) {
    AddGenerator([] { throw std::runtime_error("no devices"); });
    AddGenerator([] { win32::SetHardwareString(u"DEVICEMAP", u"Fine", u"yes"); });
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP", u"Fine"), u"yes");
}

TEST_F(RegistryPersistence, CorruptHiveLoadsWhatItCanAndKeepsACopy) {
    const std::string damaged = "; hand-edited\n"
                                "[Software\\Good]\n"
                                "\"Kept\"=sz:\"yes\"\n"
                                "\"Broken\"=sz:\"no closing quote\n"
                                "\"Count\"=dword:zz\n"
                                "this line means nothing\n"
                                "[Software\\Bad\n"
                                "\"Lost\"=sz:\"under a broken key line\"\n"
                                "[Software\\Good\\Deeper]\n"
                                "\"Also\"=dword:00000007\n"
                                "\xff\xfe not UTF-8\n";
    WriteFile(userFile, damaged);
    TestSeams::ReloadRegistry();

    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\Good", u"Kept"), u"yes");
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\Good", u"Broken"), u"<no value>");
    HKEY deeper = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Good\\Deeper", 0, KEY_READ, &deeper),
              ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    EXPECT_EQ(
        RegQueryValueExW(deeper, u"Also", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);
    RegCloseKey(deeper);

    // The damaged file is kept aside, and the hive on disk is sound again.
    EXPECT_EQ(ReadFile(userFile + ".bad"), damaged);
    std::string rewritten = ReadFile(userFile);
    EXPECT_NE(rewritten.find("\"Kept\"=sz:\"yes\""), std::string::npos);
    EXPECT_EQ(rewritten.find("nothing"), std::string::npos);

    // A second damaged file does not overwrite the first copy.
    WriteFile(userFile, "garbage\n");
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\Good", u"Kept"), u"<no key>");
    EXPECT_EQ(ReadFile(userFile + ".bad"), damaged);
    EXPECT_EQ(ReadFile(userFile + ".bad.2"), "garbage\n");
}

TEST_F(RegistryPersistence, BinaryGarbageDoesNotCrash) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    WriteFile(machineFile, garbage);
    TestSeams::ReloadRegistry();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"Software\\After", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    TestSeams::ReloadRegistry();
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\After", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryPersistence, ResetDropsMemoryAndFiles) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, u"Software\\Temp", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_TRUE(std::filesystem::exists(userFile));
    TestSeams::ResetRegistry();
    EXPECT_FALSE(std::filesystem::exists(userFile));
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Temp", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
}

} // namespace
