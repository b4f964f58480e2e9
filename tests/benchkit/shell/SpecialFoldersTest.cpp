// The special-folder items and the shell units' start-up, on a home folder of
// the test's own with and without the user's XDG folder list.
#include "ShellTestSupport.h"

#include "benchkit/Benchkit.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"

#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

class SpecialFoldersTest : public testing::Test {
protected:
    void SetUp() override {
        Remember("HOME", home_);
        Remember("XDG_CONFIG_HOME", config_);
        Remember("XDG_DATA_HOME", data_);
        setenv("HOME", temp_.Linux().c_str(), 1);
        setenv("XDG_CONFIG_HOME", temp_.Linux("xdg-config").c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        TestSeams::TrackTaskAllocations(true);
    }
    void TearDown() override {
        FinalizeIDEVirtualShellUtilities();
        TestSeams::RestoreShellOrdinals();
        EXPECT_EQ(TestSeams::LiveTaskAllocations(), 0u) << "task allocator blocks leaked";
        EXPECT_EQ(TestSeams::TaskAllocatorFaults(), 0u) << "task allocator misuse";
        TestSeams::TrackTaskAllocations(false);
        Restore("HOME", home_);
        Restore("XDG_CONFIG_HOME", config_);
        Restore("XDG_DATA_HOME", data_);
    }

    static void Remember(const char* name, std::optional<std::string>& slot) {
        if (const char* value = std::getenv(name)) slot = value;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot)
            setenv(name, slot->c_str(), 1);
        else
            unsetenv(name);
    }

