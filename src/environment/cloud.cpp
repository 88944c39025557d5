#include "environment/cloud.h"

#include <GL/gl.h>

#include <cstdlib>

#include "core/growth.h"
#include "environment/noise.h"
#include "platform/clock.h"
#include "resources/manager.h"

SCloud g_cloud;

namespace {
// The cloud has its own mesh unless the manager could only hand out its
// shared fallback cube, which must never be reshaped.
bool OwnMesh(const Model& model) {
  return model.mesh && model.mesh->slot != 0;
}

// Usable when the model's vertices, the mesh's vertices and its three shape
// arrays all line up.
bool ShapesReady(const Model& model) {
  const Mesh* mesh = model.mesh;
  return OwnMesh(model) && mesh->vertCount == model.vertexCount && model.vertexCount > 0 &&
         mesh->pos && mesh->norm && mesh->extraA && model.verts && model.normals;
}
}  // namespace

void SCloud::Init(uint16_t cells) {
  for (float& s : spare) s = 0;
  n = cells;
  cellCount = static_cast<uint16_t>(cells * cells * cells);
  phase = static_cast<float>(std::rand() % 100);

  model.Reset();
  g_manager.GenerateModel("cloud.gen", &model);
  if (OwnMesh(model)) {
    Mesh& mesh = *model.mesh;
    mesh.Clear();
    mesh.GenSphere(100, 100);
    mesh.Scale(30, 30, 10);
    model.Assign(&mesh);
  }
  scale = 1.0f;
  animate = true;
  lastTime = PlatformMillis();
  if (OwnMesh(model))
    ResizeArray(model.mesh->extraA, model.mesh->vertCount, "cloud", 25, "SCloud::Init");
  invInterval = 1.0f;
}

void SCloud::Place() {
  model.position = vec3(-100, 300, 500);
  if (!OwnMesh(model)) return;
  Mesh& mesh = *model.mesh;
  for (uint32_t v = 0; v < mesh.vertCount; ++v) mesh.pos[v] = mesh.pos[v] * 10.0f;
  model.Refresh();
  mesh.BuildEdges();
  scale = 10.0f;
  if (!ShapesReady(model)) return;
  for (uint32_t v = 0; v < mesh.vertCount; ++v) mesh.extraA[v] = mesh.norm[v] = mesh.pos[v];
}

void SCloud::Animate(uint32_t now) {
  if (!animate || !ShapesReady(model)) return;
  Mesh& mesh = *model.mesh;
  const float t = static_cast<float>(now - lastTime);
  const float f = t * invInterval;  // may exceed 1 on a late frame: extrapolates
  for (uint32_t v = 0; v < mesh.vertCount; ++v)
    model.verts[v] = mesh.extraA[v] + (mesh.norm[v] - mesh.extraA[v]) * f;
  model.ReNormal();
  if (t <= 200) return;

  invInterval = 1.0f / t;
  lastTime = now;
  phase += t * 0.00005f;
  const float s = 0.05f / scale, amplitude = scale * 12;
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    const vec3 p = mesh.pos[v];
    const float x = s * p.x + phase, y = s * p.y + phase, z = 0.33f * s * p.z + phase;
    mesh.extraA[v] = mesh.norm[v];
    mesh.norm[v] = vec3(p.x + FractalNoise(3, x, y, z, 1.0f, 2.1f, amplitude, false),
                        p.y + FractalNoise(3, x, y, z, 2.0f, 2.1f, amplitude, false),
                        p.z + FractalNoise(3, x, y, z, 3.0f, 2.1f, amplitude, false));
  }
}

void SCloud::Draw() {
  Animate(PlatformMillis());
  glDisable(GL_TEXTURE_2D);
  g_manager.DrawModel(&model, true, true);
}
