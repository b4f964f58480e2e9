// The shell item helpers: item id lists, queries, root folders, renaming,
// column details and the context menu, over a real temporary folder.
#include "ShellCtrlsTestSupport.h"

#include <quorlpak/UtilWindow.h>
#include <quorlpak/WinControl.h>
#include <win32/shellapi.h>

#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// The folder object of a path, under the desktop folder object.
std::unique_ptr<TShellFolder> FolderOf(const UnicodeString& path) {
    PItemIDList pidl = ShellCtrlsTest::Parse(path);
    std::unique_ptr<TShellFolder> folder(CreateFolderFromPIDL(pidl));
    DisposePIDL(pidl);
    return folder;
}

// A child object of `parent` for the item named `name` in it.
std::unique_ptr<TShellFolder> ChildOf(TShellFolder* parent, const UnicodeString& name) {
    PItemIDList relative = nullptr;
    ULONG eaten = 0;
    UnicodeString text = name;
    EXPECT_EQ(parent->GetShellFolder()->ParseDisplayName(nullptr, nullptr, text.data(), &eaten,
                                                         &relative, nullptr),
              S_OK);
    InterfacePtr<IShellFolder> sf = GetIShellFolder(parent->GetShellFolder(), relative);
    auto child = std::make_unique<TShellFolder>(parent, relative, sf.Get());
    DisposePIDL(relative);
    return child;
}

} // namespace

TEST_F(ShellCtrlsTest, ItemIdListRoutines) {
    PItemIDList empty = CreatePIDL(2);
    EXPECT_EQ(GetPIDLSize(empty), 2);
    EXPECT_EQ(GetPIDLSize(nullptr), 0);
    EXPECT_EQ(GetPIDLCount(empty), 0);

    temp_.MakeDir("a/b");
    PItemIDList deep = Parse(temp_.Windows(u"a\\b"));
    int count = GetPIDLCount(deep);
    ASSERT_GE(count, 3);

    // Concatenation with nothing in front is a copy.
    PItemIDList copy = ConcatPIDLs(nullptr, deep);
    ASSERT_EQ(GetPIDLSize(copy), GetPIDLSize(deep));
    EXPECT_EQ(std::memcmp(copy, deep, GetPIDLSize(deep)), 0);
    EXPECT_TRUE(SamePIDL(copy, deep));

    // The ancestors, shortest first, the item itself not among them.
    TList* ancestors = CreatePIDLList(deep);
    ASSERT_EQ(ancestors->GetCount(), count);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(GetPIDLCount(static_cast<PItemIDList>(ancestors->GetItems(i))), i);
    PItemIDList parent = Parse(temp_.Windows(u"a"));
    EXPECT_TRUE(SamePIDL(static_cast<PItemIDList>(ancestors->GetItems(count - 1)), parent));
    DestroyPIDLList(ancestors);

    // Stripping the last item of the copy names the parent; appending it back
    // names the item again.
    StripLastID(copy);
    EXPECT_TRUE(SamePIDL(copy, parent));
    PItemIDList last = CopyPIDL(reinterpret_cast<PItemIDList>(
        reinterpret_cast<BYTE*>(deep) + GetPIDLSize(copy) - 2));
    PItemIDList joined = ConcatPIDLs(copy, last);
    EXPECT_TRUE(SamePIDL(joined, deep));

    for (PItemIDList p : {empty, deep, copy, parent, last, joined}) DisposePIDL(p);
}

