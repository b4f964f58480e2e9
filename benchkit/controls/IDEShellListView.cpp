// TCustomShellListView: filling from the shell folder, items on demand,
// report columns, navigation, links, editing and the context menu.
#include "benchkit/controls/IDEShellListView.h"

#include <quorlpak/Application.h>
#include <quorlpak/Messages.h>
#include <quorlpak/Screen.h>
#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>
#include <win32/fileapi.h>
#include <win32/shellapi.h>
#include <win32/windows.h>

#include <algorithm>

using namespace ComCtrls;

TClass TCustomShellListView::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomShellListView>(
        u"TCustomShellListView", TCustomListView::StaticClass()));
    return &meta;
}

TClass TIDEShellListView::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TIDEShellListView>(
        u"TIDEShellListView", TCustomShellListView::StaticClass()));
    return &meta;
}

namespace {

HIMAGELIST SystemImages(bool large) {
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(u"C:\\", 0, &info, sizeof info,
                       SHGFI_SYSICONINDEX | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON)));
}

// Folders before other items; items of one kind in the shell's own order.
// Without an object or a parent folder to ask, two items count as equal.
int CompareListFolders(TShellFolder* a, bool aFolder, TShellFolder* b, bool bFolder) {
    if (!a || !b) return 0;
    if (aFolder != bFolder) return aFolder ? -1 : 1;
    IShellFolder* parent = ShellCtrlsCompareFolder();
    if (!parent) return 0;
    const HRESULT r = parent->CompareIDs(0, a->GetRelativeID(), b->GetRelativeID());
    return static_cast<int16_t>(HRESULT_CODE(r));
}

} // namespace

TCustomShellListView::TCustomShellListView(TComponent* AOwner) : TCustomListView(AOwner) {
    SetOwnerData(true);
    SetHideSelection(false);
    FLargeImages = SystemImages(true);
    FSmallImages = SystemImages(false);
}

TCustomShellListView::~TCustomShellListView() {
    SetAutoRefresh(false);
    SetShellTreeView(nullptr);
    SetShellComboBox(nullptr);
    // The window asks no more questions once it is gone.
    if (HandleAllocated()) DestroyHandle();
    ClearItems();
    delete FRootFolder;
}

bool TCustomShellListView::Loading() const {
    return GetComponentState().Contains(csLoading);
}

TShellFolder* TCustomShellListView::GetFolder(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(FFolders.size())) return nullptr;
    return FFolders[static_cast<size_t>(Index)];
}

TShellFolder* TCustomShellListView::SelectedFolder() {
    return GetFolder(GetItemIndex());
}

void TCustomShellListView::ClearItems() {
    // The window must not ask for an item whose folder is gone.
    GetItems()->SetCount(0);
    for (TShellFolder* folder : FFolders)
        delete folder;
    FFolders.clear();
}

// --- Filling ------------------------------------------------------------------------------

void TCustomShellListView::Populate() {
    if (Loading() && !HandleAllocated()) return;
    GetItems()->BeginUpdate();
    auto endUpdate = runpak::ScopeExit([this] { GetItems()->EndUpdate(); });
    TCursor oldCursor = Screen ? Screen->GetCursor() : crDefault;
    if (Screen) Screen->SetCursor(crHourGlass);
    auto restoreCursor = runpak::ScopeExit([&] {
        if (Screen) Screen->SetCursor(oldCursor);
    });
    ClearItems();
    IShellFolder* root = FRootFolder ? FRootFolder->GetShellFolder() : nullptr;
    if (!root) return;
    InterfacePtr<IEnumIDList> items;
    HWND owner = Application ? Application->GetHandle() : nullptr;
    if (root->EnumObjects(owner, ObjectTypesToFlags(FObjectTypes), items.Out()) != S_OK || !items)
        return;
    PITEMID_CHILD id = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &id, &fetched) == S_OK && fetched == 1) {
        auto free = runpak::ScopeExit([&] { DisposePIDL(id); });
        bool canAdd = true;
        if (OnAddFolder) OnAddFolder(this, id, root, canAdd);
        if (!canAdd) continue;
        InterfacePtr<IShellFolder> folder = GetIShellFolder(root, id);
        FFolders.push_back(new TShellFolder(FRootFolder, id, folder.Get()));
    }
    if (FSorted) {
        std::vector<std::pair<TShellFolder*, bool>> keyed;
        keyed.reserve(FFolders.size());
        for (TShellFolder* f : FFolders)
            keyed.emplace_back(f, f->IsFolder());
        SetShellCtrlsCompareFolder(root);
        auto clear = runpak::ScopeExit([] { SetShellCtrlsCompareFolder(nullptr); });
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
            return CompareListFolders(a.first, a.second, b.first, b.second) < 0;
        });
        for (size_t i = 0; i < keyed.size(); ++i)
            FFolders[i] = keyed[i].first;
    }
    GetItems()->SetCount(static_cast<int>(FFolders.size()));
}

