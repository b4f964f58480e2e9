// The application: the main form, Run, closing, modal forms with timers
// ticking inside, releasing forms and exceptions from event handlers.
#include "QuorlpakTestSupport.h"

#include <runpak/Exceptions.h>

namespace {

class ApplicationTest : public QuorlpakTest {};

// A form that records its life.
class TLoggedForm : public TForm {
public:
    TLoggedForm(TComponent* AOwner, std::vector<std::string>* Log) : TForm(AOwner), Log(Log) {
        OnCreate = [this](TObject*) { Note("create"); };
        OnShow = [this](TObject*) { Note("show"); };
        OnHide = [this](TObject*) { Note("hide"); };
        OnActivate = [this](TObject*) { Note("activate"); };
        OnDestroy = [this](TObject*) { Note("destroy"); };
    }
    explicit TLoggedForm(TComponent* AOwner) : TLoggedForm(AOwner, Shared()) {}
    ~TLoggedForm() override { Note("deleted"); }
    static std::vector<std::string>* Shared() {
        static std::vector<std::string> log;
        return &log;
    }
    void Note(const std::string& what) {
        if (Log) Log->push_back(what);
    }
    std::vector<std::string>* Log;
};

TEST_F(ApplicationTest, FirstCreatedFormIsTheMainFormAndRunEndsWhenItCloses) {
    TLoggedForm::Shared()->clear();
    TLoggedForm* main = nullptr;
    Application->CreateForm(main);
    TForm* second = nullptr;
    Application->CreateForm(second);
    EXPECT_EQ(Application->GetMainForm(), main);
    EXPECT_TRUE(main->HandleAllocated());
    EXPECT_FALSE(main->GetVisible());
    main->OnShow = [&](TObject*) { PostMessageW(main->GetHandle(), WM_CLOSE, 0, 0); };
    int closes = 0;
    main->OnClose = [&](TObject*, TCloseAction& action) {
        ++closes;
        EXPECT_EQ(action, caHide);
    };
    Application->Run();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(Application->GetTerminated());
    EXPECT_EQ(*TLoggedForm::Shared(), (std::vector<std::string>{"create", "activate"}));
}

TEST_F(ApplicationTest, CloseQueryCanRefuse) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    int asked = 0;
    main->OnCloseQuery = [&](TObject*, bool& canClose) {
        canClose = ++asked > 1;
        if (!canClose) PostMessageW(main->GetHandle(), WM_CLOSE, 0, 0);
    };
    main->OnShow = [&](TObject*) { PostMessageW(main->GetHandle(), WM_CLOSE, 0, 0); };
    Application->Run();
    EXPECT_EQ(asked, 2);
}

TEST_F(ApplicationTest, ClosingWithCaFreeDeletesTheFormAfterTheHandlerReturns) {
    std::vector<std::string> log;
    auto* form = new TLoggedForm(Application, &log);
    form->AfterConstruction();
    form->Show();
    Pump();
    form->OnClose = [&](TObject*, TCloseAction& action) { action = caFree; };
    form->Close();
    EXPECT_EQ(log.back(), "activate"); // still alive: released through the queue
    EXPECT_TRUE(Screen->HasForm(form));
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"create", "show", "activate", "hide", "destroy",
                                             "deleted"}));
    EXPECT_FALSE(Screen->HasForm(form));
    EXPECT_EQ(Application->GetComponentCount(), 0);
}

TEST_F(ApplicationTest, ClosingHidesBySecondaryForms) {
    TForm* main = ShownForm();
    (void)main;
    TForm* second = ShownForm();
    second->Close();
    EXPECT_FALSE(second->GetVisible());
    EXPECT_FALSE(IsWindowVisible(second->GetHandle()));
    second->OnClose = [](TObject*, TCloseAction& action) { action = caNone; };
    second->Show();
    second->Close();
    EXPECT_TRUE(second->GetVisible());
}

class TModalDialog : public TForm {
public:
    explicit TModalDialog(TComponent* AOwner) : TForm(AOwner) {
        Yes = new TTestControl(this);
        Yes->SetParent(this);
        Yes->ModalResult = mrYes;
        Timer = new TTimer(this);
        Timer->SetInterval(200);
    }
    TTestControl* Yes;
    TTimer* Timer;
};

