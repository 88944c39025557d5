// The window and its GL context; keeps the window globals current.
#pragma once
#include <cstdint>

#include "core/window_state.h"

// How the run harness overrides the window (defaults: the desktop size,
// full-screen).
struct WindowOptions {
  bool windowed = false;
  int width = 0, height = 0;  // 0: the desktop's
  // Harness runs stay active when another window takes the focus (several
  // headless runs may share one display); minimising still deactivates.
  bool keepActiveWithoutFocus = false;
};
extern WindowOptions g_windowOptions;

// Logs the machine, creates the window and context, sets the swap interval,
// logs the GL strings, then runs `afterContext` (entry points, manager,
// font) when given. Returns false, as designed, and the caller ignores it;
// a window that can't be created at all ends the run with an error line.
bool CreateGLWindow(const char* title, int width, int height, bool fullscreen,
                    void (*afterContext)() = nullptr);

// Takes every waiting window message: size, activation, close, wheel (and
// the key and button changes, for the next sampling). The camera's viewport
// and projection follow the window size; a resize re-centres the cursor.
void PumpWindowMessages();

// Puts the cursor (the real one, or the scripted run's virtual one) at the
// window centre, where mouse look measures from.
void CentreCursor();

// Key "v": flips the swap interval when the driver supports it.
void ToggleVsync();
