// The settings file, settings.ini: read at start when it exists, written
// only when the user asks. Without it the program runs as designed.
#pragma once
#include <string>
#include <vector>

#include "core/controls.h"

struct Settings {
  // [window]
  int width = 0, height = 0;  // a window of this size when not full screen; 0: the desktop's
  bool fullscreen = true;
  bool swapInterval = false;  // synchronised swap at start ("v" still toggles)
  // [mouse]
  float sensitivity = 0.2f;  // degrees per pixel
  bool invertY = false;
  // [audio]
  int musicVolume = 100, soundVolume = 100;  // percent
  // [overlay]
  bool messages = true, badge = true, fps = false;
  // [keys]: movement key codes in the order of kRebindable, 0 for the design's
  int movement[kRebindableCount] = {};
  bool shiftCase = true;    // Shift turns letters into upper-case codes
  bool fkeyAliases = true;  // F1..F12 and the keypad read as the letters they alias
  // [gamepad]
  bool gamepad = true;
  float deadZone = 0.25f;    // stick deflection below this is ignored
  float runAt = 0.9f;        // left-stick deflection from which the character runs
  float lookSpeed = 150.0f;  // degrees per second at full right-stick deflection
};

// $XDG_CONFIG_HOME/quietharbour/settings.ini, else
// ~/.config/quietharbour/settings.ini; empty when neither can be named.
std::string SettingsPath();
// The same folder's gamecontrollerdb.txt, extra gamepad mappings.
std::string GamepadMappingsPath();

// Reads `path` over *settings. False when there is no such file (nothing
// changes). Every bad line adds "PATH:LINE: reason" to *problems and is
// skipped; the other lines still apply.
bool ReadSettings(const std::string& path, Settings* settings, std::vector<std::string>* problems);

// The file's text: every key with a comment, in its section.
std::string SettingsText(const Settings& settings);

// Writes the file, creating its folders. False with the reason in *error.
bool WriteSettings(const std::string& path, const Settings& settings, std::string* error);
