#include "geometry/anim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "storage/archive_writer.h"
#include "support/byte_builder.h"
#include "support/test_support.h"
#include "support/vec_expect.h"

namespace {
ByteBuilder& Key(ByteBuilder& b, int32_t time, vec3 v) {
  return b.U32(static_cast<uint32_t>(time)).U8(0).F32(v.x).F32(v.y).F32(v.z);
}
ByteBuilder& DefaultKey(ByteBuilder& b, int32_t time) {
  return b.U32(static_cast<uint32_t>(time)).U8(7);
}

// Version 2, 20 frames, tracks "root" and "spine".
ByteBuilder Version2Clip() {
  ByteBuilder b;
  b.Text("A2").U32(20).U8(2).U8(5).Raw("root", 5).U16(2);
  Key(Key(b, 1, vec3(1, 2, 3)), 11, vec3(4, 5, 6)).U16(1);
  DefaultKey(b, 1).U16(2);
  Key(DefaultKey(b, 1), 5, vec3(2, 2, 2)).U8(6).Raw("spine", 6).U16(0).U16(0).U16(0);
  return b;
}

// One track whose position and rotation lists share the given keys.
struct OneTrack {
  float times[3];
  vec3 keys[3];
  AnimTrack Make(int n) {
    AnimTrack t;
    t.posCount = t.rotCount = static_cast<uint16_t>(n);
    t.posTimes = t.rotTimes = times;
    t.posKeys = t.rotKeys = keys;
    return t;
  }
};

// Loads a known version 2 clip so that rejection can be checked against it.
CAnim PreviousClip() {
  CAnim clip;
  const ByteBuilder b = Version2Clip();
  char reason[128];
  EXPECT_TRUE(ParseClip(b.bytes.data(), b.bytes.size(), clip, reason, sizeof reason));
  return clip;
}

void ExpectPrevious(const CAnim& clip) {
  ASSERT_EQ(clip.boneCount, 2);
  EXPECT_EQ(clip.frames, 20u);
  EXPECT_STREQ(clip.trackName[1].c_str(), "spine");
  EXPECT_EQ(clip.tracks[0].posCount, 2);
}
}  // namespace

TEST(ClipFile, EveryTruncationIsRejectedAndKeepsThePreviousClipAndClearResets) {
  const ByteBuilder b = Version2Clip();
  CAnim clip = PreviousClip();
  char reason[128];
  for (size_t n = 0; n < b.bytes.size(); ++n) {
    ASSERT_FALSE(ParseClip(b.bytes.data(), n, clip, reason, sizeof reason)) << n;
    ExpectPrevious(clip);
  }
  clip.slot = 4;
  clip.time = 7, clip.speed = 3, clip.weight = 0.5f, clip.loops = 2;
  clip.Clear();  // back to the created state but for the manager's slot
  EXPECT_TRUE(clip.boneCount == 0 && clip.frames == 0 && clip.tracks == nullptr);
  EXPECT_TRUE(clip.time == 1 && clip.speed == 10 && clip.weight == 0 && clip.loops == 0);
  EXPECT_EQ(clip.slot, 4u);
}

