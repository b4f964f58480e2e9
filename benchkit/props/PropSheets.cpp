// Property sheets, their control and the sheet class registry.
#include "benchkit/props/IDEPropSheets.h"

#include <quorlpak/Application.h>
#include <runpak/Exceptions.h>
#include <runpak/Filer.h>
#include <runpak/Format.h>
#include <runpak/Strings.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Made on the first registration, freed with the last one.
std::unique_ptr<std::vector<TPropertySheetClass>> gSheetClasses;

} // namespace

void RegisterPropertySheetClass(TPropertySheetClass Class) {
    if (!gSheetClasses) gSheetClasses = std::make_unique<std::vector<TPropertySheetClass>>();
    gSheetClasses->push_back(Class);
}

void UnregisterPropertySheetClass(TPropertySheetClass Class) {
    if (!gSheetClasses) return;
    auto it = std::find(gSheetClasses->begin(), gSheetClasses->end(), Class);
    if (it != gSheetClasses->end()) gSheetClasses->erase(it);
    if (gSheetClasses->empty()) gSheetClasses.reset();
}

TPropertySheetClass FindPropertySheetClass(const UnicodeString& Name) {
    if (!gSheetClasses) return nullptr;
    for (TPropertySheetClass c : *gSheetClasses)
        if (SameText(c->ClassName(), Name)) return c;
    return nullptr;
}

UnicodeString ExtractSheetArea(UnicodeString& Path) {
    // Positions are 0-based here: the scan starts at the second character and
    // never takes the last one as a separator.
    size_t length = Path.size();
    for (size_t i = 1; i + 1 < length; ++i) {
        if (Path[i] != u'.') continue;
        if (Path[i - 1] != u'\\') {
            UnicodeString area = Path.substr(0, i);
            Path = Path.substr(i + 1);
            return area;
        }
        Path.erase(i - 1, 1);
        --length;
        // The dot is now at i - 1; go on after it.
        --i;
    }
    UnicodeString area = Path;
    Path.clear();
    return area;
}

// ---- TPropertySheet -------------------------------------------------------------------------

TClass TPropertySheet::StaticClass() {
    using T = TPropertySheet;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropertySheet", TTabSheet::StaticClass())
            .Property(u"Area", UnicodeStringTypeInfo, &T::GetArea, &T::SetArea)
            .Event(u"OnCreate", &T::OnCreate)
            .Event(u"OnDestroy", &T::OnDestroy));
    return &meta;
}

TPropertySheet::TPropertySheet(TComponent* AOwner) : TTabSheet(AOwner) {
    SetTabVisible(false);
    FWidth = 200;
    FHeight = 200;
}

void TPropertySheet::LoadDesignedContent() {
    if (FContentLoaded) return;
    FContentLoaded = true;
    // A sheet class is designed like a frame: its children come from its
    // class's description, and a class without one cannot be made.
    if (ClassType() != StaticClass() && !GetComponentState().Contains(csDesigning) &&
        !InitInheritedComponent(this, StaticClass()))
        throw EResNotFound(Format(u"Resource %s not found", ClassName()));
}

void TPropertySheet::AfterConstruction() {
    LoadDesignedContent();
    try {
        if (OnCreate) OnCreate(this);
    } catch (const Exception&) {
        Application->HandleException(this);
    }
}

void TPropertySheet::BeforeDestruction() {
    try {
        if (OnDestroy) OnDestroy(this);
    } catch (const Exception&) {
        Application->HandleException(this);
    }
    TTabSheet::BeforeDestruction();
}

void TPropertySheet::DoBroadcast(TMessage& Msg) {
    if (OnBroadcast) OnBroadcast(this, Msg);
}

LRESULT TPropertySheet::Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{};
    m.Msg = Msg;
    m.WParam = WParam;
    m.LParam = LParam;
    m.Result = 0;
    DoBroadcast(m);
    return m.Result;
}

LRESULT TPropertySheet::ParentBroadcast(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (auto* control = dynamic_cast<TPropertySheetControl*>(GetParent()))
        return control->Broadcast(Msg, WParam, LParam);
    return 0;
}

void TPropertySheet::SetParent(TWinControl* AParent) {
    TTabSheet::SetParent(AParent);
    if (dynamic_cast<TPageControl*>(AParent)) SetAlign(alClient);
}

// ---- TPropertySheetItem and TPropertySheets ---------------------------------------------------

TClass TPropertySheetItem::StaticClass() {
    using T = TPropertySheetItem;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPropertySheetItem", TCollectionItem::StaticClass())
            .Property(u"PropertySheetClassName", UnicodeStringTypeInfo,
                      &T::GetPropertySheetClassName, &T::SetPropertySheetClassName));
    return &meta;
}

