// The drive's commands: reads, writes, bulk transfers, the servo command and
// the store command.
#include "PanelFixture.h"

using TestSeams::SerialCall;

class ProtocolTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        peer = TestSeams::InstallFakeSerialPort(1);
        peer->SetResponder([this](const std::string& line) -> std::optional<std::string> {
            lines.push_back(line);
            if (reply) return reply(line);
            return drive.Answer(line, GetTickCount64());
        });
        CreatePanel()->rsopen(1, 9600);
        ASSERT_TRUE(Form4->IsOnline());
    }

    std::shared_ptr<TestSeams::FakeSerialPeer> peer;
    std::vector<std::string> lines; // command lines the drive received
    std::function<std::optional<std::string>(const std::string&)> reply; // overrides the drive
};

TEST_F(ProtocolTest, ReadStoresTheValueAndShowsItUnlessQuiet) {
    ASSERT_EQ(Form4->Read1Param(0, false), 0);
    EXPECT_EQ(Form4->ParamTable[0], 2500);
    EXPECT_EQ(Form4->Edit1->GetText(), u"2500");
    ASSERT_EQ(Form4->Read1Param(7, true), 0);
    EXPECT_EQ(Form4->ParamTable[7], 1000);
    EXPECT_EQ(Form4->Edit8->GetText(), u"");
    EXPECT_EQ(peer->Written(), "0\r7\r");
}

TEST_F(ProtocolTest, ReadRepliesConvertAsTheRunTimeDoes) {
    struct Case {
        const char* reply;
        int32_t value;
    } cases[] = {{"-42\r", -42}, {"  17\r", 17}, {"12abc\r", 12}, {"?\r", 0}, {"\r", 0}};
    for (const Case& c : cases) {
        reply = [&](const std::string&) { return std::string(c.reply); };
        Form4->ParamTable[3] = 999;
        ASSERT_EQ(Form4->Read1Param(3, true), 0) << c.reply;
        EXPECT_EQ(Form4->ParamTable[3], c.value) << c.reply;
    }
}

TEST_F(ProtocolTest, AReadTimeOutLeavesTheTableAlone) {
    reply = [](const std::string&) { return std::nullopt; };
    Form4->ParamTable[3] = 77;
    EXPECT_EQ(Form4->Read1Param(3, false), -1);
    EXPECT_EQ(Form4->ParamTable[3], 77);
    EXPECT_FALSE(Form4->RxTimedOut);
}

// A reply that comes after its command gave up answers nothing later: not
// when it waits whole in the queue, and not when the next command catches it
// half-way, with the rest of its line still on the way.
TEST_F(ProtocolTest, ALateReplyNeverAnswersTheNextRead) {
    struct Case {
        const char* waiting; // of the late reply, in the queue before the read
        const char* rest;    // of it, arriving 5 ms later
    } cases[] = {{"2500\r", ""}, {"25", "00\r"}, {"2500\r25", "00\r"}};
    // The drive answers 20 ms after a command, after the rest has come.
    peer->SetResponder(
        [this](const std::string& line) { return std::optional(drive.Answer(line, GetTickCount64())); },
        20);
    for (const Case& c : cases) {
        peer->Send(c.waiting);
        if (*c.rest) peer->Send(c.rest, 5);
        Form4->ParamTable[7] = -1;
        ASSERT_EQ(Form4->Read1Param(7, true), 0) << c.waiting;
        EXPECT_EQ(Form4->ParamTable[7], 1000) << c.waiting;
    }
}

TEST_F(ProtocolTest, WriteResultsByReply) {
    struct Case {
        std::optional<std::string> reply;
        int result;
    } cases[] = {{".\r", 0}, {".OK\r", 0}, {"\r", 1}, {"E\r", 1}, {" .\r", 1}, {std::nullopt, -1}};
    Form4->ParamTable[7] = -5;
    for (const Case& c : cases) {
        reply = [&](const std::string&) { return c.reply; };
        EXPECT_EQ(Form4->Write1Param(7), c.result) << (c.reply ? *c.reply : "silence");
    }
    EXPECT_EQ(lines.front(), "7=-5");
}

