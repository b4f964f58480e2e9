// Menus: the item tree, the form's menu bar (built, clicked through the
// window manager's tracking, changed while shown), short cuts and pop-up
// menus on right clicks.
#include "QuorlpakTestSupport.h"

#include <quorlpak/Menus.h>

#include <memory>

namespace {

TMenuItem* NewItem(TComponent* Owner, const UnicodeString& Caption, TMenuItem* Parent,
                   std::vector<UnicodeString>* Clicks = nullptr) {
    auto* item = new TMenuItem(Owner);
    item->SetCaption(Caption);
    if (Parent) Parent->Add(item);
    if (Clicks) item->OnClick = [Clicks, Caption](TObject*) { Clicks->push_back(Caption); };
    return item;
}

UnicodeString MenuString(HMENU Menu, UINT Position) {
    char16_t buffer[128] = {};
    GetMenuStringW(Menu, Position, buffer, 128, MF_BYPOSITION);
    return buffer;
}

POINT Center(const RECT& R) {
    return {(R.left + R.right) / 2, (R.top + R.bottom) / 2};
}

// A form with the servo panel's kind of menu bar: File (Load, a line, a
// disabled Save) and About (a checked Ver150).
class MenuTest : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        form = ShownForm(300, 200);
        menu = new TMainMenu(form);
        file = NewItem(form, u"&File", menu->GetItems());
        load = NewItem(form, u"&Load", file, &clicks);
        line = NewItem(form, u"-", file, &clicks);
        save = NewItem(form, u"&Save", file, &clicks);
        save->SetEnabled(false);
        about = NewItem(form, u"&About", menu->GetItems());
        ver = NewItem(form, u"Ver150", about, &clicks);
        ver->SetChecked(true);
    }
    void TearDown() override {
        TestSeams::ScriptPopupMenus(nullptr);
        QuorlpakTest::TearDown();
    }
    // Clicks the menu bar's item at Position (the tracking script answers the drop-down).
    void ClickBar(UINT Position) {
        RECT r{};
        ASSERT_TRUE(GetMenuItemRect(form->GetHandle(), menu->GetHandle(), Position, &r));
        TestSeams::Click(Center(r));
        Pump();
        Pump();
        TestSeams::AdvanceClock(1000);
    }

    TForm* form = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file = nullptr, *load = nullptr, *line = nullptr, *save = nullptr;
    TMenuItem *about = nullptr, *ver = nullptr;
    std::vector<UnicodeString> clicks;
};

} // namespace

TEST(MenuItemTest, ChildrenAreAddedInsertedFoundAndDeleted) {
    auto root = std::make_unique<TMenuItem>(nullptr);
    TMenuItem* a = NewItem(nullptr, u"&Alpha", root.get());
    TMenuItem* c = NewItem(nullptr, u"Gamma", root.get());
    TMenuItem* b = NewItem(nullptr, u"Beta", nullptr);
    root->Insert(1, b);
    ASSERT_EQ(root->GetCount(), 3);
    EXPECT_EQ(root->GetItems(0), a);
    EXPECT_EQ((*root)[1], b);
    EXPECT_EQ(root->GetItems(2), c);
    EXPECT_EQ(b->GetParent(), root.get());
    EXPECT_EQ(b->GetMenuIndex(), 1);
    EXPECT_EQ(root->IndexOf(c), 2);
    EXPECT_EQ(root->Find(u"alpha"), a); // without '&', any case
    EXPECT_EQ(root->Find(u"Delta"), nullptr);

    c->SetMenuIndex(0);
    EXPECT_EQ(root->GetItems(0), c);
    root->Remove(c);
    EXPECT_EQ(c->GetParent(), nullptr);
    EXPECT_EQ(root->GetCount(), 2);
    delete c;
    root->Delete(0); // frees a
    EXPECT_EQ(root->GetCount(), 1);
    EXPECT_EQ(root->GetItems(0), b);
}

