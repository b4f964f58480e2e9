#include "ParamFile.h"

#include <win32/crt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class ParamFileTest : public testing::Test {
protected:
    void SetUp() override {
        const char* home = std::getenv("WINLAYER_HOME");
        linuxPath = std::string(home) + "/params.txt";
        windowsPath = "C:" + linuxPath;
        for (char& c : windowsPath)
            if (c == '/') c = '\\';
    }

    void WriteBytes(const std::string& bytes) {
        std::ofstream(linuxPath, std::ios::binary) << bytes;
    }
    std::string ReadBytes() {
        std::ifstream in(linuxPath, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string linuxPath;
    std::string windowsPath;
};

} // namespace

TEST_F(ParamFileTest, WritesTheCommentAndEveryValueWithCrLf) {
    int32_t table[ParamFile::ParamCount] = {};
    for (int i = 0; i < ParamFile::ParamCount; ++i)
        table[i] = i * 3 - 100;
    FILE* file = crt::fopen(windowsPath.c_str(), "wt");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(ParamFile::Write(file, "abc", table));
    std::fclose(file);

    std::string bytes = ReadBytes();
    EXPECT_EQ(bytes.substr(0, 16), "abc\r\n-100\r\n-97\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "281\r\n");
    size_t lines = 0;
    for (char c : bytes)
        lines += c == '\n';
    EXPECT_EQ(lines, 129u);
}

TEST_F(ParamFileTest, LoadsEveryIndexExceptTheDrivesOwnSettings) {
    std::string bytes = "comment\r\n";
    for (int i = 0; i < ParamFile::ParamCount; ++i)
        bytes += std::to_string(1000 + i) + "\r\n";
    WriteBytes(bytes);
    int32_t table[ParamFile::ParamCount] = {};
    std::vector<int> loaded;
    FILE* file = crt::fopen(windowsPath.c_str(), "rt");
    ASSERT_NE(file, nullptr);
    std::string comment;
    ASSERT_TRUE(ParamFile::ReadLine(file, comment));
    EXPECT_EQ(comment, "comment");
    EXPECT_EQ(ParamFile::LoadValues(file, table, [&](int i) { loaded.push_back(i); }), 128);
    std::fclose(file);
    for (int i = 0; i < ParamFile::ParamCount; ++i) {
        bool skipped = i >= 80 && i <= 106;
        EXPECT_EQ(table[i], skipped ? 0 : 1000 + i) << i;
    }
    EXPECT_EQ(loaded.size(), 128u - 27u);
    EXPECT_EQ(loaded.front(), 0);
    EXPECT_EQ(loaded.back(), 127);
}

// A comment longer than the reader's old 127-byte limit must not become the
// first value and shift every parameter by one.
TEST_F(ParamFileTest, ALongCommentStaysOneLine) {
    for (size_t length : {126u, 127u, 128u, 300u}) {
        std::string comment(length, 'c');
        WriteBytes(comment + "\r\n11\r\n22\r\n");
        int32_t table[ParamFile::ParamCount] = {};
        FILE* file = crt::fopen(windowsPath.c_str(), "rt");
        ASSERT_NE(file, nullptr);
        std::string read;
        ASSERT_TRUE(ParamFile::ReadLine(file, read));
        EXPECT_EQ(read, comment);
        EXPECT_EQ(ParamFile::LoadValues(file, table, nullptr), 2) << length;
        std::fclose(file);
        EXPECT_EQ(table[0], 11) << length;
        EXPECT_EQ(table[1], 22) << length;
    }
}

TEST_F(ParamFileTest, ExtraLinesAndLongLinesStayInsideTheTable) {
    std::string bytes = "x\r\n";
    bytes += std::string(40, '7') + "\r\n"; // one value, however long
    for (int i = 1; i < 200; ++i)
        bytes += std::to_string(i) + "\r\n";
    WriteBytes(bytes);
    // Guard cells around the table catch a write past either end.
    int32_t guarded[ParamFile::ParamCount + 2];
    for (int32_t& v : guarded)
        v = -1;
    FILE* file = crt::fopen(windowsPath.c_str(), "rt");
    ASSERT_NE(file, nullptr);
    std::string comment;
    ASSERT_TRUE(ParamFile::ReadLine(file, comment));
    EXPECT_EQ(ParamFile::LoadValues(file, guarded + 1, nullptr), 200);
    std::fclose(file);
    EXPECT_EQ(guarded[0], -1);
    EXPECT_EQ(guarded[ParamFile::ParamCount + 1], -1);
    EXPECT_EQ(guarded[1], 2147483647); // saturated, and not split into several lines
    EXPECT_EQ(guarded[1 + 2], 2);
    EXPECT_EQ(guarded[1 + 127], 127);
}

// A NUL inside a line once ended the line's text but not the line, so the
// next line joined it and every later value moved up one parameter.
TEST_F(ParamFileTest, EveryLineKeepsItsOwnParameterWhateverItHolds) {
    struct Case {
        const char* name;
        std::string comment;
        std::string second; // the line of parameter 1
        int32_t expected;
    };
    const std::string huge(20 * 1024 * 1024, 'h');
    const Case cases[] = {
        {"NUL after the digits", "c", std::string("22\0" "9", 4), 22},
        {"NUL first", "c", std::string("\0" "22", 3), 0},
        {"NUL in the comment", std::string("co\0mment", 9), "22", 22},
        {"a comment far beyond the bound", huge, "22", 22},
        {"a value line far beyond the bound", "c", std::string(huge.size(), '7'), 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(c.comment + "\r\n11\r\n" + c.second + "\r\n33\r\n");
        int32_t table[ParamFile::ParamCount] = {};
        FILE* file = crt::fopen(windowsPath.c_str(), "rt");
        ASSERT_NE(file, nullptr);
        std::string comment;
        ASSERT_TRUE(ParamFile::ReadLine(file, comment));
        EXPECT_EQ(comment, c.comment.substr(0, ParamFile::MaxLineBytes));
        EXPECT_EQ(ParamFile::LoadValues(file, table, nullptr), 3);
        std::fclose(file);
        EXPECT_EQ(table[0], 11);
        EXPECT_EQ(table[1], c.expected);
        EXPECT_EQ(table[2], 33);
    }
}

TEST_F(ParamFileTest, AnEmptyFileHasNoCommentLine) {
    WriteBytes("");
    FILE* file = crt::fopen(windowsPath.c_str(), "rt");
    ASSERT_NE(file, nullptr);
    std::string comment;
    EXPECT_FALSE(ParamFile::ReadLine(file, comment));
    std::fclose(file);
}

TEST(ParamFileComment, ConvertsToShiftJisWithinTheLimit) {
    EXPECT_EQ(ParamFile::CommentToShiftJis(u"コメント無し"),
              "\x83\x52\x83\x81\x83\x93\x83\x67\x96\xB3\x82\xB5");
    EXPECT_EQ(ParamFile::CommentToShiftJis(u"ab"), "ab");
    // 65 two-byte characters: 64 fit, the 65th would cross 128 bytes.
    std::string limited = ParamFile::CommentToShiftJis(UnicodeString(65, u'あ'));
    EXPECT_EQ(limited.size(), 128u);
    std::string odd = ParamFile::CommentToShiftJis(u"a" + UnicodeString(64, u'あ'));
    EXPECT_EQ(odd.size(), 127u); // never half a character
    EXPECT_EQ(ParamFile::CommentToShiftJis(u"a\U0001F600b"), "a?b");
}

TEST(ParamFileComment, DecodesForTheDialogAndCutsToTheLabel) {
    EXPECT_EQ(
        ParamFile::CommentFromShiftJis("\x83\x52\x83\x81\x83\x93\x83\x67\x96\xB3\x82\xB5", 127),
        u"コメント無し");
    EXPECT_EQ(ParamFile::CommentFromShiftJis(std::string(300, 'z'), 127), UnicodeString(127, u'z'));
}
