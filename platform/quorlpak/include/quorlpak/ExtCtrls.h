// TPanel and TRadioGroup.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/StdCtrls.h>

#include <vector>

// --- TPanel ------------------------------------------------------------------------------------
// A raised (or sunken, or flat) area holding controls, with a caption. Its
// bevels and border width narrow the client area its children align in.
class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout GetVerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TTextLayout Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool GetShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    bool GetFullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool Value) { FFullRepaint = Value; }

    void Dispatch(TMessage& Message) override;

protected:
    void AdjustClientRect(TRect& Rect) override;
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;

    TAlignment FAlignment = taCenter;
    TTextLayout FVerticalAlignment = tlCenter;
    TBorderStyle FBorderStyle = bsNone;
    bool FShowCaption = true;
    bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// --- TRadioGroup --------------------------------------------------------------------------------
// A group box whose Items become radio buttons, laid out in Columns (top to
// bottom, then the next column). ItemIndex is the checked item (-1: none);
// checking a button, by the user or by setting ItemIndex, fires OnClick.
// The buttons belong to the group and are never streamed.
class TCustomRadioGroup : public TCustomGroupBox {
public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetItems() const { return FItems; }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    int GetItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    int GetColumns() const { return FColumns; }
    void SetColumns(int Value);
    int GetButtonCount() const { return int(FButtons.size()); }
    // The radio button of an item (EListError out of range).
    TRadioButton* GetButtons(int Index) const;

    void Dispatch(TMessage& Message) override;

protected:
    void Loaded() override;
    void Resize() override;
    void ReadState(TReader* Reader) override;
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override {}
    void ItemsChanged();
    void UpdateButtons();
    void ArrangeButtons();
    void ButtonClick(TRadioButton* Button);
    friend class TGroupButton;

    TItemStrings* FItems;
    std::vector<TRadioButton*> FButtons;
    int FItemIndex = -1;
    int FColumns = 1;
    bool FReading = false;
    bool FUpdating = false;
};

class TRadioGroup : public TCustomRadioGroup {
public:
    using TCustomRadioGroup::TCustomRadioGroup;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
