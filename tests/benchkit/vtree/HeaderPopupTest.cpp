// The header's column menu: one item per column, the last visible column
// kept, clicks that show and hide columns.
#include "VirtualTreeTestSupport.h"

#include "benchkit/vtree/IDEVTHeaderPopup.h"

namespace {

class HeaderPopup : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        tree = MakeWindowedTree();
        TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
        for (const char16_t* text : {u"zero", u"one", u"two"})
            columns->Add()->SetText(text);
        menu = new TVTHeaderPopupMenu(Application);
        menu->SetPopupComponent(tree);
        TestSeams::ScriptPopupMenus([](const TestSeams::PopupMenuRecord&) {
            return TestSeams::PopupMenuAnswer{};
        });
    }
    void TearDown() override {
        TestSeams::ScriptPopupMenus(nullptr);
        VirtualTreeTest::TearDown();
    }
    void Show(TColumnIndex index, bool visible) {
        TVirtualTreeColumn* column = tree->GetHeader()->GetColumns()->GetItem(index);
        TVTColumnOptions options = column->GetOptions();
        if (visible)
            options.Include(coVisible);
        else
            options.Exclude(coVisible);
        column->SetOptions(options);
    }
    TMenuItem* Item(int i) { return menu->GetItems()->GetItems(i); }
    TTestTree* tree = nullptr;
    TVTHeaderPopupMenu* menu = nullptr;
};

TEST_F(HeaderPopup, LastVisibleColumnCannotBeHiddenUnlessAllowed) {
    Show(0, false);
    Show(2, false);
    for (bool allowHideAll : {false, true}) {
        SCOPED_TRACE(allowHideAll);
        menu->SetOptions(allowHideAll ? TVTHeaderPopupOptions{poAllowHideAll}
                                      : TVTHeaderPopupOptions{});
        menu->Popup(10, 10);
        ASSERT_EQ(menu->GetItems()->GetCount(), 3);
        EXPECT_FALSE(Item(0)->GetChecked());
        EXPECT_TRUE(Item(1)->GetChecked());
        EXPECT_EQ(Item(1)->GetEnabled(), allowHideAll);
        EXPECT_TRUE(Item(0)->GetEnabled());
    }
}

TEST_F(HeaderPopup, OrderHiddenItemsAndClicks) {
    // Display order two, zero, one.
    tree->GetHeader()->GetColumns()->GetItem(2)->SetPosition(0);
    menu->Popup(10, 10);
    EXPECT_EQ(Item(0)->GetCaption(), u"two");
    menu->SetOptions({poOriginalOrder});
    menu->OnAddHeaderPopupItem = [](TBaseVirtualTree*, TColumnIndex column,
                                    TAddPopupItemType& cmd) {
        if (column == 0) cmd = apHidden;
    };
    menu->Popup(10, 10);
    ASSERT_EQ(menu->GetItems()->GetCount(), 2);
    EXPECT_EQ(Item(0)->GetCaption(), u"one");

    std::vector<std::pair<TColumnIndex, bool>> changes;
    menu->OnColumnChange = [&](TBaseVirtualTree*, TColumnIndex column, bool visible) {
        changes.emplace_back(column, visible);
    };
    Item(0)->Click();
    EXPECT_FALSE(tree->GetHeader()->GetColumns()->GetItem(1)->GetOptions().Contains(coVisible));
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_FALSE(changes[0].second);
}

} // namespace
