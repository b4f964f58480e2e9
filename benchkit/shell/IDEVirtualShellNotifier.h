// The process's one shell change notifier: controls register with it; three
// worker threads watch the shell's notifications and folders on disk, reduce
// what they see and, after a quiet period, hand each batch of events to every
// registered control as one reference-counted message (WM_SHELLNOTIFY).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/shell/IDEVirtualPIDLTools.h"
#include "benchkit/shell/IDEVirtualThread.h"
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <quorlpak/Messages.h>
#include <runpak/Interfaces.h>
#include <runpak/Lists.h>
#include <runpak/Set.h>
#include <runpak/UString.h>

#include <atomic>
#include <cstdint>
#include <vector>

class TWinControl;

enum TVirtualShellNotifyEvent : uint8_t {
    vsneAssoccChanged,
    vsneAttributes,
    vsneCreate,
    vsneDelete,
    vsneDriveAdd,
    vsneDriveAddGUI,
    vsneDriveRemoved,
    vsneFreeSpace,
    vsneMediaInserted,
    vsneMediaRemoved,
    vsneMkDir,
    vsneNetShare,
    vsneNetUnShare,
    vsneRenameFolder,
    vsneRenameItem,
    vsneRmDir,
    vsneServerDisconnect,
    vsneUpdateDir,
    vsneUpdateImage,
    vsneUpdateItem,
    vsneNone
};

enum TVirtualKernelNotifyEvent : uint8_t {
    vkneFileName,
    vkneDirName,
    vkneAttributes,
    vkneSize,
    vkneLastWrite,
    vkneLastAccess,
    vkneCreation,
    vkneSecurity
};
using TVirtualKernelNotifyEvents = TSet<TVirtualKernelNotifyEvent, 8>;
// Every member but vkneLastAccess (0xDF).
extern const TVirtualKernelNotifyEvents AllKernelNotifiers;


// The texts of the events, by event; filled at start-up.
extern UnicodeString SHELL_NOTIFY_EVENTS[20];
DWORD ShellNotifyEventFlag(TVirtualShellNotifyEvent Event);
// vsneNone when Flag is not exactly one of the table's flags.
TVirtualShellNotifyEvent ShellNotifyFlagToEvent(DWORD Flag);

const UINT WM_SHELLNOTIFY = 0x8033;
const UINT WM_SHELLNOTIFYTHREADEVENT = 0x8009;
const UINT WM_SHELLNOTIFYTHREADQUIT = 0x8036;
const UINT WM_CHANGENOTIFY_NT = 0x8037;
const UINT WM_CHANGENOTIFY = 0x8038;

// The quiet period in milliseconds (initially 750).
extern std::atomic<int> VirtualShellNotifyRefreshRate;

// One change event. Its lists come from and go back to the task allocator.
class TVirtualShellEvent : public TObject {
public:
    TVirtualShellEvent() = default;
    // Copies of the lists (either may be nil) and their parents.
    TVirtualShellEvent(TVirtualShellNotifyEvent Event, PItemIDList PIDL1, PItemIDList PIDL2,
                       DWORD DoubleWord1 = 0, DWORD DoubleWord2 = 0);
    ~TVirtualShellEvent() override;
    TVirtualShellEvent(const TVirtualShellEvent&) = delete;
    TVirtualShellEvent& operator=(const TVirtualShellEvent&) = delete;

    // Frees the four lists now (and nils them).
    void FreeLists();

    DWORD FDoubleWord1 = 0;
    DWORD FDoubleWord2 = 0;
    bool FFreeContentsOnDestroy = true;
    PItemIDList FPIDL1 = nullptr;
    PItemIDList FPIDL2 = nullptr;
    PItemIDList FParentPIDL1 = nullptr;
    PItemIDList FParentPIDL2 = nullptr;
    TVirtualShellNotifyEvent FShellNotifyEvent = vsneNone;
    bool FHandled = false;
};

class TVirtualReferenceCountedList : public TThreadList {
public:
    virtual ~TVirtualReferenceCountedList() = default;
    virtual void Clear() {}
    void AddRef() { ++FRefCount; }
    // Frees the list when the count falls to zero or below.
    void Release() {
        if (--FRefCount <= 0) delete this;
    }
    int GetRefCount() const { return FRefCount; }
    void SetRefCount(int Value) { FRefCount = Value; }

protected:
    std::atomic<int32_t> FRefCount{0};
};

// One batch; owns its events.
class TVirtualShellEventList : public TVirtualReferenceCountedList {
public:
    TVirtualShellEventList() = default;
    ~TVirtualShellEventList() override;
    void Clear() override;

    // The events in order, read under the list's lock.
    int Count();
    TVirtualShellEvent* Get(int Index);
    void AddEvent(TVirtualShellEvent* Event) { TThreadList::Add(Event); }

    DWORD FID = 0;
};

