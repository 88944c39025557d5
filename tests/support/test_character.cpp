#include "support/test_character.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/growth.h"
#include "geometry/em7.h"
#include "storage/archive_writer.h"
#include "support/byte_builder.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
// The neck sits pitched 72 degrees and the head 5 degrees from the body's
// axes, the angles the look-at takes as its rest pose.
const struct {
  const char* name;
  int parent;
  vec3 pos, rot;
} kBones[6] = {
    {"root", -1, vec3(0, 0, 2), vec3()},
    {"neck1", 0, vec3(0.6f, 0, 1.0f), vec3(0, -1.2566371f, 0)},
    {"neck2", 1, vec3(0, 0, 0.5f), vec3()},
    {"head", 2, vec3(0, 0, 0.5f), vec3(0, 1.2566371f - 0.08726647f, 0)},
    {"Reye", 3, vec3(0.4f, -0.3f, 0.2f), vec3()},
    {"Leye", 3, vec3(0.4f, 0.3f, 0.2f), vec3()},
};

// Fills an empty mesh with a box body 2 long (x), 1.5 wide, 4 tall, feet at the
// origin, the bones above, the upper quarter on "head", the rest on "root".
void BuildTestBody(Mesh& mesh) {
  mesh.GenBox(0, 0, 0);
  mesh.resizeB(6, true);
  for (int b = 0; b < 6; ++b) {
    mesh.boneName[b].assign(kBones[b].name), mesh.boneParent[b] = kBones[b].parent;
    mesh.bonePos[b] = kBones[b].pos, mesh.boneRot[b] = kBones[b].rot;
  }
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    const vec3 p = mesh.pos[v];
    mesh.pos[v] = vec3(p.x * 2 - 1, p.y * 1.5f - 0.75f, p.z * 4);
    ResizeArray(mesh.boneIdx[v], 1, "test", __LINE__, "BuildTestBody");
    ResizeArray(mesh.weights[v], 1, "test", __LINE__, "BuildTestBody");
    mesh.weightCount[v] = 1, mesh.weights[v][0] = 1;
    mesh.boneIdx[v][0] = mesh.pos[v].z > 3 ? 3 : 0;
  }
}

// A clip file (version 2) of `frames` frames over those bones.
std::vector<uint8_t> TestClipFile(uint32_t frames) {
  ByteBuilder b;
  b.Text("A2").U32(frames).U8(6);
  for (int bone = 0; bone < 6; ++bone) {
    const std::string name = kBones[bone].name;
    b.U8(static_cast<uint32_t>(name.size() + 1)).Raw(name.c_str(), name.size() + 1);
    b.U16(bone == 0 ? 2 : 0);  // the root bobs on two position keys
    if (bone == 0)
      b.U32(1).U8(0).F32(0).F32(0).F32(0).U32(frames / 2).U8(0).F32(0).F32(0).F32(0.2f);
    b.U16(0).U16(0);  // rotation and scale keys
  }
  return b.bytes;
}

// A flat n x n grid of unit cells around the origin at height 0, facing up.
void FlatGrid(Mesh& m, int n) {
  m.Init();
  const int w = n + 1;
  m.resizeV(static_cast<uint32_t>(w * w), true);
  for (int i = 0; i < w * w; ++i) {
    m.pos[i] = vec3(i % w - n * 0.5f, i / w - n * 0.5f, 0);
    m.uv[2 * i] = static_cast<float>(i % w), m.uv[2 * i + 1] = static_cast<float>(i / w);
  }
  m.resizeF(static_cast<uint32_t>(2 * n * n), true);
  for (int c = 0; c < n * n; ++c) {  // clockwise from above: facing up
    const uint32_t a = static_cast<uint32_t>(c / n * w + c % n), b = a + 1, d = a + w;
    const uint32_t tris[6] = {a, d, b, b, d, d + 1};
    std::copy(tris, tris + 6, m.tris + 6 * c);
  }
  m.resizeT(1, true);
  m.texName[0].assign("grass.jpg");
  m.groupTex[0] = 0, m.groupTris[0] = m.triCount;
}

