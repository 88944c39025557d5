#include "image_files.h"

#include <strings.h>
#include <cstdio>
#include <cstring>

#include "shell/log.h"
#include "storage/archive_writer.h"

namespace {
struct Reason {
  char* text;
  size_t size;
};

// Keeps the message of the last error line, without time and level prefix.
void KeepErrorLine(int level, const char* line, void* user) {
  const Reason* reason = static_cast<const Reason*>(user);
  const char* message = std::strstr(line, "ERROR::");
  if (level >= LOG_ERROR && message)
    std::snprintf(reason->text, reason->size, "%s", message + std::strlen("ERROR::"));
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
    std::snprintf(reason, reasonSize, "scan data ends early or is damaged");
    return false;
  }
  return true;
}

bool LoadTgaFile(const char* path, TgaImage& image, char* reason, size_t reasonSize) {
  Reason keep{reason, reasonSize};
  g_log.SetSink(KeepErrorLine, &keep);
  const bool ok = LoadTGA(image, path);
  g_log.SetSink(nullptr, nullptr);
  return ok;
}
