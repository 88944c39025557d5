#include "geometry/mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

#include "support/mesh_reference.h"
#include "support/test_support.h"

namespace {
std::vector<uint32_t> Tris(const Mesh& m) {
  return std::vector<uint32_t>(m.tris, m.tris + 3 * m.triCount);
}

// Every face normal points away from `inside`; one group "empty" holds all.
void ExpectOutwardSingleGroup(Mesh& mesh, const vec3& inside) {
  mesh.ReNormal();
  for (uint32_t t = 0; t < mesh.triCount; ++t) {
    const uint32_t* c = mesh.tris + 3 * t;
    const vec3 centroid = (mesh.pos[c[0]] + mesh.pos[c[1]] + mesh.pos[c[2]]) / 3.0f;
    EXPECT_GT(dot(mesh.triNorm[t], centroid - inside), 0.0f) << "triangle " << t;
  }
  ASSERT_EQ(mesh.groupCount, 1);
  EXPECT_TRUE(!std::strcmp(mesh.texName[0].c_str(), "empty") && mesh.groupTris[0] == mesh.triCount);
}

void ExpectDupesMatchReference(Mesh& mesh) {
  const reference::Dupes expected = reference::DupeVerts(mesh);
  LogCapture log;
  mesh.setDupeVerts();
  EXPECT_TRUE(log.Contains("[" + std::to_string(expected.pairs) + "] vert dupes"));
  for (uint32_t v = 0; v < mesh.vertCount; ++v)
    ASSERT_EQ(std::vector<uint32_t>(mesh.dupes[v], mesh.dupes[v] + mesh.dupeCount[v]),
              expected.lists[v])
        << "vertex " << v;
}

void ExpectEdgesMatchReference(Mesh& mesh) {
  const reference::Edges expected = reference::BuildEdges(mesh);
  mesh.BuildEdges();
  ASSERT_EQ(std::vector<uint32_t>(mesh.edges, mesh.edges + 2 * mesh.edgeCount), expected.edges);
  for (uint32_t t = 0; t < mesh.triCount; ++t)
    for (int k = 0; k < 3; ++k) ASSERT_EQ(mesh.triEdges[4 * t + k], expected.triEdges[3 * t + k]);
}
}  // namespace

TEST(MeshGrowth, ResizesKeepDataResetsClearItAndCentreScales) {
  Mesh mesh;
  mesh.slot = 7;
  mesh.resizeV(4, true);
  for (uint32_t v = 0; v < 4; ++v) mesh.pos[v] = vec3(float(v), 0, 0);
  vec3* before = mesh.pos;
  ASSERT_TRUE(mesh.resizeV(2, false) && mesh.pos == before && mesh.resizeV(3, false));
  EXPECT_TRUE(mesh.pos[1] == vec3(1, 0, 0) && mesh.dupes[2] == nullptr);
  mesh.resizeB(2, true);
  EXPECT_TRUE(mesh.weightSlots == 3 && mesh.boneIdx[2] == nullptr);
  mesh.resizeT(2, true);
  mesh.texName[1].assign("a.jpg");
  mesh.groupTris[1] = 5;
  mesh.resizeT(3, false);
  EXPECT_STREQ(mesh.texName[1].c_str(), "a.jpg");
  EXPECT_EQ(mesh.groupTris[2], 0u);
  mesh.resizeT(2, true);
  EXPECT_TRUE(mesh.texName[1].length == 0 && mesh.groupTris[1] == 0);
  mesh.resizeS(2, 0);
  mesh.resizeS(1, 3);
  ASSERT_TRUE(mesh.setSize[1] == 3 && mesh.sets[1][2] == 0);
  mesh.resizeS(2, 9);  // names no set
  EXPECT_EQ(mesh.setCount, 2);
  mesh.Clear();  // the slot is the manager's, not the mesh's
  EXPECT_TRUE(mesh.pos == nullptr && mesh.slot == 7 && mesh.setCount == 0);
  // Centre moves the box's centre to the origin; scaling is per axis.
  mesh.Centre();  // no vertices: nothing to do
  mesh.GenBox(0, 0, 0);
  mesh.Scale(2, 4, 6);
  mesh.Centre();
  for (uint32_t v = 0; v < mesh.vertCount; ++v)
    EXPECT_EQ(vec3(std::abs(mesh.pos[v].x), std::abs(mesh.pos[v].y), std::abs(mesh.pos[v].z)),
              vec3(1, 2, 3));
  mesh.Clear();
}

