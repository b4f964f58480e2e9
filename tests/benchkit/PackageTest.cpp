#include "benchkit/Benchkit.h"

#include <gtest/gtest.h>

#include <string>

TEST(Package, StartsAndStopsEveryUnitOnce) {
    const TPackageInfoTable* table = GetPackageInfoTable();
    ASSERT_GT(table->UnitCount, 0);
    EXPECT_EQ(std::string(table->UnitInfo[0].Name), "Benchkit");
    Initialize();
    Initialize(); // a second call starts nothing again
    Finalize();
    Finalize();
}
