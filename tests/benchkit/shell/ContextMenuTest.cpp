// The shell's context menu of items shown for a host control: the host's own
// sub-menu, the callbacks around the chosen command, and the control's window
// method while the menu is up. The pop-up menu script plays the user.
#include "ShellUnitFixture.h"

#include <quorlpak/Application.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Quorlpak.h>

#include <win32/winuser.h>

#include <algorithm>
#include <filesystem>

namespace {

class ContextMenuTest : public ShellUnitTest {
protected:
    void SetUp() override {
        ShellUnitTest::SetUp();
        InitializeQuorlpak();
        form_ = new TForm(Application);
        form_->AfterConstruction();
        form_->HandleNeeded();
        temp_.Write("a.txt", "A");
        temp_.Write("b.txt", "B");
        a_ = std::make_unique<TNamespace>(temp_.Windows(u"a.txt"));
        b_ = std::make_unique<TNamespace>(temp_.Windows(u"b.txt"));
    }
    void TearDown() override {
        TestSeams::ScriptPopupMenus({});
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        a_.reset();
        b_.reset();
        FinalizeQuorlpak();
        ShellUnitTest::TearDown();
    }
    // The command of the menu entry whose verb is `verb`, asked while the menu is up.
    static UINT CommandOf(HMENU menu, TNamespace& item, const UnicodeString& verb) {
        for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
            UINT id = GetMenuItemID(menu, i);
            if (id != 0 && id != UINT(-1) && item.ContextMenuVerb(id) == verb) return id;
        }
        return 0;
    }
    static std::vector<UINT> AllIds(HMENU menu) {
        std::vector<UINT> ids;
        for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
            GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
            if (info.hSubMenu) continue;
            if (!(info.fType & MFT_SEPARATOR)) ids.push_back(info.wID);
        }
        return ids;
    }

    TForm* form_ = nullptr;
    std::unique_ptr<TNamespace> a_, b_;
};

TEST_F(ContextMenuTest, NothingWithoutAnOwnerOrItems) {
    TestSeams::ScriptPopupMenus([](const TestSeams::PopupMenuRecord&) {
        ADD_FAILURE() << "no menu may be shown";
        return TestSeams::PopupMenuAnswer{};
    });
    EXPECT_FALSE(a_->ShowContextMenu(nullptr, {}, {}, {}));
    EXPECT_FALSE(a_->ShowContextMenuMulti(form_, {}, {}, {}, {}));
    // A show callback may keep the menu from being shown.
    bool asked = false;
    EXPECT_FALSE(a_->ShowContextMenu(form_, {}, [&](TNamespace*, HMENU menu, bool& allow) {
        asked = GetMenuItemCount(menu) > 0;
        allow = false;
    }, {}));
    EXPECT_TRUE(asked);
}

// The host's entries sit in a sub-menu of their own, with ids that no entry of
// the shell's menu uses, in the popup's order and with its states; choosing
// one clicks the host's item and runs no shell command.
TEST_F(ContextMenuTest, TheHostsSubMenu) {
    TPopupMenu host(nullptr);
    std::vector<UnicodeString> clicked;
    auto add = [&](const UnicodeString& caption, bool checked, bool enabled) {
        auto* item = new TMenuItem(&host);
        item->SetCaption(caption);
        item->SetChecked(checked);
        item->SetEnabled(enabled);
        item->OnClick = [&clicked, caption](TObject*) { clicked.push_back(caption); };
        host.GetItems()->Add(item);
    };
    add(u"First", true, true);
    add(u"-", false, true);
    add(u"Second", false, true);
    add(u"Off", false, false);

    std::vector<UINT> shellIds;
    UINT second = 0;
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord& r) {
        shellIds = AllIds(r.menu);
        const int count = GetMenuItemCount(r.menu);
        HMENU sub = GetSubMenu(r.menu, count - 1);
        EXPECT_NE(sub, nullptr);
        WCHAR text[64] = {};
        GetMenuStringW(r.menu, UINT(count - 1), text, 64, MF_BYPOSITION);
        EXPECT_EQ(UnicodeString(text), u"More");
        EXPECT_EQ(GetMenuItemCount(sub), 4);
        std::vector<UnicodeString> captions;
        std::vector<UINT> states, ids;
        for (int i = 0; i < GetMenuItemCount(sub); ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            WCHAR caption[64] = {};
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
            info.dwTypeData = caption;
            info.cch = 64;
            GetMenuItemInfoW(sub, UINT(i), TRUE, &info);
            captions.push_back((info.fType & MFT_SEPARATOR) ? UnicodeString(u"-") : caption);
            states.push_back(info.fState);
            ids.push_back(info.wID);
        }
        EXPECT_EQ(captions, (std::vector<UnicodeString>{u"First", u"-", u"Second", u"Off"}));
        EXPECT_TRUE(states[0] & MFS_CHECKED);
        EXPECT_TRUE(states[3] & MFS_GRAYED);
        EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
        for (UINT id : ids)
            EXPECT_EQ(std::count(shellIds.begin(), shellIds.end(), id), 0) << "id " << id;
        second = ids[2];
        return TestSeams::PopupMenuAnswer{second};
    });
    bool shellRan = false;
    EXPECT_TRUE(a_->ShowContextMenu(
        form_, [&](TNamespace*, const UnicodeString&, UINT, bool&) { shellRan = true; }, {},
        [&](TNamespace*, const UnicodeString&, UINT, bool) { shellRan = true; }, nullptr, &host,
        u"More"));
    EXPECT_FALSE(shellIds.empty());
    EXPECT_EQ(clicked, std::vector<UnicodeString>{u"Second"});
    EXPECT_FALSE(shellRan);
}

