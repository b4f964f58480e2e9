// The 200 ms polling cycle, the status display and the online switch.
#include "PanelFixture.h"

#include <runpak/Strings.h>

#include <algorithm>

using TestSeams::SerialCall;

class CycleTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        peer = TestSeams::InstallFakeSerialPort(1);
        peer->SetResponder([this](const std::string& line) -> std::optional<std::string> {
            lines.push_back(line);
            if (reply) return reply(line);
            return drive.Answer(line, GetTickCount64());
        });
    }

    void Tick() { Form4->Timer1Timer(Form4->Timer1); }

    std::shared_ptr<TestSeams::FakeSerialPeer> peer;
    std::vector<std::string> lines;
    std::function<std::optional<std::string>(const std::string&)> reply;
};

TEST_F(CycleTest, TheFirstTickAsksForAdministratorRightsOnce) {
    CreatePanel();
    ASSERT_TRUE(Form4->FirstTick);
    Tick();
    EXPECT_TRUE(Form4->IsAdmin);
    EXPECT_FALSE(Form4->FirstTick);
    EXPECT_TRUE(Boxes().empty());
    TestSeams::SetAdministrator(false);
    Tick();
    EXPECT_TRUE(Form4->IsAdmin); // not asked again
}

TEST_F(CycleTest, ANonAdministratorIsWarnedWithTheTimerStopped) {
    TestSeams::SetAdministrator(false);
    CreatePanel(true);
    bool timerRanInBox = true;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord&) {
        timerRanInBox = Form4->Timer1->GetEnabled();
        return TestSeams::MessageBoxAnswer{IDOK, 1000};
    });
    RunFor(250);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"管理者権限にて実行してください"});
    EXPECT_FALSE(timerRanInBox);
    EXPECT_FALSE(Form4->IsAdmin);
    EXPECT_TRUE(Form4->Timer1->GetEnabled());
}

TEST_F(CycleTest, OfflineTicksOnlyShowTheBaudBox) {
    CreatePanel();
    EXPECT_FALSE(Form4->ComboBox1->GetVisible());
    Tick();
    EXPECT_TRUE(Form4->ComboBox1->GetVisible());
    EXPECT_EQ(Form4->Button5->GetCaption(), u"OFFLINE");
    EXPECT_TRUE(lines.empty());
}

