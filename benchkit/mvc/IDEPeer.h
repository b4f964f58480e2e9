// Peer controls: framework controls that turn the window messages they get
// into UI events, filter them by an event mask and by the listeners
// registered, and deliver each to a method-pointer event and to the
// listener slot of its kind. The panel (TJPanel, TBeanPanel), the scroll
// panes (TScrollBox2, TJScrollPane, TScrollPane) and the text fields
// (TJTextField, TTextField) share one mechanism, TPeer; the "bean" layer,
// TBeanPeer, adds focus awareness, action listeners and per-event hooks.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEItem.h"
#include "benchkit/mvc/IDEMulticast.h"
#include "benchkit/mvc/IDEUIEvent.h"

#include <quorlpak/CustomControl.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/Form.h>
#include <quorlpak/ScrollingWinControl.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/DateTime.h>
#include <win32/winuser.h>

#include <functional>

// Bits of the event mask: the kinds processed even without a listener.
enum : int32_t {
    COMPONENT_EVENT_MASK = 1,
    CONTAINER_EVENT_MASK = 2,
    FOCUS_EVENT_MASK = 4,
    KEY_EVENT_MASK = 8,
    MOUSE_EVENT_MASK = 16,
    MOUSE_MOTION_EVENT_MASK = 32,
    DRAG_EVENT_MASK = 0x800,
};

// Ids of the component, container and drag events.
enum : int32_t {
    COMPONENT_MOVED = 100,
    COMPONENT_RESIZED = 101,
    COMPONENT_SHOWN = 102,
    COMPONENT_HIDDEN = 103,
    COMPONENT_ADDED = 300,
    COMPONENT_REMOVED = 301,
    DRAG_ENTERED = 2000,
    DRAG_EXITED = 2001,
    DRAG_MOVED = 2002,
    DRAG_DROPPED = 2003,
    DRAG_CANCELLED = 2004,
    DRAG_TARGETED = 2005,
};

using TOnComponentEvent = std::function<void(IComponentEvent* E)>;
using TOnContainerEvent = std::function<void(IContainerEvent* E)>;
using TOnFocusEvent = std::function<void(IFocusEvent* E)>;
using TOnKeyEvent = std::function<void(IKeyEvent* E)>;
using TOnMouseEvent = std::function<void(IMouseEvent* E)>;
using TOnWindowEvent = std::function<void(IWindowEvent* E)>;
using TOnItemEvent = std::function<void(IItemEvent* E)>;
using TOnAdjustmentEvent = std::function<void(IAdjustmentEvent* E)>;
using TOnTextEvent = std::function<void(ITextEvent* E)>;
using TOnDragEvent = std::function<void(IDragEvent* E)>;
using TOnActionEvent = std::function<void(IActionEvent* E)>;

namespace PeerDetail {

// The character a key down or up stands for: the key code itself for Tab,
// Enter, Escape, Space, digits and letters, else 0.
char16_t KeyCharOfKey(WPARAM Key);
// Shift 1, Ctrl 2, Alt 8.
int32_t KeyModifiers(LPARAM KeyData);
// From MK_ flags: Shift 1, Ctrl 2, right button 4, middle 8, left 16.
int32_t MouseModifiers(WPARAM Keys);
// From a framework shift state, the same bits (Alt is not reported).
int32_t ShiftModifiers(TShiftState Shift);
int32_t ButtonModifier(TMouseButton Button);

// A listener slot after adding or removing L, as the slot's interface.
template <class I> InterfacePtr<I> SlotAs(const InterfacePtr<IEventListener>& L) {
    if (!L) return nullptr;
    return InterfaceCast<I>(L.Get());
}

} // namespace PeerDetail

