// The property list box's rows: reset, insertion, expansion and look-up.
#include "benchkit/props/PropBox.h"

#include <quorlpak/Application.h>
#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/Strings.h>

#include <cassert>

const char16_t* const SUnableToExpand = u"Unable to expand: %s";

// ---- TPropItem ------------------------------------------------------------------------------

TPropItem::TPropItem(IProperty* AProp, int ALevel, TColor AColor, bool AReference,
                     TCustomPropListBox* AListBox, TPropItem* AParent)
    : FListBox(AListBox), FParent(AParent), FProp(AProp), FLevel(ALevel), FColor(AColor),
      FReference(AReference) {}

TPropertyAttributes TPropItem::GetAttributes() {
    const TPropertyAttributes a = FProp->GetAttributes();
    FWasExpandable = (a & paSubProperties) != 0;
    return a;
}

bool TPropItem::GetAutoFill() {
    return FProp->AutoFill();
}

UnicodeString TPropItem::GetPropName() {
    return FProp->GetName();
}

UnicodeString TPropItem::GetPropPath() {
    UnicodeString path = GetPropName();
    for (TPropItem* p = FParent; p; p = p->FParent)
        path = Format(u"%s.%s", p->GetPropName(), path);
    return path;
}

UnicodeString TPropItem::GetPropValue() {
    return FProp->GetValue();
}

bool TPropItem::GetIsExpandable() {
    if (!(GetAttributes() & paSubProperties)) return false;
    InterfacePtr<IReferenceProperty> ref;
    if (FReference && Supports(FProp.Get(), ref)) {
        // A reference to an object already open above would expand forever.
        const uint32_t identity = ref->GetReferenceIdentity();
        if (identity == 0) return false;
        for (TPropItem* p = FParent; p; p = p->FParent) {
            InterfacePtr<IReferenceProperty> above;
            if (Supports(p->FProp.Get(), above) && above->GetReferenceIdentity() == identity)
                return false;
        }
    }
    bool result = true;
    if (FListBox->OnAllowExpansion) FListBox->OnAllowExpansion(FListBox, FProp.Get(), result);
    return result;
}

UnicodeString TPropItem::GetTypeName() {
    PTypeInfo type = FProp->GetPropType();
    return type ? type->Name : UnicodeString();
}

void TPropItem::Revert() {
    FProp->Revert();
}

bool TPropItem::IsOverExpandBox(int X, int) {
    const int x = FListBox->ItemLevelOffset(FLevel);
    return X >= x - 2 && X < x + 9;
}

// ---- Rows of the list box -------------------------------------------------------------------

TPropItem* TCustomPropListBox::GetPropItem(int Index) const {
    if (Index < 0 || Index >= FRows->GetCount()) return nullptr;
    return static_cast<TPropItem*>(FRows->GetObjects(Index));
}

int TCustomPropListBox::GetPropItemIndex(TPropItem* Item) const {
    return FRows->IndexOfObject(Item);
}

bool TCustomPropListBox::Populated() {
    return FRows->GetCount() > 0 && GetItemIndex() >= 0;
}

TPropItem* TCustomPropListBox::CurItem() {
    return Populated() ? GetPropItem(GetItemIndex()) : nullptr;
}

void TCustomPropListBox::DeleteRow(int Index) {
    if (FVirtualRows) {
        FVirtualRows->Delete(Index); // frees the row
        return;
    }
    TPropItem* item = GetPropItem(Index);
    FRows->Delete(Index);
    delete item;
}

void TCustomPropListBox::SetUseVirtualList(bool Value) {
    if (Value == GetUseVirtualList()) return;
    ClearRows();
    if (Value) {
        FVirtualRows = new TPropBoxStrings;
        FRows = FVirtualRows;
        FVirtualRows->OnChanging = [this](TObject*) {
            if (HandleAllocated()) SendMessageW(GetHandle(), WM_SETREDRAW, FALSE, 0);
        };
        FVirtualRows->OnChange = [this](TObject*) { SyncVirtualCount(); };
        SetStyle(lbVirtualOwnerDraw);
    } else {
        FRows = FItems;
        delete FVirtualRows;
        FVirtualRows = nullptr;
        SetStyle(lbOwnerDrawFixed);
    }
    OnData = [this](TWinControl*, int Index, UnicodeString& Data) {
        Data = Index >= 0 && Index < FRows->GetCount() ? FRows->Get(Index) : UnicodeString();
    };
    OnDataObject = [this](TWinControl*, int Index, TObject*& Object) {
        Object = Index >= 0 && Index < FRows->GetCount() ? FRows->GetObjects(Index) : nullptr;
    };
    OnDataFind = [this](TWinControl*, const UnicodeString& Text) { return FRows->IndexOf(Text); };
    if (!GetComponentState().Contains(csLoading)) Reset();
}

