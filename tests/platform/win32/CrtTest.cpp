#include <win32/crt.h>
#include <win32/fileapi.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Home() { return std::getenv("WINLAYER_HOME"); }
std::u16string WinHome() {
    std::string h = Home();
    return u"C:" + std::u16string(h.begin(), h.end());
}
std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(Crt, TextModeWritesCrLfAndReadsLinesBack) {
    std::u16string path = WinHome() + u"\\params.txt";
    FILE* f = crt::_wfopen(path.c_str(), u"w");
    ASSERT_TRUE(f);
    fprintf(f, "comment\n");
    for (int v : {1, -20, 300}) fprintf(f, "%d\n", v);
    fclose(f);
    EXPECT_EQ(Slurp(Home() + "/params.txt"), "comment\r\n1\r\n-20\r\n300\r\n");

    f = crt::_wfopen(path.c_str(), u"r");
    ASSERT_TRUE(f);
    char line[128];
    std::vector<std::string> lines;
    while (fgets(line, 16, f)) lines.push_back(line);
    EXPECT_TRUE(feof(f));
    fclose(f);
    EXPECT_EQ(lines, (std::vector<std::string>{"comment\n", "1\n", "-20\n", "300\n"}));
}

TEST(Crt, TextModeKeepsLoneCarriageReturnsAndStopsAtCtrlZ) {
    std::ofstream(Home() + "/odd.txt", std::ios::binary) << "a\rb\r\nc\x1A" "after\r\n";
    FILE* f = crt::_wfopen((WinHome() + u"\\odd.txt").c_str(), u"rt");
    ASSERT_TRUE(f);
    std::string all;
    int c;
    while ((c = fgetc(f)) != EOF) all.push_back(static_cast<char>(c));
    fclose(f);
    EXPECT_EQ(all, "a\rb\nc");
    FILE* b = crt::_wfopen((WinHome() + u"\\odd.txt").c_str(), u"rb");
    ASSERT_TRUE(b);
    char buf[64];
    size_t n = fread(buf, 1, sizeof buf, b);
    fclose(b);
    EXPECT_EQ(std::string(buf, n), std::string("a\rb\r\nc\x1A" "after\r\n"));
    EXPECT_FALSE(crt::_wfopen(u"C:\\no\\such\\folder\\x.txt", u"r"));
}

TEST(Crt, JapaneseLocaleConvertsToShiftJisWithinTheLimit) {
    char out[16];
    ASSERT_TRUE(crt::setlocale(LC_CTYPE, "C"));
    EXPECT_EQ(crt::wcstombs(out, u"\u30b3\u30e1", sizeof out), static_cast<size_t>(-1));
    ASSERT_STREQ(crt::setlocale(LC_CTYPE, "jpn"), "Japanese_Japan.932");
    EXPECT_EQ(crt::wcstombs(out, u"\u30b3\u30e1\u30f3\u30c8", sizeof out), 8u);
    EXPECT_EQ(std::string(out), "\x83\x52\x83\x81\x83\x93\x83\x67");
    // A limit in the middle of a character stops before it.
    EXPECT_EQ(crt::wcstombs(out, u"a\u30b3\u30e1", 4), 3u);
    EXPECT_EQ(crt::wcstombs(out, u"\u00e9", sizeof out), static_cast<size_t>(-1));
    EXPECT_EQ(crt::wcstombs(nullptr, u"ab\u30b3", 0), 4u);
    EXPECT_EQ(crt::setlocale(LC_CTYPE, "klingon"), nullptr);
    crt::setlocale(LC_CTYPE, "C");
}
