// What the program offers beyond the design, all of it off or out of the
// way unless asked for: the settings file, the key map and key aliases,
// the program's own keys (help card, frame rate, full screen, screenshot,
// writing the settings), the gamepad, the data folder and the volumes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shell/settings.h"

// The settings in force: the file's over the defaults, then what the
// program's own keys changed (full screen, swap interval, frame rate).
extern Settings g_settings;

// --write-settings: writes the settings file (the existing file's values
// over the defaults) and says where on stdout, or why not on stderr.
// Returns the exit code. Needs no log and no window.
int WriteSettingsOption();

// Reads the settings file, logs it and every bad line (also shown on
// screen), and puts the settings in force. The command line wins: a
// --windowed or --size run ignores the file's window keys.
void UseSettings(bool windowedOption, bool sizeOption);

// Finds brookfield.core: `option` (--data), the executable's folder, the
// working directory; the music is looked for in the same folder.
void UseDataFolder(const std::string& option);
const char* DataFolder();

// The key code the sampling stores for virtual key `vk`: the design's
// translation, with the aliases the settings may turn off, through the
// play-mode key map while the controlled character takes input.
uint8_t MapKey(int vk, bool shiftHeld);

// After start-up: volumes and gamepads. `background`: read the gamepad
// without the focus (scripted runs).
void StartExtras(bool background);

// Once a frame before the update: the program's own keys.
void HandleProgramKeys();

// After the frame is drawn, before the swap: a screenshot asked for.
void AfterRenderExtras();

// After the input sampling: the gamepad's part of the input tables.
void SampleGamepad();

// Reads the back buffer (rows bottom first, RGB) and writes it as a PNG.
bool CaptureBackBuffer(std::vector<uint8_t>* rgb, int* width, int* height);
bool WriteCapture(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
