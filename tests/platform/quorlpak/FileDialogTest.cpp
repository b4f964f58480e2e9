// The file dialogs: answered by the test script (names, cancel, refusals by
// the options) and driven through our own dialog window by synthetic input.
#include "QuorlpakTestSupport.h"

#include <quorlpak/Dialogs.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

// A folder of the test's own with a few files, known by both its names.
class FileDialogTest : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        posix = std::filesystem::temp_directory_path() /
                ("qdlg" + std::to_string(getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(posix / "sub");
        for (const char* name : {"present.txt", "notes.log", "sub/inside.txt"})
            std::ofstream(posix / name) << "x";
        folder = u"C:" + Utf8ToUnicode(posix.string());
        std::replace(folder.begin(), folder.end(), u'/', u'\\');
        form = ShownForm();
    }
    void TearDown() override {
        TestSeams::ScriptFileDialogs(nullptr);
        TestSeams::ScriptMessageBoxes(nullptr);
        std::filesystem::remove_all(posix);
        QuorlpakTest::TearDown();
    }
    UnicodeString In(const UnicodeString& name) const { return folder + u"\\" + name; }
    std::unique_ptr<TOpenDialog> NewOpen() {
        auto dialog = std::make_unique<TOpenDialog>(nullptr);
        dialog->SetInitialDir(folder);
        dialog->SetFilter(u"Text|*.txt|All|*.*");
        return dialog;
    }
    // The centre of a control of the dialog, on the screen.
    static POINT CenterOf(HWND Dialog, int Id) {
        HWND control = GetDlgItem(Dialog, Id);
        RECT r{};
        GetClientRect(control, &r);
        return TestSeams::ClientPoint(control, r.right / 2, r.bottom / 2);
    }

    std::filesystem::path posix;
    UnicodeString folder;
    TForm* form = nullptr;
};

TestSeams::FileDialogAnswer Interactive() {
    TestSeams::FileDialogAnswer answer;
    answer.interactive = true;
    return answer;
}

} // namespace

TEST_F(FileDialogTest, AScriptedNameIsTakenInTheDialogsFolder) {
    auto dialog = NewOpen();
    dialog->SetTitle(u"Load parameters");
    dialog->SetFilterIndex(2);
    TestSeams::AnswerFileDialogs({u"present.txt"});
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->GetFileName(), In(u"present.txt"));
    ASSERT_EQ(dialog->GetFiles()->GetCount(), 1);
    EXPECT_EQ(dialog->GetFiles()->GetStrings(0), In(u"present.txt"));

    auto records = TestSeams::FileDialogs();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FALSE(records[0].save);
    EXPECT_EQ(records[0].title, u"Load parameters");
    EXPECT_EQ(records[0].filter, u"Text|*.txt|All|*.*");
    EXPECT_EQ(records[0].filterIndex, 2);
    EXPECT_EQ(records[0].initialDir, folder);
    EXPECT_EQ(records[0].folder, folder);
    EXPECT_EQ(records[0].owner, form->GetHandle());
    EXPECT_TRUE(records[0].accepted);
    EXPECT_EQ(records[0].result, In(u"present.txt"));
    // The owner is usable again once the dialog is gone.
    EXPECT_TRUE(IsWindowEnabled(form->GetHandle()));
}

TEST_F(FileDialogTest, CancelAnswersFalseAndKeepsTheFileName) {
    auto dialog = NewOpen();
    dialog->SetFileName(u"before.txt");
    TestSeams::AnswerFileDialogs({std::nullopt});
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(dialog->GetFileName(), u"before.txt");
    // Once the answers run out, dialogs are cancelled.
    EXPECT_FALSE(dialog->Execute());
    auto records = TestSeams::FileDialogs();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_FALSE(records[0].accepted);
    EXPECT_EQ(records[0].fileName, u"before.txt");
}

