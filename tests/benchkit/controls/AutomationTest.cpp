#include "ControlsTestSupport.h"

#include <benchkit/controls/IDEAutomation.h>

#include <quorlpak/CheckLst.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/Grids.h>
#include <quorlpak/HeaderControl.h>
#include <quorlpak/Menus.h>
#include <quorlpak/StatusBar.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/TabControl.h>
#include <quorlpak/ToolWin.h>
#include <runpak/AnsiString.h>
#include <runpak/ComObj.h>
#include <runpak/ScopeGuard.h>
#include <win32/TestSeams.h>

#include <vector>

namespace {

// A late-bound client: every step goes by name through IDispatch.
class Auto {
public:
    Auto() = default;
    explicit Auto(IDispatch* d) { FDispatch.Attach(d); }

    IDispatch* Get() const { return FDispatch.Get(); }

    // The call's result code and, for a successful call, its value.
    HRESULT Invoke(const char16_t* name, WORD flags, std::vector<Variant> args, TOleVariant* result,
                   EXCEPINFO* info = nullptr) const {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id;
        HRESULT hr = FDispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id);
        if (FAILED(hr)) return hr;
        std::vector<VARIANT> v(args.size());
        for (size_t i = 0; i < args.size(); ++i) {
            VariantInit(&v[i]);
            VariantToOle(args[args.size() - 1 - i], &v[i]);
        }
        DISPID named = DISPID_PROPERTYPUT;
        const bool put = flags & DISPATCH_PROPERTYPUT;
        DISPPARAMS params{v.data(), put ? &named : nullptr, UINT(v.size()), put ? 1u : 0u};
        hr = FDispatch->Invoke(id, GUID_NULL, 0, flags, &params, result ? result->Ptr() : nullptr, info,
                               nullptr);
        for (VARIANT& item : v) VariantClear(&item);
        return hr;
    }
    Variant Value(const char16_t* name, std::vector<Variant> args = {}) const {
        TOleVariant result;
        const HRESULT hr = Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), &result);
        EXPECT_EQ(hr, S_OK) << UTF8String(UnicodeString(name)).c_str();
        return OleToVariant(result.Value());
    }
    // The object a member answers, as a client of its own.
    Auto Object(const char16_t* name, std::vector<Variant> args = {}) const {
        TOleVariant result;
        const HRESULT hr = Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), &result);
        EXPECT_EQ(hr, S_OK) << UTF8String(UnicodeString(name)).c_str();
        EXPECT_EQ(result.vt(), VT_DISPATCH);
        if (result.vt() != VT_DISPATCH || !result.Value().pdispVal) return Auto();
        IDispatch* d = result.Value().pdispVal;
        d->AddRef();
        return Auto(d);
    }
    HRESULT Put(const char16_t* name, Variant value) const {
        return Invoke(name, DISPATCH_PROPERTYPUT, {std::move(value)}, nullptr);
    }
    // Writes an object another client stands for.
    HRESULT PutObject(const char16_t* name, const Auto& value) const {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id;
        HRESULT hr = FDispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id);
        if (FAILED(hr)) return hr;
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_DISPATCH;
        arg.pdispVal = value.Get();
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&arg, &named, 1, 1};
        return FDispatch->Invoke(id, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    }

private:
    InterfacePtr<IDispatch> FDispatch;
};

// A member that answers no object.
bool IsNoObject(const Auto& client, const char16_t* name, std::vector<Variant> args) {
    TOleVariant result;
    if (client.Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), &result) != S_OK)
        return false;
    return result.vt() == VT_EMPTY || result.vt() == VT_NULL ||
           (result.vt() == VT_DISPATCH && !result.Value().pdispVal);
}

class AutomationTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        InitializeIDEAutomation();
        Form->SetName(u"MainWindow");
        Button = new TButton(Form);
        Button->SetName(u"Button1");
        Button->SetParent(Form);
        Button->OnClick = [this](TObject*) { ++Clicks; };
        Combo = new TComboBox(Form);
        Combo->SetName(u"Combo1");
        Combo->SetBounds(0, 40, 120, 24);
        Combo->SetParent(Form);
        Combo->GetItems()->Add(u"Alpha");
        Combo->GetItems()->Add(u"Beta");
        Combo->OnChange = [this](TObject*) { ++Changes; };
        Pump();
        App = Auto(TAutoObjectDispatch::Create(Application));
    }
    void TearDown() override {
        App = Auto();
        FinalizeIDEAutomation();
        ControlsTest::TearDown();
    }
    Auto FormClient() const { return App.Object(u"Screen").Object(u"GetForm", {0}); }

    TButton* Button = nullptr;
    TComboBox* Combo = nullptr;
    int Clicks = 0;
    int Changes = 0;
    Auto App;
};

