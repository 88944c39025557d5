#include "platform/input.h"

#include <SDL.h>

#include <cstring>

namespace {
bool g_held[256];
bool g_latched[256];

void Set(int vk, bool down) {
  if (vk <= 0 || vk > 255) return;
  if (down && !g_held[vk]) g_latched[vk] = true;
  g_held[vk] = down;
}

void UpdateGeneric(int generic, int left, int right) {
  Set(generic, g_held[left] || g_held[right]);
}
}  // namespace

bool PlatformPollKey(int vk) {
  if (vk <= 0 || vk > 255) return false;
  const bool result = g_held[vk] || g_latched[vk];
  g_latched[vk] = false;
  return result;
}

bool PlatformKeyHeld(int vk) {
  return vk > 0 && vk <= 255 && g_held[vk];
}

void PlatformSetKey(int vk, bool down) {
  switch (vk) {
    case VK_SHIFT:
      Set(VK_LSHIFT, down);
      break;
    case VK_CONTROL:
      Set(VK_LCONTROL, down);
      break;
    case VK_MENU:
      Set(VK_LMENU, down);
      break;
    default:
      Set(vk, down);
  }
  UpdateGeneric(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
  UpdateGeneric(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
  UpdateGeneric(VK_MENU, VK_LMENU, VK_RMENU);
}

void PlatformReleaseAllKeys() {
  std::memset(g_held, 0, sizeof g_held);
}

int PlatformScancodeToVk(int sc) {
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return 112 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return 97 + (sc - SDL_SCANCODE_KP_1);
  switch (sc) {
    case SDL_SCANCODE_0:
      return '0';
    case SDL_SCANCODE_KP_0:
      return 96;
    case SDL_SCANCODE_KP_MULTIPLY:
      return 106;
    case SDL_SCANCODE_KP_PLUS:
      return 107;
    case SDL_SCANCODE_KP_MINUS:
      return 109;
    case SDL_SCANCODE_KP_PERIOD:
      return 110;
    case SDL_SCANCODE_KP_DIVIDE:
      return 111;
    case SDL_SCANCODE_KP_ENTER:
      return 13;
    case SDL_SCANCODE_BACKSPACE:
      return 8;
    case SDL_SCANCODE_TAB:
      return 9;
    case SDL_SCANCODE_RETURN:
      return 13;
    case SDL_SCANCODE_PAUSE:
      return 19;
    case SDL_SCANCODE_CAPSLOCK:
      return 20;
    case SDL_SCANCODE_ESCAPE:
      return 27;
    case SDL_SCANCODE_SPACE:
      return 32;
    case SDL_SCANCODE_PAGEUP:
      return 33;
    case SDL_SCANCODE_PAGEDOWN:
      return 34;
    case SDL_SCANCODE_END:
      return 35;
    case SDL_SCANCODE_HOME:
      return 36;
    case SDL_SCANCODE_LEFT:
      return 37;
    case SDL_SCANCODE_UP:
      return 38;
    case SDL_SCANCODE_RIGHT:
      return 39;
    case SDL_SCANCODE_DOWN:
      return 40;
    case SDL_SCANCODE_PRINTSCREEN:
      return 44;
    case SDL_SCANCODE_INSERT:
      return 45;
    case SDL_SCANCODE_DELETE:
      return 46;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return 144;
    case SDL_SCANCODE_SCROLLLOCK:
      return 145;
    case SDL_SCANCODE_LSHIFT:
      return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT:
      return VK_RSHIFT;
    case SDL_SCANCODE_LCTRL:
      return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL:
      return VK_RCONTROL;
    case SDL_SCANCODE_LALT:
      return VK_LMENU;
    case SDL_SCANCODE_RALT:
      return VK_RMENU;
    case SDL_SCANCODE_SEMICOLON:
      return 186;
    case SDL_SCANCODE_EQUALS:
      return 187;
    case SDL_SCANCODE_COMMA:
      return 188;
    case SDL_SCANCODE_MINUS:
      return 189;
    case SDL_SCANCODE_PERIOD:
      return 190;
    case SDL_SCANCODE_SLASH:
      return 191;
    case SDL_SCANCODE_GRAVE:
      return 192;
    case SDL_SCANCODE_LEFTBRACKET:
      return 219;
    case SDL_SCANCODE_BACKSLASH:
      return 220;
    case SDL_SCANCODE_RIGHTBRACKET:
      return 221;
    case SDL_SCANCODE_APOSTROPHE:
      return 222;
    default:
      return 0;
  }
}

int PlatformKeyNameToVk(const char* name) {
  if (!name || !*name) return 0;
  if (!name[1]) {
    const char c = name[0];
    if (c >= 'a' && c <= 'z') return 'A' + (c - 'a');
    if (c >= '0' && c <= '9') return c;
  }
  if ((name[0] == 'f' || name[0] == 'F') && name[1] >= '1' && name[1] <= '9') {
    const int n = (name[2] >= '0' && name[2] <= '9' && !name[3])
                      ? (name[1] - '0') * 10 + name[2] - '0'
                  : !name[2] ? name[1] - '0'
                             : 0;
    if (n >= 1 && n <= 12) return 111 + n;
  }
  static const struct {
    const char* name;
    int vk;
  } kNames[] = {{"space", 32},    {"shift", VK_SHIFT}, {"ctrl", VK_CONTROL}, {"alt", VK_MENU},
                {"escape", 27},   {"delete", 46},      {"tab", 9},           {"enter", 13},
                {"up", 38},       {"down", 40},        {"left", 37},         {"right", 39},
                {"backspace", 8}, {"pageup", 33},      {"pagedown", 34},     {"end", 35},
                {"home", 36},     {"insert", 45}};
  for (const auto& k : kNames)
    if (!std::strcmp(name, k.name)) return k.vk;
  return 0;
}
