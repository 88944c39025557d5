#include "image/texture_data.h"

#include <cstddef>
#include <cstring>

const TexFilter kTexFilters[kTexFilterCount] = {
    {kGlNearest, kGlNearest},
    {kGlLinear, kGlNearest},
    {kGlNearest, kGlLinear},
    {kGlLinear, kGlLinear},
    {kGlNearest, kGlNearestMipmapNearest},
    {kGlNearest, kGlLinearMipmapNearest},
    {kGlNearest, kGlNearestMipmapLinear},
    {kGlLinear, kGlNearestMipmapNearest},
    {kGlLinear, kGlLinearMipmapNearest},
    {kGlLinear, kGlNearestMipmapLinear},
    {kGlLinear, kGlLinearMipmapLinear},
};

const TexFilter& TexFilterAt(uint32_t filter) {
  return kTexFilters[filter < kTexFilterCount ? filter : 0];
}

bool TexFilterUsesMipmaps(uint32_t filter) {
  return filter > 3 && filter < kTexFilterCount;
}

bool HalveImage(uint8_t* pixels, uint16_t& width, uint16_t& height, int components) {
  if (width <= 1 && height <= 1) return false;
  const size_t c = static_cast<size_t>(components);
  const size_t sourceRow = width * c;
  // Offsets to the second source column and row; along a side that has
  // reached 1 there is none, and the two pixels of the other side are averaged.
  const size_t nextColumn = width > 1 ? c : 0;
  const size_t nextRow = height > 1 ? sourceRow : 0;
  if (width > 1) width = static_cast<uint16_t>(width / 2);
  if (height > 1) height = static_cast<uint16_t>(height / 2);
  uint8_t* out = pixels;
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels + (nextRow ? 2 * y : y) * sourceRow;
    for (size_t x = 0; x < width; ++x) {
      const uint8_t* s = row + (nextColumn ? 2 * x : x) * c;
      for (size_t k = 0; k < c; ++k) {
        if (nextColumn && nextRow)
          *out++ = static_cast<uint8_t>(
              (s[k] + s[k + nextColumn] + s[k + nextRow] + s[k + nextColumn + nextRow]) >> 2);
        else
          *out++ = static_cast<uint8_t>((s[k] + s[k + nextColumn + nextRow]) >> 1);
      }
    }
  }
  return true;
}

void BuildCheckerBoard(uint8_t pixels[kCheckerSize * kCheckerSize * 3]) {
  for (int y = 0; y < kCheckerSize; ++y)
    for (int x = 0; x < kCheckerSize; ++x)
      for (int k = 0; k < 3; ++k)
        pixels[(y * kCheckerSize + x) * 3 + k] = ((x & 1) == (y & 1)) ? 255 : 0;
}

void FlipRows(uint8_t* pixels, size_t rowBytes, size_t height) {
  for (size_t top = 0, bottom = height ? height - 1 : 0; top < bottom; ++top, --bottom) {
    uint8_t* a = pixels + top * rowBytes;
    uint8_t* b = pixels + bottom * rowBytes;
    // Swapped through a buffer in chunks, with the library's block copies.
    uint8_t chunk[4096];
    for (size_t i = 0; i < rowBytes; i += sizeof chunk) {
      const size_t n = rowBytes - i < sizeof chunk ? rowBytes - i : sizeof chunk;
      std::memcpy(chunk, a + i, n);
      std::memcpy(a + i, b + i, n);
      std::memcpy(b + i, chunk, n);
    }
  }
}