    void WriteUserDirs() {
        temp_.MakeDir("xdg-config");
        temp_.Write("xdg-config/user-dirs.dirs", "# written by the test\n"
                                                 "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                 "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                                                 "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    }

    static std::vector<TNamespace*> All() {
        return {
            DesktopFolder,   RecycleBinFolder,  PhysicalDesktopFolder, DrivesFolder,
            PrinterFolder,   HistoryFolder,     ControlPanelFolder,    NetworkNeighborHoodFolder,
            TemplatesFolder, MyDocumentsFolder, FavoritesFolder};
    }

    ShellTempFolder temp_;
    std::optional<std::string> home_, config_, data_;
};

struct FolderCase {
    const char* name;
    TNamespace** item;
    const char* withXdg; // folder below the home folder, or null for a virtual folder
    const char* withoutXdg;
};

class SpecialFolderPathTest : public SpecialFoldersTest,
                              public testing::WithParamInterface<FolderCase> {};

TEST_P(SpecialFolderPathTest, WithTheUsersFolderList) {
    WriteUserDirs();
    InitializeIDEVirtualShellUtilities();
    const FolderCase& c = GetParam();
    ASSERT_NE(*c.item, nullptr);
    if (c.withXdg)
        EXPECT_EQ((*c.item)->GetNameForParsing(), temp_.Windows(Utf8ToUnicode(c.withXdg)));
    else
        EXPECT_EQ((*c.item)->GetNameForParsing().rfind(u"::{", 0), 0u);
}

TEST_P(SpecialFolderPathTest, WithoutTheUsersFolderList) {
    InitializeIDEVirtualShellUtilities();
    const FolderCase& c = GetParam();
    ASSERT_NE(*c.item, nullptr);
    if (c.withoutXdg)
        EXPECT_EQ((*c.item)->GetNameForParsing(), temp_.Windows(Utf8ToUnicode(c.withoutXdg)));
    else
        EXPECT_EQ((*c.item)->GetNameForParsing().rfind(u"::{", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SpecialFolderPathTest,
    testing::Values(FolderCase{"Desktop", &DesktopFolder, "Schreibtisch", "Desktop"},
                    FolderCase{"PhysicalDesktop", &PhysicalDesktopFolder, "Schreibtisch",
                               "Desktop"},
                    FolderCase{"Documents", &MyDocumentsFolder, "Dokumente", "Documents"},
                    FolderCase{"Templates", &TemplatesFolder, "Vorlagen", "Templates"},
                    FolderCase{"RecycleBin", &RecycleBinFolder, nullptr, nullptr},
                    FolderCase{"Drives", &DrivesFolder, nullptr, nullptr},
                    FolderCase{"Printers", &PrinterFolder, nullptr, nullptr},
                    FolderCase{"History", &HistoryFolder, nullptr, nullptr},
                    FolderCase{"ControlPanel", &ControlPanelFolder, nullptr, nullptr},
                    FolderCase{"Network", &NetworkNeighborHoodFolder, nullptr, nullptr},
                    FolderCase{"Favorites", &FavoritesFolder, nullptr, nullptr}),
    [](const testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.name); });

TEST_F(SpecialFoldersTest, UserFoldersListTheirFiles) {
    WriteUserDirs();
    temp_.MakeDir("Dokumente");
    temp_.Write("Dokumente/letter.txt", "x");
    InitializeIDEVirtualShellUtilities();
    std::vector<UnicodeString> names;
    MyDocumentsFolder->EnumerateFolder(
        true, true, true,
        [&](PItemIDList pidl, TNamespace* parent, void*, bool&) {
            TNamespace child(pidl, parent);
            names.push_back(child.GetNameInFolder());
            return true;
        },
        nullptr);
    EXPECT_EQ(names, std::vector<UnicodeString>{u"letter.txt"});
    EXPECT_TRUE(MyDocumentsFolder->GetFileSystem());
    EXPECT_TRUE(MyDocumentsFolder->GetFolder());
    EXPECT_FALSE(ControlPanelFolder->GetFileSystem());
}

TEST_F(SpecialFoldersTest, StartUpBindsEveryItemsParentAndShutDownNilsAll) {
    InitializeIDEVirtualShellUtilities();
    ASSERT_NE(PIDLMgr, nullptr);
    for (TNamespace* item : All()) {
        ASSERT_NE(item, nullptr);
        EXPECT_NE(item->GetParentShellFolder(), nullptr);
    }
    EXPECT_NE(DesktopFolder->GetShellFolder(), nullptr); // bound by the start-up
    EXPECT_NE(IDEVirtualShellUtilities::SHLimitInputEdit, nullptr);
    // A second start-up is counted, not repeated.
    TNamespace* desktop = DesktopFolder;
    InitializeIDEVirtualShellUtilities();
    EXPECT_EQ(DesktopFolder, desktop);
    FinalizeIDEVirtualShellUtilities();
    EXPECT_EQ(DesktopFolder, desktop);
    FinalizeIDEVirtualShellUtilities();
    EXPECT_EQ(PIDLMgr, nullptr);
    for (TNamespace* item : All())
        EXPECT_EQ(item, nullptr);
    EXPECT_EQ(IDEVirtualShellUtilities::SHLimitInputEdit, nullptr);
}

struct MissingCase {
    const char* name;
    std::vector<int> ordinals;
};

class ShellOrdinalsMissingTest : public SpecialFoldersTest,
                                 public testing::WithParamInterface<MissingCase> {};

TEST_P(ShellOrdinalsMissingTest, StartUpFailsWithAnErrorAndLeavesNothing) {
    TestSeams::WithholdShellOrdinals(GetParam().ordinals);
    EXPECT_FALSE(IDEVirtualShellUtilities::InitShellOrdinals());
    EXPECT_THROW(InitializeIDEVirtualShellUtilities(), EOSError);
    EXPECT_EQ(PIDLMgr, nullptr);
    for (TNamespace* item : All())
        EXPECT_EQ(item, nullptr);
    // The process goes on, and once the library has them the start-up succeeds.
    TestSeams::RestoreShellOrdinals();
    InitializeIDEVirtualShellUtilities();
    EXPECT_NE(DesktopFolder, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Ordinals, ShellOrdinalsMissingTest,
                         testing::Values(MissingCase{"Equality", {21}}, MissingCase{"Parent", {23}},
                                         MissingCase{"Both", {21, 23}}),
                         [](const testing::TestParamInfo<MissingCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SpecialFoldersTest, OptionalRoutinesMayBeMissing) {
    TestSeams::WithholdShellOrdinals({660, 747});
    EXPECT_FALSE(IDEVirtualShellUtilities::FileIconInit(true));
    InitializeIDEVirtualShellUtilities();
    EXPECT_NE(DesktopFolder, nullptr);
    EXPECT_EQ(IDEVirtualShellUtilities::SHLimitInputEdit, nullptr);
}

TEST_F(SpecialFoldersTest, PackageInitialisationReportsTheMissingRoutines) {
    TestSeams::WithholdShellOrdinals({21});
    EXPECT_THROW(Initialize(), EOSError);
    Finalize(); // shuts down the units that did start
    EXPECT_EQ(PIDLMgr, nullptr);
    TestSeams::RestoreShellOrdinals();
    Initialize();
    EXPECT_NE(DesktopFolder, nullptr);
    Finalize();
    EXPECT_EQ(DesktopFolder, nullptr);
}

} // namespace
