#include "benchkit/mvc/IDEGraphImpl.h"

#include <runpak/ScopeGuard.h>

namespace {

// Holds a critical section for a scope, also when a listener raises.
class TSectionGuard {
public:
    explicit TSectionGuard(CRITICAL_SECTION& Section) : FSection(Section) {
        EnterCriticalSection(&FSection);
    }
    ~TSectionGuard() { LeaveCriticalSection(&FSection); }
    TSectionGuard(const TSectionGuard&) = delete;
    TSectionGuard& operator=(const TSectionGuard&) = delete;

private:
    CRITICAL_SECTION& FSection;
};

void Deliver(IInterfaceList* Snapshot, IGraphModelEvent* E) {
    ForEachListener<IGraphModelListener>(Snapshot, [E](IGraphModelListener* listener) {
        if (E->GetId() == MODEL_CONTENT_CHANGED)
            listener->ModelContentChanged(E);
        else if (E->GetId() == MODEL_STRUCTURE_CHANGED)
            listener->ModelStructureChanged(E);
    });
}

} // namespace

TGraphModelMulticaster::TGraphModelMulticaster() : FListeners(new TInterfaceList) {
    InitializeCriticalSection(&FLock);
}

TGraphModelMulticaster::~TGraphModelMulticaster() {
    // Waits for a thread that may still be leaving the lock.
    Lock();
    Unlock();
    DeleteCriticalSection(&FLock);
}

HRESULT TGraphModelMulticaster::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphModelMulticaster, IGraphModelListener, IEventListener>(this, iid,
                                                                                      out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

int TGraphModelMulticaster::Find(IGraphModelListener* Listener) {
    TSectionGuard guard(FLock);
    return FListeners->IndexOf(Listener);
}

bool TGraphModelMulticaster::HasListeners() {
    TSectionGuard guard(FLock);
    return FListeners->GetCount() > 0;
}

int TGraphModelMulticaster::GetUpdateCount() {
    TSectionGuard guard(FLock);
    return FUpdateCount;
}

void TGraphModelMulticaster::Dispatch(IGraphModelEvent* E) {
    InterfacePtr<IInterfaceList> snapshot;
    {
        TSectionGuard guard(FLock);
        if (FUpdateCount > 0) {
            if (!FUpdates) FUpdates = new TInterfaceList;
            if (!FModels) FModels = new TInterfaceList;
            InterfacePtr<IGraphModel> model = E->GetModel();
            if (FModels->IndexOf(model.Get()) < 0) FModels->Add(model.Get());
            FUpdates->Add(E);
            return;
        }
        if (FListeners->GetCount() == 0) return;
        snapshot = CloneInterfaceList(FListeners.Get());
    }
    Deliver(snapshot.Get(), E);
}

void TGraphModelMulticaster::Add(IGraphModelListener* Listener) {
    TSectionGuard guard(FLock);
    InterfacePtr<IBatchUpdate> batch;
    if (FUpdateCount > 0 && Supports(static_cast<IInterface*>(Listener), batch))
        batch->BeginUpdate();
    FListeners->Add(Listener);
}

void TGraphModelMulticaster::Remove(IGraphModelListener* Listener) {
    TSectionGuard guard(FLock);
    if (FListeners->Remove(Listener) < 0) return;
    InterfacePtr<IBatchUpdate> batch;
    if (FUpdateCount > 0 && Supports(static_cast<IInterface*>(Listener), batch)) batch->EndUpdate();
}

void TGraphModelMulticaster::NotifyBatchListeners(bool Begin) {
    // Called under the lock.
    for (int i = 0, n = FListeners->GetCount(); i < n; ++i) {
        InterfacePtr<IBatchUpdate> batch;
        if (!Supports(FListeners->Get(i).Get(), batch)) continue;
        if (Begin)
            batch->BeginUpdate();
        else
            batch->EndUpdate();
    }
}

void TGraphModelMulticaster::BeginUpdate() {
    // Opening and counting happen under one lock, so two threads opening at
    // once send the listeners one BeginUpdate and count two.
    TSectionGuard guard(FLock);
    if (FUpdateCount == 0) NotifyBatchListeners(true);
    ++FUpdateCount;
}

void TGraphModelMulticaster::EndUpdate() {
    {
        TSectionGuard guard(FLock);
        if (FUpdateCount == 0) return; // no batch to close
        if (--FUpdateCount > 0) return;
    }
    auto batchDone = runpak::ScopeExit([this] {
        TSectionGuard guard(FLock);
        NotifyBatchListeners(false);
    });
    DispatchUpdates();
}

void TGraphModelMulticaster::DispatchUpdates() {
    InterfacePtr<IInterfaceList> snapshot;
    InterfacePtr<IGraphModelEvent> summary;
    {
        TSectionGuard guard(FLock);
        if (!FUpdates || FUpdates->GetCount() == 0) return;
        if (FModels->GetCount() > 1) {
            // A queue left behind would refuse every later batch as well.
            FUpdates->Clear();
            FModels->Clear();
            throw Exception(u"Multiple models");
        }
        InterfacePtr<IGraphModel> model = InterfaceCast<IGraphModel>(FModels->Get(0).Get());
        InterfacePtr<IGraphLocation> root = model->GetRoot();
        summary = static_cast<IGraphModelEvent*>(
            new TGraphModelEvent(model.Get(), MODEL_STRUCTURE_CHANGED, root.Get()));
        FUpdates->Clear();
        FModels->Clear();
        snapshot = CloneInterfaceList(FListeners.Get());
    }
    Deliver(snapshot.Get(), summary.Get());
}
