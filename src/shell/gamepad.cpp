#include "shell/gamepad.h"

#include <cmath>

namespace {
constexpr float kZoomSteps = 10;  // wheel steps a second while a shoulder is held

// The deflection past the dead zone, rescaled to 0..1 with its sign.
float Beyond(float v, float deadZone) {
  const float a = std::fabs(v);
  if (a <= deadZone) return 0;
  return std::copysign(std::fmin(1.0f, (a - deadZone) / (1 - deadZone)), v);
}
}  // namespace

PadInput PadMapper::Map(const PadState& pad, const PadOptions& options, float dt, bool playing) {
  PadInput in;
  if (!pad.connected) {
    zoomHeld_ = 0;
    return in;
  }
  in.jump = pad.a;
  in.nextCharacter = pad.b;
  in.freeView = pad.y;
  if (playing) {
    const float x = Beyond(pad.leftX, options.deadZone), y = Beyond(pad.leftY, options.deadZone);
    in.forward = y < 0;
    in.back = y > 0;
    in.left = x < 0;
    in.right = x > 0;
    in.run = std::hypot(pad.leftX, pad.leftY) >= options.runAt;
    in.lookX = -Beyond(pad.rightX, options.deadZone) * options.lookSpeed * dt;
    in.lookY = -Beyond(pad.rightY, options.deadZone) * options.lookSpeed * dt;
  }
  const int zoom = pad.leftShoulder == pad.rightShoulder ? 0 : pad.leftShoulder ? -1 : 1;
  if (zoom != zoomHeld_) {
    zoomTime_ = 0;
    in.wheel = zoom;
  } else if (zoom) {
    zoomTime_ += dt * kZoomSteps;
    if (zoomTime_ >= 1) {
      zoomTime_ -= 1;
      in.wheel = zoom;
    }
  }
  zoomHeld_ = zoom;
  return in;
}
