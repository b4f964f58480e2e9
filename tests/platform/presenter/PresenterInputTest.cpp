// X input back into the layer: pointer, buttons, wheel, keys, text from the
// input method, the frame's close button, and moves and sizes made on screen.
#include "PresenterTestSupport.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

namespace {

std::u16string TextOf(HWND hwnd) {
    WCHAR buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return reinterpret_cast<const char16_t*>(buffer);
}

} // namespace

class PresenterInput : public PresenterTest {
protected:
    void SetUp() override {
        PresenterTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        form = MakeWindow(u"Input", 30, 40, 360, 200);
        button = MakeChild(u"Button", u"Go", BS_PUSHBUTTON, form, 20, 20, 100, 30, 1);
        edit = MakeChild(u"Edit", u"", WS_BORDER | ES_AUTOHSCROLL, form, 20, 70, 200, 24, 2);
        // As a window manager would: the shown window gets the keyboard.
        XSetInputFocus(x, XOf(form), RevertToParent, CurrentTime);
        Settle();
    }

    POINT At(HWND hwnd, int cx, int cy) { return TestSeams::ClientPoint(hwnd, cx, cy); }

    std::vector<int> Commands(int id) const {
        std::vector<int> codes;
        for (const Seen& s : log)
            if (s.hwnd == form && s.msg == WM_COMMAND && LOWORD(s.wParam) == id)
                codes.push_back(HIWORD(s.wParam));
        return codes;
    }

    HWND form = nullptr, button = nullptr, edit = nullptr;
};

TEST_F(PresenterInput, AnXClickOnAButtonNotifiesItsParent) {
    XClick(At(button, 50, 15));
    Settle();
    EXPECT_EQ(Commands(1), (std::vector<int>{BN_CLICKED}));
    EXPECT_EQ(GetFocus(), button);
}

TEST_F(PresenterInput, XKeysTypeIntoTheFocusedEditWithShiftAndBackspace) {
    XClick(At(edit, 10, 10));
    Settle();
    ASSERT_EQ(GetFocus(), edit);
    XKey(XK_a);
    XKey(XK_b, true);
    XKey(XK_1);
    XKey(XK_exclam, true); // shift+1 on the server's layout
    Settle();
    EXPECT_EQ(TextOf(edit), u"aB1!");
    XKey(XK_BackSpace);
    XKey(XK_Left);
    XKey(XK_Delete);
    Settle();
    EXPECT_EQ(TextOf(edit), u"aB");
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0) << "every key that went down came up";
}

TEST_F(PresenterInput, JapaneseTextFromTheServerArrivesAsUtf16Characters) {
    XClick(At(edit, 10, 10));
    Settle();
    const unsigned a = MapSpareKey(0x1003042);  // U+3042 HIRAGANA LETTER A
    const unsigned ku = MapSpareKey(0x10030af); // U+30AF KATAKANA LETTER KU
    ASSERT_NE(a, 0u);
    ASSERT_NE(ku, 0u);
    Settle();
    for (unsigned code : {a, ku}) {
        XTestFakeKeyEvent(x, code, True, CurrentTime);
        XTestFakeKeyEvent(x, code, False, CurrentTime);
    }
    Settle();
    EXPECT_EQ(TextOf(edit), u"\u3042\u30af");
}

TEST_F(PresenterInput, TwoQuickXClicksAreADoubleClickByTheLayersRules) {
    const POINT p = At(form, 300, 150);
    XClick(p);
    XClick(p);
    Settle();
    EXPECT_EQ(Messages(form, WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Messages(form, WM_LBUTTONDBLCLK).size(), 1u);
    TestSeams::AdvanceClock(GetDoubleClickTime() + 1);
    XClick(p);
    Settle();
    EXPECT_EQ(Messages(form, WM_LBUTTONDOWN).size(), 2u) << "too late for a double click";
}

TEST_F(PresenterInput, PointerMotionAndTheWheelArrive) {
    XTestFakeMotionEvent(x, 0, At(form, 250, 120).x, At(form, 250, 120).y, CurrentTime);
    XSync(x, False);
    Settle();
    auto moves = Messages(form, WM_MOUSEMOVE);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back().lParam, MAKELPARAM(250, 120));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, At(form, 250, 120).x);

    SetFocus(form);
    XTestFakeButtonEvent(x, 5, True, CurrentTime);
    XTestFakeButtonEvent(x, 5, False, CurrentTime);
    XSync(x, False);
    Settle();
    auto wheels = Messages(form, WM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), -WHEEL_DELTA);
}

