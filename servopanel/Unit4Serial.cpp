// The serial line: opening the port, sending byte by byte, polling for
// received bytes and reading one reply line, and the list of ports.
#include "Unit4.h"

#include <quorlpak/StdCtrls.h>
#include <quorlpak/Timer.h>
#include <runpak/Registry.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>
#include <win32/windows.h>

#include <memory>

UnicodeString TForm4::PortName(int Port) {
    // Ports from 10 on exist only in the device namespace.
    if (Port < 10) return u"COM" + IntToStr(Port);
    return u"\\\\.\\COM" + IntToStr(Port);
}

void TForm4::ClosePort() {
    CloseHandle(hComm);
    hComm = INVALID_HANDLE_VALUE;
}

void TForm4::rsopen(int Port, int Baud) {
    UnicodeString name = PortName(Port);
    hComm = CreateFileW(reinterpret_cast<LPCWSTR>(name.c_str()), GENERIC_READ | GENERIC_WRITE, 0,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hComm == INVALID_HANDLE_VALUE) {
        ShowMessageBox(u"CreateFile--通信ポートを開けませんでした");
        return;
    }
    // Each failure closes the port before its message: the timer keeps
    // ticking inside the box and must find the panel offline, not a half-set port.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(hComm, &dcb)) {
        ClosePort();
        ShowMessageBox(u"GetCommState--通信ポートの設定を読みとれませんでした");
        return;
    }
    if (!SetupComm(hComm, 1024, 2048)) {
        ClosePort();
        ShowMessageBox(u"Buffer設定に失敗しました");
        return;
    }
    if (!PurgeComm(hComm, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
        ClosePort();
        ShowMessageBox(u"PurgeComm failed.\n");
        ExitProcess(0);
    }
    dcb.BaudRate = static_cast<DWORD>(Baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!SetCommState(hComm, &dcb)) {
        ClosePort();
        ShowMessageBox(u"SetCommState--通信ポートを設定出来ませんでした");
        return;
    }
}

int TForm4::rsputc(unsigned char Byte) {
    COMMTIMEOUTS timeouts{500, 0, 500, 0, 500};
    if (!SetCommTimeouts(hComm, &timeouts)) {
        ClosePort();
        Timer1->SetEnabled(false);
        ShowMessageBox(u"Timeoutの設定に失敗しました");
        Timer1->SetEnabled(true);
        return -1;
    }
    for (;;) {
        DWORD errors = 0;
        COMSTAT stat{};
        // A port that stops answering (an unplugged adapter) is a failed send,
        // not a reason to wait forever for the queue to drain.
        if (!ClearCommError(hComm, &errors, &stat)) {
            ClosePort();
            ShowMessageBox(u"送信に失敗しました");
            return -1;
        }
        if (stat.cbOutQue <= 1000) break;
    }
    DWORD written = 0;
    if (!WriteFile(hComm, &Byte, 1, &written, nullptr)) {
        // Closed before the box: ticks inside it must not try the dead port again.
        ClosePort();
        ShowMessageBox(u"送信に失敗しました");
        return -1;
    }
    return 0;
}

void TForm4::DiscardStaleInput() {
    // Whatever waits in the input queue now answers an earlier command that
    // gave up waiting (a drive that stalled, then caught up); taken as the
    // reply to the next command, it would shift every reply after it.
    bool insideLine = false;
    for (;;) {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(hComm, &errors, &stat)) return;
        if (stat.cbInQue == 0) break;
        unsigned char stale[256];
        DWORD read = 0;
        DWORD want = stat.cbInQue < sizeof stale ? stat.cbInQue : sizeof stale;
        if (!ReadFile(hComm, stale, want, &read, nullptr) || read == 0) return;
        insideLine = stale[read - 1] != '\r';
    }
    // A late reply can be caught while it arrives: the rest of its line is
    // on the way and is stale too, up to its carriage return (or the reply
    // time-out, for bytes that never make a line).
    if (insideLine) {
        TReplyLine rest;
        ReadReplyLine(rest);
    }
}

int TForm4::rsputs(const char* Text) {
    DiscardStaleInput();
    for (const char* p = Text; *p; ++p)
        if (rsputc(static_cast<unsigned char>(*p)) != 0) return -1;
    return 0;
}

int TForm4::rsgetc(unsigned char& Byte) {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(hComm, &errors, &stat)) {
        // A port that fails here will not deliver the reply: end the read now.
        RxTimedOut = true;
        return -1;
    }
    if (stat.cbInQue != 0) {
        DWORD read = 0;
        unsigned char byte = 0;
        if (ReadFile(hComm, &byte, 1, &read, nullptr) && read == 1) {
            Byte = byte;
            return 0;
        }
    }
    if (static_cast<DWORD>(GetTickCount() - RxStart) > ReplyTimeoutMs) RxTimedOut = true;
    return -1;
}

int TForm4::ReadReplyLine(TReplyLine& Line) {
    Line.Clear();
    RxStart = GetTickCount();
    for (;;) {
        unsigned char byte = 0;
        if (rsgetc(byte) == 0) {
            if (Line.Feed(byte)) return 0;
        } else if (RxTimedOut) {
            RxTimedOut = false;
            Line.Clear();
            return -1;
        }
    }
}

namespace {

// The number of a port name "COM<digits>", or -1 for any other name.
int PortNumberOf(const UnicodeString& Name) {
    if (Name.size() < 4 || Name.size() > 12 || Name.compare(0, 3, u"COM") != 0) return -1;
    int value = 0;
    for (size_t i = 3; i < Name.size(); ++i) {
        if (Name[i] < u'0' || Name[i] > u'9') return -1;
        value = value * 10 + (Name[i] - u'0');
        if (value > 9999999) return -1;
    }
    return value;
}

} // namespace

void TForm4::MakePortList() {
    PortCount = 0;
    ComboBox2->GetItems()->Clear();
    std::unique_ptr<TRegistry> reg(new TRegistry());
    reg->SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg->OpenKey(u"HARDWARE\\DEVICEMAP\\SERIALCOMM", false)) {
        std::unique_ptr<TStringList> names(new TStringList());
        reg->GetValueNames(names.get());
        for (int i = 0; i < names->GetCount() && PortCount < MaxPorts; ++i) {
            UnicodeString data;
            try {
                data = reg->ReadString(names->Get(i));
            } catch (Exception&) {
                continue; // a value that is no text names no port
            }
            int number = PortNumberOf(data);
            if (number < 0) continue;
            PortNumbers[PortCount++] = number;
            ComboBox2->GetItems()->Add(u"COM" + IntToStr(number));
        }
    }
    int count = ComboBox2->GetItems()->GetCount();
    ComboBox2->SetItemIndex(ComPortIndex >= 0 && ComPortIndex < count ? ComPortIndex : 0);
}
