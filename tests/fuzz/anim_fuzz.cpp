// Clip files: parsing rejects or loads without out-of-bounds reads; a loaded clip samples safely.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "geometry/anim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CAnim clip;
  char reason[256];
  if (!ParseClip(data, size, clip, reason, sizeof reason)) return 0;
  const uint16_t length = static_cast<uint16_t>(clip.frames);
  volatile float sink = 0;
  for (int i = 0; i < clip.boneCount; ++i)
    for (float time : {0.0f, 1.0f, 0.5f * clip.frames, static_cast<float>(clip.frames)})
      sink = sink + clip.tracks[i].SamplePos(time, length).x +
             clip.tracks[i].SampleRot(time, length).z;
  clip.Clear();
  return 0;
}
