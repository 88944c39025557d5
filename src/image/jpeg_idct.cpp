#include "image/jpeg_idct.h"

#include <cstring>

namespace {
// sqrt(2) * cos(k * pi / 16) for k >= 1, 1 for k = 0.
constexpr float kScale[8] = {1.0f, 1.3870399f,  1.306563f,  1.1758755f,
                             1.0f, 0.78569496f, 0.5411961f, 0.27589938f};

typedef float F4 __attribute__((vector_size(16)));
typedef int32_t I4 __attribute__((vector_size(16)));
typedef uint32_t U4 __attribute__((vector_size(16)));

// The AAN butterflies on eight lines of four values each: every lane does
// the one-line arithmetic, so four lines of the block go through at once.
void InverseDctLines(F4 v[8]) {
  const F4 x0 = v[0], x1 = v[1], x2 = v[2], x3 = v[3], x4 = v[4], x5 = v[5], x6 = v[6], x7 = v[7];

  const F4 t10 = x0 + x4;
  const F4 t11 = x0 - x4;
  const F4 t13 = x2 + x6;
  const F4 t12 = (x2 - x6) * 1.4142135f - t13;
  const F4 e0 = t10 + t13;
  const F4 e3 = t10 - t13;
  const F4 e1 = t11 + t12;
  const F4 e2 = t11 - t12;

  const F4 z13 = x5 + x3;
  const F4 z10 = x5 - x3;
  const F4 z11 = x1 + x7;
  const F4 z12 = x1 - x7;
  const F4 o7 = z11 + z13;
  const F4 o11 = (z11 - z13) * 1.4142135f;
  const F4 z5 = (z10 + z12) * 1.847759f;
  const F4 o6 = z5 - 2.613126f * z10 - o7;
  const F4 o5 = o11 - o6;
  const F4 o4 = 1.0823922f * z12 - z5 + o5;

  v[0] = e0 + o7;
  v[7] = e0 - o7;
  v[1] = e1 + o6;
  v[6] = e1 - o6;
  v[2] = e2 + o5;
  v[5] = e2 - o5;
  v[4] = e3 + o4;
  v[3] = e3 - o4;
}

// Transposes the 4x4 block held in four vectors.
void Transpose4(F4& a, F4& b, F4& c, F4& d) {
  const F4 ab0 = __builtin_shufflevector(a, b, 0, 4, 1, 5),
           ab1 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
  const F4 cd0 = __builtin_shufflevector(c, d, 0, 4, 1, 5),
           cd1 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
  a = __builtin_shufflevector(ab0, cd0, 0, 1, 4, 5);
  b = __builtin_shufflevector(ab0, cd0, 2, 3, 6, 7);
  c = __builtin_shufflevector(ab1, cd1, 0, 1, 4, 5);
  d = __builtin_shufflevector(ab1, cd1, 2, 3, 6, 7);
}

// An 8x8 block as rows split in halves: left[r] holds columns 0-3 of row r,
// right[r] columns 4-7. Transposing swaps the off-diagonal quarters.
void Transpose8(F4 left[8], F4 right[8]) {
  Transpose4(left[0], left[1], left[2], left[3]);
  Transpose4(left[4], left[5], left[6], left[7]);
  Transpose4(right[0], right[1], right[2], right[3]);
  Transpose4(right[4], right[5], right[6], right[7]);
  for (int i = 0; i < 4; ++i) {
    const F4 t = left[4 + i];
    left[4 + i] = right[i];
    right[i] = t;
  }
}

// Lane by lane, 0 below 0 and 255 above.
U4 Clamp255(I4 v) {
  v = v & ~(v < 0);
  return reinterpret_cast<U4>((v & ~(v > 255)) | (255 & (v > 255)));
}

// Four pixels, one per lane, with the scalar formulas.
U4 ToRgba(U4 p, int components) {
  if (components == 1) return (p & 255) * 0x010101u | 0xFF000000u;
  const F4 y = __builtin_convertvector(reinterpret_cast<I4>(p & 255), F4);
  const F4 cb = __builtin_convertvector(reinterpret_cast<I4>(p >> 8 & 255), F4) - 128.0f;
  const F4 cr = __builtin_convertvector(reinterpret_cast<I4>(p >> 16 & 255), F4) - 128.0f;
  const U4 r = Clamp255(__builtin_convertvector(y + 1.402f * cr, I4));
  const U4 g = Clamp255(__builtin_convertvector(y - 0.34414f * cb - 0.71414f * cr, I4));
  const U4 b = Clamp255(__builtin_convertvector(y + 1.772f * cb, I4));
  return r | g << 8 | b << 16 | 0xFF000000u;
}
}  // namespace

const uint8_t kJpegNaturalOrder[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

void JpegNaturalQuant(const uint32_t quant[64], float natural[64]) {
  for (int k = 0; k < 64; ++k) natural[kJpegNaturalOrder[k]] = static_cast<float>(quant[k]);
}

void JpegDequantize(const int32_t coefficients[64], const float quant[64], float block[64]) {
  const F4 columns[2] = {{kScale[0], kScale[1], kScale[2], kScale[3]},
                         {kScale[4], kScale[5], kScale[6], kScale[7]}};
  for (int i = 0; i < 64; i += 4) {
    I4 c;
    F4 q;
    std::memcpy(&c, coefficients + i, 16);
    std::memcpy(&q, quant + i, 16);
    const F4 v = __builtin_convertvector(c, F4) * q * kScale[i / 8] * columns[(i / 4) & 1];
    std::memcpy(block + i, &v, 16);
  }
}

void JpegInverseDct(float block[64]) {
  F4 left[8], right[8];
  for (int r = 0; r < 8; ++r) {
    std::memcpy(&left[r], block + r * 8, 16);
    std::memcpy(&right[r], block + r * 8 + 4, 16);
  }
  InverseDctLines(left);  // the columns, four at a time
  InverseDctLines(right);
  Transpose8(left, right);
  InverseDctLines(left);  // the rows, as columns of the transpose
  InverseDctLines(right);
  Transpose8(left, right);
  for (int r = 0; r < 8; ++r) {
    std::memcpy(block + r * 8, &left[r], 16);
    std::memcpy(block + r * 8 + 4, &right[r], 16);
  }
}

void JpegBlockSamples(const float block[64], uint8_t samples[64]) {
  for (int i = 0; i < 64; i += 4) {
    F4 v;
    std::memcpy(&v, block + i, 16);
    // Hostile coefficients can leave the int range; valid ones stay near
    // 0...255. Then truncation toward zero, as a conversion to int.
    v = v > 1.0e6f ? 1.0e6f : v;
    v = v < -1.0e6f ? -1.0e6f : v;
    const U4 s = Clamp255((__builtin_convertvector(v, I4) >> 3) + 128);
    typedef uint8_t B4 __attribute__((vector_size(4)));
    const B4 bytes = __builtin_convertvector(s, B4);
    std::memcpy(samples + i, &bytes, 4);
  }
}

void JpegToRgba(uint8_t* pixels, size_t count, int components) {
  if (components != 1 && components != 3) return;
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    U4 p;
    std::memcpy(&p, pixels + i * 4, 16);
    p = ToRgba(p, components);
    std::memcpy(pixels + i * 4, &p, 16);
  }
  if (i < count) {  // the last few through a padded copy
    U4 p = {};
    std::memcpy(&p, pixels + i * 4, (count - i) * 4);
    p = ToRgba(p, components);
    std::memcpy(pixels + i * 4, &p, (count - i) * 4);
  }
}
