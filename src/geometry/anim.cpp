#include "geometry/anim.h"

#include <cstdlib>

#include "math/quat.h"

namespace {
// The segment of a key list that time t falls in: keys k and next, and the
// position u along it (not clamped). Past the last key the segment runs from
// the last key back to the first over the rest of the clip.
struct Segment {
  int k, next;
  float u;
};

Segment FindSegment(const float* times, int n, float t, uint16_t length) {
  int k = 0;
  while (k + 1 < n && t > times[k + 1]) ++k;
  const int next = (k + 1) % n;
  const float span = next != 0 ? times[next] - times[k] : static_cast<float>(length) - times[k];
  return {k, next, (t - times[k]) / span};
}
}  // namespace

vec3 AnimTrack::SamplePos(float t, uint16_t length) const {
  if (posCount == 0) return {};
  const Segment s = FindSegment(posTimes, posCount, t, length);
  return posKeys[s.k] + (posKeys[s.next] - posKeys[s.k]) * s.u;
}

vec3 AnimTrack::SampleRot(float t, uint16_t length) const {
  if (rotCount == 0) return {};
  const Segment s = FindSegment(rotTimes, rotCount, t, length);
  quat a, b, q;
  a.fromEuler(rotKeys[s.k]);
  b.fromEuler(rotKeys[s.next]);
  q.slerp(a, b, s.u);
  return q.toEuler();
}

void CAnim::Clear() {
  for (int i = 0; i < boneCount; ++i) {
    AnimTrack& t = tracks[i];
    std::free(t.posKeys);
    std::free(t.rotKeys);
    std::free(t.scaleKeys);
    std::free(t.posTimes);
    std::free(t.rotTimes);
    std::free(t.scaleTimes);
  }
  std::free(tracks);
  delete[] trackName;
  tracks = nullptr;
  trackName = nullptr;
  frames = 0;
  boneCount = 0;
  loops = 0;
  time = 1.0f;
  weight = 0.0f;
  speed = 10.0f;
}