TEST_F(AutomationTest, ClickReturnsBeforeTheButtonRunsAndRunsWhenTheLoopDelivers) {
    Auto form = FormClient();
    EXPECT_TRUE(form.Value(u"Name") == Variant(u"MainWindow"));
    Auto button = form.Object(u"Button1"); // an owned component, by its name
    EXPECT_TRUE(button.Value(u"ClassName") == Variant(u"TButton"));
    ASSERT_EQ(button.Invoke(u"Click", DISPATCH_METHOD, {}, nullptr), S_OK);
    EXPECT_EQ(Clicks, 0);
    Pump();
    EXPECT_EQ(Clicks, 1);

    // A click whose wrapper is released before the loop runs is dropped.
    ASSERT_EQ(button.Invoke(u"Click", DISPATCH_METHOD, {}, nullptr), S_OK);
    button = Auto();
    Pump();
    EXPECT_EQ(Clicks, 1);
}

TEST_F(AutomationTest, MenuItemsAreFoundByCommandAndClickFromTheLoop) {
    auto* menu = new TMainMenu(Form);
    menu->SetName(u"MainMenu1");
    auto* file = new TMenuItem(Form);
    file->SetName(u"File1");
    file->SetCaption(u"&File");
    auto* open = new TMenuItem(Form);
    open->SetName(u"Open1");
    open->SetCaption(u"&Open");
    int opened = 0;
    open->OnClick = [&](TObject*) { ++opened; };
    file->Add(open);
    menu->GetItems()->Add(file);

    Auto item = FormClient().Object(u"MainMenu1").Object(u"FindItem", {int(open->GetCommand())});
    EXPECT_TRUE(item.Value(u"Name") == Variant(u"Open1"));
    EXPECT_TRUE(item.Object(u"Parent").Value(u"Count") == Variant(1));
    ASSERT_EQ(item.Invoke(u"Click", DISPATCH_METHOD, {}, nullptr), S_OK);
    EXPECT_EQ(opened, 0);
    Pump();
    EXPECT_EQ(opened, 1);
}

TEST_F(AutomationTest, ComboBoxTextAndIndexTellTheChangeHandlerOnlyOnAChange) {
    Auto combo = FormClient().Object(u"Combo1");
    ASSERT_EQ(combo.Put(u"Text", u"Gamma"), S_OK);
    EXPECT_EQ(Combo->GetText(), u"Gamma");
    EXPECT_EQ(Changes, 1);
    ASSERT_EQ(combo.Put(u"Text", u"GAMMA"), S_OK); // the same text in other letters
    EXPECT_EQ(Combo->GetText(), u"Gamma");
    EXPECT_EQ(Changes, 1);

    ASSERT_EQ(combo.Put(u"ItemIndex", 1), S_OK);
    EXPECT_EQ(Combo->GetItemIndex(), 1);
    EXPECT_EQ(Changes, 2);
    ASSERT_EQ(combo.Put(u"ItemIndex", 1), S_OK);
    EXPECT_EQ(Changes, 2);

    Auto items = combo.Object(u"Items");
    EXPECT_TRUE(items.Value(u"ClassName") == Variant(Combo->GetItems()->ClassName()));
    EXPECT_TRUE(items.Value(u"Count") == Variant(2));
    EXPECT_TRUE(items.Value(u"GetStrings", {1}) == Variant(u"Beta"));
}

