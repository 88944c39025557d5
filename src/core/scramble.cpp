#include "core/scramble.h"

uint32_t g_randState = 1;

namespace {
// The key byte and the signed float share one construction: the float with
// bit pattern m | 0x40000000 is 2 + m / 2^22, in [2, 4).
inline int32_t KeyFromState(uint32_t state) {
  const int32_t m = static_cast<int32_t>(state & 0x7FFFFF);
  const int32_t d = m - 4194304;
  return d >= 0 ? (d >> 15) : -((-d) >> 15);
}
}  // namespace

void Scramble(void* buffer, int32_t length) {
  g_randState = static_cast<uint32_t>(length);
  if (length <= 0) return;
  auto* bytes = static_cast<uint8_t*>(buffer);
  uint32_t state = g_randState;
  for (int32_t i = 0; i < length; ++i) {
    state *= 16807u;
    bytes[i] ^= static_cast<uint8_t>(KeyFromState(state) & 0xFF);
  }
  g_randState = state;
}

float RandomToFloat(uint32_t state) {
  // 2 + m/2^22 - 3, exact in single precision.
  return static_cast<float>(state & 0x7FFFFF) * (1.0f / 4194304.0f) - 1.0f;
}

float RandomSigned() {
  g_randState *= 16807u;
  return RandomToFloat(g_randState);
}
