// Every control of the program in one table: the help card lists it, the
// key sampling rebinds through it, the gamepad and the program's own keys
// take their key codes from it, and a test holds it against every key read
// in the code. Also the key names the settings file and the card use, the
// play-mode key map the settings may change, and the mouse-look settings.
#pragma once
#include <cstdint>

// Where a control acts.
enum class ControlContext : uint8_t {
  kPlay,     // steering the controlled character (mouse look)
  kView,     // what is drawn, in any mode
  kEditor,   // free view: the strand editor
  kProgram,  // the window and the program itself
  kGamepad,  // a game controller, while playing
};

struct Control {
  // The settings name of a key the settings file may rebind ([keys]), else
  // null. Only movement keys are rebindable.
  const char* action;
  // The key code the program reads (g_keys), 0 for mouse and gamepad input.
  int code;
  // How the card names the control: "%k" stands for the name of the key
  // that gives `code` now; null means just that key.
  const char* keys;
  ControlContext context;
  const char* help;
  // A key held with it (Ctrl, Alt), 0 for none.
  int modifier = 0;
};

extern const Control kControls[];
extern const int kControlCount;

// The key codes of the program's own keys: none is read by the designed
// program (the function keys and the keypad alias letters there, so these
// sit on Tab, Home, End, Insert, Page Down and Alt+Enter).
enum ProgramKey : int {
  kKeyInsert = 1,
  kKeyHome = 3,
  kKeyEnd = 4,
  kKeyTab = 9,
  kKeyAlt = 12,
  kKeyEnter = 13,
  kKeyPageDown = 15,
};

// The entry of a rebindable action ("forward", "back", "left", "right",
// "jump"), null for another name.
const Control* FindAction(const char* action);

// Key names: "a".."z", "0".."9", punctuation as itself, and "space", "tab",
// "enter", "backspace", "escape", "insert", "delete", "home", "end",
// "pageup", "pagedown", "up", "down", "left", "right", "shift", "ctrl",
// "alt" (any case). KeyCodeOfName gives 0 for an unknown name.
int KeyCodeOfName(const char* name);
// The name of a key code for the settings file, "" when it has none.
const char* KeyNameOfCode(int code);
// The name as the card shows it: "W", "Space", "Page Down", ...
const char* KeyLabelOfCode(int code);

// The key map of play mode: a key whose sampled code is c reads as
// g_playKeyMap[c] while the controlled character takes input. Identity
// unless the settings rebind a movement key.
extern uint8_t g_playKeyMap[256];

// Rebinds every movement action to the code of its key in `keys` (one entry
// per action, in the order of FindAction's names; 0 keeps the default) and
// rebuilds g_playKeyMap: each rebound key gives the action's code, and the
// key the action had before takes over the code the new key gave, so no
// control is lost (two keys trade places). False when two actions would
// share a key; the map is then left unchanged.
constexpr int kRebindableCount = 5;
extern const char* const kRebindable[kRebindableCount];
bool RebindMovement(const int keys[kRebindableCount]);

// The key that gives `code` in play mode (the inverse of the map).
int PlayKeyOfCode(int code);

// Mouse look: degrees per pixel (0.2 as designed) and an inverted vertical
// axis. Gamepad look: degrees to add to this frame's mouse look.
extern float g_lookSensitivity;
extern bool g_lookInvertY;
extern float g_padLookX, g_padLookY;
