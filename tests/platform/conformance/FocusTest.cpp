// Where the keyboard focus and the activation go when windows hide, go away
// or are disabled.
#include "MessageSequence.h"

#include <gtest/gtest.h>

using namespace conformance;

namespace {

enum class Change { HideChild, DestroyChild, DisableParent };


struct FocusCase {
    const char* what;
    Change change;
    bool focusOnParent; // else it stays on the child (or none, when it went away)
    std::vector<Expected> parentHears;
    std::vector<Expected> childHears;
};

} // namespace

TEST(Focus, ChangesToTheFocusedChild) {
    const FocusCase cases[] = {
        {"hiding the focused child moves the focus to its parent", Change::HideChild, true,
         {{WM_SETFOCUS}},
         {{WM_SHOWWINDOW, kWParam, FALSE}, {WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_KILLFOCUS}}},
        {"destroying the focused child gives the parent the focus", Change::DestroyChild, true,
         {{WM_PARENTNOTIFY, kWParam | kOptional, WM_DESTROY}, {WM_SETFOCUS}},
         {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_KILLFOCUS}, {WM_DESTROY}, {WM_NCDESTROY}}},
        {"disabling the parent leaves the focus on the child", Change::DisableParent, false,
         {{WM_ENABLE, kWParam, FALSE}},
         {}},
    };
    for (const FocusCase& c : cases) {
        RegisterSequenceRecorder();
        HWND parent = MakeRecorded(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        HWND child = MakeRecorded(WS_CHILD | WS_VISIBLE, parent, {0, 0, 50, 20});
        SetFocus(child);
        ASSERT_EQ(GetFocus(), child);
        Log().clear();
        switch (c.change) {
        case Change::HideChild: ShowWindow(child, SW_HIDE); break;
        case Change::DestroyChild: DestroyWindow(child); break;
        case Change::DisableParent: EnableWindow(parent, FALSE); break;
        }
        EXPECT_EQ(GetFocus(), c.focusOnParent ? parent : child) << c.what;
        ExpectSequence(c.parentHears, c.what, parent);
        ExpectSequence(c.childHears, c.what, child);
        DestroyWindow(parent);
    }
}

TEST(Focus, DisablingTheFocusedWindowTakesTheFocusAway) {
    RegisterSequenceRecorder();
    HWND parent = MakeRecorded(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND child = MakeRecorded(WS_CHILD | WS_VISIBLE, parent, {0, 0, 50, 20});
    SetFocus(child);
    EnableWindow(child, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    DestroyWindow(parent);
}