TEST(MenuItemTest, MisuseRaisesMenuErrors) {
    auto root = std::make_unique<TMenuItem>(nullptr);
    auto other = std::make_unique<TMenuItem>(nullptr);
    TMenuItem* child = NewItem(nullptr, u"Child", root.get());
    EXPECT_THROW(other->Add(child), EMenuError); // already has a parent
    auto loose = std::make_unique<TMenuItem>(nullptr);
    EXPECT_THROW(root->Insert(5, loose.get()), EMenuError);
    EXPECT_EQ(loose->GetParent(), nullptr);
    EXPECT_THROW(root->GetItems(1), EMenuError);
    EXPECT_THROW(child->Add(root.get()), EMenuError); // a cycle
    EXPECT_THROW(root->Remove(other.get()), EMenuError);
}

TEST(MenuItemTest, DeletingAnItemTakesItsChildrenAndLeavesItsParent) {
    auto root = std::make_unique<TMenuItem>(nullptr);
    TMenuItem* sub = NewItem(nullptr, u"Sub", root.get());
    NewItem(nullptr, u"Leaf", sub);
    delete sub;
    EXPECT_EQ(root->GetCount(), 0);
}

TEST(MenuItemTest, CommandsAreUniqueAndFoundInTheTree) {
    TPopupMenu popup(nullptr);
    TMenuItem* a = NewItem(&popup, u"A", popup.GetItems());
    TMenuItem* b = NewItem(&popup, u"B", a);
    EXPECT_NE(a->GetCommand(), 0u);
    EXPECT_NE(a->GetCommand(), b->GetCommand());
    EXPECT_EQ(popup.FindItem(b->GetCommand(), fkCommand), b);
    EXPECT_EQ(b->GetParentMenu(), &popup);
    EXPECT_FALSE(popup.DispatchCommand(0));
    EXPECT_FALSE(popup.DispatchCommand(0xFFFF));
}

TEST(MenuItemTest, RadioItemsOfAGroupCheckOneAtATimeAndAutoCheckToggles) {
    auto root = std::make_unique<TMenuItem>(nullptr);
    TMenuItem* r1 = NewItem(nullptr, u"One", root.get());
    TMenuItem* r2 = NewItem(nullptr, u"Two", root.get());
    TMenuItem* other = NewItem(nullptr, u"Other group", root.get());
    for (TMenuItem* item : {r1, r2, other})
        item->SetRadioItem(true);
    other->SetGroupIndex(1);
    r1->SetChecked(true);
    other->SetChecked(true);
    r2->SetChecked(true);
    EXPECT_FALSE(r1->GetChecked());
    EXPECT_TRUE(r2->GetChecked());
    EXPECT_TRUE(other->GetChecked());

    TMenuItem* toggle = NewItem(nullptr, u"Toggle", root.get());
    toggle->SetAutoCheck(true);
    int clicked = 0;
    toggle->OnClick = [&](TObject*) { ++clicked; };
    toggle->Click();
    EXPECT_TRUE(toggle->GetChecked());
    toggle->Click();
    EXPECT_FALSE(toggle->GetChecked());
    EXPECT_EQ(clicked, 2);
    toggle->SetEnabled(false);
    toggle->Click();
    EXPECT_EQ(clicked, 2); // a disabled item does nothing
}

