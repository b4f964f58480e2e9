#include "benchkit/mvc/IDEGraphImpl.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Nodes named by letters, so that a tree reads as a string.
class LinkedTree : public testing::Test {
protected:
    ILinkedTreeNode* N(char name) {
        auto& slot = nodes[name];
        if (!slot) slot = static_cast<ILinkedTreeNode*>(new TLinkedTreeNode);
        return slot.Get();
    }
    TLinkedTreeNode* P(char name) { return N(name)->Ptr(); }

    char NameOf(ILinkedTreeNode* node) {
        for (auto& [name, n] : nodes)
            if (n.Get() == node) return name;
        return '?';
    }

    // "abc" for the children of `parent` in sibling order.
    std::string Children(char parent) {
        std::string names;
        for (InterfacePtr<ILinkedTreeNode> c = P(parent)->GetFirstChild(); c && names.size() < 20;
             c = c->Ptr()->GetNextSibling())
            names += NameOf(c.Get());
        return names;
    }

    // Links b behind a without any parent.
    void Chain(const char* names) {
        for (const char* p = names; p[1]; ++p) {
            P(p[0])->SetParent(nullptr);
            P(p[0])->InsertSibling(N(p[1]));
        }
    }

    std::map<char, InterfacePtr<ILinkedTreeNode>> nodes;
};

TEST_F(LinkedTree, AddsAWholeChainOfSiblings) {
    Chain("xyz");
    P('p')->AppendChild(N('x'));
    EXPECT_EQ(Children('p'), "xyz");
    EXPECT_EQ(P('p')->GetChildCount(), 3);
    EXPECT_EQ(P('z')->GetParent().Get(), static_cast<IGraphLocation*>(P('p')));
    EXPECT_EQ(P('p')->GetChildren()->GetCount(), 3);
    EXPECT_EQ(P('p')->HasChildren(), tsYes);
    EXPECT_EQ(P('x')->HasChildren(), tsNo);
}

struct InsertCase {
    const char* name;
    char ahead; // 0: none
    const char* expected;
};

class LinkedTreeInsert : public LinkedTree, public testing::WithParamInterface<InsertCase> {};

