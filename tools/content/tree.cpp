#include "tree.h"

#include <cmath>
#include <vector>

#include "noise.h"

namespace {
constexpr uint32_t kSeed = 20240611u;

// A tapering tube along `spine` (open at both ends), `sides` around.
void AddTube(MeshBuild& out, int group, const std::vector<vec3>& spine,
             const std::vector<float>& radius, int sides) {
  const uint32_t base = static_cast<uint32_t>(out.pos.size());
  const size_t rings = spine.size();
  for (size_t i = 0; i < rings; ++i) {
    const vec3 along = normalize(spine[std::min(i + 1, rings - 1)] - spine[i > 0 ? i - 1 : 0]);
    // Any two directions across the tube.
    const vec3 side = normalize(std::fabs(along.z) < 0.9f ? cross(along, vec3(0, 0, 1))
                                                          : cross(along, vec3(1, 0, 0)));
    const vec3 other = cross(along, side);
    for (int k = 0; k <= sides; ++k) {
      const float a = kTwoPi * k / sides;
      const vec3 p = spine[i] + (side * std::cos(a) + other * std::sin(a)) * radius[i];
      out.Add(p, 2.0f * k / sides, spine[i].z / 8);
    }
  }
  const uint32_t row = sides + 1;
  for (size_t i = 0; i + 1 < rings; ++i)
    for (int k = 0; k < sides; ++k) {
      const uint32_t a = base + static_cast<uint32_t>(i) * row + k, b = a + 1, c = a + row,
                     d = c + 1;
      const vec3 outward = (out.pos[a] + out.pos[b]) * 0.5f - spine[i];
      out.TriFacing(group, a, b, c, outward);
      out.TriFacing(group, b, d, c, outward);
    }
}

// A closed, bumpy ball of leaves around `centre`.
void AddClump(MeshBuild& out, int group, const vec3& centre, const vec3& radii, uint32_t seed) {
  const int slices = 8, stacks = 6;
  const uint32_t base = static_cast<uint32_t>(out.pos.size());
  for (int i = 0; i <= stacks; ++i) {
    const float theta = kPi * i / stacks;
    for (int j = 0; j <= slices; ++j) {
      const float phi = kTwoPi * j / slices;
      const vec3 dir(std::cos(phi) * std::sin(theta), std::sin(phi) * std::sin(theta),
                     std::cos(theta));
      // Bumps that depend on the direction alone: the seam column and each
      // pole's vertices meet, so the shell stays closed.
      const float bump = 1 + 0.2f * Noise3(dir.x * 1.6f, dir.y * 1.6f, dir.z * 1.6f, seed);
      const vec3 p = centre + vec3(dir.x * radii.x, dir.y * radii.y, dir.z * radii.z) * bump;
      out.Add(p, 2.0f * j / slices, 1.5f * i / stacks);
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

MeshBuild BuildTree() {
  MeshBuild out;
  const int bark = out.GroupOf("bark.jpg");
  const int leaves = out.GroupOf("leaves.jpg");
  ContentRandom random(kSeed + 5);

  // Trunk: flared at the foot, leaning a little, narrowing upward.
  const float height = 22;
  std::vector<vec3> spine;
  std::vector<float> radius;
  for (int i = 0; i <= 5; ++i) {
    const float t = i / 5.0f;
    spine.push_back(vec3(0.9f * t * t, 0.4f * t * t, -3 + (height + 3) * t));
    radius.push_back(1.15f + 0.9f * (1 - t) + 1.1f * std::pow(1 - t, 6.0f));
  }
  AddTube(out, bark, spine, radius, 8);
  const vec3 top = spine.back();

  // Branches from the upper trunk, each ending in a clump.
  const int branches = 4;
  for (int b = 0; b < branches; ++b) {
    const float along = 0.5f + 0.4f * b / (branches - 1);
    const vec3 from(0.9f * along * along, 0.4f * along * along, -3 + (height + 3) * along);
    const float azimuth = 1.57f * b + random.Range(-0.3f, 0.3f);  // a quarter turn apart
    const float rise = random.Range(0.5f, 0.85f);
    const float reach = random.Range(7.5f, 10);
    const vec3 dir(std::cos(azimuth) * std::cos(rise), std::sin(azimuth) * std::cos(rise),
                   std::sin(rise));
    std::vector<vec3> limb;
    std::vector<float> thick;
    for (int i = 0; i <= 2; ++i) {
      const float t = i / 2.0f;
      // Curving upward toward its end.
      limb.push_back(from + dir * (reach * t) + vec3(0, 0, 1.5f * t * t));
      thick.push_back(0.8f - 0.45f * t);
    }
    AddTube(out, bark, limb, thick, 6);
    const float r = random.Range(5, 6.5f);
    AddClump(out, leaves, limb.back() + vec3(0, 0, 1.5f), vec3(r, r, 0.8f * r), kSeed + 20 + b);
  }
  AddClump(out, leaves, top + vec3(0, 0, 3), vec3(7.5f, 7.5f, 6.5f), kSeed + 10);
  AddClump(out, leaves, top + vec3(-2.5f, 2, -3), vec3(6, 6, 5), kSeed + 11);
  return out;
}
