#include "benchkit/mvc/IDEMulticast.h"

#include "MvcTestSupport.h"

#include <gtest/gtest.h>

namespace {

// An event that calls a per-listener action; the listener is a TRecorder.
class TProbeEvent : public TDispatchableEvent, public IVetoableDispatch {
public:
    explicit TProbeEvent(IInterface* Source) : TDispatchableEvent(Source) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IVetoableDispatch>(this, iid, out)) return S_OK;
        return TDispatchableEvent::QueryInterface(iid, out);
    }
    void Dispatch(IEventListener* Listener) override { Visit(Listener); }
    void VetoableDispatch(IEventListener* Listener) override { Visit(Listener); }

    std::function<void(TRecorder*)> Action;

private:
    void Visit(IEventListener* Listener) {
        auto* recorder = dynamic_cast<TRecorder*>(Listener);
        recorder->Log.push_back("heard");
        if (Action) Action(recorder);
    }
};

class EventMulticaster : public testing::Test {
protected:
    EventMulticaster() {
        for (int i = 0; i < 3; ++i) {
            recorders.emplace_back(new TRecorder);
            listeners.push_back(static_cast<IGraphModelListener*>(recorders.back()));
        }
        event = new TProbeEvent(static_cast<IInterface*>(listeners[0].Get()));
        held = static_cast<IDispatchableEvent*>(event);
    }

    std::vector<int> Heard() {
        std::vector<int> counts;
        for (TRecorder* r : recorders)
            counts.push_back(int(r->Log.size()));
        return counts;
    }

    TEventMulticaster caster;
    std::vector<TRecorder*> recorders;
    std::vector<InterfacePtr<IEventListener>> listeners;
    TProbeEvent* event;
    InterfacePtr<IDispatchableEvent> held;
};

TEST_F(EventMulticaster, DeliversInOrderOfAdditionAndOnlyOncePerListener) {
    std::vector<TRecorder*> order;
    event->Action = [&](TRecorder* r) { order.push_back(r); };
    caster.Add(listeners[1].Get());
    caster.Add(listeners[0].Get());
    caster.Add(listeners[1].Get());
    EXPECT_EQ(caster.Find(listeners[1].Get()), 0);
    caster.Dispatch(event);
    EXPECT_EQ(order, (std::vector<TRecorder*>{recorders[1], recorders[0]}));
}

TEST_F(EventMulticaster, ListenerThatRemovesItselfHearsThisEventOnly) {
    for (auto& l : listeners)
        caster.Add(l.Get());
    event->Action = [&](TRecorder* r) {
        if (r == recorders[0]) caster.Remove(listeners[0].Get());
    };
    caster.Dispatch(event);
    caster.Dispatch(event);
    EXPECT_EQ(Heard(), (std::vector<int>{1, 2, 2}));
}

TEST_F(EventMulticaster, ListenerRemovedOrAddedByAnotherTakesEffectNextEvent) {
    caster.Add(listeners[0].Get());
    caster.Add(listeners[1].Get());
    event->Action = [&](TRecorder* r) {
        if (r != recorders[0]) return;
        caster.Remove(listeners[1].Get());
        caster.Add(listeners[2].Get());
    };
    caster.Dispatch(event);
    EXPECT_EQ(Heard(), (std::vector<int>{1, 1, 0}));
    caster.Dispatch(event);
    EXPECT_EQ(Heard(), (std::vector<int>{2, 1, 1}));
}

TEST_F(EventMulticaster, VetoStopsTheWalkAndAnswersFalse) {
    EXPECT_TRUE(caster.VetoableDispatch(event)); // nobody to refuse
    for (auto& l : listeners)
        caster.Add(l.Get());
    EXPECT_TRUE(caster.VetoableDispatch(event));
    event->Action = [&](TRecorder* r) {
        if (r == recorders[1]) throw EVetoException(u"no");
    };
    EXPECT_FALSE(caster.VetoableDispatch(event));
    EXPECT_EQ(Heard(), (std::vector<int>{2, 2, 1}));
}

TEST_F(EventMulticaster, OtherExceptionsReachTheCaller) {
    for (auto& l : listeners)
        caster.Add(l.Get());
    event->Action = [&](TRecorder* r) {
        if (r == recorders[0]) throw EIllegalStateException(u"broken");
    };
    EXPECT_THROW(caster.VetoableDispatch(event), EIllegalStateException);
    EXPECT_THROW(caster.Dispatch(event), EIllegalStateException);
    EXPECT_EQ(Heard(), (std::vector<int>{2, 0, 0}));
}

TEST_F(EventMulticaster, Remove2FreesAnEmptiedMulticaster) {
    TEventMulticaster* owned = TEventMulticaster::Add2(nullptr, listeners[0].Get());
    ASSERT_NE(owned, nullptr);
    owned = TEventMulticaster::Add2(owned, listeners[1].Get());
    EXPECT_EQ(TEventMulticaster::Remove2(owned, listeners[0].Get()), owned);
    EXPECT_EQ(TEventMulticaster::Remove2(owned, listeners[1].Get()), nullptr); // and freed
    EXPECT_EQ(TEventMulticaster::Remove2(nullptr, listeners[1].Get()), nullptr);
}

// --- Typed and tree multicasters ---------------------------------------------------------