// The event mechanism over a framework control. WithGeometry: the control
// also reports its moves, sizes, visibility, children and drags (the scroll
// panes and text fields); MouseByHandlers: button and move events come from
// the framework's mouse handlers instead of the window procedure (the
// scroll panes).
template <class Base, bool WithGeometry, bool MouseByHandlers> class TPeer : public Base {
public:
    explicit TPeer(TComponent* AOwner) : Base(AOwner) {}

    // Counted like an interface, but the control's life is its owner's.
    ULONG AddRef() noexcept override { return ULONG(++FRefCount); }
    ULONG Release() noexcept override {
        if (--FRefCount <= 0) {
            FRefCount = 0;
            return 0;
        }
        return ULONG(FRefCount);
    }

    void DispatchEvent(IAWTEvent* E) { DispatchEventImpl(E); }
    void EnableEvents(int32_t Mask) { FEventMask |= Mask; }
    void DisableEvents(int32_t Mask) { FEventMask &= ~Mask; }
    int32_t GetEventMask() const { return FEventMask; }

    virtual void AddNotify() {}
    virtual TDimension GetPreferredSize() { return Dimension(0, 0); }

    virtual void AddComponentListener(IComponentListener* L) { Chain(FComponentListener, L); }
    virtual void RemoveComponentListener(IComponentListener* L) { Unchain(FComponentListener, L); }
    virtual void AddContainerListener(IContainerListener* L) { Chain(FContainerListener, L); }
    virtual void RemoveContainerListener(IContainerListener* L) { Unchain(FContainerListener, L); }
    virtual void AddFocusListener(IFocusListener* L) { Chain(FFocusListener, L); }
    virtual void RemoveFocusListener(IFocusListener* L) { Unchain(FFocusListener, L); }
    virtual void AddKeyListener(IKeyListener* L) { Chain(FKeyListener, L); }
    virtual void RemoveKeyListener(IKeyListener* L) { Unchain(FKeyListener, L); }
    virtual void AddMouseListener(IMouseListener* L) { Chain(FMouseListener, L); }
    virtual void RemoveMouseListener(IMouseListener* L) { Unchain(FMouseListener, L); }
    virtual void AddMouseMotionListener(IMouseMotionListener* L) { Chain(FMouseMotionListener, L); }
    virtual void RemoveMouseMotionListener(IMouseMotionListener* L) {
        Unchain(FMouseMotionListener, L);
    }
    // The multicaster has no drag-listener interface, so the slot holds
    // one listener: a second one is an interface-cast error.
    virtual void AddDragListener(IDragListener* L) { Chain(FDragListener, L); }
    virtual void RemoveDragListener(IDragListener* L) { Unchain(FDragListener, L); }

    // The item paint site's operations that views use.
    TColor GetBackground() { return this->GetColor(); }
    void SetBackground(TColor Value) { this->SetColor(Value); }
    TColor GetForeground() { return this->GetFont()->GetColor(); }
    void SetForeground(TColor Value) { this->GetFont()->SetColor(Value); }
    TAlignmentSet GetAlignment() { return AlignToAlignment(this->GetAlign()); }
    // A new object, owned by the caller.
    TInsets* GetItemMargins() { return new TInsets(4, 4, 4, 4); }

    bool IsShowing() { return this->GetShowing(); }
    bool IsVisible() { return this->GetVisible(); }
    bool IsEnabled() { return this->GetEnabled(); }
    void RequestFocus() { this->SetFocus(); }
    void Add(TKomponent* Child) { Child->SetParent(this); }
    void Remove(TKomponent* Child) { Child->SetParent(nullptr); }

    TOnComponentEvent OnComponentResized, OnComponentMoved, OnComponentShown, OnComponentHidden;
    TOnContainerEvent OnComponentAdded, OnComponentRemoved;
    TOnFocusEvent OnFocusGained, OnFocusLost;
    TOnKeyEvent OnKeyPressed, OnKeyReleased, OnKeyTyped;
    TOnMouseEvent OnMousePressed, OnMouseReleased, OnMouseClicked, OnMouseEntered, OnMouseExited,
        OnMouseMoved, OnMouseDragged;
    TOnWindowEvent OnWindowOpened, OnWindowClosing, OnWindowClosed, OnWindowIconified,
        OnWindowDeiconified, OnWindowActivated, OnWindowDeactivated;
    TOnItemEvent OnItemStateChanged;
    TOnAdjustmentEvent OnAdjustmentValueChanged;
    TOnTextEvent OnTextValueChanged;
    TOnDragEvent OnDragEntered, OnDragExited, OnDragMoved, OnDragDropped, OnDragCancelled,
        OnDragTargeted;

protected:
    virtual void DispatchEventImpl(IAWTEvent* E) {
        if (EventEnabled(E)) ProcessEvent(E);
    }

    virtual bool EventEnabled(IAWTEvent* E) {
        int32_t id = E->GetID();
        if (id >= COMPONENT_MOVED && id <= COMPONENT_HIDDEN)
            return (FEventMask & COMPONENT_EVENT_MASK) || FComponentListener;
        if (id >= KEY_TYPED && id <= KEY_RELEASED)
            return (FEventMask & KEY_EVENT_MASK) || FKeyListener;
        if (id == MOUSE_MOVED || id == MOUSE_DRAGGED)
            return (FEventMask & MOUSE_MOTION_EVENT_MASK) || FMouseMotionListener;
        if (id >= MOUSE_CLICKED && id <= MOUSE_EXITED)
            return (FEventMask & MOUSE_EVENT_MASK) || FMouseListener;
        if (id == FOCUS_GAINED || id == FOCUS_LOST)
            return (FEventMask & FOCUS_EVENT_MASK) || FFocusListener;
        if constexpr (WithGeometry) {
            if (id == COMPONENT_ADDED || id == COMPONENT_REMOVED)
                return (FEventMask & CONTAINER_EVENT_MASK) || FContainerListener;
            if (id >= DRAG_ENTERED && id <= DRAG_TARGETED)
                return (FEventMask & DRAG_EVENT_MASK) || FDragListener;
        }
        return id >= 2000;
    }

    virtual void ProcessEvent(IAWTEvent* E) {
        if constexpr (WithGeometry) {
            if (InterfacePtr<IDragEvent> d; Supports(E, d)) return ProcessDragEvent(d.Get());
        }
        if (InterfacePtr<IFocusEvent> f; Supports(E, f)) return ProcessFocusEvent(f.Get());
        if (InterfacePtr<IMouseEvent> m; Supports(E, m)) {
            int32_t id = m->GetID();
            if (id == MOUSE_MOVED || id == MOUSE_DRAGGED)
                ProcessMouseMotionEvent(m.Get());
            else if ((id >= MOUSE_CLICKED && id <= MOUSE_RELEASED) || id == MOUSE_ENTERED ||
                     id == MOUSE_EXITED)
                ProcessMouseEvent(m.Get());
            return;
        }
        if (InterfacePtr<IKeyEvent> k; Supports(E, k)) return ProcessKeyEvent(k.Get());
        if (InterfacePtr<IContainerEvent> c; Supports(E, c)) return ProcessContainerEvent(c.Get());
        if (InterfacePtr<IComponentEvent> c; Supports(E, c)) return ProcessComponentEvent(c.Get());
    }

    virtual void ProcessComponentEvent(IComponentEvent* E) {
        switch (E->GetID()) {
        case COMPONENT_MOVED:
            Deliver(OnComponentMoved, FComponentListener, &IComponentListener::ComponentMoved, E);
            break;
        case COMPONENT_RESIZED:
            Deliver(OnComponentResized, FComponentListener, &IComponentListener::ComponentResized,
                    E);
            break;
        case COMPONENT_SHOWN:
            Deliver(OnComponentShown, FComponentListener, &IComponentListener::ComponentShown, E);
            break;
        case COMPONENT_HIDDEN:
            Deliver(OnComponentHidden, FComponentListener, &IComponentListener::ComponentHidden, E);
            break;
        }
    }

    virtual void ProcessContainerEvent(IContainerEvent* E) {
        switch (E->GetID()) {
        case COMPONENT_ADDED:
            Deliver(OnComponentAdded, FContainerListener, &IContainerListener::ComponentAdded, E);
            break;
        case COMPONENT_REMOVED:
            Deliver(OnComponentRemoved, FContainerListener, &IContainerListener::ComponentRemoved,
                    E);
            break;
        }
    }

    virtual void ProcessFocusEvent(IFocusEvent* E) {
        switch (E->GetID()) {
        case FOCUS_GAINED:
            Deliver(OnFocusGained, FFocusListener, &IFocusListener::FocusGained, E);
            break;
        case FOCUS_LOST:
            Deliver(OnFocusLost, FFocusListener, &IFocusListener::FocusLost, E);
            break;
        }
    }

    virtual void ProcessKeyEvent(IKeyEvent* E) {
        switch (E->GetID()) {
        case KEY_TYPED:
            Deliver(OnKeyTyped, FKeyListener, &IKeyListener::KeyTyped, E);
            break;
        case KEY_PRESSED:
            Deliver(OnKeyPressed, FKeyListener, &IKeyListener::KeyPressed, E);
            break;
        case KEY_RELEASED:
            Deliver(OnKeyReleased, FKeyListener, &IKeyListener::KeyReleased, E);
            break;
        }
    }

    virtual void ProcessMouseEvent(IMouseEvent* E) {
        switch (E->GetID()) {
        case MOUSE_CLICKED:
            Deliver(OnMouseClicked, FMouseListener, &IMouseListener::MouseClicked, E);
            break;
        case MOUSE_PRESSED:
            Deliver(OnMousePressed, FMouseListener, &IMouseListener::MousePressed, E);
            break;
        case MOUSE_RELEASED:
            Deliver(OnMouseReleased, FMouseListener, &IMouseListener::MouseReleased, E);
            break;
        case MOUSE_ENTERED:
            Deliver(OnMouseEntered, FMouseListener, &IMouseListener::MouseEntered, E);
            break;
        case MOUSE_EXITED:
            Deliver(OnMouseExited, FMouseListener, &IMouseListener::MouseExited, E);
            break;
        }
    }

    virtual void ProcessMouseMotionEvent(IMouseEvent* E) {
        switch (E->GetID()) {
        case MOUSE_MOVED:
            Deliver(OnMouseMoved, FMouseMotionListener, &IMouseMotionListener::MouseMoved, E);
            break;
        case MOUSE_DRAGGED:
            Deliver(OnMouseDragged, FMouseMotionListener, &IMouseMotionListener::MouseDragged, E);
            break;
        }
    }

    virtual void ProcessDragEvent(IDragEvent* E) {
        using L = IDragListener;
        switch (E->GetID()) {
        case DRAG_ENTERED:
            Deliver(OnDragEntered, FDragListener, &L::DragEntered, E);
            break;
        case DRAG_EXITED:
            Deliver(OnDragExited, FDragListener, &L::DragExited, E);
            break;
        case DRAG_MOVED:
            Deliver(OnDragMoved, FDragListener, &L::DragMoved, E);
            break;
        case DRAG_DROPPED:
            Deliver(OnDragDropped, FDragListener, &L::DragDropped, E);
            break;
        case DRAG_CANCELLED:
            Deliver(OnDragCancelled, FDragListener, &L::DragCancelled, E);
            break;
        case DRAG_TARGETED:
            Deliver(OnDragTargeted, FDragListener, &L::DragTargeted, E);
            break;
        }
    }

    void CreateWnd() override {
        Base::CreateWnd();
        GetPreferredSize(); // asked once the window exists; the answer is not kept
        AddNotify();
    }

    // Messages become events before the framework's own processing, which
    // always follows (a consumed event changes nothing here).
    void WndProc(TMessage& Message) override {
        if (!TranslateMessage(Message)) return;
        Base::WndProc(Message);
    }

    // False: the message is swallowed (no default processing).
    virtual bool TranslateMessage(TMessage& Message) {
        using namespace PeerDetail;
        const UINT msg = Message.Msg;
        switch (msg) {
        case WM_SETFOCUS:
            if (TCustomForm* form = this->GetParentForm(); form && !form->SetFocusedControl(this))
                return false;
            Send(new TFocusEvent(this, FOCUS_GAINED, false));
            return true;
        case WM_KILLFOCUS:
            if (this->GetControlState().Contains(csFocusing)) return false;
            Send(new TFocusEvent(this, FOCUS_LOST, false));
            return true;
        case WM_KEYDOWN:
        case WM_KEYUP:
            Send(new IDEUIEvent::TKeyEvent(this, msg == WM_KEYDOWN ? KEY_PRESSED : KEY_RELEASED,
                                           Now(), KeyModifiers(Message.LParam),
                                           int32_t(Message.WParam), KeyCharOfKey(Message.WParam)));
            return true;
        case WM_CHAR:
            // Ctrl+@ types character 0, which no key-typed event can carry;
            // the edit control still gets its message.
            if (char16_t ch = char16_t(Message.WParam & 0xFFFF); ch != 0)
                Send(new IDEUIEvent::TKeyEvent(this, KEY_TYPED, Now(), KeyModifiers(Message.LParam),
                                               0, ch));
            return true;
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
            Send(Mouse(msg == CM_MOUSEENTER ? MOUSE_ENTERED : MOUSE_EXITED, Message, 1, false));
            return true;
        }
        if constexpr (!MouseByHandlers) {
            switch (msg) {
            case WM_MOUSEMOVE:
                Send(Mouse(this->GetControlState().Contains(csLButtonDown) ? MOUSE_DRAGGED
                                                                           : MOUSE_MOVED,
                           Message, 1, false));
                return true;
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
                Send(Mouse(MOUSE_PRESSED, Message, 1, false));
                return true;
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP: {
                const bool right = msg == WM_RBUTTONUP;
                POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
                TRect client = this->GetClientRect();
                if (p.x >= client.left && p.x < client.right && p.y >= client.top &&
                    p.y < client.bottom)
                    Send(Mouse(MOUSE_CLICKED, Message, 1, right));
                Send(Mouse(MOUSE_RELEASED, Message, 1, right));
                return true;
            }
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDBLCLK:
            case WM_MBUTTONDBLCLK:
                Send(Mouse(MOUSE_PRESSED, Message, 2, msg == WM_RBUTTONDBLCLK));
                return true;
            }
        }
        if constexpr (WithGeometry) {
            switch (msg) {
            case WM_WINDOWPOSCHANGED: {
                auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
                if (pos && !(pos->flags & SWP_NOMOVE))
                    Send(new TComponentEvent(this, COMPONENT_MOVED));
                if (pos && !(pos->flags & SWP_NOSIZE))
                    Send(new TComponentEvent(this, COMPONENT_RESIZED));
                return true;
            }
            case CM_VISIBLECHANGED:
                Send(new TComponentEvent(this,
                                         this->GetVisible() ? COMPONENT_SHOWN : COMPONENT_HIDDEN));
                return true;
            case CM_CONTROLLISTCHANGE:
                if (Message.LParam == 0)
                    Send(new TContainerEvent(this, COMPONENT_REMOVED,
                                             reinterpret_cast<TControl*>(Message.WParam)));
                return true;
            case CM_CONTROLCHANGE:
                if (Message.LParam == 1)
                    Send(new TContainerEvent(this, COMPONENT_ADDED,
                                             reinterpret_cast<TControl*>(Message.WParam)));
                return true;
            case CM_DRAG:
                Send(new TDragEvent(this, DRAG_ENTERED + int32_t(Message.WParam & 0xFF)));
                return true;
            case WM_GETDLGCODE:
                Base::WndProc(Message);
                Message.Result |= DLGC_WANTARROWS;
                return false;
            }
        }
        return true;
    }

    // Sends a new event through DispatchEvent and lets it go afterwards.
    void Send(IAWTEvent* E) {
        InterfacePtr<IAWTEvent> hold(E);
        DispatchEvent(E);
    }

    IAWTEvent* Mouse(int32_t ID, const TMessage& Message, int32_t ClickCount, bool PopupTrigger) {
        return new IDEUIEvent::TMouseEvent(
            this, ID, Now(), PeerDetail::MouseModifiers(Message.WParam),
            GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam), ClickCount, PopupTrigger);
    }

    int32_t FRefCount = 0;
    int32_t FEventMask = 0;
    InterfacePtr<IComponentListener> FComponentListener;
    InterfacePtr<IContainerListener> FContainerListener;
    InterfacePtr<IFocusListener> FFocusListener;
    InterfacePtr<IKeyListener> FKeyListener;
    InterfacePtr<IMouseListener> FMouseListener;
    InterfacePtr<IMouseMotionListener> FMouseMotionListener;
    InterfacePtr<IDragListener> FDragListener;

