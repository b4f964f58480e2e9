// Listener lists through which models, selections, views and peer controls
// deliver their events. Listeners are called in the order they were added,
// from a snapshot taken when delivery starts: a listener that adds or
// removes listeners (itself included) changes who hears the next event, not
// the current one.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEEvent.h"
#include "benchkit/mvc/IDEUIEvent.h"

#include <runpak/InterfaceList.h>

// The list behind every multicaster: additions copy the list (so snapshots
// stay as they were), removals change it in place, a listener is in it once.
class TListenerList {
public:
    TListenerList();

    bool HasListeners() const { return FListeners->GetCount() > 0; }
    // Index of the same object, or -1.
    int Find(IInterface* Listener) const { return FListeners->IndexOf(Listener); }
    void Add(IInterface* Listener);
    void Remove(IInterface* Listener);
    InterfacePtr<IInterfaceList> Snapshot() const;

private:
    InterfacePtr<IInterfaceList> FListeners;
};

// Calls Deliver with each listener of a snapshot, taken as the interface I it
// was added as.
template <class I, class F> void ForEachListener(IInterfaceList* Snapshot, F&& Deliver) {
    for (int i = 0, n = Snapshot->GetCount(); i < n; ++i)
        Deliver(dynamic_cast<I*>(Snapshot->Get(i).Get()));
}

// The general multicaster: each event dispatches itself to each listener.
// Not counted: the model, selection or view that creates one frees it.
class TEventMulticaster : public TObject {
public:
    TEventMulticaster() = default;

    virtual bool HasListeners() { return FListeners.HasListeners(); }
    // False as soon as a listener raises EVetoException (later listeners are
    // not asked); any other exception goes to the caller.
    virtual bool VetoableDispatch(IVetoableDispatch* E);
    virtual void ExceptionDispatch(IExceptionDispatch* E);
    virtual int Find(IEventListener* Listener) { return FListeners.Find(Listener); }
    virtual void Add(IEventListener* Listener) { FListeners.Add(Listener); }
    virtual void Remove(IEventListener* Listener) { FListeners.Remove(Listener); }
    // A listener's exception stops the walk and goes to the caller.
    void Dispatch(IDispatchableEvent* E);

    // A multicaster made when Caster is nil, with Listener added.
    static TEventMulticaster* Add2(TEventMulticaster* Caster, IEventListener* Listener);
    // Caster without Listener; when no listener is left the multicaster is
    // freed and nil returned, so write Caster = Remove2(Caster, Listener).
    static TEventMulticaster* Remove2(TEventMulticaster* Caster, IEventListener* Listener);

protected:
    TListenerList FListeners;
};

struct IKeyMulticaster : virtual IKeyListener {
    static constexpr InterfaceID<IKeyMulticaster> IID_{"{CD8637D2-044E-11D1-AE93-0020AF32BB01}"};
    virtual void Add(IKeyListener* Listener) = 0;
    virtual void Remove(IKeyListener* Listener) = 0;

protected:
    ~IKeyMulticaster() = default;
};

// The pattern of every typed multicaster: it is itself a listener and
// forwards what it hears to its listeners, choosing the operation by the
// event's id, read again for each listener.
class TKeyMulticaster : public TInterfacedObject, public IKeyMulticaster {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void KeyTyped(IKeyEvent* E) override;
    void KeyPressed(IKeyEvent* E) override;
    void KeyReleased(IKeyEvent* E) override;
    virtual int Find(IKeyListener* Listener) { return FListeners.Find(Listener); }

    bool HasListeners() const { return FListeners.HasListeners(); }
    // 400 KeyTyped, 401 KeyPressed, 402 KeyReleased; other ids reach nobody.
    void Dispatch(IKeyEvent* E);
    void Add(IKeyListener* Listener) override { FListeners.Add(Listener); }
    void Remove(IKeyListener* Listener) override { FListeners.Remove(Listener); }

private:
    TListenerList FListeners;
};

