// The sound registry: jump samples and the music stream, addressed by index.
//
// A sound's file is read whole into memory, which the audio layer keeps for
// the rest of the run, and registered as a sample (short effects that may
// overlap, up to 10 at once) or as a stream (music). Sounds are only ever
// added. A sound index is a signed 32-bit integer; -1 means no sound, and
// every operation accepts it and does nothing.
#pragma once
#include <cstdint>

class CBASS {
 public:
  uint16_t count = 0;           // registered sounds
  uint32_t* handle = nullptr;   // the audio layer's sample or stream handle
  uint8_t* isSample = nullptr;  // 1 for a sample, 0 for a stream

  // Forgets the arrays without releasing them: the start-up zeroing.
  void Reset();
  // Releases the registry's arrays, then Reset. The audio layer's sounds
  // stay until it shuts down.
  void Release();

  // Grows the arrays to n entries when n is larger than count (new entries
  // are streams), then count = n. A failed growth logs the growth-failure
  // message and leaves the arrays null: the registry is unusable after that.
  void resize(uint16_t n);

  // Reads `name` (loose file first, then the archive) and registers it.
  // `flag` is accepted and ignored. Returns the new index, or -1: silently
  // when the file can't be opened, with "BASS::Couldn't load [name]" when it
  // can't be read whole or the audio layer refuses it (which it always does
  // without a device). A failed load takes no index.
  int32_t LoadSound(const char* name, int flag, bool sample);

  // Starts the sound without disturbing playbacks in progress: a sample gets
  // one more overlapping playback (logs "Can't play chanel" when it already
  // plays 10 times), a stream starts unless it is playing ("Can't play
  // stream" when it can't). Indexes outside 0..count-1 do nothing; `a` and
  // `b` are ignored.
  void Play(int32_t index, int a, int b);

  // Registers the first file of `folder` ("" for the working directory, else
  // ending in a separator) whose name ends in ".mp3" as a stream; -1 without
  // a log line when there is none.
  int32_t PlayMusic(const char* folder);
};

extern CBASS g_audio;
extern int32_t g_jumpSound[4];  // KT, MV, WN, ZL
extern int32_t g_music;         // -1 when there is none

// Opens the default audio device at 44100 Hz; logs "Can't initialize
// bass.dll." and returns false when there is none (the program goes on
// silent).
bool InitAudio();

// At exit: stops every sound, frees the registry and the sounds' memory and
// closes the device. Every sound index is -1 afterwards.
void ShutdownAudio();

// Once a frame: starts the music again when it has stopped.
void KeepMusicPlaying();

// Adds "jumpSounds" to the run's trace: how many playbacks of each jump
// sample (KT, MV, WN, ZL) are under way.
void RegisterAudioTrace();
