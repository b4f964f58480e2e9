#include "MvcTestSupport.h"

#include <gtest/gtest.h>

namespace {

InterfacePtr<IInterface> Text(const char16_t* text) {
    return static_cast<IStringObject*>(new TTextObject(text));
}

// --- Singleton ------------------------------------------------------------------------

TEST(SingletonModel, AnnouncesChangesUnlessEventsAreOff) {
    InterfacePtr<IWritableSingletonModel> model(new TBasicSingletonContainer);
    EXPECT_EQ(InterfaceCast<IStringObject>(model->Get().Get())->GetString(), u"");
    auto* recorder = new TRecorder;
    InterfacePtr<ISingletonModelListener> listener(recorder);
    model->AddModelListener(listener.Get());

    model->EnableModelEvents(true); // already on: nothing
    model->Touched();
    model->EnableModelEvents(false);
    model->Put(Text(u"x").Get());
    EXPECT_EQ(InterfaceCast<IStringObject>(model->Get().Get())->GetString(), u"x");
    model->EnableModelEvents(true);
    EXPECT_EQ(recorder->Log, (Log{"content 1", "content 1"}));
    InterfacePtr<IIndexObject> number(new TIntegerObject(1));
    EXPECT_THROW(model->Put(number.Get()), EIntfCastError);
}

// The container is whole before the cast: a refused value leaves nothing behind
// (the sanitizer build sees a double free or a leak otherwise).
TEST(SingletonModel, MadeWithAValueThatIsNoStringRaisesAndFreesItself) {
    InterfacePtr<IIndexObject> number(new TIntegerObject(1));
    EXPECT_THROW(new TBasicSingletonContainer(number.Get()), EIntfCastError);
    InterfacePtr<IWritableSingletonModel> model(new TBasicSingletonContainer(Text(u"y").Get()));
    EXPECT_EQ(InterfaceCast<IStringObject>(model->Get().Get())->GetString(), u"y");
}

// --- Vector ---------------------------------------------------------------------------

struct VectorCase {
    const char* name;
    std::function<void(TBasicVectorContainer*)> change;
    Log expected;
    int count;
};

class VectorChanges : public testing::TestWithParam<VectorCase> {};

TEST_P(VectorChanges, FireTheirCodeAtTheirLocation) {
    auto* vector = new TBasicVectorContainer;
    InterfacePtr<IWritableVectorModel> model(vector);
    model->AddItem(Text(u"a").Get());
    model->AddItem(Text(u"b").Get());
    auto* recorder = new TRecorder;
    InterfacePtr<IVectorModelListener> listener(recorder);
    model->AddModelListener(listener.Get());
    model->AddModelListener(listener.Get()); // registered twice, hears once

    GetParam().change(vector);
    EXPECT_EQ(recorder->Log, GetParam().expected);
    EXPECT_EQ(model->GetCount(), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, VectorChanges,
    testing::Values(
        VectorCase{"Add", [](auto* v) { v->AddItem(Text(u"c").Get()); }, {"structure 12@2"}, 3},
        VectorCase{
            "Insert", [](auto* v) { v->InsertItem(0, Text(u"c").Get()); }, {"structure 12@0"}, 3},
        VectorCase{"Put", [](auto* v) { v->Put(1, Text(u"c").Get()); }, {"content 11@1"}, 2},
        VectorCase{"Touched", [](auto* v) { v->Touched(1); }, {"content 21@1"}, 2},
        VectorCase{"TouchedPastEnd", [](auto* v) { v->Touched(2); }, {}, 2},
        VectorCase{"Remove", [](auto* v) { v->Remove(0); }, {"structure 22@0"}, 1},
        VectorCase{"RemoveAll", [](auto* v) { v->RemoveAll(); }, {"structure 2@0"}, 0},
        VectorCase{"SetItems",
                   [](auto* v) {
                       InterfacePtr<IInterfaceList> items(new TInterfaceList);
                       items->Add(Text(u"z").Get());
                       v->SetItems(items.Get());
                   },
                   {"structure 2@0"},
                   1},
        VectorCase{"SetCount", [](auto* v) { v->SetCount(4); }, {}, 4},
        VectorCase{"EventsOffThenOn",
                   [](auto* v) {
                       v->EnableModelEvents(false);
                       v->AddItem(nullptr);
                       v->EnableModelEvents(true);
                   },
                   {"structure 2@0"},
                   3},
        VectorCase{"FixedSizeRefusesQuietly",
                   [](auto* v) {
                       v->SetVariableSize(false);
                       v->AddItem(Text(u"c").Get());
                       v->InsertItem(0, Text(u"c").Get());
                       v->Remove(0);
                       v->RemoveAll();
                       v->SetCount(5);
                       v->Put(0, Text(u"c").Get());
                   },
                   {"content 11@0"},
                   2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VectorModel, EventIdsAreTheCodeAndFifteen) {
    InterfacePtr<IVectorModel> model(new TBasicVectorContainer);
    const std::pair<int, int> cases[] = {{2, 2}, {0x11, 1}, {0x12, 2}, {0x21, 1}, {0x22, 2}};
    for (auto [change, id] : cases) {
        InterfacePtr<IVectorModelEvent> e(new TVectorModelEvent(model.Get(), change, 3));
        EXPECT_EQ(e->GetId(), id) << change;
        EXPECT_EQ(e->GetChange(), change);
    }
}

TEST(VectorModel, GetOutOfRangeIsNilAndRemovingFromEmptyFiresNothing) {
    auto* recorder = new TRecorder;
    InterfacePtr<IVectorModelListener> listener(recorder);
    InterfacePtr<IWritableVectorModel> model(new TBasicVectorContainer);
    model->AddModelListener(listener.Get());
    EXPECT_EQ(model->Get(-1), nullptr);
    EXPECT_EQ(model->Get(0), nullptr);
    model->RemoveAll();
    model->AddItem(Text(u"a").Get());
    EXPECT_EQ(recorder->Log, (Log{"structure 12@0"}));
    InterfacePtr<IInterface> a = model->Get(0);
    EXPECT_EQ(model->Find(a.Get()), 0);
    EXPECT_EQ(model->Find(Text(u"a").Get()), -1);
    EXPECT_THROW(model->Put(5, a.Get()), EListError);
}

TEST(VectorModel, ConstructorsWithInitialItemsStartEmpty) {
    InterfacePtr<IInterfaceList> items(new TInterfaceList);
    items->Add(Text(u"a").Get());
    InterfacePtr<IVectorModel> fromList(new TBasicVectorContainer(items.Get()));
    InterfacePtr<IVectorModel> filled(new TBasicVectorContainer(3, Text(u"a").Get()));
    EXPECT_EQ(fromList->GetCount(), 0);
    EXPECT_EQ(filled->GetCount(), 0);
}

TEST(VectorModel, ListenerExceptionReachesTheChanger) {
    auto* recorder = new TRecorder;
    InterfacePtr<IVectorModelListener> listener(recorder);
    recorder->OnCall = [] { throw EIllegalStateException(u"listener failed"); };
    InterfacePtr<IWritableVectorModel> model(new TBasicVectorContainer);
    model->AddModelListener(listener.Get());
    EXPECT_THROW(model->AddItem(nullptr), EIllegalStateException);
    EXPECT_EQ(model->GetCount(), 1); // the change itself was made
}

// --- Subfocus -----------------------------------------------------------------------------

class TSubfocusVeto : public TVectorSubfocusAdapter {
public:
    void SubfocusChanging(IVectorSubfocusEvent* E) override {
        if (E->GetLocation() == Refused) throw EVetoException(u"no");
    }
    void SubfocusChanged(IVectorSubfocusEvent* E) override { Changed.push_back(E->GetLocation()); }
    int Refused = -1;
    std::vector<int> Changed;
};

TEST(VectorSubfocus, ListenersCanRefuseThenHearTheChange) {
    TEventMulticaster listeners;
    auto* veto = new TSubfocusVeto;
    veto->Refused = 4;
    InterfacePtr<IVectorSubfocusListener> held(veto);
    listeners.Add(held.Get());
    InterfacePtr<IInterface> source(static_cast<IStringObject*>(new TTextObject(u"view")));
    auto* to3 = new TVectorSubfocusEvent(source.Get(), 1, 3);
    auto* to4 = new TVectorSubfocusEvent(source.Get(), 1, 4);
    InterfacePtr<IVectorSubfocusEvent> e3(to3), e4(to4);
    EXPECT_TRUE(listeners.VetoableDispatch(to3));
    EXPECT_FALSE(listeners.VetoableDispatch(to4));
    listeners.Dispatch(to3);
    EXPECT_EQ(veto->Changed, std::vector<int>{3});
}

} // namespace
