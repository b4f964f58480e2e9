// SHGetFileInfoW: display and type names, attributes and icon indexes.
#include "ShellTestSupport.h"

#include <set>

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
        {u"folder", u"File folder", true}, {u"readme.txt", u"Text Document", false},
        {u"photo.PNG", u"PNG Image", false}, {u"data.xyz", u"XYZ File", false},
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
    EXPECT_EQ(std::u16string(virtualFile.szTypeName), u"Text Document");
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
