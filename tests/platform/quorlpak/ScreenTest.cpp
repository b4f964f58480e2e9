// The screen (cursors, forms, display) and the helpers without controls:
// utility windows and method-bound window procedures; icons.
#include "QuorlpakTestSupport.h"

#include <quorlpak/UtilWindow.h>

namespace {

class ScreenTest : public QuorlpakTest {};

TEST_F(ScreenTest, StandardCursorsAreTheSystemsAndSlotsAreSettable) {
    EXPECT_EQ(Screen->GetCursors(crArrow), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(Screen->GetCursors(crDefault), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(Screen->GetCursors(crIBeam), LoadCursorW(nullptr, IDC_IBEAM));
    EXPECT_EQ(Screen->GetCursors(crHourGlass), LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(Screen->GetCursors(crHandPoint), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(Screen->GetCursors(crNone), nullptr);
    // The framework's own shapes are cursors of their own.
    EXPECT_NE(Screen->GetCursors(crDrag), nullptr);
    EXPECT_NE(Screen->GetCursors(crDrag), Screen->GetCursors(crArrow));
    EXPECT_NE(Screen->GetCursors(crHSplit), Screen->GetCursors(crSizeWE));
    // An empty slot is the arrow; a filled one is what was put there.
    EXPECT_EQ(Screen->GetCursors(63), LoadCursorW(nullptr, IDC_ARROW));
    HCURSOR split = CopyCursor(LoadCursorW(nullptr, IDC_SIZEWE));
    Screen->SetCursors(63, split);
    EXPECT_EQ(Screen->GetCursors(63), split);
    // Replacing destroys the old one.
    Screen->SetCursors(63, CopyCursor(LoadCursorW(nullptr, IDC_SIZENS)));
    EXPECT_FALSE(DestroyCursor(split));
}

TEST_F(ScreenTest, CursorPropertyIsSetAndRestoredAroundWaits) {
    TCursor saved = Screen->GetCursor();
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    Screen->SetCursor(saved);
    EXPECT_EQ(Screen->GetCursor(), crDefault);
}

TEST_F(ScreenTest, FormsAreListedMostRecentlyFocusedFirst) {
    TForm* a = ShownForm();
    TForm* b = ShownForm();
    EXPECT_EQ(Screen->GetFormCount(), 2);
    EXPECT_EQ(Screen->GetForms(0), b);
    EXPECT_EQ(Screen->GetActiveForm(), b);
    a->SetFocus();
    Pump();
    EXPECT_EQ(Screen->GetForms(0), a);
    EXPECT_EQ(Screen->GetActiveForm(), a);
    delete a;
    EXPECT_EQ(Screen->GetFormCount(), 1);
    EXPECT_THROW(Screen->GetForms(1), EListError);
}

TEST_F(ScreenTest, DisplayFacts) {
    EXPECT_EQ(Screen->GetWidth(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(Screen->GetHeight(), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(Screen->GetPixelsPerInch(), 96);
    EXPECT_GE(Screen->GetFonts()->IndexOf(u"Tahoma"), 0);
    EXPECT_GE(Screen->GetFonts()->IndexOf(u"MS Gothic"), 0);
}

TEST_F(ScreenTest, UtilityWindowsDeliverToTheirMethod) {
    std::vector<UINT> seen;
    HWND wnd = AllocateHWnd([&](TMessage& m) {
        if (m.Msg >= WM_USER) seen.push_back(m.Msg);
        m.Result = 5;
    });
    ASSERT_NE(wnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_EQ(SendMessageW(wnd, WM_USER + 1, 0, 0), 5);
    PostMessageW(wnd, WM_USER + 2, 0, 0);
    Pump();
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    DeallocateHWnd(wnd);
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(ScreenTest, ObjectInstancesBindWindowProceduresToMethods) {
    int first = 0, second = 0;
    WNDPROC a = MakeObjectInstance([&](TMessage& m) {
        if (m.Msg == WM_USER) ++first;
        m.Result = 1;
    });
    WNDPROC b = MakeObjectInstance([&](TMessage& m) {
        if (m.Msg == WM_USER) ++second;
        m.Result = 2;
    });
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    HWND wnd = AllocateHWnd([](TMessage&) {});
    WNDPROC old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(a)));
    EXPECT_EQ(SendMessageW(wnd, WM_USER, 0, 0), 1);
    EXPECT_EQ(CallWindowProcW(b, wnd, WM_USER, 0, 0), 2);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    FreeObjectInstance(a);
    FreeObjectInstance(b);
    // A freed slot is handed out again.
    WNDPROC again = MakeObjectInstance([](TMessage&) {});
    EXPECT_EQ(again, a);
    FreeObjectInstance(again);
    DeallocateHWnd(wnd);
}

TEST_F(ScreenTest, IconsDrawFromTheirImage) {
    TBitmap color;
    color.SetPixelFormat(pf32bit);
    color.SetSize(8, 8);
    color.GetCanvas()->GetBrush()->SetColor(clRed);
    color.GetCanvas()->FillRect(Rect(0, 0, 8, 8));
    HBITMAP mask = CreateBitmap(8, 8, 1, 1, nullptr); // all black: draw every pixel
    ICONINFO info{TRUE, 0, 0, mask, color.GetHandle()};
    TIcon icon;
    icon.SetHandle(CreateIconIndirect(&info));
    DeleteObject(mask);
    EXPECT_EQ(icon.GetWidth(), 8);
    EXPECT_EQ(icon.GetHeight(), 8);
    EXPECT_THROW(icon.SetWidth(16), EInvalidGraphicOperation);
    TBitmap target;
    target.SetSize(20, 20);
    target.GetCanvas()->GetBrush()->SetColor(clWhite);
    target.GetCanvas()->FillRect(Rect(0, 0, 20, 20));
    target.GetCanvas()->Draw(4, 4, &icon);
    EXPECT_EQ(target.GetCanvas()->GetPixel(5, 5), clRed);
    EXPECT_EQ(target.GetCanvas()->GetPixel(1, 1), clWhite);
    TIcon copy;
    copy.Assign(&icon);
    EXPECT_NE(copy.GetHandle(), icon.GetHandle());
    EXPECT_EQ(copy.GetWidth(), 8);
}

} // namespace
