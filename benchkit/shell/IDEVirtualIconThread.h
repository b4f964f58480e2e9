// Shell icon indexes looked up off the GUI thread. Controls queue requests;
// one background thread serves the newest first and posts each completed
// request record back to its control under the control's own message id.
// The receiver owns the record and frees it (ReleaseItem).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/shell/IDEVirtualPIDLTools.h"

#include <runpak/Interfaces.h>
#include <runpak/Lists.h>
#include <runpak/Thread.h>

#include <atomic>
#include <cstdint>

class TWinControl;

// The request and its answer; allocated zero-filled.
struct TVirtualThreadIconInfo {
    PItemIDList PIDL;      // private copy, made when queued
    int32_t IconIndex;     // the answer (0 until answered)
    bool LargeIcon;        // carried through for the requester
    TWinControl* Control;  // the requester, target of the answer
    void* UserData;        // the requester's data
    void* UserData2;       // left 0 by the queuing operations
    int32_t Tag;           // the requester's number
    uint32_t MessageID;    // the answer is posted under this message
    // The request's identity while queued: an answer is delivered only to
    // the very request it was looked up for, even when a dropped record's
    // memory has been reused by a new request meanwhile.
    uint64_t Serial;
};
using PVirtualThreadIconInfo = TVirtualThreadIconInfo*;

// The answer as the control sees it: WParam holds the record.
struct TWMVTSetIconIndex {
    UINT Msg;
    PVirtualThreadIconInfo IconInfo;
    LPARAM Unused;
    LRESULT Result;
};

class TVirtualImageThread : public TThread {
public:
    explicit TVirtualImageThread(bool CreateSuspended);
    ~TVirtualImageThread() override;

    void AddNewItem(TWinControl* Control, UINT MessageID, PItemIDList PIDL, bool LargeIcon,
                    void* UserData, int Tag);
    void InsertNewItem(TWinControl* Control, UINT MessageID, PItemIDList PIDL, bool LargeIcon,
                       void* UserData, int Tag);
    void ClearPendingItem(TWinControl* Control, void* UserData, UINT MessageID, IMalloc* Malloc);
    void ClearPendingItems(TWinControl* Control, UINT MessageID, IMalloc* Malloc);
    TThreadList* GetQueryList() { return &FQueryList; }
    // Wakes the thread (termination uses it too).
    void Wake();

protected:
    void Execute() override;
    virtual void ExtractInfo(PItemIDList PIDL, PVirtualThreadIconInfo Info);
    virtual void ExtractedInfoLoad(PVirtualThreadIconInfo Info);
    virtual void InvalidateExtraction() {}
    virtual void ReleaseItem(PVirtualThreadIconInfo Info, IMalloc* Malloc);

    int FExtractedIconIndex = 0;

private:
    void Queue(TWinControl* Control, UINT MessageID, PItemIDList PIDL, bool LargeIcon,
               void* UserData, int Tag, bool AtEnd);
    void Drop(TWinControl* Control, bool ByUserData, void* UserData, UINT MessageID,
              IMalloc* Malloc);
    void Deliver(PVirtualThreadIconInfo Info);

    TThreadList FQueryList;
    HANDLE FImageThreadEvent = nullptr;
    uint64_t FNextSerial = 1; // under the queue lock
};

struct IVirtualImageThreadManager : virtual IInterface {
    static constexpr InterfaceID<IVirtualImageThreadManager> IID_{
        "{F6CDCFE6-4294-4169-A6ED-D1E24F3152AC}"};
    virtual void AddNewItem(TWinControl* Control, UINT MessageID, PItemIDList PIDL,
                            bool LargeIcon, void* UserData, int Tag) = 0;
    virtual void ClearPendingItems(TWinControl* Control, UINT MessageID, IMalloc* Malloc) = 0;
    virtual void ClearPendingItem(TWinControl* Control, void* UserData, UINT MessageID,
                                  IMalloc* Malloc) = 0;
    virtual void InsertNewItem(TWinControl* Control, UINT MessageID, PItemIDList PIDL,
                               bool LargeIcon, void* UserData, int Tag) = 0;
    virtual TList* LockThread() = 0;
    virtual void RegisterControl(TWinControl* Control) = 0;
    virtual void ReleaseItem(PVirtualThreadIconInfo Info, IMalloc* Malloc) = 0;
    virtual void SetThreadPriority(TThreadPriority Priority) = 0;
    virtual void UnRegisterControl(TWinControl* Control) = 0;
    virtual void UnLockThread() = 0;

protected:
    ~IVirtualImageThreadManager() = default;
};

class TVirtualImageThreadManager : public TInterfacedObject, public IVirtualImageThreadManager {
public:
    TVirtualImageThreadManager() = default;
    ~TVirtualImageThreadManager() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    void AddNewItem(TWinControl* Control, UINT MessageID, PItemIDList PIDL, bool LargeIcon,
                    void* UserData, int Tag) override;
    void ClearPendingItems(TWinControl* Control, UINT MessageID, IMalloc* Malloc) override;
    void ClearPendingItem(TWinControl* Control, void* UserData, UINT MessageID,
                          IMalloc* Malloc) override;
    void InsertNewItem(TWinControl* Control, UINT MessageID, PItemIDList PIDL, bool LargeIcon,
                       void* UserData, int Tag) override;
    TList* LockThread() override;
    void RegisterControl(TWinControl* Control) override;
    void ReleaseItem(PVirtualThreadIconInfo Info, IMalloc* Malloc) override;
    void SetThreadPriority(TThreadPriority Priority) override;
    void UnRegisterControl(TWinControl* Control) override;
    void UnLockThread() override;

    bool HasThread() const { return FImageThread != nullptr; }

private:
    bool Registered(TWinControl* Control);
    void ReleaseImageThread();

    TThreadList FControlList;
    TVirtualImageThread* FImageThread = nullptr;
    TThreadPriority FThreadPriority = tpNormal;
};

// The process-wide manager, made on first call; released at finalization.
IVirtualImageThreadManager* ImageThreadManager();

void InitializeIDEVirtualIconThread();
void FinalizeIDEVirtualIconThread();

#pragma GCC visibility pop