TEST(MeshGen, SphereOrderOfRingsPolesAndTriangles) {
  Mesh mesh;
  for (int n : {0, 3}) {  // 0, 0 clamps to 3, 3: one ring on the equator
    mesh.GenSphere(n, n);
    EXPECT_EQ(Tris(mesh),
              (std::vector<uint32_t>{1, 0, 7, 2, 1, 8, 3, 2, 9, 0, 1, 4, 1, 2, 5, 2, 3, 6}));
    mesh.Clear();
  }
  mesh.GenSphere(3, 4);  // rings at 60 and 120 degrees from the north pole
  const std::vector<uint32_t> tris = {0, 1, 4,  4, 1, 5,  1, 2, 5,  5, 2, 6, 2, 3, 6, 6, 3, 7,
                                      1, 0, 11, 2, 1, 12, 3, 2, 13, 4, 5, 8, 5, 6, 9, 6, 7, 10};
  EXPECT_EQ(Tris(mesh), tris);
  const float s = std::sqrt(0.75f);
  const std::tuple<uint32_t, vec3, float, float> verts[] = {
      {0, vec3(s, 0, 0.5f), 1 / 3.0f, 0}, {1, vec3(-s / 2, 0.75f, 0.5f), 1 / 3.0f, 1 / 3.0f},
      {3, vec3(s, 0, 0.5f), 1 / 3.0f, 1}, {4, vec3(s, 0, -0.5f), 2 / 3.0f, 0},
      {8, vec3(0, 0, -1), 1, 1 / 6.0f},   {10, vec3(0, 0, -1), 1, 5 / 6.0f},
      {11, vec3(0, 0, 1), 0, 1 / 6.0f},   {13, vec3(0, 0, 1), 0, 5 / 6.0f}};
  for (const auto& [v, pos, u, w] : verts)
    EXPECT_TRUE(length(mesh.pos[v] - pos) < 1e-6f && std::abs(mesh.uv[2 * v] - u) < 1e-6f &&
                std::abs(mesh.uv[2 * v + 1] - w) < 1e-6f)
        << v;
  ExpectOutwardSingleGroup(mesh, vec3());
  mesh.Clear();
  for (int S : {4, 17})
    for (int T : {5, 12}) {
      mesh.GenSphere(S, T);
      EXPECT_TRUE(mesh.vertCount == uint32_t((T - 2) * (S + 1) + 2 * S) &&
                  mesh.triCount == uint32_t(2 * S * (T - 2)))
          << S << T;
      ExpectOutwardSingleGroup(mesh, vec3());
      mesh.Clear();
    }
}

TEST(MeshGen, BoxOrderOfSidesCellsAndWindings) {
  Mesh cube;
  cube.GenBox(0, 0, 0);
  ASSERT_EQ(cube.vertCount, 24u);
  EXPECT_EQ(Tris(cube), (std::vector<uint32_t>{0,  1,  2,  2,  1,  3,  4,  5,  6,  6,  5,  7,
                                               8,  9,  10, 10, 9,  11, 12, 14, 15, 12, 15, 13,
                                               16, 18, 19, 16, 19, 17, 20, 22, 23, 20, 23, 21}));
  // Sides z = 1, x = 0, y = 0, x = 1, z = 0, y = 1; rows outer, columns inner.
  const vec3 corners[24] = {{0, 0, 1}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}, {0, 0, 0}, {0, 1, 0},
                            {0, 0, 1}, {0, 1, 1}, {0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 0, 1},
                            {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {0, 0, 0}, {0, 1, 0},
                            {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1}, {1, 1, 0}, {1, 1, 1}};
  for (uint32_t v = 0; v < 24; ++v) {
    EXPECT_EQ(cube.pos[v], corners[v]) << v;
    const bool swapped = v / 4 == 1 || v / 4 == 3;  // the x sides map (y, z) to (u, v)
    EXPECT_EQ(cube.uv[2 * v], float(swapped ? v % 2 : v % 4 / 2)) << v;
    EXPECT_EQ(cube.uv[2 * v + 1], float(swapped ? v % 4 / 2 : v % 2)) << v;
  }
  ExpectOutwardSingleGroup(cube, vec3(0.5f, 0.5f, 0.5f));
  cube.Clear();
  cube.GenBox(1, 0, 0);  // two cells along x: the top side has 3 rows of 2
  EXPECT_EQ(std::vector<uint32_t>(cube.tris + 6, cube.tris + 12),
            (std::vector<uint32_t>{2, 3, 4, 4, 3, 5}));
  EXPECT_TRUE(cube.pos[2] == vec3(0.5f, 0, 1) && cube.pos[6] == vec3());  // side two at 6
  cube.Clear();
  for (int nx : {0, 2})
    for (int ny : {1, 3})
      for (int nz : {0, 4}) {
        Mesh box;
        box.GenBox(nx, ny, nz);
        EXPECT_TRUE(box.vertCount ==
                        uint32_t(2 * ((ny + 4 + nz) * (nx + 2) + (nz + 2) * (ny + 2))) &&
                    box.triCount == uint32_t(4 * ((ny + 2 + nz) * (nx + 1) + (ny + 1) * (nz + 1))));
        ExpectOutwardSingleGroup(box, vec3(0.5f, 0.5f, 0.5f));
        box.Clear();
      }
}

