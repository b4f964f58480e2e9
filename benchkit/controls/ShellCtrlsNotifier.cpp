// The directory change notifier of IDEShellCtrls and its worker thread.
//
// The notifier and its thread refer to each other under the unit's lock:
// whichever side goes first clears the other's reference to it, so the
// notifier never touches a thread that has freed itself, and the thread never
// runs the event of a notifier that is gone.
#include "benchkit/controls/IDEShellCtrls.h"

#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <win32/winbase.h>

#include <atomic>

namespace {

std::atomic<int> LiveThreads{0};

} // namespace

// Threads of freed notifiers end on their own; the unit waits for them before
// it takes their lock away.
void WaitForShellChangeThreads() {
    for (int round = 0; LiveThreads.load() > 0 && round < 2000; ++round) {
        try {
            CheckSynchronize(5);
        } catch (const EThread&) {
            TThread::Sleep(5);
        }
    }
}

DWORD NotifyFiltersToFlags(TNotifyFilters Filters) {
    static const DWORD flags[] = {FILE_NOTIFY_CHANGE_FILE_NAME,  FILE_NOTIFY_CHANGE_DIR_NAME,
                                  FILE_NOTIFY_CHANGE_ATTRIBUTES, FILE_NOTIFY_CHANGE_SIZE,
                                  FILE_NOTIFY_CHANGE_LAST_WRITE, FILE_NOTIFY_CHANGE_SECURITY};
    DWORD result = 0;
    for (int i = nfFileNameChange; i <= nfSecurityChange; ++i)
        if (Filters.Contains(static_cast<TNotifyFilter>(i))) result |= flags[i];
    return result;
}

PTypeInfo TypeInfo_TNotifyFilter() {
    static const TTypeInfo info = MakeEnumTypeInfo(
        u"TNotifyFilter", {u"nfFileNameChange", u"nfDirNameChange", u"nfAttributeChange",
                           u"nfSizeChange", u"nfWriteChange", u"nfSecurityChange"});
    return &info;
}

PTypeInfo TypeInfo_TNotifyFilters() {
    static const TTypeInfo info = MakeSetTypeInfo(u"TNotifyFilters", TypeInfo_TNotifyFilter());
    return &info;
}

TClass TIDEShellChangeNotifier::StaticClass() {
    using T = TIDEShellChangeNotifier;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TIDEShellChangeNotifier", TComponent::StaticClass())
            .Property(u"NotifyFilters", TypeInfo_TNotifyFilters, &T::GetNotifyFilters,
                      &T::SetFilters)
            .Property(u"Root", UnicodeStringTypeInfo, &T::GetRoot, &T::SetRoot)
            .Property(u"WatchSubTree", BooleanTypeInfo, &T::GetWatchSubTree, &T::SetWatchSubTree)
            .Default(1));
    return &meta;
}

// --- TShellChangeThread ---------------------------------------------------------

TShellChangeThread::TShellChangeThread(TThreadMethod ChangeEvent,
                                       TCustomShellChangeNotifier* Notifier)
    : TThread(true), FChangeEvent(std::move(ChangeEvent)), FNotifier(Notifier) {
    SetFreeOnTerminate(true);
    // Held by the creating thread until the notifier lets the thread go.
    FMutex = CreateMutexW(nullptr, TRUE, nullptr);
    FOptionsChanged = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ++LiveThreads;
}