TEST_F(ProtocolTest, AWriteThatCannotBeSentAnswersTwo) {
    peer->Fail(SerialCall::WriteFile, ERROR_GEN_FAILURE, 1);
    EXPECT_EQ(Form4->Write1Param(1), 2);
    EXPECT_FALSE(Form4->IsOnline());
}

TEST_F(ProtocolTest, ReadAllReadsZeroToSixtyThreeInOrderAndStopsAtTheFirstFailure) {
    ASSERT_EQ(Form4->ReadParamAll(), 0);
    ASSERT_EQ(lines.size(), 64u);
    for (int n = 0; n < 64; ++n)
        EXPECT_EQ(lines[n], std::to_string(n));
    EXPECT_EQ(Form4->ParamTable[56], 0x1FF);
    EXPECT_EQ(Form4->Edit1->GetText(), u"2500");

    lines.clear();
    std::fill(std::begin(Form4->ParamTable), std::end(Form4->ParamTable), -1);
    reply = [this](const std::string& line) -> std::optional<std::string> {
        if (line == "10") return std::nullopt;
        return drive.Answer(line, 0);
    };
    EXPECT_EQ(Form4->ReadParamAll(), -1);
    EXPECT_EQ(lines.size(), 11u);
    EXPECT_EQ(Form4->ParamTable[9], 0);
    EXPECT_EQ(Form4->ParamTable[10], -1);
    EXPECT_EQ(Form4->ParamTable[11], -1);
}

TEST_F(ProtocolTest, BulkOperationsAnswerMinusTwoOffline) {
    Form4->ClosePort();
    EXPECT_EQ(Form4->ReadParamAll(), -2);
    EXPECT_EQ(Form4->WriteParamAll(false), -2);
    EXPECT_EQ(Form4->WriteParamAll(true), -2);
    EXPECT_EQ(Form4->ReadParam(), -2);
    EXPECT_EQ(Form4->WriteParam(), -2);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ProtocolTest, WriteAllIgnoringErrorsTriesEveryParameterAndAnswersZero) {
    reply = [](const std::string&) { return std::string("E\r"); };
    EXPECT_EQ(Form4->WriteParamAll(true), 0);
    EXPECT_EQ(lines.size(), 64u);
    lines.clear();
    EXPECT_EQ(Form4->WriteParamAll(false), 1);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(ProtocolTest, PageWriteTakesEachValueFromThePageInOrder) {
    Form4->ParamTable[0] = 1;
    Form4->Edit1->SetText(u"4096");
    Form4->Edit2->SetText(u"2");
    Form4->Edit3->SetText(u"8");
    Form4->Edit4->SetText(u"1");
    Form4->Edit7->SetText(u"-30");
    Form4->Edit8->SetText(u"500");
    Form4->RadioGroup3->SetItemIndex(2);
    Form4->CheckBox1->SetChecked(true);
    ASSERT_EQ(Form4->WriteParam(), 0);
    EXPECT_EQ(lines, (std::vector<std::string>{"0=4096", "1=2", "2=8", "3=1", "4=2", "5=4", "6=-30",
                                               "7=500", "56=256"}));
    EXPECT_EQ(Form4->ParamTable[0], 4096);
}

TEST_F(ProtocolTest, PageWriteStopsAtTheFirstRefusalLeavingTheRestUntaken) {
    Form4->Edit1->SetText(u"1");
    Form4->Edit2->SetText(u"2");
    Form4->Edit3->SetText(u"3");
    Form4->ParamTable[2] = 99;
    reply = [](const std::string& line) { return std::string(line[0] == '1' ? "E\r" : ".\r"); };
    EXPECT_EQ(Form4->WriteParam(), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"0=1", "1=2"}));
    EXPECT_EQ(Form4->ParamTable[2], 99);
}

