// The sound registry on the dummy audio driver: sounds generated here (WAV
// and MP3 bytes), loaded from loose files and from the archive.
#include "audio/bass.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "storage/archive_writer.h"
#include "support/test_support.h"

namespace {
// `frames` silent MPEG-1 layer III frames (mono, 128 kbit/s, 44100 Hz, 1152
// samples each): a header, then zero side information and no main data.
std::vector<uint8_t> Mp3(int frames) {
  std::vector<uint8_t> out;
  for (int f = 0; f < frames; ++f) {
    out.insert(out.end(), {0xFF, 0xFB, 0x90, 0xC4});
    out.insert(out.end(), 417 - 4, 0);
  }
  return out;
}

template <class F>
bool WaitFor(F done) {  // up to 10 s
  for (int i = 0; i < 1000 && !done(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

// The test process runs with SDL_AUDIODRIVER=dummy; `driver_` overrides it.
class AudioTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", driver_, 1);
    mkdir("snd", 0755);
    g_audio.Reset();
    ASSERT_EQ(InitAudio(), std::string(driver_) == "dummy");
  }
  void TearDown() override {
    g_audio.Release();
    g_music = -1;
    PlatformAudioShutdown();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  const char* driver_ = "dummy";
  ScratchDir dir_;
};

class NoDeviceTest : public AudioTest {
 protected:
  NoDeviceTest() { driver_ = "nonexistent"; }
};
}  // namespace

TEST_F(NoDeviceTest, EveryLoadFailsWithItsOwnLineAndPlayingNothingIsSilent) {
  LogCapture log;
  EXPECT_FALSE(InitAudio());
  dir_.Write("snd/kt_jump.mp3", TestWav(0.1f)), dir_.Write("song.mp3", Mp3(4));
  EXPECT_EQ(g_audio.LoadSound("snd\\kt_jump.mp3", 1, true), -1);
  EXPECT_EQ(g_audio.PlayMusic(""), -1);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"ERROR::Can't initialize bass.dll.",
                                                 "ERROR::BASS::Couldn't load [snd\\kt_jump.mp3]",
                                                 "ERROR::BASS::Couldn't load [song.mp3]"}));
  EXPECT_EQ(g_audio.count, 0);
  g_audio.Play(-1, 0, 0), KeepMusicPlaying();  // what the frame does with no music
  EXPECT_EQ(log.lines.size(), 3u);
}

TEST_F(AudioTest, FailedLoadsTakeNoIndexAndSamplesComeFromFilesAndTheArchive) {
  LogCapture log;
  EXPECT_EQ(g_audio.LoadSound("snd\\absent.mp3", 1, true), -1);  // only the core's warning
  dir_.Write("snd/empty.mp3", "", 0), dir_.Write("snd/junk.mp3", std::vector<uint8_t>(1000, 7));
  EXPECT_EQ(g_audio.LoadSound("snd\\empty.mp3", 1, true), -1);
  EXPECT_EQ(g_audio.LoadSound("snd\\junk.mp3", 0, false), -1);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"WARNING::file snd\\absent.mp3 not in core",
                                                 "ERROR::BASS::Couldn't load [snd\\empty.mp3]",
                                                 "ERROR::BASS::Couldn't load [snd\\junk.mp3]"}));

  // An archive entry followed by another: the read stops at the entry's end.
  dir_.Write("snd/kt_jump.mp3", Mp3(10)), dir_.Write("song.wav", TestWav(0.1f));
  ASSERT_TRUE(WriteWholeFile("brookfield.core", BuildArchive({{"snd\\mv_jump.mp3", TestWav(0.2f)},
                                                              {"snd\\next.bin", {1, 2, 3}}})));
  EXPECT_EQ(g_audio.LoadSound("snd\\kt_jump.mp3", 1, true), 0);
  EXPECT_EQ(g_audio.LoadSound("snd\\mv_jump.mp3", 1, true), 1);
  EXPECT_EQ(g_audio.LoadSound("song.wav", 0, false), 2);
  ASSERT_EQ(g_audio.count, 3);
  EXPECT_EQ(std::vector<int>(g_audio.isSample, g_audio.isSample + 3), (std::vector<int>{1, 1, 0}));
  g_audio.Play(3, 0, 0);  // beyond the registry: nothing
  EXPECT_EQ(log.lines.size(), 3u);
}

TEST_F(AudioTest, ASamplePlaysUpToTenCopiesAndAPlayingStreamGoesOn) {
  for (const char* name : {"snd/a.wav", "snd/b.wav", "long.wav"}) dir_.Write(name, TestWav(20));
  const int32_t a = g_audio.LoadSound("snd\\a.wav", 1, true),
                b = g_audio.LoadSound("snd\\b.wav", 1, true),
                s = g_audio.LoadSound("long.wav", 0, false);
  ASSERT_EQ(s, 2);
  LogCapture log;
  for (int i = 0; i < 10; ++i) {
    g_audio.Play(a, 0, 0);
    EXPECT_EQ(PlatformAudioPlaying(g_audio.handle[a]), i + 1);  // the others go on
  }
  EXPECT_TRUE(log.lines.empty());
  g_audio.Play(a, 0, 0);
  EXPECT_EQ(PlatformAudioPlaying(g_audio.handle[a]), 10);
  EXPECT_EQ(log.lines, std::vector<std::string>{"ERROR::Can't play chanel"});
  for (int i = 0; i < 10; ++i) g_audio.Play(b, 0, 0);  // another sample has its own ten
  EXPECT_EQ(PlatformAudioPlaying(g_audio.handle[b]), 10);

  const uint32_t h = g_audio.handle[s];
  g_audio.Play(s, 0, 0);
  ASSERT_TRUE(WaitFor([h] { return PlatformAudioStreamPosition(h) >= 1.0; }));
  const double before = PlatformAudioStreamPosition(h);
  g_audio.Play(s, 0, 0);
  EXPECT_GE(PlatformAudioStreamPosition(h), before);  // not restarted
  EXPECT_TRUE(PlatformAudioPlaying(h) == 1 && log.lines.size() == 1);
}

TEST_F(AudioTest, TheMusicIsTheFirstMp3AndStartsAgainOnceItStops) {
  LogCapture log;
  EXPECT_EQ(g_audio.PlayMusic(""), -1);  // none there yet, and no line about it
  mkdir("music", 0755);
  dir_.Write("music/notes.txt", "x", 1), dir_.Write("music/short.mp3", Mp3(4));  // 0.1 s
  ASSERT_EQ(g_music = g_audio.PlayMusic("music/"), 0);
  EXPECT_EQ(g_audio.isSample[0], 0);
  const uint32_t h = g_audio.handle[0];
  EXPECT_EQ(PlatformAudioPlaying(h), 0);  // registered, not started
  KeepMusicPlaying();
  EXPECT_EQ(PlatformAudioPlaying(h), 1);
  ASSERT_TRUE(WaitFor([h] { return PlatformAudioPlaying(h) == 0; }));
  KeepMusicPlaying();
  EXPECT_EQ(PlatformAudioPlaying(h), 1);
  EXPECT_TRUE(log.lines.empty());
}
