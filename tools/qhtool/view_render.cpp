#include "view_render.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "geometry/model.h"
#include "image/font_gl.h"
#include "lookup.h"
#include "platform/window.h"
#include "resources/manager.h"
#include "strands.h"

namespace {
// The bone's skinning matrix: bind pose to posed model space. Until a clip
// has posed the model, boneMatrix still holds the bind matrices themselves.
mat4 Skinning(const Model& model, int bone) {
  return model.animCount ? model.boneMatrix[bone] : mat4();
}

mat4 PosedBone(const Model& model, int bone) {
  return Skinning(model, bone).mulAffine(model.invBind[bone].inverseAffine());
}

// Eyeballs shaped and placed as the character drawing does, looking ahead.
// `eye` is registered with the manager and must outlive it.
void DrawEyes(Model& body, Model& eye, const char* texture) {
  eye.Reset();
  const uint16_t slot = g_manager.GenerateModel("eye.gen", &eye);
  Mesh& mesh = g_manager.meshes[slot];
  mesh.Clear();
  mesh.GenSphere(30, 30);
  mesh.texName[0].assign(texture);
  eye.Assign(&mesh);
  g_manager.LoadModelTex(nullptr, static_cast<uint16_t>(eye.slot));
  mat4 p, s;
  p.fromEuler(vec3(0, -0.34906587f, -30 * kPi * kInv180), vec3());
  s.m[0] = 1.19f;
  s.m[10] = 1.6f;
  const mat4 shape = p.mulAffine(s).mulAffine(p.inverseAffine());
  glDisable(GL_CULL_FACE);
  for (int side = 1; side >= 0; --side) {
    const int bone = FindBone(body, side ? "Leye" : "Reye");
    if (bone < 0) continue;
    mat4 mirror;
    mirror.m[5] = side ? 1.0f : -1.0f;
    const mat4 e = body.world.mulAffine(PosedBone(body, bone)).mulAffine(mirror);
    glPushMatrix();
    glMultMatrixf(e.mulAffine(shape).m);
    g_manager.DrawModel(&eye, false, true);
    glPopMatrix();
  }
  glEnable(GL_CULL_FACE);
}

// The strands at rest, carried by their bones, as thick lines.
bool DrawStrands(const Model& body, const char* file) {
  std::vector<uint8_t> data;
  std::vector<LineStrand> strands;
  std::string error;
  if (!ReadNamedFile(file, &data) || !DecodeLine(data, &strands, &error)) return false;
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glLineWidth(3.0f);
  glPushMatrix();
  glMultMatrixf(body.world.m);
  for (const LineStrand& s : strands) {
    if (s.bone < 0 || s.bone >= body.boneCount) continue;
    glColor3f(s.colour.x, s.colour.y, s.colour.z);
    glBegin(GL_LINE_STRIP);
    for (const vec3& p : s.points) {
      const vec3 q = Skinning(body, s.bone).transformPoint(p);
      glVertex3f(q.x, q.y, q.z);
    }
    glEnd();
  }
  glPopMatrix();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  return true;
}

// Perspective and a camera looking at the model's bounding sphere from the
// given side, a little above.
void SetCamera(const Model& model, float yawDegrees, int size) {
  const float fov = 40;
  const float distance = model.radius / std::sin(fov * 0.5f * kPi * kInv180) * 1.05f;
  mat4 proj;
  proj.perspective(fov, size, size, distance * 0.05f, distance + model.radius * 3);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(proj.m);
  const float yaw = yawDegrees * kPi * kInv180, pitch = 22 * kPi * kInv180;
  const vec3 target = model.worldCenter;
  const vec3 eye = target + vec3(std::cos(pitch) * std::cos(yaw), std::cos(pitch) * std::sin(yaw),
                                 std::sin(pitch)) *
                                distance;
  // View matrix from the eye's axes: OpenGL looks down its -Z, +Y up.
  const vec3 back = normalize(eye - target);
  const vec3 right = normalize(cross(vec3(0, 0, 1), back));
  const vec3 up = cross(back, right);
  mat4 view;
  view.fromAxes(right, up, back);
  view.m[12] = eye.x;
  view.m[13] = eye.y;
  view.m[14] = eye.z;
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(view.inverseAffine().m);
  const vec3 light = normalize(back * 0.8f + up * 0.7f - right * 0.4f);
  const float position[4] = {light.x, light.y, light.z, 0};
  const float ambient[4] = {0.45f, 0.45f, 0.45f, 1}, diffuse[4] = {0.7f, 0.7f, 0.7f, 1};
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
}

// Dark text at the top-left corner, from the program's glyph atlas.
void DrawLabel(const std::string& text, int size) {
  if (!g_font.ready || text.empty()) return;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, size, size, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, g_font.texture);
  glColor3f(0.1f, 0.1f, 0.15f);
  float x = 6;
  const float y = 4, h = static_cast<float>(g_font.lineHeight);
  glBegin(GL_QUADS);
  for (unsigned char c : text) {
    const GlyphRect& g = g_font.glyph[c];
    glTexCoord2f(g.u0, g.v0);
    glVertex2f(x, y);
    glTexCoord2f(g.u1, g.v0);
    glVertex2f(x + g.width, y);
    glTexCoord2f(g.u1, g.v1);
    glVertex2f(x + g.width, y + h);
    glTexCoord2f(g.u0, g.v1);
    glVertex2f(x, y + h);
    x += g.width;
  }
  glEnd();
  glDisable(GL_BLEND);
}
}  // namespace

