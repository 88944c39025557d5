#include "render/frame.h"

#include <GL/gl.h>

Frustum g_frustum;

void RenderFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }
