#include "geometry/mesh.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/mesh_reference.h"
#include "support/test_support.h"

namespace {
// Positions, uvs and triangles equal, groups equal.
void ExpectSameShape(const Mesh& a, const Mesh& b) {
  ASSERT_EQ(a.vertCount, b.vertCount);
  ASSERT_EQ(a.triCount, b.triCount);
  for (uint32_t v = 0; v < a.vertCount; ++v) {
    EXPECT_EQ(a.pos[v], b.pos[v]) << v;
    EXPECT_EQ(a.uv[2 * v], b.uv[2 * v]) << v;
    EXPECT_EQ(a.uv[2 * v + 1], b.uv[2 * v + 1]) << v;
  }
  EXPECT_EQ(std::memcmp(a.tris, b.tris, 12 * a.triCount), 0);
  ASSERT_EQ(a.groupCount, b.groupCount);
  for (uint16_t g = 0; g < a.groupCount; ++g) {
    EXPECT_EQ(a.groupTris[g], b.groupTris[g]);
    EXPECT_STREQ(a.texName[g].c_str(), b.texName[g].c_str());
  }
}

// Every face normal points away from `inside` and the mesh is one group
// "empty" holding all triangles.
void ExpectOutwardSingleGroup(Mesh& mesh, const vec3& inside) {
  mesh.ReNormal();
  for (uint32_t t = 0; t < mesh.triCount; ++t) {
    const uint32_t* c = mesh.tris + 3 * t;
    const vec3 centroid = (mesh.pos[c[0]] + mesh.pos[c[1]] + mesh.pos[c[2]]) / 3.0f;
    EXPECT_GT(dot(mesh.triNorm[t], centroid - inside), 0.0f) << "triangle " << t;
  }
  ASSERT_EQ(mesh.groupCount, 1);
  EXPECT_STREQ(mesh.texName[0].c_str(), "empty");
  EXPECT_EQ(mesh.groupTex[0], 0);
  EXPECT_EQ(mesh.groupTris[0], mesh.triCount);
}

void ExpectDupesMatchReference(Mesh& mesh) {
  const reference::Dupes expected = reference::DupeVerts(mesh);
  LogCapture log;
  mesh.setDupeVerts();
  EXPECT_TRUE(log.Contains("[" + std::to_string(expected.pairs) + "] vert dupes"));
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    ASSERT_EQ(mesh.dupeCount[v], expected.lists[v].size()) << "vertex " << v;
    for (size_t k = 0; k < expected.lists[v].size(); ++k)
      ASSERT_EQ(mesh.dupes[v][k], expected.lists[v][k]) << "vertex " << v;
  }
}

void ExpectEdgesMatchReference(Mesh& mesh) {
  const reference::Edges expected = reference::BuildEdges(mesh);
  mesh.BuildEdges();
  ASSERT_EQ(mesh.edgeCount, expected.edges.size() / 2);
  EXPECT_EQ(std::memcmp(mesh.edges, expected.edges.data(), 4 * expected.edges.size()), 0);
  for (uint32_t t = 0; t < mesh.triCount; ++t)
    for (int k = 0; k < 3; ++k)
      ASSERT_EQ(mesh.triEdges[4 * t + k], expected.triEdges[3 * t + k]) << t;
}
}  // namespace

TEST(MeshGrowth, SmallerVertexCountKeepsDataAndGrowingBackKeepsIt) {
  Mesh mesh;
  mesh.resizeV(4, true);
  for (uint32_t v = 0; v < 4; ++v) mesh.pos[v] = vec3(float(v), 0, 0);
  vec3* before = mesh.pos;
  ASSERT_TRUE(mesh.resizeV(2, false));
  EXPECT_EQ(mesh.vertCount, 2u);
  EXPECT_EQ(mesh.pos, before);
  EXPECT_EQ(mesh.pos[3], vec3(3, 0, 0));
  ASSERT_TRUE(mesh.resizeV(3, false));
  EXPECT_EQ(mesh.pos[1], vec3(1, 0, 0));
  EXPECT_EQ(mesh.dupeCount[2], 0);
  EXPECT_EQ(mesh.dupes[2], nullptr);
  mesh.Clear();
  EXPECT_EQ(mesh.pos, nullptr);
  EXPECT_EQ(mesh.vertCount, 0u);
}

