#include "platform/paths.h"

#include <SDL.h>

std::string PlatformExecutableFolder() {
  char* base = SDL_GetBasePath();
  if (!base) return "";
  std::string folder = base;
  SDL_free(base);
  return folder;
}
