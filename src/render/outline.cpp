// Model::Silhouette and Model::DrawOutline: the drawn look of the characters
// and the cloud.
#include <GL/gl.h>

#include "geometry/model.h"

namespace {
// The pass reads the model's vertices through the mesh's triangle and edge
// tables, which must describe the same vertices.
bool HasEdges(const Model& model) {
  const Mesh* mesh = model.mesh;
  return mesh && mesh->edgeCount > 0 && mesh->edges && mesh->triEdges && mesh->edgeFlags &&
         mesh->tris && mesh->vertCount == model.vertexCount && model.verts;
}
}  // namespace

void Model::Silhouette(const vec3& eye) {
  if (!HasEdges(*this)) {
    if (mesh) mesh->frontCount = 0;
    return;
  }
  Mesh& m = *mesh;
  const vec3 e = invWorld.transformPoint(eye);
  for (uint32_t k = 0; k < m.edgeCount; ++k) m.edgeFlags[k] = -1;
  m.frontCount = 0;
  for (uint32_t t = 0; t < m.triCount; ++t) {
    const uint32_t* tri = m.tris + 3 * t;
    vec3 n;
    n.triangleNormal(verts[tri[0]], verts[tri[1]], verts[tri[2]]);
    if (dot(verts[tri[0]] - e, n) > 1e-6f) {
      ++m.frontCount;
      for (int k = 0; k < 3; ++k) ++m.edgeFlags[m.triEdges[4 * t + k]];
    }
  }
}

void Model::DrawOutline(float width) {
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glBegin(GL_QUADS);
  if (HasEdges(*this) && normals) {
    const Mesh& m = *mesh;
    for (uint32_t k = 0; k < m.edgeCount; ++k) {
      if (m.edgeFlags[k] != 0) continue;
      const uint32_t a = m.edges[2 * k], b = m.edges[2 * k + 1];
      const vec3 corners[4] = {verts[a], verts[a] + normals[a] * width,
                               verts[b] + normals[b] * width, verts[b]};
      for (const vec3& c : corners) {
        const vec3 w = world.transformPoint(c);
        glVertex3f(w.x, w.y, w.z);
      }
    }
  }
  glEnd();
  glEnable(GL_CULL_FACE);
}
