// The sound registry on the dummy audio driver: sounds generated here (WAV
// and MP3 bytes), loaded from loose files and from the archive.
#include "audio/bass.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/log_decode.h"
#include "platform/audio.h"
#include "storage/archive_writer.h"
#include "support/small_world.h"
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

// Waits up to 10 s for `done`.
template <class F>
bool WaitFor(F done) {
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// Sets SDL_AUDIODRIVER for the scope.
class AudioDriver {
 public:
  explicit AudioDriver(const char* name) {
    if (const char* old = std::getenv("SDL_AUDIODRIVER")) previous_ = old, had_ = true;
    setenv("SDL_AUDIODRIVER", name, 1);
  }
  ~AudioDriver() {
    if (had_)
      setenv("SDL_AUDIODRIVER", previous_.c_str(), 1);
    else
      unsetenv("SDL_AUDIODRIVER");
  }

 private:
  std::string previous_;
  bool had_ = false;
};

class AudioTest : public testing::Test {
 protected:
  void SetUp() override {
    mkdir("snd", 0755);
    g_audio.Reset();
  }
  void TearDown() override {
    g_audio.Release();
    g_music = -1;
    PlatformAudioShutdown();
  }
  ScratchDir dir_;
};

class DeviceTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    ASSERT_TRUE(InitAudio());
  }
  AudioDriver driver_{"dummy"};
};
}  // namespace

TEST_F(AudioTest, WithoutADeviceEveryLoadFailsWithItsOwnLine) {
  AudioDriver driver("nonexistent");
  LogCapture log;
  EXPECT_FALSE(InitAudio());
  EXPECT_TRUE(log.Contains("ERROR::Can't initialize bass.dll."));
  ASSERT_TRUE(dir_.Write("snd/kt_jump.mp3", TestWav(0.1f)));
  ASSERT_TRUE(dir_.Write("song.mp3", Mp3(4)));
  EXPECT_EQ(g_audio.LoadSound("snd\\kt_jump.mp3", 1, true), -1);
  EXPECT_TRUE(log.Contains("ERROR::BASS::Couldn't load [snd\\kt_jump.mp3]"));
  EXPECT_EQ(g_audio.PlayMusic(""), -1);
  EXPECT_TRUE(log.Contains("ERROR::BASS::Couldn't load [song.mp3]"));
  EXPECT_EQ(g_audio.count, 0);
  const size_t lines = log.lines.size();
  g_audio.Play(-1, 0, 0);  // what the frame does with no music
  KeepMusicPlaying();
  EXPECT_EQ(log.lines.size(), lines);
}

TEST_F(DeviceTest, MissingEmptyAndUndecodableFilesTakeNoIndex) {
  LogCapture log;
  EXPECT_EQ(g_audio.LoadSound("snd\\absent.mp3", 1, true), -1);
  EXPECT_FALSE(log.Contains("BASS::"));  // a missing sound is silent

  ASSERT_TRUE(dir_.Write("snd/empty.mp3", "", 0));
  EXPECT_EQ(g_audio.LoadSound("snd\\empty.mp3", 1, true), -1);
  EXPECT_TRUE(log.Contains("ERROR::BASS::Couldn't load [snd\\empty.mp3]"));

  const std::vector<uint8_t> junk(1000, 7);
  ASSERT_TRUE(dir_.Write("snd/junk.mp3", junk));
  EXPECT_EQ(g_audio.LoadSound("snd\\junk.mp3", 1, true), -1);
  EXPECT_EQ(g_audio.LoadSound("snd\\junk.mp3", 0, false), -1);
  EXPECT_TRUE(log.Contains("ERROR::BASS::Couldn't load [snd\\junk.mp3]"));
  EXPECT_EQ(g_audio.count, 0);

  // The failed sample left no trace: the next stream gets index 0.
  ASSERT_TRUE(dir_.Write("snd/song.wav", TestWav(0.1f)));
  EXPECT_EQ(g_audio.LoadSound("snd\\song.wav", 0, false), 0);
  EXPECT_EQ(g_audio.count, 1);
  EXPECT_EQ(g_audio.isSample[0], 0);
  EXPECT_NE(g_audio.handle[0], 0u);
  g_audio.Play(5, 0, 0);  // beyond the registry: nothing
  EXPECT_FALSE(log.Contains("Can't play"));
}

TEST_F(DeviceTest, SamplesLoadFromLooseFilesAndTheArchive) {
  ASSERT_TRUE(dir_.Write("snd/kt_jump.mp3", Mp3(10)));
  // An archive entry followed by another: the read stops at the entry's end.
  ASSERT_TRUE(WriteWholeFile("brookfield.core", BuildArchive({{"snd\\mv_jump.mp3", TestWav(0.2f)},
                                                              {"snd\\next.bin", {1, 2, 3}}})));
  LogCapture log;
  EXPECT_EQ(g_audio.LoadSound("snd\\kt_jump.mp3", 1, true), 0);
  EXPECT_EQ(g_audio.LoadSound("snd\\mv_jump.mp3", 1, true), 1);
  EXPECT_FALSE(log.Contains("BASS::"));
  ASSERT_EQ(g_audio.count, 2);
  EXPECT_EQ(g_audio.isSample[0], 1);
  EXPECT_EQ(g_audio.isSample[1], 1);
  EXPECT_NE(g_audio.handle[0], g_audio.handle[1]);
}

