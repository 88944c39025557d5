// The camera's start-up and its trace field.
#pragma once
#include <string>

// Field of view of the start-up camera, degrees.
constexpr float kStartFov = 60.0f;

// Start-up: field of view 60 degrees, near 0.1, far 5000, the viewport over
// the whole window (width x height pixels, both above 0); computes g_camera
// once.
void SetUpCamera(int width, int height);

// The viewport over the whole window again after a resize, and the
// projection for its new shape. Sizes of 0 (a minimised window) are ignored.
void FitCameraToWindow(int width, int height);

// Trace writer: appends ,"camera":{"position":[x,y,z],"angles":[roll,pitch,
// yaw],"fov":f} (degrees) for g_camera.
void WriteCameraTrace(std::string* out);