private:
    // The method-pointer event first, then the slot's listener; an exception
    // from either ends the delivery there.
    template <class F, class I, class E>
    static void Deliver(const F& Event, const InterfacePtr<I>& Slot, void (I::*Operation)(E*),
                        E* Arg) {
        if (Event) Event(Arg);
        if (InterfacePtr<I> keep = Slot) (keep.Get()->*Operation)(Arg);
    }
    template <class I> static void Chain(InterfacePtr<I>& Slot, I* L) {
        Slot = PeerDetail::SlotAs<I>(TAWTEventMulticaster::Add(Slot.Get(), L));
    }
    template <class I> static void Unchain(InterfacePtr<I>& Slot, I* L) {
        Slot = PeerDetail::SlotAs<I>(TAWTEventMulticaster::Remove(Slot.Get(), L));
    }
};

// Focus awareness, action listeners and per-event hooks over a peer.
template <class JBase> class TBeanPeer : public JBase {
public:
    TBeanPeer(TComponent* AOwner, int32_t EventMask) : JBase(AOwner) {
        this->EnableEvents(EventMask); // so the hooks run without listeners
    }

    virtual void AddActionListener(IActionListener* L) {
        if (!FActionAdapter) FActionAdapter = new TActionMulticaster;
        FActionAdapter->Add(L);
    }
    virtual void RemoveActionListener(IActionListener* L) {
        if (FActionAdapter) FActionAdapter->Remove(L);
    }
    virtual bool IsFocusAware() { return FFocusAware; }
    virtual void SetFocusAware(bool Value) { FFocusAware = Value; }
    virtual TDimension GetMinimumSize() { return this->GetPreferredSize(); }
    virtual bool IsFocusTraversable() { return FFocusAware; }
    TItemState GetFocusState() const { return FFocusState; }

    // Descendants fire action events here: the filter never passes them.
    virtual void ProcessActionEvent(IActionEvent* E) {
        if (OnActionPerformed) OnActionPerformed(E);
        if (InterfacePtr<TActionMulticaster> keep = FActionAdapter) keep->Dispatch(E);
    }

    TOnActionEvent OnActionPerformed;

protected:
    virtual void ProcessKeyPressed(IKeyEvent* E) {}
    virtual void ProcessKeyReleased(IKeyEvent* E) {}
    virtual void ProcessKeyTyped(IKeyEvent* E) {}
    virtual void ProcessMousePressed(IMouseEvent* E) {
        if (E->GetClickCount() == 1 && IsFocusTraversable()) this->RequestFocus();
    }
    virtual void ProcessMouseReleased(IMouseEvent* E) {}
    virtual void ProcessMouseClicked(IMouseEvent* E) {}
    virtual void ProcessMouseEntered(IMouseEvent* E) {}
    virtual void ProcessMouseExited(IMouseEvent* E) {}
    virtual void ProcessMouseMoved(IMouseEvent* E) {}
    virtual void ProcessMouseDragged(IMouseEvent* E) {}
    virtual void ProcessDragEntered(IDragEvent* E) {}
    virtual void ProcessDragExited(IDragEvent* E) {}
    virtual void ProcessDragMoved(IDragEvent* E) {}
    virtual void ProcessDragDropped(IDragEvent* E) {}
    virtual void ProcessDragCancelled(IDragEvent* E) {}
    virtual void ProcessDragTargeted(IDragEvent* E) {}

    void ProcessEvent(IAWTEvent* E) override {
        if (InterfacePtr<IActionEvent> a; Supports(E, a)) return ProcessActionEvent(a.Get());
        JBase::ProcessEvent(E);
    }
    void ProcessKeyEvent(IKeyEvent* E) override {
        switch (E->GetID()) {
        case KEY_TYPED:
            ProcessKeyTyped(E);
            break;
        case KEY_PRESSED:
            ProcessKeyPressed(E);
            break;
        case KEY_RELEASED:
            ProcessKeyReleased(E);
            break;
        }
        JBase::ProcessKeyEvent(E);
    }
    void ProcessMouseEvent(IMouseEvent* E) override {
        switch (E->GetID()) {
        case MOUSE_CLICKED:
            ProcessMouseClicked(E);
            break;
        case MOUSE_PRESSED:
            ProcessMousePressed(E);
            break;
        case MOUSE_RELEASED:
            ProcessMouseReleased(E);
            break;
        case MOUSE_ENTERED:
            ProcessMouseEntered(E);
            break;
        case MOUSE_EXITED:
            ProcessMouseExited(E);
            break;
        }
        JBase::ProcessMouseEvent(E);
    }
    void ProcessMouseMotionEvent(IMouseEvent* E) override {
        if (E->GetID() == MOUSE_MOVED)
            ProcessMouseMoved(E);
        else if (E->GetID() == MOUSE_DRAGGED)
            ProcessMouseDragged(E);
        JBase::ProcessMouseMotionEvent(E);
    }
    void ProcessDragEvent(IDragEvent* E) override {
        switch (E->GetID()) {
        case DRAG_ENTERED:
            ProcessDragEntered(E);
            break;
        case DRAG_EXITED:
            ProcessDragExited(E);
            break;
        case DRAG_MOVED:
            ProcessDragMoved(E);
            break;
        case DRAG_DROPPED:
            ProcessDragDropped(E);
            break;
        case DRAG_CANCELLED:
            ProcessDragCancelled(E);
            break;
        case DRAG_TARGETED:
            ProcessDragTargeted(E);
            break;
        }
        JBase::ProcessDragEvent(E);
    }
    void ProcessFocusEvent(IFocusEvent* E) override {
        if (FFocusAware) {
            if (E->GetID() == FOCUS_GAINED)
                FFocusState = TItemState{isFocused};
            else if (E->GetID() == FOCUS_LOST)
                FFocusState = TItemState{isInactive};
        }
        JBase::ProcessFocusEvent(E);
    }

    InterfacePtr<TActionMulticaster> FActionAdapter;
    bool FFocusAware = true;
    TItemState FFocusState{isInactive};
};