TEST_F(ShellCtrlsTest, FolderObjectsKnowTheirItems) {
    temp_.MakeDir("docs/deeper/deepest");
    temp_.Write("docs/note.txt", "hello");
    std::unique_ptr<TShellFolder> docs = FolderOf(temp_.Windows(u"docs"));
    EXPECT_EQ(docs->GetParent(), ShellCtrlsDesktopFolder());
    EXPECT_EQ(docs->GetLevel(), 0);
    EXPECT_EQ(docs->PathName(), temp_.Windows(u"docs"));
    EXPECT_TRUE(docs->IsFolder());
    EXPECT_TRUE(docs->SubFolders());
    EXPECT_TRUE(GetHasSubItems(docs->GetShellFolder(), ObjectTypesToFlags({otFolders})));
    EXPECT_TRUE(docs->Properties().Contains(fpFileSystem));
    EXPECT_TRUE(docs->Properties().Contains(fpFolder));

    std::unique_ptr<TShellFolder> note = ChildOf(docs.get(), u"note.txt");
    EXPECT_EQ(note->GetShellFolder(), nullptr); // a file has no folder of its own
    EXPECT_EQ(note->GetLevel(), 1);
    EXPECT_EQ(note->DisplayName(), u"note.txt");
    EXPECT_EQ(note->PathName(), temp_.Windows(u"docs\\note.txt"));
    EXPECT_FALSE(note->IsFolder());
    EXPECT_TRUE(note->Capabilities().Contains(fcCanRename));
    EXPECT_TRUE(note->Capabilities().Contains(fcCanDelete));
    EXPECT_GE(note->ImageIndex(false), 0);

    std::unique_ptr<TShellFolder> deeper = ChildOf(docs.get(), u"deeper");
    ASSERT_NE(deeper->GetShellFolder(), nullptr);
    std::unique_ptr<TShellFolder> deepest = ChildOf(deeper.get(), u"deepest");
    EXPECT_EQ(deepest->GetLevel(), 2);

    // An empty folder has no sub-items; without a folder nothing is asked.
    EXPECT_FALSE(GetHasSubItems(deepest->GetShellFolder(), ObjectTypesToFlags({otFolders})));
    EXPECT_FALSE(GetHasSubItems(nullptr, 0x60));
    EXPECT_EQ(GetDisplayName(nullptr, note->GetRelativeID(), 0), u"parentfolder = nil");
    EXPECT_TRUE(GetProperties(nullptr, note->GetRelativeID()).Empty());
}

TEST(ShellCtrlsFlags, ObjectTypesAndNotifyFilters) {
    EXPECT_EQ(ObjectTypesToFlags({}), 0u);
    EXPECT_EQ(ObjectTypesToFlags({otFolders}), 0x20u);
    EXPECT_EQ(ObjectTypesToFlags({otNonFolders, otHidden}), 0xC0u);
    EXPECT_EQ(NotifyFiltersToFlags({nfFileNameChange, nfDirNameChange}), 0x3u);
    EXPECT_EQ(NotifyFiltersToFlags({nfWriteChange, nfSecurityChange}), 0x110u);
    EXPECT_EQ(nFolder[rfMyComputer], CSIDL_DRIVES);
    EXPECT_EQ(nFolder[rfTemplates], CSIDL_TEMPLATES);
    EXPECT_EQ(RootFolderName(rfPersonal), u"rfPersonal");
}

TEST_F(ShellCtrlsTest, RootFoldersFromNamesAndPaths) {
    struct Case {
        UnicodeString root, expectedRoot;
        int csidl; // -1: compare with the parsed path instead
        UnicodeString path;
    } cases[] = {
        {u"", u"rfDesktop", CSIDL_DESKTOP, u""},
        {u"rfMyComputer", u"rfMyComputer", CSIDL_DRIVES, u""},
        {u"RFPERSONAL", u"RFPERSONAL", CSIDL_PERSONAL, u""},
        {u"C:", u"C:", -1, u"C:\\"},
        {temp_.Windows(), temp_.Windows(), -1, temp_.Windows()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(UnicodeToUtf8(c.root));
        UnicodeString root = c.root;
        TShellFolder* folder = CreateRootFolder(nullptr, u"rfDesktop", root);
        EXPECT_EQ(root, c.expectedRoot);
        PItemIDList expected = nullptr;
        if (c.csidl >= 0)
            ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, c.csidl, &expected), S_OK);
        else
            expected = Parse(c.path);
        EXPECT_TRUE(SamePIDL(folder->GetAbsoluteID(), expected));
        DisposePIDL(expected);
        delete folder;
    }

    // A word that is neither: the call raises and the root text goes back.
    UnicodeString root = u"rfDesktop";
    TShellFolder* old = CreateRootFolder(nullptr, u"", root);
    UnicodeString bad = u"nowhere at all";
    EXPECT_THROW(CreateRootFolder(old, u"rfDesktop", bad), Exception);
    EXPECT_EQ(bad, u"rfDesktop");
    EXPECT_NE(old->GetAbsoluteID(), nullptr); // the old folder was not freed
    delete old;
}