TEST_P(LinkedTreeInsert, PutsTheNodeAheadOfItsMark) {
    P('p')->AppendChild(N('a'));
    P('p')->AppendChild(N('b'));
    P('p')->AppendChild(N('c'));
    P('p')->InsertChild2(N('n'), GetParam().ahead ? N(GetParam().ahead) : nullptr);
    EXPECT_EQ(Children('p'), GetParam().expected);
    EXPECT_EQ(P('p')->GetChildCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(Marks, LinkedTreeInsert,
                         testing::Values(InsertCase{"First", 'a', "nabc"},
                                         InsertCase{"Middle", 'b', "anbc"},
                                         InsertCase{"Last", 'c', "abnc"},
                                         InsertCase{"None", 0, "abcn"},
                                         InsertCase{"NotAChild", 'q', "abcn"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkedTree, NodeOfAnotherParentIsRefusedAndNothingChanges) {
    P('p')->AppendChild(N('a'));
    P('q')->AppendChild(N('b'));
    try {
        P('p')->AppendChild(N('b'));
        FAIL();
    } catch (const EIllegalArgumentException& e) {
        EXPECT_EQ(e.GetMessage(), u"Cannot add child");
    }
    EXPECT_EQ(Children('p'), "a");
    EXPECT_EQ(Children('q'), "b");
    EXPECT_EQ(P('p')->GetChildCount(), 1);
    EXPECT_EQ(P('q')->GetChildCount(), 1);

    // A chain whose head is free but whose tail belongs elsewhere: the head
    // must not be taken in either.
    Chain("xy");
    P('y')->SetParent(N('q'));
    EXPECT_THROW(P('p')->AppendChild(N('x')), EIllegalArgumentException);
    EXPECT_EQ(P('x')->GetParent(), nullptr);
    EXPECT_EQ(Children('p'), "a");
    EXPECT_EQ(P('p')->GetChildCount(), 1);
}

TEST_F(LinkedTree, AddingChildrenAgainIsCircularAndChangesNothing) {
    P('p')->AppendChild(N('a'));
    P('p')->AppendChild(N('b'));
    for (char again : {'a', 'b'}) {
        for (char ahead : {char(0), 'a', 'b'}) {
            EXPECT_THROW(P('p')->InsertChild2(N(again), ahead ? N(ahead) : nullptr),
                         EIllegalStateException)
                << again << " ahead of " << ahead;
            EXPECT_EQ(Children('p'), "ab");
            EXPECT_EQ(P('p')->GetChildCount(), 2);
        }
    }
}

TEST_F(LinkedTree, RemoveChildUnlinksAndRefusesStrangers) {
    P('p')->AppendChild(N('a'));
    P('p')->AppendChild(N('b'));
    P('p')->AppendChild(N('c'));
    P('p')->RemoveChild(N('b'));
    EXPECT_EQ(Children('p'), "ac");
    EXPECT_EQ(P('p')->GetChildCount(), 2);
    EXPECT_EQ(P('b')->GetParent(), nullptr);
    EXPECT_EQ(P('b')->GetNextSibling(), nullptr);
    try {
        P('p')->RemoveChild(N('z'));
        FAIL();
    } catch (const EIllegalArgumentException& e) {
        EXPECT_EQ(e.GetMessage(), u"Tree node circularity");
    }
    P('p')->RemoveChild(N('a'));
    EXPECT_EQ(Children('p'), "c");
}

TEST_F(LinkedTree, RemoveNodeFromAParentlessChain) {
    Chain("abc");
    EXPECT_EQ(P('b')->RemoveNode(N('a')).Get(), N('a'));
    EXPECT_EQ(P('a')->GetNextSibling().Get(), N('c'));
    EXPECT_EQ(P('a')->RemoveNode(N('a')).Get(), N('c'));
    P('p')->AppendChild(N('c'));
    EXPECT_EQ(P('c')->RemoveNode(N('x')).Get(), N('x')); // asks the parent
    EXPECT_EQ(P('p')->GetChildCount(), 0);
}

TEST_F(LinkedTree, InsertSiblingJoinsTheParent) {
    P('p')->AppendChild(N('a'));
    P('p')->AppendChild(N('c'));
    P('a')->InsertSibling(N('b'));
    EXPECT_EQ(Children('p'), "abc");
    EXPECT_EQ(P('p')->GetChildCount(), 3);
    EXPECT_THROW(P('a')->InsertSibling(N('a')), EIllegalArgumentException);
    Chain("xy");
    EXPECT_THROW(P('x')->InsertSibling(N('y')), EIllegalStateException); // would loop
}

TEST_F(LinkedTree, IteratorWalksTheChildren) {
    P('p')->AppendChild(N('a'));
    P('p')->AppendChild(N('b'));
    P('p')->AppendChild(N('c'));
    InterfacePtr<IForwardIterator> it = P('p')->GetChildIterator();
    InterfacePtr<IForwardIterator> start = P('p')->GetChildIterator();
    EXPECT_TRUE(it->AtFirst());
    EXPECT_EQ(it->NextElement().Get(), static_cast<IInterface*>(N('a')));
    it->Advance2(5);
    EXPECT_TRUE(it->AtLast());
    EXPECT_FALSE(it->HasMoreElements());
    EXPECT_EQ(it->Distance(start.Get()), 3);
    EXPECT_EQ(start->Distance(it.Get()), -1);
    EXPECT_THROW(it->Clone(), EAbort);
    it->Put(N('d')); // past the end: appended to the siblings' parent
    EXPECT_EQ(Children('p'), "abcd");
    start->Advance();
    start->Put(N('e'));
    EXPECT_EQ(Children('p'), "aebcd");
}

TEST_F(LinkedTree, NodesAreFreedWithTheirTree) {
    // A counted parent link would keep parent and child alive for ever; the
    // sanitizer build reports such leaks.
    InterfacePtr<ILinkedTreeNode> root(new TLinkedTreeNode);
    InterfacePtr<ILinkedTreeNode> child(new TLinkedTreeNode(root.Get()));
    EXPECT_EQ(root->Ptr()->GetChildCount(), 1);
    root.Reset();
    EXPECT_EQ(child->Ptr()->GetParent(), nullptr);
    // A long sibling chain is let go without deep recursion.
    InterfacePtr<ILinkedTreeNode> wide(new TLinkedTreeNode);
    for (int i = 0; i < 200000; ++i)
        wide->Ptr()->InsertChild(static_cast<ILinkedTreeNode*>(new TLinkedTreeNode));
    EXPECT_EQ(wide->Ptr()->GetChildCount(), 200000);
}

} // namespace
