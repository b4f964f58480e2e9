#include "ShellUnitFixture.h"

#include "benchkit/shell/IDEVirtualShellContainers.h"

namespace {

class Base : public TObject {};
class Derived : public Base {};

TEST(ShellObjectList, FindInstanceOfByExactOrInheritedClass) {
    Base base;
    Derived derived;
    IDEVirtualShellContainers::TObjectList list(false);
    list.Add(&derived);
    list.Add(&base);
    EXPECT_EQ(list.FindInstanceOf<Base>(true), 1);
    EXPECT_EQ(list.FindInstanceOf<Base>(false), 0);
    EXPECT_EQ(list.FindInstanceOf<Derived>(true), 0);
    EXPECT_EQ(list.FindInstanceOf<Derived>(true, 1), -1);
    EXPECT_EQ(list.FindInstanceOf<Base>(false, list.GetCount()), -1);
    EXPECT_TRUE(IDEVirtualShellContainers::TObjectList().GetOwnsObjects());
}

class NameSpaceListTest : public ShellUnitTest {};

TEST_F(NameSpaceListTest, RemovingDoesNotFreeAndFreeNamespacesKeepsTheCount) {
    temp_.Write("a", "1");
    temp_.Write("b", "2");
    TVirtualNameSpaceList list;
    std::vector<std::pair<TNamespace*, TListNotification>> seen;
    list.OnChanged = [&](TVirtualNameSpaceList* sender, TNamespace* item,
                         TListNotification action) {
        EXPECT_EQ(sender, &list);
        seen.emplace_back(item, action);
    };
    auto* a = new TNamespace(temp_.Windows(u"a"));
    auto* b = new TNamespace(temp_.Windows(u"b"));
    list.Add(a);
    list.Add(b);
    list.Remove(a);
    EXPECT_EQ(a->GetNameInFolder(), u"a"); // still alive
    list.Insert(0, a);
    TNamespaceArray array;
    list.FillArray(array);
    EXPECT_EQ(array, (TNamespaceArray{a, b}));
    EXPECT_EQ(list.First(), a);
    EXPECT_EQ(list.Last(), b);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], std::make_pair(a, lnAdded));
    EXPECT_EQ(seen[2], std::make_pair(a, lnDeleted));
    list.FreeNamespaces();
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetItems(0), nullptr);
    EXPECT_EQ(list.GetItems(1), nullptr);
}

} // namespace
