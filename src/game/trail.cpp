#include "game/trail.h"

#include "geometry/model.h"

void Trail::Init(Model* owner, uint16_t points, int width) {
  spline.Clear();
  spline.owner = owner;
  if (!spline.Resize(1, -1) || !spline.Resize(0, points)) return;
  for (int i = 0; i < points; ++i) spline.segLen[0][i] = static_cast<float>(width);
}

void Trail::Update(bool active, float dt) {
  if (spline.count < 1 || spline.pointCount[0] < 2 || !spline.owner) return;
  const int n = spline.pointCount[0];
  vec3* points = spline.world[0];
  vec3* fades = spline.aux1[0];
  if (active) {
    points[0] = spline.owner->worldCenter;
    fades[0].x = 1.0f;
  }
  if (fades[n - 2].x >= 0) {
    fades[n - 2].x -= 4.0f * dt;
    return;
  }
  for (int i = n - 1; i > 0; --i) {
    points[i] = points[i - 1];
    fades[i].x = fades[i - 1].x;
  }
  fades[0].x = 0;
}
