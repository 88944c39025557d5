// Strand simulation and drawing: CSpline's per-frame step and its strips.
#include <GL/gl.h>

#include "game/spline.h"
#include "geometry/model.h"

void CSpline::Simulate(float dt, bool pullDown) {
  if (!owner) return;
  for (int s = 0; s < count; ++s) {
    const int n = pointCount[s];
    if (n == 0) continue;
    const mat4 a = BoneWorld(s);
    vec3* points = world[s];
    vec3* previous = aux1[s];
    vec3* velocity = aux2[s];
    const float* lengths = segLen[s];
    float total = 0;
    for (int i = 1; i < n; ++i) total += lengths[i];
    // All-zero lengths would make the taper 0/0; such a strand tapers as a tip.
    const float inv = total > 0 ? 1.0f / total : 0.0f;

    points[0] = a.transformPoint(local[s][0]);
    velocity[0] = vec3();
    if (n < 2) continue;
    points[1] = a.transformPoint(local[s][1]);
    velocity[1] = vec3();
    vec3 prev = points[1];
    float along = 0;
    for (int i = 2; i < n; ++i) {
      previous[i] = points[i];
      along += lengths[i - 1];
      const float r = (total - along) * inv;  // 1 near the root, 0 at the tip
      const vec3 g = pullDown ? vec3(0, 0, -50.0f * (4.0f - r)) : vec3();
      const vec3 toRest = a.transformPoint(local[s][i]) - points[i];
      const float d = length(toRest);
      const vec3 force = normalize(toRest) * ((r + 1.0f) * d * 10.0f) + g;
      velocity[i] += (force - 0.9f * velocity[i]) * (10.0f * dt);
      points[i] += velocity[i] * dt;
      points[i] = prev + normalize(points[i] - prev) * lengths[i - 1];
      prev = points[i];
    }
  }
}

void CSpline::DrawStrands(const vec3& eye, bool withNormals) const {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  for (int s = 0; s < count; ++s) {
    const int n = pointCount[s];
    glColor3f(color[s].x, color[s].y, color[s].z);
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < n; ++i) {
      const float a = 1.0f - static_cast<float>(i > 1 ? i : 1) / n;
      const float b = 1.0f - static_cast<float>(i + 1) / n;
      for (float u = 0; u < 0.9f; u += 0.1f) {
        vec3 p0, p1;
        Evaluate(s, i, u, p0, 1, false);
        Evaluate(s, i, u + 0.1f, p1, 1, false);
        const vec3 side = normalize(cross(eye - p1, p0 - p1));
        const float h = style ? 0.5f : (1.0f - u) * a + u * b;
        const vec3 plus = p0 + side * h, minus = p0 - side * h;
        if (withNormals) {
          vec3 normal;
          normal.triangleNormal(plus, minus, p1);
          glNormal3f(normal.x, normal.y, normal.z);
        }
        glVertex3f(plus.x, plus.y, plus.z);
        glVertex3f(minus.x, minus.y, minus.z);
      }
    }
    glEnd();
  }
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
}