TEST_F(FileDialogTest, NamesAreExpandedAsAUserTypesThem) {
    struct Case {
        const char16_t* typed;
        const char16_t* defaultExt;
        UnicodeString expected;
    };
    for (const Case& c :
         {Case{u"fresh", u"txt", In(u"fresh.txt")}, Case{u"fresh", u".cfg", In(u"fresh.cfg")},
          Case{u"fresh.dat", u"txt", In(u"fresh.dat")}, Case{u"fresh", u"", In(u"fresh")},
          Case{u"sub\\..\\fresh.txt", u"", In(u"fresh.txt")},
          Case{u"C:\\elsewhere\\x.txt", u"txt", u"C:\\elsewhere\\x.txt"},
          Case{u"/elsewhere/y", u"txt", u"C:\\elsewhere\\y.txt"}}) {
        auto dialog = std::make_unique<TSaveDialog>(nullptr);
        dialog->SetDefaultExt(c.defaultExt);
        EXPECT_EQ(dialog->ExpandName(c.typed, folder), c.expected) << UnicodeToUtf8(c.typed);
    }
}

TEST_F(FileDialogTest, FilterPairsAndPatternsMatchAsTheDialogListsThem) {
    TOpenDialog dialog(nullptr);
    dialog.SetFilter(u"Text|*.txt;*.log|Settings (*.ini)|set?.ini|All|*.*");
    auto pairs = dialog.FilterPairs();
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[1].first, u"Settings (*.ini)");
    EXPECT_EQ(pairs[1].second, u"set?.ini");
    struct Case {
        const char16_t* name;
        const char16_t* patterns;
        bool matches;
    };
    for (const Case& c :
         {Case{u"a.txt", u"*.txt;*.log", true}, Case{u"A.LOG", u"*.txt;*.log", true},
          Case{u"a.txt.bak", u"*.txt", false}, Case{u"set1.ini", u"set?.ini", true},
          Case{u"set12.ini", u"set?.ini", false}, Case{u"README", u"*.*", true},
          Case{u"abcab", u"*ab", true}, Case{u"x", u"", false}})
        EXPECT_EQ(TOpenDialog::MatchesPatterns(c.name, c.patterns), c.matches)
            << UnicodeToUtf8(c.name) << " / " << UnicodeToUtf8(c.patterns);
}

TEST_F(FileDialogTest, AFileThatMustExistIsRefusedWithAMessageAndAskedAgain) {
    auto dialog = NewOpen();
    dialog->SetOptions({ofFileMustExist});
    TestSeams::AnswerMessageBoxes({IDOK});
    TestSeams::AnswerFileDialogs({u"missing.txt", u"present.txt"});
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->GetFileName(), In(u"present.txt"));
    auto boxes = TestSeams::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(u"missing.txt"), std::u16string::npos);
    EXPECT_NE(boxes[0].text.find(u"File not found"), std::u16string::npos);
    EXPECT_EQ(TestSeams::FileDialogs().at(0).attempts, 2);
}

TEST_F(FileDialogTest, APathThatMustExistIsRefused) {
    auto dialog = NewOpen();
    dialog->SetOptions({ofPathMustExist});
    TestSeams::AnswerMessageBoxes({IDOK});
    TestSeams::AnswerFileDialogs({u"C:\\no\\such\\folder\\x.txt", std::nullopt});
    EXPECT_FALSE(dialog->Execute());
    auto boxes = TestSeams::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(u"Path does not exist"), std::u16string::npos);
    // Without the option a new file in an existing folder is fine.
    TestSeams::AnswerFileDialogs({u"new.txt"});
    EXPECT_TRUE(dialog->Execute());
}

TEST_F(FileDialogTest, SavingOverAFileAsksFirst) {
    TSaveDialog dialog(nullptr);
    dialog.SetInitialDir(folder);
    dialog.SetOptions({ofOverwritePrompt});
    TestSeams::AnswerMessageBoxes({IDNO, IDYES});
    TestSeams::AnswerFileDialogs({u"present.txt", u"present.txt"});
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.GetFileName(), In(u"present.txt"));
    auto boxes = TestSeams::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_NE(boxes[0].text.find(u"already exists"), std::u16string::npos);
    auto records = TestSeams::FileDialogs();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].save);
    EXPECT_EQ(records[0].attempts, 2);
    // A new name is not asked about.
    TestSeams::AnswerFileDialogs({u"another.txt"});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(TestSeams::MessageBoxes().size(), 2u);
}

