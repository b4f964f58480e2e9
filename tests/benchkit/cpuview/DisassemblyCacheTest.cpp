// The disassembly cache: hits and misses per address and per source position.
#include "benchkit/cpuview/DisComp.h"

#include <gtest/gtest.h>

namespace {

TEST(CPUSourcePos, MakeFillsTheFieldsInOrder) {
    const TCPUSourcePos pos = MakeCPUSourcePos(3, 120, 7);
    EXPECT_EQ(pos.FileIndex, 3u);
    EXPECT_EQ(pos.LineNum, 120u);
    EXPECT_EQ(pos.Param, 7u);
    EXPECT_EQ(pos.SymTabNo, 7u);
    EXPECT_EQ(sizeof(TCPUSourcePos), 12u);
}

TEST(DisassemblyCache, FetchesWhatWasDeposited) {
    TDisassemblyCache cache;
    UnicodeString text = u"stale";
    int64_t next = -1;
    EXPECT_FALSE(cache.FetchAsmCode(0x1000, text, next));
    EXPECT_EQ(text, u"");
    EXPECT_EQ(next, -1);

    cache.DepositAsmCode(0x1000, u"mov eax, ebx", 0x1002);
    ASSERT_TRUE(cache.FetchAsmCode(0x1000, text, next));
    EXPECT_EQ(text, u"mov eax, ebx");
    EXPECT_EQ(next, 0x1002);
    int64_t step = 0;
    ASSERT_TRUE(cache.FetchNextAddr(0x1000, step)); // instruction text brings its next address
    EXPECT_EQ(step, 0x1002);
    EXPECT_FALSE(cache.FetchPrevAddr(0x1000, step));
}

TEST(DisassemblyCache, ANextAddressAloneIsFoundWithoutText) {
    TDisassemblyCache cache;
    cache.DepositNextAddr(0x20, 0x24);
    int64_t next = 0;
    EXPECT_TRUE(cache.FetchNextAddr(0x20, next));
    EXPECT_EQ(next, 0x24);
    UnicodeString text;
    EXPECT_FALSE(cache.FetchAsmCode(0x20, text, next));
}

TEST(DisassemblyCache, OnlyAPreviousAddressGivesNoText) {
    TDisassemblyCache cache;
    cache.DepositPrevAddr(0x30, 0x2C);
    UnicodeString text = u"x";
    int64_t next = 99;
    EXPECT_FALSE(cache.FetchAsmCode(0x30, text, next));
    EXPECT_EQ(text, u"");
    EXPECT_EQ(next, 99);
    int64_t prev = 0;
    EXPECT_TRUE(cache.FetchPrevAddr(0x30, prev));
    EXPECT_EQ(prev, 0x2C);
}

TEST(DisassemblyCache, ADepositKeepsTheOtherValuesOfItsAddress) {
    TDisassemblyCache cache;
    cache.DepositAsmCode(0x40, u"nop", 0x41);
    cache.DepositLabelCode(0x40, u"start:");
    cache.DepositAddlAsmCode(0x40, u"a\nb", 2);
    cache.DepositSourcePos(0x40, MakeCPUSourcePos(1, 10, 0), 0x3E, 6);
    UnicodeString text;
    int64_t next = 0;
    EXPECT_TRUE(cache.FetchAsmCode(0x40, text, next));
    EXPECT_EQ(text, u"nop");
    EXPECT_TRUE(cache.FetchLabelCode(0x40, text));
    EXPECT_EQ(text, u"start:");
    int32_t count = 0;
    EXPECT_TRUE(cache.FetchAddlAsmCode(0x40, text, count));
    EXPECT_EQ(text, u"a\nb");
    EXPECT_EQ(count, 2);
    TCPUSourcePos pos = {};
    int64_t first = 0;
    int32_t size = 0;
    EXPECT_TRUE(cache.FetchSourcePos(0x40, pos, first, size));
    EXPECT_TRUE(pos == MakeCPUSourcePos(1, 10, 0));
    EXPECT_EQ(first, 0x3E);
    EXPECT_EQ(size, 6);
}

TEST(DisassemblyCache, EmptyAnswersAreRemembered) {
    TDisassemblyCache cache;
    cache.DepositLabelCode(0x50, u"");
    cache.DepositAddlAsmCode(0x50, u"", 0);
    UnicodeString text = u"x";
    EXPECT_TRUE(cache.FetchLabelCode(0x50, text));
    EXPECT_EQ(text, u"");
    int32_t count = 5;
    EXPECT_TRUE(cache.FetchAddlAsmCode(0x50, text, count));
    EXPECT_EQ(count, 0);
}

TEST(DisassemblyCache, SourcePositionsDifferingOnlyInParamAreDifferentKeys) {
    TDisassemblyCache cache;
    cache.DepositFileName(MakeCPUSourcePos(2, 5, 0), u"unit1.pas");
    cache.DepositAddress(MakeCPUSourcePos(2, 5, 1), 0x400, 12);
    UnicodeString name = u"stale";
    EXPECT_TRUE(cache.FetchFileName(MakeCPUSourcePos(2, 5, 0), name));
    EXPECT_EQ(name, u"unit1.pas");
    EXPECT_FALSE(cache.FetchFileName(MakeCPUSourcePos(2, 5, 1), name));
    EXPECT_EQ(name, u"");
    int64_t address = 0;
    int32_t size = 0;
    EXPECT_FALSE(cache.FetchAddress(MakeCPUSourcePos(2, 5, 0), address, size));
    EXPECT_TRUE(cache.FetchAddress(MakeCPUSourcePos(2, 5, 1), address, size));
    EXPECT_EQ(address, 0x400);
    EXPECT_EQ(size, 12);
}

TEST(DisassemblyCache, DisabledCachingIgnoresDeposits) {
    TDisassemblyCache cache;
    cache.DepositAsmCode(0x60, u"ret", 0x61);
    // Switching caching off empties the cache, as the view does.
    cache.SetDisableCaching(true);
    cache.Clear();
    cache.DepositAsmCode(0x60, u"ret", 0x61);
    cache.DepositFileName(MakeCPUSourcePos(1, 1, 1), u"f");
    UnicodeString text;
    int64_t next = 0;
    EXPECT_FALSE(cache.FetchAsmCode(0x60, text, next));
    EXPECT_FALSE(cache.FetchFileName(MakeCPUSourcePos(1, 1, 1), text));
    cache.SetDisableCaching(false);
    cache.DepositAsmCode(0x60, u"ret", 0x61);
    EXPECT_TRUE(cache.FetchAsmCode(0x60, text, next));
}

TEST(DisassemblyCache, ClearEmptiesBothMaps) {
    TDisassemblyCache cache;
    cache.DepositAsmCode(1, u"a", 2);
    cache.DepositFileName(MakeCPUSourcePos(1, 1, 0), u"f");
    cache.Clear();
    UnicodeString text;
    int64_t next = 0;
    EXPECT_FALSE(cache.FetchAsmCode(1, text, next));
    EXPECT_FALSE(cache.FetchFileName(MakeCPUSourcePos(1, 1, 0), text));
}

} // namespace
