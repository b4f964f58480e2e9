// User-interface events that the peer controls make from window messages,
// the listeners that receive them, and adapters that implement a listener
// with empty operations so that a client overrides only what it needs.
// An event's id says what happened (see the constants below).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEEvent.h"
#include "benchkit/mvc/IDEFixups.h"
#include "benchkit/mvc/IDEUtil.h"

#include <runpak/DateTime.h>
#include <win32/windef.h>

#include <cstdint>

// --- Event ids and modifier bits ------------------------------------------------------

enum : int32_t {
    KEY_TYPED = 400,
    KEY_PRESSED = 401,
    KEY_RELEASED = 402,
    MOUSE_CLICKED = 500,
    MOUSE_PRESSED = 501,
    MOUSE_RELEASED = 502,
    MOUSE_MOVED = 503,
    MOUSE_ENTERED = 504,
    MOUSE_EXITED = 505,
    MOUSE_DRAGGED = 506,
    ADJUSTMENT_VALUE_CHANGED = 601,
    ITEM_STATE_CHANGED = 701,
    TEXT_VALUE_CHANGED = 900,
    ACTION_PERFORMED = 1001,
    FOCUS_GAINED = 1004,
    FOCUS_LOST = 1005,
};

enum : int32_t { SHIFT_MASK = 1, CTRL_MASK = 2, META_MASK = 4, ALT_MASK = 8 };

enum TAdjustableOrientation { aoHorizontal, aoVertical };

struct IAdjustmentListener;
struct IItemListener;

// --- Event interfaces -----------------------------------------------------------------

