// The notifier's three worker threads: the dispatch thread that reduces and
// batches events, the shell thread whose hidden window the shell notifies,
// and the kernel thread that waits on folder change handles.
#include "benchkit/shell/IDEVirtualShellNotifier.h"

#include <quorlpak/UtilWindow.h>
#include <win32/shlobj.h>

#include <functional>
#include <memory>

namespace {

// The shell's registration routines, bound by ordinal; nil when missing.
// The registration record is the layer's own, so that the routine is called
// through the type it was defined with.
using TSHChangeNotifyRegister = ULONG (*)(HWND, int, LONG, UINT, int, const SHChangeNotifyEntry*);
using TSHChangeNotifyDeregister = BOOL (*)(ULONG);
using TSHChangeNotificationLock = HANDLE (*)(HANDLE, DWORD, PIDLIST_ABSOLUTE**, LONG*);
using TSHChangeNotificationUnlock = BOOL (*)(HANDLE);

#pragma pack(push, 1)
struct TDWordItemID {
    uint16_t cb;
    DWORD dwItem1;
    DWORD dwItem2;
};
#pragma pack(pop)

HMODULE Shell32() {
    return GetModuleHandleW(u"shell32.dll");
}

bool Below(PItemIDList Folder, PItemIDList PIDL) {
    return Folder && PIDL && ILIsParent(Folder, PIDL, FALSE);
}

// The kernel thread's filter for a control's event set.
DWORD KernelFilter(const TVirtualKernelNotifyEvents& Events) {
    DWORD filter = 0;
    for (int i = 0; i < 7; ++i)
        if (Events.Contains(static_cast<TVirtualKernelNotifyEvent>(i))) filter |= 1u << i;
    if (Events.Contains(vkneSecurity)) filter |= FILE_NOTIFY_CHANGE_SECURITY;
    return filter;
}

// A list made of Base followed by the items of PIDL after Prefix's.
PItemIDList Rebase(PItemIDList Base, PItemIDList Prefix, PItemIDList PIDL) {
    auto* rest = reinterpret_cast<PItemIDList>(reinterpret_cast<BYTE*>(PIDL) + ILGetSize(Prefix) - 2);
    return ILCombine(Base, rest);
}

} // namespace

// ---- dispatch thread ----------------------------------------------------------------------

TVirtualChangeDispatchThread::TVirtualChangeDispatchThread(TVirtualChangeNotifier* Notifier)
    : TVirtualThread(true), FChangeNotifier(Notifier) {
    FWorkerChangeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    InitializeCriticalSection(&FWorkingLock);
    InitializeCriticalSection(&FAddLock);
    GetTriggerEvent(); // made here, before the thread and its stopper can race for it
    CollectRecycleFolders();
}

TVirtualChangeDispatchThread::~TVirtualChangeDispatchThread() {
    Terminate();
    Wake();
    TerminateAndWait();
    if (FWorkingList) FWorkingList->Release();
    for (PItemIDList pidl : FRecycleFolderPIDLs)
        ILFree(pidl);
    DeleteCriticalSection(&FWorkingLock);
    DeleteCriticalSection(&FAddLock);
    CloseHandle(FWorkerChangeEvent);
}

void TVirtualChangeDispatchThread::Wake() {
    SetEvent(FWorkerChangeEvent);
}

// The recycle bin first, then the folder that holds the trash's files on
// disk, where the kernel thread sees deletions land.
void TVirtualChangeDispatchThread::CollectRecycleFolders() {
    PItemIDList bin = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin)) && bin)
        FRecycleFolderPIDLs.push_back(bin);
    else
        return;
    WCHAR path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_BITBUCKET, nullptr, 0, path) != S_OK) return;
    PItemIDList physical = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path, nullptr, &physical, 0, nullptr)) && physical)
        FRecycleFolderPIDLs.push_back(physical);
}

bool TVirtualChangeDispatchThread::Queued(TVirtualShellNotifyEvent Event, PItemIDList PIDL1,
                                          DWORD DoubleWord1) {
    if (!FWorkingList) return false;
    TList* list = FWorkingList->LockList();
    bool found = false;
    for (int i = 0; i < list->GetCount() && !found; ++i) {
        auto* event = static_cast<TVirtualShellEvent*>(list->GetItems(i));
        if (event->FShellNotifyEvent != Event) continue;
        if (Event == vsneFreeSpace)
            found = event->FDoubleWord1 == DoubleWord1;
        else
            found = (!event->FPIDL1 && !PIDL1) ||
                    (event->FPIDL1 && PIDL1 && ILIsEqual(event->FPIDL1, PIDL1));
    }
    FWorkingList->UnlockList();
    return found;
}

