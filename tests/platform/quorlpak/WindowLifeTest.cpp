// The window behind a windowed control: created on demand from
// CreateParams, subclassing a system class, recreated keeping its state, and
// notifications reflected back from the parent.
#include "QuorlpakTestSupport.h"

#include <runpak/TypeInfo.h>

namespace {

class WindowLifeTest : public QuorlpakTest {};

TEST_F(WindowLifeTest, HandlesAreMadeOnDemandParentsFirst) {
    TForm form(nullptr);
    form.AfterConstruction();
    auto* c = new TTestControl(&form);
    c->SetParent(&form);
    EXPECT_FALSE(form.HandleAllocated());
    EXPECT_FALSE(c->HandleAllocated());
    HWND h = c->GetHandle();
    EXPECT_TRUE(form.HandleAllocated());
    EXPECT_EQ(GetParent(h), form.GetHandle());
    EXPECT_EQ(FindControl(h), c);
    EXPECT_TRUE(IsQuorlpakWindow(h));
    WCHAR cls[64] = {};
    GetClassNameW(h, cls, 64);
    EXPECT_EQ(std::u16string(cls), u"TTestControl"); // a window class per control class
}

TEST_F(WindowLifeTest, AControlWithoutParentHasNoWindow) {
    TTestControl c(nullptr);
    EXPECT_THROW(c.GetHandle(), EInvalidOperation);
}

TEST_F(WindowLifeTest, TextLivesInTheWindowOnceItExistsAndSurvivesRecreation) {
    TForm* form = ShownForm();
    auto* graphic = new TTestGraphic(form);
    graphic->SetParent(form);
    graphic->SetText(u"label text");
    EXPECT_EQ(graphic->GetText(), u"label text");

    auto* c = new TTestControl(form);
    c->SetText(u"before");
    c->SetParent(form);
    HWND first = c->GetHandle();
    WCHAR text[32] = {};
    GetWindowTextW(first, text, 32);
    EXPECT_EQ(std::u16string(text), u"before");
    SetWindowTextW(first, u"typed");
    EXPECT_EQ(c->GetText(), u"typed");
    c->RecreateWnd();
    Pump();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(c->HandleAllocated());
    EXPECT_EQ(c->GetText(), u"typed");
    EXPECT_EQ(c->GetTextLen(), 5);
    char16_t small[3];
    EXPECT_EQ(c->GetTextBuf(small, 3), 2);
    EXPECT_EQ(std::u16string(small), u"ty");
}

TEST_F(WindowLifeTest, TextChangeIsAnnouncedAndNamesBecomeCaptions) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParent(form);
    c->SetName(u"Button1");
    EXPECT_EQ(c->GetText(), u"Button1");
    c->SetName(u"Button2");
    EXPECT_EQ(c->GetText(), u"Button2");
    c->Seen.clear();
    c->SetText(u"OK");
    c->SetName(u"Button3"); // the caption is no longer the name: it stays
    EXPECT_EQ(c->GetText(), u"OK");
    EXPECT_EQ(std::count(c->Seen.begin(), c->Seen.end(), CM_TEXTCHANGED), 1);
}

TEST_F(WindowLifeTest, RecreatingKeepsChildrenAndFocus) {
    TForm* form = ShownForm();
    auto* panel = new TTestControl(form);
    panel->SetControlStyle(panel->GetControlStyle() + csAcceptsControls);
    panel->SetBounds(0, 0, 100, 100);
    panel->SetTabStop(true);
    panel->SetParent(form);
    auto* inner = new TTestControl(form);
    inner->SetParent(panel);
    panel->SetFocus();
    Pump();
    HWND oldInner = inner->GetHandle();
    panel->RecreateWnd();
    Pump();
    EXPECT_TRUE(inner->HandleAllocated());
    EXPECT_NE(inner->GetHandle(), oldInner);
    EXPECT_EQ(GetParent(inner->GetHandle()), panel->GetHandle());
    EXPECT_TRUE(IsWindowVisible(inner->GetHandle()));
    EXPECT_TRUE(panel->Focused());
}

TEST_F(WindowLifeTest, DestroyingAParentDestroysItsChildrenAndWindows) {
    TForm* form = ShownForm();
    auto* panel = new TTestControl(form);
    panel->SetParent(form);
    auto* inner = new TTestControl(nullptr); // owned by nobody: the parent frees it
    inner->SetParent(panel);
    auto* graphic = new TTestGraphic(nullptr);
    graphic->SetParent(panel);
    HWND innerWindow = inner->GetHandle();
    bool innerGone = false;
    inner->OnResize = nullptr;
    struct Watch : TComponent {
        bool* flag;
        Watch(bool* f) : TComponent(nullptr), flag(f) {}
        void Notification(TComponent* c, TOperation op) override {
            if (op == opRemove) *flag = true;
            TComponent::Notification(c, op);
        }
    } watch(&innerGone);
    inner->FreeNotification(&watch);
    delete panel;
    EXPECT_TRUE(innerGone);
    EXPECT_FALSE(IsWindow(innerWindow));
    EXPECT_EQ(form->GetControlCount(), 0);
}