TEST_F(ShellCtrlsTest, RenameRebuildsTheAbsoluteIdFromTheParent) {
    temp_.MakeDir("box");
    temp_.Write("box/old.txt", "x");
    std::unique_ptr<TShellFolder> box = FolderOf(temp_.Windows(u"box"));
    std::unique_ptr<TShellFolder> item = ChildOf(box.get(), u"old.txt");

    ASSERT_TRUE(item->Rename(u"new.txt"));
    EXPECT_TRUE(std::filesystem::exists(temp_.Linux("box/new.txt")));
    EXPECT_EQ(item->DisplayName(), u"new.txt");
    // The absolute id names the renamed file where it is, not a child of the desktop.
    PItemIDList expected = Parse(temp_.Windows(u"box\\new.txt"));
    EXPECT_TRUE(SamePIDL(item->GetAbsoluteID(), expected));
    EXPECT_EQ(item->PathName(), temp_.Windows(u"box\\new.txt"));
    DisposePIDL(expected);

    // The shell refuses a name that is taken: the call raises, nothing moves.
    temp_.Write("box/taken.txt", "y");
    EXPECT_THROW(item->Rename(u"taken.txt"), Exception);
    EXPECT_EQ(temp_.Read("box/taken.txt"), "y");
    EXPECT_EQ(item->DisplayName(), u"new.txt");

    // An item without the rename capability answers false and stays as it is.
    PItemIDList computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    std::unique_ptr<TShellFolder> drives(CreateFolderFromPIDL(computer));
    DisposePIDL(computer);
    ASSERT_FALSE(drives->Capabilities().Contains(fcCanRename));
    UnicodeString before = drives->DisplayName();
    EXPECT_FALSE(drives->Rename(u"Elsewhere"));
    EXPECT_EQ(drives->DisplayName(), before);
}

TEST_F(ShellCtrlsTest, ColumnDetailsFromTheFolder) {
    temp_.MakeDir("cols");
    temp_.Write("cols/data.txt", "12345");
    std::unique_ptr<TShellFolder> cols = FolderOf(temp_.Windows(u"cols"));
    std::unique_ptr<TShellFolder> item = ChildOf(cols.get(), u"data.txt");
    EXPECT_THROW(item->GetDetails(1), Exception); // not loaded yet
    ASSERT_NE(cols->GetDetailInterface(), nullptr);

    item->LoadColumnDetails(cols.get(), nullptr, 3);
    ASSERT_EQ(item->DetailCount(), 3);
    EXPECT_FALSE(item->GetDetails(1).empty()); // size
    EXPECT_FALSE(item->GetDetails(2).empty()); // type

    // Enough texts held: a second load keeps them.
    item->SetDetails(3, u"mine"); // the last column is replaced, not pushed on
    EXPECT_EQ(item->DetailCount(), 3);
    item->LoadColumnDetails(cols.get(), nullptr, 3);
    EXPECT_EQ(item->GetDetails(3), u"mine");
    // Setting the column past the last adds it.
    item->SetDetails(4, u"more");
    EXPECT_EQ(item->DetailCount(), 4);
    EXPECT_EQ(item->GetDetails(4), u"more");
}

// Without a details interface the file system's find data are read: sizes
// above 4 GiB in full, -1 for a folder; a vanished item raises.
TEST_F(ShellCtrlsTest, ColumnDetailsFromFindData) {
    temp_.MakeDir("big/sub");
    int fd = open(temp_.Linux("big/huge.bin").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 5LL << 30), 0); // sparse: no disk space used
    close(fd);

    std::unique_ptr<TShellFolder> real = FolderOf(temp_.Windows(u"big"));
    // The same folder without an IShellFolder of its own offers no details
    // interface, so its items fall back to the find data.
    TShellFolder bare(nullptr, real->GetRelativeID(), nullptr);
    ASSERT_EQ(bare.GetDetailInterface(), nullptr);
    std::unique_ptr<TShellFolder> huge = ChildOf(real.get(), u"huge.bin");
    std::unique_ptr<TShellFolder> sub = ChildOf(real.get(), u"sub");

    huge->LoadColumnDetails(&bare, nullptr, 4);
    ASSERT_EQ(huge->DetailCount(), 4);
    EXPECT_EQ(huge->GetDetails(1), u"5368709120");
    EXPECT_EQ(huge->GetDetails(2), u".bin");
    EXPECT_EQ(huge->GetDetails(4), IntToStr(FILE_ATTRIBUTE_NORMAL));
    sub->LoadColumnDetails(&bare, nullptr, 4);
    EXPECT_EQ(sub->GetDetails(1), u"-1");

    std::filesystem::remove(temp_.Linux("big/huge.bin"));
    std::unique_ptr<TShellFolder> gone = ChildOf(real.get(), u"sub");
    std::filesystem::remove(temp_.Linux("big/sub"));
    EXPECT_THROW(gone->LoadColumnDetails(&bare, nullptr, 4), EInvalidPath);
}