TEST(ShortCutTest, TextAndKeysConvertBothWays) {
    struct Case {
        TShortCut shortCut;
        const char16_t* text;
    };
    for (const Case& c :
         {Case{ShortCut('S', {ssCtrl}), u"Ctrl+S"}, Case{ShortCut(VK_F5, {ssShift}), u"Shift+F5"},
          Case{ShortCut(VK_DELETE, {ssAlt}), u"Alt+Del"},
          Case{ShortCut('O', {ssShift, ssCtrl}), u"Shift+Ctrl+O"},
          Case{ShortCut(VK_F12, {}), u"F12"}}) {
        EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
        EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << UnicodeToUtf8(c.text);
    }
    EXPECT_EQ(TextToShortCut(u"ctrl+s"), ShortCut('S', {ssCtrl}));
    EXPECT_EQ(TextToShortCut(u"Ctrl+"), scNone);
    EXPECT_EQ(TextToShortCut(u"Hyper+Q"), scNone);
    EXPECT_EQ(ShortCutToText(scNone), u"");
    uint16_t key = 0;
    TShiftState shift;
    ShortCutToKey(ShortCut('Q', {ssCtrl, ssAlt}), key, shift);
    EXPECT_EQ(key, 'Q');
    EXPECT_EQ(shift, (TShiftState{ssCtrl, ssAlt}));
}

TEST(ShortCutTest, HotkeysComeFromTheSingleAmpersand) {
    EXPECT_EQ(StripHotkey(u"&File"), u"File");
    EXPECT_EQ(StripHotkey(u"Save && &Quit"), u"Save & Quit");
    EXPECT_EQ(GetHotkey(u"Save && &quit"), u'Q');
    EXPECT_EQ(GetHotkey(u"No hot key &&"), 0);
}

TEST_F(MenuTest, TheFormsWindowShowsTheMenuBarWithItsItemsStates) {
    load->SetShortCut(ShortCut('L', {ssCtrl}));
    form->SetMenu(menu);
    HMENU bar = GetMenu(form->GetHandle());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar, menu->GetHandle());
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuString(bar, 0), u"&File");
    HMENU fileMenu = GetSubMenu(bar, 0);
    ASSERT_NE(fileMenu, nullptr);
    EXPECT_EQ(fileMenu, file->GetHandle());
    ASSERT_EQ(GetMenuItemCount(fileMenu), 3);
    EXPECT_EQ(MenuString(fileMenu, 0), u"&Load\tCtrl+L");
    EXPECT_EQ(GetMenuItemID(fileMenu, 0), load->GetCommand());
    EXPECT_TRUE(GetMenuState(fileMenu, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(fileMenu, 2, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(GetSubMenu(bar, 1), 0, MF_BYPOSITION) & MF_CHECKED);
}

TEST_F(MenuTest, TheMenuBarTakesItsHeightFromTheClientArea) {
    const int height = form->GetHeight();
    const int clientHeight = form->GetClientHeight();
    form->SetMenu(menu);
    EXPECT_EQ(form->GetHeight(), height);
    EXPECT_EQ(form->GetClientHeight(), clientHeight - GetSystemMetrics(SM_CYMENU));
    form->SetMenu(nullptr);
    EXPECT_EQ(GetMenu(form->GetHandle()), nullptr);
    EXPECT_EQ(form->GetClientHeight(), clientHeight);
}

TEST_F(MenuTest, AFormMadeAfterItsMenuIsSetGetsTheBarWithItsWindow) {
    auto* other = new TForm(Application);
    other->AfterConstruction();
    auto* otherMenu = new TMainMenu(other);
    NewItem(other, u"Only", otherMenu->GetItems());
    other->SetMenu(otherMenu);
    EXPECT_FALSE(other->HandleAllocated());
    other->Show();
    EXPECT_EQ(GetMenu(other->GetHandle()), otherMenu->GetHandle());
    delete otherMenu; // the form forgets it and the bar goes
    EXPECT_EQ(other->GetMenu(), nullptr);
    EXPECT_EQ(GetMenu(other->GetHandle()), nullptr);
}

TEST_F(MenuTest, ChoosingFromTheBarsDropDownFiresTheItemsOnClick) {
    form->SetMenu(menu);
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord& r) {
        EXPECT_EQ(r.menu, file->GetHandle()); // the drop-down of the item clicked
        return TestSeams::PopupMenuAnswer{load->GetCommand(), false};
    });
    ClickBar(0);
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Load"});
    auto menus = TestSeams::PopupMenus();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].command, load->GetCommand());
}

