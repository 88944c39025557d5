#include "core/controls.h"

#include <strings.h>

#include <cstring>

namespace {
constexpr ControlContext kPlay = ControlContext::kPlay, kView = ControlContext::kView,
                         kEditor = ControlContext::kEditor, kProgram = ControlContext::kProgram,
                         kGamepad = ControlContext::kGamepad;
constexpr int kShiftCode = 10, kControlCode = 11, kDeleteCode = 2, kEscapeCode = 27,
              kBackspaceCode = 8;
}  // namespace

const Control kControls[] = {
    {nullptr, 0, "mouse", kPlay, "look around; the character turns that way"},
    {"forward", 'w', nullptr, kPlay, "walk forward (flying: fly on)"},
    {"back", 's', nullptr, kPlay, "walk back"},
    {"left", 'a', nullptr, kPlay, "step left (left button: roll)"},
    {"right", 'd', nullptr, kPlay, "step right (left button: roll)"},
    {nullptr, 0, "left button", kPlay, "held: run, fly fast"},
    {nullptr, 0, "right button", kPlay, "held: turn the view alone"},
    {"jump", ' ', nullptr, kPlay, "hold: jump; in the air (0, 1): fly / stop"},
    {nullptr, 'y', "%k (held)", kPlay, "the head stops following the view"},
    {nullptr, 'c', nullptr, kPlay, "hand control to the next character"},
    {nullptr, 'h', nullptr, kPlay, "free view and the strand editor, and back"},
    {nullptr, 0, "wheel", kPlay, "camera distance"},

    {nullptr, 'g', "%k (held)", kView, "sparkles gather, strands hang heavier"},
    {nullptr, 'G', "Shift+G (held)", kView, "strands hang heavier"},
    {nullptr, 'p', "%k (held)", kView, "sparkles stop and hide"},
    {nullptr, 'l', nullptr, kView, "freeze the cloud (held: lit characters)"},
    {nullptr, 'o', "%k (held)", kView, "hide outlines and the cloud"},
    {nullptr, 'n', "%k (held)", kView, "show the collision ellipsoids"},
    {nullptr, 'u', "%k (held)", kView, "wide eyes"},
    {nullptr, kShiftCode, "%k (held)", kView, "sleepy lids"},
    {nullptr, 'v', nullptr, kView, "swap interval on or off"},

    {nullptr, 'd', "%k + click", kEditor, "add a two-point strand on the body"},
    {nullptr, 'f', "%k + click", kEditor, "add a six-point strand"},
    {nullptr, 0, "drag", kEditor, "comb every strand"},
    {nullptr, 's', "%k + drag", kEditor, "comb the picked strand (white)"},
    {nullptr, 'm', "%k + drag", kEditor, "move the picked strand"},
    {nullptr, ' ', "%k + drag", kEditor, "extend the picked strand"},
    {nullptr, 'q', nullptr, kEditor, "cut it after the picked point"},
    {nullptr, kDeleteCode, nullptr, kEditor, "remove the picked strand"},
    {nullptr, 'o', "%k (held)", kEditor, "show the ends; a click paints"},
    {nullptr, '1', "1-7 with o", kEditor, "paint colour"},
    {nullptr, 'a', nullptr, kEditor, "tapering or even strips"},
    {nullptr, 's', "Ctrl+S", kEditor, "save the Line file", kControlCode},
    {nullptr, 'l', "Ctrl+L", kEditor, "reload it", kControlCode},
    {nullptr, 'n', "Ctrl+N", kEditor, "start an empty set", kControlCode},
    {nullptr, 'z', "Ctrl+Z", kEditor, "undo the last edit", kControlCode},
    {nullptr, 'y', "Ctrl+Y", kEditor, "redo it", kControlCode},
    {nullptr, 0, "wheel", kEditor, "zoom in to reach the body"},

    {nullptr, kKeyTab, nullptr, kProgram, "this card"},
    {nullptr, kKeyHome, nullptr, kProgram, "frame rate and frame time"},
    {nullptr, kKeyEnd, nullptr, kProgram, "full screen or window"},
    {nullptr, kKeyEnter, "Alt+Enter", kProgram, "full screen or window", kKeyAlt},
    {nullptr, kKeyInsert, nullptr, kProgram, "screenshot"},
    {nullptr, kKeyPageDown, nullptr, kProgram, "write the settings file"},
    {nullptr, kBackspaceCode, nullptr, kProgram, "load the strand edits a previous run kept"},
    {nullptr, kEscapeCode, nullptr, kProgram, "quit"},

    {nullptr, 0, "left stick", kGamepad, "walk; pushed all the way, run"},
    {nullptr, 0, "right stick", kGamepad, "look around"},
    {nullptr, 0, "A", kGamepad, "jump, fly (Space)"},
    {nullptr, 0, "B", kGamepad, "next character (c)"},
    {nullptr, 0, "Y", kGamepad, "free view (h)"},
    {nullptr, 0, "shoulders", kGamepad, "camera nearer, farther"},
};
const int kControlCount = sizeof kControls / sizeof kControls[0];

