#include "geometry/pose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "support/vec_expect.h"

namespace {
// A clip over stack storage: every bone holds `rot` and `pos` over keys at
// frames 1 and 10 (a single key when keyCount is 1).
struct TestClip {
  CAnim clip;
  AnimTrack tracks[4];
  float times[2] = {1, 10};
  vec3 rot[2], pos[2];

  TestClip(int bones, vec3 rotation, vec3 translation, int keyCount = 2) {
    rot[0] = rot[1] = rotation;
    pos[0] = pos[1] = translation;
    for (AnimTrack& t : tracks) {
      t.posCount = t.rotCount = static_cast<uint16_t>(keyCount);
      t.posTimes = t.rotTimes = times;
      t.posKeys = pos;
      t.rotKeys = rot;
    }
    clip.frames = 20;
    clip.boneCount = static_cast<uint8_t>(bones);
    clip.tracks = tracks;
  }
};

struct Pose {
  quat rot[4];
  vec3 pos[4];
  BlendJob Job(CAnim** clips, int count, float dt = 0.1f) {
    return {clips, count, dt, 4, rot, pos};
  }
};

// Two bones: a root at (0, 0, 1) turned 90 degrees about z at rest, and a
// child 2 units along the root's x.
struct Skeleton {
  vec3 restRot[2] = {vec3(0, 0, kPi * 0.5f), vec3()};
  vec3 restPos[2] = {vec3(0, 0, 1), vec3(2, 0, 0)};
  int32_t parents[2] = {-1, 0};
  quat rot[2];
  vec3 pos[2];
  mat4 invBind[2], matrix[2];
  dualquat dual[2];

  Skeleton() {
    for (int b = 0; b < 2; ++b) {
      mat4 local;
      local.fromEuler(restRot[b], restPos[b]);
      matrix[b] = b ? matrix[0].mulAffine(local) : local;
      invBind[b] = matrix[b].inverseAffine();
    }
  }
  PoseJob Job() { return {2, restRot, restPos, parents, rot, pos, invBind, matrix, dual}; }
};

// Skins the given vertices, each with the listed (bone, weight) influences.
struct Body {
  std::vector<vec3> rest, restNormal, out, outNormal;
  std::vector<uint8_t> count;
  std::vector<std::vector<uint32_t>> bones;
  std::vector<std::vector<float>> weights;
  std::vector<const uint32_t*> bonePtr;
  std::vector<const float*> weightPtr;
  SkinningJob job;

  void Add(vec3 p, vec3 n, std::vector<uint32_t> b, std::vector<float> w) {
    rest.push_back(p);
    restNormal.push_back(n);
    count.push_back(static_cast<uint8_t>(b.size()));
    // Moving the lists when the outer vectors grow keeps their storage.
    bonePtr.push_back(bones.emplace_back(std::move(b)).data());
    weightPtr.push_back(weights.emplace_back(std::move(w)).data());
  }
  bool Run(const dualquat* dual, int boneCount) {
    out.assign(rest.size(), vec3(-99, -99, -99));
    outNormal = out;
    const uint32_t n = static_cast<uint32_t>(rest.size());
    job = {n, rest.data(), restNormal.data(), count.data(), bonePtr.data(), weightPtr.data(), n};
    job.boneCount = boneCount, job.boneDual = dual;
    job.positions = out.data(), job.normals = outNormal.data();
    return job.Run();
  }
};
}  // namespace

