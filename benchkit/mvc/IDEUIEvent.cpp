#include "benchkit/mvc/IDEUIEvent.h"

namespace {

bool BornConsumed(int32_t ID) {
    return ID == ADJUSTMENT_VALUE_CHANGED || ID == ITEM_STATE_CHANGED || ID == TEXT_VALUE_CHANGED ||
           ID == ACTION_PERFORMED;
}

// A new wrapper of the component: the event's source.
IInterface* WrapComponent(TKomponent* Component) {
    return new TTamrelObject(Component);
}

} // namespace

// --- Base, component and container events ------------------------------------------------

TAWTEvent::TAWTEvent(IInterface* Source, int32_t ID)
    : TEventObject(Source), FID(ID), FConsumed(BornConsumed(ID)) {}

HRESULT TAWTEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IAWTEvent>(this, iid, out)) return S_OK;
    return TEventObject::QueryInterface(iid, out);
}

void TAWTEvent::Consume() {
    switch (FID) {
    case KEY_PRESSED:
    case KEY_RELEASED:
    case MOUSE_PRESSED:
    case MOUSE_RELEASED:
    case MOUSE_MOVED:
    case MOUSE_ENTERED:
    case MOUSE_EXITED:
    case MOUSE_DRAGGED:
        FConsumed = true;
        break;
    default:
        break;
    }
}

TComponentEvent::TComponentEvent(TKomponent* Source, int32_t ID)
    : TAWTEvent(WrapComponent(Source), ID), FComponent(Source) {}

HRESULT TComponentEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IComponentEvent>(this, iid, out)) return S_OK;
    return TAWTEvent::QueryInterface(iid, out);
}

TContainerEvent::TContainerEvent(TContainer* Source, int32_t ID, TKomponent* Child)
    : TComponentEvent(Source, ID), FContainer(Source), FChild(Child) {}

HRESULT TContainerEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IContainerEvent>(this, iid, out)) return S_OK;
    return TComponentEvent::QueryInterface(iid, out);
}

HRESULT TFocusEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IFocusEvent>(this, iid, out)) return S_OK;
    return TComponentEvent::QueryInterface(iid, out);
}

HRESULT TWindowEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IWindowEvent>(this, iid, out)) return S_OK;
    return TComponentEvent::QueryInterface(iid, out);
}

HRESULT TDragEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IDragEvent>(this, iid, out)) return S_OK;
    return TComponentEvent::QueryInterface(iid, out);
}

// --- Input events --------------------------------------------------------------------------

HRESULT TInputEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IInputEvent>(this, iid, out)) return S_OK;
    return TComponentEvent::QueryInterface(iid, out);
}

IDEUIEvent::TKeyEvent::TKeyEvent(TKomponent* Source, int32_t ID, TDateTime When, int32_t Modifiers,
                     int32_t KeyCode, char16_t KeyChar)
    : TInputEvent(Source, ID, When, Modifiers), FKeyCode(KeyCode), FKeyChar(KeyChar) {
    if (ID != KEY_TYPED) return;
    if (KeyChar == 0) throw EIllegalArgumentException(u"Invalid KeyChar");
    if (KeyCode != 0) throw EIllegalArgumentException(u"Invalid KeyCode");
}

HRESULT IDEUIEvent::TKeyEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IKeyEvent>(this, iid, out)) return S_OK;
    return TInputEvent::QueryInterface(iid, out);
}

bool IDEUIEvent::TKeyEvent::IsActionKey() {
    // Pause, caps lock, the navigation block, print screen, insert, the
    // function keys F1 to F12, num lock and scroll lock.
    switch (FKeyCode) {
    case 19:
    case 20:
    case 42:
    case 45:
    case 144:
    case 145:
        return true;
    default:
        return (FKeyCode >= 33 && FKeyCode <= 40) || (FKeyCode >= 112 && FKeyCode <= 123);
    }
}

HRESULT IDEUIEvent::TMouseEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IMouseEvent>(this, iid, out)) return S_OK;
    return TInputEvent::QueryInterface(iid, out);
}

void IDEUIEvent::TMouseEvent::TranslatePoint(int32_t DX, int32_t DY) {
    FX += DX;
    FY += DY;
}

// --- Action, adjustment, item and text events ---------------------------------------------

HRESULT TActionEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IActionEvent>(this, iid, out)) return S_OK;
    return TAWTEvent::QueryInterface(iid, out);
}

HRESULT TAdjustmentEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IAdjustmentEvent>(this, iid, out)) return S_OK;
    return TAWTEvent::QueryInterface(iid, out);
}

HRESULT TItemEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemEvent>(this, iid, out)) return S_OK;
    return TAWTEvent::QueryInterface(iid, out);
}

InterfacePtr<IItemSelectable> TItemEvent::GetItemSelectable() {
    return InterfaceCast<IItemSelectable>(FSource.Get());
}

HRESULT TTextEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ITextEvent>(this, iid, out)) return S_OK;
    return TAWTEvent::QueryInterface(iid, out);
}

// --- Adapters ------------------------------------------------------------------------------

#define IDE_ADAPTER_QUERY(adapter, listener)                                                       \
    HRESULT adapter::QueryInterface(REFIID iid, void** out) noexcept {                             \
        if (ProvideInterface<listener, IEventListener>(this, iid, out)) return S_OK;               \
        return TInterfacedObject::QueryInterface(iid, out);                                        \
    }
IDE_ADAPTER_QUERY(TFocusAdapter, IFocusListener)
IDE_ADAPTER_QUERY(TComponentAdapter, IComponentListener)
IDE_ADAPTER_QUERY(TContainerAdapter, IContainerListener)
IDE_ADAPTER_QUERY(TMouseAdapter, IMouseListener)
IDE_ADAPTER_QUERY(TMouseMotionAdapter, IMouseMotionListener)
IDE_ADAPTER_QUERY(TKeyAdapter, IKeyListener)
IDE_ADAPTER_QUERY(TWindowAdapter, IWindowListener)
#undef IDE_ADAPTER_QUERY
