// Shell links (symbolic links here) through TVirtualShellLink and
// CreateShellLink, and the interfaces a shell item hands out: icons,
// overlays and info tips from the namespace, nil for what it does not offer.
#include "ShellUnitFixture.h"

#include <win32/shellapi.h>
#include <win32/winuser.h>

#include <filesystem>
#include <unistd.h>

namespace {

class ShellLinkTest : public ShellUnitTest {
protected:
    void SetUp() override {
        ShellUnitTest::SetUp();
        temp_.Write("notes.txt", "12345");
        temp_.MakeDir("box");
    }
    void TearDown() override {
        TestSeams::ScriptMessageBoxes({});
        ShellUnitTest::TearDown();
    }
    std::string LinkTarget(const std::string& name) {
        return std::filesystem::read_symlink(temp_.Linux(name)).string();
    }
};

TEST_F(ShellLinkTest, CreateAndReadLinks) {
    EXPECT_TRUE(CreateShellLink(temp_.Windows(u"notes - Shortcut.txt"), temp_.Windows(u"notes.txt"),
                                u"--flag", temp_.Windows(u"box"), u"My notes", swMaximize,
                                u'N', THotKeyModifiers() << hkmControl << hkmAlt));
    EXPECT_EQ(LinkTarget("notes - Shortcut.txt"), temp_.Linux("notes.txt"));

    TVirtualShellLink link(nullptr);
    ASSERT_TRUE(link.ReadLink(temp_.Windows(u"notes - Shortcut.txt")));
    EXPECT_EQ(link.FileName, temp_.Windows(u"notes - Shortcut.txt"));
    EXPECT_EQ(link.TargetPath, temp_.Windows(u"notes.txt"));
    ASSERT_NE(link.GetTargetIDList(), nullptr);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(link.GetTargetIDList(), path));
    EXPECT_EQ(UnicodeString(path), temp_.Windows(u"notes.txt"));
    // A symbolic link keeps its target only.
    EXPECT_EQ(link.Arguments, u"");
    EXPECT_EQ(link.ShowCmd, swShowNormal);

    // What the shell's "Create shortcut" made reads the same way.
    auto notes = std::make_unique<TNamespace>(temp_.Windows(u"notes.txt"));
    ASSERT_TRUE(notes->ExecuteContextMenuVerb(u"link", {notes->GetRelativePIDL()}));
    ASSERT_TRUE(notes->GetShellLink()->ReadLink(temp_.Windows(u"notes - Shortcut (2).txt")));
    EXPECT_EQ(notes->GetShellLink()->TargetPath, temp_.Windows(u"notes.txt"));

    // A plain file is no link: the read fails and forgets the name.
    EXPECT_FALSE(link.ReadLink(temp_.Windows(u"notes.txt")));
    EXPECT_EQ(link.FileName, u"");
    EXPECT_FALSE(link.ReadLink(temp_.Windows(u"missing.lnk")));
}

// A link is written only where it replaces nothing but an older link; a
// failed write answers false.
TEST_F(ShellLinkTest, WritesThatCannotHappenAnswerFalse) {
    temp_.Write("taken.txt", "precious");
    EXPECT_FALSE(CreateShellLink(temp_.Windows(u"taken.txt"), temp_.Windows(u"notes.txt")));
    EXPECT_EQ(temp_.Read("taken.txt"), "precious");
    EXPECT_FALSE(CreateShellLink(temp_.Windows(u"no such folder\\x.lnk"), temp_.Windows(u"notes.txt")));

    // An older link is replaced.
    ASSERT_EQ(symlink("box", temp_.Linux("again").c_str()), 0);
    EXPECT_TRUE(CreateShellLink(temp_.Windows(u"again"), temp_.Windows(u"notes.txt")));
    EXPECT_EQ(LinkTarget("again"), temp_.Linux("notes.txt"));

    // Without a target the link says so, unless asked to be silent.
    TestSeams::AnswerMessageBoxes({IDOK});
    TVirtualShellLink empty(nullptr);
    EXPECT_FALSE(empty.WriteLink(temp_.Windows(u"empty.lnk")));
    ASSERT_EQ(TestSeams::MessageBoxes().size(), 1u);
    EXPECT_EQ(TestSeams::MessageBoxes()[0].text, u"No target application defined");
    EXPECT_EQ(TestSeams::MessageBoxes()[0].caption, u"Error");
    empty.SilentWrite = true;
    EXPECT_FALSE(empty.WriteLink(temp_.Windows(u"empty.lnk")));
    EXPECT_EQ(TestSeams::MessageBoxes().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(temp_.Linux("empty.lnk")));
}