TEST(BlendJob, InvalidInputChangesNothingTheClockWrapsAndAReleasedClipFades) {
  TestClip a(4, vec3(), vec3(1, 0, 0));
  a.clip.weight = 1;
  a.clip.speed = 8;
  CAnim* clips[2] = {&a.clip, nullptr};
  Pose pose;
  EXPECT_FALSE(pose.Job(clips, 2).Run());
  BlendJob noOutput = pose.Job(clips, 1);
  noOutput.translations = nullptr;
  EXPECT_FALSE(noOutput.Run());
  EXPECT_TRUE(a.clip.time == 1 && pose.pos[0] == vec3());
  EXPECT_TRUE(pose.Job(clips, 0).Run());  // no clips: nothing to blend, but valid
  for (int i = 1; i <= 20; ++i) {
    a.clip.weight = 1;  // the driven clip
    ASSERT_TRUE(pose.Job(clips, 1, 0.125f).Run());
    EXPECT_EQ(a.clip.time, i < 20 ? 1.0f + i : 1.0f) << i;
    EXPECT_EQ(a.clip.loops, i < 20 ? 0u : 1u) << i;
  }
  // A released clip fades for twenty evaluations.
  a.clip.frames = 100, a.clip.loops = 3;
  a.clip.weight = 1, a.clip.speed = 10;
  float expected = 1;
  for (int k = 0; k < 20; ++k) {
    ASSERT_TRUE(pose.Job(clips, 1).Run());
    expected = static_cast<float>(expected * 0.7);
    EXPECT_FLOAT_EQ(a.clip.weight, expected) << k;
    EXPECT_GT(a.clip.time, 1.0f) << k;
  }
  EXPECT_LT(a.clip.weight, 0.001f);
  pose.Job(clips, 1).Run();  // the twentieth after the last drive resets it
  EXPECT_FLOAT_EQ(a.clip.weight, expected);
  EXPECT_TRUE(a.clip.time == 1 && a.clip.loops == 0) << a.clip.time;
}

TEST(BlendJob, ClipsMixByWeightOneKeyBonesRestAndUnreachedBonesStay) {
  const float quarter = kPi * 0.5f;
  TestClip a(4, vec3(0, 0, 0), vec3(0, 0, 0));
  TestClip b(2, vec3(0, 0, quarter), vec3(10, 0, 0));
  a.clip.weight = 0.7f;  // 0.49 after the decay
  b.clip.weight = 1.0f;  // 0.7
  CAnim* clips[2] = {&a.clip, &b.clip};
  Pose pose;
  ASSERT_TRUE(pose.Job(clips, 2).Run());
  const float f = 0.7f / 1.19f;
  EXPECT_NEAR(pose.rot[0].toEuler().z, quarter * f, 1e-4f);
  ExpectNear(pose.pos[1], vec3(10 * f, 0, 0), 1e-4f);
  EXPECT_TRUE(pose.rot[3].z == 0 && pose.pos[3] == vec3());  // beyond B's tracks: A's pose
  // The first contributing clip sets a one-key bone to rest and leaves bones
  // beyond its tracks alone; a later one-key clip keeps the blend so far.
  TestClip one(2, vec3(0, 0, 1), vec3(5, 5, 5), 1);
  one.clip.weight = 1;
  clips[0] = &one.clip;
  pose.pos[1] = vec3(7, 7, 7), pose.pos[2] = vec3(8, 8, 8);
  pose.rot[2] = quat(0, 0, 1, 0);
  ASSERT_TRUE(pose.Job(clips, 1).Run());
  EXPECT_TRUE(pose.pos[1] == vec3() && pose.rot[1].w == 1);
  EXPECT_TRUE(pose.pos[2] == vec3(8, 8, 8) && pose.rot[2].z == 1);
  TestClip c(4, vec3(), vec3(2, 0, 0));
  TestClip d(4, vec3(0, 0, 1), vec3(9, 9, 9), 1);
  c.clip.weight = d.clip.weight = 1;
  clips[0] = &c.clip, clips[1] = &d.clip;
  ASSERT_TRUE(pose.Job(clips, 2).Run());
  EXPECT_EQ(pose.pos[0], vec3(2, 0, 0));
}

