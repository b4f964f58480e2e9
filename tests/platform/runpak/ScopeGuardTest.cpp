#include <runpak/ScopeGuard.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

struct TCounter {
    int Updates = 0;
    int Ends = 0;
    void BeginUpdate() { ++Updates; }
    void EndUpdate() {
        --Updates;
        ++Ends;
    }
};

// How the guarded scope is left.
enum class TExit { Normal, Raise, Released };

struct TExitCase {
    const char* Name;
    TExit Exit;
    int Cleanups; // times the scope-exit action ran
};

class ScopeExitOn : public testing::TestWithParam<TExitCase> {};

TEST_P(ScopeExitOn, EveryWayOutRunsTheActionUnlessReleased) {
    int cleanups = 0;
    TCounter counter;
    std::string value = "before";
    auto scope = [&] {
        auto action = runpak::ScopeExit([&] { ++cleanups; });
        auto update = runpak::UpdateBracket(counter);
        auto saved = runpak::SaveAndRestore(value, std::string("inside"));
        EXPECT_EQ(value, "inside");
        EXPECT_EQ(counter.Updates, 1);
        if (GetParam().Exit == TExit::Raise) throw std::runtime_error("raised");
        if (GetParam().Exit == TExit::Released) action.Release();
    };
    if (GetParam().Exit == TExit::Raise)
        EXPECT_THROW(scope(), std::runtime_error);
    else
        scope();
    EXPECT_EQ(cleanups, GetParam().Cleanups);
    EXPECT_EQ(counter.Updates, 0);
    EXPECT_EQ(counter.Ends, 1);
    EXPECT_EQ(value, "before");
}

INSTANTIATE_TEST_SUITE_P(Exits, ScopeExitOn,
                         testing::Values(TExitCase{"Normal", TExit::Normal, 1},
                                         TExitCase{"Raise", TExit::Raise, 1},
                                         TExitCase{"Released", TExit::Released, 0}),
                         [](const auto& info) { return std::string(info.param.Name); });

// A closing action that fails reports its failure when the scope ends
// normally; while another error unwinds the scope, that first error is the
// one the caller sees.
TEST(ScopeExit, AFailingActionRaisesOnlyWhenNothingElseDoes) {
    auto closeFails = [](bool bodyFails) {
        auto close = runpak::ScopeExit([] { throw std::logic_error("close"); });
        if (bodyFails) throw std::runtime_error("body");
    };
    EXPECT_THROW(closeFails(false), std::logic_error);
    EXPECT_THROW(closeFails(true), std::runtime_error);
}

} // namespace
