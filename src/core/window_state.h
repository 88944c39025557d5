// The window globals every subsystem may read: the drawable size in pixels,
// whether the window is active, full screen, the swap interval, and a close
// request. The program's spine (shell/window.h) owns the window and keeps
// them current.
#pragma once
#include <cstdint>

extern int32_t g_width, g_height;
extern bool g_active;
extern bool g_fullscreen;
extern bool g_vsync;
extern bool g_closeRequested;
