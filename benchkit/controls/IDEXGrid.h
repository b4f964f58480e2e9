// A draw grid whose in-place editor takes a style per cell: a plain edit, an
// edit with an ellipsis button, or an edit with a drop-down pick list that the
// grid's user fills as it drops down.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Grids.h>
#include <quorlpak/StdCtrls.h>

class TStrings;

enum TEditStyle { esSimple, esEllipsis, esPickList };

using TGetEditStyleEvent = std::function<void(TObject* Sender, TEditStyle& Style)>;
using TDropdownEvent = std::function<void(TObject* Sender, TStrings* Items, TRect& DropdownRect,
                                          int& SelectedIndex)>;
using TCloseupEvent =
    std::function<void(TObject* Sender, int SelectedIndex, const UnicodeString& SelectedText)>;

// The pick list: a bordered top-level list with type-ahead search.
class TPopupListbox : public TCustomListBox {
public:
    explicit TPopupListbox(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetSearchText() const { return FSearchText; }
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void KeyPress(char16_t& Key) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    UnicodeString FSearchText;
    DWORD FSearchTickCount = 0;
};

class TXGridInplaceEdit;

class TXGrid : public TDrawGrid {
public:
    explicit TXGrid(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCloseupEvent OnCloseUp;
    TDropdownEvent OnDropDown;
    TNotifyEvent OnEditButtonClick;
    TGetEditStyleEvent OnGetEditStyle;

protected:
    friend class TXGridInplaceEdit;
    TInplaceEdit* CreateEditor() override;
    virtual void CloseUp(TObject* Sender, int SelectedIndex, const UnicodeString& SelectedText);
    virtual void DropDown(TObject* Sender, TStrings* Items, TRect& DropdownRect, int& SelectedIndex);
    virtual void EditButtonClick(TObject* Sender);
    virtual void GetEditStyle(TObject* Sender, TEditStyle& Style);
};

class TXGridInplaceEdit : public TInplaceEdit {
public:
    explicit TXGridInplaceEdit(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void UpdateContents() override;
    void Dispatch(TMessage& Message) override;
    void DropDown();
    void CloseUp(bool Accept);

    TEditStyle GetEditStyle() const { return FEditStyle; }
    bool GetListVisible() const { return FListVisible; }
    TPopupListbox* GetPickList() const { return FPickList; }
    int GetButtonWidth() const { return FButtonWidth; }
    bool GetPressed() const { return FPressed; }
    // The button's rectangle (client coordinates); empty for the plain style.
    TRect ButtonRect();

protected:
    void BoundsChanged() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
    void ApplyEditStyle(TEditStyle Value);
    bool OverButton(const TPoint& P);
    void TrackButton(int X, int Y);
    void StopTracking();
    bool DoDropDownKeys(uint16_t Key, TShiftState Shift);
    void PaintButton(HDC DC);
    void ListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    TXGrid* Grid();

    int FButtonWidth;
    TPopupListbox* FPickList = nullptr;
    TCustomListBox* FActiveList = nullptr;
    TEditStyle FEditStyle = esSimple;
    bool FListVisible = false;
    bool FTracking = false;
    bool FPressed = false;
};

#pragma GCC visibility pop