TEST_F(ProtocolTest, PageReadReadsZeroToSevenThenTheAlarmMask) {
    ASSERT_EQ(Form4->ReadParam(), 0);
    EXPECT_EQ(lines, (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7", "56"}));
    EXPECT_TRUE(Form4->CheckBox1->GetChecked());
}

TEST_F(ProtocolTest, PositionsAreShownWhetherOrNotTheReadSucceeded) {
    Form4->ParamTable[16] = 123;
    Form4->ParamTable[17] = -4;
    reply = [](const std::string&) { return std::nullopt; };
    Form4->ReadPos();
    Form4->ReadRef();
    EXPECT_EQ(Form4->Label101->GetCaption(), u"123");
    EXPECT_EQ(Form4->Label100->GetCaption(), u"-4");
    reply = [](const std::string& line) { return std::string(line == "16" ? "555\r" : "-777\r"); };
    Form4->ReadPos();
    Form4->ReadRef();
    EXPECT_EQ(Form4->Label101->GetCaption(), u"555");
    EXPECT_EQ(Form4->Label100->GetCaption(), u"-777");
}

TEST_F(ProtocolTest, TheServoCommandIsChosenByTheLastStatusWord) {
    struct Case {
        int32_t status;
        const char* command;
    } cases[] = {{0, "$O"}, {8, "$F"}, {4, "$C"}, {12, "$C"}, {3, "$O"}};
    for (const Case& c : cases) {
        lines.clear();
        Form4->ParamTable[PARAM_STATUS] = c.status;
        Form4->Act1();
        EXPECT_EQ(lines, std::vector<std::string>{c.command}) << c.status;
        EXPECT_EQ(Form4->ActError, 0);
    }
}

TEST_F(ProtocolTest, AServoCommandTimeOutSaysSoWithTheTimerStopped) {
    reply = [](const std::string&) { return std::nullopt; };
    bool timerRanInBox = true;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord&) {
        timerRanInBox = Form4->Timer1->GetEnabled();
        return TestSeams::MessageBoxAnswer{IDOK, 0};
    });
    Form4->Act1();
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"通信タイムアウト"});
    EXPECT_FALSE(timerRanInBox);
    EXPECT_EQ(Form4->ActError, 2);
    EXPECT_TRUE(Form4->Timer1->GetEnabled());
}

TEST_F(ProtocolTest, AServoCommandThatCannotBeSentSetsTheSendError) {
    peer->Fail(SerialCall::WriteFile, ERROR_GEN_FAILURE, 1);
    Form4->Act1();
    EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"送信に失敗しました", u"送信エラー"}));
    EXPECT_EQ(Form4->ActError, 1);
}

// The store applies the drive's baud code only once the code has come from
// the drive (or a file); before, the table's 0 is no statement about the
// drive and must not reset the rate to 9600.
TEST_F(ProtocolTest, StoreAppliesOnlyAKnownBaudCode) {
    Form4->BaudRate = 38400;
    Form4->Button2Click(Form4->Button2);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"保存完了"});
    EXPECT_EQ(Form4->BaudRate, 38400);
    EXPECT_EQ(drive.Stores(), 1);

    struct Case {
        int code;
        int rate;
    } cases[] = {{1, 19200}, {0, 9600}, {2, 38400}, {3, 38400}, {-1, 38400}};
    for (const Case& c : cases) {
        drive.Answer("78=" + std::to_string(c.code), 0);
        ASSERT_EQ(Form4->Read1Param(PARAM_BAUD_CODE, true), 0);
        OkEveryBox();
        Form4->Button2Click(Form4->Button2);
        EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"保存完了"}) << c.code;
        EXPECT_EQ(Form4->BaudRate, c.rate) << c.code;
    }
}

TEST_F(ProtocolTest, StoreFailures) {
    reply = [](const std::string&) { return std::string("E\r"); };
    Form4->Button2Click(Form4->Button2);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"保存エラー"});

    OkEveryBox();
    reply = [](const std::string&) { return std::nullopt; };
    Form4->Button2Click(Form4->Button2);
    EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"通信タイムアウト", u"保存エラー"}));

    // Offline the send itself fails, with its own message first.
    OkEveryBox();
    Form4->ClosePort();
    Form4->Button2Click(Form4->Button2);
    EXPECT_EQ(Boxes(),
              (std::vector<std::u16string>{u"Timeoutの設定に失敗しました", u"保存エラー"}));
}

TEST_F(ProtocolTest, VersionReadAlwaysAnswersZero) {
    EXPECT_EQ(Form4->ReadVer(), 0);
    EXPECT_EQ(Form4->ParamTable[PARAM_VERSION], 150);
    reply = [](const std::string&) { return std::nullopt; };
    EXPECT_EQ(Form4->ReadVer(), 0);
}
