#include "textures.h"

#include <algorithm>
#include <cmath>

#include "blob.h"
#include "noise.h"

namespace {

vec3 Mul(const vec3& a, const vec3& b) {
  return vec3(a.x * b.x, a.y * b.y, a.z * b.z);
}

float Clamp01(float v) {
  return std::min(1.0f, std::max(0.0f, v));
}
}  // namespace

Picture BodyTexture(const CharacterLook& look) {
  const vec3 coat = look.colour[0];
  const vec3 muzzle = Mix(coat, vec3(1, 1, 1), 0.3f);
  const vec3 hoof = Mul(look.colour[3], vec3(0.75f, 0.75f, 0.75f));
  return Paint(256, [&](float u, float v) {
    const int band = std::min(kRegionCount - 1, static_cast<int>(u * kRegionCount));
    vec3 c = band == kRegionMuzzle ? muzzle : band == kRegionHoof ? hoof : coat;
    const float grain = TileFractal(u * 32, v * 8, 32, 3, 11u);
    c = c * (1.04f - 0.1f * v + 0.05f * grain);
    return c;
  });
}

Picture EyeTexture(const CharacterLook& look) {
  const vec3 iris = look.colour[2];
  const vec3 irisDark = iris * 0.45f;
  return Paint(256, [&](float u, float v) {
    const float theta = u * kPi, phi = v * 2 * kPi;
    const vec3 dir(std::cos(phi) * std::sin(theta), std::sin(phi) * std::sin(theta),
                   std::cos(theta));
    const float angle = std::acos(std::max(-1.0f, std::min(1.0f, dir.x)));
    const float irisEdge = 0.62f, pupilEdge = 0.3f;
    if (angle > irisEdge + 0.04f) return vec3(0.97f, 0.97f, 0.97f);
    if (angle > irisEdge) return vec3(0.12f, 0.1f, 0.14f);  // dark ring
    if (angle < pupilEdge) return vec3(0.04f, 0.03f, 0.06f);
    // Iris: darker at the top, lighter toward the bottom, a few streaks.
    const float t = (angle - pupilEdge) / (irisEdge - pupilEdge);
    const float streak = 0.08f * std::sin(std::atan2(dir.z, dir.y) * 14);
    vec3 c = Mix(irisDark, iris, Clamp01(0.5f - 0.6f * dir.z / std::sin(angle + 1e-3f)));
    return c * (1.05f - 0.25f * t + streak);
  });
}

Picture LidTexture(const CharacterLook& look) {
  const vec3 coat = look.colour[0];
  return Paint(128, [&](float u, float v) {
    // u runs pole to pole over the half sphere: shade toward the lid rim.
    const float rim = std::fabs(u - 0.5f) * 2;
    return coat * (0.92f + 0.08f * rim);
  });
}

Picture TrailTexture(const CharacterLook& look) {
  Picture p(128, 64);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const float u = (x + 0.5f) / p.width, v = (y + 0.5f) / p.height;
      const float across = std::exp(-std::pow((u - 0.5f) * 4.0f, 2.0f));
      const float shimmer = 0.8f + 0.2f * std::sin(v * 2 * kPi * 3);
      const vec3 c = Mix(look.colour[1], look.colour[4], 0.5f + 0.5f * std::sin(v * 2 * kPi));
      p.Set(x, y, Mix(c, vec3(1, 1, 1), across * across * 0.5f) * (across * shimmer));
    }
  return p;
}
