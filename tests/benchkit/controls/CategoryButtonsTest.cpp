// Category buttons: layout and collapsing, selection and clicks, reordering
// by drag and the owner's veto of a drag, and where automation finds things.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDECategoryButtons.h"

#include <runpak/ComObj.h>
#include <runpak/ObjectDispatch.h>

#include <string>
#include <vector>

namespace {

class CategoryButtonsTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        buttons = Place(new TIDECategoryButtons(Form), 160, 250);
        TButtonCategory* files = buttons->GetCategories()->Add();
        files->SetCaption(u"Files");
        for (const char16_t* c : {u"New", u"Open", u"Save"}) files->Add()->SetCaption(c);
        TButtonCategory* tools = buttons->GetCategories()->Add();
        tools->SetCaption(u"Tools");
        for (const char16_t* c : {u"Options", u"Help"}) tools->Add()->SetCaption(c);
        Pump();
    }
    std::vector<std::u16string> Captions(int Category) {
        std::vector<std::u16string> out;
        TIDEButtonCategory* c = buttons->GetZombieItems(Category);
        for (int i = 0; i < c->GetCount(); ++i) out.push_back(c->GetItems(i)->GetCaption());
        return out;
    }
    POINT Screen(TIDEButtonItem* Item) {
        return TestSeams::ClientPoint(buttons->GetHandle(), Item->GetLeft() + 10,
                                      (Item->GetTop() + Item->GetBottom()) / 2);
    }
    TIDECategoryButtons* buttons = nullptr;
};

TEST_F(CategoryButtonsTest, LayoutCollapseAndAutomationEdges) {
    ASSERT_EQ(buttons->GetItemCount(), 2);
    TIDEButtonCategory* files = buttons->GetZombieItems(0);
    TIDEButtonCategory* tools = buttons->GetZombieCategories()->GetZombieItems(1);
    const int header = buttons->HeaderHeight();
    EXPECT_EQ(files->GetTop(), 0);
    EXPECT_EQ(files->GetBottom(), header + 3 * 24);
    EXPECT_EQ(tools->GetTop(), files->GetBottom() + 1);
    EXPECT_EQ(files->GetRight(), buttons->GetClientWidth());
    TIDEButtonItem* save = files->GetZombieItems(2);
    EXPECT_EQ(save->GetTop(), header + 2 * 24);
    EXPECT_EQ(save->GetBottom() - save->GetTop(), 24);
    EXPECT_EQ(save->GetZombieCategory(), files);

    // A click on the header folds the category away; the next one opens it.
    ClickAt(buttons, 20, header / 2);
    EXPECT_TRUE(files->GetCollapsed());
    EXPECT_EQ(tools->GetTop(), header + 1);
    EXPECT_EQ(save->GetBottom() - save->GetTop(), 0);
    ClickAt(buttons, 20, header / 2);
    EXPECT_FALSE(files->GetCollapsed());
}

TEST_F(CategoryButtonsTest, ClicksSelectAndReportTheButton) {
    EXPECT_EQ(buttons->GetZombieSelectedItem(), nullptr);
    std::vector<std::u16string> clicked;
    buttons->OnButtonClicked = [&](TObject*, TButtonItem* Item) { clicked.push_back(Item->GetCaption()); };
    TIDEButtonItem* help = buttons->GetZombieItems(1)->GetZombieItems(1);
    int own = 0;
    help->OnClick = [&](TObject*) { ++own; };
    TIDEButtonItem* open = buttons->GetZombieItems(0)->GetZombieItems(1);
    TestSeams::Click(Screen(open));
    Pump();
    TestSeams::AdvanceClock(1000);
    EXPECT_EQ(buttons->GetZombieSelectedItem(), open);
    TestSeams::Click(Screen(help));
    Pump();
    EXPECT_EQ(clicked, std::vector<std::u16string>{u"Open"});
    EXPECT_EQ(own, 1); // a button's own handler instead of the control's
    buttons->GetZombieItems(0)->GetZombieItems(0)->SelectItem();
    EXPECT_EQ(buttons->GetZombieSelectedItem()->GetCaption(), u"New");
    buttons->GetZombieItems(0)->Delete(0);
    EXPECT_EQ(buttons->GetZombieSelectedItem(), nullptr); // a deleted button is not selected
}

