// Manager::DrawModel: one model through client vertex arrays.
#include <GL/gl.h>

#include "core/timer.h"
#include "render/frame.h"
#include "resources/manager.h"

void Manager::BindTexture(uint32_t glName) {
  if (glName == boundTex) return;
  if (!texCount)
    glName = 0;  // no table (init failed): untextured
  else if (glName == 0 || glName > static_cast<uint32_t>(texCount) + 1)
    glName = textures[0].glId;
  glBindTexture(GL_TEXTURE_2D, glName);
  boundTex = glName;
}

bool Manager::DrawModel(Model* model, bool cull, bool bindTextures) {
  if (!model || !model->mesh) return false;
  if (cull && sphereInFrustum(g_frustum, model->worldCenter, model->radius) == 0) return false;
  if (model->anims) model->UpdateSkin(g_timer.frameTime);

  glPushMatrix();
  glMultMatrixf(model->world.m);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  const Mesh& mesh = *model->mesh;
  glNormalPointer(GL_FLOAT, 0, model->normals);
  glTexCoordPointer(2, GL_FLOAT, 0, mesh.uv);
  glVertexPointer(3, GL_FLOAT, 0, model->verts);

  uint32_t first = 0;
  for (uint16_t g = 0; g < model->groupCount && g < mesh.groupCount; ++g) {
    if (bindTextures) {
      const uint16_t tex = mesh.groupTex[g];
      BindTexture(tex < model->groupCount ? model->texId[tex] & 0xFFFF : 0);
    }
    const uint32_t count = mesh.groupTris[g];
    // Never past the triangle list, whatever the groups claim.
    if (first + count > mesh.triCount) break;
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * count), GL_UNSIGNED_INT,
                   mesh.tris + 3 * static_cast<size_t>(first));
    first += count;
  }

  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glPopMatrix();
  return true;
}
