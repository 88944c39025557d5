#include "land.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace {
constexpr uint32_t kSeed = 20240611u;

float Clamp(float v, float lo, float hi) {
  return std::min(hi, std::max(lo, v));
}

float SmoothStep(float a, float b, float x) {
  const float t = Clamp((x - a) / (b - a), 0, 1);
  return t * t * (3 - 2 * t);
}

// Noise in about [-1, 1] over the world plane, `scale` units per lattice cell.
float Field(float x, float y, float scale, int octaves, uint32_t seed) {
  return TileFractal(x / scale + 17, y / scale + 23, 64, octaves, kSeed + seed);
}

// Square-ish distance from the centre (a superellipse), so the basin follows
// the square the characters start in; the coast wanders in and out.
float CoastDistance(float x, float y) {
  const float ax = std::fabs(x), ay = std::fabs(y);
  const float d = std::pow(ax * ax * ax * ax + ay * ay * ay * ay, 0.25f);
  return d + 30 * Field(x, y, 520, 2, 3);
}

// Noise that changes only along the coast: sampled at the same bearing on a
// circle, so a hillside's profile is never broken by it.
float AlongCoast(float x, float y, float scale, int octaves, uint32_t seed) {
  const float r = std::sqrt(x * x + y * y);
  const float k = r > 1 ? 1300 / r : 0;
  return Field(x * k, y * k, scale, octaves, seed);
}

// Fraction (0..1) of the height gained at x along a rise of length `length`
// whose slope angle grows evenly from 0 to `theta` (radians) over the first
// `ease` units, holds, and falls back to 0 over the last `ease`. The bends
// are spread evenly, so neighbouring triangles never meet at a sharp angle
// (a character walking over a sharp bend loses the ground and stalls).
float Rise(float x, float length, float ease, float theta) {
  const float k = ease / theta;
  const float eased = -k * std::log(std::cos(theta));  // height of one eased end
  const float total = 2 * eased + std::tan(theta) * (length - 2 * ease);
  x = Clamp(x, 0, length);
  float h;
  if (x < ease) {
    h = -k * std::log(std::cos(theta * x / ease));
  } else if (x <= length - ease) {
    h = eased + std::tan(theta) * (x - ease);
  } else {
    h = total + k * std::log(std::cos(theta * (length - x) / ease));
  }
  return h / total;
}

// Signed distance from (x, y) to the path y = centre + amplitude sin(x / wave),
// positive on the path's +y side.
float PathOffset(float x, float y, float centre, float amplitude, float wave) {
  const float dy = y - (centre + amplitude * std::sin(x / wave));
  const float dx = amplitude / wave * std::cos(x / wave);
  return dy / std::sqrt(1 + dx * dx);
}
}  // namespace

float GroundHeight(float x, float y) {
  const float d = CoastDistance(x, y);
  // The basin rolls gently, everywhere below -100.
  const float floor = -145 + 38 * Field(x, y, 450, 3, 0);
  // The hills' crests: high in places, down to the basin's floor in others,
  // where a valley opens toward the sea.
  const float crest = floor + 15 + 155 * SmoothStep(-0.8f, 0.6f, AlongCoast(x, y, 330, 2, 1));
  const float inner = floor + (crest - floor) * Rise(d - 1100, 180, 60, 0.9f);
  // A narrow top, then down to the sea's edge, the foot farther out in places.
  const float foot = -290, outerLength = 290 + 30 * AlongCoast(x, y, 450, 2, 2);
  const float outer = crest + (foot - crest) * Rise(d - 1310, outerLength, 90, 0.9f);
  const float h = d < 1310 ? inner : outer;
  // Past the foot a beach keeps falling into the sea.
  const float past = d - 1310 - outerLength;
  return past > 0 ? h - past * (0.12f + 0.0035f * past) : h;
}

GroundCover GroundCoverAt(float x, float y, float z, float slope) {
  GroundCover c;
  // Rock from about 42 degrees, with dirt a few degrees before it.
  c.rock = (slope - 42 - 6 * Field(x, y, 160, 2, 10)) / 10;
  c.scree = c.rock + 0.3f;
  c.sand = (-265 + 25 * Field(x, y, 200, 2, 11) - z) / 20;
  // Two paths wander across the island, about 30 units wide.
  const float across[2] = {PathOffset(x, y, -180, 260, 430), PathOffset(y, x, 220, 210, 380)};
  for (int k = 0; k < 2; ++k) {
    const float half = 15 + 3 * Field(x, y, 90, 2, 12 + k);
    c.pathEdges[2 * k] = (half + across[k]) / 10;
    c.pathEdges[2 * k + 1] = (half - across[k]) / 10;
  }
  return c;
}
