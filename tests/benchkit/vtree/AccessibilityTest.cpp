// The tree's accessible objects, asked for through WM_GETOBJECT as a client
// in this process asks: the tree as an outline, its focused node as the
// outline item, the factory's choice among providers, and the events that
// tell clients to look again.
#include "VirtualTreeTestSupport.h"

#include "benchkit/vtree/IDEVTAccessibility.h"

#include <win32/oleauto.h>

#include <functional>

namespace {

class Accessibility : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        InitializeIDEVTAccessibility();
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        tree = new TVirtualStringTree(form);
        tree->SetName(u"Outline");
        tree->SetParent(form);
        tree->SetBounds(10, 10, 200, 150);
        tree->OnGetText = [this](TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, TQOZTextType,
                                 UnicodeString& Text) { Text = Names[Node->Index]; };
        tree->SetRootNodeCount(3);
        tree->SetChildCount(NodeAt(tree, {1}), 2);
        tree->HandleNeeded();
        tree->SetFocus();
        Pump();
    }
    void TearDown() override {
        FinalizeIDEVTAccessibility();
        FinalizeIDEVTAccessibilityFactory();
        VirtualTreeTest::TearDown();
    }
    InterfacePtr<IAccessible> Client() {
        InterfacePtr<IAccessible> acc;
        EXPECT_EQ(AccessibleObjectFromWindow(tree->GetHandle(), DWORD(OBJID_CLIENT),
                                             IIDOf<IAccessible>(),
                                             reinterpret_cast<void**>(acc.Out())),
                  S_OK);
        return acc;
    }
    static VARIANT Self() {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = CHILDID_SELF;
        return v;
    }
    static LONG Role(IAccessible* A) {
        VARIANT r;
        EXPECT_EQ(A->get_accRole(Self(), &r), S_OK);
        return r.lVal;
    }
    static LONG State(IAccessible* A) {
        VARIANT r;
        EXPECT_EQ(A->get_accState(Self(), &r), S_OK);
        return r.lVal;
    }
    static std::u16string Name(IAccessible* A) {
        BSTR name = nullptr;
        A->get_accName(Self(), &name);
        std::u16string text = name ? std::u16string(reinterpret_cast<const char16_t*>(name)) : u"";
        SysFreeString(name);
        return text;
    }

    TForm* form = nullptr;
    TVirtualStringTree* tree = nullptr;
    const char16_t* Names[3] = {u"alpha", u"beta", u"gamma"};
};