// --- The peer panel -------------------------------------------------------------------------

class TJPanel : public TPeer<TPanel, false, false> {
public:
    using TPeer::TPeer;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    // The panel's canvas while its window exists.
    TCanvas* GetGraphics() { return HandleAllocated() ? GetCanvas() : nullptr; }
};

class TBeanPanel : public TBeanPeer<TJPanel> {
public:
    explicit TBeanPanel(TComponent* AOwner)
        : TBeanPeer(AOwner, FOCUS_EVENT_MASK | KEY_EVENT_MASK | MOUSE_EVENT_MASK |
                                MOUSE_MOTION_EVENT_MASK) {}
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// --- The scroll panes -----------------------------------------------------------------------

class TScrollBox2 : public TScrollingWinControl {
public:
    explicit TScrollBox2(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;

    TBorderStyle FBorderStyle = bsSingle;
};

class TJScrollPane : public TPeer<TScrollBox2, true, true> {
public:
    explicit TJScrollPane(TComponent* AOwner);
    ~TJScrollPane() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Batch updates: input is ignored while the count is above 0; nothing
    // is replayed or repainted at the end.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() {
        if (FUpdateCount > 0) --FUpdateCount;
    }
    int32_t GetUpdateCount() const { return FUpdateCount; }
    TCanvas* GetGraphics() { return HandleAllocated() ? FCanvas : nullptr; }
    TControlCanvas* GetCanvas() const { return FCanvas; }

protected:
    // Descendants draw here.
    virtual void Paint() {}
    void PaintWindow(HDC DC) override;
    bool TranslateMessage(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;

    TControlCanvas* FCanvas;
    int32_t FUpdateCount = 0;
};

using TOnOverrideScrollRangeEvent = std::function<void(TObject* Sender, TDimension& Dimension)>;

class TScrollPane : public TBeanPeer<TJScrollPane> {
public:
    explicit TScrollPane(TComponent* AOwner);
    ~TScrollPane() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Asks for a layout through the message queue: any number of requests
    // before it runs make one layout. Only panes with content to lay out
    // (the tree views) ask; a plain pane keeps its ranges.
    void DoLayout();
    // The layout itself: the scroll ranges become the content's preferred size.
    void DoLayout2();
    TDimension GetViewportSize();
    POINT GetScrollPosition();
    void SetScrollPosition(int X, int Y);
    // Owned by the pane; callers change it in place.
    TInsets* GetInsets() { return FInsets; }