void TVirtualChangeDispatchThread::Queue(TVirtualShellEvent* Event) {
    EnterCriticalSection(&FWorkingLock);
    if (!FWorkingList) FWorkingList = new TVirtualShellEventList;
    FWorkingList->AddEvent(Event);
    SetEvent(FWorkerChangeEvent);
    LeaveCriticalSection(&FWorkingLock);
    EnterCriticalSection(&FAddLock);
    FAddingEvents = true;
    LeaveCriticalSection(&FAddLock);
}

void TVirtualChangeDispatchThread::QueueUpdateDir(PItemIDList Folder) {
    AddEvent(vsneUpdateDir, Folder, Folder);
}

void TVirtualChangeDispatchThread::AddEvent(TVirtualShellNotifyEvent Event, PItemIDList PIDL1,
                                            PItemIDList PIDL2, DWORD DoubleWord1,
                                            DWORD DoubleWord2) {
    if (!FFilterEvents) {
        Queue(new TVirtualShellEvent(Event, PIDL1, PIDL2, DoubleWord1, DoubleWord2));
        return;
    }
    switch (Event) {
    case vsneCreate:
    case vsneDelete:
    case vsneMkDir:
    case vsneRmDir: {
        if (!PIDL1) return;
        PItemIDList parent = ILClone(PIDL1);
        ILRemoveLastID(parent);
        QueueUpdateDir(parent);
        ILFree(parent);
        return;
    }
    case vsneRenameFolder:
    case vsneRenameItem: {
        if (!PIDL1) return;
        PItemIDList parent1 = ILClone(PIDL1);
        ILRemoveLastID(parent1);
        QueueUpdateDir(parent1);
        if (PIDL2) {
            PItemIDList parent2 = ILClone(PIDL2);
            ILRemoveLastID(parent2);
            if (!ILIsEqual(parent1, parent2)) QueueUpdateDir(parent2);
            ILFree(parent2);
        }
        ILFree(parent1);
        return;
    }
    default: break;
    }
    // The working list may be handed over as a batch at any moment: every
    // look at it happens under its lock.
    EnterCriticalSection(&FWorkingLock);
    // Changes inside a recycle folder become refreshes of that folder and of
    // the recycle bin itself.
    if (Event == vsneUpdateDir || Event == vsneUpdateItem) {
        for (PItemIDList recycle : FRecycleFolderPIDLs) {
            if (!Below(recycle, PIDL1)) continue;
            if (Event == vsneUpdateDir) {
                if (!Queued(vsneUpdateDir, recycle, 0))
                    Queue(new TVirtualShellEvent(vsneUpdateDir, recycle, recycle));
                PItemIDList bin = FRecycleFolderPIDLs.front();
                if (bin != recycle && !Queued(vsneUpdateDir, bin, 0))
                    Queue(new TVirtualShellEvent(vsneUpdateDir, bin, bin));
            }
            LeaveCriticalSection(&FWorkingLock);
            return;
        }
    }
    if (!Queued(Event, PIDL1, DoubleWord1))
        Queue(new TVirtualShellEvent(Event, PIDL1, PIDL2, DoubleWord1, DoubleWord2));
    LeaveCriticalSection(&FWorkingLock);
}

void TVirtualChangeDispatchThread::Execute() {
    while (!GetTerminated()) {
        WaitForSingleObject(FWorkerChangeEvent, INFINITE);
        if (GetTerminated()) break;
        // The quiet period: a batch leaves only after a whole interval in which
        // no event arrived. The wait doubles as the stop signal.
        bool adding = true;
        while (adding && !GetTerminated()) {
            WaitForSingleObject(GetTriggerEvent(), VirtualShellNotifyRefreshRate);
            EnterCriticalSection(&FAddLock);
            adding = FAddingEvents;
            FAddingEvents = false;
            LeaveCriticalSection(&FAddLock);
        }
        if (GetTerminated()) break;
        EnterCriticalSection(&FWorkingLock);
        ResetEvent(FWorkerChangeEvent);
        TVirtualShellEventList* batch = FWorkingList;
        FWorkingList = nullptr;
        LeaveCriticalSection(&FWorkingLock);
        if (!batch) continue;
        batch->SetRefCount(1);
        if (!PostMessageW(FChangeNotifier->GetListener(), WM_SHELLNOTIFY,
                          reinterpret_cast<WPARAM>(batch), 0))
            batch->Release();
    }
}

