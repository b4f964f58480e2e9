// The standard controls: TLabel, TEdit, TButton, TCheckBox, TRadioButton,
// TGroupBox, TComboBox and TListBox, and the small types they publish.
//
// Windowed ones stand on the system control classes ("Edit", "Button",
// "ComboBox", "ListBox") and hear back from them through reflected
// notifications (CN_COMMAND, CN_DRAWITEM). Items lists are kept by the
// control (TItemStrings) and copied into the window whenever it is made, so
// that they survive a window being destroyed and made again.
// RegisterStdControls makes every class here (and in ExtCtrls.h and
// Buttons.h) known to component streaming.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>
#include <quorlpak/ItemStrings.h>

#include <runpak/TypeInfo.h>

// --- Types -------------------------------------------------------------------------------
using TLeftRight = TAlignment; // taLeftJustify or taRightJustify
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEllipsisPosition { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle {
    lbStandard,
    lbOwnerDrawFixed,
    lbOwnerDrawVariable,
    lbVirtual,
    lbVirtualOwnerDraw
};

PTypeInfo TypeInfo_TAlignment();
PTypeInfo TypeInfo_TLeftRight();
PTypeInfo TypeInfo_TTextLayout();
PTypeInfo TypeInfo_TEllipsisPosition();
PTypeInfo TypeInfo_TCheckBoxState();
PTypeInfo TypeInfo_TEditCharCase();
PTypeInfo TypeInfo_TComboBoxStyle();
PTypeInfo TypeInfo_TListBoxStyle();
PTypeInfo TypeInfo_TBorderStyle(); // bsNone, bsSingle

// True when Caption marks Key as its accelerator ("&Save" and 's' or 'S').
bool IsAccel(char16_t Key, const UnicodeString& Caption);

// Registers the classes of StdCtrls.h, ExtCtrls.h and Buttons.h, and TTimer, for streaming
// (InitializeQuorlpak calls it; calling it again does nothing harmful).
void RegisterStdControls();

// --- TLabel --------------------------------------------------------------------------------
// Text drawn on the parent with DrawText. "&x" underlines x (ShowAccelChar)
// and "&&" shows one "&". AutoSize fits the bounds to the text (the width
// stays with WordWrap); Layout places the text vertically.
class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool GetAutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool Value);
    TTextLayout GetLayout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool GetShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    TEllipsisPosition GetEllipsisPosition() const { return FEllipsisPosition; }
    void SetEllipsisPosition(TEllipsisPosition Value);
    TWinControl* GetFocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);

    // Fits the bounds to the caption (when AutoSize).
    void AdjustBounds();
    // The DrawText flags the label paints with (alignment, wrap, prefix, ellipsis).
    UINT TextFlags() const;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Draws the caption into R on the canvas (DT_CALCRECT in Flags measures only).
    virtual void DoDrawText(TRect& R, UINT Flags);

    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    TEllipsisPosition FEllipsisPosition = epNone;
    TWinControl* FFocusControl = nullptr;
    bool FAutoSize = true;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
};

class TLabel : public TCustomLabel {
public:
    using TCustomLabel::TCustomLabel;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// --- TEdit ------------------------------------------------------------------------------------
// A single-line edit over the system "Edit" class. OnChange fires for every
// change of the text once the control exists (typing and Text alike), not
// while it is being read from a description.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool GetAutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TEditCharCase GetCharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    char16_t GetPasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char16_t Value);
    bool GetModified();
    void SetModified(bool Value);
    int GetSelStart();
    void SetSelStart(int Value);
    int GetSelLength();
    void SetSelLength(int Value);
    UnicodeString GetSelText();
    void SetSelText(const UnicodeString& Value);
    void SelectAll();
    void Clear();
    // Where the text lies in the box; a change recreates the window.
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void DoEnter() override;
    virtual void Change();

    int FMaxLength = 0;
    TAlignment FAlignment = taLeftJustify;
    TBorderStyle FBorderStyle = bsSingle;
    TEditCharCase FCharCase = ecNormal;
    char16_t FPasswordChar = 0;
    bool FReadOnly = false;
    bool FAutoSelect = true;
    bool FCreating = false;
    bool FModified = false; // kept while there is no window
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// --- Buttons ----------------------------------------------------------------------------------
class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

protected:
    // Checked state of check boxes and radio buttons (false for push buttons).
    virtual bool GetChecked() { return false; }
    virtual void SetChecked(bool) {}
    // True while a change made by the program must not fire OnClick (reading).
    bool ClicksDisabled() const;
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;

