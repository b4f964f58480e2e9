// The inspector page: a property list over the live controls of a small
// panel; the page's exercise expands the font and edits properties through
// the rows' editors, and the controls follow.
#include "WorkbenchPage.h"

#include <benchkit/props/PropBox.h>
#include <designpak/PropertyEditors.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/StdCtrls.h>

namespace {

TButton* gSubject = nullptr;
TPropListBox* gList = nullptr;

void Build(TWinControl* Sheet) {
    auto* panel = new TPanel(Sheet);
    panel->SetParent(Sheet);
    panel->SetBounds(8, 8, 200, 120);
    panel->SetCaption(u"");

    gSubject = new TButton(Sheet);
    gSubject->SetName(u"Subject");
    gSubject->SetParent(panel);
    gSubject->SetBounds(16, 16, 120, 28);
    gSubject->SetCaption(u"Subject");

    auto* check = new TCheckBox(Sheet);
    check->SetParent(panel);
    check->SetBounds(16, 60, 150, 20);
    check->SetCaption(u"A check box");

    auto* caption = new TLabel(Sheet);
    caption->SetParent(Sheet);
    caption->SetBounds(220, 8, 300, 16);
    caption->SetCaption(u"Properties of Subject:");

    gList = new TPropListBox(Sheet);
    gList->SetParent(Sheet);
    gList->SetBounds(220, 28, 320, 420);
    gList->SetSelection(CreatePropertySelection({gSubject}).Get());
}

void SetRow(const UnicodeString& path, const UnicodeString& value) {
    const int row = gList->FindItem(path);
    if (row < 0) return;
    gList->GetPropItem(row)->GetProp()->SetValue(value);
}

void Exercise(TWinControl*) {
    gList->AdjustItem(gList->FindItem(u"Font"));
    PumpWorkbench();
    gList->AdjustItem(gList->FindItem(u"Font.Style"));
    SetRow(u"Caption", u"Edited by the inspector");
    SetRow(u"Width", u"180");
    SetRow(u"Font.Style.fsBold", u"True");
    SetRow(u"Font.Color", u"clMaroon");
    gList->SetItemIndex(gList->FindItem(u"Caption"));
    gList->Invalidate();
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage InspectorPage = {"inspector", u"Inspector", Build, Exercise};
