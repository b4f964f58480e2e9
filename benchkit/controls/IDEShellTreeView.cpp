// The shell tree view: nodes hold owned TShellFolder objects, freed with the node.
#include "benchkit/controls/IDEShellTreeView.h"

#include <quorlpak/Application.h>
#include <quorlpak/Forms.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Screen.h>
#include <quorlpak/TypeInfos.h>
#include <runpak/TypeInfo.h>
#include <runpak/FileSystem.h>
#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <win32/fileapi.h>
#include <win32/shellapi.h>
#include <win32/windows.h>

namespace {

TShellFolder* FolderOf(TTreeNode* Node) {
    return Node ? static_cast<TShellFolder*>(Node->GetData()) : nullptr;
}

// The shell's order of two items of one folder (the folder in the unit's sort global).
int CompareNodes(TTreeNode* Node1, TTreeNode* Node2, LPARAM) {
    IShellFolder* parent = ShellCtrlsCompareFolder();
    TShellFolder* a = FolderOf(Node1);
    TShellFolder* b = FolderOf(Node2);
    if (!parent || !a || !b) return 0;
    const HRESULT hr = parent->CompareIDs(0, a->GetRelativeID(), b->GetRelativeID());
    return static_cast<short>(hr & 0xFFFF);
}

bool SameAbsoluteID(PItemIDList a, PItemIDList b) {
    if (!a || !b) return false;
    const HRESULT hr = DesktopShellFolder()->CompareIDs(0, a, b);
    return SUCCEEDED(hr) && static_cast<short>(hr & 0xFFFF) == 0;
}

HWND OwnerWindow(TWinControl* control) {
    if (Application && Application->GetHandle()) return Application->GetHandle();
    return control->HandleAllocated() ? control->GetHandle() : nullptr;
}

UnicodeString CurrentDirectory() {
    char16_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    return n > 0 && n <= MAX_PATH ? UnicodeString(buffer, n) : UnicodeString();
}

// The shell's small-icon list, as the system holds it.
HIMAGELIST SystemSmallImages() {
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
        u"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

TClassBuilder<TIDEShellTreeView> ShellTreeViewDescription() {
    using T = TIDEShellTreeView;
    TClassBuilder<T> b(u"TIDEShellTreeView", TCustomShellTreeView::StaticClass());
    b.Property(u"AutoContextMenus", BooleanTypeInfo, &T::GetAutoContextMenus,
               &T::SetAutoContextMenus)
        .Default(1)
        .Property(u"AutoRefresh", BooleanTypeInfo, &T::GetAutoRefresh, &T::SetAutoRefresh)
        .Default(0)
        .Property(u"Root", UnicodeStringTypeInfo, &T::GetRoot, &T::SetRoot)
        .Property(u"UseShellImages", BooleanTypeInfo, &T::GetUseShellImages,
                  &T::SetUseShellImages)
        .Default(1)
        .Property(u"ChangeDelay", IntegerTypeInfo, &T::GetChangeDelay, &T::SetChangeDelay)
        .Default(0)
        .Property(u"Indent", IntegerTypeInfo, &T::GetIndent, &T::SetIndent)
        .Property(u"RightClickSelect", BooleanTypeInfo, &T::GetRightClickSelect,
                  &T::SetRightClickSelect)
        .Default(1)
        .Property(u"ShowButtons", BooleanTypeInfo, &T::GetShowButtons, &T::SetShowButtons)
        .Default(1)
        .Property(u"ShowLines", BooleanTypeInfo, &T::GetShowLines, &T::SetShowLines)
        .Default(1)
        .Property(u"ShowRoot", BooleanTypeInfo, &T::GetShowRoot, &T::SetShowRoot)
        .Default(0);
    return b;
}

} // namespace

TClass TCustomShellTreeView::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomShellTreeView>(
        u"TCustomShellTreeView", TCustomTreeView::StaticClass()));
    return &meta;
}

TClass TIDEShellTreeView::StaticClass() {
    static const TMetaClass meta(ShellTreeViewDescription());
    return &meta;
}

TCustomShellTreeView::TCustomShellTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {
    FImages = SystemSmallImages();
    SetRightClickSelect(true);
    SetShowRoot(false);
}

