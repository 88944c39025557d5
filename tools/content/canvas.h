// A tiling float RGB canvas for painting textures: a colour field, then
// soft blobs and strokes laid over it (each wraps around the edges, so the
// picture still tiles).
#pragma once
#include <vector>

#include "image.h"

class Canvas {
 public:
  explicit Canvas(int size);

  // Every pixel from a colour function of (u, v) in [0, 1).
  template <class F>
  void Fill(F colourAt) {
    for (int y = 0; y < size_; ++y)
      for (int x = 0; x < size_; ++x) at(x, y) = colourAt((x + 0.5f) / size_, (y + 0.5f) / size_);
  }
  // An ellipse centred at (x, y) in pixels, radii rx and ry, turned by
  // `angle` radians; its edge fades over one pixel.
  void Blob(float x, float y, float rx, float ry, float angle, const vec3& colour, float alpha);
  // A stroke from (x0, y0) to (x1, y1) in pixels, `width` wide at its start
  // and tapering to a point.
  void Stroke(float x0, float y0, float x1, float y1, float width, const vec3& colour, float alpha);
  // Multiplies every pixel by `f`(u, v).
  template <class F>
  void Shade(F f) {
    for (int y = 0; y < size_; ++y)
      for (int x = 0; x < size_; ++x)
        at(x, y) = at(x, y) * f((x + 0.5f) / size_, (y + 0.5f) / size_);
  }
  Picture ToPicture() const;
  int size() const { return size_; }

 private:
  vec3& at(int x, int y) { return pixels_[static_cast<size_t>(y) * size_ + x]; }
  // Blends `colour` at weight alpha * coverage into the pixel (x, y), wrapped.
  void Blend(int x, int y, const vec3& colour, float weight);

  int size_;
  std::vector<vec3> pixels_;
};
