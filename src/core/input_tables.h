// The input tables every frame reads: held keys by key code, the previous
// frame's, the mouse buttons and the wheel step. "Pressed" means held now and
// not in the previous frame. The program's spine fills them once per frame
// (shell/input.h); everything else only reads them.
#pragma once
#include <cstdint>

extern uint8_t g_keys[255];
extern uint8_t g_keysPrev[255];
extern bool g_mouseLeft, g_mouseRight;
extern bool g_mouseLeftPrev, g_mouseRightPrev;
extern int32_t g_wheel;

// True when the key with this code is held now and was not held in the
// previous frame.
inline bool KeyPressed(int code) {
  return g_keys[code] && !g_keysPrev[code];
}