bool ParseViewOptions(int argc, char** argv, ViewOptions* o, const char** out, const char** archive,
                      int* size) {
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) {
      if (o->model) return false;
      o->model = argv[i];
      continue;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (arg == "--clip") {
      o->clip = value;
    } else if (arg == "--time") {
      o->time = static_cast<float>(std::atof(value));
    } else if (arg == "--tex") {
      o->texture = value;
    } else if (arg == "--eyes") {
      o->eyes = value;
    } else if (arg == "--line") {
      o->line = value;
    } else if (arg == "--yaw") {
      o->yaw = static_cast<float>(std::atof(value));
    } else if (arg == "--out" && out) {
      *out = value;
    } else if (arg == "--archive" && archive) {
      *archive = value;
    } else if (arg == "--size" && size) {
      *size = std::atoi(value);
    } else {
      return false;
    }
  }
  return o->model != nullptr;
}

bool OpenViewWindow(int size) {
  if (!PlatformInitVideo() || !PlatformCreateWindow("qhtool view", size, size, false, false))
    return false;
  g_manager.init();
  // Registered like the program's own font, so the manager's texture count
  // keeps covering every texture name handed out.
  g_font.Init("DejaVu Sans", 12, 96);
  g_manager.RegisterTex(g_font.faceName.c_str(), g_font.texture);
  return true;
}

void CloseView() {
  g_manager.Unload();
}

bool RenderView(const ViewOptions& o, int size, std::vector<uint8_t>* rgb, std::string* error) {
  // The manager keeps pointers to the models it loaded until CloseView.
  static std::deque<Model> models;
  models.emplace_back();
  Model& model = models.back();
  models.emplace_back();
  Model& eye = models.back();
  model.Reset();
  bool ok = g_manager.LoadModel(o.model, &model) != 0;
  if (!ok) *error = std::string("can't load ") + o.model;
  if (ok && o.texture) {
    g_manager.meshes[model.meshSlot].texName[0].assign(o.texture);
    model.SetMeshTex();
  }
  if (ok) g_manager.LoadModelTex(nullptr, static_cast<uint16_t>(model.slot));
  if (ok && o.clip) {
    ok = g_manager.SetAnim(o.clip, &model) != 0;
    if (!ok) *error = std::string("can't load ") + o.clip;
  }
  if (ok && o.clip) {
    // Pose at the asked frame without advancing the clock, for the bounds;
    // the draw poses it again at the same frame.
    model.anims[0]->weight = 1;
    model.anims[0]->time = o.time;
    model.UpdateSkin(0);
    model.anims[0]->time = o.time;
  }
  if (ok) {
    glViewport(0, 0, size, size);
    glClearColor(0.82f, 0.88f, 0.94f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);  // the program's winding: outside faces are clockwise
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_NORMALIZE);
    glColor3f(1, 1, 1);
    SetCamera(model, o.yaw, size);
    g_manager.boundTex = 999;  // as between the program's frames: bind again
    g_manager.DrawModel(&model, false, true);
    if (o.eyes && model.boneCount) DrawEyes(model, eye, o.eyes);
    if (o.line && model.boneCount && !DrawStrands(model, o.line)) {
      ok = false;
      *error = std::string("can't read strands ") + o.line;
    }
    DrawLabel(o.label, size);
    glFinish();
    rgb->assign(static_cast<size_t>(size) * size * 3, 0);
    std::vector<uint8_t> bottomUp(rgb->size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t row = static_cast<size_t>(size) * 3;
    for (int y = 0; y < size; ++y)
      std::memcpy(&(*rgb)[y * row], &bottomUp[(size - 1 - y) * row], row);
  }
  return ok;
}
