#include "support/test_character.h"

#include <cstdio>
#include <cstring>

#include "core/growth.h"
#include "core/timer.h"
#include "environment/terrain.h"
#include "game/update.h"
#include "geometry/em7.h"
#include "shell/input.h"
#include "support/byte_builder.h"

namespace {
struct BoneSpec {
  const char* name;
  int parent;
  vec3 pos, rot;
};

// The neck sits pitched 72 degrees and the head 5 degrees from the body's
// axes, the angles the look-at takes as its rest pose.
const BoneSpec kBones[6] = {
    {"root", -1, vec3(0, 0, 2), vec3()},
    {"neck1", 0, vec3(0.6f, 0, 1.0f), vec3(0, -1.2566371f, 0)},
    {"neck2", 1, vec3(0, 0, 0.5f), vec3()},
    {"head", 2, vec3(0, 0, 0.5f), vec3(0, 1.2566371f - 0.08726647f, 0)},
    {"Reye", 3, vec3(0.4f, -0.3f, 0.2f), vec3()},
    {"Leye", 3, vec3(0.4f, 0.3f, 0.2f), vec3()},
};

const char* const kClipFiles[11] = {
    "bin\\stand.Anim",     "bin\\stand_s.Anim",   "bin\\hwalk.Anim", "bin\\jump_air.Anim",
    "bin\\jump_airf.Anim", "bin\\jump_land.Anim", "bin\\run.Anim",   "bin\\Rturn.Anim",
    "bin\\Lturn.Anim",     "bin\\fly.Anim",       "bin\\ffly.Anim"};

const char kEyeVertex[] =
    "uniform mat4 ModelViewInverse;\n"
    "varying vec3 normal;\n"
    "void main() {\n"
    "  normal = normalize((vec4(gl_Normal, 0.0) * ModelViewInverse).xyz);\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "  gl_Position = ftransform();\n"
    "}\n";
const char kEyeFragment[] =
    "uniform vec4 BallData;\n"
    "varying vec3 normal;\n"
    "void main() {\n"
    "  gl_FragColor = vec4(vec3(BallData.y * max(normal.z, 0.2)), 1.0);\n"
    "}\n";

bool AddFile(const std::string& scratch, const char* name, std::vector<ArchiveEntry>* out) {
  ArchiveEntry e;
  e.name = name;
  const bool ok = ReadWholeFile(scratch, &e.data);
  std::remove(scratch.c_str());
  if (ok) out->push_back(std::move(e));
  return ok;
}

void AddText(const char* name, const char* text, std::vector<ArchiveEntry>* out) {
  ArchiveEntry e;
  e.name = name;
  e.data.assign(text, text + std::string(text).size());
  out->push_back(std::move(e));
}

std::vector<uint8_t> SphereFile() {
  ByteBuilder b;
  b.U32(2);
  for (int i = 0; i < 2; ++i) {
    b.F32(0).F32(0).F32(0.5f * i);      // position
    b.F32(0).F32(0).F32(0);             // rotation
    b.F32(1).F32(0.75f).F32(1.0f + i);  // radii
    b.U16(i == 0 ? 1 : 4);              // root, head (plus one)
  }
  return b.bytes;
}
}  // namespace

void BuildTestBody(Mesh& mesh) {
  mesh.GenBox(0, 0, 0);
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    const vec3& p = mesh.pos[v];
    mesh.pos[v] = vec3(p.x * 2 - 1, p.y * 1.5f - 0.75f, p.z * 4);
  }
  mesh.resizeB(6, true);
  for (int b = 0; b < 6; ++b) {
    mesh.boneName[b].assign(kBones[b].name);
    mesh.boneParent[b] = kBones[b].parent;
    mesh.bonePos[b] = kBones[b].pos;
    mesh.boneRot[b] = kBones[b].rot;
  }
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    ResizeArray(mesh.boneIdx[v], 1, "test", __LINE__, "BuildTestBody");
    ResizeArray(mesh.weights[v], 1, "test", __LINE__, "BuildTestBody");
    mesh.weightCount[v] = 1;
    mesh.boneIdx[v][0] = mesh.pos[v].z > 3 ? 3 : 0;
    mesh.weights[v][0] = 1;
  }
}

