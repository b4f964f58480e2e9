#include "WindowTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <gtest/gtest.h>

namespace {

enum : UINT { kOpen = 101, kSave = 102, kClose = 103, kRecent1 = 201, kRecent2 = 202 };

std::u16string Text(HMENU menu, UINT item, UINT flags) {
    WCHAR buffer[64];
    int n = GetMenuStringW(menu, item, buffer, 64, flags);
    return std::u16string(buffer, static_cast<size_t>(n));
}

// A menu: Open, Save (grayed), separator, Recent > (One, Two), Close.
struct FileMenu {
    HMENU menu = CreatePopupMenu();
    HMENU recent = CreatePopupMenu();
    FileMenu() {
        AppendMenuW(recent, MF_STRING, kRecent1, u"&One");
        AppendMenuW(recent, MF_STRING, kRecent2, u"&Two");
        AppendMenuW(menu, MF_STRING, kOpen, u"&Open...\tCtrl+O");
        AppendMenuW(menu, MF_STRING | MF_GRAYED, kSave, u"&Save");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), u"&Recent");
        AppendMenuW(menu, MF_STRING, kClose, u"&Close");
    }
    ~FileMenu() { DestroyMenu(menu); }
};

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterRecorder();
        owner = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 100, 100, 400, 300);
        Pump();
        SetFocus(owner);
        Log().clear();
    }
    void TearDown() override {
        TestSeams::ScriptPopupMenus(nullptr);
        Hook() = nullptr;
        DestroyWindow(owner);
        Pump();
    }
    static void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    static void Choose(UINT command) {
        TestSeams::ScriptPopupMenus([command](const TestSeams::PopupMenuRecord&) {
            return TestSeams::PopupMenuAnswer{command, false};
        });
    }
    static void
    Interactive(std::function<void(const TestSeams::PopupMenuRecord&)> input = nullptr) {
        TestSeams::ScriptPopupMenus([input](const TestSeams::PopupMenuRecord& r) {
            if (input) input(r);
            return TestSeams::PopupMenuAnswer{0, true};
        });
    }
    std::vector<UINT> Commands() {
        std::vector<UINT> out;
        for (const Recorded& r : Log())
            if (r.hwnd == owner && r.msg == WM_COMMAND) out.push_back(LOWORD(r.wParam));
        return out;
    }
    HWND owner = nullptr;
};

} // namespace

