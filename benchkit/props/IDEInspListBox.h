// The object inspector's property list: the property list box with an
// editor over the selected row (a window that covers the row and carries the
// value edit and the list button).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/props/IDEListBtns.h"
#include "benchkit/props/PropBox.h"

#include <quorlpak/HintWindow.h>
#include <runpak/Variant.h>

#include <memory>

class TBitmap;
class TInspListBox;

// The value edit of the selected row.
class TPropInspEdit : public TEdit {
public:
    using TEdit::TEdit;
    void Dispatch(TMessage& Message) override;
    // The message time of the list's last press: a press in the edit soon
    // after it becomes a double-click (0 when used up).
    void SetClickTime(LONG Value) { FClickTime = Value; }
    TNotifyEvent OnClearNamesSelected;

protected:
    void Click() override;

private:
    LONG FClickTime = 0;
    bool FInCancel = false;
};

// Covers the selected row and paints it; the edit and the list button lie on it.
class TPropSelection : public TCustomControl {
public:
    TPropSelection(TComponent* AOwner, TInspListBox* List);
    void Dispatch(TMessage& Message) override;
    // Puts the caret after the typed part of the name.
    void PositionCaret();

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Click() override;

private:
    TInspListBox* FList;
};

// Shows a row's whole name or value where its column cuts it off.
class TPropertyHintWindow : public THintWindow {
public:
    using THintWindow::THintWindow;
    void ActivateHintData(TRect Rect, const UnicodeString& Hint, void* Data) override;
    TRect CalcHintRect(int MaxWidth, const UnicodeString& Hint, void* Data) override;
    // Typing and plain mouse moves over the list keep the hint.
    bool IsHintMsg(const MSG& Msg) override;
    HWND GetControlHandle() const { return FControl; }

private:
    HWND FControl = nullptr;
};

// The toggle beside the value that asks a debugger-side property a question
// (the row's property says whether it shows and whether it is down).
class TPropQueryButton : public TGraphicControl {
public:
    explicit TPropQueryButton(TComponent* AOwner);
    bool GetDown() const { return FDown; }
    void SetDown(bool Value);
    void SetGlyph(TBitmap* Value);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TBitmap* FGlyph = nullptr; // not owned
    bool FDown = false;
    bool FPressed = false;
};

// What kind of member a row of the inspector shows.
enum TPropCategory { ptMember, ptMethod, ptProperty, ptEvent };

// Answered by properties that show the query button: bit 4 shows it, bit 5
// shows it down.
struct IDebugInspectProperty : virtual IInterface {
    static constexpr InterfaceID<IDebugInspectProperty> IID_{
        "{A9A8E4E7-8F96-4425-95FF-B7EC768506E3}"};
    virtual uint32_t GetDebugInspectFlags() = 0;

protected:
    ~IDebugInspectProperty() = default;
};
constexpr uint32_t diShowQueryButton = 1u << 4;
constexpr uint32_t diQueryButtonDown = 1u << 5;

// Draws Text clipped and opaque into Rect at (Rect.left + X, Rect.top + Y).
void WriteText(HDC DC, const TRect& Rect, int X, int Y, const UnicodeString& Text);

using TEditDblClickEvent = std::function<void(TObject* Sender, bool DblClick)>;
using TGetHintStrEvent = std::function<void(TObject* Sender, UnicodeString& HintText, TRect& Rect)>;
enum TTrackMode { tmNone, tmSelect, tmResize };

class TInspListBox : public TCustomPropListBox, public IPropertyHost, public IPropertyHost20 {
public:
    explicit TInspListBox(TComponent* AOwner);
    ~TInspListBox() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Counted as every component is: the host's references never free it.
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void DropDownControl(TControl* Control) override;
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
    void BlankItems();
    // Focuses the edit, or the name column while the keyboard walks the names.
    void EditFocus();
    // Commits a pending edit when the list loses the focus.
    void DoExit() override;

    // --- Visible rows -------------------------------------------------------------------------
    int ItemVisibleCount();
    bool ItemIsVisible(int I);
    void InvalidateItem(int Index);
    void ScrollItemIndexIntoView();

