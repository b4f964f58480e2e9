#include "ControlsTestSupport.h"

#include <benchkit/controls/IDEAutomation.h>

#include <quorlpak/ExtCtrls.h>
#include <quorlpak/Grids.h>
#include <quorlpak/Menus.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/TabControl.h>
#include <runpak/AnsiString.h>
#include <runpak/ComObj.h>

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

private:
    InterfacePtr<IDispatch> FDispatch;
};

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

} // namespace
