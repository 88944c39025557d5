// Work that models of one shared mesh would repeat is done once: the mesh's
// normals when nothing changed since the last run, and the query index.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "geometry/model.h"
#include "geometry/triangle_queries.h"
#include "support/test_support.h"

namespace {
std::vector<vec3> Normals(const Mesh& m) {
  return std::vector<vec3>(m.norm, m.norm + m.vertCount);
}
}  // namespace

TEST(SharedWork, ReNormalRepeatsItsLogLinesAndRedoesWhateverChanged) {
  Mesh mesh;
  mesh.Init();
  mesh.GenBox(1, 1, 1);  // coincident corners: duplicate pairs
  mesh.ReNormal();
  const std::vector<vec3> first = Normals(mesh);
  std::vector<std::string> lines[2];
  for (auto& out : lines) {
    LogCapture log;
    mesh.ReNormal();
    out = log.lines;
  }
  EXPECT_EQ(lines[0], lines[1]);
  ASSERT_EQ(lines[1].size(), 2u);
  EXPECT_EQ(lines[1][1], "ReNormal tris");
  EXPECT_TRUE(std::memcmp(first.data(), mesh.norm, first.size() * sizeof(vec3)) == 0);
  // Positions edited in place, and results overwritten, are both noticed.
  mesh.pos[0].z += 0.5f;
  mesh.ReNormal();
  EXPECT_NE(Normals(mesh), first);
  mesh.pos[0].z -= 0.5f;
  mesh.ReNormal();
  EXPECT_EQ(Normals(mesh), first);
  const vec3 stored = mesh.triNorm[3];
  mesh.triNorm[3] = vec3(1, 2, 3);
  mesh.norm[5] = vec3();
  mesh.ReNormal();
  EXPECT_EQ(mesh.triNorm[3], stored);
  EXPECT_EQ(Normals(mesh), first);
  const uint32_t last = mesh.vertCount - 1;  // a corner: it has duplicates
  const uint8_t count = mesh.dupeCount[last];
  mesh.dupeCount[last] = 0;
  mesh.ReNormal();
  EXPECT_EQ(mesh.dupeCount[last], count);
  EXPECT_GT(count, 0);
  mesh.Clear();
}

TEST(SharedWork, ModelsOfOneUnchangedMeshShareTheirQueryIndex) {
  Mesh mesh;
  mesh.Init();
  mesh.GenSphere(16, 12);
  Model a, b, c;
  for (Model* m : {&a, &b, &c}) {
    m->Reset();
    m->Assign(&mesh);
  }
  a.BuildQueryIndex();
  b.ShareQueryIndex(a);
  EXPECT_EQ(b.queryIndex, a.queryIndex);
  c.verts[0].x += 0.25f;  // its own shape now: an index of its own
  c.ShareQueryIndex(a);
  ASSERT_NE(c.queryIndex, nullptr);
  EXPECT_NE(c.queryIndex, a.queryIndex);
  a.Release();  // the index outlives the model it was built for
  b.position = vec3(0, 0, 5);
  b.UpdateMatrix();
  vec3 hit, normal;
  float t = 1;
  ASSERT_TRUE(b.RayCast(vec3(0, 0, 8), vec3(0, 0, -4), hit, normal, t));
  EXPECT_NEAR(hit.z, 6, 1e-3);
  b.Release();
  c.Release();
  mesh.Clear();
}
