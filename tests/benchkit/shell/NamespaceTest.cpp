// TNamespace over real temporary folders.
#include "ShellUnitFixture.h"

#include <win32/shellapi.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class NamespaceTest : public ShellUnitTest {
protected:
    // The children of a folder item, made as an explorer tree makes them.
    std::vector<std::unique_ptr<TNamespace>> Children(TNamespace* folder, bool hidden = true) {
        std::vector<std::unique_ptr<TNamespace>> items;
        folder->EnumerateFolder(
            true, true, hidden,
            [&](PItemIDList pidl, TNamespace* parent, void*, bool&) {
                items.emplace_back(new TNamespace(pidl, parent));
                return true;
            },
            nullptr);
        return items;
    }
    static std::unique_ptr<TNamespace> Child(std::vector<std::unique_ptr<TNamespace>>& items,
                                             const UnicodeString& name) {
        for (auto& item : items)
            if (item && item->GetNameInFolder() == name) return std::move(item);
        return nullptr;
    }
    std::unique_ptr<TNamespace> Item(const UnicodeString& name) {
        return std::make_unique<TNamespace>(temp_.Windows(name));
    }
};

struct NameCase {
    const char* name;
    std::function<UnicodeString(TNamespace&)> get;
    bool full; // the full Windows path, else the name in its folder
};

class NamespaceNameTest : public NamespaceTest, public testing::WithParamInterface<NameCase> {};

