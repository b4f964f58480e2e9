#include "WindowTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/readback.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

namespace {

class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(5000);
        RegisterRecorder();
        owner = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 100, 100, 400, 300);
        Pump();
        Log().clear();
    }
    void TearDown() override {
        TestSeams::ScriptMessageBoxes(nullptr);
        Hook() = nullptr;
        DestroyWindow(owner);
        Pump();
        TestSeams::UseRealClock();
    }
    static void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    static int Count(HWND hwnd, UINT msg, WPARAM wParam) {
        int n = 0;
        for (const Recorded& r : Log())
            n += r.hwnd == hwnd && r.msg == msg && r.wParam == wParam;
        return n;
    }
    // Answers the next box by these keys, typed once it is on the screen.
    static void AnswerByKeys(std::vector<int> keys) {
        TestSeams::ScriptMessageBoxes([keys](const TestSeams::MessageBoxRecord&) {
            for (int vk : keys)
                TestSeams::KeyPress(vk);
            return TestSeams::MessageBoxAnswer{0, 0};
        });
    }
    HWND owner = nullptr;
};

} // namespace

TEST_F(MessageBoxes, TimersTickAndPostedMessagesArriveWhileTheScriptedBoxIsOpen) {
    SetTimer(owner, 7, 200, nullptr);
    PostMessageW(owner, WM_USER + 5, 0, 0);
    BOOL ownerEnabledInside = TRUE;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord& r) {
        ownerEnabledInside = IsWindowEnabled(r.owner);
        return TestSeams::MessageBoxAnswer{IDNO, 1000};
    });
    const DWORD before = GetTickCount();

    int result =
        MessageBoxW(owner, u"Port closed. Reconnect?", u"Panel", MB_YESNO | MB_ICONQUESTION);

    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(Count(owner, WM_TIMER, 7), 5);
    EXPECT_EQ(Count(owner, WM_USER + 5, 0), 1);
    EXPECT_EQ(GetTickCount() - before, 1000u);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    auto boxes = TestSeams::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Port closed. Reconnect?");
    EXPECT_EQ(boxes[0].caption, u"Panel");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes[0].owner, owner);
    EXPECT_EQ(boxes[0].result, IDNO);
    KillTimer(owner, 7);
}

TEST_F(MessageBoxes, QueuedAnswersAreGivenInOrder) {
    TestSeams::AnswerMessageBoxes({IDRETRY, IDCANCEL});
    EXPECT_EQ(MessageBoxW(owner, u"a", u"t", MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(MessageBoxW(nullptr, u"b", nullptr, MB_RETRYCANCEL), IDCANCEL);
    auto boxes = TestSeams::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].caption, u"Error"); // the default caption
}

