// The confirmation dialog of a parameter-file load: shows the file's name
// and comment and asks whether to send its parameters to the drive.
#pragma once

#include <quorlpak/Form.h>

class TLabel;
class TBitBtn;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr; // the file's full name
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr; // the file's comment line
    TLabel* Label5 = nullptr;
    TLabel* Label6 = nullptr;
    TBitBtn* BitBtn1 = nullptr; // Yes
    TBitBtn* BitBtn2 = nullptr; // Cancel
};

extern TForm1* Form1;

void Unit1Initialize();
void Unit1Finalize();