TEST_F(Menus, ItemsCanBeBuiltQueriedAndChanged) {
    FileMenu f;
    EXPECT_EQ(GetMenuItemCount(f.menu), 5);
    EXPECT_EQ(GetMenuItemID(f.menu, 0), kOpen);
    EXPECT_EQ(GetMenuItemID(f.menu, 2), 0u);                    // a separator
    EXPECT_EQ(GetMenuItemID(f.menu, 3), static_cast<UINT>(-1)); // a sub-menu
    EXPECT_EQ(GetMenuItemID(f.menu, 9), static_cast<UINT>(-1));
    EXPECT_EQ(GetSubMenu(f.menu, 3), f.recent);
    EXPECT_EQ(Text(f.menu, kOpen, MF_BYCOMMAND), u"&Open...\tCtrl+O");
    EXPECT_EQ(Text(f.menu, 4, MF_BYPOSITION), u"&Close");
    EXPECT_EQ(GetMenuStringW(f.menu, kOpen, nullptr, 0, MF_BYCOMMAND), 15);

    // By command reaches into sub-menus.
    EXPECT_EQ(CheckMenuItem(f.menu, kRecent2, MF_BYCOMMAND | MF_CHECKED),
              static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(f.menu, kRecent2, MF_BYCOMMAND | MF_UNCHECKED),
              static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(f.menu, 999, MF_BYCOMMAND), static_cast<DWORD>(-1));
    EXPECT_EQ(EnableMenuItem(f.menu, kSave, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(f.menu, kSave, MF_BYCOMMAND | MF_ENABLED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(f.menu, kRecent1, MF_BYCOMMAND), 0u);
    CheckMenuItem(f.menu, 0, MF_BYPOSITION | MF_CHECKED);
    EXPECT_EQ(GetMenuState(f.menu, 0, MF_BYPOSITION), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(f.menu, 2, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(f.menu, 3, MF_BYPOSITION), static_cast<UINT>((2 << 8) | MF_POPUP));

    ASSERT_TRUE(InsertMenuW(f.menu, kClose, MF_BYCOMMAND | MF_STRING, 150, u"Print"));
    EXPECT_EQ(GetMenuItemID(f.menu, 4), 150u);
    ASSERT_TRUE(InsertMenuW(f.menu, 0, MF_BYPOSITION | MF_STRING, 50, u"New"));
    EXPECT_EQ(GetMenuItemID(f.menu, 0), 50u);
    ASSERT_TRUE(ModifyMenuW(f.menu, 50, MF_BYCOMMAND | MF_STRING | MF_GRAYED, 51, u"New!"));
    EXPECT_EQ(GetMenuItemID(f.menu, 0), 51u);
    EXPECT_EQ(Text(f.menu, 51, MF_BYCOMMAND), u"New!");
    EXPECT_EQ(GetMenuState(f.menu, 51, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(GetMenuItemCount(f.menu), 7);
}

TEST_F(Menus, RemoveKeepsASubMenuWhileDeleteAndDestroyFreeIt) {
    HMENU top = CreatePopupMenu();
    HMENU a = CreatePopupMenu(), b = CreatePopupMenu(), inner = CreatePopupMenu();
    AppendMenuW(b, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), u"inner");
    AppendMenuW(top, MF_POPUP, reinterpret_cast<UINT_PTR>(a), u"a");
    AppendMenuW(top, MF_POPUP, reinterpret_cast<UINT_PTR>(b), u"b");
    ASSERT_TRUE(RemoveMenu(top, 0, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(a));
    ASSERT_TRUE(DeleteMenu(top, 0, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(b));
    EXPECT_FALSE(IsMenu(inner));
    EXPECT_EQ(GetMenuItemCount(top), 0);
    EXPECT_FALSE(DeleteMenu(top, 0, MF_BYPOSITION));
    EXPECT_TRUE(DestroyMenu(top));
    EXPECT_EQ(GetMenuItemCount(top), -1);
    EXPECT_FALSE(DestroyMenu(top));
    DestroyMenu(a);
}

TEST_F(Menus, ItemInfoRoundTripsAndReportsTextLengths) {
    HMENU menu = CreatePopupMenu();
    MENUITEMINFOW in{};
    in.cbSize = sizeof in;
    in.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_FTYPE;
    in.fType = MFT_RADIOCHECK;
    in.fState = MFS_CHECKED | MFS_DEFAULT;
    in.wID = 77;
    in.dwItemData = 0xABCD;
    in.dwTypeData = const_cast<LPWSTR>(u"Properties");
    ASSERT_TRUE(InsertMenuItemW(menu, 0, TRUE, &in));

    MENUITEMINFOW out{};
    out.cbSize = sizeof out;
    out.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 77, FALSE, &out)); // no buffer: the length
    EXPECT_EQ(out.cch, 10u);
    EXPECT_EQ(out.wID, 77u);
    EXPECT_EQ(out.fState, static_cast<UINT>(MFS_CHECKED | MFS_DEFAULT));
    EXPECT_EQ(out.fType, static_cast<UINT>(MFT_RADIOCHECK));
    EXPECT_EQ(out.dwItemData, 0xABCDu);
    WCHAR buffer[5];
    out.dwTypeData = buffer;
    out.cch = 5;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 0, TRUE, &out));
    EXPECT_EQ(std::u16string(buffer), u"Prop"); // truncated to fit
    EXPECT_EQ(out.cch, 4u);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 77u);

    MENUITEMINFOW change{};
    change.cbSize = sizeof change;
    change.fMask = MIIM_STATE;
    change.fState = MFS_GRAYED;
    ASSERT_TRUE(SetMenuItemInfoW(menu, 77, FALSE, &change));
    EXPECT_EQ(GetMenuState(menu, 77, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    change.cbSize = 8; // a wrong size is refused
    EXPECT_FALSE(SetMenuItemInfoW(menu, 77, FALSE, &change));
    EXPECT_FALSE(GetMenuItemInfoW(menu, 5, TRUE, &out));
    DestroyMenu(menu);
}

TEST_F(Menus, AScriptedChoicePostsTheCommandAfterTheMenuNotifications) {
    FileMenu f;
    Choose(kClose);
    ASSERT_TRUE(TrackPopupMenu(f.menu, TPM_RIGHTBUTTON, 150, 150, 0, owner, nullptr));
    EXPECT_EQ(Messages({WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP}, owner),
              (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP}));
    bool selected = false, closed = false;
    for (const Recorded& r : Log()) {
        if (r.msg != WM_MENUSELECT) continue;
        selected |= LOWORD(r.wParam) == kClose && reinterpret_cast<HMENU>(r.lParam) == f.menu;
        closed |= HIWORD(r.wParam) == 0xFFFF && r.lParam == 0;
    }
    EXPECT_TRUE(selected);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(Commands().empty()); // posted, not sent
    Pump();
    EXPECT_EQ(Commands(), std::vector<UINT>{kClose});
    auto menus = TestSeams::PopupMenus();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].menu, f.menu);
    EXPECT_EQ(menus[0].owner, owner);
    EXPECT_EQ(menus[0].command, kClose);
    EXPECT_EQ(menus[0].at.x, 150);
    EXPECT_FALSE(IsWindow(menus[0].popup));
}

