// A small button that drops down a list of strings under (or over) itself,
// on the monitor it stands on.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>
#include <quorlpak/Form.h>
#include <quorlpak/StdCtrls.h>

#include <functional>
#include <memory>

class TBitmap;
class TListButton;

enum TDropAlign { daLeft, daRight };
using TDropDownEvent = std::function<void(TObject* Sender, bool& CanDrop)>;
using TListButtonListWidthEvent = std::function<void(TWinControl* Control, int Index, int& AWidth)>;

// The drop-down list: a top-level tool window that belongs to its button.
class TPopupListBox : public TListBox {
public:
    TPopupListBox(TComponent* AOwner, TListButton* Button);

protected:
    void CreateParams(TCreateParams& Params) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TListButton* FButton;
};

// A borderless pop-up that hosts any control dropped down from a list
// button, shown by a modal loop of its own until the drop-down closes.
class TPopupPanel : public TCustomForm {
public:
    TPopupPanel(TComponent* AOwner, TListButton* Button);
    ~TPopupPanel() override;

    TControl* GetControl() const { return FControl; }
    // Hosts Control (the panel takes its size, plus the border); the
    // previous control is let go.
    void SetControl(TControl* Control);
    // Shows the panel and handles messages until its modal result is set:
    // Escape inside it, a press outside it, or its deactivation ends it.
    int ShowPanelModal();
    bool GetInModalLoop() const { return FInModalLoop; }

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // What the loop watches for in every message it takes off the queue.
    void WatchMessage(const MSG& Msg);
    bool OwnsWindow(HWND Window);
    void ControlResized();

    TListButton* FButton;
    TControl* FControl = nullptr;
    bool FInModalLoop = false;
    bool FInResize = false;
};

// Where a list of the given size opens for a button whose client area starts
// at Origin (screen) and is ButtonSize large, on the monitor holding it.
TRect ListDropRect(const TPoint& Origin, const TSize& ButtonSize, const TSize& ListSize,
                   TDropAlign Align);

class TListButton : public TCustomControl {
public:
    explicit TListButton(TComponent* AOwner);
    ~TListButton() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void DropDown();
    // Drops Control down in the pop-up panel; returns when it closes.
    void DropDown(TControl* Control);
    void CloseUp(bool Accept);
    bool GetDropped();
    void Click() override;

    TStrings* GetItems() const { return FListBox->GetItems(); }
    int GetItemIndex() const { return FListBox->GetItemIndex(); }
    void SetItemIndex(int Value) { FListBox->SetItemIndex(Value); }
    int GetItemCount() const { return FListBox->GetItems()->GetCount(); }
    UnicodeString GetItemText(int Index) const { return FListBox->GetItems()->Get(Index); }
    TListBox* GetListBox() const { return FListBox; }
    TPopupPanel* GetPopupPanel() const { return FPopupPanel; }
    bool GetAutoWidth() const { return FAutoWidth; }
    void SetAutoWidth(bool Value) { FAutoWidth = Value; }
    TDropAlign GetDropAlign() const { return FDropAlign; }
    void SetDropAlign(TDropAlign Value) { FDropAlign = Value; }
    int GetListWidth() const { return FListWidth; }
    // Also turns AutoWidth off.
    void SetListWidth(int Value);
    int GetMaxListWidth() const { return FMaxListWidth; }
    void SetMaxListWidth(int Value) { FMaxListWidth = Value; }
    int GetMinListWidth() const { return FMinListWidth; }
    void SetMinListWidth(int Value) { FMinListWidth = Value; }
    bool GetSorted() const { return FListBox->GetSorted(); }
    void SetSorted(bool Value) { FListBox->SetSorted(Value); }

    // The first item starting with Text (any letter case), or -1.
    int SearchItem(const UnicodeString& Text);
    // Selects that item and keeps its first Length(Text) characters as the
    // typed prefix; no match changes nothing.
    void SetSelectString(const UnicodeString& Text);
    void ClearSelectString() { FSelectString.clear(); }
    const UnicodeString& GetSelectString() const { return FSelectString; }

    // The face's picture, copied; without one the button shows the drawn
    // combo arrow. Drawn transparent in its bottom-left colour.
    TBitmap* GetGlyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);

    TDropDownEvent OnDropDown;
    TNotifyEvent OnAccept;
    TNotifyEvent OnCancel;
    TListButtonListWidthEvent OnMeasureWidth;
    TListButtonListWidthEvent OnMeasureHeight;

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char16_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    TPopupListBox* FListBox;
    TPopupPanel* FPopupPanel;
    TDropAlign FDropAlign = daLeft;
    bool FAutoWidth = false;
    int FListWidth = 100;
    int FMaxListWidth = 0;
    int FMinListWidth = 0;
    bool FViaKillFocus = false;
    UnicodeString FSelectString;
    std::unique_ptr<TBitmap> FGlyph;
};

#pragma GCC visibility pop
