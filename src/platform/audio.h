// The audio device and its sounds, over SDL_mixer.
//
// Sounds are decoded from memory the caller hands over. A sample is decoded
// whole and may play on several mixer channels at once; a stream is decoded
// while it plays, from the caller's memory. Handles are non-zero; 0 means
// failure. The mixer runs on its own thread; every call here is made from the
// main thread.
#pragma once
#include <cstdint>

// Opens the default output device at `frequency` Hz (stereo, 16 bit). False
// when no device can be opened (for example an unknown SDL_AUDIODRIVER);
// every later load then fails.
bool PlatformAudioInit(int frequency);

// Stops every sound, releases the sounds with the memory handed to them, and
// closes the device. Handles given out before are no longer valid.
void PlatformAudioShutdown();

// A sample from the file content `data` of `size` bytes (any format the mixer
// decodes: WAV, MP3, OGG...), playable at most `maxPlaybacks` times at once.
// On success the memory belongs to the audio layer until shutdown (allocated
// with new[]); on failure (0) it stays the caller's.
uint32_t PlatformAudioLoadSample(uint8_t* data, int32_t size, int maxPlaybacks);

// A stream decoding `data` while it plays; the same ownership rule.
uint32_t PlatformAudioLoadStream(uint8_t* data, int32_t size);

// Starts one more playback of a sample on a free channel; a playing one goes
// on. False when the sample already plays its maximum number of times, or
// for a handle that is not a sample.
bool PlatformAudioPlaySample(uint32_t sample);

// Starts a stream from its beginning unless it is playing already, in which
// case nothing changes. Only one stream plays at a time: starting another
// stops the one that played. False for a handle that is not a stream.
bool PlatformAudioPlayStream(uint32_t stream);

// How many times the sound is playing right now (0 or 1 for a stream);
// 0 for an unknown handle.
int PlatformAudioPlaying(uint32_t sound);

// Volumes from 0 (silent) to 1 (as decoded, the default): of the streams,
// and of every sample, those loaded later included.
void PlatformAudioSetVolume(float music, float sound);

// Seconds into a playing stream's data; -1 when unknown or not a stream.
double PlatformAudioStreamPosition(uint32_t stream);
