// SPlayer::Init and the character table; the characters' life at start-up
// and shutdown.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/growth.h"
#include "core/log.h"
#include "core/scramble.h"
#include "environment/terrain.h"
#include "game/player.h"
#include "game/strand_files.h"
#include "gl/extensions.h"
#include "platform/clock.h"
#include "resources/manager.h"
#include "storage/core.h"

SPlayer* g_players = nullptr;
uint8_t g_characterCount = 4;
uint8_t g_current = 3;
Model* g_cloudModel = nullptr;

namespace {
struct CharacterRow {
  const char* bodyModel;
  const char* bodyTexture;
  const char* eyeTexture;
  const char* lidTexture;
  const char* trailTexture;
  const char* standClip;
  const char* lineFile;
  uint8_t colors[5][3];
  float shine;  // ballData[3]
};

// Indices 0 and 1 have the winged body that flies, 2 and 3 the ground body.
const CharacterRow kCharacters[4] = {
    {"bin\\pegasus.Model",
     "ZL.jpg",
     "eye_zl.jpg",
     "eyel_zl.jpg",
     "zl_trail.jpg",
     "bin\\stand.Anim",
     "ZL.Line",
     {{160, 220, 248}, {32, 152, 212}, {188, 29, 119}, {110, 169, 211}, {32, 152, 212}},
     0.6f},
    {"bin\\pegasus.Model",
     "WN.jpg",
     "eye_wn.jpg",
     "eyel_wn.jpg",
     "wn_trail.jpg",
     "bin\\stand.Anim",
     "WN.Line",
     {{252, 245, 175}, {242, 182, 208}, {35, 175, 166}, {233, 207, 110}, {219, 131, 169}},
     0.4f},
    {"bin\\earthling.Model",
     "MV.jpg",
     "eye_mv.jpg",
     "eyel_mv.jpg",
     "mv_trail.jpg",
     "bin\\stand.Anim",
     "MV.Line",
     {{254, 193, 102}, {254, 247, 167}, {106, 204, 85}, {255, 124, 68}, {243, 223, 102}},
     0.6f},
    {"bin\\earthling.Model",
     "KT.jpg",
     "eye_kt.jpg",
     "eyel_kt.jpg",
     "kt_trail.jpg",
     "bin\\stand_s.Anim",
     "KT.Line",
     {{242, 184, 206}, {248, 113, 171}, {153, 220, 247}, {226, 129, 170}, {218, 80, 155}},
     0.6f},
};

constexpr uint32_t kRepeat = 0x2901;  // GL_REPEAT
constexpr int kRecordBytes = 38;      // one placement in "bin\sph.col"

// A generated 30 x 30 sphere textured with `texture`, registered under
// `name`. Returns its mesh (valid until the manager's mesh table grows), or
// null when no mesh could be made (the model keeps the fallback, if any).
Mesh* GenerateSphere(Model& model, const char* name, const char* texture) {
  model.Reset();
  const uint16_t slot = g_manager.GenerateModel(name, &model);
  if (!slot) return nullptr;
  Mesh& mesh = g_manager.meshes[slot];
  mesh.Clear();
  mesh.GenSphere(30, 30);
  if (mesh.groupCount) mesh.texName[0].assign(texture);
  model.Assign(&mesh);
  g_manager.LoadModelTex(nullptr, static_cast<uint16_t>(model.slot));
  return &mesh;
}

float ReadFloat(const uint8_t* p) {
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

vec3 ReadVec3(const uint8_t* p) {
  return vec3(ReadFloat(p), ReadFloat(p + 4), ReadFloat(p + 8));
}
}  // namespace

void CutToLowerHalf(Mesh& mesh) {
  uint32_t n = mesh.triCount;
  for (uint32_t t = 0; t < n;) {
    uint32_t* c = mesh.tris + 3 * t;
    if (mesh.pos[c[0]].y > 0.01f || mesh.pos[c[1]].y > 0.01f || mesh.pos[c[2]].y > 0.01f) {
      --n;
      std::memcpy(c, mesh.tris + 3 * n, 3 * sizeof(uint32_t));
      mesh.triNorm[t] = mesh.triNorm[n];
    } else {
      ++t;
    }
  }
  mesh.triCount = n;
  if (mesh.groupCount) mesh.groupTris[0] = n;
}

SPlayer::~SPlayer() {
  if (eyeProgram.program) eyeProgram.Release();
  std::free(spheres);
  trail.spline.Clear();
}

void SPlayer::Init(int characterIndex) {
  Log(LOG_INFO, "start init Player");
  index = characterIndex;
  const CharacterRow& row = kCharacters[index & 3];
  forwardSpeed = strafeSpeed = 0;
  velocity = lookTarget = vec3();
  up = vec3(0, 0, 1);
  grounded = touched = false;
  neck2Bone = rightEyeBone = leftEyeBone = -1;

  trailTexture = g_manager.LoadTex(row.trailTexture, kRepeat, 10, 0);
  if (Mesh* lid = GenerateSphere(eyelid, "eyel.gen", row.lidTexture)) CutToLowerHalf(*lid);
  GenerateSphere(eye, "eye.gen", row.eyeTexture);

  LoadShaderOrExit(&eyeProgram, "eye");
  if (g_hasGLSL) {
    locModelViewInverse = glsl::glGetUniformLocationARB(eyeProgram.program, "ModelViewInverse");
    locBallData = glsl::glGetUniformLocationARB(eyeProgram.program, "BallData");
  }
  const float ball[6] = {0.3f, 0, 1.0f, row.shine, 1.6f, 0};
  std::memcpy(ballData, ball, sizeof ball);

  body.Reset();
  g_manager.LoadModel(row.bodyModel, &body);
  neck2Bone = FindBone(body, "neck2");
  rightEyeBone = FindBone(body, "Reye");
  leftEyeBone = FindBone(body, "Leye");
  rootBone = FindBone(body, "root");
  neck1Bone = FindBone(body, "neck1");
  headBone = FindBone(body, "head");
  if (body.mesh && body.mesh->groupCount) {
    body.mesh->texName[0].format("%s", row.bodyTexture);
    body.mesh->groupTex[0] = 0;
  }
  body.SetMeshTex();
  g_manager.LoadModelTex(nullptr, static_cast<uint16_t>(body.slot));

  struct ClipLoad {
    const char* file;
    int* field;
    float speed;  // 0: the manager's default
  };
  const ClipLoad clips[kClipKinds] = {
      {row.standClip, &clipStand, 0},          {"bin\\hwalk.Anim", &clipWalk, 15},
      {"bin\\jump_air.Anim", &clipJumpAir, 0}, {"bin\\jump_airf.Anim", &clipJumpAirFast, 0},
      {"bin\\jump_land.Anim", &clipLand, 15},  {"bin\\run.Anim", &clipRun, 15},
      {"bin\\Rturn.Anim", &clipTurnRight, 0},  {"bin\\Lturn.Anim", &clipTurnLeft, 0},
      {"bin\\fly.Anim", &clipFly, 0},          {"bin\\ffly.Anim", &clipFlyFast, 20},
  };
  for (const ClipLoad& c : clips) {
    const bool loaded = g_manager.SetAnim(c.file, &body) != 0;
    *c.field = body.animCount - 1;
    // A failed load leaves the field on the previous clip, whose speed stays.
    if (loaded && c.speed > 0) body.anims[*c.field]->speed = c.speed;
  }
  SetClip(clipJumpAir);
  grounded = touched = false;

  if (body.mesh) body.mesh->BuildEdges();
  body.ComputeBounds();

  line.Clear();
  line.style = false;
  line.owner = &body;
  line.Load(LineReadPath(row.lineFile).c_str());

  for (int i = 0; i < 5; ++i)
    colors[i] = vec3(row.colors[i][0], row.colors[i][1], row.colors[i][2]) * 0.003921569f;

  // Without usable placements the strands pass through the body: say so.
  if (LoadSpheres("bin\\sph.col")) CheckSpheres("bin\\sph.col");
  trail.Init(&body, 20, 3);
  mode = kModeFollow;
  frame.setIdentity();

  // Start in the air somewhere over the middle of the map. The index joins
  // the seed: every set-up logs the same line just before, which re-seeds
  // the shared state, so characters set up within one millisecond would
  // otherwise start at one point and could never be separated.
  const uint32_t s = PlatformMillis() + g_randState + static_cast<uint32_t>(index);
  const uint32_t x1 = s * 16807u, x2 = x1 * 16807u, x3 = x2 * 16807u;
  g_randState = x3;
  const float r = g_map.radius;
  body.position = vec3(RandomToFloat(x3) * r * 0.4f, RandomToFloat(x2) * r * 0.4f,
                       (RandomToFloat(x1) + 0.6f) * 200.0f);
  body.UpdateMatrix();
  if (index == 3) line.style = true;
}

const char* CharacterLineFile(int index) {
  return kCharacters[index & 3].lineFile;
}

bool SPlayer::LoadSpheres(const char* name) {
  FILE* file = CoreOpen(name, "rb", true);
  if (!file) {
    Log(LOG_WARNING, "Can't load sph.col");
    return false;
  }
  // Reads are not stopped at an archive entry's end: the size bounds them.
  const int32_t size = CWsize(name, "rb", true);
  uint8_t head[4] = {};
  uint32_t listed = 0;
  if (size >= 4 && std::fread(head, 1, 4, file) == 4)
    listed =
        (head[0] | head[1] << 8 | head[2] << 16 | static_cast<uint32_t>(head[3]) << 24) & 0xFFFF;
  const int32_t room = size >= 4 ? (size - 4) / kRecordBytes : 0;
  uint32_t count = listed;
  if (count > static_cast<uint32_t>(room)) {
    Log(LOG_WARNING, "SPlayer::[%s] lists [%i] placements but holds [%i]", name,
        static_cast<int>(listed), static_cast<int>(room));
    count = static_cast<uint32_t>(room);
  }
  sphereCount = 0;
  if (!ResizeArray(spheres, count, "Player", 173, "SPlayer::Init")) count = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t record[kRecordBytes];
    if (std::fread(record, 1, kRecordBytes, file) != kRecordBytes) break;
    SpherePlacement& p = spheres[i];
    p.position = ReadVec3(record);
    p.rotation = ReadVec3(record + 12);
    p.scale = ReadVec3(record + 24);
    p.bone = static_cast<uint32_t>(record[36] | record[37] << 8) - 1u;
    sphereCount = static_cast<uint16_t>(i + 1);
  }
  std::fclose(file);
  Log(LOG_INFO, "Loaded sph.col");
  return true;
}

