#include "land_textures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "canvas.h"
#include "noise.h"

namespace {
float Clamp01(float v) {
  return std::min(1.0f, std::max(0.0f, v));
}

float SmoothStep(float a, float b, float x) {
  const float t = Clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}

// Tiling noise over the picture, `cells` lattice cells across it.
float Grain(float u, float v, int cells, int octaves, uint32_t seed) {
  return TileFractal(u * cells, v * cells, cells, octaves, seed);
}

// Thin dark lines where a noise crosses zero: cracks and furrows.
float Lines(float u, float v, int cells, uint32_t seed, float width) {
  return 1 - SmoothStep(0, width, std::fabs(Grain(u, v, cells, 4, seed)));
}

vec3 Vary(ContentRandom& random, const vec3& colour, float amount) {
  return colour * (1 + random.Range(-amount, amount));
}
}  // namespace

Picture GrassTexture() {
  const int n = kGroundTextureSize;
  Canvas canvas(n);
  canvas.Fill([](float u, float v) {
    const float broad = Grain(u, v, 4, 3, 21u);
    return Mix(vec3(0.2f, 0.36f, 0.11f), vec3(0.33f, 0.5f, 0.16f), 0.5f + 0.5f * broad);
  });
  ContentRandom random(22u);
  // Blades lying every way, darker ones under lighter ones, now and then a
  // dry one.
  const vec3 shades[] = {vec3(0.22f, 0.4f, 0.12f), vec3(0.34f, 0.56f, 0.18f),
                         vec3(0.46f, 0.66f, 0.22f), vec3(0.6f, 0.62f, 0.3f)};
  for (int layer = 0; layer < 3; ++layer)
    for (int i = 0; i < 5000; ++i) {
      const float x = random.Range(0, n), y = random.Range(0, n);
      const float a = random.Range(0, 6.283185f), length = random.Range(5, 12);
      const bool dry = layer == 2 && random.Unit() < 0.08f;
      const vec3 colour = Vary(random, shades[dry ? 3 : layer], 0.12f);
      canvas.Stroke(x, y, x + length * std::cos(a), y + length * std::sin(a), 1.6f, colour, 0.8f);
    }
  canvas.Shade([](float u, float v) { return 0.9f + 0.12f * Grain(u, v, 8, 2, 25u); });
  return canvas.ToPicture();
}

Picture EarthTexture() {
  const int n = kGroundTextureSize;
  Canvas canvas(n);
  canvas.Fill([](float u, float v) {
    const float broad = Grain(u, v, 4, 3, 31u), fine = Grain(u, v, 64, 3, 32u);
    const vec3 c = Mix(vec3(0.4f, 0.3f, 0.2f), vec3(0.55f, 0.44f, 0.31f), 0.5f + 0.5f * broad);
    return c * (0.9f + 0.14f * fine);
  });
  ContentRandom random(33u);
  // Pebbles: each with a shadow below and to the right, some larger stones.
  for (int i = 0; i < 900; ++i) {
    const float x = random.Range(0, n), y = random.Range(0, n);
    const float r = i < 60 ? random.Range(5, 9) : random.Range(1.5f, 4);
    const float a = random.Range(0, 3.14159f), squash = random.Range(0.6f, 1);
    canvas.Blob(x + 0.25f * r, y + 0.3f * r, r, r * squash, a, vec3(0.25f, 0.19f, 0.13f), 0.6f);
    const vec3 stone = Vary(random, vec3(0.62f, 0.57f, 0.5f), 0.2f);
    canvas.Blob(x, y, r, r * squash, a, stone, 1);
    canvas.Blob(x - 0.25f * r, y - 0.25f * r, 0.5f * r, 0.5f * r * squash, a, stone * 1.15f, 0.5f);
  }
  for (int i = 0; i < 6000; ++i)
    canvas.Blob(random.Range(0, n), random.Range(0, n), 0.7f, 0.7f, 0,
                random.Unit() < 0.5f ? vec3(0.3f, 0.23f, 0.15f) : vec3(0.66f, 0.58f, 0.46f), 0.5f);
  canvas.Shade([](float u, float v) { return 1 - 0.2f * Lines(u, v, 10, 34u, 0.04f); });
  return canvas.ToPicture();
}

// Height of the rock's surface: broad lumps and ridged, angular detail.
float RockHeight(float u, float v) {
  const float ridged = 1 - std::fabs(Grain(u, v, 12, 4, 67u));
  return Grain(u, v, 4, 4, 61u) + 0.6f * ridged * ridged;
}

