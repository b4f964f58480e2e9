// The main form's class description and its form description.
#include "Unit4.h"

#include <quorlpak/Buttons.h>
#include <quorlpak/ComCtrls.h>
#include <quorlpak/Dialogs.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/FormDescriptions.h>
#include <quorlpak/Menus.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/Timer.h>

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner) {}

void TForm4::Loaded() {
    TForm::Loaded();
    // The client area is as designed, with the menu bar above it: the menu is
    // set here rather than by the description, whose reference to it would
    // be resolved only after the client size was applied, and shrink it.
    if (MainMenu1 && !GetMenu()) {
        const int width = GetClientWidth(), height = GetClientHeight();
        GetHandle(); // the bar takes its room only on a window
        SetMenu(MainMenu1);
        SetClientWidth(width);
        SetClientHeight(height);
    }
}

TClass TForm4::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TForm4>(u"TForm4", TForm::StaticClass())
                                     .Field(u"Label72", &TForm4::Label72)
                                     .Field(u"Label100", &TForm4::Label100)
                                     .Field(u"Label93", &TForm4::Label93)
                                     .Field(u"Label101", &TForm4::Label101)
                                     .Field(u"ComboBox2", &TForm4::ComboBox2)
                                     .Field(u"ComboBox1", &TForm4::ComboBox1)
                                     .Field(u"Button5", &TForm4::Button5)
                                     .Field(u"Button1", &TForm4::Button1)
                                     .Field(u"Button2", &TForm4::Button2)
                                     .Field(u"Button3", &TForm4::Button3)
                                     .Field(u"BitBtn1", &TForm4::BitBtn1)
                                     .Field(u"Label94", &TForm4::Label94)
                                     .Field(u"Label95", &TForm4::Label95)
                                     .Field(u"Label96", &TForm4::Label96)
                                     .Field(u"Label97", &TForm4::Label97)
                                     .Field(u"Label98", &TForm4::Label98)
                                     .Field(u"Label99", &TForm4::Label99)
                                     .Field(u"Label104", &TForm4::Label104)
                                     .Field(u"Label105", &TForm4::Label105)
                                     .Field(u"Label73", &TForm4::Label73)
                                     .Field(u"Edit91", &TForm4::Edit91)
                                     .Field(u"PageControl1", &TForm4::PageControl1)
                                     .Field(u"TabSheet1", &TForm4::TabSheet1)
                                     .Field(u"Label1", &TForm4::Label1)
                                     .Field(u"Label2", &TForm4::Label2)
                                     .Field(u"Label3", &TForm4::Label3)
                                     .Field(u"Label4", &TForm4::Label4)
                                     .Field(u"Label5", &TForm4::Label5)
                                     .Field(u"Label6", &TForm4::Label6)
                                     .Field(u"Label7", &TForm4::Label7)
                                     .Field(u"Label8", &TForm4::Label8)
                                     .Field(u"Label9", &TForm4::Label9)
                                     .Field(u"Edit1", &TForm4::Edit1)
                                     .Field(u"Edit2", &TForm4::Edit2)
                                     .Field(u"Edit3", &TForm4::Edit3)
                                     .Field(u"Edit4", &TForm4::Edit4)
                                     .Field(u"Edit7", &TForm4::Edit7)
                                     .Field(u"Edit8", &TForm4::Edit8)
                                     .Field(u"RadioGroup1", &TForm4::RadioGroup1)
                                     .Field(u"RadioGroup2", &TForm4::RadioGroup2)
                                     .Field(u"RadioGroup3", &TForm4::RadioGroup3)
                                     .Field(u"RadioGroup4", &TForm4::RadioGroup4)
                                     .Field(u"RadioGroup5", &TForm4::RadioGroup5)
                                     .Field(u"RadioGroup6", &TForm4::RadioGroup6)
                                     .Field(u"CheckBox1", &TForm4::CheckBox1)
                                     .Field(u"CheckBox2", &TForm4::CheckBox2)
                                     .Field(u"CheckBox3", &TForm4::CheckBox3)
                                     .Field(u"CheckBox4", &TForm4::CheckBox4)
                                     .Field(u"CheckBox5", &TForm4::CheckBox5)
                                     .Field(u"CheckBox6", &TForm4::CheckBox6)
                                     .Field(u"CheckBox7", &TForm4::CheckBox7)
                                     .Field(u"CheckBox8", &TForm4::CheckBox8)
                                     .Field(u"CheckBox9", &TForm4::CheckBox9)
                                     .Field(u"MainMenu1", &TForm4::MainMenu1)
                                     .Field(u"File1", &TForm4::File1)
                                     .Field(u"Load1", &TForm4::Load1)
                                     .Field(u"Save1", &TForm4::Save1)
                                     .Field(u"LoadProg1", &TForm4::LoadProg1)
                                     .Field(u"SaveProg1", &TForm4::SaveProg1)
                                     .Field(u"About1", &TForm4::About1)
                                     .Field(u"Ver1501", &TForm4::Ver1501)
                                     .Field(u"Timer1", &TForm4::Timer1)
                                     .Field(u"OpenDialog1", &TForm4::OpenDialog1)
                                     .Field(u"SaveDialog1", &TForm4::SaveDialog1)
                                     .Method(u"FormCreate", &TForm4::FormCreate)
                                     .Method(u"FormClose", &TForm4::FormClose)
                                     .Method(u"Timer1Timer", &TForm4::Timer1Timer)
                                     .Method(u"Button5Click", &TForm4::Button5Click)
                                     .Method(u"BitBtn1Click", &TForm4::BitBtn1Click)
                                     .Method(u"Button1Click", &TForm4::Button1Click)
                                     .Method(u"Button2Click", &TForm4::Button2Click)
                                     .Method(u"Button3Click", &TForm4::Button3Click)
                                     .Method(u"Edit1Exit", &TForm4::Edit1Exit)
                                     .Method(u"Edit2Exit", &TForm4::Edit2Exit)
                                     .Method(u"Edit3Exit", &TForm4::Edit3Exit)
                                     .Method(u"Edit4Exit", &TForm4::Edit4Exit)
                                     .Method(u"Edit7Exit", &TForm4::Edit7Exit)
                                     .Method(u"Edit8Exit", &TForm4::Edit8Exit)
                                     .Method(u"Save1Click", &TForm4::Save1Click)
                                     .Method(u"Load1Click", &TForm4::Load1Click)
                                     .Method(u"SaveProg1Click", &TForm4::SaveProg1Click)
                                     .Method(u"About1Click", &TForm4::About1Click)
                                     .Method(u"Ver1501Click", &TForm4::Ver1501Click));
    return &meta;
}

