#include "image_files.h"

#include <strings.h>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "core/log.h"
#include "storage/archive_writer.h"

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
    std::snprintf(reason, reasonSize, "scan data ends early or is damaged");
    return false;
  }
  return true;
}

bool LoadTgaFile(const char* path, TgaImage& image, char* reason, size_t reasonSize) {
  ReasonCapture keep(LOG_ERROR, reason, reasonSize);
  return LoadTGA(image, path);
}