bool TCustomShellListView::OwnerDataFetch(TListItem* Item, TItemRequests Request) {
    TShellFolder* folder = GetFolder(Item->GetIndex());
    if (!folder) return true;
    if (Request.Contains(irText) || Item->GetCaption().empty())
        Item->SetCaption(folder->DisplayName());
    if (Request.Contains(irImage))
        Item->SetImageIndex(folder->ImageIndex(GetViewStyle() == vsIcon));
    if (GetViewStyle() == vsReport) {
        const int columns = GetColumns()->GetCount();
        // An item that vanished since the folder was read has no details to show.
        try {
            folder->LoadColumnDetails(FRootFolder, HandleAllocated() ? GetHandle() : nullptr,
                                      columns);
        } catch (const Exception&) {
        }
        for (int i = 1; i < columns; ++i)
            Item->GetSubItems()->Add(i <= folder->DetailCount() ? folder->GetDetails(i)
                                                                : UnicodeString());
    }
    return true;
}

int TCustomShellListView::OwnerDataFind(TItemFind Find, const UnicodeString& FindString,
                                        const TPoint&, void*, int StartIndex, TSearchDirection,
                                        bool Wrap) {
    if (Find != ifPartialString && Find != ifExactString) return -1;
    const int count = static_cast<int>(FFolders.size());
    if (count == 0) return -1;
    // From the start position to the end and, when asked, once round from the top.
    int start = std::max(StartIndex, 0);
    if (start >= count) {
        if (!Wrap) return -1;
        start = 0;
    }
    const UnicodeString wanted = AnsiUpperCase(FindString);
    for (int n = 0; n < count; ++n) {
        int i = start + n;
        if (i >= count) {
            if (!Wrap) break;
            i -= count;
        }
        const UnicodeString name = AnsiUpperCase(FFolders[static_cast<size_t>(i)]->DisplayName());
        if (name.compare(0, wanted.size(), wanted) == 0) return i;
    }
    return -1;
}

// --- Columns -----------------------------------------------------------------------------------

