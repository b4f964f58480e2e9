#include "IDEHotCommands.h"

#include <quorlpak/Colors.h>
#include <quorlpak/Controls.h>
#include <runpak/TypeInfo.h>

namespace {

// Where the first label starts, inside the panel's edge.
constexpr int kBevelWidth = 1;
// The gap after each label on a row.
constexpr int kLabelGap = 5;

void ShowCold(TLabel* Label) {
    Label->GetFont()->SetColor(clWindowText);
    TFontStyles style = Label->GetFont()->GetStyle();
    style.Exclude(fsUnderline);
    Label->GetFont()->SetStyle(style);
}

} // namespace

TClass TCustomHotCommands::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomHotCommands>(u"TCustomHotCommands", TCustomPanel::StaticClass()));
    return &meta;
}

TClass THotCommands::StaticClass() {
    using T = THotCommands;
    static const TMetaClass meta(
        TClassBuilder<T>(u"THotCommands", TCustomHotCommands::StaticClass())
            .Property(u"Commands", ClassTypeInfo<TStrings>, &T::GetCommands, &T::SetCommands)
            .Event(u"OnHotCommandClick",
                   static_cast<THotCommandClickEvent T::*>(&TCustomHotCommands::OnHotCommandClick)));
    return &meta;
}

TCustomHotCommands::TCustomHotCommands(TComponent* AOwner) : TCustomPanel(AOwner) {
    FCommands = new TStringList;
    FCommands->OnChange = [this](TObject*) { RecreateLabels(); };
    TControlStyle style = GetControlStyle();
    style.Exclude(csAcceptsControls);
    SetControlStyle(style);
}

TCustomHotCommands::~TCustomHotCommands() {
    FCommands->OnChange = nullptr;
    delete FCommands;
    FCommands = nullptr;
    for (TLabel* label : FFreeLabels) delete label;
    FFreeLabels.clear();
}

TLabel* TCustomHotCommands::CommandLabel(int Index) const {
    if (Index < 0 || Index >= FCommands->GetCount()) return nullptr;
    return static_cast<TLabel*>(FCommands->GetObject(Index));
}

void TCustomHotCommands::RecreateLabels() {
    if (FRecreatingLabels) return;
    FRecreatingLabels = true;
    try {
        const int lines = FCommands->GetCount();
        // Surplus labels leave the panel, last first, and wait in the free list.
        for (int i = GetControlCount() - 1; i >= lines; --i) {
            auto* label = dynamic_cast<TLabel*>(GetControls(i));
            if (!label) continue;
            label->SetParent(nullptr);
            FFreeLabels.push_back(label);
        }
        for (int i = 0; i < lines; ++i) {
            TLabel* label = i < GetControlCount() ? dynamic_cast<TLabel*>(GetControls(i)) : nullptr;
            if (!label && !FFreeLabels.empty()) {
                label = FFreeLabels.front();
                FFreeLabels.erase(FFreeLabels.begin());
            }
            if (!label) label = new TLabel(nullptr);
            label->SetParent(this);
            label->SetCaption(FCommands->Get(i));
            label->OnMouseEnter = [this](TObject* Sender) { LabelEnter(Sender); };
            label->OnMouseLeave = [this](TObject* Sender) { LabelLeave(Sender); };
            label->OnClick = [this](TObject* Sender) { LabelClick(Sender); };
            label->SetCursor(crHandPoint);
            FCommands->PutObject(i, label);
        }
        for (int i = 0; i < GetControlCount(); ++i) GetControls(i)->SetFont(GetFont());
        LayoutLabels();
    } catch (...) {
        FRecreatingLabels = false;
        throw;
    }
    FRecreatingLabels = false;
}

void TCustomHotCommands::LayoutLabels() {
    int x = kBevelWidth;
    int y = kBevelWidth;
    const int clientWidth = GetClientWidth();
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* label = GetControls(i);
        if (x > 0 && x + label->GetWidth() >= clientWidth) {
            x = kBevelWidth;
            y += label->GetHeight() + 1;
        }
        label->SetBounds(x, y, label->GetWidth(), label->GetHeight());
        x += label->GetWidth() + kLabelGap;
    }
}

void TCustomHotCommands::Resize() {
    TCustomPanel::Resize();
    LayoutLabels();
}

bool TCustomHotCommands::GetCommandState(int Index) {
    TLabel* label = CommandLabel(Index);
    return label && label->GetEnabled();
}

void TCustomHotCommands::SetCommandState(int Index, bool Value) {
    TLabel* label = CommandLabel(Index);
    if (!label) return;
    label->SetEnabled(Value);
    if (!Value) ShowCold(label);
}

void TCustomHotCommands::LabelEnter(TObject* Sender) {
    auto* label = static_cast<TLabel*>(Sender);
    if (!label->GetEnabled()) return;
    label->GetFont()->SetColor(clHotLight);
    TFontStyles style = label->GetFont()->GetStyle();
    style.Include(fsUnderline);
    label->GetFont()->SetStyle(style);
}

void TCustomHotCommands::LabelLeave(TObject* Sender) {
    ShowCold(static_cast<TLabel*>(Sender));
}

void TCustomHotCommands::LabelClick(TObject* Sender) {
    const int index = FCommands->IndexOfObject(Sender);
    if (OnHotCommandClick && index >= 0 && index < FCommands->GetCount())
        OnHotCommandClick(this, index);
}

void TCustomHotCommands::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_FONTCHANGED)
        for (int i = 0; i < GetControlCount(); ++i) GetControls(i)->SetFont(GetFont());
    TCustomPanel::Dispatch(Message);
}
