// Creation and closing of the main window, the settings file, the exit
// button, the administrator query and the About menu.
#include "Unit4.h"

#include <quorlpak/Application.h>
#include <quorlpak/Menus.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/Timer.h>
#include <runpak/IniFiles.h>
#include <runpak/Strings.h>
#include <win32/windows.h>

#include <memory>

namespace {

UnicodeString SettingsFileName() {
    return ChangeFileExt(u"KVDX", u".INI");
}

} // namespace

void TForm4::ShowMessageBox(const UnicodeString& Text) {
    // A modal box pumps the thread's messages: the timer ticks inside it
    // unless the caller stopped it.
    Application->MessageBox(Text, GetCaption(), MB_OK);
}

void TForm4::FormCreate(TObject* Sender) {
    {
        std::unique_ptr<TIniFile> ini(new TIniFile(SettingsFileName()));
        ComPortIndex = ini->ReadInteger(u"misc", u"COM", 1);
        BaudRate = ini->ReadInteger(u"misc", u"BAUD", 9600);
        SetTop(ini->ReadInteger(u"Param", u"Top", 0));
        SetLeft(ini->ReadInteger(u"Param", u"Left", 0));
    }
    TStrings* rates = ComboBox1->GetItems();
    rates->Clear();
    rates->Add(u"9600");
    rates->Add(u"19200");
    rates->Add(u"38400");
    ComboBox1->SetItemIndex(rates->IndexOf(IntToStr(BaudRate)));
    ComboBox1->SetVisible(false);
    MakePortList();
    hComm = INVALID_HANDLE_VALUE;
    FirstTick = true;
}

void TForm4::FormClose(TObject* Sender, TCloseAction& Action) {
    if (!IsAdmin) return;
    std::unique_ptr<TIniFile> ini(new TIniFile(SettingsFileName()));
    ini->WriteInteger(u"misc", u"COM", ComPortIndex);
    ini->WriteInteger(u"misc", u"BAUD", BaudRate);
    ini->WriteInteger(u"Param", u"Top", GetTop());
    ini->WriteInteger(u"Param", u"Left", GetLeft());
}

void TForm4::Button3Click(TObject* Sender) {
    TCloseAction action = caFree;
    FormClose(this, action);
    ExitProcess(0);
}

bool TForm4::CheckAdminRights() {
    HMODULE shell = LoadLibraryW(u"SHELL32.DLL");
    if (!shell) return false;
    using IsUserAnAdminProc = BOOL (*)();
    FARPROC entry = GetProcAddress(shell, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(680)));
    auto isUserAnAdmin = reinterpret_cast<IsUserAnAdminProc>(reinterpret_cast<void*>(entry));
    // A library without the query cannot vouch for the user: no rights.
    bool admin = isUserAnAdmin && isUserAnAdmin() != 0;
    FreeLibrary(shell);
    return admin;
}

void TForm4::About1Click(TObject* Sender) {
    if (!IsOnline()) return;
    Timer1->SetEnabled(false);
    ReadVer();
    Ver1501->SetCaption(u"Ver" + IntToStr(ParamTable[PARAM_VERSION]));
    Timer1->SetEnabled(true);
}

void TForm4::Ver1501Click(TObject* Sender) {}

void TForm4::SaveProg1Click(TObject* Sender) {}
