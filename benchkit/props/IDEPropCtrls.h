// Edit controls bound to one field of a property set by name: each pulls the
// field's value when the set announces a change and pushes its own value back
// when the user leaves it (or at once for toggles).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/props/IDEHistoryLists.h"
#include "benchkit/props/IDEPropSet.h"

#include <quorlpak/ColorBox.h>
#include <quorlpak/ColorGrd.h>
#include <quorlpak/ComCtrls.h>
#include <quorlpak/Control.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/Mask.h>
#include <quorlpak/Memo.h>
#include <quorlpak/StdCtrls.h>

#include <functional>
#include <memory>

// The shared half of every bound control: its link, and being told when the
// set goes away.
template <class Base> class TPropBound : public Base {
public:
    explicit TPropBound(TComponent* AOwner)
        : Base(AOwner), FPropLink(std::make_unique<TFieldPropLink>(this)) {}
    ~TPropBound() override {
        if (TCustomPropSet* set = FPropLink->GetPropSet()) set->RemoveFreeNotification(this);
    }

    TCustomPropSet* GetPropSet() const { return FPropLink->GetPropSet(); }
    void SetPropSet(TCustomPropSet* Value) {
        if (TCustomPropSet* old = FPropLink->GetPropSet()) old->RemoveFreeNotification(this);
        FPropLink->SetPropSet(Value);
        if (Value) Value->FreeNotification(this);
    }
    const UnicodeString& GetPropField() const { return FPropLink->GetFieldName(); }
    void SetPropField(const UnicodeString& Value) { FPropLink->SetFieldName(Value); }
    TPropField* GetField() const { return FPropLink->GetField(); }
    TFieldPropLink* GetPropLink() const { return FPropLink.get(); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        Base::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FPropLink->GetPropSet()) SetPropSet(nullptr);
    }
    bool Designing() const { return this->GetComponentState().Contains(csDesigning); }
    // A control that goes with its form pushes nothing on the way out.
    bool Leaving() const {
        for (const TComponent* c = this; c; c = c->GetOwner())
            if (c->GetComponentState().Contains(csDestroying)) return true;
        return false;
    }

    std::unique_ptr<TFieldPropLink> FPropLink;
};

// The field's text: the edit text while focused, the display text otherwise,
// in the field's edit mask.
class TPropEdit : public TPropBound<TCustomMaskEdit> {
public:
    explicit TPropEdit(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    ~TPropEdit() override;

    void Dispatch(TMessage& Message) override;

protected:
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void Loaded() override;

private:
    void DataChange();
    void UpdateData();
    // Takes the field's alignment; the text is cleared when it changes.
    void TakeAlignment(TAlignment Value);
    // Draws the box's text itself: unfocused with a non-left alignment, or as a copy.
    void PaintSelf(TMessage& Message);
    bool FFocused = false;
    TAlignment FAlignment = taLeftJustify;
    TControlCanvas* FCanvas = nullptr;
};

// Checked, unchecked or grayed by the field's value, matched against
// ValueChecked and ValueUnchecked (";"-separated, any letter case).
class TPropCheckBox : public TPropBound<TCustomCheckBox> {
public:
    explicit TPropCheckBox(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetValueChecked() const { return FValueChecked; }
    void SetValueChecked(const UnicodeString& Value);
    const UnicodeString& GetValueUnchecked() const { return FValueUnchecked; }
    void SetValueUnchecked(const UnicodeString& Value);
    TCheckBoxState GetFieldState();

protected:
    void Toggle() override;
    void DoExit() override;

private:
    void DataChange();
    void UpdateData();
    UnicodeString FValueChecked = u"True;Yes;1";
    UnicodeString FValueUnchecked = u"False;No;0";
    bool FNonDefaultCheckValue = false;
};

using TGetHintTextEvent =
    std::function<void(TObject* Sender, UnicodeString& HintText, int& HintTimeOut)>;

// The field's value name; its items are the field's value names.
class TPropComboBox : public TPropBound<TCustomComboBox> {
public:
    explicit TPropComboBox(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Selects the item (list styles) or sets the text, without marking the
    // link modified.
    void SetComboText(const UnicodeString& Value);
    UnicodeString GetComboText();

    TGetHintTextEvent OnGetHintText;
    void Dispatch(TMessage& Message) override;

protected:
    void Change() override;
    void Select() override;
    void DoExit() override;
    void Loaded() override;
    void DataChange();
    void UpdateData();
    void AttributesChange();

    bool FIgnoreTextChange = false;
};

// A combo box whose items are a history list of a history manager.
class THistoryPropComboBox : public TPropComboBox {
public:
    explicit THistoryPropComboBox(TComponent* AOwner);
    ~THistoryPropComboBox() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCustomHistoryManager* GetHistoryManager() const { return FHistoryManager; }
    void SetHistoryManager(TCustomHistoryManager* Value);
    const UnicodeString& GetHistoryList() const { return FHistoryList; }
    void SetHistoryList(const UnicodeString& Value);
    // The manager's callback: merge the text (NewList false), then refill.
    void UpdateHistoryList(TObject* Sender, bool NewList);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DoEnter() override;

private:
    bool ListStyle() const;
    TCustomHistoryManager* FHistoryManager = nullptr;
    UnicodeString FHistoryList;
};

// Merges Value into Box's history; an empty Value asks every client of the
// manager to merge its own text.
void UpdateHistory(THistoryPropComboBox* Box, const UnicodeString& Value);

// One button per value; a button's value is its Values entry, else its caption.
class TPropRadioGroup : public TPropBound<TCustomRadioGroup> {
public:
    explicit TPropRadioGroup(TComponent* AOwner);
    ~TPropRadioGroup() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetValues() const { return FValues; }
    void SetValues(TStrings* Value);
    void SetItems(TStrings* Value);
    const UnicodeString& GetValue() const { return FValue; }
    // Checks the first button whose value is Text (or none).
    void SetValue(const UnicodeString& Text);
    UnicodeString GetButtonValue(int Index);