    bool FWordWrap = false;
    bool FClicksDisabled = false;
};

// A push button. It paints itself (owner draw) so that its font shows in
// colour and style. Clicking it sets its ModalResult on its form (ending a
// ShowModal) before OnClick runs. Enter clicks the form's Default button
// (or the focused button), Escape the Cancel button.
class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetDefault() const { return FDefault; }
    void SetDefault(bool Value);
    bool GetCancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    // True when Enter clicks this button now: it has the focus, or it is the
    // default button and no other button has the focus.
    bool IsActive();

    void Click() override;
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    // Paints the face, frame, caption and focus rectangle on DC.
    virtual void DrawButton(HDC DC, const TRect& R, UINT State);
    // The caption (and, in TBitBtn, the glyph) inside R.
    virtual void DrawCaption(HDC DC, const TRect& R, UINT State);

    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};

// A check box over the system button; the control decides the next state
// itself (unchecked -> checked -> grayed when AllowGrayed -> unchecked).
// Changing State, from the user or the program, fires OnClick.
class TCustomCheckBox : public TButtonControl {
public:
    explicit TCustomCheckBox(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TLeftRight GetAlignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);
    bool GetAllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    TCheckBoxState GetState() const { return FState; }
    void SetState(TCheckBoxState Value);
    bool GetChecked() override { return FState == cbChecked; }
    void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
    // The next state, as a click makes it.
    virtual void Toggle();

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

    TLeftRight FAlignment = taRightJustify; // caption right of the box
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
};

class TCheckBox : public TCustomCheckBox {
public:
    using TCustomCheckBox::TCustomCheckBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// A radio button: checking it unchecks the radio buttons beside it (same
// parent) and fires OnClick.
class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TLeftRight GetAlignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);
    bool GetChecked() override { return FChecked; }
    void SetChecked(bool Value) override;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

    TLeftRight FAlignment = taRightJustify;
    bool FChecked = false;
};

// --- TGroupBox ---------------------------------------------------------------------------------
// A frame with a caption that holds controls; it paints itself.
class TCustomGroupBox : public TCustomControl {
public:
    explicit TCustomGroupBox(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Dispatch(TMessage& Message) override;

protected:
    void AdjustClientRect(TRect& Rect) override;
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
public:
    using TCustomGroupBox::TCustomGroupBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// --- TComboBox ----------------------------------------------------------------------------------
// A drop-down (csDropDown: an edit and a list) or drop-down list
// (csDropDownList: a choice only) over the system "ComboBox" class.
// OnChange fires when the user types in the edit or picks an item; setting
// ItemIndex or Text from the program does not fire it.
class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TComboBoxStyle GetStyle() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    TStrings* GetItems() const { return FItems; }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    int GetItemIndex();
    void SetItemIndex(int Value);
    int GetDropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value; }
    int GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool GetSorted() const { return FItems->GetSorted(); }
    void SetSorted(bool Value);
    bool GetDroppedDown();
    void SetDroppedDown(bool Value);
    // csDropDown: the edit's text; csDropDownList: the selected item's text
    // (setting it selects the item of that text, or none).
    UnicodeString GetText();
    void SetText(const UnicodeString& Value);
    void Clear();
    // Typing completes the text with the first item that starts with what
    // was typed (without regard to case); the completed part is selected.
    // In a drop-down list, keys typed in quick succession add up. Off unless
    // a descendant or the owner turns it on.
    bool GetAutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool Value);
    // A typed key opens the list (Tab closes it again).
    bool GetAutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value);
    // An item picked by typing closes the open list.
    bool GetAutoCloseUp() const { return FAutoCloseUp; }
    void SetAutoCloseUp(bool Value) { FAutoCloseUp = Value; }

    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    void KeyPress(char16_t& Key) override;
    virtual void Change();
    virtual void Select();
    void ItemsChanged();

    TItemStrings* FItems;
    TComboBoxStyle FStyle = csDropDown;
    int FItemIndex = -1; // kept while there is no window
    int FDropDownCount = 8;
    int FMaxLength = 0;

