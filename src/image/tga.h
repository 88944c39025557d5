// Reader of the uncompressed Truevision TGA images the textures use.
//
// Accepted layout (little-endian), of the 18-byte header only these fields
// are looked at:
//   offset  0  u8   ID length         any: that many bytes of image ID follow
//                                     the header and are skipped
//   offset  1  u8   colour-map type   0
//   offset  2  u8   image type        2 (true-colour) or 3 (grey)
//   offset 12  u16  width             a power of two, 2 ... 2048
//   offset 14  u16  height            a power of two, 2 ... 2048
//   offset 16  u8   bits per pixel    32, 24 or 8
//   offset 17  u8   descriptor        bit 4: rows stored right to left;
//                                     bit 5: top row stored first
// The pixels follow the image ID. Run-length encoded and colour-mapped images
// are refused.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

// OpenGL pixel formats of the decoded data.
constexpr uint32_t kTgaFormatAlpha = 6406;  // GL_ALPHA, 1 byte per pixel
constexpr uint32_t kTgaFormatRgb = 6407;    // GL_RGB, 3 bytes per pixel
constexpr uint32_t kTgaFormatRgba = 6408;   // GL_RGBA, 4 bytes per pixel

struct TgaImage {
  uint32_t format = 0;  // one of the kTgaFormat values above
  uint32_t width = 0;
  uint32_t height = 0;
  // width * height pixels of 4, 3 or 1 bytes (red first), bottom row first and
  // each row left to right, as OpenGL takes them, whatever the file's order.
  std::unique_ptr<uint8_t[]> pixels;
};

// Fills `image` from the loose file `name` ('\\' is read as '/'; the archive
// is not consulted). Returns true on success. On failure one error line is
// logged ("TGA_FILE_NOT_FOUND '%s'", "TGA_BAD_IMAGE_TYPE '%s'",
// "TGA_BAD_DIMENSION '%s'", "TGA_BAD_BITS '%s'" or "TGA_BAD_DATA '%s'"),
// `pixels` is left empty and false is returned; `width` and `height` may
// already be set.
bool LoadTGA(TgaImage& image, const char* name);

// The same from a whole file held in memory (`size` bytes at `data`); `name`
// only appears in the log lines.
bool DecodeTGA(TgaImage& image, const uint8_t* data, size_t size, const char* name);