    // --- Expanded rows by path ----------------------------------------------------------------
    // Writes path=1 (expanded) or path=0 for every row that can expand.
    void ValidateExpandedItemPaths(TStrings* AStrings);
    // Expands and collapses rows to the states listed; with ExpandNewRootLevels
    // a top row without an entry counts as expanded.
    void ReexpandItemPaths(TStrings* AStrings, bool ExpandNewRootLevels);
    void AfterReexpandItem(int Index);
    UnicodeString GetItemPath(int Index);
    UnicodeString GetCurItemPath();

    // --- Name column --------------------------------------------------------------------------
    bool GetNamesSelected() const { return FNamesSelected; }
    void SetNamesSelected(bool Value) { FNamesSelected = Value; }
    const UnicodeString& GetSelectString() const { return FSelectString; }
    void SetSelectString(const UnicodeString& Text);
    void ClearSelectString();

    TTrackMode GetTrackMode() const { return FTrackMode; }
    bool IsListButtonDropped() { return FListButton->GetDropped(); }
    bool GetHighlightOnSelect() const { return FHighlightOnSelect; }
    void SetHighlightOnSelect(bool Value) { FHighlightOnSelect = Value; }
    TFontStyles GetHintFontStyle() const { return FHintFontStyle; }

    // The row's value for a host that reads the list by index: [0, value],
    // or unassigned for a row without a value.
    Variant GetListItem(int Index);
    bool IsQueryButtonDown() const { return FQueryButton->GetDown(); }
    TPropQueryButton* GetQueryButton() const { return FQueryButton; }

    TPropInspEdit* GetEdit() const { return FEdit; }
    TPropSelection* GetSelectionWindow() const { return FSelectionWindow; }
    TListButton* GetListButton() const { return FListButton; }
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    const UnicodeString& GetReadOnlyMsg() const { return FReadOnlyMsg; }
    void SetReadOnlyMsg(const UnicodeString& Value) { FReadOnlyMsg = Value; }

    TEditDblClickEvent OnEditDblClick;
    TNotifyEvent OnSelectItem;
    TNotifyEvent OnListButtonClick;
    TKeyEvent OnSelectionKeyDown;
    TKeyPressEvent OnSelectionKeyPress;
    TKeyPressEvent OnEditKeyPress;
    TGetHintStrEvent OnGetHintString;
    TNotifyEvent OnHelp;
    TNotifyEvent OnQueryButtonClick;

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
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void WMLButtonDown(TMessage& Message);
    void WMLButtonDblClk(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMVScroll(TMessage& Message);
    void CMHintShow(TMessage& Message);
    void EndTracking();
    // Commits the edit before the selection moves; false when refused.
    bool CommitBeforeMove();
    bool ProcessEditChange(int Len, const UnicodeString& Text);
    void EditChange(TObject* Sender);
    void EditDblClick(bool DblClick);

    void SelectionKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void SelectionKeyPress(TObject* Sender, char16_t& Key);
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
    std::unique_ptr<TBitmap> FQueryGlyph;  // "QUESTION"
    TPropQueryButton* FQueryButton;
    bool FButtonVisible = false;
    int FInPropAccess = 0;
    UnicodeString FCancelValue;
    UnicodeString FReadOnlyMsg;
    bool FReadOnly = false;
    bool FInAutoUpdate = false;
    bool FControlsHidden = true;
    bool FItemsReset = false;
    bool FHighlightOnSelect = true;
    bool FNamesSelected = false;
    bool FProcessChange = false;
    bool FStillProcessingChange = false;
    bool FInEditFocus = false;
    bool FWasFocused = false;
    int FSaveTopIndex = -1;
    int FSaveSelStart = -1;
    int FSaveSelLength = -1;
    TTrackMode FTrackMode = tmNone;
    int FMousePos = -1;
    int FDragPos = 0;
    int FDragDelta = 0;
    UnicodeString FSelectString;
    TFontStyles FHintFontStyle;
};

#pragma GCC visibility pop
