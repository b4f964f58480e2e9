#include <runpak/Set.h>

#include <gtest/gtest.h>

namespace {
enum TColorKind { ckRed, ckGreen, ckBlue, ckAlpha };
using TColorKinds = TSet<TColorKind, 4>;
} // namespace

TEST(TSet, KeepsTheDocumentedBitOrderAndSetAlgebra) {
    TColorKinds a{ckRed, ckBlue};
    EXPECT_EQ(a.ToInt(), 0b101u);
    EXPECT_EQ(TColorKinds::FromInt(0b1010), (TColorKinds{ckGreen, ckAlpha}));
    TColorKinds b{ckBlue, ckAlpha};
    EXPECT_EQ((a + b).ToInt(), 0b1101u);
    EXPECT_EQ((a - b).ToInt(), 0b0001u);
    EXPECT_EQ((a * b).ToInt(), 0b0100u);
    EXPECT_TRUE(TColorKinds{ckBlue} <= a);
    EXPECT_FALSE(b <= a);
    EXPECT_TRUE(TColorKinds().Empty());
}