void TCustomShellListView::EnumColumns() {
    if (!FRootFolder || !FRootFolder->GetShellFolder()) return;
    TListColumns* columns = GetColumns();
    columns->BeginUpdate();
    auto endUpdate = runpak::ScopeExit([&] { columns->EndUpdate(); });
    columns->Clear();
    FRootFolder->SetViewHandle(HandleAllocated() ? GetHandle() : nullptr);
    int charWidth = 8;
    {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
        SIZE size{};
        if (GetTextExtentPoint32W(dc, u"X", 1, &size)) charWidth = size.cx;
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
    std::vector<UnicodeString> added;
    // False when the heading repeats one already there.
    auto add = [&](const UnicodeString& caption, int fmt, int chars) {
        if (caption.empty()) return true;
        for (const UnicodeString& a : added)
            if (SameText(a, caption)) return false;
        added.push_back(caption);
        TListColumn* column = columns->Add();
        column->SetCaption(caption);
        column->SetAlignment(fmt == LVCFMT_RIGHT    ? taRightJustify
                             : fmt == LVCFMT_CENTER ? taCenter
                                                    : taLeftJustify);
        column->SetWidth(chars * charWidth);
        return true;
    };
    if (IShellFolder2* folder2 = FRootFolder->GetShellFolder2()) {
        bool seenDefault = false;
        for (UINT i = 0;; ++i) {
            SHELLDETAILS sd{};
            if (FAILED(folder2->GetDetailsOf(nullptr, i, &sd))) break;
            SHCOLSTATEF state = 0;
            folder2->GetDefaultColumnState(i, &state);
            const bool shown = state & SHCOLSTATE_ONBYDEFAULT;
            if (shown)
                seenDefault = true;
            else if (seenDefault)
                break;
            add(StrRetToString(nullptr, sd.str), sd.fmt, sd.cxChar);
        }
    } else if (IShellDetails* details = FRootFolder->GetShellDetails()) {
        for (UINT i = 0;; ++i) {
            SHELLDETAILS sd{};
            if (FAILED(details->GetDetailsOf(nullptr, i, &sd))) break;
            if (!add(StrRetToString(nullptr, sd.str), sd.fmt, sd.cxChar)) break;
        }
    } else {
        add(u"Name", LVCFMT_LEFT, 25);
        if (FRootFolder->Properties().Contains(fpFileSystem)) {
            add(u"Size", LVCFMT_RIGHT, 10);
            add(u"Type", LVCFMT_LEFT, 10);
            add(u"Modified", LVCFMT_LEFT, 14);
        }
    }
}

// --- Navigation -------------------------------------------------------------------------------

void TCustomShellListView::SetPathFromID(PItemIDList ID) {
    if (FUpdating || !ID) return;
    if (FRootFolder && SamePIDL(FRootFolder->GetAbsoluteID(), ID)) return;
    ClearItems();
    delete FRootFolder;
    FRootFolder = nullptr;
    FSettingRoot = false;
    FRootFolder = CreateFolderFromPIDL(ID);
    RootChanged();
}

void TCustomShellListView::RootChanged() {
    if (FUpdating) return;
    FUpdating = true;
    const bool autoRefresh = FAutoRefresh;
    SetAutoRefresh(false);
    {
        auto done = runpak::ScopeExit([&] {
            FUpdating = false;
            SetAutoRefresh(autoRefresh);
        });
        SynchPaths();
        Populate();
        if (GetViewStyle() == vsReport) EnumColumns();
    }
    if (OnRootChanged) OnRootChanged(this);
}

void TCustomShellListView::SynchPaths() {
    if (FSettingRoot) {
        if (FTreeView) FTreeView->LinkSetRoot(FRoot);
        if (FComboBox) FComboBox->LinkSetRoot(FRoot);
    } else if (FRootFolder) {
        if (FTreeView) FTreeView->LinkFollow(FRootFolder->GetAbsoluteID());
        if (FComboBox) FComboBox->LinkFollow(FRootFolder->GetAbsoluteID());
    }
    FSettingRoot = false;
}

void TCustomShellListView::SetRoot(const UnicodeString& Value) {
    if (SameText(Value, FRoot)) return;
    FOldRoot = FRoot;
    FRoot = Value;
    // A root that cannot be used raises here and leaves everything shown as it was.
    TShellFolder* folder = CreateRootFolder(nullptr, FOldRoot, FRoot);
    // The items' folders hang below the old root folder, so they go before it.
    ClearItems();
    delete FRootFolder;
    FRootFolder = folder;
    FSettingRoot = true;
    RootChanged();
}

void TCustomShellListView::TreeUpdate(PItemIDList NewRoot) {
    if (FUpdating || !NewRoot) return;
    if (!FRootFolder || !SamePIDL(FRootFolder->GetAbsoluteID(), NewRoot)) SetPathFromID(NewRoot);
}

void TCustomShellListView::Back() {
    if (!FRootFolder) return;
    PItemIDList parent = CopyPIDL(FRootFolder->GetAbsoluteID());
    auto free = runpak::ScopeExit([&] { DisposePIDL(parent); });
    StripLastID(parent);
    SetPathFromID(parent);
}

void TCustomShellListView::Refresh() {
    if (!FRootFolder) return;
    const int selected = GetItemIndex();
    ClearSelection();
    PItemIDList again = CopyPIDL(FRootFolder->GetAbsoluteID());
    auto free = runpak::ScopeExit([&] { DisposePIDL(again); });
    ClearItems();
    delete FRootFolder;
    FRootFolder = nullptr;
    SetPathFromID(again);
    if (selected >= 0 && selected < GetItems()->GetCount()) SetItemIndex(selected);
}

void TCustomShellListView::OpenItem(TShellFolder* Folder) {
    if (Folder->IsFolder()) {
        PItemIDList target = CopyPIDL(Folder->GetAbsoluteID());
        auto free = runpak::ScopeExit([&] { DisposePIDL(target); });
        SetPathFromID(target);
        return;
    }
    const UnicodeString path = Folder->PathName();
    const UnicodeString dir = ExtractFilePath(path);
    ShellExecuteW(HandleAllocated() ? GetHandle() : nullptr, nullptr, path.c_str(), nullptr,
                  dir.c_str(), SW_HIDE);
}

void TCustomShellListView::DblClick() {
    if (FAutoNavigate)
        if (TShellFolder* folder = SelectedFolder()) OpenItem(folder);
    TCustomListView::DblClick();
}

void TCustomShellListView::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomListView::KeyDown(Key, Shift);
    if (!FAutoNavigate) return;
    switch (Key) {
    case VK_BACK:
        if (!IsEditing()) Back();
        break;
    case VK_RETURN:
        if (Shift.Contains(ssAlt)) {
            if (TShellFolder* folder = SelectedFolder()) InvokeVerb(folder, "properties");
            Key = 0;
        } else if (TShellFolder* folder = SelectedFolder()) {
            if (folder->IsFolder())
                OpenItem(folder);
            else
                folder->ExecuteDefault();
        }
        break;
    case VK_F5:
        Refresh();
        break;
    }
}

