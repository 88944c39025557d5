// The frame render: every pass of one frame, in order.
#pragma once
#include "math/queries.h"
#include "math/vec3.h"

// The view frustum of the current frame, in world coordinates; culling reads it.
extern Frustum g_frustum;

// Direction of the one light. Each frame lights with the sun direction the
// sky computed in the frame before; (10, 10, 100) on the first frame.
extern vec3 g_lightDir;

// One whole frame into the back buffer: camera matrices, frustum, light,
// sky, the world pass, the 2D overlay; ends with the 3D state restored and
// the manager's bound-texture cache reset. Needs the start-up done (camera
// viewport, sky, cloud).
void RenderFrame();

// The world pass: terrain and trees, the cloud and its outline (both hidden
// while "o" is held); a press of "l" freezes or resumes the cloud.
void DrawScene();
