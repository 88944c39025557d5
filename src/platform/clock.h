// Clocks: the millisecond clock, the high-resolution counter, and sleeping.
//
// In a reproducible run (--fixed-dt) both clocks become virtual: they start at
// 0 and move only when the frame loop advances them, by exactly one frame
// time per frame.
#pragma once
#include <cstdint>

uint32_t PlatformMillis();
uint64_t PlatformCounter();
uint64_t PlatformFrequency();
void PlatformSleep(uint32_t ms);

// Switches both clocks to virtual time, starting at 0 and advancing
// `frameSeconds` per PlatformAdvanceClock() call; 0 or less returns to the
// real clocks.
void PlatformSetVirtualClock(double frameSeconds);
bool PlatformClockIsVirtual();
void PlatformAdvanceClock();