TEST_F(CategoryButtonsTest, DragReordersUnlessTheOwnerTakesTheDragOver) {
    TIDEButtonItem* first = buttons->GetZombieItems(0)->GetZombieItems(0);
    TIDEButtonItem* help = buttons->GetZombieItems(1)->GetZombieItems(1);
    auto drag = [&](TIDEButtonItem* From, TIDEButtonItem* To) {
        const POINT from = Screen(From);
        const POINT to = Screen(To);
        TestSeams::MouseMove(from);
        TestSeams::MouseDown(from);
        TestSeams::MouseMove(POINT{from.x, from.y + 8});
        TestSeams::MouseMove(to);
        TestSeams::MouseUp(to);
        Pump();
        TestSeams::AdvanceClock(1000);
        Pump();
    };
    bool handled = true;
    int asked = 0;
    buttons->OnBeginDrag = [&](TObject* Sender, bool& Handled) {
        EXPECT_EQ(Sender, buttons);
        ++asked;
        Handled = handled;
    };
    drag(first, help);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Captions(0), (std::vector<std::u16string>{u"New", u"Open", u"Save"}));
    EXPECT_FALSE(buttons->Dragging());

    // Left to the control, the button moves before the one it is dropped on.
    handled = false;
    drag(first, help);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Captions(0), (std::vector<std::u16string>{u"Open", u"Save"}));
    EXPECT_EQ(Captions(1), (std::vector<std::u16string>{u"Options", u"New", u"Help"}));
    EXPECT_EQ(first->GetZombieCategory(), buttons->GetZombieItems(1));
}

// A member of a dispatch read (or called) by name, with integer arguments.
HRESULT CallByName(IDispatch* Dispatch, const char16_t* Name, std::vector<int> Args,
                   TOleVariant& Result) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(Name)};
    DISPID id;
    if (HRESULT hr = Dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id); FAILED(hr)) return hr;
    std::vector<VARIANT> v(Args.size());
    for (size_t i = 0; i < Args.size(); ++i) {
        VariantInit(&v[i]);
        v[i].vt = VT_I4;
        v[i].lVal = Args[Args.size() - 1 - i];
    }
    DISPPARAMS params{v.data(), nullptr, UINT(v.size()), 0};
    return Dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                            Result.Ptr(), nullptr, nullptr);
}

// Holds a VARIANT handed over by the control, clearing what it held before.
void Take(TOleVariant& Holder, VARIANT Value) {
    VariantClear(Holder.Ptr());
    Holder.Value() = Value;
}

TObject* InstanceIn(const VARIANT& Value) {
    if (Value.vt != VT_DISPATCH || !Value.pdispVal) return nullptr;
    auto* dispatch = dynamic_cast<TObjectDispatch*>(Value.pdispVal);
    return dispatch ? dispatch->GetInstance() : nullptr;
}

TEST_F(CategoryButtonsTest, AutomationHandsOutDispatchesOverTheButtonsAndCategories) {
    TIDEButtonCategory* tools = buttons->GetZombieItems(1);
    TIDEButtonItem* help = tools->GetZombieItems(1);
    TOleVariant value;
    Take(value, buttons->OleZombieSelectedItem());
    EXPECT_EQ(value.vt(), VT_NULL);
    Take(value, buttons->OleItems(1));
    EXPECT_EQ(InstanceIn(value.Value()), tools);
    Take(value, tools->OleItems(1));
    EXPECT_EQ(InstanceIn(value.Value()), help);
    Take(value, help->OleZombieCategory());
    EXPECT_EQ(InstanceIn(value.Value()), tools);
    Take(value, buttons->OleZombieCategories());
    EXPECT_EQ(InstanceIn(value.Value()), buttons->GetCategories());

    // A client walks control -> category -> button by name, reads edges and
    // selects; letting go of the dispatches leaves the objects alive.
    InterfacePtr<IDispatch> control(new TObjectDispatch(buttons, false));
    TOleVariant count, category, button, edge, none;
    ASSERT_EQ(CallByName(control.Get(), u"ItemCount", {}, count), S_OK);
    EXPECT_EQ(count.Value().lVal, 2);
    ASSERT_EQ(CallByName(control.Get(), u"ZombieSelectedItem", {}, none), S_OK);
    EXPECT_EQ(InstanceIn(none.Value()), nullptr);
    ASSERT_EQ(CallByName(control.Get(), u"Items", {1}, category), S_OK);
    ASSERT_EQ(CallByName(category.Value().pdispVal, u"Count", {}, count), S_OK);
    EXPECT_EQ(count.Value().lVal, 2);
    ASSERT_EQ(CallByName(category.Value().pdispVal, u"Items", {1}, button), S_OK);
    EXPECT_EQ(InstanceIn(button.Value()), help);
    ASSERT_EQ(CallByName(button.Value().pdispVal, u"Bottom", {}, edge), S_OK);
    EXPECT_EQ(edge.Value().lVal, help->GetBottom());
    ASSERT_EQ(CallByName(category.Value().pdispVal, u"Top", {}, edge), S_OK);
    EXPECT_EQ(edge.Value().lVal, tools->GetTop());
    TOleVariant ignored;
    ASSERT_EQ(CallByName(button.Value().pdispVal, u"SelectItem", {}, ignored), S_OK);
    EXPECT_EQ(buttons->GetZombieSelectedItem(), help);
    ASSERT_EQ(CallByName(control.Get(), u"ZombieSelectedItem", {}, none), S_OK);
    EXPECT_EQ(InstanceIn(none.Value()), help);
    // A bad index is the client's error, not the control's end.
    EXPECT_EQ(CallByName(category.Value().pdispVal, u"Items", {7}, ignored), DISP_E_EXCEPTION);
}

} // namespace
