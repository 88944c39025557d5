#include "platform/window.h"

#include <SDL.h>

#include <cstdio>

#include "platform/input.h"

namespace {
SDL_Window* g_window = nullptr;
SDL_GLContext g_context = nullptr;
bool g_virtualCursor = false;
int g_cursorX = 0, g_cursorY = 0;
}  // namespace

bool PlatformInitVideo() {
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");  // the program refuses the screen saver
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
    return false;
  }
  SDL_DisableScreenSaver();
  return true;
}

void PlatformShutdown() {
  if (g_context) SDL_GL_DeleteContext(g_context);
  if (g_window) SDL_DestroyWindow(g_window);
  g_context = nullptr;
  g_window = nullptr;
  SDL_Quit();
}

void PlatformDesktopSize(int* width, int* height) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    *width = mode.w;
    *height = mode.h;
  } else {
    *width = *height = 0;
  }
}

int PlatformDisplayDpi() {
  float diagonal = 0, horizontal = 0, vertical = 0;
  if (SDL_GetDisplayDPI(0, &diagonal, &horizontal, &vertical) != 0 || !(vertical > 0)) return 0;
  return static_cast<int>(vertical + 0.5f);
}

bool PlatformCreateWindow(const char* title, int width, int height, bool fullscreen,
                          bool maximise) {
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
  if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (!fullscreen && maximise) flags |= SDL_WINDOW_MAXIMIZED | SDL_WINDOW_RESIZABLE;
  g_window = SDL_CreateWindow(title, 0, 0, width, height, flags);
  if (!g_window) {
    std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
    return false;
  }
  g_context = SDL_GL_CreateContext(g_window);
  if (!g_context) {
    std::fprintf(stderr, "SDL GL context: %s\n", SDL_GetError());
    return false;
  }
  SDL_GL_MakeCurrent(g_window, g_context);
  return true;
}

void PlatformWindowSize(int* width, int* height) {
  if (g_window) SDL_GL_GetDrawableSize(g_window, width, height);
}

void PlatformSwapBuffers() {
  if (g_window) SDL_GL_SwapWindow(g_window);
}

bool PlatformSetFullscreen(bool fullscreen) {
  return g_window &&
         SDL_SetWindowFullscreen(g_window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

bool PlatformSetSwapInterval(int interval) {
  return SDL_GL_SetSwapInterval(interval) == 0;
}

void* PlatformGetProcAddress(const char* name) {
  return SDL_GL_GetProcAddress(name);
}

void PlatformPumpEvents(WindowEvents* out) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:
        out->closeRequested = true;
        break;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            out->resized = true;
            // Window size in pixels: the window asks for no high-DPI drawable.
            out->width = e.window.data1;
            out->height = e.window.data2;
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_SHOWN:
            out->activeChanged = true;
            out->active = !(SDL_GetWindowFlags(g_window) & SDL_WINDOW_MINIMIZED);
            out->focusOnly = false;
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            out->activeChanged = true;
            out->active = false;
            out->focusOnly = true;
            if (!g_virtualCursor) PlatformReleaseAllKeys();
            break;
          case SDL_WINDOWEVENT_MINIMIZED:
          case SDL_WINDOWEVENT_HIDDEN:
            out->activeChanged = true;
            out->active = false;
            out->focusOnly = false;
            if (!g_virtualCursor) PlatformReleaseAllKeys();
            break;
          case SDL_WINDOWEVENT_CLOSE:
            out->closeRequested = true;
            break;
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (!g_virtualCursor && !e.key.repeat)
          PlatformSetKey(PlatformScancodeToVk(e.key.keysym.scancode), e.type == SDL_KEYDOWN);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        if (g_virtualCursor) break;
        const int vk = e.button.button == SDL_BUTTON_LEFT     ? VK_LBUTTON
                       : e.button.button == SDL_BUTTON_RIGHT  ? VK_RBUTTON
                       : e.button.button == SDL_BUTTON_MIDDLE ? VK_MBUTTON
                                                              : 0;
        PlatformSetKey(vk, e.type == SDL_MOUSEBUTTONDOWN);
        break;
      }
      case SDL_MOUSEWHEEL: {
        // Only a vertical step zooms: a sideways scroll (tilt wheel, touchpad)
        // has no vertical delta and is no step at all. Away from the user is +1.
        const int y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        if (!g_virtualCursor && y != 0) out->wheel = y > 0 ? 1 : -1;
        break;
      }
    }
  }
}

void PlatformShowCursor(bool show) {
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void PlatformGetCursorPos(int* x, int* y) {
  // Until the pointer is over the window SDL's position is stale ((0, 0)
  // before the first motion, even after a warp): the last one set stands.
  if (!g_virtualCursor && SDL_GetMouseFocus() == g_window)
    SDL_GetMouseState(&g_cursorX, &g_cursorY);
  *x = g_cursorX;
  *y = g_cursorY;
}

void PlatformSetCursorPos(int x, int y) {
  g_cursorX = x;
  g_cursorY = y;
  if (!g_virtualCursor && g_window) SDL_WarpMouseInWindow(g_window, x, y);
}

void PlatformUseVirtualCursor(bool on) {
  g_virtualCursor = on;
}

void PlatformMoveVirtualCursor(int dx, int dy) {
  g_cursorX += dx;
  g_cursorY += dy;
}
