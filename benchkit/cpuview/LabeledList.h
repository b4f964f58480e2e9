// The one-column grid under the register, FPU, vector and flag panes: each
// row is a label followed by a value, both asked of the descendant, which
// also picks the colours of each part.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Grids.h>

#include <functional>

using THintShowEvent = std::function<void(TObject* Sender, THintInfo& HintInfo, bool& CanShow)>;

class TLabeledList : public TCustomGrid {
public:
    explicit TLabeledList(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // The ItemCount, ItemLabel[] and ItemValue[] the descendant answers.
    virtual int GetItemCount() = 0;
    virtual UnicodeString GetItemLabel(int Index) = 0;
    virtual UnicodeString GetItemValue(int Index) = 0;

    void Dispatch(TMessage& Message) override;

    THintShowEvent OnHintShow;

protected:
    // Sets the canvas for the label (IsLabel) or the value part of a row.
    virtual void SetItemCanvas(int Index, bool IsLabel, TCanvas* Canvas) = 0;

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    // Row height from the font: the height of "Ij".
    void TakeRowHeight();
    void ShowScrollBars();
    void HideScrollBars();
};

#pragma GCC visibility pop
