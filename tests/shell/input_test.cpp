#include "shell/input.h"

#include <gtest/gtest.h>

#include "platform/input.h"

// {key, shift, code}: letters follow Shift; unlisted keys keep their number (keypad 1 reads "a",
// F1 "p", F7 "v"); Shift maps only 34..96.
TEST(TranslateKey, LettersTableKeysPunctuationAndShiftedCodes) {
  const int keys[][3] = {{'W', 0, 'w'}, {'W', 1, 'W'}, {'A', 0, 97},  {1, 0, 24},    {2, 0, 25},
                         {16, 0, 10},   {161, 0, 10},  {163, 0, 11},  {164, 0, 12},  {46, 0, 2},
                         {45, 0, 1},    {36, 0, 3},    {37, 0, 16},   {40, 0, 19},   {27, 0, 27},
                         {32, 1, 32},   {97, 0, 'a'},  {112, 0, 'p'}, {118, 0, 'v'}, {186, 0, ';'},
                         {186, 1, ':'}, {222, 0, 34},  {222, 1, 39},  {192, 1, '~'}, {220, 1, '|'},
                         {'1', 0, '1'}, {'1', 1, '!'}, {'0', 1, ')'}, {189, 1, '_'}, {96, 1, '~'},
                         {97, 1, 97}};
  for (const auto& k : keys) EXPECT_EQ(TranslateKey(k[0], k[1]), k[2]) << k[0] << " " << k[1];
}

TEST(SampleInput, HeldPressedShiftAndTheMouseButton) {
  PlatformReleaseAllKeys();
  SampleInput();
  SampleInput();  // clear any latch left by other tests
  PlatformSetKey('W', true);
  SampleInput();
  EXPECT_TRUE(g_keys['w'] && KeyPressed('w'));
  SampleInput();
  EXPECT_TRUE(g_keys['w'] && !KeyPressed('w'));
  PlatformSetKey(VK_SHIFT, true);  // the upper-case entry is set, not the movement key
  SampleInput();
  EXPECT_TRUE(!g_keys['w'] && g_keys['W'] && g_keys[10]);
  PlatformReleaseAllKeys();
  PlatformSetKey(VK_LBUTTON, true);
  SampleInput();
  EXPECT_TRUE(g_mouseLeft && !g_mouseLeftPrev && g_keys[24]);
  PlatformSetKey(VK_LBUTTON, false);
  SampleInput();
  EXPECT_TRUE(!g_mouseLeft && g_mouseLeftPrev);
}
