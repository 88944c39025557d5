// One playable character: a skinned body, generated eye and eyelid models,
// its clips, movement state and the collision ellipsoids its strands use.
// The four characters live in g_players; everything that differs between
// them is selected by the index given to SPlayer::Init.
#pragma once
#include <cstdint>

#include "game/strand_history.h"
#include "game/trail.h"
#include "geometry/model.h"
#include "gl/shader.h"
#include "math/mat4.h"

// A unit sphere carried by a bone and stretched to an ellipsoid.
struct SpherePlacement {
  vec3 position;
  vec3 rotation;  // Euler angles, radians
  vec3 scale;     // radius along each axis
  uint32_t bone;  // bone index in the body (the file stores it plus one)
};
static_assert(sizeof(SpherePlacement) == 40, "placements are 40 bytes in memory");

// Control modes.
constexpr int kModeFollow = 0;    // not controlled: the head follows the controlled one's
constexpr int kModePlayer = 1;    // mouse look and player input
constexpr int kModeFreeView = 2;  // controlled, camera frozen, cursor free

// The clips in the order Init loads them (the field order of SPlayer).
constexpr int kClipKinds = 10;

struct SPlayer {
  // Eye state, advanced by the eye drawing.
  float lidAngle = 30.0f;  // degrees
  float blinkTimer = 0;    // a blink runs while it lies in (0, 2]
  vec3 eyeAngles[2];       // (0, pitch, yaw) radians of eye 1 and eye 0
  vec3 lookTarget;         // world point the head and eyes turn toward

  float forwardSpeed = 0;  // this frame's forward command, units/s
  float strafeSpeed = 0;   // this frame's sideways command, units/s (left positive)
  vec3 velocity;           // units/s; while grounded, the frame's whole step
  vec3 up{0, 0, 1};        // surface normal, the body's target up axis
  vec3 colors[5];          // RGB 0..1: 1 is the strand paint, 3 the outline
  bool grounded = false;   // standing on a surface
  bool touched = false;    // the last step touched a surface: probe for ground next

  Model eye;     // generated sphere "eye.gen"
  Model body;    // position = feet; radius = collision radius; clips below
  Model eyelid;  // generated half sphere "eyel.gen"
  Shader eyeProgram;
  int locModelViewInverse = 0, locBallData = 0;  // uniform locations, 0 without GLSL
  // Eye shading parameters; elements 2..5 go to "BallData" (element 3 is
  // rewritten every frame by the eye drawing, element 5 stays 0).
  float ballData[6] = {};

  // Index of each clip in body's clip list; -1 when no clip loaded before it.
  int clipStand = -1, clipWalk = -1, clipJumpAir = -1, clipJumpAirFast = -1, clipLand = -1,
      clipRun = -1, clipTurnRight = -1, clipTurnLeft = -1, clipFly = -1, clipFlyFast = -1;

  int index = 0;           // 0..3, selects the character's table row
  int mode = kModeFollow;  // control mode
  int neck2Bone = -1, rightEyeBone = -1, leftEyeBone = -1;  // -1 when missing
  int rootBone = -1, neck1Bone = -1, headBone = -1;         // looked up once, -1 when missing

  // The strands (manes, tails), on body's bones; loaded from the character's
  // Line file at set-up, edited in free view.
  CSpline line;
  StrandHistory history;   // the editor's undo and redo of `line`
  bool keptEdits = false;  // a recovery file of the last run waits for Backspace

  uint16_t sphereCount = 0;
  SpherePlacement* spheres = nullptr;  // owned, sphereCount entries
  Trail trail;                         // ribbon of 20 points behind the body
  uint32_t trailTexture = 0;           // GL name
  mat4 frame;                          // orientation frame: columns forward, left, up

  SPlayer() = default;
  // Deletes the eye program's GL objects (when GLSL is available). The
  // models belong to the manager's unload sweep and are not touched.
  ~SPlayer();
  SPlayer(const SPlayer&) = delete;
  SPlayer& operator=(const SPlayer&) = delete;

  // Sets the character up for index 0..3: textures, eyes, the "eye"
  // program (the process ends when it can't be built), body and clips,
  // colours, "bin\sph.col", and a random start in the air above the map
  // (g_map must be loaded). Missing files are logged and fall back.
  void Init(int characterIndex);

  // Reads sphere placements from the named file (through the archive
  // lookup) into spheres/sphereCount. A missing file logs "Can't load
  // sph.col", leaves none and gives false; a count larger than the file
  // holds reads the records that are there (with a warning).
  bool LoadSpheres(const char* name);
  // Warns, naming the file, when the placements read from it leave the
  // strands without collision: none at all, or some that no strand can use
  // (SphereUsable). Init runs it after LoadSpheres has opened the file.
  void CheckSpheres(const char* name) const;

