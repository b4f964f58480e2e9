// The item id list routines over lists of real paths.
#include "ShellTestSupport.h"

#include <cstring>

namespace {
LPCSTR Ordinal(WORD ordinal) {
    return reinterpret_cast<LPCSTR>(ULONG_PTR{ordinal});
}
} // namespace

class ShellItemIdListTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::filesystem::create_directories(temp_.Linux("a/b"));
        temp_.Write("a/b/file.txt", "hello");
        temp_.Write("a/other.txt", "x");
    }
    PIDLIST_ABSOLUTE List(const std::u16string& name) {
        return ILCreateFromPathW(temp_.Windows(name).c_str());
    }
};

TEST_F(ShellItemIdListTest, FramingSizesAndWalking) {
    PIDLIST_ABSOLUTE file = List(u"a\\b\\file.txt");
    PIDLIST_ABSOLUTE folder = List(u"a\\b");
    ASSERT_NE(file, nullptr);
    ASSERT_NE(folder, nullptr);

    // Computer, the drive, then one item per path component.
    size_t depth = 0;
    for (PCUIDLIST_RELATIVE at = file; at && at->mkid.cb; at = ILGetNext(at))
        ++depth;
    size_t folderDepth = 0;
    for (PCUIDLIST_RELATIVE at = folder; at && at->mkid.cb; at = ILGetNext(at))
        ++folderDepth;
    EXPECT_EQ(depth, folderDepth + 1);

    PIDLIST_RELATIVE last = ILFindLastID(file);
    UINT sizeOfLast = last->mkid.cb;
    EXPECT_EQ(ILGetSize(file), ILGetSize(folder) + sizeOfLast);
    EXPECT_EQ(ILGetSize(nullptr), 0u);
    const BYTE* end = reinterpret_cast<const BYTE*>(file) + ILGetSize(file) - 2;
    EXPECT_EQ(end[0], 0);
    EXPECT_EQ(end[1], 0);

    PIDLIST_ABSOLUTE copy = ILClone(file);
    EXPECT_TRUE(ILIsEqual(copy, file));
    ASSERT_TRUE(ILRemoveLastID(copy));
    EXPECT_TRUE(ILIsEqual(copy, folder));
    EXPECT_EQ(ILGetSize(copy), ILGetSize(folder));

    PITEMID_CHILD first = ILCloneFirst(file);
    EXPECT_EQ(ILGetSize(first), file->mkid.cb + 2u);
    PITEMID_CHILD lastCopy = ILCloneFirst(last);
    PIDLIST_ABSOLUTE combined = ILCombine(folder, lastCopy);
    EXPECT_TRUE(ILIsEqual(combined, file));
    PIDLIST_ABSOLUTE appended = ILAppendID(ILClone(folder), &lastCopy->mkid, TRUE);
    EXPECT_TRUE(ILIsEqual(appended, file));

    PIDLIST_RELATIVE empty = ILClone(reinterpret_cast<PCUIDLIST_RELATIVE>("\0\0"));
    EXPECT_FALSE(ILRemoveLastID(empty));
    EXPECT_EQ(ILGetSize(empty), 2u);

    for (auto* p : {file, folder, copy, first, lastCopy, combined, appended, empty})
        ILFree(p);
}

TEST_F(ShellItemIdListTest, EqualityAndParentTable) {
    PIDLIST_ABSOLUTE a = List(u"a");
    PIDLIST_ABSOLUTE b = List(u"a\\b");
    PIDLIST_ABSOLUTE file = List(u"a\\b\\file.txt");
    PIDLIST_ABSOLUTE other = List(u"a\\other.txt");
    // A list made without looking at the file system names the same item.
    PIDLIST_ABSOLUTE simple = SHSimpleIDListFromPath(temp_.Windows(u"a\\b\\file.txt").c_str());
    PIDLIST_ABSOLUTE desktop = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop), S_OK);

    struct Case {
        PCIDLIST_ABSOLUTE parent, below;
        BOOL equal, parentAny, parentImmediate;
    } cases[] = {
        {a, a, TRUE, FALSE, FALSE},        {a, b, FALSE, TRUE, TRUE},
        {a, file, FALSE, TRUE, FALSE},     {b, file, FALSE, TRUE, TRUE},
        {file, b, FALSE, FALSE, FALSE},    {other, file, FALSE, FALSE, FALSE},
        {file, simple, TRUE, FALSE, FALSE}, {desktop, a, FALSE, TRUE, FALSE},
        {desktop, desktop, TRUE, FALSE, FALSE},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(ILIsEqual(c.parent, c.below), c.equal) << "case " << i;
        EXPECT_EQ(ILIsParent(c.parent, c.below, FALSE), c.parentAny) << "case " << i;
        EXPECT_EQ(ILIsParent(c.parent, c.below, TRUE), c.parentImmediate) << "case " << i;
    }
    EXPECT_FALSE(ILIsEqual(a, nullptr));
    for (auto* p : {a, b, file, other, simple, desktop})
        ILFree(p);
}

TEST_F(ShellItemIdListTest, PathOfMissingFileOnlyAsSimpleList) {
    EXPECT_EQ(List(u"a\\missing.txt"), nullptr);
    PIDLIST_ABSOLUTE simple = SHSimpleIDListFromPath(temp_.Windows(u"a\\missing.txt").c_str());
    ASSERT_NE(simple, nullptr);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(simple, path));
    EXPECT_EQ(std::u16string(path), temp_.Windows(u"a\\missing.txt"));
    ILFree(simple);
}

TEST_F(ShellItemIdListTest, ShellLibraryExportsByOrdinalAndName) {
    HMODULE shell = LoadLibraryW(u"SHELL32.DLL");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(shell, Ordinal(21))),
              reinterpret_cast<void*>(&ILIsEqual));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(shell, Ordinal(23))),
              reinterpret_cast<void*>(&ILIsParent));
    auto init = reinterpret_cast<BOOL (*)(BOOL)>(
        reinterpret_cast<void*>(GetProcAddress(shell, Ordinal(660))));
    ASSERT_NE(init, nullptr);
    EXPECT_TRUE(init(TRUE));
    EXPECT_NE(GetProcAddress(shell, Ordinal(747)), nullptr);
    for (const char* name : {"SHGetFolderPathW", "SHGetSpecialFolderPathW", "ILCreateFromPathW",
                             "SHSimpleIDListFromPath", "ILIsEqual", "SHGetPathFromIDListW",
                             "SHGetFileInfoW", "SHGetDataFromIDListW", "SHGetDesktopFolder"})
        EXPECT_NE(GetProcAddress(shell, name), nullptr) << name;
    FreeLibrary(shell);
}