TEST_F(MenuTest, ADisabledItemOrASeparatorCannotBeChosen) {
    form->SetMenu(menu);
    UINT answer = save->GetCommand();
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord&) {
        return TestSeams::PopupMenuAnswer{answer, false};
    });
    ClickBar(0);
    answer = line->GetCommand();
    ClickBar(0);
    EXPECT_TRUE(clicks.empty());
    // Enabled again, the same choice works.
    save->SetEnabled(true);
    answer = save->GetCommand();
    ClickBar(0);
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Save"});
}

TEST_F(MenuTest, TheDropDownFollowsTheMouseWhenLeftToItsUser) {
    form->SetMenu(menu);
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord& r) {
        RECT item{};
        EXPECT_TRUE(GetMenuItemRect(nullptr, r.menu, 0, &item)); // Ver150 in the open drop-down
        TestSeams::Click(Center(item));
        TestSeams::PopupMenuAnswer answer;
        answer.interactive = true;
        return answer;
    });
    ClickBar(1);
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"Ver150"});
}

TEST_F(MenuTest, ACommandPostedToTheFormReachesItsItem) {
    form->SetMenu(menu);
    PostMessageW(form->GetHandle(), WM_COMMAND, MAKEWPARAM(ver->GetCommand(), 0), 0);
    Pump();
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"Ver150"});
}

TEST_F(MenuTest, ChangingItemsWhileShownRebuildsTheBar) {
    form->SetMenu(menu);
    NewItem(form, u"Load Prog", file, &clicks);
    HMENU bar = GetMenu(form->GetHandle());
    EXPECT_EQ(bar, menu->GetHandle());
    ASSERT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 4);
    EXPECT_EQ(MenuString(GetSubMenu(bar, 0), 3), u"Load Prog");

    about->SetVisible(false);
    bar = GetMenu(form->GetHandle());
    EXPECT_EQ(GetMenuItemCount(bar), 1);
    about->SetVisible(true);
    file->SetCaption(u"&Datei");
    bar = GetMenu(form->GetHandle());
    EXPECT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuString(bar, 0), u"&Datei");
    // A check mark or a state changes in place: a menu open on the screen stays valid.
    bar = GetMenu(form->GetHandle());
    ver->SetChecked(false);
    save->SetEnabled(true);
    EXPECT_EQ(GetMenu(form->GetHandle()), bar);
    EXPECT_FALSE(GetMenuState(GetSubMenu(bar, 1), 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(GetSubMenu(bar, 0), 3, MF_BYPOSITION) & MF_GRAYED);
}

TEST_F(MenuTest, OnChangeTellsWhichItemChanged) {
    std::vector<std::pair<TMenuItem*, bool>> changes;
    menu->OnChange = [&](TObject* Sender, TMenuItem* Source, bool Rebuild) {
        EXPECT_EQ(Sender, menu);
        changes.emplace_back(Source, Rebuild);
    };
    form->SetMenu(menu);
    ver->SetChecked(false);
    load->SetCaption(u"Load...");
    EXPECT_EQ(changes, (std::vector<std::pair<TMenuItem*, bool>>{{ver, false}, {load, true}}));
}

TEST_F(MenuTest, ACommandRightOnTheBarRunsWithoutADropDown) {
    form->SetMenu(menu);
    TMenuItem* help = NewItem(form, u"&Help", menu->GetItems(), &clicks);
    TestSeams::ScriptPopupMenus([](const TestSeams::PopupMenuRecord&) {
        ADD_FAILURE() << "no drop-down should open";
        return TestSeams::PopupMenuAnswer{};
    });
    ClickBar(static_cast<UINT>(help->GetMenuIndex()));
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Help"});
}

