#include "blob.h"

#include <algorithm>
#include <cmath>

#include "rig.h"

float RegionU(int region) {
  return (region + 0.5f) / kRegionCount;
}

float BlobPart::Distance(const vec3& p) const {
  if (capsule) {
    const vec3 ab = b - a;
    const float len2 = dot(ab, ab);
    float t = len2 > 0 ? dot(p - a, ab) / len2 : 0;
    t = std::min(1.0f, std::max(0.0f, t));
    const vec3 d = p - (a + ab * t);
    return std::sqrt(dot(d, d)) - (ra + (rb - ra) * t);
  }
  // Ellipsoid: the usual first-order distance estimate.
  const vec3 q = toLocal.transformPoint(p);
  const vec3 q1(q.x / radii.x, q.y / radii.y, q.z / radii.z);
  const vec3 q2(q1.x / radii.x, q1.y / radii.y, q1.z / radii.z);
  const float k0 = std::sqrt(dot(q1, q1)), k1 = std::sqrt(dot(q2, q2));
  return k1 > 0 ? k0 * (k0 - 1.0f) / k1 : -std::min(radii.x, std::min(radii.y, radii.z));
}

BlobPart BoneCapsule(int bone, const vec3& a, const vec3& b, float ra, float rb, int region) {
  BlobPart part;
  part.capsule = true;
  part.a = BindPoint(bone, a);
  part.b = BindPoint(bone, b);
  part.ra = ra * kRigScale;
  part.rb = rb * kRigScale;
  part.bone = bone;
  part.region = region;
  return part;
}

BlobPart BoneEllipsoid(int bone, const vec3& centre, const vec3& radii, int region) {
  mat4 frame = GetRig().bind[bone];
  const vec3 c = BindPoint(bone, centre);
  frame.m[12] = c.x;
  frame.m[13] = c.y;
  frame.m[14] = c.z;
  BlobPart part;
  part.capsule = false;
  part.toLocal = frame.inverseAffine();
  part.radii = radii * kRigScale;
  part.bone = bone;
  part.region = region;
  return part;
}

namespace {
float SmoothMin(float a, float b, float k) {
  const float h = std::max(k - std::fabs(a - b), 0.0f) / k;
  return std::min(a, b) - h * h * k * 0.25f;
}

struct Field {
  const std::vector<BlobPart>& parts;
  float blend;
  float At(const vec3& p) const {
    float d = 1e9f;
    for (const BlobPart& part : parts) d = SmoothMin(d, part.Distance(p), blend);
    return d;
  }
  vec3 Gradient(const vec3& p, float h) const {
    return vec3(At(p + vec3(h, 0, 0)) - At(p - vec3(h, 0, 0)),
                At(p + vec3(0, h, 0)) - At(p - vec3(0, h, 0)),
                At(p + vec3(0, 0, h)) - At(p - vec3(0, 0, h)));
  }
};

// Bone weights from how close each part is: a part on the surface counts
// fully, one `falloff` further away e times less.
MeshBuild::Weights WeightsAt(const std::vector<BlobPart>& parts, const vec3& p, int* region) {
  const float falloff = 0.35f;
  float best = 1e9f;
  for (const BlobPart& part : parts) {
    const float d = part.Distance(p);
    if (d < best) {
      best = d;
      *region = part.region;
    }
  }
  float perBone[kBoneTotal] = {};
  for (const BlobPart& part : parts)
    perBone[part.bone] += std::exp(-(part.Distance(p) - best) / falloff);
  MeshBuild::Weights w;
  for (int k = 0; k < MeshBuild::kMaxInfluences; ++k) {
    int top = -1;
    for (int b = 0; b < kBoneTotal; ++b)
      if (perBone[b] > 0.02f && (top < 0 || perBone[b] > perBone[top])) top = b;
    if (top < 0) break;
    w.items[w.count++] = {static_cast<uint8_t>(top), perBone[top]};
    perBone[top] = 0;
  }
  float sum = 0;
  for (int k = 0; k < w.count; ++k) sum += w.items[k].weight;
  for (int k = 0; k < w.count; ++k) w.items[k].weight /= sum;
  return w;
}
}  // namespace

