// TNamespace's operations on the shell over a real temporary folder: verb
// operations through the shell's context menus, their sibling rule, drop
// effects, details columns and the unit's routines.
#include "ShellUnitFixture.h"

#include <win32/winuser.h>

#include <filesystem>

namespace {

class NamespaceOperationsTest : public ShellUnitTest {
protected:
    void SetUp() override {
        ShellUnitTest::SetUp();
        TestSeams::ScriptMessageBoxes({});
        temp_.Write("a.txt", "A");
        temp_.MakeDir("dest");
        std::filesystem::create_directories(temp_.Linux("other"));
        temp_.Write("other/b.txt", "B");
    }
    void TearDown() override {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        TestSeams::ScriptMessageBoxes({});
        ShellUnitTest::TearDown();
    }
    std::unique_ptr<TNamespace> Item(const UnicodeString& name) {
        return std::make_unique<TNamespace>(temp_.Windows(name));
    }
};

TEST_F(NamespaceOperationsTest, VerbsRunThroughTheShellsMenus) {
    auto a = Item(u"a.txt");
    auto dest = Item(u"dest");
    EXPECT_TRUE(a->Copy({a.get()}));
    EXPECT_TRUE(dest->Paste({dest.get()}));
    EXPECT_EQ(temp_.Read("dest/a.txt"), "A");

    // By name, a verb the menu shows runs by its command; one it does not is refused.
    TPIDLArray one{a->GetRelativePIDL()};
    EXPECT_TRUE(a->ExecuteContextMenuVerb(u"LINK", one));
    EXPECT_TRUE(std::filesystem::is_symlink(temp_.Linux("a - Shortcut.txt")));
    EXPECT_FALSE(a->ExecuteContextMenuVerb(u"no such verb", one));

    TestSeams::SetShellHomeFolder(temp_.Linux("home"));
    TestSeams::AnswerMessageBoxes({IDYES});
    EXPECT_TRUE(a->Delete({a.get()}));
    EXPECT_FALSE(std::filesystem::exists(temp_.Linux("a.txt")));
    EXPECT_TRUE(std::filesystem::exists(temp_.Linux("home/.local/share/Trash/files/a.txt")));
    TestSeams::SetShellHomeFolder("");
}

TEST_F(NamespaceOperationsTest, OperationsNeedSiblings) {
    auto a = Item(u"a.txt");
    auto b = Item(u"other\\b.txt");
    TestSeams::AnswerMessageBoxes({IDOK});
    EXPECT_FALSE(a->Delete({b.get()}));
    ASSERT_EQ(TestSeams::MessageBoxes().size(), 1u);
    EXPECT_EQ(TestSeams::MessageBoxes()[0].text,
              u"PIDLs to operate on are not siblings of the Namespace doing the operation.");
    EXPECT_TRUE(std::filesystem::exists(temp_.Linux("other/b.txt")));

    // The desktop says nothing; only the desktop itself is its own sibling.
    TestSeams::ScriptMessageBoxes({});
    EXPECT_FALSE(DesktopFolder->Delete({b.get()}));
    EXPECT_TRUE(TestSeams::MessageBoxes().empty());
    EXPECT_TRUE(DesktopFolder->VerifyPIDLRelationship({DesktopFolder}));
    EXPECT_FALSE(a->CanDeleteAll({}));
    EXPECT_TRUE(a->CanCopyAll({a.get(), b.get()}));
}

TEST_F(NamespaceOperationsTest, DragEffectFollowsTheKeys) {
    auto a = Item(u"a.txt");
    struct Case {
        int keys, effect;
    } cases[] = {
        {0, DROPEFFECT_MOVE},
        {MK_CONTROL, DROPEFFECT_COPY},
        {MK_CONTROL | MK_SHIFT, DROPEFFECT_LINK},
        {MK_SHIFT, DROPEFFECT_MOVE}, // none is wished, and move is allowed
    };
    for (const Case& c : cases)
        EXPECT_EQ(a->DragEffect(c.keys), c.effect) << c.keys;
}

TEST_F(NamespaceOperationsTest, DetailsColumnsOfAFolder) {
    auto folder = std::make_unique<TNamespace>(temp_.Windows());
    auto a = Item(u"a.txt");
    ASSERT_EQ(folder->DetailsSupportedColumns(), 4);
    EXPECT_TRUE(folder->DetailsValidIndex(3));
    EXPECT_FALSE(folder->DetailsValidIndex(4));
    // A date column is a date, not also text: the type is a value.
    struct Case {
        int column;
        TSHColumnStates states;
    } cases[] = {
        {0, TSHColumnStates() << csTypeString << csOnByDefault},
        {1, TSHColumnStates() << csTypeInt << csOnByDefault},
        {3, TSHColumnStates() << csTypeDate << csOnByDefault},
        {7, TSHColumnStates()},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(folder->DetailsGetDefaultColumnState(c.column) == c.states) << c.column;
    EXPECT_EQ(folder->DetailsSupportedVisibleColumns(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(folder->DetailsColumnTitle(0), u"Name");
    EXPECT_EQ(a->DetailsOf(0), u"a.txt");
    EXPECT_EQ(a->DetailsOf(2), u"Plain text document");
    EXPECT_EQ(a->DetailsOf(9), u"");
}

TEST_F(NamespaceOperationsTest, UnitRoutines) {
    // A shown time parses back to the same moment.
    FILETIME written{0x2A3B0000, 0x01DA1234};
    UnicodeString shown = ConvertTFileTimeToLocalStr(written);
    FILETIME parsed{};
    ASSERT_TRUE(ConvertLocalStrToTFileTime(shown, parsed));
    EXPECT_EQ(ConvertTFileTimeToLocalStr(parsed), shown);
    uint64_t a = uint64_t(written.dwHighDateTime) << 32 | written.dwLowDateTime;
    uint64_t b = uint64_t(parsed.dwHighDateTime) << 32 | parsed.dwLowDateTime;
    EXPECT_LT(a > b ? a - b : b - a, 10000000u * 60); // the display shows no finer than seconds
    EXPECT_FALSE(ConvertLocalStrToTFileTime(u"not a time", parsed));

    EXPECT_EQ(DefaultSystemImageIndex(diLink), 29);
    EXPECT_NE(DefaultSystemImageIndex(diNormalFolder), DefaultSystemImageIndex(diOpenFolder));
    EXPECT_EQ(HotKeyModifiersToStr(THotKeyModifiers() << hkmShift << hkmAlt), u" Alt Shift");
    EXPECT_EQ(RectWidth(RECT{2, 3, 12, 8}), 10);
    EXPECT_EQ(RectHeight(RECT{2, 3, 12, 8}), 5);
    PItemIDList pidl = PathToPIDL(temp_.Windows(u"a.txt"));
    EXPECT_EQ(PIDLToPath(pidl), temp_.Windows(u"a.txt"));
    PIDLMgr->FreePIDL(pidl);
}

} // namespace

namespace {

TEST_F(NamespaceOperationsTest, DescriptionAndClassOfItems) {
    auto a = Item(u"a.txt");
    auto dest = Item(u"dest");
    EXPECT_EQ(a->GetDescription(), odFile);
    EXPECT_EQ(dest->GetDescription(), odDirectory);
    EXPECT_EQ(DrivesFolder->GetDescription(), odRootRegistered);
    const GUID computer{
        0x20D04FE0, 0x3AEA, 0x1069, {0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D}};
    GUID clsid = DrivesFolder->GetCLSID();
    EXPECT_EQ(std::memcmp(&clsid, &computer, sizeof clsid), 0);
    clsid = a->GetCLSID();
    EXPECT_EQ(std::memcmp(&clsid, &GUID_NULL, sizeof clsid), 0);
}

} // namespace