// Every clip that loads poses every bone finitely over the whole clock (1 up
// to its length); the ones that can't are refused with the reason.
TEST(ClipFile, RefusesOnlyWhatCantPoseFinitely) {
  // Version 2, one track named by `name` (its field as stored), one position
  // list with the given keys, empty rotation and scale lists.
  auto clip = [](uint32_t frames, std::vector<int32_t> times, std::string name = std::string(1, 0),
                 float value = 1) {
    ByteBuilder b = ByteBuilder().Text("A2").U32(frames).U8(1).U8(uint32_t(name.size()));
    b.Raw(name.data(), name.size()).U16(static_cast<uint32_t>(times.size()));
    for (size_t i = 0; i < times.size(); ++i) Key(b, times[i], vec3(value * i, 0, 0));
    return b.U16(0).U16(0);
  };
  ByteBuilder scaleRepeats = clip(20, {1, 9});
  scaleRepeats.bytes.resize(scaleRepeats.bytes.size() - 2);
  DefaultKey(DefaultKey(scaleRepeats.U16(2), 4), 4);
  const std::string keys = "track 0: position keys: ", rising = keys + "key times don't increase",
                    span = keys +
                           "last key time equals the clip length, so the way back to the "
                           "first key has no span";
  const std::tuple<const char*, ByteBuilder, std::string> cases[] = {
      // reason, empty: loads
      {"times repeat", clip(20, {3, 3}), rising},
      {"times fall", clip(20, {5, 3}), rising},
      {"times equal as floats", clip(20, {16777216, 16777217}), rising},
      {"length 0, last key at 0", clip(0, {-4, 0}), span},
      {"16-bit length is the last key", clip(70000, {1, 4464}), span},
      {"value not finite", clip(20, {1, 9}, std::string(1, 0), NAN),
       keys + "holds a value that is not finite"},
      {"count larger than the file",
       ByteBuilder().Text("A2").U32(10).U8(1).U8(1).U8(0).U16(0).U16(0).U16(60000),
       "track 0: 60000 scale keys don't fit the file"},
      {"neither magic", ByteBuilder().Text("A3"), "bad header"},
      {"keys past the clip", clip(10, {5, 11, 30}), ""},
      {"last key at the length", clip(20, {1, 20}), ""},
      {"negative times", clip(20, {-6, -2, 4}), ""},
      {"length 0", clip(0, {-3, -1}), ""},
      {"over 65535 frames", clip(70000, {1, 4465, 69000}), ""},
      {"unterminated name", clip(10, {1, 5}, "abc"), ""},
      {"empty name field", clip(10, {1, 5}, ""), ""},
      {"scale times repeat", scaleRepeats, ""},
  };
  for (const auto& [what, file, expected] : cases) {
    CAnim parsed = PreviousClip();
    char reason[160] = "";
    const bool loaded =
        ParseClip(file.bytes.data(), file.bytes.size(), parsed, reason, sizeof reason);
    EXPECT_EQ(loaded, expected.empty()) << what << ": " << reason;
    if (!loaded) {
      EXPECT_EQ(reason, expected) << what;
      ExpectPrevious(parsed);
    } else {
      ASSERT_EQ(parsed.boneCount, 1) << what;
      if (file.bytes[8] == 'a') {
        EXPECT_STREQ(parsed.trackName[0].c_str(), "abc");
      }
      const AnimTrack& t = parsed.tracks[0];
      const float end = parsed.frames > 1 ? static_cast<float>(parsed.frames) : 1.0f;
      for (int i = 0; i <= 400; ++i) {
        const float at = 1.0f + (end - 1.0f) * static_cast<float>(i) / 400.0f;
        const vec3 p = t.SamplePos(at, static_cast<uint16_t>(parsed.frames));
        ASSERT_TRUE(std::isfinite(p.x)) << what << " at " << at;
      }
    }
    parsed.Clear();
  }
}

TEST(ClipFile, LoadRejectsByNameBothVersionsLoadAndSavedClipsReadBack) {
  ScratchDir dir;
  ByteBuilder b = Version2Clip();
  b.bytes.resize(b.bytes.size() - 3);
  ASSERT_TRUE(dir.Write("short.Anim", b.bytes.data(), b.bytes.size()));
  CAnim clip = PreviousClip();
  LogCapture log;
  EXPECT_FALSE(LoadClip(clip, "short.Anim"));
  EXPECT_TRUE(log.Contains(
      "ERROR::CAnim:: file [short.Anim] rejected: track 1: rotation key count past the end"));
  ExpectPrevious(clip);
  clip.Clear();
  log.lines.clear();
  EXPECT_FALSE(LoadClip(clip, "bin\\none.Anim"));  // one archive lookup per version
  EXPECT_EQ(log.lines, (std::vector<std::string>{"WARNING::file bin\\none.Anim not in core",
                                                 "WARNING::CAnim:: file not found [bin\\none.Anim]",
                                                 "WARNING::file bin\\none.Anim not in core",
                                                 "Anim::file not found [bin\\none.Anim]"}));
  // Both versions load; a saved clip reads back as itself.
  b = ByteBuilder();
  b.Text("A1frbz").U32(30).U32(258).U16(2);  // only the low 8 bits count: 2 tracks
  DefaultKey(Key(b, 5, vec3(1, 2, 3)), 9).U16(1);
  DefaultKey(b, 1).U16(0).U16(0);
  ASSERT_TRUE(dir.Write("v1.Anim", b.bytes.data(), b.bytes.size()));
  log.lines.clear();
  ASSERT_TRUE(LoadClip(clip, "v1.Anim"));
  EXPECT_FALSE(log.Contains("bad header"));
  ASSERT_TRUE(clip.boneCount == 2 && clip.frames == 30);
  EXPECT_STREQ(clip.trackName[0].c_str(), "bone0");
  EXPECT_STREQ(clip.trackName[1].c_str(), "bone1");
  const AnimTrack& t = clip.tracks[0];
  EXPECT_TRUE(t.posTimes[0] == 5 && t.posKeys[0] == vec3(1, 2, 3) && t.posKeys[1] == vec3() &&
              t.rotKeys[0] == vec3());
  for (int i = 0; i < 2; ++i) {  // a single scale key of 1 at frame 1
    ASSERT_EQ(clip.tracks[i].scaleCount, 1);
    EXPECT_TRUE(clip.tracks[i].scaleKeys[0] == vec3(1, 1, 1) && clip.tracks[i].scaleTimes[0] == 1);
  }
  EXPECT_EQ(clip.tracks[1].posCount, 0);
  // Version 2 loads after the version 1 attempt; playback fields survive.
  ASSERT_TRUE(dir.Write("v2.Anim", Version2Clip().bytes));
  clip.speed = 8;
  log.lines.clear();
  ASSERT_TRUE(LoadClip(clip, "v2.Anim"));
  // The frame count's control byte is shown as '?', never raw in the log.
  EXPECT_TRUE(log.Contains("WARNING::CAnim:: file [v2.Anim] bad header[A2?]"));
  ExpectPrevious(clip);
  EXPECT_TRUE(clip.speed == 8 && clip.trackName[0].length == 5);
  const AnimTrack& t2 = clip.tracks[0];
  EXPECT_TRUE(t2.rotKeys[0] == vec3() && t2.scaleKeys[0] == vec3(1, 1, 1) &&
              t2.scaleKeys[1] == vec3(2, 2, 2) && t2.posTimes[1] == 11);
  // An empty version 2 clip loads as such.
  ASSERT_TRUE(dir.Write("empty.Anim", ByteBuilder().Text("A2").U32(4).U8(0).bytes));
  ASSERT_TRUE(LoadClip(clip, "empty.Anim"));
  EXPECT_TRUE(clip.boneCount == 0 && clip.frames == 4u);
  // A saved clip reads back as itself: saving it again gives the same bytes.
  CAnim original = PreviousClip();
  std::vector<uint8_t> first, second;
  ASSERT_TRUE(SaveClip(original, "round.Anim") && LoadClip(clip, "round.Anim"));
  ExpectPrevious(clip);
  EXPECT_EQ(clip.tracks[0].scaleKeys[1], vec3(2, 2, 2));
  ASSERT_TRUE(SaveClip(clip, "again.Anim") && ReadWholeFile("round.Anim", &first) &&
              ReadWholeFile("again.Anim", &second));
  EXPECT_EQ(first, second);
  original.Clear();
  clip.Clear();
}

