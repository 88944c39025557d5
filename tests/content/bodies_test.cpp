// The two bodies: one skeleton, the bind pitches head turning relies on, the
// scale everything else is built on, eyes on the head, outward faces, and a
// file that reads back as the mesh that was built.
#include "bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "loaded_model.h"
#include "rig.h"

namespace {
TEST(Bodies, ShareOneSkeletonStandTenHighOnTheOriginWithEyesOnTheHead) {
  LoadedModel winged("bin\\pegasus.Model", 1), ground("bin\\earthling.Model", 1);
  ASSERT_EQ(winged.mesh.boneCount, kWingedBones);
  ASSERT_EQ(ground.mesh.boneCount, kGroundBones);
  for (int b = 0; b < kWingedBones; ++b) {
    const Mesh& m = b < kGroundBones ? ground.mesh : winged.mesh;
    EXPECT_STREQ(m.boneName[b].c_str(), GetRig().bones[b].name);
    EXPECT_TRUE(winged.mesh.boneParent[b] == m.boneParent[b] && m.boneParent[b] < b);
  }
  for (auto [bone, rise] : {std::pair<int, float>{kNeck1, kNeckRise}, {kHead, kHeadRise}}) {
    // Straight ahead, pitched up as head turning expects.
    const vec3 x = winged.model.invBind[bone].inverseAffine().column(0);
    EXPECT_NEAR(std::atan2(x.z, std::hypot(x.x, x.y)), rise, 1e-4f);
    EXPECT_NEAR(x.y, 0, 1e-5f);
  }
  for (const LoadedModel* body : {&winged, &ground}) {
    EXPECT_NEAR(body->model.radius, 10.0f, 1.0f);
    float lowest = 1e9f, eye[2] = {1e9f, 1e9f};
    for (uint32_t i = 0; i < body->mesh.vertCount; ++i) {
      const vec3& p = body->mesh.pos[i];
      lowest = std::fmin(lowest, p.z);
      for (int k = 0; k < 2; ++k) {
        const mat4 bind = body->model.invBind[kLeye + k].inverseAffine();
        eye[k] = std::fmin(eye[k], length(p - bind.transformPoint(vec3())));
      }
    }
    EXPECT_NEAR(lowest, 0.0f, 0.15f) << "feet at the origin";
    EXPECT_TRUE(eye[0] < 0.4f && eye[1] < 0.4f) << "an eye off the head";
  }
}

TEST(Bodies, FacesPointOutwardAndTheFileReadsBackAsBuilt) {
  MeshBuild ground, winged;
  BuildBodies("MV.jpg", "ZL.jpg", &ground, &winged);
  for (const MeshBuild* b : {&ground, &winged}) {
    double volume = 0;  // positive only with faces outward
    const std::vector<uint32_t>& t = b->groups[0].tris;
    for (size_t i = 0; i < t.size(); i += 3)
      volume += dot(b->pos[t[i]], cross(b->pos[t[i + 2]], b->pos[t[i + 1]]));
    EXPECT_GT(volume / 6, 100.0);
  }
  LoadedModel body("bin\\pegasus.Model", 1);
  const Mesh& m = body.mesh;
  ASSERT_TRUE(m.vertCount == winged.pos.size() && m.triCount * 3 == winged.groups[0].tris.size());
  EXPECT_STREQ(m.texName[0].c_str(), "ZL.jpg");
  EXPECT_EQ(0, std::memcmp(m.tris, winged.groups[0].tris.data(), m.triCount * 12));
  EXPECT_EQ(0, std::memcmp(m.uv, winged.uv.data(), m.vertCount * 8));
  EXPECT_EQ(0, std::memcmp(m.pos, winged.pos.data(), m.vertCount * 12));
  for (uint32_t v = 0; v < m.vertCount; ++v) {
    float sum = 0;
    for (int k = 0; k < m.weightCount[v]; ++k) sum += m.weights[v][k];
    ASSERT_EQ(m.weightCount[v], winged.weights[v].count) << v;
    ASSERT_NEAR(sum, 1.0f, 1e-3f) << v;
  }
}
}  // namespace
