// The status bar: its window's parts and texts as the panels set them, the
// simple panel in front of them, refused part numbers, and the parts drawn.
#include "StdControlsTestSupport.h"

#include <quorlpak/StatusBar.h>
#include <win32/statusbar.h>

#include <algorithm>
#include <string>

namespace {

std::u16string PartText(HWND hwnd, int part) {
    const LRESULT length = SendMessageW(hwnd, SB_GETTEXTLENGTHW, WPARAM(part), 0);
    std::u16string text(size_t(LOWORD(length)) + 1, u'\0');
    SendMessageW(hwnd, SB_GETTEXTW, WPARAM(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(size_t(LOWORD(length)));
    return text;
}

std::vector<int> Parts(HWND hwnd) {
    std::vector<int> edges(size_t(SendMessageW(hwnd, SB_GETPARTS, 0, 0)));
    SendMessageW(hwnd, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    return edges;
}

class StatusBarTest : public StdControlsTest {
protected:
    void SetUp() override {
        StdControlsTest::SetUp();
        bar = new TStatusBar(form);
        bar->SetParent(form);
        for (auto [text, width] : {std::pair{u"Ready", 80}, {u"Ln 1", 60}, {u"Insert", 70}}) {
            TStatusPanel* panel = bar->GetPanels()->Add();
            panel->SetText(text);
            panel->SetWidth(width);
        }
        Pump();
    }
    TStatusBar* bar = nullptr;
};

TEST_F(StatusBarTest, PanelsBecomeTheWindowsPartsAndFollowChanges) {
    HWND hwnd = bar->GetHandle();
    EXPECT_EQ(bar->GetTop() + bar->GetHeight(), form->GetClientHeight()); // along the bottom
    EXPECT_EQ(Parts(hwnd), (std::vector<int>{80, 140, -1})); // the last takes the rest
    EXPECT_EQ(PartText(hwnd, 1), u"Ln 1");

    bar->GetPanels()->GetItems(1)->SetText(u"Ln 12");
    bar->GetPanels()->GetItems(0)->SetWidth(100);
    bar->GetPanels()->GetItems(2)->SetBevel(pbRaised);
    EXPECT_EQ(PartText(hwnd, 1), u"Ln 12");
    EXPECT_EQ(Parts(hwnd), (std::vector<int>{100, 160, -1}));
    EXPECT_EQ(HIWORD(SendMessageW(hwnd, SB_GETTEXTLENGTHW, 2, 0)), SBT_POPOUT);

    bar->SetSimpleText(u"Compiling...");
    bar->SetSimplePanel(true);
    EXPECT_TRUE(SendMessageW(hwnd, SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(PartText(hwnd, SB_SIMPLEID), u"Compiling...");
    bar->SetSimplePanel(false);
    EXPECT_EQ(PartText(hwnd, 0), u"Ready"); // the parts come back as they were

    bar->GetPanels()->Delete(2);
    EXPECT_EQ(Parts(hwnd), (std::vector<int>{100, -1}));
    // Recreating the window hands everything over again.
    bar->RecreateWnd();
    Pump();
    EXPECT_EQ(PartText(bar->GetHandle(), 1), u"Ln 12");
}

TEST_F(StatusBarTest, TheWindowRefusesPartsItDoesNotHave) {
    HWND hwnd = bar->GetHandle();
    struct Case {
        UINT msg;
        WPARAM wParam;
        LRESULT result;
    } cases[] = {
        {SB_SETTEXTW, 5, FALSE},   // no such part
        {SB_SETPARTS, 0, FALSE},   // no parts at all
        {SB_SETPARTS, 300, FALSE}, // more than a bar has
        {SB_GETRECT, 7, FALSE},
    };
    int edges[300] = {};
    RECT r{};
    for (const Case& c : cases) {
        LPARAM lParam = c.msg == SB_SETTEXTW ? reinterpret_cast<LPARAM>(u"x")
                        : c.msg == SB_GETRECT ? reinterpret_cast<LPARAM>(&r)
                                              : reinterpret_cast<LPARAM>(edges);
        EXPECT_EQ(SendMessageW(hwnd, c.msg, c.wParam, lParam), c.result) << c.msg << " " << c.wParam;
    }
    EXPECT_EQ(Parts(hwnd).size(), 3u);
    ASSERT_TRUE(SendMessageW(hwnd, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&r)));
    EXPECT_GT(r.left, 80);
    EXPECT_LE(r.right, 140);
}

TEST_F(StatusBarTest, SunkenPartsAreDrawnWithTheirEdges) {
    HWND hwnd = bar->GetHandle();
    RECT part{};
    SendMessageW(hwnd, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const std::vector<COLORREF> top = Pixels(hwnd, RECT{part.left + 2, part.top, part.right - 2, part.top + 1});
    EXPECT_TRUE(std::all_of(top.begin(), top.end(), [&](COLORREF c) { return c == shadow; }));
    bar->GetPanels()->GetItems(1)->SetBevel(pbNone);
    Pump();
    const std::vector<COLORREF> flat = Pixels(hwnd, RECT{part.left + 2, part.top, part.right - 2, part.top + 1});
    EXPECT_TRUE(std::none_of(flat.begin(), flat.end(), [&](COLORREF c) { return c == shadow; }));
}

} // namespace
