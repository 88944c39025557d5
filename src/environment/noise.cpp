#include "environment/noise.h"

#include <cmath>

namespace {
// Lattice value of one corner, 0 .. 2^31 - 1.
float CornerHash(uint32_t n) {
  const uint32_t m = n ^ (n << 13);
  return static_cast<float>(((m * m * 15731u + 789221u) * m - 771171059u) & 0x7FFFFFFFu);
}

float Lerp(float a, float b, float w) {
  return a + (b - a) * w;
}

float Smooth(float f) {
  return f * f * (3.0f - 2.0f * f);
}
}  // namespace

float ValueNoise(float x, float y, float z, int32_t seed) {
  const float cx = std::floor(x), cy = std::floor(y), cz = std::floor(z);
  const float wx = Smooth(x - cx), wy = Smooth(y - cy), wz = Smooth(z - cz);
  // Wrap-around arithmetic on purpose: the hash only needs the bit pattern.
  const uint32_t n = static_cast<uint32_t>(static_cast<int32_t>(cx)) +
                     57u * static_cast<uint32_t>(static_cast<int32_t>(cy)) +
                     113u * static_cast<uint32_t>(static_cast<int32_t>(cz)) +
                     static_cast<uint32_t>(seed);
  const float x00 = Lerp(CornerHash(n), CornerHash(n + 1), wx);
  const float x10 = Lerp(CornerHash(n + 57), CornerHash(n + 58), wx);
  const float x01 = Lerp(CornerHash(n + 113), CornerHash(n + 114), wx);
  const float x11 = Lerp(CornerHash(n + 170), CornerHash(n + 171), wx);
  const float v = Lerp(Lerp(x00, x10, wy), Lerp(x01, x11, wy), wz);
  return 1.0f - v * 9.313226e-10f;
}

float FractalNoise(int octaves, float x, float y, float z, float offset, float lacunarity,
                   float amplitude, bool absolute) {
  if (octaves < 1) return 0.0f;
  x += offset * amplitude;
  y += offset * amplitude;
  z += offset * amplitude;
  float sum = 0.0f, weightSum = 0.0f, a = amplitude;
  for (int i = 0; i < octaves; ++i) {
    float v = ValueNoise(x, y, z, 0);
    if (absolute) v = std::fabs(v);
    sum += v * a;
    weightSum += a;
    a /= lacunarity;
    x *= lacunarity;
    y *= lacunarity;
    z *= lacunarity;
  }
  return weightSum != 0.0f ? amplitude * sum / weightSum : 0.0f;
}
