// The program's spine: start-up, the frame loop and shutdown.
#pragma once

extern bool g_freeLook;

// Start-up steps in their fixed order, then the frame loop until Escape, a
// close request or the harness's frame count; then shutdown. Returns the
// process exit code.
int RunProgram();
