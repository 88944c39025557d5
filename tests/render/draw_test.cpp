// What the drawing calls send to GL, read back through feedback mode: models (culling, the
// groups drawn, the texture cache and fallback), outlines, strands and the trail ribbon; and
// the strand simulation step.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/spline.h"
#include "game/trail.h"
#include "geometry/model.h"
#include "render/frame.h"
#include "render/trail_draw.h"
#include "resources/manager.h"
#include "support/gl_context.h"
#include "support/test_character.h"
#include "support/test_support.h"

namespace {
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
void ExpectVertices(const std::vector<std::vector<FedVertex>>& polygons,
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

// The sums of the ends of the edges whose silhouette counter is 0.
std::vector<vec3> Marked(const TestBox& box) {
  std::vector<vec3> out;
  for (uint32_t k = 0; k < box.mesh.edgeCount; ++k)
    if (box.mesh.edgeFlags[k] == 0)
      out.push_back(box.model.verts[box.mesh.edges[2 * k]] +
                    box.model.verts[box.mesh.edges[2 * k + 1]]);
  return out;
}

// One strand of n points one unit apart along +X from the body's origin, on no bone.
void Straight(CSpline& s, Model& body, int n) {
  body.Reset();
  s.Clear();
  s.owner = &body;
  ASSERT_TRUE(s.Resize(1, -1));
  ASSERT_TRUE(s.Resize(0, n));
  for (int k = 0; k < n; ++k) {
    s.local[0][k] = s.world[0][k] = vec3(static_cast<float>(k), 0, 0);
    s.segLen[0][k] = k + 1 < n ? 1.0f : 0.0f;
  }
}
}  // namespace

TEST(ModelDraw, CullsByTheFrameFrustumDrawsTheSharedGroupsAndFallsBackToTheCheckerboard) {
  ASSERT_TRUE(EnsureGlContext());
  ScratchDir dir;
  Manager manager;
  manager.init();
  Model model;
  model.Reset();
  const uint16_t slot = manager.CreateMesh();  // may move the table
  Mesh& m = manager.meshes[slot];
  m.GenBox(0, 0, 0);
  m.resizeT(3, true);  // three groups of four triangles on texture 0
  for (uint16_t g = 0; g < 3; ++g) m.groupTex[g] = 0, m.groupTris[g] = 4;
  manager.RegisterModel(&model);
  model.Assign(&m);
  // A camera at the origin looking along +X: 100 units ahead is drawn, 100 behind culled.
  mat4 projection;
  projection.perspective(60, 64, 64, 0.1f, 5000);
  const float v[16] = {0, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  extractFrustum(projection, mat4(v), g_frustum);
  for (float x : {100.0f, -100.0f}) {
    model.position = vec3(x, 0, 0);
    model.UpdateMatrix();
    EXPECT_EQ(manager.DrawModel(&model, true, false), x > 0);
  }
  EXPECT_TRUE(manager.DrawModel(&model, false, false));
  // Only the groups both the model and its mesh have are drawn.
  glDisable(GL_CULL_FACE);
  model.position = vec3(20, 0, 0);
  model.UpdateMatrix();
  for (uint16_t groups : {0, 2, 3}) {
    model.groupCount = groups;
    EXPECT_EQ(FeedbackPolygons([&] { manager.DrawModel(&model, false, false); }).size(),
              4u * groups);
  }
  // A name never loaded or past the range binds the checkerboard; a cached one isn't rebound.
  const uint32_t checker = manager.textures[0].glId;
  for (uint32_t name : {0u, 4000u, 1u}) {
    model.texId[0] = name;
    manager.boundTex = name == 1 ? 1 : 999;
    glBindTexture(GL_TEXTURE_2D, checker + 7);
    ASSERT_TRUE(manager.DrawModel(&model, false, true));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), name == 1 ? checker + 7 : checker) << name;
    EXPECT_EQ(manager.boundTex, name == 1 ? 1 : checker);
  }
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  manager.Unload();
}

