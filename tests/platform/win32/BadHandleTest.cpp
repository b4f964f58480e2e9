// Handles that are no object (never issued, or already destroyed) make the
// calls that receive them fail with the documented error; afterwards the
// getters answer as if the call had not been made.
#include "WindowTestSupport.h"

#include <win32/winbase.h>
#include <win32/wingdi.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

class BadHandles : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterRecorder();
        top = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        child = MakeWindow(WS_CHILD | WS_VISIBLE, top);
        SetFocus(top);
        HWND gone = MakeWindow();
        DestroyWindow(gone);
        HMENU goneMenu = CreateMenu();
        DestroyMenu(goneMenu);
        HGDIOBJ goneBrush = CreateSolidBrush(RGB(1, 2, 3));
        DeleteObject(goneBrush);
        // Never issued by the layer, and issued once but freed since.
        badWindows = {reinterpret_cast<HWND>(uintptr_t{0xBAD0}), gone};
        badMenus = {reinterpret_cast<HMENU>(uintptr_t{0xBAD0}), goneMenu};
        badObjects = {reinterpret_cast<HGDIOBJ>(uintptr_t{0xBAD0}), goneBrush};
    }
    void TearDown() override {
        DestroyWindow(top);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        Log().clear();
    }

    HWND top = nullptr;
    HWND child = nullptr;
    std::vector<HWND> badWindows;
    std::vector<HMENU> badMenus;
    std::vector<HGDIOBJ> badObjects;
};

// A setter given a bad window: whether it reported failure, the error it
// left, and a check that the state it would have changed did not.
struct WindowCase {
    const char* name;
    std::function<bool(HWND top, HWND child, HWND bad)> set; // true: reported success
    DWORD error;
    std::function<void(HWND top, HWND child, HWND bad)> unchanged;
};

TEST_F(BadHandles, WindowSettersFailAndTheGettersAnswerAsBefore) {
    const WindowCase cases[] = {
        {"owner through the window data",
         [](HWND top, HWND, HWND bad) {
             return SetWindowLongPtrW(top, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(bad)) != 0;
         },
         ERROR_INVALID_WINDOW_HANDLE,
         [](HWND top, HWND child, HWND) {
             EXPECT_EQ(GetWindow(top, GW_OWNER), nullptr);
             EXPECT_EQ(GetWindowLongPtrW(top, GWLP_HWNDPARENT), 0);
             EXPECT_EQ(GetAncestor(top, GA_ROOTOWNER), top);
             EXPECT_EQ(GetAncestor(child, GA_ROOTOWNER), top);
         }},
        {"parent", [](HWND, HWND child, HWND bad) { return SetParent(child, bad) != nullptr; },
         ERROR_INVALID_WINDOW_HANDLE,
         [](HWND top, HWND child, HWND) {
             EXPECT_EQ(GetParent(child), top);
             EXPECT_EQ(GetAncestor(child, GA_ROOT), top);
         }},
        {"focus", [](HWND, HWND, HWND bad) { return SetFocus(bad) != nullptr; },
         ERROR_INVALID_WINDOW_HANDLE, [](HWND top, HWND, HWND) { EXPECT_EQ(GetFocus(), top); }},
        {"property",
         [](HWND, HWND, HWND bad) { return SetPropW(bad, u"Tag", reinterpret_cast<HANDLE>(1)); },
         ERROR_INVALID_WINDOW_HANDLE,
         [](HWND, HWND, HWND bad) { EXPECT_EQ(GetPropW(bad, u"Tag"), nullptr); }},
        {"timer", [](HWND, HWND, HWND bad) { return SetTimer(bad, 1, 10, nullptr) != 0; },
         ERROR_INVALID_WINDOW_HANDLE,
         [](HWND, HWND, HWND bad) { EXPECT_FALSE(KillTimer(bad, 1)); }},
        {"posted message",
         [](HWND, HWND, HWND bad) { return PostMessageW(bad, WM_USER, 0, 0) != FALSE; },
         ERROR_INVALID_WINDOW_HANDLE,
         [](HWND, HWND, HWND) {
             MSG m;
             EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_REMOVE));
         }},
        {"window text", [](HWND, HWND, HWND bad) { return SetWindowTextW(bad, u"x") != FALSE; },
         ERROR_INVALID_WINDOW_HANDLE,
         [](HWND, HWND, HWND bad) { EXPECT_EQ(GetWindowTextLengthW(bad), 0); }},
    };
    for (const WindowCase& c : cases) {
        for (HWND bad : badWindows) {
            SCOPED_TRACE(testing::Message() << c.name << ", handle " << bad);
            SetLastError(0);
            EXPECT_FALSE(c.set(top, child, bad));
            EXPECT_EQ(GetLastError(), c.error);
            c.unchanged(top, child, bad);
        }
    }
}

TEST_F(BadHandles, AMenuThatIsNoMenuIsRefused) {
    for (HMENU bad : badMenus) {
        SCOPED_TRACE(testing::Message() << "handle " << bad);
        SetLastError(0);
        EXPECT_FALSE(SetMenu(top, bad));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_MENU_HANDLE));
        EXPECT_EQ(GetMenu(top), nullptr);
        EXPECT_FALSE(IsMenu(bad));
    }
}

TEST_F(BadHandles, AnObjectThatIsNoObjectIsNotSelected) {
    HDC dc = GetDC(top);
    HGDIOBJ before = GetCurrentObject(dc, OBJ_BRUSH);
    for (HGDIOBJ bad : badObjects) {
        SCOPED_TRACE(testing::Message() << "handle " << bad);
        EXPECT_EQ(SelectObject(dc, bad), nullptr);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), before);
        EXPECT_EQ(GetObjectType(bad), 0u);
        EXPECT_FALSE(DeleteObject(bad));
    }
    ReleaseDC(top, dc);
}

// An owner chain that would come back to the window would never end.
TEST_F(BadHandles, AnOwnerThatTheWindowOwnsIsRefused) {
    HWND owned = MakeWindow(WS_POPUP, top);
    ASSERT_EQ(GetWindow(owned, GW_OWNER), top);
    for (HWND loop : {owned, top}) {
        SetLastError(0);
        EXPECT_EQ(SetWindowLongPtrW(top, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(loop)), 0);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(GetAncestor(owned, GA_ROOTOWNER), top);
        EXPECT_EQ(GetAncestor(top, GA_ROOTOWNER), top);
    }
    // A child stands for its top-level window, as at creation.
    HWND other = MakeWindow();
    EXPECT_EQ(SetWindowLongPtrW(other, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(child)), 0);
    EXPECT_EQ(GetWindow(other, GW_OWNER), top);
    EXPECT_EQ(GetAncestor(other, GA_ROOTOWNER), top);
    DestroyWindow(other);
}

} // namespace
