// The program's spine: start-up, the frame loop and shutdown.
#pragma once

// The fixed GL state of start-up, which every frame starts from: depth test
// (LEQUAL), front faces culled, lighting with light 0 and colour material,
// texturing, additive blend function (blending off), smooth points.
void SetFixedGlState();

// Start-up steps in their fixed order, then the frame loop until Escape, a
// close request or the harness's frame count; then shutdown. Returns the
// process exit code.
int RunProgram();