// --- Editing, menus and commands --------------------------------------------------------------

void TCustomShellListView::EditText() {
    if (TListItem* item = GetSelected()) item->EditCaption();
}

void TCustomShellListView::Edit(const LVITEMW& Item) {
    if (!Item.pszText) return;
    TShellFolder* folder = GetFolder(Item.iItem);
    if (!folder) return;
    UnicodeString text = Item.pszText;
    if (OnEdited) OnEdited(this, GetItems()->GetItem(Item.iItem), text);
    try {
        folder->Rename(text);
    } catch (const Exception&) {
        if (Application) Application->HandleException(this);
    }
    UpdateItems(Item.iItem, Item.iItem);
}

void TCustomShellListView::DoContextPopup(TPoint MousePos, bool& Handled) {
    TShellFolder* folder = SelectedFolder();
    if (FAutoContext && folder) {
        // From the keyboard the point is (-1, -1): the menu opens at the item.
        TPoint at = MousePos;
        if (at.x < 0 || at.y < 0) {
            const TRect r = GetSelected()->DisplayRect(drLabel);
            at = TPoint(r.left, r.bottom);
        }
        InvokeContextMenu(this, folder, at.x, at.y);
        Handled = true;
        return;
    }
    TCustomListView::DoContextPopup(MousePos, Handled);
}

void TCustomShellListView::ExecuteCommand(const UnicodeString& Verb, bool& Handled) {
    if (SameText(Verb, u"rename")) {
        EditText();
        Handled = true;
    } else if (SameText(Verb, u"open")) {
        char16_t buffer[MAX_PATH] = {};
        const DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
        FSavePath = UnicodeString(buffer, std::min<DWORD>(n, MAX_PATH));
        if (TShellFolder* folder = SelectedFolder())
            SetCurrentDirectoryW(ExtractFilePath(folder->PathName()).c_str());
    }
}

