// Context menus of file-system items: which verbs each selection offers, and
// the verbs run by name and by command id against a real folder.
#include "ShellTestSupport.h"

#include <win32/winerror.h>
#include <win32/winuser.h>

#include <unistd.h>

class ShellContextMenuTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::filesystem::create_directories(temp_.Linux("dest"));
        temp_.Write("a.txt", "A");
        temp_.Write("b.txt", "B");
        EmptyTheClipboard();
        TestSeams::ScriptMessageBoxes({});
    }
    void TearDown() override {
        EmptyTheClipboard();
        TestSeams::ScriptMessageBoxes({});
        ShellTest::TearDown();
    }

    static void EmptyTheClipboard() {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
    }

    // The menu of some children of a folder (a path in the temp folder), or
    // with no names the folder's background menu.
    IContextMenu* Menu(const std::u16string& folderName, std::vector<std::u16string> names) {
        IShellFolder* folder = Folder(temp_.Windows(folderName));
        IContextMenu* menu = nullptr;
        if (names.empty()) {
            EXPECT_EQ(folder->CreateViewObject(nullptr, IID_IContextMenu,
                                               reinterpret_cast<void**>(&menu)),
                      S_OK);
        } else {
            std::vector<PITEMID_CHILD> children;
            for (const auto& name : names)
                children.push_back(Child(folder, name));
            std::vector<PCUITEMID_CHILD> items(children.begin(), children.end());
            EXPECT_EQ(folder->GetUIObjectOf(nullptr, UINT(items.size()), items.data(),
                                            IID_IContextMenu, nullptr,
                                            reinterpret_cast<void**>(&menu)),
                      S_OK);
            for (PITEMID_CHILD child : children)
                ILFree(child);
        }
        folder->Release();
        return menu;
    }

    // The verbs a menu shows, in order; a grayed entry is marked with '~'.
    static std::vector<std::string> Verbs(IContextMenu* menu, UINT flags) {
        HMENU popup = CreatePopupMenu();
        HRESULT hr = menu->QueryContextMenu(popup, 0, 1, 0x7FFF, flags);
        EXPECT_TRUE(SUCCEEDED(hr));
        std::vector<std::string> verbs;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            UINT id = GetMenuItemID(popup, i);
            if (id == 0 || id == UINT(-1)) continue;
            EXPECT_LT(id - 1, UINT(HRESULT_CODE(hr)));
            WCHAR verb[128] = {};
            EXPECT_EQ(menu->GetCommandString(id - 1, GCS_VERBW, nullptr,
                                             reinterpret_cast<LPSTR>(verb), 128),
                      S_OK);
            std::string text(verb, verb + std::char_traits<char16_t>::length(verb));
            if (GetMenuState(popup, i, MF_BYPOSITION) & MF_GRAYED) text = "~" + text;
            verbs.push_back(text);
        }
        DestroyMenu(popup);
        return verbs;
    }

    // Runs a verb by its name, as ExecuteContextMenuVerb does without a match.
    static HRESULT Invoke(IContextMenu* menu, const char* verb, DWORD mask = CMIC_MASK_FLAG_NO_UI) {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.fMask = mask;
        info.lpVerb = verb;
        info.nShow = SW_SHOWNORMAL;
        return menu->InvokeCommand(&info);
    }

    // Runs the entry whose verb is `verb` by its command offset, in the wide
    // record a caller on a wide platform passes.
    static HRESULT InvokeById(IContextMenu* menu, const std::string& verb) {
        HMENU popup = CreatePopupMenu();
        menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_EXPLORE);
        UINT offset = UINT(-1);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            UINT id = GetMenuItemID(popup, i);
            char name[128] = {};
            if (id && id != UINT(-1) &&
                menu->GetCommandString(id - 1, GCS_VERBA, nullptr, name, 128) == S_OK &&
                verb == name)
                offset = id - 1;
        }
        DestroyMenu(popup);
        EXPECT_NE(offset, UINT(-1)) << verb;
        CMINVOKECOMMANDINFOEX info{};
        info.cbSize = sizeof info;
        info.fMask = CMIC_MASK_UNICODE | CMIC_MASK_FLAG_NO_UI;
        info.lpVerb = reinterpret_cast<LPCSTR>(uintptr_t(offset));
        info.lpVerbW = reinterpret_cast<LPCWSTR>(uintptr_t(offset));
        info.nShow = SW_SHOWNORMAL;
        return menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
    }
};