TEST(TrackSampling, PositionsAndRotationsAtBetweenAndPastTheKeys) {
  OneTrack k{{1, 11, 0}, {vec3(0, 0, 0), vec3(10, 20, 30)}};
  const AnimTrack t = k.Make(2);
  // Past the last key the track runs back to the first over the clip's rest;
  // before the first key the first segment is extended.
  const std::pair<float, vec3> samples[] = {{1, {0, 0, 0}},   {11, {10, 20, 30}},
                                            {6, {5, 10, 15}}, {16, {5, 10, 15}},
                                            {21, {0, 0, 0}},  {0, {-1, -2, -3}}};
  for (const auto& [at, expected] : samples) ExpectNear(t.SamplePos(at, 21), expected);
  EXPECT_TRUE(AnimTrack().SamplePos(5, 21) == vec3() && AnimTrack().SampleRot(5, 21) == vec3());
  // Keys 1, 5, 9 with a kink at 5: exactly at 5 the value is the key itself,
  // and just after it the second segment's slope applies.
  OneTrack kink{{1, 5, 9}, {vec3(0, 0, 0), vec3(4, 0, 0), vec3(4, 8, 0)}};
  const AnimTrack three = kink.Make(3);
  ExpectNear(three.SamplePos(5, 20), vec3(4, 0, 0));
  ExpectNear(three.SamplePos(7, 20), vec3(4, 4, 0));
  ExpectNear(three.SamplePos(3, 20), vec3(2, 0, 0));
  // Rotations slerp as quaternions.
  const float quarter = kPi * 0.5f;
  OneTrack turn{{1, 11, 0}, {vec3(0, 0, 0), vec3(0, 0, quarter)}};
  const AnimTrack r = turn.Make(2);
  ExpectNear(r.SampleRot(6, 21), vec3(0, 0, quarter * 0.5f));
  ExpectNear(r.SampleRot(11, 21), vec3(0, 0, quarter));
  ExpectNear(r.SampleRot(21, 21), vec3(0, 0, 0));
  // Yaw 170 to -170 degrees goes the short way, through 180.
  OneTrack wrap{{1, 3, 0}, {vec3(0, 0, DegToRad(170)), vec3(0, 0, DegToRad(-170))}};
  const vec3 mid = wrap.Make(2).SampleRot(2, 10);
  EXPECT_NEAR(std::fabs(mid.z), kPi, 1e-4f);
}