void TCustomShellListView::CommandCompleted(const UnicodeString& Verb, bool Succeeded) {
    // The directory saved for "open" comes back whether or not the command worked.
    if (SameText(Verb, u"open") && !FSavePath.empty()) {
        SetCurrentDirectoryW(FSavePath.c_str());
        FSavePath.clear();
    }
    if (!Succeeded) return;
    if (SameText(Verb, u"delete") || SameText(Verb, u"paste")) Refresh();
}

void TCustomShellListView::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        if (IContextMenu2* menu = ShellCtrlsContextMenu()) {
            menu->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam);
            Message.Result = 0;
        }
        break;
    }
    TCustomListView::Dispatch(Message);
}

// --- Settings
// -------------------------------------------------------------------------------------

void TCustomShellListView::SetSorted(bool Value) {
    if (Value == FSorted) return;
    FSorted = Value;
    Populate();
}

void TCustomShellListView::SetObjectTypes(TShellObjectTypes Value) {
    FObjectTypes = Value;
    if (!Loading()) RootChanged();
}

void TCustomShellListView::SetViewStyle(TViewStyle Value) {
    const bool toReport = Value == vsReport && GetViewStyle() != vsReport;
    TCustomListView::SetViewStyle(Value);
    if (toReport && !Loading()) EnumColumns();
}

void TCustomShellListView::SetAutoRefresh(bool Value) {
    FAutoRefresh = Value;
    if (Loading()) return;
    if (Value) {
        delete FNotifier;
        FNotifier = nullptr;
        if (!FRootFolder) return;
        auto* notifier = new TIDEShellChangeNotifier(this);
        notifier->SetWatchSubTree(false);
        notifier->SetRoot(FRootFolder->PathName());
        notifier->SetOnChange([this] { Refresh(); });
        FNotifier = notifier;
    } else if (FNotifier) {
        delete FNotifier;
        FNotifier = nullptr;
    }
}

// --- Links --------------------------------------------------------------------------------------

void TCustomShellListView::SetLink(IShellControlLink*& Field, IShellControlLink* Value) {
    if (Field == Value) return;
    if (Field) {
        Field->LinkBack(slListView, nullptr);
        Field->LinkComponent()->RemoveFreeNotification(this);
    }
    Field = Value;
    if (!Value) return;
    Value->LinkComponent()->FreeNotification(this);
    Value->LinkSetRoot(FRoot);
    Value->LinkBack(slListView, this);
}

void TCustomShellListView::SetShellTreeView(IShellControlLink* Value) {
    SetLink(FTreeView, Value);
}

void TCustomShellListView::SetShellComboBox(IShellControlLink* Value) {
    SetLink(FComboBox, Value);
}

void TCustomShellListView::LinkBack(TShellLinkRole Role, IShellControlLink* Partner) {
    IShellControlLink*& field = Role == slTreeView ? FTreeView : FComboBox;
    if (Role == slListView || field == Partner) return;
    if (field) field->LinkComponent()->RemoveFreeNotification(this);
    field = Partner;
    if (Partner) Partner->LinkComponent()->FreeNotification(this);
}

void TCustomShellListView::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomListView::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (FTreeView && FTreeView->LinkComponent() == AComponent) FTreeView = nullptr;
    if (FComboBox && FComboBox->LinkComponent() == AComponent) FComboBox = nullptr;
    if (AComponent == FNotifier) FNotifier = nullptr;
}

// --- Window life ---------------------------------------------------------------------------------

void TCustomShellListView::CreateWnd() {
    TCustomListView::CreateWnd();
    SendMessageW(GetHandle(), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(FSmallImages));
    SendMessageW(GetHandle(), LVM_SETIMAGELIST, LVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(FLargeImages));
    if (!FRootFolder) FRootFolder = CreateRootFolder(nullptr, FOldRoot, FRoot);
    RootChanged();
}

void TCustomShellListView::DestroyWnd() {
    ClearItems();
    TCustomListView::DestroyWnd();
}

void TCustomShellListView::Loaded() {
    TCustomListView::Loaded();
    Populate();
    SetAutoRefresh(FAutoRefresh);
}
