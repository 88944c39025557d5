// The ribbon a character drags behind its body while it runs or flies fast:
// a uniform cubic B-spline through 20 points that fades along the ribbon and
// over time. Drawing it is the renderer's (render/trail_draw.h).
#pragma once
#include <cstdint>

#include "game/spline.h"

class Model;

class Trail {
 public:
  // One strand of `points` points (zero, fade 0), every width `width`, on
  // the owner's body. Call once.
  void Init(Model* owner, uint16_t points, int width);

  // Advances the ribbon by one frame: while `active` the newest point sits
  // on the body's centre at full opacity; the second-to-last fade value
  // times the shifts (4 per second at full opacity).
  void Update(bool active, float dt);

  // Per-point opacity (the first float of each point's record).
  float fade(int i) const { return spline.aux1[0][i].x; }

  CSpline spline;  // strand 0: world = ribbon points, aux1.x = fade, segLen = width
};
