// The falling sparkles: small glowing quads drifting down around the
// controlled character, bouncing off the trees and the map, pulled towards
// the character while "g" is held, and thrown back above and around the eye
// once they get farther than 500 units from it.
//
// Random draws come from the shared state g_randState, so they interleave
// with the program's other random users.
#pragma once
#include <cstdint>

#include "geometry/model.h"
#include "math/mat4.h"

// What one update needs from the rest of the frame.
struct SparkleWorld {
  float dt = 0;            // frame time, seconds; 0 moves nothing
  vec3 eye;                // camera position
  vec3 characterPos;       // the controlled character's position
  mat4 characterFrame;     // its orientation: columns 0, 1, 2 = forward, left, up
  bool pull = false;       // "g" held: pull the sparkles towards the character
  Model* trees = nullptr;  // treeCount models (each may lack a mesh)
  uint32_t treeCount = 0;
  Model* map = nullptr;  // null: nothing below the trees
};

class Sparkles {
 public:
  uint32_t count = 0;
  uint16_t texture = 0;  // GL name of the quads' texture; 0: the manager's default
  vec3* pos = nullptr;
  vec3* vel = nullptr;    // units per second
  vec3* color = nullptr;  // r, g, b in [0, 1]
  float halfSize = 0;     // half the quad's edge

  // n sparkles around the origin, each at 200 times its unit-length random
  // colour and moving outward at that speed. Takes 3n random draws. A failed
  // allocation leaves no sparkles.
  void Init(uint32_t n);
  // Releases the arrays; count becomes 0.
  void Release();

  // Moves every sparkle by one frame: a fall along the character's down
  // axis towards 200 units per second, the optional pull, a bounce off the
  // first tree (else the map) its step crosses, and a respawn (five random
  // draws) when farther than 500 units from the eye.
  void Update(const SparkleWorld& world);

  // Draws one camera-facing additive quad per sparkle, camera angles in
  // degrees (roll, pitch, yaw). Sparkle 0 takes a fresh random colour each
  // call (three draws). Binds through the manager's texture cache; leaves
  // lighting and blending disabled. Needs a current GL context.
  void Draw(const vec3& cameraAngles);
};

extern Sparkles g_sparkles;
