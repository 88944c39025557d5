// The cloud layer: one large flattened sphere in the sky whose vertices are
// pushed around by drifting fractal noise. A new noise shape (keyframe) is
// computed at most every 200 ms; every frame draws the shape interpolated
// between the previous and the newest keyframe.
//
// The shapes live in the cloud mesh's arrays: the rest shape in `pos`, the
// newest keyframe in `norm`, the previous keyframe in `extraA`; the drawn
// shape is the model's `verts`.
#pragma once
#include <cstdint>

#include "geometry/model.h"

class SCloud {
 public:
  uint16_t cellCount = 0;  // n^3 for the n given to Init
  uint16_t n = 0;
  float spare[6] = {};
  float phase = 0;        // noise time offset, grows 0.05 a second
  float scale = 0;        // size of the noise features and of its amplitude
  float invInterval = 0;  // 1 / length in ms of the last keyframe interval
  uint32_t lastTime = 0;  // millisecond clock at the last keyframe
  Model model;
  bool animate = false;  // false: the shape is frozen

  // Builds the cloud model "cloud.gen" through the manager: a 100 x 100
  // sphere scaled by (30, 30, 10), animating from now on. Needs an
  // initialised manager.
  void Init(uint16_t cells);

  // The start-up placement: the cloud at (-100, 300, 500), its rest shape
  // ten times larger, bounds and edges rebuilt, scale 10. Both keyframes
  // start as the rest shape, so every frame before the first keyframe draws
  // the rest shape.
  void Place();

  // Interpolates the drawn shape for the millisecond clock `now` (unless
  // frozen), recomputes its normals, and starts a new keyframe when more
  // than 200 ms passed since the last one. Does nothing when the model and
  // its mesh don't match (no mesh, a failed allocation).
  void Animate(uint32_t now);

  // Animates at the millisecond clock, then draws the model untextured,
  // lit, in the current colour, culled against the frame's frustum.
  void Draw();
};

extern SCloud g_cloud;
