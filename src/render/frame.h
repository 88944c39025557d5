// The frame render: every pass of one frame, in order.
#pragma once

void RenderFrame();