TShellChangeThread::~TShellChangeThread() {
    if (FWaitHandle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(FWaitHandle);
    if (FMutex) CloseHandle(FMutex);
    if (FOptionsChanged) CloseHandle(FOptionsChanged);
    --LiveThreads;
}

void TShellChangeThread::SetDirectoryOptions(const UnicodeString& Directory, bool WatchSubTree,
                                             DWORD NotifyOptionFlags) {
    LockShellCtrls();
    FDirectory = Directory;
    FWatchSubTree = WatchSubTree;
    FNotifyOptionFlags = NotifyOptionFlags;
    FWaitChanged = true;
    UnlockShellCtrls();
    SetEvent(FOptionsChanged);
}

void TShellChangeThread::SetChangeEvent(TThreadMethod ChangeEvent) {
    LockShellCtrls();
    FChangeEvent = std::move(ChangeEvent);
    UnlockShellCtrls();
}

void TShellChangeThread::DeliverChange() {
    TThreadMethod event;
    LockShellCtrls();
    if (FNotifier) event = FChangeEvent;
    UnlockShellCtrls();
    if (event) event();
}

void TShellChangeThread::Execute() {
    NameThreadForDebugging(u"IDEShellCtrls Change Thread");
    auto handOver = runpak::ScopeExit([this] {
        LockShellCtrls();
        if (FNotifier) FNotifier->FThread = nullptr;
        FNotifier = nullptr;
        UnlockShellCtrls();
    });

    // Opens the notification of the current options (the lock is held).
    auto reopen = [this] {
        if (FWaitHandle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(FWaitHandle);
        FWaitHandle = FindFirstChangeNotificationW(FDirectory.c_str(), FWatchSubTree,
                                                   FNotifyOptionFlags);
        FWaitChanged = false;
        return FWaitHandle != INVALID_HANDLE_VALUE;
    };
    LockShellCtrls();
    bool watching = reopen();
    UnlockShellCtrls();

    while (watching && !GetTerminated()) {
        HANDLE handles[] = {FWaitHandle, FMutex, FOptionsChanged};
        DWORD signalled = WaitForMultipleObjects(3, handles, FALSE, INFINITE);
        if (signalled == WAIT_OBJECT_0) {
            if (!GetTerminated()) {
                Synchronize([this] { DeliverChange(); });
                FindNextChangeNotification(FWaitHandle);
            }
        } else if (signalled == WAIT_OBJECT_0 + 1) {
            ReleaseMutex(FMutex);
        } else if (signalled != WAIT_OBJECT_0 + 2) {
            break;
        }
        LockShellCtrls();
        if (FWaitChanged) watching = reopen();
        UnlockShellCtrls();
    }
}

// --- TCustomShellChangeNotifier ----------------------------------------------------

TCustomShellChangeNotifier::TCustomShellChangeNotifier(TComponent* AOwner) : TComponent(AOwner) {
    Start();
}

TCustomShellChangeNotifier::~TCustomShellChangeNotifier() {
    LockShellCtrls();
    if (TShellChangeThread* thread = std::exchange(FThread, nullptr)) {
        // The thread cannot free itself before it takes the lock we hold.
        thread->FNotifier = nullptr;
        thread->Terminate();
        ReleaseMutex(thread->FMutex);
    }
    UnlockShellCtrls();
}

bool TCustomShellChangeNotifier::Watching() {
    LockShellCtrls();
    bool running = FThread != nullptr;
    UnlockShellCtrls();
    return running;
}

void TCustomShellChangeNotifier::Start() {
    if (!FOnChange || Watching()) return;
    auto* thread = new TShellChangeThread(FOnChange, this);
    thread->SetDirectoryOptions(FRoot, FWatchSubTree, NotifyFiltersToFlags(FFilters));
    LockShellCtrls();
    FThread = thread;
    UnlockShellCtrls();
    thread->Start();
}

void TCustomShellChangeNotifier::Change() {
    LockShellCtrls();
    TShellChangeThread* thread = FThread;
    if (thread)
        thread->SetDirectoryOptions(FRoot, FWatchSubTree, NotifyFiltersToFlags(FFilters));
    UnlockShellCtrls();
    // A thread that ended on its own (its folder could not be watched) is
    // replaced, so that the new options take effect.
    if (!thread) Start();
}

void TCustomShellChangeNotifier::SetRoot(const UnicodeString& Value) {
    if (SameText(Value, FRoot)) return;
    FRoot = Value;
    Change();
}

void TCustomShellChangeNotifier::SetFilters(TNotifyFilters Value) {
    FFilters = Value;
    Change();
}

void TCustomShellChangeNotifier::SetWatchSubTree(bool Value) {
    FWatchSubTree = Value;
    Change();
}

void TCustomShellChangeNotifier::SetOnChange(TThreadMethod Value) {
    FOnChange = std::move(Value);
    LockShellCtrls();
    TShellChangeThread* thread = FThread;
    if (thread) thread->FChangeEvent = FOnChange;
    UnlockShellCtrls();
    if (!thread) Start();
}