std::vector<uint8_t> TestClipFile(uint32_t frames) {
  ByteBuilder b;
  b.Text("A2").U32(frames).U8(6);
  for (int bone = 0; bone < 6; ++bone) {
    const std::string name = kBones[bone].name;
    b.U8(static_cast<uint32_t>(name.size() + 1)).Raw(name.c_str(), name.size() + 1);
    if (bone == 0) {  // two position keys: the root bobs
      b.U16(2);
      b.U32(1).U8(0).F32(0).F32(0).F32(0);
      b.U32(frames / 2).U8(0).F32(0).F32(0).F32(0.2f);
    } else {
      b.U16(0);
    }
    b.U16(0).U16(0);  // rotation and scale keys
  }
  return b.bytes;
}

bool AddTestCharacters(std::vector<ArchiveEntry>* entries, const std::string& scratch) {
  for (const char* name : {"bin\\pegasus.Model", "bin\\earthling.Model"}) {
    Mesh body;
    body.Init();
    BuildTestBody(body);
    const bool saved = SaveEM7(body, scratch.c_str());
    body.Clear();
    if (!saved || !AddFile(scratch, name, entries)) return false;
  }
  for (const char* name : kClipFiles) entries->push_back({name, TestClipFile(10)});
  AddText("eye.vs", kEyeVertex, entries);
  AddText("eye.ps", kEyeFragment, entries);
  entries->push_back({"bin\\sph.col", SphereFile()});
  return true;
}

TestCrew::TestCrew(int characters) : count(characters) {
  mesh.Init();
  BuildTestBody(mesh);
  const std::vector<uint8_t> file = TestClipFile(10);
  char reason[128];
  for (int i = 0; i < count; ++i) {
    SPlayer& player = players[i];
    Model& body = player.body;
    body.Reset();
    body.Assign(&mesh);
    ResizeArray(body.anims, kClipKinds, "test", __LINE__, "TestCrew");
    for (int c = 0; c < kClipKinds; ++c) {
      ParseClip(file.data(), file.size(), clips[i][c], reason, sizeof reason);
      body.anims[c] = &clips[i][c];
    }
    body.animCount = kClipKinds;
    int* fields[kClipKinds] = {&player.clipStand,       &player.clipWalk,     &player.clipJumpAir,
                               &player.clipJumpAirFast, &player.clipLand,     &player.clipRun,
                               &player.clipTurnRight,   &player.clipTurnLeft, &player.clipFly,
                               &player.clipFlyFast};
    for (int c = 0; c < kClipKinds; ++c) *fields[c] = c;
    player.index = i;
    player.rootBone = FindBone(body, "root");
    player.neck1Bone = FindBone(body, "neck1");
    player.neck2Bone = FindBone(body, "neck2");
    player.headBone = FindBone(body, "head");
    player.rightEyeBone = FindBone(body, "Reye");
    player.leftEyeBone = FindBone(body, "Leye");
    player.SetClip(player.clipJumpAir);
    body.UpdateMatrix();
  }
  g_players = players;
  g_characterCount = static_cast<uint8_t>(count);
  g_current = static_cast<uint8_t>(count - 1);
  players[count - 1].mode = kModePlayer;
}

TestCrew::~TestCrew() {
  for (SPlayer& p : players) p.body.Release();
  for (auto& set : clips)
    for (CAnim& c : set) c.Clear();
  mesh.Clear();
  g_players = nullptr;
  g_characterCount = 0;
}

TestBox::TestBox(const vec3& low, const vec3& high) {
  mesh.Init();
  mesh.GenBox(0, 0, 0);
  const vec3 size = high - low;
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    const vec3& p = mesh.pos[v];
    mesh.pos[v] = vec3(low.x + p.x * size.x, low.y + p.y * size.y, low.z + p.z * size.z);
  }
  model.Reset();
  model.Assign(&mesh);
}

TestBox::~TestBox() {
  model.Release();
  mesh.Clear();
}

void ResetInput() {
  std::memset(g_keys, 0, sizeof g_keys);
  std::memset(g_keysPrev, 0, sizeof g_keysPrev);
  g_mouseLeft = g_mouseRight = g_mouseLeftPrev = g_mouseRightPrev = false;
  g_wheel = 0;
}

void CharacterTest::Clean() {
  ResetInput();
  g_timer.frameTime = kDt;
  g_view = vec3();
  g_trees = nullptr;
  g_treeCount = 0;
}
