// The header control: items and their display order, layout, hit tests on
// items and dividers, resizing by mouse with its notifications in order (and
// refused), and clicks on button items.
#include "ControlTestSupport.h"

#include <win32/commctrl.h>
#include <win32/readback.h>

#include <algorithm>
#include <string>

namespace {

class ControlHeaderTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        Hook() = [this](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
            if (hwnd != parent || msg != WM_NOTIFY) return false;
            auto* n = reinterpret_cast<NMHEADERW*>(lParam);
            if (n->hdr.hwndFrom != header) return false;
            std::string s = Name(n->hdr.code) + " " + std::to_string(n->iItem);
            if (n->pitem && (n->pitem->mask & HDI_WIDTH)) s += " w" + std::to_string(n->pitem->cxy);
            seen.push_back(s);
            result = (n->hdr.code == HDN_BEGINTRACKW && refuseTrack) ? TRUE : FALSE;
            return true;
        };
        header = Make(WC_HEADER, u"", HDS_BUTTONS | HDS_FULLDRAG, 0, 0, 400, 24);
        for (int i = 0; i < 3; ++i)
            Insert(i, i == 0 ? u"One" : i == 1 ? u"Two" : u"Three", 100);
        seen.clear();
    }
    static std::string Name(UINT code) {
        switch (code) {
        case HDN_BEGINTRACKW:
            return "BEGINTRACK";
        case HDN_TRACKW:
            return "TRACK";
        case HDN_ENDTRACKW:
            return "ENDTRACK";
        case HDN_ITEMCHANGINGW:
            return "CHANGING";
        case HDN_ITEMCHANGEDW:
            return "CHANGED";
        case HDN_ITEMCLICKW:
            return "CLICK";
        case HDN_DIVIDERDBLCLICKW:
            return "DIVIDERDBLCLICK";
        }
        return std::to_string(static_cast<int>(code));
    }
    int Insert(int at, const char16_t* text, int width) {
        std::u16string copy(text);
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.pszText = copy.data();
        item.cxy = width;
        item.fmt = HDF_STRING;
        return static_cast<int>(Send(header, HDM_INSERTITEMW, static_cast<WPARAM>(at),
                                     reinterpret_cast<LPARAM>(&item)));
    }
    int Width(int at) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        Send(header, HDM_GETITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
        return item.cxy;
    }
    RECT Rect(int at) {
        RECT r{};
        Send(header, HDM_GETITEMRECT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    void Drag(int fromX, int toX) {
        const POINT a = TestSeams::ClientPoint(header, fromX, 10);
        const POINT b = TestSeams::ClientPoint(header, toX, 10);
        TestSeams::MouseDown(a);
        Pump();
        TestSeams::MouseMove(b);
        Pump();
        TestSeams::MouseUp(b);
        Pump();
    }

    HWND header = nullptr;
    std::vector<std::string> seen;
    bool refuseTrack = false;
};

TEST_F(ControlHeaderTest, OrderArrayPlacesItemsAndRejectsWhatIsNoPermutation) {
    EXPECT_EQ(Send(header, HDM_GETITEMCOUNT), 3);
    int order[3] = {2, 0, 1};
    EXPECT_TRUE(Send(header, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
    EXPECT_EQ(Rect(2).left, 0);
    EXPECT_EQ(Rect(0).left, 100);
    EXPECT_EQ(Send(header, HDM_ORDERTOINDEX, 0), 2);
    int bad[3] = {0, 0, 1};
    EXPECT_FALSE(Send(header, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(bad)));
    EXPECT_FALSE(Send(header, HDM_SETORDERARRAY, 2, reinterpret_cast<LPARAM>(order)));
    int back[3] = {};
    EXPECT_TRUE(Send(header, HDM_GETORDERARRAY, 3, reinterpret_cast<LPARAM>(back)));
    EXPECT_EQ(back[0], 2);
    // Deleting an item closes the gap in the order.
    EXPECT_TRUE(Send(header, HDM_DELETEITEM, 2));
    int two[2] = {};
    EXPECT_TRUE(Send(header, HDM_GETORDERARRAY, 2, reinterpret_cast<LPARAM>(two)));
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(two[1], 1);
    // The layout takes the header's height off the top of the rectangle.
    RECT r{0, 0, 400, 300};
    WINDOWPOS pos{};
    HDLAYOUT layout{&r, &pos};
    EXPECT_TRUE(Send(header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout)));
    EXPECT_GT(pos.cy, 10);
    EXPECT_EQ(r.top, pos.cy);
}

TEST_F(ControlHeaderTest, HitTestsTellDividersFromItems) {
    struct Case {
        int x;
        int item;
        UINT flags;
    } cases[] = {{50, 0, HHT_ONHEADER},  {99, 0, HHT_ONDIVIDER}, {102, 0, HHT_ONDIVIDER},
                 {150, 1, HHT_ONHEADER}, {350, -1, HHT_NOWHERE}, {-3, -1, HHT_TOLEFT}};
    for (const Case& c : cases) {
        HDHITTESTINFO hit{};
        hit.pt = POINT{c.x, 10};
        EXPECT_EQ(Send(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), c.item) << c.x;
        EXPECT_EQ(hit.flags, c.flags) << c.x;
    }
}

TEST_F(ControlHeaderTest, DraggingADividerResizesWithNotificationsInOrder) {
    Drag(100, 130);
    EXPECT_EQ(seen,
              (std::vector<std::string>{"BEGINTRACK 0 w100", "TRACK 0 w130", "CHANGING 0 w130",
                                        "CHANGED 0 w130", "ENDTRACK 0 w130"}));
    EXPECT_EQ(Width(0), 130);
    EXPECT_EQ(Rect(1).left, 130);
    // Never below zero.
    Drag(130, 0);
    EXPECT_EQ(Width(0), 0);
    // A refused start changes nothing.
    refuseTrack = true;
    seen.clear();
    Drag(100, 160);
    EXPECT_EQ(seen, std::vector<std::string>{"BEGINTRACK 1 w100"});
    EXPECT_EQ(Width(1), 100);
}

TEST_F(ControlHeaderTest, AButtonClicksOnlyWhenReleasedOverIt) {
    Click(header, 150, 10);
    EXPECT_EQ(seen, std::vector<std::string>{"CLICK 1"});
    seen.clear();
    TestSeams::AdvanceClock(1000);
    Drag(150, 250); // released over another item
    EXPECT_TRUE(seen.empty());
}

TEST_F(ControlHeaderTest, ASortArrowShowsAtTheRightOfItsItem) {
    auto arrowPixels = [&](int item) {
        UpdateWindow(header);
        const RECT r = Rect(item);
        HDC dc = GetDC(header);
        const std::vector<COLORREF> pixels =
            win32::ReadPixels(dc, RECT{r.right - 16, r.top + 3, r.right - 4, r.bottom - 3});
        ReleaseDC(header, dc);
        return std::count(pixels.begin(), pixels.end(), GetSysColor(COLOR_BTNSHADOW));
    };
    EXPECT_EQ(arrowPixels(1), 0);
    for (int fmt : {HDF_SORTUP, HDF_SORTDOWN}) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        item.fmt = HDF_STRING | fmt;
        Send(header, HDM_SETITEMW, 1, reinterpret_cast<LPARAM>(&item));
        EXPECT_GT(arrowPixels(1), 10) << fmt;
        EXPECT_EQ(arrowPixels(0), 0) << fmt;
    }
}

} // namespace
