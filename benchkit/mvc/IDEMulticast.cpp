#include "benchkit/mvc/IDEMulticast.h"

#include "benchkit/mvc/IDEUtil.h"

// --- TListenerList ---------------------------------------------------------------------

TListenerList::TListenerList() : FListeners(new TInterfaceList) {}

void TListenerList::Add(IInterface* Listener) {
    if (Find(Listener) >= 0) return;
    // A new list, so that a delivery in progress keeps the list it started with.
    InterfacePtr<IInterfaceList> list = CloneInterfaceList(FListeners.Get());
    list->Add(Listener);
    FListeners = list;
}

void TListenerList::Remove(IInterface* Listener) {
    FListeners->Remove(Listener);
}

InterfacePtr<IInterfaceList> TListenerList::Snapshot() const {
    return CloneInterfaceList(FListeners.Get());
}

// --- TEventMulticaster -----------------------------------------------------------------

void TEventMulticaster::Dispatch(IDispatchableEvent* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    ForEachListener<IEventListener>(snapshot.Get(),
                                    [E](IEventListener* listener) { E->Dispatch(listener); });
}

bool TEventMulticaster::VetoableDispatch(IVetoableDispatch* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    try {
        ForEachListener<IEventListener>(
            snapshot.Get(), [E](IEventListener* listener) { E->VetoableDispatch(listener); });
    } catch (const EVetoException&) {
        return false;
    }
    return true;
}

void TEventMulticaster::ExceptionDispatch(IExceptionDispatch* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    ForEachListener<IEventListener>(
        snapshot.Get(), [E](IEventListener* listener) { E->ExceptionDispatch(listener); });
}

TEventMulticaster* TEventMulticaster::Add2(TEventMulticaster* Caster, IEventListener* Listener) {
    if (!Caster) Caster = new TEventMulticaster;
    Caster->Add(Listener);
    return Caster;
}

TEventMulticaster* TEventMulticaster::Remove2(TEventMulticaster* Caster, IEventListener* Listener) {
    if (!Caster) return nullptr;
    Caster->Remove(Listener);
    if (Caster->HasListeners()) return Caster;
    // Nobody else holds a multicaster that the caller is about to forget.
    delete Caster;
    return nullptr;
}

// --- TKeyMulticaster -------------------------------------------------------------------

HRESULT TKeyMulticaster::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IKeyMulticaster, IKeyListener, IEventListener>(this, iid, out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TKeyMulticaster::KeyTyped(IKeyEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TKeyMulticaster::KeyPressed(IKeyEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TKeyMulticaster::KeyReleased(IKeyEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TKeyMulticaster::Dispatch(IKeyEvent* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    ForEachListener<IKeyListener>(snapshot.Get(), [E](IKeyListener* listener) {
        switch (E->GetID()) {
        case KEY_TYPED:
            listener->KeyTyped(E);
            break;
        case KEY_PRESSED:
            listener->KeyPressed(E);
            break;
        case KEY_RELEASED:
            listener->KeyReleased(E);
            break;
        default:
            break;
        }
    });
}

// --- TActionMulticaster ----------------------------------------------------------------

HRESULT TActionMulticaster::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IActionListener, IEventListener>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TActionMulticaster::ActionPerformed(IActionEvent* E) {
    if (HasListeners()) Dispatch(E);
}

void TActionMulticaster::Dispatch(IActionEvent* E) {
    InterfacePtr<IInterfaceList> snapshot = FListeners.Snapshot();
    ForEachListener<IActionListener>(
        snapshot.Get(), [E](IActionListener* listener) { listener->ActionPerformed(E); });
}