TEST_P(NamespaceNameTest, EveryDisplayForm) {
    temp_.Write("Report.txt", "x");
    auto item = Item(u"Report.txt");
    const NameCase& c = GetParam();
    EXPECT_EQ(c.get(*item), c.full ? temp_.Windows(u"Report.txt") : UnicodeString(u"Report.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NamespaceNameTest,
    testing::Values(
        NameCase{"Normal", [](TNamespace& n) { return n.GetNameNormal(); }, false},
        NameCase{"InFolder", [](TNamespace& n) { return n.GetNameInFolder(); }, false},
        NameCase{"ParseAddress", [](TNamespace& n) { return n.GetNameParseAddress(); }, true},
        NameCase{"ParseAddressInFolder",
                 [](TNamespace& n) { return n.GetNameParseAddressInFolder(); }, false},
        NameCase{"ForParsing", [](TNamespace& n) { return n.GetNameForParsing(); }, true},
        NameCase{"ForParsingInFolder", [](TNamespace& n) { return n.GetNameForParsingInFolder(); },
                 false},
        NameCase{"ForEditing", [](TNamespace& n) { return n.GetNameForEditing(); }, false},
        NameCase{"ForEditingInFolder", [](TNamespace& n) { return n.GetNameForEditingInFolder(); },
                 false},
        NameCase{"Addressbar", [](TNamespace& n) { return n.GetNameAddressbar(); }, true},
        NameCase{"AddressbarInFolder", [](TNamespace& n) { return n.GetNameAddressbarInFolder(); },
                 false},
        NameCase{"FileName", [](TNamespace& n) { return n.GetFileName(); }, false}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

TEST_F(NamespaceTest, NamesAreCachedUntilInvalidated) {
    temp_.Write("a.txt", "x");
    auto item = Item(u"a.txt");
    EXPECT_EQ(item->GetExtension(), u".txt");
    EXPECT_EQ(item->GetNameNormal(), u"a.txt");
    EXPECT_TRUE(item->GetShellCache().ShellCacheFlags.Contains(scNormalName));
    item->InvalidateCache();
    EXPECT_FALSE(item->GetShellCache().ShellCacheFlags.Contains(scNormalName));
    EXPECT_EQ(item->GetShellCache().Data.NormalName, u"");
}

TEST_F(NamespaceTest, MissingPathRaises) {
    EXPECT_THROW(TNamespace(temp_.Windows(u"nothing-here")), EQOZInvalidFileName);
}

// ---- attributes ---------------------------------------------------------------------------------

TEST_F(NamespaceTest, FileAndFolderAttributes) {
    temp_.Write("plain.txt", "hello");
    temp_.MakeDir("dir/sub");
    auto file = Item(u"plain.txt");
    auto dir = Item(u"dir");
    EXPECT_TRUE(file->GetFileSystem());
    EXPECT_FALSE(file->GetFolder());
    EXPECT_TRUE(file->GetCanCopy());
    EXPECT_TRUE(file->GetCanMove());
    EXPECT_TRUE(file->GetCanDelete());
    EXPECT_TRUE(file->GetCanRename());
    EXPECT_TRUE(file->GetCanLink());
    EXPECT_FALSE(file->GetLink());
    EXPECT_FALSE(file->GetHidden());
    EXPECT_FALSE(file->GetReadOnly());
    EXPECT_FALSE(file->GetDirectory());
    EXPECT_TRUE(file->GetStream());

    EXPECT_TRUE(dir->GetFolder());
    EXPECT_TRUE(dir->GetDirectory());
    EXPECT_TRUE(dir->GetFileSysAncestor());
    EXPECT_TRUE(dir->GetHasSubFolder());
    EXPECT_TRUE(dir->GetSubFolders());
    EXPECT_TRUE(dir->GetSubItems());
    EXPECT_TRUE(dir->GetDropTarget());
    EXPECT_FALSE(file->GetSubItems());
    // The cached attribute survives until invalidated.
    EXPECT_TRUE(dir->GetShellCache().Data.Attributes.Contains(caFolder));
}

TEST_F(NamespaceTest, ReadOnlyHiddenAndLinks) {
    temp_.Write("locked.txt", "x");
    chmod(temp_.Linux("locked.txt").c_str(), 0444);
    temp_.Write(".secret", "x");
    temp_.MakeDir("target");
    symlink(temp_.Linux("locked.txt").c_str(), temp_.Linux("file-link").c_str());
    symlink(temp_.Linux("target").c_str(), temp_.Linux("dir-link").c_str());

    auto locked = Item(u"locked.txt");
    EXPECT_TRUE(locked->GetReadOnly());
    EXPECT_TRUE(locked->GetReadOnlyFile());
    EXPECT_NE(locked->GetAttributesString().find(u'R'), UnicodeString::npos);

    auto secret = Item(u".secret");
    EXPECT_TRUE(secret->GetHidden());
    EXPECT_TRUE(secret->GetGhosted());
    EXPECT_NE(secret->GetAttributesString().find(u'H'), UnicodeString::npos);
    EXPECT_NE(secret->ExplorerStyleAttributeStringList(false).find(u'h'), UnicodeString::npos);

    auto fileLink = Item(u"file-link");
    EXPECT_TRUE(fileLink->GetLink());
    EXPECT_FALSE(fileLink->GetFolder());
    auto dirLink = Item(u"dir-link");
    EXPECT_TRUE(dirLink->GetLink());
    EXPECT_TRUE(dirLink->GetFolder());
    chmod(temp_.Linux("locked.txt").c_str(), 0644);
}

// ---- sizes
// ---------------------------------------------------------------------------------------

struct SizeCase {
    const char* name;
    size_t bytes;
    const char16_t* size;
    const char16_t* kb;
};

class NamespaceSizeTest : public NamespaceTest, public testing::WithParamInterface<SizeCase> {};

TEST_P(NamespaceSizeTest, SizeTexts) {
    const SizeCase& c = GetParam();
    temp_.Write("f.bin", std::string(c.bytes, 'x'));
    auto item = Item(u"f.bin");
    EXPECT_EQ(item->GetSizeOfFileInt64(), static_cast<int64_t>(c.bytes));
    EXPECT_EQ(item->GetSizeOfFile(), c.size);
    EXPECT_EQ(item->GetSizeOfFileKB(), c.kb);
}

INSTANTIATE_TEST_SUITE_P(Files, NamespaceSizeTest,
                         testing::Values(SizeCase{"Empty", 0, u"0", u"1 KB"},
                                         SizeCase{"Below1K", 1023, u"1,023", u"1 KB"},
                                         SizeCase{"Exactly2K", 2048, u"2,048", u"2 KB"},
                                         SizeCase{"Grouped", 1234567, u"1,234,567", u"1,205 KB"}),
                         [](const testing::TestParamInfo<SizeCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(NamespaceTest, SparseFileBeyondFourGiB) {
    const int64_t size = (int64_t(5) << 30) + 1;
    int fd = open(temp_.Linux("huge.bin").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    if (ftruncate(fd, size) != 0) {
        close(fd);
        GTEST_SKIP() << "the file system refuses sparse files";
    }
    close(fd);
    auto item = Item(u"huge.bin");
    EXPECT_EQ(item->GetSizeOfFileInt64(), size);
    EXPECT_EQ(item->GetSizeOfFile(), u"5,368,709,121");
    EXPECT_EQ(item->GetSizeOfFileKB(), u"5,242,880 KB");
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceW(u"C:\\", &sectors, &bytes, &freeClusters, &clusters));
    int64_t cluster = int64_t(sectors) * bytes;
    ASSERT_GT(cluster, 0);
    int64_t used = (size + cluster - 1) / cluster * cluster;
    EXPECT_EQ(item->GetSizeOfFileDiskUsage(), AddCommas(IntToStrW(used)));
}

TEST_F(NamespaceTest, FoldersHaveNoFileSizeButAFolderSize) {
    temp_.MakeDir("box/inner");
    temp_.Write("box/a", std::string(100, 'a'));
    temp_.Write("box/inner/b", std::string(50, 'b'));
    auto box = Item(u"box");
    EXPECT_EQ(box->GetSizeOfFile(), u"");
    EXPECT_EQ(box->GetSizeOfFileKB(), u"");
    EXPECT_EQ(box->FolderSize(false, false), 100);
    EXPECT_EQ(box->FolderSize(false, true), 100); // cached until asked to refresh
    EXPECT_EQ(box->FolderSize(true, true), 150);
}

// ---- times
// ---------------------------------------------------------------------------------------

TEST_F(NamespaceTest, TimesComeFromTheFileSystem) {
    temp_.Write("dated.txt", "x");
    // 2021-03-04 05:06:07 UTC, seconds since 1970.
    const time_t when = 1614834367;
    timespec times[2] = {{when - 60, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, temp_.Linux("dated.txt").c_str(), times, 0), 0);
    auto item = Item(u"dated.txt");
    FILETIME write = item->GetLastWriteTimeRaw();
    uint64_t ticks = (uint64_t(write.dwHighDateTime) << 32) | write.dwLowDateTime;
    EXPECT_EQ(ticks, (uint64_t(when) + 11644473600ull) * 10000000ull);
    FILETIME access = item->GetLastAccessTimeRaw();
    uint64_t accessTicks = (uint64_t(access.dwHighDateTime) << 32) | access.dwLowDateTime;
    EXPECT_EQ(accessTicks, (uint64_t(when - 60) + 11644473600ull) * 10000000ull);
    EXPECT_EQ(item->GetLastWriteTime(), ConvertTFileTimeToLocalStr(write));
    EXPECT_FALSE(item->GetLastWriteTime().empty());
    EXPECT_DOUBLE_EQ(double(item->GetLastWriteDateTime()),
                     double(ConvertFileTimetoDateTime(write)));
    EXPECT_EQ(ConvertTFileTimeToLocalStr(FILETIME{}), u"");
    EXPECT_EQ(double(ConvertFileTimetoDateTime(FILETIME{})), 0.0);
}

// A listed item answers from what the listing read, even after the file
// changed on disk; once invalidated it asks the file system again.
TEST_F(NamespaceTest, ListedItemsKeepTheirListingUntilInvalidated) {
    temp_.Write("kept.txt", "12345");
    const time_t first = 1614834367, later = first + 3600;
    auto setTimes = [&](time_t when) {
        timespec times[2] = {{when - 60, 0}, {when, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, temp_.Linux("kept.txt").c_str(), times, 0), 0);
    };
    auto ticks = [](FILETIME t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    auto unixTicks = [](time_t when) { return (uint64_t(when) + 11644473600ull) * 10000000ull; };
    setTimes(first);
    auto folder = Item(u"");
    auto children = Children(folder.get());
    auto item = Child(children, u"kept.txt");
    ASSERT_NE(item, nullptr);

    temp_.Write("kept.txt", "1234567890");
    chmod(temp_.Linux("kept.txt").c_str(), 0444);
    setTimes(later);
    EXPECT_EQ(item->GetSizeOfFileInt64(), 5);
    EXPECT_FALSE(item->GetReadOnlyFile());
    EXPECT_EQ(ticks(item->GetLastWriteTimeRaw()), unixTicks(first));
    EXPECT_EQ(ticks(item->GetLastAccessTimeRaw()), unixTicks(first - 60));
    EXPECT_NE(ticks(item->GetCreationTimeRaw()), 0u);

    item->InvalidateNamespace();
    EXPECT_EQ(item->GetSizeOfFileInt64(), 10);
    EXPECT_TRUE(item->GetReadOnlyFile());
    EXPECT_EQ(ticks(item->GetLastWriteTimeRaw()), unixTicks(later));
    EXPECT_EQ(ticks(item->GetLastAccessTimeRaw()), unixTicks(later - 60));
    ASSERT_NE(item->GetWin32FindDataW(), nullptr);
    EXPECT_EQ(UnicodeString(item->GetWin32FindDataW()->cFileName), u"kept.txt");
}

// A name with wildcard characters is the item's own name: its times are its
// own, not those of another file the name would match as a pattern.
TEST_F(NamespaceTest, WildcardNamesHaveTheirOwnTimes) {
    temp_.Write("aXb.txt", "x");
    temp_.Write("a*b.txt", "y");
    const time_t own = 1614834367, other = own + 86400;
    timespec mine[2] = {{own, 0}, {own, 0}}, theirs[2] = {{other, 0}, {other, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, temp_.Linux("a*b.txt").c_str(), mine, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, temp_.Linux("aXb.txt").c_str(), theirs, 0), 0);
    auto folder = Item(u"");
    auto children = Children(folder.get());
    auto item = Child(children, u"a*b.txt");
    ASSERT_NE(item, nullptr);
    const uint64_t expected = (uint64_t(own) + 11644473600ull) * 10000000ull;
    for (int pass = 0; pass < 2; ++pass) {
        FILETIME access = item->GetLastAccessTimeRaw(), write = item->GetLastWriteTimeRaw();
        EXPECT_EQ((uint64_t(access.dwHighDateTime) << 32) | access.dwLowDateTime, expected);
        EXPECT_EQ((uint64_t(write.dwHighDateTime) << 32) | write.dwLowDateTime, expected);
        item->InvalidateNamespace(); // the second pass asks the file system again
    }
}

// ---- type and icons
// ------------------------------------------------------------------------------

TEST_F(NamespaceTest, TypesAndIcons) {
    temp_.Write("notes.txt", "x");
    temp_.Write("odd.xyz", "x");
    temp_.MakeDir("folder");
    auto notes = Item(u"notes.txt");
    auto odd = Item(u"odd.xyz");
    auto folder = Item(u"folder");
    EXPECT_EQ(notes->GetFileType(), u"Plain text document");
    EXPECT_EQ(odd->GetFileType(), u"XYZ File");
    EXPECT_EQ(folder->GetFileType(), u"File folder");

    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(folder->GetAbsolutePIDL()), 0, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON | SHGFI_OPENICON);
    int open = info.iIcon;
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(folder->GetAbsolutePIDL()), 0, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON);
    int closed = info.iIcon;
    ASSERT_NE(open, closed);
    EXPECT_EQ(folder->GetIconIndex(false, icLarge), closed);
    EXPECT_EQ(folder->GetIconIndex(true, icSmall), open);
    EXPECT_NE(notes->GetIconIndex(false, icSmall), closed);

    // A cached index answers whatever the size; ForceLoad asks again.
    folder->SetIconIndexByThread(99, true);
    EXPECT_EQ(folder->GetIconIndex(false, icSmall), 99);
    EXPECT_TRUE(folder->GetIconIndexChanged());
    EXPECT_TRUE(folder->GetThreadedIconLoaded());
    EXPECT_EQ(folder->GetIconIndex(false, icSmall, true), closed);

    // Invalidating without refreshing icons keeps them; with it, forgets them.
    folder->SetIconIndexByThread(77, false);
    folder->SetThreadIconLoading(true);
    folder->InvalidateNamespace(false);
    EXPECT_EQ(folder->GetShellCache().Data.SmallIcon, 77);
    EXPECT_TRUE(folder->GetThreadIconLoading());
    folder->InvalidateNamespace(true);
    EXPECT_EQ(folder->GetShellCache().Data.SmallIcon, -1);
    EXPECT_FALSE(folder->GetThreadIconLoading());
    EXPECT_FALSE(folder->GetThreadedIconLoaded());
    EXPECT_EQ(folder->GetOverlayIndex(), -1);
}

// ---- comparison and sorting ------------------------------------------------------------------

TEST_F(NamespaceTest, ComparesByColumnWithFoldersFirst) {
    temp_.Write("a.txt", std::string(10, 'x'));
    temp_.Write("b.txt", std::string(5, 'x'));
    temp_.MakeDir("z-folder");
    auto folder = Item(u"");
    auto items = Children(folder.get());
    auto a = Child(items, u"a.txt");
    auto b = Child(items, u"b.txt");
    auto z = Child(items, u"z-folder");
    ASSERT_TRUE(a && b && z);
    // Negative: the given list sorts before the item.
    EXPECT_LT(b->ComparePIDL(a->GetRelativePIDL(), false, 0), 0);
    EXPECT_GT(a->ComparePIDL(b->GetRelativePIDL(), false, 0), 0);
    EXPECT_EQ(a->ComparePIDL(a->GetAbsolutePIDL(), true, 0), 0);
    EXPECT_LT(a->ComparePIDL(b->GetRelativePIDL(), false, 1), 0); // by size: b is smaller
    EXPECT_LT(a->ComparePIDL(z->GetRelativePIDL(), false, 0), 0); // folders first
    EXPECT_EQ(a->ComparePIDL(nullptr, false, 0), -1);

    TShellSortHelper sort;
    EXPECT_LT(sort.CompareIDSort(0, a.get(), b.get()), 0);
    EXPECT_GT(sort.SortFileSize(a.get(), b.get()), 0);
    EXPECT_LT(sort.SortFileSize(z.get(), b.get()), 0);
    EXPECT_LT(sort.DiscriminateFolders(z.get(), a.get()), 0);
    EXPECT_EQ(sort.SortType(a.get(), b.get()), sort.CompareIDSort(0, a.get(), b.get()));
    sort.SetFileSort(fsFileExtension);
    EXPECT_LT(sort.SortType(a.get(), b.get()), 0);
}

// ---- enumeration -----------------------------------------------------------------------------

TEST_F(NamespaceTest, EnumerationHonoursFlagsAndTermination) {
    temp_.Write("one", "1");
    temp_.Write("two", "2");
    temp_.Write(".hidden", "h");
    temp_.MakeDir("sub");
    auto folder = Item(u"");
    struct Case {
        bool folders, nonFolders, hidden;
        int count;
    } cases[] = {{true, true, true, 4},
                 {true, true, false, 3},
                 {false, true, false, 2},
                 {true, false, true, 1},
                 {false, false, true, 0}};
    for (const Case& c : cases) {
        int seen = 0;
        int taken = folder->EnumerateFolder(
            c.folders, c.nonFolders, c.hidden,
            [&](PItemIDList pidl, TNamespace* parent, void* data, bool&) {
                EXPECT_EQ(parent, folder.get());
                EXPECT_EQ(data, &seen);
                ++seen;
                PIDLMgr->FreePIDL(pidl);
                return seen % 2 == 1; // the answer counts, not the calls
            },
            &seen);
        EXPECT_EQ(seen, c.count);
        EXPECT_EQ(taken, (c.count + 1) / 2);
    }
    int calls = 0;
    folder->EnumerateFolder(
        true, true, true,
        [&](PItemIDList pidl, TNamespace*, void*, bool& terminate) {
            PIDLMgr->FreePIDL(pidl);
            terminate = ++calls == 2;
            return true;
        },
        nullptr);
    EXPECT_EQ(calls, 2);
    auto file = Item(u"one");
    EXPECT_EQ(
        file->EnumerateFolder(
            true, true, true, [](PItemIDList, TNamespace*, void*, bool&) { return true; }, nullptr),
        0);
}

TEST_F(NamespaceTest, NamesThatAreNotUtf8SurviveTheRoundTrip) {
    const std::string raw = "caf\xe9.txt";
    temp_.Write(raw, "bytes");
    auto folder = Item(u"");
    auto items = Children(folder.get());
    ASSERT_EQ(items.size(), 1u);
    UnicodeString name = items[0]->GetNameInFolder();
    EXPECT_EQ(name, UnicodeString(u"caf\xDCE9.txt"));
    EXPECT_EQ(items[0]->GetFileName(), name);
    // The parsing name leads back to the same file.
    TNamespace again(items[0]->GetNameForParsing());
    EXPECT_EQ(again.GetSizeOfFileInt64(), 5);
    EXPECT_TRUE(PIDLMgr->EqualPIDL(again.GetAbsolutePIDL(), items[0]->GetAbsolutePIDL()));
    // And a rename to another such name lands on those bytes.
    ASSERT_TRUE(items[0]->SetNameOf(u"\xDCFFz"));
    EXPECT_TRUE(std::filesystem::exists(temp_.Linux("\xffz")));
}

// ---- lists and parents ---------------------------------------------------------------------

TEST_F(NamespaceTest, ItemWithoutParentMakesAndFreesItsOwn) {
    temp_.Write("f.txt", "x");
    auto item = Item(u"f.txt");
    EXPECT_EQ(item->GetParent(), nullptr);
    EXPECT_EQ(item->GetRelativePIDL(), PIDLMgr->GetPointerToLastID(item->GetAbsolutePIDL()));
    ASSERT_NE(item->GetParentShellFolder(), nullptr);
    ASSERT_NE(item->GetParent(), nullptr);
    EXPECT_TRUE(item->GetStates().Contains(nsOwnsParent));
    EXPECT_EQ(item->GetParent()->GetNameForParsing(), temp_.Windows());
    item->InvalidateNamespace();
    EXPECT_EQ(item->GetParent(), nullptr);
    EXPECT_EQ(item->GetNameNormal(), u"f.txt"); // makes it again
    // Destruction frees the parent: the fixture's leak check proves it.
}

TEST_F(NamespaceTest, ChildUnderAFolderOwnsParentPlusChild) {
    temp_.Write("in.txt", "x");
    auto folder = Item(u"");
    PItemIDList child = PIDLMgr->CopyLastID(Item(u"in.txt")->GetAbsolutePIDL());
    TNamespace item(child, folder.get()); // takes the child list over and frees it
    EXPECT_EQ(PIDLMgr->IDCount(item.GetAbsolutePIDL()),
              PIDLMgr->IDCount(folder->GetAbsolutePIDL()) + 1);
    EXPECT_EQ(item.GetParent(), folder.get());
    EXPECT_EQ(item.GetNameForParsing(), temp_.Windows(u"in.txt"));
    EXPECT_TRUE(item.IsParentByNamespace(folder.get(), true));
    EXPECT_TRUE(folder->IsChildByNamespace(&item, true));
    EXPECT_FALSE(item.IsChildByNamespace(folder.get(), false));

    std::unique_ptr<TNamespace> clone(item.Clone(true));
    EXPECT_TRUE(PIDLMgr->EqualPIDL(clone->GetAbsolutePIDL(), item.GetAbsolutePIDL()));
    EXPECT_NE(clone->GetAbsolutePIDL(), item.GetAbsolutePIDL());
    EXPECT_EQ(clone->GetParent(), nullptr);
    PItemIDList parsed = item.ParseDisplayName();
    EXPECT_TRUE(PIDLMgr->EqualPIDL(parsed, item.GetAbsolutePIDL()));
    PIDLMgr->FreePIDL(parsed);
}

TEST_F(NamespaceTest, ItemWithoutAListIsKnownByItsNumber) {
    TNamespace item(7, nullptr);
    EXPECT_EQ(item.GetNamespaceID(), 7);
    EXPECT_EQ(item.GetAbsolutePIDL(), nullptr);
    EXPECT_FALSE(item.GetFreePIDLOnDestroy());
    EXPECT_EQ(item.GetNameNormal(), u"");
    EXPECT_FALSE(item.GetFolder());
    EXPECT_EQ(item.GetIconIndex(false, icSmall), 0);
}

// ---- renaming and re-finding ----------------------------------------------------------------

TEST_F(NamespaceTest, RenameMovesTheFileAndTheLists) {
    temp_.Write("old.txt", "x");
    temp_.Write("taken.txt", "y");
    auto item = Item(u"old.txt");
    ASSERT_TRUE(item->SetNameOf(u"new.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp_.Linux("old.txt")));
    EXPECT_TRUE(std::filesystem::exists(temp_.Linux("new.txt")));
    item->InvalidateNamespace();
    EXPECT_EQ(item->GetNameForParsing(), temp_.Windows(u"new.txt"));
    EXPECT_EQ(item->GetRelativePIDL(), PIDLMgr->GetPointerToLastID(item->GetAbsolutePIDL()));

    // A name that is taken is refused and nothing changes.
    std::vector<uint8_t> before = PIDLBytes(*PIDLMgr, item->GetAbsolutePIDL());
    EXPECT_FALSE(item->SetNameOf(u"taken.txt"));
    EXPECT_EQ(temp_.Read("taken.txt"), "y");
    EXPECT_EQ(PIDLBytes(*PIDLMgr, item->GetAbsolutePIDL()), before);
}

TEST_F(NamespaceTest, ReFindsItselfUnderARenamedParent) {
    temp_.MakeDir("A");
    temp_.Write("A/f.txt", "x");
    auto folder = Item(u"A");
    auto items = Children(folder.get());
    auto file = Child(items, u"f.txt");
    ASSERT_TRUE(file);
    ASSERT_TRUE(folder->SetNameOf(u"B"));
    // The file's own list still names A\f.txt.
    ASSERT_TRUE(file->InvalidateRelativePIDL(true, true, true));
    EXPECT_EQ(file->GetNameForParsing(), temp_.Windows(u"B\\f.txt"));
    EXPECT_EQ(file->GetSizeOfFileInt64(), 1);
}

TEST_F(NamespaceTest, ReFindsFreshDataAfterAnOutsideRenameOntoItsName) {
    temp_.Write("f.txt", "x");
    temp_.Write("incoming", std::string(300, 'n'));
    auto folder = Item(u"");
    auto items = Children(folder.get());
    auto file = Child(items, u"f.txt");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetSizeOfFileInt64(), 1);
    std::filesystem::rename(temp_.Linux("incoming"), temp_.Linux("f.txt"));
    ASSERT_TRUE(file->InvalidateRelativePIDL(true, true, true));
    EXPECT_EQ(file->GetSizeOfFileInt64(), 300);
}

TEST_F(NamespaceTest, NothingToReFindLeavesTheListsAlone) {
    temp_.Write("gone.txt", "x");
    temp_.Write("other.txt", "x");
    auto folder = Item(u"");
    auto items = Children(folder.get());
    auto file = Child(items, u"gone.txt");
    ASSERT_TRUE(file);
    std::vector<uint8_t> before = PIDLBytes(*PIDLMgr, file->GetAbsolutePIDL());
    PItemIDList absolute = file->GetAbsolutePIDL();
    std::filesystem::rename(temp_.Linux("gone.txt"), temp_.Linux("moved.txt"));
    EXPECT_FALSE(file->InvalidateRelativePIDL(true, true, true));
    EXPECT_EQ(file->GetAbsolutePIDL(), absolute);
    EXPECT_EQ(PIDLBytes(*PIDLMgr, file->GetAbsolutePIDL()), before);
    EXPECT_EQ(file->GetRelativePIDL(), PIDLMgr->GetPointerToLastID(absolute));
}

// ---- the desktop and the special items ---------------------------------------------------------

TEST_F(NamespaceTest, DesktopItem) {
    ASSERT_NE(DesktopFolder, nullptr);
    EXPECT_TRUE(DesktopFolder->IsDesktop());
    EXPECT_EQ(DesktopFolder->GetAbsolutePIDL(), DesktopFolder->GetRelativePIDL());
    EXPECT_EQ(DesktopFolder->GetNameForParsing(), PhysicalDesktopFolder->GetNameForParsing());
    EXPECT_EQ(DesktopFolder->GetNameNormal(), u"Desktop");
    EXPECT_TRUE(DesktopFolder->GetFolder());
    EXPECT_TRUE(DesktopFolder->GetDropTarget());
    EXPECT_TRUE(RecycleBinFolder->IsRecycleBin());
    EXPECT_FALSE(DesktopFolder->IsRecycleBin());
    EXPECT_TRUE(DrivesFolder->IsMyComputer());
    EXPECT_TRUE(ControlPanelFolder->IsControlPanel());
    EXPECT_TRUE(NetworkNeighborHoodFolder->IsNetworkNeighborhood());
    EXPECT_TRUE(RecycleBinFolder->GetSubFolders()); // answered without asking the bin
    auto drives = Children(DrivesFolder);
    auto c = Child(drives, u"Local Disk (C:)");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->GetNameForParsing(), u"C:\\");
    EXPECT_FALSE(c->IsChildOfRemovableDrive());
    EXPECT_TRUE(c->IsParentByNamespace(DrivesFolder, true));
}

} // namespace
