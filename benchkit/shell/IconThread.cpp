// The icon thread and its manager.
#include "benchkit/shell/IDEVirtualIconThread.h"

#include <quorlpak/WinControl.h>
#include <win32/shellapi.h>

#include <cstdlib>

namespace {

TVirtualImageThreadManager* manager = nullptr; // the singleton, holding one reference

void FreeRecord(PVirtualThreadIconInfo Info, IMalloc* Malloc) {
    if (!Info) return;
    if (Info->PIDL) {
        if (Malloc)
            Malloc->Free(Info->PIDL);
        else
            ILFree(Info->PIDL);
    }
    std::free(Info);
}

} // namespace

// ---- the thread -----------------------------------------------------------------------------

TVirtualImageThread::TVirtualImageThread(bool CreateSuspended) : TThread(CreateSuspended) {
    FQueryList.SetDuplicates(dupAccept);
    FImageThreadEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

TVirtualImageThread::~TVirtualImageThread() {
    Terminate();
    Wake();
    if (GetStarted()) TerminateAndWait();
    TList* list = FQueryList.LockList();
    for (int i = 0; i < list->GetCount(); ++i)
        FreeRecord(static_cast<PVirtualThreadIconInfo>(list->GetItems(i)), nullptr);
    list->Clear();
    FQueryList.UnlockList();
    CloseHandle(FImageThreadEvent);
}

void TVirtualImageThread::Wake() {
    SetEvent(FImageThreadEvent);
}

void TVirtualImageThread::Queue(TWinControl* Control, UINT MessageID, PItemIDList PIDL,
                                bool LargeIcon, void* UserData, int Tag, bool AtEnd) {
    TList* list = FQueryList.LockList();
    auto* info = static_cast<PVirtualThreadIconInfo>(std::calloc(1, sizeof(TVirtualThreadIconInfo)));
    if (info) {
        info->PIDL = PIDL ? ILClone(PIDL) : nullptr;
        info->LargeIcon = LargeIcon;
        info->Control = Control;
        info->UserData = UserData;
        info->Tag = Tag;
        info->MessageID = MessageID;
        info->Serial = FNextSerial++;
        if (AtEnd)
            list->Add(info);
        else
            list->Insert(0, info);
        Wake();
    }
    FQueryList.UnlockList();
}

void TVirtualImageThread::AddNewItem(TWinControl* Control, UINT MessageID, PItemIDList PIDL,
                                     bool LargeIcon, void* UserData, int Tag) {
    Queue(Control, MessageID, PIDL, LargeIcon, UserData, Tag, true);
}

void TVirtualImageThread::InsertNewItem(TWinControl* Control, UINT MessageID, PItemIDList PIDL,
                                        bool LargeIcon, void* UserData, int Tag) {
    Queue(Control, MessageID, PIDL, LargeIcon, UserData, Tag, false);
}

void TVirtualImageThread::Drop(TWinControl* Control, bool ByUserData, void* UserData,
                               UINT MessageID, IMalloc* Malloc) {
    TList* list = FQueryList.LockList();
    // Answers already posted are handled (and freed) by the control now, so
    // that none reaches it after this call.
    if (Control && Control->HandleAllocated()) {
        MSG msg;
        while (PeekMessageW(&msg, Control->GetHandle(), MessageID, MessageID, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    for (int i = 0; i < list->GetCount(); ++i) {
        auto* info = static_cast<PVirtualThreadIconInfo>(list->GetItems(i));
        if (!info || info->Control != Control || (ByUserData && info->UserData != UserData))
            continue;
        ReleaseItem(info, Malloc);
        list->SetItems(i, nullptr);
    }
    list->Pack();
    FQueryList.UnlockList();
}

void TVirtualImageThread::ClearPendingItem(TWinControl* Control, void* UserData, UINT MessageID,
                                           IMalloc* Malloc) {
    Drop(Control, true, UserData, MessageID, Malloc);
}

void TVirtualImageThread::ClearPendingItems(TWinControl* Control, UINT MessageID,
                                            IMalloc* Malloc) {
    Drop(Control, false, nullptr, MessageID, Malloc);
}

void TVirtualImageThread::ReleaseItem(PVirtualThreadIconInfo Info, IMalloc* Malloc) {
    FreeRecord(Info, Malloc);
}

void TVirtualImageThread::ExtractInfo(PItemIDList PIDL, PVirtualThreadIconInfo) {
    FExtractedIconIndex = 0;
    if (!PIDL) return;
    SHFILEINFOW info{};
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(PIDL), 0, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SHELLICONSIZE | SHGFI_SMALLICON))
        FExtractedIconIndex = info.iIcon;
}

void TVirtualImageThread::ExtractedInfoLoad(PVirtualThreadIconInfo Info) {
    Info->IconIndex = FExtractedIconIndex;
}

void TVirtualImageThread::Deliver(PVirtualThreadIconInfo Info) {
    TWinControl* control = Info->Control;
    if (!control || !control->HandleAllocated()) {
        ReleaseItem(Info, nullptr);
        return;
    }
    HWND window = control->GetHandle();
    for (int attempt = 0; attempt < 21; ++attempt) {
        if (PostMessageW(window, Info->MessageID, reinterpret_cast<WPARAM>(Info), 0)) return;
        if (attempt < 20) Sleep(1);
    }
    ReleaseItem(Info, nullptr);
}

void TVirtualImageThread::Execute() {
    while (!GetTerminated()) {
        WaitForSingleObject(FImageThreadEvent, INFINITE);
        if (GetTerminated()) break;
        try {
            TList* list = FQueryList.LockList();
            if (list->GetCount() == 0) {
                ResetEvent(FImageThreadEvent);
                FQueryList.UnlockList();
                continue;
            }
            int index = list->GetCount() - 1;
            auto* info = static_cast<PVirtualThreadIconInfo>(list->GetItems(index));
            uint64_t serial = info->Serial;
            PItemIDList copy = info->PIDL ? ILClone(info->PIDL) : nullptr;
            FQueryList.UnlockList();

            // The record may be dropped meanwhile: only the copy is used here.
            ExtractInfo(copy, nullptr);

            list = FQueryList.LockList();
            if (copy) ILFree(copy);
            auto* now = index < list->GetCount()
                            ? static_cast<PVirtualThreadIconInfo>(list->GetItems(index))
                            : nullptr;
            if (now == info && now->Serial == serial) {
                ExtractedInfoLoad(info);
                list->Delete(index);
                Deliver(info);
            } else {
                InvalidateExtraction();
            }
            FQueryList.UnlockList();
        } catch (...) {
        }
    }
}

// ---- the manager ------------------------------------------------------------------------------

TVirtualImageThreadManager::~TVirtualImageThreadManager() {
    ReleaseImageThread();
}

HRESULT TVirtualImageThreadManager::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVirtualImageThreadManager>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

bool TVirtualImageThreadManager::Registered(TWinControl* Control) {
    bool found = FControlList.LockList()->IndexOf(Control) >= 0;
    FControlList.UnlockList();
    return found;
}

void TVirtualImageThreadManager::AddNewItem(TWinControl* Control, UINT MessageID,
                                            PItemIDList PIDL, bool LargeIcon, void* UserData,
                                            int Tag) {
    if (FImageThread) FImageThread->AddNewItem(Control, MessageID, PIDL, LargeIcon, UserData, Tag);
}

void TVirtualImageThreadManager::InsertNewItem(TWinControl* Control, UINT MessageID,
                                               PItemIDList PIDL, bool LargeIcon, void* UserData,
                                               int Tag) {
    if (FImageThread)
        FImageThread->InsertNewItem(Control, MessageID, PIDL, LargeIcon, UserData, Tag);
}

void TVirtualImageThreadManager::ClearPendingItems(TWinControl* Control, UINT MessageID,
                                                   IMalloc* Malloc) {
    if (FImageThread && Registered(Control))
        FImageThread->ClearPendingItems(Control, MessageID, Malloc);
}

void TVirtualImageThreadManager::ClearPendingItem(TWinControl* Control, void* UserData,
                                                  UINT MessageID, IMalloc* Malloc) {
    if (FImageThread && Registered(Control))
        FImageThread->ClearPendingItem(Control, UserData, MessageID, Malloc);
}

TList* TVirtualImageThreadManager::LockThread() {
    return FImageThread ? FImageThread->GetQueryList()->LockList() : nullptr;
}

void TVirtualImageThreadManager::UnLockThread() {
    if (FImageThread) FImageThread->GetQueryList()->UnlockList();
}

void TVirtualImageThreadManager::RegisterControl(TWinControl* Control) {
    TList* list = FControlList.LockList();
    list->Add(Control);
    FControlList.UnlockList();
    if (!FImageThread) {
        FImageThread = new TVirtualImageThread(true);
        FImageThread->SetPriority(FThreadPriority);
        FImageThread->Start();
    }
}

void TVirtualImageThreadManager::ReleaseItem(PVirtualThreadIconInfo Info, IMalloc* Malloc) {
    FreeRecord(Info, Malloc);
}

void TVirtualImageThreadManager::SetThreadPriority(TThreadPriority Priority) {
    FThreadPriority = Priority;
    if (FImageThread) FImageThread->SetPriority(Priority);
}

void TVirtualImageThreadManager::UnRegisterControl(TWinControl* Control) {
    TList* list = FControlList.LockList();
    int index = list->IndexOf(Control);
    if (index >= 0) list->Delete(index);
    bool empty = list->GetCount() == 0;
    FControlList.UnlockList();
    if (empty) ReleaseImageThread();
}

void TVirtualImageThreadManager::ReleaseImageThread() {
    if (!FImageThread) return;
    TVirtualImageThread* thread = FImageThread;
    FImageThread = nullptr;
    thread->SetPriority(tpNormal);
    delete thread; // terminates, wakes and waits
}

IVirtualImageThreadManager* ImageThreadManager() {
    if (!manager) {
        manager = new TVirtualImageThreadManager;
        manager->AddRef();
    }
    return manager;
}

void InitializeIDEVirtualIconThread() {}

void FinalizeIDEVirtualIconThread() {
    if (manager) {
        TVirtualImageThreadManager* last = manager;
        manager = nullptr;
        last->Release();
    }
}
