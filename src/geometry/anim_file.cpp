// Reading and writing clip files; the layout is described in anim.h.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/growth.h"
#include "core/log.h"
#include "geometry/anim.h"
#include "storage/core.h"

namespace {
constexpr char kMagic1[] = "A1frbz";
constexpr char kMagic2[] = "A2";
constexpr size_t kMagic1Size = 6;
constexpr size_t kMagic2Size = 2;
constexpr size_t kMinKeyBytes = 5;  // time and flag
constexpr char kSource[] = "inc\\Model";

// Bounds-checked little-endian reads from a byte range. Once a read runs past
// the end, `ok` stays false and every later read yields 0.
struct Reader {
  const uint8_t* p;
  size_t left;
  bool ok = true;

  bool Take(void* out, size_t n) {
    if (!ok || n > left) {
      ok = false;
      std::memset(out, 0, n);
      return false;
    }
    std::memcpy(out, p, n);
    p += n;
    left -= n;
    return true;
  }
  uint32_t Uint(size_t n) {
    uint8_t b[4] = {};
    Take(b, n);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  }
  uint8_t U8() { return static_cast<uint8_t>(Uint(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Uint(2)); }
  uint32_t U32() { return Uint(4); }
  float F32() {
    const uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
};

struct ParseError {
  char* text;
  size_t size;
  bool Set(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, format);
    if (size) std::vsnprintf(text, size, format, args);
    va_end(args);
    return false;
  }
};

// The key list kinds, in file order, with their default value and their name
// for error lines.
enum KeyKind { kPosition, kRotation, kScale };
const char* const kKindName[] = {"position", "rotation", "scale"};

// The clock samples times from 1 up to the clip length, and past the last key
// a list runs back to its first key over the span (length & 0xFFFF) - last.
// So a sampled list (two keys or more) gives a finite pose only when its
// times, as floats, strictly increase, that span can't be zero while the
// clock lies past the last key, and every value is finite.
const char* UnposableList(const vec3* keys, const float* times, int n, uint32_t frames) {
  if (n < 2) return nullptr;
  for (int i = 0; i < n; ++i) {
    if (!std::isfinite(keys[i].x) || !std::isfinite(keys[i].y) || !std::isfinite(keys[i].z))
      return "holds a value that is not finite";
    if (i > 0 && !(times[i] > times[i - 1])) return "key times don't increase";
  }
  const float last = times[n - 1];
  const float clockEnd = frames > 1 ? static_cast<float>(frames) : 1.0f;
  if (last == static_cast<float>(static_cast<uint16_t>(frames)) && last < clockEnd)
    return "last key time equals the clip length, so the way back to the first key has no span";
  return nullptr;
}

// Reads one key list into freshly allocated arrays. Rejects lists that don't
// fit the remaining bytes and the position and rotation lists that can't be
// sampled to a finite pose (scale lists are never sampled).
bool ReadKeyList(Reader& in, KeyKind kind, int track, uint32_t frames, uint16_t& count, vec3*& keys,
                 float*& times, ParseError& error) {
  const char* what = kKindName[kind];
  const uint16_t n = in.U16();
  if (!in.ok) return error.Set("track %i: %s key count past the end of the file", track, what);
  if (n * kMinKeyBytes > in.left)
    return error.Set("track %i: %i %s keys don't fit the file", track, n, what);
  count = n;
  if (n == 0) return true;
  if (!ResizeArray(keys, n, kSource, __LINE__, "CAnim::Load") ||
      !ResizeArray(times, n, kSource, __LINE__, "CAnim::Load"))
    return error.Set("track %i: out of memory", track);
  const vec3 fallback = kind == kScale ? vec3(1, 1, 1) : vec3(0, 0, 0);
  for (int i = 0; i < n; ++i) {
    const int32_t time = static_cast<int32_t>(in.U32());
    const uint8_t flag = in.U8();
    keys[i] = fallback;
    if (flag == 0) {
      keys[i].x = in.F32();
      keys[i].y = in.F32();
      keys[i].z = in.F32();
    }
    if (!in.ok) return error.Set("track %i: %s key %i past the end of the file", track, what, i);
    times[i] = static_cast<float>(time);
  }
  const char* unposable = kind == kScale ? nullptr : UnposableList(keys, times, n, frames);
  if (unposable) return error.Set("track %i: %s keys: %s", track, what, unposable);
  return true;
}

bool ReadTrack(Reader& in, int version, int index, uint32_t frames, cstring& name, AnimTrack& track,
               ParseError& error) {
  if (version == 1) {
    name.format("bone%i", index);
  } else {
    const uint8_t length = in.U8();
    if (!in.ok) return error.Set("track %i: name length past the end of the file", index);
    if (length > in.left) return error.Set("track %i: name past the end of the file", index);
    name.resize(length);  // the length counts every byte of the field, zero included
    if (!name.data) return error.Set("track %i: out of memory", index);
    std::memcpy(name.data, in.p, length);
    name.data[length] = '\0';  // a field without its zero still ends here
    in.p += length;
    in.left -= length;
  }
  if (!ReadKeyList(in, kPosition, index, frames, track.posCount, track.posKeys, track.posTimes,
                   error) ||
      !ReadKeyList(in, kRotation, index, frames, track.rotCount, track.rotKeys, track.rotTimes,
                   error))
    return false;
  if (version == 2)
    return ReadKeyList(in, kScale, index, frames, track.scaleCount, track.scaleKeys,
                       track.scaleTimes, error);
  if (!ResizeArray(track.scaleKeys, 1, kSource, __LINE__, "CAnim::Load") ||
      !ResizeArray(track.scaleTimes, 1, kSource, __LINE__, "CAnim::Load"))
    return error.Set("track %i: out of memory", index);
  track.scaleCount = 1;
  track.scaleKeys[0] = vec3(1, 1, 1);
  track.scaleTimes[0] = 1.0f;
  return true;
}

// Parses everything after the magic into `parsed` (an empty clip).
bool ParseBody(Reader& in, int version, CAnim& parsed, ParseError& error) {
  const uint32_t frames = in.U32();
  const uint8_t count = version == 1 ? static_cast<uint8_t>(in.U32()) : in.U8();
  if (!in.ok) return error.Set("header past the end of the file");
  parsed.frames = frames;
  if (count == 0) return true;
  if (!ResizeArray(parsed.tracks, count, kSource, __LINE__, "CAnim::Load") ||
      !ResizeObjects(parsed.trackName, 0, count, kSource, __LINE__, "CAnim::Load"))
    return error.Set("out of memory for %i tracks", count);
  for (int i = 0; i < count; ++i) parsed.tracks[i] = AnimTrack();
  parsed.boneCount = count;
  for (int i = 0; i < count; ++i)
    if (!ReadTrack(in, version, i, frames, parsed.trackName[i], parsed.tracks[i], error))
      return false;
  return true;
}

// Little-endian writes that remember whether every byte reached the file.
struct Writer {
  FILE* f;
  bool ok = true;

