#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace {
float Clamp01(float v) {
  return std::min(1.0f, std::max(0.0f, v));
}
}  // namespace

Canvas::Canvas(int size) : size_(size), pixels_(static_cast<size_t>(size) * size) {}

void Canvas::Blend(int x, int y, const vec3& colour, float weight) {
  x = ((x % size_) + size_) % size_;
  y = ((y % size_) + size_) % size_;
  vec3& p = at(x, y);
  p = p + (colour - p) * weight;
}

void Canvas::Blob(float cx, float cy, float rx, float ry, float angle, const vec3& colour,
                  float alpha) {
  const float c = std::cos(angle), s = std::sin(angle);
  const float reach = std::max(rx, ry) + 1;
  for (int y = static_cast<int>(std::floor(cy - reach)); y <= static_cast<int>(cy + reach); ++y)
    for (int x = static_cast<int>(std::floor(cx - reach)); x <= static_cast<int>(cx + reach); ++x) {
      const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      const float u = (dx * c + dy * s) / rx, v = (-dx * s + dy * c) / ry;
      // Distance outside the edge, roughly in pixels.
      const float outside = (std::sqrt(u * u + v * v) - 1) * std::min(rx, ry);
      const float cover = Clamp01(0.5f - outside);
      if (cover > 0) Blend(x, y, colour, alpha * cover);
    }
}

void Canvas::Stroke(float x0, float y0, float x1, float y1, float width, const vec3& colour,
                    float alpha) {
  const float dx = x1 - x0, dy = y1 - y0;
  const float length2 = std::max(1e-6f, dx * dx + dy * dy);
  const float reach = width + 1;
  const int xa = static_cast<int>(std::floor(std::min(x0, x1) - reach));
  const int xb = static_cast<int>(std::max(x0, x1) + reach);
  const int ya = static_cast<int>(std::floor(std::min(y0, y1) - reach));
  const int yb = static_cast<int>(std::max(y0, y1) + reach);
  for (int y = ya; y <= yb; ++y)
    for (int x = xa; x <= xb; ++x) {
      const float px = x + 0.5f - x0, py = y + 0.5f - y0;
      const float t = Clamp01((px * dx + py * dy) / length2);
      const float ex = px - dx * t, ey = py - dy * t;
      const float half = 0.5f * width * (1 - t);
      const float cover = Clamp01(half + 0.5f - std::sqrt(ex * ex + ey * ey));
      if (cover > 0) Blend(x, y, colour, alpha * cover);
    }
}

Picture Canvas::ToPicture() const {
  Picture p(size_, size_);
  for (int y = 0; y < size_; ++y)
    for (int x = 0; x < size_; ++x) p.Set(x, y, pixels_[static_cast<size_t>(y) * size_ + x]);
  return p;
}
