#include "support/test_character.h"

#include <cstring>
#include <string>

#include "core/growth.h"
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
}  // namespace

void BuildTestBody(Mesh& mesh) {
  mesh.GenBox(0, 0, 0);
  mesh.resizeB(6, true);
  for (int b = 0; b < 6; ++b) {
    mesh.boneName[b].assign(kBones[b].name);
    mesh.boneParent[b] = kBones[b].parent;
    mesh.bonePos[b] = kBones[b].pos;
    mesh.boneRot[b] = kBones[b].rot;
  }
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    const vec3 p = mesh.pos[v];
    mesh.pos[v] = vec3(p.x * 2 - 1, p.y * 1.5f - 0.75f, p.z * 4);
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
    b.U16(bone == 0 ? 2 : 0);  // the root bobs on two position keys
    if (bone == 0) {
      b.U32(1).U8(0).F32(0).F32(0).F32(0);
      b.U32(frames / 2).U8(0).F32(0).F32(0).F32(0.2f);
    }
    b.U16(0).U16(0);  // rotation and scale keys
  }
  return b.bytes;
}

TestCrew::TestCrew(int characters) : count(characters) {
  mesh.Init();
  BuildTestBody(mesh);
  const std::vector<uint8_t> file = TestClipFile(10);
  char reason[128];
  for (int i = 0; i < count; ++i) {
    SPlayer& p = players[i];
    p.body.Reset();
    p.body.Assign(&mesh);
    ResizeArray(p.body.anims, kClipKinds, "test", __LINE__, "TestCrew");
    for (int c = 0; c < kClipKinds; ++c) {
      ParseClip(file.data(), file.size(), clips[i][c], reason, sizeof reason);
      p.body.anims[c] = &clips[i][c];
    }
    p.body.animCount = kClipKinds;
    p.index = i;
    p.clipStand = 0, p.clipWalk = 1, p.clipJumpAir = 2, p.clipJumpAirFast = 3, p.clipLand = 4;
    p.clipRun = 5, p.clipTurnRight = 6, p.clipTurnLeft = 7, p.clipFly = 8, p.clipFlyFast = 9;
    p.rootBone = 0, p.neck1Bone = 1, p.neck2Bone = 2, p.headBone = 3;  // as in kBones
    p.rightEyeBone = 4, p.leftEyeBone = 5;
    p.SetClip(p.clipJumpAir);
    p.body.UpdateMatrix();
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
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    const vec3 p = mesh.pos[v], size = high - low;
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
