// The 200 ms polling cycle, the status display and the buttons of the
// main window.
#include "Unit4.h"

#include <quorlpak/Buttons.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/Timer.h>
#include <runpak/Strings.h>

void TForm4::Timer1Timer(TObject* Sender) {
    if (FirstTick) {
        if (CheckAdminRights()) {
            IsAdmin = true;
        } else {
            Timer1->SetEnabled(false);
            ShowMessageBox(u"管理者権限にて実行してください");
            IsAdmin = false;
        }
        FirstTick = false;
        Timer1->SetEnabled(true);
    }
    if (ConnectPending && IsOnline()) {
        Timer1->SetEnabled(false);
        if (ReadParamAll() != 0) {
            ClosePort();
        } else {
            ConnectPending = false;
            ReadVer();
        }
        Timer1->SetEnabled(true);
    }
    if (ActError != 0) {
        ClosePort();
        ActError = 0;
    }
    if (!IsOnline()) {
        ComboBox1->SetVisible(true);
        return;
    }
    Button5->SetCaption(u"ONLINE");
    if (ServoToggleRequest) {
        Act1();
        ServoToggleRequest = false;
        PollStep = 1;
        return;
    }
    Read1Param(PARAM_STATUS, true);
    switch (PollStep) {
    case 1:
        ReadRef();
        PollStep = 3;
        break;
    case 3:
        ReadPos();
        PollStep = 0;
        break;
    case 0:
        ShowStatus();
        PollStep = 1;
        break;
    default:
        break;
    }
}

void TForm4::ShowStatus() {
    static const char16_t* const alarmNames[] = {u"FLC ", u"OVV ",  u"OFPOLE ", u"OFENC ", u"ENC ",
                                                 u"OVC ", u"MTMP ", u"FTMP ",   u"PRM "};
    int32_t status = ParamTable[PARAM_STATUS];
    if (status & 8) {
        BitBtn1->GetFont()->SetColor(TColor(0x008000));
        BitBtn1->SetCaption(u"Servo On");
        Label95->SetCaption(u"なし");
        Label104->SetCaption(u"");
        Label105->SetCaption(u"");
    } else if (status & 4) {
        Timer1->SetEnabled(false);
        BitBtn1->GetFont()->SetColor(TColor(0x0000FF));
        BitBtn1->SetCaption(u"Alarm ");
        Label95->SetCaption(u"あり");
        Read1Param(PARAM_ALARM_BITS, true);
        UnicodeString text;
        int32_t alarms = ParamTable[PARAM_ALARM_BITS];
        if (alarms != 0) {
            text = u"ServoAlarm: ";
            for (int bit = 0; bit < 9; ++bit)
                if (alarms & (1 << bit)) text += alarmNames[bit];
        }
        Label104->SetCaption(text);
        Timer1->SetEnabled(true);
    } else {
        BitBtn1->GetFont()->SetColor(TColor(0x800000));
        BitBtn1->SetCaption(u"Servo Off");
        Label95->SetCaption(u"なし");
        Label104->SetCaption(u"");
        Label105->SetCaption(u"");
    }
}

void TForm4::Button5Click(TObject* Sender) {
    if (Button5->GetCaption() == u"ONLINE") {
        ClosePort();
        Button5->SetCaption(u"OFFLINE");
        return;
    }
    int baudIndex = ComboBox1->GetItemIndex();
    BaudRate = baudIndex < 0 ? 9600 : StrToInt(ComboBox1->GetItems()->Get(baudIndex));
    if (ComboBox2->GetItemIndex() < 0) {
        ShowMessageBox(u"ComPortがありません。");
        return;
    }
    ComPortIndex = ComboBox2->GetItemIndex();
    rsopen(PortNumbers[ComPortIndex], BaudRate);
    ComboBox1->SetVisible(false);
    ConnectPending = true;
}

void TForm4::BitBtn1Click(TObject* Sender) {
    ServoToggleRequest = true;
}

void TForm4::Button1Click(TObject* Sender) {
    if (WriteParam() != 0)
        ShowMessageBox(u"転送に失敗しました。");
    else
        ShowMessageBox(u"転送しました。");
}
