// The header control over the layer's header window.
#include <quorlpak/HeaderControl.h>

#include <quorlpak/Messages.h>
#include <runpak/TypeInfo.h>
#include <win32/commctrl.h>
#include <win32/windows.h>

// --- THeaderSection ---------------------------------------------------------------------------

TClass THeaderSection::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<THeaderSection>(u"THeaderSection", TCollectionItem::StaticClass())
            .Property(u"Text", UnicodeStringTypeInfo, &THeaderSection::GetText, &THeaderSection::SetText)
            .Property(u"Width", IntegerTypeInfo, &THeaderSection::GetWidth, &THeaderSection::SetWidth));
    return &meta;
}

THeaderSection::THeaderSection(TCollection* Collection) : TCollectionItem(Collection) {}

void THeaderSection::SetText(const UnicodeString& Value) {
    if (Value == FText) return;
    FText = Value;
    Changed(false);
}

void THeaderSection::SetWidth(int Value) {
    if (Value < 0) Value = 0;
    if (Value == FWidth) return;
    FWidth = Value;
    Changed(false);
}

int THeaderSection::GetLeft() const {
    int left = 0;
    TCollection* sections = GetCollection();
    for (int i = 0; sections && i < GetIndex(); ++i)
        left += static_cast<THeaderSection*>(sections->GetItems(i))->FWidth;
    return left;
}

UnicodeString THeaderSection::GetDisplayName() const {
    return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

void THeaderSection::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<THeaderSection*>(Source);
    if (!other) return TCollectionItem::Assign(Source);
    FText = other->FText;
    FWidth = other->FWidth;
    Changed(false);
}

// --- THeaderSections --------------------------------------------------------------------------

TClass THeaderSections::StaticClass() {
    static const TMetaClass meta(TClassBuilder<THeaderSections>(u"THeaderSections", TCollection::StaticClass()));
    return &meta;
}

THeaderSections::THeaderSections(THeaderControl* AOwner)
    : TCollection(NewCollectionItem<THeaderSection>), FHeaderControl(AOwner) {}

TPersistent* THeaderSections::GetOwner() const {
    return FHeaderControl;
}

THeaderSection* THeaderSections::Add() {
    return static_cast<THeaderSection*>(TCollection::Add());
}

THeaderSection* THeaderSections::GetItems(int Index) const {
    return static_cast<THeaderSection*>(TCollection::GetItems(Index));
}

void THeaderSections::Update(TCollectionItem* Item) {
    if (Item)
        FHeaderControl->UpdateSection(Item->GetIndex());
    else
        FHeaderControl->UpdateSections();
}

// --- THeaderControl ---------------------------------------------------------------------------

TClass THeaderControl::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<THeaderControl>(u"THeaderControl", TWinControl::StaticClass())
            .Property(u"Sections", ClassTypeInfo<THeaderSections>, &THeaderControl::GetSections,
                      &THeaderControl::SetSections));
    return &meta;
}

THeaderControl::THeaderControl(TComponent* AOwner)
    : TWinControl(AOwner), FSections(new THeaderSections(this)) {
    FHeight = 17;
    SetAlign(alTop);
}

THeaderControl::~THeaderControl() {
    delete FSections;
    FSections = nullptr;
}

void THeaderControl::SetSections(THeaderSections* Value) {
    FSections->Assign(Value);
}

void THeaderControl::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_HEADERW);
    Params.Style |= HDS_BUTTONS | HDS_FULLDRAG;
}

void THeaderControl::CreateWnd() {
    TWinControl::CreateWnd();
    UpdateSections();
}

void THeaderControl::UpdateSections() {
    if (!FSections || !HandleAllocated()) return;
    HWND hwnd = GetHandle();
    while (SendMessageW(hwnd, HDM_GETITEMCOUNT, 0, 0) > 0) SendMessageW(hwnd, HDM_DELETEITEM, 0, 0);
    for (int i = 0; i < FSections->GetCount(); ++i) {
        THeaderSection* section = FSections->GetItems(i);
        UnicodeString text = section->GetText();
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.cxy = section->GetWidth();
        item.pszText = text.data();
        item.fmt = HDF_STRING | HDF_LEFT;
        SendMessageW(hwnd, HDM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    }
}

void THeaderControl::UpdateSection(int Index) {
    if (!FSections || !HandleAllocated() || Index < 0 || Index >= FSections->GetCount()) return;
    if (SendMessageW(GetHandle(), HDM_GETITEMCOUNT, 0, 0) != FSections->GetCount()) return UpdateSections();
    THeaderSection* section = FSections->GetItems(Index);
    UnicodeString text = section->GetText();
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.cxy = section->GetWidth();
    item.pszText = text.data();
    SendMessageW(GetHandle(), HDM_SETITEMW, WPARAM(Index), reinterpret_cast<LPARAM>(&item));
}

void THeaderControl::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_NOTIFY) {
        auto* nm = reinterpret_cast<NMHEADERW*>(Message.LParam);
        // A width the user gave in the window becomes the section's.
        if (nm && nm->hdr.code == HDN_ITEMCHANGEDW && nm->pitem && (nm->pitem->mask & HDI_WIDTH) &&
            nm->iItem >= 0 && nm->iItem < FSections->GetCount()) {
            THeaderSection* section = FSections->GetItems(nm->iItem);
            if (section->FWidth != nm->pitem->cxy) {
                section->FWidth = nm->pitem->cxy;
                if (OnSectionResize) OnSectionResize(this, section);
            }
            Message.Result = 0;
            return;
        }
    }
    TWinControl::Dispatch(Message);
}
