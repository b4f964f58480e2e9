// The desktop and the special folders, with and without the user's
// user-dirs.dirs, under a test folder standing in for the home folder.
#include "ShellTestSupport.h"

class ShellSpecialFolderTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        home_ = temp_.Linux("home");
        std::filesystem::create_directories(home_);
        TestSeams::SetShellHomeFolder(home_);
    }
    std::u16string FolderPath(int csidl) {
        WCHAR path[MAX_PATH] = u"x";
        if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
            return u"<failed>";
        return path;
    }
    std::string home_;
};

TEST_F(ShellSpecialFolderTest, DefaultsWithoutUserDirsFile) {
    std::filesystem::create_directories(home_ + "/Documents");
    EXPECT_EQ(FolderPath(CSIDL_PERSONAL), win32::ToWindowsPath(home_ + "/Documents"));
    EXPECT_EQ(FolderPath(CSIDL_DESKTOPDIRECTORY), win32::ToWindowsPath(home_ + "/Desktop"));
    EXPECT_EQ(FolderPath(CSIDL_PROFILE), win32::ToWindowsPath(home_));
    EXPECT_EQ(FolderPath(CSIDL_APPDATA), win32::ToWindowsPath(home_ + "/.config"));
    EXPECT_EQ(FolderPath(CSIDL_LOCAL_APPDATA), win32::ToWindowsPath(home_ + "/.local/share"));
    // A folder that does not exist yet: S_FALSE, made with CSIDL_FLAG_CREATE.
    WCHAR path[MAX_PATH];
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_TEMPLATES, nullptr, 0, path), S_FALSE);
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_TEMPLATES | CSIDL_FLAG_CREATE, nullptr, 0, path),
              S_OK);
    EXPECT_TRUE(std::filesystem::is_directory(home_ + "/Templates"));
    EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_SENDTO, TRUE));
    EXPECT_TRUE(std::filesystem::is_directory(win32::ToLinuxPath(path)));
    // Virtual folders have no path.
    for (int csidl : {CSIDL_DRIVES, CSIDL_PRINTERS, CSIDL_CONTROLS, CSIDL_NETWORK, CSIDL_HISTORY})
        EXPECT_EQ(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path), E_FAIL) << csidl;
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x7F, nullptr, 0, path), E_INVALIDARG);
}

TEST_F(ShellSpecialFolderTest, UserDirsFileMovesTheFolders) {
    std::filesystem::create_directories(home_ + "/.config");
    std::ofstream(home_ + "/.config/user-dirs.dirs")
        << "# written by a test\n"
        << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
        << "XDG_DOCUMENTS_DIR=\"$HOME/Docs/\"\n"
        << "XDG_TEMPLATES_DIR=\"/elsewhere/tpl\"\n";
    EXPECT_EQ(FolderPath(CSIDL_DESKTOPDIRECTORY), win32::ToWindowsPath(home_ + "/Bureau"));
    EXPECT_EQ(FolderPath(CSIDL_PERSONAL), win32::ToWindowsPath(home_ + "/Docs"));
    EXPECT_EQ(FolderPath(CSIDL_TEMPLATES), u"C:\\elsewhere\\tpl");
    EXPECT_EQ(FolderPath(CSIDL_MYMUSIC), win32::ToWindowsPath(home_ + "/Music")); // not listed
}