Picture RockTexture() {
  const int n = kGroundTextureSize;
  std::vector<float> height(static_cast<size_t>(n) * n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) height[y * n + x] = RockHeight((x + 0.5f) / n, (y + 0.5f) / n);
  Canvas canvas(n);
  canvas.Fill([n, &height](float u, float v) {
    // Lit from one side by the surface's slope, so the lumps stand out.
    const int x = static_cast<int>(u * n), y = static_cast<int>(v * n);
    const float h = height[y * n + x];
    const float light =
        (height[y * n + (x + 1) % n] - h) * 0.7f + (height[(y + 1) % n * n + x] - h) * 0.7f;
    vec3 c = Mix(vec3(0.44f, 0.41f, 0.37f), vec3(0.64f, 0.6f, 0.54f), 0.5f + 0.4f * h);
    const float layers = std::sin((v * 10 + 0.8f * Grain(u, v, 4, 2, 62u)) * 2 * kPi);
    c = c * (1 - 18 * light) * (0.94f + 0.05f * layers + 0.08f * Grain(u, v, 128, 2, 63u));
    return c * (1 - 0.3f * Lines(u, v, 5, 64u, 0.03f));
  });
  ContentRandom random(66u);
  // Lichen in pale green-yellow patches.
  for (int i = 0; i < 90; ++i) {
    const float x = random.Range(0, n), y = random.Range(0, n), r = random.Range(2, 6);
    canvas.Blob(x, y, r, r * random.Range(0.5f, 1), random.Range(0, 3.14159f),
                Vary(random, vec3(0.6f, 0.62f, 0.42f), 0.1f), 0.35f);
  }
  return canvas.ToPicture();
}

Picture SandTexture() {
  const int n = kGroundTextureSize;
  Canvas canvas(n);
  canvas.Fill([](float u, float v) {
    const float broad = Grain(u, v, 4, 3, 71u);
    const vec3 c = Mix(vec3(0.74f, 0.66f, 0.48f), vec3(0.86f, 0.8f, 0.62f), 0.5f + 0.5f * broad);
    const float ripple = std::sin((u * 16 + v * 5 + 0.9f * Grain(u, v, 6, 2, 72u)) * 2 * kPi);
    return c * (0.96f + 0.05f * ripple);
  });
  ContentRandom random(73u);
  for (int i = 0; i < 20000; ++i) {
    const float shade = random.Unit();
    const vec3 grain = shade < 0.5f ? vec3(0.6f, 0.52f, 0.38f) : vec3(0.95f, 0.92f, 0.82f);
    canvas.Blob(random.Range(0, n), random.Range(0, n), 0.6f, 0.6f, 0, grain, 0.35f);
  }
  // Bits of shell.
  for (int i = 0; i < 120; ++i)
    canvas.Blob(random.Range(0, n), random.Range(0, n), random.Range(1, 2.5f),
                random.Range(0.6f, 1.5f), random.Range(0, 3.14159f), vec3(0.96f, 0.94f, 0.88f),
                0.8f);
  return canvas.ToPicture();
}

Picture BarkTexture() {
  return Paint(256, [](float u, float v) {
    // Vertical furrows wandering a little along the trunk.
    const float wobble = Grain(u, v, 4, 2, 41u);
    const float furrow = 0.5f + 0.5f * std::sin((u * 12 + wobble * 0.8f) * 2 * kPi);
    const float grain = TileFractal(u * 32, v * 8, 32, 3, 42u);
    const vec3 c = Mix(vec3(0.22f, 0.15f, 0.09f), vec3(0.46f, 0.35f, 0.24f), furrow);
    return c * (0.9f + 0.2f * grain);
  });
}

Picture LeavesTexture() {
  const int n = 256;
  Canvas canvas(n);
  canvas.Fill([](float u, float v) {
    return Mix(vec3(0.06f, 0.14f, 0.05f), vec3(0.12f, 0.24f, 0.08f),
               0.5f + 0.5f * Grain(u, v, 8, 2, 51u));
  });
  ContentRandom random(52u);
  // Single leaves, darker deep in the crown, lighter on top.
  const vec3 shades[] = {vec3(0.16f, 0.34f, 0.1f), vec3(0.26f, 0.48f, 0.14f),
                         vec3(0.4f, 0.62f, 0.2f)};
  for (int layer = 0; layer < 3; ++layer)
    for (int i = 0; i < 700; ++i)
      canvas.Blob(random.Range(0, n), random.Range(0, n), random.Range(3, 5),
                  random.Range(1.5f, 2.5f), random.Range(0, 3.14159f),
                  Vary(random, shades[layer], 0.15f), 0.9f);
  return canvas.ToPicture();
}