TEST_F(FileDialogTest, OnCanCloseMayKeepTheDialogOpen) {
    auto dialog = NewOpen();
    int asked = 0;
    dialog->OnCanClose = [&](TObject* Sender, bool& CanClose) {
        ++asked;
        auto* d = static_cast<TOpenDialog*>(Sender);
        CanClose = d->GetFileName() != In(u"present.txt");
    };
    TestSeams::AnswerFileDialogs({u"present.txt", u"notes.log"});
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(dialog->GetFileName(), In(u"notes.log"));
}

TEST_F(FileDialogTest, AFolderAnsweredIsEnteredAndTheNameAskedAgain) {
    auto dialog = NewOpen();
    std::vector<std::u16string> folders;
    int calls = 0;
    TestSeams::ScriptFileDialogs([&](const TestSeams::FileDialogRecord& r) {
        folders.push_back(r.folder);
        TestSeams::FileDialogAnswer answer;
        answer.accept = true;
        answer.fileName = ++calls == 1 ? u"sub" : u"inside.txt";
        return answer;
    });
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->GetFileName(), In(u"sub\\inside.txt"));
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1], In(u"sub"));
}

TEST_F(FileDialogTest, AScriptThatIsRefusedForeverGivesUp) {
    auto dialog = NewOpen();
    dialog->SetOptions({ofFileMustExist});
    TestSeams::ScriptMessageBoxes([](const TestSeams::MessageBoxRecord&) {
        return TestSeams::MessageBoxAnswer{IDOK, 0};
    });
    TestSeams::ScriptFileDialogs([](const TestSeams::FileDialogRecord&) {
        TestSeams::FileDialogAnswer answer;
        answer.accept = true;
        answer.fileName = u"never.txt";
        return answer;
    });
    EXPECT_FALSE(dialog->Execute());
}

// --- The dialog window, driven by synthetic input --------------------------------------------

TEST_F(FileDialogTest, TypingANameAndPressingOkTakesIt) {
    auto dialog = NewOpen();
    dialog->SetDefaultExt(u"txt");
    TestSeams::ScriptFileDialogs([&](const TestSeams::FileDialogRecord& r) {
        EXPECT_TRUE(IsWindowVisible(r.dialog));
        EXPECT_FALSE(IsWindowEnabled(form->GetHandle())); // modal to its owner
        TestSeams::TypeText(u"typed");
        TestSeams::Click(CenterOf(r.dialog, IDOK));
        TestSeams::KeyPress(VK_ESCAPE); // ends the dialog should the click not have
        return Interactive();
    });
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->GetFileName(), In(u"typed.txt"));
    EXPECT_FALSE(dialog->GetOptions().Contains(ofExtensionDifferent));
}

TEST_F(FileDialogTest, TheListShowsTheFolderThroughTheChosenFilter) {
    auto dialog = NewOpen();
    std::vector<std::u16string> shown;
    TestSeams::ScriptFileDialogs([&](const TestSeams::FileDialogRecord& r) {
        HWND list = GetDlgItem(r.dialog, idFileDialogList);
        int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char16_t text[256] = {};
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            shown.push_back(text);
        }
        return TestSeams::FileDialogAnswer{};
    });
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"[..]", u"[sub]", u"present.txt"}));
}

TEST_F(FileDialogTest, DoubleClickingAFolderEntersItAndAFileTakesIt) {
    auto dialog = NewOpen();
    TestSeams::ScriptFileDialogs([&](const TestSeams::FileDialogRecord& r) {
        HWND list = GetDlgItem(r.dialog, idFileDialogList);
        // [..], [sub], present.txt: the second row is the folder.
        RECT row{};
        SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
        POINT at = TestSeams::ClientPoint(list, row.left + 5, (row.top + row.bottom) / 2);
        TestSeams::Click(at);
        TestSeams::Click(at); // a double click: no time passes between
        TestSeams::AdvanceClock(1000);
        return Interactive();
    });
    // Entering the folder relists it: the second double click goes in then.
    bool entered = false;
    dialog->OnFolderChange = [&](TObject*) {
        if (!entered && dialog->GetHandle()) {
            HWND folderEdit = GetDlgItem(dialog->GetHandle(), idFileDialogFolder);
            char16_t text[512] = {};
            GetWindowTextW(folderEdit, text, 512);
            if (std::u16string(text) == In(u"sub")) {
                entered = true;
                // In the sub-folder: [..], inside.txt — double click the file.
                HWND list = GetDlgItem(dialog->GetHandle(), idFileDialogList);
                RECT row{};
                SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
                POINT at = TestSeams::ClientPoint(list, row.left + 5, (row.top + row.bottom) / 2);
                TestSeams::Click(at);
                TestSeams::Click(at);
                TestSeams::KeyPress(VK_ESCAPE); // ends the dialog should the clicks not have
            }
        }
    };
    ASSERT_TRUE(dialog->Execute());
    EXPECT_TRUE(entered);
    EXPECT_EQ(dialog->GetFileName(), In(u"sub\\inside.txt"));
}

