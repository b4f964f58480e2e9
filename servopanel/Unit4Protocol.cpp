// The drive's command protocol: parameter reads and writes, the bulk
// transfers, positions, version, the servo command and the store command.
#include "Unit4.h"

#include <quorlpak/StdCtrls.h>
#include <quorlpak/Timer.h>
#include <runpak/Strings.h>

#include <cstdio>

int TForm4::Read1Param(int N, bool Quiet) {
    char command[32];
    std::snprintf(command, sizeof command, "%d\r", N);
    if (rsputs(command) != 0) return -1;
    TReplyLine line;
    if (ReadReplyLine(line) != 0) return -1;
    ParamTable[N] = AtoL32(line.Text());
    if (N == PARAM_BAUD_CODE) BaudCodeKnown = true;
    if (!Quiet) EditWrite(N);
    return 0;
}

int TForm4::Write1Param(int N) {
    char command[40];
    std::snprintf(command, sizeof command, "%d=%d\r", N, ParamTable[N]);
    if (rsputs(command) != 0) return 2;
    TReplyLine line;
    if (ReadReplyLine(line) != 0) return -1;
    return line.Text()[0] == '.' ? 0 : 1;
}

int TForm4::ReadParamAll() {
    if (!IsOnline()) return -2;
    for (int n = 0; n <= 63; ++n)
        if (int result = Read1Param(n, false)) return result;
    return 0;
}

int TForm4::WriteParamAll(bool IgnoreErrors) {
    if (!IsOnline()) return -2;
    for (int n = 0; n <= 63; ++n) {
        int result = Write1Param(n);
        // A value the drive refuses may be passed over; a line that failed
        // (no reply, a failed send, a closed port) ends the transfer: the
        // values after it would only fail the same way, each with its box.
        bool lineFailed = result == -1 || result == 2;
        if (result != 0 && (!IgnoreErrors || lineFailed)) return result;
    }
    return 0;
}

int TForm4::ReadParam() {
    if (!IsOnline()) return -2;
    for (int n = 0; n <= 7; ++n)
        if (int result = Read1Param(n, false)) return result;
    return Read1Param(PARAM_ALARM_MASK, false);
}

int TForm4::WriteParam() {
    if (!IsOnline()) return -2;
    for (int n = 0; n <= 7; ++n) {
        ParamTable[n] = GetEditValue(n);
        if (int result = Write1Param(n)) return result;
    }
    ParamTable[PARAM_ALARM_MASK] = GetEditValue(PARAM_ALARM_MASK);
    return Write1Param(PARAM_ALARM_MASK);
}

void TForm4::ReadPos() {
    Read1Param(PARAM_ENCODER_POS, true);
    Label101->SetCaption(IntToStr(ParamTable[PARAM_ENCODER_POS]));
}

void TForm4::ReadRef() {
    Read1Param(PARAM_REFERENCE_POS, true);
    Label100->SetCaption(IntToStr(ParamTable[PARAM_REFERENCE_POS]));
}

int TForm4::ReadVer() {
    Read1Param(PARAM_VERSION, true);
    return 0;
}

void TForm4::Act1() {
    // The alarm is tested first: a drive in alarm must be cleared before it
    // can switch its servo.
    int32_t status = ParamTable[PARAM_STATUS];
    const char* command = (status & 4) ? "$C\r" : (status & 8) ? "$F\r" : "$O\r";
    if (rsputs(command) != 0) {
        ShowMessageBox(u"送信エラー");
        ActError = 1;
        return;
    }
    TReplyLine line;
    if (ReadReplyLine(line) != 0) {
        Timer1->SetEnabled(false);
        ShowMessageBox(u"通信タイムアウト");
        ActError = 2;
        Timer1->SetEnabled(true);
    }
}

void TForm4::Button2Click(TObject* Sender) {
    if (rsputs("$S\r") != 0) {
        ShowMessageBox(u"保存エラー");
        return;
    }
    // A time-out leaves no reply, which then also counts as a failed store.
    TReplyLine line;
    if (ReadReplyLine(line) != 0) ShowMessageBox(u"通信タイムアウト");
    if (line.Text()[0] != '.') {
        ShowMessageBox(u"保存エラー");
        return;
    }
    ShowMessageBox(u"保存完了");
    // The baud code counts only once it came from the drive or a loaded
    // file; before that the table holds a placeholder, not the drive's rate.
    if (!BaudCodeKnown) return;
    switch (ParamTable[PARAM_BAUD_CODE]) {
    case 0:
        BaudRate = 9600;
        break;
    case 1:
        BaudRate = 19200;
        break;
    case 2:
        BaudRate = 38400;
        break;
    default:
        break;
    }
}
