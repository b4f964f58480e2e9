// The change notifier: events, batches, registrations, thread ownership and
// the fan-out of batches on the GUI thread.
#include "benchkit/shell/IDEVirtualShellNotifier.h"

#include <quorlpak/UtilWindow.h>
#include <quorlpak/WinControl.h>
#include <win32/shlobj.h>

const TVirtualKernelNotifyEvents AllKernelNotifiers = {
    vkneFileName, vkneDirName,  vkneAttributes, vkneSize,
    vkneLastWrite, vkneCreation, vkneSecurity};

UnicodeString SHELL_NOTIFY_EVENTS[20];
std::atomic<int> VirtualShellNotifyRefreshRate{750};

namespace {

const DWORD kEventFlags[20] = {
    SHCNE_ASSOCCHANGED, SHCNE_ATTRIBUTES,   SHCNE_CREATE,       SHCNE_DELETE,
    SHCNE_DRIVEADD,     SHCNE_DRIVEADDGUI,  SHCNE_DRIVEREMOVED, SHCNE_FREESPACE,
    SHCNE_MEDIAINSERTED, SHCNE_MEDIAREMOVED, SHCNE_MKDIR,        SHCNE_NETSHARE,
    SHCNE_NETUNSHARE,   SHCNE_RENAMEFOLDER, SHCNE_RENAMEITEM,   SHCNE_RMDIR,
    SHCNE_SERVERDISCONNECT, SHCNE_UPDATEDIR, SHCNE_UPDATEIMAGE, SHCNE_UPDATEITEM};

const char16_t* const kEventTexts[20] = {
    u"Assocciation Changed", u"Attributes",      u"Item Create",        u"Item Delete",
    u"Drive Add",            u"Drive Add GUI",   u"Drive Removed",      u"Free Space",
    u"Media Inserted",       u"Media Removed",   u"Make Directory",     u"Network Share",
    u"Network Unshare",      u"Folder Rename",   u"Item Rename",        u"Remove Directory",
    u"Server Disconnect",    u"Update Directory", u"Update Image",      u"Update Item"};

TVirtualChangeNotifier* notifier = nullptr; // the singleton, holding one reference

PItemIDList CopyList(PItemIDList PIDL) {
    return PIDL ? ILClone(PIDL) : nullptr;
}

PItemIDList ParentOf(PItemIDList PIDL) {
    if (!PIDL) return nullptr;
    PItemIDList parent = ILClone(PIDL);
    if (parent) ILRemoveLastID(parent);
    return parent;
}

void FreeList(PItemIDList& PIDL) {
    if (PIDL) ILFree(PIDL);
    PIDL = nullptr;
}

} // namespace

DWORD ShellNotifyEventFlag(TVirtualShellNotifyEvent Event) {
    return Event < vsneNone ? kEventFlags[Event] : 0;
}

TVirtualShellNotifyEvent ShellNotifyFlagToEvent(DWORD Flag) {
    for (int i = 0; i < 20; ++i)
        if (kEventFlags[i] == Flag) return static_cast<TVirtualShellNotifyEvent>(i);
    return vsneNone;
}

char16_t FreeSpaceNotifyToDrive(DWORD Mask) {
    if (Mask == 0) return u' ';
    int bit = 0;
    while (!(Mask & (1u << bit)))
        ++bit;
    return static_cast<char16_t>(u'a' + bit);
}

UnicodeString VirtualShellNotifyEventToStr(TVirtualShellNotifyEvent Event) {
    return Event < vsneNone ? SHELL_NOTIFY_EVENTS[Event] : UnicodeString();
}

// ---- events and batches ---------------------------------------------------------------

TVirtualShellEvent::TVirtualShellEvent(TVirtualShellNotifyEvent Event, PItemIDList PIDL1,
                                       PItemIDList PIDL2, DWORD DoubleWord1, DWORD DoubleWord2)
    : FDoubleWord1(DoubleWord1), FDoubleWord2(DoubleWord2), FPIDL1(CopyList(PIDL1)),
      FPIDL2(CopyList(PIDL2)), FParentPIDL1(ParentOf(PIDL1)), FParentPIDL2(ParentOf(PIDL2)),
      FShellNotifyEvent(Event) {}

