#include "image/tga.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "core/log.h"
#include "image/texture_data.h"
#include "storage/core.h"

namespace {
constexpr size_t kHeaderSize = 18;

bool IsSidePowerOfTwo(uint32_t side) {
  return side >= 2 && side <= 2048 && (side & (side - 1)) == 0;
}

// Checks the header (zero-filled where the file was shorter) and sets the
// size and format of `image`. Returns the bytes per pixel, or 0 after logging
// the reason.
uint32_t CheckHeader(const uint8_t* header, TgaImage& image, const char* name) {
  if (header[1] != 0 || (header[2] != 2 && header[2] != 3)) {
    Log(LOG_ERROR, "TGA_BAD_IMAGE_TYPE '%s'", name);
    return 0;
  }
  image.width = header[12] | (header[13] << 8);
  image.height = header[14] | (header[15] << 8);
  if (!IsSidePowerOfTwo(image.width) || !IsSidePowerOfTwo(image.height)) {
    Log(LOG_ERROR, "TGA_BAD_DIMENSION '%s'", name);
    return 0;
  }
  switch (header[16]) {
    case 32:
      image.format = kTgaFormatRgba;
      return 4;
    case 24:
      image.format = kTgaFormatRgb;
      return 3;
    case 8:
      image.format = kTgaFormatAlpha;
      return 1;
    default:
      Log(LOG_ERROR, "TGA_BAD_BITS '%s'", name);
      return 0;
  }
}

// Turns blue-green-red(-alpha) into red-green-blue(-alpha); grey stays.
void SwapRedBlue(uint8_t* pixels, size_t count, uint32_t bytesPerPixel) {
  if (bytesPerPixel < 3) return;
  for (size_t i = 0; i < count; ++i) {
    uint8_t* p = pixels + i * bytesPerPixel;
    const uint8_t blue = p[0];
    p[0] = p[2];
    p[2] = blue;
  }
}

// Where the pixels start: after the header and the image ID.
size_t PixelOffset(const uint8_t* header) {
  return kHeaderSize + header[0];
}

// Makes the rows of a decoded block bottom first and left to right, as the
// descriptor's origin bits say the file stored them otherwise.
void Orient(uint8_t* pixels, const TgaImage& image, uint32_t bytesPerPixel, uint8_t descriptor) {
  const size_t rowBytes = static_cast<size_t>(image.width) * bytesPerPixel;
  if (descriptor & 0x10) {
    for (size_t y = 0; y < image.height; ++y) {
      uint8_t* row = pixels + y * rowBytes;
      for (size_t l = 0, r = image.width - 1; l < r; ++l, --r)
        for (uint32_t c = 0; c < bytesPerPixel; ++c) {
          const uint8_t t = row[l * bytesPerPixel + c];
          row[l * bytesPerPixel + c] = row[r * bytesPerPixel + c];
          row[r * bytesPerPixel + c] = t;
        }
    }
  }
  if (descriptor & 0x20) FlipRows(pixels, rowBytes, image.height);
}

// Allocates the pixel block of a checked header, or logs and returns null.
uint8_t* AllocatePixels(TgaImage& image, size_t bytes, const char* name) {
  image.pixels.reset(new (std::nothrow) uint8_t[bytes]);
  if (!image.pixels) Log(LOG_ERROR, "TGA_BAD_DATA '%s'", name);
  return image.pixels.get();
}

bool RejectShortData(TgaImage& image, const char* name) {
  image.pixels.reset();
  Log(LOG_ERROR, "TGA_BAD_DATA '%s'", name);
  return false;
}
}  // namespace

bool LoadTGA(TgaImage& image, const char* name) {
  image.pixels.reset();
  char path[4096];
  CoreLoosePath(name, path, sizeof path);
  // Read-only: a write-protected texture is still a texture.
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    Log(LOG_ERROR, "TGA_FILE_NOT_FOUND '%s'", name);
    return false;
  }
  uint8_t header[kHeaderSize] = {};
  const size_t got = std::fread(header, 1, kHeaderSize, f);
  const uint32_t bytesPerPixel = CheckHeader(header, image, name);
  if (!bytesPerPixel) {
    std::fclose(f);
    return false;
  }
  const size_t count = static_cast<size_t>(image.width) * image.height;
  const size_t bytes = count * bytesPerPixel;
  uint8_t* pixels = AllocatePixels(image, bytes, name);
  const bool complete = pixels && got == kHeaderSize &&
                        std::fseek(f, static_cast<long>(PixelOffset(header)), SEEK_SET) == 0 &&
                        std::fread(pixels, 1, bytes, f) == bytes;
  std::fclose(f);
  if (!pixels) return false;
  if (!complete) return RejectShortData(image, name);
  SwapRedBlue(pixels, count, bytesPerPixel);
  Orient(pixels, image, bytesPerPixel, header[17]);
  return true;
}

bool DecodeTGA(TgaImage& image, const uint8_t* data, size_t size, const char* name) {
  image.pixels.reset();
  uint8_t header[kHeaderSize] = {};
  if (size) std::memcpy(header, data, size < kHeaderSize ? size : kHeaderSize);
  const uint32_t bytesPerPixel = CheckHeader(header, image, name);
  if (!bytesPerPixel) return false;
  const size_t count = static_cast<size_t>(image.width) * image.height;
  const size_t bytes = count * bytesPerPixel;
  const size_t offset = PixelOffset(header);
  if (size < offset || size - offset < bytes) return RejectShortData(image, name);
  uint8_t* pixels = AllocatePixels(image, bytes, name);
  if (!pixels) return false;
  std::memcpy(pixels, data + offset, bytes);
  SwapRedBlue(pixels, count, bytesPerPixel);
  Orient(pixels, image, bytesPerPixel, header[17]);
  return true;
}
