// The port layer of the panel: opening, sending, the reply read and its
// time-out, the port list, and what each failure does.
#include "PanelFixture.h"

#include <runpak/Registry.h>
#include <runpak/Strings.h>

#include <algorithm>

using TestSeams::SerialCall;

TEST(PortName, ShortNamesBelowTenDeviceNamesFromTenOn) {
    struct Case {
        int port;
        const char16_t* name;
    } cases[] = {{1, u"COM1"},
                 {9, u"COM9"},
                 {10, u"\\\\.\\COM10"},
                 {99, u"\\\\.\\COM99"},
                 {100, u"\\\\.\\COM100"},
                 {256, u"\\\\.\\COM256"}};
    for (const Case& c : cases)
        EXPECT_EQ(TForm4::PortName(c.port), c.name) << c.port;
}

class SerialLineTest : public PanelTest {};

TEST_F(SerialLineTest, OpensWithTheLineSettingsAndKeepsTheRestOfTheRecord) {
    auto peer = InstallDrive(3);
    TForm4* panel = CreatePanel();
    panel->rsopen(3, 19200);
    ASSERT_TRUE(panel->IsOnline());
    EXPECT_TRUE(peer->IsOpen());
    ASSERT_EQ(peer->States().size(), 1u);
    DCB dcb = peer->States().back();
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(peer->Purges(), std::vector<DWORD>{15});
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SerialLineTest, PortsFromTenOnOpenUnderTheDeviceName) {
    for (int port : {10, 123}) {
        auto peer = InstallDrive(port);
        TForm4* panel = Form4 ? Form4 : CreatePanel();
        panel->rsopen(port, 9600);
        EXPECT_TRUE(peer->IsOpen()) << port;
        panel->ClosePort();
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SerialLineTest, EachOpeningFailureSaysWhyAndLeavesThePanelOffline) {
    struct Case {
        SerialCall call;
        const char16_t* text;
    } cases[] = {
        {SerialCall::Open, u"CreateFile--通信ポートを開けませんでした"},
        {SerialCall::GetCommState, u"GetCommState--通信ポートの設定を読みとれませんでした"},
        {SerialCall::SetupComm, u"Buffer設定に失敗しました"},
        {SerialCall::SetCommState, u"SetCommState--通信ポートを設定出来ませんでした"},
    };
    auto peer = InstallDrive(1);
    TForm4* panel = CreatePanel();
    for (const Case& c : cases) {
        OkEveryBox();
        peer->Fail(c.call, ERROR_GEN_FAILURE, 1);
        bool openWhileBoxShown = true;
        TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord&) {
            openWhileBoxShown = peer->IsOpen();
            return TestSeams::MessageBoxAnswer{IDOK, 0};
        });
        panel->rsopen(1, 9600);
        EXPECT_EQ(Boxes(), std::vector<std::u16string>{c.text});
        EXPECT_FALSE(panel->IsOnline());
        // Closed before the box: ticks inside it must find the panel offline.
        EXPECT_FALSE(openWhileBoxShown) << UnicodeToUtf8(c.text);
        EXPECT_FALSE(peer->IsOpen());
    }
}

TEST_F(SerialLineTest, APortHeldElsewhereFailsAtOpening) {
    auto peer = InstallDrive(1);
    HANDLE other =
        CreateFileW(u"COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    TForm4* panel = CreatePanel();
    panel->rsopen(1, 9600);
    EXPECT_FALSE(panel->IsOnline());
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"CreateFile--通信ポートを開けませんでした"});
    CloseHandle(other);
}

TEST_F(SerialLineTest, AFailedPurgeEndsTheProgramWithTheMessage) {
    auto peer = InstallDrive(1);
    TForm4* panel = CreatePanel();
    UINT exitCode = 99;
    TestSeams::SetExitHook([&](UINT code) { exitCode = code; });
    peer->Fail(SerialCall::PurgeComm, ERROR_GEN_FAILURE, 1);
    EXPECT_THROW(panel->rsopen(1, 9600), TestSeams::ProcessExited);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"PurgeComm failed.\n"});
    EXPECT_FALSE(peer->IsOpen());
}

TEST_F(SerialLineTest, SetsTheTimeOutsBeforeEveryByte) {
    auto peer = InstallDrive(1);
    TForm4* panel = CreatePanel();
    panel->rsopen(1, 9600);
    ASSERT_EQ(panel->rsputs("12\r"), 0);
    EXPECT_EQ(peer->Written(), "12\r");
    ASSERT_EQ(peer->Timeouts().size(), 3u);
    for (const COMMTIMEOUTS& t : peer->Timeouts()) {
        EXPECT_EQ(t.ReadIntervalTimeout, 500u);
        EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
        EXPECT_EQ(t.ReadTotalTimeoutConstant, 500u);
        EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
        EXPECT_EQ(t.WriteTotalTimeoutConstant, 500u);
    }
}

