// Fixture of the shell controls' tests: the unit started as the package starts
// it, the task allocator tracking every list (so each test also proves that
// what it made was freed once), and a real temporary folder.
#pragma once

#include "../shell/ShellTestSupport.h"

#include "benchkit/controls/IDEShellCtrls.h"

#include <quorlpak/Quorlpak.h>
#include <runpak/Strings.h>
#include <runpak/Thread.h>
#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <functional>

class ShellCtrlsTest : public testing::Test {
public:
    void SetUp() override {
        TestSeams::TrackTaskAllocations(true);
        InitializeQuorlpak();
        InitializeIDEShellCtrls();
    }
    void TearDown() override {
        FinalizeIDEShellCtrls();
        FinalizeQuorlpak();
        EXPECT_EQ(TestSeams::LiveTaskAllocations(), 0u) << "task allocator blocks leaked";
        EXPECT_EQ(TestSeams::TaskAllocatorFaults(), 0u) << "task allocator misuse";
        TestSeams::TrackTaskAllocations(false);
    }

    // The absolute list of a path, from the unit's allocator.
    static PItemIDList Parse(const UnicodeString& path) {
        PItemIDList pidl = nullptr;
        ULONG eaten = 0;
        UnicodeString text = path;
        EXPECT_EQ(DesktopShellFolder()->ParseDisplayName(nullptr, nullptr, text.data(), &eaten,
                                                         &pidl, nullptr),
                  S_OK)
            << UnicodeToUtf8(path);
        return pidl;
    }

    // Runs the work handed to the main thread until done() or about `ms`
    // milliseconds have passed; answers done().
    static bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
        for (int waited = 0; !done() && waited < ms; waited += 10)
            CheckSynchronize(10);
        return done();
    }

protected:
    ShellTempFolder temp_;
};
