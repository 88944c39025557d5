#include "environment/noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

TEST(ValueNoise, LatticePointsCarryTheHashAndCellsJoinWithinRange) {
  // At the origin only corner n = 0 counts: h = (-771171059) & 0x7FFFFFFF.
  EXPECT_FLOAT_EQ(ValueNoise(0, 0, 0, 0), 1.0f - 1376312589.0f / 1073741824.0f);
  // The seed and each axis move to other corners.
  EXPECT_FLOAT_EQ(ValueNoise(1, 0, 0, 0), ValueNoise(0, 0, 0, 1));
  EXPECT_FLOAT_EQ(ValueNoise(0, 1, 0, 0), ValueNoise(0, 0, 0, 57));
  EXPECT_FLOAT_EQ(ValueNoise(0, 0, 1, 0), ValueNoise(0, 0, 0, 113));
  EXPECT_FLOAT_EQ(ValueNoise(-1, -1, -1, 0), ValueNoise(0, 0, 0, -171));
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> coord(-50.0f, 50.0f);
  for (int i = 0; i < 2000; ++i) {
    const float x = coord(rng), y = coord(rng), z = coord(rng), v = ValueNoise(x, y, z, 0);
    EXPECT_TRUE(v > -1.0f && v <= 1.0f) << v;
    // Just below and just above an integer plane on each axis.
    const float b = std::round(x), below = std::nextafter(b, -100.0f),
                above = std::nextafter(b, 100.0f);
    EXPECT_NEAR(ValueNoise(below, y, z, 3), ValueNoise(above, y, z, 3), 1e-4f);
    EXPECT_NEAR(ValueNoise(x, below, z, 3), ValueNoise(x, above, z, 3), 1e-4f);
    EXPECT_NEAR(ValueNoise(x, y, below, 3), ValueNoise(x, y, above, 3), 1e-4f);
    // Small steps make small changes: the smoothstep weights have no jumps.
    EXPECT_LT(std::fabs(ValueNoise(x + 0.01f, y, z, 0) - v), 0.05f);
  }
}

TEST(FractalNoise, LayersAreWeightedAndShifted) {
  // One octave: amplitude times the noise at the shifted point.
  EXPECT_FLOAT_EQ(FractalNoise(1, 0.3f, 1.7f, -2.2f, 2.0f, 2.1f, 5.0f, false),
                  5.0f * ValueNoise(0.3f + 10.0f, 1.7f + 10.0f, -2.2f + 10.0f, 0));
  // Two octaves: the second at lacunarity times the point, with weight 1/lacunarity.
  const float x = 0.4f + 3.0f, l = 2.0f;
  const float expected =
      3.0f * (ValueNoise(x, x, x, 0) * 3.0f + ValueNoise(x * l, x * l, x * l, 0) * 1.5f) / 4.5f;
  EXPECT_NEAR(FractalNoise(2, 0.4f, 0.4f, 0.4f, 1.0f, l, 3.0f, false), expected, 1e-5f);
  // What would divide zero by zero gives 0.
  EXPECT_EQ(FractalNoise(0, 1, 2, 3, 1.0f, 2.1f, 120.0f, false), 0.0f);
  EXPECT_EQ(FractalNoise(3, 1, 2, 3, 1.0f, 2.1f, 0.0f, false), 0.0f);
}