TEST_F(MessageBoxes, EnterAnswersTheDefaultButton) {
    HWND focusInside = nullptr, noButton = nullptr;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord& r) {
        focusInside = GetFocus();
        noButton = GetDlgItem(r.box, IDNO);
        TestSeams::KeyPress(VK_RETURN);
        return TestSeams::MessageBoxAnswer{0, 0}; // the box waits for its input
    });
    EXPECT_EQ(MessageBoxW(owner, u"Save?", u"Panel", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
    EXPECT_NE(noButton, nullptr);
    EXPECT_EQ(focusInside, noButton);
    EXPECT_FALSE(IsWindow(noButton));
}

TEST_F(MessageBoxes, KeysAnswerAsADialogDoes) {
    struct Case {
        UINT type;
        std::vector<int> keys;
        int expected;
    };
    const Case cases[] = {
        {MB_OK, {VK_ESCAPE}, IDOK},
        {MB_OKCANCEL, {VK_ESCAPE}, IDCANCEL},
        {MB_YESNO, {VK_ESCAPE, VK_RETURN}, IDYES}, // Escape cannot answer Yes/No
        {MB_YESNOCANCEL, {VK_TAB, VK_RETURN}, IDNO},
        {MB_YESNOCANCEL, {VK_TAB, VK_TAB, VK_TAB, VK_SPACE}, IDYES}, // Tab wraps round
        {MB_ABORTRETRYIGNORE, {'I'}, IDIGNORE},                      // a mnemonic
        {MB_RETRYCANCEL | MB_DEFBUTTON2, {VK_LEFT, VK_RETURN}, IDRETRY},
        {MB_OK | MB_DEFBUTTON3, {VK_RETURN}, IDOK}, // a default past the buttons is the first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        AnswerByKeys(c.keys);
        EXPECT_EQ(MessageBoxW(owner, u"?", u"t", c.type), c.expected);
    }
}

TEST_F(MessageBoxes, AClickOnAButtonAnswersIt) {
    TestSeams::ScriptMessageBoxes([](const TestSeams::MessageBoxRecord& r) {
        TestSeams::Click(TestSeams::ClientPoint(GetDlgItem(r.box, IDCANCEL), 10, 10));
        return TestSeams::MessageBoxAnswer{0, 0};
    });
    EXPECT_EQ(MessageBoxW(owner, u"Delete?", u"t", MB_OKCANCEL | MB_ICONWARNING), IDCANCEL);
}

TEST_F(MessageBoxes, ClicksOnTheDisabledOwnerDoNothing) {
    TestSeams::ScriptMessageBoxes([this](const TestSeams::MessageBoxRecord& r) {
        TestSeams::Click(TestSeams::ClientPoint(owner, 5, 5));
        TestSeams::Click(TestSeams::ClientPoint(GetDlgItem(r.box, IDOK), 10, 10));
        return TestSeams::MessageBoxAnswer{0, 0};
    });
    EXPECT_EQ(MessageBoxW(owner, u"x", u"t", MB_OK), IDOK);
    EXPECT_EQ(Count(owner, WM_LBUTTONDOWN, MK_LBUTTON), 0);
}

TEST_F(MessageBoxes, QuittingEndsTheBoxAndReachesTheCallersLoop) {
    TestSeams::ScriptMessageBoxes([](const TestSeams::MessageBoxRecord&) {
        PostQuitMessage(3);
        return TestSeams::MessageBoxAnswer{0, 0};
    });
    EXPECT_EQ(MessageBoxW(owner, u"x", u"t", MB_OK), 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(MessageBoxes, LongTextIsWrappedIntoATallerBox) {
    RECT shortBox{}, longBox{};
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord& r) {
        GetWindowRect(r.box, r.text.size() < 10 ? &shortBox : &longBox);
        return TestSeams::MessageBoxAnswer{IDOK, 0};
    });
    MessageBoxW(owner, u"Short.", u"t", MB_OK);
    std::u16string text;
    for (int i = 0; i < 12; ++i)
        text += u"\u30b5\u30fc\u30dc\u30c9\u30e9\u30a4\u30d6\u306b\u63a5\u7d9a\u3067\u304d\u307e"
                u"\u305b\u3093\u3002";
    MessageBoxW(owner, text.c_str(), u"t", MB_OK | MB_ICONERROR);
    EXPECT_GT(longBox.bottom - longBox.top, shortBox.bottom - shortBox.top + 20);
    EXPECT_LT(longBox.right - longBox.left, 520);
}

TEST_F(MessageBoxes, TheTextIsDrawnInTheBox) {
    int dark = 0;
    TestSeams::ScriptMessageBoxes([&](const TestSeams::MessageBoxRecord& r) {
        RECT client;
        GetClientRect(r.box, &client);
        HDC dc = GetDC(r.box);
        RECT textArea{0, 0, client.right, client.bottom - 40}; // above the buttons
        for (COLORREF c : win32::ReadPixels(dc, textArea))
            dark += GetRValue(c) < 0x60 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60;
        ReleaseDC(r.box, dc);
        return TestSeams::MessageBoxAnswer{IDOK, 0};
    });
    MessageBoxW(owner, u"Drive not found \u30c9\u30e9\u30a4\u30d6", u"t", MB_OK);
    EXPECT_GT(dark, 20);
}

TEST(MessageBoxDeath, AnUnscriptedBoxEndsTheTestLoudlyInsteadOfWaiting) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TestSeams::ScriptMessageBoxes(nullptr);
    EXPECT_DEATH(MessageBoxW(nullptr, u"Who answers?", u"Nobody", MB_OK), "no script");
}
