// PNG output for screenshots and decoded images (through libpng).
#pragma once
#include <cstdint>
#include <vector>

// Encodes an 8-bit RGB (components 3) or RGBA (components 4) picture, rows
// top first, `stride` bytes apart (negative to walk a bottom-up buffer from
// its last row), into `out` (replaced). Returns false when libpng fails or
// the arguments describe no picture.
bool EncodePng(int width, int height, int components, const uint8_t* pixels, int stride,
               std::vector<uint8_t>* out);

// The same written to a file; false when the file can't be written.
bool WritePng(const char* path, int width, int height, int components, const uint8_t* pixels,
              int stride);
