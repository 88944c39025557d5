#include "icon.h"

#include <algorithm>
#include <cmath>

#include "canvas.h"
#include "image/png_writer.h"

std::vector<uint8_t> BuildIconPng(int size) {
  const float s = static_cast<float>(size) / 128;  // drawn on a 128-pixel grid
  Canvas canvas(size);
  const vec3 zenith(0.10f, 0.16f, 0.38f), dusk(0.96f, 0.62f, 0.42f);
  const vec3 sea(0.05f, 0.28f, 0.36f), deep(0.02f, 0.12f, 0.20f);
  canvas.Fill([&](float, float v) {
    return v < 0.64f ? Mix(zenith, dusk, std::pow(v / 0.64f, 1.6f))
                     : Mix(sea, deep, (v - 0.64f) / 0.36f);
  });
  canvas.Blob(84 * s, 70 * s, 15 * s, 15 * s, 0, vec3(1.0f, 0.86f, 0.52f), 1);
  canvas.Blob(84 * s, 86 * s, 13 * s, 2 * s, 0, vec3(0.98f, 0.78f, 0.50f), 0.5f);  // its glint
  canvas.Blob(42 * s, 82 * s, 30 * s, 7 * s, 0, vec3(0.12f, 0.30f, 0.16f), 1);     // the island
  // A lock of strands in the editor's paint colours, fanning from one root.
  const vec3 paints[] = {vec3(32, 152, 212) / 255.0f, vec3(242, 112, 50) / 255.0f,
                         vec3(238, 65, 67) / 255.0f, vec3(252, 245, 173) / 255.0f,
                         vec3(242, 182, 208) / 255.0f};
  for (int i = 0; i < 5; ++i) {
    const float a = 0.55f + 0.22f * i;
    canvas.Stroke(30 * s, 34 * s, (30 + 70 * std::cos(a)) * s, (34 + 70 * std::sin(a)) * s, 9 * s,
                  paints[i], 0.95f);
  }
  const Picture rgb = canvas.ToPicture();
  std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
  const float centre = size * 0.5f, radius = size * 0.47f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const size_t i = static_cast<size_t>(y) * size + x;
      std::copy(&rgb.rgb[i * 3], &rgb.rgb[i * 3] + 3, &rgba[i * 4]);
      const float d = std::hypot(x + 0.5f - centre, y + 0.5f - centre);
      rgba[i * 4 + 3] =
          static_cast<uint8_t>(255 * std::min(1.0f, std::max(0.0f, radius - d + 0.5f)));
    }
  std::vector<uint8_t> png;
  if (!EncodePng(size, size, 4, rgba.data(), size * 4, &png)) png.clear();
  return png;
}
