// Filling the input tables: key translation and the end-of-frame sampling.
#pragma once
#include <cstdint>

#include "core/input_tables.h"

// Key code of a Windows virtual key: letters give lower case, or upper case
// with Shift; the named keys go through the key table (Insert 1, Delete 2,
// Shift 10, Control 11, Alt 12, arrows 16..19, mouse buttons 24, 25, ...);
// punctuation keys give their character; then Shift maps 34..96 to the
// shifted character. Everything else keeps its virtual-key value, so the
// keypad 1 (97) reads as "a" and F1 (112) as "p".
uint8_t TranslateKey(int vk, bool shiftHeld);

// End-of-frame sampling: moves this frame's tables to the previous ones,
// clears the wheel step, takes the waiting window messages (so a key that
// changed during the frame counts now) and polls every virtual key 0..254.
void SampleInput();