TEST_F(ShellContextMenuTest, EachSelectionOffersItsVerbs) {
    using V = std::vector<std::string>;
    struct Case {
        const char* what;
        std::u16string folder;
        std::vector<std::u16string> names;
        UINT flags;
        V verbs;
    } cases[] = {
        {"a file",
         u"",
         {u"a.txt"},
         CMF_EXPLORE,
         V{"open", "cut", "copy", "link", "delete", "properties"}},
        {"a file that may be renamed",
         u"",
         {u"a.txt"},
         CMF_EXPLORE | CMF_CANRENAME,
         V{"open", "cut", "copy", "link", "delete", "rename", "properties"}},
        {"two files",
         u"",
         {u"a.txt", u"b.txt"},
         CMF_EXPLORE | CMF_CANRENAME,
         V{"open", "cut", "copy", "link", "delete", "properties"}},
        {"a folder, nothing to paste",
         u"",
         {u"dest"},
         CMF_EXPLORE,
         V{"open", "cut", "copy", "~paste", "link", "delete", "properties"}},
        {"the default entry only", u"", {u"a.txt"}, CMF_DEFAULTONLY, V{"open"}},
        {"a folder's background", u"dest", {}, CMF_EXPLORE, V{"~paste", "properties"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IContextMenu* menu = Menu(c.folder, c.names);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(Verbs(menu, c.flags), c.verbs);
        menu->Release();
    }
}

TEST_F(ShellContextMenuTest, CopyCutAndPasteThroughTheClipboard) {
    IContextMenu* a = Menu(u"", {u"a.txt"});
    IContextMenu* dest = Menu(u"", {u"dest"});
    IContextMenu* here = Menu(u"", {});
    ASSERT_TRUE(a && dest && here);

    EXPECT_EQ(Invoke(a, "copy"), S_OK);
    EXPECT_EQ(Verbs(dest, CMF_EXPLORE)[3], "paste"); // enabled now
    EXPECT_EQ(InvokeById(dest, "paste"), S_OK);
    EXPECT_EQ(temp_.Read("dest/a.txt"), "A");
    EXPECT_TRUE(temp_.Exists("a.txt"));
    // Pasted beside itself, a copy takes a new name.
    EXPECT_EQ(Invoke(here, "paste"), S_OK);
    EXPECT_EQ(temp_.Read("a - Copy.txt"), "A");

    IContextMenu* b = Menu(u"", {u"b.txt"});
    EXPECT_EQ(InvokeById(b, "cut"), S_OK);
    EXPECT_EQ(Invoke(dest, "PASTE"), S_OK); // verbs match in any case
    EXPECT_EQ(temp_.Read("dest/b.txt"), "B");
    EXPECT_FALSE(temp_.Exists("b.txt"));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP)); // what was cut has moved
    EXPECT_EQ(Invoke(dest, "paste"), S_FALSE);
    EXPECT_EQ(Invoke(a, "paste"), E_INVALIDARG); // a file takes nothing
    EXPECT_EQ(Invoke(a, "nonsense"), E_INVALIDARG);
    for (IContextMenu* menu : {a, b, dest, here})
        menu->Release();
}

TEST_F(ShellContextMenuTest, ShortcutsDeletionRestoreAndProperties) {
    TestSeams::SetShellHomeFolder(temp_.Linux("home"));
    IContextMenu* a = Menu(u"", {u"a.txt"});
    ASSERT_NE(a, nullptr);

    // Shortcuts are symbolic links to the item's name, beside it.
    EXPECT_EQ(Invoke(a, "link"), S_OK);
    EXPECT_EQ(Invoke(a, "link"), S_OK);
    char target[64] = {};
    ASSERT_GT(readlink(temp_.Linux("a - Shortcut.txt").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "a.txt");
    EXPECT_TRUE(temp_.Exists("a - Shortcut (2).txt"));

    // Properties show what the namespace knows, in a box of their own.
    TestSeams::AnswerMessageBoxes({IDOK});
    EXPECT_EQ(Invoke(a, "properties", 0), S_OK);
    ASSERT_EQ(TestSeams::MessageBoxes().size(), 1u);
    const std::u16string shown = TestSeams::MessageBoxes()[0].text;
    EXPECT_NE(shown.find(u"Type: Plain text document"), std::u16string::npos)
        << std::string(shown.begin(), shown.end());
    EXPECT_NE(shown.find(u"Size: 1 byte\n"), std::u16string::npos);

    // Delete goes to the recycle bin, whose menu puts the file back.
    EXPECT_EQ(Invoke(a, "delete"), S_OK);
    a->Release();
    EXPECT_FALSE(temp_.Exists("a.txt"));
    IShellFolder* bin = nullptr;
    PIDLIST_ABSOLUTE binList = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binList), S_OK);
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
    ASSERT_EQ(
        desktop->BindToObject(binList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bin)),
        S_OK);
    PITEMID_CHILD trashed = Child(bin, u"a.txt");
    PCUITEMID_CHILD one[] = {trashed};
    IContextMenu* restore = nullptr;
    ASSERT_EQ(bin->GetUIObjectOf(nullptr, 1, one, IID_IContextMenu, nullptr,
                                 reinterpret_cast<void**>(&restore)),
              S_OK);
    EXPECT_EQ(Verbs(restore, CMF_EXPLORE),
              (std::vector<std::string>{"undelete", "cut", "delete", "properties"}));
    EXPECT_EQ(Invoke(restore, "undelete"), S_OK);
    EXPECT_EQ(temp_.Read("a.txt"), "A");
    restore->Release();
    ILFree(trashed);
    ILFree(binList);
    bin->Release();
    desktop->Release();
}
