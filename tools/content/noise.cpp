#include "noise.h"

#include <cmath>

uint32_t ContentRandom::Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

float ContentRandom::Unit() {
  return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f);
}

namespace {
uint32_t Hash(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  uint32_t h = seed * 0x27d4eb2du;
  h ^= static_cast<uint32_t>(x) * 0x85ebca6bu;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xc2b2ae35u;
  h = (h << 11) | (h >> 21);
  h ^= static_cast<uint32_t>(z) * 0x165667b1u;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  return h;
}

float Lattice(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  return static_cast<float>(Hash(x, y, z, seed) >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

float Smooth(float t) {
  return t * t * (3 - 2 * t);
}

int Wrap(int v, int period) {
  const int m = v % period;
  return m < 0 ? m + period : m;
}
}  // namespace

float TileNoise(float x, float y, int period, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const float tx = Smooth(x - fx), ty = Smooth(y - fy);
  const int x0 = Wrap(ix, period), x1 = Wrap(ix + 1, period);
  const int y0 = Wrap(iy, period), y1 = Wrap(iy + 1, period);
  const float a = Lattice(x0, y0, 0, seed), b = Lattice(x1, y0, 0, seed);
  const float c = Lattice(x0, y1, 0, seed), d = Lattice(x1, y1, 0, seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float TileFractal(float x, float y, int period, int octaves, uint32_t seed) {
  float sum = 0, amplitude = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * TileNoise(x, y, period, seed + static_cast<uint32_t>(o) * 101u);
    total += amplitude;
    x *= 2;
    y *= 2;
    period *= 2;
    amplitude *= 0.5f;
  }
  return sum / total;
}

float Noise3(float x, float y, float z, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
  const float tx = Smooth(x - fx), ty = Smooth(y - fy), tz = Smooth(z - fz);
  float layer[2];
  for (int k = 0; k < 2; ++k) {
    const float a = Lattice(ix, iy, iz + k, seed), b = Lattice(ix + 1, iy, iz + k, seed);
    const float c = Lattice(ix, iy + 1, iz + k, seed), d = Lattice(ix + 1, iy + 1, iz + k, seed);
    const float ab = a + (b - a) * tx, cd = c + (d - c) * tx;
    layer[k] = ab + (cd - ab) * ty;
  }
  return layer[0] + (layer[1] - layer[0]) * tz;
}
