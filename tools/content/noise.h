// Deterministic noise and random numbers for the content builder: the same
// inputs give the same values on every run, so the built files never change
// unless the builder does.
#pragma once
#include <cstdint>

// Small seeded generator (xorshift32); never returns a zero state.
struct ContentRandom {
  uint32_t state;
  explicit ContentRandom(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next();
  // Uniform in [0, 1).
  float Unit();
  // Uniform in [lo, hi).
  float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
};

// Value noise in [-1, 1] on an integer lattice that repeats every `period`
// cells along x and y (period >= 1), smoothly interpolated.
float TileNoise(float x, float y, int period, uint32_t seed);

// Sum of `octaves` TileNoise layers, each of double frequency and half
// amplitude, normalised back to about [-1, 1]. The pattern repeats every
// `period` units at the first octave, so it tiles for any octave count.
float TileFractal(float x, float y, int period, int octaves, uint32_t seed);

// Non-repeating 3D value noise in [-1, 1] (for shapes).
float Noise3(float x, float y, float z, uint32_t seed);
