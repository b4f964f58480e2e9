// A list box with a check box before each item.
//
// Each item has a three-valued state (grayed only when AllowGrayed), can be
// disabled on its own, and can be a header: a caption row without a check
// box that cannot be checked. Clicking an item's box, or pressing space on
// the selected item, turns the state over and tells OnClickCheck.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/StdCtrls.h>

class TCheckListBox : public TCustomListBox {
public:
    explicit TCheckListBox(TComponent* AOwner);
    ~TCheckListBox() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // True when the item's state is cbChecked.
    bool GetChecked(int Index);
    void SetChecked(int Index, bool Checked);
    TCheckBoxState GetState(int Index);
    void SetState(int Index, TCheckBoxState State);
    bool GetItemEnabled(int Index);
    void SetItemEnabled(int Index, bool Enabled);
    bool GetHeader(int Index);
    void SetHeader(int Index, bool Header);
    bool GetAllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    void CheckAll(TCheckBoxState State, bool AllowGrayed = true, bool AllowDisabled = true);
    // The width of the check box column, at the left of every item.
    static int CheckWidth();

    TObject* GetItemData(int Index) override;
    void SetItemData(int Index, TObject* AData) override;

    TNotifyEvent OnClickCheck;

protected:
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyPress(char16_t& Key) override;
    void DeleteString(int Index) override;
    void ResetContent() override;
    virtual void ClickCheck();

private:
    class TItemState;
    TItemState* ItemState(int Index, bool Create);
    void CheckIndex(int Index) const;
    void ToggleClickCheck(int Index);
    void InvalidateCheck(int Index);
    void FreeItemStates();

    bool FAllowGrayed = false;
};

#pragma GCC visibility pop