TEST(MeshGrowth, BonesAndGroupsStartEmptyAndSetsGrowPerSet) {
  Mesh mesh;
  mesh.slot = 7;
  mesh.resizeV(3, true);
  mesh.resizeB(2, true);
  EXPECT_EQ(mesh.weightSlots, 3u);
  EXPECT_EQ(mesh.boneIdx[2], nullptr);
  EXPECT_EQ(mesh.weightCount[1], 0);
  EXPECT_EQ(mesh.boneName[1].length, 0);
  mesh.resizeT(2, true);
  mesh.texName[1].assign("a.jpg");
  mesh.groupTris[1] = 5;
  mesh.resizeT(3, false);
  EXPECT_STREQ(mesh.texName[1].c_str(), "a.jpg");
  EXPECT_EQ(mesh.groupTris[2], 0u);
  mesh.resizeT(2, true);  // reset: every group starts over
  EXPECT_EQ(mesh.texName[1].length, 0);
  EXPECT_EQ(mesh.groupTris[1], 0u);

  mesh.resizeS(2, 0);
  EXPECT_EQ(mesh.setCount, 2);
  EXPECT_EQ(mesh.setSize[1], 0);
  mesh.resizeS(1, 3);
  ASSERT_EQ(mesh.setSize[1], 3);
  EXPECT_EQ(mesh.sets[1][2], 0u);
  mesh.resizeS(2, 9);  // names no set
  EXPECT_EQ(mesh.setCount, 2);
  mesh.Clear();
  EXPECT_EQ(mesh.slot, 7u);  // the manager's, not the mesh's
  EXPECT_EQ(mesh.setCount, 0);
}

TEST(MeshGen, SphereClampsToThreeAndLogsTheArgumentsAsGiven) {
  Mesh small, three;
  {
    LogCapture log;
    small.GenSphere(0, 0);
    EXPECT_TRUE(log.Contains("Mesh:Gen:Sphere 0 0"));
  }
  three.GenSphere(3, 3);
  ExpectSameShape(small, three);
  EXPECT_EQ(small.vertCount, 4u + 3 + 3);
  EXPECT_EQ(small.triCount, 6u);
  ExpectOutwardSingleGroup(small, vec3());
  small.Clear();
  three.Clear();
}

TEST(MeshGen, SphereCountsAndWindings) {
  for (int S : {3, 4, 17})
    for (int T : {3, 5, 12}) {
      Mesh mesh;
      mesh.GenSphere(S, T);
      EXPECT_EQ(mesh.vertCount, uint32_t((T - 2) * (S + 1) + 2 * S));
      EXPECT_EQ(mesh.triCount, uint32_t(2 * S * (T - 2)));
      ExpectOutwardSingleGroup(mesh, vec3());
      for (uint32_t v = 0; v < mesh.vertCount; ++v) EXPECT_NEAR(length(mesh.pos[v]), 1.0f, 1e-6f);
      // Poles: south first, then north, v centred in each slice.
      const uint32_t south = mesh.vertCount - 2 * S;
      EXPECT_EQ(mesh.pos[south], vec3(0, 0, -1));
      EXPECT_EQ(mesh.uv[2 * south], 1.0f);
      EXPECT_FLOAT_EQ(mesh.uv[2 * south + 1], 0.5f / S);
      EXPECT_EQ(mesh.pos[mesh.vertCount - 1], vec3(0, 0, 1));
      mesh.Clear();
    }
}

TEST(MeshGen, BoxCountsCornersAndWindings) {
  Mesh cube;
  cube.GenBox(0, 0, 0);
  EXPECT_EQ(cube.vertCount, 24u);
  EXPECT_EQ(cube.triCount, 12u);
  for (uint32_t v = 0; v < cube.vertCount; ++v)
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(cube.pos[v][k] == 0.0f || cube.pos[v][k] == 1.0f);
  ExpectOutwardSingleGroup(cube, vec3(0.5f, 0.5f, 0.5f));
  cube.Clear();

  for (int nx : {0, 2})
    for (int ny : {1, 3})
      for (int nz : {0, 4}) {
        Mesh box;
        box.GenBox(nx, ny, nz);
        EXPECT_EQ(box.vertCount, uint32_t(2 * ((ny + 4 + nz) * (nx + 2) + (nz + 2) * (ny + 2))));
        EXPECT_EQ(box.triCount, uint32_t(4 * ((ny + 2 + nz) * (nx + 1) + (ny + 1) * (nz + 1))));
        ExpectOutwardSingleGroup(box, vec3(0.5f, 0.5f, 0.5f));
        box.Clear();
      }
}

TEST(MeshTransform, CentreMovesTheBoxCentreToTheOriginAndScaleIsPerAxis) {
  Mesh mesh;
  mesh.Centre();  // no vertices: nothing to do
  mesh.GenBox(1, 0, 2);
  mesh.Scale(2, 4, 6);
  mesh.Centre();
  vec3 lo = mesh.pos[0], hi = mesh.pos[0];
  for (uint32_t v = 0; v < mesh.vertCount; ++v)
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], mesh.pos[v][k]);
      hi[k] = std::max(hi[k], mesh.pos[v][k]);
    }
  EXPECT_EQ(lo, vec3(-1, -2, -3));
  EXPECT_EQ(hi, vec3(1, 2, 3));
  mesh.Clear();
}