  // Clip choice, player input and the jump (reads the input tables, g_view
  // and the frame time).
  void Control();
  // Velocity integration, Collide, Orient, then the body's matrices.
  void Physics(Model& map, Model* cloud);
  // Moves the character through the world: ground probe and snap while
  // grounded, sweep and slide while airborne, against g_trees, the map and
  // the cloud (may be null), in that order.
  void Collide(Model& map, Model* cloud);
  // Rebuilds frame and the body angles: banking, up smoothing, turning
  // toward lookTarget and the turn clips.
  void Orient();
  // Turns the "neck1" and "head" bones toward a world point (not while "y"
  // is held). Missing bones are skipped.
  void LookAt(const vec3& target);

  // The frame's drawing of this character (needs the frame's frustum and a
  // GL context): the trail (always), then, unless the body lies outside the
  // view, the body skinned with the current clip at full weight, its strands
  // (one simulation step, collision, strips) and the strand editor, its
  // outline in colour 3 (not while "o" is held), the collision ellipsoids
  // while "n" is held, and the eyes. Advances the body's clips and the blink.
  void Draw();

  // True while the current clip feeds the trail: running, fast flight and
  // the fast airborne clip.
  bool TrailFed() const {
    return InClip(clipFlyFast) || InClip(clipRun) || InClip(clipJumpAirFast);
  }
  // Advances the trail by the frame time (fed while `active`) and draws it
  // with the trail texture, facing the camera. Needs a GL context.
  void DrawTrail(bool active);

  // Draws one eye on `bone` ("Leye" with side 1, "Reye" with side 0, in that
  // order each frame): the eyeball turned toward lookTarget, the outline and
  // lashes, and the lid. The side-1 call also advances the blink, the lid
  // angle and the eyes' shine. A bone the body doesn't have draws nothing.
  // Needs a GL context; the current texture unit is left enabled.
  void DrawEye(int bone, int side);

  // Pushes strand points out of the collision ellipsoids (spheres) grown by
  // 1.3, on the posed body: the simulated points, or in free view (mode 2)
  // the rest points carried by their bones, so what the editor shapes
  // stays outside the body. Placements that aren't SphereUsable are skipped.
  void CollideStrands();
  // True when the placement is on a bone the body has and no radius is 0 (a
  // flat ellipsoid has no inside).
  bool SphereUsable(const SpherePlacement& p) const {
    return p.bone < body.boneCount && p.scale.x != 0 && p.scale.y != 0 && p.scale.z != 0;
  }

  // The strand editor, once per frame after the strands are drawn; does
  // nothing unless mode is kModeFreeView. Reads the input tables, the
  // cursor (g_mouseDX/DY) and g_camera; needs a GL context.
  void EditStrands();

  // The clip `clip` (a clip field) when it is attached, else null.
  CAnim* Clip(int clip) const;
  // True when `clip` is attached and current.
  bool InClip(int clip) const { return clip >= 0 && body.curAnim == clip; }
  // Makes `clip` current when it is attached.
  void SetClip(int clip);
  // The designed name of the current clip ("Stand", "Walk", ...), "" when
  // the current clip is none of the ten.
  const char* ClipName() const;
};

extern SPlayer* g_players;  // g_characterCount characters, null before CreateCharacters
extern uint8_t g_characterCount;
extern uint8_t g_current;  // the character the player controls
// The cloud layer's model, which characters stand on and the camera avoids;
// null while there is no cloud.
extern Model* g_cloudModel;

// fromEuler of the body's angles (degrees) and position: its world matrix as
// of now, whether or not UpdateMatrix ran since they changed.
mat4 BodyPlacement(const Model& body);

// Start-up: four characters, set up in index order; character 3 is
// controlled. Registers the characters' trace fields and announces the
// unsaved strand edits a previous run kept (game/strand_files.h).
void CreateCharacters();
// Shutdown, after the manager's unload: keeps unsaved strand edits, then
// deletes the characters.
void ReleaseCharacters();
// Adds "current", "players", "strands" (the controlled character's) and
// "notices" (the on-screen messages up now) to every --trace line.
void RegisterPlayerTrace();

// The Line file of character `index` (0..3): "ZL.Line", "WN.Line",
// "MV.Line", "KT.Line".
const char* CharacterLineFile(int index);

// Keeps the triangles whose three corners all have y <= 0.01 (the eyelid's
// half sphere); the first texture group keeps them all. A removed triangle
// is replaced by the last one, which is examined next.
void CutToLowerHalf(Mesh& mesh);
