// Synthesised sounds and their MP3 encoding (LAME).
#pragma once
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;

// A short jump sound, different for each character (0..3), mono in [-1, 1].
std::vector<float> JumpSound(int character);

// A gentle music loop of about 32 seconds, mono in [-1, 1].
std::vector<float> MusicLoop();

// Constant-bit-rate MP3 of mono samples at kSampleRate, without tags.
// Empty when the encoder fails.
std::vector<uint8_t> EncodeMp3(const std::vector<float>& samples, int kbps);
