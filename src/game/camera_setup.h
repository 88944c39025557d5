// The camera's start-up and the run harness's hold on it.
#pragma once
#include <string>

#include "shell/harness.h"

// Field of view of the start-up camera, degrees.
constexpr float kStartFov = 60.0f;

// Start-up: field of view 60 degrees, near 0.1, far 5000, the viewport over
// the whole window (width x height pixels, both above 0); computes g_camera
// once.
void SetUpCamera(int width, int height);

// With --camera: puts g_camera at the option's position and angles with the
// start-up field of view, whatever the frame's update did. Without it,
// nothing changes.
void FixCameraForRun(const HarnessOptions& options);

// Trace writer: appends ,"camera":{"position":[x,y,z],"angles":[roll,pitch,
// yaw],"fov":f} (degrees) for g_camera.
void WriteCameraTrace(std::string* out);
