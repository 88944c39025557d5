// The sky: a sphere around the eye, drawn behind everything else and
// coloured by the "sky" GLSL program from the sun direction, with a small sun
// disc on top. It turns with the camera but never moves with it.
#pragma once
#include <cstdint>

#include "geometry/model.h"
#include "gl/shader.h"
#include "math/mat4.h"
#include "math/vec3.h"

class Sky {
 public:
  Model model;  // the dome, mesh "sky.gen"
  Shader program;
  vec3 eyePos;
  vec3 sunDir;          // unit, towards the sun; computed by every Draw
  float sunAngle = 0;   // radians from +Z in the X-Z plane
  float turbidity = 0;  // haze of the atmosphere
  float colorExp = 0;   // exposure of the sky colours
  int32_t locEyePos = 0, locSunPos = 0, locTurbidity = 0, locColorExp = 0;

  // Builds the dome (a 40 x 40 sphere facing inwards) through the manager
  // and loads the "sky" program; a program that doesn't compile ends the
  // process with the message "Video card(or driver) can't compile program".
  // Needs an initialised manager and a current context.
  void Init();

  // sunDir from sunAngle.
  void UpdateSun();

  // Draws the dome and the sun disc around the eye with `rotation`, the
  // camera's view matrix without its translation. First in the frame the
  // sky is drawn without depth testing; `behindScene`, it is drawn after the
  // opaque passes at the far depth, into the pixels they left uncovered
  // (the same picture with less shading work). Leaves depth testing,
  // texturing and face culling on and lighting off; updates sunDir.
  void Draw(const mat4& rotation, bool behindScene = false);

  // Deletes the program's objects; call while the context is current.
  void Release();
};

extern Sky g_sky;