TEST_F(FileDialogTest, AMissingFileTypedIsRefusedAndTheDialogStaysUntilCancelled) {
    auto dialog = NewOpen();
    dialog->SetOptions({ofFileMustExist});
    // The user reads the message over the dialog, which stays open, and then
    // gives up (the box pumps what is queued: Cancel's click reaches the dialog).
    bool dialogStayed = false;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord& box) {
        HWND dialogWindow = dialog->GetHandle();
        dialogStayed = dialogWindow && IsWindowVisible(dialogWindow) && box.owner == dialogWindow;
        PostMessageW(dialogWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialogWindow, IDCANCEL)));
        return TestSeams::MessageBoxAnswer{IDOK, 0};
    });
    TestSeams::ScriptFileDialogs([&](const TestSeams::FileDialogRecord&) {
        TestSeams::TypeText(u"missing.txt");
        TestSeams::KeyPress(VK_RETURN);
        return Interactive();
    });
    EXPECT_FALSE(dialog->Execute());
    EXPECT_TRUE(dialogStayed);
    auto boxes = TestSeams::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(u"File not found"), std::u16string::npos);
    EXPECT_FALSE(TestSeams::FileDialogs().at(0).accepted);
    EXPECT_EQ(dialog->GetFileName(), u"");
}

TEST_F(FileDialogTest, ChoosingAnotherFilterRelistsTheFolder) {
    auto dialog = NewOpen();
    int count = 0;
    TestSeams::ScriptFileDialogs([&](const TestSeams::FileDialogRecord& r) {
        HWND combo = GetDlgItem(r.dialog, idFileDialogFilter);
        SendMessageW(combo, CB_SETCURSEL, 1, 0);
        SendMessageW(r.dialog, WM_COMMAND, MAKEWPARAM(idFileDialogFilter, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        count = static_cast<int>(
            SendMessageW(GetDlgItem(r.dialog, idFileDialogList), LB_GETCOUNT, 0, 0));
        return TestSeams::FileDialogAnswer{};
    });
    int typeChanges = 0;
    dialog->OnTypeChange = [&](TObject*) { ++typeChanges; };
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(count, 4); // [..], [sub], notes.log, present.txt
    EXPECT_EQ(dialog->GetFilterIndex(), 2);
    EXPECT_EQ(typeChanges, 1);
}

TEST_F(FileDialogTest, EscapeCancels) {
    auto dialog = NewOpen();
    TestSeams::ScriptFileDialogs([&](const TestSeams::FileDialogRecord&) {
        TestSeams::TypeText(u"present.txt");
        TestSeams::KeyPress(VK_ESCAPE);
        return Interactive();
    });
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(dialog->GetFileName(), u"");
}

TEST_F(FileDialogTest, ClickingAnEntryFillsInTheNameAndEnterTakesIt) {
    auto dialog = NewOpen();
    int selections = 0;
    dialog->OnSelectionChange = [&](TObject*) { ++selections; };
    TestSeams::ScriptFileDialogs([&](const TestSeams::FileDialogRecord& r) {
        HWND list = GetDlgItem(r.dialog, idFileDialogList);
        RECT row{};
        SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row)); // present.txt
        TestSeams::Click(TestSeams::ClientPoint(list, row.left + 5, (row.top + row.bottom) / 2));
        TestSeams::KeyPress(VK_RETURN);
        TestSeams::KeyPress(VK_ESCAPE); // ends the dialog should the keys not have
        return Interactive();
    });
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->GetFileName(), In(u"present.txt"));
    EXPECT_EQ(selections, 1);
}