TCustomShellTreeView::~TCustomShellTreeView() {
    FAutoRefresh = false;
    delete FNotifier;
    FNotifier = nullptr;
    if (FComboBox) FComboBox->LinkBack(slTreeView, nullptr);
    if (FListView) FListView->LinkBack(slTreeView, nullptr);
    ClearNodes();
    delete FRootFolder;
}

// --- Nodes -----------------------------------------------------------------------------------------

void TCustomShellTreeView::ClearNodes() {
    // Taking the nodes away moves the selection: partners are not told.
    const bool updating = FUpdating;
    FUpdating = true;
    auto restore = runpak::ScopeExit([&] { FUpdating = updating; });
    GetItems()->Clear();
}

void TCustomShellTreeView::Delete(TTreeNode* Node) {
    TCustomTreeView::Delete(Node);
    if (Node == FNodeToMonitor) FNodeToMonitor = nullptr;
    delete FolderOf(Node);
    Node->SetData(nullptr);
}

void TCustomShellTreeView::CreateRoot() {
    if (GetComponentState().Contains(csLoading)) return;
    UnicodeString message;
    bool created = false;
    try {
        FRootFolder = CreateRootFolder(FRootFolder, FOldRoot, FRoot);
        created = true;
    } catch (const Exception& e) {
        message = e.GetMessage();
    }
    if (created && FRootFolder) {
        FLoadingRoot = true;
        auto done = runpak::ScopeExit([&] { FLoadingRoot = false; });
        ClearNodes();
        auto* folder = new TShellFolder(nullptr, FRootFolder->GetAbsoluteID(),
                                        FRootFolder->GetShellFolder());
        TTreeNode* node = GetItems()->AddObject(nullptr, u"", folder);
        node->SetText(GetDisplayName(DesktopShellFolder().Get(), folder->GetAbsoluteID(),
                                     SHGDN_NORMAL));
        if (FUseShellImages && !GetImages()) {
            node->SetImageIndex(GetShellImage(folder->GetAbsoluteID(), false, false));
            node->SetSelectedIndex(GetShellImage(folder->GetAbsoluteID(), false, true));
        }
        node->SetHasChildren(folder->SubFolders());
        node->Expand(false);
        node->SetSelected(true);
    }
    if (!message.empty()) throw Exception(message);
}

void TCustomShellTreeView::InitNode(TTreeNode* NewNode, PItemIDList ID, TTreeNode* ParentNode) {
    TShellFolder* parent = FolderOf(ParentNode);
    InterfacePtr<IShellFolder> shellFolder =
        GetIShellFolder(parent->GetShellFolder(), ID, OwnerWindow(this));
    auto* folder = new TShellFolder(parent, ID, shellFolder.Get());
    NewNode->SetData(folder);
    NewNode->SetText(folder->DisplayName());
    if (FUseShellImages && !GetImages()) {
        NewNode->SetImageIndex(GetShellImage(folder->GetAbsoluteID(), false, false));
        NewNode->SetSelectedIndex(GetShellImage(folder->GetAbsoluteID(), false, true));
    }
    if (NewNode->GetSelectedIndex() == 0) NewNode->SetSelectedIndex(NewNode->GetImageIndex());
    NewNode->SetHasChildren(folder->SubFolders());
    if (folder->Properties().Contains(fpShared)) NewNode->SetOverlayIndex(0);
}

void TCustomShellTreeView::PopulateNode(TTreeNode* Node) {
    TShellFolder* folder = FolderOf(Node);
    if (!folder || !folder->GetShellFolder()) return;
    const TCursor cursor = Screen ? Screen->GetCursor() : crDefault;
    if (Screen) Screen->SetCursor(crHourGlass);
    GetItems()->BeginUpdate();
    auto restore = runpak::ScopeExit([&] {
        GetItems()->EndUpdate();
        if (Screen) Screen->SetCursor(cursor);
    });
    InterfacePtr<IEnumIDList> items;
    try {
        if (FAILED(folder->GetShellFolder()->EnumObjects(
                OwnerWindow(this), ObjectTypesToFlags(FObjectTypes), items.Out())) ||
            !items)
            return;
    } catch (const Exception&) {
        return;
    }
    PITEMID_CHILD id = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &id, &fetched) == S_OK && fetched == 1) {
        auto dispose = runpak::ScopeExit([&] { DisposePIDL(id); });
        bool canAdd = true;
        if (OnAddFolder) OnAddFolder(this, id, folder->GetShellFolder(), canAdd);
        if (canAdd) InitNode(GetItems()->AddChild(Node, u""), id, Node);
    }
    SetShellCtrlsCompareFolder(folder->GetShellFolder());
    auto clear = runpak::ScopeExit([] { SetShellCtrlsCompareFolder(nullptr); });
    Node->CustomSort(&CompareNodes, 0, false);
}