TVirtualShellEvent::~TVirtualShellEvent() {
    if (FFreeContentsOnDestroy) FreeLists();
}

void TVirtualShellEvent::FreeLists() {
    FreeList(FPIDL1);
    FreeList(FPIDL2);
    FreeList(FParentPIDL1);
    FreeList(FParentPIDL2);
}

TVirtualShellEventList::~TVirtualShellEventList() {
    Clear();
}

void TVirtualShellEventList::Clear() {
    TList* list = LockList();
    for (int i = 0; i < list->GetCount(); ++i) {
        auto* event = static_cast<TVirtualShellEvent*>(list->GetItems(i));
        if (!event) continue;
        event->FFreeContentsOnDestroy = false;
        event->FreeLists();
        delete event;
    }
    list->Clear();
    UnlockList();
}

int TVirtualShellEventList::Count() {
    int count = LockList()->GetCount();
    UnlockList();
    return count;
}

TVirtualShellEvent* TVirtualShellEventList::Get(int Index) {
    TList* list = LockList();
    auto* event = Index >= 0 && Index < list->GetCount()
                      ? static_cast<TVirtualShellEvent*>(list->GetItems(Index))
                      : nullptr;
    UnlockList();
    return event;
}

// ---- the notifier -------------------------------------------------------------------------

TVirtualChangeNotifier::TVirtualChangeNotifier() {
    FControlList.SetDuplicates(dupAccept);
    InitializeCriticalSection(&FSpecialFolderRegisterLock);
    FPIDLMgr = new TPIDLManager;
    FListener = AllocateHWnd([this](TMessage& Message) { ListenerProc(Message); });
}

TVirtualChangeNotifier::~TVirtualChangeNotifier() {
    // Registrations still open at the end are closed here, so that no thread
    // outlives the notifier that its loops call back into.
    UnRegisterAllNotify();
    TList* list = FControlList.LockList();
    for (int i = 0; i < list->GetCount(); ++i)
        delete static_cast<TVirtualChangeControl*>(list->GetItems(i));
    list->Clear();
    FControlList.UnlockList();
    ReleasePendingBatches(FListener);
    if (FListener) DeallocateHWnd(FListener);
    DeleteCriticalSection(&FSpecialFolderRegisterLock);
    delete FPIDLMgr;
}