namespace {

// The main window. Colours are the framework's values, blue in the low byte.
const char16_t* const Form4Text = uR"(
TForm4 Form4 {
    Caption = "VELTRO7"
    ClientWidth = 596
    ClientHeight = 545
    Position = poDesigned
    OnCreate = FormCreate
    OnClose = FormClose

    TLabel Label72 { Left = 16  Top = 12  Caption = "REFPOS：" Font = { Color = 0x008000  Style = [fsBold] } }
    TLabel Label100 { Left = 96  Top = 12  Caption = "0000000000" Font = { Color = 0x008000  Style = [fsBold] } }
    TLabel Label93 { Left = 16  Top = 36  Caption = "ENCPOS：" Font = { Color = 0x800000  Style = [fsBold] } }
    TLabel Label101 { Left = 96  Top = 36  Caption = "0000000000" Font = { Color = 0x800000  Style = [fsBold] } }
    TComboBox ComboBox2 { Left = 290  Top = 8  Width = 90  Text = "ComboBox2" Style = csDropDownList }
    TComboBox ComboBox1 { Left = 386  Top = 8  Width = 90  Text = "9600" Style = csDropDownList }
    TButton Button5 { Left = 490  Top = 6  Width = 96  Height = 28  Caption = "OFFLINE"  OnClick = Button5Click }
    TBitBtn BitBtn1 {
        Left = 290  Top = 40  Width = 130  Height = 28  Caption = "Servo Off"
        Font = { Color = 0xFF0000  Style = [fsBold] }
        OnClick = BitBtn1Click
    }
    TButton Button1 { Left = 430  Top = 40  Width = 75  Height = 28  Caption = "転送"  OnClick = Button1Click }
    TButton Button2 { Left = 511  Top = 40  Width = 75  Height = 28  Caption = "保存"  OnClick = Button2Click }
    TButton Button3 { Left = 511  Top = 74  Width = 75  Height = 28  Caption = "終了"  OnClick = Button3Click }
    TLabel Label94 { Left = 16  Top = 64  Caption = "アラーム：" }
    TLabel Label95 { Left = 96  Top = 64  Caption = "なし" }
    TLabel Label96 { Left = 16  Top = 84  Caption = "DBK：" }
    TLabel Label97 { Left = 96  Top = 84  Caption = "OFF" }
    TLabel Label98 { Left = 150  Top = 84  Caption = "GLOW：" }
    TLabel Label99 { Left = 220  Top = 84  Caption = "OFF" }
    TLabel Label104 { Left = 16  Top = 108  Caption = "" Font = { Color = 0x0000FF  Style = [fsBold] } }
    TLabel Label105 { Left = 300  Top = 108  Caption = "" Font = { Color = 0xFF00FF  Style = [fsBold] } }
    TLabel Label73 { Left = 16  Top = 140  Caption = "セーブファイルコメント" }
    TEdit Edit91 { Left = 180  Top = 136  Width = 406  Text = "コメント無し" }

    TPageControl PageControl1 {
        Left = 8  Top = 168  Width = 580  Height = 369
        TTabSheet TabSheet1 {
            Caption = "Page1"
            TLabel Label1 { Left = 8  Top = 6  Caption = "#00 エンコーダ分解能（１逓倍）" }
            TEdit Edit1 { Left = 8  Top = 22  Width = 120  Text = ""  OnExit = Edit1Exit }
            TLabel Label2 { Left = 8  Top = 50  Caption = "#01 外部逓倍器" }
            TEdit Edit2 { Left = 8  Top = 66  Width = 120  Text = ""  OnExit = Edit2Exit }
            TLabel Label3 { Left = 8  Top = 94  Caption = "#02 モータ局数（回転型）、磁極ピッチ（リニア）" }
            TEdit Edit3 { Left = 8  Top = 110  Width = 120  Text = ""  OnExit = Edit3Exit }
            TLabel Label4 { Left = 8  Top = 138  Caption = "#03 モータ形式" }
            TEdit Edit4 { Left = 8  Top = 154  Width = 120  Text = ""  OnExit = Edit4Exit }
            TLabel Label7 { Left = 8  Top = 182  Caption = "#06 電気角オフセット" }
            TEdit Edit7 { Left = 8  Top = 198  Width = 120  Text = ""  OnExit = Edit7Exit }
            TLabel Label8 { Left = 8  Top = 226  Caption = "#07 内部指令パルス設定" }
            TEdit Edit8 { Left = 8  Top = 242  Width = 120  Text = ""  OnExit = Edit8Exit }

            TLabel Label5 { Left = 290  Top = 6  Caption = "#04 エンコーダパルスモード" }
            TRadioGroup RadioGroup3 {
                Left = 290  Top = 22  Width = 130  Height = 72  Caption = "逓倍"
                Items.Strings = ("１逓倍", "２逓倍", "４逓倍")  ItemIndex = 0
            }
            TRadioGroup RadioGroup4 {
                Left = 426  Top = 22  Width = 140  Height = 72  Caption = "磁極検知"
                Items.Strings = ("ポールセンサ（正論理）", "ポールセンサ（負論理）", "直流励磁")  ItemIndex = 0
            }
            TRadioGroup RadioGroup5 {
                Left = 290  Top = 98  Width = 130  Height = 56  Caption = "エンコーダ極性"
                Items.Strings = ("A相先行", "B相先行")  ItemIndex = 0
            }
            TRadioGroup RadioGroup6 {
                Left = 426  Top = 98  Width = 140  Height = 56  Caption = "エンコーダアラーム"
                Items.Strings = ("ハイデンハインタイプ", "レニショータイプ")  ItemIndex = 0
            }
            TLabel Label6 { Left = 290  Top = 162  Caption = "#05 指令パルスモード" }
            TRadioGroup RadioGroup2 {
                Left = 290  Top = 178  Width = 130  Height = 56  Caption = "逓倍"
                Items.Strings = ("１逓倍", "２逓倍")  ItemIndex = 0
            }
            TRadioGroup RadioGroup1 {
                Left = 426  Top = 178  Width = 140  Height = 56  Caption = "信号タイプ"
                Items.Strings = ("CW、CCW新党", "パルス、方向信号")  ItemIndex = 1
            }

            TLabel Label9 { Left = 8  Top = 276  Caption = "#56 アラームマスク" }
            TCheckBox CheckBox1 { Left = 8  Top = 296  Width = 58  Caption = "PRM" }
            TCheckBox CheckBox2 { Left = 70  Top = 296  Width = 58  Caption = "FTMP" }
            TCheckBox CheckBox3 { Left = 132  Top = 296  Width = 58  Caption = "MTMP" }
            TCheckBox CheckBox4 { Left = 194  Top = 296  Width = 58  Caption = "OVC" }
            TCheckBox CheckBox5 { Left = 256  Top = 296  Width = 58  Caption = "ENC" }
            TCheckBox CheckBox6 { Left = 318  Top = 296  Width = 58  Caption = "OFE" }
            TCheckBox CheckBox7 { Left = 380  Top = 296  Width = 58  Caption = "OFP" }
            TCheckBox CheckBox8 { Left = 442  Top = 296  Width = 58  Caption = "OVV" }
            TCheckBox CheckBox9 { Left = 504  Top = 296  Width = 58  Caption = "FC" }
        }
    }

    TMainMenu MainMenu1 {
        TMenuItem File1 {
            Caption = "File"
            TMenuItem Load1 { Caption = "Load"  OnClick = Load1Click }
            TMenuItem Save1 { Caption = "Save"  OnClick = Save1Click }
            TMenuItem LoadProg1 { Caption = "Load Prog" }
            TMenuItem SaveProg1 { Caption = "Save Prog"  OnClick = SaveProg1Click }
        }
        TMenuItem About1 {
            Caption = "About"
            OnClick = About1Click
            TMenuItem Ver1501 { Caption = "Ver150"  OnClick = Ver1501Click }
        }
    }
    TTimer Timer1 { Interval = 200  Enabled = true  OnTimer = Timer1Timer }
    TOpenDialog OpenDialog1 { }
    TSaveDialog SaveDialog1 { }
}
)";

} // namespace

void Unit4Initialize() {
    RegisterFormClass(TForm4::StaticClass(), Form4Text);
}

void Unit4Finalize() {
    UnRegisterFormClass(TForm4::StaticClass());
}