TEST(MeshDupes, ToleranceIsInclusiveAtOneThousandth) {
  Mesh mesh;
  mesh.resizeV(4, true);
  mesh.pos[0] = vec3(0, 0, 0);
  mesh.pos[1] = vec3(0.001f, 0, 0);   // duplicate of 0
  mesh.pos[2] = vec3(0, 0, 0.0011f);  // not
  mesh.pos[3] = vec3(0.001f, 0.001f, -0.001f);
  mesh.setDupeVerts();
  ASSERT_EQ(mesh.dupeCount[0], 2);
  EXPECT_EQ(mesh.dupes[0][0], 1u);
  EXPECT_EQ(mesh.dupes[0][1], 3u);
  EXPECT_EQ(mesh.dupeCount[2], 0);
  ASSERT_EQ(mesh.dupeCount[3], 2);
  EXPECT_EQ(mesh.dupes[3][0], 0u);
  mesh.resizeV(1, false);
  LogCapture log;
  mesh.setDupeVerts();
  EXPECT_TRUE(log.Contains("[0] vert dupes"));
  mesh.Clear();
}

TEST(MeshDupes, HashedPassMatchesTheAllPairsScan) {
  Mesh sphere, box;
  sphere.GenSphere(24, 13);
  ExpectDupesMatchReference(sphere);
  box.GenBox(3, 2, 1);
  ExpectDupesMatchReference(box);
  sphere.Clear();
  box.Clear();
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    Mesh mesh;
    reference::ClusteredMesh(mesh, 2000, 100, seed);
    ExpectDupesMatchReference(mesh);
    ExpectDupesMatchReference(mesh);  // a second pass replaces the lists
    mesh.Clear();
  }
}

TEST(MeshDupes, ListsStopAt255) {
  Mesh mesh;
  mesh.resizeV(300, true);
  for (uint32_t v = 0; v < 300; ++v) mesh.pos[v] = vec3(1, 2, 3);
  ExpectDupesMatchReference(mesh);
  EXPECT_EQ(mesh.dupeCount[0], 255);
  EXPECT_EQ(mesh.dupeCount[299], 43);  // later vertices find the early lists full
  mesh.Clear();
}

TEST(MeshNormals, UnitOrZeroAndSharedAcrossCoincidentVertices) {
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
  // The seam: first and last vertex of a ring coincide and share a normal.
  EXPECT_EQ(mesh.norm[0], mesh.norm[8]);
  mesh.Clear();
}

TEST(MeshEdges, SharedEdgeThroughCoincidentVerticesIsStoredOnce) {
  Mesh mesh;
  mesh.resizeV(6, true);
  mesh.pos[0] = vec3(0, 0, 0);
  mesh.pos[1] = vec3(1, 0, 0);
  mesh.pos[2] = vec3(0, 1, 0);
  mesh.pos[3] = vec3(1, 0, 0.000005f);  // welds to 1
  mesh.pos[4] = vec3(0, 1, 0);          // welds to 2
  mesh.pos[5] = vec3(1, 1, 0);
  mesh.resizeF(2, true);
  const uint32_t tris[6] = {0, 1, 2, 4, 3, 5};
  std::memcpy(mesh.tris, tris, sizeof tris);
  LogCapture log;
  mesh.BuildEdges();
  EXPECT_EQ(mesh.edgeCount, 5u);
  EXPECT_TRUE(log.Contains("Build Edges::start"));
  EXPECT_TRUE(log.Contains("Build Edges::end me=5 (pe=4)"));
  EXPECT_EQ(mesh.triEdges[4 * 1 + 0], 1u);  // (4,3) is (2,1) welded: edge 1 reversed
  EXPECT_EQ(mesh.edges[2 * 3], 1u);         // (3,5) stored with welded ends (1,5)
  EXPECT_EQ(mesh.edges[2 * 3 + 1], 5u);
  mesh.BuildEdges();  // a second call rebuilds the same table
  EXPECT_EQ(mesh.edgeCount, 5u);
  mesh.Clear();
}

TEST(MeshEdges, HashedWeldAndSearchMatchTheLinearReference) {
  Mesh sphere, box;
  sphere.GenSphere(30, 17);
  ExpectEdgesMatchReference(sphere);
  box.GenBox(2, 5, 3);
  ExpectEdgesMatchReference(box);
  sphere.Clear();
  box.Clear();
  for (uint32_t seed = 11; seed <= 16; ++seed) {
    Mesh mesh;
    reference::ClusteredMesh(mesh, 1500, 1200, seed);
    ExpectEdgesMatchReference(mesh);
    mesh.Clear();
  }
}

TEST(MeshDupes, AMeshWithoutVertexArraysFindsNone) {
  Mesh mesh;
  LogCapture log;
  mesh.setDupeVerts();
  EXPECT_EQ(log.lines, std::vector<std::string>{"[0] vert dupes"});
}
