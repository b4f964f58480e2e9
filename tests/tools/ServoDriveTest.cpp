#include "ServoDrive.h"

#include <gtest/gtest.h>

TEST(ServoDrive, AnswersReadsWritesAndCommands) {
    ServoDrive drive;
    struct Case {
        const char* line;
        const char* reply;
    } cases[] = {
        {"21", "150\r"}, {"0", "2500\r"}, {"7=1234", ".\r"}, {"7", "1234\r"}, {"7=-5", ".\r"},
        {"7", "-5\r"},   {"128", "?\r"},  {"x", "?\r"},      {"16=3", "E\r"},  {"$S", ".\r"},
        {"", "?\r"},     {"5=", "?\r"},
    };
    for (const Case& c : cases) EXPECT_EQ(drive.Answer(c.line, 0), c.reply) << c.line;
    EXPECT_EQ(drive.Stores(), 1);
}

TEST(ServoDrive, ServoMovesThePositionsAndAnAlarmStopsIt) {
    ServoDrive drive;
    EXPECT_EQ(drive.Answer("$O", 1000), ".\r");
    EXPECT_EQ(drive.Answer("57", 1000), "8\r");
    drive.Answer("17", 1500);
    EXPECT_EQ(drive.Param(ServoDrive::kReferencePos), 500);
    drive.RaiseAlarm(5);
    EXPECT_FALSE(drive.ServoOn());
    EXPECT_EQ(drive.Answer("57", 1600), "4\r");
    EXPECT_EQ(drive.Answer("15", 1600), "32\r");
    EXPECT_EQ(drive.Answer("$O", 1600), "E\r");
    EXPECT_EQ(drive.Answer("$C", 1700), ".\r");
    EXPECT_EQ(drive.Answer("57", 1700), "0\r");
}

TEST(ServoDrive, TheBaudCodeSelectsTheStoredRate) {
    ServoDrive drive;
    EXPECT_EQ(drive.StoredBaudRate(), 9600);
    drive.Answer("78=2", 0);
    EXPECT_EQ(drive.StoredBaudRate(), 38400);
    drive.Answer("78=7", 0);
    EXPECT_EQ(drive.StoredBaudRate(), 9600);
}
