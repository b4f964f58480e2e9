#include "ControlTestSupport.h"

#include <win32/readback.h>

#include "CaseName.h"
#include <algorithm>

namespace {

class StaticControl : public ControlTest {};

// The pixels of a window's client area.
std::vector<COLORREF> ClientPixels(HWND hwnd) {
    UpdateWindow(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC dc = GetDC(hwnd);
    std::vector<COLORREF> pixels = win32::ReadPixels(dc, rc);
    ReleaseDC(hwnd, dc);
    return pixels;
}

// What DrawTextW draws with the system font on the static's default colours.
std::vector<COLORREF> Expected(const char16_t* text, int cx, int cy, UINT format) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    RECT rc{0, 0, cx, cy};
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &rc, format);
    std::vector<COLORREF> pixels = win32::ReadPixels(dc, {0, 0, cx, cy});
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

struct TextCase {
    DWORD style;
    UINT format;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << "style " << c.style;
}

class StaticText : public StaticControl, public ::testing::WithParamInterface<TextCase> {};

} // namespace

TEST_P(StaticText, DrawsItsTextAsDrawTextDoesWithTheMatchingFormat) {
    const char16_t* text = u"A &label that is long enough to wrap\tor to be cut short";
    HWND s = Make(u"Static", text, GetParam().style, 10, 10, 160, 60);
    EXPECT_EQ(ClientPixels(s), Expected(text, 160, 60, GetParam().format));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, StaticText,
    ::testing::Values(
        TextCase{SS_LEFT, DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS},
        TextCase{SS_CENTER, DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS},
        TextCase{SS_RIGHT, DT_RIGHT | DT_WORDBREAK | DT_EXPANDTABS},
        TextCase{SS_LEFTNOWORDWRAP, DT_LEFT | DT_EXPANDTABS},
        TextCase{SS_SIMPLE, DT_LEFT | DT_SINGLELINE},
        TextCase{SS_LEFT | SS_NOPREFIX, DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX},
        TextCase{SS_LEFT | SS_ENDELLIPSIS,
                 DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_SINGLELINE | DT_END_ELLIPSIS},
        TextCase{SS_LEFT | SS_PATHELLIPSIS,
                 DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_SINGLELINE | DT_PATH_ELLIPSIS},
        TextCase{SS_CENTER | SS_CENTERIMAGE,
                 DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK | DT_SINGLELINE | DT_VCENTER}),
    CaseName());

TEST_F(StaticControl, TransparentToTheMouseUnlessItNotifies) {
    HWND label = Make(u"Static", u"label", SS_LEFT, 10, 10, 100, 20, 1);
    Click(label, 5, 5);
    EXPECT_EQ(Messages({WM_LBUTTONDOWN}, parent).size(), 1u);
    EXPECT_TRUE(Codes(label).empty());
    HWND notify = Make(u"Static", u"link", SS_LEFT | SS_NOTIFY, 10, 40, 100, 20, 2);
    Log().clear();
    Click(notify, 5, 5);
    Click(notify, 5, 5);
    EXPECT_EQ(Messages({WM_LBUTTONDOWN}, parent).size(), 0u);
    EXPECT_EQ(Codes(notify), (std::vector<int>{STN_CLICKED, STN_DBLCLK}));
    EXPECT_EQ(Send(notify, WM_GETDLGCODE), DLGC_STATIC);
}

TEST_F(StaticControl, TheParentChoosesTheColours) {
    HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
    Hook() = [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        if (msg != WM_CTLCOLORSTATIC) return false;
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
        result = reinterpret_cast<LRESULT>(green);
        return true;
    };
    HWND s = Make(u"Static", u"WWW", SS_LEFT, 10, 10, 100, 30);
    std::vector<COLORREF> pixels = ClientPixels(s);
    EXPECT_EQ(pixels.back(), RGB(0, 200, 0));
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), RGB(0, 0, 255)), 0);
    Hook() = nullptr;
    DeleteObject(green);
}

TEST_F(StaticControl, TextChangesRepaint) {
    HWND s = Make(u"Static", u"", SS_LEFT, 10, 10, 100, 30);
    const int blank = DarkPixels(s, {0, 0, 100, 30});
    SetWindowTextW(s, u"Now");
    UpdateWindow(s);
    EXPECT_GT(DarkPixels(s, {0, 0, 100, 30}), blank);
    EXPECT_EQ(Text(s), u"Now");
}

TEST_F(StaticControl, ABitmapStaticTakesTheSizeOfItsBitmap) {
    HWND s = Make(u"Static", u"ignored", SS_BITMAP, 10, 10, 5, 5);
    EXPECT_EQ(Text(s), u"") << "the text of an image static names a resource";
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 24, 16);
    HDC mem = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, bitmap);
    RECT all{0, 0, 24, 16};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(mem, &all, red);
    SelectObject(mem, old);
    DeleteDC(mem);
    EXPECT_EQ(Send(s, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)), 0);
    RECT rc;
    GetClientRect(s, &rc);
    EXPECT_EQ(rc.right, 24);
    EXPECT_EQ(rc.bottom, 16);
    EXPECT_EQ(Pixel(s, 12, 8), RGB(255, 0, 0));
    EXPECT_EQ(Send(s, STM_GETIMAGE, IMAGE_BITMAP), reinterpret_cast<LRESULT>(bitmap));
    EXPECT_EQ(Send(s, STM_SETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(bitmap));
    DestroyWindow(s);
    DeleteObject(bitmap);
    DeleteObject(red);
}

TEST_F(StaticControl, EtchedLinesAndSunkenEdges) {
    HWND line = Make(u"Static", u"", SS_ETCHEDHORZ, 10, 10, 100, 10);
    EXPECT_EQ(Pixel(line, 50, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(Pixel(line, 50, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    HWND sunken = Make(u"Static", u"", SS_LEFT | SS_SUNKEN, 10, 30, 100, 20);
    EXPECT_TRUE(GetWindowLongW(sunken, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    RECT rc;
    GetClientRect(sunken, &rc);
    EXPECT_EQ(rc.right, 98) << "the static edge takes a pixel on each side";
}

TEST_F(StaticControl, OwnerDrawnStaticsAskTheParent) {
    UINT type = 0;
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
        if (msg != WM_DRAWITEM) return false;
        type = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType;
        result = TRUE;
        return true;
    };
    HWND s = Make(u"Static", u"", SS_OWNERDRAW, 10, 10, 50, 20);
    UpdateWindow(s);
    EXPECT_EQ(type, static_cast<UINT>(ODT_STATIC));
}