  void Bytes(const void* data, size_t n) {
    if (ok && n) ok = std::fwrite(data, 1, n, f) == n;
  }
  void Uint(uint32_t v, int n) {
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    Bytes(b, static_cast<size_t>(n));
  }
  void F32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    Uint(bits, 4);
  }
  void KeyList(uint16_t n, const vec3* keys, const float* times, const vec3& fallback) {
    Uint(n, 2);
    for (int i = 0; i < n; ++i) {
      const bool flagged = keys[i] == fallback;
      Uint(static_cast<uint32_t>(static_cast<int32_t>(times[i])), 4);
      Uint(flagged ? 1 : 0, 1);
      if (flagged) continue;
      F32(keys[i].x);
      F32(keys[i].y);
      F32(keys[i].z);
    }
  }
};
}  // namespace

int ClipFileVersion(const uint8_t* data, size_t size) {
  if (size >= kMagic1Size && std::memcmp(data, kMagic1, kMagic1Size) == 0) return 1;
  if (size >= kMagic2Size && std::memcmp(data, kMagic2, kMagic2Size) == 0) return 2;
  return 0;
}

bool ParseClip(const uint8_t* data, size_t size, CAnim& clip, char* reason, size_t reasonSize) {
  ParseError error{reason, reasonSize};
  const int version = ClipFileVersion(data, size);
  if (version == 0) return error.Set("bad header");
  const size_t magic = version == 1 ? kMagic1Size : kMagic2Size;
  Reader in{data + magic, size - magic};
  CAnim parsed;
  if (!ParseBody(in, version, parsed, error)) {
    parsed.Clear();
    return false;
  }
  CAnim old = clip;  // a shallow copy that releases the replaced tracks
  old.Clear();
  clip.frames = parsed.frames;
  clip.boneCount = parsed.boneCount;
  clip.trackName = parsed.trackName;
  clip.tracks = parsed.tracks;
  return true;
}