TEST(PoseJob, RestPoseSkinsToTheRestMeshParentsComeFirstAndBonesTurnInTheirRestFrame) {
  Skeleton s;
  ASSERT_TRUE(s.Job().Run());
  for (int b = 0; b < 2; ++b)
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(s.matrix[b].m[i], mat4().m[i], 1e-6f) << b << i;
  Body body;
  body.Add(vec3(1, 2, 3), vec3(0, 0, 1), {0}, {1});
  body.Add(vec3(-4, 0, 2), vec3(1, 0, 0), {0, 1}, {0.25f, 0.75f});
  ASSERT_TRUE(body.Run(s.dual, 2));
  for (size_t v = 0; v < 2; ++v) {
    ExpectNear(body.out[v], body.rest[v]);
    ExpectNear(body.outNormal[v], body.restNormal[v]);
  }
  s.parents[0] = 1, s.matrix[0].m[12] = 42;
  EXPECT_FALSE(s.Job().Run());
  EXPECT_EQ(s.matrix[0].m[12], 42.0f);
  // Animation turns bones in their rest frame: the child turns 90 degrees
  // about its own z, at its joint (0, 2, 1).
  s.parents[0] = -1;
  s.rot[1].fromEuler(vec3(0, 0, kPi * 0.5f));
  ASSERT_TRUE(s.Job().Run());
  body = Body();
  body.Add(vec3(0, 3, 1), vec3(0, 1, 0), {1}, {1});  // on the child, one unit out
  body.Add(vec3(5, 5, 5), vec3(1, 0, 0), {0}, {1});  // on the root: unmoved
  body.Add(vec3(0, 3, 1), vec3(0, 1, 0), {0, 1}, {0.5f, 0.5f});
  ASSERT_TRUE(body.Run(s.dual, 2));
  ExpectNear(body.out[0], vec3(-1, 2, 1));
  ExpectNear(body.outNormal[0], vec3(-1, 0, 0));
  ExpectNear(body.out[1], vec3(5, 5, 5));
  // Half-and-half blends the rotation halfway, about the joint.
  const float h = std::sqrt(0.5f);
  ExpectNear(body.out[2], vec3(-h, 2 + h, 1));
  EXPECT_NEAR(length(body.outNormal[2]), 1.0f, 1e-5f);
}

TEST(SkinningJob, OpposedQuaternionsFlipUnusableInfluencesKeepTheRestAndCountsPast16Bits) {
  dualquat d[2];
  mat4 m;
  m.fromEuler(vec3(0, 0, kPi * 0.5f), vec3(1, 0, 0));
  d[0].fromMatrix(m);
  for (int i = 0; i < 4; ++i)  // the same transform with the opposite sign
    d[1].real[i] = -d[0].real[i], d[1].dual[i] = -d[0].dual[i];
  Body body;
  body.Add(vec3(1, 0, 0), vec3(1, 0, 0), {0, 1}, {0.5f, 0.5f});
  body.Add(vec3(1, 0, 0), vec3(1, 0, 0), {1, 0}, {0.3f, 0.7f});
  body.Add(vec3(1, 2, 3), vec3(0, 0, 1), {}, {});
  body.Add(vec3(1, 2, 3), vec3(0, 0, 1), {7}, {1});  // no such bone
  ASSERT_TRUE(body.Run(d, 2));
  for (int v = 0; v < 2; ++v) {
    ExpectNear(body.out[v], vec3(1, 1, 0));
    ExpectNear(body.outNormal[v], vec3(0, 1, 0));
    EXPECT_TRUE(body.out[2 + v] == vec3(1, 2, 3) && body.outNormal[2 + v] == vec3(0, 0, 1));
  }
  // Counts past sixteen bits; the inputs are checked.
  m = mat4();
  m.m[12] = 1;
  d[0].fromMatrix(m);
  const uint32_t n = 70000;
  body = Body();
  for (uint32_t v = 0; v < n; ++v) body.Add(vec3(0, 0, static_cast<float>(v)), vec3(), {0}, {1});
  ASSERT_TRUE(body.Run(d, 1));
  ExpectNear(body.out[n - 1], vec3(1, 0, static_cast<float>(n - 1)));
  ExpectNear(body.out[65536], vec3(1, 0, 65536));
  body.job.weightSlots = n - 1;  // fewer influence records than vertices
  EXPECT_FALSE(body.job.Validate());
  body.job.weightSlots = n;
  EXPECT_TRUE(body.job.Validate());
  body.job.boneDual = nullptr;
  EXPECT_FALSE(body.job.Run());
}
