// Animation clips: one motion of a skeleton as a key track per bone, plus the
// clip's playback clock.
//
// Clip files (".Anim"), little-endian, no padding. Two versions, told apart
// by their magic:
//
//   Key record:  time   int32   frame number on the clip clock (held as f32)
//                flag   u8      0: a value follows; otherwise the key takes
//                               the list's default and no value bytes follow
//                value  3 x f32 only when flag is 0
//   Key list:    count  u16     then `count` key records
//   Defaults:    (0, 0, 0) for position and rotation keys, (1, 1, 1) for scale
//
//   Version 1:   magic  6 bytes "A1frbz" (no terminator)
//                frames u32     clip length in frames
//                tracks u32     only the low 8 bits count
//                per track: position key list, rotation key list
//                (tracks are named "bone0", "bone1", ...; each gets one scale
//                key (1, 1, 1) at frame 1)
//
//   Version 2:   magic  2 bytes "A2" (no terminator)
//                frames u32
//                tracks u8
//                per track: u8 L, L name bytes (the last one is the name's
//                terminating zero), position, rotation and scale key lists
//
// What the loader refuses (the file is rejected whole): a field that runs past
// the end of the file, and a position or rotation list of two keys or more
// that can't be sampled to a finite pose: times that don't strictly increase,
// a value that isn't finite, or a last key time equal to the 16-bit clip
// length while the clock can pass it (the way back to the first key then has
// no span). Keys past the clip length, names without their zero and lengths
// over 65535 frames are fine.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/cstring.h"
#include "math/vec3.h"

// The keys of one bone: three lists, each a count and parallel value and time
// arrays (times in frames; strictly increasing in any loaded list that gets
// sampled). Rotations are Euler angles in radians; scale keys are kept but
// never evaluated. The arrays are owned
// by the clip holding the track and released by CAnim::Clear.
struct AnimTrack {
  uint16_t posCount = 0;
  uint16_t rotCount = 0;
  uint16_t scaleCount = 0;
  vec3* posKeys = nullptr;
  vec3* rotKeys = nullptr;
  vec3* scaleKeys = nullptr;
  float* posTimes = nullptr;
  float* rotTimes = nullptr;
  float* scaleTimes = nullptr;

  // Samples the position / rotation list at clip time t (frames) for a clip
  // of `length` frames. Between keys the value is interpolated (rotations by
  // quaternion slerp); past the last key it runs back toward the first key
  // over the rest of the clip; before the first key it extrapolates along the
  // first segment. An empty list gives (0, 0, 0). Times must strictly
  // increase and the last must differ from `length`, or the result may not be
  // finite.
  vec3 SamplePos(float t, uint16_t length) const;
  vec3 SampleRot(float t, uint16_t length) const;
};

// One clip. A plain record: copying it copies the pointers, and its arrays are
// released only by Clear (the manager owns every clip for the whole run).
struct CAnim {
  uint32_t frames = 0;
  uint8_t boneCount = 0;
  cstring* trackName = nullptr;  // boneCount names
  AnimTrack* tracks = nullptr;   // boneCount tracks, track i drives bone i
  uint32_t slot = 0;             // index in the manager's clip table
  uint32_t loops = 0;            // wraps of the clock since the last reset
  float time = 1.0f;             // clock in frames
  float weight = 0.0f;           // blend weight
  float speed = 10.0f;           // clock rate in frames per second

  // Releases every track array and name and returns to the created state
  // (frames 0, no tracks, loops 0, time 1, weight 0, speed 10); keeps `slot`.
  void Clear();
};

// 1 or 2 when the bytes begin with that version's magic, else 0.
int ClipFileVersion(const uint8_t* data, size_t size);

// Parses a whole clip file held in memory. On success the clip's frames and
// tracks are replaced (its old tracks released; playback fields and slot
// kept) and true is returned. On failure the clip is untouched, false is
// returned and `reason` holds one line saying why.
bool ParseClip(const uint8_t* data, size_t size, CAnim& clip, char* reason, size_t reasonSize);

// Loads the clip file `name` (looked up through CoreOpen, loose or archived)
// into `clip`: version 1 is tried first, then version 2, with the warnings
// and information lines of each failed attempt. A file that is present but
// damaged is rejected with the error "CAnim:: file [name] rejected: reason"
// and the clip keeps its previous content. Returns whether a clip was loaded.
bool LoadClip(CAnim& clip, const char* name);

// Writes `clip` as a version 2 file at `path` (a host path, written as is).
// Key times are written as whole frames (truncated); values equal to the
// list's default are written as flagged keys. Returns false, with an error
// line, when the file can't be written or a track name is longer than 254
// bytes.
bool SaveClip(const CAnim& clip, const char* path);
