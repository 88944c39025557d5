// `qhtool info` for animation clips (".Anim", both versions).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands.h"
#include "geometry/anim.h"

namespace {
bool SniffAnim(const char* path, const uint8_t* head, size_t headSize) {
  const size_t n = std::strlen(path);
  return ClipFileVersion(head, headSize) != 0 || (n >= 5 && !std::strcmp(path + n - 5, ".Anim"));
}

bool PrintAnim(const char* path, char* reason, size_t reasonSize) {
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    std::snprintf(reason, reasonSize, "can't open");
    return false;
  }
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::rewind(f);
  uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
  const size_t got = bytes && size > 0 ? std::fread(bytes, 1, static_cast<size_t>(size), f) : 0;
  std::fclose(f);
  CAnim clip;
  const bool parsed = bytes && ParseClip(bytes, got, clip, reason, reasonSize);
  const int version = parsed ? ClipFileVersion(bytes, got) : 0;
  std::free(bytes);
  if (!parsed) return false;
  std::printf("ANIM version=%i frames=%u tracks=%i\n", version, clip.frames, clip.boneCount);
  for (int i = 0; i < clip.boneCount; ++i) {
    const AnimTrack& t = clip.tracks[i];
    std::printf("track %i %s pos=%i rot=%i scale=%i\n", i, clip.trackName[i].c_str(), t.posCount,
                t.rotCount, t.scaleCount);
  }
  clip.Clear();
  return true;
}

InfoRegistration g_anim({"anim", SniffAnim, PrintAnim});
}  // namespace
