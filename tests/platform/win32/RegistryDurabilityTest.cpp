// The hive files under a hostile world: full and read-only disks, unreadable
// files, a second process, absurd depths and writers that died mid-write.
#include <win32/internal/Registry.h>

#include <win32/TestSeams.h>
#include <win32/winerror.h>
#include <win32/winreg.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

LONG SetString(HKEY root, const char16_t* path, const char16_t* name, std::u16string_view text) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyW(root, path, &key);
    if (rc != ERROR_SUCCESS) return rc;
    std::u16string data(text);
    rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * 2));
    RegCloseKey(key);
    return rc;
}

// The REG_SZ text of a value, or a marker naming what is missing.
std::u16string GetString(HKEY root, const char16_t* path, const char16_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return u"<no key>";
    WCHAR buffer[256] = {};
    DWORD size = sizeof buffer - 2;
    LONG rc = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::u16string(buffer) : u"<no value>";
}

bool KeyExists(HKEY root, const char16_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

class RegistryDurability : public testing::Test {
protected:
    void SetUp() override { TestSeams::ResetRegistry(); }
    void TearDown() override {
        TestSeams::FailDiskWrites(-1);
        TestSeams::ResetRegistry();
    }
    std::string userFile = win32::HiveFilePath(HKEY_CURRENT_USER);
};

// A hive with a little in it, for the faults to act on.
void Populate() {
    ASSERT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept", u"old"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\App\\Sub", u"Inner", u"in"), ERROR_SUCCESS);
}

void ExpectPopulated() {
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept"), u"old");
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App", u"New"), u"<no value>");
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App\\Sub", u"Inner"), u"in");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\App\\Fresh"));
}

// Every kind of change, made through an open key.
struct Change {
    const char* name;
    LONG (*apply)(HKEY app);
};

const Change changes[] = {
    {"replace a value",
     [](HKEY app) {
         const char16_t text[] = u"new";
         return RegSetValueExW(app, u"Kept", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                               sizeof text);
     }},
    {"add a value",
     [](HKEY app) {
         DWORD one = 1;
         return RegSetValueExW(app, u"New", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
     }},
    {"create a key",
     [](HKEY app) {
         HKEY made = nullptr;
         LONG rc = RegCreateKeyW(app, u"Fresh", &made);
         if (made) RegCloseKey(made);
         return rc;
     }},
    {"delete a value", [](HKEY app) { return RegDeleteValueW(app, u"Kept"); }},
    {"delete a key", [](HKEY app) { return RegDeleteKeyW(app, u"Sub"); }},
    {"delete a tree", [](HKEY app) { return RegDeleteTreeW(app, nullptr); }},
};

TEST_F(RegistryDurability, AWriteTheDiskRefusesIsReportedAndNotMade) {
    struct Fault {
        int error;
        LONG expected;
    };
    for (Fault fault : {Fault{ENOSPC, ERROR_DISK_FULL}, Fault{EROFS, ERROR_ACCESS_DENIED}}) {
        for (const Change& change : changes) {
            SCOPED_TRACE(std::string(change.name) + ", errno " + std::to_string(fault.error));
            TestSeams::ResetRegistry();
            Populate();
            std::string before = ReadFile(userFile);
            HKEY app = nullptr;
            ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\App", 0, KEY_ALL_ACCESS, &app),
                      ERROR_SUCCESS);
            // Half a record fits, then the disk gives out.
            TestSeams::FailDiskWrites(6, fault.error);
            EXPECT_EQ(change.apply(app), fault.expected);
            RegCloseKey(app);
            ExpectPopulated(); // memory as the file is
            TestSeams::FailDiskWrites(-1);
            EXPECT_EQ(ReadFile(userFile), before); // the half record is taken back
            TestSeams::ReloadRegistry();
            ExpectPopulated();
        }
    }
}

