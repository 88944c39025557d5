// `qhtool import FILE.gltf|FILE.glb --out DIR [--scale S] [--name NAME]`:
// a glTF 2.0 model and its animations as the program's files: the model
// "DIR/bin/NAME.Model", its textures "DIR/NAME_<k>.jpg" and one clip
// "DIR/bin/<animation>.Anim" per animation. DIR is a working directory of
// the program: loose files there win over the archive's entries.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "commands.h"
#include "geometry/em7.h"
#include "gltf_convention.h"
#include "gltf_import.h"
#include "storage/archive_writer.h"

namespace {
constexpr const char* kUsage = "FILE.gltf|FILE.glb --out DIR [--scale S] [--name NAME]";

// A file name made of letters, digits, '_', '-' and '.' only.
std::string FileSafe(const std::string& text, const std::string& fallback) {
  std::string s;
  for (char c : text)
    s += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' ? c : '_';
  return s.empty() || s[0] == '.' ? fallback : s;
}

// An image the loader can't decode leaves its material to its colour
// instead of failing the whole file.
bool LoadImageOrNot(tinygltf::Image* image, const int index, std::string* err, std::string* warn,
                    int width, int height, const unsigned char* bytes, int size, void* user) {
  std::string error;
  if (!tinygltf::LoadImageData(image, index, &error, warn, width, height, bytes, size, user) &&
      warn)
    *warn += error;
  return true;
}

// What a character body needs and this model lacks, each by name.
void ReportCharacterNeeds(const Mesh& mesh, const std::vector<std::string>& clipNames) {
  for (const char* bone : kCharacterBones) {
    bool found = false;
    for (int b = 0; b < mesh.boneCount; ++b)
      found = found || std::strcmp(mesh.boneName[b].c_str(), bone) == 0;
    if (!found) std::printf("missing bone %s (the characters look it up)\n", bone);
  }
  for (const char* clip : kBodyClips)
    if (std::find(clipNames.begin(), clipNames.end(), clip) == clipNames.end())
      std::printf("missing clip %s (a body plays bin\\%s.Anim)\n", clip, clip);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (WriteWholeFile(path, bytes)) return true;
  Fail("can't write %s", path.c_str());
  return false;
}

struct Imported {
  Mesh mesh;
  std::vector<ImportedTexture> textures;
  std::vector<CAnim> clips;
  std::vector<std::string> clipNames;
  Imported() { mesh.Init(); }
  ~Imported() {
    for (CAnim& clip : clips) clip.Clear();
    mesh.Clear();
  }
};

// Everything is built and checked before the first file is written.
bool Build(const tinygltf::Model& gltf, float scale, const std::string& name, Imported* out) {
  NodeTree tree;
  Skeleton skeleton;
  std::vector<std::string> notes;
  std::string why;
  if (!tree.Build(gltf, &why) || !skeleton.Build(gltf, tree, scale, &why) ||
      !BuildImportedMesh(gltf, tree, skeleton, name, &out->mesh, &out->textures, &notes, &why)) {
    Fail("%s", why.c_str());
    return false;
  }
  for (size_t a = 0; a < gltf.animations.size(); ++a) {
    std::string clipName = FileSafe(gltf.animations[a].name, "animation" + std::to_string(a));
    while (std::find(out->clipNames.begin(), out->clipNames.end(), clipName) !=
           out->clipNames.end())
      clipName += "_";
    if (skeleton.nodes.empty()) {
      notes.push_back("animation " + clipName + " is left out: the model has no bones");
      continue;
    }
    out->clips.emplace_back();
    if (!BuildImportedClip(tree, skeleton, static_cast<int>(a), &out->clips.back(), &why)) {
      Fail("animation %s: %s", clipName.c_str(), why.c_str());
      return false;
    }
    out->clipNames.push_back(clipName);
  }
  for (const std::string& note : notes) std::fprintf(stderr, "qhtool: note: %s\n", note.c_str());
  return true;
}

int Import(int argc, char** argv) {
  const char* input = nullptr;
  const char* dir = nullptr;
  const char* nameArg = nullptr;
  float scale = 1;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 && !input) {
      input = argv[i];
    } else if (i + 1 < argc && arg == "--out") {
      dir = argv[++i];
    } else if (i + 1 < argc && arg == "--scale") {
      scale = static_cast<float>(std::atof(argv[++i]));
    } else if (i + 1 < argc && arg == "--name") {
      nameArg = argv[++i];
    } else {
      return Fail("usage: qhtool import %s", kUsage);
    }
  }
  if (!input || !dir || !(scale > 0) || !std::isfinite(scale))
    return Fail("usage: qhtool import %s", kUsage);
  const std::filesystem::path path(input);
  const std::string name = FileSafe(nameArg ? nameArg : path.stem().string(), "model");

  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(LoadImageOrNot, nullptr);
  tinygltf::Model gltf;
  std::string error, warning;
  const bool binary = path.extension() == ".glb";
  const bool loaded = binary ? loader.LoadBinaryFromFile(&gltf, &error, &warning, input)
                             : loader.LoadASCIIFromFile(&gltf, &error, &warning, input);
  if (!warning.empty()) std::fprintf(stderr, "qhtool: note: %s\n", warning.c_str());
  if (!loaded) return Fail("%s: %s", input, error.c_str());

  Imported imported;
  if (!Build(gltf, scale, name, &imported)) return 1;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(dir) / "bin", ec);
  const std::string root = std::string(dir) + "/";
  const std::string model = root + "bin/" + name + ".Model";
  if (!SaveEM7(imported.mesh, model.c_str())) return Fail("can't write %s", model.c_str());
  const Mesh& mesh = imported.mesh;
  std::printf("%s: %u vertices, %u triangles, %u bones, %u textures\n", model.c_str(),
              mesh.vertCount, mesh.triCount, mesh.boneCount, mesh.groupCount);
  for (const ImportedTexture& t : imported.textures) {
    if (!WriteFile(root + t.file, t.jpeg)) return 1;
    std::printf("%s%s\n", root.c_str(), t.file.c_str());
  }
  for (size_t c = 0; c < imported.clips.size(); ++c) {
    const std::string clip = root + "bin/" + imported.clipNames[c] + ".Anim";
    if (!SaveClip(imported.clips[c], clip.c_str())) return Fail("can't write %s", clip.c_str());
    std::printf("%s: %u frames\n", clip.c_str(), imported.clips[c].frames);
  }
  if (mesh.boneCount) ReportCharacterNeeds(mesh, imported.clipNames);
  return 0;
}

CommandRegistration g_import("import", kUsage, Import);
}  // namespace