TEST_F(MenuTest, ShortCutsRunTheirItemsOnlyWhenReachable) {
    load->SetShortCut(ShortCut('L', {ssCtrl}));
    save->SetShortCut(ShortCut('S', {ssCtrl}));
    EXPECT_TRUE(menu->IsShortCut('L', {ssCtrl}));
    EXPECT_FALSE(menu->IsShortCut('L', {}));
    EXPECT_FALSE(menu->IsShortCut('S', {ssCtrl})); // disabled
    save->SetEnabled(true);
    file->SetEnabled(false);
    EXPECT_FALSE(menu->IsShortCut('S', {ssCtrl})); // its parent is disabled
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Load"});
}

TEST_F(MenuTest, TheFormRunsShortCutsOfItsMenuFromTheKeyboard) {
    form->SetMenu(menu);
    load->SetShortCut(ShortCut(VK_F3, {}));
    form->SetFocus();
    Pump();
    TestSeams::KeyPress(VK_F3);
    Pump();
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Load"});
}

TEST_F(MenuTest, ShortCutsWorkWhileAControlOfTheFormHasTheFocus) {
    form->SetMenu(menu);
    load->SetShortCut(ShortCut('L', {ssCtrl}));
    auto* control = new TTestControl(form);
    control->SetTabStop(true);
    control->SetParent(form);
    control->SetFocus();
    Pump();
    ASSERT_TRUE(control->Focused());
    TestSeams::KeyDown(VK_CONTROL);
    TestSeams::KeyPress('L');
    TestSeams::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Load"});
}

TEST_F(MenuTest, DeletingTheMenuFreesItsItemsAndTheFormForgetsIt) {
    form->SetMenu(menu);
    const int before = form->GetComponentCount();
    delete menu;
    EXPECT_EQ(form->GetMenu(), nullptr);
    EXPECT_EQ(GetMenu(form->GetHandle()), nullptr);
    EXPECT_EQ(form->GetComponentCount(), before - 7); // the menu and its six items
}

// --- Pop-up menus ----------------------------------------------------------------------

namespace {

class PopupMenuTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        popup = new TPopupMenu(form);
        copy = NewItem(form, u"&Copy", popup->GetItems(), &clicks);
        NewItem(form, u"&Paste", popup->GetItems(), &clicks);
        popup->OnPopup = [this](TObject*) { ++popups; };
        control = new TTestControl(form);
        control->SetParent(form);
        control->SetBounds(10, 10, 80, 60);
        Pump();
    }
    TPopupMenu* popup = nullptr;
    TMenuItem* copy = nullptr;
    TTestControl* control = nullptr;
    int popups = 0;
};

} // namespace

TEST_F(PopupMenuTest, ARightClickOnAControlShowsItsPopupMenuAtTheMouse) {
    control->SetPopupMenu(popup);
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord& r) {
        EXPECT_EQ(r.menu, popup->GetHandle());
        return TestSeams::PopupMenuAnswer{copy->GetCommand(), false};
    });
    POINT at = TestSeams::ClientPoint(control->GetHandle(), 20, 15);
    TestSeams::Click(at, VK_RBUTTON);
    Pump();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Copy"});
    EXPECT_EQ(popup->GetPopupComponent(), control);
    auto menus = TestSeams::PopupMenus();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].at.x, at.x);
    EXPECT_EQ(menus[0].at.y, at.y);
}

TEST_F(PopupMenuTest, AControlWithoutOneUsesItsParentsPopupMenu) {
    form->SetPopupMenu(popup);
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord&) {
        return TestSeams::PopupMenuAnswer{copy->GetCommand(), false};
    });
    TestSeams::Click(TestSeams::ClientPoint(control->GetHandle(), 5, 5), VK_RBUTTON);
    Pump();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(popup->GetPopupComponent(), form);
}