TEST_F(Menus, ReturnCmdAnswersTheChoiceInsteadOfPostingIt) {
    FileMenu f;
    Choose(kRecent2);
    EXPECT_EQ(TrackPopupMenuEx(f.menu, TPM_RETURNCMD, 10, 10, owner, nullptr),
              static_cast<BOOL>(kRecent2));
    // The way to the command opened the sub-menu as a user would.
    int initPopups = 0;
    for (const Recorded& r : Log())
        if (r.msg == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(r.wParam) == f.recent) {
            ++initPopups;
            EXPECT_EQ(LOWORD(r.lParam), 3);
        }
    EXPECT_EQ(initPopups, 1);
    Pump();
    EXPECT_TRUE(Commands().empty());

    Choose(kSave); // grayed: cannot be chosen
    EXPECT_EQ(TrackPopupMenuEx(f.menu, TPM_RETURNCMD, 10, 10, owner, nullptr), 0);
    Choose(0); // cancelled
    EXPECT_EQ(TrackPopupMenuEx(f.menu, TPM_RETURNCMD, 10, 10, owner, nullptr), 0);
}

TEST_F(Menus, TheOwnerMayFillTheMenuWhenItOpens) {
    HMENU menu = CreatePopupMenu();
    Hook() = [menu](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        if (msg != WM_INITMENUPOPUP || reinterpret_cast<HMENU>(wParam) != menu) return false;
        AppendMenuW(menu, MF_STRING, 42, u"Added late");
        result = 0;
        return true;
    };
    Choose(42);
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, owner, nullptr), 42);
    DestroyMenu(menu);
}

