#include <win32/winbase.h>
#include <win32/winuser.h>

#include <gtest/gtest.h>

TEST(SystemParameters, SettingsReadBackWhatWasSet) {
    struct Case {
        UINT get, set;
        bool valueInPointer; // the animation switches take the new value as pvParam
    } cases[] = {
        {SPI_GETDRAGFULLWINDOWS, SPI_SETDRAGFULLWINDOWS, false},
        {SPI_GETCOMBOBOXANIMATION, SPI_SETCOMBOBOXANIMATION, true},
        {SPI_GETTOOLTIPANIMATION, SPI_SETTOOLTIPANIMATION, true},
        {SPI_GETTOOLTIPFADE, SPI_SETTOOLTIPFADE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.get);
        BOOL initial = FALSE;
        ASSERT_TRUE(SystemParametersInfoW(c.get, 0, &initial, 0));
        EXPECT_TRUE(initial);
        for (BOOL value : {FALSE, TRUE}) {
            ASSERT_TRUE(c.valueInPointer
                            ? SystemParametersInfoW(c.set, 0, reinterpret_cast<LPVOID>(INT_PTR(value)), 0)
                            : SystemParametersInfoW(c.set, value, nullptr, 0));
            BOOL now = 2;
            ASSERT_TRUE(SystemParametersInfoW(c.get, 0, &now, 0));
            EXPECT_EQ(now, value);
        }
    }
    UINT lines = 0;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(lines, 3u);
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(lines, WHEEL_PAGESCROLL);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);
}

TEST(SystemParameters, WorkAreaIsTheScreenAndUnknownActionsFail) {
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.right - work.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(work.bottom - work.top, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA, 0, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SystemParametersInfoW(0xBEEF, 0, &work, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
