#include "core/scramble.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
// The key byte through the float construction the scrambler is defined by.
uint8_t KeyByFloat(uint32_t state) {
  const uint32_t bits = (state & 0x7FFFFF) | 0x40000000;
  float value;
  std::memcpy(&value, &bits, 4);
  return static_cast<uint8_t>(static_cast<int32_t>((static_cast<double>(value) - 3.0) * 128.0));
}
}  // namespace

TEST(Scramble, ZeroAndNegativeLengthChangeNothingButSeedTheState) {
  char buffer[4] = {'a', 'b', 'c', 'd'};
  g_randState = 77;
  Scramble(buffer, 0);
  EXPECT_EQ(g_randState, 0u);
  EXPECT_EQ(std::memcmp(buffer, "abcd", 4), 0);
  Scramble(buffer, -5);
  EXPECT_EQ(g_randState, static_cast<uint32_t>(-5));
  EXPECT_EQ(std::memcmp(buffer, "abcd", 4), 0);
}

TEST(Scramble, KeyStreamFollowsTheFloatConstructionAndLeavesTheLastState) {
  for (int32_t n : {1, 2, 7, 300}) {
    std::vector<uint8_t> zeros(static_cast<size_t>(n), 0);
    Scramble(zeros.data(), n);
    uint32_t state = static_cast<uint32_t>(n);
    for (int32_t i = 0; i < n; ++i) {
      state *= 16807u;
      ASSERT_EQ(zeros[static_cast<size_t>(i)], KeyByFloat(state))
          << "length " << n << " byte " << i;
    }
    // n * 16807^n mod 2^32.
    EXPECT_EQ(g_randState, state);
  }
}

TEST(Scramble, IsItsOwnInverseAndDependsOnlyOnTheLength) {
  char a[] = "bin\\pegasus.Model";
  char b[] = "completely differ";
  const int32_t n = sizeof a;
  ASSERT_EQ(sizeof a, sizeof b);
  std::vector<char> original(a, a + n);
  Scramble(a, n);
  EXPECT_NE(std::memcmp(a, original.data(), n), 0);
  Scramble(a, n);
  EXPECT_EQ(std::memcmp(a, original.data(), n), 0);
  // Equal lengths share one key stream: the XOR of the two scrambled buffers
  // equals the XOR of the plain ones.
  char pa[sizeof a], pb[sizeof b];
  std::memcpy(pa, a, n);
  std::memcpy(pb, b, n);
  Scramble(a, n);
  Scramble(b, n);
  for (int32_t i = 0; i < n; ++i) EXPECT_EQ(a[i] ^ b[i], pa[i] ^ pb[i]);
}

TEST(Scramble, RandomDrawsUseTheSharedStateAndStayInRange) {
  g_randState = 1;
  const float first = RandomSigned();
  EXPECT_EQ(g_randState, 16807u);
  EXPECT_FLOAT_EQ(first, RandomToFloat(16807u));
  EXPECT_FLOAT_EQ(RandomToFloat(0), -1.0f);
  EXPECT_LT(RandomToFloat(0x7FFFFF), 1.0f);
  EXPECT_FLOAT_EQ(RandomToFloat(0x400000), 0.0f);
  for (int i = 0; i < 10000; ++i) {
    const float v = RandomSigned();
    ASSERT_GE(v, -1.0f);
    ASSERT_LT(v, 1.0f);
  }
}
