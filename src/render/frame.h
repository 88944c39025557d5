// The frame render: every pass of one frame, in order.
#pragma once
#include "math/mat4.h"
#include "math/queries.h"
#include "math/vec3.h"

// The view frustum of the current frame, in world coordinates; culling reads it.
extern Frustum g_frustum;

// Direction of the one light. Each frame lights with the sun direction the
// sky computed in the frame before; (10, 10, 100) on the first frame.
extern vec3 g_lightDir;

// One whole frame into the back buffer: camera matrices, frustum, light,
// the world pass with the sky, the 2D overlay; ends with the 3D state
// restored and the manager's bound-texture cache reset. Needs the start-up
// done (camera viewport, sky, cloud). The sky is drawn behind the opaque
// world unless `skyFirst`, which draws it first and the whole view over
// (the same picture at more cost: tests compare the two).
void RenderFrame(bool skyFirst = false);

// The world pass: terrain and trees, the cloud and its outline (both hidden
// while "o" is held), the sky behind them when `skyView` (its rotation) is
// given, the characters and the sparkles; a press of "l" freezes or
// resumes the cloud.
void DrawScene(const mat4* skyView);