TEST(MeshNormals, UnitOrZeroSharedAcrossCoincidentVerticesAndRedoneWhenChanged) {
  Mesh mesh;
  mesh.GenSphere(8, 6);
  mesh.resizeV(mesh.vertCount + 1, false);  // one vertex no triangle touches
  mesh.pos[mesh.vertCount - 1] = vec3(5, 5, 5);
  mesh.ReNormal();
  for (uint32_t v = 0; v + 1 < mesh.vertCount; ++v) {
    EXPECT_NEAR(length(mesh.norm[v]), 1.0f, 1e-5f);
    EXPECT_GT(dot(mesh.norm[v], mesh.pos[v]), 0.9f);  // smooth: close to the radius
  }
  EXPECT_EQ(mesh.norm[mesh.vertCount - 1], vec3());
  EXPECT_EQ(mesh.norm[0], mesh.norm[8]);  // the seam shares a normal
  mesh.Clear();
  // Running again with nothing changed repeats its log lines; whatever changed
  // (positions edited in place, results overwritten) is redone.
  mesh.GenBox(1, 1, 1);  // coincident corners: duplicate pairs
  mesh.ReNormal();
  auto normals = [&] { return std::vector<vec3>(mesh.norm, mesh.norm + mesh.vertCount); };
  const std::vector<vec3> first = normals();
  std::vector<std::string> lines[2];
  for (auto& out : lines) {
    LogCapture log;
    mesh.ReNormal();
    out = log.lines;
  }
  EXPECT_EQ(lines[0], lines[1]);
  EXPECT_EQ(normals(), first);
  mesh.pos[0].z += 0.5f;
  mesh.ReNormal();
  EXPECT_NE(normals(), first);
  mesh.pos[0].z -= 0.5f;
  mesh.ReNormal();
  EXPECT_EQ(normals(), first);
  const vec3 stored = mesh.triNorm[3];
  mesh.triNorm[3] = vec3(1, 2, 3);
  mesh.norm[5] = vec3();
  mesh.ReNormal();
  EXPECT_EQ(mesh.triNorm[3], stored);
  EXPECT_EQ(normals(), first);
  const uint32_t last = mesh.vertCount - 1;  // a corner: it has duplicates
  const uint8_t count = mesh.dupeCount[last];
  mesh.dupeCount[last] = 0;
  mesh.ReNormal();
  EXPECT_GT(count, 0);
  EXPECT_EQ(mesh.dupeCount[last], count);
  mesh.Clear();
}

TEST(MeshDupesAndEdges, HashedPassesMatchTheAllPairsAndLinearReferences) {
  Mesh mesh;
  mesh.resizeV(4, true);  // the tolerance is inclusive at a thousandth
  const vec3 p[4] = {{0, 0, 0}, {0.001f, 0, 0}, {0, 0, 0.0011f}, {0.001f, 0.001f, -0.001f}};
  std::copy(p, p + 4, mesh.pos);
  ExpectDupesMatchReference(mesh);
  EXPECT_TRUE(mesh.dupeCount[0] == 2 && mesh.dupeCount[2] == 0);
  mesh.resizeV(2, true);  // two vertices are enough for a pair
  mesh.pos[0] = mesh.pos[1] = vec3(5, 5, 5);
  mesh.setDupeVerts();
  EXPECT_TRUE(mesh.dupeCount[0] == 1 && mesh.dupes[1][0] == 0);
  // Three points in a row 0.0006 apart: neighbours are duplicates, the ends
  // are not; crowds on them fill their lists to the cap of 255.
  mesh.resizeV(1500, true);
  for (uint32_t v = 0; v < 1500; ++v) mesh.pos[v] = vec3(1 + (v % 3) * 0.0006f, 2, 3);
  ExpectDupesMatchReference(mesh);
  EXPECT_EQ(mesh.dupeCount[0], 255);
  mesh.Clear();
  {
    LogCapture log;  // no vertex arrays: none
    mesh.setDupeVerts();
    EXPECT_EQ(log.lines, std::vector<std::string>{"[0] vert dupes"});
  }
  for (uint32_t seed = 0; seed <= 6; ++seed) {
    seed ? reference::ClusteredMesh(mesh, 2000, 100, seed) : mesh.GenSphere(24, 13);
    ExpectDupesMatchReference(mesh);
    ExpectDupesMatchReference(mesh);  // a second pass replaces the lists
    mesh.Clear();
  }
  // Welded edges are stored once and match the linear reference.
  mesh.resizeV(6, true);
  const vec3 q[6] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0.000005f}, {0, 1, 0}, {1, 1, 0}};
  std::copy(q, q + 6, mesh.pos);
  mesh.resizeF(2, true);
  const uint32_t tris[6] = {0, 1, 2, 4, 3, 5};
  std::memcpy(mesh.tris, tris, sizeof tris);
  mesh.BuildEdges();
  EXPECT_EQ(std::vector<uint32_t>(mesh.edges, mesh.edges + 10),
            (std::vector<uint32_t>{0, 1, 1, 2, 2, 0, 1, 5, 5, 2}));
  EXPECT_EQ(mesh.triEdges[4], 1u);  // (4,3) is (2,1) welded: edge 1 reversed
  for (uint32_t seed = 9; seed <= 16; ++seed) {
    mesh.Clear();
    if (seed == 9) mesh.GenSphere(30, 17);
    if (seed == 10) mesh.GenBox(2, 5, 3);
    if (seed > 10) reference::ClusteredMesh(mesh, 1500, 1200, seed);
    ExpectEdgesMatchReference(mesh);
    mesh.Clear();
  }
}
