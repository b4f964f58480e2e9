// A panel created headless as the program creates it, on the manual clock,
// with message boxes answered and recorded, and fake COM ports whose far end
// is a simulated drive.
#pragma once

#include "ServoDrive.h"
#include "Unit1.h"
#include "Unit4.h"

#include <quorlpak/Application.h>
#include <quorlpak/Buttons.h>
#include <quorlpak/ComCtrls.h>
#include <quorlpak/Dialogs.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Quorlpak.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/Timer.h>
#include <runpak/Strings.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class PanelTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(StartMs());
        TestSeams::ResetRegistry();
        TestSeams::SetAdministrator(true);
        OkEveryBox();
        TestSeams::SetExitHook([](UINT) {});
        std::filesystem::remove(SettingsPath());
        InitializeQuorlpak();
        Unit4Initialize();
        Unit1Initialize();
    }

    void TearDown() override {
        FinalizeQuorlpak();
        Form4 = nullptr;
        Form1 = nullptr;
        Unit1Finalize();
        Unit4Finalize();
        TestSeams::RemoveFakeSerialPorts();
        TestSeams::ScriptMessageBoxes({});
        TestSeams::ScriptFileDialogs({});
        TestSeams::SetExitHook({});
        TestSeams::SetAdministrator(std::nullopt);
        TestSeams::UseRealClock();
    }

    virtual uint64_t StartMs() const { return 100000; }

    static std::string SettingsPath() {
        return std::string(std::getenv("WINLAYER_HOME")) + "/windows/KVDX.INI";
    }

    // A fake COMn answered by `drive` (the fixture's own by default).
    std::shared_ptr<TestSeams::FakeSerialPeer> InstallDrive(int number = 1,
                                                            ServoDrive* drive = nullptr) {
        auto peer = TestSeams::InstallFakeSerialPort(number);
        ServoDrive* answering = drive ? drive : &this->drive;
        peer->SetResponder([answering](const std::string& line) -> std::optional<std::string> {
            return answering->Answer(line, GetTickCount64());
        });
        return peer;
    }

    // Creates both forms as the program does (the settings and port list are
    // read then). The timer is stopped unless asked for, so that a test that
    // calls the handlers itself sees no tick inside its message boxes.
    TForm4* CreatePanel(bool timerRunning = false) {
        Application->CreateForm(Form4);
        Application->CreateForm(Form1);
        Form4->Timer1->SetEnabled(timerRunning);
        return Form4;
    }

    // Creates the panel on COM1 and goes online with the administrator check
    // and the read after connecting done, as after the first two ticks.
    TForm4* ConnectedPanel() {
        CreatePanel();
        Form4->ComboBox2->SetItemIndex(0);
        Form4->Button5Click(Form4->Button5);
        Form4->Timer1Timer(Form4->Timer1);
        EXPECT_TRUE(Form4->IsOnline());
        EXPECT_FALSE(Form4->ConnectPending);
        return Form4;
    }

    // Texts of every message box shown since the script was installed.
    static std::vector<std::u16string> Boxes() {
        std::vector<std::u16string> texts;
        for (const auto& box : TestSeams::MessageBoxes())
            texts.push_back(box.text);
        return texts;
    }
    // Answers every box with OK after `elapseMs` of the clock (the timer
    // keeps ticking inside), and forgets the boxes shown so far.
    static void OkEveryBox(uint64_t elapseMs = 0) {
        TestSeams::ScriptMessageBoxes([elapseMs](const TestSeams::MessageBoxRecord&) {
            return TestSeams::MessageBoxAnswer{IDOK, elapseMs};
        });
    }

    // Lets the message loop run for `ms` of the manual clock, so the panel's
    // own timer ticks.
    static void RunFor(uint64_t ms) {
        const uint64_t end = GetTickCount64() + ms;
        while (GetTickCount64() < end) {
            TestSeams::AdvanceClock(10);
            Application->ProcessMessages();
        }
    }

    ServoDrive drive;
};
