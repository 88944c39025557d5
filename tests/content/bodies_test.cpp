// The two bodies: one skeleton layout, the bind pitches the head turning
// relies on, the scale everything else is built on, outward faces, and a
// file that reads back as the mesh that was built.
#include "bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/em7.h"
#include "geometry/model.h"
#include "rig.h"
#include "support/content_archive.h"

namespace {
struct LoadedBody {
  Mesh mesh;
  Model model;
  explicit LoadedBody(const char* name) {
    mesh.Init();
    model.Reset();
    BuiltArchiveScope scope;
    if (LoadEM7(mesh, name)) model.Assign(&mesh);
  }
  ~LoadedBody() {
    model.Release();
    mesh.Clear();
  }
};

float Rise(const mat4& m) {
  const vec3 x = m.column(0);
  return std::atan2(x.z, std::sqrt(x.x * x.x + x.y * x.y));
}

TEST(Bodies, BothShareOneSkeletonWithTheWingsLast) {
  LoadedBody winged("bin\\pegasus.Model"), ground("bin\\earthling.Model");
  ASSERT_EQ(winged.mesh.boneCount, kWingedBones);
  ASSERT_EQ(ground.mesh.boneCount, kGroundBones);
  for (int b = 0; b < kGroundBones; ++b) {
    EXPECT_STREQ(winged.mesh.boneName[b].c_str(), ground.mesh.boneName[b].c_str());
    EXPECT_EQ(winged.mesh.boneParent[b], ground.mesh.boneParent[b]);
    EXPECT_LT(winged.mesh.boneParent[b], b) << "parents come first";
  }
  EXPECT_STREQ(winged.mesh.boneName[kLWing].c_str(), "Lwing");
  EXPECT_STREQ(winged.mesh.boneName[kRWing].c_str(), "Rwing");
  for (const char* name : {"root", "neck1", "neck2", "head", "Leye", "Reye"})
    EXPECT_GE(FindBone(ground.model, name), 0) << name;
}

TEST(Bodies, NeckAndHeadRiseAsTheHeadTurningExpects) {
  LoadedBody body("bin\\pegasus.Model");
  ASSERT_GT(body.mesh.boneCount, kHead);
  // The model's own bind matrices, from the file's bones.
  const mat4 neck = body.model.invBind[kNeck1].inverseAffine();
  const mat4 head = body.model.invBind[kHead].inverseAffine();
  EXPECT_NEAR(Rise(neck), kNeckRise, 1e-4f);
  EXPECT_NEAR(Rise(head), kHeadRise, 1e-4f);
  EXPECT_NEAR(neck.column(0).y, 0.0f, 1e-5f);  // straight ahead
  EXPECT_NEAR(body.mesh.boneRot[kRoot].y, 0.0f, 0.0f);
}

TEST(Bodies, BodyRadiusIsAboutTenWithFeetAtTheOrigin) {
  for (const char* name : {"bin\\pegasus.Model", "bin\\earthling.Model"}) {
    LoadedBody body(name);
    ASSERT_GT(body.mesh.vertCount, 1000u) << name;
    EXPECT_GT(body.model.radius, 9.0f) << name;
    EXPECT_LT(body.model.radius, 11.0f) << name;
    float lowest = 1e9f;
    for (uint32_t i = 0; i < body.mesh.vertCount; ++i)
      lowest = std::fmin(lowest, body.mesh.pos[i].z);
    EXPECT_NEAR(lowest, 0.0f, 0.15f) << name;
    EXPECT_LT(std::fabs(body.model.center.y), 0.1f) << name << " is symmetric";
  }
}

TEST(Bodies, EyesSitInTheHeadSurface) {
  LoadedBody body("bin\\earthling.Model");
  ASSERT_GT(body.mesh.boneCount, kReye);
  for (int eye : {kLeye, kReye}) {
    const vec3 at = body.model.invBind[eye].inverseAffine().transformPoint(vec3());
    float nearest = 1e9f;
    for (uint32_t i = 0; i < body.mesh.vertCount; ++i) {
      const vec3 d = body.mesh.pos[i] - at;
      nearest = std::fmin(nearest, std::sqrt(dot(d, d)));
    }
    EXPECT_LT(nearest, 0.4f) << "eye bone " << eye << " is off the surface";
    // The gaze looks forward, a little outward on its own side.
    const vec3 gaze = body.model.invBind[eye].inverseAffine().column(0);
    EXPECT_GT(gaze.x, 0.8f);
    EXPECT_GT(eye == kLeye ? gaze.y : -gaze.y, 0.1f);
  }
}

TEST(Bodies, TrianglesFaceOutward) {
  MeshBuild ground, winged;
  BuildBodies("a.jpg", "b.jpg", &ground, &winged);
  for (const MeshBuild* body : {&ground, &winged}) {
    // The enclosed volume is positive only when the faces point outward
    // with the program's winding (normal (c - a) x (b - a)).
    double volume = 0;
    for (const MeshBuild::Group& g : body->groups)
      for (size_t t = 0; t < g.tris.size(); t += 3) {
        const vec3 &a = body->pos[g.tris[t]], &b = body->pos[g.tris[t + 1]],
                   &c = body->pos[g.tris[t + 2]];
        volume += dot(a, cross(c, b)) / 6.0;
      }
    EXPECT_GT(volume, 100.0);
  }
}

TEST(Bodies, FileReadsBackAsTheBuiltMesh) {
  MeshBuild ground, winged;
  BuildBodies("MV.jpg", "ZL.jpg", &ground, &winged);
  LoadedBody body("bin\\pegasus.Model");
  ASSERT_EQ(body.mesh.vertCount, winged.pos.size());
  ASSERT_EQ(body.mesh.groupCount, 1);
  EXPECT_STREQ(body.mesh.texName[0].c_str(), "ZL.jpg");
  ASSERT_EQ(body.mesh.triCount * 3, winged.groups[0].tris.size());
  EXPECT_EQ(0, std::memcmp(body.mesh.tris, winged.groups[0].tris.data(),
                           winged.groups[0].tris.size() * 4));
  for (uint32_t v = 0; v < body.mesh.vertCount; ++v) {
    ASSERT_EQ(body.mesh.pos[v], winged.pos[v]) << v;
    ASSERT_EQ(body.mesh.uv[2 * v], winged.uv[2 * v]) << v;
    const MeshBuild::Weights& w = winged.weights[v];
    ASSERT_EQ(body.mesh.weightCount[v], w.count) << v;
    float sum = 0;
    for (int k = 0; k < w.count; ++k) {
      EXPECT_EQ(body.mesh.boneIdx[v][k], w.items[k].bone);
      EXPECT_NEAR(body.mesh.weights[v][k], w.items[k].weight, 1.0f / 65535);
      sum += body.mesh.weights[v][k];
    }
    ASSERT_NEAR(sum, 1.0f, 1e-3f) << v;
  }
  for (int b = 0; b < kWingedBones; ++b) {
    EXPECT_EQ(body.mesh.bonePos[b], GetRig().bones[b].pos);
    EXPECT_EQ(body.mesh.boneRot[b], GetRig().bones[b].rot);
  }
}
}  // namespace
