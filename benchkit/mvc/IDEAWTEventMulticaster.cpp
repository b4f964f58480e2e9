#include "benchkit/mvc/IDEMulticast.h"

HRESULT TAWTEventMulticaster::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ITextListener, IAdjustmentListener, IItemListener, IActionListener,
                         IWindowListener, IMouseMotionListener, IMouseListener, IKeyListener,
                         IFocusListener, IContainerListener, IComponentListener, IEventListener,
                         IAWTEventMulticaster>(this, iid, out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

template <class I, class E> void TAWTEventMulticaster::Both(void (I::*Operation)(E*), E* Event) {
    (InterfaceCast<I>(static_cast<IInterface*>(FA.Get())).Get()->*Operation)(Event);
    (InterfaceCast<I>(static_cast<IInterface*>(FB.Get())).Get()->*Operation)(Event);
}

InterfacePtr<IEventListener> TAWTEventMulticaster::Add(IEventListener* A, IEventListener* B) {
    if (!A) return B;
    if (!B) return A;
    return static_cast<IAWTEventMulticaster*>(new TAWTEventMulticaster(A, B));
}

InterfacePtr<IEventListener> TAWTEventMulticaster::Remove(IEventListener* L, IEventListener* OldL) {
    // Compared as objects, whichever interface each reference came through.
    if (!L || static_cast<IInterface*>(L) == static_cast<IInterface*>(OldL)) return nullptr;
    InterfacePtr<IAWTEventMulticaster> node;
    if (Supports(static_cast<IInterface*>(L), node)) return node->RemoveInternal(OldL);
    return L;
}

InterfacePtr<IEventListener> TAWTEventMulticaster::RemoveInternal(IEventListener* OldL) {
    IInterface* old = OldL;
    if (old == static_cast<IInterface*>(FA.Get())) return FB;
    if (old == static_cast<IInterface*>(FB.Get())) return FA;
    InterfacePtr<IEventListener> a2 = Remove(FA.Get(), OldL);
    InterfacePtr<IEventListener> b2 = Remove(FB.Get(), OldL);
    if (a2 == FA && b2 == FB) return static_cast<IAWTEventMulticaster*>(this);
    return Add(a2.Get(), b2.Get());
}

void TAWTEventMulticaster::ComponentResized(IComponentEvent* E) {
    Both(&IComponentListener::ComponentResized, E);
}
void TAWTEventMulticaster::ComponentMoved(IComponentEvent* E) {
    Both(&IComponentListener::ComponentMoved, E);
}
void TAWTEventMulticaster::ComponentShown(IComponentEvent* E) {
    Both(&IComponentListener::ComponentShown, E);
}
void TAWTEventMulticaster::ComponentHidden(IComponentEvent* E) {
    Both(&IComponentListener::ComponentHidden, E);
}
void TAWTEventMulticaster::ComponentAdded(IContainerEvent* E) {
    Both(&IContainerListener::ComponentAdded, E);
}
void TAWTEventMulticaster::ComponentRemoved(IContainerEvent* E) {
    Both(&IContainerListener::ComponentRemoved, E);
}
void TAWTEventMulticaster::FocusGained(IFocusEvent* E) {
    Both(&IFocusListener::FocusGained, E);
}
void TAWTEventMulticaster::FocusLost(IFocusEvent* E) {
    Both(&IFocusListener::FocusLost, E);
}
void TAWTEventMulticaster::KeyTyped(IKeyEvent* E) {
    Both(&IKeyListener::KeyTyped, E);
}
void TAWTEventMulticaster::KeyPressed(IKeyEvent* E) {
    Both(&IKeyListener::KeyPressed, E);
}
void TAWTEventMulticaster::KeyReleased(IKeyEvent* E) {
    Both(&IKeyListener::KeyReleased, E);
}
void TAWTEventMulticaster::MouseClicked(IMouseEvent* E) {
    Both(&IMouseListener::MouseClicked, E);
}
void TAWTEventMulticaster::MousePressed(IMouseEvent* E) {
    Both(&IMouseListener::MousePressed, E);
}
void TAWTEventMulticaster::MouseReleased(IMouseEvent* E) {
    Both(&IMouseListener::MouseReleased, E);
}
void TAWTEventMulticaster::MouseEntered(IMouseEvent* E) {
    Both(&IMouseListener::MouseEntered, E);
}
void TAWTEventMulticaster::MouseExited(IMouseEvent* E) {
    Both(&IMouseListener::MouseExited, E);
}
void TAWTEventMulticaster::MouseDragged(IMouseEvent* E) {
    Both(&IMouseMotionListener::MouseDragged, E);
}
void TAWTEventMulticaster::MouseMoved(IMouseEvent* E) {
    Both(&IMouseMotionListener::MouseMoved, E);
}
void TAWTEventMulticaster::WindowOpened(IWindowEvent* E) {
    Both(&IWindowListener::WindowOpened, E);
}
void TAWTEventMulticaster::WindowClosing(IWindowEvent* E) {
    Both(&IWindowListener::WindowClosing, E);
}
void TAWTEventMulticaster::WindowClosed(IWindowEvent* E) {
    Both(&IWindowListener::WindowClosed, E);
}
void TAWTEventMulticaster::WindowIconified(IWindowEvent* E) {
    Both(&IWindowListener::WindowIconified, E);
}
void TAWTEventMulticaster::WindowDeiconified(IWindowEvent* E) {
    Both(&IWindowListener::WindowDeiconified, E);
}
void TAWTEventMulticaster::WindowActivated(IWindowEvent* E) {
    Both(&IWindowListener::WindowActivated, E);
}
void TAWTEventMulticaster::WindowDeactivated(IWindowEvent* E) {
    Both(&IWindowListener::WindowDeactivated, E);
}
void TAWTEventMulticaster::ActionPerformed(IActionEvent* E) {
    Both(&IActionListener::ActionPerformed, E);
}
void TAWTEventMulticaster::ItemStateChanged(IItemEvent* E) {
    Both(&IItemListener::ItemStateChanged, E);
}
void TAWTEventMulticaster::AdjustmentValueChanged(IAdjustmentEvent* E) {
    Both(&IAdjustmentListener::AdjustmentValueChanged, E);
}
void TAWTEventMulticaster::TextValueChanged(ITextEvent* E) {
    Both(&ITextListener::TextValueChanged, E);
}
