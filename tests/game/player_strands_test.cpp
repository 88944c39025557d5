// SPlayer::CollideStrands: strand points leave the collision ellipsoids.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/player.h"
#include "support/test_character.h"
#include "support/vec_expect.h"

namespace {
// One ellipsoid on the root bone: centre (0, 0, 2), radii 1, 2, 1; the
// body's bones all at rest. One strand of four points on no bone.
struct Collision {
  TestCrew crew{1};
  SPlayer& p = crew.players[0];
  Collision() {
    for (int b = 0; b < p.body.boneCount; ++b) p.body.boneMatrix[b] = mat4();
    p.sphereCount = 1;
    p.spheres = static_cast<SpherePlacement*>(std::calloc(1, sizeof(SpherePlacement)));
    p.spheres[0].position = vec3(0, 0, 2);
    p.spheres[0].scale = vec3(1, 2, 1);
    p.spheres[0].bone = 0;
    p.line.owner = &p.body;
    EXPECT_TRUE(p.line.Resize(1, -1));
    EXPECT_TRUE(p.line.Resize(0, 4));
    const vec3 points[4] = {vec3(0, 0, 2), vec3(0.5f, 0, 2), vec3(0, 1, 2), vec3(0, 0, 2)};
    for (int k = 0; k < 4; ++k) p.line.world[0][k] = p.line.local[0][k] = points[k];
  }
};
}  // namespace

TEST(CollideStrands, PointsInsideEndOnTheShellInOneStep) {
  Collision c;
  ASSERT_NE(c.p.body.boneMatrix, nullptr);
  c.p.CollideStrands();
  const vec3* w = c.p.line.world[0];
  ExpectNear(w[0], vec3(0, 0, 2));                     // the root stays, even inside
  ExpectNear(w[1], vec3(1.3f, 0, 2));                  // along x: radius 1
  ExpectNear(w[2], vec3(0, 2.6f, 2));                  // along y: radius 2
  ExpectNear(w[3], vec3(0, 0, 3.3f));                  // from the very centre: upward
  ExpectNear(c.p.line.local[0][1], vec3(0.5f, 0, 2));  // rest shape untouched
  // Outside already: nothing moves.
  c.p.CollideStrands();
  ExpectNear(w[1], vec3(1.3f, 0, 2));

  // The body's placement carries the ellipsoid.
  c.p.body.position = vec3(10, 0, 0);
  c.p.body.UpdateMatrix();
  c.p.line.world[0][1] = vec3(10.2f, 0, 2.2f);
  c.p.CollideStrands();
  EXPECT_NEAR(length(c.p.line.world[0][1] - vec3(10, 0, 2)), 1.3f, 1e-5f);
}

TEST(CollideStrands, SkipsPlacementsOnMissingBonesAndDegenerateOnes) {
  Collision c;
  c.p.spheres[0].bone = 0xFFFFFFFFu;  // stored as 0 in the file: no bone
  c.p.CollideStrands();
  ExpectNear(c.p.line.world[0][1], vec3(0.5f, 0, 2));
  c.p.spheres[0].bone = 0;
  c.p.spheres[0].scale = vec3(1, 0, 1);  // flat: holds nothing
  c.p.CollideStrands();
  ExpectNear(c.p.line.world[0][1], vec3(0.5f, 0, 2));
}

TEST(CollideStrands, FreeViewPushesTheRestShape) {
  Collision c;
  c.p.mode = kModeFreeView;
  c.p.body.position = vec3(0, 0, 1);  // carries rest points and ellipsoid alike
  c.p.body.UpdateMatrix();
  c.p.line.local[0][1] = vec3(0.5f, 0, 2);  // world (0.5, 0, 3): inside
  c.p.CollideStrands();
  ExpectNear(c.p.line.local[0][1], vec3(1.3f, 0, 2));
  ExpectNear(c.p.line.world[0][1], vec3(0.5f, 0, 2));  // the swinging points are left alone
}
