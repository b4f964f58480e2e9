#include "MvcTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

InterfacePtr<IInterface> Text(const char16_t* text) {
    return static_cast<IStringObject*>(new TTextObject(text));
}

InterfacePtr<ILinkedTreeNode> Node() {
    return static_cast<ILinkedTreeNode*>(new TLinkedTreeNode);
}

// A linked tree container with root r and children a, b, and a listener
// that names the locations.
class LinkedTreeContainer : public testing::Test {
public: // the table of cases below reaches in
    LinkedTreeContainer() {
        names[r.Get()] = "r";
        names[a.Get()] = "a";
        names[b.Get()] = "b";
        names[n.Get()] = "n";
        model->SetRoot(r.Get());
        model->AddChild(Loc(r), a.Get());
        model->AddChild(Loc(r), b.Get());
        recorder = new TRecorder;
        listener = static_cast<IGraphModelListener*>(recorder);
        recorder->Namer = [this](IGraphLocation* l) {
            ILinkedTreeNode* node = InterfaceCast<ILinkedTreeNode>(l)->Ptr();
            return names.count(node) ? names[node] : std::string("?");
        };
        model->AddModelListener(listener.Get());
    }

    static IGraphLocation* Loc(const InterfacePtr<ILinkedTreeNode>& node) {
        return static_cast<IGraphLocation*>(node->Ptr());
    }

    InterfacePtr<ILinkedTreeNode> r = Node(), a = Node(), b = Node(), n = Node();
    std::map<ILinkedTreeNode*, std::string> names;
    InterfacePtr<IWritableGraphModel> model{new TLinkedTreeContainer};
    TRecorder* recorder;
    InterfacePtr<IGraphModelListener> listener;
};

struct TreeCase {
    const char* name;
    std::function<void(LinkedTreeContainer&)> change;
    Log expected;
};

class LinkedTreeChanges : public LinkedTreeContainer,
                          public testing::WithParamInterface<TreeCase> {};

TEST_P(LinkedTreeChanges, FireTheirCodeAtTheirLocation) {
    GetParam().change(*this);
    EXPECT_EQ(recorder->Log, GetParam().expected);
}

using T = LinkedTreeContainer;
INSTANTIATE_TEST_SUITE_P(
    Operations, LinkedTreeChanges,
    testing::Values(
        TreeCase{"SetRoot", [](T& t) { t.model->SetRoot(t.n.Get()); }, {"structure 2@nil"}},
        TreeCase{
            "PutSameNode", [](T& t) { t.model->Put(T::Loc(t.a), t.a.Get()); }, {"content 11@a"}},
        TreeCase{
            "PutOtherNode", [](T& t) { t.model->Put(T::Loc(t.a), t.n.Get()); }, {"structure 32@a"}},
        TreeCase{"AddChild",
                 [](T& t) { t.model->AddChild(T::Loc(t.a), t.n.Get()); },
                 {"structure 12@n"}},
        TreeCase{"InsertChild",
                 [](T& t) { t.model->InsertChild(T::Loc(t.r), T::Loc(t.b), t.n.Get()); },
                 {"structure 12@n"}},
        TreeCase{"Touched", [](T& t) { t.model->Touched(T::Loc(t.b)); }, {"content 21@b"}},
        TreeCase{"RemoveChild", [](T& t) { t.model->Remove(T::Loc(t.b)); }, {"structure 22@b"}},
        TreeCase{"RemoveRoot", [](T& t) { t.model->Remove(T::Loc(t.r)); }, {"structure 2@nil"}},
        TreeCase{"RemoveStray", [](T& t) { t.model->Remove(T::Loc(t.n)); }, {}},
        TreeCase{"RemoveChildren",
                 [](T& t) { t.model->RemoveChildren(T::Loc(t.r)); },
                 {"structure 32@r"}},
        TreeCase{"RemoveAll", [](T& t) { t.model->RemoveAll(); }, {"structure 2@nil"}},
        TreeCase{"EventsOffThenOn",
                 [](T& t) {
                     t.model->EnableModelEvents(false);
                     t.model->Touched(T::Loc(t.a));
                     t.model->EnableModelEvents(true);
                 },
                 {"structure 2@nil"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkedTreeContainer, StructureFollowsTheOperations) {
    model->Put(Loc(a), n.Get());
    InterfacePtr<IInterfaceList> children = Loc(r)->GetChildren();
    ASSERT_EQ(children->GetCount(), 2);
    EXPECT_EQ(children->Get(0).Get(), static_cast<IInterface*>(Loc(n)));
    EXPECT_EQ(a->Ptr()->GetParent(), nullptr);

    model->RemoveChildren(Loc(r));
    EXPECT_EQ(Loc(r)->HasChildren(), tsNo);
    EXPECT_EQ(n->Ptr()->GetParent(), nullptr);
    EXPECT_EQ(model->GetRoot().Get(), Loc(r));
    EXPECT_EQ(model->Find(a.Get()).Get(), Loc(a));
    EXPECT_EQ(model->Find(nullptr), nullptr);
    EXPECT_THROW(static_cast<TLinkedTreeContainer*>(model.Get())->Elements(), EAbort);
}

TEST_F(LinkedTreeContainer, EventIdsAreTheCodeAndFifteen) {
    const std::pair<int, int> cases[] = {{2, 2},    {0x11, 1}, {0x12, 2},
                                         {0x21, 1}, {0x22, 2}, {0x32, 2}};
    for (auto [change, id] : cases) {
        InterfacePtr<IGraphModelEvent> e(new TGraphModelEvent(model.Get(), change, Loc(a)));
        EXPECT_EQ(e->GetId(), id) << change;
    }
}

// --- Basic tree container -----------------------------------------------------------------

TEST(BasicTreeContainer, WrapsDataAndFindsItInPreOrder) {
    InterfacePtr<IInterface> shared = Text(u"shared");
    InterfacePtr<IWritableGraphModel> model(new TBasicTreeContainer(Text(u"root").Get()));
    InterfacePtr<IGraphLocation> root = model->GetRoot();
    ASSERT_TRUE(root);
    InterfacePtr<IGraphLocation> first = model->AddChild(root.Get(), Text(u"x").Get());
    InterfacePtr<IGraphLocation> deep = model->AddChild(first.Get(), shared.Get());
    InterfacePtr<IGraphLocation> later = model->AddChild(root.Get(), shared.Get());
    EXPECT_EQ(model->Find(shared.Get()).Get(), deep.Get());
    EXPECT_EQ(model->Get(later.Get()).Get(), shared.Get());
    EXPECT_EQ(model->Find(Text(u"x").Get()), nullptr); // found by reference only

    auto* recorder = new TRecorder;
    InterfacePtr<IGraphModelListener> listener(recorder);
    model->AddModelListener(listener.Get());
    model->Put(later.Get(), Text(u"y").Get());
    EXPECT_EQ(InterfaceCast<IStringObject>(model->Get(later.Get()).Get())->GetString(), u"y");
    EXPECT_EQ(model->Find(shared.Get()).Get(), deep.Get());
    model->AddChild(nullptr, Text(u"new root").Get());
    EXPECT_EQ(recorder->Log, (Log{"content 11@?", "structure 2@nil"}));
    EXPECT_NE(model->GetRoot().Get(), root.Get());
}

TEST(BasicTreeContainer, EmptyContainerFindsNothing) {
    InterfacePtr<IGraphModel> model(new TBasicTreeContainer);
    EXPECT_EQ(model->GetRoot(), nullptr);
    InterfacePtr<IInterface> data = Text(u"d");
    EXPECT_EQ(model->Find(data.Get()), nullptr);
}

} // namespace