TEST_F(Accessibility, TheTreeIsAnOutlineWhoseChildIsTheFocusedNode) {
    InterfacePtr<IAccessible> acc = Client();
    ASSERT_TRUE(acc);
    EXPECT_EQ(Role(acc.Get()), ROLE_SYSTEM_OUTLINE);
    EXPECT_EQ(Name(acc.Get()), u"Outline");
    EXPECT_EQ(State(acc.Get()) & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED),
              STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    LONG children = -1;
    EXPECT_EQ(acc->get_accChildCount(&children), S_OK);
    EXPECT_EQ(children, 0) << "nothing focused yet";
    EXPECT_EQ(Client().Get(), acc.Get()) << "the tree keeps its object";

    PVirtualNode beta = NodeAt(tree, {1});
    tree->SetFocusedNode(beta);
    tree->SetSelected(beta, true);
    EXPECT_EQ(acc->get_accChildCount(&children), S_OK);
    EXPECT_EQ(children, 1);
    VARIANT one = Self();
    one.lVal = 1;
    InterfacePtr<IDispatch> child;
    ASSERT_EQ(acc->get_accChild(one, child.Out()), S_OK);
    InterfacePtr<IAccessible> item;
    ASSERT_EQ(child->QueryInterface(IIDOf<IAccessible>(), reinterpret_cast<void**>(item.Out())),
              S_OK);
    EXPECT_EQ(Role(item.Get()), ROLE_SYSTEM_OUTLINEITEM);
    EXPECT_EQ(Name(item.Get()), u"beta");
    const LONG state = State(item.Get());
    for (LONG bit : {STATE_SYSTEM_SELECTED, STATE_SYSTEM_FOCUSED, STATE_SYSTEM_COLLAPSED})
        EXPECT_TRUE(state & bit) << bit;
    tree->SetExpanded(beta, true);
    EXPECT_TRUE(State(item.Get()) & STATE_SYSTEM_EXPANDED);
    InterfacePtr<IDispatch> parent;
    ASSERT_EQ(item->get_accParent(parent.Out()), S_OK);
    EXPECT_EQ(static_cast<IDispatch*>(acc.Get()), parent.Get());

    // Where it is on the screen, and what lies at a point.
    LONG x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(item->accLocation(&x, &y, &w, &h, Self()), S_OK);
    const TRect row = tree->GetDisplayRect(beta, NoColumn, false);
    const POINT corner = TestSeams::ClientPoint(tree->GetHandle(), row.left, row.top);
    EXPECT_EQ(x, corner.x);
    EXPECT_EQ(y, corner.y);
    EXPECT_EQ(h, row.bottom - row.top);
    VARIANT hit;
    ASSERT_EQ(acc->accHitTest(x + 2, y + 2, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_DISPATCH);
    VariantClear(&hit);
    const POINT below = TestSeams::ClientPoint(tree->GetHandle(), 5, 140);
    ASSERT_EQ(acc->accHitTest(below.x, below.y, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, CHILDID_SELF);
    VARIANT focus;
    ASSERT_EQ(acc->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.vt, VT_DISPATCH);
    VariantClear(&focus);

    // Another object id than the client's is not the tree's to give.
    InterfacePtr<IAccessible> window;
    EXPECT_EQ(AccessibleObjectFromWindow(tree->GetHandle(), DWORD(OBJID_WINDOW),
                                         IIDOf<IAccessible>(),
                                         reinterpret_cast<void**>(window.Out())),
              E_FAIL);

    // The tree goes, the objects stay with their client and answer nothing.
    delete form;
    EXPECT_EQ(acc->get_accChildCount(&children), E_FAIL);
    BSTR name = nullptr;
    EXPECT_EQ(item->get_accName(Self(), &name), E_FAIL);
    EXPECT_EQ(name, nullptr);
}

// A provider that answers with its own object, or with none.
class TTestProvider : public TInterfacedObject, public IVTAccessibleProvider {
public:
    explicit TTestProvider(bool Answers) : FAnswers(Answers) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IVTAccessibleProvider>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    IAccessible* CreateIAccessible(TBaseVirtualTree* ATree) override {
        ++Asked;
        if (!FAnswers) return nullptr;
        IAccessible* made = new TVirtualTreeAccessibility(ATree);
        Made.emplace_back(made); // the test's reference
        made->AddRef();          // the caller's
        return made;
    }
    int Asked = 0;
    std::vector<InterfacePtr<IAccessible>> Made;

private:
    bool FAnswers;
};

TEST_F(Accessibility, TheFactoryAsksTheFirstProviderForTheTreeAndTheLaterOnesForItsItem) {
    TVTAccessibilityFactory* factory = GetAccessibilityFactory();
    FinalizeIDEVTAccessibility(); // no default providers
    EXPECT_EQ(factory->GetProviderCount(), 0);
    EXPECT_FALSE(factory->CreateIAccessible(tree));
    InterfacePtr<IAccessible> none;
    EXPECT_EQ(AccessibleObjectFromWindow(tree->GetHandle(), DWORD(OBJID_CLIENT),
                                         IIDOf<IAccessible>(), reinterpret_cast<void**>(none.Out())),
              E_FAIL)
        << "no provider: the window answers 0";

    InterfacePtr<TTestProvider> first(new TTestProvider(true)), silent(new TTestProvider(false)),
        last(new TTestProvider(true));
    factory->RegisterAccessibleProvider(first.Get());
    factory->RegisterAccessibleProvider(first.Get());
    EXPECT_EQ(factory->GetProviderCount(), 1) << "registered once";
    factory->RegisterAccessibleProvider(silent.Get());
    factory->RegisterAccessibleProvider(last.Get());

    // The tree's own object comes from the first; its item from the last
    // that answers.
    InterfacePtr<IAccessible> acc = Client();
    ASSERT_TRUE(acc);
    EXPECT_EQ(first->Asked, 1);
    EXPECT_EQ(acc.Get(), first->Made.front().Get());
    EXPECT_EQ(last->Asked, 1);
    EXPECT_EQ(silent->Asked, 0) << "the last one answered";
    EXPECT_EQ(tree->GetAccessibleItem(), last->Made.front().Get());
    // Asked again, the factory gives the tree's item object.
    EXPECT_EQ(factory->CreateIAccessible(tree).Get(), tree->GetAccessibleItem());

    // Without an answer from the later providers the first has the last word.
    factory->UnRegisterAccessibleProvider(last.Get());
    TVirtualStringTree* other = new TVirtualStringTree(form);
    other->SetParent(form);
    other->HandleNeeded();
    InterfacePtr<IAccessible> otherAcc;
    ASSERT_EQ(AccessibleObjectFromWindow(other->GetHandle(), DWORD(OBJID_CLIENT),
                                         IIDOf<IAccessible>(),
                                         reinterpret_cast<void**>(otherAcc.Out())),
              S_OK);
    EXPECT_EQ(silent->Asked, 1);
    EXPECT_EQ(first->Asked, 3);
    EXPECT_EQ(other->GetAccessibleItem(), first->Made.back().Get());
    factory->UnRegisterAccessibleProvider(first.Get());
    factory->UnRegisterAccessibleProvider(silent.Get());
    EXPECT_EQ(factory->GetProviderCount(), 0);
}

std::vector<DWORD>& Events() {
    static std::vector<DWORD> events;
    return events;
}

void CALLBACK Record(HWINEVENTHOOK, DWORD Event, HWND, LONG Object, LONG Child, DWORD, DWORD) {
    if (Object == OBJID_CLIENT && Child == CHILDID_SELF) Events().push_back(Event);
}

TEST_F(Accessibility, FocusExpansionAndChecksTellTheClientsToLookAgain) {
    Events().clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr,
                                         Record, 0, 0, WINEVENT_INCONTEXT);
    ASSERT_NE(hook, nullptr);
    tree->SetFocusedNode(NodeAt(tree, {0}));
    EXPECT_EQ(Events(), (std::vector<DWORD>{EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_NAMECHANGE,
                                            EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_STATECHANGE,
                                            EVENT_OBJECT_SELECTION, EVENT_OBJECT_FOCUS}));
    const struct {
        const char* name;
        std::function<void()> change;
    } cases[] = {
        {"expanded", [&] { tree->SetExpanded(NodeAt(tree, {1}), true); }},
        {"collapsed", [&] { tree->SetExpanded(NodeAt(tree, {1}), false); }},
        {"checked",
         [&] {
             tree->SetCheckType(NodeAt(tree, {2}), ctCheckBox);
             tree->SetCheckState(NodeAt(tree, {2}), csCheckedNormal);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Events().clear();
        c.change();
        EXPECT_EQ(Events(), (std::vector<DWORD>{EVENT_OBJECT_STATECHANGE}));
    }
    EXPECT_TRUE(UnhookWinEvent(hook));
    EXPECT_FALSE(UnhookWinEvent(hook));
    Events().clear();
    tree->SetFocusedNode(NodeAt(tree, {2}));
    EXPECT_TRUE(Events().empty());
}

} // namespace
