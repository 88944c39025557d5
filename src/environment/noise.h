// Smooth pseudo-random fields in three dimensions, the cloud's deformation.
#pragma once
#include <cstdint>

// Value noise: hashed values at the integer lattice points, blended with a
// smoothstep weight per axis. Continuous everywhere (equal on both sides of a
// cell boundary), in (-1, 1]. The same (x, y, z, seed) always gives the same
// value.
float ValueNoise(float x, float y, float z, int32_t seed);

// Sum of `octaves` ValueNoise layers at the point shifted by
// offset * amplitude; each layer's weight is the previous one divided by
// `lacunarity` and its frequency multiplied by it; with `absolute` each layer
// contributes its magnitude. Normalised by the weights and scaled by
// `amplitude`, so the result lies within (-amplitude, amplitude]. octaves must
// be at least 1; fewer octaves, or a zero amplitude, return 0.
float FractalNoise(int octaves, float x, float y, float z, float offset, float lacunarity,
                   float amplitude, bool absolute);
