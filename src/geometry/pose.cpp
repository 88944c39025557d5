#include "geometry/pose.h"

#include <cmath>

namespace {
// Below this squared length a blended rotation counts as cancelled.
constexpr float kCancelled = 9.99999997e-7f;

}  // namespace

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

bool SkinningJob::Run() const {
  if (!Validate()) return false;
  const uint32_t bones = static_cast<uint32_t>(boneCount);
  for (uint32_t v = 0; v < vertexCount; ++v) {
    // The eight components of the blended dual quaternion, kept in locals.
    float rx = 0, ry = 0, rz = 0, rw = 0, dx = 0, dy = 0, dz = 0, dw = 0;
    const uint32_t* idx = boneIdx[v];
    const float* w = weights[v];
    const int n = idx && w ? influenceCount[v] : 0;
    for (int j = 0; j < n; ++j) {
      if (idx[j] >= bones) continue;
      const dualquat& d = boneDual[idx[j]];
      const float dot = rx * d.real.x + ry * d.real.y + rz * d.real.z + rw * d.real.w;
      const float k = dot < 0 ? -w[j] : w[j];
      rx += k * d.real.x;
      ry += k * d.real.y;
      rz += k * d.real.z;
      rw += k * d.real.w;
      dx += k * d.dual.x;
      dy += k * d.dual.y;
      dz += k * d.dual.z;
      dw += k * d.dual.w;
    }
    dualquat acc;
    const float s = rx * rx + ry * ry + rz * rz + rw * rw;
    if (std::fabs(s) < kCancelled) {
      acc.real = quat();
      acc.dual = quat(dx, dy, dz, dw);
    } else {
      const float inv = 1.0f / std::sqrt(s);
      acc.real = quat(rx * inv, ry * inv, rz * inv, rw * inv);
      acc.dual = quat(dx * inv, dy * inv, dz * inv, dw * inv);
    }
    positions[v] = acc.transformPoint(restPositions[v]);
    normals[v] = acc.rotate(restNormals[v]);
  }
  return true;
}