HRESULT TVirtualChangeNotifier::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVirtualChangeNotifier>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TVirtualChangeNotifier::ListenerProc(TMessage& Message) {
    if (Message.Msg != WM_SHELLNOTIFY) {
        Message.Result = DefWindowProcW(FListener, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    auto* batch = reinterpret_cast<TVirtualShellEventList*>(Message.WParam);
    if (!batch) return;
    TList* list = FControlList.LockList();
    batch->FID = FIDCounter++;
    int count = list->GetCount();
    for (int i = 0; i < count; ++i)
        batch->AddRef();
    for (int i = 0; i < count; ++i) {
        TWinControl* control = static_cast<TVirtualChangeControl*>(list->GetItems(i))->FControl;
        if (!control || !control->HandleAllocated() ||
            !PostMessageW(control->GetHandle(), WM_SHELLNOTIFY,
                          reinterpret_cast<WPARAM>(batch), 0))
            batch->Release();
    }
    FControlList.UnlockList();
    batch->Release();
}

TVirtualChangeControl* TVirtualChangeNotifier::Find(TList* List, TWinControl* Control) {
    for (int i = 0; i < List->GetCount(); ++i) {
        auto* item = static_cast<TVirtualChangeControl*>(List->GetItems(i));
        if (item->FControl == Control) return item;
    }
    return nullptr;
}

TVirtualChangeDispatchThread* TVirtualChangeNotifier::GetChangeDispatchThead() {
    if (!FChangeDispatchThread) {
        FChangeDispatchThread = new TVirtualChangeDispatchThread(this);
        FChangeDispatchThread->Resume();
    }
    return FChangeDispatchThread;
}

TVirtualShellChangeThread* TVirtualChangeNotifier::GetShellChangeThread() {
    if (!FShellChangeThread) {
        GetChangeDispatchThead()->AddRef();
        FShellChangeThread = new TVirtualShellChangeThread(this);
        FShellChangeThread->Resume();
    }
    return FShellChangeThread;
}

TVirtualKernelChangeThread* TVirtualChangeNotifier::GetKernelChangeThread() {
    if (!FKernelChangeThread) {
        GetChangeDispatchThead()->AddRef();
        FKernelChangeThread = new TVirtualKernelChangeThread(this);
        FKernelChangeThread->Resume();
    }
    return FKernelChangeThread;
}

void TVirtualChangeNotifier::AddEvent(TVirtualShellNotifyEvent Event, PItemIDList PIDL1,
                                      PItemIDList PIDL2, TPIDLManager*) {
    GetChangeDispatchThead()->AddEvent(Event, PIDL1, PIDL2);
}

bool TVirtualChangeNotifier::GetFilterEvents() {
    return GetChangeDispatchThead()->GetFilterEvents();
}

void TVirtualChangeNotifier::SetFilterEvents(bool Value) {
    GetChangeDispatchThead()->SetFilterEvents(Value);
}

bool TVirtualChangeNotifier::GetMapVirtualFolders() {
    return GetShellChangeThread()->GetMapVirtualFolders();
}

void TVirtualChangeNotifier::SetMapVirtualFolders(bool Value) {
    GetShellChangeThread()->SetMapVirtualFolders(Value);
}

void TVirtualChangeNotifier::LockNotifier() {
    FControlList.LockList();
}

void TVirtualChangeNotifier::UnLockNotifier() {
    FControlList.UnlockList();
}

bool TVirtualChangeNotifier::NotifyWatchFolder(TWinControl* Control, const UnicodeString& Folder) {
    TList* list = FControlList.LockList();
    TVirtualChangeControl* item = Find(list, Control);
    bool wake = false;
    if (item && Folder != item->FWatchFolder) {
        item->FWatchFolder = item->FKernelChangeRegistered ? Folder : UnicodeString();
        wake = true;
    }
    FControlList.UnlockList();
    if (wake && FKernelChangeThread) FKernelChangeThread->Wake();
    return item != nullptr;
}

void TVirtualChangeNotifier::PostShellNotifyEvent(DWORD EventFlag, PItemIDList PIDL1,
                                                  PItemIDList PIDL2) {
    if (!FShellChangeThread) return;
    // An event posted right after the first registration must not be lost
    // because the thread has not made its window yet.
    FShellChangeThread->WaitForWindow();
    HWND window = FShellChangeThread->GetNotifyWindowHandle();
    if (!window) return;
    auto* record = new PItemIDList[2]{CopyList(PIDL1), CopyList(PIDL2)};
    if (!PostMessageW(window, WM_SHELLNOTIFYTHREADEVENT, reinterpret_cast<WPARAM>(record),
                      static_cast<LPARAM>(EventFlag))) {
        FreeList(record[0]);
        FreeList(record[1]);
        delete[] record;
    }
}

bool TVirtualChangeNotifier::RegisterShellChangeNotify(TWinControl* Control) {
    TList* list = FControlList.LockList();
    bool result = true;
    try {
        TVirtualChangeControl* item = Find(list, Control);
        if (!item) {
            item = new TVirtualChangeControl;
            item->FControl = Control;
            list->Add(item);
        }
        if (!item->FShellChangeRegistered) {
            item->FShellChangeRegistered = true;
            GetShellChangeThread()->AddRef();
        }
    } catch (...) {
        result = false;
    }
    FControlList.UnlockList();
    return result;
}

bool TVirtualChangeNotifier::RegisterKernelChangeNotify(TWinControl* Control,
                                                        TVirtualKernelNotifyEvents Events) {
    TList* list = FControlList.LockList();
    bool result = true, wake = false;
    try {
        TVirtualChangeControl* item = Find(list, Control);
        if (!item) {
            item = new TVirtualChangeControl;
            item->FControl = Control;
            list->Add(item);
        }
        if (!item->FKernelChangeRegistered || !(item->FNotifyEvents == Events)) {
            item->FNotifyEvents = Events;
            if (!item->FKernelChangeRegistered) GetKernelChangeThread()->AddRef();
            item->FKernelChangeRegistered = true;
            wake = true;
        }
    } catch (...) {
        result = false;
    }
    FControlList.UnlockList();
    if (wake && FKernelChangeThread) FKernelChangeThread->Wake();
    return result;
}

bool TVirtualChangeNotifier::UnRegisterKernelChangeNotify(TWinControl* Control) {
    TList* list = FControlList.LockList();
    TVirtualChangeControl* item = Find(list, Control);
    bool listed = item != nullptr;
    if (item && item->FKernelChangeRegistered) {
        item->FKernelChangeRegistered = false;
        item->FWatchFolder = UnicodeString();
        if (!item->IsRegistered()) {
            list->Remove(item);
            delete item;
        }
        if (FKernelChangeThread) FKernelChangeThread->Release();
    }
    FControlList.UnlockList();
    if (FKernelChangeThread) FKernelChangeThread->Wake();
    AutoRelease();
    return listed;
}

bool TVirtualChangeNotifier::UnRegisterShellChangeNotify(TWinControl* Control) {
    TList* list = FControlList.LockList();
    TVirtualChangeControl* item = Find(list, Control);
    bool listed = item != nullptr;
    if (item && item->FShellChangeRegistered) {
        item->FShellChangeRegistered = false;
        if (!item->IsRegistered()) {
            list->Remove(item);
            delete item;
        }
        if (FShellChangeThread) FShellChangeThread->Release();
    }
    FControlList.UnlockList();
    AutoRelease();
    return listed;
}

bool TVirtualChangeNotifier::UnRegisterChangeNotify(TWinControl* Control) {
    bool kernel = UnRegisterKernelChangeNotify(Control);
    bool shell = UnRegisterShellChangeNotify(Control);
    return kernel || shell;
}

void TVirtualChangeNotifier::UnRegisterAllNotify() {
    std::vector<TWinControl*> controls;
    TList* list = FControlList.LockList();
    for (int i = 0; i < list->GetCount(); ++i)
        controls.push_back(static_cast<TVirtualChangeControl*>(list->GetItems(i))->FControl);
    FControlList.UnlockList();
    for (TWinControl* control : controls) {
        UnRegisterKernelChangeNotify(control);
        UnRegisterShellChangeNotify(control);
    }
    AutoRelease();
}

void TVirtualChangeNotifier::RegisterKernelSpecialFolderWatch(int SpecialFolder) {
    PItemIDList special = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, SpecialFolder, &special)) || !special) return;
    // The desktop's files lie in the desktop directory.
    WCHAR path[MAX_PATH] = {};
    int physical = SpecialFolder == CSIDL_DESKTOP ? CSIDL_DESKTOPDIRECTORY : SpecialFolder;
    bool hasPath = SHGetFolderPathW(nullptr, physical, nullptr, 0, path) == S_OK;
    PItemIDList physicalPIDL = nullptr;
    if (hasPath) SHParseDisplayName(path, nullptr, &physicalPIDL, 0, nullptr);
    if (!hasPath || !physicalPIDL) {
        ILFree(special);
        return;
    }
    PItemIDList virtualPIDL = nullptr;
    if (SpecialFolder == CSIDL_DESKTOP)
        virtualPIDL = special;
    else if (SpecialFolder == CSIDL_PERSONAL)
        virtualPIDL = GetMyDocumentsVirtualFolder();
    if (virtualPIDL != special) ILFree(special);
    EnterCriticalSection(&FSpecialFolderRegisterLock);
    GetKernelChangeThread()->AddSpecialFolder(UnicodeString(path), physicalPIDL, virtualPIDL);
    LeaveCriticalSection(&FSpecialFolderRegisterLock);
    FKernelChangeThread->Wake();
}

