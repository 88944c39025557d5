// The input tables every frame reads: held keys by key code, the previous
// frame's, the mouse buttons and the wheel step. "Pressed" means held now and
// not in the previous frame.
#pragma once
#include <cstdint>

extern uint8_t g_keys[255];
extern uint8_t g_keysPrev[255];
extern bool g_mouseLeft, g_mouseRight;
extern bool g_mouseLeftPrev, g_mouseRightPrev;
extern int32_t g_wheel;

// Key code of a Windows virtual key: letters give lower case, or upper case
// with Shift; the named keys go through the key table (Insert 1, Delete 2,
// Shift 10, Control 11, Alt 12, arrows 16..19, mouse buttons 24, 25, ...);
// punctuation keys give their character; then Shift maps 34..96 to the
// shifted character. Everything else keeps its virtual-key value, so the
// keypad 1 (97) reads as "a" and F1 (112) as "p".
uint8_t TranslateKey(int vk, bool shiftHeld);

// End-of-frame sampling: moves this frame's tables to the previous ones,
// clears the wheel step and polls every virtual key 0..254.
void SampleInput();

// True when the key with this code is held now and was not held in the
// previous frame.
inline bool KeyPressed(int code) {
  return g_keys[code] && !g_keysPrev[code];
}