// Saves the mesh as a model file and adds it to `out` as `entry`.
bool Save(Mesh& m, const std::string& file, const char* entry, std::vector<ArchiveEntry>* out) {
  const bool ok = SaveEM7(m, file.c_str());
  m.Clear();
  out->push_back({entry, {}});
  return ok && ReadWholeFile(file, &out->back().data) && std::remove(file.c_str()) == 0;
}
}  // namespace

bool WriteSmallWorld(const std::string& path) {
  std::vector<ArchiveEntry> entries;
  const std::string scratch = path + ".part";
  Mesh map, markers, tree;
  FlatGrid(map, 10);
  FlatGrid(markers, 1);  // four corners, ten units up once scaled
  for (uint32_t i = 0; i < markers.vertCount; ++i)
    markers.pos[i] = markers.pos[i] * 6 + vec3(0, 0, 1);
  tree.Init(), tree.GenBox(0, 0, 0), tree.Scale(2, 2, 10);
  tree.texName[0].assign("bark.jpg");
  if (!Save(map, scratch, "bin\\map2.Model", &entries) ||
      !Save(markers, scratch, "bin\\tree_map.Model", &entries) ||
      !Save(tree, scratch, "bin\\tree.Model", &entries))
    return false;
  // The program's own shaders: start-up can't go on without them.
  for (const char* name : {"sky.vs", "sky.ps", "eye.vs", "eye.ps"}) {
    entries.push_back({name, {}});
    if (!ReadWholeFile(std::string(QH_SOURCE_DIR "/tools/content/shaders/") + name,
                       &entries.back().data))
      return false;
  }
  // The characters: both bodies, the eleven clips, and "bin\sph.col" with
  // two placements (position, rotation, radii, bone + 1: the root, the head).
  for (const char* name : {"bin\\pegasus.Model", "bin\\earthling.Model"}) {
    Mesh body;
    body.Init(), BuildTestBody(body);
    if (!Save(body, scratch, name, &entries)) return false;
  }
  for (const char* clip : {"stand", "stand_s", "hwalk", "jump_air", "jump_airf", "jump_land", "run",
                           "Rturn", "Lturn", "fly", "ffly"})
    entries.push_back({std::string("bin\\") + clip + ".Anim", TestClipFile(10)});
  ByteBuilder b;
  b.U32(2).F32(0).F32(0).F32(0).F32(0).F32(0).F32(0).F32(1).F32(0.75f).F32(1).U16(1);
  b.F32(0).F32(0).F32(0.5f).F32(0).F32(0).F32(0).F32(1).F32(0.75f).F32(2).U16(4);
  entries.push_back({"bin\\sph.col", b.bytes});
  // Short jump sounds (the audio layer takes WAV data whatever the name says).
  for (const char* who : {"kt", "mv", "wn", "zl"})
    entries.push_back({std::string("snd\\") + who + "_jump.mp3", TestWav(0.5f)});
  return WriteWholeFile(path, BuildArchive(entries));
}

TestCrew::TestCrew(int characters) : count(characters) {
  mesh.Init();
  BuildTestBody(mesh);
  const std::vector<uint8_t> file = TestClipFile(10);
  char reason[128];
  for (int i = 0; i < count; ++i) {
    SPlayer& p = players[i];
    p.body.Reset(), p.body.Assign(&mesh);
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
  g_players = players, g_characterCount = static_cast<uint8_t>(count);
  g_current = static_cast<uint8_t>(count - 1);
  players[count - 1].mode = kModePlayer;
}

TestCrew::~TestCrew() {
  for (SPlayer& p : players) p.body.Release();
  for (auto& set : clips)
    for (CAnim& c : set) c.Clear();
  mesh.Clear();
  g_players = nullptr, g_characterCount = 0;
}

TestBox::TestBox(const vec3& low, const vec3& high) {
  mesh.Init();
  mesh.GenBox(0, 0, 0);
  const vec3 size = high - low;
  for (uint32_t v = 0; v < mesh.vertCount; ++v)
    for (int k = 0; k < 3; ++k) mesh.pos[v][k] = low[k] + mesh.pos[v][k] * size[k];
  model.Reset(), model.Assign(&mesh);
}

void ResetInput() {
  std::memset(g_keys, 0, sizeof g_keys), std::memset(g_keysPrev, 0, sizeof g_keysPrev);
  g_mouseLeft = g_mouseRight = g_mouseLeftPrev = g_mouseRightPrev = false;
  g_wheel = 0;
}
