// The panel against the simulated drive over a real pseudo-terminal: COM1 is
// a link in the devices folder to the terminal servodrive-sim opened. The
// clock is the real one here, as the line is; nothing sleeps, every wait is
// a reply on the line.
#include "PanelFixture.h"
#include "SimProcess.h"

#include <quorlpak/UtilWindow.h>

#include <atomic>
#include <filesystem>
#include <thread>

class DriveSimTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        TestSeams::UseRealClock();
        const std::string devices = std::string(std::getenv("WINLAYER_HOME")) + "/devices";
        std::filesystem::create_directories(devices);
        sim = std::make_unique<SimProcess>(SERVODRIVE_SIM, devices + "/com1", SimOptions());
        ASSERT_TRUE(sim->Running());
        // The registry's port list is made from the devices folder.
        TestSeams::ResetRegistry();
        CreatePanel();
        ASSERT_EQ(Form4->ComboBox2->GetItems()->GetCount(), 1);
        Form4->ComboBox2->SetItemIndex(0);
    }
    void TearDown() override {
        PanelTest::TearDown();
        sim.reset();
        std::filesystem::remove(std::string(std::getenv("WINLAYER_HOME")) + "/devices/com1");
    }
    virtual std::vector<std::string> SimOptions() const { return {}; }

    void Tick() { Form4->Timer1Timer(Form4->Timer1); }
    // Ticks until the status display has run `displays` more times.
    void Displays(int displays) {
        for (int i = 0; i < displays * 3; ++i)
            Tick();
    }
    void Connect() {
        Form4->Button5Click(Form4->Button5);
        Tick();
        ASSERT_TRUE(Form4->IsOnline());
        ASSERT_FALSE(Form4->ConnectPending);
        ASSERT_TRUE(Boxes().empty()) << UnicodeToUtf8(Boxes().front());
    }

    std::unique_ptr<SimProcess> sim;
};

TEST_F(DriveSimTest, ConnectsAndReadsAllParameters) {
    Connect();
    EXPECT_EQ(Form4->Button5->GetCaption(), u"ONLINE");
    EXPECT_EQ(Form4->Edit1->GetText(), u"2500");
    EXPECT_EQ(Form4->Edit2->GetText(), u"4");
    EXPECT_EQ(Form4->ParamTable[PARAM_VERSION], 150);
    EXPECT_EQ(Form4->ParamTable[63], 630);
    EXPECT_EQ(Form4->GetEditValue(56), 0x1FF);
    EXPECT_EQ(Form4->RadioGroup4->GetItemIndex(), 2); // 0x15: bit 2 set
    Displays(1);
    EXPECT_EQ(Form4->BitBtn1->GetCaption(), u"Servo Off");
    EXPECT_EQ(Form4->Label95->GetCaption(), u"なし");
}

TEST_F(DriveSimTest, ServoOnMovesThePositionsAndServoOffStopsThem) {
    Connect();
    Form4->BitBtn1Click(Form4->BitBtn1);
    Tick();
    Displays(1);
    EXPECT_EQ(Form4->BitBtn1->GetCaption(), u"Servo On");
    EXPECT_EQ(Form4->BitBtn1->GetFont()->GetColor(), TColor(0x008000));
    // The positions move with the drive's own clock: poll until they do.
    const UnicodeString first = Form4->Label100->GetCaption();
    for (int i = 0; i < 3000 && Form4->Label100->GetCaption() == first; ++i)
        Tick();
    EXPECT_NE(Form4->Label100->GetCaption(), first);

    Form4->BitBtn1Click(Form4->BitBtn1);
    Tick();
    Displays(1);
    EXPECT_EQ(Form4->BitBtn1->GetCaption(), u"Servo Off");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DriveSimTest, AnAlarmIsShownAndTheServoButtonClearsIt) {
    Connect();
    sim->RaiseAlarm();
    for (int i = 0; i < 300 && Form4->Label95->GetCaption() != u"あり"; ++i)
        Tick();
    EXPECT_EQ(Form4->BitBtn1->GetCaption(), u"Alarm ");
    EXPECT_EQ(Form4->Label104->GetCaption(), u"ServoAlarm: OVC ");
    EXPECT_EQ(Form4->ParamTable[PARAM_ALARM_BITS], 32);

    Form4->BitBtn1Click(Form4->BitBtn1); // sends the clear while the alarm stands
    Tick();
    Displays(1);
    EXPECT_EQ(Form4->Label95->GetCaption(), u"なし");
    EXPECT_EQ(Form4->BitBtn1->GetCaption(), u"Servo Off");
    EXPECT_EQ(Form4->Label104->GetCaption(), u"");
}