namespace {

// A control that can take over context-menu verbs.
class VerbOwner : public TWinControl, public IShellCommandVerb {
public:
    explicit VerbOwner(HWND host) : TWinControl(nullptr) {
        SetParentWindow(host);
        HandleNeeded();
    }
    void ExecuteCommand(const UnicodeString& Verb, bool& Handled) override {
        offered.push_back(Verb);
        Handled = SameText(Verb, u"rename");
    }
    void CommandCompleted(const UnicodeString& Verb, bool Succeeded) override {
        completed.push_back(Verb + (Succeeded ? u":ok" : u":failed"));
    }
    std::vector<UnicodeString> offered, completed;
};

// Chooses the menu entry whose text is `text`.
void ChooseMenuEntry(const UnicodeString& text) {
    TestSeams::ScriptPopupMenus([text](const TestSeams::PopupMenuRecord& record) {
        TestSeams::PopupMenuAnswer answer;
        for (int i = 0; i < GetMenuItemCount(record.menu); ++i) {
            WCHAR caption[64] = {};
            GetMenuStringW(record.menu, i, caption, 64, MF_BYPOSITION);
            if (text == caption) answer.command = GetMenuItemID(record.menu, i);
        }
        return answer;
    });
}

} // namespace

TEST_F(ShellCtrlsTest, ContextMenuOffersTheVerbToItsOwnerFirst) {
    temp_.MakeDir("menu");
    temp_.Write("menu/item.txt", "x");
    std::unique_ptr<TShellFolder> menu = FolderOf(temp_.Windows(u"menu"));
    std::unique_ptr<TShellFolder> item = ChildOf(menu.get(), u"item.txt");
    HWND host = AllocateHWnd([](TMessage&) {});
    {
        VerbOwner owner(host);
        // The owner renames by itself: the shell's own command does not run.
        ChooseMenuEntry(u"Rena&me");
        InvokeContextMenu(&owner, item.get(), 5, 5);
        EXPECT_EQ(owner.offered, std::vector<UnicodeString>{u"rename"});
        EXPECT_EQ(owner.completed, std::vector<UnicodeString>{u"rename:ok"});
        EXPECT_EQ(ShellCtrlsContextMenu(), nullptr);

        // A verb the owner leaves alone runs in the shell.
        ChooseMenuEntry(u"&Copy");
        InvokeContextMenu(&owner, item.get(), 5, 5);
        EXPECT_EQ(owner.completed.back(), u"copy:ok");
        ASSERT_TRUE(OpenClipboard(nullptr));
        EXPECT_NE(GetClipboardData(CF_HDROP), nullptr);
        CloseClipboard();

        // Nothing chosen: nothing offered.
        TestSeams::ScriptPopupMenus([](const TestSeams::PopupMenuRecord&) {
            return TestSeams::PopupMenuAnswer{};
        });
        InvokeContextMenu(&owner, item.get(), 5, 5);
        EXPECT_EQ(owner.offered.size(), 2u);
        TestSeams::ScriptPopupMenus(nullptr);
    }
    DeallocateHWnd(host);
}

namespace {

// A folder whose every question fails.
struct FailingFolder : IShellFolder {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) noexcept override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 1; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*,
                                               ULONG*) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                           void**) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                            void**) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE,
                                         PCUIDLIST_RELATIVE) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY,
                                              SFGAOF*) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*,
                                            void**) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF,
                                               STRRET*) noexcept override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF,
                                        PITEMID_CHILD*) noexcept override {
        return E_FAIL;
    }
};

} // namespace

// A folder that cannot answer grants nothing: no capabilities, properties,
// name or sub-items, rather than everything that was asked about.
TEST_F(ShellCtrlsTest, AFailingFolderAnswersNothing) {
    FailingFolder folder;
    PItemIDList item = Parse(temp_.Windows());
    EXPECT_TRUE(GetCaps(&folder, item).Empty());
    EXPECT_TRUE(GetProperties(&folder, item).Empty());
    EXPECT_FALSE(GetIsFolder(&folder, item));
    EXPECT_EQ(GetDisplayName(&folder, item, 0), u"");
    EXPECT_FALSE(GetHasSubItems(&folder, 0x60));
    DisposePIDL(item);
}