TEST_F(AutomationTest, NamesResolveOnTheWrapperThenTheObjectThenItsComponents) {
    Auto form = FormClient();
    // A published property of the form itself, not of its wrapper.
    EXPECT_TRUE(form.Value(u"ClientWidth") == Variant(400));
    EXPECT_TRUE(form.Value(u"WinStateNormal") == Variant(true));
    EXPECT_TRUE(form.Value(u"InheritsFrom", {u"TWinControl"}) == Variant(true));
    EXPECT_TRUE(form.Value(u"InheritsFrom", {u"TButton"}) == Variant(false));
    EXPECT_TRUE(form.Object(u"FindComponent", {u"Button1"}).Value(u"Name") == Variant(u"Button1"));

    // Objects that are not components have no owned components to fall back on.
    Auto items = form.Object(u"Combo1").Object(u"Items");
    TOleVariant ignored;
    EXPECT_EQ(items.Invoke(u"Combo1", DISPATCH_PROPERTYGET, {}, &ignored), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(form.Invoke(u"NoSuchMember", DISPATCH_PROPERTYGET, {}, &ignored), DISP_E_UNKNOWNNAME);

    // An index out of range comes back as the framework's error.
    EXCEPINFO info{};
    EXPECT_EQ(form.Invoke(u"GetComponent", DISPATCH_METHOD, {99}, &ignored, &info), DISP_E_EXCEPTION);
    EXPECT_NE(info.bstrDescription, nullptr);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    // Renaming goes through the framework's validation.
    EXPECT_EQ(form.Object(u"Button1").Put(u"Name", u"not a name"), DISP_E_EXCEPTION);
    EXPECT_EQ(Button->GetName(), u"Button1");
}

TEST_F(AutomationTest, RectanglesComeBackAsFreshBoxedObjects) {
    auto* tabs = new TTabControl(Form);
    tabs->SetName(u"Tabs1");
    tabs->SetBounds(0, 80, 300, 100);
    tabs->SetParent(Form);
    tabs->GetTabs()->Add(u"One");
    tabs->GetTabs()->Add(u"Two");
    Pump();
    Auto rect = FormClient().Object(u"Tabs1").Object(u"GetTabRect", {1});
    const TRect expected = tabs->TabRect(1);
    EXPECT_TRUE(rect.Value(u"Left") == Variant(int(expected.left)));
    EXPECT_TRUE(rect.Value(u"Bottom") == Variant(int(expected.bottom)));
    Auto first = rect.Object(u"TopLeft");
    Auto second = rect.Object(u"TopLeft");
    EXPECT_TRUE(first.Value(u"X") == rect.Value(u"Left"));
    EXPECT_NE(first.Get(), second.Get());
    // A read whose answer the client drops frees the fresh object too (the
    // leak checker watches this).
    EXPECT_EQ(rect.Invoke(u"TopLeft", DISPATCH_PROPERTYGET, {}, nullptr), S_OK);
}

TEST_F(AutomationTest, ListBoxItemsByName) {
    auto* list = new TListBox(Form);
    list->SetName(u"List1");
    list->SetBounds(200, 0, 100, 80);
    list->SetParent(Form);
    Pump();
    Auto client = FormClient().Object(u"List1");
    ASSERT_EQ(client.Invoke(u"AddItem", DISPATCH_METHOD, {u"first", Variant()}, nullptr), S_OK);
    ASSERT_EQ(client.Invoke(u"AddItem", DISPATCH_METHOD, {u"second", Variant()}, nullptr), S_OK);
    EXPECT_TRUE(client.Value(u"Count") == Variant(2));
    ASSERT_EQ(client.Invoke(u"SetItemIndex", DISPATCH_METHOD, {1}, nullptr), S_OK);
    EXPECT_TRUE(client.Value(u"GetItemIndex") == Variant(1));
    EXPECT_EQ(list->GetItemIndex(), 1);
    ASSERT_EQ(client.Invoke(u"Clear", DISPATCH_METHOD, {}, nullptr), S_OK);
    EXPECT_EQ(list->GetItems()->GetCount(), 0);
}

TEST_F(AutomationTest, CheckListBoxStatesByName) {
    auto* list = new TCheckListBox(Form);
    list->SetName(u"Checks1");
    list->SetBounds(200, 0, 150, 80);
    list->SetParent(Form);
    for (const char16_t* text : {u"Sources", u"main", u"tests"}) list->GetItems()->Add(text);
    Pump();
    Auto client = FormClient().Object(u"Checks1");
    EXPECT_TRUE(client.Value(u"Count") == Variant(3)); // the list box's members still answer
    struct Case {
        const char16_t* set;
        Variant value;
        const char16_t* get;
        Variant expected;
    } cases[] = {
        {u"SetChecked", true, u"GetChecked", true},
        {u"SetState", int(cbGrayed), u"GetState", int(cbGrayed)},
        {u"SetHeader", true, u"GetHeader", true},
        {u"SetItemEnabled", false, u"GetItemEnabled", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(UTF8String(UnicodeString(c.set)).c_str());
        ASSERT_EQ(client.Invoke(c.set, DISPATCH_METHOD, {2, c.value}, nullptr), S_OK);
        EXPECT_TRUE(client.Value(c.get, {2}) == c.expected);
        EXPECT_FALSE(client.Value(c.get, {1}) == c.expected);
    }
    EXPECT_EQ(list->GetState(2), cbGrayed);
    EXPECT_TRUE(list->GetHeader(2));
    EXPECT_FALSE(list->GetItemEnabled(2));
    // An index past the end is the list's error; a state that is none of
    // the three is refused and changes nothing.
    TOleVariant ignored;
    EXPECT_EQ(client.Invoke(u"GetChecked", DISPATCH_METHOD, {3}, &ignored), DISP_E_EXCEPTION);
    EXPECT_EQ(client.Invoke(u"SetState", DISPATCH_METHOD, {2, 7}, &ignored), DISP_E_EXCEPTION);
    EXPECT_EQ(list->GetState(2), cbGrayed);
}

TEST_F(AutomationTest, StatusPanelsAreCollectionItemsWithTheirOwnTexts) {
    auto* bar = new TStatusBar(Form);
    bar->SetName(u"Status1");
    bar->SetParent(Form);
    for (const char16_t* text : {u"Ready", u"Ln 4"}) bar->GetPanels()->Add()->SetText(text);
    Pump();
    Auto panels = FormClient().Object(u"Status1").Object(u"Panels"); // the bar's own property
    EXPECT_TRUE(panels.Value(u"Count") == Variant(2));
    Auto panel = panels.Object(u"GetItems", {1});
    EXPECT_TRUE(panel.Value(u"ClassName") == Variant(u"TStatusPanel"));
    EXPECT_TRUE(panel.Value(u"Index") == Variant(1));
    ASSERT_EQ(panel.Put(u"Text", u"Ln 5"), S_OK); // the panel's own published text
    EXPECT_EQ(bar->GetPanels()->GetItems(1)->GetText(), u"Ln 5");
}

TEST_F(AutomationTest, HeaderSectionsTellTheirEdges) {
    auto* header = new THeaderControl(Form);
    header->SetName(u"Header1");
    header->SetParent(Form);
    for (int width : {70, 45}) header->GetSections()->Add()->SetWidth(width);
    Pump();
    Auto section = FormClient().Object(u"Header1").Object(u"Sections").Object(u"GetItems", {1});
    EXPECT_TRUE(section.Value(u"ClassName") == Variant(u"THeaderSection"));
    EXPECT_TRUE(section.Value(u"Left") == Variant(70));
    EXPECT_TRUE(section.Value(u"Right") == Variant(115));
    header->GetSections()->GetItems(0)->SetWidth(90); // read again, not kept
    EXPECT_TRUE(section.Value(u"Left") == Variant(90));
}

TEST_F(AutomationTest, ApplicationServicesAreNamedAndOwned) {
    TApplicationWrapper app(Application);
    auto* service = new TServiceObject;
    app.AddService(u"Builds", service);
    EXPECT_EQ(app.GetService(u"Builds"), service);
    EXPECT_EQ(app.GetService(u"builds"), nullptr); // names are case-sensitive
    auto* other = new TServiceObject;
    EXPECT_THROW(app.AddService(u"Builds", other), EListError); // and freed
    app.RemoveService(u"Builds");
    EXPECT_EQ(app.GetService(u"Builds"), nullptr);

    EXPECT_THROW(TApplicationWrapper wrongly(Form), Exception);
    EXPECT_FALSE(App.Value(u"ExeName").AsString().empty());
    EXPECT_TRUE(App.Object(u"MainForm").Get() == nullptr ||
                App.Object(u"MainForm").Value(u"ClassName") == Variant(u"TForm"));
    const int64_t handle = int64_t(reinterpret_cast<intptr_t>(Button->GetHandle()));
    EXPECT_TRUE(App.Object(u"GetObjFromHandle", {handle}).Value(u"Name") == Variant(u"Button1"));
}

TEST(AutomationClassMapTest, AClassStandsBeforeItsMappedAncestors) {
    for (bool derivedFirst : {true, false}) {
        TClassMap map;
        map.AddClass(TObject::StaticClass(), WrapperClassOf<TObjectWrapper>());
        map.AddClass(TWinControl::StaticClass(), WrapperClassOf<TWinControlWrapper>());
        if (derivedFirst) {
            map.AddClass(TStringGrid::StaticClass(), WrapperClassOf<TStringGridWrapper>());
            map.AddClass(TCustomGrid::StaticClass(), WrapperClassOf<TCustomGridWrapper>());
        } else {
            map.AddClass(TCustomGrid::StaticClass(), WrapperClassOf<TCustomGridWrapper>());
            map.AddClass(TStringGrid::StaticClass(), WrapperClassOf<TStringGridWrapper>());
        }
        ASSERT_EQ(map.GetCount(), 4);
        EXPECT_EQ(map.GetRecords(0)->FClass, TStringGrid::StaticClass());
        EXPECT_EQ(map.GetRecords(1)->FClass, TCustomGrid::StaticClass());
        EXPECT_EQ(map.FindObjectWrapper(TStringGrid::StaticClass())->Class, TStringGridWrapper::StaticClass());
        EXPECT_EQ(map.FindObjectWrapper(TDrawGrid::StaticClass())->Class, TCustomGridWrapper::StaticClass());
        EXPECT_EQ(map.FindObjectWrapper(TPanel::StaticClass())->Class, TWinControlWrapper::StaticClass());
        EXPECT_EQ(map.FindObjectWrapper(TStringList::StaticClass())->Class, TObjectWrapper::StaticClass());

        EXPECT_THROW(map.AddClass(TCustomGrid::StaticClass(), WrapperClassOf<TObjectWrapper>()), Exception);
        EXPECT_EQ(map.GetCount(), 4);
        map.RemoveClass(TStringGrid::StaticClass(), WrapperClassOf<TStringGridWrapper>());
        EXPECT_EQ(map.FindObjectWrapper(TStringGrid::StaticClass())->Class, TCustomGridWrapper::StaticClass());
    }
}

TEST_F(AutomationTest, ToolButtonClickAndDropDownRunFromTheLoop) {
    auto* bar = new TToolBar(Form);
    bar->SetName(u"Bar1");
    bar->SetParent(Form);
    auto* button = new TToolButton(Form);
    button->SetName(u"ToolButton1");
    button->SetParent(bar);
    int clicked = 0;
    button->OnClick = [&](TObject*) { ++clicked; };
    auto* menu = new TPopupMenu(Form);
    menu->SetName(u"Drop1");
    int dropped = 0;
    menu->OnPopup = [&](TObject*) { ++dropped; };
    POINT droppedAt{-1, -1};
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord& record) {
        droppedAt = record.at;
        return TestSeams::PopupMenuAnswer{};
    });
    auto unscript = runpak::ScopeExit([] { TestSeams::ScriptPopupMenus(nullptr); });
    Pump();

    Auto form = FormClient();
    Auto client = form.Object(u"ToolButton1");
    EXPECT_TRUE(client.Value(u"InheritsFrom", {u"TGraphicControl"}) == Variant(true));
    ASSERT_EQ(client.Invoke(u"Click", DISPATCH_METHOD, {}, nullptr), S_OK);
    ASSERT_EQ(client.Invoke(u"CheckMenuDropdown", DISPATCH_METHOD, {}, nullptr), S_OK);
    EXPECT_EQ(clicked, 0);
    Pump();
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(dropped, 0); // no drop-down menu yet

    Auto drop = form.Object(u"Drop1");
    ASSERT_EQ(client.PutObject(u"DropdownMenu", drop), S_OK);
    EXPECT_EQ(button->GetDropdownMenu(), menu);
    EXPECT_TRUE(client.Object(u"DropdownMenu").Value(u"Name") == Variant(u"Drop1"));
    ASSERT_EQ(client.Invoke(u"CheckMenuDropdown", DISPATCH_METHOD, {}, nullptr), S_OK);
    EXPECT_EQ(dropped, 0);
    Pump();
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(menu->GetPopupComponent(), button);
    const TPoint below = button->ClientToScreen(TPoint(0, button->GetHeight()));
    EXPECT_EQ(droppedAt.x, below.x);
    EXPECT_EQ(droppedAt.y, below.y);

    ASSERT_EQ(client.Put(u"Hint", u"Runs the build"), S_OK);
    EXPECT_EQ(button->GetHint(), u"Runs the build");
    ASSERT_EQ(client.Put(u"Caption", u"Build"), S_OK);
    EXPECT_TRUE(client.Value(u"Caption") == Variant(u"Build"));
    // A tool button has no window of its own: asking for one fails cleanly.
    TOleVariant ignored;
    EXPECT_EQ(client.Invoke(u"Handle", DISPATCH_PROPERTYGET, {}, &ignored), DISP_E_EXCEPTION);
    ASSERT_EQ(client.Invoke(u"Hide", DISPATCH_METHOD, {}, nullptr), S_OK);
    EXPECT_FALSE(button->GetVisible());

    // A freed drop-down menu is forgotten by the button.
    delete menu;
    EXPECT_EQ(button->GetDropdownMenu(), nullptr);
}