MeshBuild BuildBlob(const std::vector<BlobPart>& parts, float blend, float cell, float height,
                    const std::string& texture) {
  Field field{parts, blend};
  vec3 lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
  for (const BlobPart& part : parts) {
    vec3 c[2];
    float r;
    if (part.capsule) {
      c[0] = part.a;
      c[1] = part.b;
      r = std::max(part.ra, part.rb);
    } else {
      c[0] = c[1] = part.toLocal.inverseAffine().transformPoint(vec3());
      r = std::max(part.radii.x, std::max(part.radii.y, part.radii.z));
    }
    for (const vec3& p : c)
      for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], p[i] - r);
        hi[i] = std::max(hi[i], p[i] + r);
      }
  }
  const float margin = blend + 2 * cell;
  lo -= vec3(margin, margin, margin);
  int n[3];
  for (int i = 0; i < 3; ++i)
    n[i] = static_cast<int>(std::ceil((hi[i] + margin - lo[i]) / cell)) + 1;
  auto corner = [&](int x, int y, int z) { return lo + vec3(x * cell, y * cell, z * cell); };
  auto index = [&](int x, int y, int z) { return (static_cast<size_t>(z) * n[1] + y) * n[0] + x; };

  std::vector<float> value(static_cast<size_t>(n[0]) * n[1] * n[2]);
  for (int z = 0; z < n[2]; ++z)
    for (int y = 0; y < n[1]; ++y)
      for (int x = 0; x < n[0]; ++x) value[index(x, y, z)] = field.At(corner(x, y, z));

  MeshBuild out;
  const int group = out.GroupOf(texture);
  // One vertex per cell that the surface crosses, at the mean of the edge
  // crossings, then pulled onto the surface.
  std::vector<int32_t> cellVertex(value.size(), -1);
  static const int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                    {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  for (int z = 0; z + 1 < n[2]; ++z)
    for (int y = 0; y + 1 < n[1]; ++y)
      for (int x = 0; x + 1 < n[0]; ++x) {
        float f[8];
        vec3 p[8];
        int inside = 0;
        for (int k = 0; k < 8; ++k) {
          const int cx = x + (k & 1), cy = y + ((k >> 1) & 1), cz = z + ((k >> 2) & 1);
          f[k] = value[index(cx, cy, cz)];
          p[k] = corner(cx, cy, cz);
          inside += f[k] < 0;
        }
        if (inside == 0 || inside == 8) continue;
        vec3 sum;
        int crossings = 0;
        for (const auto& e : kEdges) {
          const float fa = f[e[0]], fb = f[e[1]];
          if ((fa < 0) == (fb < 0)) continue;
          sum += lerp(p[e[0]], p[e[1]], fa / (fa - fb));
          ++crossings;
        }
        vec3 v = sum / static_cast<float>(crossings);
        for (int step = 0; step < 2; ++step) {
          const vec3 g = field.Gradient(v, cell * 0.25f);
          const float g2 = dot(g, g);
          if (g2 > 0) v -= g * (field.At(v) * 2 * cell * 0.25f / g2);
        }
        int region = kRegionCoat;
        const MeshBuild::Weights w = WeightsAt(parts, v, &region);
        cellVertex[index(x, y, z)] =
            static_cast<int32_t>(out.Add(v, RegionU(region), 1 - v.z / height));
        out.weights.push_back(w);
      }
  // One quad per grid edge the surface crosses, joining the four cells
  // around it; it faces the outside end of the edge.
  for (int z = 1; z + 1 < n[2]; ++z)
    for (int y = 1; y + 1 < n[1]; ++y)
      for (int x = 1; x + 1 < n[0]; ++x) {
        const float f0 = value[index(x, y, z)];
        for (int axis = 0; axis < 3; ++axis) {
          const int dx = axis == 0, dy = axis == 1, dz = axis == 2;
          const float f1 = value[index(x + dx, y + dy, z + dz)];
          if ((f0 < 0) == (f1 < 0)) continue;
          // The four cells sharing this edge, in order around it.
          const int ux = axis == 1 ? 1 : 0, uy = axis == 2 ? 1 : 0, uz = axis == 0 ? 1 : 0;
          const int wx = axis == 2 ? 1 : 0, wy = axis == 0 ? 1 : 0, wz = axis == 1 ? 1 : 0;
          int32_t q[4];
          const int offsets[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
          bool ok = true;
          for (int k = 0; k < 4; ++k) {
            const int su = offsets[k][0], sw = offsets[k][1];
            q[k] = cellVertex[index(x - ux * su - wx * sw, y - uy * su - wy * sw,
                                    z - uz * su - wz * sw)];
            ok = ok && q[k] >= 0;
          }
          if (!ok) continue;
          vec3 outward(static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz));
          if (f1 < 0) outward = -outward;
          const uint32_t a = q[0], b = q[1], c = q[2], d = q[3];
          // Split along the shorter diagonal.
          const vec3 ac = out.pos[c] - out.pos[a], bd = out.pos[d] - out.pos[b];
          if (dot(ac, ac) <= dot(bd, bd)) {
            out.TriFacing(group, a, b, c, outward);
            out.TriFacing(group, a, c, d, outward);
          } else {
            out.TriFacing(group, a, b, d, outward);
            out.TriFacing(group, b, c, d, outward);
          }
        }
      }
  return out;
}