bool TCustomShellTreeView::CanExpand(TTreeNode* Node) {
    if (GetComponentState().Contains(csDesigning) && Node->GetLevel() > 0) return true;
    bool result = TCustomTreeView::CanExpand(Node);
    if (!result) return false;
    TShellFolder* folder = FolderOf(Node);
    if (!folder) return result;
    if (folder->IsFolder()) {
        if (Node->GetHasChildren() && Node->GetCount() == 0) PopulateNode(Node);
    } else {
        const UnicodeString path = folder->PathName();
        const UnicodeString directory = ExtractFilePath(path);
        ShellExecuteW(OwnerWindow(this), nullptr, path.c_str(), nullptr, directory.c_str(), 0);
    }
    Node->SetHasChildren(Node->GetCount() > 0);
    return result;
}

TTreeNode* TCustomShellTreeView::FolderExists(PItemIDList FindID, TTreeNode* InNode) {
    for (TTreeNode* node = InNode; node; node = node->GetNext()) {
        if (node != InNode && !node->HasAsParent(InNode)) break;
        TShellFolder* folder = FolderOf(node);
        if (folder && SameAbsoluteID(folder->GetAbsoluteID(), FindID)) return node;
    }
    return nullptr;
}

TShellFolder* TCustomShellTreeView::GetFolder(int Index) {
    return FolderOf(GetItems()->GetItem(Index));
}

TShellFolder* TCustomShellTreeView::SelectedFolder() {
    return FolderOf(GetSelected());
}

// --- Selection and paths -----------------------------------------------------------------------

void TCustomShellTreeView::Change(TTreeNode* Node) {
    TShellFolder* folder = FolderOf(Node);
    FPath = folder ? folder->PathName() : UnicodeString();
    // A selection made by code moves the watch too. The notifier is pointed
    // elsewhere rather than replaced: this may run inside its own event.
    if (FAutoRefresh && !FNodeToMonitor) {
        const UnicodeString watched = WatchedPath(Node);
        if (FNotifier && !watched.empty())
            FNotifier->SetRoot(watched);
        else if (!FNotifier)
            SetAutoRefresh(true);
    }
    TCustomTreeView::Change(Node);
}

bool TCustomShellTreeView::CanChange(TTreeNode* Node) {
    const bool result = TCustomTreeView::CanChange(Node);
    if (!result || FUpdating || !Node) return result;
    const bool autoRefresh = FAutoRefresh;
    SetAutoRefresh(false);
    TShellFolder* folder = FolderOf(Node);
    if (folder && !folder->IsFolder()) folder = folder->GetParent();
    if (folder) {
        FUpdating = true;
        auto done = runpak::ScopeExit([&] { FUpdating = false; });
        if (FComboBox) FComboBox->LinkFollow(folder->GetAbsoluteID());
        if (FListView) FListView->LinkFollow(folder->GetAbsoluteID());
    }
    FNodeToMonitor = Node;
    SetAutoRefresh(autoRefresh);
    FNodeToMonitor = nullptr;
    return result;
}

void TCustomShellTreeView::SetPath(const UnicodeString& Value) {
    UnicodeString text = Value;
    PItemIDList id = nullptr;
    ULONG eaten = 0;
    const HRESULT hr =
        DesktopShellFolder()->ParseDisplayName(OwnerWindow(this), nullptr, text.data(), &eaten,
                                               &id, nullptr);
    if (FAILED(hr) || !id)
        throw EInvalidPath(u"\"" + Value + u"\" is not a path the shell can show");
    auto dispose = runpak::ScopeExit([&] { DisposePIDL(id); });
    SetPathFromID(id);
}

