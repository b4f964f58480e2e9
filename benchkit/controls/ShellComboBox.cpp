// The shell combo box of IDEShellCtrls.
#include "benchkit/controls/IDEShellComboBox.h"

#include <quorlpak/Application.h>
#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <win32/commctrl.h>
#include <win32/shellapi.h>

#include <algorithm>

int CompareComboFolders(void* Item1, void* Item2) {
    IShellFolder* folder = ShellCtrlsCompareFolder();
    if (!folder) return 0;
    HRESULT result = folder->CompareIDs(0, static_cast<PItemIDList>(Item1),
                                        static_cast<PItemIDList>(Item2));
    return static_cast<short>(HRESULT_CODE(result));
}

TClass TCustomShellComboBox::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomShellComboBox>(
        u"TCustomShellComboBox", TCustomComboBoxEx::StaticClass()));
    return &meta;
}

TClass TIDEShellComboBox::StaticClass() {
    using T = TIDEShellComboBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TIDEShellComboBox", TCustomShellComboBox::StaticClass())
            .Property(u"Root", UnicodeStringTypeInfo, &T::GetRoot, &T::SetRoot)
            .Property(u"UseShellImages", BooleanTypeInfo, &T::GetUseShellImages,
                      &T::SetUseShellImages)
            .Default(true)
            .Property(u"Images", ClassTypeInfo<TCustomImageList>, &T::GetImages, &T::SetImages)
            .Property(u"DropDownCount", IntegerTypeInfo, &T::GetDropDownCount,
                      &T::SetDropDownCount)
            .Default(8)
            .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomComboBoxEx::OnChange))
            .Event(u"OnSelect", static_cast<TNotifyEvent T::*>(&TCustomComboBoxEx::OnSelect))
            .Event(u"OnRootChanged",
                   static_cast<TNotifyEvent T::*>(&TCustomShellComboBox::OnRootChanged)));
    return &meta;
}

TCustomShellComboBox::TCustomShellComboBox(TComponent* AOwner) : TCustomComboBoxEx(AOwner) {
    SHFILEINFOW info{};
    FImages = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(u"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    SetStyle(csExDropDown);
}

TCustomShellComboBox::~TCustomShellComboBox() {
    SetShellTreeView(nullptr);
    SetShellListView(nullptr);
    DestroyHandle();
    ClearItems();
    delete FRootFolder;
}

void TCustomShellComboBox::ClearItems() {
    TComboExItems* items = GetItemsEx();
    for (int i = 0; i < items->GetCount(); ++i)
        delete static_cast<TShellFolder*>(items->GetComboItem(i)->GetData());
    items->Clear();
}

HIMAGELIST TCustomShellComboBox::ImageListHandle() {
    if (GetImages()) return GetImages()->GetHandle();
    return FUseShellImages ? FImages : nullptr;
}

void TCustomShellComboBox::SetUseShellImages(bool Value) {
    FUseShellImages = Value;
    ApplyImageList();
    if (FUseShellImages && !GetImages()) {
        ImageList_GetIconSize(FImages, &FImageWidth, &FImageHeight);
    } else if (GetImages()) {
        FImageWidth = GetImages()->GetWidth();
        FImageHeight = GetImages()->GetHeight();
    } else {
        FImageWidth = FImageHeight = 16;
    }
}

void TCustomShellComboBox::InsertFolder(int Index, TShellFolder* Folder) {
    int image = FUseShellImages ? Folder->ImageIndex(false) : -1;
    if (OnGetImageIndex && (GetImages() || FUseShellImages)) OnGetImageIndex(this, Index, image);
    TComboExItem* item = GetItemsEx()->Insert(Index);
    item->SetCaption(Folder->DisplayName());
    item->SetData(Folder);
    item->SetIndent(Folder->GetLevel());
    item->SetImageIndex(image);
    item->SetSelectedImageIndex(image);
}

void TCustomShellComboBox::CreateRoot() {
    if (GetComponentState().Contains(csLoading)) return;
    // The new root first: a root that cannot be resolved leaves the items be.
    FRootFolder = CreateRootFolder(FRootFolder, FOldRoot, FRoot);
    TComboExItems* items = GetItemsEx();
    items->BeginUpdate();
    auto unlock = runpak::ScopeExit([&] { items->EndUpdate(); });
    ClearItems();
    auto* top = new TShellFolder(nullptr, FRootFolder->GetAbsoluteID(),
                                 FRootFolder->GetShellFolder());
    int image = top->ImageIndex(false);
    TComboExItem* item = items->Insert(0);
    item->SetCaption(top->DisplayName());
    item->SetData(top);
    item->SetImageIndex(image);
    item->SetSelectedImageIndex(image);
    Init();
    SetItemIndex(0);
    if (FUseShellImages) {
        SetUseShellImages(false);
        SetUseShellImages(true);
    }
}

void TCustomShellComboBox::Init() {
    AddItems(0, GetFolder(0));
    if (FRoot != u"rfDesktop") return;
    PItemIDList computer = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer))) return;
    int index = IndexFromID(computer);
    DisposePIDL(computer);
    if (index >= 0) AddItems(index, GetFolder(index));
}