class TActionMulticaster : public TInterfacedObject, public IActionListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    // Forwards like every typed multicaster.
    void ActionPerformed(IActionEvent* E) override;
    virtual int Find(IActionListener* Listener) { return FListeners.Find(Listener); }

    bool HasListeners() const { return FListeners.HasListeners(); }
    void Dispatch(IActionEvent* E);
    void Add(IActionListener* Listener) { FListeners.Add(Listener); }
    void Remove(IActionListener* Listener) { FListeners.Remove(Listener); }

private:
    TListenerList FListeners;
};

struct IAWTEventMulticaster : virtual IEventListener {
    static constexpr InterfaceID<IAWTEventMulticaster> IID_{
        "{DFBC6311-0772-11D1-AE96-0020AF32BB01}"};
    virtual InterfacePtr<IEventListener> RemoveInternal(IEventListener* OldL) = 0;

protected:
    ~IAWTEventMulticaster() = default;
};

// An immutable node of two listeners, how the peer controls keep theirs:
// a control stores Add(current, new), so the left branch was added first.
// Each operation calls A, then B, each taken as the operation's listener
// interface (EIntfCastError when a branch lacks it; B is not called when A
// raises).
class TAWTEventMulticaster : public TInterfacedObject,
                             public ITextListener,
                             public IAdjustmentListener,
                             public IItemListener,
                             public IActionListener,
                             public IWindowListener,
                             public IMouseMotionListener,
                             public IMouseListener,
                             public IKeyListener,
                             public IFocusListener,
                             public IContainerListener,
                             public IComponentListener,
                             public IAWTEventMulticaster {
public:
    TAWTEventMulticaster(IEventListener* A, IEventListener* B) : FA(A), FB(B) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IEventListener> RemoveInternal(IEventListener* OldL) override;

    void ComponentResized(IComponentEvent* E) override;
    void ComponentMoved(IComponentEvent* E) override;
    void ComponentShown(IComponentEvent* E) override;
    void ComponentHidden(IComponentEvent* E) override;
    void ComponentAdded(IContainerEvent* E) override;
    void ComponentRemoved(IContainerEvent* E) override;
    void FocusGained(IFocusEvent* E) override;
    void FocusLost(IFocusEvent* E) override;
    void KeyTyped(IKeyEvent* E) override;
    void KeyPressed(IKeyEvent* E) override;
    void KeyReleased(IKeyEvent* E) override;
    void MouseClicked(IMouseEvent* E) override;
    void MousePressed(IMouseEvent* E) override;
    void MouseReleased(IMouseEvent* E) override;
    void MouseEntered(IMouseEvent* E) override;
    void MouseExited(IMouseEvent* E) override;
    void MouseDragged(IMouseEvent* E) override;
    void MouseMoved(IMouseEvent* E) override;
    void WindowOpened(IWindowEvent* E) override;
    void WindowClosing(IWindowEvent* E) override;
    void WindowClosed(IWindowEvent* E) override;
    void WindowIconified(IWindowEvent* E) override;
    void WindowDeiconified(IWindowEvent* E) override;
    void WindowActivated(IWindowEvent* E) override;
    void WindowDeactivated(IWindowEvent* E) override;
    void ActionPerformed(IActionEvent* E) override;
    void ItemStateChanged(IItemEvent* E) override;
    void AdjustmentValueChanged(IAdjustmentEvent* E) override;
    void TextValueChanged(ITextEvent* E) override;

    // B when A is nil, A when B is nil, else a new node of both.
    static InterfacePtr<IEventListener> Add(IEventListener* A, IEventListener* B);
    // L without OldL: nil when L is OldL (or nil), a rebuilt tree when OldL
    // is inside, L itself otherwise.
    static InterfacePtr<IEventListener> Remove(IEventListener* L, IEventListener* OldL);

private:
    // Calls Operation on A, then on B, each taken as I.
    template <class I, class E> void Both(void (I::*Operation)(E*), E* Event);

    const InterfacePtr<IEventListener> FA;
    const InterfacePtr<IEventListener> FB;
};

#pragma GCC visibility pop