TEST_F(DeviceTest, ASamplePlaysUpToTenOverlappingCopies) {
  ASSERT_TRUE(dir_.Write("snd/a.wav", TestWav(20)));
  ASSERT_TRUE(dir_.Write("snd/b.wav", TestWav(20)));
  const int32_t a = g_audio.LoadSound("snd\\a.wav", 1, true);
  const int32_t b = g_audio.LoadSound("snd\\b.wav", 1, true);
  ASSERT_EQ(a, 0);
  ASSERT_EQ(b, 1);
  LogCapture log;
  for (int i = 0; i < 10; ++i) {
    g_audio.Play(a, 0, 0);
    EXPECT_EQ(PlatformAudioPlaying(g_audio.handle[a]), i + 1);  // the others go on
  }
  EXPECT_FALSE(log.Contains("Can't play"));
  g_audio.Play(a, 0, 0);
  EXPECT_EQ(PlatformAudioPlaying(g_audio.handle[a]), 10);
  EXPECT_TRUE(log.Contains("ERROR::Can't play chanel"));
  // Another sample still reaches its own ten.
  for (int i = 0; i < 10; ++i) g_audio.Play(b, 0, 0);
  EXPECT_EQ(PlatformAudioPlaying(g_audio.handle[b]), 10);
  EXPECT_EQ(PlatformAudioPlaying(g_audio.handle[a]), 10);
}

TEST_F(DeviceTest, PlayingAPlayingStreamDoesNotRestartIt) {
  ASSERT_TRUE(dir_.Write("long.wav", TestWav(20)));
  const int32_t s = g_audio.LoadSound("long.wav", 0, false);
  ASSERT_EQ(s, 0);
  const uint32_t h = g_audio.handle[s];
  LogCapture log;
  g_audio.Play(s, 0, 0);
  EXPECT_EQ(PlatformAudioPlaying(h), 1);
  ASSERT_TRUE(WaitFor([h] { return PlatformAudioStreamPosition(h) >= 1.0; }));
  const double before = PlatformAudioStreamPosition(h);
  g_audio.Play(s, 0, 0);
  EXPECT_GE(PlatformAudioStreamPosition(h), before);
  EXPECT_EQ(PlatformAudioPlaying(h), 1);
  EXPECT_FALSE(log.Contains("Can't play"));
}

TEST_F(DeviceTest, TheMusicIsTheFirstMp3AndStartsAgainOnceItStops) {
  LogCapture log;
  EXPECT_EQ(g_audio.PlayMusic(""), -1);  // none there yet
  EXPECT_TRUE(log.lines.empty());

  mkdir("music", 0755);
  ASSERT_TRUE(dir_.Write("music/notes.txt", "x", 1));
  ASSERT_TRUE(dir_.Write("music/short.mp3", Mp3(4)));  // about 0.1 s
  g_music = g_audio.PlayMusic("music/");
  ASSERT_EQ(g_music, 0);
  EXPECT_EQ(g_audio.isSample[0], 0);
  const uint32_t h = g_audio.handle[0];
  EXPECT_EQ(PlatformAudioPlaying(h), 0);  // registered, not started

  KeepMusicPlaying();
  EXPECT_EQ(PlatformAudioPlaying(h), 1);
  ASSERT_TRUE(WaitFor([h] { return PlatformAudioPlaying(h) == 0; }));
  KeepMusicPlaying();
  EXPECT_EQ(PlatformAudioPlaying(h), 1);
  EXPECT_FALSE(log.Contains("Can't play"));
}

// The program started without an audio device goes on silent; with one, the
// sounds it finds load without a complaint.
TEST(AudioStartup, TheProgramRunsSilentWithoutADevice) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  mkdir("snd", 0755);
  ASSERT_TRUE(WriteWholeFile("snd/kt_jump.mp3", Mp3(4)));
  ASSERT_TRUE(WriteWholeFile("snd/zl_jump.mp3", TestWav(0.1f)));
  ASSERT_TRUE(WriteWholeFile("theme.mp3", Mp3(40)));
  auto run = [](const char* driver, std::vector<std::string>* log) {
    std::string out;
    const int code = RunCommand(std::string("SDL_AUDIODRIVER=") + driver +
                                    " ASAN_OPTIONS=detect_leaks=0 " + BinaryPath("quietharbour") +
                                    " --windowed --size 160x120 --frames 5 --fixed-dt 0.016 2>&1",
                                &out);
    std::vector<uint8_t> file;
    EXPECT_TRUE(ReadWholeFile("dump.mem", &file));
    *log = DecodeLogLines(file);
    for (std::string& l : *log) l = l.substr(l.find("::") + 2);
    return code;
  };
  auto has = [](const std::vector<std::string>& log, const std::string& line) {
    for (const std::string& l : log)
      if (l == line) return true;
    return false;
  };

  std::vector<std::string> log;
  ASSERT_EQ(run("nonexistent", &log), 0);
  EXPECT_TRUE(has(log, "ERROR::Can't initialize bass.dll."));
  EXPECT_TRUE(has(log, "ERROR::BASS::Couldn't load [snd\\kt_jump.mp3]"));
  EXPECT_TRUE(has(log, "ERROR::BASS::Couldn't load [snd\\zl_jump.mp3]"));
  EXPECT_TRUE(has(log, "ERROR::BASS::Couldn't load [theme.mp3]"));
  // The small world's own jump sounds fail the same way from the archive.
  EXPECT_TRUE(has(log, "ERROR::BASS::Couldn't load [snd\\mv_jump.mp3]"));

  ASSERT_EQ(run("dummy", &log), 0);
  for (const std::string& l : log) EXPECT_EQ(l.find("bass"), std::string::npos) << l;
  for (const std::string& l : log) EXPECT_EQ(l.find("BASS"), std::string::npos) << l;
}
