#include "bodies.h"

#include <cmath>

#include "blob.h"
#include "rig.h"

const BodyEllipsoid kBodyEllipsoids[kBodyEllipsoidCount] = {
    {kRoot, vec3(-0.9f, 0, 0.1f), vec3(2.5f, 2.3f, 2.2f)},    // rump
    {kRoot, vec3(1.2f, 0, -0.3f), vec3(3.2f, 2.2f, 1.9f)},    // belly
    {kSpine, vec3(-0.1f, 0, 0.0f), vec3(2.4f, 2.2f, 2.2f)},   // chest
    {kNeck1, vec3(0.7f, 0, 0), vec3(1.7f, 1.35f, 1.35f)},     // lower neck
    {kNeck2, vec3(0.8f, 0, 0), vec3(1.3f, 1.15f, 1.15f)},     // upper neck
    {kHead, vec3(0.9f, 0, 0.9f), vec3(2.85f, 2.7f, 2.75f)},   // cranium
    {kHead, vec3(3.15f, 0, -0.6f), vec3(1.8f, 1.5f, 1.35f)},  // muzzle
};

namespace {
void AddLeg(std::vector<BlobPart>& parts, int upper, int lower, bool hind) {
  const float l1 = kLegSegment, l2 = kLegSegment;
  // Thigh or shoulder, then the cannon, then a wider hoof at the sole.
  const float top = hind ? 1.15f : 0.95f;
  parts.push_back(BoneCapsule(upper, vec3(-0.6f, 0, 0), vec3(l1, 0, 0), top, 0.6f, kRegionCoat));
  parts.push_back(
      BoneCapsule(lower, vec3(0, 0, 0), vec3(l2 - 0.9f, 0, 0), 0.58f, 0.5f, kRegionCoat));
  parts.push_back(BoneCapsule(lower, vec3(l2 - 0.85f, 0, 0), vec3(l2 - 0.62f, 0, 0), 0.66f, 0.62f,
                              kRegionHoof));
}

std::vector<BlobPart> BodyParts() {
  std::vector<BlobPart> parts;
  for (const BodyEllipsoid& e : kBodyEllipsoids) {
    const bool muzzle = &e == &kBodyEllipsoids[kBodyEllipsoidCount - 1];
    parts.push_back(BoneEllipsoid(e.bone, e.centre, e.radii, muzzle ? kRegionMuzzle : kRegionCoat));
  }
  // Neck core (the ellipsoids round it out), ears, tail stub, legs.
  parts.push_back(
      BoneCapsule(kNeck1, vec3(-0.6f, 0, 0), vec3(1.8f, 0, 0), 1.45f, 1.2f, kRegionCoat));
  parts.push_back(BoneCapsule(kNeck2, vec3(), vec3(1.6f, 0, 0), 1.2f, 1.1f, kRegionCoat));
  for (float side : {1.0f, -1.0f}) {
    parts.push_back(BoneCapsule(kHead, vec3(0.0f, 1.25f * side, 2.7f),
                                vec3(-0.4f, 1.5f * side, 4.2f), 0.65f, 0.2f, kRegionCoat));
  }
  parts.push_back(
      BoneCapsule(kTail, vec3(-0.3f, 0, 0), vec3(1.1f, 0, 0), 0.6f, 0.42f, kRegionCoat));
  AddLeg(parts, kLFront1, kLFront2, false);
  AddLeg(parts, kRFront1, kRFront2, false);
  AddLeg(parts, kLHind1, kLHind2, true);
  AddLeg(parts, kRHind1, kRHind2, true);
  return parts;
}

// A thin closed feathered wing in its bone's frame: span along +X, leading
// edge toward +Y, trailing feathers toward -Y, thickness along Z.
void AddWing(MeshBuild& out, int bone, const std::string& texture) {
  const mat4& frame = GetRig().bind[bone];
  const float span = 7.6f;
  const int su = 28, sv = 8;
  const int group = out.GroupOf(texture);
  const uint32_t base = static_cast<uint32_t>(out.pos.size());
  auto lead = [&](float s) { return 0.55f - 0.25f * s * s; };
  auto trail = [&](float s) {
    // Root chord 3.1 narrowing toward the tip, with feather scallops.
    const float chord = 3.1f * (1 - 0.55f * s) + 0.5f * s;
    const float scallop = 0.35f * std::fabs(std::sin(s * 7 * kPi));
    return -(chord - scallop) * (1 - std::pow(s, 6.0f) * 0.6f);
  };
  for (int side = 0; side < 2; ++side) {
    const float zSign = side ? -1.0f : 1.0f;
    for (int i = 0; i <= su; ++i) {
      const float s = static_cast<float>(i) / su;
      for (int j = 0; j <= sv; ++j) {
        const float t = static_cast<float>(j) / sv;
        const float y = lead(s) + (trail(s) - lead(s)) * t;
        // Thickest near the leading edge, zero on the outline.
        const float bulge = std::sin(t * kPi) * (1 - t * 0.6f) * (1 - s * 0.7f);
        const float edge = (i == su) ? 0.0f : 1.0f;
        const vec3 local(-0.4f + (span + 0.4f) * s * (1 - 0.06f * (1 - t)), y,
                         zSign * 0.22f * bulge * edge);
        out.Add(BindPoint(bone, local), RegionU(kRegionCoat), 0.4f + 0.3f * t);
        MeshBuild::Weights w;
        w.count = 1;
        w.items[0] = {static_cast<uint8_t>(bone), 1.0f};
        out.weights.push_back(w);
      }
    }
  }
  const uint32_t row = sv + 1, sideSize = (su + 1) * row;
  const vec3 normal = frame.rotateVector(vec3(0, 0, 1));
  for (int side = 0; side < 2; ++side) {
    const vec3 outward = side ? -normal : normal;
    for (int i = 0; i < su; ++i)
      for (int j = 0; j < sv; ++j) {
        const uint32_t a = base + side * sideSize + i * row + j, b = a + 1, c = a + row, d = c + 1;
        out.TriFacing(group, a, b, c, outward);
        out.TriFacing(group, b, d, c, outward);
      }
  }
}
}  // namespace

void BuildBodies(const std::string& groundTexture, const std::string& wingedTexture,
                 MeshBuild* ground, MeshBuild* winged) {
  *ground = BuildBlob(BodyParts(), 0.9f, 0.2f, kBodyHeight, groundTexture);
  *winged = *ground;
  winged->groups[0].texture = wingedTexture;
  AddWing(*winged, kLWing, wingedTexture);
  AddWing(*winged, kRWing, wingedTexture);
}