TEST_F(ApplicationTest, ShowModalTicksTimersAndReturnsTheButtonsResult) {
    TForm* main = ShownForm();
    auto* dialog = new TModalDialog(Application);
    int ticks = 0;
    dialog->Timer->OnTimer = [&](TObject*) {
        ++ticks;
        // On the third tick the user presses the button.
        if (ticks == 3) TestSeams::Click(TestSeams::ClientPoint(dialog->Yes->GetHandle(), 2, 2));
    };
    // The loop idles when nothing is queued; time passes there.
    Application->OnIdle = [](TObject*, bool& done) {
        TestSeams::AdvanceClock(50);
        done = false;
    };
    bool mainEnabledInside = true;
    dialog->OnShow = [&](TObject*) { mainEnabledInside = IsWindowEnabled(main->GetHandle()); };
    int result = dialog->ShowModal();
    Application->OnIdle = nullptr;
    EXPECT_EQ(result, mrYes);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(mainEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(main->GetHandle()));
    EXPECT_FALSE(dialog->GetVisible());
    EXPECT_EQ(dialog->GetModalResult(), mrYes);
    EXPECT_EQ(Application->GetModalLevel(), 0);
    EXPECT_FALSE(dialog->GetFormState().Contains(fsModal));
    // A second time starts from no result.
    dialog->Timer->SetEnabled(false);
    // Closing a modal form (the window's close box) cancels it.
    dialog->OnShow = [&](TObject*) { PostMessageW(dialog->GetHandle(), WM_CLOSE, 0, 0); };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST_F(ApplicationTest, ShowModalRefusesAVisibleForm) {
    TForm* form = ShownForm();
    EXPECT_THROW(form->ShowModal(), EInvalidOperation);
}

TEST_F(ApplicationTest, OnCloseCanKeepAModalFormOpen) {
    auto* dialog = new TModalDialog(Application);
    dialog->Yes->ModalResult = mrOk;
    auto press = [dialog] {
        TestSeams::Click(TestSeams::ClientPoint(dialog->Yes->GetHandle(), 1, 1));
    };
    // Shown and active: the user presses the button.
    bool pressed = false;
    dialog->OnActivate = [&](TObject*) {
        if (!pressed) press();
        pressed = true;
    };
    int attempts = 0;
    dialog->OnClose = [&](TObject*, TCloseAction& action) {
        if (++attempts == 1) {
            action = caNone;               // not yet: the user has to press again, later
            TestSeams::AdvanceClock(1000); // (at once would be a double click)
            press();
        }
    };
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(dialog->Yes->Clicks, 2);
}

TEST_F(ApplicationTest, ExceptionInAnEventHandlerReachesHandleException) {
    TForm* form = ShownForm();
    auto* c = new TTestControl(form);
    c->SetParent(form);
    c->OnClick = [](TObject*) { throw EConvertError(u"'x' is not a valid integer value"); };
    std::vector<std::u16string> seen;
    TObject* sender = nullptr;
    Application->OnException = [&](TObject* s, Exception* e) {
        sender = s;
        seen.push_back(e->GetMessage());
    };
    ClickAt(c, 2, 2);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], u"'x' is not a valid integer value");
    EXPECT_EQ(sender, c);
    // The control still works afterwards.
    c->OnClick = nullptr;
    ClickAt(c, 2, 2);
    EXPECT_EQ(c->Clicks, 2);
}

TEST_F(ApplicationTest, ExceptionsInTimersAndSilentAborts) {
    auto* timer = new TTimer(Application);
    timer->SetInterval(10);
    int n = 0;
    timer->OnTimer = [&](TObject*) {
        ++n;
        if (n == 1) throw EAbort(u"quiet");
        throw std::runtime_error("loud");
    };
    std::vector<std::u16string> seen;
    Application->OnException = [&](TObject*, Exception* e) { seen.push_back(e->GetMessage()); };
    TestSeams::AdvanceClock(10);
    Pump();
    TestSeams::AdvanceClock(10);
    Pump();
    EXPECT_EQ(n, 2);
    EXPECT_EQ(seen, std::vector<std::u16string>{u"loud"});
}