TEST_F(WindowLifeTest, MovingAWindowedControlToAnotherParentRemakesItsWindow) {
    TForm* a = ShownForm();
    TForm* b = ShownForm();
    auto* c = new TTestControl(a);
    c->SetParent(a);
    HWND first = c->GetHandle();
    c->SetParent(b);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(GetParent(c->GetHandle()), b->GetHandle());
    EXPECT_EQ(a->GetControlCount(), 0);
    EXPECT_EQ(b->GetControls(0), c);
    EXPECT_THROW(a->InsertControl(a), EInvalidOperation);
}

// A system-like class of the test's own, with a procedure that paints green.
LRESULT CALLBACK GreenProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        FillRect(dc, &r, green);
        DeleteObject(green);
        if (!wParam) EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_GETDLGCODE) return 0x0080; // wants characters
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class TGreenControl : public TWinControl {
public:
    explicit TGreenControl(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 30, 30); }
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TGreenControl>(u"TGreenControl", TWinControl::StaticClass()));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
    std::vector<UINT> Reflected;

protected:
    void CreateParams(TCreateParams& Params) override {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, u"QuorlpakTestGreen");
    }
    void Dispatch(TMessage& Message) override {
        if (Message.Msg >= CN_BASE && Message.Msg < CN_BASE + 0x400) {
            Reflected.push_back(Message.Msg);
            Message.Result = 42;
            return;
        }
        TWinControl::Dispatch(Message);
    }
};

TEST_F(WindowLifeTest, SubclassedSystemClassKeepsItsProcedureAsTheDefault) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = GreenProc;
    wc.lpszClassName = u"QuorlpakTestGreen";
    wc.style = CS_GLOBALCLASS;
    RegisterClassW(&wc);
    TForm* form = ShownForm();
    auto* green = new TGreenControl(form);
    green->SetParent(form);
    Pump();
    EXPECT_EQ(green->GetDefWndProc(), GreenProc);
    WCHAR cls[64] = {};
    GetClassNameW(green->GetHandle(), cls, 64);
    EXPECT_EQ(std::u16string(cls), u"TGreenControl");
    EXPECT_EQ(PixelAt(green, 5, 5), RGB(0, 255, 0));
    EXPECT_EQ(green->Perform(WM_GETDLGCODE), 0x0080);
    EXPECT_THROW(
        {
            struct TMissing : TWinControl {
                using TWinControl::TWinControl;
                void CreateParams(TCreateParams& P) override {
                    TWinControl::CreateParams(P);
                    CreateSubClass(P, u"NoSuchSystemClass");
                }
            };
            auto* missing = new TMissing(form);
            missing->SetParent(form);
        },
        EInvalidOperation);
}

TEST_F(WindowLifeTest, NotificationsOfChildWindowsAreReflectedToTheirControls) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = GreenProc;
    wc.lpszClassName = u"QuorlpakTestGreen";
    wc.style = CS_GLOBALCLASS;
    RegisterClassW(&wc);
    TForm* form = ShownForm();
    auto* green = new TGreenControl(form);
    green->SetParent(form);
    HWND child = green->GetHandle();
    EXPECT_EQ(SendMessageW(form->GetHandle(), WM_COMMAND, MAKEWPARAM(0, 1),
                           reinterpret_cast<LPARAM>(child)),
              42);
    NMHDR header{child, 0, 5};
    EXPECT_EQ(SendMessageW(form->GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 42);
    EXPECT_EQ(SendMessageW(form->GetHandle(), WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(child)),
              42);
    EXPECT_EQ(SendMessageW(form->GetHandle(), WM_HSCROLL, 0, reinterpret_cast<LPARAM>(child)), 42);
    struct {
        UINT CtlType, CtlID, itemID, itemAction, itemState;
        HWND hwndItem;
        HDC hDC;
        RECT rcItem;
        ULONG_PTR itemData;
    } draw{4 /* list box */, 0, 0, 0, 0, child, nullptr, {}, 0};
    EXPECT_EQ(SendMessageW(form->GetHandle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), 42);
    struct {
        UINT CtlType, CtlID, itemID, itemWidth, itemHeight;
        ULONG_PTR itemData;
    } measure{4, static_cast<UINT>(GetDlgCtrlID(child)), 0, 0, 0, 0};
    EXPECT_NE(measure.CtlID, 0u);
    EXPECT_EQ(
        SendMessageW(form->GetHandle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), 42);
    EXPECT_EQ(green->Reflected, (std::vector<UINT>{CN_COMMAND, CN_NOTIFY, CN_CTLCOLOREDIT,
                                                   CN_HSCROLL, CN_DRAWITEM, CN_MEASUREITEM}));
}

