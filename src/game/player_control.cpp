// SPlayer::Control: the clip state machine, player input and the jump.
#include <algorithm>

#include "audio/bass.h"
#include "core/input_tables.h"
#include "core/timer.h"
#include "game/player.h"
#include "game/update.h"

namespace {
constexpr int kSpace = 32;
}  // namespace

void SPlayer::Control() {
  const bool space = g_keys[kSpace] != 0;
  const bool spacePressed = KeyPressed(kSpace);
  const float r = body.radius;

  if (grounded) {
    if (forwardSpeed != 0 && !space) {
      SetClip(g_mouseLeft ? clipRun : clipWalk);
    } else if (!InClip(clipTurnLeft) && !InClip(clipTurnRight) && !space) {
      SetClip(clipStand);
    }
  } else {
    if (!InClip(clipFly) && !InClip(clipFlyFast) && !InClip(clipJumpAirFast)) SetClip(clipJumpAir);
    if (mode == kModePlayer) {
      if ((InClip(clipFly) || InClip(clipFlyFast)) && spacePressed)
        SetClip(clipJumpAir);  // stop flying
      else if (spacePressed && (index == 0 || index == 1))
        SetClip(clipFly);
    }
    if (InClip(clipFly) && g_mouseLeft && forwardSpeed != 0)
      SetClip(clipFlyFast);
    else if (InClip(clipFlyFast) && (!g_mouseLeft || forwardSpeed == 0))
      SetClip(clipFly);

    // The fast jump pitches the whole body with its fall.
    float pitch = 0;
    if (InClip(clipJumpAirFast))
      pitch =
          std::min(25.0f, std::max(-60.0f, dot(body.angles.anglesUp(), -velocity) * 0.25f - 20));
    if (rootBone >= 0) body.restRot[rootBone].y = DegToRad(pitch);

    if (!InClip(clipFly) && !InClip(clipFlyFast)) {
      const vec3 u = body.angles.anglesUp();
      const vec3 vertical = u * dot(u, velocity);
      if (length(velocity - vertical) - length(vertical) < 50) {
        if (rootBone >= 0) body.restRot[rootBone].y = 0;
        SetClip(clipJumpAir);
      } else {
        SetClip(clipJumpAirFast);
      }
    }
  }

  forwardSpeed = strafeSpeed = 0;
  if (mode != kModePlayer) {
    LookAt(lookTarget);
    return;
  }

  // With the right button the target lies behind, on the camera's side.
  const float k = g_mouseRight ? -100.0f : 100.0f;
  lookTarget = body.worldCenter + g_view.anglesForward() * k;
  const bool flying = InClip(clipFly) || InClip(clipFlyFast);
  if (flying) up = g_view.anglesUp();
  LookAt(lookTarget);

  const float dt = g_timer.frameTime;
  if (g_mouseLeft) {
    if (g_keys['a']) body.angles.x -= 200 * dt;
    if (g_keys['d']) body.angles.x += 200 * dt;
  } else {
    if (g_keys['a']) strafeSpeed = 8 * r;
    if (g_keys['d']) strafeSpeed = -8 * r;
  }
  if (g_keys['s']) forwardSpeed = -8 * r;
  if (g_keys['w']) {
    if (flying) forwardSpeed = 8 * r;
    if (InClip(clipWalk) || InClip(clipRun) || InClip(clipStand)) forwardSpeed = 4 * r;
  }
  if (g_mouseLeft) forwardSpeed *= 4;

  if (grounded && space && !InClip(clipLand)) {
    SetClip(clipLand);
    if (CAnim* land = Clip(clipLand)) {
      land->time = 2.0f;
      land->loops = 0;
    }
  }

  const CAnim* land = Clip(clipLand);
  if (InClip(clipLand) && space && land && land->loops >= 1) {
    if (g_keys['w']) forwardSpeed = 2 * r;
    if (g_mouseLeft && g_keys['w']) {
      SetClip(clipJumpAirFast);
      forwardSpeed *= 4;
    } else {
      SetClip(clipJumpAir);
    }
    grounded = touched = false;
    velocity = body.angles.anglesForward() * (forwardSpeed * 1.5f) + up * 70;
    // The samples were loaded KT, MV, WN, ZL; the characters run ZL, WN, MV, KT.
    if (index >= 0 && index < 4) g_audio.Play(g_jumpSound[3 - index], 0, 0);
  }
}
