// The neck and head turning toward a point (SPlayer::LookAt).
#include <gtest/gtest.h>

#include <cmath>

#include "game/player.h"
#include "shell/input.h"
#include "support/test_character.h"

namespace {
class LookTest : public CharacterTest {
 protected:
  // Global rest matrix of a bone of character 3, times the rest pitch at
  // which the bone sits: its column 0 is the way the bone faces.
  mat4 Facing(int bone, float restPitch) const {
    const Model& body = crew_.players[3].body;
    mat4 g;
    for (int b = bone; b >= 0; b = body.mesh->boneParent[b]) {
      mat4 local;
      local.fromEuler(body.restRot[b], body.restPos[b]);
      g = local.mulAffine(g);
    }
    mat4 rest;
    rest.fromEuler(vec3(0, restPitch, 0), vec3());
    return g.mulAffine(rest);
  }
  static vec3 Origin(const mat4& m) { return vec3(m.m[12], m.m[13], m.m[14]); }
  static void ExpectDirection(const mat4& m, const vec3& direction) {
    const vec3 d = normalize(direction);
    EXPECT_NEAR(m.m[0], d.x, 1e-4f);
    EXPECT_NEAR(m.m[1], d.y, 1e-4f);
    EXPECT_NEAR(m.m[2], d.z, 1e-4f);
  }

  TestCrew crew_;
};
}  // namespace

TEST_F(LookTest, TheNeckAndHeadFaceATargetWithinTheirLimits) {
  SPlayer& p = crew_.players[3];
  const vec3 neck = Origin(Facing(p.neck1Bone, 1.2566371f));
  p.LookAt(neck + vec3(100, 0, 0));  // straight ahead: the rest pose
  EXPECT_NEAR(p.body.restRot[p.neck1Bone].y, -1.2566371f, 1e-5f);
  ExpectDirection(Facing(p.neck1Bone, 1.2566371f), vec3(1, 0, 0));

  // Up and to the left, within the head's limits: the head faces the point
  // (from where the turned neck has carried it), the neck turns and looks up
  // as far as it goes (18 degrees).
  const vec3 target = Origin(Facing(p.headBone, 0.08726647f)) + vec3(50, 25, 20);
  p.LookAt(target);
  const mat4 head = Facing(p.headBone, 0.08726647f);
  ExpectDirection(head, target - Origin(head));
  const mat4 neckNow = Facing(p.neck1Bone, 1.2566371f);
  EXPECT_NEAR(std::atan2(neckNow.m[1], neckNow.m[0]),
              std::atan2(target.y - neck.y, target.x - neck.x), 1e-4f);
  EXPECT_NEAR(neckNow.m[2], std::sin(0.31415927f), 1e-4f);

  // Far to the left: the neck stops at 45 degrees, the head at 90.
  p.LookAt(neck + vec3(-10, 100, 0));
  ExpectDirection(Facing(p.neck1Bone, 1.2566371f), vec3(1, 1, 0));
  const mat4 headNow = Facing(p.headBone, 0.08726647f);
  EXPECT_NEAR(std::atan2(headNow.m[1], headNow.m[0]), 1.5707964f, 1e-4f);
}

TEST_F(LookTest, TheTargetIsTakenInTheBodysFrameAndYFreezesTheHead) {
  SPlayer& p = crew_.players[3];
  p.body.angles = vec3(0, 0, 90);  // facing +y
  p.body.position = vec3(5, 5, 0);
  const vec3 neck = Origin(Facing(p.neck1Bone, 1.2566371f));  // body space
  p.LookAt(vec3(5 - neck.y, 5 + neck.x, neck.z) + vec3(0, 100, 0));
  ExpectDirection(Facing(p.neck1Bone, 1.2566371f), vec3(1, 0, 0));

  g_keys['y'] = 1;
  const vec3 before = p.body.restRot[p.headBone];
  p.LookAt(vec3(-100, 0, 0));
  EXPECT_EQ(p.body.restRot[p.headBone], before);
}
