// Fixture of the shell namespace tests: a real temporary folder, and the task
// allocator in tracking mode so that every test also proves it freed each id
// list and string it was handed, exactly once.
#pragma once

#include "FileTestSupport.h"

#include <win32/TestSeams.h>
#include <win32/shellapi.h>
#include <win32/shellext.h>
#include <win32/shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ShellTest : public testing::Test {
protected:
    void SetUp() override { TestSeams::TrackTaskAllocations(true); }
    void TearDown() override {
        EXPECT_EQ(TestSeams::LiveTaskAllocations(), 0u) << "task allocator blocks leaked";
        EXPECT_EQ(TestSeams::TaskAllocatorFaults(), 0u) << "task allocator misuse";
        TestSeams::TrackTaskAllocations(false);
        TestSeams::SetShellHomeFolder("");
    }

    // The absolute list of a Windows path, parsed by the desktop.
    PIDLIST_ABSOLUTE Parse(const std::u16string& path) {
        PIDLIST_ABSOLUTE pidl = nullptr;
        EXPECT_EQ(SHParseDisplayName(path.c_str(), nullptr, &pidl, 0, nullptr), S_OK)
            << std::string(path.begin(), path.end());
        return pidl;
    }

    // The folder of a Windows path.
    IShellFolder* Folder(const std::u16string& path) {
        PIDLIST_ABSOLUTE pidl = Parse(path);
        IShellFolder* desktop = nullptr;
        IShellFolder* folder = nullptr;
        EXPECT_EQ(SHGetDesktopFolder(&desktop), S_OK);
        EXPECT_EQ(desktop->BindToObject(pidl, nullptr, IID_IShellFolder,
                                        reinterpret_cast<void**>(&folder)),
                  S_OK);
        desktop->Release();
        ILFree(pidl);
        return folder;
    }

    // A child id of `folder` by its name (parsed relative to the folder).
    static PITEMID_CHILD Child(IShellFolder* folder, const std::u16string& name) {
        std::u16string text = name;
        PIDLIST_RELATIVE pidl = nullptr;
        EXPECT_EQ(folder->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &pidl, nullptr),
                  S_OK);
        return pidl;
    }

    static std::u16string Name(IShellFolder* folder, PCUITEMID_CHILD child, SHGDNF flags) {
        STRRET text{};
        if (folder->GetDisplayNameOf(child, flags, &text) != S_OK) return u"<failed>";
        WCHAR buffer[MAX_PATH];
        EXPECT_EQ(StrRetToBufW(&text, child, buffer, MAX_PATH), S_OK);
        return buffer;
    }

    static SFGAOF Attributes(IShellFolder* folder, PCUITEMID_CHILD child, SFGAOF asked = ~0u) {
        SFGAOF flags = asked & ~SFGAOF(SFGAO_VALIDATE);
        EXPECT_EQ(folder->GetAttributesOf(1, &child, &flags), S_OK);
        return flags;
    }

    // The names an enumeration gives, in its order.
    static std::vector<std::u16string> Enumerate(IShellFolder* folder, SHCONTF flags) {
        std::vector<std::u16string> names;
        IEnumIDList* list = nullptr;
        EXPECT_EQ(folder->EnumObjects(nullptr, flags, &list), S_OK);
        if (!list) return names;
        PITEMID_CHILD child = nullptr;
        while (list->Next(1, &child, nullptr) == S_OK) {
            names.push_back(Name(folder, child, SHGDN_INFOLDER));
            ILFree(child);
        }
        list->Release();
        return names;
    }

    TempFolder temp_;
};
