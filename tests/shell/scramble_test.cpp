#include "shell/scramble.h"

#include <gtest/gtest.h>

#include <cstring>

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
