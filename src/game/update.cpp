#include "game/update.h"

#include <algorithm>

#include "core/bench.h"
#include "core/controls.h"
#include "core/input_tables.h"
#include "core/window_state.h"
#include "environment/terrain.h"
#include "game/camera.h"
#include "game/player.h"
#include "game/strand_files.h"
#include "platform/window.h"

vec3 g_view;
float g_camDist = 60.0f;
float g_mouseDX = 0, g_mouseDY = 0;
float g_mouseDXPrev = 0, g_mouseDYPrev = 0;
bool g_freeLook = false;

namespace {
constexpr int kKeyBackspace = 8;  // read by nothing else: F-keys and keypad alias letters

vec3 Radians(const vec3& degrees) {
  return vec3(DegToRad(degrees.x), DegToRad(degrees.y), DegToRad(degrees.z));
}

// Mouse look: the cursor goes back to the window centre every frame, so each
// pixel of movement turns the camera by the sensitivity (0.2 degrees unless
// the settings change it); a gamepad's stick adds its own turn. The turn is
// applied in the character's frame, so a rolled or tilted character carries
// the view.
void MouseLook(const SPlayer& player, int cursorX, int cursorY) {
  const int cx = g_width / 2, cy = g_height / 2;
  PlatformSetCursorPos(cx, cy);
  g_mouseDX = (cx - cursorX) * g_lookSensitivity;
  g_mouseDY = (cy - cursorY) * g_lookSensitivity;
  if (g_lookInvertY) g_mouseDY = -g_mouseDY;
  if (g_padLookX != 0 || g_padLookY != 0) {
    g_mouseDX += g_padLookX;
    g_mouseDY += g_padLookY;
  }
  mat4 camera;
  camera.fromEuler(Radians(g_camera.angles), vec3());
  const vec3 local = player.frame.inverseAffine().mulAffine(camera).toEuler();
  mat4 turned;  // the local roll is dropped
  turned.fromEuler(vec3(0, local.y - DegToRad(g_mouseDY), local.z + DegToRad(g_mouseDX)), vec3());
  g_camera.angles = player.frame.mulAffine(turned).toEuler() * (180.0f * kInvPi);
}

// Pushes character i out to 2 of its radii from every other character.
void Separate(int i) {
  SPlayer& p = g_players[i];
  const float reach = 2 * p.body.radius;
  for (int j = 0; j < g_characterCount; ++j) {
    if (j == i) continue;
    const vec3 d = p.body.position - g_players[j].body.position;
    const float distance = length(d);
    if (distance < reach) p.body.position += normalize(d) * (reach - distance);
  }
}

// Below the world the character starts over high above it; above the ceiling
// it bounces; past an edge of the map's square it re-enters on the far side.
void KeepInWorld(SPlayer& p) {
  vec3& pos = p.body.position;
  const float s = g_map.radius;
  if (pos.z < -300) pos = vec3(-100, 300, 700);
  if (pos.z > 2000) {
    pos.z = 2000;
    p.velocity.z = -p.velocity.z;
    p.up = vec3(0, 0, 1);
  }
  for (int axis = 0; axis < 2; ++axis) {
    if (pos[axis] > s) {
      pos[axis] = -s;
      p.up = vec3(0, 0, 1);
    } else if (pos[axis] < -s) {
      pos[axis] = s;
      p.up = vec3(0, 0, 1);
    }
  }
}

// An uncontrolled character looks at the controlled one's head as posed by
// its last skinning.
void FollowHead(SPlayer& p, const SPlayer& leader) {
  const int b = leader.headBone;
  if (b < 0 || !leader.body.boneMatrix) return;
  const mat4 head = leader.body.boneMatrix[b].mulAffine(leader.body.invBind[b].inverseAffine());
  p.lookTarget = leader.body.world.transformPoint(vec3(head.m[12], head.m[13], head.m[14]));
  p.LookAt(p.lookTarget);
}
}  // namespace

void PlaceCamera(const SPlayer& player) {
  const Model& body = player.body;
  mat4 headRest;
  if (player.headBone >= 0 && body.invBind)
    headRest = body.invBind[player.headBone].inverseAffine();
  const vec3 h = BodyPlacement(body).transformPoint(headRest.transformPoint(vec3(0, 0, 2.5f)));
  const vec3 along = (g_view.anglesForward() * -g_camDist);

  // The first of map and cloud lying between head and eye holds the camera
  // off its surface. Trees are not tested.
  float t = 1;
  vec3 hit, normal;
  bool blocked = g_map.mesh && g_map.RayCast(h, along, hit, normal, t) && t > 0 && t < 1;
  if (!blocked && g_cloudModel && g_cloudModel->mesh)
    blocked = g_cloudModel->RayCast(h, along, hit, normal, t) && t > 0 && t < 1;
  vec3 eye = blocked ? hit + normal * 0.5f : h + along;

  const float nearest = 2 * body.radius;
  if (length(eye - h) < nearest) eye = h + normalize(eye - h) * nearest;
  g_camera.position = eye;
  g_camera.fov = std::min(150.0f, std::max(5.0f, 1.2f * g_camDist));
}

void UpdateFrame(bool freeLook) {
  if (!g_players || g_characterCount == 0) return;

  int cursorX = 0, cursorY = 0;
  PlatformGetCursorPos(&cursorX, &cursorY);
  g_mouseDXPrev = g_mouseDX;
  g_mouseDYPrev = g_mouseDY;
  if (!freeLook) {
    MouseLook(g_players[g_current], cursorX, cursorY);
  } else {
    g_mouseDX = static_cast<float>(cursorX);
    g_mouseDY = static_cast<float>(cursorY);
    if (g_mouseRight && !g_mouseRightPrev) PlatformSetCursorPos(g_width / 2, g_height / 2);
  }
  g_view = g_camera.angles;

  if (KeyPressed('c')) {
    g_players[g_current].mode = kModeFollow;
    g_current = static_cast<uint8_t>((g_current + 1) % g_characterCount);
    g_players[g_current].mode = kModePlayer;
    g_view = g_players[g_current].body.angles;
  }
  if (KeyPressed('h')) {
    int& mode = g_players[g_current].mode;
    if (mode == kModePlayer)
      mode = kModeFreeView;
    else if (mode == kModeFreeView)
      mode = kModePlayer;
  }
  g_freeLook = g_players[g_current].mode == kModeFreeView && !g_mouseRight;
  if (KeyPressed(kKeyBackspace)) LoadKeptStrands();

  {
    BenchScope scope("physics");
    for (int i = 0; i < g_characterCount; ++i) {
      SPlayer& p = g_players[i];
      Separate(i);
      p.Control();
      KeepInWorld(p);
      if (p.mode == kModeFollow) FollowHead(p, g_players[g_current]);
      p.Physics(g_map, g_cloudModel);
    }
  }

  const SPlayer& current = g_players[g_current];
  const float r = current.body.radius;
  g_camDist = std::min(8 * r, std::max(3 * r, g_camDist + 2.0f * static_cast<float>(g_wheel)));
  PlaceCamera(current);
}