TEST_F(SerialLineTest, AFailedTimeOutSettingClosesAndSaysSoWithTheTimerStopped) {
    auto peer = InstallDrive(1);
    TForm4* panel = CreatePanel();
    panel->rsopen(1, 9600);
    bool timerRanInBox = true;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord&) {
        timerRanInBox = Form4->Timer1->GetEnabled();
        return TestSeams::MessageBoxAnswer{IDOK, 0};
    });
    peer->Fail(SerialCall::SetCommTimeouts, ERROR_GEN_FAILURE, 1);
    EXPECT_EQ(panel->rsputs("57\r"), -1);
    EXPECT_EQ(peer->Written(), "");
    EXPECT_FALSE(panel->IsOnline());
    EXPECT_FALSE(timerRanInBox);
    EXPECT_TRUE(panel->Timer1->GetEnabled());
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"Timeoutの設定に失敗しました"});
}

TEST_F(SerialLineTest, AFailedWriteClosesThePortBeforeItsMessageAndSendsNoMore) {
    auto peer = InstallDrive(1);
    TForm4* panel = CreatePanel();
    panel->rsopen(1, 9600);
    bool openWhileBoxShown = true;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord&) {
        openWhileBoxShown = peer->IsOpen();
        return TestSeams::MessageBoxAnswer{IDOK, 0};
    });
    peer->Fail(SerialCall::WriteFile, ERROR_GEN_FAILURE, 1);
    EXPECT_EQ(panel->rsputs("57\r"), -1);
    EXPECT_FALSE(openWhileBoxShown);
    EXPECT_FALSE(panel->IsOnline());
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"送信に失敗しました"});
}

TEST_F(SerialLineTest, AFailingQueueQueryInTheSendLoopIsASendFailure) {
    auto peer = InstallDrive(1);
    TForm4* panel = CreatePanel();
    panel->rsopen(1, 9600);
    peer->Fail(SerialCall::ClearCommError, ERROR_GEN_FAILURE);
    EXPECT_EQ(panel->rsputc('5'), -1);
    EXPECT_FALSE(panel->IsOnline());
    EXPECT_EQ(peer->Written(), "");
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"送信に失敗しました"});
}

TEST_F(SerialLineTest, AFailingQueueQueryWhileWaitingEndsTheReadAtOnce) {
    auto peer = InstallDrive(1);
    TForm4* panel = CreatePanel();
    panel->rsopen(1, 9600);
    peer->Unplug();
    const DWORD start = GetTickCount();
    TReplyLine line;
    EXPECT_EQ(panel->ReadReplyLine(line), -1);
    EXPECT_LT(GetTickCount() - start, 100u);
    EXPECT_FALSE(panel->RxTimedOut);
}

class ReplyReadTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        peer = TestSeams::InstallFakeSerialPort(1);
        CreatePanel()->rsopen(1, 9600);
        ASSERT_TRUE(Form4->IsOnline());
    }
    std::shared_ptr<TestSeams::FakeSerialPeer> peer;
};

TEST_F(ReplyReadTest, ASilentDriveTimesOutAfterFiveSecondsAndTheFlagIsClearAgain) {
    const DWORD start = GetTickCount();
    TReplyLine line;
    EXPECT_EQ(Form4->ReadReplyLine(line), -1);
    const DWORD waited = GetTickCount() - start;
    EXPECT_GT(waited, 5000u);
    EXPECT_LT(waited, 5100u);
    EXPECT_FALSE(Form4->RxTimedOut);
}

TEST_F(ReplyReadTest, BytesWithGapsMakeOneLineAndDoNotExtendTheDeadline) {
    peer->Send("12", 0);
    peer->Send("34", 2000);
    peer->Send("5\r", 4000);
    TReplyLine line;
    ASSERT_EQ(Form4->ReadReplyLine(line), 0);
    EXPECT_STREQ(line.Text(), "12345");

    peer->Send("1", 0);
    peer->Send("2", 4900);
    peer->Send("\r", 5200);
    EXPECT_EQ(Form4->ReadReplyLine(line), -1);
}

TEST_F(ReplyReadTest, ALongReplyKeepsFifteenCharactersAndTheNextReplyIsClean) {
    peer->Send("12345678901234567890\r.\r");
    TReplyLine line;
    ASSERT_EQ(Form4->ReadReplyLine(line), 0);
    EXPECT_STREQ(line.Text(), "123456789012345");
    ASSERT_EQ(Form4->ReadReplyLine(line), 0);
    EXPECT_STREQ(line.Text(), ".");
}

