#include "platform/dialog.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {
bool Interactive() {
  if (std::getenv("QH_NONINTERACTIVE")) return false;
  if (std::getenv("CI")) return false;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland)) return false;
  return isatty(STDIN_FILENO) != 0;
}
}  // namespace

void PlatformMessageBox(const char* text, const char* caption) {
  if (Interactive() && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0)
    return;
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
}

void PlatformFatalBox(const char* text, const char* caption) {
  PlatformMessageBox(text, caption);
  std::fflush(nullptr);
  std::exit(0);
}
