// Keyboard and mouse state by Windows virtual-key number (0..254), polled the
// way the program's input sampling expects: a key reads as down when it is
// held now or was pressed since the previous poll of that key, so a tap that
// starts and ends between two samples is still seen once.
//
// SDL events (or a script, in a reproducible run) feed this state; the shell
// translates the virtual keys into its own key codes.
#pragma once
#include <cstdint>

enum : int {
  VK_LBUTTON = 1,
  VK_RBUTTON = 2,
  VK_MBUTTON = 4,
  VK_SHIFT = 16,
  VK_CONTROL = 17,
  VK_MENU = 18,
  VK_LSHIFT = 160,
  VK_RSHIFT = 161,
  VK_LCONTROL = 162,
  VK_RCONTROL = 163,
  VK_LMENU = 164,
  VK_RMENU = 165,
};

// Held now or pressed since the last poll of `vk`; clears the pressed latch.
bool PlatformPollKey(int vk);

// Held now, without touching the latch.
bool PlatformKeyHeld(int vk);

// Feeds a key or button change (from SDL events or a script). Generic
// modifier keys (16..18) follow their left/right keys.
void PlatformSetKey(int vk, bool down);

// Releases everything (focus loss).
void PlatformReleaseAllKeys();

// The virtual-key number of an SDL scancode, 0 when it has none.
int PlatformScancodeToVk(int scancode);

// Script key names (a-z, 0-9, space, shift, ctrl, alt, escape, delete, tab,
// enter, f1-f12, up, down, left, right, backspace, pageup, pagedown, end,
// home, insert) to virtual keys; 0 when unknown.
int PlatformKeyNameToVk(const char* name);