TEST_F(PopupMenuTest, AWindowlessControlsRequestGoesToItsParent) {
    auto* graphic = new TTestGraphic(form);
    graphic->SetParent(form);
    graphic->SetBounds(120, 10, 30, 30);
    form->SetPopupMenu(popup);
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord&) {
        return TestSeams::PopupMenuAnswer{copy->GetCommand(), false};
    });
    TestSeams::Click(TestSeams::ClientPoint(form->GetHandle(), 130, 20), VK_RBUTTON);
    Pump();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Copy"});
    // With a menu of its own, the windowless control shows that one.
    auto* own = new TPopupMenu(form);
    TMenuItem* ownItem = NewItem(form, u"Own", own->GetItems(), &clicks);
    graphic->SetPopupMenu(own);
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord&) {
        return TestSeams::PopupMenuAnswer{ownItem->GetCommand(), false};
    });
    TestSeams::AdvanceClock(1000);
    TestSeams::Click(TestSeams::ClientPoint(form->GetHandle(), 130, 20), VK_RBUTTON);
    Pump();
    EXPECT_EQ(clicks, (std::vector<UnicodeString>{u"&Copy", u"Own"}));
    EXPECT_EQ(own->GetPopupComponent(), graphic);
}

TEST_F(PopupMenuTest, OnContextPopupMayHandleTheRequestItself) {
    control->SetPopupMenu(popup);
    control->OnContextPopup = [](TObject*, TPoint, bool& Handled) { Handled = true; };
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord&) {
        ADD_FAILURE() << "no menu should show";
        return TestSeams::PopupMenuAnswer{};
    });
    TestSeams::Click(TestSeams::ClientPoint(control->GetHandle(), 5, 5), VK_RBUTTON);
    Pump();
    EXPECT_EQ(popups, 0);
}

TEST_F(PopupMenuTest, AutoPopupOffShowsNothingButPopupStillWorks) {
    control->SetPopupMenu(popup);
    popup->SetAutoPopup(false);
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord&) {
        return TestSeams::PopupMenuAnswer{copy->GetCommand(), false};
    });
    TestSeams::Click(TestSeams::ClientPoint(control->GetHandle(), 5, 5), VK_RBUTTON);
    Pump();
    EXPECT_EQ(popups, 0);
    popup->Popup(50, 60);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(popup->GetPopupPoint().x, 50);
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Copy"});
}

TEST_F(PopupMenuTest, CancellingRunsNoItemButClosesTheMenu) {
    int closes = 0;
    popup->OnClose = [&](TObject*) { ++closes; };
    TestSeams::ScriptPopupMenus(
        [](const TestSeams::PopupMenuRecord&) { return TestSeams::PopupMenuAnswer{}; });
    popup->Popup(10, 10);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(PopupMenuTest, OnPopupMayChangeTheItemsBeforeTheyShow) {
    TMenuItem* added = nullptr;
    popup->OnPopup = [&](TObject*) {
        if (!added) added = NewItem(form, u"Added", popup->GetItems(), &clicks);
    };
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord& r) {
        EXPECT_EQ(GetMenuItemCount(r.menu), 3);
        return TestSeams::PopupMenuAnswer{added ? added->GetCommand() : 0u, false};
    });
    popup->Popup(10, 10);
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"Added"});
}

TEST_F(PopupMenuTest, AControlForgetsAPopupMenuThatGoes) {
    control->SetPopupMenu(popup);
    form->SetPopupMenu(popup);
    delete popup;
    EXPECT_EQ(control->GetPopupMenu(), nullptr);
    EXPECT_EQ(form->GetPopupMenu(), nullptr);
    // A right click now shows nothing (no script: a menu would end the test).
    TestSeams::Click(TestSeams::ClientPoint(control->GetHandle(), 5, 5), VK_RBUTTON);
    Pump();
}

TEST_F(PopupMenuTest, APopupMenusShortCutsWorkForItsControl) {
    copy->SetShortCut(ShortCut('C', {ssCtrl}));
    control->SetPopupMenu(popup);
    control->SetTabStop(true);
    control->SetFocus();
    Pump();
    TestSeams::KeyDown(VK_CONTROL);
    TestSeams::KeyPress('C');
    TestSeams::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(clicks, std::vector<UnicodeString>{u"&Copy"});
}