TEST_F(ApplicationTest, HandleExceptionOutsideACatchDoesNothing) {
    int calls = 0;
    Application->OnException = [&](TObject*, Exception*) { ++calls; };
    Application->HandleException(nullptr);
    EXPECT_EQ(calls, 0);
}

TEST_F(ApplicationTest, ProcessMessagesHandlesEverythingQueuedAndReturns) {
    TForm* form = ShownForm();
    int clicks = 0;
    form->OnClick = [&](TObject*) { ++clicks; };
    for (int i = 0; i < 3; ++i)
        TestSeams::Click(TestSeams::ClientPoint(form->GetHandle(), 5, 5 + 40 * i));
    Application->ProcessMessages();
    EXPECT_EQ(clicks, 3);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(ApplicationTest, OnMessageSeesAndMaySwallowMessages) {
    TForm* form = ShownForm();
    int clicks = 0;
    form->OnClick = [&](TObject*) { ++clicks; };
    Application->OnMessage = [](MSG& msg, bool& handled) { handled = msg.message == WM_LBUTTONUP; };
    ClickAt(form, 5, 5);
    EXPECT_EQ(clicks, 0);
    Application->OnMessage = nullptr;
}

TEST_F(ApplicationTest, SynchronizeHookRunsWhenTheLoopIdles) {
    int calls = 0;
    Application->SetSynchronizeHook([&] {
        ++calls;
        return false;
    });
    PostMessageW(Application->GetHandle(), WM_NULL, 0, 0);
    Application->HandleMessage(); // the posted message
    EXPECT_EQ(calls, 0);
    auto* timer = new TTimer(Application);
    timer->SetInterval(100);
    // Idle: the hook runs, then the loop waits; the timer is due at once.
    TestSeams::AdvanceClock(100);
    Application->HandleMessage();
    EXPECT_EQ(calls, 0); // the timer message was there, no idling
    Application->OnIdle = [](TObject*, bool&) { TestSeams::AdvanceClock(100); };
    Application->HandleMessage();
    EXPECT_EQ(calls, 1);
    Application->OnIdle = nullptr;
}

TEST_F(ApplicationTest, FormsPositionThemselves) {
    auto* form = new TForm(Application);
    form->AfterConstruction();
    form->SetBounds(0, 0, 200, 100);
    form->SetPosition(poScreenCenter);
    form->Show();
    Pump();
    EXPECT_EQ(form->GetLeft(), (Screen->GetWidth() - 200) / 2);
    EXPECT_EQ(form->GetTop(), (Screen->GetHeight() - 100) / 2);
}

TEST_F(ApplicationTest, CaptionIsTheWindowText) {
    TForm* form = ShownForm();
    form->SetCaption(u"VELTRO7");
    WCHAR text[32] = {};
    GetWindowTextW(form->GetHandle(), text, 32);
    EXPECT_EQ(std::u16string(text), u"VELTRO7");
    form->RecreateWnd();
    Pump();
    EXPECT_EQ(form->GetCaption(), u"VELTRO7");
}

} // namespace

namespace {

TEST_F(ApplicationTest, HelpForAContextGoesToOnHelpWhichSaysWhetherItShowedIt) {
    EXPECT_FALSE(Application->HelpContext(12)) << "no handler, no help";
    std::vector<std::pair<WORD, LONG_PTR>> asked;
    bool shows = false;
    Application->OnHelp = [&](WORD Command, LONG_PTR Data, bool& CallHelp) {
        EXPECT_TRUE(CallHelp);
        asked.emplace_back(Command, Data);
        return shows;
    };
    EXPECT_FALSE(Application->HelpContext(12467));
    shows = true;
    EXPECT_TRUE(Application->HelpContext(7));
    EXPECT_EQ(asked, (std::vector<std::pair<WORD, LONG_PTR>>{{HELP_CONTEXT, 12467}, {HELP_CONTEXT, 7}}));
    Application->OnHelp = nullptr;
}

} // namespace
