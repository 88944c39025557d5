#include "image/jpeg_idct.h"

namespace {
// Zigzag index of natural position row * 8 + column.
constexpr uint8_t kZigzag[64] = {0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42,
                                 3,  8,  12, 17, 25, 30, 41, 43, 9,  11, 18, 24, 31, 40, 44, 53,
                                 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
                                 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};

// sqrt(2) * cos(k * pi / 16) for k >= 1, 1 for k = 0.
constexpr float kScale[8] = {1.0f, 1.3870399f,  1.306563f,  1.1758755f,
                             1.0f, 0.78569496f, 0.5411961f, 0.27589938f};

// The AAN butterflies on eight values `stride` floats apart.
void InverseDctLine(float* v, int stride) {
  const float x0 = v[0], x1 = v[stride], x2 = v[2 * stride], x3 = v[3 * stride];
  const float x4 = v[4 * stride], x5 = v[5 * stride], x6 = v[6 * stride], x7 = v[7 * stride];

  const float t10 = x0 + x4;
  const float t11 = x0 - x4;
  const float t13 = x2 + x6;
  const float t12 = (x2 - x6) * 1.4142135f - t13;
  const float e0 = t10 + t13;
  const float e3 = t10 - t13;
  const float e1 = t11 + t12;
  const float e2 = t11 - t12;

  const float z13 = x5 + x3;
  const float z10 = x5 - x3;
  const float z11 = x1 + x7;
  const float z12 = x1 - x7;
  const float o7 = z11 + z13;
  const float o11 = (z11 - z13) * 1.4142135f;
  const float z5 = (z10 + z12) * 1.847759f;
  const float o6 = z5 - 2.613126f * z10 - o7;
  const float o5 = o11 - o6;
  const float o4 = 1.0823922f * z12 - z5 + o5;

  v[0] = e0 + o7;
  v[7 * stride] = e0 - o7;
  v[stride] = e1 + o6;
  v[6 * stride] = e1 - o6;
  v[2 * stride] = e2 + o5;
  v[5 * stride] = e2 - o5;
  v[4 * stride] = e3 + o4;
  v[3 * stride] = e3 - o4;
}

uint8_t Clamp255(int value) {
  return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// Truncation toward zero of a float already known to be finite.
int ClampTruncate(float value) {
  // Hostile coefficients can leave the int range; valid ones stay near 0...255.
  if (value > 1.0e6f) return 1000000;
  if (value < -1.0e6f) return -1000000;
  return static_cast<int>(value);
}
}  // namespace

void JpegDequantize(const int32_t coefficients[64], const uint32_t quant[64], float block[64]) {
  for (int u = 0; u < 8; ++u) {
    for (int w = 0; w < 8; ++w) {
      const int z = kZigzag[u * 8 + w];
      block[u * 8 + w] = static_cast<float>(coefficients[z]) * static_cast<float>(quant[z]) *
                         kScale[u] * kScale[w];
    }
  }
}

void JpegInverseDct(float block[64]) {
  for (int column = 0; column < 8; ++column) InverseDctLine(block + column, 8);
  for (int row = 0; row < 8; ++row) InverseDctLine(block + row * 8, 1);
}

uint8_t JpegSample(float value) {
  return Clamp255((ClampTruncate(value) >> 3) + 128);
}

void JpegToRgba(uint8_t* pixels, size_t count, int components) {
  if (components == 1) {
    for (size_t i = 0; i < count; ++i) {
      uint8_t* p = pixels + i * 4;
      p[1] = p[2] = p[0];
      p[3] = 255;
    }
  } else if (components == 3) {
    for (size_t i = 0; i < count; ++i) {
      uint8_t* p = pixels + i * 4;
      const float y = p[0];
      const float cb = static_cast<float>(p[1]) - 128.0f;
      const float cr = static_cast<float>(p[2]) - 128.0f;
      p[0] = Clamp255(static_cast<int>(y + 1.402f * cr));
      p[1] = Clamp255(static_cast<int>(y - 0.34414f * cb - 0.71414f * cr));
      p[2] = Clamp255(static_cast<int>(y + 1.772f * cb));
      p[3] = 255;
    }
  }
}