std::vector<std::pair<UnicodeString, TVirtualKernelNotifyEvents>>
TVirtualChangeNotifier::KernelWatches() {
    std::vector<std::pair<UnicodeString, TVirtualKernelNotifyEvents>> watches;
    TList* list = FControlList.LockList();
    for (int i = 0; i < list->GetCount(); ++i) {
        auto* item = static_cast<TVirtualChangeControl*>(list->GetItems(i));
        if (item->FKernelChangeRegistered && !item->FWatchFolder.empty())
            watches.emplace_back(item->FWatchFolder, item->FNotifyEvents);
    }
    FControlList.UnlockList();
    return watches;
}

void TVirtualChangeNotifier::StripDuplicates(TList* List) {
    if (!List) return;
    int count = List->GetCount();
    std::vector<bool> drop(count, false);
    for (int i = 0; i < count; ++i) {
        auto* event = static_cast<TVirtualShellEvent*>(List->GetItems(i));
        if (!event || !event->FPIDL1) continue;
        for (int j = 0; j < count && !drop[i]; ++j) {
            if (i == j || drop[j]) continue;
            auto* other = static_cast<TVirtualShellEvent*>(List->GetItems(j));
            if (!other || !other->FPIDL1) continue;
            // Of two equal lists the first stays; a list below another goes.
            bool equal = ILIsEqual(event->FPIDL1, other->FPIDL1);
            if ((equal && j < i) || (!equal && ILIsParent(other->FPIDL1, event->FPIDL1, FALSE)))
                drop[i] = true;
        }
    }
    for (int i = 0; i < count; ++i)
        if (drop[i]) {
            delete static_cast<TVirtualShellEvent*>(List->GetItems(i));
            List->SetItems(i, nullptr);
        }
    List->Pack();
}

