// TRadioGroup: a group box whose items are radio buttons.
#include <quorlpak/ExtCtrls.h>

#include "PublishControls.h"
#include "StdSupport.h"

#include <runpak/Exceptions.h>
#include <runpak/ScopeGuard.h>

// The radio button of one item; it tells its group when it is checked.
class TGroupButton : public TRadioButton {
public:
    TGroupButton(TCustomRadioGroup* Group) : TRadioButton(Group), FGroup(Group) {}
    void Click() override {
        TRadioButton::Click();
        if (FGroup && GetChecked()) FGroup->ButtonClick(this);
    }
    void Dispatch(TMessage& Message) override {
        // Arrow keys and Tab belong to the group's buttons as a whole.
        TRadioButton::Dispatch(Message);
    }

private:
    TCustomRadioGroup* FGroup;
};

namespace {

TClassBuilder<TRadioGroup> RadioGroupDescription() {
    using T = TRadioGroup;
    TClassBuilder<T> b(u"TRadioGroup", TCustomRadioGroup::StaticClass());
    quorlpak::PublishWinControl(b);
    quorlpak::PublishCaption(b);
    b.Property(u"Columns", IntegerTypeInfo, &T::GetColumns, &T::SetColumns)
        .Default(1)
        .Property(u"ItemIndex", IntegerTypeInfo, &T::GetItemIndex, &T::SetItemIndex)
        .Default(-1)
        .Property(u"Items", ClassTypeInfo<TStrings>, &T::GetItems, &T::SetItems);
    return b;
}

} // namespace

TClass TCustomRadioGroup::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomRadioGroup>(u"TCustomRadioGroup", TCustomGroupBox::StaticClass()));
    return &meta;
}

TClass TRadioGroup::StaticClass() {
    static const TMetaClass meta(RadioGroupDescription());
    return &meta;
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), FItems(new TItemStrings) {
    FControlStyle = {csSetCaption, csDoubleClicks, csParentBackground};
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    FUpdating = true;
    FItems->OnChange = nullptr;
    // The buttons go with the group's children; forget them first.
    for (TRadioButton* button : FButtons)
        static_cast<TGroupButton*>(button)->OnClick = nullptr;
    FButtons.clear();
    delete FItems;
    FItems = nullptr;
}

TRadioButton* TCustomRadioGroup::GetButtons(int Index) const {
    if (Index < 0 || Index >= int(FButtons.size()))
        throw EListError(u"List index out of bounds (%d)", {Index});
    return FButtons[size_t(Index)];
}

void TCustomRadioGroup::SetItemIndex(int Value) {
    if (FReading || GetComponentState().Contains(csLoading)) {
        FItemIndex = Value;
        return;
    }
    if (Value < -1) Value = -1;
    if (Value >= int(FButtons.size())) Value = int(FButtons.size()) - 1;
    if (FItemIndex == Value) return;
    if (FItemIndex >= 0 && FItemIndex < int(FButtons.size()))
        FButtons[size_t(FItemIndex)]->SetChecked(false);
    FItemIndex = Value;
    // Checking the button reports back through ButtonClick (OnClick).
    if (Value >= 0) FButtons[size_t(Value)]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(int Value) {
    Value = std::clamp(Value, 1, 16);
    if (FColumns == Value) return;
    FColumns = Value;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ButtonClick(TRadioButton* Button) {
    if (FUpdating) return;
    auto it = std::find(FButtons.begin(), FButtons.end(), Button);
    if (it == FButtons.end()) return;
    FItemIndex = int(it - FButtons.begin());
    Click();
}

void TCustomRadioGroup::ItemsChanged() {
    if (FReading || GetComponentState().Contains(csLoading)) return;
    if (FItemIndex >= FItems->GetCount()) FItemIndex = FItems->GetCount() - 1;
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    {
        FUpdating = true;
        auto updated = runpak::ScopeExit([this] { FUpdating = false; });
        while (int(FButtons.size()) < FItems->GetCount()) {
            auto* button = new TGroupButton(this);
            button->SetVisible(false);
            button->SetEnabled(GetEnabled());
            button->SetParentShowHint(false);
            FButtons.push_back(button);
            button->SetParent(this);
        }
        while (int(FButtons.size()) > FItems->GetCount()) {
            TRadioButton* button = FButtons.back();
            FButtons.pop_back();
            delete button;
        }
        for (size_t i = 0; i < FButtons.size(); ++i) {
            FButtons[i]->SetCaption(FItems->Get(int(i)));
            FButtons[i]->SetChecked(int(i) == FItemIndex);
        }
    }
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (FButtons.empty()) return;
    const int count = int(FButtons.size());
    const int perColumn = (count + FColumns - 1) / FColumns;
    const int buttonWidth = (FWidth - 10) / FColumns;
    const int lineHeight = quorlpak::FontHeight(FFont);
    const int room = FHeight - lineHeight - 5;
    const int buttonHeight = room / perColumn;
    const int topMargin = lineHeight + 1 + (room % perColumn) / 2;
    for (int i = 0; i < count; ++i) {
        TRadioButton* button = FButtons[size_t(i)];
        button->SetBounds((i / perColumn) * buttonWidth + 8,
                          (i % perColumn) * buttonHeight + topMargin, buttonWidth, buttonHeight);
        button->SetVisible(true);
    }
}

void TCustomRadioGroup::ReadState(TReader* Reader) {
    FReading = true;
    auto read = runpak::ScopeExit([this] { FReading = false; });
    TCustomGroupBox::ReadState(Reader);
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    if (FItemIndex < -1 || FItemIndex >= FItems->GetCount()) FItemIndex = -1;
    UpdateButtons();
}

void TCustomRadioGroup::Resize() {
    TCustomGroupBox::Resize();
    ArrangeButtons();
}

void TCustomRadioGroup::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
        for (TRadioButton* button : FButtons)
            button->SetEnabled(GetEnabled());
        break;
    case CM_FONTCHANGED:
        TCustomGroupBox::Dispatch(Message);
        ArrangeButtons();
        return;
    default:
        break;
    }
    TCustomGroupBox::Dispatch(Message);
}
