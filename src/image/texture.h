// GL textures made from decoded images, and the checkerboard fallback.
#pragma once
#include <cstdint>

#include "core/cstring.h"

// One entry of the manager's texture table.
struct Texture {
  uint32_t glId = 0;    // the GL texture name
  uint16_t width = 0;   // level 0
  uint16_t height = 0;  // level 0
  uint32_t wrap = 0;    // applied to S and T (callers pass GL_REPEAT)
  uint32_t filter = 0;  // index into the filter table; above 3 builds mipmaps
  uint8_t created = 0;  // 1 once the GL texture exists
  cstring texFile;      // the file the texture was made from
};

constexpr uint32_t kTextureFailed = 0xFFFFFFFFu;

// Fill `texture` from a TGA file (loose files only) or a JPEG (through the
// archive) and upload it, with the mipmap chain for mipmapped filters.
// Return the GL name, or kTextureFailed (after "Tga::file not found [%s]" /
// "Jpg::file not found [%s]") with no GL texture made. `flag` is unused.
uint32_t CreateTexTGA(Texture& texture, const char* file, uint32_t wrap, uint32_t filter,
                      uint32_t flag);
uint32_t CreateTexJPG(Texture& texture, const char* file, uint32_t wrap, uint32_t filter,
                      uint32_t flag);

// The 8 x 8 checkerboard under `name`; returns its GL name.
uint32_t CreateCheckerBoard(Texture& texture, const char* name);
