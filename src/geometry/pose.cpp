#include "geometry/pose.h"

#include "geometry/skin_lanes.h"

bool BlendJob::Validate() const {
  if (clipCount < 0 || (clipCount > 0 && !clips)) return false;
  if (boneCount < 0 || boneCount > 255) return false;
  if (boneCount > 0 && (!rotations || !translations)) return false;
  for (int i = 0; i < clipCount; ++i)
    if (!clips[i] || (clips[i]->boneCount > 0 && !clips[i]->tracks)) return false;
  return true;
}

bool BlendJob::Run() const {
  if (!Validate()) return false;
  float sum = 0;
  for (int i = 0; i < clipCount; ++i) {
    CAnim& clip = *clips[i];
    // The thresholds are double constants applied to the float fields.
    if (clip.weight < 0.001) {
      clip.loops = 0;
      clip.time = 1.0f;
      continue;
    }
    const int nb = clip.boneCount < boneCount ? clip.boneCount : boneCount;
    clip.time += clip.speed * dt;
    clip.weight = static_cast<float>(clip.weight * 0.7);
    if (clip.time > static_cast<float>(clip.frames)) {
      clip.time = 1.0f;
      ++clip.loops;
    }
    const uint16_t length = static_cast<uint16_t>(clip.frames);
    const bool first = sum == 0;
    sum += clip.weight;
    const float f = clip.weight / sum;
    for (int b = 0; b < nb; ++b) {
      const AnimTrack& track = clip.tracks[b];
      if (track.rotCount > 1) {
        quat sample;
        sample.fromEuler(track.SampleRot(clip.time, length));
        if (first) {
          rotations[b] = sample;
        } else {
          const quat blended = rotations[b];
          rotations[b].slerp(blended, sample, f);
        }
      } else if (first) {
        rotations[b] = quat();
      }
      if (track.posCount > 1) {
        const vec3 sample = track.SamplePos(clip.time, length);
        translations[b] = first ? sample : translations[b] + (sample - translations[b]) * f;
      } else if (first) {
        translations[b] = vec3();
      }
    }
  }
  return true;
}

bool PoseJob::Validate() const {
  if (boneCount < 0 || boneCount > 255) return false;
  if (boneCount == 0) return true;
  if (!restRot || !restPos || !parents || !rotations || !translations || !invBind || !boneMatrix ||
      !boneDual)
    return false;
  for (int b = 0; b < boneCount; ++b)
    if (parents[b] != -1 && (parents[b] < 0 || parents[b] >= b)) return false;
  return true;
}

bool PoseJob::Run() const {
  if (!Validate()) return false;
  for (int b = 0; b < boneCount; ++b) {
    mat4 animated, rest;
    animated.fromEuler(rotations[b].toEuler(), translations[b]);
    rest.fromEuler(restRot[b], restPos[b]);
    mat4 global = rest.mulAffine(animated);
    if (parents[b] != -1) global = boneMatrix[parents[b]].mulAffine(global);
    boneMatrix[b] = global;
  }
  // Children needed their parents' global matrices, so the bind is removed
  // only once every bone is done.
  for (int b = 0; b < boneCount; ++b) {
    boneMatrix[b] = boneMatrix[b].mulAffine(invBind[b]);
    boneDual[b].fromMatrix(boneMatrix[b]);
  }
  return true;
}

bool SkinningJob::Validate() const {
  if (boneCount < 0 || boneCount > 255) return false;
  if (boneCount > 0 && !boneDual) return false;
  if (vertexCount == 0) return true;
  return restPositions && restNormals && influenceCount && boneIdx && weights &&
         weightSlots >= vertexCount && positions && normals;
}

#if defined(QH_SKIN_AVX2)
bool SkinEightLanesSupported() {
  // Checked here, in a file built for every x86-64, never in the AVX2 one.
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}
#endif

bool SkinningJob::Run() const {
  if (!Validate()) return false;
#if defined(QH_SKIN_AVX2)
  if (SkinEightLanesSupported()) {
    SkinEightLanes(*this);
    return true;
  }
#endif
  SkinFourLanes(*this);
  return true;
}
