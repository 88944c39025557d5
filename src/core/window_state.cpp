#include "core/window_state.h"

int32_t g_width, g_height;
bool g_active = true;
bool g_fullscreen = true;
bool g_vsync = false;
bool g_closeRequested = false;