void TCustomShellComboBox::AddItems(int Index, TShellFolder* Folder) {
    if (!Folder || !Folder->GetShellFolder()) return;
    IShellFolder* shellFolder = Folder->GetShellFolder();
    InterfacePtr<IEnumIDList> items;
    HWND owner = Application ? Application->GetHandle() : nullptr;
    ShellOleCheck(shellFolder->EnumObjects(owner, ObjectTypesToFlags(FObjectTypes), items.Out()));
    TList ids;
    // The collected ids are ours; each folder object keeps its own copy.
    auto freeIds = runpak::ScopeExit([&] {
        for (int i = 0; i < ids.GetCount(); ++i)
            DisposePIDL(static_cast<PItemIDList>(ids.GetItems(i)));
    });
    if (items) {
        PITEMID_CHILD id = nullptr;
        ULONG fetched = 0;
        while (items->Next(1, &id, &fetched) == S_OK && fetched == 1) ids.Add(id);
    }
    {
        SetShellCtrlsCompareFolder(shellFolder);
        auto clear = runpak::ScopeExit([] { SetShellCtrlsCompareFolder(nullptr); });
        ids.Sort(CompareComboFolders);
    }
    for (int n = 0; n < ids.GetCount(); ++n) {
        auto id = static_cast<PItemIDList>(ids.GetItems(n));
        InterfacePtr<IShellFolder> sf = GetIShellFolder(shellFolder, id);
        InsertFolder(Index + 1 + n, new TShellFolder(Folder, id, sf.Get()));
    }
}

int TCustomShellComboBox::IndexFromID(PItemIDList AbsoluteID) {
    TComboExItems* items = GetItemsEx();
    for (int i = items->GetCount() - 1; i >= 0; --i) {
        auto* folder = static_cast<TShellFolder*>(items->GetComboItem(i)->GetData());
        if (folder && SamePIDL(folder->GetAbsoluteID(), AbsoluteID)) return i;
    }
    return -1;
}

TShellFolder* TCustomShellComboBox::GetFolder(int Index) {
    TComboExItems* items = GetItemsEx();
    if (items->GetCount() == 0 || Index < 0) return nullptr;
    Index = std::min(Index, items->GetCount() - 1);
    return static_cast<TShellFolder*>(items->GetComboItem(Index)->GetData());
}

UnicodeString TCustomShellComboBox::GetPath() {
    int index = GetItemIndex();
    TShellFolder* folder = index >= 0 ? GetFolder(index) : nullptr;
    return folder ? folder->PathName() : UnicodeString();
}

void TCustomShellComboBox::SetPath(const UnicodeString& Value) {
    PItemIDList pidl = nullptr;
    ULONG eaten = 0;
    UnicodeString path = Value;
    HRESULT result =
        DesktopShellFolder()->ParseDisplayName(nullptr, nullptr, path.data(), &eaten, &pidl, nullptr);
    if (FAILED(result) || !pidl)
        throw EInvalidPath(u"Could not set the path to '%s'", {Value});
    auto freeList = runpak::ScopeExit([&] { DisposePIDL(pidl); });
    SetPathFromID(pidl);
}

void TCustomShellComboBox::SetPathFromID(PItemIDList ID) {
    TComboExItems* items = GetItemsEx();
    items->BeginUpdate();
    auto unlock = runpak::ScopeExit([&] { items->EndUpdate(); });
    CreateRoot();
    TList* ancestors = CreatePIDLList(ID);
    auto freeList = runpak::ScopeExit([&] { DestroyPIDLList(ancestors); });

    int level = ancestors->GetCount() - 1;
    int position = -1;
    for (; level >= 0 && position < 0; --level)
        position = IndexFromID(static_cast<PItemIDList>(ancestors->GetItems(level)));
    if (position < 0) return;
    // level now names the ancestor below the one found.
    auto insertBelow = [&](PItemIDList absolute) {
        TShellFolder* parent = GetFolder(position);
        PItemIDList last = absolute;
        for (PItemIDList at = absolute; at->mkid.cb != 0; at = NextPIDL(at)) last = at;
        PItemIDList child = CopyPIDL(last);
        auto freeChild = runpak::ScopeExit([&] { DisposePIDL(child); });
        InterfacePtr<IShellFolder> sf = GetIShellFolder(parent->GetShellFolder(), child);
        InsertFolder(position + 1, new TShellFolder(parent, child, sf.Get()));
        ++position;
    };
    for (int i = level + 2; i < ancestors->GetCount(); ++i)
        insertBelow(static_cast<PItemIDList>(ancestors->GetItems(i)));
    if (IndexFromID(ID) < 0) insertBelow(ID);
    SetItemIndex(IndexFromID(ID));
}