void TCustomPropListBox::SyncVirtualCount() {
    if (!FVirtualRows) return;
    const int index = GetItemIndex();
    SetCount(FVirtualRows->GetCount());
    if (HandleAllocated()) {
        if (index >= FVirtualRows->GetCount() && FVirtualRows->GetCount() > 0) SetItemIndex(0);
        SendMessageW(GetHandle(), WM_SETREDRAW, TRUE, 0);
        Invalidate();
    }
}

void TCustomPropListBox::ClearRows() {
    FRows->BeginUpdate();
    for (int i = FRows->GetCount() - 1; i >= 0; --i)
        DeleteRow(i);
    FRows->EndUpdate();
}

void TCustomPropListBox::BeforeReset() {
    if (OnBeforeReset) OnBeforeReset(this);
}

void TCustomPropListBox::AfterReset() {
    if (OnAfterReset) OnAfterReset(this);
}

void TCustomPropListBox::Reset() {
    FRows->BeginUpdate();
    FixDividerLine();
    FAddIndex = 0;
    FAddLevel = 0;
    FParentItem = nullptr;
    BeforeReset();
    try {
        SetItemIndex(-1);
        ClearRows();
        if (OnGetProperties) {
            OnGetProperties(this, [this](IProperty* p) { AddProperty(p); });
        } else if (FSelection) {
            for (int i = 0; i < FSelection->GetCount(); ++i)
                AddProperty(FSelection->GetProperty(i).Get());
        }
    } catch (...) {
        FRows->EndUpdate();
        AfterReset();
        throw;
    }
    FRows->EndUpdate();
    if (FRows->GetCount() > 0) SetItemIndex(0);
    AfterReset();
}

void TCustomPropListBox::AddProperty(IProperty* Prop) {
    if (!Prop) return;
    if (!FFilter.empty() && FAddLevel <= 0 &&
        Pos(LowerCase(FFilter), LowerCase(Prop->GetName())) == 0)
        return;
    InsertItem(FAddIndex, Prop, FAddLevel);
    ++FAddIndex;
}

void TCustomPropListBox::InsertItem(int Index, IProperty* Prop, int Level) {
    TColor color = FPropNameColor;
    bool reference = false;
    InterfacePtr<IReferenceColorProperty> refColor;
    if (Supports(Prop, IIDOf<IReferenceProperty>())) {
        color = FReferenceColor;
        reference = true;
    } else if (Supports(Prop, refColor) && refColor->ShowReferenceColor()) {
        color = FReferenceColor;
    } else if (PPropInfo info = Prop->GetPropInfo();
               (info && info->IsReadOnly()) || (Prop->GetAttributes() & paDisplayReadOnly)) {
        color = FReadOnlyColor;
    } else if (FRefSubProps) {
        color = FSubPropColor;
    }
    auto* item = new TPropItem(Prop, Level, color, reference, this, FParentItem);
    FRows->InsertObject(Index, UnicodeString(), item);
    InterfacePtr<IPropertyPath> path;
    if (Supports(Prop, path)) path->SetPropertyPath(item->GetPropPath());
}

bool TCustomPropListBox::Expandable(TPropItem* Item) {
    return Item && Item->GetIsExpandable();
}