TEST_F(AutomationTest, TreeNodesAreReachedSelectedAndExpandedByName) {
    auto* tree = new TTreeView(Form);
    tree->SetName(u"Tree1");
    tree->SetBounds(0, 80, 200, 150);
    tree->SetParent(Form);
    TTreeNodes* nodes = tree->GetItems();
    TTreeNode* root = nodes->AddChild(nullptr, u"Root");
    nodes->AddChild(root, u"Alpha");
    TTreeNode* beta = nodes->AddChild(root, u"Beta");
    TTreeNode* leaf = nodes->AddChild(beta, u"Leaf");
    nodes->Add(root, u"Other");
    Pump();

    Auto client = FormClient().Object(u"Tree1");
    EXPECT_TRUE(client.Value(u"ClassName") == Variant(u"TTreeView"));
    Auto node = client.Object(u"GetItem", {3}); // depth first: Root, Alpha, Beta, Leaf
    EXPECT_TRUE(node.Value(u"ClassName") == Variant(u"TTreeNode"));
    EXPECT_TRUE(node.Value(u"InheritsFrom", {u"TTreeNode"}) == Variant(true));
    EXPECT_TRUE(node.Value(u"Text") == Variant(u"Leaf"));
    EXPECT_TRUE(node.Value(u"Level") == Variant(2));
    EXPECT_TRUE(node.Value(u"Index") == Variant(0));
    EXPECT_TRUE(node.Value(u"IsVisible") == Variant(false));

    Auto first = client.Object(u"GetItem", {0});
    EXPECT_TRUE(first.Value(u"Count") == Variant(2));
    EXPECT_TRUE(first.Object(u"GetItem", {1}).Value(u"HasChildren") == Variant(true));
    ASSERT_EQ(first.Invoke(u"Expand", DISPATCH_METHOD, {true}, nullptr), S_OK);
    EXPECT_TRUE(beta->GetExpanded());
    EXPECT_TRUE(node.Value(u"IsVisible") == Variant(true));
    ASSERT_EQ(first.Put(u"Expanded", false), S_OK);
    EXPECT_FALSE(root->GetExpanded());

    ASSERT_EQ(node.Put(u"Selected", true), S_OK);
    EXPECT_EQ(tree->GetSelected(), leaf);
    EXPECT_TRUE(client.Object(u"Selected").Value(u"Text") == Variant(u"Leaf"));
    EXPECT_TRUE(node.Value(u"Selected") == Variant(true));
    ASSERT_EQ(node.Put(u"Text", u"Renamed"), S_OK);
    EXPECT_EQ(leaf->GetText(), u"Renamed");
    ASSERT_EQ(first.Put(u"Focused", true), S_OK);
    EXPECT_EQ(tree->GetSelected(), root);

    // The node list, wrapped on its own.
    Auto list(TAutoObjectDispatch::Create(nodes));
    EXPECT_TRUE(list.Value(u"ClassName") == Variant(u"TTreeNodes"));
    EXPECT_TRUE(list.Value(u"Count") == Variant(5));
    EXPECT_TRUE(list.Object(u"GetItem", {4}).Value(u"Text") == Variant(u"Other"));
    // Past the end, and with no selection, the answer is no object.
    EXPECT_TRUE(IsNoObject(list, u"GetItem", {5}));
    tree->SetSelected(nullptr);
    EXPECT_TRUE(IsNoObject(client, u"Selected", {}));
}