TEST_F(Menus, KeysQueuedBeforeTheMenuDriveIt) {
    FileMenu f;
    struct Case {
        std::vector<int> keys;
        UINT expected;
    };
    const Case cases[] = {
        {{VK_DOWN, VK_RETURN}, kOpen},
        {{VK_DOWN, VK_DOWN, VK_RETURN}, 0},                        // Save is grayed: Enter closes
        {{VK_UP, VK_RETURN}, kClose},                              // up from nothing: the last
        {{VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, kClose}, // the separator is skipped
        {{'R', VK_DOWN, VK_RETURN}, kRecent2},                     // a mnemonic opens Recent
        {{'R', VK_LEFT, 'C'}, kClose},
        {{VK_DOWN, VK_ESCAPE}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case ending " << c.expected);
        for (int vk : c.keys)
            TestSeams::KeyPress(vk);
        Interactive();
        EXPECT_EQ(TrackPopupMenuEx(f.menu, TPM_RETURNCMD, 10, 10, owner, nullptr),
                  static_cast<BOOL>(c.expected));
        Pump();
    }
}

TEST_F(Menus, AClickChoosesAnItemAndAClickOutsideCancels) {
    FileMenu f;
    Interactive([&](const TestSeams::PopupMenuRecord& r) {
        RECT item;
        ASSERT_TRUE(GetMenuItemRect(owner, r.menu, 4, &item));
        TestSeams::Click({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    });
    EXPECT_EQ(TrackPopupMenuEx(f.menu, TPM_RETURNCMD, 200, 200, owner, nullptr),
              static_cast<BOOL>(kClose));

    Interactive([](const TestSeams::PopupMenuRecord&) { TestSeams::Click({5, 5}); });
    EXPECT_EQ(TrackPopupMenuEx(f.menu, TPM_RETURNCMD, 200, 200, owner, nullptr), 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Menus, AMenuBarTakesRoomInTheFrameAndOpensItsMenusOnAClick) {
    RECT before;
    GetClientRect(owner, &before);
    HMENU bar = CreateMenu();
    FileMenu f;
    HMENU file = f.menu;
    f.menu = CreatePopupMenu(); // the bar owns the file menu now
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    AppendMenuW(bar, MF_STRING, 300, u"&Help");
    ASSERT_TRUE(SetMenu(owner, bar));
    EXPECT_EQ(GetMenu(owner), bar);
    RECT after;
    GetClientRect(owner, &after);
    EXPECT_EQ(before.bottom - after.bottom, GetSystemMetrics(SM_CYMENU));

    RECT item;
    ASSERT_TRUE(GetMenuItemRect(owner, bar, 0, &item));
    POINT center{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    EXPECT_EQ(SendMessageW(owner, WM_NCHITTEST, 0, MAKELPARAM(center.x, center.y)), HTMENU);
    Choose(kRecent1);
    Log().clear();
    TestSeams::Click(center);
    Pump();
    EXPECT_EQ(Messages({WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP}, owner),
              (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_INITMENUPOPUP,
                                 WM_EXITMENULOOP}));
    EXPECT_EQ(Commands(), std::vector<UINT>{kRecent1});
    auto menus = TestSeams::PopupMenus();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].menu, file);

    // A command right on the bar needs no pop-up.
    ASSERT_TRUE(GetMenuItemRect(owner, bar, 1, &item));
    Log().clear();
    TestSeams::Click({item.left + 3, item.top + 3});
    Pump();
    EXPECT_EQ(Commands(), std::vector<UINT>{300u});

    DestroyWindow(owner); // the window's menu goes with it
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(file));
}

TEST_F(Menus, BadHandlesFail) {
    HMENU bogus = reinterpret_cast<HMENU>(0x1234);
    EXPECT_FALSE(AppendMenuW(bogus, MF_STRING, 1, u"x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    EXPECT_FALSE(TrackPopupMenu(bogus, 0, 0, 0, 0, owner, nullptr));
    EXPECT_FALSE(SetMenu(owner, bogus));
    HWND child = MakeWindow(WS_CHILD, owner);
    HMENU menu = CreateMenu();
    EXPECT_FALSE(SetMenu(child, menu)); // children have no menu bars
    DestroyMenu(menu);
}