void TCustomShellTreeView::SetPathFromID(PItemIDList ID) {
    if (!ID || FUpdating || FLoadingRoot || GetComponentState().Contains(csLoading)) return;
    if (TShellFolder* selected = SelectedFolder())
        if (SamePIDL(selected->GetAbsoluteID(), ID)) return;
    FUpdating = true;
    GetItems()->BeginUpdate();
    auto done = runpak::ScopeExit([&] {
        GetItems()->EndUpdate();
        FUpdating = false;
    });
    TList* ancestors = CreatePIDLList(ID);
    auto free = runpak::ScopeExit([&] { DestroyPIDLList(ancestors); });
    TTreeNode* start = GetItems()->GetFirstNode();
    for (int i = 0; start && i < ancestors->GetCount(); ++i) {
        if (TTreeNode* node =
                FolderExists(static_cast<PItemIDList>(ancestors->GetItems(i)), start)) {
            node->Expand(false);
            start = node;
        }
    }
    TTreeNode* node = start ? FolderExists(ID, start) : nullptr;
    SetSelected(node);
    if (!node) return;
    node->Expand(false);
    TShellFolder* folder = FolderOf(node);
    if (!folder) return;
    if (FListView) FListView->LinkFollow(folder->GetAbsoluteID());
    if (FComboBox) FComboBox->LinkFollow(folder->GetAbsoluteID());
}

void TCustomShellTreeView::Refresh(TTreeNode* Node) {
    TShellFolder* folder = FolderOf(Node);
    if (!folder || !folder->GetShellFolder()) return;
    TShellFolder* topFolder = FolderOf(GetTopItem());
    TShellFolder* selectedFolder = SelectedFolder();
    PItemIDList topId = topFolder ? CopyPIDL(topFolder->GetAbsoluteID()) : nullptr;
    PItemIDList selectedId = selectedFolder ? CopyPIDL(selectedFolder->GetAbsoluteID()) : nullptr;
    auto dispose = runpak::ScopeExit([&] {
        DisposePIDL(topId);
        DisposePIDL(selectedId);
    });
    const bool updating = FUpdating;
    FUpdating = true;
    GetItems()->BeginUpdate();
    const TCursor cursor = Screen ? Screen->GetCursor() : crDefault;
    if (Screen) Screen->SetCursor(crHourGlass);
    auto restore = runpak::ScopeExit([&] {
        GetItems()->EndUpdate();
        if (Screen) Screen->SetCursor(cursor);
        FUpdating = updating;
    });

    auto* fresh =
        new TShellFolder(folder->GetParent(), folder->GetRelativeID(), folder->GetShellFolder());
    TTreeNode* newNode = GetItems()->InsertObject(Node, u"", fresh);
    PopulateNode(newNode);
    if (FUseShellImages && !GetImages()) {
        newNode->SetImageIndex(GetShellImage(fresh->GetAbsoluteID(), false, false));
        newNode->SetSelectedIndex(GetShellImage(fresh->GetAbsoluteID(), false, true));
    }
    newNode->SetHasChildren(fresh->SubFolders());
    newNode->SetText(fresh->DisplayName());
    if (!fresh->GetParent() || fresh->GetParent() == ShellCtrlsDesktopFolder())
        newNode->SetText(
            GetDisplayName(DesktopShellFolder().Get(), fresh->GetAbsoluteID(), SHGDN_NORMAL));

    // What was expanded under the old node is expanded under the new one.
    const int level = Node->GetLevel();
    for (TTreeNode* n = Node; n; n = n->GetNext()) {
        if (n != Node && n->GetLevel() <= level) break;
        if (!n->GetExpanded()) continue;
        if (TShellFolder* f = FolderOf(n))
            if (TTreeNode* match = FolderExists(f->GetAbsoluteID(), newNode)) match->Expand(false);
    }
    Node->Delete();
    if (selectedId) {
        TTreeNode* match = FolderExists(selectedId, GetItems()->GetFirstNode());
        if (match) SetSelected(match);
    }
    if (topId)
        if (TTreeNode* match = FolderExists(topId, GetItems()->GetFirstNode())) SetTopItem(match);
}

// --- Root, object types, images ---------------------------------------------------------------

