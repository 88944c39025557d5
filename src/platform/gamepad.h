// Game controllers through SDL's game-controller layer: SDL's own mapping
// database, more mappings from a file, hot-plug, and a virtual controller
// that scripted runs and tests drive.
#pragma once

struct PadState {
  bool connected = false;
  // Sticks from -1 to 1, right and down positive.
  float leftX = 0, leftY = 0, rightX = 0, rightY = 0;
  bool a = false, b = false, y = false, leftShoulder = false, rightShoulder = false;
};

// Starts the game-controller subsystem and adds the mappings of
// `mappingFile` (SDL's gamecontrollerdb.txt format) when it exists; returns
// how many it added. With `background` the controller is read while
// another window has the focus.
int PlatformInitGamepads(const char* mappingFile, bool background);

// Follows hot-plug (opens the first controller when none is open, lets go
// of one that was unplugged) and reads the open one. Returns +1 when a
// controller was opened, -1 when the open one went, else 0; *name is the
// controller's name then.
int PlatformReadGamepad(PadState* state, const char** name);

// The virtual controller: attaches or detaches it; false when SDL refuses.
bool PlatformVirtualPad(bool attach);

// Moves one of its controls by SDL's name ("a", "b", "leftshoulder", ...
// 0 or 1; "leftx", "righty", "lefttrigger", ... -32768..32767). False when
// there is no virtual controller.
bool PlatformVirtualPadSet(const char* control, int value);

// Whether SDL names a button or axis so.
bool PlatformPadControlKnown(const char* control);
