// The frame timer: the time between two ticks in seconds, times a scale,
// which every rate in the program is multiplied by. New frame-rate extremes
// are logged.
#pragma once
#include <cstdint>

class Timer {
 public:
  // Reads the clocks: the first tick measures everything since this call.
  void Init();

  // Once per frame, before the update. Two ticks at the same counter value
  // keep the previous frame time and rate.
  void Tick();

  float frameTime = 0.0f;
  float scale = 1.0f;
  float secondsPerTick = 0.0f;
  int32_t fpsMin = 1000;
  int32_t fpsMax = 0;
  int32_t fps = 0;
  int64_t frequency = 0;
  int64_t startCounter = 0;
  int64_t now = 0;
  int64_t last = 0;
  uint32_t startTime = 0;
  bool logExtremes = true;
};

extern Timer g_timer;
