// The workbench's tab controls: frames that go with the border, the help key
// answered by the owner, and the editor tab set's veto, image hit tests and
// per-tab hints.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDETabControl.h"

#include <quorlpak/ImgList.h>
#include <runpak/StringList.h>

namespace {

using TabControlsTest = ControlsTest;

// How far the client area reaches past the window on each side (left, top, right, bottom).
TRect Overhang(TWinControl* Control) {
    RECT window, client;
    GetWindowRect(Control->GetHandle(), &window);
    GetClientRect(Control->GetHandle(), &client);
    POINT origin{0, 0};
    ClientToScreen(Control->GetHandle(), &origin);
    return TRect(window.left - origin.x, window.top - origin.y,
                 origin.x + client.right - window.right, origin.y + client.bottom - window.bottom);
}

TEST_F(TabControlsTest, BorderNoneMovesTheFrameOutOfTheWindow) {
    auto* tabs = Place(new TXTabControl(Form), 200, 120);
    auto* pages = Place(new TXPageControl(Form), 200, 120);
    pages->SetTop(130);
    struct Case {
        TWinControl* control;
        std::function<void(TBorderStyle)> set;
        TRect none;
    } cases[] = {
        {tabs, [&](TBorderStyle s) { tabs->SetBorderStyle(s); }, TRect(1, 0, 2, 2)},
        {pages, [&](TBorderStyle s) { pages->SetBorderStyle(s); }, TRect(4, 6, 2, 4)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Overhang(c.control), TRect(0, 0, 0, 0));
        c.set(bsNone);
        EXPECT_EQ(Overhang(c.control), c.none);
        c.set(bsSingle);
        EXPECT_EQ(Overhang(c.control), TRect(0, 0, 0, 0));
    }
    // Away from its tabs the tab control still takes the mouse.
    POINT p = TestSeams::ClientPoint(tabs->GetHandle(), 100, 100);
    EXPECT_EQ(SendMessageW(tabs->GetHandle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTCLIENT);
}

TEST_F(TabControlsTest, HelpKeyGoesToTheOwnerFirst) {
    auto* palette = Place(new TComponentPaletteTabControl(Form), 200, 60);
    int asked = 0;
    bool handled = true;
    palette->OnHelpRequest = [&](TObject* Sender, TMessage& Message, bool& Handled) {
        EXPECT_EQ(Sender, palette);
        EXPECT_EQ(Message.Msg, UINT(WM_HELP));
        ++asked;
        Handled = handled;
    };
    palette->Perform(WM_HELP);
    EXPECT_EQ(asked, 1);
}

TEST_F(TabControlsTest, EditorTabsVetoImagesAndHints) {
    auto* tabs = Place(new TCodeEditorTabControl(Form), 300, 24);
    auto* images = new TImageList(Form);
    images->SetWidth(16);
    images->SetHeight(16);
    for (const char16_t* t : {u"Unit1.cpp", u"Unit2.cpp", u"Form.h"})
        tabs->GetTabs()->Add(t);
    tabs->OnGetImageIndex = [](TObject*, int Tab, int& Image) { Image = Tab == 1 ? 0 : -1; };
    tabs->SetImages(images);

    bool allow = false;
    int changes = 0;
    tabs->OnChanging = [&](TObject*, bool& Allow) { Allow = allow; };
    tabs->OnChange = [&](TObject*) { ++changes; };
    tabs->SetTabIndex(1);
    EXPECT_EQ(tabs->GetTabIndex(), -1);
    EXPECT_EQ(changes, 1); // told also when refused
    allow = true;
    const TRect second = tabs->TabRect(1);
    ClickAt(tabs, second.left + 20, 5);
    EXPECT_EQ(tabs->GetTabIndex(), 1);
    EXPECT_EQ(changes, 2);

    const TRect first = tabs->TabRect(0);
    EXPECT_EQ(tabs->GetHitTestInfoAt(second.left + 5, second.top + 5),
              (THitTests{htOnItem, htOnIcon}));
    EXPECT_EQ(tabs->GetHitTestInfoAt(first.left + 5, first.top + 5), THitTests{htOnItem});
    EXPECT_EQ(tabs->GetHitTestInfoAt(299, 5), THitTests{htNowhere});
    EXPECT_EQ(tabs->GetHitTestInfoAt(400, 5), THitTests{});

    tabs->GetTabs()->Add(u"a tab far too long to be shown anywhere in the strip");
    EXPECT_EQ(tabs->TabRect(3).left, tabs->GetWidth());

    tabs->OnGetTabHintText = [](TObject*, int Tab, UnicodeString& Hint, bool& Handled) {
        Handled = Tab != 2;
        Hint = Tab == 0 ? u"" : u"C:\\src\\Unit2.cpp";
    };
    struct Case {
        int x;
        LRESULT result;
        int remembered;
    } cases[] = {
        {second.left + 5, 0, 1}, {first.left + 5, 1, -1}, {tabs->TabRect(2).left + 5, 1, -1}};
    for (const Case& c : cases) {
        THintInfo info;
        info.HintControl = tabs;
        info.CursorPos = TPoint(c.x, 5);
        EXPECT_EQ(tabs->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), c.result) << c.x;
        EXPECT_EQ(tabs->GetLastTabHintIndex(), c.remembered) << c.x;
        if (c.result == 0) {
            EXPECT_EQ(info.HintStr, u"C:\\src\\Unit2.cpp");
            EXPECT_EQ(info.CursorRect, second);
        }
    }
}

} // namespace
