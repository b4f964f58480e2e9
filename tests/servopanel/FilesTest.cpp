// Parameter files: saving, loading with confirmation and sending.
#include "PanelFixture.h"

#include <quorlpak/UtilWindow.h>

#include <fstream>
#include <sstream>

namespace {

std::string Folder() {
    return std::getenv("WINLAYER_HOME");
}

std::u16string WindowsPath(const std::string& linuxPath) {
    std::u16string path = u"C:" + Utf8ToUnicode(linuxPath);
    for (char16_t& c : path)
        if (c == u'/') c = u'\\';
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

class FilesTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        peer = InstallDrive(1);
        CreatePanel();
        // Answers the confirmation dialog from inside its modal loop: the
        // message is posted before the dialog shows and handled by its loop.
        answerWindow = AllocateHWnd([this](TMessage& Message) {
            if (Message.Msg != WM_USER) return;
            shownName = Form1->Label2->GetCaption();
            shownComment = Form1->Label4->GetCaption();
            ++confirmations;
            Form1->SetModalResult(static_cast<TModalResult>(Message.WParam));
        });
        for (auto& entry : std::filesystem::directory_iterator(Folder()))
            if (entry.path().extension() == ".txt" || entry.path().extension() == ".bak")
                std::filesystem::remove(entry.path());
    }
    void TearDown() override {
        DeallocateHWnd(answerWindow);
        PanelTest::TearDown();
    }

    void Save(const std::string& name) {
        TestSeams::AnswerFileDialogs({WindowsPath(Folder() + "/" + name)});
        Form4->Save1Click(Form4->Save1);
    }
    // answer mrNone: no confirmation is expected.
    void Load(const std::string& name, TModalResult answer = mrYes) {
        TestSeams::AnswerFileDialogs({WindowsPath(Folder() + "/" + name)});
        if (answer != mrNone) PostMessageW(answerWindow, WM_USER, answer, 0);
        Form4->Load1Click(Form4->Load1);
    }

    std::shared_ptr<TestSeams::FakeSerialPeer> peer;
    HWND answerWindow = nullptr;
    UnicodeString shownName, shownComment;
    int confirmations = 0;
};

TEST_F(FilesTest, SavesUnderTheNameWithTxtAddedUnlessItHoldsTxt) {
    struct Case {
        const char* given;
        const char* written;
    } cases[] = {{"params", "params.txt"},
                 {"SET.TXT", "SET.TXT.txt"},
                 {"a.txt.bak", "a.txt.bak"},
                 {"b.txt", "b.txt"}};
    for (const Case& c : cases) {
        OkEveryBox();
        Save(c.given);
        EXPECT_TRUE(std::filesystem::exists(Folder() + "/" + c.written)) << c.given;
        EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"ファイルに保存しました"});
    }
    ASSERT_FALSE(TestSeams::FileDialogs().empty());
    EXPECT_EQ(TestSeams::FileDialogs().back().filter, u"Text files (*.txt)|*.TXT");
    EXPECT_TRUE(TestSeams::FileDialogs().back().save);
}

TEST_F(FilesTest, WritesTheCommentInShiftJisAndEveryValue) {
    for (int i = 0; i < 128; ++i)
        Form4->ParamTable[i] = i - 64;
    Form4->Edit91->SetText(u"テスト comment");
    Save("c.txt");
    std::string bytes = ReadFile(Folder() + "/c.txt");
    EXPECT_EQ(bytes.substr(0, 16), "\x83\x65\x83\x58\x83\x67 comment\r\n");
    EXPECT_NE(bytes.find("\r\n-64\r\n-63\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "63\r\n");
}

TEST_F(FilesTest, AnEmptyCommentIsSavedAsNoCommentAndTheFileLoadsBackIntoTheSameIndexes) {
    for (int i = 0; i < 128; ++i)
        Form4->ParamTable[i] = 1000 + i;
    Form4->Edit91->SetText(u"");
    Save("empty.txt");
    EXPECT_EQ(ReadFile(Folder() + "/empty.txt").substr(0, 14),
              "\x83\x52\x83\x81\x83\x93\x83\x67\x96\xB3\x82\xB5\r\n");

    for (int i = 0; i < 128; ++i)
        Form4->ParamTable[i] = 0;
    OkEveryBox();
    Form4->rsopen(1, 9600);
    Load("empty.txt");
    EXPECT_EQ(confirmations, 1);
    EXPECT_EQ(shownComment, u"コメント無し");
    EXPECT_EQ(shownName, WindowsPath(Folder() + "/empty.txt"));
    for (int i = 0; i < 128; ++i) {
        bool skipped = i >= 80 && i <= 106; // the drive's own, never loaded
        EXPECT_EQ(Form4->ParamTable[i], skipped ? 0 : 1000 + i) << i;
    }
    for (int i = 0; i < 64; ++i) {
        bool readOnly = i == 15 || i == 16 || i == 17 || i == 21 || i == 57;
        if (!readOnly) {
            EXPECT_EQ(drive.Param(i), 1000 + i) << i;
        }
    }
    EXPECT_EQ(Form4->Edit1->GetText(), u"1000");
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"ドライバへ転送しました。"});
}