void TCustomShellTreeView::RootChanged() {
    if (FUpdating) return;
    FUpdating = true;
    auto done = runpak::ScopeExit([&] { FUpdating = false; });
    CreateRoot();
    if (FComboBox) FComboBox->LinkSetRoot(FRoot);
    if (FListView) FListView->LinkSetRoot(FRoot);
    if (OnRootChanged) OnRootChanged(this);
}

void TCustomShellTreeView::SetRoot(const UnicodeString& Value) {
    if (SameText(Value, FRoot)) return;
    FOldRoot = FRoot;
    FRoot = Value;
    RootChanged();
}

void TCustomShellTreeView::SetObjectTypes(TShellObjectTypes Value) {
    FObjectTypes = Value;
    if (GetComponentState().Contains(csLoading)) return;
    const bool updating = FUpdating;
    FUpdating = true;
    auto done = runpak::ScopeExit([&] { FUpdating = updating; });
    CreateRoot();
}

void TCustomShellTreeView::SetImageList(HIMAGELIST, int Flags) {
    if (Flags != TVSIL_NORMAL || FImageListChanging) {
        if (Flags != TVSIL_NORMAL) TCustomTreeView::SetImageList(nullptr, Flags);
        return;
    }
    FImageListChanging = true;
    auto done = runpak::ScopeExit([&] { FImageListChanging = false; });
    HIMAGELIST list = GetImages() ? GetImages()->GetHandle() : FUseShellImages ? FImages : nullptr;
    TCustomTreeView::SetImageList(list, TVSIL_NORMAL);
}

void TCustomShellTreeView::SetUseShellImages(bool Value) {
    FUseShellImages = Value;
    if (HandleAllocated()) SetImageList(nullptr, TVSIL_NORMAL);
}

void TCustomShellTreeView::GetImageIndex(TTreeNode* Node) {
    if (GetImages()) TCustomTreeView::GetImageIndex(Node);
}

void TCustomShellTreeView::GetSelectedIndex(TTreeNode* Node) {
    if (GetImages()) TCustomTreeView::GetSelectedIndex(Node);
}

// --- Editing and commands -------------------------------------------------------------------------

void TCustomShellTreeView::Edit(const TVITEMW& Item) {
    if (!Item.pszText) return;
    TTreeNode* node = GetItems()->GetNode(Item.hItem);
    if (!node) return;
    UnicodeString text = Item.pszText;
    if (OnEdited) OnEdited(this, node, text);
    TShellFolder* folder = FolderOf(node);
    if (folder && folder->Rename(text)) node->SetText(text);
}

void TCustomShellTreeView::ExecuteCommand(const UnicodeString& Verb, bool& Handled) {
    TTreeNode* selected = GetSelected();
    if (SameText(Verb, u"rename") && selected) {
        selected->EditText();
        Handled = true;
    } else if (SameText(Verb, u"open")) {
        FSavePath = CurrentDirectory();
        if (TShellFolder* folder = FolderOf(selected)) {
            const UnicodeString directory = ExtractFilePath(folder->PathName());
            if (!directory.empty()) SetCurrentDirectoryW(directory.c_str());
        }
    }
}

void TCustomShellTreeView::CommandCompleted(const UnicodeString& Verb, bool Succeeded) {
    // The working directory goes back however the command ended.
    if (SameText(Verb, u"open")) {
        if (!FSavePath.empty()) SetCurrentDirectoryW(FSavePath.c_str());
        FSavePath.clear();
        return;
    }
    TTreeNode* selected = GetSelected();
    if (!Succeeded || !selected) return;
    if (SameText(Verb, u"delete")) {
        TShellFolder* folder = FolderOf(selected);
        const UnicodeString path = folder ? folder->PathName() : UnicodeString();
        if (!path.empty() && !FileExists(path) && !DirectoryExists(path)) selected->Delete();
    } else if (SameText(Verb, u"paste")) {
        Refresh(selected);
    }
}

// --- Auto-refresh and links ----------------------------------------------------------------------

// The folder whose node a change refreshes is the one watched: the node's
// folder (its parent for a file), else the root's.
UnicodeString TCustomShellTreeView::WatchedPath(TTreeNode* Node) {
    TShellFolder* watched = Node ? FolderOf(Node) : FRootFolder;
    if (watched && !watched->IsFolder()) watched = watched->GetParent();
    return watched ? watched->PathName() : UnicodeString();
}

