// The tree control: its own model, delegation, read-only writes and
// in-place edits of text-and-index items.
#include "PeerTestSupport.h"

#include "benchkit/mvc/IDETreeControl.h"

namespace {

class TreeControlTest : public PeerTest {
protected:
    void SetUp() override {
        PeerTest::SetUp();
        Tree = new TTreeControl(Form);
        Tree->SetParent(Form);
        Pump();
    }
    TTreeControl* Tree = nullptr;
};

InterfacePtr<IInterface> Item(const char16_t* text, int index) {
    return InterfacePtr<IInterface>(static_cast<IPair*>(new TTextIndexObject(text, index)));
}

TEST_F(TreeControlTest, StartsWithItsOwnModelAndRefusesItself) {
    EXPECT_EQ(Tree->GetWidth(), 121);
    EXPECT_EQ(Tree->GetHeight(), 97);
    ASSERT_TRUE(Tree->GetModel());
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    ASSERT_TRUE(root);
    Pump();
    EXPECT_EQ(Tree->GetLineCount(), 1);
    try {
        Tree->SetModel(static_cast<IGraphModel*>(Tree));
        FAIL() << "accepted itself";
    } catch (const EIllegalArgumentException& e) {
        EXPECT_EQ(e.GetMessage(), u"Recursive model");
    }
}

TEST_F(TreeControlTest, ReadOnlyControlIgnoresWrites) {
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    EXPECT_TRUE(Tree->AddChild(root.Get(), Item(u"a", 1).Get()));
    Tree->SetReadOnly(true);
    EXPECT_FALSE(Tree->AddChild(root.Get(), Item(u"b", 2).Get()));
    EXPECT_FALSE(Tree->CanModify(root.Get()));
    EXPECT_EQ(root->GetChildren()->GetCount(), 1);
}

TEST_F(TreeControlTest, EditsKeepTheIndexOfTextAndIndexItems) {
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    InterfacePtr<IGraphLocation> a = Tree->AddChild(root.Get(), Item(u"a", 7).Get());
    Tree->Expand(root.Get());
    Pump();
    for (const char16_t* text : {u"first", u"second"}) {
        Tree->StartEdit(a.Get());
        ASSERT_TRUE(Tree->IsEditing());
        auto* field = dynamic_cast<TTextField*>(Tree->GetEditor()->GetComponent());
        ASSERT_NE(field, nullptr);
        field->SetText(text);
        Tree->EndEdit(true);
        Pump(); // the end-edit message
        InterfacePtr<IInterface> data = Tree->Get(a.Get());
        EXPECT_EQ(InterfaceCast<IStringObject>(data.Get())->GetString(), text);
        EXPECT_EQ(InterfaceCast<IIndexObject>(data.Get())->GetIndex(), 7);
    }
}

} // namespace

namespace {

TEST_F(TreeControlTest, AChildlessRowOpensOnlyOnceItHasChildren) {
    InterfacePtr<IGraphLocation> root = Tree->SetRoot(Item(u"root", 0).Get());
    Tree->Expand(root.Get()); // nothing to open yet
    EXPECT_FALSE(Tree->IsExpanded(root.Get()));
    InterfacePtr<IGraphLocation> group = Tree->AddChild(root.Get(), Item(u"g", 0).Get());
    Tree->AddChild(group.Get(), Item(u"x", 0).Get());
    Tree->Expand(root.Get());
    Tree->Expand(group.Get());
    EXPECT_TRUE(Tree->IsExpanded(group.Get()));
    Pump();
    EXPECT_EQ(Tree->GetLineCount(), 3);
}

} // namespace