// Bytes after a reply, read along with it, are stale once the next command
// goes out: that command's reply must not begin with them, nor with any left
// over when the port was closed and opened again.
TEST_F(ReplyReadTest, BytesReadAheadAreDroppedBeforeTheNextCommand) {
    TReplyLine line;
    peer->Send("1\r9\r");
    ASSERT_EQ(Form4->ReadReplyLine(line), 0);
    EXPECT_STREQ(line.Text(), "1");
    ASSERT_EQ(Form4->rsputs("X"), 0);
    peer->Send("2\r");
    ASSERT_EQ(Form4->ReadReplyLine(line), 0);
    EXPECT_STREQ(line.Text(), "2");

    peer->Send("3\r8\r");
    ASSERT_EQ(Form4->ReadReplyLine(line), 0);
    Form4->ClosePort();
    peer = TestSeams::InstallFakeSerialPort(1);
    Form4->rsopen(1, 9600);
    peer->Send("4\r");
    ASSERT_EQ(Form4->ReadReplyLine(line), 0);
    EXPECT_STREQ(line.Text(), "4");
}

// The deadline is measured as elapsed time, so a read across the 32-bit wrap
// of the tick count neither times out at once nor waits forever.
class WrapTest : public ReplyReadTest {
protected:
    uint64_t StartMs() const override { return 0xFFFFFFFFull - 1000; }
};

TEST_F(WrapTest, AReplyAcrossTheWrapArrives) {
    peer->Send("42\r", 3000);
    TReplyLine line;
    ASSERT_EQ(Form4->ReadReplyLine(line), 0);
    EXPECT_STREQ(line.Text(), "42");
}

TEST_F(WrapTest, ASilenceAcrossTheWrapTimesOutAfterFiveSeconds) {
    const uint64_t start = GetTickCount64();
    TReplyLine line;
    EXPECT_EQ(Form4->ReadReplyLine(line), -1);
    EXPECT_GT(GetTickCount64() - start, 5000u);
    EXPECT_LT(GetTickCount64() - start, 5100u);
}

class PortListTest : public PanelTest {
protected:
    // Adds values of our own under the key the port list reads.
    static void AddSerialValue(const UnicodeString& name, const UnicodeString& data) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(u"HARDWARE\\DEVICEMAP\\SERIALCOMM", true));
        reg.WriteString(name, data);
    }
    static std::vector<UnicodeString> Items(TComboBox* box) {
        std::vector<UnicodeString> items;
        for (int i = 0; i < box->GetItems()->GetCount(); ++i)
            items.push_back(box->GetItems()->Get(i));
        return items;
    }
};

TEST_F(PortListTest, ListsThePortsAndSelectsTheStoredIndex) {
    InstallDrive(3);
    InstallDrive(12);
    TForm4* panel = CreatePanel();
    std::vector<UnicodeString> items = Items(panel->ComboBox2);
    ASSERT_EQ(items.size(), 2u);
    // Whatever the registry's order, numbers and items go together.
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(items[i], u"COM" + IntToStr(panel->PortNumbers[i]));
    EXPECT_EQ(panel->ComboBox2->GetItemIndex(), 1); // the stored index defaults to 1
}

TEST_F(PortListTest, OnePortIsSelectedWhenTheStoredIndexIsBeyondTheList) {
    InstallDrive(4);
    TForm4* panel = CreatePanel();
    EXPECT_EQ(Items(panel->ComboBox2), std::vector<UnicodeString>{u"COM4"});
    EXPECT_EQ(panel->ComboBox2->GetItemIndex(), 0);
}

TEST_F(PortListTest, NoPortsGiveAnEmptyListWithNothingSelected) {
    TForm4* panel = CreatePanel();
    EXPECT_TRUE(Items(panel->ComboBox2).empty());
    EXPECT_EQ(panel->ComboBox2->GetItemIndex(), -1);
    panel->Button5Click(panel->Button5);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"ComPortがありません。"});
    EXPECT_FALSE(panel->ConnectPending);
}

TEST_F(PortListTest, NamesThatAreNoComPortAreSkipped) {
    InstallDrive(2);
    AddSerialValue(u"\\Device\\Odd0", u"LPT1");
    AddSerialValue(u"\\Device\\Odd1", u"COMX");
    AddSerialValue(u"\\Device\\Odd2", u"COM");
    AddSerialValue(u"\\Device\\Odd3", u"COM5a");
    AddSerialValue(u"\\Device\\Big", u"COM150");
    TForm4* panel = CreatePanel();
    std::vector<UnicodeString> items = Items(panel->ComboBox2);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<UnicodeString>{u"COM150", u"COM2"}));
    EXPECT_EQ(panel->PortCount, 2);
}

TEST_F(PortListTest, PortsBeyondTheTwoHundredFiftySixthAreIgnored) {
    InstallDrive(1);
    for (int i = 0; i < 300; ++i)
        AddSerialValue(u"\\Device\\Many" + IntToStr(i), u"COM" + IntToStr(i + 2));
    TForm4* panel = CreatePanel();
    EXPECT_EQ(panel->PortCount, 256);
    EXPECT_EQ(panel->ComboBox2->GetItems()->GetCount(), 256);
}
