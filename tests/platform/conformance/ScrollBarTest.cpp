// Scroll bars of windows created without scroll styles.
#include "MessageSequence.h"

#include <gtest/gtest.h>

using namespace conformance;

TEST(ScrollBars, SettingOneBarGivesTheOtherTheDefaultRange) {
    RegisterSequenceRecorder();
    for (int bar : {SB_HORZ, SB_VERT}) {
        HWND hwnd = MakeRecorded(WS_POPUP | WS_VISIBLE);
        const int other = bar == SB_HORZ ? SB_VERT : SB_HORZ;
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        EXPECT_FALSE(GetScrollInfo(hwnd, other, &si)) << "no bars before any is set";
        SetScrollRange(hwnd, bar, 0, 10, FALSE);
        si = {sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
        ASSERT_TRUE(GetScrollInfo(hwnd, other, &si)) << bar;
        EXPECT_EQ(si.nMin, 0);
        EXPECT_EQ(si.nMax, 100);
        DestroyWindow(hwnd);
    }
}
