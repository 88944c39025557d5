#include "core/timer.h"

#include "core/log.h"
#include "platform/clock.h"

Timer g_timer;

void Timer::Init() {
  frequency = static_cast<int64_t>(PlatformFrequency());
  secondsPerTick = frequency ? 1.0f / static_cast<float>(frequency) : 0.0f;
  startCounter = static_cast<int64_t>(PlatformCounter());
  startTime = PlatformMillis();
  last = static_cast<int64_t>(PlatformCounter());
}

void Timer::Tick() {
  frequency = static_cast<int64_t>(PlatformFrequency());
  now = static_cast<int64_t>(PlatformCounter());
  const int64_t elapsed = now - last;
  if (elapsed <= 0 || frequency <= 0) return;  // no time has passed: keep the last frame's
  fps = static_cast<int32_t>(static_cast<double>(frequency) / static_cast<double>(elapsed));
  if (logExtremes) {
    if (fps < fpsMin) {
      fpsMin = fps;
      Log(LOG_INFO, "Timer::FPS::min %i", fps);
    }
    if (fps > fpsMax) {
      fpsMax = fps;
      Log(LOG_INFO, "Timer::FPS::max %i", fps);
    }
  }
  frameTime =
      static_cast<float>(static_cast<double>(elapsed) / static_cast<double>(frequency)) * scale;
  last = now;
}
