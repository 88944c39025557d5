// SPlayer::Physics and SPlayer::Orient: moving, banking and turning the body.
#include <initializer_list>

#include "core/input_tables.h"
#include "core/timer.h"
#include "game/player.h"

void SPlayer::Physics(Model& map, Model* cloud) {
  const float dt = g_timer.frameTime;
  const vec3 f = body.angles.anglesForward();
  const vec3 side = normalize(vec3(-f.y, f.x, 0));  // horizontal left
  if (InClip(clipFly) || InClip(clipFlyFast)) {
    const vec3 target = f * forwardSpeed + side * strafeSpeed;
    velocity += (target - velocity * 0.99f) * (2 * dt);
  } else if (InClip(clipWalk) || InClip(clipRun)) {
    // While grounded Collide takes this whole velocity as the frame's step.
    velocity += f * (forwardSpeed * dt);
  }
  Collide(map, cloud);
  Orient();
  body.UpdateMatrix();
}

void SPlayer::Orient() {
  const float dt = g_timer.frameTime;
  const vec3 dn = normalize(lookTarget - body.position);
  vec3 f = body.angles.anglesForward();

  // Banking into the turn (per frame, not per second), fading back.
  if (!g_mouseRight && (InClip(clipRun) || InClip(clipFly) || InClip(clipFlyFast)))
    body.angles.x += 5 * dot(dn, cross(f, up));
  body.angles.x -= 2 * dt * body.angles.x;

  vec3 u = body.angles.anglesUp();
  u += (up - u) * (8 * dt);
  u.normalize();

  bool align = false;
  if (!g_mouseRight &&
      (grounded || InClip(clipJumpAir) || InClip(clipFly) || InClip(clipFlyFast))) {
    align = true;
    // Standing once the landing has faded: stay put until the view is well
    // off to one side, then play a turn on the spot. Only the directions
    // across the up axis count: a view pitched up or down (or straight down)
    // is no reason to turn, and would turn the character forever.
    const CAnim* land = Clip(clipLand);
    if (InClip(clipStand) && (!land || land->weight < 0.1f)) {
      align = false;
      const vec3 flat = dn - u * dot(dn, u);
      if (dot(normalize(f - u * dot(f, u)), flat) < 0.8f * length(flat)) {
        const int turn = dot(cross(u, f), dn) >= 0 ? clipTurnLeft : clipTurnRight;
        SetClip(turn);
        if (CAnim* clip = Clip(turn)) clip->loops = 0;
      }
    }
  }
  for (int turn : {clipTurnLeft, clipTurnRight}) {
    const CAnim* clip = Clip(turn);
    if (InClip(turn) && clip->loops >= 1) SetClip(clipStand);
  }

  if (align) f += (dn - f) * (dt * (InClip(clipRun) ? 3.0f : 6.0f));

  const vec3 x = normalize(f - u * dot(f, u));
  const vec3 y = normalize(cross(u, x));
  frame.fromAxes(x, y, u);
  body.angles = frame.toEuler() * (180.0f * kInvPi);
}