// A small file system of our own when we may mount one, so that the disk is
// really full or really read-only; else the layer's seam stands in for it.
class SmallDisk {
public:
    SmallDisk() {
        char pattern[] = "/tmp/smalldisk-XXXXXX";
        m_folder = mkdtemp(pattern);
        m_mounted = mount("tmpfs", m_folder.c_str(), "tmpfs", 0, "size=64k") == 0;
        TestSeams::SetConfigFolder(m_folder + "/config");
        TestSeams::ReloadRegistry();
    }
    ~SmallDisk() {
        TestSeams::FailDiskWrites(-1);
        TestSeams::SetConfigFolder("");
        TestSeams::ReloadRegistry();
        if (m_mounted) umount2(m_folder.c_str(), MNT_DETACH);
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    const std::string& Folder() const { return m_folder; }

    void Fill() {
        if (!m_mounted) return TestSeams::FailDiskWrites(0, ENOSPC);
        std::ofstream filler(m_folder + "/filler", std::ios::binary);
        std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            filler.flush();
    }
    void Free() {
        if (!m_mounted) return TestSeams::FailDiskWrites(-1);
        unlink((m_folder + "/filler").c_str());
    }
    void MakeReadOnly(bool readOnly) {
        if (!m_mounted) return TestSeams::FailDiskWrites(readOnly ? 0 : -1, EROFS);
        unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        ASSERT_EQ(mount(nullptr, m_folder.c_str(), nullptr, flags, "size=64k"), 0) << errno;
    }

private:
    std::string m_folder;
    bool m_mounted = false;
};

TEST_F(RegistryDurability, AFullOrReadOnlyDiskRefusesTheFirstWriteOfAHive) {
    SmallDisk disk;
    disk.Fill();
    EXPECT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept", u"x"), ERROR_DISK_FULL);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\App"));
    disk.Free();
    disk.MakeReadOnly(true);
    EXPECT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept", u"x"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\App"));
    disk.MakeReadOnly(false);
    EXPECT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept", u"x"), ERROR_SUCCESS);
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept"), u"x");
}

TEST_F(RegistryDurability, ADamagedHiveOnAFullDiskStaysInPlaceUntilARewriteSucceeds) {
    SmallDisk disk;
    std::string file = win32::HiveFilePath(HKEY_CURRENT_USER);
    const std::string damaged = "[Software\\App]\n\"Kept\"=sz:\"yes\"\nnot a line\n"
                                "[Software\\App\\Later]\n\"Also\"=sz:\"there\"\n";
    WriteFile(file, damaged);
    disk.Fill();
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App\\Later", u"Also"), u"there");
    EXPECT_EQ(ReadFile(file), damaged);
    EXPECT_FALSE(fs::exists(file + ".bad"));

    // Each start on the full disk reads it all again.
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept"), u"yes");

    disk.Free();
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept"), u"yes");
    EXPECT_EQ(ReadFile(file + ".bad"), damaged);
    EXPECT_EQ(ReadFile(file).find("not a line"), std::string::npos);
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App\\Later", u"Also"), u"there");
}

TEST_F(RegistryDurability, AnUnreadableHiveIsNeverWrittenOver) {
    struct Blocker {
        const char* name;
        void (*make)(const std::string& file);
        bool needsNonRoot;
    };
    const Blocker blockers[] = {
        {"a folder in its place", [](const std::string& file) { fs::create_directories(file); },
         false},
        {"a link to itself",
         [](const std::string& file) { fs::create_symlink(fs::path(file).filename(), file); },
         false},
        {"no permission to read",
         [](const std::string& file) {
             WriteFile(file, "[Software\\App]\n\"Kept\"=sz:\"mine\"\n");
             chmod(file.c_str(), 0200);
         },
         true},
    };
    for (const Blocker& blocker : blockers) {
        SCOPED_TRACE(blocker.name);
        if (blocker.needsNonRoot && geteuid() == 0) continue; // root reads it all the same
        TestSeams::ResetRegistry();
        fs::create_directories(fs::path(userFile).parent_path());
        blocker.make(userFile);
        TestSeams::ReloadRegistry();
        EXPECT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept", u"x"),
                  ERROR_ACCESS_DENIED);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\App"));
        HKEY root = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &root), ERROR_SUCCESS);
        EXPECT_EQ(RegFlushKey(root), ERROR_ACCESS_DENIED);
        RegCloseKey(root);
        struct stat st;
        EXPECT_EQ(lstat(userFile.c_str(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode) && st.st_size == 0);
        chmod(userFile.c_str(), 0600);
        std::error_code ignored;
        fs::remove_all(userFile, ignored);
    }
}

TEST_F(RegistryDurability, TwoProcessesWritingKeepEachOthersKeys) {
    // One process writes enough for its file to be rewritten whole several
    // times meanwhile; the other keeps a key open throughout.
    const int childValues = 1500, parentValues = 150;
    ASSERT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\Shared", u"Start", u"1"), ERROR_SUCCESS);
    HKEY parentKey = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, u"Software\\Parent", &parentKey), ERROR_SUCCESS);
    std::string padding(100, 'p');
    std::u16string filler(padding.begin(), padding.end());

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int failures = 0;
        for (int i = 0; i < childValues; ++i) {
            std::string number = std::to_string(i);
            std::u16string name = u"v" + std::u16string(number.begin(), number.end());
            failures += SetString(HKEY_CURRENT_USER, u"Software\\Child", name.c_str(), filler) != 0;
        }
        _exit(failures ? 1 : 0);
    }
    int failures = 0;
    for (int i = 0; i < parentValues; ++i) {
        std::string name = "p" + std::to_string(i);
        std::u16string wide(name.begin(), name.end());
        DWORD value = static_cast<DWORD>(i);
        failures += RegSetValueExW(parentKey, wide.c_str(), 0, REG_DWORD,
                                   reinterpret_cast<BYTE*>(&value), 4) != ERROR_SUCCESS;
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(failures, 0);

    auto counts = [&] {
        DWORD childCount = 0, parentCount = 0;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Child", 0, KEY_READ, &key) == 0) {
            RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &childCount, nullptr, nullptr, nullptr, nullptr);
            RegCloseKey(key);
        }
        // The handle opened before the other process rewrote the file still works.
        RegQueryInfoKeyW(parentKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &parentCount, nullptr, nullptr, nullptr, nullptr);
        return std::make_pair(childCount, parentCount);
    };
    // This process sees the other's keys on its next open, and after a restart.
    EXPECT_EQ(counts(), std::make_pair(DWORD(childValues), DWORD(parentValues)));
    RegCloseKey(parentKey);
    TestSeams::ReloadRegistry();
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Parent", 0, KEY_READ, &parentKey),
              ERROR_SUCCESS);
    EXPECT_EQ(counts(), std::make_pair(DWORD(childValues), DWORD(parentValues)));
    RegCloseKey(parentKey);
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\Shared", u"Start"), u"1");
}

