// RGB pictures for textures and their baseline JPEG encoding (libjpeg).
#pragma once
#include <cstdint>
#include <vector>

#include "math/vec3.h"

// 8-bit RGB, rows top first (row 0 becomes texture coordinate v = 0).
struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;

  Picture(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}
  // Stores a colour given as 0..1 floats, clamped.
  void Set(int x, int y, const vec3& colour);
  vec3 Get(int x, int y) const;
};

// A square picture from a colour function of (u, v) in [0, 1), sampled at
// pixel centres.
template <class F>
Picture Paint(int size, F colourAt) {
  Picture p(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) p.Set(x, y, colourAt((x + 0.5f) / size, (y + 0.5f) / size));
  return p;
}

inline vec3 Mix(const vec3& a, const vec3& b, float t) {
  return a + (b - a) * t;
}

// Baseline JPEG (4:2:0, standard tables, no markers beyond JFIF) of the
// picture at the given quality. Empty when libjpeg fails.
std::vector<uint8_t> EncodeBaselineJpeg(const Picture& picture, int quality);
