// PNG output for screenshots and decoded images (through libpng).
#pragma once
#include <cstdint>

// Writes an 8-bit RGB (components 3) or RGBA (components 4) picture, rows top
// first, `stride` bytes apart (negative to walk a bottom-up buffer from its
// last row). Returns false when the file can't be written.
bool WritePng(const char* path, int width, int height, int components, const uint8_t* pixels,
              int stride);
