// Update regions and the order of WM_PAINT.
#include "MessageSequence.h"

#include <win32/winbase.h>
#include <win32/wingdi.h>

#include <gtest/gtest.h>

using namespace conformance;

namespace {

class Paint : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSequenceRecorder();
        parent = MakeRecorded(WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 100, 100});
        child = MakeRecorded(WS_CHILD | WS_VISIBLE, parent, {10, 10, 50, 50});
        PumpPosted();
        Log().clear();
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND parent = nullptr, child = nullptr;
};

} // namespace

TEST_F(Paint, AChildWaitsForItsParentsPaint) {
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    MSG m{};
    EXPECT_FALSE(PeekMessageW(&m, child, WM_PAINT, WM_PAINT, PM_NOREMOVE))
        << "no WM_PAINT for the child while the parent has an update region";
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(m.hwnd, parent);
    UpdateWindow(parent);
    ASSERT_TRUE(PeekMessageW(&m, child, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(m.hwnd, child);
    PumpPosted();
}

TEST_F(Paint, UpdateRegionsKeepToWhatShowsOfTheWindow) {
    SetWindowPos(child, nullptr, 80, 70, 40, 40, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(child, &update, FALSE));
    EXPECT_EQ(update.left, 0);
    EXPECT_EQ(update.top, 0);
    EXPECT_EQ(update.right, 20) << "cropped at the parent's right edge";
    EXPECT_EQ(update.bottom, 30) << "cropped at the parent's bottom edge";
    PumpPosted();
}

TEST_F(Paint, RegionCallsNeedAWindow) {
    HRGN region = CreateRectRgn(0, 0, 10, 10);
    struct Case {
        const char* what;
        BOOL (*call)(HWND, HRGN);
    } cases[] = {
        {"InvalidateRgn", [](HWND h, HRGN r) { return InvalidateRgn(h, r, FALSE); }},
        {"ValidateRgn", [](HWND h, HRGN r) { return ValidateRgn(h, r); }},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(c.call(nullptr, region)) << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE)) << c.what;
        EXPECT_TRUE(c.call(parent, region)) << c.what;
    }
    DeleteObject(region);
}
