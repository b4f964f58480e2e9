// The object inspector's property list: the property list box with an
// editor over the selected row (a window that covers the row and carries the
// value edit and the list button).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/props/IDEListBtns.h"
#include "benchkit/props/PropBox.h"

#include <memory>

class TBitmap;
class TInspListBox;

// The value edit of the selected row.
class TPropInspEdit : public TEdit {
public:
    using TEdit::TEdit;
    void Dispatch(TMessage& Message) override;
};

// Covers the selected row and paints it; the edit and the list button lie on it.
class TPropSelection : public TCustomControl {
public:
    TPropSelection(TComponent* AOwner, TInspListBox* List);
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;

private:
    TInspListBox* FList;
};

using TEditDblClickEvent = std::function<void(TObject* Sender, bool DblClick)>;

class TInspListBox : public TCustomPropListBox, public IPropertyHost, public IPropertyHost20 {
public:
    explicit TInspListBox(TComponent* AOwner);
    ~TInspListBox() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Counted as every component is: the host's references never free it.
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void DropDownControl(TControl*) override {}
    void CloseDropDown() override { FListButton->CloseUp(false); }
    int GetDropDownWidth() override { return GetClientWidth() - GetMiddle(); }

    // Reads the current row's value into the edit.
    void GetPropValue();
    // Writes the edit's text; false when refused or failed.
    bool SetPropValue(bool CheckModified, bool HandleException);
    void SelectItem(int Index);
    void ShowControls();
    void HideControls();
    void Reset() override;

    TPropInspEdit* GetEdit() const { return FEdit; }
    TListButton* GetListButton() const { return FListButton; }
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    const UnicodeString& GetReadOnlyMsg() const { return FReadOnlyMsg; }
    void SetReadOnlyMsg(const UnicodeString& Value) { FReadOnlyMsg = Value; }

    TEditDblClickEvent OnEditDblClick;
    TNotifyEvent OnSelectItem;

    void Dispatch(TMessage& Message) override;

protected:
    friend class TPropSelection;
    // The list button's two glyphs, from the library's resources.
    void LoadGlyphs();
    bool IsItemReadOnly(TPropItem*) override { return FEdit->GetReadOnly(); }
    void BeforeReset() override;
    void AfterReset() override;
    void BeforeAdjustItem(int) override { HideControls(); }
    void AfterAdjustItem(int) override;
    void ResizeControls() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    void EditKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void EditKeyPress(TObject* Sender, char16_t& Key);
    void ListDropDown(TObject* Sender, bool& Allow);
    void ListAccept(TObject* Sender);
    void ListCancel(TObject* Sender);

    TPropSelection* FSelectionWindow;
    TPropInspEdit* FEdit;
    TListButton* FListButton;
    std::unique_ptr<TBitmap> FListGlyph;   // "ARROW": value lists and custom drop-downs
    std::unique_ptr<TBitmap> FDialogGlyph; // "DOTS": dialog editors
    bool FButtonVisible = false;
    int FInPropAccess = 0;
    UnicodeString FCancelValue;
    UnicodeString FReadOnlyMsg;
    bool FReadOnly = false;
    bool FInAutoUpdate = false;
    bool FControlsHidden = true;
};

#pragma GCC visibility pop
