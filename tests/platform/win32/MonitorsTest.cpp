// Monitors of the layer's screen, alone and laid out as two by a test.
#include <win32/monitors.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

namespace {

class MonitorsTest : public testing::Test {
protected:
    void TearDown() override { TestSeams::SetMonitors({}); }
    static MONITORINFO Info(HMONITOR m) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetMonitorInfoW(m, &info));
        return info;
    }
};

TEST_F(MonitorsTest, TheScreenAloneIsOnePrimaryMonitor) {
    HMONITOR m = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONULL);
    ASSERT_NE(m, nullptr);
    const MONITORINFO info = Info(m);
    EXPECT_EQ(info.rcMonitor.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(info.rcMonitor.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(info.dwFlags, DWORD(MONITORINFOF_PRIMARY));
}

TEST_F(MonitorsTest, PointsAndRectanglesFindTheirMonitorOrTheFallback) {
    // A second monitor to the right, lower and with a taskbar at its bottom.
    TestSeams::SetMonitors({{{0, 0, 1000, 800}, {0, 0, 1000, 800}},
                            {{1000, 200, 1600, 1000}, {1000, 200, 1600, 960}}});
    HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONULL);
    HMONITOR second = MonitorFromPoint(POINT{1200, 900}, MONITOR_DEFAULTTONULL);
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(primary, second);
    EXPECT_EQ(Info(second).rcWork.bottom, 960);
    EXPECT_EQ(Info(second).rcMonitor.top, 200);
    EXPECT_EQ(Info(second).dwFlags, 0u);

    struct Case {
        RECT r;
        DWORD flags;
        HMONITOR expected;
    };
    const Case cases[] = {
        {{900, 300, 1300, 400}, MONITOR_DEFAULTTONULL, second}, // more of it on the second
        {{950, 300, 1010, 400}, MONITOR_DEFAULTTONULL, primary},
        {{1100, 0, 1200, 100}, MONITOR_DEFAULTTONULL, nullptr}, // above the second, off both
        {{1100, 0, 1200, 100}, MONITOR_DEFAULTTOPRIMARY, primary},
        {{1100, 0, 1200, 150}, MONITOR_DEFAULTTONEAREST, second},
        {{-500, 10, -400, 20}, MONITOR_DEFAULTTONEAREST, primary},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MonitorFromRect(&c.r, c.flags), c.expected) << c.r.left << "," << c.r.top;
    }
}

TEST_F(MonitorsTest, InfoRefusesUnknownMonitorsAndWrongSizes) {
    MONITORINFO info{};
    info.cbSize = sizeof info - 1;
    EXPECT_FALSE(GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetMonitorInfoW(reinterpret_cast<HMONITOR>(uintptr_t(99)), &info));
}

} // namespace
