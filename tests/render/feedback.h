// What a drawing call sends to GL, read back through GL's feedback mode.
#pragma once
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "math/vec3.h"

struct FedVertex {
  vec3 p;       // world position
  float alpha;  // of the vertex colour
};

// The polygons `draw` produces under an orthographic view of x 0..64, y -32..32, z -100..100.
template <class F>
std::vector<std::vector<FedVertex>> FeedbackPolygons(F draw) {
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 64, -32, 32, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  std::vector<GLfloat> b(1 << 16);
  glFeedbackBuffer(static_cast<GLsizei>(b.size()), GL_3D_COLOR, b.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);  // -1 on overflow: no polygons
  std::vector<std::vector<FedVertex>> out;
  for (GLint i = 0; i < used;) {
    EXPECT_EQ(b[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
    out.emplace_back(static_cast<size_t>(b[i + 1]));
    i += 2;
    for (FedVertex& v : out.back())
      v = {vec3(b[i], b[i + 1] - 32, 100 - 200 * b[i + 2]), b[i + 6]}, i += 7;
  }
  return out;
}

// Every vertex drawn is one of `expected` (position, and alpha unless negative) and each
// expected one is drawn.
inline void ExpectVertices(const std::vector<std::vector<FedVertex>>& polygons,
                           const std::vector<FedVertex>& expected) {
  std::vector<bool> seen(expected.size());
  for (const auto& polygon : polygons)
    for (const FedVertex& v : polygon) {
      bool found = false;
      for (size_t e = 0; e < expected.size(); ++e)
        if (length(v.p - expected[e].p) < 1e-3f &&
            (expected[e].alpha < 0 || std::fabs(v.alpha - expected[e].alpha) < 1e-3f))
          found = seen[e] = true;
      EXPECT_TRUE(found) << v.p.x << "," << v.p.y << "," << v.p.z << " alpha " << v.alpha;
    }
  for (size_t e = 0; e < expected.size(); ++e) EXPECT_TRUE(seen[e]) << "vertex " << e;
}

// `draw` makes one strip of the expected vertices, turning counter-clockwise seen from +z.
template <class F>
void ExpectStrip(F draw, const std::vector<FedVertex>& expected) {
  const auto triangles = FeedbackPolygons(draw);
  ASSERT_EQ(triangles.size(), expected.size() - 2);
  for (const auto& t : triangles) {
    const vec3 a = t[1].p - t[0].p, b = t[2].p - t[0].p;
    EXPECT_GT(a.x * b.y - a.y * b.x, 0.0f);
  }
  ExpectVertices(triangles, expected);
}
