#include "MvcTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class GraphModelMulticaster : public testing::Test {
protected:
    GraphModelMulticaster() {
        root = static_cast<ILinkedTreeNode*>(new TLinkedTreeNode);
        model = static_cast<IWritableGraphModel*>(new TLinkedTreeContainer(root.Get()));
        other = static_cast<IWritableGraphModel*>(new TLinkedTreeContainer);
        recorder = Listen("");
    }

    TRecorder* Listen(const std::string& name) {
        auto* r = new TRecorder(name);
        r->Namer = [this](IGraphLocation* l) {
            return l == static_cast<IGraphLocation*>(root->Ptr()) ? "root" : "?";
        };
        listeners.emplace_back(static_cast<IGraphModelListener*>(r));
        return r;
    }

    InterfacePtr<IGraphModelEvent> Event(IWritableGraphModel* from, int change) {
        return static_cast<IGraphModelEvent*>(new TGraphModelEvent(from, change));
    }

    InterfacePtr<ILinkedTreeNode> root;
    InterfacePtr<IWritableGraphModel> model, other;
    std::vector<InterfacePtr<IGraphModelListener>> listeners;
    TRecorder* recorder;
    TGraphModelMulticaster* caster = new TGraphModelMulticaster;
    InterfacePtr<IGraphModelMulticaster> held{caster};
};

TEST_F(GraphModelMulticaster, DeliversAtOnceOutsideABatch) {
    caster->Add(listeners[0].Get());
    caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
    caster->ModelStructureChanged(Event(model.Get(), 0x12).Get());
    EXPECT_EQ(recorder->Log, (Log{"content 21@nil", "structure 12@nil"}));
}

TEST_F(GraphModelMulticaster, BatchArrivesAsOneStructureChangeAtTheRoot) {
    caster->Add(listeners[0].Get());
    caster->BeginUpdate();
    for (int i = 0; i < 3; ++i)
        caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
    EXPECT_EQ(recorder->Log, (Log{"begin"}));
    caster->EndUpdate();
    EXPECT_EQ(recorder->Log, (Log{"begin", "structure 2@root", "end"}));
}

TEST_F(GraphModelMulticaster, NestedBatchesCountAndCloseOnce) {
    caster->Add(listeners[0].Get());
    caster->BeginUpdate();
    caster->BeginUpdate();
    caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
    caster->EndUpdate();
    EXPECT_EQ(recorder->Log, (Log{"begin"}));
    caster->EndUpdate();
    caster->EndUpdate(); // nothing open: no stray notice
    EXPECT_EQ(recorder->Log, (Log{"begin", "structure 2@root", "end"}));
}

TEST_F(GraphModelMulticaster, EmptyBatchOnlyOpensAndCloses) {
    caster->Add(listeners[0].Get());
    caster->BeginUpdate();
    caster->EndUpdate();
    EXPECT_EQ(recorder->Log, (Log{"begin", "end"}));
}

TEST_F(GraphModelMulticaster, ListenersJoiningOrLeavingAnOpenBatchStayBalanced) {
    TRecorder* late = Listen("late ");
    TRecorder* leaving = Listen("leaving ");
    caster->Add(listeners[2].Get());
    caster->BeginUpdate();
    caster->Add(listeners[1].Get());
    caster->Remove(listeners[2].Get());
    caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
    caster->EndUpdate();
    EXPECT_EQ(late->Log, (Log{"late begin", "late structure 2@root", "late end"}));
    EXPECT_EQ(leaving->Log, (Log{"leaving begin", "leaving end"}));
}

TEST_F(GraphModelMulticaster, MultipleModelsLeaveListenersAndQueueConsistent) {
    caster->Add(listeners[0].Get());
    caster->BeginUpdate();
    caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
    caster->ModelContentChanged(Event(other.Get(), 0x21).Get());
    try {
        caster->EndUpdate();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Multiple models");
    }
    EXPECT_EQ(recorder->Log, (Log{"begin", "end"}));
    EXPECT_EQ(caster->GetUpdateCount(), 0);
    // The next batch is not refused for the old one's events.
    caster->BeginUpdate();
    caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
    EXPECT_NO_THROW(caster->EndUpdate());
    EXPECT_EQ(recorder->Log.back(), "end");
    EXPECT_EQ(recorder->Log.size(), 5u);
}

TEST_F(GraphModelMulticaster, ListenerThatRemovesItselfHearsTheCurrentEvent) {
    TRecorder* second = Listen("second ");
    caster->Add(listeners[0].Get());
    caster->Add(listeners[1].Get());
    recorder->OnCall = [this] { caster->Remove(listeners[0].Get()); };
    caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
    caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
    EXPECT_EQ(recorder->Log.size(), 1u);
    EXPECT_EQ(second->Log.size(), 2u);
    EXPECT_EQ(caster->Find(listeners[0].Get()), -1);
    EXPECT_TRUE(caster->HasListeners());
}

TEST_F(GraphModelMulticaster, BatchesFromSeveralThreadsKeepTheirCount) {
    // Counts IBatchUpdate notices and events from any thread.
    class TCounter : public TInterfacedObject, public IGraphModelListener, public IBatchUpdate {
    public:
        HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
            if (ProvideInterface<IGraphModelListener, IBatchUpdate, IEventListener>(this, iid, out))
                return S_OK;
            return TInterfacedObject::QueryInterface(iid, out);
        }
        void ModelStructureChanged(IGraphModelEvent*) override { ++Structure; }
        void ModelContentChanged(IGraphModelEvent*) override { ++Content; }
        void BeginUpdate() override { ++Begins; }
        void EndUpdate() override { ++Ends; }
        std::atomic<int> Structure{0}, Content{0}, Begins{0}, Ends{0};
    };
    auto* counter = new TCounter;
    InterfacePtr<IGraphModelListener> listener(counter);
    caster->Add(listener.Get());

    // One batch stays open throughout, so every other Begin/End only counts.
    caster->BeginUpdate();
    constexpr int kThreads = 8, kRounds = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                caster->BeginUpdate();
                caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
                caster->EndUpdate();
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(caster->GetUpdateCount(), 1); // no count was lost
    EXPECT_EQ(counter->Content, 0);
    caster->EndUpdate();
    EXPECT_EQ(counter->Begins, 1);
    EXPECT_EQ(counter->Ends, 1);
    EXPECT_EQ(counter->Structure, 1); // every queued change in one summary
    EXPECT_EQ(caster->GetUpdateCount(), 0);
}

TEST_F(GraphModelMulticaster, ThreadsOpeningAndClosingTheirOwnBatchesStayBalanced) {
    class TCounter : public TInterfacedObject, public IGraphModelListener, public IBatchUpdate {
    public:
        HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
            if (ProvideInterface<IGraphModelListener, IBatchUpdate, IEventListener>(this, iid, out))
                return S_OK;
            return TInterfacedObject::QueryInterface(iid, out);
        }
        void ModelStructureChanged(IGraphModelEvent*) override {}
        void ModelContentChanged(IGraphModelEvent*) override {}
        void BeginUpdate() override { ++Begins; }
        void EndUpdate() override { ++Ends; }
        std::atomic<int> Begins{0}, Ends{0};
    };
    auto* counter = new TCounter;
    InterfacePtr<IGraphModelListener> listener(counter);
    caster->Add(listener.Get());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                caster->BeginUpdate();
                caster->ModelContentChanged(Event(model.Get(), 0x21).Get());
                caster->EndUpdate();
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(caster->GetUpdateCount(), 0);
    EXPECT_EQ(counter->Begins.load(), counter->Ends.load());
}

} // namespace
