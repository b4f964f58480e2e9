// SHFileOperationW on a real folder: copies, moves, renames and deletions,
// the answers to conflicts, and the trash with its way back.
#include "ShellTestSupport.h"

#include <win32/FileOperationSeams.h>
#include <win32/internal/shell/Trash.h>
#include <win32/winerror.h>
#include <win32/winuser.h>

class ShellFileOperationTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::filesystem::create_directories(temp_.Linux("dir"));
        std::filesystem::create_directories(temp_.Linux("dest"));
        temp_.Write("a.txt", "A");
        temp_.Write("dir/b.txt", "B");
        TestSeams::ScriptMessageBoxes({});
    }
    void TearDown() override {
        TestSeams::ScriptMessageBoxes({});
        ShellTest::TearDown();
    }

    // A double-null list of the Windows paths of names in the temp folder.
    std::u16string List(std::initializer_list<const char16_t*> names) {
        std::u16string list;
        for (const char16_t* name : names)
            list += temp_.Windows(name) + u'\0';
        return list + u'\0';
    }

    int Run(UINT func, std::initializer_list<const char16_t*> from,
            std::initializer_list<const char16_t*> to, FILEOP_FLAGS flags,
            BOOL* aborted = nullptr) {
        std::u16string source = List(from), target = List(to);
        SHFILEOPSTRUCTW op{};
        op.wFunc = func;
        op.pFrom = source.c_str();
        op.pTo = to.size() ? target.c_str() : nullptr;
        op.fFlags = flags;
        int result = SHFileOperationW(&op);
        if (aborted) *aborted = op.fAnyOperationsAborted;
        return result;
    }
};