class TKeyLog : public TKeyAdapter {
public:
    void KeyTyped(IKeyEvent*) override { Log.push_back("typed"); }
    void KeyPressed(IKeyEvent* E) override {
        Log.push_back("pressed");
        E->SetKeyCode(99); // later listeners see the rewritten key
    }
    void KeyReleased(IKeyEvent* E) override {
        Log.push_back("released " + std::to_string(E->GetKeyCode()));
    }
    std::vector<std::string> Log;
};

InterfacePtr<IKeyEvent> Key(int id, int code = 0, char16_t ch = 0) {
    return static_cast<IKeyEvent*>(new IDEUIEvent::TKeyEvent(nullptr, id, TDateTime(), 0, code, ch));
}

TEST(KeyMulticaster, RoutesByIdForEachListener) {
    InterfacePtr<IKeyMulticaster> caster(new TKeyMulticaster);
    auto* a = new TKeyLog;
    InterfacePtr<IKeyListener> la(a);
    caster->Add(la.Get());
    caster->Add(la.Get());
    caster->KeyTyped(Key(KEY_TYPED, 0, u'a').Get());
    caster->KeyPressed(Key(KEY_PRESSED, 1).Get());
    caster->KeyPressed(Key(KEY_RELEASED, 2).Get()); // the id decides, not the entry point
    caster->KeyPressed(Key(403, 2).Get());
    EXPECT_EQ(a->Log, (std::vector<std::string>{"typed", "pressed", "released 2"}));
}

TEST(ActionMulticaster, ForwardsWhatItHears) {
    auto* caster = new TActionMulticaster;
    InterfacePtr<IActionListener> held(caster);
    int heard = 0;
    class TCount : public TInterfacedObject, public IActionListener {
    public:
        explicit TCount(int& n) : N(n) {}
        HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
            if (ProvideInterface<IActionListener, IEventListener>(this, iid, out)) return S_OK;
            return TInterfacedObject::QueryInterface(iid, out);
        }
        void ActionPerformed(IActionEvent*) override { ++N; }
        int& N;
    };
    InterfacePtr<IActionListener> counter(new TCount(heard));
    caster->Add(counter.Get());
    InterfacePtr<IActionEvent> event(
        static_cast<IActionEvent*>(new TActionEvent(counter.Get(), ACTION_PERFORMED, u"x")));
    held->ActionPerformed(event.Get());
    EXPECT_EQ(heard, 1);
}

TEST(AWTEventMulticaster, TreeDeliversLeftToRightAndRemovesLeaves) {
    auto* a = new TKeyLog;
    auto* b = new TKeyLog;
    InterfacePtr<IEventListener> la(static_cast<IKeyListener*>(a)),
        lb(static_cast<IKeyListener*>(b));
    InterfacePtr<IEventListener> tree = TAWTEventMulticaster::Add(nullptr, la.Get());
    EXPECT_EQ(tree, la);
    tree = TAWTEventMulticaster::Add(tree.Get(), lb.Get());
    InterfacePtr<IKeyListener> keys =
        InterfaceCast<IKeyListener>(static_cast<IInterface*>(tree.Get()));
    keys->KeyReleased(Key(KEY_RELEASED, 7).Get());
    EXPECT_EQ(a->Log, std::vector<std::string>{"released 7"});
    EXPECT_EQ(b->Log, std::vector<std::string>{"released 7"});

    auto* c = new TKeyLog;
    InterfacePtr<IEventListener> absent(static_cast<IKeyListener*>(c));
    EXPECT_EQ(TAWTEventMulticaster::Remove(tree.Get(), absent.Get()), tree);
    EXPECT_EQ(TAWTEventMulticaster::Remove(la.Get(), la.Get()), nullptr);
    EXPECT_EQ(TAWTEventMulticaster::Remove(tree.Get(), la.Get()), lb);

    InterfacePtr<IEventListener> three = TAWTEventMulticaster::Add(tree.Get(), absent.Get());
    InterfacePtr<IEventListener> two = TAWTEventMulticaster::Remove(three.Get(), lb.Get());
    InterfacePtr<IKeyListener> rest =
        InterfaceCast<IKeyListener>(static_cast<IInterface*>(two.Get()));
    rest->KeyReleased(Key(KEY_RELEASED, 8).Get());
    EXPECT_EQ(a->Log.size(), 2u);
    EXPECT_EQ(b->Log.size(), 1u);
    EXPECT_EQ(c->Log.size(), 1u);
}

TEST(AWTEventMulticaster, BranchWithoutTheInterfaceRaisesAndStops) {
    auto* keys = new TKeyLog;
    InterfacePtr<IEventListener> focus(static_cast<IFocusListener*>(new TFocusAdapter));
    InterfacePtr<IEventListener> key(static_cast<IKeyListener*>(keys));
    InterfacePtr<IEventListener> tree = TAWTEventMulticaster::Add(focus.Get(), key.Get());
    InterfacePtr<IKeyListener> asKeys =
        InterfaceCast<IKeyListener>(static_cast<IInterface*>(tree.Get()));
    EXPECT_THROW(asKeys->KeyPressed(Key(KEY_PRESSED, 1).Get()), EIntfCastError);
    EXPECT_TRUE(keys->Log.empty());
}

} // namespace
