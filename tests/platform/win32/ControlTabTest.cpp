// The tab control window class: items and the current tab through inserts and
// deletes, hit tests on images and labels, the panel's inside and back, and a
// control that lets clicks away from its tabs through.
#include "ControlTestSupport.h"

#include <win32/commctrl.h>

namespace {

class ControlTabTest : public ControlTest {
protected:
    HWND MakeTabs(std::initializer_list<const char16_t*> Texts) {
        HWND tabs = Make(WC_TABCONTROL, u"", WS_CHILD | WS_VISIBLE, 10, 10, 300, 150);
        int i = 0;
        for (const char16_t* text : Texts)
            Insert(tabs, i++, text);
        return tabs;
    }
    static int Insert(HWND tabs, int at, const char16_t* text, int image = -1) {
        std::u16string copy(text);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = copy.data();
        item.iImage = image;
        return static_cast<int>(
            Send(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item)));
    }
    static std::u16string ItemText(HWND tabs, int index) {
        char16_t buffer[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 64;
        if (!Send(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
            return u"<none>";
        return buffer;
    }
    static RECT ItemRect(HWND tabs, int index) {
        RECT r{};
        Send(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return r;
    }
};

TEST_F(ControlTabTest, CurrentTabShiftsWithInsertsAndDeletes) {
    HWND tabs = MakeTabs({u"one", u"two", u"three"});
    EXPECT_EQ(Send(tabs, TCM_GETITEMCOUNT), 3);
    EXPECT_EQ(Send(tabs, TCM_GETCURSEL), -1);
    EXPECT_EQ(Send(tabs, TCM_SETCURSEL, 1), -1);
    struct Step {
        UINT msg;
        int index;
        int current;
        const char16_t* second;
    } steps[] = {
        {TCM_INSERTITEMW, 0, 2, u"one"},    // before the current one
        {TCM_DELETEITEM, 3, 2, u"one"},     // after it
        {TCM_DELETEITEM, 0, 1, u"two"},     // before it
        {TCM_DELETEITEM, 1, -1, u"<none>"}, // the current one itself
    };
    for (const Step& s : steps) {
        if (s.msg == TCM_INSERTITEMW)
            Insert(tabs, s.index, u"zero");
        else
            EXPECT_TRUE(Send(tabs, TCM_DELETEITEM, static_cast<WPARAM>(s.index)));
        EXPECT_EQ(Send(tabs, TCM_GETCURSEL), s.current) << s.index;
        EXPECT_EQ(ItemText(tabs, 1), s.second) << s.index;
    }
    EXPECT_FALSE(Send(tabs, TCM_DELETEITEM, 5));
    EXPECT_EQ(Send(tabs, TCM_SETCURSEL, 7), -1); // out of range: refused
}

TEST_F(ControlTabTest, HitTestsTellImageFromLabelAndLetTheRestThrough) {
    HWND tabs = MakeTabs({});
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    ImageList_Add(images, bitmap, nullptr);
    Send(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    Insert(tabs, 0, u"plain");
    Insert(tabs, 1, u"pictured", 0);

    const RECT plain = ItemRect(tabs, 0), pictured = ItemRect(tabs, 1);
    EXPECT_EQ(plain.right, pictured.left);
    EXPECT_GT(pictured.right - pictured.left, plain.right - plain.left);
    struct Case {
        POINT pt;
        int index;
        UINT flags;
    } cases[] = {
        {{plain.left + 8, plain.top + 5}, 0, TCHT_ONITEMLABEL},
        {{pictured.left + 8, pictured.top + 5}, 1, TCHT_ONITEMICON},
        {{pictured.right - 4, pictured.top + 5}, 1, TCHT_ONITEMLABEL},
        {{150, 100}, -1, TCHT_NOWHERE},
    };
    for (const Case& c : cases) {
        TCHITTESTINFO info{c.pt, 0};
        EXPECT_EQ(Send(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), c.index);
        EXPECT_EQ(info.flags, c.flags) << c.pt.x << "," << c.pt.y;
        POINT screenPt = c.pt;
        ClientToScreen(tabs, &screenPt);
        EXPECT_EQ(Send(tabs, WM_NCHITTEST, 0, MAKELPARAM(screenPt.x, screenPt.y)),
                  c.index >= 0 ? HTCLIENT : HTTRANSPARENT);
    }
    ImageList_Destroy(images);
    DeleteObject(bitmap);
}

TEST_F(ControlTabTest, PanelInsideAndBackAgree) {
    HWND tabs = MakeTabs({u"one"});
    RECT client;
    GetClientRect(tabs, &client);
    RECT inside = client;
    Send(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inside));
    EXPECT_GT(inside.top, ItemRect(tabs, 0).bottom);
    EXPECT_GT(inside.left, client.left);
    EXPECT_LT(inside.right, client.right);
    RECT back = inside;
    Send(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&back));
    EXPECT_TRUE(EqualRect(&back, &client));
    // A click on a tab makes it current (nobody refuses here).
    Insert(tabs, 1, u"two");
    const RECT two = ItemRect(tabs, 1);
    Click(tabs, two.left + 5, two.top + 5);
    EXPECT_EQ(Send(tabs, TCM_GETCURSEL), 1);
    Press(VK_LEFT);
    EXPECT_EQ(Send(tabs, TCM_GETCURSEL), 0);
}

} // namespace