TEST_F(FilesTest, LoadingSendsZeroToSixtyThreeThenReadsThePageBack) {
    Form4->rsopen(1, 9600);
    std::string bytes = "x\r\n";
    for (int i = 0; i < 128; ++i)
        bytes += std::to_string(i + 1) + "\r\n";
    WriteFile(Folder() + "/send.txt", bytes);
    Load("send.txt");
    std::string written = peer->Written();
    std::string expected;
    for (int i = 0; i < 64; ++i)
        expected += std::to_string(i) + "=" + std::to_string(i + 1) + "\r";
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 56})
        expected += std::to_string(i) + "\r";
    EXPECT_EQ(written, expected);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"ドライバへ転送しました。"});
}

TEST_F(FilesTest, OnlyACommentLineStillSendsTheMirror) {
    Form4->rsopen(1, 9600);
    for (int i = 0; i < 128; ++i)
        Form4->ParamTable[i] = 7;
    WriteFile(Folder() + "/only.txt", "just a comment\r\n");
    Load("only.txt");
    EXPECT_EQ(shownComment, u"just a comment");
    for (int i = 64; i < 128; ++i)
        EXPECT_EQ(Form4->ParamTable[i], 7);
    EXPECT_EQ(drive.Param(3), 7);
    EXPECT_EQ(drive.Param(63), 7);
}

TEST_F(FilesTest, CancellingTheConfirmationChangesNothing) {
    Form4->rsopen(1, 9600);
    WriteFile(Folder() + "/c.txt", "c\r\n5\r\n6\r\n");
    Form4->ParamTable[0] = 99;
    Form4->Edit1->SetText(u"99");
    Load("c.txt", mrCancel);
    EXPECT_EQ(confirmations, 1);
    EXPECT_EQ(Form4->ParamTable[0], 99);
    EXPECT_EQ(Form4->Edit1->GetText(), u"99");
    EXPECT_EQ(peer->Written(), "");
    EXPECT_TRUE(Boxes().empty());
}

// A comment of 127 bytes or more was once cut there, its rest taken as the
// first value and every parameter shifted by one.
TEST_F(FilesTest, ALongCommentDoesNotShiftTheValues) {
    std::string comment(200, 'k');
    WriteFile(Folder() + "/long.txt", comment + "\r\n11\r\n22\r\n33\r\n");
    Load("long.txt");
    EXPECT_EQ(Form4->ParamTable[0], 11);
    EXPECT_EQ(Form4->ParamTable[1], 22);
    EXPECT_EQ(Form4->ParamTable[2], 33);
    EXPECT_EQ(shownComment, UnicodeString(127, u'k'));
}

TEST_F(FilesTest, LoadingOfflineFillsThePageAndReportsTheFailedTransfer) {
    WriteFile(Folder() + "/off.txt", "c\r\n5\r\n6\r\n");
    Load("off.txt");
    EXPECT_EQ(Form4->ParamTable[0], 5);
    EXPECT_EQ(Form4->Edit2->GetText(), u"6");
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"ドライバへの転送に失敗しました"});
}

// A drive that went away once cost one message box per parameter, and then
// the load reported success.
TEST_F(FilesTest, ATransferToADriveThatIsGoneStopsAtTheFirstFailure) {
    struct Case {
        const char* name;
        void (*lose)(TestSeams::FakeSerialPeer& peer);
        std::vector<std::u16string> boxes;
    };
    const Case cases[] = {
        {"unplugged", [](TestSeams::FakeSerialPeer& peer) { peer.Unplug(); },
         {u"Timeoutの設定に失敗しました", u"ドライバへの転送に失敗しました"}},
        {"silent",
         [](TestSeams::FakeSerialPeer& peer) {
             peer.SetResponder([](const std::string&) { return std::nullopt; });
         },
         {u"ドライバへの転送に失敗しました"}},
    };
    WriteFile(Folder() + "/gone.txt", "c\r\n5\r\n6\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        peer = InstallDrive(1);
        Form4->Timer1->SetEnabled(false); // a failed send turns it back on
        Form4->rsopen(1, 9600);
        c.lose(*peer);
        OkEveryBox();
        Load("gone.txt");
        EXPECT_EQ(Boxes(), c.boxes);
        EXPECT_EQ(peer->Written().find("1="), std::string::npos); // nothing after the first
        Form4->ClosePort();
        TestSeams::RemoveFakeSerialPorts();
    }
}

TEST_F(FilesTest, ALoadedBaudCodeCountsForTheStore) {
    Form4->rsopen(1, 9600);
    std::string bytes = "c\r\n";
    for (int i = 0; i < 128; ++i)
        bytes += (i == 78 ? "1" : "0") + std::string("\r\n");
    WriteFile(Folder() + "/baud.txt", bytes);
    Load("baud.txt");
    OkEveryBox();
    Form4->Button2Click(Form4->Button2);
    EXPECT_EQ(Form4->BaudRate, 19200);
}

TEST_F(FilesTest, FailuresToOpenOrRead) {
    Load("missing.txt", mrNone);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"ファイルが開けません"});
    EXPECT_EQ(confirmations, 0);

    OkEveryBox();
    WriteFile(Folder() + "/empty.txt", "");
    Load("empty.txt", mrNone);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"読み込み失敗"});

    OkEveryBox();
    Save("no-such-folder/x.txt");
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"ファイルに保存できません、"});
    EXPECT_EQ(confirmations, 0);
}

TEST_F(FilesTest, ACancelledFileDialogEndsSilently) {
    TestSeams::AnswerFileDialogs({std::nullopt, std::nullopt});
    Form4->Save1Click(Form4->Save1);
    Form4->Load1Click(Form4->Load1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(TestSeams::FileDialogs().size(), 2u);
}
