#include "Unit1.h"

#include <quorlpak/Buttons.h>
#include <quorlpak/FormDescriptions.h>
#include <quorlpak/StdCtrls.h>

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {}

TClass TForm1::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TForm1>(u"TForm1", TForm::StaticClass())
                                     .Field(u"Label1", &TForm1::Label1)
                                     .Field(u"Label2", &TForm1::Label2)
                                     .Field(u"Label3", &TForm1::Label3)
                                     .Field(u"Label4", &TForm1::Label4)
                                     .Field(u"Label5", &TForm1::Label5)
                                     .Field(u"Label6", &TForm1::Label6)
                                     .Field(u"BitBtn1", &TForm1::BitBtn1)
                                     .Field(u"BitBtn2", &TForm1::BitBtn2));
    return &meta;
}

namespace {

const char16_t* const Form1Text = uR"(
TForm1 Form1 {
    Caption = "確認"
    ClientWidth = 527
    ClientHeight = 243
    Position = poMainFormCenter
    BorderStyle = bsDialog
    TLabel Label1 { Left = 24  Top = 24  Caption = "ファイル名：" }
    TLabel Label2 { Left = 180  Top = 24  Caption = "＊＊＊" }
    TLabel Label3 { Left = 24  Top = 56  Caption = "セーブファイルコメント：" }
    TLabel Label4 {
        Left = 180  Top = 56  Caption = "＊＊＊"
        Font = { Color = 0x008000  Style = [fsBold] }
    }
    TLabel Label5 { Left = 24  Top = 104  Caption = "このファイルのパラメータを転送します。" }
    TLabel Label6 { Left = 24  Top = 132  Caption = "保存する場合は転送後「保存ボタン」を押して下さい。" }
    TBitBtn BitBtn1 { Left = 128  Top = 184  Width = 100  Height = 32  Kind = bkYes }
    TBitBtn BitBtn2 { Left = 300  Top = 184  Width = 100  Height = 32  Kind = bkCancel }
}
)";

} // namespace

void Unit1Initialize() {
    RegisterFormClass(TForm1::StaticClass(), Form1Text);
}

void Unit1Finalize() {
    UnRegisterFormClass(TForm1::StaticClass());
}