// One registration.
class TVirtualChangeControl : public TObject {
public:
    bool IsRegistered() const { return FShellChangeRegistered || FKernelChangeRegistered; }

    bool FShellChangeRegistered = false;
    bool FKernelChangeRegistered = false;
    TWinControl* FControl = nullptr;
    UnicodeString FWatchFolder;
    TVirtualKernelNotifyEvents FNotifyEvents;
};

struct IVirtualChangeNotifier : virtual IInterface {
    static constexpr InterfaceID<IVirtualChangeNotifier> IID_{
        "{7F1E9F93-87C2-49E1-8AD5-F5A2E057122C}"};
    virtual void AddEvent(TVirtualShellNotifyEvent Event, PItemIDList PIDL1, PItemIDList PIDL2,
                          TPIDLManager* PIDLMgr) = 0;
    virtual bool GetFilterEvents() = 0;
    virtual bool GetMapVirtualFolders() = 0;
    virtual void LockNotifier() = 0;
    virtual bool NotifyWatchFolder(TWinControl* Control, const UnicodeString& Folder) = 0;
    virtual void PostShellNotifyEvent(DWORD EventFlag, PItemIDList PIDL1, PItemIDList PIDL2) = 0;
    virtual bool RegisterKernelChangeNotify(TWinControl* Control,
                                            TVirtualKernelNotifyEvents Events) = 0;
    virtual void RegisterKernelSpecialFolderWatch(int SpecialFolder) = 0;
    virtual bool RegisterShellChangeNotify(TWinControl* Control) = 0;
    virtual void StripDuplicates(TList* List) = 0;
    virtual void SetFilterEvents(bool Value) = 0;
    virtual void SetMapVirtualFolders(bool Value) = 0;
    virtual void UnLockNotifier() = 0;
    virtual bool UnRegisterKernelChangeNotify(TWinControl* Control) = 0;
    virtual bool UnRegisterShellChangeNotify(TWinControl* Control) = 0;
    virtual bool UnRegisterChangeNotify(TWinControl* Control) = 0;
    virtual void UnRegisterAllNotify() = 0;

protected:
    ~IVirtualChangeNotifier() = default;
};

class TVirtualChangeNotifier;

class TVirtualChangeDispatchThread : public TVirtualThread {
public:
    explicit TVirtualChangeDispatchThread(TVirtualChangeNotifier* Notifier);
    ~TVirtualChangeDispatchThread() override;

    // Queues an event by the reduction rules (or unchanged with filtering off).
    void AddEvent(TVirtualShellNotifyEvent Event, PItemIDList PIDL1, PItemIDList PIDL2,
                  DWORD DoubleWord1 = 0, DWORD DoubleWord2 = 0);
    void Wake();

    bool GetFilterEvents() const { return FFilterEvents; }
    void SetFilterEvents(bool Value) { FFilterEvents = Value; }

protected:
    void Execute() override;

private:
    void Queue(TVirtualShellEvent* Event);
    bool Queued(TVirtualShellNotifyEvent Event, PItemIDList PIDL1, DWORD DoubleWord1);
    void QueueUpdateDir(PItemIDList Folder);
    void CollectRecycleFolders();

    HANDLE FWorkerChangeEvent = nullptr;
    TVirtualChangeNotifier* FChangeNotifier;
    TVirtualShellEventList* FWorkingList = nullptr;
    CRITICAL_SECTION FWorkingLock{};
    CRITICAL_SECTION FAddLock{};
    bool FAddingEvents = false;
    std::vector<PItemIDList> FRecycleFolderPIDLs;
    std::atomic<bool> FFilterEvents{true};
    TPIDLManager* FPIDLMgr = nullptr;
};

class TVirtualShellChangeThread : public TVirtualThread {
public:
    explicit TVirtualShellChangeThread(TVirtualChangeNotifier* Notifier);
    ~TVirtualShellChangeThread() override;

    HWND GetNotifyWindowHandle() const { return FNotifyWindowHandle; }
    // Waits until the thread has its window (or has ended); the window is
    // made on the thread, after the thread object exists.
    void WaitForWindow();
    bool GetMapVirtualFolders() const { return FMapVirtualFolders; }
    void SetMapVirtualFolders(bool Value) { FMapVirtualFolders = Value; }

protected:
    void Execute() override;

private:
    void WndProc(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result);
    void Translate(DWORD Flag, PItemIDList PIDL1, PItemIDList PIDL2);

    ULONG FChangeNotifyHandle = 0;
    TPIDLManager* FThreadPIDLMgr = nullptr;
    std::atomic<bool> FMapVirtualFolders{true};
    std::atomic<HWND> FNotifyWindowHandle{nullptr};
    TVirtualChangeNotifier* FChangeNotifier;
    HANDLE FWindowReady = nullptr;
};

class TVirtualKernelChangeThread : public TVirtualThread {
public:
    explicit TVirtualKernelChangeThread(TVirtualChangeNotifier* Notifier);
    ~TVirtualKernelChangeThread() override;

