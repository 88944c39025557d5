// Component-wise comparison of vectors within a tolerance.
#pragma once
#include <gtest/gtest.h>

#include "math/vec3.h"

inline void ExpectNear(const vec3& a, const vec3& b, float eps = 1e-5f) {
  EXPECT_NEAR(a.x, b.x, eps);
  EXPECT_NEAR(a.y, b.y, eps);
  EXPECT_NEAR(a.z, b.z, eps);
}
