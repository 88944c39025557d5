#include "game/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/vec_expect.h"

namespace {
Camera MakeCamera(const vec3& angles, const vec3& position) {
  Camera c;
  c.fov = 60;
  c.zNear = 0.1f;
  c.zFar = 5000.0f;
  c.viewportX = 10;
  c.viewportY = 20;
  c.viewportW = 800;
  c.viewportH = 600;
  c.angles = angles;
  c.position = position;
  c.Update();
  return c;
}
}  // namespace

TEST(Camera, LevelViewLooksAlongPlusXWithZUp) {
  const Camera c = MakeCamera(vec3(0, 0, 0), vec3(5, 6, 7));
  ExpectNear(c.view.rotateVector(vec3(1, 0, 0)), vec3(0, 0, -1), 1e-6f);
  ExpectNear(c.view.rotateVector(vec3(0, 1, 0)), vec3(-1, 0, 0), 1e-6f);
  ExpectNear(c.view.rotateVector(vec3(0, 0, 1)), vec3(0, 1, 0), 1e-6f);
  // The eye itself lands on the eye-space origin, a point ahead on -Z.
  ExpectNear(c.view.transformPoint(vec3(5, 6, 7)), vec3(0, 0, 0), 1e-5f);
  ExpectNear(c.view.transformPoint(vec3(15, 6, 7)), vec3(0, 0, -10), 1e-5f);
}

TEST(Camera, YawTurnsTheViewAndTheRaysLeft) {
  const Camera c = MakeCamera(vec3(0, 0, 90), vec3());
  ExpectNear(c.view.rotateVector(vec3(0, 1, 0)), vec3(0, 0, -1), 1e-6f);
  const vec3 centre = c.ScreenRay(10 + 400, 20 + 300);
  EXPECT_GT(centre.y, 0.9f);
  EXPECT_NEAR(centre.x, 0, 1e-5f);
  EXPECT_NEAR(centre.z, 0, 1e-5f);
}

TEST(Camera, CornerRaysSpanTheFieldOfView) {
  const Camera c = MakeCamera(vec3(0, 0, 0), vec3(1, 2, 3));
  const float aspect = 800.0f / 600.0f;
  const float halfHeight = std::tan(DegToRad(30));
  // Order (-1,-1), (+1,-1), (-1,+1), (+1,+1): screen right is world -Y.
  const float sx[4] = {-1, 1, -1, 1}, sy[4] = {-1, -1, 1, 1};
  for (int i = 0; i < 4; ++i) {
    const vec3 r = c.cornerRays[i];
    ASSERT_GT(r.x, 0) << i;
    EXPECT_NEAR(r.z / r.x, sy[i] * halfHeight, 1e-3f) << i;
    EXPECT_NEAR(-r.y / r.x, sx[i] * halfHeight * aspect, 1e-3f) << i;
  }
}

TEST(Camera, ScreenRayHitsTheCornersAndIsNotNormalised) {
  const Camera c = MakeCamera(vec3(10, -20, 35), vec3(100, 0, 4));
  ExpectNear(c.ScreenRay(10, 20), c.cornerRays[0], 1e-6f);
  ExpectNear(c.ScreenRay(810, 20), c.cornerRays[1], 1e-6f);
  ExpectNear(c.ScreenRay(10, 620), c.cornerRays[2], 1e-6f);
  ExpectNear(c.ScreenRay(810, 620), c.cornerRays[3], 1e-6f);
  EXPECT_GT(length(c.ScreenRay(810, 620)), 1.05f);
  // The middle of the window is the average of the four corners.
  const vec3 sum = c.cornerRays[0] + c.cornerRays[1] + c.cornerRays[2] + c.cornerRays[3];
  ExpectNear(c.ScreenRay(410, 320), sum * 0.25f, 1e-5f);
}

TEST(Camera, ViewMatrixUsesTheGivenAnglesAndTheCameraPosition) {
  Camera c = MakeCamera(vec3(0, 0, 0), vec3(1, 1, 1));
  const mat4 pitched = c.ViewMatrix(vec3(0, 90, 0));
  // Pitching down by 90 degrees turns world -Z (down) into the viewing axis.
  ExpectNear(pitched.rotateVector(vec3(0, 0, -1)), vec3(0, 0, -1), 1e-6f);
  ExpectNear(pitched.transformPoint(vec3(1, 1, 1)), vec3(0, 0, 0), 1e-6f);
  // Update's view is ViewMatrix of the camera's own angles.
  const mat4 own = c.ViewMatrix(c.angles);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(own.m[i], c.view.m[i]);
}