TEST_F(ShellFileOperationTest, CopyMoveAndRename) {
    const FILEOP_FLAGS quiet = FOF_NOCONFIRMATION | FOF_NOERRORUI;
    struct Case {
        const char* what;
        UINT func;
        std::initializer_list<const char16_t*> from, to;
        FILEOP_FLAGS flags;
        int result;
        std::vector<std::string> present, absent;
    } cases[] = {
        {"file into a folder",
         FO_COPY,
         {u"a.txt"},
         {u"dest"},
         quiet,
         0,
         {"a.txt", "dest/a.txt"},
         {}},
        {"folder into a folder",
         FO_COPY,
         {u"dir"},
         {u"dest"},
         quiet,
         0,
         {"dir/b.txt", "dest/dir/b.txt"},
         {}},
        {"file moved", FO_MOVE, {u"a.txt"}, {u"dest"}, quiet, 0, {"dest/a.txt"}, {"a.txt"}},
        {"folder moved to a new name",
         FO_MOVE,
         {u"dir"},
         {u"dest\\moved"},
         quiet,
         0,
         {"dest/moved/b.txt"},
         {"dir"}},
        {"renamed", FO_RENAME, {u"a.txt"}, {u"c.txt"}, quiet, 0, {"c.txt"}, {"a.txt"}},
        {"rename onto an existing name",
         FO_RENAME,
         {u"a.txt"},
         {u"dir"},
         quiet,
         ERROR_ALREADY_EXISTS,
         {"a.txt", "dir/b.txt"},
         {}},
        {"copy onto itself",
         FO_COPY,
         {u"a.txt"},
         {u""},
         quiet,
         DE_SAMEFILE,
         {"a.txt"},
         {"a - Copy.txt"}},
        {"copy onto itself, renamed",
         FO_COPY,
         {u"a.txt"},
         {u""},
         quiet | FOF_RENAMEONCOLLISION,
         0,
         {"a.txt", "a - Copy.txt"},
         {}},
        {"folder into itself",
         FO_COPY,
         {u"dir"},
         {u"dir\\sub"},
         quiet,
         DE_DESTSUBTREE,
         {"dir/b.txt"},
         {"dir/sub"}},
        {"a missing source changes nothing",
         FO_COPY,
         {u"a.txt", u"none.txt"},
         {u"dest"},
         quiet,
         ERROR_FILE_NOT_FOUND,
         {},
         {"dest/a.txt"}},
        {"wildcards",
         FO_COPY,
         {u"dir\\*.txt", u"*.txt"},
         {u"dest"},
         quiet,
         0,
         {"dest/a.txt", "dest/b.txt"},
         {}},
        {"several into a new folder",
         FO_COPY,
         {u"a.txt", u"dir"},
         {u"new"},
         quiet,
         0,
         {"new/a.txt", "new/dir/b.txt"},
         {}},
        {"one target each",
         FO_COPY,
         {u"a.txt", u"dir\\b.txt"},
         {u"dest\\1.txt", u"dest\\2.txt"},
         quiet | FOF_MULTIDESTFILES,
         0,
         {"dest/1.txt", "dest/2.txt"},
         {}},
        {"no sources", FO_COPY, {}, {u"dest"}, quiet, DE_INVALIDFILES, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(temp_.Linux());
        std::filesystem::create_directories(temp_.Linux("dir"));
        std::filesystem::create_directories(temp_.Linux("dest"));
        temp_.Write("a.txt", "A");
        temp_.Write("dir/b.txt", "B");
        EXPECT_EQ(Run(c.func, c.from, c.to, c.flags), c.result);
        for (const std::string& name : c.present)
            EXPECT_TRUE(temp_.Exists(name)) << name;
        for (const std::string& name : c.absent)
            EXPECT_FALSE(temp_.Exists(name)) << name;
    }
    EXPECT_TRUE(TestSeams::MessageBoxes().empty());
}

TEST_F(ShellFileOperationTest, ConflictsAreAnsweredByTheUser) {
    struct Case {
        int answer;
        int result;
        BOOL aborted;
        std::string contents;
    } cases[] = {
        {IDYES, 0, FALSE, "A"},
        {IDNO, 0, TRUE, "old"},
        {IDCANCEL, ERROR_CANCELLED, TRUE, "old"},
    };
    for (const Case& c : cases) {
        temp_.Write("dest/a.txt", "old");
        TestSeams::AnswerMessageBoxes({c.answer});
        BOOL aborted = FALSE;
        EXPECT_EQ(Run(FO_COPY, {u"a.txt"}, {u"dest"}, 0, &aborted), c.result);
        EXPECT_EQ(aborted, c.aborted);
        EXPECT_EQ(temp_.Read("dest/a.txt"), c.contents);
        ASSERT_EQ(TestSeams::MessageBoxes().size(), 1u);
        EXPECT_NE(TestSeams::MessageBoxes()[0].text.find(u"a.txt"), std::u16string::npos);
    }
    // Without confirmation the copy replaces, and asks nothing.
    temp_.Write("dest/a.txt", "old");
    TestSeams::ScriptMessageBoxes({});
    EXPECT_EQ(Run(FO_COPY, {u"a.txt"}, {u"dest"}, FOF_NOCONFIRMATION), 0);
    EXPECT_EQ(temp_.Read("dest/a.txt"), "A");
    EXPECT_TRUE(TestSeams::MessageBoxes().empty());
}

TEST_F(ShellFileOperationTest, DeleteToTheTrashAndRestore) {
    TestSeams::SetShellHomeFolder(temp_.Linux("home"));
    const std::string trash = temp_.Linux("home/.local/share/Trash");

    // Asked first; "no" leaves the file.
    TestSeams::AnswerMessageBoxes({IDNO});
    BOOL aborted = FALSE;
    EXPECT_EQ(Run(FO_DELETE, {u"a.txt"}, {}, FOF_ALLOWUNDO, &aborted), ERROR_CANCELLED);
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(temp_.Exists("a.txt"));

    // Two items of one name take two slots, each with its origin.
    EXPECT_EQ(Run(FO_DELETE, {u"a.txt"}, {}, FOF_ALLOWUNDO | FOF_NOCONFIRMATION), 0);
    temp_.Write("a.txt", "second");
    EXPECT_EQ(Run(FO_DELETE, {u"a.txt", u"dir"}, {}, FOF_ALLOWUNDO | FOF_NOCONFIRMATION), 0);
    EXPECT_FALSE(temp_.Exists("a.txt"));
    EXPECT_FALSE(temp_.Exists("dir"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/a.txt"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/a.txt.2"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/dir/b.txt"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/info/a.txt.2.trashinfo"));

    std::string restored;
    EXPECT_EQ(win32::RestoreFromTrash(trash + "/files/a.txt.2", &restored), 0u);
    EXPECT_EQ(restored, temp_.Linux("a.txt"));
    EXPECT_EQ(temp_.Read("a.txt"), "second");
    EXPECT_FALSE(std::filesystem::exists(trash + "/info/a.txt.2.trashinfo"));
    // The first one cannot go back over the second.
    EXPECT_EQ(win32::RestoreFromTrash(trash + "/files/a.txt"), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/a.txt"));
    EXPECT_EQ(win32::RestoreFromTrash(trash + "/files/dir"), 0u);
    EXPECT_EQ(temp_.Read("dir/b.txt"), "B");

    // Without FOF_ALLOWUNDO the item is gone for good.
    EXPECT_EQ(Run(FO_DELETE, {u"dir"}, {}, FOF_NOCONFIRMATION), 0);
    EXPECT_FALSE(temp_.Exists("dir"));
    EXPECT_FALSE(std::filesystem::exists(trash + "/files/dir"));
}

// A long operation shows its progress (here at once) with each item named;
// Cancel stops it between two items, and the caller learns it was aborted.
TEST_F(ShellFileOperationTest, ProgressWindowNamesItemsAndCancels) {
    std::filesystem::create_directories(temp_.Linux("tree/inner"));
    for (const char* name : {"tree/1.txt", "tree/2.txt", "tree/inner/3.txt", "tree/inner/4.txt"})
        temp_.Write(name, name);
    const FILEOP_FLAGS quiet = FOF_NOCONFIRMATION | FOF_NOERRORUI;

    std::vector<TestSeams::FileProgressRecord> seen;
    bool visible = true;
    TestSeams::ScriptFileProgress([&](const TestSeams::FileProgressRecord& r) {
        seen.push_back(r);
        visible = visible && IsWindowVisible(r.window);
        return false;
    });
    EXPECT_EQ(Run(FO_COPY, {u"a.txt", u"tree"}, {u"dest"}, quiet), 0);
    EXPECT_EQ(temp_.Read("dest/tree/inner/4.txt"), "tree/inner/4.txt");
    ASSERT_GE(seen.size(), 6u) << "two items, and each entry of the folder";
    EXPECT_TRUE(visible);
    EXPECT_EQ(seen[0].caption, u"Copying...");
    EXPECT_EQ(seen[0].text, temp_.Windows(u"a.txt"));
    EXPECT_EQ(seen[0].total, 2);
    EXPECT_EQ(seen.back().done, 1);
    EXPECT_FALSE(IsWindow(seen[0].window)) << "the window goes with the operation";

    // Cancelled at the third entry of the folder: what was copied stays, the
    // rest is not copied, and the operation reports the abort.
    int steps = 0;
    TestSeams::ScriptFileProgress([&](const TestSeams::FileProgressRecord&) { return ++steps == 4; });
    BOOL aborted = FALSE;
    EXPECT_EQ(Run(FO_COPY, {u"a.txt", u"tree"}, {u"dir"}, quiet, &aborted), ERROR_CANCELLED);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(steps, 4);
    EXPECT_TRUE(std::filesystem::exists(temp_.Linux("dir/a.txt")));
    size_t copied = 0;
    for (auto& entry : std::filesystem::recursive_directory_iterator(temp_.Linux("dir/tree")))
        copied += entry.is_regular_file();
    EXPECT_LT(copied, 4u);

    // Silent operations and quick ones show nothing.
    seen.clear();
    TestSeams::ScriptFileProgress([&](const TestSeams::FileProgressRecord& r) {
        seen.push_back(r);
        return false;
    });
    EXPECT_EQ(Run(FO_DELETE, {u"dest\\a.txt"}, {}, quiet | FOF_SILENT), 0);
    EXPECT_TRUE(seen.empty());
    TestSeams::ScriptFileProgress({});
    EXPECT_EQ(Run(FO_DELETE, {u"dest\\tree"}, {}, quiet), 0);
    EXPECT_FALSE(std::filesystem::exists(temp_.Linux("dest/tree")));
}
