// SHGetFileInfoW: display and type names, attributes and icon indexes.
#include "ShellTestSupport.h"

#include "GdiTestCanvas.h"

#include <win32/commctrl.h>
#include <win32/readback.h>

#include <set>
#include <unistd.h>

class ShellFileInfoTest : public ShellTest {};

TEST_F(ShellFileInfoTest, TypeNamesAndIconIndexes) {
    std::filesystem::create_directories(temp_.Linux("folder"));
    temp_.Write("readme.txt", "x");
    temp_.Write("photo.PNG", "x");
    temp_.Write("data.xyz", "x");
    temp_.Write("plain", "x");
    struct Case {
        std::u16string name, type;
        bool folder;
    } cases[] = {
        {u"folder", u"File folder", true}, {u"readme.txt", u"Plain text document", false},
        {u"photo.PNG", u"PNG image", false}, {u"data.xyz", u"XYZ File", false},
        {u"plain", u"File", false},
    };
    std::set<int> icons;
    for (const Case& c : cases) {
        SHFILEINFOW info{};
        ASSERT_NE(SHGetFileInfoW(temp_.Windows(c.name).c_str(), 0, &info, sizeof info,
                                 SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES |
                                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON),
                  0u);
        EXPECT_EQ(std::u16string(info.szDisplayName), c.name);
        EXPECT_EQ(std::u16string(info.szTypeName), c.type);
        EXPECT_EQ((info.dwAttributes & SFGAO_FOLDER) != 0, c.folder);
        icons.insert(info.iIcon);
    }
    EXPECT_EQ(icons.size(), 4u); // folder, text, image, and plain files share one

    // Open folders have their own icon; attributes alone need no file.
    SHFILEINFOW closed{}, open{}, virtualFile{};
    SHGetFileInfoW(temp_.Windows(u"folder").c_str(), 0, &closed, sizeof closed, SHGFI_SYSICONINDEX);
    SHGetFileInfoW(temp_.Windows(u"folder").c_str(), 0, &open, sizeof open,
                   SHGFI_SYSICONINDEX | SHGFI_OPENICON);
    EXPECT_NE(closed.iIcon, open.iIcon);
    ASSERT_NE(SHGetFileInfoW(u"nowhere.txt", FILE_ATTRIBUTE_NORMAL, &virtualFile,
                             sizeof virtualFile,
                             SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME | SHGFI_SYSICONINDEX),
              0u);
    EXPECT_EQ(std::u16string(virtualFile.szTypeName), u"Plain text document");
    SHFILEINFOW missing{};
    EXPECT_EQ(SHGetFileInfoW(temp_.Windows(u"nowhere.txt").c_str(), 0, &missing, sizeof missing,
                             SHGFI_TYPENAME),
              0u);
}

TEST_F(ShellFileInfoTest, ByItemIdList) {
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    SHFILEINFOW info{};
    ASSERT_NE(SHGetFileInfoW(reinterpret_cast<LPCWSTR>(computer), 0, &info, sizeof info,
                             SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_TYPENAME),
              0u);
    EXPECT_EQ(std::u16string(info.szDisplayName), u"Computer");
    EXPECT_EQ(std::u16string(info.szTypeName), u"System Folder");
    ILFree(computer);
}

TEST_F(ShellFileInfoTest, SystemImageListsHoldTheShellsIcons) {
    std::filesystem::create_directories(temp_.Linux("folder"));
    SHFILEINFOW info{};
    auto small = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(temp_.Windows(u"folder").c_str(), 0, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    auto large = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
        temp_.Windows(u"folder").c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX));
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_NE(small, large);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
    EXPECT_EQ(cx, 16);
    ASSERT_TRUE(ImageList_GetIconSize(large, &cx, &cy));
    EXPECT_EQ(cy, 32);
    EXPECT_GT(ImageList_GetImageCount(small), info.iIcon);

    // The folder icon draws something, and leaves its transparent corner alone.
    GdiTestCanvas canvas(32, 32, RGB(255, 255, 255));
    ASSERT_TRUE(ImageList_Draw(large, info.iIcon, canvas.dc(), 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(canvas.At(31, 0), RGB(255, 255, 255));
    int painted = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            painted += canvas.At(x, y) != RGB(255, 255, 255);
    EXPECT_GT(painted, 200);

    // Links carry overlay 1 when asked for the overlay index.
    temp_.Write("target.txt", "x");
    symlink("target.txt", temp_.Linux("link.txt").c_str());
    SHFILEINFOW link{};
    SHGetFileInfoW(temp_.Windows(u"link.txt").c_str(), 0, &link, sizeof link,
                   SHGFI_SYSICONINDEX | SHGFI_OVERLAYINDEX | SHGFI_ATTRIBUTES);
    EXPECT_EQ(link.iIcon >> 24, 1);
    EXPECT_TRUE(FileIconInit(TRUE));
}

TEST_F(ShellFileInfoTest, RecycleBinIconShowsWhetherTheTrashHoldsAnything) {
    TestSeams::SetShellHomeFolder(temp_.Linux("home"));
    PIDLIST_ABSOLUTE bin = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin), S_OK);
    auto icon = [&] {
        SHFILEINFOW info{};
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(bin), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX);
        return info.iIcon;
    };
    int missing = icon();
    std::filesystem::create_directories(temp_.Linux("home/.local/share/Trash/files"));
    EXPECT_EQ(icon(), missing);
    temp_.Write("home/.local/share/Trash/files/old.txt", "x");
    EXPECT_NE(icon(), missing);
    ILFree(bin);
}

