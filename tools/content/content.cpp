#include "content.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "audio.h"
#include "bodies.h"
#include "characters.h"
#include "clips.h"
#include "geometry/em7.h"
#include "land_textures.h"
#include "rig.h"
#include "strands.h"
#include "textures.h"
#include "tree.h"
#include "world.h"

const char* const kMusicFile = "harbour_theme.mp3";

namespace {
struct Builder {
  const std::string& scratch;
  std::vector<ArchiveEntry>* entries;
  std::string* error;

  bool Fail(const std::string& what) {
    *error = what;
    return false;
  }
  void Add(const std::string& name, std::vector<uint8_t> data) {
    entries->push_back({name, std::move(data)});
  }
  // Writes through `save` to the scratch file and takes its bytes.
  template <class Save>
  bool AddSaved(const std::string& name, Save save) {
    ArchiveEntry e{name, {}};
    const bool ok = save(scratch.c_str()) && ReadWholeFile(scratch, &e.data);
    std::remove(scratch.c_str());
    if (!ok) return Fail("can't build " + name);
    entries->push_back(std::move(e));
    return true;
  }
  bool AddModel(const std::string& name, const MeshBuild& build, int bones) {
    Mesh mesh;
    mesh.Init();
    const bool built = ToMesh(build, bones, mesh);
    const bool ok = built && AddSaved(name, [&](const char* path) { return SaveEM7(mesh, path); });
    mesh.Clear();
    return ok || Fail("can't build " + name);
  }
  bool AddJpeg(const std::string& name, const Picture& picture) {
    std::vector<uint8_t> data = EncodeBaselineJpeg(picture, 90);
    if (data.empty()) return Fail("can't encode " + name);
    Add(name, std::move(data));
    return true;
  }
  bool AddMp3(const std::string& name, const std::vector<float>& samples) {
    std::vector<uint8_t> data = EncodeMp3(samples, 96);
    if (data.empty()) return Fail("can't encode " + name);
    Add(name, std::move(data));
    return true;
  }
};

std::string Lower(const char* code) {
  std::string s = code;
  std::transform(s.begin(), s.end(), s.begin(),
                 [](char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}
}  // namespace

bool BuildContent(const std::string& scratch, const std::string& shaderDir,
                  std::vector<ArchiveEntry>* entries, std::vector<uint8_t>* music,
                  std::string* error) {
  Builder b{scratch, entries, error};
  entries->clear();

  const World world = BuildWorld();
  if (!b.AddModel("bin\\map2.Model", world.map, 0) ||
      !b.AddModel("bin\\tree_map.Model", world.markers, 0) ||
      !b.AddModel("bin\\tree.Model", BuildTree(), 0))
    return false;
  MeshBuild ground, winged;
  BuildBodies(std::string(Character(2).code) + ".jpg", std::string(Character(0).code) + ".jpg",
              &ground, &winged);
  if (!b.AddModel("bin\\pegasus.Model", winged, kWingedBones) ||
      !b.AddModel("bin\\earthling.Model", ground, kGroundBones))
    return false;

  for (const ClipSpec& def : ClipSpecs()) {
    CAnim clip;
    const bool built = BuildClip(def, &clip);
    const bool ok =
        built && b.AddSaved(def.file, [&](const char* path) { return SaveClip(clip, path); });
    clip.Clear();
    if (!ok) return b.Fail(std::string("can't build ") + def.file);
  }

  for (int i = 0; i < kCharacterCount; ++i) {
    const CharacterLook& look = Character(i);
    const std::string lower = Lower(look.code);
    if (!b.AddJpeg(std::string(look.code) + ".jpg", BodyTexture(look)) ||
        !b.AddJpeg("eye_" + lower + ".jpg", EyeTexture(look)) ||
        !b.AddJpeg("eyel_" + lower + ".jpg", LidTexture(look)) ||
        !b.AddJpeg(lower + "_trail.jpg", TrailTexture(look)))
      return false;
  }
  if (!b.AddJpeg("grass.jpg", GrassTexture()) || !b.AddJpeg("earth.jpg", EarthTexture()) ||
      !b.AddJpeg("rock.jpg", RockTexture()) || !b.AddJpeg("sand.jpg", SandTexture()) ||
      !b.AddJpeg("bark.jpg", BarkTexture()) || !b.AddJpeg("leaves.jpg", LeavesTexture()))
    return false;

  b.Add("bin\\sph.col", EncodeSphereCol(BuildCollisionShapes()));
  for (int i = 0; i < kCharacterCount; ++i)
    b.Add(std::string(Character(i).code) + ".Line", EncodeLine(BuildStrands(i)));

  for (int i : {3, 2, 1, 0})
    if (!b.AddMp3("snd\\" + Lower(Character(i).code) + "_jump.mp3", JumpSound(i))) return false;

  // Every shader source in the folder, in name order.
  std::vector<std::string> shaders;
  std::error_code ec;
  for (const auto& file : std::filesystem::directory_iterator(shaderDir, ec))
    if (file.is_regular_file()) shaders.push_back(file.path().filename().string());
  if (ec) return b.Fail("can't list " + shaderDir);
  std::sort(shaders.begin(), shaders.end());
  for (const std::string& name : shaders) {
    std::vector<uint8_t> text;
    if (!ReadWholeFile(shaderDir + "/" + name, &text)) return b.Fail("can't read " + name);
    b.Add(name, std::move(text));
  }

  *music = EncodeMp3(MusicLoop(), 112);
  if (music->empty()) return b.Fail("can't encode the music");
  return true;
}
