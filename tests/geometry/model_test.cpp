#include "geometry/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "core/growth.h"
#include "support/test_support.h"
#include "support/vec_expect.h"

namespace {
// A mesh of n vertices on the x axis at 0, 1, ..., n - 1 with one triangle.
void LineMesh(Mesh& mesh, uint32_t n) {
  mesh.resizeV(n, false);
  for (uint32_t v = 0; v < n; ++v) mesh.pos[v] = vec3(static_cast<float>(v), 0, 0);
  mesh.resizeF(1, false);
  for (uint32_t k = 0; k < 3; ++k) mesh.tris[k] = k;
}

struct Scene {
  Mesh mesh;
  Model model;
  Scene() { mesh.Init(); }
  ~Scene() {
    model.Release();
    mesh.Clear();
  }
};

// The same sphere mesh behind two models at one tilted placement, one of
// them with a query index.
struct Pair : Scene {
  Model indexed;
  Pair() {
    mesh.GenSphere(16, 12);
    mesh.Scale(3, 2, 1.5f);
    for (Model* m : {&model, &indexed}) {
      m->Assign(&mesh);
      m->angles = vec3(20, -35, 130);
      m->position = vec3(5, -3, 2);
      m->UpdateMatrix();
    }
    indexed.BuildQueryIndex();
  }
  ~Pair() { indexed.Release(); }
};
}  // namespace

TEST(Model, BoundsFollowTheMeshThroughRefreshAndTheMatrixPlacesIt) {
  Scene s;
  s.model.position = vec3(4, 5, 6);
  s.model.Assign(&s.mesh);  // no vertices: an empty model
  EXPECT_TRUE(s.model.vertexCount == 0 && s.model.verts == nullptr && s.model.radius == 0);
  EXPECT_EQ(s.model.worldCenter, vec3(4, 5, 6));
  vec3 hit, normal;
  float t = 1;
  EXPECT_FALSE(s.model.RayCast(vec3(4, 5, 7), vec3(0, 0, -2), hit, normal, t));
  const std::tuple<uint32_t, float, float> lines[] = {{3, 1, 1}, {9, 4, 4}, {2, 0.5f, 0.5f}};
  for (const auto& [n, centre, radius] : lines) {
    n > 2 ? LineMesh(s.mesh, n) : void(s.mesh.resizeV(n, false));  // 2: the 9 shrunk
    s.model.Refresh();
    ASSERT_EQ(s.model.vertexCount, n);
    EXPECT_EQ(s.model.verts[n - 1], vec3(n - 1.0f, 0, 0));
    EXPECT_EQ(s.model.center, vec3(centre, 0, 0));
    EXPECT_EQ(s.model.radius, radius);
  }
  for (int v = 0; v < 2; ++v) s.mesh.pos[v] = vec3(2, -1, 7);
  s.model.Refresh();
  EXPECT_EQ(s.model.radius, 0.0f);
  EXPECT_EQ(s.model.center, vec3(2, -1, 7));
  s.mesh.Clear();
  s.mesh.GenBox(0, 0, 0);
  s.mesh.Scale(10, 10, 10);
  s.model.Refresh();
  EXPECT_NEAR(s.model.radius, 10 * std::sqrt(0.75f), 1e-5f);
  ExpectNear(s.model.center, vec3(5, 5, 5));
  for (uint32_t v = 0; v < s.model.vertexCount; ++v)  // the box's normals point out
    EXPECT_GT(dot(s.model.normals[v], s.model.verts[v] - s.model.center), 0) << v;
  // The world matrix turns about the centre and places it.
  Model m;
  m.angles = vec3(0, 0, 90);
  m.position = vec3(1, 2, 3);
  m.center = vec3(1, 0, 0);
  m.UpdateMatrix();
  ExpectNear(m.world.transformPoint(vec3(1, 0, 0)), vec3(1, 3, 3));
  ExpectNear(m.worldCenter, vec3(1, 3, 3));
  ExpectNear(m.invWorld.transformPoint(vec3(1, 3, 3)), vec3(1, 0, 0));
  m.Reset();
  EXPECT_TRUE(m.world.m[12] == 0 && m.slot == -1 && m.hitTriangle == -1);
}

TEST(Model, ReNormalFollowsTheModelsOwnVerticesAndTextureNamesAreCopied) {
  Scene s;
  s.mesh.GenBox(0, 0, 0);
  s.model.Assign(&s.mesh);
  // Shear the model's copy: the top face (z = 1) tilts toward +x.
  for (uint32_t v = 0; v < s.model.vertexCount; ++v) s.model.verts[v].z += s.model.verts[v].x;
  s.model.ReNormal();
  for (int t = 0; t < 2; ++t) ExpectNear(s.mesh.triNorm[t], normalize(vec3(-1, 0, 1)));  // top
  for (uint32_t v = 0; v < s.model.vertexCount; ++v)
    EXPECT_NEAR(length(s.model.normals[v]), 1.0f, 1e-5f) << v;
  // The shared mesh keeps its own positions.
  for (uint32_t v = 0; v < s.mesh.vertCount; ++v)
    EXPECT_TRUE(s.mesh.pos[v].z == 0 || s.mesh.pos[v].z == 1) << v;
  // Texture names are copied unless the mesh has none.
  ASSERT_TRUE(s.model.groupCount == 1 && s.model.texId[0] == 0);
  EXPECT_STREQ(s.model.texName[0].c_str(), "empty");
  s.model.texId[0] = 77;
  Mesh bare;
  bare.Init();
  LineMesh(bare, 3);
  s.model.Assign(&bare);
  EXPECT_TRUE(s.model.groupCount == 1 && s.model.texId[0] == 77u && s.model.vertexCount == 3u);
  s.model.Release();
  bare.Clear();
  EXPECT_TRUE(s.model.texName == nullptr && s.model.mesh == nullptr);
}

