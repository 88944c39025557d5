// Hands the camera's matrices to OpenGL.
#pragma once
#include "game/camera.h"

// Loads camera.proj into GL_PROJECTION and camera.view into GL_MODELVIEW,
// leaving GL_MODELVIEW current. Needs a current GL context.
void CameraLoadMatrices(const Camera& camera);
