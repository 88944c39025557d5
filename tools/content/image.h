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

// Baseline JPEG (4:2:0, standard tables, no markers beyond JFIF) of the
// picture at the given quality. Empty when libjpeg fails.
std::vector<uint8_t> EncodeBaselineJpeg(const Picture& picture, int quality);