TEST(Outline, TheContourSeenFromTheEyeInModelSpaceIsPushedOutAlongTheNormalsInWorldSpace) {
  LogCapture log;  // keeps the generators' lines out of the test output
  TestBox cube(vec3(), vec3(1, 1, 1));
  cube.mesh.BuildEdges();
  // Seen from +X the other ten triangles are selected; the contour borders the +X side.
  cube.model.Silhouette(vec3(100, 0.5f, 0.5f));
  EXPECT_EQ(cube.mesh.frontCount, 10u);
  ASSERT_EQ(Marked(cube).size(), 4u);
  for (const vec3& ends : Marked(cube)) EXPECT_EQ(ends.x, 2.0f);
  // The same cube moved to x = 50 and seen from world x = 0 shows its -X side.
  cube.model.position = vec3(50, 0, 0);
  cube.model.UpdateMatrix();
  cube.model.Silhouette(vec3(0, 0.5f, 0.5f));
  ASSERT_EQ(Marked(cube).size(), 4u);
  for (const vec3& ends : Marked(cube)) EXPECT_EQ(ends.x, 0.0f);
  // Without an edge table, or a mesh, nothing is marked.
  TestBox bare(vec3(), vec3(1, 1, 1));
  bare.mesh.frontCount = 7;
  bare.model.Silhouette(vec3(100, 0, 0));
  EXPECT_EQ(bare.mesh.frontCount, 0u);
  // Outline quads are pushed out along the normals in world space.
  ASSERT_TRUE(EnsureGlContext());
  TestBox big(vec3(), vec3(10, 10, 10));
  big.mesh.BuildEdges();
  big.model.position = vec3(20, 0, 0);
  big.model.UpdateMatrix();
  big.model.Silhouette(vec3(25, 5, 1000));  // from above: the top side's border
  std::vector<FedVertex> expected;
  for (uint32_t k = 0; k < big.mesh.edgeCount; ++k)
    for (int end = 0; end < 2 && big.mesh.edgeFlags[k] == 0; ++end)
      for (float width : {0.0f, 2.0f}) {
        const uint32_t v = big.mesh.edges[2 * k + end];
        expected.push_back(
            {big.model.world.transformPoint(big.model.verts[v] + big.model.normals[v] * width),
             -1});
      }
  ASSERT_EQ(expected.size(), 16u);
  glEnable(GL_LIGHTING);
  ExpectVertices(FeedbackPolygons([&] { big.model.DrawOutline(2); }), expected);
  EXPECT_TRUE(!glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_CULL_FACE));
}

TEST(StrandSimulation, RootRigidZeroTimeZeroLengthAndThePullAlongTheStrand) {
  CSpline s;
  Model body;
  Straight(s, body, 2);
  body.position = vec3(5, 0, 0);
  s.Simulate(0.1f, true);  // the root follows the body; two points are rigid
  EXPECT_TRUE(s.world[0][0] == vec3(5, 0, 0) && s.world[0][1] == vec3(6, 0, 0));
  Straight(s, body, 4);
  s.aux2[0][3] = vec3(1, 2, 3);
  s.world[0][3] = vec3(2, 0, 5);  // out of length: the constraint pulls it back
  s.Simulate(0.0f, false);        // no time: velocities stay
  EXPECT_EQ(s.aux2[0][3], vec3(1, 2, 3));
  EXPECT_NEAR(length(s.world[0][3] - s.world[0][2]), 1.0f, 1e-5f);
  for (int k = 0; k < 4; ++k) s.segLen[0][k] = 0;
  s.Simulate(0.02f, true);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(std::isfinite(s.world[0][k].z));
  Straight(s, body, 5);
  // From rest only the pull acts: -50 (4 - r), r = 2/3, 1/3, 0 from root to tip, times 10 dt.
  s.Simulate(0.01f, true);
  for (int k = 2; k < 5; ++k) EXPECT_NEAR(s.aux2[0][k].z, -5 * (4 - (4 - k) / 3.0f), 1e-4f) << k;
  for (int step = 0; step < 60; ++step) s.Simulate(1.0f / 60, true);
  EXPECT_TRUE(s.world[0][4].z < s.world[0][2].z && s.world[0][2].z < -0.01f);  // the tip most
  for (int k = 2; k < 5; ++k) EXPECT_NEAR(length(s.world[0][k] - s.world[0][k - 1]), 1.0f, 1e-4f);
}

