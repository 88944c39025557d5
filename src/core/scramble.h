// The scramble routine and the program-wide random state.
//
// One 32-bit state serves both the scrambler (which re-seeds it with the
// buffer length) and every random draw of the program, so logging a line or
// looking up an archive entry changes the random sequence seen afterwards.
#pragma once
#include <cstdint>

extern uint32_t g_randState;  // starts at 1

// Scrambles or unscrambles `length` bytes in place; the operation is its own
// inverse because the key stream depends only on the length. Sets
// g_randState to `length`, then leaves it at the last state computed. A zero
// or negative length changes no byte.
void Scramble(void* buffer, int32_t length);

// The float the scrambler builds from a state: the float with bit pattern
// (state & 0x7FFFFF) | 0x40000000, minus 3. Lies in [-1, 1).
float RandomToFloat(uint32_t state);

// One step of the shared generator (g_randState *= 16807, mod 2^32), returned
// as RandomToFloat of the new state.
float RandomSigned();