// ---- shell thread ---------------------------------------------------------------------------

TVirtualShellChangeThread::TVirtualShellChangeThread(TVirtualChangeNotifier* Notifier)
    : TVirtualThread(true), FChangeNotifier(Notifier) {
    FWindowReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

TVirtualShellChangeThread::~TVirtualShellChangeThread() {
    Terminate();
    if (!GetSuspended()) {
        // The loop ends on its quit message, which can be posted once the
        // thread has its window and queue.
        WaitForWindow();
        for (int attempt = 0; attempt < 21 && !GetFinished(); ++attempt)
            if (PostThreadMessageW(GetThreadID(), WM_SHELLNOTIFYTHREADQUIT, 0, 0)) break;
    }
    TerminateAndWait();
    CloseHandle(FWindowReady);
}

void TVirtualShellChangeThread::WaitForWindow() {
    if (GetSuspended() || !GetHandle()) return;
    HANDLE either[2] = {FWindowReady, GetHandle()};
    WaitForMultipleObjects(2, either, FALSE, INFINITE);
}

void TVirtualShellChangeThread::Translate(DWORD Flag, PItemIDList PIDL1, PItemIDList PIDL2) {
    TVirtualShellNotifyEvent event = ShellNotifyFlagToEvent(Flag);
    if (event == vsneNone) return;
    TVirtualChangeDispatchThread* dispatch = FChangeNotifier->GetChangeDispatchThead();
    if (event == vsneFreeSpace || event == vsneUpdateImage) {
        if (!PIDL1) return;
        const auto* numbers = reinterpret_cast<const TDWordItemID*>(PIDL1);
        dispatch->AddEvent(event, nullptr, nullptr, numbers->dwItem1, numbers->dwItem2);
    } else {
        dispatch->AddEvent(event, PIDL1, PIDL2);
    }
}

void TVirtualShellChangeThread::WndProc(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
    switch (Msg) {
    case WM_CHANGENOTIFY_NT: {
        auto lock = BindRoutine<TSHChangeNotificationLock>(Shell32(), ShellOrdinal(644));
        auto unlock = BindRoutine<TSHChangeNotificationUnlock>(Shell32(), ShellOrdinal(645));
        if (!lock || !unlock) return;
        PIDLIST_ABSOLUTE* lists = nullptr;
        LONG flag = 0;
        HANDLE held = lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam), &lists,
                           &flag);
        if (!held) return;
        try {
            if (lists) Translate(static_cast<DWORD>(flag), lists[0], lists[1]);
        } catch (...) {
        }
        unlock(held);
        return;
    }
    case WM_CHANGENOTIFY: {
        auto* lists = reinterpret_cast<PItemIDList*>(wParam);
        if (lists) Translate(static_cast<DWORD>(lParam), lists[0], lists[1]);
        return;
    }
    case WM_SHELLNOTIFYTHREADEVENT: {
        auto* record = reinterpret_cast<PItemIDList*>(wParam);
        if (!record) return;
        try {
            Translate(static_cast<DWORD>(lParam), record[0], record[1]);
        } catch (...) {
        }
        if (record[0]) ILFree(record[0]);
        if (record[1]) ILFree(record[1]);
        delete[] record;
        return;
    }
    default:
        Result = DefWindowProcW(FNotifyWindowHandle, Msg, wParam, lParam);
    }
}

