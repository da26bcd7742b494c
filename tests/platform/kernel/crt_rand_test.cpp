#include "platform/kernel/crt_rand.h"

#include <gtest/gtest.h>

namespace {

TEST(CrtRandTest, MatchesThePlatformSequence) {
    msvcrt::srand(1);
    EXPECT_EQ(msvcrt::rand(), 41);
    EXPECT_EQ(msvcrt::rand(), 18467);
    EXPECT_EQ(msvcrt::rand(), 6334);
    EXPECT_EQ(msvcrt::rand(), 26500);
    msvcrt::srand(1);
    EXPECT_EQ(msvcrt::rand(), 41);
}

TEST(CrtRandTest, StaysInFifteenBits) {
    msvcrt::srand(12345);
    int highest = 0;
    for (int i = 0; i < 100000; ++i) {
        int v = msvcrt::rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, msvcrt::kRandMax);
        if (v > highest) highest = v;
    }
    EXPECT_GT(highest, 32000);
}

}  // namespace
