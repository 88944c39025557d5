#include "image_files.h"

#include <strings.h>
#include <cstdio>
#include <cstring>
#include <memory>

#include "commands.h"
#include "core/log.h"
#include "storage/archive_writer.h"

namespace {
// Copies `rows` rows stored bottom first (as they go to OpenGL) top first,
// widening 1-byte grey (alpha) pixels to RGB.
void FromBottomUp(const uint8_t* source, int sourceComponents, DecodedPicture& out) {
  out.components = sourceComponents == 1 ? 3 : sourceComponents;
  out.pixels.resize(static_cast<size_t>(out.width) * out.height * out.components);
  uint8_t* o = out.pixels.data();
  for (int y = out.height - 1; y >= 0; --y) {
    const uint8_t* row = source + static_cast<size_t>(y) * out.width * sourceComponents;
    for (int x = 0; x < out.width; ++x)
      for (int c = 0; c < out.components; ++c)
        *o++ = row[x * sourceComponents + (sourceComponents == 1 ? 0 : c)];
  }
}
}  // namespace

bool LooksLikeJpeg(const uint8_t* head, size_t headSize) {
  return headSize >= 2 && head[0] == 0xFF && head[1] == 0xD8;
}

bool LooksLikeTga(const char* path) {
  const size_t length = std::strlen(path);
  return length >= 4 && strcasecmp(path + length - 4, ".tga") == 0;
}

bool LoadJpegFile(const char* path, JpegDecoder& decoder, char* reason, size_t reasonSize) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes)) {
    std::snprintf(reason, reasonSize, "can't read the file");
    return false;
  }
  if (!DecodeJpeg(decoder, bytes.data(), bytes.size())) {
    std::snprintf(reason, reasonSize, "%s", decoder.error);
    return false;
  }
  if (decoder.incomplete) {
    std::snprintf(reason, reasonSize, "%s", kJpegIncomplete);
    return false;
  }
  return true;
}

bool LoadTgaFile(const char* path, TgaImage& image, char* reason, size_t reasonSize) {
  ReasonCapture keep(LOG_ERROR, reason, reasonSize);
  return LoadTGA(image, path);
}

bool DecodePicture(const char* path, DecodedPicture& picture, char* reason, size_t reasonSize) {
  uint8_t head[2] = {};
  if (FILE* f = std::fopen(path, "rb")) {
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (LooksLikeJpeg(head, got)) {
      auto decoder = std::make_unique<JpegDecoder>();
      if (!LoadJpegFile(path, *decoder, reason, reasonSize)) return false;
      picture.width = decoder->width;
      picture.height = decoder->height;
      // Alpha is always opaque: keep RGB.
      std::vector<uint8_t> rgb(static_cast<size_t>(picture.width) * picture.height * 3);
      for (size_t i = 0; i < rgb.size() / 3; ++i)
        std::memcpy(&rgb[i * 3], &decoder->pixels[i * 4], 3);
      FromBottomUp(rgb.data(), 3, picture);
      return true;
    }
  }
  if (!LooksLikeTga(path)) {
    std::snprintf(reason, reasonSize, "neither a JPEG nor a .tga file");
    return false;
  }
  TgaImage image;
  if (!LoadTgaFile(path, image, reason, reasonSize)) return false;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  FromBottomUp(image.pixels.get(),
               image.format == kTgaFormatRgba  ? 4
               : image.format == kTgaFormatRgb ? 3
                                               : 1,
               picture);
  return true;
}