TEST_F(WindowLifeTest, ControlColourGoesToChildWindowsThatAskForIt) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetColor(clYellow);
    c->GetFont()->SetColor(clBlue);
    c->SetParent(form);
    HDC dc = GetDC(c->GetHandle());
    LRESULT brush = c->Perform(CN_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), c->GetBrush()->GetHandle());
    EXPECT_EQ(GetTextColor(dc), ColorToRGB(clBlue));
    EXPECT_EQ(GetBkColor(dc), ColorToRGB(clYellow));
    ReleaseDC(c->GetHandle(), dc);
}

TEST_F(WindowLifeTest, ParentFontAndColourFlowToChildrenUntilTheyChooseTheirOwn) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParent(form);
    form->GetFont()->SetSize(14);
    EXPECT_EQ(c->GetFont()->GetSize(), 14);
    EXPECT_TRUE(c->GetParentFont());
    c->GetFont()->SetStyle({fsBold});
    EXPECT_FALSE(c->GetParentFont());
    form->GetFont()->SetSize(20);
    EXPECT_EQ(c->GetFont()->GetSize(), 14);
    c->SetParentFont(true);
    EXPECT_EQ(c->GetFont()->GetSize(), 20);

    c->SetParentColor(true);
    EXPECT_EQ(c->GetColor(), clBtnFace);
    form->SetColor(clAqua);
    EXPECT_EQ(c->GetColor(), clAqua);
}

TEST_F(WindowLifeTest, EnabledFollowsTheWindow) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParent(form);
    c->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(c->GetHandle()));
    c->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(c->GetHandle()));
    c->SetEnabled(false);
    c->RecreateWnd();
    EXPECT_FALSE(IsWindowEnabled(c->GetHandle()));
}

TEST_F(WindowLifeTest, ComponentMessagesHaveTheFrameworksValues) {
    EXPECT_EQ(CM_ACTIVATE, 0xB000u);
    EXPECT_EQ(CM_PARENTFONTCHANGED, 0xB008u);
    EXPECT_EQ(CM_VISIBLECHANGED, 0xB00Bu);
    EXPECT_EQ(CM_MOUSEENTER, 0xB013u);
    EXPECT_EQ(CM_MOUSELEAVE, 0xB014u);
    EXPECT_EQ(CM_RELEASE, 0xB021u);
    EXPECT_EQ(CM_CONTROLLISTCHANGE, 0xB02Cu);
    EXPECT_EQ(CM_DRAG, 0xB02Fu);
    EXPECT_EQ(CM_CONTROLCHANGE, 0xB036u);
    EXPECT_EQ(CN_COMMAND, 0xBC00u + WM_COMMAND);
}

TEST_F(WindowLifeTest, ControlListChangesAreAnnounced) {
    TForm* form = ShownForm();
    auto* panel = new TTestControl(form);
    panel->SetParent(form);
    auto* g = new TTestGraphic(form);
    panel->Seen.clear();
    g->SetParent(panel);
    g->SetParent(nullptr);
    EXPECT_EQ(panel->Seen, (std::vector<UINT>{CM_CONTROLCHANGE, CM_CONTROLLISTCHANGE,
                                              CM_CONTROLCHANGE, CM_CONTROLLISTCHANGE}));
}

TEST_F(WindowLifeTest, WindowProcCanBeHookedAndRestored) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParent(form);
    TWndMethod old = c->GetWindowProc();
    int seen = 0;
    c->SetWindowProc([&](TMessage& m) {
        if (m.Msg == WM_USER + 7) ++seen;
        old(m);
    });
    SendMessageW(c->GetHandle(), WM_USER + 7, 0, 0);
    c->Perform(WM_USER + 7);
    EXPECT_EQ(seen, 2);
    c->SetWindowProc(old);
    c->Perform(WM_USER + 7);
    EXPECT_EQ(seen, 2);
}

TEST_F(WindowLifeTest, StreamingParentageAndChildren) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParentComponent(form);
    EXPECT_EQ(c->GetParent(), form);
    EXPECT_TRUE(c->HasParent());
    EXPECT_EQ(c->GetParentComponent(), form);
    auto* foreign = new TTestGraphic(nullptr);
    foreign->SetParent(form);
    std::vector<TComponent*> children;
    form->GetChildren([&](TComponent* child) { children.push_back(child); }, form);
    EXPECT_EQ(children, std::vector<TComponent*>{c}); // only those the root owns
    EXPECT_EQ(GetOrdProp(c, u"Width"), c->GetWidth());
    TForm f(nullptr);
    SetStrProp(&f, u"Caption", u"From a description");
    EXPECT_EQ(f.GetCaption(), u"From a description");
    EXPECT_TRUE(IsPublishedProp(&f, u"OnCreate"));
    EXPECT_EQ(GetEnumProp(&f, u"BorderStyle"), u"bsSizeable");
}

} // namespace