const char* const kRebindable[kRebindableCount] = {"forward", "back", "left", "right", "jump"};

const Control* FindAction(const char* action) {
  for (const Control& c : kControls)
    if (c.action && action && !std::strcmp(c.action, action)) return &c;
  return nullptr;
}

namespace {
struct NamedKey {
  int code;
  const char* name;
  const char* label;
};
constexpr NamedKey kNamedKeys[] = {
    {kKeyInsert, "insert", "Insert"},
    {kDeleteCode, "delete", "Delete"},
    {kKeyHome, "home", "Home"},
    {kKeyEnd, "end", "End"},
    {8, "backspace", "Backspace"},
    {kKeyTab, "tab", "Tab"},
    {kShiftCode, "shift", "Shift"},
    {kControlCode, "ctrl", "Ctrl"},
    {kKeyAlt, "alt", "Alt"},
    {kKeyEnter, "enter", "Enter"},
    {14, "pageup", "Page Up"},
    {kKeyPageDown, "pagedown", "Page Down"},
    {16, "left", "Left"},
    {17, "up", "Up"},
    {18, "right", "Right"},
    {19, "down", "Down"},
    {kEscapeCode, "escape", "Escape"},
    {' ', "space", "Space"},
};

// One-character names: a key whose code is a printable character is named
// by it.
const char* CharacterName(int code) {
  static char names[128][2];
  if (code <= ' ' || code >= 127) return "";
  names[code][0] = static_cast<char>(code);
  return names[code];
}
}  // namespace

int KeyCodeOfName(const char* name) {
  if (!name || !*name) return 0;
  for (const NamedKey& k : kNamedKeys)
    if (!strcasecmp(name, k.name)) return k.code;
  if (name[1]) return 0;
  const int c = static_cast<unsigned char>(name[0]);
  if (c >= 'A' && c <= 'Z') return c + 32;  // keys are named by their unshifted code
  return c > ' ' && c < 127 ? c : 0;
}

const char* KeyNameOfCode(int code) {
  for (const NamedKey& k : kNamedKeys)
    if (k.code == code) return k.name;
  return CharacterName(code);
}

const char* KeyLabelOfCode(int code) {
  for (const NamedKey& k : kNamedKeys)
    if (k.code == code) return k.label;
  return CharacterName(code);
}

uint8_t g_playKeyMap[256];

namespace {
void ResetKeyMap() {
  for (int c = 0; c < 256; ++c) g_playKeyMap[c] = static_cast<uint8_t>(c);
}
const bool g_keyMapReady = (ResetKeyMap(), true);
}  // namespace

bool RebindMovement(const int keys[kRebindableCount]) {
  int from[kRebindableCount], to[kRebindableCount];
  for (int i = 0; i < kRebindableCount; ++i) {
    from[i] = FindAction(kRebindable[i])->code;
    to[i] = keys[i] > 0 && keys[i] < 255 ? keys[i] : from[i];
    for (int j = 0; j < i; ++j)
      if (to[j] == to[i]) return false;
  }
  auto among = [](int code, const int* list) {
    for (int i = 0; i < kRebindableCount; ++i)
      if (list[i] == code) return true;
    return false;
  };
  ResetKeyMap();
  for (int i = 0; i < kRebindableCount; ++i) g_playKeyMap[to[i]] = static_cast<uint8_t>(from[i]);
  // The keys left without an action take the codes the rebound keys gave.
  int next = 0;
  for (int i = 0; i < kRebindableCount; ++i) {
    if (among(from[i], to)) continue;
    while (among(to[next], from)) ++next;
    g_playKeyMap[from[i]] = static_cast<uint8_t>(to[next++]);
  }
  return true;
}

int PlayKeyOfCode(int code) {
  for (int k = 0; k < 256; ++k)
    if (g_playKeyMap[k] == code) return k;
  return code;
}

float g_lookSensitivity = 0.2f;
bool g_lookInvertY = false;
float g_padLookX = 0, g_padLookY = 0;
