// TLabeledEdit: an edit with a label of its own that stays beside it
// (above, below, left or right, LabelSpacing pixels away), shows and hides
// and is enabled with it, and gives it the focus by its accelerator.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/StdCtrls.h>

enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };
PTypeInfo TypeInfo_TLabelPosition();

// The label of a labelled edit: a sub-component the edit owns.
class TBoundLabel : public TCustomLabel {
public:
    explicit TBoundLabel(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

class TCustomLabeledEdit : public TCustomEdit {
public:
    explicit TCustomLabeledEdit(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBoundLabel* GetEditLabel() const { return FEditLabel; }
    TLabelPosition GetLabelPosition() const { return FLabelPosition; }
    void SetLabelPosition(TLabelPosition Value);
    int GetLabelSpacing() const { return FLabelSpacing; }
    void SetLabelSpacing(int Value);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetParent(TWinControl* AParent) override;
    void Dispatch(TMessage& Message) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Puts the label beside the edit.
    void PlaceLabel();

private:
    TBoundLabel* FEditLabel = nullptr;
    TLabelPosition FLabelPosition = lpAbove;
    int FLabelSpacing = 3;
};

class TLabeledEdit : public TCustomLabeledEdit {
public:
    using TCustomLabeledEdit::TCustomLabeledEdit;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

void RegisterLabeledEditClasses();

#pragma GCC visibility pop