TEST_F(PresenterInput, TheFramesCloseButtonAsksTheWindowToClose) {
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = XOf(form);
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, XOf(form), False, NoEventMask, &close);
    XSync(x, False);
    Settle();
    EXPECT_EQ(Messages(form, WM_CLOSE).size(), 1u);
    EXPECT_TRUE(IsWindow(form)) << "closing is the window's decision";
}

TEST_F(PresenterInput, MovingAndSizingOnScreenMovesAndSizesTheLayersWindow) {
    log.clear();
    XMoveResizeWindow(x, XOf(form), 200, 150, 300, 220);
    XSync(x, False);
    Settle();
    RECT r;
    GetWindowRect(form, &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 150);
    EXPECT_EQ(r.right, 500);
    EXPECT_EQ(r.bottom, 370);
    RECT client;
    GetClientRect(form, &client);
    auto sizes = Messages(form, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().lParam, MAKELPARAM(client.right, client.bottom));
    EXPECT_FALSE(Messages(form, WM_MOVE).empty());
    // The window repainted at its new size and X shows it.
    POINT corner{client.right - 2, client.bottom - 2};
    ClientToScreen(form, &corner);
    EXPECT_EQ(XPixels(XOf(form), {corner.x - 200, corner.y - 150, corner.x - 199, corner.y - 149}),
              (std::vector<uint32_t>{0x2878C8}));
    // Clicks land where the window now is.
    XClick(At(button, 50, 15));
    Settle();
    EXPECT_EQ(Commands(1), (std::vector<int>{BN_CLICKED}));
}

namespace {

// The pixels of the pointer's shape as the X server shows it now.
std::vector<unsigned long> PointerShape(::Display* x) {
    XFixesCursorImage* image = XFixesGetCursorImage(x);
    if (!image) return {};
    std::vector<unsigned long> pixels(image->pixels, image->pixels + image->width * image->height);
    XFree(image);
    return pixels;
}

} // namespace

TEST_F(PresenterInput, ThePointerTakesTheShapeTheLayerSets) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = u"Beam";
    RegisterClassW(&wc);
    HWND beam = MakeChild(u"Beam", u"", 0, form, 240, 20, 100, 60, 3);
    auto over = [&](HWND hwnd, int cx, int cy) {
        const POINT p = At(hwnd, cx, cy);
        XTestFakeMotionEvent(x, 0, p.x, p.y, CurrentTime);
        XSync(x, False);
        Settle();
        return PointerShape(x);
    };
    const auto onForm = over(form, 300, 150);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    const auto onBeam = over(beam, 50, 30);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_IBEAM));
    ASSERT_FALSE(onForm.empty());
    EXPECT_NE(onBeam, onForm) << "an I-beam over the child, an arrow beside it";
    EXPECT_EQ(over(form, 310, 150), onForm);
    DestroyWindow(beam);
    UnregisterClassW(u"Beam", nullptr);
}

namespace {

HANDLE clicked = nullptr;
HANDLE shown = nullptr;

LRESULT CALLBACK WorkerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONUP) SetEvent(clicked);
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

DWORD WINAPI WorkerThread(LPVOID made) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WorkerProc;
    wc.lpszClassName = u"Worker";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"Worker", u"Worker's window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                500, 300, 200, 150, nullptr, nullptr, nullptr, nullptr);
    *static_cast<HWND*>(made) = hwnd;
    SetEvent(shown);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}

// Waits for an object while this thread's windows keep answering (the other
// thread's activation sends them messages).
DWORD WaitAnswering(HANDLE object) {
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return r;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
    }
}

} // namespace

// X input reaches a window of another thread through that thread's queue,
// while the window's thread waits in its own message loop.
TEST_F(PresenterInput, AWindowOfAnotherThreadGetsItsXInputInItsOwnLoop) {
    clicked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    shown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND worker = nullptr;
    HANDLE thread = CreateThread(nullptr, 0, WorkerThread, &worker, 0, nullptr);
    ASSERT_EQ(WaitAnswering(shown), WAIT_OBJECT_0);
    TestSeams::WaitForPresenter();
    ASSERT_NE(XOf(worker), 0u);
    EXPECT_NE(GetWindowThreadProcessId(worker, nullptr), GetCurrentThreadId());
    XClick(At(worker, 40, 40));
    TestSeams::WaitForPresenter();
    EXPECT_EQ(WaitAnswering(clicked), WAIT_OBJECT_0);
    PostMessageW(worker, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitAnswering(thread), WAIT_OBJECT_0);
    CloseHandle(thread);
    CloseHandle(clicked);
    CloseHandle(shown);
    UnregisterClassW(u"Worker", nullptr);
}
