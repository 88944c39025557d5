// The window and its OpenGL context, window events and the cursor.
#pragma once

// Starts SDL's video and event subsystems. Returns false (after printing
// SDL's reason to stderr) when there is no display.
bool PlatformInitVideo();
void PlatformShutdown();

// Desktop size in pixels; 0 x 0 when unknown.
void PlatformDesktopSize(int* width, int* height);

// The display's vertical dots per inch, rounded; 0 when unknown.
int PlatformDisplayDpi();

// Creates the window titled `title` with an RGBA double-buffered GL context
// with a depth buffer and makes the context current. `fullscreen` covers the
// desktop without a display-mode change; otherwise the window is shown at
// the given size, maximised when `maximise` is set. Returns false on failure.
bool PlatformCreateWindow(const char* title, int width, int height, bool fullscreen, bool maximise);

// The drawable size of the window in pixels.
void PlatformWindowSize(int* width, int* height);

void PlatformSwapBuffers();

// Switches between full screen (on the desktop, no display-mode change) and
// a window; the size change arrives as a window event. False when refused.
bool PlatformSetFullscreen(bool fullscreen);

// Sets the swap interval (0 or 1). False when the driver doesn't support it.
bool PlatformSetSwapInterval(int interval);

// A GL entry point by name, null when missing.
void* PlatformGetProcAddress(const char* name);

// What happened since the last pump, for the window procedure.
struct WindowEvents {
  bool resized = false;
  int width = 0, height = 0;
  bool activeChanged = false;
  bool active = true;
  bool focusOnly = false;  // the change came from focus, not from minimising
  bool closeRequested = false;
  int wheel = 0;  // sign of the last vertical wheel step: +1 away from the user, -1, 0 none
};

// Drains every waiting event: key and button changes go to the key state
// (platform/input.h), mouse motion to the cursor, the rest into `out`.
void PlatformPumpEvents(WindowEvents* out);

// The cursor, in window pixels. In a scripted run the cursor is virtual: the
// real mouse is ignored and only script events and warps move it.
void PlatformShowCursor(bool show);
void PlatformGetCursorPos(int* x, int* y);
void PlatformSetCursorPos(int x, int y);
void PlatformUseVirtualCursor(bool on);
void PlatformMoveVirtualCursor(int dx, int dy);
