#include "shell/input.h"

#include <cstring>

#include "platform/input.h"
#include "shell/extras.h"
#include "shell/window.h"

namespace {
int KeyToCode(int vk) {
  switch (vk) {
    case 1:
      return 24;
    case 2:
      return 25;
    case 3:
      return 26;
    case 8:
      return 8;
    case 9:
      return 9;
    case 13:
      return 13;
    case 16:
    case 160:
    case 161:
      return 10;
    case 17:
    case 162:
    case 163:
      return 11;
    case 18:
    case 164:
    case 165:
      return 12;
    case 27:
      return 27;
    case 32:
      return 32;
    case 33:
      return 14;
    case 34:
      return 15;
    case 35:
      return 4;
    case 36:
      return 3;
    case 37:
      return 16;
    case 38:
      return 17;
    case 39:
      return 18;
    case 40:
      return 19;
    case 45:
      return 1;
    case 46:
      return 2;
    default:
      return vk;
  }
}

int PunctuationCode(int vk) {
  switch (vk) {
    case 186:
      return ';';
    case 187:
      return '=';
    case 188:
      return ',';
    case 189:
      return '-';
    case 190:
      return '.';
    case 191:
      return '/';
    case 192:
      return '`';
    case 219:
      return '[';
    case 220:
      return '\\';
    case 221:
      return ']';
    case 222:
      return '"';
    default:
      return vk;
  }
}

int ShiftCode(int code) {
  if (code < 34 || code > 96) return code;
  switch (code) {
    case 34:
      return 39;
    case 44:
      return '<';
    case 45:
      return '_';
    case 46:
      return '>';
    case 47:
      return '?';
    case 48:
      return ')';
    case 49:
      return '!';
    case 50:
      return '@';
    case 51:
      return '#';
    case 52:
      return '$';
    case 53:
      return '%';
    case 54:
      return '^';
    case 55:
      return '&';
    case 56:
      return '*';
    case 57:
      return '(';
    case 59:
      return ':';
    case 61:
      return '+';
    case 91:
      return '{';
    case 92:
      return '|';
    case 93:
      return '}';
    case 96:
      return '~';
    default:
      return code;
  }
}
}  // namespace

uint8_t TranslateKey(int vk, bool shiftHeld) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<uint8_t>(shiftHeld ? vk : vk + 32);
  int code = vk;
  if (vk >= 1 && vk <= 165) code = KeyToCode(vk);
  if (code == vk) code = PunctuationCode(vk);
  if (shiftHeld) code = ShiftCode(code);
  return static_cast<uint8_t>(code);
}

void SampleInput() {
  g_mouseLeftPrev = g_mouseLeft;
  g_mouseRightPrev = g_mouseRight;
  std::memcpy(g_keysPrev, g_keys, sizeof g_keys);
  std::memset(g_keys, 0, sizeof g_keys);
  g_wheel = 0;
  // The key state is read now, after the swap: whatever changed during the
  // update and the drawing is still waiting in the queue, and a wheel step
  // among it counts for the coming frame.
  PumpWindowMessages();
  // Shift as the poll of virtual key 16 sees it; evaluated once so that
  // polling Shift itself doesn't change how the later keys translate.
  const bool shift = PlatformKeyHeld(VK_SHIFT);
  bool left = false, right = false;
  for (int vk = 0; vk < 255; ++vk) {
    if (!PlatformPollKey(vk)) continue;
    if (vk == VK_LBUTTON) left = true;
    if (vk == VK_RBUTTON) right = true;
    const uint8_t code = MapKey(vk, shift);
    if (code < 255) g_keys[code] = 1;
  }
  g_mouseRight = right;
  g_mouseLeft = left;
}
