#include "support/small_world.h"

#include <cstdio>
#include <vector>

#include "geometry/em7.h"
#include "geometry/mesh.h"
#include "storage/archive_writer.h"
#include "support/test_character.h"
#include "support/test_support.h"

namespace {
// A flat n x n grid of unit cells around the origin at height 0, facing up.
void FlatGrid(Mesh& m, int n) {
  m.Init();
  const int w = n + 1;
  m.resizeV(static_cast<uint32_t>(w * w), true);
  for (int y = 0; y < w; ++y)
    for (int x = 0; x < w; ++x) {
      const int i = y * w + x;
      m.pos[i] = vec3(x - n * 0.5f, y - n * 0.5f, 0);
      m.uv[2 * i] = static_cast<float>(x);
      m.uv[2 * i + 1] = static_cast<float>(y);
    }
  m.resizeF(static_cast<uint32_t>(2 * n * n), true);
  uint32_t t = 0;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const uint32_t a = static_cast<uint32_t>(y * w + x), b = a + 1, c = a + w, d = c + 1;
      const uint32_t tris[6] = {a, c, b, b, c, d};  // clockwise from above: facing up
      for (int k = 0; k < 6; ++k) m.tris[3 * t + k] = tris[k];
      t += 2;
    }
  m.resizeT(1, true);
  m.texName[0].assign("grass.jpg");
  m.groupTex[0] = 0;
  m.groupTris[0] = m.triCount;
}

bool Save(Mesh& m, const char* file, const char* entry, std::vector<ArchiveEntry>* out) {
  const bool ok = SaveEM7(m, file);
  m.Clear();
  ArchiveEntry e;
  e.name = entry;
  if (!ok || !ReadWholeFile(file, &e.data)) return false;
  std::remove(file);
  out->push_back(std::move(e));
  return true;
}
}  // namespace

bool WriteSmallWorld(const std::string& path) {
  std::vector<ArchiveEntry> entries;
  const std::string scratch = path + ".part";
  Mesh map;
  FlatGrid(map, 10);
  if (!Save(map, scratch.c_str(), "bin\\map2.Model", &entries)) return false;

  Mesh markers;
  FlatGrid(markers, 1);  // four corners, ten units up once scaled
  for (uint32_t i = 0; i < markers.vertCount; ++i)
    markers.pos[i] = markers.pos[i] * 6 + vec3(0, 0, 1);
  if (!Save(markers, scratch.c_str(), "bin\\tree_map.Model", &entries)) return false;

  Mesh tree;
  tree.Init();
  tree.GenBox(0, 0, 0);
  tree.Scale(2, 2, 10);
  tree.texName[0].assign("bark.jpg");
  if (!Save(tree, scratch.c_str(), "bin\\tree.Model", &entries)) return false;

  // The program's own sky shaders: start-up can't go on without them.
  for (const char* name : {"sky.vs", "sky.ps"}) {
    ArchiveEntry e;
    e.name = name;
    if (!ReadWholeFile(std::string(QH_SOURCE_DIR "/tools/content/shaders/") + name, &e.data))
      return false;
    entries.push_back(std::move(e));
  }
  if (!AddTestCharacters(&entries, scratch)) return false;
  // Short jump sounds (the audio layer takes WAV data whatever the name says).
  for (const char* name :
       {"snd\\kt_jump.mp3", "snd\\mv_jump.mp3", "snd\\wn_jump.mp3", "snd\\zl_jump.mp3"})
    entries.push_back({name, TestWav(0.5f)});
  return WriteWholeFile(path, BuildArchive(entries));
}

int RunProgramHere(int frames, const std::string& extra, std::string* output) {
  const std::string command =
      "SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 " + BinaryPath("quietharbour") +
      " --windowed --size 320x240 --fixed-dt 0.02 --script input.script --trace t.jsonl --frames " +
      std::to_string(frames) + " " + extra + " 2>&1";
  return RunCommand(command, output);
}