void TCustomShellComboBox::TreeUpdate(PItemIDList NewPath) {
    if (FUpdating) return;
    int index = GetItemIndex();
    TShellFolder* selected = index >= 0 ? GetFolder(index) : nullptr;
    if (selected && SamePIDL(selected->GetAbsoluteID(), NewPath)) return;
    auto guard = runpak::SaveAndRestore(FUpdating, true);
    SetPathFromID(NewPath);
}

void TCustomShellComboBox::UpdateTreeAndList() {
    if (GetItemsEx()->GetUpdateCount() > 0 || FUpdating || GetDroppedDown()) return;
    int index = GetItemIndex();
    TShellFolder* folder = index >= 0 ? GetFolder(index) : nullptr;
    if (!folder) return;
    auto guard = runpak::SaveAndRestore(FUpdating, true);
    if (FTreeView) FTreeView->LinkFollow(folder->GetAbsoluteID());
    if (FListView) FListView->LinkFollow(folder->GetAbsoluteID());
}

void TCustomShellComboBox::Select() {
    UpdateTreeAndList();
    TCustomComboBoxEx::Select();
}

void TCustomShellComboBox::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomComboBoxEx::KeyDown(Key, Shift);
    if (Key == VK_RETURN) UpdateTreeAndList();
}

void TCustomShellComboBox::Click() {
    int index = GetItemIndex();
    if (TShellFolder* folder = index >= 0 ? GetFolder(index) : nullptr) {
        auto guard = runpak::SaveAndRestore(FUpdating, true);
        PItemIDList chosen = CopyPIDL(folder->GetAbsoluteID());
        auto freeChosen = runpak::ScopeExit([&] { DisposePIDL(chosen); });
        SetPathFromID(chosen);
    }
    TCustomComboBoxEx::Click();
}

void TCustomShellComboBox::RootChanged() {
    auto guard = runpak::SaveAndRestore(FUpdating, true);
    CreateRoot();
    if (FTreeView) FTreeView->LinkSetRoot(FRoot);
    if (FListView) FListView->LinkSetRoot(FRoot);
    if (OnRootChanged) OnRootChanged(this);
}

void TCustomShellComboBox::SetRoot(const UnicodeString& Value) {
    if (SameText(Value, FRoot)) return;
    FOldRoot = FRoot;
    FRoot = Value;
    RootChanged();
}

void TCustomShellComboBox::SetObjectTypes(TShellObjectTypes Value) {
    FObjectTypes = Value;
    RootChanged();
}

void TCustomShellComboBox::CreateWnd() {
    TCustomComboBoxEx::CreateWnd();
    SetUseShellImages(FUseShellImages);
    if (GetItemsEx()->GetCount() == 0) CreateRoot();
}

void TCustomShellComboBox::Loaded() {
    TCustomComboBoxEx::Loaded();
    CreateRoot();
}

void TCustomShellComboBox::SetShellTreeView(IShellControlLink* Value) {
    if (Value == FTreeView) return;
    if (FTreeView) {
        FTreeView->LinkBack(slComboBox, nullptr);
        FTreeView->LinkComponent()->RemoveFreeNotification(this);
    }
    FTreeView = Value;
    if (FTreeView) {
        FTreeView->LinkSetRoot(FRoot);
        FTreeView->LinkBack(slComboBox, this);
        FTreeView->LinkComponent()->FreeNotification(this);
    }
}

void TCustomShellComboBox::SetShellListView(IShellControlLink* Value) {
    if (Value == FListView) return;
    if (FListView) {
        FListView->LinkBack(slComboBox, nullptr);
        FListView->LinkComponent()->RemoveFreeNotification(this);
    }
    FListView = Value;
    if (FListView) {
        FListView->LinkSetRoot(FRoot);
        FListView->LinkBack(slComboBox, this);
        FListView->LinkComponent()->FreeNotification(this);
    }
}

void TCustomShellComboBox::LinkBack(TShellLinkRole Role, IShellControlLink* Partner) {
    IShellControlLink*& link = Role == slTreeView ? FTreeView : FListView;
    if (Role == slComboBox) return;
    link = Partner;
    // Told of the partner's end, so that the link never dangles.
    if (Partner) Partner->LinkComponent()->FreeNotification(this);
}

void TCustomShellComboBox::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomComboBoxEx::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (FTreeView && AComponent == FTreeView->LinkComponent()) FTreeView = nullptr;
    if (FListView && AComponent == FListView->LinkComponent()) FListView = nullptr;
}
