// The bound controls page: an edit, a check box, a combo box, a radio group
// and a list box over the fields of one property set; the exercise types and
// clicks into some of them, and the others follow the set.
#include "WorkbenchPage.h"

#include <benchkit/props/IDEPropCtrls.h>
#include <benchkit/props/IDERegIniPropSet.h>
#include <quorlpak/StdCtrls.h>
#include <win32/windows.h>

namespace {

TIniPropSet* gSet = nullptr;
TPropEdit* gEdit = nullptr;
TPropComboBox* gCombo = nullptr;
TPropRadioGroup* gGroup = nullptr;
propctrls::TPropListBox* gList = nullptr;
TEdit* gMirror = nullptr;

template <class F> F* AddField(const char16_t* name) {
    auto* f = new F(gSet);
    f->SetFieldName(name);
    f->SetPropSet(gSet);
    return f;
}

template <class C> C* AddControl(TWinControl* Sheet, const char16_t* field, int y, int h = 24) {
    auto* label = new TLabel(Sheet);
    label->SetParent(Sheet);
    label->SetBounds(16, y + 4, 90, 16);
    label->SetCaption(field);
    auto* c = new C(Sheet);
    c->SetParent(Sheet);
    c->SetBounds(110, y, 200, h);
    c->SetPropSet(gSet);
    c->SetPropField(field);
    return c;
}

void Build(TWinControl* Sheet) {
    gSet = new TIniPropSet(Sheet);
    AddField<TStringPropField>(u"Title")->SetValue(Variant(UnicodeString(u"Untitled")));
    AddField<TBooleanPropField>(u"Visible")->SetValue(Variant(true));
    auto* speed = AddField<TIntegerPropField>(u"Speed");
    auto* align = AddField<TIntegerPropField>(u"Align");

    gEdit = AddControl<TPropEdit>(Sheet, u"Title", 16);
    auto* check = AddControl<TPropCheckBox>(Sheet, u"Visible", 48);
    check->SetCaption(u"shown");
    gCombo = AddControl<TPropComboBox>(Sheet, u"Speed", 80);
    gCombo->SetStyle(csDropDownList);
    gGroup = AddControl<TPropRadioGroup>(Sheet, u"Align", 112, 100);
    gGroup->SetCaption(u"Align");
    gList = AddControl<propctrls::TPropListBox>(Sheet, u"Speed", 224, 60);

    // Notes as lines, a number on an up-down, a colour, and the grid's
    // foreground and background colours.
    AddField<TStringPropField>(u"Notes")->SetValue(
        Variant(UnicodeString(u"First line\r\nSecond line")));
    AddField<TIntegerPropField>(u"Count")->SetValue(12);
    AddField<TStringPropField>(u"Colour")->SetValue(Variant(UnicodeString(u"clTeal")));
    AddField<TIntegerPropField>(u"Ink")->SetValue(9);
    AddField<TIntegerPropField>(u"Paper")->SetValue(14);
    AddControl<TPropMemo>(Sheet, u"Notes", 300, 60);
    auto* countEdit = AddControl<TPropEdit>(Sheet, u"Count", 376);
    countEdit->SetWidth(60);
    auto* updown = new TPropUpDown(Sheet);
    updown->SetParent(Sheet);
    updown->SetMax(1000);
    updown->SetAssociate(countEdit);
    updown->SetPropSet(gSet);
    updown->SetPropField(u"Count");
    AddControl<TPropColorBox>(Sheet, u"Colour", 408);
    auto* grid = new TPropColorGrid(Sheet);
    grid->SetParent(Sheet);
    grid->SetBounds(110, 440, 120, 120);
    grid->SetPropSet(gSet);
    grid->SetForeColorPropField(u"Ink");
    grid->SetBackColorPropField(u"Paper");

    // A second view of the title: it follows what the first one pushes.
    auto* label = new TLabel(Sheet);
    label->SetParent(Sheet);
    label->SetBounds(340, 20, 200, 16);
    label->SetCaption(u"Title, as the set holds it:");
    gMirror = new TEdit(Sheet);
    gMirror->SetParent(Sheet);
    gMirror->SetBounds(340, 40, 200, 24);
    gMirror->SetReadOnly(true);
    auto* link = new TPropComponent(Sheet);
    link->SetPropSet(gSet);
    link->SetPropField(u"Title");
    link->GetPropLink()->OnDataChange = [link](TObject*) {
        if (TPropField* f = link->GetField()) gMirror->SetText(f->GetDisplayText());
    };
    // The fields' value names come last; each bound list is told to fill
    // from them, as a designer tells a control whose field changed.
    speed->GetValueNames()->AddValue(u"Slow", 1);
    speed->GetValueNames()->AddValue(u"Normal", 3);
    speed->GetValueNames()->AddValue(u"Fast", 5);
    speed->SetValue(3);
    align->GetValueNames()->AddValue(u"Left", 0);
    align->GetValueNames()->AddValue(u"Centre", 1);
    align->GetValueNames()->AddValue(u"Right", 2);
    align->SetValue(1);
    speed->UpdateAttributes(gCombo);
    speed->UpdateAttributes(gList);
    align->UpdateAttributes(gGroup);
    gCombo->GetPropLink()->Reset();
    gList->GetPropLink()->Reset();
    gGroup->GetPropLink()->Reset();
}

void Exercise(TWinControl*) {
    // Type a title and leave the edit: the set takes it, the mirror follows.
    gEdit->SetFocus();
    gEdit->SetText(u"Edited in place");
    gCombo->SetFocus();
    PumpWorkbench();
    // Pick from the combo box and leave it.
    gCombo->SetItemIndex(gCombo->GetItems()->IndexOf(u"Fast"));
    gCombo->GetPropLink()->Modified();
    gEdit->SetFocus();
    PumpWorkbench();
    // A change made to the set directly: the radio group follows.
    gSet->FieldByName(u"Align")->SetValue(2);
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage BoundControlsPage = {"bound-controls", u"Bound controls", Build,
                                                 Exercise};
