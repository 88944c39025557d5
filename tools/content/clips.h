// The eleven motion clips, all keyed for the full (winged) skeleton; the
// ground body simply ignores the wing tracks. Each clip is a loop: its keys
// are evenly spaced on whole frames from 1 and the last key runs back into
// the first over the rest of the clip.
#pragma once
#include <string>
#include <vector>

#include "geometry/anim.h"
#include "rig.h"

struct ClipSpec {
  const char* file;                      // archive name, e.g. "bin\\hwalk.Anim"
  uint32_t frames;                       // clip length
  int keys;                              // evenly spaced keys; (frames - 1) is a multiple of it
  void (*pose)(float phase, Pose* out);  // phase in [0, 1)
};

// Every clip the program loads, in no particular order.
const std::vector<ClipSpec>& ClipSpecs();

// The pose of a clip at a phase (0 = first key).
Pose ClipPose(const ClipSpec& def, float phase);

// Builds the clip record (tracks named after the bones). The record owns its
// arrays; release them with CAnim::Clear. False when an array can't grow.
bool BuildClip(const ClipSpec& def, CAnim* clip);
