// Not a check but a picture: with QUORLPAK_SAMPLE_PNG set to a file path,
// saves a sample form with Latin and Japanese text as a PNG for a person to
// look at. Skipped otherwise.
#include "QuorlpakTestSupport.h"

#include <quorlpak/Buttons.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>

#include <runpak/Filer.h>

#include <cstdlib>

namespace {

const char16_t* const kSampleForm = uR"FORM(
TForm SampleForm {
    Left = 20
    Top = 20
    ClientWidth = 460
    ClientHeight = 330
    Caption = "サーボ設定 - Servo setup"
    TLabel CommentLabel { Left = 12  Top = 14  Caption = "セーブファイルコメント" }
    TEdit CommentEdit { Left = 170  Top = 10  Width = 278  Text = "Axis 1: 試運転 OK" }
    TLabel AlarmLabel {
        Left = 12  Top = 44  Caption = "アラーム："
        Font = { Color = 0x0000FF  Style = [fsBold] }
    }
    TLabel AlarmText { Left = 100  Top = 44  Caption = "AL.16 Encoder error (エンコーダ異常)" }
    TCheckBox SaveCheck { Left = 12  Top = 72  Width = 200  Caption = "&Save on exit / 終了時に保存"  State = cbChecked }
    TComboBox PortCombo {
        Left = 250  Top = 70  Width = 198  Style = csDropDownList
        Items.Strings = ("COM1", "COM2 (USB シリアル)")  ItemIndex = 1
    }
    TRadioGroup ModeGroup {
        Left = 12  Top = 102  Width = 220  Height = 90  Caption = "制御モード Mode"  Columns = 2
        Items.Strings = ("位置 Position", "速度 Speed", "トルク Torque")  ItemIndex = 1
    }
    TGroupBox LimitsBox {
        Left = 244  Top = 102  Width = 204  Height = 90  Caption = "Limits 制限"
        TLabel SpeedLabel { Left = 10  Top = 24  Caption = "速度 [rpm]" }
        TEdit SpeedEdit { Left = 100  Top = 20  Width = 90  Text = "3000" }
        TLabel TorqueLabel { Left = 10  Top = 54  Caption = "Torque [%]" }
        TEdit TorqueEdit { Left = 100  Top = 50  Width = 90  Text = "120" }
    }
    TListBox LogList {
        Left = 12  Top = 200  Width = 220  Height = 84
        Items.Strings = ("12:00:01 接続しました", "12:00:02 Parameters read", "12:00:05 アラーム解除")
        ItemIndex = 1
    }
    TButton OkButton { Left = 244  Top = 258  Caption = "OK"  Default = true  ModalResult = 1 }
    TBitBtn CancelButton { Left = 330  Top = 258  Kind = bkCancel  Font = { Color = 0x0000C0  Style = [fsBold] } }
    TBitBtn YesButton { Left = 244  Top = 226  Width = 160  Kind = bkYes  Caption = "&Yes はい" }
    TPanel StatusPanel {
        Align = alBottom  Height = 24  Caption = "  Ready 準備完了"  Alignment = taLeftJustify  BevelOuter = bvLowered
    }
}
)FORM";

class SampleFormPng : public QuorlpakTest {};

TEST_F(SampleFormPng, SavesASampleFormWithLatinAndJapaneseText) {
    const char* path = std::getenv("QUORLPAK_SAMPLE_PNG");
    if (!path || !*path)
        GTEST_SKIP() << "set QUORLPAK_SAMPLE_PNG to a file path to get the picture";
    auto* form = static_cast<TForm*>(ObjectTextToComponent(kSampleForm, new TForm(Application)));
    form->AfterConstruction();
    form->Show();
    Pump();
    HDC dc = GetWindowDC(form->GetHandle());
    EXPECT_TRUE(win32::SaveDCAsPng(dc, path));
    ReleaseDC(form->GetHandle(), dc);
}

} // namespace