void TPropertySheetItem::SetPropertySheetClassName(const UnicodeString& Value) {
    if (SameText(Value, FClassName)) return;
    FClassName = Value;
    FSheetClass = ::FindPropertySheetClass(Value);
    FSheet = nullptr;
    Changed(false);
}

TClass TPropertySheets::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TPropertySheets>(u"TPropertySheets", TOwnedCollection::StaticClass()));
    return &meta;
}

TPropertySheets::TPropertySheets(TPersistent* AOwner)
    : TOwnedCollection(AOwner, NewCollectionItem<TPropertySheetItem>) {}

TPropertySheetItem* TPropertySheets::FindPropertySheetClass(const UnicodeString& Name) const {
    for (int i = 0; i < GetCount(); ++i)
        if (GetPropertySheets(i)->GetPropertySheetClassName() == Name) return GetPropertySheets(i);
    return nullptr;
}

void TPropertySheets::Update(TCollectionItem* Item) {
    if (OnItemChanged) OnItemChanged(this, static_cast<TPropertySheetItem*>(Item));
}

// ---- TPropertySheetControl ----------------------------------------------------------------------

TClass TPropertySheetControl::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TPropertySheetControl>(u"TPropertySheetControl",
                                                                      TPageControl::StaticClass()));
    return &meta;
}

TPropertySheetControl::TPropertySheetControl(TComponent* AOwner)
    : TPageControl(AOwner), FPropertySheets(new TPropertySheets(this)) {
    FPropertySheets->OnItemChanged = [this](TPropertySheets* s, TPropertySheetItem* i) {
        PropertySheetChanged(s, i);
    };
}

TPropertySheetControl::~TPropertySheetControl() {
    FPropertySheets->OnItemChanged = nullptr;
    delete FPropertySheets;
}

LRESULT TPropertySheetControl::Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{};
    for (int i = GetPageCount() - 1; i >= 0; --i) {
        auto* sheet = dynamic_cast<TPropertySheet*>(GetPages(i));
        if (!sheet) continue;
        // The result is left as the later page set it.
        m.Msg = Msg;
        m.WParam = WParam;
        m.LParam = LParam;
        sheet->DoBroadcast(m);
    }
    return m.Result;
}

void TPropertySheetControl::FreeTabSheet(TTabSheet*& Sheet) {
    bool allow = true;
    if (OnFreePage) OnFreePage(this, Sheet, allow);
    if (!allow) return;
    for (int i = 0; i < FPropertySheets->GetCount(); ++i)
        if (FPropertySheets->GetPropertySheets(i)->FSheet == Sheet)
            FPropertySheets->GetPropertySheets(i)->FSheet = nullptr;
    FreeAndNil(Sheet);
}

void TPropertySheetControl::CreateTabSheet(TPropertySheetItem* Item) {
    if (!Item->FSheetClass) return;
    auto* sheet = dynamic_cast<TPropertySheet*>(Item->FSheetClass->CreateComponent(this));
    if (!sheet) return;
    try {
        sheet->LoadDesignedContent();
        sheet->SetPageControl(this);
        sheet->SetName(u"");
        sheet->AfterConstruction();
    } catch (...) {
        delete sheet;
        throw;
    }
    Item->FSheet = sheet;
    if (!GetActivePage() && GetPageCount() > 0) SetActivePageIndex(0);
}

void TPropertySheetControl::PropertySheetChanged(TPropertySheets*, TPropertySheetItem* Item) {
    if (GetComponentState().Contains(csLoading)) return;
    if (Item) {
        if (!Item->FSheetClass) return;
        if (Item->FSheet) {
            Item->FSheet->SetPageIndex(Item->GetIndex());
            return;
        }
        if (Item->GetIndex() < GetPageCount()) {
            TTabSheet* page = GetPages(Item->GetIndex());
            FreeTabSheet(page);
            if (page) return; // kept: no new page in its place
        }
        CreateTabSheet(Item);
        return;
    }
    for (int i = GetPageCount() - 1; i >= 0; --i) {
        TTabSheet* page = GetPages(i);
        bool held = false;
        for (int k = 0; k < FPropertySheets->GetCount() && !held; ++k)
            held = FPropertySheets->GetPropertySheets(k)->FSheet == page;
        if (!held) FreeTabSheet(page);
    }
    for (int k = 0; k < FPropertySheets->GetCount(); ++k)
        if (!FPropertySheets->GetPropertySheets(k)->FSheet)
            CreateTabSheet(FPropertySheets->GetPropertySheets(k));
}