private:
    // The keys typed into the combo's edit field come to KeyPress.
    void EditWndProc(TMessage& Message);
    void SubclassEdit();
    void UnsubclassEdit();
    bool SelectItem(const UnicodeString& Prefix);

    HWND FEditHandle = nullptr;
    WNDPROC FEditInstance = nullptr;
    WNDPROC FDefEditProc = nullptr;
    UnicodeString FFilter; // a drop-down list's keys typed so far
    DWORD FLastTime = 0;
    bool FAutoComplete = false;
    bool FAutoDropDown = false;
    bool FAutoCloseUp = false;
};

class TComboBox : public TCustomComboBox {
public:
    using TCustomComboBox::TCustomComboBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// --- TListBox
// --------------------------------------------------------------------------------------- A list
// over the system "ListBox" class. OnClick fires when the user changes the selection. With
// MultiSelect, ItemIndex is the item with the focus and Selected[i] tells the selection.
// Each item carries a data object (Items' objects); reading and writing it goes through
// GetItemData and SetItemData, and an item about to go through DeleteString or
// ResetContent, so that descendants can keep their own records there. Owner-drawn
// styles draw each item through DrawItem (OnDrawItem).
enum TOwnerDrawStateItem {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem, 16>;
class TCustomListBox;
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;
// A virtual list (lbVirtual, lbVirtualOwnerDraw) keeps no items: it has a
// Count, and asks for an item's text, object and the index of a text.
using TLBGetDataEvent = std::function<void(TWinControl* Control, int Index, UnicodeString& Data)>;
using TLBGetDataObjectEvent =
    std::function<void(TWinControl* Control, int Index, TObject*& DataObject)>;
using TLBFindDataEvent = std::function<int(TWinControl* Control, const UnicodeString& FindString)>;

class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetItems() const { return FItems; }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    int GetItemIndex();
    void SetItemIndex(int Value);
    bool GetMultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool GetExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value);
    bool GetSorted() const { return FItems->GetSorted(); }
    void SetSorted(bool Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TListBoxStyle GetStyle() const { return FStyle; }
    void SetStyle(TListBoxStyle Value);
    bool GetSelected(int Index);
    void SetSelected(int Index, bool Value);
    int GetSelCount();
    int GetTopIndex();
    void SetTopIndex(int Value);
    int GetItemHeight();
    // The height of owner-drawn items (kept while there is no window).
    void SetItemHeight(int Value);
    // The item under a client point, or -1.
    int ItemAtPos(const TPoint& Pos, bool Existing = true);
    TRect ItemRect(int Index);
    void Clear();
    void ClearSelection();
    void SelectAll();
    // The canvas owner-drawn items are drawn on.
    TCanvas* GetCanvas();

    // The number of items; a virtual list's is set, the others' follow Items.
    int GetCount() const;
    void SetCount(int Value);
    bool IsVirtual() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }

    // An item's data as the list's user sees it.
    virtual TObject* GetItemData(int Index);
    virtual void SetItemData(int Index, TObject* AData);

    void Dispatch(TMessage& Message) override;

    TDrawItemEvent OnDrawItem;
    TLBGetDataEvent OnData;
    TLBGetDataObjectEvent OnDataObject;
    TLBFindDataEvent OnDataFind;

protected:
    friend class TListBoxItems;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    void ItemsChanged();
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    // Called before the item (or every item) leaves the list.
    virtual void DeleteString(int Index) {}
    virtual void ResetContent() {}
    // The data as stored with the item.
    TObject* InternalGetItemData(int Index) const;
    void InternalSetItemData(int Index, TObject* AData);

    TItemStrings* FItems;
    std::vector<bool> FSaveSelection; // kept while there is no window
    int FItemIndex = -1;
    int FTopIndex = 0;
    int FItemHeight = 16;
    int FCount = 0; // a virtual list's
    TBorderStyle FBorderStyle = bsSingle;
    TListBoxStyle FStyle = lbStandard;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;

private:
    void CNDrawItem(TMessage& Message);
    bool HasWindowTexts() const;
    void AddWindowItem(int Index);
    TControlCanvas* FCanvas = nullptr;
};

class TListBox : public TCustomListBox {
public:
    using TCustomListBox::TCustomListBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