// A two-bone arm along x (root at the origin, elbow at (2, 0, 0)) with one
// vertex on each bone and a clip that bends the elbow 90 degrees about z.
TEST(Model, SkinningBendsTheArmOnceAClipHasWeight) {
  Scene arm;
  Mesh& mesh = arm.mesh;
  LineMesh(mesh, 3);
  mesh.pos[2] = vec3(3, 0, 0);
  mesh.resizeB(2, true);
  for (int b = 0; b < 2; ++b) {
    mesh.boneName[b].assign(b ? "Elbow" : "Root");
    mesh.bonePos[b] = vec3(2.0f * b, 0, 0);
    mesh.boneRot[b] = vec3();
    mesh.boneParent[b] = b - 1;
  }
  for (uint32_t v = 0; v < 3; ++v) {
    ResizeArray(mesh.boneIdx[v], 1, "test", __LINE__, "Arm");
    ResizeArray(mesh.weights[v], 1, "test", __LINE__, "Arm");
    mesh.weightCount[v] = 1;
    mesh.boneIdx[v][0] = v / 2;
    mesh.weights[v][0] = 1;
  }
  Model& model = arm.model;
  model.Assign(&mesh);
  CAnim clip;
  AnimTrack tracks[2];
  float times[2] = {1, 10};
  vec3 bend[2] = {vec3(0, 0, kPi * 0.5f), vec3(0, 0, kPi * 0.5f)};
  tracks[1].rotCount = 2;
  tracks[1].rotTimes = times;
  tracks[1].rotKeys = bend;
  clip.frames = 20;
  clip.boneCount = 2;
  clip.tracks = tracks;
  ResizeArray(model.anims, 1, "test", __LINE__, "Arm");
  model.anims[0] = &clip;
  model.animCount = 1;
  ASSERT_EQ(model.boneCount, 2);
  EXPECT_TRUE(model.UpdateSkin(0.1f));  // no weight yet: the rest pose
  for (uint32_t v = 0; v < 3; ++v) ExpectNear(model.verts[v], mesh.pos[v]);
  EXPECT_EQ(clip.time, 1.0f);
  clip.weight = 1;
  ASSERT_TRUE(model.UpdateSkin(0.1f));
  ExpectNear(model.verts[1], vec3(1, 0, 0));
  ExpectNear(model.verts[2], vec3(2, 1, 0));
  const float time = clip.time;
  EXPECT_GT(time, 1.0f);
  model.curAnim = 1;  // == animCount: skinning off
  clip.weight = 1;
  model.verts[2] = vec3(9, 9, 9);
  EXPECT_FALSE(model.UpdateSkin(0.1f));
  EXPECT_TRUE(model.verts[2] == vec3(9, 9, 9) && clip.time == time);
  EXPECT_EQ(FindBone(model, "Elbow"), 1);
  LogCapture log;
  EXPECT_EQ(FindBone(model, "elbow"), -1);  // case-sensitive
  EXPECT_TRUE(log.Contains("ERROR::can't found bone [elbow]"));
}

TEST(ModelQueries, RayHitsTheTurnedSurfaceFarSweepsTouchNothingAndIndexesAreShared) {
  Pair p;
  for (Model* m : {&p.model, &p.indexed}) {
    // Down the world z axis through the centre: the hit lies on the sphere
    // scaled (3, 2, 1.5) in model space.
    vec3 hit, normal;
    float t = 1;
    ASSERT_TRUE(m->RayCast(m->worldCenter + vec3(0, 0, 10), vec3(0, 0, -20), hit, normal, t));
    EXPECT_GE(m->hitTriangle, 0);
    const vec3 local = m->invWorld.transformPoint(hit);  // on the scaled sphere
    EXPECT_NEAR(local.x * local.x / 9 + local.y * local.y / 4 + local.z * local.z / 2.25f, 1,
                0.05f);
    EXPECT_GT(normal.z, 0.0f);  // facing the ray
    EXPECT_NEAR(length(normal), 1.0f, 1e-5f);
  }
  p.model.hitTriangle = 3;
  vec3 v(1, 0, 0), point(7, 7, 7), normal(7, 7, 7);
  float nearest = 1;
  EXPECT_FALSE(
      p.model.SweepSphere(p.model.worldCenter + vec3(20, 0, 0), v, 1, point, normal, nearest));
  EXPECT_TRUE(v == vec3(1, 0, 0) && point == vec3(7, 7, 7) && nearest == 1);
  EXPECT_EQ(p.model.hitTriangle, 3);
  // Models of one unchanged mesh share their query index; it outlives the
  // model it was built for.
  Model b, c;
  for (Model* m : {&b, &c}) m->Assign(&p.mesh);
  b.ShareQueryIndex(p.indexed);
  EXPECT_EQ(b.queryIndex, p.indexed.queryIndex);
  c.verts[0].x += 0.25f;  // its own shape now: an index of its own
  c.ShareQueryIndex(p.indexed);
  ASSERT_NE(c.queryIndex, nullptr);
  EXPECT_NE(c.queryIndex, p.indexed.queryIndex);
  p.indexed.Release();
  b.position = vec3(0, 0, 5);
  b.UpdateMatrix();
  vec3 hit;
  float t = 1;
  ASSERT_TRUE(b.RayCast(vec3(0, 0, 8), vec3(0, 0, -4), hit, normal, t));
  EXPECT_NEAR(hit.z, 5 + 1.5f, 1e-3);  // the top of the scaled sphere
  b.Release();
  c.Release();
}
