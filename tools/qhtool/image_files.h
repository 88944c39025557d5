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
