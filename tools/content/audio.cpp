#include "audio.h"

#include <lame/lame.h>

#include <cmath>

#include "noise.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;

double Midi(double note) {
  return 440.0 * std::pow(2.0, (note - 69) / 12);
}

// A soft plucked note added into `out` at `start` seconds.
void Pluck(std::vector<float>& out, double start, double freq, double length, double gain) {
  const size_t first = static_cast<size_t>(start * kSampleRate);
  const size_t count = static_cast<size_t>(length * kSampleRate);
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double env = std::min(1.0, t * 200) * std::exp(-t * 3.2);
    const double tone = std::sin(kTwoPi * freq * t) +
                        0.3 * std::sin(kTwoPi * 2 * freq * t) * std::exp(-t * 6) +
                        0.12 * std::sin(kTwoPi * 3 * freq * t) * std::exp(-t * 9);
    out[first + i] += static_cast<float>(gain * env * tone);
  }
}

// A slow pad chord (three detuned voices per note) over [start, start+length).
void Pad(std::vector<float>& out, double start, const double* notes, int count, double length,
         double gain) {
  const size_t first = static_cast<size_t>(start * kSampleRate);
  const size_t n = static_cast<size_t>(length * kSampleRate);
  for (size_t i = 0; i < n && first + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    // Rise over a second, fall over the last second: chords overlap softly.
    const double env = std::min(1.0, t / 1.0) * std::min(1.0, (length - t) / 1.0);
    double s = 0;
    for (int k = 0; k < count; ++k) {
      const double f = Midi(notes[k]);
      s += std::sin(kTwoPi * f * t) + 0.5 * std::sin(kTwoPi * f * 1.003 * t + 1) +
           0.5 * std::sin(kTwoPi * f * 0.997 * t + 2);
    }
    out[first + i] += static_cast<float>(gain * env * s / count);
  }
}
}  // namespace

std::vector<float> JumpSound(int character) {
  // Rising chirps of different pitch, shape and length per character.
  const double base[4] = {520, 660, 300, 440};
  const double rise[4] = {2.2, 1.6, 1.8, 2.6};
  const double length[4] = {0.32, 0.28, 0.36, 0.3};
  const double buzz[4] = {0.1, 0.35, 0.5, 0.2};
  std::vector<float> out(static_cast<size_t>(length[character] * kSampleRate));
  double phase = 0;
  ContentRandom random(77u + static_cast<uint32_t>(character));
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double u = t / length[character];
    const double f = base[character] * std::pow(rise[character], u);
    phase += kTwoPi * f / kSampleRate;
    const double env = std::min(1.0, t * 150) * std::pow(1 - u, 1.5);
    const double whoosh = (random.Unit() * 2 - 1) * 0.15 * (1 - u);
    const double tone = std::sin(phase) + buzz[character] * std::sin(2 * phase + std::sin(phase));
    out[i] = static_cast<float>(0.5 * env * (tone + whoosh));
  }
  return out;
}

std::vector<float> MusicLoop() {
  // 16 bars of 4 beats at 120 bpm: 32 seconds. The chords cycle
  // C - Am - F - G (in a soft register) under a pentatonic plucked melody.
  const double beat = 0.5;
  const int bars = 16;
  std::vector<float> out(static_cast<size_t>(bars * 4 * beat * kSampleRate));
  const double chords[4][3] = {{48, 55, 64}, {45, 52, 60}, {41, 48, 57}, {43, 50, 59}};
  const int roots[4] = {36, 33, 29, 31};
  const int scale[5] = {0, 2, 4, 7, 9};
  ContentRandom random(4242u);
  for (int bar = 0; bar < bars; ++bar) {
    const int c = bar % 4;
    const double t0 = bar * 4 * beat;
    Pad(out, t0, chords[c], 3, 4 * beat + (bar + 1 < bars ? 0.8 : 0.0), 0.12);
    Pluck(out, t0, Midi(roots[c]), 1.9, 0.22);
    Pluck(out, t0 + 2 * beat, Midi(roots[c] + 7), 1.9, 0.16);
    for (int step = 0; step < 8; ++step) {
      if (random.Unit() < 0.35) continue;  // rests keep it gentle
      const int degree = static_cast<int>(random.Unit() * 5);
      const int octave = random.Unit() < 0.3 ? 84 : 72;
      Pluck(out, t0 + step * beat * 0.5, Midi(octave + scale[degree]), 1.2, 0.09);
    }
  }
  // A soft limiter keeps overlapping notes from clipping.
  for (float& s : out) s = std::tanh(s * 1.2f);
  return out;
}

std::vector<uint8_t> EncodeMp3(const std::vector<float>& samples, int kbps) {
  lame_global_flags* gf = lame_init();
  if (!gf) return {};
  lame_set_num_channels(gf, 1);
  lame_set_in_samplerate(gf, kSampleRate);
  lame_set_out_samplerate(gf, kSampleRate);
  lame_set_mode(gf, MONO);
  lame_set_brate(gf, kbps);
  lame_set_quality(gf, 5);
  lame_set_bWriteVbrTag(gf, 0);
  std::vector<uint8_t> out;
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    return out;
  }
  const int chunk = 8192;
  std::vector<unsigned char> buffer(static_cast<size_t>(1.25 * chunk + 7200));
  std::vector<float> silentRight(chunk, 0.0f);
  for (size_t at = 0; at < samples.size(); at += chunk) {
    const int n = static_cast<int>(std::min<size_t>(chunk, samples.size() - at));
    const int got = lame_encode_buffer_ieee_float(gf, samples.data() + at, silentRight.data(), n,
                                                  buffer.data(), static_cast<int>(buffer.size()));
    if (got < 0) {
      lame_close(gf);
      return {};
    }
    out.insert(out.end(), buffer.begin(), buffer.begin() + got);
  }
  const int got = lame_encode_flush(gf, buffer.data(), static_cast<int>(buffer.size()));
  if (got > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + got);
  lame_close(gf);
  return out;
}
