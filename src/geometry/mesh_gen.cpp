// The two shape generators of Mesh.
#include <algorithm>
#include <cstdint>

#include "core/growth.h"
#include "core/log.h"
#include "geometry/mesh.h"

namespace {
// Both counts must fit the u32 fields; larger shapes fail like any
// allocation that can't be made.
bool FitsCounts(uint64_t verts, uint64_t tris) {
  if (verts > UINT32_MAX)
    LogGrowthFailure(static_cast<int64_t>(verts), 12, "inc\\Mesh", 105, "Mesh::resizeV");
  if (tris > UINT32_MAX)
    LogGrowthFailure(static_cast<int64_t>(tris), 12, "inc\\Mesh", 113, "Mesh::resizeF");
  return verts <= UINT32_MAX && tris <= UINT32_MAX;
}

void SetTri(uint32_t* t, uint32_t a, uint32_t b, uint32_t c) {
  t[0] = a;
  t[1] = b;
  t[2] = c;
}

void SingleGroup(Mesh& mesh) {
  if (!mesh.resizeT(1, true)) return;
  mesh.texName[0].assign("empty");
  mesh.groupTex[0] = 0;
  mesh.groupTris[0] = mesh.triCount;
}
}  // namespace

void Mesh::GenSphere(uint16_t slices, uint16_t stacks) {
  Log(LOG_INFO, "Mesh:Gen:Sphere %i %i", slices, stacks);
  const uint32_t S = std::max<uint32_t>(slices, 3), T = std::max<uint32_t>(stacks, 3);
  const uint32_t R = S + 1;
  if (!FitsCounts(uint64_t{T - 2} * R + 2 * S, uint64_t{2} * S * (T - 2))) return;
  if (!resizeV((T - 2) * R + 2 * S, true)) return;
  const uint32_t V = vertCount;
  uint32_t v = 0;
  for (uint32_t i = 1; i <= T - 2; ++i)
    for (uint32_t j = 0; j <= S; ++j, ++v) {
      const float theta = static_cast<float>(i) / static_cast<float>(T - 1) * kPi;
      const float phi = static_cast<float>(j) / static_cast<float>(S) * kTwoPi;
      pos[v] =
          vec3(std::cos(phi) * std::sin(theta), std::sin(phi) * std::sin(theta), std::cos(theta));
      uv[2 * v] = theta * 0.31830987f;
      uv[2 * v + 1] = phi * 0.15915494f;
    }
  for (int pole = 0; pole < 2; ++pole)  // south, then north
    for (uint32_t k = 0; k < S; ++k, ++v) {
      pos[v] = vec3(0, 0, pole ? 1.0f : -1.0f);
      uv[2 * v] = pole ? 0.0f : 1.0f;
      uv[2 * v + 1] = static_cast<float>(k) / static_cast<float>(S) + 0.5f / static_cast<float>(S);
    }
  if (!resizeF(2 * S * (T - 2), true)) return;
  uint32_t* t = tris;
  for (uint32_t b = 0; b + 4 <= T; ++b)
    for (uint32_t j = 0; j < S; ++j, t += 6) {
      const uint32_t a = b * R + j, c = a + R;
      SetTri(t, a, a + 1, c);
      SetTri(t + 3, c, a + 1, c + 1);
    }
  for (uint32_t j = 0; j < S; ++j, t += 3) SetTri(t, j + 1, j, V - S + j);
  const uint32_t L = (T - 3) * R;
  for (uint32_t j = 0; j < S; ++j, t += 3) SetTri(t, L + j, L + j + 1, V - 2 * S + j);
  SingleGroup(*this);
}

void Mesh::GenBox(uint16_t nx, uint16_t ny, uint16_t nz) {
  Log(LOG_INFO, "Mesh:Gen:Box %i %i %i", nx, ny, nz);
  const uint64_t X = uint64_t{nx} + 1, Y = uint64_t{ny} + 1, Z = uint64_t{nz} + 1;
  if (!FitsCounts(2 * ((Y + 2 + Z) * (X + 1) + (Z + 1) * (Y + 1)), 4 * ((Y + Z) * X + Y * Z)))
    return;
  if (!resizeV(static_cast<uint32_t>(2 * ((Y + 2 + Z) * (X + 1) + (Z + 1) * (Y + 1))), true) ||
      !resizeF(static_cast<uint32_t>(4 * ((Y + Z) * X + Y * Z)), true))
    return;
  // One side: rows (outer) by columns; `axes` says where the row and column
  // fractions go in the position and uv, `fixed` the side's constant axis.
  struct Side {
    uint32_t rows, cols;  // cells
    int rowAxis, colAxis, fixedAxis;
    float fixed;
    bool rowFirstInUv;
    bool windingB;
  };
  const uint32_t cx = static_cast<uint32_t>(X), cy = static_cast<uint32_t>(Y),
                 cz = static_cast<uint32_t>(Z);
  const Side sides[6] = {{cx, cy, 0, 1, 2, 1, true, false}, {cz, cy, 2, 1, 0, 0, false, false},
                         {cx, cz, 0, 2, 1, 0, true, false}, {cz, cy, 2, 1, 0, 1, false, true},
                         {cx, cy, 0, 1, 2, 0, true, true},  {cx, cz, 0, 2, 1, 1, true, true}};
  uint32_t v = 0;
  uint32_t* t = tris;
  for (const Side& s : sides) {
    const uint32_t base = v, W = s.cols + 1;
    for (uint32_t i = 0; i <= s.rows; ++i)
      for (uint32_t j = 0; j <= s.cols; ++j, ++v) {
        const float fi = static_cast<float>(i) / static_cast<float>(s.rows);
        const float fj = static_cast<float>(j) / static_cast<float>(s.cols);
        pos[v][s.rowAxis] = fi;
        pos[v][s.colAxis] = fj;
        pos[v][s.fixedAxis] = s.fixed;
        uv[2 * v] = s.rowFirstInUv ? fi : fj;
        uv[2 * v + 1] = s.rowFirstInUv ? fj : fi;
      }
    for (uint32_t i = 0; i < s.rows; ++i)
      for (uint32_t j = 0; j < s.cols; ++j, t += 6) {
        const uint32_t a = base + i * W + j, b = a + 1, c = a + W, d = c + 1;
        if (s.windingB) {
          SetTri(t, a, c, d);
          SetTri(t + 3, a, d, b);
        } else {
          SetTri(t, a, b, c);
          SetTri(t + 3, c, b, d);
        }
      }
  }
  SingleGroup(*this);
}
