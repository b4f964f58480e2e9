#include <win32/internal/Config.h>

#include <win32/TestSeams.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

TEST(ConfigFolder, FollowsTheEnvironmentAndTheTestOverride) {
    std::string home = std::getenv("WINLAYER_HOME");
    EXPECT_EQ(win32::ConfigFolder(), home);
    EXPECT_EQ(win32::WindowsFolder(), home + "/windows");
    struct stat st;
    EXPECT_EQ(stat((home + "/windows").c_str(), &st), 0);

    TestSeams::SetWindowsFolder(home + "/elsewhere/win");
    EXPECT_EQ(win32::WindowsFolder(), home + "/elsewhere/win");
    EXPECT_EQ(stat((home + "/elsewhere/win").c_str(), &st), 0);
    TestSeams::SetWindowsFolder("");
    EXPECT_EQ(win32::WindowsFolder(), home + "/windows");
}
