// The shell's change registrations and SHChangeNotify.
#include "FileTestSupport.h"

#include <win32/shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kNotice = WM_APP + 7;

struct Seen {
    LONG event;
    std::u16string one, two;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> seen;

std::u16string PathOf(PCIDLIST_ABSOLUTE pidl) {
    WCHAR path[MAX_PATH] = {};
    return pidl && SHGetPathFromIDListW(pidl, path) ? std::u16string(path) : std::u16string();
}

LRESULT CALLBACK Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kNotice) return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto* lists = reinterpret_cast<PCIDLIST_ABSOLUTE*>(wParam);
    seen.push_back({static_cast<LONG>(lParam), PathOf(lists[0]), PathOf(lists[1])});
    return 0;
}

class ShellChangeNotifyTest : public testing::Test {
protected:
    void SetUp() override {
        seen.clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = Record;
        wc.lpszClassName = u"ShellChangeNotifyTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, u"ShellChangeNotifyTest", u"", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, nullptr, nullptr);
        std::filesystem::create_directories(temp_.Linux("a/b"));
    }
    void TearDown() override { DestroyWindow(window_); }

    ULONG Register(const std::u16string& folder, bool recursive, LONG events) {
        PIDLIST_ABSOLUTE pidl = folder.empty() ? nullptr : ILCreateFromPathW(folder.c_str());
        SHChangeNotifyEntry entry{pidl, recursive};
        ULONG id = SHChangeNotifyRegister(window_, SHCNRF_ShellLevel, events, kNotice, 1, &entry);
        if (pidl) ILFree(pidl);
        return id;
    }

    TempFolder temp_;
    HWND window_ = nullptr;
};

TEST_F(ShellChangeNotifyTest, RegistrationsSeeWhatTheyCover) {
    struct {
        const char* name;
        std::u16string folder;
        bool recursive;
        LONG events;
        std::u16string changed;
        bool delivered;
    } cases[] = {
        {"child of the folder", temp_.Windows(u"a"), false, SHCNE_ALLEVENTS, temp_.Windows(u"a\\x"), true},
        {"grandchild, flat", temp_.Windows(u"a"), false, SHCNE_ALLEVENTS, temp_.Windows(u"a\\b\\x"), false},
        {"grandchild, recursive", temp_.Windows(u"a"), true, SHCNE_ALLEVENTS, temp_.Windows(u"a\\b\\x"), true},
        {"elsewhere", temp_.Windows(u"a"), true, SHCNE_ALLEVENTS, temp_.Windows(u"x"), false},
        {"other events only", temp_.Windows(u"a"), true, SHCNE_DELETE, temp_.Windows(u"a\\x"), false},
        {"the whole desktop", u"", true, SHCNE_ALLEVENTS, temp_.Windows(u"x"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        ULONG id = Register(c.folder, c.recursive, c.events);
        ASSERT_NE(id, 0u);
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, c.changed.c_str(), nullptr);
        EXPECT_EQ(seen.size(), c.delivered ? 1u : 0u);
        if (!seen.empty()) {
            EXPECT_EQ(seen[0], (Seen{SHCNE_CREATE, c.changed, u""}));
        }
        EXPECT_TRUE(SHChangeNotifyDeregister(id));
        EXPECT_FALSE(SHChangeNotifyDeregister(id));
    }
}

TEST_F(ShellChangeNotifyTest, RenamesCarryBothListsAndNumbersTravelAsOneItem) {
    ULONG id = Register(temp_.Windows(), true, SHCNE_ALLEVENTS);
    PIDLIST_ABSOLUTE from = ILCreateFromPathW(temp_.Windows(u"a").c_str());
    PIDLIST_ABSOLUTE to = SHSimpleIDListFromPath(temp_.Windows(u"c").c_str());
    SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_IDLIST, from, to);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], (Seen{SHCNE_RENAMEFOLDER, temp_.Windows(u"a"), temp_.Windows(u"c")}));
    ILFree(from);
    ILFree(to);
    SHChangeNotify(SHCNE_FREESPACE, SHCNF_DWORD, reinterpret_cast<LPCVOID>(uintptr_t{4}), nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].event, SHCNE_FREESPACE);
    SHChangeNotifyDeregister(id);
}

} // namespace