    void Wake();
    void AddSpecialFolder(const UnicodeString& PhysicalPath, PItemIDList PhysicalPIDL,
                          PItemIDList VirtualPIDL);
    // The folders the system refused to watch in the last pass (its watch
    // limit reached); they stay unwatched until a later pass succeeds.
    std::vector<UnicodeString> RefusedFolders();

protected:
    void Execute() override;

private:
    struct Watched {
        HANDLE Handle;
        PItemIDList PIDL;
    };
    void BuildWaitSet(std::vector<Watched>& Set, std::vector<UnicodeString>& Refused);

    HANDLE FKernelChangeEvent = nullptr;
    TVirtualChangeNotifier* FChangeNotifier;
    std::vector<PItemIDList> FSpecialFolderVirtualPIDLs;
    std::vector<PItemIDList> FSpecialFolderPhysicalPIDL;
    std::vector<UnicodeString> FSpecialFolderPhysicalPath;
    CRITICAL_SECTION FRefusedLock{};
    std::vector<UnicodeString> FRefused;
    TPIDLManager* FPIDLMgr = nullptr;
};

class TVirtualChangeNotifier : public TInterfacedObject, public IVirtualChangeNotifier {
public:
    TVirtualChangeNotifier();
    ~TVirtualChangeNotifier() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    void AddEvent(TVirtualShellNotifyEvent Event, PItemIDList PIDL1, PItemIDList PIDL2,
                  TPIDLManager* PIDLMgr) override;
    bool GetFilterEvents() override;
    bool GetMapVirtualFolders() override;
    void LockNotifier() override;
    bool NotifyWatchFolder(TWinControl* Control, const UnicodeString& Folder) override;
    void PostShellNotifyEvent(DWORD EventFlag, PItemIDList PIDL1, PItemIDList PIDL2) override;
    bool RegisterKernelChangeNotify(TWinControl* Control,
                                    TVirtualKernelNotifyEvents Events) override;
    void RegisterKernelSpecialFolderWatch(int SpecialFolder) override;
    bool RegisterShellChangeNotify(TWinControl* Control) override;
    void StripDuplicates(TList* List) override;
    void SetFilterEvents(bool Value) override;
    void SetMapVirtualFolders(bool Value) override;
    void UnLockNotifier() override;
    bool UnRegisterKernelChangeNotify(TWinControl* Control) override;
    bool UnRegisterShellChangeNotify(TWinControl* Control) override;
    bool UnRegisterChangeNotify(TWinControl* Control) override;
    void UnRegisterAllNotify() override;

    // Threads, made on first need.
    TVirtualChangeDispatchThread* GetChangeDispatchThead();
    TVirtualKernelChangeThread* GetKernelChangeThread();
    TVirtualShellChangeThread* GetShellChangeThread();
    bool HasKernelChangeThread() const { return FKernelChangeThread != nullptr; }
    bool HasShellChangeThread() const { return FShellChangeThread != nullptr; }
    bool HasChangeDispatchThread() const { return FChangeDispatchThread != nullptr; }
    HWND GetListener() const { return FListener; }

    // What the kernel thread reads while it builds its wait set, under both locks.
    std::vector<std::pair<UnicodeString, TVirtualKernelNotifyEvents>> KernelWatches();
    LPCRITICAL_SECTION GetSpecialFolderRegisterLock() { return &FSpecialFolderRegisterLock; }

private:
    TVirtualChangeControl* Find(TList* List, TWinControl* Control);
    void AutoRelease();
    // Releases the batches still queued for Window (messages of this thread).
    void ReleasePendingBatches(HWND Window);
    void ShutDown(TVirtualThread* Thread, bool ReleasesDispatch);
    void ListenerProc(TMessage& Message);

    TThreadList FControlList;
    TVirtualKernelChangeThread* FKernelChangeThread = nullptr;
    TVirtualShellChangeThread* FShellChangeThread = nullptr;
    TVirtualChangeDispatchThread* FChangeDispatchThread = nullptr;
    HWND FListener = nullptr;
    CRITICAL_SECTION FSpecialFolderRegisterLock{};
    TPIDLManager* FPIDLMgr = nullptr;
    DWORD FIDCounter = 0;
};

// The process-wide notifier, made on first call; lives until finalization.
IVirtualChangeNotifier* ChangeNotifier();
// The singleton as its class, or nil when none was made yet (for tests and
// the explorer controls' diagnostics).
TVirtualChangeNotifier* ChangeNotifierObject();

// ' ' for 0, else 'a' plus the index of the lowest set bit.
char16_t FreeSpaceNotifyToDrive(DWORD Mask);
UnicodeString VirtualShellNotifyEventToStr(TVirtualShellNotifyEvent Event);

void InitializeIDEVirtualShellNotifier();
void FinalizeIDEVirtualShellNotifier();

#pragma GCC visibility pop