void TCustomShellTreeView::SetAutoRefresh(bool Value) {
    FAutoRefresh = Value;
    if (GetComponentState().Contains(csLoading)) return;
    if (!Value) {
        delete FNotifier;
        FNotifier = nullptr;
        return;
    }
    delete FNotifier;
    FNotifier = nullptr;
    const UnicodeString root = WatchedPath(FNodeToMonitor ? FNodeToMonitor : GetSelected());
    if (root.empty()) return; // nothing on disk to watch
    FNotifier = new TIDEShellChangeNotifier(nullptr);
    FNotifier->SetWatchSubTree(false);
    FNotifier->SetRoot(root);
    FNotifier->SetOnChange([this] {
        if (TTreeNode* selected = GetSelected()) Refresh(selected);
    });
}

void TCustomShellTreeView::SetLink(IShellControlLink*& Field, TComponent*& FieldComponent,
                                   TComponent* Value) {
    auto* link = dynamic_cast<IShellControlLink*>(Value);
    if (link == Field) return;
    if (Field) {
        Field->LinkBack(slTreeView, nullptr);
        FieldComponent->RemoveFreeNotification(this);
    }
    Field = link;
    FieldComponent = link ? Value : nullptr;
    if (!link) return;
    link->LinkSetRoot(FRoot);
    link->LinkBack(slTreeView, this);
    Value->FreeNotification(this);
}

void TCustomShellTreeView::SetShellComboBox(TComponent* Value) {
    SetLink(FComboBox, FComboBoxComponent, Value);
}

void TCustomShellTreeView::SetShellListView(TComponent* Value) {
    SetLink(FListView, FListViewComponent, Value);
}

void TCustomShellTreeView::LinkBack(TShellLinkRole Role, IShellControlLink* Partner) {
    IShellControlLink*& field = Role == slComboBox ? FComboBox : FListView;
    TComponent*& component = Role == slComboBox ? FComboBoxComponent : FListViewComponent;
    if (Role == slTreeView) return;
    if (component) component->RemoveFreeNotification(this);
    field = Partner;
    component = Partner ? Partner->LinkComponent() : nullptr;
    if (component) component->FreeNotification(this);
}

void TCustomShellTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomTreeView::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FComboBoxComponent) FComboBox = nullptr, FComboBoxComponent = nullptr;
    if (AComponent == FListViewComponent) FListView = nullptr, FListViewComponent = nullptr;
}

// --- Window life ------------------------------------------------------------------------------

void TCustomShellTreeView::CreateWnd() {
    const UnicodeString kept = FKeptPath.empty() ? FPath : FKeptPath;
    FKeptPath.clear();
    TCustomTreeView::CreateWnd();
    ClearNodes();
    SetImageList(nullptr, TVSIL_NORMAL);
    if (!FLoadingRoot) CreateRoot();
    if (!kept.empty()) {
        try {
            SetPath(kept);
        } catch (const Exception&) {
            // The folder is gone: the root stays selected.
        }
    }
}

void TCustomShellTreeView::DestroyWnd() {
    FKeptPath = FPath;
    ClearNodes();
    TCustomTreeView::DestroyWnd();
}

void TCustomShellTreeView::Loaded() {
    TCustomTreeView::Loaded();
    CreateRoot();
}

void TCustomShellTreeView::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CONTEXTMENU: {
        TPopupMenu* popup = GetPopupMenu();
        TShellFolder* folder = SelectedFolder();
        if (FAutoContext && !(popup && popup->GetAutoPopup()) && folder) {
            POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
            if (p.x == -1 && p.y == -1) {
                p = POINT{0, 0};
                if (TTreeNode* node = GetSelected()) {
                    const TRect r = node->DisplayRect(true);
                    p = POINT{r.left, r.bottom};
                }
            } else {
                ::ScreenToClient(GetHandle(), &p);
            }
            InvokeContextMenu(this, folder, p.x, p.y);
            Message.Result = 0;
            return;
        }
        break;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        if (IContextMenu2* menu = ShellCtrlsContextMenu()) {
            menu->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam);
            Message.Result = 0;
            return;
        }
        break;
    case WM_DESTROY:
        ClearNodes();
        break;
    default:
        break;
    }
    TCustomTreeView::Dispatch(Message);
}