// Ids used only inside a sub-menu of the shell's menu are not given out either.
TEST_F(ContextMenuTest, InjectedIdsAvoidTheShellsSubMenus) {
    HMENU menu = CreatePopupMenu(), nested = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 2, u"Top");
    AppendMenuW(nested, MF_STRING, 1, u"Deep");
    AppendMenuW(nested, MF_STRING, 4, u"Deeper");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(nested), u"Nested");
    TPopupMenu host(nullptr);
    for (int i = 0; i < 3; ++i) {
        auto* item = new TMenuItem(&host);
        item->SetCaption(u"Host");
        host.GetItems()->Add(item);
    }
    HMENU sub = nullptr;
    EXPECT_EQ(a_->InjectCustomSubMenu(menu, u"Host", &host, sub), (std::vector<UINT>{3, 5, 6}));
    EXPECT_NE(sub, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 4) << "separator and sub-menu appended";
    EXPECT_EQ(GetMenuItemID(sub, 0), 3u);
    EXPECT_TRUE(a_->InjectCustomSubMenu(menu, u"Host", nullptr, sub).empty());
    EXPECT_EQ(sub, nullptr);
    DestroyMenu(menu);
}

// A command callback sees the chosen verb and may keep the shell from running
// it (and gets the rename entry for one item); otherwise the shell runs the
// command and the after-command callback learns how it went.
TEST_F(ContextMenuTest, CallbacksAroundTheChosenCommand) {
    bool renameShown = false;
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord& r) {
        UINT rename = CommandOf(r.menu, *a_, u"rename");
        renameShown = rename != 0;
        return TestSeams::PopupMenuAnswer{rename};
    });
    UnicodeString seen;
    EXPECT_TRUE(a_->ShowContextMenu(form_,
                                    [&](TNamespace* item, const UnicodeString& verb, UINT, bool& handled) {
                                        EXPECT_EQ(item, a_.get());
                                        seen = verb;
                                        handled = true;
                                    },
                                    {}, {}));
    EXPECT_TRUE(renameShown);
    EXPECT_EQ(seen, u"rename");

    // Two items, no command callback: no rename entry; the shell makes the links.
    TNamespaceArray both{a_.get(), b_.get()};
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord& r) {
        EXPECT_EQ(CommandOf(r.menu, *a_, u"rename"), 0u);
        return TestSeams::PopupMenuAnswer{CommandOf(r.menu, *a_, u"link")};
    });
    UnicodeString after;
    bool succeeded = false;
    EXPECT_TRUE(a_->ShowContextMenuMulti(form_, {}, {},
                                         [&](TNamespace*, const UnicodeString& verb, UINT, bool ok) {
                                             after = verb;
                                             succeeded = ok;
                                         },
                                         both));
    EXPECT_EQ(after, u"link");
    EXPECT_TRUE(succeeded);
    EXPECT_TRUE(std::filesystem::is_symlink(temp_.Linux("a - Shortcut.txt")));
    EXPECT_TRUE(std::filesystem::is_symlink(temp_.Linux("b - Shortcut.txt")));

    // Cancelled: nothing runs.
    TestSeams::ScriptPopupMenus([](const TestSeams::PopupMenuRecord&) {
        return TestSeams::PopupMenuAnswer{0};
    });
    EXPECT_FALSE(a_->ShowContextMenu(form_, {}, {}, {}));
}

// While the menu is up, the control's messages go through the item (which
// hands them on to the control's own method); afterwards the control has its
// own method back.
TEST_F(ContextMenuTest, TheOwnersWindowMethodIsLentAndGivenBack) {
    int own = 0;
    TWndMethod original = form_->GetWindowProc();
    form_->SetWindowProc([&](TMessage& m) {
        if (m.Msg == WM_APP + 7) ++own;
        original(m);
    });
    bool hooked = false;
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord&) {
        TMessage probe{WM_APP + 7, 0, 0, 0};
        form_->GetWindowProc()(probe);
        hooked = own == 1;
        return TestSeams::PopupMenuAnswer{0};
    });
    a_->ShowContextMenu(form_, {}, {}, {});
    EXPECT_TRUE(hooked);
    TMessage probe{WM_APP + 7, 0, 0, 0};
    form_->GetWindowProc()(probe);
    EXPECT_EQ(own, 2);
    form_->SetWindowProc(original);
}

} // namespace