void TVirtualShellChangeThread::Execute() {
    FThreadPIDLMgr = new TPIDLManager;
    HWND window = AllocateHWnd([this](TMessage& Message) {
        WndProc(Message.Msg, Message.WParam, Message.LParam, Message.Result);
    });
    FNotifyWindowHandle = window;
    if (!window) {
        Terminate();
    } else {
        auto reg = BindRoutine<TSHChangeNotifyRegister>(Shell32(), ShellOrdinal(2));
        if (reg) {
            bool locked = BindRoutine<TSHChangeNotificationLock>(Shell32(), ShellOrdinal(644)) &&
                          BindRoutine<TSHChangeNotificationUnlock>(Shell32(), ShellOrdinal(645));
            SHChangeNotifyEntry entry{nullptr, TRUE};
            PItemIDList desktop = nullptr;
            SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop);
            entry.pidl = desktop;
            FChangeNotifyHandle = reg(window, locked ? 0x8003 : 3, SHCNE_ALLEVENTS,
                                      locked ? WM_CHANGENOTIFY_NT : WM_CHANGENOTIFY, 1, &entry);
            if (desktop) ILFree(desktop);
        }
    }
    MSG msg;
    // The queue exists once the thread has peeked at it.
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(FWindowReady);
    while (!GetTerminated()) {
        try {
            if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
            if (!msg.hwnd && msg.message == WM_SHELLNOTIFYTHREADQUIT) break;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } catch (...) {
        }
    }
    if (FChangeNotifyHandle) {
        if (auto dereg = BindRoutine<TSHChangeNotifyDeregister>(Shell32(), ShellOrdinal(4)))
            dereg(FChangeNotifyHandle);
        FChangeNotifyHandle = 0;
    }
    FNotifyWindowHandle = nullptr;
    // Events posted to the window and never handled still own their lists.
    while (window && PeekMessageW(&msg, window, WM_SHELLNOTIFYTHREADEVENT,
                                  WM_SHELLNOTIFYTHREADEVENT, PM_REMOVE)) {
        auto* record = reinterpret_cast<PItemIDList*>(msg.wParam);
        if (!record) continue;
        if (record[0]) ILFree(record[0]);
        if (record[1]) ILFree(record[1]);
        delete[] record;
    }
    if (window) DeallocateHWnd(window);
    delete FThreadPIDLMgr;
    FThreadPIDLMgr = nullptr;
}

// ---- kernel thread --------------------------------------------------------------------------

TVirtualKernelChangeThread::TVirtualKernelChangeThread(TVirtualChangeNotifier* Notifier)
    : TVirtualThread(true), FChangeNotifier(Notifier) {
    FKernelChangeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    InitializeCriticalSection(&FRefusedLock);
}

TVirtualKernelChangeThread::~TVirtualKernelChangeThread() {
    Terminate();
    Wake();
    TerminateAndWait();
    for (PItemIDList pidl : FSpecialFolderPhysicalPIDL)
        if (pidl) ILFree(pidl);
    for (PItemIDList pidl : FSpecialFolderVirtualPIDLs)
        if (pidl) ILFree(pidl);
    DeleteCriticalSection(&FRefusedLock);
    CloseHandle(FKernelChangeEvent);
}

void TVirtualKernelChangeThread::Wake() {
    SetEvent(FKernelChangeEvent);
}

void TVirtualKernelChangeThread::AddSpecialFolder(const UnicodeString& PhysicalPath,
                                                  PItemIDList PhysicalPIDL,
                                                  PItemIDList VirtualPIDL) {
    FSpecialFolderPhysicalPath.push_back(PhysicalPath);
    FSpecialFolderPhysicalPIDL.push_back(PhysicalPIDL);
    FSpecialFolderVirtualPIDLs.push_back(VirtualPIDL);
}

std::vector<UnicodeString> TVirtualKernelChangeThread::RefusedFolders() {
    EnterCriticalSection(&FRefusedLock);
    std::vector<UnicodeString> refused = FRefused;
    LeaveCriticalSection(&FRefusedLock);
    return refused;
}

void TVirtualKernelChangeThread::BuildWaitSet(std::vector<Watched>& Set,
                                              std::vector<UnicodeString>& Refused) {
    std::vector<std::pair<UnicodeString, DWORD>> folders;
    EnterCriticalSection(FChangeNotifier->GetSpecialFolderRegisterLock());
    for (const UnicodeString& path : FSpecialFolderPhysicalPath)
        folders.emplace_back(path, 0x1F);
    FChangeNotifier->LockNotifier();
    for (const auto& [folder, events] : FChangeNotifier->KernelWatches())
        folders.emplace_back(folder, KernelFilter(events));
    FChangeNotifier->UnLockNotifier();
    LeaveCriticalSection(FChangeNotifier->GetSpecialFolderRegisterLock());
    for (const auto& [folder, filter] : folders) {
        if (filter == 0) continue;
        HANDLE handle = FindFirstChangeNotificationW(folder.c_str(), FALSE, filter);
        if (handle == INVALID_HANDLE_VALUE) {
            // Refused by the system's watch limit: noted, and tried again at
            // the next rebuild rather than in a loop now.
            if (GetLastError() == ERROR_NOT_ENOUGH_QUOTA) Refused.push_back(folder);
            continue;
        }
        PItemIDList pidl = nullptr;
        if (FAILED(SHParseDisplayName(folder.c_str(), nullptr, &pidl, 0, nullptr)) || !pidl) {
            FindCloseChangeNotification(handle);
            continue;
        }
        Set.push_back({handle, pidl});
    }
}

