// The per-frame update: control keys, mouse look, the characters and the
// camera placement.
#pragma once
#include "math/vec3.h"

struct SPlayer;

extern vec3 g_view;          // this frame's view angles (degrees), taken before the characters move
extern float g_camDist;      // head-to-camera distance, kept within 3 and 8 body radii
extern float g_mouseDX;      // mouse look: this frame's turn in degrees; free view: cursor x
extern float g_mouseDY;      // mouse look: this frame's pitch in degrees; free view: cursor y
extern float g_mouseDXPrev;  // the same one frame earlier
extern float g_mouseDYPrev;
extern bool g_freeLook;  // free view without the right button: a visible cursor, no mouse look

// Once per frame with the g_freeLook of the previous update: mouse look or
// free view, "c" and "h", every character (separation, control, world
// bounds, physics against g_map and g_cloudModel), then the camera's angles,
// position and field of view; sets g_freeLook for the next frame. Without
// characters nothing happens. ("v", the swap interval, is the spine's: it
// owns the window.)
void UpdateFrame(bool freeLook);

// Places g_camera behind the controlled character's head at g_camDist along
// g_view, in front of the map or the cloud when either lies in between, never
// closer than 2 body radii; sets the field of view from the distance.
void PlaceCamera(const SPlayer& player);