TEST_F(ShellLinkTest, InterfacesOfAnItem) {
    ASSERT_EQ(symlink("notes.txt", temp_.Linux("link.txt").c_str()), 0);
    auto folder = std::make_unique<TNamespace>(temp_.Windows());
    std::vector<std::unique_ptr<TNamespace>> items;
    folder->EnumerateFolder(true, true, true,
                            [&](PItemIDList pidl, TNamespace* parent, void*, bool&) {
                                items.emplace_back(new TNamespace(pidl, parent));
                                return true;
                            },
                            nullptr);
    auto find = [&](const UnicodeString& name) -> TNamespace* {
        for (auto& item : items)
            if (item->GetNameInFolder() == name) return item.get();
        return nullptr;
    };
    TNamespace* notes = find(u"notes.txt");
    TNamespace* link = find(u"link.txt");
    TNamespace* box = find(u"box");
    ASSERT_TRUE(notes && link && box);

    // Icons come from the folder's icon interface, and agree with the system's lookup.
    ASSERT_NE(notes->GetShellIconInterface(), nullptr);
    SHFILEINFOW info{};
    ASSERT_TRUE(SHGetFileInfoW(reinterpret_cast<LPCWSTR>(notes->GetAbsolutePIDL()), 0, &info,
                               sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    EXPECT_EQ(notes->GetIconIndex(false, icSmall), info.iIcon);
    EXPECT_NE(box->GetIconIndex(true, icSmall), box->GetIconIndex(false, icSmall))
        << "an open folder has its own icon";

    // Overlays are asked of the folder: the link arrow for links only.
    EXPECT_EQ(notes->GetOverlayIndex(), -1);
    EXPECT_EQ(notes->GetOverlayIconIndex(), -1);
    EXPECT_EQ(link->GetOverlayIndex(), 1);
    EXPECT_GE(link->GetOverlayIconIndex(), 0);

    // Info tips say what the details columns say.
    const UnicodeString tip = notes->GetInfoTip();
    EXPECT_NE(tip.find(u"Type: "), UnicodeString::npos) << UnicodeToUtf8(tip);
    EXPECT_NE(tip.find(u"Size: 1 KB"), UnicodeString::npos) << UnicodeToUtf8(tip);
    EXPECT_EQ(box->GetInfoTip().find(u"Size: "), UnicodeString::npos);

    // What the namespace does not offer is nil, and stays so after a refresh.
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(notes->GetDropTargetInterface(), nullptr);
        EXPECT_EQ(box->GetBrowserFrameOptionsInterface(), nullptr);
        EXPECT_EQ(box->GetQueryAssociationsInterface(), nullptr);
        EXPECT_EQ(box->GetCategoryProviderInterface(), nullptr);
        EXPECT_FALSE(box->GetCategoryAlphabetical());
        EXPECT_FALSE(notes->GetExtractIconWInterface());
        EXPECT_FALSE(notes->DataObjectInterface());
        EXPECT_EQ(notes->GetExtractImage()->GetImagePath(), u"");
        EXPECT_EQ(notes->GetExtractImage()->GetImage(), nullptr);
        EXPECT_FALSE(notes->GetExtractImage()->GetPathExtracted());
        notes->InvalidateNamespace();
        box->InvalidateNamespace();
    }
    EXPECT_NE(notes->GetInfoTip(), u"");
}

} // namespace
