// The eye: turns a position, Euler angles and projection settings into the
// projection and view matrices the renderer loads each frame, and into four
// corner rays that turn any window point into a world direction for picking.
#pragma once
#include <cstdint>

#include "math/mat4.h"

struct Camera {
  vec3 position;       // eye, world
  vec3 angles;         // roll, pitch, yaw in degrees
  vec3 cornerRays[4];  // world directions through NDC (-1,-1), (+1,-1), (-1,+1), (+1,+1)
  mat4 proj;           // for GL_PROJECTION
  mat4 view;           // for GL_MODELVIEW
  mat4 invViewProj;    // inverseAffine(proj * view): only its 3x3 part means anything
  int32_t viewportX = 0, viewportY = 0, viewportW = 0, viewportH = 0;  // pixels
  float fov = 0;                                                       // vertical, degrees
  float zNear = 0, zFar = 0;

  // Rebuilds proj, view, invViewProj and cornerRays from the fields above.
  // The viewport must have a nonzero size and zNear != zFar.
  void Update();

  // View matrix for this position and the given angles (degrees): world
  // forward +X becomes eye -Z, left +Y eye -X, up +Z eye +Y.
  mat4 ViewMatrix(const vec3& viewAngles) const;

  // World direction (not normalised) through window point (x, y) in pixels,
  // y up from the viewport's lower edge, interpolated between the corner rays
  // of the last Update.
  vec3 ScreenRay(float x, float y) const;
};

extern Camera g_camera;
