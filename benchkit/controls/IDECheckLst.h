// A list box with a check box in front of every item: three states, classic
// drawing with an optional flat look, per-item hints, and states that stay
// with their items. Each item's state and the user's item data live in a
// small wrapper object kept as the list box's own item data.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/StdCtrls.h>

class TExplorerCheckListBoxDataWrapper : public TObject {
public:
    TObject* FData = nullptr;
    TCheckBoxState FState = cbUnchecked;
};

using TCheckNotifyEvent = std::function<void(TObject* Sender, int Index)>;
using TListBoxHintEvent = std::function<void(TObject* Sender, int X, int Y, int Index,
                                             UnicodeString& HintStr, TRect& CursorRect)>;

// The check glyph's size, as the system draws check boxes.
int CheckListGlyphWidth();
int CheckListGlyphHeight();

class TExplorerCheckListBox : public TCustomListBox {
public:
    explicit TExplorerCheckListBox(TComponent* AOwner);
    ~TExplorerCheckListBox() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetChecked(int Index);
    void SetChecked(int Index, bool Value);
    TCheckBoxState GetState(int Index);
    void SetState(int Index, TCheckBoxState Value);
    bool ReadChecked(int Index) { return GetChecked(Index); }
    int ReadCheckState(int Index) { return static_cast<int>(GetState(Index)) & 0x7FFFFFFF; }
    bool GetAllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    bool GetAutoItemHeight() const { return FAutoItemHeight; }
    void SetAutoItemHeight(bool Value);
    // The width of the check area in front of each item.
    int GetCheckWidth() const;

    TObject* GetItemData(int Index) override;
    void SetItemData(int Index, TObject* AData) override;
    void Dispatch(TMessage& Message) override;

    TCheckNotifyEvent OnClickCheck;
    TListBoxHintEvent OnHint;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
    void DeleteString(int Index) override;
    void ResetContent() override;
    void KeyPress(char16_t& Key) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual void ClickCheck(int Index);

private:
    // The item's wrapper, or null; an index without an item raises the list's index error.
    TExplorerCheckListBoxDataWrapper* GetWrapper(int Index);
    TExplorerCheckListBoxDataWrapper* HaveWrapper(int Index);
    void ToggleClickCheck(int Index);
    void InvalidateCheck(int Index);
    void ResetItemHeight();
    void FreeWrappers();

    bool FAllowGrayed = false;
    bool FFlat = true;
    int FStandardItemHeight = 0;
    bool FAutoItemHeight = false;
};

#pragma GCC visibility pop