bool LoadClip(CAnim& clip, const char* name) {
  // Each version's attempt looks the name up on its own, so a missing clip
  // is reported by both lookups as well as by both loaders.
  FILE* f = CoreOpen(name, "rb", true);
  if (!f) {
    Log(LOG_WARNING, "CAnim:: file not found [%s]", name);
    f = CoreOpen(name, "rb", true);
  }
  if (!f) {
    Log(LOG_INFO, "Anim::file not found [%s]", name);
    return false;
  }
  const int32_t size = CWsize(name, "rb", true);
  uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
  const size_t got = bytes ? std::fread(bytes, 1, size > 0 ? static_cast<size_t>(size) : 0, f) : 0;
  std::fclose(f);

  const int version = ClipFileVersion(bytes, got);
  char head[7];
  if (version != 1) {
    LogHeaderText(bytes, got < kMagic1Size ? got : kMagic1Size, head);
    Log(LOG_WARNING, "CAnim:: file [%s] bad header[%s]", name, head);
  }
  if (version == 0) {
    LogHeaderText(bytes, got < kMagic2Size ? got : kMagic2Size, head);
    Log(LOG_INFO, "Anim::file [%s] bad header[%s]", name, head);
    std::free(bytes);
    return false;
  }
  char reason[256];
  const bool loaded = ParseClip(bytes, got, clip, reason, sizeof reason);
  std::free(bytes);
  if (!loaded) {
    Log(LOG_ERROR, "CAnim:: file [%s] rejected: %s", name, reason);
    return false;
  }
  if (version == 1)
    Log(LOG_INFO, "Loaded Anim [%s] :: (b:%i fr:%i)", name, clip.boneCount,
        static_cast<int>(clip.frames));
  return true;
}

bool SaveClip(const CAnim& clip, const char* path) {
  for (int i = 0; i < clip.boneCount; ++i) {
    if (std::strlen(clip.trackName[i].c_str()) > 254) {
      Log(LOG_ERROR, "CAnim:: can't save [%s]: track %i name too long", path, i);
      return false;
    }
  }
  FILE* f = std::fopen(path, "wb");
  if (!f) {
    Log(LOG_ERROR, "CAnim:: can't write [%s]", path);
    return false;
  }
  Writer out{f};
  out.Bytes(kMagic2, kMagic2Size);
  out.Uint(clip.frames, 4);
  out.Uint(clip.boneCount, 1);
  for (int i = 0; i < clip.boneCount; ++i) {
    const char* name = clip.trackName[i].c_str();
    const size_t length = std::strlen(name) + 1;
    out.Uint(static_cast<uint32_t>(length), 1);
    out.Bytes(name, length);
    const AnimTrack& t = clip.tracks[i];
    out.KeyList(t.posCount, t.posKeys, t.posTimes, vec3(0, 0, 0));
    out.KeyList(t.rotCount, t.rotKeys, t.rotTimes, vec3(0, 0, 0));
    out.KeyList(t.scaleCount, t.scaleKeys, t.scaleTimes, vec3(1, 1, 1));
  }
  const bool closed = std::fclose(f) == 0;
  if (!out.ok || !closed) {
    Log(LOG_ERROR, "CAnim:: can't write [%s]", path);
    return false;
  }
  return true;
}