void TVirtualKernelChangeThread::Execute() {
    // One wait covers at most 64 handles: the first group (with the wake
    // event) is served here, every further group of 63 by a helper thread
    // that ends with the pass.
    const size_t kGroup = MAXIMUM_WAIT_OBJECTS - 1;
    HANDLE passEnd = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    while (!GetTerminated()) {
        try {
            ResetEvent(FKernelChangeEvent);
            ResetEvent(passEnd);
            std::vector<Watched> set;
            std::vector<UnicodeString> refused;
            BuildWaitSet(set, refused);
            EnterCriticalSection(&FRefusedLock);
            FRefused = refused;
            LeaveCriticalSection(&FRefusedLock);

            // Serves one group until its stop event, termination or a
            // failing wait; answers whether the wait failed.
            auto serve = [this](HANDLE stop, Watched* first, size_t count) {
                std::vector<HANDLE> handles{stop};
                for (size_t i = 0; i < count; ++i)
                    handles.push_back(first[i].Handle);
                for (;;) {
                    DWORD result = WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                          handles.data(), FALSE, INFINITE);
                    if (GetTerminated() || result == WAIT_OBJECT_0) return false;
                    if (result == WAIT_FAILED || result > WAIT_OBJECT_0 + count) return true;
                    Watched& hit = first[result - WAIT_OBJECT_0 - 1];
                    TVirtualChangeDispatchThread* dispatch =
                        FChangeNotifier->GetChangeDispatchThead();
                    dispatch->AddEvent(vsneUpdateDir, hit.PIDL, hit.PIDL);
                    EnterCriticalSection(FChangeNotifier->GetSpecialFolderRegisterLock());
                    for (size_t s = 0; s < FSpecialFolderPhysicalPIDL.size(); ++s) {
                        PItemIDList physical = FSpecialFolderPhysicalPIDL[s];
                        if (!physical || !(ILIsEqual(physical, hit.PIDL) ||
                                           ILIsParent(physical, hit.PIDL, FALSE)))
                            continue;
                        if (PItemIDList virt = FSpecialFolderVirtualPIDLs[s]) {
                            PItemIDList mapped = Rebase(virt, physical, hit.PIDL);
                            if (mapped) {
                                dispatch->AddEvent(vsneUpdateDir, mapped, mapped);
                                ILFree(mapped);
                            }
                        }
                        break;
                    }
                    LeaveCriticalSection(FChangeNotifier->GetSpecialFolderRegisterLock());
                    FindNextChangeNotification(hit.Handle);
                }
            };

            struct Helper {
                std::function<void()> Run;
                HANDLE Thread = nullptr;
            };
            std::vector<std::unique_ptr<Helper>> helpers;
            for (size_t at = kGroup; at < set.size(); at += kGroup) {
                auto helper = std::make_unique<Helper>();
                size_t count = std::min(kGroup, set.size() - at);
                Watched* first = set.data() + at;
                helper->Run = [serve, passEnd, first, count] { serve(passEnd, first, count); };
                helper->Thread = CreateThread(
                    nullptr, 0,
                    [](LPVOID arg) -> DWORD {
                        static_cast<Helper*>(arg)->Run();
                        return 0;
                    },
                    helper.get(), 0, nullptr);
                helpers.push_back(std::move(helper));
            }
            bool failed = serve(FKernelChangeEvent, set.data(), std::min(kGroup, set.size()));
            SetEvent(passEnd);
            for (auto& helper : helpers)
                if (helper->Thread) {
                    WaitForSingleObject(helper->Thread, INFINITE);
                    CloseHandle(helper->Thread);
                }
            for (Watched& watched : set) {
                FindCloseChangeNotification(watched.Handle);
                ILFree(watched.PIDL);
            }
            // A failing wait must not turn into a busy loop: the rebuild waits
            // for a change of registrations or a second, whichever comes first.
            if (failed && !GetTerminated()) WaitForSingleObject(FKernelChangeEvent, 1000);
        } catch (...) {
        }
    }
    CloseHandle(passEnd);
}