    TNotifyEvent OnChange;

protected:
    void Click() override;
    void DoExit() override;

private:
    void DataChange();
    void UpdateData();
    void AttributesChange();
    TStrings* FValues;
    UnicodeString FValue;
    bool FInSetValue = false;
};

// A field's pull and push left to the host's handlers.
class TPropComponent : public TComponent {
public:
    explicit TPropComponent(TComponent* AOwner);
    ~TPropComponent() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCustomPropSet* GetPropSet() const { return FPropLink->GetPropSet(); }
    void SetPropSet(TCustomPropSet* Value);
    const UnicodeString& GetPropField() const { return FPropLink->GetFieldName(); }
    void SetPropField(const UnicodeString& Value) { FPropLink->SetFieldName(Value); }
    TPropField* GetField() const { return FPropLink->GetField(); }
    TFieldPropLink* GetPropLink() const { return FPropLink.get(); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TFieldPropLink> FPropLink;
};

// The field's value as lines of text; the whole text is pushed on leaving.
class TPropMemo : public TPropBound<TCustomMemo> {
public:
    explicit TPropMemo(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

protected:
    void Change() override;
    void DoExit() override;
    void Loaded() override;

private:
    void DataChange();
    void UpdateData();
};

// The field's value as the position; a click marks it modified, leaving pushes.
class TPropUpDown : public TPropBound<TCustomUpDown> {
public:
    explicit TPropUpDown(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    using TCustomUpDown::Click;

protected:
    void Click(TUDBtnType Button) override;
    void DoExit() override;

private:
    void DataChange();
    void UpdateData();
};

// The field's value as the selected colour, pushed as soon as one is chosen.
class TPropColorBox : public TPropBound<TCustomColorBox> {
public:
    explicit TPropColorBox(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

protected:
    void Select() override;
    void DoExit() override;

private:
    void DataChange();
    void UpdateData();
};

// Foreground and background index of the colour grid, and whether each is
// on, bound to four fields; every change of the grid is pushed at once.
class TPropColorGrid : public TColorGrid {
public:
    explicit TPropColorGrid(TComponent* AOwner);
    ~TPropColorGrid() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCustomPropSet* GetPropSet() const { return FLinks[0]->GetPropSet(); }
    void SetPropSet(TCustomPropSet* Value);
    const UnicodeString& GetForeColorPropField() const { return FLinks[0]->GetFieldName(); }
    void SetForeColorPropField(const UnicodeString& Value) { FLinks[0]->SetFieldName(Value); }
    const UnicodeString& GetBackColorPropField() const { return FLinks[1]->GetFieldName(); }
    void SetBackColorPropField(const UnicodeString& Value) { FLinks[1]->SetFieldName(Value); }
    const UnicodeString& GetEnabledForePropField() const { return FLinks[2]->GetFieldName(); }
    void SetEnabledForePropField(const UnicodeString& Value) { FLinks[2]->SetFieldName(Value); }
    const UnicodeString& GetEnabledBackPropField() const { return FLinks[3]->GetFieldName(); }
    void SetEnabledBackPropField(const UnicodeString& Value) { FLinks[3]->SetFieldName(Value); }
    // A true field value switches the choice off (the default) rather than on.
    bool GetInvertEnables() const { return FInvertEnables; }
    void SetInvertEnables(bool Value);
    TFieldPropLink* GetPropLink(int Index) const { return FLinks[Index].get(); }

protected:
    void Change() override;
    void DoExit() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void DataChange(int Link);
    void UpdateData(int Link);
    std::unique_ptr<TFieldPropLink> FLinks[4];
    bool FInvertEnables = true;
    bool FUpdating = false;
};

namespace propctrls {

// The bound list box: the selected item is the field's value name. (The
// property list box of the inspector has the same class name.)
class TPropListBox : public TPropBound<TCustomListBox> {
public:
    explicit TPropListBox(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

protected:
    void Click() override;
    void DoExit() override;

private:
    void DataChange();
    void UpdateData();
    void AttributesChange();
};

} // namespace propctrls

#pragma GCC visibility pop