void TVirtualChangeNotifier::AutoRelease() {
    if (FKernelChangeThread && FKernelChangeThread->GetRefCount() <= 0) {
        TVirtualKernelChangeThread* thread = FKernelChangeThread;
        FKernelChangeThread = nullptr;
        ShutDown(thread, true);
    }
    if (FShellChangeThread && FShellChangeThread->GetRefCount() <= 0) {
        TVirtualShellChangeThread* thread = FShellChangeThread;
        FShellChangeThread = nullptr;
        ShutDown(thread, true);
    }
    if (FChangeDispatchThread && FChangeDispatchThread->GetRefCount() <= 0) {
        TVirtualChangeDispatchThread* thread = FChangeDispatchThread;
        FChangeDispatchThread = nullptr;
        ShutDown(thread, false);
        // A batch the thread posted just before it stopped owns its events;
        // with no thread and no listener left it would never be taken.
        ReleasePendingBatches(FListener);
    }
}

void TVirtualChangeNotifier::ReleasePendingBatches(HWND Window) {
    MSG msg;
    while (Window && PeekMessageW(&msg, Window, WM_SHELLNOTIFY, WM_SHELLNOTIFY, PM_REMOVE))
        if (auto* batch = reinterpret_cast<TVirtualShellEventList*>(msg.wParam)) batch->Release();
}

void TVirtualChangeNotifier::ShutDown(TVirtualThread* Thread, bool ReleasesDispatch) {
    if (!Thread->GetFinished()) {
        Thread->SetPriority(tpNormal);
        Thread->Terminate();
    }
    // Each thread's destructor wakes it its own way (wake event or quit
    // message) and waits for it to end.
    delete Thread;
    if (ReleasesDispatch && FChangeDispatchThread) FChangeDispatchThread->Release();
}

// ---- the singleton and the unit -------------------------------------------------------

IVirtualChangeNotifier* ChangeNotifier() {
    if (!notifier) {
        notifier = new TVirtualChangeNotifier;
        notifier->AddRef();
    }
    return notifier;
}

TVirtualChangeNotifier* ChangeNotifierObject() {
    return notifier;
}

void InitializeIDEVirtualShellNotifier() {
    for (int i = 0; i < 20; ++i)
        SHELL_NOTIFY_EVENTS[i] = kEventTexts[i];
}

void FinalizeIDEVirtualShellNotifier() {
    if (notifier) {
        TVirtualChangeNotifier* last = notifier;
        notifier = nullptr;
        last->Release();
    }
}
