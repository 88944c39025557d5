// What a game controller does to the program's input: the left stick
// holds the movement keys (and, pushed all the way, the run button), the
// right stick turns the view, A, B and Y hold Space, "c" and "h", the
// shoulders step the camera distance like the wheel.
#pragma once
#include "platform/gamepad.h"

struct PadOptions {
  float deadZone = 0.25f;    // deflection ignored
  float runAt = 0.9f;        // left-stick deflection that runs
  float lookSpeed = 150.0f;  // degrees per second at full right-stick deflection
};

struct PadInput {
  bool forward = false, back = false, left = false, right = false;
  bool run = false;
  bool jump = false, nextCharacter = false, freeView = false;
  float lookX = 0, lookY = 0;  // degrees to add to the mouse look (left and up positive)
  int wheel = 0;               // -1 nearer, +1 farther, 0
};

class PadMapper {
 public:
  // One frame of `dt` seconds. The sticks move and look only while
  // `playing` (the controlled character takes input); the buttons always act.
  PadInput Map(const PadState& pad, const PadOptions& options, float dt, bool playing);

 private:
  int zoomHeld_ = 0;    // the shoulder held last frame: -1, +1 or 0
  float zoomTime_ = 0;  // seconds toward the next repeated step
};