void SPlayer::CheckSpheres(const char* name) const {
  int unusable = 0;
  for (int i = 0; i < sphereCount; ++i) unusable += !SphereUsable(spheres[i]);
  if (sphereCount == 0) {
    Log(LOG_WARNING, "SPlayer::[%s] holds no placements", name);
  } else if (unusable > 0) {
    Log(LOG_WARNING, "SPlayer::[%s] [%i] of [%i] placements lie on no bone of the body or are flat",
        name, unusable, static_cast<int>(sphereCount));
  }
}

CAnim* SPlayer::Clip(int clip) const {
  if (clip < 0 || clip >= body.animCount || !body.anims) return nullptr;
  return body.anims[clip];
}

void SPlayer::SetClip(int clip) {
  if (Clip(clip)) body.curAnim = static_cast<uint16_t>(clip);
}

const char* SPlayer::ClipName() const {
  const int fields[kClipKinds] = {clipStand, clipWalk,   clipJumpAir,   clipJumpAirFast,
                                  clipLand,  clipRun,    clipTurnRight, clipTurnLeft,
                                  clipFly,   clipFlyFast};
  static const char* const kNames[kClipKinds] = {"Stand", "Walk",   "JumpAir",   "JumpAirFast",
                                                 "Land",  "Run",    "TurnRight", "TurnLeft",
                                                 "Fly",   "FlyFast"};
  if (body.curAnim >= body.animCount) return "";
  for (int i = 0; i < kClipKinds; ++i)
    if (InClip(fields[i])) return kNames[i];
  return "";
}

void CreateCharacters() {
  g_characterCount = 4;
  g_players = new (std::nothrow) SPlayer[4];
  if (!g_players) {
    LogGrowthFailure(4, sizeof(SPlayer), "Player", __LINE__, "CreateCharacters");
    g_characterCount = 0;
    return;
  }
  for (int i = 0; i < 4; ++i) g_players[i].Init(i);
  g_current = 3;
  g_players[3].mode = kModePlayer;
  RegisterPlayerTrace();
  AnnounceKeptStrands();
}

void ReleaseCharacters() {
  KeepUnsavedStrands();
  delete[] g_players;
  g_players = nullptr;
  g_characterCount = 0;
}