void TCustomPropListBox::AdjustItem(int Index) {
    TPropItem* item = GetPropItem(Index);
    if (!item || (!item->FExpanded && !Expandable(item))) return;
    BeforeAdjustItem(Index);
    // The list box re-reads its items after the change and cannot tell our
    // text-less rows apart: the selected row is followed here.
    const int oldIndex = GetItemIndex();
    FRows->BeginUpdate();
    const int oldTop = GetTopIndex();
    int added = 0;
    int removed = 0;
    if (!item->FExpanded) {
        FAddIndex = Index + 1;
        FAddLevel = item->FLevel + 1;
        FParentItem = item;
        FRefSubProps = item->FReference;
        try {
            const TGetPropProc add = [this](IProperty* p) { AddProperty(p); };
            if (OnGetSubProperties) {
                OnGetSubProperties(this, item->GetProp(), add);
            } else if (FSelection) {
                FSelection->SetActiveProperty(item->GetProp());
                for (int i = 0; i < FSelection->GetSubPropertyCount(); ++i)
                    AddProperty(FSelection->GetSubProperty(i).Get());
            } else {
                item->GetProp()->GetProperties(add);
            }
        } catch (const Exception& e) {
            // Half a list of children would read as the whole; take back
            // what was added so that a later expansion starts clean.
            for (int i = FAddIndex - 1; i > Index; --i)
                DeleteRow(i);
            FRefSubProps = false;
            FParentItem = nullptr;
            FRows->EndUpdate();
            if (GetItemIndex() != oldIndex) SetItemIndex(oldIndex);
            Application->MessageBox(Format(SUnableToExpand, e.GetMessage()),
                                    Application->GetTitle(), MB_OK | MB_ICONERROR);
            Update();
            return;
        }
        item->FExpanded = true;
        FRefSubProps = false;
        FParentItem = nullptr;
        added = FAddIndex - (Index + 1);
    } else {
        int last = Index + 1;
        while (last < FRows->GetCount() && GetPropItem(last)->FLevel > item->FLevel)
            ++last;
        for (int i = last - 1; i > Index; --i)
            DeleteRow(i);
        removed = last - Index - 1;
        item->FExpanded = false;
    }
    FRows->EndUpdate();
    int newIndex = oldIndex;
    if (oldIndex > Index) {
        if (added > 0)
            newIndex += added;
        else if (oldIndex <= Index + removed)
            newIndex = Index; // a removed child was selected: its parent is
        else
            newIndex -= removed;
    }
    if (GetItemIndex() != newIndex) SetItemIndex(newIndex);
    if (GetTopIndex() != oldTop) ResizeControls();
    if (added > 0 && GetItemHeight() > 0) {
        const int visible = GetClientHeight() / GetItemHeight();
        const int keep = added < visible ? visible - added - 1 : 0;
        if (GetTopIndex() + keep < GetItemIndex()) SetTopIndex(GetItemIndex() - keep);
    }
    AfterAdjustItem(Index + 1);
}

int TCustomPropListBox::FindItem(const UnicodeString& Name) {
    const bool dotted = Pos(u".", Name) > 0;
    for (int i = 0; i < GetCount(); ++i) {
        TPropItem* item = GetPropItem(i);
        if (dotted) {
            if (item->FLevel >= 1 && SameText(item->GetPropPath(), Name)) return i;
        } else if (SameText(item->GetPropName(), Name)) {
            return i;
        }
    }
    return -1;
}

int TCustomPropListBox::SetSelectedPropertyPath(const UnicodeString& PropPath) {
    if (Pos(u".", PropPath) > 0) return SetSelectedProperty({PropPath});
    for (int i = 0; i < GetCount(); ++i) {
        TPropItem* item = GetPropItem(i);
        if (item->FLevel == 0 && SameText(item->GetPropPath(), PropPath)) {
            SetItemIndex(i);
            return i;
        }
    }
    return -1;
}

int TCustomPropListBox::SetSelectedProperty(const std::vector<UnicodeString>& PropNames) {
    int result = -1;
    int bound = int(PropNames.size()) - 1;
    for (int i = 0; i < GetCount() && bound >= 0; ++i) {
        TPropItem* item = GetPropItem(i);
        const int rowBound = bound;
        bool best = false;
        for (int n = 0; n <= rowBound; ++n) {
            const UnicodeString& name = PropNames[size_t(n)];
            const bool match = Pos(u".", name) > 0
                                   ? item->FLevel >= 1 && SameText(item->GetPropPath(), name)
                                   : SameText(item->GetPropName(), name);
            if (!match) continue;
            result = i;
            if (n == 0) {
                best = true;
                break;
            }
            bound = n - 1;
        }
        if (best) break;
    }
    if (result >= 0) SetItemIndex(result);
    return result;
}

void TCustomPropListBox::PostUpdateMsg() {
    if (!HandleAllocated()) return;
    MSG pending;
    if (PeekMessageW(&pending, GetHandle(), WM_PROPBOX_UPDATEDIRTY, WM_PROPBOX_UPDATEDIRTY,
                     PM_NOREMOVE))
        return;
    PostMessageW(GetHandle(), WM_PROPBOX_UPDATEDIRTY, 0, 0);
}
