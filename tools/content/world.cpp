#include "world.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace {
constexpr int kGrid = 100;          // cells per side
constexpr float kFileScale = 0.1f;  // world units to file units
constexpr int kTreeCount = 64;
constexpr uint32_t kSeed = 20240611u;

float SmoothStep(float a, float b, float x) {
  const float t = std::min(1.0f, std::max(0.0f, (x - a) / (b - a)));
  return t * t * (3 - 2 * t);
}

// Distance that is square-ish (a superellipse), so the basin follows the
// square the characters start in.
float SquareDistance(float x, float y) {
  const float ax = std::fabs(x), ay = std::fabs(y);
  return std::pow(ax * ax * ax * ax + ay * ay * ay * ay, 0.25f);
}

// A closed, bumpy ball of leaves around `centre`.
void AddCrown(MeshBuild& out, const vec3& centre, const vec3& radii, uint32_t seed, int group) {
  const int slices = 16, stacks = 12;
  const uint32_t base = static_cast<uint32_t>(out.pos.size());
  for (int i = 0; i <= stacks; ++i) {
    const float theta = kPi * i / stacks;
    for (int j = 0; j <= slices; ++j) {
      const float phi = kTwoPi * j / slices;
      const vec3 dir(std::cos(phi) * std::sin(theta), std::sin(phi) * std::sin(theta),
                     std::cos(theta));
      // The seam column repeats the first one's bumps so the shell stays closed.
      const float jn = static_cast<float>(j % slices);
      const float bump = 1 + 0.18f * Noise3(jn * 0.7f, i * 0.7f, 0.5f, seed);
      const vec3 p = centre + vec3(dir.x * radii.x, dir.y * radii.y, dir.z * radii.z) * bump;
      out.Add(p, 3.0f * j / slices, 2.0f * i / stacks);
    }
  }
  const uint32_t row = slices + 1;
  for (int i = 0; i < stacks; ++i)
    for (int j = 0; j < slices; ++j) {
      const uint32_t a = base + i * row + j, b = a + 1, c = a + row, d = c + 1;
      const vec3 mid = (out.pos[a] + out.pos[d]) * 0.5f;
      if (i > 0) out.TriFacing(group, a, b, c, mid - centre);
      if (i + 1 < stacks) out.TriFacing(group, b, d, c, mid - centre);
    }
}
}  // namespace

float GroundHeight(float x, float y) {
  const float d = SquareDistance(x, y);
  const float floor = -150 + 22 * TileFractal(x / 400 + 10, y / 400 + 10, 64, 3, kSeed);
  const float hills = 260 + 160 * TileFractal(x / 300 + 3, y / 300 + 7, 64, 4, kSeed + 1);
  return floor + (hills - floor) * SmoothStep(1180, 1580, d);
}

MeshBuild BuildMap() {
  MeshBuild out;
  const int grass = out.GroupOf("grass.jpg");
  const int earth = out.GroupOf("earth.jpg");
  const int w = kGrid + 1;
  const float step = 2 * kMapHalf / kGrid;
  for (int j = 0; j < w; ++j)
    for (int i = 0; i < w; ++i) {
      const float x = -kMapHalf + i * step, y = -kMapHalf + j * step;
      // One texture tile every 4 cells (128 world units).
      out.Add(vec3(x, y, GroundHeight(x, y)) * kFileScale, i * 0.25f, j * 0.25f);
    }
  for (int j = 0; j < kGrid; ++j)
    for (int i = 0; i < kGrid; ++i) {
      const uint32_t a = j * w + i, b = a + 1, c = a + w, d = c + 1;
      const uint32_t tris[2][3] = {{a, c, b}, {b, c, d}};  // clockwise seen from above
      for (const auto& t : tris) {
        const vec3 n =
            normalize(cross(out.pos[t[2]] - out.pos[t[0]], out.pos[t[1]] - out.pos[t[0]]));
        out.Tri(n.z < 0.8f ? earth : grass, t[0], t[1], t[2]);
      }
    }
  return out;
}

MeshBuild BuildTreeMarkers() {
  MeshBuild out;
  ContentRandom random(kSeed + 2);
  while (static_cast<int>(out.pos.size()) < kTreeCount) {
    const float x = random.Range(-1450, 1450), y = random.Range(-1450, 1450);
    // Keep a clearing in the middle and under the cloud.
    if (SquareDistance(x, y) < 350) continue;
    const float cx = x + 100, cy = y - 300;
    if (cx * cx + cy * cy < 320 * 320) continue;
    out.Add(vec3(x, y, GroundHeight(x, y) + 60) * kFileScale, 0, 0);
  }
  return out;
}

MeshBuild BuildTree() {
  MeshBuild out;
  const int bark = out.GroupOf("bark.jpg");
  const int leaves = out.GroupOf("leaves.jpg");
  // Trunk: a tapering, slightly leaning ring stack, open at both ends (the
  // bottom is buried, the top inside the crown).
  const int sides = 12, rings = 6;
  const float height = 24;
  const uint32_t base = static_cast<uint32_t>(out.pos.size());
  for (int i = 0; i <= rings; ++i) {
    const float t = static_cast<float>(i) / rings;
    const float z = -3 + (height + 3) * t;
    const float r = 2.3f - 1.1f * t + 0.6f * (1 - t) * (1 - t) * (1 - t);
    const vec3 c(0.8f * t * t, 0.3f * t, z);
    for (int j = 0; j <= sides; ++j) {
      const float a = kTwoPi * j / sides;
      out.Add(c + vec3(std::cos(a) * r, std::sin(a) * r, 0), 2.0f * j / sides, z / 8);
    }
  }
  const uint32_t row = sides + 1;
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < sides; ++j) {
      const uint32_t a = base + i * row + j, b = a + 1, c = a + row, d = c + 1;
      // Outward: away from the ring's centre, the mean of its vertices.
      const float t = static_cast<float>(i) / rings;
      const vec3 ring(0.8f * t * t, 0.3f * t, out.pos[a].z);
      out.TriFacing(bark, a, b, c, out.pos[a] + out.pos[b] - ring * 2);
      out.TriFacing(bark, b, d, c, out.pos[a] + out.pos[b] - ring * 2);
    }
  // Crown: a few overlapping leafy balls.
  AddCrown(out, vec3(0.8f, 0.3f, 28), vec3(11, 11, 9), kSeed + 10, leaves);
  AddCrown(out, vec3(6.5f, 3, 24), vec3(7, 7, 6), kSeed + 11, leaves);
  AddCrown(out, vec3(-5, -3.5f, 25), vec3(7.5f, 7, 6), kSeed + 12, leaves);
  AddCrown(out, vec3(-1, 5.5f, 33), vec3(6.5f, 6.5f, 5.5f), kSeed + 13, leaves);
  return out;
}
