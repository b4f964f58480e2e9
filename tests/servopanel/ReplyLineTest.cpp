#include "ReplyLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Feeds bytes until a line ends; answers the text, or "<open>" when no
// carriage return came.
std::string FeedLine(TReplyLine& line, const std::string& bytes, size_t* consumed = nullptr) {
    line.Clear();
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (line.Feed(static_cast<unsigned char>(bytes[i]))) {
            if (consumed) *consumed = i + 1;
            return line.Text();
        }
    }
    if (consumed) *consumed = bytes.size();
    return "<open>";
}

} // namespace

TEST(ReplyLine, EndsAtTheCarriageReturnWithoutIt) {
    TReplyLine line;
    EXPECT_EQ(FeedLine(line, "2500\r"), "2500");
    EXPECT_EQ(FeedLine(line, "\r"), "");
    EXPECT_EQ(FeedLine(line, "12\n34\r"), "12\n34");
    EXPECT_EQ(FeedLine(line, "no end"), "<open>");
}

TEST(ReplyLine, KeepsFifteenCharactersAndDropsTheRestUpToTheCarriageReturn) {
    TReplyLine line;
    size_t used = 0;
    const std::string bytes = "123456789012345678901234567890\r.\r";
    EXPECT_EQ(FeedLine(line, bytes, &used), "123456789012345");
    EXPECT_TRUE(line.Truncated());
    // The overflow was consumed with its line; the next reply starts clean.
    EXPECT_EQ(FeedLine(line, bytes.substr(used)), ".");
    EXPECT_FALSE(line.Truncated());
}

TEST(ReplyLine, ExactlyFifteenIsNotTruncated) {
    TReplyLine line;
    EXPECT_EQ(FeedLine(line, "-12345678901234\r"), "-12345678901234");
    EXPECT_FALSE(line.Truncated());
}

TEST(AtoL32, ConvertsAsTheRunTimeDoesAndSaturates) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"2500", 2500},
        {"  -17", -17},
        {"+8", 8},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"\t42", 42},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"99999999999999999999", 2147483647},
        {"-99999999999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AtoL32(c.text), c.value) << '"' << c.text << '"';
}
