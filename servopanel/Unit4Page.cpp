// The parameter page: parameters 0 to 7 and the alarm mask shown as edit
// boxes, radio groups and check boxes, and composed back from them.
#include "Unit4.h"

#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Strings.h>

namespace {

TCheckBox* const TForm4::*const alarmMaskBoxes[] = {
    &TForm4::CheckBox9, &TForm4::CheckBox8, &TForm4::CheckBox7,
    &TForm4::CheckBox6, &TForm4::CheckBox5, &TForm4::CheckBox4,
    &TForm4::CheckBox3, &TForm4::CheckBox2, &TForm4::CheckBox1}; // bit 0 first

} // namespace

TEdit* TForm4::EditOf(int N) const {
    switch (N) {
    case 0:
        return Edit1;
    case 1:
        return Edit2;
    case 2:
        return Edit3;
    case 3:
        return Edit4;
    case 6:
        return Edit7;
    case 7:
        return Edit8;
    default:
        return nullptr;
    }
}

void TForm4::EditWrite(int N) {
    int32_t value = N >= 0 && N < 128 ? ParamTable[N] : 0;
    if (TEdit* edit = EditOf(N)) {
        edit->SetText(IntToStr(value));
        return;
    }
    switch (N) {
    case 4: {
        int multiplier = value & 3;
        RadioGroup3->SetItemIndex(multiplier == 3 ? 2 : multiplier);
        RadioGroup4->SetItemIndex((value & 4) ? 2 : (value & 16) ? 1 : 0);
        RadioGroup5->SetItemIndex((value >> 5) & 1);
        RadioGroup6->SetItemIndex((value >> 6) & 1);
        break;
    }
    case 5:
        RadioGroup2->SetItemIndex((value >> 1) & 1);
        RadioGroup1->SetItemIndex((value >> 2) & 1);
        break;
    case PARAM_ALARM_MASK:
        for (int bit = 0; bit < 9; ++bit)
            (this->*alarmMaskBoxes[bit])->SetChecked((value >> bit) & 1);
        break;
    default:
        break;
    }
}

int TForm4::GetEditValue(int N) {
    if (TEdit* edit = EditOf(N)) return StrToInt(edit->GetText());
    switch (N) {
    case 4: {
        int value = RadioGroup3->GetItemIndex();
        if (RadioGroup4->GetItemIndex() == 2)
            value += 4;
        else if (RadioGroup4->GetItemIndex() == 1)
            value += 16;
        if (RadioGroup5->GetItemIndex() == 1) value += 32;
        if (RadioGroup6->GetItemIndex() == 1) value += 64;
        return value;
    }
    case 5: {
        int value = 0;
        if (RadioGroup1->GetItemIndex() == 1) value += 4;
        if (RadioGroup2->GetItemIndex() == 1) value += 2;
        return value;
    }
    case PARAM_ALARM_MASK: {
        int value = 0;
        for (int bit = 0; bit < 9; ++bit)
            if ((this->*alarmMaskBoxes[bit])->GetChecked()) value += 1 << bit;
        return value;
    }
    default:
        return 0;
    }
}

void TForm4::EditExit(TEdit* Edit, int N) {
    try {
        StrToInt(Edit->GetText());
    } catch (EConvertError&) {
        Edit->SetText(IntToStr(ParamTable[N]));
    }
}

void TForm4::Edit1Exit(TObject* Sender) {
    EditExit(Edit1, 0);
}
void TForm4::Edit2Exit(TObject* Sender) {
    EditExit(Edit2, 1);
}
void TForm4::Edit3Exit(TObject* Sender) {
    EditExit(Edit3, 2);
}
void TForm4::Edit4Exit(TObject* Sender) {
    EditExit(Edit4, 3);
}
void TForm4::Edit7Exit(TObject* Sender) {
    EditExit(Edit7, 6);
}
void TForm4::Edit8Exit(TObject* Sender) {
    EditExit(Edit8, 7);
}