TEST_F(AutomationTest, ListViewItemsReadAndSelectByName) {
    auto* view = new TListView(Form);
    view->SetName(u"View1");
    view->SetBounds(200, 80, 180, 150);
    view->SetViewStyle(ComCtrls::vsReport);
    view->SetParent(Form);
    view->GetColumns()->Add()->SetCaption(u"Name");
    view->GetColumns()->Add()->SetCaption(u"Size");
    for (const char16_t* name : {u"one", u"two", u"three"}) {
        TListItem* item = view->GetItems()->Add();
        item->SetCaption(name);
        item->GetSubItems()->Add(UnicodeString(name) + u" kB");
    }
    Pump();

    Auto client = FormClient().Object(u"View1");
    EXPECT_TRUE(client.Value(u"Count") == Variant(3));
    Auto item = client.Object(u"GetItem", {1});
    EXPECT_TRUE(item.Value(u"Caption") == Variant(u"two"));
    EXPECT_TRUE(item.Value(u"Index") == Variant(1));
    EXPECT_TRUE(item.Object(u"SubItems").Value(u"GetStrings", {0}) == Variant(u"two kB"));
    const TPoint at = view->GetItems()->GetItem(1)->GetPosition();
    EXPECT_TRUE(item.Value(u"Left") == Variant(int(at.x)));
    EXPECT_TRUE(item.Value(u"Top") == Variant(int(at.y)));
    EXPECT_GT(at.y, view->GetItems()->GetItem(0)->GetPosition().y);

    ASSERT_EQ(item.Put(u"Selected", true), S_OK);
    EXPECT_EQ(view->GetSelected(), view->GetItems()->GetItem(1));
    ASSERT_EQ(item.Put(u"Focused", true), S_OK);
    EXPECT_EQ(view->GetItemFocused(), view->GetItems()->GetItem(1));
    ASSERT_EQ(item.Put(u"Caption", u"zwei"), S_OK);
    EXPECT_EQ(view->GetItems()->GetItem(1)->GetCaption(), u"zwei");
    ASSERT_EQ(item.Put(u"Indent", 2), S_OK);
    EXPECT_TRUE(item.Value(u"Indent") == Variant(2));

    Auto items(TAutoObjectDispatch::Create(view->GetItems()));
    EXPECT_TRUE(items.Value(u"Count") == Variant(3));
    EXPECT_TRUE(items.Object(u"GetItem", {2}).Value(u"Caption") == Variant(u"three"));
    EXPECT_TRUE(IsNoObject(client, u"GetItem", {3}));
}

