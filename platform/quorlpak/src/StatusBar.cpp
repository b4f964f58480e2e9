// The status bar over the layer's status bar window.
#include <quorlpak/StatusBar.h>

#include <runpak/TypeInfo.h>
#include <win32/statusbar.h>
#include <win32/windows.h>

#include <vector>

namespace {

PTypeInfo TypeInfo_TStatusPanelBevel() {
    static const TTypeInfo info = MakeEnumTypeInfo(u"TStatusPanelBevel", {u"pbNone", u"pbLowered", u"pbRaised"});
    return &info;
}

WPARAM DrawingType(TStatusPanelBevel Bevel) {
    switch (Bevel) {
    case pbNone: return SBT_NOBORDERS;
    case pbRaised: return SBT_POPOUT;
    case pbLowered: break;
    }
    return 0;
}

} // namespace

// --- TStatusPanel ----------------------------------------------------------------------------

TClass TStatusPanel::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TStatusPanel>(u"TStatusPanel", TCollectionItem::StaticClass())
            .Property(u"Bevel", TypeInfo_TStatusPanelBevel, &TStatusPanel::GetBevel, &TStatusPanel::SetBevel)
            .Property(u"Text", UnicodeStringTypeInfo, &TStatusPanel::GetText, &TStatusPanel::SetText)
            .Property(u"Width", IntegerTypeInfo, &TStatusPanel::GetWidth, &TStatusPanel::SetWidth));
    return &meta;
}

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::SetText(const UnicodeString& Value) {
    if (Value == FText) return;
    FText = Value;
    Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    Changed(true);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
    if (Value == FBevel) return;
    FBevel = Value;
    Changed(false);
}

UnicodeString TStatusPanel::GetDisplayName() const {
    return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

void TStatusPanel::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TStatusPanel*>(Source);
    if (!other) return TCollectionItem::Assign(Source);
    FText = other->FText;
    FWidth = other->FWidth;
    FBevel = other->FBevel;
    Changed(true);
}

// --- TStatusPanels ---------------------------------------------------------------------------

TClass TStatusPanels::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TStatusPanels>(u"TStatusPanels", TCollection::StaticClass()));
    return &meta;
}

TStatusPanels::TStatusPanels(TStatusBar* AOwner)
    : TCollection(NewCollectionItem<TStatusPanel>), FStatusBar(AOwner) {}

TPersistent* TStatusPanels::GetOwner() const {
    return FStatusBar;
}

TStatusPanel* TStatusPanels::Add() {
    return static_cast<TStatusPanel*>(TCollection::Add());
}

TStatusPanel* TStatusPanels::GetItems(int Index) const {
    return static_cast<TStatusPanel*>(TCollection::GetItems(Index));
}

void TStatusPanels::Update(TCollectionItem* Item) {
    if (Item)
        FStatusBar->UpdatePanel(Item->GetIndex());
    else
        FStatusBar->UpdatePanels();
}

// --- TStatusBar ------------------------------------------------------------------------------

TClass TStatusBar::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TStatusBar>(u"TStatusBar", TWinControl::StaticClass())
            .Property(u"Panels", ClassTypeInfo<TStatusPanels>, &TStatusBar::GetPanels, &TStatusBar::SetPanels)
            .Property(u"SimplePanel", BooleanTypeInfo, &TStatusBar::GetSimplePanel, &TStatusBar::SetSimplePanel)
            .Property(u"SimpleText", UnicodeStringTypeInfo, &TStatusBar::GetSimpleText,
                      &TStatusBar::SetSimpleText));
    return &meta;
}

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner), FPanels(new TStatusPanels(this)) {
    FHeight = 19;
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() {
    delete FPanels;
    FPanels = nullptr;
}

void TStatusBar::SetPanels(TStatusPanels* Value) {
    FPanels->Assign(Value);
}

void TStatusBar::SetSimplePanel(bool Value) {
    if (Value == FSimplePanel) return;
    FSimplePanel = Value;
    if (HandleAllocated()) SendMessageW(GetHandle(), SB_SIMPLE, Value, 0);
}

void TStatusBar::SetSimpleText(const UnicodeString& Value) {
    if (Value == FSimpleText) return;
    FSimpleText = Value;
    if (HandleAllocated())
        SendMessageW(GetHandle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
}

void TStatusBar::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, STATUSCLASSNAMEW);
}

void TStatusBar::CreateWnd() {
    TWinControl::CreateWnd();
    UpdatePanels();
    SendMessageW(GetHandle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
    SendMessageW(GetHandle(), SB_SIMPLE, FSimplePanel, 0);
}

void TStatusBar::UpdatePanel(int Index) {
    if (!FPanels || !HandleAllocated() || Index < 0 || Index >= FPanels->GetCount()) return;
    TStatusPanel* panel = FPanels->GetItems(Index);
    SendMessageW(GetHandle(), SB_SETTEXTW, WPARAM(Index) | DrawingType(panel->GetBevel()),
                 reinterpret_cast<LPARAM>(panel->GetText().c_str()));
}

void TStatusBar::UpdatePanels() {
    if (!FPanels || !HandleAllocated()) return;
    const int count = FPanels->GetCount();
    // A bar without panels still shows one empty part.
    std::vector<int> edges(size_t(std::max(count, 1)), -1);
    int right = 0;
    for (int i = 0; i + 1 < count; ++i) {
        right += FPanels->GetItems(i)->GetWidth();
        edges[size_t(i)] = right;
    }
    SendMessageW(GetHandle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    if (count == 0) SendMessageW(GetHandle(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(u""));
    for (int i = 0; i < count; ++i) UpdatePanel(i);
}
