// The frame render: every pass of one frame, in order.
#pragma once
#include "math/queries.h"

// The view frustum of the current frame, in world coordinates; culling reads it.
extern Frustum g_frustum;

void RenderFrame();