TEST_F(CycleTest, ConnectingReadsAllParametersAndTheVersionThenPollsInTurn) {
    CreatePanel();
    Form4->ComboBox2->SetItemIndex(0);
    Form4->ComboBox1->SetItemIndex(1);
    Form4->Button5Click(Form4->Button5);
    EXPECT_EQ(Form4->BaudRate, 19200);
    EXPECT_EQ(peer->States().back().BaudRate, 19200u);
    EXPECT_FALSE(Form4->ComboBox1->GetVisible());
    EXPECT_TRUE(Form4->ConnectPending);

    Tick();
    std::vector<std::string> expected;
    for (int n = 0; n < 64; ++n)
        expected.push_back(std::to_string(n));
    expected.push_back("21");
    expected.push_back("57"); // the same tick goes on to poll: status, then the display
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(Form4->ConnectPending);
    EXPECT_EQ(Form4->Button5->GetCaption(), u"ONLINE");
    EXPECT_EQ(Form4->Edit1->GetText(), u"2500");
    EXPECT_EQ(Form4->PollStep, 1);

    const std::vector<std::vector<std::string>> turns = {
        {"57", "17"}, {"57", "16"}, {"57"}, {"57", "17"}};
    for (const auto& turn : turns) {
        lines.clear();
        Tick();
        EXPECT_EQ(lines, turn);
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CycleTest, PositionsComeFromTheDrive) {
    ConnectedPanel();
    drive.Answer("$O", GetTickCount64());
    TestSeams::AdvanceClock(1000);
    Tick(); // reference
    Tick(); // encoder
    EXPECT_NE(Form4->Label100->GetCaption(), u"0000000000");
    EXPECT_EQ(Form4->Label100->GetCaption(), IntToStr(Form4->ParamTable[17]));
    EXPECT_EQ(Form4->Label101->GetCaption(), IntToStr(Form4->ParamTable[16]));
    EXPECT_GT(Form4->ParamTable[17], 0);
}

struct StatusCase {
    int32_t status;
    int32_t alarms;
    const char16_t* caption;
    TColor colour;
    const char16_t* alarmPresent;
    const char16_t* alarmText;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << "status " << c.status << ", alarms " << c.alarms; }

class StatusDisplayTest : public CycleTest, public testing::WithParamInterface<StatusCase> {};

TEST_P(StatusDisplayTest, ShowsTheServoAndAlarmState) {
    const StatusCase& c = GetParam();
    ConnectedPanel();
    Form4->Label105->SetCaption(u"old");
    Form4->PollStep = 0;
    reply = [&](const std::string& line) -> std::optional<std::string> {
        if (line == "57") return std::to_string(c.status) + "\r";
        if (line == "15") return std::to_string(c.alarms) + "\r";
        return std::string(".\r");
    };
    lines.clear();
    Tick();
    EXPECT_EQ(Form4->BitBtn1->GetCaption(), c.caption);
    EXPECT_EQ(Form4->BitBtn1->GetFont()->GetColor(), c.colour);
    EXPECT_EQ(Form4->Label95->GetCaption(), c.alarmPresent);
    EXPECT_EQ(Form4->Label104->GetCaption(), c.alarmText);
    bool alarmShown = (c.status & 8) == 0 && (c.status & 4) != 0;
    // The alarm display reads the alarm bits and leaves the other label alone.
    const std::vector<std::string> expected =
        alarmShown ? std::vector<std::string>{"57", "15"} : std::vector<std::string>{"57"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(Form4->Label105->GetCaption(), alarmShown ? u"old" : u"");
    EXPECT_EQ(Form4->PollStep, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, StatusDisplayTest,
    testing::Values(StatusCase{8, 0, u"Servo On", TColor(0x008000), u"なし", u""},
                    StatusCase{12, 1, u"Servo On", TColor(0x008000), u"なし", u""},
                    StatusCase{0, 0, u"Servo Off", TColor(0x800000), u"なし", u""},
                    StatusCase{4, 0, u"Alarm ", TColor(0x0000FF), u"あり", u""},
                    StatusCase{4, 0x101, u"Alarm ", TColor(0x0000FF), u"あり",
                               u"ServoAlarm: FLC PRM "},
                    StatusCase{4, 0x1FF, u"Alarm ", TColor(0x0000FF), u"あり",
                               u"ServoAlarm: FLC OVV OFPOLE OFENC ENC OVC MTMP FTMP PRM "}),
    [](const testing::TestParamInfo<StatusCase>& info) {
        return "Status" + std::to_string(info.param.status) + "Alarms" +
               std::to_string(info.param.alarms);
    });

TEST_F(CycleTest, TheServoButtonSendsItsCommandOnTheNextTickInsteadOfPolling) {
    ConnectedPanel();
    Form4->PollStep = 3;
    Form4->BitBtn1Click(Form4->BitBtn1);
    lines.clear();
    Tick();
    EXPECT_EQ(lines, std::vector<std::string>{"$O"});
    EXPECT_TRUE(drive.ServoOn());
    EXPECT_FALSE(Form4->ServoToggleRequest);
    EXPECT_EQ(Form4->PollStep, 1);
    // The display then shows it once the status word has been read.
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(Form4->BitBtn1->GetCaption(), u"Servo On");
}

TEST_F(CycleTest, AServoRequestMadeOfflineWaitsForTheConnection) {
    CreatePanel();
    Form4->BitBtn1Click(Form4->BitBtn1);
    Tick();
    EXPECT_TRUE(Form4->ServoToggleRequest);
    Form4->ComboBox2->SetItemIndex(0);
    Form4->Button5Click(Form4->Button5);
    lines.clear();
    Tick();
    ASSERT_EQ(lines.size(), 66u);
    EXPECT_EQ(lines[64], "21");
    EXPECT_EQ(lines[65], "$O");
}

TEST_F(CycleTest, AFailedReadAfterConnectingClosesThePortOnTheSameTick) {
    CreatePanel();
    reply = [](const std::string& line) -> std::optional<std::string> {
        if (line == "5") return std::nullopt;
        return std::string("1\r");
    };
    Form4->ComboBox2->SetItemIndex(0);
    Form4->Button5Click(Form4->Button5);
    Tick();
    EXPECT_FALSE(Form4->IsOnline());
    EXPECT_TRUE(Form4->ConnectPending);
    EXPECT_TRUE(Form4->ComboBox1->GetVisible());
    EXPECT_FALSE(peer->IsOpen());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CycleTest, AServoCommandErrorClosesThePortOnTheNextTick) {
    ConnectedPanel();
    Form4->ActError = 2;
    Tick();
    EXPECT_FALSE(Form4->IsOnline());
    EXPECT_EQ(Form4->ActError, 0);
    EXPECT_TRUE(Form4->ComboBox1->GetVisible());
}

TEST_F(CycleTest, TheSwitchGoesOfflineAndAfterAFailureStillReadsOnline) {
    ConnectedPanel();
    Form4->Button5Click(Form4->Button5);
    EXPECT_FALSE(Form4->IsOnline());
    EXPECT_EQ(Form4->Button5->GetCaption(), u"OFFLINE");

    // Back online, then a failure closes the port: the caption stays, so the
    // next press only says offline and a second press connects.
    Form4->Button5Click(Form4->Button5);
    Tick();
    ASSERT_EQ(Form4->Button5->GetCaption(), u"ONLINE");
    peer->Fail(SerialCall::WriteFile, ERROR_GEN_FAILURE, 1);
    Tick();
    EXPECT_FALSE(Form4->IsOnline());
    EXPECT_EQ(Form4->Button5->GetCaption(), u"ONLINE");
    const int opens = peer->Opens();
    Form4->Button5Click(Form4->Button5);
    EXPECT_EQ(Form4->Button5->GetCaption(), u"OFFLINE");
    EXPECT_EQ(peer->Opens(), opens);
    Form4->Button5Click(Form4->Button5);
    EXPECT_EQ(peer->Opens(), opens + 1);
}

TEST_F(CycleTest, AnUnknownBaudSelectionConnectsAt9600) {
    CreatePanel();
    Form4->ComboBox2->SetItemIndex(0);
    Form4->ComboBox1->SetItemIndex(-1);
    Form4->Button5Click(Form4->Button5);
    EXPECT_EQ(Form4->BaudRate, 9600);
    EXPECT_EQ(peer->States().back().BaudRate, 9600u);
}

// A failed write closes the port before its message, so the ticks that run
// inside that box find the panel offline instead of failing again and
// stacking one box on another.
TEST_F(CycleTest, AFailedWriteInATickShowsOneBoxWhileTheTimerRuns) {
    ConnectedPanel();
    Form4->Timer1->SetEnabled(true);
    peer->Fail(SerialCall::WriteFile, ERROR_GEN_FAILURE);
    std::vector<bool> onlineInBox;
    int nested = 0;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord& box) {
        onlineInBox.push_back(Form4->IsOnline());
        // A box opened while an earlier one is still open was stacked on it;
        // answer it at once so that the fault shows as a failure, not a hang.
        std::vector<TestSeams::MessageBoxRecord> all = TestSeams::MessageBoxes();
        for (const auto& earlier : all)
            if (earlier.box != box.box && earlier.result == 0) {
                ++nested;
                return TestSeams::MessageBoxAnswer{IDOK, 0};
            }
        return TestSeams::MessageBoxAnswer{IDOK, 1000};
    });
    RunFor(250);
    std::vector<std::u16string> boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front(), u"送信に失敗しました");
    EXPECT_EQ(onlineInBox.front(), false);
    EXPECT_EQ(nested, 0);
    EXPECT_FALSE(Form4->IsOnline());
    EXPECT_TRUE(Form4->ComboBox1->GetVisible());
}

TEST_F(CycleTest, TheTimerDrivesTheCycleEvery200ms) {
    CreatePanel(true);
    Form4->ComboBox2->SetItemIndex(0);
    Form4->Button5Click(Form4->Button5);
    RunFor(1000);
    EXPECT_FALSE(Form4->ConnectPending);
    EXPECT_EQ(Form4->Button5->GetCaption(), u"ONLINE");
    size_t polls = std::count(lines.begin(), lines.end(), "57");
    EXPECT_GE(polls, 3u);
    EXPECT_LE(polls, 6u);
}
