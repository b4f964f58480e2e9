// Fixture of the shell-item tests: the shell units started as the package
// starts them, the task allocator in tracking mode around them (so that every
// test also proves each list it made was freed exactly once), and a real
// temporary folder.
#pragma once

#include "ShellTestSupport.h"

#include "benchkit/shell/IDEVirtualPIDLTools.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"

#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

class ShellUnitTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::TrackTaskAllocations(true);
        InitializeIDEVirtualShellUtilities();
    }
    void TearDown() override {
        FinalizeIDEVirtualShellUtilities();
        EXPECT_EQ(TestSeams::LiveTaskAllocations(), 0u) << "task allocator blocks leaked";
        EXPECT_EQ(TestSeams::TaskAllocatorFaults(), 0u) << "task allocator misuse";
        TestSeams::TrackTaskAllocations(false);
    }

    ShellTempFolder temp_;
};

// A list of foreign items built from their payloads ("ab" is an item of cb
// 4), from the task allocator.
inline PItemIDList MakeRawPIDL(const std::vector<std::string>& items) {
    std::vector<uint8_t> bytes;
    for (const std::string& item : items) {
        uint16_t cb = static_cast<uint16_t>(item.size() + 2);
        bytes.push_back(static_cast<uint8_t>(cb));
        bytes.push_back(static_cast<uint8_t>(cb >> 8));
        bytes.insert(bytes.end(), item.begin(), item.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    void* pidl = CoTaskMemAlloc(bytes.size());
    std::memcpy(pidl, bytes.data(), bytes.size());
    return static_cast<PItemIDList>(pidl);
}

inline std::vector<uint8_t> PIDLBytes(TPIDLManager& manager, PItemIDList pidl) {
    auto* at = reinterpret_cast<const uint8_t*>(pidl);
    return std::vector<uint8_t>(at, at + manager.PIDLSize(pidl));
}