TEST_F(RegistryDurability, DeletionsAreReplayedFromTheFile) {
    Populate();
    ASSERT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\App\\Sub\\Deep", u"x", u"y"), ERROR_SUCCESS);
    HKEY app = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\App", 0, KEY_ALL_ACCESS, &app), 0);
    EXPECT_EQ(RegDeleteValueW(app, u"Kept"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeW(app, u"Sub"), ERROR_SUCCESS);
    const char16_t text[] = u"-[not a deletion]";
    EXPECT_EQ(RegSetValueExW(app, u"-[Odd", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             sizeof text),
              ERROR_SUCCESS);
    HKEY odd = nullptr;
    EXPECT_EQ(RegCreateKeyW(app, u"-[Odd]", &odd), ERROR_SUCCESS);
    RegCloseKey(odd);
    RegCloseKey(app);
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App", u"Kept"), u"<no value>");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\App\\Sub"));
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App", u"-[Odd"), u"-[not a deletion]");
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\App\\-[Odd]"));
}

TEST_F(RegistryDurability, KeyDepthIsBoundedThroughTheApiAndInFiles) {
    auto path = [](size_t levels) {
        std::u16string text;
        for (size_t i = 0; i < levels; ++i)
            text += i ? u"\\k" : u"k";
        return text;
    };
    struct Case {
        size_t levels;
        LONG expected;
    };
    for (Case c : {Case{512, ERROR_SUCCESS}, Case{513, ERROR_INVALID_PARAMETER},
                   Case{50000, ERROR_INVALID_PARAMETER}}) {
        SCOPED_TRACE(c.levels);
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path(c.levels).c_str(), &key), c.expected);
        if (key) RegCloseKey(key);
    }
    // Below an existing 512-level key nothing more fits.
    HKEY deepest = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path(512).c_str(), 0, KEY_ALL_ACCESS, &deepest), 0);
    HKEY below = nullptr;
    EXPECT_EQ(RegCreateKeyW(deepest, u"more", &below), ERROR_INVALID_PARAMETER);
    RegCloseKey(deepest);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, (path(512) + u"\\more").c_str()));

    // One long line in a file is one unreadable line.
    std::string deep;
    for (int i = 0; i < 50000; ++i)
        deep += i ? "\\d" : "d";
    WriteFile(userFile, "[Software\\Good]\n\"A\"=sz:\"1\"\n[" + deep + "]\n\"B\"=sz:\"2\"\n");
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\Good", u"A"), u"1");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"d"));
}

TEST_F(RegistryDurability, TemporaryFilesOfADeadWriterAreRemovedAtLoad) {
    Populate();
    std::string folder = fs::path(userFile).parent_path();
    const std::string stale[] = {userFile + ".tmp-a1B2c3", userFile + ".tmp-zzzzzz"};
    for (const std::string& path : stale)
        WriteFile(path, std::string(100000, 'x'));
    WriteFile(folder + "/notes.txt", "mine");
    TestSeams::ReloadRegistry();
    ExpectPopulated();
    for (const std::string& path : stale)
        EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::exists(folder + "/notes.txt"));
}

TEST_F(RegistryDurability, HalfARecordLeftByAKilledWriterDoesNotMoveLaterValues) {
    Populate();
    // Another writer died after writing part of a value line.
    std::ofstream(userFile, std::ios::binary | std::ios::app) << "[Software\\Other]\n\"Na";
    ASSERT_EQ(SetString(HKEY_CURRENT_USER, u"Software\\App", u"After", u"ok"), ERROR_SUCCESS);
    TestSeams::ReloadRegistry();
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, u"Software\\App", u"After"), u"ok");
    ExpectPopulated();
}

} // namespace
