#include "render/camera_gl.h"

#include <GL/gl.h>

void CameraLoadMatrices(const Camera& camera) {
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(camera.proj.m);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(camera.view.m);
}