TEST_F(DriveSimTest, TransfersThePageAndStoresIt) {
    Connect();
    Form4->Edit8->SetText(u"1234");
    Form4->RadioGroup6->SetItemIndex(1);
    Form4->CheckBox9->SetChecked(false);
    Form4->Button1Click(Form4->Button1);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"転送しました。"});
    Form4->ParamTable[7] = 0;
    ASSERT_EQ(Form4->ReadParam(), 0);
    EXPECT_EQ(Form4->ParamTable[7], 1234);
    EXPECT_EQ(Form4->ParamTable[4], 0x41 + 4);
    EXPECT_EQ(Form4->ParamTable[56], 0x1FE);

    OkEveryBox();
    Form4->Button2Click(Form4->Button2);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"保存完了"});
}

TEST_F(DriveSimTest, SavesLoadsAndSendsAFile) {
    Connect();
    const std::string path = std::string(std::getenv("WINLAYER_HOME")) + "/drive.txt";
    std::u16string windowsPath = u"C:" + Utf8ToUnicode(path);
    for (char16_t& c : windowsPath)
        if (c == u'/') c = u'\\';
    Form4->Edit91->SetText(u"試験機");
    TestSeams::AnswerFileDialogs({windowsPath});
    Form4->Save1Click(Form4->Save1);
    ASSERT_EQ(Boxes(), std::vector<std::u16string>{u"ファイルに保存しました"});

    // Change the drive, then load the saved set back into it.
    Form4->Edit1->SetText(u"1");
    Form4->Button1Click(Form4->Button1);
    OkEveryBox();
    HWND answer = AllocateHWnd([](TMessage& Message) {
        if (Message.Msg == WM_USER) Form1->SetModalResult(mrYes);
    });
    PostMessageW(answer, WM_USER, 0, 0);
    TestSeams::AnswerFileDialogs({windowsPath});
    Form4->Load1Click(Form4->Load1);
    DeallocateHWnd(answer);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"ドライバへ転送しました。"});
    EXPECT_EQ(Form1->Label4->GetCaption(), u"試験機");
    EXPECT_EQ(Form4->Edit1->GetText(), u"2500"); // read back from the drive
}

// Replies that come after their command gave up once answered the next
// commands instead, for good: every later read showed another parameter.
TEST_F(DriveSimTest, RepliesAfterAStallNeverAnswerLaterCommands) {
    Connect();
    const int32_t five = Form4->ParamTable[5], seven = Form4->ParamTable[7];
    ASSERT_NE(five, seven);

    sim->Stall();
    // The stalled read times out on the manual clock, moved on by a helper.
    TestSeams::UseManualClock(GetTickCount64());
    std::atomic<bool> done{false};
    std::thread clock([&] {
        while (!done) {
            TestSeams::AdvanceClock(100);
            std::this_thread::yield();
        }
    });
    EXPECT_EQ(Form4->Read1Param(5, true), -1);
    done = true;
    clock.join();
    TestSeams::UseRealClock();

    sim->Resume();
    // Wait for the late reply to arrive: it is the reply to the stalled read.
    for (int i = 0; i < 1000000; ++i) {
        DWORD errors = 0;
        COMSTAT stat{};
        ASSERT_TRUE(ClearCommError(Form4->hComm, &errors, &stat));
        if (stat.cbInQue > 0) break;
        std::this_thread::yield();
    }
    Form4->ParamTable[7] = -1;
    ASSERT_EQ(Form4->Read1Param(7, true), 0);
    EXPECT_EQ(Form4->ParamTable[7], seven);
    Form4->ParamTable[5] = -1;
    ASSERT_EQ(Form4->Read1Param(5, true), 0);
    EXPECT_EQ(Form4->ParamTable[5], five);
}

TEST_F(DriveSimTest, GoesOfflineAndBackOnline) {
    Connect();
    Form4->Button5Click(Form4->Button5);
    EXPECT_FALSE(Form4->IsOnline());
    Tick();
    EXPECT_TRUE(Form4->ComboBox1->GetVisible());
    Connect();
    EXPECT_EQ(Form4->Edit1->GetText(), u"2500");
}

// The simulator paces its replies as a 38400-baud line would.
class PacedDriveSimTest : public DriveSimTest {
protected:
    std::vector<std::string> SimOptions() const override { return {"--baud", "38400"}; }
};

TEST_F(PacedDriveSimTest, ReadsAllParametersOverAPacedLine) {
    Form4->ComboBox1->SetItemIndex(2);
    Connect();
    EXPECT_EQ(Form4->BaudRate, 38400);
    EXPECT_EQ(Form4->Edit1->GetText(), u"2500");
    EXPECT_EQ(Form4->ParamTable[63], 630);
}
