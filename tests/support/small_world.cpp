#include "support/small_world.h"

#include <cstdio>
#include <vector>

#include "geometry/em7.h"
#include "geometry/mesh.h"
#include "storage/archive_writer.h"
#include "support/byte_builder.h"
#include "support/test_character.h"
#include "support/test_support.h"

namespace {
// A flat n x n grid of unit cells around the origin at height 0, facing up.
void FlatGrid(Mesh& m, int n) {
  m.Init();
  const int w = n + 1;
  m.resizeV(static_cast<uint32_t>(w * w), true);
  for (int i = 0; i < w * w; ++i) {
    m.pos[i] = vec3(i % w - n * 0.5f, i / w - n * 0.5f, 0);
    m.uv[2 * i] = static_cast<float>(i % w);
    m.uv[2 * i + 1] = static_cast<float>(i / w);
  }
  m.resizeF(static_cast<uint32_t>(2 * n * n), true);
  uint32_t* t = m.tris;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x, t += 6) {
      const uint32_t a = static_cast<uint32_t>(y * w + x), b = a + 1, c = a + w, d = c + 1;
      const uint32_t tris[6] = {a, c, b, b, c, d};  // clockwise from above: facing up
      std::copy(tris, tris + 6, t);
    }
  m.resizeT(1, true);
  m.texName[0].assign("grass.jpg");
  m.groupTex[0] = 0;
  m.groupTris[0] = m.triCount;
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
  tree.Init();
  tree.GenBox(0, 0, 0);
  tree.Scale(2, 2, 10);
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
    body.Init();
    BuildTestBody(body);
    if (!Save(body, scratch, name, &entries)) return false;
  }
  for (const char* name :
       {"bin\\stand.Anim", "bin\\stand_s.Anim", "bin\\hwalk.Anim", "bin\\jump_air.Anim",
        "bin\\jump_airf.Anim", "bin\\jump_land.Anim", "bin\\run.Anim", "bin\\Rturn.Anim",
        "bin\\Lturn.Anim", "bin\\fly.Anim", "bin\\ffly.Anim"})
    entries.push_back({name, TestClipFile(10)});
  ByteBuilder b;
  b.U32(2);
  for (int i = 0; i < 2; ++i)
    b.F32(0).F32(0).F32(0.5f * i).F32(0).F32(0).F32(0).F32(1).F32(0.75f).F32(1.0f + i).U16(1 +
                                                                                           3 * i);
  entries.push_back({"bin\\sph.col", b.bytes});
  // Short jump sounds (the audio layer takes WAV data whatever the name says).
  for (const char* name :
       {"snd\\kt_jump.mp3", "snd\\mv_jump.mp3", "snd\\wn_jump.mp3", "snd\\zl_jump.mp3"})
    entries.push_back({name, TestWav(0.5f)});
  return WriteWholeFile(path, BuildArchive(entries));
}
