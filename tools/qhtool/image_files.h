// Reading the program's images from plain paths for qhtool's image commands.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/jpeg.h"
#include "image/tga.h"

// True for data that starts like a JPEG (0xFF 0xD8), or a path ending in
// ".tga" (any case; TGA files carry no signature).
bool LooksLikeJpeg(const uint8_t* head, size_t headSize);
bool LooksLikeTga(const char* path);

// Decodes the JPEG file at `path` completely. False, with a one-line reason,
// when it can't be read, is refused, or its scan data ends early or is
// damaged.
bool LoadJpegFile(const char* path, JpegDecoder& decoder, char* reason, size_t reasonSize);

// Reads the TGA file at `path`. False, with the reader's log message as the
// reason, when it is refused.
bool LoadTgaFile(const char* path, TgaImage& image, char* reason, size_t reasonSize);

// A decoded picture, rows top first, 3 or 4 bytes per pixel.
struct DecodedPicture {
  int width = 0;
  int height = 0;
  int components = 0;
  std::vector<uint8_t> pixels;
};

// A JPEG or TGA file (by its content, or a ".tga" name) decoded by the
// program's own readers and turned top row first (TGA grey becomes RGB).
// False with a one-line reason when it is neither or is refused.
bool DecodePicture(const char* path, DecodedPicture& picture, char* reason, size_t reasonSize);
