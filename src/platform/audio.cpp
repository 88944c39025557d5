#include "platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <vector>

namespace {
struct Sound {
  Mix_Chunk* chunk = nullptr;  // a sample
  Mix_Music* music = nullptr;  // a stream
  uint8_t* data = nullptr;     // the file content, owned
  int maxPlaybacks = 0;
};

bool g_open = false;
std::vector<Sound> g_sounds;  // handle h is entry h - 1
Mix_Music* g_currentMusic = nullptr;
int g_channels = 0;
int g_sampleVolume = MIX_MAX_VOLUME;

Sound* Find(uint32_t handle) {
  if (handle == 0 || handle > g_sounds.size()) return nullptr;
  return &g_sounds[handle - 1];
}

uint32_t Add(const Sound& sound) {
  g_sounds.push_back(sound);
  return static_cast<uint32_t>(g_sounds.size());
}

int PlaybacksOf(const Mix_Chunk* chunk) {
  int playing = 0;
  for (int c = 0; c < g_channels; ++c)
    if (Mix_Playing(c) && Mix_GetChunk(c) == chunk) ++playing;
  return playing;
}
}  // namespace

bool PlatformAudioInit(int frequency) {
  if (g_open) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(frequency, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  g_channels = Mix_AllocateChannels(-1);  // -1 asks without changing
  g_open = true;
  return true;
}

void PlatformAudioShutdown() {
  if (!g_open) return;
  Mix_HaltChannel(-1);
  Mix_HaltMusic();
  for (Sound& s : g_sounds) {
    if (s.chunk) Mix_FreeChunk(s.chunk);
    if (s.music) Mix_FreeMusic(s.music);
    delete[] s.data;
  }
  g_sounds.clear();
  g_currentMusic = nullptr;
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  g_channels = 0;
  g_open = false;
}

uint32_t PlatformAudioLoadSample(uint8_t* data, int32_t size, int maxPlaybacks) {
  if (!g_open || !data || size <= 0 || maxPlaybacks <= 0) return 0;
  Sound s;
  s.chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(data, size), 1);
  if (!s.chunk) return 0;
  s.data = data;
  s.maxPlaybacks = maxPlaybacks;
  if (g_sampleVolume != MIX_MAX_VOLUME) Mix_VolumeChunk(s.chunk, g_sampleVolume);
  // Enough channels for every sample to reach its maximum at once, so a
  // sample under its maximum always finds a free channel.
  int wanted = 0;
  for (const Sound& other : g_sounds) wanted += other.maxPlaybacks;
  wanted += maxPlaybacks;
  if (wanted > g_channels) g_channels = Mix_AllocateChannels(wanted);
  return Add(s);
}

uint32_t PlatformAudioLoadStream(uint8_t* data, int32_t size) {
  if (!g_open || !data || size <= 0) return 0;
  Sound s;
  s.music = Mix_LoadMUS_RW(SDL_RWFromConstMem(data, size), 1);
  if (!s.music) return 0;
  s.data = data;
  return Add(s);
}

bool PlatformAudioPlaySample(uint32_t sample) {
  const Sound* s = Find(sample);
  if (!s || !s->chunk) return false;
  if (PlaybacksOf(s->chunk) >= s->maxPlaybacks) return false;  // no channel is stolen
  return Mix_PlayChannel(-1, s->chunk, 0) >= 0;
}

bool PlatformAudioPlayStream(uint32_t stream) {
  const Sound* s = Find(stream);
  if (!s || !s->music) return false;
  if (g_currentMusic == s->music && Mix_PlayingMusic()) return true;
  if (Mix_PlayMusic(s->music, 0) != 0) return false;
  g_currentMusic = s->music;
  return true;
}

int PlatformAudioPlaying(uint32_t sound) {
  const Sound* s = Find(sound);
  if (!s) return 0;
  if (s->chunk) return PlaybacksOf(s->chunk);
  return g_currentMusic == s->music && Mix_PlayingMusic() ? 1 : 0;
}

double PlatformAudioStreamPosition(uint32_t stream) {
  const Sound* s = Find(stream);
  if (!s || !s->music) return -1;
  return Mix_GetMusicPosition(s->music);
}

void PlatformAudioSetVolume(float music, float sound) {
  auto level = [](float v) {
    v = v < 0 ? 0 : v > 1 ? 1 : v;
    return static_cast<int>(v * MIX_MAX_VOLUME + 0.5f);
  };
  g_sampleVolume = level(sound);
  for (Sound& s : g_sounds)
    if (s.chunk) Mix_VolumeChunk(s.chunk, g_sampleVolume);
  if (g_open) Mix_VolumeMusic(level(music));
}
