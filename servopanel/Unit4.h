// The panel's main window: the serial line to the drive, the drive's command
// protocol, the 200 ms polling cycle, the parameter page, parameter files
// and the settings. Everything runs on the user-interface thread; a reply is
// awaited by polling the port, without handling window messages.
#pragma once

#include "ReplyLine.h"

#include <quorlpak/Form.h>
#include <win32/windef.h>

#include <cstdint>

class TLabel;
class TEdit;
class TButton;
class TBitBtn;
class TComboBox;
class TCheckBox;
class TRadioGroup;
class TPageControl;
class TTabSheet;
class TMainMenu;
class TMenuItem;
class TOpenDialog;
class TSaveDialog;
class TTimer;

// Parameters with a fixed role in the drive.
constexpr int PARAM_ALARM_BITS = 15;
constexpr int PARAM_ENCODER_POS = 16;
constexpr int PARAM_REFERENCE_POS = 17;
constexpr int PARAM_VERSION = 21;
constexpr int PARAM_ALARM_MASK = 56;
constexpr int PARAM_STATUS = 57;
constexpr int PARAM_BAUD_CODE = 78;

class TForm4 : public TForm {
public:
    explicit TForm4(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Components (published: the form description fills them) ---
    TLabel* Label72 = nullptr;
    TLabel* Label100 = nullptr;
    TLabel* Label93 = nullptr;
    TLabel* Label101 = nullptr;
    TComboBox* ComboBox2 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TButton* Button5 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TLabel* Label94 = nullptr;
    TLabel* Label95 = nullptr;
    TLabel* Label96 = nullptr;
    TLabel* Label97 = nullptr;
    TLabel* Label98 = nullptr;
    TLabel* Label99 = nullptr;
    TLabel* Label104 = nullptr;
    TLabel* Label105 = nullptr;
    TLabel* Label73 = nullptr;
    TEdit* Edit91 = nullptr;
    TPageControl* PageControl1 = nullptr;
    TTabSheet* TabSheet1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label6 = nullptr;
    TLabel* Label7 = nullptr;
    TLabel* Label8 = nullptr;
    TLabel* Label9 = nullptr;
    TEdit* Edit1 = nullptr;
    TEdit* Edit2 = nullptr;
    TEdit* Edit3 = nullptr;
    TEdit* Edit4 = nullptr;
    TEdit* Edit7 = nullptr;
    TEdit* Edit8 = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;
    TRadioGroup* RadioGroup2 = nullptr;
    TRadioGroup* RadioGroup3 = nullptr;
    TRadioGroup* RadioGroup4 = nullptr;
    TRadioGroup* RadioGroup5 = nullptr;
    TRadioGroup* RadioGroup6 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TCheckBox* CheckBox2 = nullptr;
    TCheckBox* CheckBox3 = nullptr;
    TCheckBox* CheckBox4 = nullptr;
    TCheckBox* CheckBox5 = nullptr;
    TCheckBox* CheckBox6 = nullptr;
    TCheckBox* CheckBox7 = nullptr;
    TCheckBox* CheckBox8 = nullptr;
    TCheckBox* CheckBox9 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* Load1 = nullptr;
    TMenuItem* Save1 = nullptr;
    TMenuItem* LoadProg1 = nullptr;
    TMenuItem* SaveProg1 = nullptr;
    TMenuItem* About1 = nullptr;
    TMenuItem* Ver1501 = nullptr;
    TTimer* Timer1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;

    // --- Event handlers ---
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void Timer1Timer(TObject* Sender);
    void Button5Click(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button3Click(TObject* Sender);
    void Edit1Exit(TObject* Sender);
    void Edit2Exit(TObject* Sender);
    void Edit3Exit(TObject* Sender);
    void Edit4Exit(TObject* Sender);
    void Edit7Exit(TObject* Sender);
    void Edit8Exit(TObject* Sender);
    void Save1Click(TObject* Sender);
    void Load1Click(TObject* Sender);
    void SaveProg1Click(TObject* Sender);
    void About1Click(TObject* Sender);
    void Ver1501Click(TObject* Sender);

    // --- Serial line ---
    void rsopen(int Port, int Baud);
    int rsputc(unsigned char Byte);
    // Empties the input queue of replies that came after their command gave up.
    void DiscardStaleInput();
    int rsputs(const char* Text);
    int rsgetc(unsigned char& Byte);
    int ReadReplyLine(TReplyLine& Line);
    void MakePortList();
    // The device name a port number opens under.
    static UnicodeString PortName(int Port);
    bool IsOnline() const { return hComm != INVALID_HANDLE_VALUE; }
    void ClosePort();

    // --- Drive protocol ---
    int Read1Param(int N, bool Quiet);
    int Write1Param(int N);
    int ReadParamAll();
    int WriteParamAll(bool IgnoreErrors);
    int ReadParam();
    int WriteParam();
    void ReadPos();
    void ReadRef();
    int ReadVer();
    void Act1();

    // --- Polling cycle ---
    void ShowStatus();

    // --- Parameter page ---
    void EditWrite(int N);
    int GetEditValue(int N);

    // --- Settings ---
    bool CheckAdminRights();

    // Shows a modal message box with Text (the timer keeps running unless
    // the caller stopped it).
    void ShowMessageBox(const UnicodeString& Text);

    // --- State of the line, the protocol and the cycle ---
    HANDLE hComm = INVALID_HANDLE_VALUE;
    // When the current reply read began; the read gives up 5000 ms later.
    // Elapsed time is measured from here, which stays right across the
    // 32-bit wrap of the tick count.
    DWORD RxStart = 0;
    bool RxTimedOut = false;
    // Bytes taken from the port ahead of rsgetc: one read takes all that
    // waits instead of one read per byte. They belong to the reply being
    // read; anything left when the next command goes out is stale input.
    unsigned char RxBuffer[256] = {};
    DWORD RxHead = 0;
    DWORD RxTail = 0;
    static constexpr int MaxPorts = 256;
    int PortNumbers[MaxPorts] = {};
    int PortCount = 0;
    int ComPortIndex = 1;
    int BaudRate = 9600;
    int32_t ParamTable[128] = {};
    // Whether the baud code in ParamTable came from the drive or a loaded
    // file since start; only then may the store command apply it.
    bool BaudCodeKnown = false;
    bool FirstTick = false;
    bool IsAdmin = false;
    bool ConnectPending = false;
    uint8_t ActError = 0;
    bool ServoToggleRequest = false;
    int PollStep = 0;

    static constexpr DWORD ReplyTimeoutMs = 5000;

protected:
    void Loaded() override;

private:
    void EditExit(TEdit* Edit, int N);
    TEdit* EditOf(int N) const;
};

extern TForm4* Form4;

// Registers the form's description and classes; the program calls it before
// creating the form.
void Unit4Initialize();
void Unit4Finalize();