TEST_F(ShellSpecialFolderTest, LocationsAndTheirNames) {
    std::filesystem::create_directories(home_ + "/Documents");
    std::filesystem::create_directories(home_ + "/.local/share/Trash/files");
    std::ofstream(home_ + "/.local/share/Trash/files/old.txt") << "gone";
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);

    struct Case {
        int csidl;
        std::u16string normal, parsing;
    } cases[] = {
        {CSIDL_DRIVES, u"Computer", u"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"},
        {CSIDL_BITBUCKET, u"Recycle Bin", u"::{645FF040-5081-101B-9F08-00AA002F954E}"},
        {CSIDL_PERSONAL, u"Documents", win32::ToWindowsPath(home_ + "/Documents")},
        {CSIDL_PRINTERS, u"Printers", u"::{2227A280-3AEA-1069-A2DE-08002B30309D}"},
        {CSIDL_CONTROLS, u"Control Panel", u"::{21EC2020-3AEA-1069-A2DD-08002B30309D}"},
        {CSIDL_NETWORK, u"Network", u"::{208D2C60-3AEA-1069-A2D7-08002B30309D}"},
    };
    for (const Case& c : cases) {
        PIDLIST_ABSOLUTE pidl = nullptr;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, c.csidl, &pidl), S_OK) << c.csidl;
        EXPECT_EQ(Name(desktop, pidl, SHGDN_NORMAL), c.normal);
        EXPECT_EQ(Name(desktop, pidl, SHGDN_FORPARSING), c.parsing);
        // The parsing name (and the display name) leads back to the same place.
        // A folder's path parses to the path under Computer: same place, another list.
        for (const std::u16string& text : {c.parsing, c.normal}) {
            PIDLIST_ABSOLUTE back = Parse(text);
            WCHAR a[MAX_PATH], b[MAX_PATH];
            if (text.rfind(u"::", 0) == 0 || text == c.normal) {
                EXPECT_TRUE(ILIsEqual(back, pidl)) << c.csidl;
            } else {
                ASSERT_TRUE(SHGetPathFromIDListW(back, a));
                ASSERT_TRUE(SHGetPathFromIDListW(pidl, b));
                EXPECT_EQ(std::u16string(a), std::u16string(b));
            }
            ILFree(back);
        }
        ILFree(pidl);
    }

    // The recycle bin shows the trash; printers are empty.
    PIDLIST_ABSOLUTE bin = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin), S_OK);
    IShellFolder* trash = nullptr;
    ASSERT_EQ(desktop->BindToObject(bin, nullptr, IID_IShellFolder,
                                    reinterpret_cast<void**>(&trash)),
              S_OK);
    EXPECT_EQ(Enumerate(trash, SHCONTF_NONFOLDERS), std::vector<std::u16string>{u"old.txt"});
    trash->Release();
    WCHAR path[MAX_PATH];
    EXPECT_FALSE(SHGetPathFromIDListW(bin, path));
    ILFree(bin);
    PIDLIST_ABSOLUTE printers = Parse(u"::{2227A280-3AEA-1069-A2DE-08002B30309D}");
    IShellFolder* empty = nullptr;
    ASSERT_EQ(desktop->BindToObject(printers, nullptr, IID_IShellFolder,
                                    reinterpret_cast<void**>(&empty)),
              S_OK);
    EXPECT_TRUE(Enumerate(empty, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS).empty());
    empty->Release();
    ILFree(printers);

    // The desktop lists the special folders; Computer lists the drives.
    auto top = Enumerate(desktop, SHCONTF_FOLDERS);
    for (const char16_t* name : {u"Documents", u"Computer", u"Recycle Bin", u"Desktop"})
        EXPECT_NE(std::find(top.begin(), top.end(), name), top.end());
    EXPECT_TRUE(Enumerate(desktop, SHCONTF_NONFOLDERS).empty());
    IShellFolder* computer = Folder(u"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    auto drives = Enumerate(computer, SHCONTF_FOLDERS);
    EXPECT_NE(std::find(drives.begin(), drives.end(), u"Local Disk (C:)"), drives.end());
    PIDLIST_RELATIVE c = Child(computer, u"C:\\");
    EXPECT_EQ(Name(computer, c, SHGDN_FORPARSING), u"C:\\");
    ILFree(c);
    computer->Release();
    desktop->Release();
}

TEST_F(ShellSpecialFolderTest, PathsFromListsAndBindToParent) {
    std::filesystem::create_directories(home_ + "/Documents/Work");
    PIDLIST_ABSOLUTE docs = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &docs), S_OK);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(docs, path));
    EXPECT_EQ(std::u16string(path), win32::ToWindowsPath(home_ + "/Documents"));

    // Below a special folder, by its name.
    PIDLIST_ABSOLUTE work = Parse(u"Documents\\Work");
    ASSERT_TRUE(SHGetPathFromIDListW(work, path));
    EXPECT_EQ(std::u16string(path), win32::ToWindowsPath(home_ + "/Documents/Work"));
    EXPECT_TRUE(ILIsParent(docs, work, TRUE));

    IShellFolder* parent = nullptr;
    PCUITEMID_CHILD last = nullptr;
    ASSERT_EQ(SHBindToParent(work, IID_IShellFolder, reinterpret_cast<void**>(&parent), &last),
              S_OK);
    EXPECT_EQ(Name(parent, last, SHGDN_INFOLDER), u"Work");
    EXPECT_EQ(last, ILFindLastID(work));
    parent->Release();

    // Folders outside the desktop's list come as plain paths under Computer.
    PIDLIST_ABSOLUTE windows = nullptr;
    ASSERT_EQ(SHGetFolderLocation(nullptr, CSIDL_WINDOWS | CSIDL_FLAG_CREATE, nullptr, 0, &windows),
              S_OK);
    ASSERT_TRUE(SHGetPathFromIDListW(windows, path));
    EXPECT_EQ(win32::ToLinuxPath(path), win32::WindowsFolder());

    PIDLIST_ABSOLUTE desktop = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop), S_OK);
    EXPECT_EQ(ILGetSize(desktop), 2u);
    EXPECT_EQ(SHBindToParent(desktop, IID_IShellFolder, reinterpret_cast<void**>(&parent), &last),
              E_INVALIDARG);
    for (auto* p : {docs, work, windows, desktop})
        ILFree(p);
}
