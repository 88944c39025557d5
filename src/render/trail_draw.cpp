#include "render/trail_draw.h"

#include <GL/gl.h>

#include "geometry/model.h"

void DrawTrailRibbon(const Trail& trail, const vec3& eye) {
  const CSpline& spline = trail.spline;
  if (spline.count < 1 || !spline.owner) return;
  const int n = spline.pointCount[0];
  const vec3* fades = spline.aux1[0];
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glBegin(GL_TRIANGLE_STRIP);
  const float h = spline.owner->radius * 0.5f;
  for (int i = 0; i < n; ++i) {
    if (fades[i].x < 0) continue;
    const float a = 0.5f * fades[i].x;
    const float b = i < n - 1 ? 0.5f * fades[i + 1].x : 0.0f;
    for (float u = 0; u < 1.0f; u += 0.1f) {
      glColor4f(1, 1, 1, (1 - u) * a + u * b);
      vec3 p0, p1;
      spline.Evaluate(0, i, u, p0, 1, false);
      spline.Evaluate(0, i, u + 0.1f, p1, 1, false);
      const vec3 side = normalize(cross(eye - p1, p0 - p1)) * h;
      glTexCoord2f(0, u);
      glVertex3f(p0.x + side.x, p0.y + side.y, p0.z + side.z);
      glTexCoord2f(1, u);
      glVertex3f(p0.x - side.x, p0.y - side.y, p0.z - side.z);
    }
  }
  glEnd();
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
  glEnable(GL_CULL_FACE);
}