TEST(StrandDrawing, StripsFaceTheEyeAndTaperFromRootToTipUnlessTheWidthIsConstant) {
  ASSERT_TRUE(EnsureGlContext());
  CSpline s;
  Model body;
  const int n = 4;
  Straight(s, body, n);
  for (int k = 0; k < n; ++k) s.world[0][k] = vec3(10.0f + 8 * k, 0, 5);
  s.color[0] = vec3(1, 0, 0);
  for (bool constant : {false, true}) {
    s.style = constant;
    // Seen from the origin below, the side is +y: each pair is (+h, -h).
    std::vector<FedVertex> expected;
    for (int i = 0; i < n; ++i) {
      const float a = 1 - std::max(i, 1) / float(n), b = 1 - (i + 1) / float(n);
      for (float u = 0; u < 0.9f; u += 0.1f) {
        vec3 p;
        s.Evaluate(0, i, u, p, 1, false);
        const float h = constant ? 0.5f : (1 - u) * a + u * b;
        for (float side : {h, -h}) expected.push_back({p + vec3(0, side, 0), 1});
      }
    }
    ExpectStrip([&] { s.DrawStrands(vec3(), false); }, expected);
  }
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_TEXTURE_2D));
}

TEST(Trail, FedEveryFrameItFollowsTheBodyAdvancesInStepsAndItsRibbonFacesTheEye) {
  Model body;
  body.Reset();
  Trail trail;
  trail.Init(&body, 20, 3);
  ASSERT_TRUE(trail.spline.pointCount[0] == 20 && trail.spline.segLen[0][7] == 3);
  // Never active: every value stays at 0 or below, the ribbon invisible.
  for (int f = 0; f < 100; ++f) trail.Update(false, 0.02f);
  for (int i = 0; i < 20; ++i) EXPECT_LE(trail.fade(i), 0.0f);
  int shifts = 0;
  for (int f = 0; f < 200; ++f) {  // four seconds at 50 frames per second
    body.worldCenter = vec3(static_cast<float>(f), 0, 0);
    const vec3 before = trail.spline.world[0][1];
    trail.Update(true, 0.02f);
    EXPECT_EQ(trail.spline.world[0][0].x, static_cast<float>(f));
    if (f >= 100) shifts += trail.spline.world[0][1].x != before.x;
  }
  // Once full-opacity values reach the second-to-last point, each holds the
  // ribbon for a quarter second: about four shifts a second.
  EXPECT_TRUE(shifts >= 7 && shifts <= 9) << shifts;
  EXPECT_GT(trail.fade(5), 0.0f);
  // The ribbon faces the eye, half a radius wide, fading along and skipping negative fades.
  ASSERT_TRUE(EnsureGlContext());
  body.radius = 4;
  trail.Init(&body, 4, 3);
  CSpline& s = trail.spline;
  const float fades[4] = {1, 0.5f, -1, 0.8f};
  for (int i = 0; i < 4; ++i) s.world[0][i] = vec3(10.0f + 10 * i, 0, 5), s.aux1[0][i].x = fades[i];
  // Seen from the origin below the ribbon, each pair is (y = +2, y = -2).
  std::vector<FedVertex> expected;
  for (int i = 0; i < 4; ++i) {
    if (fades[i] < 0) continue;
    const float a = 0.5f * fades[i], b = i < 3 ? 0.5f * fades[i + 1] : 0;
    for (float u = 0; u < 1.0f; u += 0.1f) {
      vec3 p;
      s.Evaluate(0, i, u, p, 1, false);
      for (float side : {2.0f, -2.0f})
        expected.push_back({p + vec3(0, side, 0), (1 - u) * a + u * b});
    }
  }
  ExpectStrip([&] { DrawTrailRibbon(trail, vec3()); }, expected);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}
