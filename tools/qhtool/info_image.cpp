// `qhtool info` for the images: JPEG and TGA.
#include <cstdio>
#include <memory>

#include "commands.h"
#include "image_files.h"

namespace {
bool SniffJpeg(const char*, const uint8_t* head, size_t headSize) {
  return LooksLikeJpeg(head, headSize);
}

bool PrintJpeg(const char* path, char* reason, size_t reasonSize) {
  auto decoder = std::make_unique<JpegDecoder>();
  if (!LoadJpegFile(path, *decoder, reason, reasonSize)) return false;
  std::printf("JPEG width=%d height=%d components=%d sampling=%ux%u\n", decoder->width,
              decoder->height, decoder->compCount, decoder->comps[0].h, decoder->comps[0].v);
  return true;
}

bool SniffTga(const char* path, const uint8_t*, size_t) {
  return LooksLikeTga(path);
}

bool PrintTga(const char* path, char* reason, size_t reasonSize) {
  TgaImage image;
  if (!LoadTgaFile(path, image, reason, reasonSize)) return false;
  const int bits = image.format == kTgaFormatRgba ? 32 : image.format == kTgaFormatRgb ? 24 : 8;
  std::printf("TGA width=%u height=%u bits=%d\n", image.width, image.height, bits);
  return true;
}

InfoRegistration g_jpeg({"JPEG", SniffJpeg, PrintJpeg});
InfoRegistration g_tga({"TGA", SniffTga, PrintTga});
}  // namespace
