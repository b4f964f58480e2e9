#include "benchkit/shell/IDEVirtualResources.h"
#include "benchkit/shell/IDEVirtualUnicodeDefines.h"
#include "benchkit/shell/IDEVirtualUtilities.h"

#include "ApplicationTest.h"
#include "CaseName.h"
#include <gtest/gtest.h>

namespace {

struct RectCase {
    RECT in, out;
};

void PrintTo(const RectCase& c, std::ostream* os) {
    *os << c.in.left << " " << c.in.top << " " << c.in.right << " " << c.in.bottom;
}

class AbsRectTest : public testing::TestWithParam<RectCase> {};

TEST_P(AbsRectTest, Normalises) {
    RECT r = AbsRect(GetParam().in);
    const RECT& e = GetParam().out;
    EXPECT_EQ(r.left, e.left);
    EXPECT_EQ(r.top, e.top);
    EXPECT_EQ(r.right, e.right);
    EXPECT_EQ(r.bottom, e.bottom);
}

INSTANTIATE_TEST_SUITE_P(Rects, AbsRectTest,
                         testing::Values(RectCase{{1, 2, 3, 4}, {1, 2, 3, 4}},
                                         RectCase{{3, 4, 1, 2}, {1, 2, 3, 4}},
                                         RectCase{{3, 2, 1, 4}, {1, 2, 3, 4}},
                                         RectCase{{-5, 9, -7, -9}, {-7, -9, -5, 9}}),
                         CaseName());

TEST(ShellUtilities, StubReachesTheBoundObject) {
    struct Counter {
        int calls = 0;
    } counter;
    TCallbackStub* stub = CreateStub([&counter](void*) -> DWORD { return ++counter.calls + 40; });
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, StubThreadProc, stub, 0, &id);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 41u);
    EXPECT_EQ(counter.calls, 1);
    CloseHandle(thread);
    DisposeStub(stub);
}

TEST(ShellUtilities, PlatformIsAModernWidePlatform) {
    EXPECT_TRUE(IsUnicode());
    EXPECT_TRUE(IsWin2000());
    EXPECT_FALSE(IsWinNT4());
    EXPECT_FALSE(IsWin95_SR1());
    EXPECT_FALSE(IsWinME());
    EXPECT_EQ(static_cast<uint32_t>(MAKE_HRESULT(1, 4, 5)), 0x80040005u);
}

TEST(ShellUtilities, FreeMemAndNil) {
    void* p = std::malloc(8);
    FreeMemAndNil(p);
    EXPECT_EQ(p, nullptr);
}

TEST(ShellResources, TablesLiveFromStartUpToShutDown) {
    InitializeIDEVirtualResources();
    ASSERT_NE(VET_COLUMN_NAMES[0], nullptr);
    EXPECT_EQ(*VET_COLUMN_NAMES[0], u"Name");
    EXPECT_EQ(*VET_COLUMN_NAMES[9], u"Custom");
    EXPECT_EQ(*VET_NOTIFY_EVENTS[1], u"Attributes");
    EXPECT_EQ(*VET_NOTIFY_EVENTS[19], u"Update Item");
    FinalizeIDEVirtualResources();
    EXPECT_EQ(VET_COLUMN_NAMES[0], nullptr);
    EXPECT_EQ(VET_NOTIFY_EVENTS[19], nullptr);
}

TEST(ShellWideEntryPoints, BoundWhereTheLibrariesHaveThem) {
    InitializeIDEVirtualUnicodeDefines();
    EXPECT_EQ(GetFileAttributesW_QOZ, &GetFileAttributesW);
    EXPECT_EQ(CreateFileW_QOZ, &CreateFileW);
    EXPECT_EQ(FindFirstFileW_QOZ, &FindFirstFileW);
    EXPECT_EQ(GetDriveTypeW_QOZ, &GetDriveTypeW);
    EXPECT_EQ(GetDiskFreeSpaceExW_QOZ, &GetDiskFreeSpaceExW);
    EXPECT_EQ(DrawTextW_QOZ, &DrawTextW);
    EXPECT_EQ(GetCharABCWidthsW_QOZ, &GetCharABCWidthsW);
    EXPECT_NE(SHGetFileInfoW_QOZ, nullptr);
    EXPECT_NE(SHGetDataFromIDListW_QOZ, nullptr);
    EXPECT_EQ(GetDiskFreeSpaceW_QOZ, nullptr); // never bound
    // Routines the libraries lack stay nil for callers to test.
    EXPECT_EQ(ShellExecuteExW_QOZ, nullptr);
    EXPECT_EQ(SHMultiFileProperties_QOZ, nullptr);
    FinalizeIDEVirtualUnicodeDefines();
    EXPECT_EQ(GetFileAttributesW_QOZ, nullptr);
}

class DragDetectTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = u"ShellDragDetectTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, u"ShellDragDetectTest", u"", WS_POPUP, 0, 0, 200, 200, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = nullptr;
};

TEST_F(DragDetectTest, ReleaseWithoutMovingIsNoDragAndIsPutBack) {
    PostMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(51, 50)); // inside the rectangle
    PostMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(51, 50));
    EXPECT_FALSE(DragDetectPlus(window_, POINT{50, 50}));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, window_, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(DragDetectTest, LeavingTheRectangleStartsADrag) {
    PostMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 50));
    EXPECT_TRUE(DragDetectPlus(window_, POINT{50, 50}));
    EXPECT_EQ(GetCapture(), nullptr);
}

// The box belongs to the main form even while another form is active, so
// that it stays above the application rather than above a passing window.
class WinMsgBoxTest : public ApplicationTest {};

TEST_F(WinMsgBoxTest, OwnedByTheMainFormNotTheActiveWindow) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    TForm* other = ShownForm();
    ASSERT_EQ(GetActiveWindow(), other->GetHandle());
    TestSeams::AnswerMessageBoxes({IDOK});
    EXPECT_EQ(WinMsgBox(u"text", u"caption", MB_OK), IDOK);
    ASSERT_EQ(TestSeams::MessageBoxes().size(), 1u);
    EXPECT_EQ(TestSeams::MessageBoxes()[0].owner, main->GetHandle());
    TestSeams::ScriptMessageBoxes({});
}

} // namespace