// A file type's icon is the icon theme's picture, not one of our drawings: the
// fully opaque pixels of the theme's 16-pixel text icon come out of the list.
TEST_F(ShellFileInfoTest, TypeIconsComeFromTheIconTheme) {
    const std::string themed = "/usr/share/icons/Adwaita/16x16/mimetypes/text-x-generic.png";
    HBITMAP picture = win32::LoadPngAsBitmap(themed);
    ASSERT_NE(picture, nullptr) << "the icon theme from scripts/install-deps is missing";
    GdiTestCanvas expected(16, 16);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, picture);
    BitBlt(expected.dc(), 0, 0, 16, 16, source, 0, 0, SRCCOPY);
    BITMAP info{};
    GetObjectW(picture, sizeof info, &info);
    const auto* alpha = static_cast<const uint32_t*>(info.bmBits);
    SelectObject(source, old);
    DeleteDC(source);

    temp_.Write("notes.txt", "x");
    SHFILEINFOW file{};
    auto list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(temp_.Windows(u"notes.txt").c_str(), 0, &file, sizeof file,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    ASSERT_NE(list, nullptr);
    GdiTestCanvas drawn(16, 16, RGB(255, 0, 255));
    ASSERT_TRUE(ImageList_Draw(list, file.iIcon, drawn.dc(), 0, 0, ILD_TRANSPARENT));
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t a = alpha[y * 16 + x] >> 24;
            if (a == 255) {
                ++opaque;
                EXPECT_EQ(drawn.At(x, y), expected.At(x, y)) << x << "," << y;
            } else if (a == 0) {
                EXPECT_EQ(drawn.At(x, y), RGB(255, 0, 255)) << x << "," << y;
            }
        }
    EXPECT_GT(opaque, 50);
    DeleteObject(picture);
}

// What kind of item an id names: virtual folders carry their class, drives
// are fixed drives, entries are files or folders.
TEST_F(ShellFileInfoTest, DescriptionIdsTellWhatAnItemIs) {
    std::filesystem::create_directories(temp_.Linux("folder"));
    temp_.Write("file.txt", "x");
    auto special = [](int csidl) {
        PIDLIST_ABSOLUTE pidl = nullptr;
        EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, csidl, &pidl), S_OK);
        return pidl;
    };
    const GUID computer{0x20D04FE0, 0x3AEA, 0x1069, {0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D}};
    struct Case {
        const char* what;
        PIDLIST_ABSOLUTE pidl;
        DWORD id;
        GUID clsid;
    } cases[] = {
        {"computer", special(CSIDL_DRIVES), SHDID_ROOT_REGITEM, computer},
        {"documents", special(CSIDL_PERSONAL), SHDID_FS_DIRECTORY, GUID{}},
        {"drive", Parse(u"C:\\"), SHDID_COMPUTER_FIXED, GUID{}},
        {"folder", Parse(temp_.Windows(u"folder")), SHDID_FS_DIRECTORY, GUID{}},
        {"file", Parse(temp_.Windows(u"file.txt")), SHDID_FS_FILE, GUID{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SHDESCRIPTIONID id{};
        id.dwDescriptionId = 99;
        EXPECT_EQ(SHGetDataFromIDListW(nullptr, ILFindLastID(c.pidl), SHGDFIL_DESCRIPTIONID, &id,
                                       sizeof id),
                  S_OK);
        EXPECT_EQ(id.dwDescriptionId, c.id);
        EXPECT_EQ(std::memcmp(&id.clsid, &c.clsid, sizeof(GUID)), 0);
        EXPECT_EQ(SHGetDataFromIDListW(nullptr, ILFindLastID(c.pidl), SHGDFIL_DESCRIPTIONID, &id,
                                       sizeof id - 1),
                  E_INVALIDARG);
        ILFree(c.pidl);
    }
}

// Running items: only the failures are tried, so that no application starts.
TEST_F(ShellFileInfoTest, ShellExecuteRefusesMissingItemsAndUnknownVerbs) {
    temp_.Write("readme.txt", "x");
    std::u16string missing = temp_.Windows(u"gone.txt"), present = temp_.Windows(u"readme.txt");
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(
                  ShellExecuteW(nullptr, u"open", missing.c_str(), nullptr, nullptr, SW_SHOW)),
              UINT_PTR(SE_ERR_FNF));

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpVerb = u"print";
    info.lpFile = present.c_str();
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_ASSOCIATION));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(info.hInstApp), UINT_PTR(SE_ERR_NOASSOC));

    // By id list: the list of a missing file names no path.
    PIDLIST_ABSOLUTE pidl = SHSimpleIDListFromPath(missing.c_str());
    SHELLEXECUTEINFOW byList{};
    byList.cbSize = sizeof byList;
    byList.fMask = SEE_MASK_INVOKEIDLIST;
    byList.lpIDList = pidl;
    EXPECT_FALSE(ShellExecuteExW(&byList));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(byList.hInstApp), UINT_PTR(SE_ERR_FNF));
    ILFree(pidl);
}