    TOnOverrideScrollRangeEvent OnOverrideScrollRange;

protected:
    virtual bool HasLayoutContent() { return false; }
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WndProc(TMessage& Message) override;

    TInsets* FInsets;
};

// --- The text fields ------------------------------------------------------------------------

class TJTextField : public TPeer<TEdit, true, false> {
public:
    explicit TJTextField(TComponent* AOwner);
    ~TJTextField() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // An ownerless field belongs to its interface references and goes
    // with the last one.
    ULONG Release() noexcept override;
    // The width of the text plus 10, and its height.
    TDimension GetPreferredSize() override;
    TCanvas* GetGraphics() { return HandleAllocated() ? FCanvas : nullptr; }

protected:
    TControlCanvas* FCanvas;
};

class TTextField : public TBeanPeer<TJTextField> {
public:
    explicit TTextField(TComponent* AOwner);
    ~TTextField() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TInsets* GetInsets() { return FInsets; }
    int GetSelectionStart() { return GetSelStart(); }
    void SetSelectionStart(int Value) { SetSelStart(Value); }
    int GetSelectionEnd() { return GetSelStart() + GetSelLength(); }
    void SetSelectionEnd(int Value) { SetSelLength(Value - GetSelStart()); }
    void Select(int From, int Length) {
        SetSelStart(From);
        SetSelLength(Length);
    }
    POINT GetLocation() { return POINT{GetLeft(), GetTop()}; }
    TContainer* GetParentContainer() { return GetParent(); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

    TInsets* FInsets;
};

#pragma GCC visibility pop
