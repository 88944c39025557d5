#include "platform/clock.h"

#include <SDL.h>

namespace {
constexpr uint64_t kVirtualFrequency = 1000000000ull;  // nanoseconds
bool g_virtual = false;
uint64_t g_virtualNow = 0;
uint64_t g_virtualStep = 0;
}  // namespace

uint32_t PlatformMillis() {
  if (g_virtual) return static_cast<uint32_t>(g_virtualNow / 1000000ull);
  return SDL_GetTicks();
}

uint64_t PlatformCounter() {
  return g_virtual ? g_virtualNow : SDL_GetPerformanceCounter();
}

uint64_t PlatformFrequency() {
  return g_virtual ? kVirtualFrequency : SDL_GetPerformanceFrequency();
}

void PlatformSleep(uint32_t ms) {
  // Virtual time moves by the same amount; the real sleep still happens so
  // that an inactive window doesn't spin.
  if (g_virtual) g_virtualNow += static_cast<uint64_t>(ms) * 1000000ull;
  SDL_Delay(ms);
}

void PlatformSetVirtualClock(double frameSeconds) {
  g_virtual = frameSeconds > 0;
  g_virtualNow = 0;
  g_virtualStep =
      static_cast<uint64_t>(frameSeconds * static_cast<double>(kVirtualFrequency) + 0.5);
}

bool PlatformClockIsVirtual() {
  return g_virtual;
}

void PlatformAdvanceClock() {
  if (g_virtual) g_virtualNow += g_virtualStep;
}
