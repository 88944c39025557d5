#include "audio/bass.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "core/growth.h"
#include "core/log.h"
#include "core/trace.h"
#include "platform/audio.h"
#include "platform/sysinfo.h"
#include "storage/core.h"

CBASS g_audio;
int32_t g_jumpSound[4] = {-1, -1, -1, -1};
int32_t g_music = -1;

namespace {
constexpr int kSampleOverlap = 10;
}  // namespace

void CBASS::Reset() {
  count = 0;
  handle = nullptr;
  isSample = nullptr;
}

void CBASS::Release() {
  std::free(handle);
  std::free(isSample);
  Reset();
}

void CBASS::resize(uint16_t n) {
  if (n > count) {
    ResizeArray(handle, n, "..\\inc\\bass\\bass", 42, "CBASS::resize");
    ResizeArray(isSample, n, "..\\inc\\bass\\bass", 46, "CBASS::resize");
    if (isSample)
      for (uint16_t i = count; i < n; ++i) isSample[i] = 0;
  }
  count = n;
}

int32_t CBASS::LoadSound(const char* name, int flag, bool sample) {
  FILE* file = CoreOpen(name, "rb", true);
  if (!file) return -1;
  // The whole entry in one read; a short one (a truncated archive) is
  // refused below rather than decoded from uninitialised bytes.
  const int32_t size = CWsize(name, "rb", true);
  uint8_t* data = nullptr;
  bool read = false;
  if (size > 0) {
    data = new (std::nothrow) uint8_t[static_cast<size_t>(size) + 1];
    read =
        data && std::fread(data, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
  }
  std::fclose(file);

  resize(static_cast<uint16_t>(count + 1));
  if (!handle || !isSample) {
    delete[] data;
    return -1;
  }
  const int32_t index = count - 1;
  uint32_t h = 0;
  if (read) {
    if (sample) {
      h = PlatformAudioLoadSample(data, size, kSampleOverlap);
      isSample[index] = 1;
    } else {
      h = PlatformAudioLoadStream(data, size);
    }
  }
  if (h == 0) {
    Log(LOG_ERROR, "BASS::Couldn't load [%s]", name);
    delete[] data;  // the audio layer did not take it
    --count;
    return -1;
  }
  handle[index] = h;
  return index;
}

void CBASS::Play(int32_t index, int a, int b) {
  if (index < 0 || index >= count || !handle || !isSample) return;
  if (isSample[index]) {
    if (!PlatformAudioPlaySample(handle[index])) Log(LOG_ERROR, "Can't play chanel");
  } else if (!PlatformAudioPlayStream(handle[index])) {
    Log(LOG_ERROR, "Can't play stream");
  }
}

int32_t CBASS::PlayMusic(const char* folder) {
  char found[260];
  if (!PlatformFindFirst(folder, ".mp3", found, sizeof found)) return -1;
  char path[520];
  std::snprintf(path, sizeof path, "%s%s", folder, found);
  return LoadSound(path, 0, false);
}

bool InitAudio() {
  if (PlatformAudioInit(44100)) return true;
  Log(LOG_ERROR, "Can't initialize bass.dll.");
  return false;
}

void ShutdownAudio() {
  g_audio.Release();
  PlatformAudioShutdown();
  for (int32_t& s : g_jumpSound) s = -1;
  g_music = -1;
}

void KeepMusicPlaying() {
  g_audio.Play(g_music, 0, 0);
}

namespace {
void TraceJumpSounds(std::string* out) {
  *out += ",\"jumpSounds\":[";
  for (int i = 0; i < 4; ++i) {
    const int32_t s = g_jumpSound[i];
    const bool known = s >= 0 && s < g_audio.count && g_audio.handle;
    if (i) *out += ",";
    *out += std::to_string(known ? PlatformAudioPlaying(g_audio.handle[s]) : 0);
  }
  *out += "]";
}
}  // namespace

void RegisterAudioTrace() {
  RegisterTraceWriter(TraceJumpSounds);
}
