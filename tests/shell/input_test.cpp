#include "shell/input.h"

#include <gtest/gtest.h>

#include "platform/input.h"

TEST(TranslateKey, LettersFollowShift) {
  EXPECT_EQ(TranslateKey('W', false), 'w');
  EXPECT_EQ(TranslateKey('W', true), 'W');
  EXPECT_EQ(TranslateKey('A', false), 97);
}

TEST(TranslateKey, TableKeysAndTheirQuirks) {
  EXPECT_EQ(TranslateKey(1, false), 24);    // left button
  EXPECT_EQ(TranslateKey(2, false), 25);    // right button
  EXPECT_EQ(TranslateKey(16, false), 10);   // Shift
  EXPECT_EQ(TranslateKey(161, false), 10);  // right Shift
  EXPECT_EQ(TranslateKey(163, false), 11);  // right Control
  EXPECT_EQ(TranslateKey(164, false), 12);  // left Alt
  EXPECT_EQ(TranslateKey(46, false), 2);    // Delete
  EXPECT_EQ(TranslateKey(45, false), 1);    // Insert
  EXPECT_EQ(TranslateKey(36, false), 3);    // Home
  EXPECT_EQ(TranslateKey(37, false), 16);   // Left
  EXPECT_EQ(TranslateKey(40, false), 19);   // Down
  EXPECT_EQ(TranslateKey(27, false), 27);
  EXPECT_EQ(TranslateKey(32, true), 32);
  // Unlisted keys keep their number: keypad 1 reads as "a", F1 as "p", F7 as "v".
  EXPECT_EQ(TranslateKey(97, false), 'a');
  EXPECT_EQ(TranslateKey(112, false), 'p');
  EXPECT_EQ(TranslateKey(118, false), 'v');
}

TEST(TranslateKey, PunctuationAndShiftedCodes) {
  EXPECT_EQ(TranslateKey(186, false), ';');
  EXPECT_EQ(TranslateKey(186, true), ':');
  EXPECT_EQ(TranslateKey(222, false), 34);  // the double quote key
  EXPECT_EQ(TranslateKey(222, true), 39);
  EXPECT_EQ(TranslateKey(192, true), '~');
  EXPECT_EQ(TranslateKey(220, true), '|');
  EXPECT_EQ(TranslateKey('1', false), '1');
  EXPECT_EQ(TranslateKey('1', true), '!');
  EXPECT_EQ(TranslateKey('0', true), ')');
  EXPECT_EQ(TranslateKey(189, true), '_');
  // Shift maps only 34..96: keypad keys (96..105) past that stay.
  EXPECT_EQ(TranslateKey(96, true), '~');
  EXPECT_EQ(TranslateKey(97, true), 97);
}

TEST(SampleInput, HeldPressedShiftAndTheTapBetweenSamples) {
  PlatformReleaseAllKeys();
  SampleInput();
  SampleInput();  // clear any latch left by other tests

  PlatformSetKey('W', true);
  SampleInput();
  EXPECT_TRUE(g_keys['w']);
  EXPECT_TRUE(KeyPressed('w'));
  SampleInput();
  EXPECT_TRUE(g_keys['w']);
  EXPECT_FALSE(KeyPressed('w'));

  // With Shift held the upper-case entry is set, not the movement key.
  PlatformSetKey(VK_SHIFT, true);
  SampleInput();
  EXPECT_FALSE(g_keys['w']);
  EXPECT_TRUE(g_keys['W']);
  EXPECT_TRUE(g_keys[10]);
  PlatformSetKey(VK_SHIFT, false);
  PlatformSetKey('W', false);
  SampleInput();
  EXPECT_FALSE(g_keys['w']);

  // A tap that starts and ends between two samples is seen for one frame.
  PlatformSetKey(' ', true);
  PlatformSetKey(' ', false);
  SampleInput();
  EXPECT_TRUE(g_keys[32]);
  SampleInput();
  EXPECT_FALSE(g_keys[32]);

  PlatformSetKey(VK_LBUTTON, true);
  SampleInput();
  EXPECT_TRUE(g_mouseLeft);
  EXPECT_FALSE(g_mouseLeftPrev);
  EXPECT_TRUE(g_keys[24]);
  PlatformSetKey(VK_LBUTTON, false);
  SampleInput();
  EXPECT_FALSE(g_mouseLeft);
  EXPECT_TRUE(g_mouseLeftPrev);
}

TEST(PlatformKeys, ScriptNamesMapToVirtualKeys) {
  EXPECT_EQ(PlatformKeyNameToVk("a"), 'A');
  EXPECT_EQ(PlatformKeyNameToVk("7"), '7');
  EXPECT_EQ(PlatformKeyNameToVk("f1"), 112);
  EXPECT_EQ(PlatformKeyNameToVk("f12"), 123);
  EXPECT_EQ(PlatformKeyNameToVk("f13"), 0);
  EXPECT_EQ(PlatformKeyNameToVk("ctrl"), VK_CONTROL);
  EXPECT_EQ(PlatformKeyNameToVk("delete"), 46);
  EXPECT_EQ(PlatformKeyNameToVk("A"), 0);
  EXPECT_EQ(PlatformKeyNameToVk(""), 0);
}
