// Where input goes: the context-menu request of the default handling, and
// keys that follow the focus as they are retrieved.
#include "MessageSequence.h"

#include <win32/TestSeams.h>

#include <gtest/gtest.h>

using namespace conformance;

namespace {

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSequenceRecorder();
        top = MakeRecorded(WS_POPUP | WS_VISIBLE, nullptr, {100, 100, 300, 200});
        a = MakeRecorded(WS_CHILD | WS_VISIBLE, top, {0, 0, 50, 50});
        b = MakeRecorded(WS_CHILD | WS_VISIBLE, top, {60, 0, 110, 50});
        SetFocus(a);
        PumpPosted();
        Log().clear();
    }
    void TearDown() override {
        Hook() = nullptr;
        DestroyWindow(top);
        PumpPosted();
    }
    std::vector<Logged> Of(UINT msg) {
        std::vector<Logged> out;
        for (const Logged& l : Log())
            if (l.msg == msg) out.push_back(l);
        return out;
    }
    HWND top = nullptr, a = nullptr, b = nullptr;
};

} // namespace

TEST_F(Input, DefaultHandlingAsksForTheContextMenu) {
    const LPARAM kKeyboard = -1;
    struct Case {
        const char* what;
        std::function<void()> act;
        HWND firstAsked; // the window asked first; children pass it up to their parent
        LPARAM where;
    } cases[] = {
        {"right button released", [] { TestSeams::Click({110, 120}, VK_RBUTTON); }, a,
         MAKELPARAM(110, 120)},
        {"Shift+F10",
         [] {
             TestSeams::KeyDown(VK_SHIFT);
             TestSeams::KeyPress(VK_F10);
             TestSeams::KeyUp(VK_SHIFT);
         },
         a, kKeyboard},
        {"menu key", [] { TestSeams::KeyPress(VK_APPS); }, a, kKeyboard},
    };
    for (const Case& c : cases) {
        Log().clear();
        c.act();
        PumpPosted();
        auto asked = Of(WM_CONTEXTMENU);
        ASSERT_EQ(asked.size(), 2u) << c.what << ": the child, then its parent";
        EXPECT_EQ(asked[0].hwnd, c.firstAsked) << c.what;
        EXPECT_EQ(asked[1].hwnd, top) << c.what;
        EXPECT_EQ(asked[0].wParam, reinterpret_cast<WPARAM>(c.firstAsked)) << c.what;
        EXPECT_EQ(LOWORD(asked[0].lParam), LOWORD(c.where)) << c.what;
        EXPECT_EQ(HIWORD(asked[0].lParam), HIWORD(c.where)) << c.what;
    }
    Log().clear();
    TestSeams::KeyPress(VK_F10);
    PumpPosted();
    EXPECT_TRUE(Of(WM_CONTEXTMENU).empty()) << "F10 alone is the menu bar's key";
}

TEST_F(Input, KeysGoToTheFocusOfTheirRetrieval) {
    // The first key moves the focus; the keys typed before that was handled follow it.
    Hook() = [this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
        if (msg == WM_KEYDOWN && wParam == 'X' && hwnd == a) SetFocus(b);
        return false;
    };
    TestSeams::KeyPress('X');
    TestSeams::KeyPress('Y');
    PumpPosted();
    std::vector<std::pair<HWND, WPARAM>> downs;
    for (const Logged& l : Of(WM_KEYDOWN)) downs.push_back({l.hwnd, l.wParam});
    EXPECT_EQ(downs, (std::vector<std::pair<HWND, WPARAM>>{{a, 'X'}, {b, 'Y'}}));
    auto ups = Of(WM_KEYUP);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(ups[0].hwnd, b) << "the key's release follows the focus too";
}
