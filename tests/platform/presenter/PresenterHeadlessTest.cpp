// Without an X display the layer stays headless, whatever shows.
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

HWND ShowOne() {
    return CreateWindowExW(0, u"Static", u"Headless", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                           100, nullptr, nullptr, nullptr, nullptr);
}

} // namespace

TEST(PresenterHeadless, WithoutDisplayNothingIsPresented) {
    ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "the test main clears DISPLAY";
    HWND hwnd = ShowOne();
    ASSERT_NE(hwnd, nullptr);
    UpdateWindow(hwnd);
    EXPECT_FALSE(TestSeams::PresenterRunning());
    EXPECT_EQ(TestSeams::PresentedXWindow(hwnd), 0u);
    DestroyWindow(hwnd);
    TestSeams::StopPresenter();
}

TEST(PresenterHeadless, ADisplayThatCannotBeOpenedLeavesTheLayerHeadless) {
    setenv("DISPLAY", "/nonexistent/winlayer-no-server:0", 1);
    testing::internal::CaptureStderr();
    HWND hwnd = ShowOne();
    const std::string said = testing::internal::GetCapturedStderr();
    unsetenv("DISPLAY");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(TestSeams::PresenterRunning());
    EXPECT_NE(said.find("cannot open the X display"), std::string::npos) << said;
    DestroyWindow(hwnd);
    TestSeams::StopPresenter();
}
