// Cursors and icons of the user area: the shared system set and icons made
// from bitmaps.
#include <win32/windows.h>

#include <gtest/gtest.h>

namespace {

TEST(CursorTest, SystemCursorsAreFixedSharedHandles) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);
    for (LPCWSTR id :
         {IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,
          IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_HAND, IDC_APPSTARTING, IDC_HELP}) {
        HCURSOR c = LoadCursorW(nullptr, id);
        EXPECT_NE(c, nullptr);
        EXPECT_NE(c, arrow);
    }
    // Destroying a shared cursor leaves it usable.
    EXPECT_TRUE(DestroyCursor(arrow));
    SetCursor(arrow);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST(CursorTest, UnknownNamesAndModulesFail) {
    SetLastError(0);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1234)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadCursorW(GetModuleHandleW(nullptr), u"SPLIT"), nullptr);
    EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);
}

TEST(CursorTest, CopiesAreOwnedAndDestroyedOnce) {
    HCURSOR copy = CopyCursor(LoadCursorW(nullptr, IDC_CROSS));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, LoadCursorW(nullptr, IDC_CROSS));
    EXPECT_TRUE(DestroyCursor(copy));
    EXPECT_FALSE(DestroyCursor(copy));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE));
    EXPECT_EQ(CopyCursor(nullptr), nullptr);
}

class IconDrawTest : public testing::Test {
protected:
    void SetUp() override {
        dc = CreateCompatibleDC(nullptr);
        target = CreateBitmap(16, 16, 1, 32, nullptr);
        old = SelectObject(dc, target);
        RECT all{0, 0, 16, 16};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void TearDown() override {
        SelectObject(dc, old);
        DeleteObject(target);
        DeleteDC(dc);
    }
    HDC dc = nullptr;
    HBITMAP target = nullptr;
    HGDIOBJ old = nullptr;
};

TEST_F(IconDrawTest, MaskKeepsTheBackgroundWhereItIsWhite) {
    // Colour: blue everywhere; mask: white (transparent) on the left half.
    HBITMAP color = CreateBitmap(4, 4, 1, 32, nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ prev = SelectObject(mem, color);
    RECT all{0, 0, 4, 4};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(mem, &all, blue);
    DeleteObject(blue);
    RECT left{0, 0, 2, 4};
    FillRect(mem, &left, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); // XOR with nothing
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
    SelectObject(mem, mask);
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(mem, &left, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(mem, prev);
    DeleteDC(mem);

    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(DrawIconEx(dc, 2, 2, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255)); // transparent half
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 7, 7), RGB(255, 255, 255)); // outside

    ICONINFO back{};
    ASSERT_TRUE(GetIconInfo(icon, &back));
    BITMAP bm{};
    GetObjectW(back.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(back.xHotspot, 2u);
    DeleteObject(back.hbmColor);
    DeleteObject(back.hbmMask);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
}

TEST_F(IconDrawTest, CreateIconIndirectNeedsAMask) {
    ICONINFO info{TRUE, 0, 0, nullptr, nullptr};
    EXPECT_EQ(CreateIconIndirect(&info), nullptr);
    EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
}

} // namespace