struct IAWTEvent : virtual IEventObject {
    static constexpr InterfaceID<IAWTEvent> IID_{"{7861BFA3-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual int32_t GetID() = 0;
    virtual void Consume() = 0;
    virtual bool IsConsumed() = 0;

protected:
    ~IAWTEvent() = default;
};

struct IComponentEvent : virtual IAWTEvent {
    static constexpr InterfaceID<IComponentEvent> IID_{"{7861BFA4-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual TKomponent* GetComponent() = 0;

protected:
    ~IComponentEvent() = default;
};

struct IContainerEvent : virtual IAWTEvent {
    static constexpr InterfaceID<IContainerEvent> IID_{"{7861BFA5-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual TContainer* GetContainer() = 0;
    virtual TKomponent* GetChild() = 0;

protected:
    ~IContainerEvent() = default;
};

struct IFocusEvent : virtual IComponentEvent {
    static constexpr InterfaceID<IFocusEvent> IID_{"{7861BFA6-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual bool IsTemporary() = 0;

protected:
    ~IFocusEvent() = default;
};

struct IInputEvent : virtual IComponentEvent {
    static constexpr InterfaceID<IInputEvent> IID_{"{7861BFA7-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual bool IsShiftDown() = 0;
    virtual bool IsControlDown() = 0;
    virtual bool IsMetaDown() = 0;
    virtual bool IsAltDown() = 0;
    virtual TDateTime GetWhen() = 0;
    virtual int32_t GetModifiers() = 0;
    // An input event is consumed whatever its id.
    void Consume() override = 0;
    bool IsConsumed() override = 0;

protected:
    ~IInputEvent() = default;
};

struct IKeyEvent : virtual IInputEvent {
    static constexpr InterfaceID<IKeyEvent> IID_{"{7861BFA8-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual int32_t GetKeyCode() = 0;
    // Listeners may rewrite a key before later listeners see it.
    virtual void SetKeyCode(int32_t KeyCode) = 0;
    virtual void SetKeyChar(char16_t KeyChar) = 0;
    virtual void SetModifiers(int32_t Modifiers) = 0;
    virtual char16_t GetKeyChar() = 0;
    virtual bool IsActionKey() = 0;

protected:
    ~IKeyEvent() = default;
};

struct IMouseEvent : virtual IInputEvent {
    static constexpr InterfaceID<IMouseEvent> IID_{"{7861BFA9-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual int32_t GetX() = 0;
    virtual int32_t GetY() = 0;
    virtual POINT GetPoint() = 0;
    virtual void TranslatePoint(int32_t DX, int32_t DY) = 0;
    virtual int32_t GetClickCount() = 0;
    virtual bool IsPopupTrigger() = 0;

protected:
    ~IMouseEvent() = default;
};

struct IWindowEvent : virtual IComponentEvent {
    static constexpr InterfaceID<IWindowEvent> IID_{"{7861BFAA-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual TWindow* GetWindow() = 0;

protected:
    ~IWindowEvent() = default;
};

struct IActionEvent : virtual IAWTEvent {
    static constexpr InterfaceID<IActionEvent> IID_{"{7861BFAB-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual UnicodeString GetActionCommand() = 0;
    virtual int32_t GetModifiers() = 0;

protected:
    ~IActionEvent() = default;
};

// Something with a value in a range (a scroll bar). Declared for the events
// that carry it.
struct IAdjustable : virtual IInterface {
    static constexpr InterfaceID<IAdjustable> IID_{"{6481FE92-FA18-11D0-AE7E-0020AF32BB01}"};
    virtual TAdjustableOrientation GetOrientation() = 0;
    virtual void SetUnitIncrement(int32_t Value) = 0;
    virtual int32_t GetUnitIncrement() = 0;
    virtual void SetBlockIncrement(int32_t Value) = 0;
    virtual int32_t GetBlockIncrement() = 0;
    virtual void SetMinimum(int32_t Value) = 0;
    virtual int32_t GetMinimum() = 0;
    virtual void SetMaximum(int32_t Value) = 0;
    virtual int32_t GetMaximum() = 0;
    virtual void SetVisibleAmount(int32_t Value) = 0;
    virtual int32_t GetVisibleAmount() = 0;
    virtual void SetValue(int32_t Value) = 0;
    virtual int32_t GetValue() = 0;
    virtual void AddAdjustmentListener(IAdjustmentListener* Listener) = 0;
    virtual void RemoveAdjustmentListener(IAdjustmentListener* Listener) = 0;

protected:
    ~IAdjustable() = default;
};

// Something whose items can be selected. Declared for the events that carry it.
struct IItemSelectable : virtual IInterface {
    static constexpr InterfaceID<IItemSelectable> IID_{"{6481FE94-FA18-11D0-AE7E-0020AF32BB01}"};
    virtual void AddItemListener(IItemListener* Listener) = 0;
    virtual void RemoveItemListener(IItemListener* Listener) = 0;

protected:
    ~IItemSelectable() = default;
};

struct IAdjustmentEvent : virtual IAWTEvent {
    static constexpr InterfaceID<IAdjustmentEvent> IID_{"{7861BFAC-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IAdjustable> GetAdjustable() = 0;
    virtual int32_t GetValue() = 0;
    virtual int32_t GetAdjustmentType() = 0;

protected:
    ~IAdjustmentEvent() = default;
};

struct IItemEvent : virtual IAWTEvent {
    static constexpr InterfaceID<IItemEvent> IID_{"{7861BFAD-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IItemSelectable> GetItemSelectable() = 0;
    virtual TObject* GetItem() = 0;
    virtual int32_t GetStateChange() = 0;

protected:
    ~IItemEvent() = default;
};

struct ITextEvent : virtual IAWTEvent {
    static constexpr InterfaceID<ITextEvent> IID_{"{7861BFAE-1F26-11D1-AEB4-0020AF32BB01}"};

protected:
    ~ITextEvent() = default;
};

struct IDragEvent : virtual IComponentEvent {
    static constexpr InterfaceID<IDragEvent> IID_{"{98B6F762-4CB6-11D1-AEF7-0020AF32BB01}"};

protected:
    ~IDragEvent() = default;
};
// --- Listener interfaces ----------------------------------------------------------------

struct IFocusListener : virtual IEventListener {
    static constexpr InterfaceID<IFocusListener> IID_{"{6481FE96-FA18-11D0-AE7E-0020AF32BB01}"};
    virtual void FocusGained(IFocusEvent* E) = 0;
    virtual void FocusLost(IFocusEvent* E) = 0;

protected:
    ~IFocusListener() = default;
};

struct IComponentListener : virtual IEventListener {
    static constexpr InterfaceID<IComponentListener> IID_{"{848B7C70-077A-11D1-AE96-0020AF32BB01}"};
    virtual void ComponentResized(IComponentEvent* E) = 0;
    virtual void ComponentMoved(IComponentEvent* E) = 0;
    virtual void ComponentShown(IComponentEvent* E) = 0;
    virtual void ComponentHidden(IComponentEvent* E) = 0;

protected:
    ~IComponentListener() = default;
};

struct IContainerListener : virtual IEventListener {
    static constexpr InterfaceID<IContainerListener> IID_{"{848B7C71-077A-11D1-AE96-0020AF32BB01}"};
    virtual void ComponentAdded(IContainerEvent* E) = 0;
    virtual void ComponentRemoved(IContainerEvent* E) = 0;

protected:
    ~IContainerListener() = default;
};

struct IMouseListener : virtual IEventListener {
    static constexpr InterfaceID<IMouseListener> IID_{"{B66767E3-FED2-11D0-AE8B-0020AF32BB01}"};
    virtual void MouseClicked(IMouseEvent* E) = 0;
    virtual void MousePressed(IMouseEvent* E) = 0;
    virtual void MouseReleased(IMouseEvent* E) = 0;
    virtual void MouseEntered(IMouseEvent* E) = 0;
    virtual void MouseExited(IMouseEvent* E) = 0;

protected:
    ~IMouseListener() = default;
};

struct IMouseMotionListener : virtual IEventListener {
    static constexpr InterfaceID<IMouseMotionListener> IID_{
        "{B66767E4-FED2-11D0-AE8B-0020AF32BB01}"};
    virtual void MouseDragged(IMouseEvent* E) = 0;
    virtual void MouseMoved(IMouseEvent* E) = 0;

protected:
    ~IMouseMotionListener() = default;
};

struct IKeyListener : virtual IEventListener {
    static constexpr InterfaceID<IKeyListener> IID_{"{AB3EB0CD-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual void KeyTyped(IKeyEvent* E) = 0;
    virtual void KeyPressed(IKeyEvent* E) = 0;
    virtual void KeyReleased(IKeyEvent* E) = 0;

protected:
    ~IKeyListener() = default;
};

struct IWindowListener : virtual IEventListener {
    static constexpr InterfaceID<IWindowListener> IID_{"{848B7C72-077A-11D1-AE96-0020AF32BB01}"};
    virtual void WindowOpened(IWindowEvent* E) = 0;
    virtual void WindowClosing(IWindowEvent* E) = 0;
    virtual void WindowClosed(IWindowEvent* E) = 0;
    virtual void WindowIconified(IWindowEvent* E) = 0;
    virtual void WindowDeiconified(IWindowEvent* E) = 0;
    virtual void WindowActivated(IWindowEvent* E) = 0;
    virtual void WindowDeactivated(IWindowEvent* E) = 0;

protected:
    ~IWindowListener() = default;
};

struct IActionListener : virtual IEventListener {
    static constexpr InterfaceID<IActionListener> IID_{"{EBDF7DD4-F955-11D0-9AD3-0000C0091B45}"};
    virtual void ActionPerformed(IActionEvent* E) = 0;

protected:
    ~IActionListener() = default;
};

struct IAdjustmentListener : virtual IEventListener {
    static constexpr InterfaceID<IAdjustmentListener> IID_{
        "{6481FE93-FA18-11D0-AE7E-0020AF32BB01}"};
    virtual void AdjustmentValueChanged(IAdjustmentEvent* E) = 0;

protected:
    ~IAdjustmentListener() = default;
};

struct IItemListener : virtual IEventListener {
    static constexpr InterfaceID<IItemListener> IID_{"{6481FE95-FA18-11D0-AE7E-0020AF32BB01}"};
    virtual void ItemStateChanged(IItemEvent* E) = 0;

protected:
    ~IItemListener() = default;
};

struct ITextListener : virtual IEventListener {
    static constexpr InterfaceID<ITextListener> IID_{"{848B7C73-077A-11D1-AE96-0020AF32BB01}"};
    virtual void TextValueChanged(ITextEvent* E) = 0;

protected:
    ~ITextListener() = default;
};

// Drag ids 2000 to 2005, one operation each, in this order.
struct IDragListener : virtual IEventListener {
    static constexpr InterfaceID<IDragListener> IID_{"{98B6F761-4CB6-11D1-AEF7-0020AF32BB01}"};
    virtual void DragEntered(IDragEvent* E) = 0;
    virtual void DragExited(IDragEvent* E) = 0;
    virtual void DragMoved(IDragEvent* E) = 0;
    virtual void DragDropped(IDragEvent* E) = 0;
    virtual void DragCancelled(IDragEvent* E) = 0;
    virtual void DragTargeted(IDragEvent* E) = 0;

protected:
    ~IDragListener() = default;
};

// --- Event classes ----------------------------------------------------------------------

class TAWTEvent : public TEventObject, public virtual IAWTEvent {
public:
    // Adjustment, item, text and action events are born consumed.
    TAWTEvent(IInterface* Source, int32_t ID);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int32_t GetID() override { return FID; }
    // Marks the event consumed only for key presses and releases and mouse
    // events other than clicks.
    void Consume() override;
    bool IsConsumed() override { return FConsumed; }

protected:
    int32_t FID;
    bool FConsumed = false;
};

// The source of a component event is a TTamrelObject wrapping the component.
class TComponentEvent : public TAWTEvent, public virtual IComponentEvent {
public:
    TComponentEvent(TKomponent* Source, int32_t ID);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TKomponent* GetComponent() override { return FComponent; }

protected:
    TKomponent* FComponent;
};

class TContainerEvent : public TComponentEvent, public virtual IContainerEvent {
public:
    TContainerEvent(TContainer* Source, int32_t ID, TKomponent* Child);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TContainer* GetContainer() override { return FContainer; }
    TKomponent* GetChild() override { return FChild; }

private:
    TContainer* FContainer;
    TKomponent* FChild;
};

class TFocusEvent : public TComponentEvent, public virtual IFocusEvent {
public:
    TFocusEvent(TKomponent* Source, int32_t ID, bool Temporary = false)
        : TComponentEvent(Source, ID), FTemporary(Temporary) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    bool IsTemporary() override { return FTemporary; }

private:
    bool FTemporary;
};

class TInputEvent : public TComponentEvent, public virtual IInputEvent {
public:
    TInputEvent(TKomponent* Source, int32_t ID, TDateTime When, int32_t Modifiers)
        : TComponentEvent(Source, ID), FWhen(When), FModifiers(Modifiers) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    bool IsShiftDown() override { return FModifiers & SHIFT_MASK; }
    bool IsControlDown() override { return FModifiers & CTRL_MASK; }
    bool IsMetaDown() override { return FModifiers & META_MASK; }
    bool IsAltDown() override { return FModifiers & ALT_MASK; }
    TDateTime GetWhen() override { return FWhen; }
    int32_t GetModifiers() override { return FModifiers; }
    void Consume() override { FConsumed = true; }
    bool IsConsumed() override { return FConsumed; }

protected:
    TDateTime FWhen;
    int32_t FModifiers;
};

// The framework names its key and mouse handler types TKeyEvent and
// TMouseEvent too; these event classes are spelled with their unit's name,
// IDEUIEvent::TKeyEvent, wherever both are in sight.
namespace IDEUIEvent {

class TKeyEvent : public TInputEvent, public virtual IKeyEvent {
public:
    // A key-typed event (400) needs a character and no key code:
    // EIllegalArgumentException "Invalid KeyChar" or "Invalid KeyCode".
    TKeyEvent(TKomponent* Source, int32_t ID, TDateTime When, int32_t Modifiers, int32_t KeyCode,
              char16_t KeyChar);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int32_t GetKeyCode() override { return FKeyCode; }
    void SetKeyCode(int32_t KeyCode) override { FKeyCode = KeyCode; }
    void SetKeyChar(char16_t KeyChar) override { FKeyChar = KeyChar; }
    void SetModifiers(int32_t Modifiers) override { FModifiers = Modifiers; }
    char16_t GetKeyChar() override { return FKeyChar; }
    bool IsActionKey() override;

private:
    int32_t FKeyCode;
    char16_t FKeyChar;
};

class TMouseEvent : public TInputEvent, public virtual IMouseEvent {
public:
    TMouseEvent(TKomponent* Source, int32_t ID, TDateTime When, int32_t Modifiers, int32_t X,
                int32_t Y, int32_t ClickCount, bool PopupTrigger)
        : TInputEvent(Source, ID, When, Modifiers), FX(X), FY(Y), FClickCount(ClickCount),
          FPopupTrigger(PopupTrigger) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int32_t GetX() override { return FX; }
    int32_t GetY() override { return FY; }
    POINT GetPoint() override { return {FX, FY}; }
    void TranslatePoint(int32_t DX, int32_t DY) override;
    int32_t GetClickCount() override { return FClickCount; }
    bool IsPopupTrigger() override { return FPopupTrigger; }

private:
    int32_t FX, FY, FClickCount;
    bool FPopupTrigger;
};

} // namespace IDEUIEvent

class TWindowEvent : public TComponentEvent, public virtual IWindowEvent {
public:
    TWindowEvent(TWindow* Source, int32_t ID) : TComponentEvent(Source, ID), FWindow(Source) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TWindow* GetWindow() override { return FWindow; }

private:
    TWindow* FWindow;
};

class TActionEvent : public TAWTEvent, public virtual IActionEvent {
public:
    TActionEvent(IInterface* Source, int32_t ID, UnicodeString Command, int32_t Modifiers = 0)
        : TAWTEvent(Source, ID), FActionCommand(std::move(Command)), FModifiers(Modifiers) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    UnicodeString GetActionCommand() override { return FActionCommand; }
    int32_t GetModifiers() override { return FModifiers; }

private:
    UnicodeString FActionCommand;
    int32_t FModifiers;
};

class TAdjustmentEvent : public TAWTEvent, public virtual IAdjustmentEvent {
public:
    TAdjustmentEvent(IAdjustable* Source, int32_t ID, int32_t AdjustmentType, int32_t Value)
        : TAWTEvent(Source, ID), FAdjustable(Source), FAdjustmentType(AdjustmentType),
          FValue(Value) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IAdjustable> GetAdjustable() override { return FAdjustable; }
    int32_t GetValue() override { return FValue; }
    int32_t GetAdjustmentType() override { return FAdjustmentType; }

private:
    InterfacePtr<IAdjustable> FAdjustable;
    int32_t FAdjustmentType, FValue;
};

// The source is the object behind Source; GetItemSelectable asks it again.
class TItemEvent : public TAWTEvent, public virtual IItemEvent {
public:
    TItemEvent(IItemSelectable* Source, int32_t ID, TObject* Item, int32_t StateChange)
        : TAWTEvent(Source, ID), FItem(Item), FStateChange(StateChange) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IItemSelectable> GetItemSelectable() override;
    TObject* GetItem() override { return FItem; }
    int32_t GetStateChange() override { return FStateChange; }

private:
    TObject* FItem; // not owned
    int32_t FStateChange;
};

class TTextEvent : public TAWTEvent, public virtual ITextEvent {
public:
    using TAWTEvent::TAWTEvent;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
};

class TDragEvent : public TComponentEvent, public virtual IDragEvent {
public:
    using TComponentEvent::TComponentEvent;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
};

// --- Adapters: every operation does nothing -----------------------------------------------

class TFocusAdapter : public TInterfacedObject, public IFocusListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void FocusGained(IFocusEvent* E) override {}
    void FocusLost(IFocusEvent* E) override {}
};

class TComponentAdapter : public TInterfacedObject, public IComponentListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void ComponentResized(IComponentEvent* E) override {}
    void ComponentMoved(IComponentEvent* E) override {}
    void ComponentShown(IComponentEvent* E) override {}
    void ComponentHidden(IComponentEvent* E) override {}
};

class TContainerAdapter : public TInterfacedObject, public IContainerListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void ComponentAdded(IContainerEvent* E) override {}
    void ComponentRemoved(IContainerEvent* E) override {}
};

class TMouseAdapter : public TInterfacedObject, public IMouseListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void MouseClicked(IMouseEvent* E) override {}
    void MousePressed(IMouseEvent* E) override {}
    void MouseReleased(IMouseEvent* E) override {}
    void MouseEntered(IMouseEvent* E) override {}
    void MouseExited(IMouseEvent* E) override {}
};

class TMouseMotionAdapter : public TInterfacedObject, public IMouseMotionListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void MouseDragged(IMouseEvent* E) override {}
    void MouseMoved(IMouseEvent* E) override {}
};

class TKeyAdapter : public TInterfacedObject, public IKeyListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void KeyTyped(IKeyEvent* E) override {}
    void KeyPressed(IKeyEvent* E) override {}
    void KeyReleased(IKeyEvent* E) override {}
};

class TWindowAdapter : public TInterfacedObject, public IWindowListener {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    void WindowOpened(IWindowEvent* E) override {}
    void WindowClosing(IWindowEvent* E) override {}
    void WindowClosed(IWindowEvent* E) override {}
    void WindowIconified(IWindowEvent* E) override {}
    void WindowDeiconified(IWindowEvent* E) override {}
    void WindowActivated(IWindowEvent* E) override {}
    void WindowDeactivated(IWindowEvent* E) override {}
};

#pragma GCC visibility pop
