#include "MvcTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct SelectionCase {
    const char* name;
    std::function<void(IWritableVectorSelection*)> prepare; // before listening
    std::function<void(IWritableVectorSelection*)> change;
    Log expected;
    std::vector<int> selected; // probed 0..9
};

std::vector<int> Selected(IVectorSelection* s) {
    std::vector<int> found;
    for (int i = 0; i < 10; ++i)
        if (s->Contains(i)) found.push_back(i);
    return found;
}

void Nothing(IWritableVectorSelection*) {}

class BasicVectorSelection : public testing::TestWithParam<SelectionCase> {};

TEST_P(BasicVectorSelection, ChangesAndEvents) {
    InterfacePtr<IWritableVectorSelection> selection(new TBasicVectorSelection);
    GetParam().prepare(selection.Get());
    auto* recorder = new TRecorder;
    InterfacePtr<IVectorSelectionListener> listener(recorder);
    selection->AddSelectionListener(listener.Get());
    GetParam().change(selection.Get());
    EXPECT_EQ(recorder->Log, GetParam().expected);
    EXPECT_EQ(Selected(selection.Get()), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, BasicVectorSelection,
    testing::Values(SelectionCase{"AddTwiceOnce",
                                  Nothing,
                                  [](auto* s) {
                                      s->Add(3);
                                      s->Add(3);
                                  },
                                  {"item 1001@3"},
                                  {3}},
                    SelectionCase{"RemovePresent",
                                  [](auto* s) { s->Add(3); },
                                  [](auto* s) { s->Remove(3); },
                                  {"item 1002@3"},
                                  {}},
                    SelectionCase{"RemoveAbsent", Nothing, [](auto* s) { s->Remove(3); }, {}, {}},
                    SelectionCase{"RangeBackwards",
                                  Nothing,
                                  [](auto* s) { s->AddRange(5, 2); },
                                  {"range 2001@5..2"},
                                  {2, 3, 4, 5}},
                    SelectionCase{"RangeAlreadySelected",
                                  [](auto* s) { s->AddRange(2, 3); },
                                  [](auto* s) { s->AddRange(3, 2); },
                                  {},
                                  {2, 3}},
                    SelectionCase{"RemoveRange",
                                  [](auto* s) { s->AddRange(1, 6); },
                                  [](auto* s) { s->RemoveRange(2, 4); },
                                  {"range 2002@2..4"},
                                  {1, 5, 6}},
                    SelectionCase{"Add2OnceForMany",
                                  [](auto* s) { s->Add(1); },
                                  [](auto* s) {
                                      s->Add2(Locations({1, 2, 3}).Get());
                                  },
                                  {"all 3002"},
                                  {1, 2, 3}},
                    SelectionCase{"Remove2NothingPresent",
                                  Nothing,
                                  [](auto* s) {
                                      s->Remove2(Locations({1, 2}).Get());
                                  },
                                  {},
                                  {}},
                    SelectionCase{"PutAlwaysAnnounces",
                                  [](auto* s) { s->Add(4); },
                                  [](auto* s) { s->Put(Locations({4}).Get()); },
                                  {"all 3002"},
                                  {4}},
                    SelectionCase{"RemoveAll",
                                  [](auto* s) { s->Add(4); },
                                  [](auto* s) { s->RemoveAll(); },
                                  {"all 3001"},
                                  {}},
                    SelectionCase{
                        "RemoveAllEmpty", Nothing, [](auto* s) { s->RemoveAll(); }, {}, {}},
                    SelectionCase{"EventsOffThenOn",
                                  Nothing,
                                  [](auto* s) {
                                      s->EnableSelectionEvents(false);
                                      s->Add(1);
                                      s->EnableSelectionEvents(true);
                                  },
                                  {"all 3002"},
                                  {1}}),
    [](const auto& info) { return std::string(info.param.name); });

class SingleVectorSelection : public testing::TestWithParam<SelectionCase> {};

TEST_P(SingleVectorSelection, ChangesAndEvents) {
    InterfacePtr<IWritableVectorSelection> selection(new TSingleVectorSelection);
    GetParam().prepare(selection.Get());
    auto* recorder = new TRecorder;
    InterfacePtr<IVectorSelectionListener> listener(recorder);
    selection->AddSelectionListener(listener.Get());
    GetParam().change(selection.Get());
    EXPECT_EQ(recorder->Log, GetParam().expected);
    EXPECT_EQ(Selected(selection.Get()), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, SingleVectorSelection,
    testing::Values(
        SelectionCase{"Add", Nothing, [](auto* s) { s->Add(2); }, {"all 3002"}, {2}},
        SelectionCase{"AddSame", [](auto* s) { s->Add(2); }, [](auto* s) { s->Add(2); }, {}, {2}},
        SelectionCase{
            "RangeTakesLast", Nothing, [](auto* s) { s->AddRange(1, 5); }, {"all 3002"}, {5}},
        SelectionCase{"Add2TakesFirst",
                      Nothing,
                      [](auto* s) {
                          s->Add2(Locations({7, 8}).Get());
                      },
                      {"all 3002"},
                      {7}},
        SelectionCase{"RemoveRangeAround",
                      [](auto* s) { s->Add(8); },
                      [](auto* s) { s->RemoveRange(7, 9); },
                      {"all 3001"},
                      {}},
        SelectionCase{"RemoveRangeOutside",
                      [](auto* s) { s->Add(6); },
                      [](auto* s) { s->RemoveRange(7, 9); },
                      {},
                      {6}},
        SelectionCase{"Remove2",
                      [](auto* s) { s->Add(6); },
                      [](auto* s) {
                          s->Remove2(Locations({1, 6, 6}).Get());
                      },
                      {"all 3001"},
                      {}},
        SelectionCase{"RemoveAll",
                      [](auto* s) { s->Add(6); },
                      [](auto* s) { s->RemoveAll(); },
                      {"all 3001"},
                      {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VectorSelection, ListsAndConstructionFromASet) {
    InterfacePtr<IWritableVectorSelection> basic(
        new TBasicVectorSelection(Locations({4, 1, 4}).Get()));
    EXPECT_EQ(basic->GetCount(), 3); // Put keeps duplicates
    InterfacePtr<IInterfaceList> all = basic->GetAll();
    ASSERT_EQ(all->GetCount(), 3);
    EXPECT_EQ(InterfaceCast<IIndexObject>(all->Get(1).Get())->GetIndex(), 1);

    InterfacePtr<IWritableVectorSelection> single(new TSingleVectorSelection(5));
    EXPECT_EQ(single->GetCount(), 1);
    EXPECT_EQ(InterfaceCast<IIndexObject>(single->GetAll()->Get(0).Get())->GetIndex(), 5);

    InterfacePtr<IWritableVectorSelection> none(new TNullVectorSelection);
    none->Add(1);
    EXPECT_FALSE(none->Contains(1));
    EXPECT_EQ(none->GetAll()->GetCount(), 0);
}

// --- Graph selections -------------------------------------------------------------------

class GraphSelection : public testing::Test {
protected:
    GraphSelection() {
        for (int i = 0; i < 3; ++i)
            nodes.emplace_back(static_cast<IGraphLocation*>(new TLinkedTreeNode));
        recorder = new TRecorder;
        listener = static_cast<IGraphSelectionListener*>(recorder);
        recorder->Namer = [this](IGraphLocation* l) {
            for (size_t i = 0; i < nodes.size(); ++i)
                if (nodes[i].Get() == l) return "n" + std::to_string(i);
            return std::string("?");
        };
        selection->AddSelectionListener(listener.Get());
    }

    InterfacePtr<IInterfaceList> List(std::initializer_list<int> which) {
        InterfacePtr<IInterfaceList> list(new TInterfaceList);
        for (int i : which)
            list->Add(nodes[i].Get());
        return list;
    }

    std::vector<InterfacePtr<IGraphLocation>> nodes;
    TRecorder* recorder;
    InterfacePtr<IGraphSelectionListener> listener;
    InterfacePtr<IWritableGraphSelection> selection{new TBasicGraphSelection};
};

TEST_F(GraphSelection, AddsAndRemovesByReference) {
    selection->Add(nodes[0].Get());
    selection->Add(nodes[0].Get());
    selection->Remove(nodes[1].Get());
    selection->Remove(nodes[0].Get());
    EXPECT_EQ(recorder->Log, (Log{"item 1001@n0", "item 1002@n0"}));
    EXPECT_FALSE(selection->Contains(nullptr));
}

TEST_F(GraphSelection, ListFormsAnnounceOnceWhenSomethingChanged) {
    selection->Add2(List({0, 1, 2}).Get());
    EXPECT_EQ(selection->GetCount(), 3);
    selection->Add2(List({1}).Get());
    selection->Remove2(List({0, 2}).Get());
    selection->RemoveAll();
    selection->RemoveAll();
    EXPECT_EQ(recorder->Log, (Log{"all 3002", "all 3002", "all 3001"}));
}

TEST_F(GraphSelection, RangeEventsReachNobodyAndEventsCanPause) {
    InterfacePtr<IGraphSelection> source = InterfaceCast<IGraphSelection>(selection.Get());
    InterfacePtr<IGraphSelectionEvent> range(
        new TGraphSelectionEvent(source.Get(), SELECTION_RANGE_ADDED));
    range->Dispatch(listener.Get());
    selection->EnableSelectionEvents(false);
    selection->Put(List({2, 2}).Get());
    selection->EnableSelectionEvents(true);
    EXPECT_EQ(recorder->Log, (Log{"all 3002"}));
    EXPECT_EQ(selection->GetAll()->GetCount(), 2);
}

TEST_F(GraphSelection, SelectionOverATreeModel) {
    InterfacePtr<IWritableGraphModel> model(new TBasicTreeContainer);
    InterfacePtr<IGraphLocation> root = model->AddChild(nullptr, nodes[0].Get());
    InterfacePtr<IGraphLocation> a = model->AddChild(root.Get(), nullptr);
    InterfacePtr<IGraphLocation> b = model->AddChild(root.Get(), nullptr);
    InterfacePtr<IWritableGraphSelection> chosen(
        new TBasicGraphSelection(root->GetChildren().Get()));
    EXPECT_TRUE(chosen->Contains(a.Get()));
    EXPECT_TRUE(chosen->Contains(b.Get()));
    model->Remove(a.Get());
    EXPECT_TRUE(chosen->Contains(a.Get())); // stays until the view removes it
    EXPECT_EQ(chosen->GetCount(), 2);
}

} // namespace
