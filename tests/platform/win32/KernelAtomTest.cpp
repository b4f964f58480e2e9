#include "KernelTestSupport.h"

#include <string>

namespace {
std::u16string NameOf(ATOM atom) {
    WCHAR buffer[300] = {};
    UINT length = GlobalGetAtomNameW(atom, buffer, 300);
    return std::u16string(buffer, length);
}
} // namespace

TEST(KernelAtoms, StringAtomsAreCaseInsensitiveAndReferenceCounted) {
    ATOM atom = GlobalAddAtomW(u"KernelTest.Property");
    EXPECT_GE(atom, 0xC000);
    EXPECT_EQ(GlobalAddAtomW(u"kerneltest.PROPERTY"), atom);
    EXPECT_EQ(GlobalFindAtomW(u"KERNELTEST.property"), atom);
    EXPECT_EQ(NameOf(atom), u"KernelTest.Property"); // the name as first added

    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtomW(u"KernelTest.Property"), atom); // one reference left
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtomW(u"KernelTest.Property"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GlobalDeleteAtom(atom), atom); // failure answers the atom
    EXPECT_EQ(NameOf(atom), u"");
}

TEST(KernelAtoms, LatinLettersFoldTooAndDistinctNamesGetDistinctAtoms) {
    ATOM upper = GlobalAddAtomW(u"KERNELTEST.ÉTÉ");
    EXPECT_EQ(GlobalFindAtomW(u"kerneltest.été"), upper);
    ATOM other = GlobalAddAtomW(u"KernelTest.Other");
    EXPECT_NE(other, upper);
    GlobalDeleteAtom(upper);
    GlobalDeleteAtom(other);
}

TEST(KernelAtoms, IntegerAtomsNeedNoTable) {
    struct Case {
        LPCWSTR name;
        ATOM expected;
    } cases[] = {
        {MAKEINTATOM(123), 123},  {u"#123", 123}, {u"#49151", 0xBFFF}, {MAKEINTATOM(0), 0},
        {MAKEINTATOM(0xC000), 0}, {u"#0", 0},     {u"#49152", 0},      {u"#99999999", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GlobalAddAtomW(c.name), c.expected);
        EXPECT_EQ(GlobalFindAtomW(c.name), c.expected);
    }
    EXPECT_EQ(NameOf(123), u"#123");
    EXPECT_EQ(GlobalDeleteAtom(123), 0);
    EXPECT_EQ(GlobalFindAtomW(MAKEINTATOM(123)), 123); // deleting changes nothing

    ATOM notANumber = GlobalAddAtomW(u"#12a");
    EXPECT_GE(notANumber, 0xC000);
    GlobalDeleteAtom(notANumber);
}

TEST(KernelAtoms, RejectEmptyAndOverlongNamesAndTruncateCopies) {
    EXPECT_EQ(GlobalAddAtomW(u""), 0);
    EXPECT_EQ(GlobalAddAtomW(nullptr), 0);
    std::u16string longest(255, u'x'), tooLong(256, u'x');
    ATOM atom = GlobalAddAtomW(longest.c_str());
    EXPECT_NE(atom, 0);
    EXPECT_EQ(GlobalAddAtomW(tooLong.c_str()), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    WCHAR small[4];
    EXPECT_EQ(GlobalGetAtomNameW(atom, small, 4), 3u);
    EXPECT_EQ(std::u16string(small), u"xxx");
    GlobalDeleteAtom(atom);
}

TEST(KernelAtoms, AnsiNamesMeetWideOnesAndLocalAtomsAreApart) {
    ATOM atom = GlobalAddAtomA("KernelTest.Ansi");
    EXPECT_EQ(GlobalFindAtomW(u"KERNELTEST.ANSI"), atom);
    EXPECT_EQ(GlobalFindAtomA("kerneltest.ansi"), atom);
    EXPECT_EQ(FindAtomW(u"KernelTest.Ansi"), 0);
    ATOM local = AddAtomW(u"KernelTest.Ansi");
    EXPECT_NE(local, 0);
    EXPECT_EQ(DeleteAtom(local), 0);
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
}
