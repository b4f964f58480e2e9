// Start-up settings, the administrator gate on writing them, the exit button
// and the About menu.
#include "PanelFixture.h"

#include <runpak/IniFiles.h>

#include <fstream>

class SettingsTest : public PanelTest {
protected:
    static void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(SettingsPath()).parent_path());
        std::ofstream(SettingsPath(), std::ios::binary) << text;
    }
    static int Setting(const char16_t* section, const char16_t* key) {
        TIniFile ini(u"KVDX.INI");
        return ini.ReadInteger(section, key, -12345);
    }
};

TEST_F(SettingsTest, DefaultsWithoutASettingsFile) {
    InstallDrive(1);
    InstallDrive(2);
    TForm4* panel = CreatePanel();
    EXPECT_EQ(panel->ComPortIndex, 1);
    EXPECT_EQ(panel->ComboBox2->GetItemIndex(), 1);
    EXPECT_EQ(panel->BaudRate, 9600);
    EXPECT_EQ(panel->ComboBox1->GetItemIndex(), 0);
    EXPECT_EQ(panel->ComboBox1->GetItems()->GetCount(), 3);
    EXPECT_EQ(panel->ComboBox1->GetItems()->Get(2), u"38400");
    EXPECT_FALSE(panel->ComboBox1->GetVisible());
    EXPECT_EQ(panel->GetLeft(), 0);
    EXPECT_EQ(panel->GetTop(), 0);
    EXPECT_FALSE(panel->IsOnline());
    EXPECT_TRUE(panel->FirstTick);
    EXPECT_EQ(panel->GetCaption(), u"VELTRO7");
    EXPECT_EQ(panel->GetClientWidth(), 596);
    EXPECT_EQ(panel->GetClientHeight(), 545);
}

TEST_F(SettingsTest, TheStoredSettingsAreApplied) {
    InstallDrive(1);
    InstallDrive(2);
    WriteSettings("[misc]\r\nCOM=0\r\nBAUD=19200\r\n[Param]\r\nTop=40\r\nLeft=70\r\n");
    TForm4* panel = CreatePanel();
    EXPECT_EQ(panel->ComboBox2->GetItemIndex(), 0);
    EXPECT_EQ(panel->ComboBox1->GetItems()->Get(panel->ComboBox1->GetItemIndex()), u"19200");
    EXPECT_EQ(panel->GetTop(), 40);
    EXPECT_EQ(panel->GetLeft(), 70);
}

TEST_F(SettingsTest, AnUnlistedRateSelectsNothingAndConnectsAt9600) {
    auto peer = InstallDrive(1);
    WriteSettings("[misc]\r\nCOM=0\r\nBAUD=4800\r\n");
    TForm4* panel = CreatePanel();
    EXPECT_EQ(panel->BaudRate, 4800);
    EXPECT_EQ(panel->ComboBox1->GetItemIndex(), -1);
    panel->Button5Click(panel->Button5);
    EXPECT_EQ(peer->States().back().BaudRate, 9600u);
    EXPECT_EQ(panel->BaudRate, 9600);
}

TEST_F(SettingsTest, AnAdministratorsClosingWritesTheSettings) {
    InstallDrive(1);
    InstallDrive(2);
    TForm4* panel = CreatePanel();
    panel->Timer1Timer(panel->Timer1);
    ASSERT_TRUE(panel->IsAdmin);
    panel->ComboBox2->SetItemIndex(0);
    panel->ComboBox1->SetItemIndex(2);
    panel->Button5Click(panel->Button5);
    panel->SetBounds(33, 44, panel->GetWidth(), panel->GetHeight());
    panel->Close();
    EXPECT_EQ(Setting(u"misc", u"COM"), 0);
    EXPECT_EQ(Setting(u"misc", u"BAUD"), 38400);
    EXPECT_EQ(Setting(u"Param", u"Left"), 33);
    EXPECT_EQ(Setting(u"Param", u"Top"), 44);
}

TEST_F(SettingsTest, ANonAdministratorIsWarnedAndNeverWritesTheSettings) {
    TestSeams::SetAdministrator(false);
    InstallDrive(1);
    TForm4* panel = CreatePanel();
    panel->Timer1Timer(panel->Timer1);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"管理者権限にて実行してください"});
    panel->Close();
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
    TestSeams::SetExitHook([](UINT) {});
    EXPECT_THROW(panel->Button3Click(panel->Button3), TestSeams::ProcessExited);
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
}

TEST_F(SettingsTest, TheExitButtonWritesOnceAndEndsWithoutTheCloseHandler) {
    TForm4* panel = CreatePanel();
    panel->Timer1Timer(panel->Timer1);
    int closes = 0;
    auto handler = panel->OnClose;
    panel->OnClose = [&](TObject* s, TCloseAction& a) {
        ++closes;
        handler(s, a);
    };
    panel->BaudRate = 19200;
    UINT code = 99;
    TestSeams::SetExitHook([&](UINT c) { code = c; });
    EXPECT_THROW(panel->Button3Click(panel->Button3), TestSeams::ProcessExited);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(Setting(u"misc", u"BAUD"), 19200);
}

TEST_F(SettingsTest, ShellWithoutTheQueryMeansNoRights) {
    // With the seam cleared the layer asks the system; whatever it answers,
    // the query goes through the shell library and answers a plain yes or no.
    TestSeams::SetAdministrator(std::nullopt);
    TForm4* panel = CreatePanel();
    bool answer = panel->CheckAdminRights();
    TestSeams::SetAdministrator(!answer);
    EXPECT_EQ(panel->CheckAdminRights(), !answer);
}

TEST_F(SettingsTest, AboutShowsTheDrivesVersionOnlyOnline) {
    InstallDrive(1);
    TForm4* panel = CreatePanel();
    panel->ParamTable[PARAM_VERSION] = 7;
    panel->About1Click(panel->About1); // offline: nothing
    EXPECT_EQ(panel->Ver1501->GetCaption(), u"Ver150");
    panel->rsopen(1, 9600);
    panel->ParamTable[PARAM_VERSION] = 0;
    panel->Ver1501->SetCaption(u"");
    panel->About1Click(panel->About1);
    EXPECT_EQ(panel->Ver1501->GetCaption(), u"Ver150");
    EXPECT_EQ(panel->ParamTable[PARAM_VERSION], 150);
}
