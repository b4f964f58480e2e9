// The simplest model: one string object.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEModelImpl.h"
#include "benchkit/mvc/IDEUtil.h"

#include <memory>

// A content change (code 1) of a singleton model.
class TSingletonModelEvent : public TModelEvent, public virtual ISingletonModelEvent {
public:
    explicit TSingletonModelEvent(ISingletonModel* Model)
        : TModelEvent(Model, MODEL_CONTENT_CHANGED), FModel(Model) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<ISingletonModel> GetModel() override { return FModel; }
    void Dispatch(IEventListener* Listener) override;

private:
    InterfacePtr<ISingletonModel> FModel;
};

class TSingletonModelMulticaster : public TInterfacedObject, public ISingletonModelMulticaster {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void ModelContentChanged(ISingletonModelEvent* E) override;
    virtual int Find(ISingletonModelListener* Listener) { return FListeners.Find(Listener); }

    bool HasListeners() const { return FListeners.HasListeners(); }
    void Dispatch(ISingletonModelEvent* E);
    void Add(ISingletonModelListener* Listener) override { FListeners.Add(Listener); }
    void Remove(ISingletonModelListener* Listener) override { FListeners.Remove(Listener); }

private:
    TListenerList FListeners;
};

class TBasicSingletonContainer : public TInterfacedObject, public IWritableSingletonModel {
public:
    // The item is an empty text.
    TBasicSingletonContainer();
    // The item is Data (EIntfCastError unless it is an IStringObject).
    explicit TBasicSingletonContainer(IInterface* Data);
    ~TBasicSingletonContainer() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IInterface> Get() override;
    void AddModelListener(ISingletonModelListener* Listener) override;
    void RemoveModelListener(ISingletonModelListener* Listener) override;
    bool CanModify() override { return true; }
    void Put(IInterface* Data) override;
    void Touched() override;
    // Turning events back on announces a change, so listeners catch up.
    void EnableModelEvents(bool Enable) override;
    // Every change passes here: delivered when events are on and someone listens.
    virtual void ProcessModelEvent(ISingletonModelEvent* E);

protected:
    void FireChange();

    InterfacePtr<IStringObject> FItem;
    std::unique_ptr<TEventMulticaster> FModelListeners;
    bool FEvents = true;
};

#pragma GCC visibility pop