TEST(AutomationClassMapTest, EveryWrappedControlFindsItsOwnWrapper) {
    InitializeIDEAutomation();
    const std::pair<TClass, TClass> cases[] = {
        {TToolButton::StaticClass(), TToolButtonWrapper::StaticClass()},
        {TTreeView::StaticClass(), TTreeViewWrapper::StaticClass()},
        {TCustomTreeView::StaticClass(), TCustomTreeViewWrapper::StaticClass()},
        {TTreeNodes::StaticClass(), TTreeNodesWrapper::StaticClass()},
        {TTreeNode::StaticClass(), TTreeNodeWrapper::StaticClass()},
        {TListView::StaticClass(), TCustomListViewWrapper::StaticClass()},
        {TListItems::StaticClass(), TListItemsWrapper::StaticClass()},
        {TListItem::StaticClass(), TListItemWrapper::StaticClass()},
        {TCheckListBox::StaticClass(), TCheckListBoxWrapper::StaticClass()},
        {TStatusPanel::StaticClass(), TStatusPanelWrapper::StaticClass()},
        {THeaderSection::StaticClass(), THeaderSectionWrapper::StaticClass()},
        {TStatusPanels::StaticClass(), TCollectionWrapper::StaticClass()},
        {TListBox::StaticClass(), TCustomListboxWrapper::StaticClass()},
        {TToolBar::StaticClass(), TWinControlWrapper::StaticClass()},
    };
    for (const auto& [objectClass, wrapperClass] : cases) {
        SCOPED_TRACE(UTF8String(objectClass->ClassName()).c_str());
        EXPECT_EQ(ClassMap()->FindObjectWrapper(objectClass)->Class, wrapperClass);
    }
    FinalizeIDEAutomation();
}

} // namespace
