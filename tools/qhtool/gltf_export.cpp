// `qhtool export MODEL [--clip CLIP ...] [--archive FILE] --out FILE.glb`:
// a model with its skeleton, skin weights and textures, and any number of
// clips, as one binary glTF 2.0 file (conventions in gltf_convention.h).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "core/log.h"
#include "geometry/em7.h"
#include "gltf_convention.h"
#include "gltf_export.h"
#include "image/png_writer.h"
#include "image_files.h"
#include "lookup.h"
#include "storage/core.h"

namespace {
constexpr const char* kUsage = "MODEL [--clip CLIP ...] [--archive FILE] --out FILE.glb";

// "bin\\hwalk.Anim" -> "hwalk".
std::string Stem(const char* name) {
  std::string s = name;
  const size_t slash = s.find_last_of("\\/");
  if (slash != std::string::npos) s.erase(0, slash + 1);
  const size_t dot = s.rfind('.');
  return dot == std::string::npos || dot == 0 ? s : s.substr(0, dot);
}

// The texture's image as glTF carries it: a JPEG as it is, a TGA (loose, as
// the program reads it) as PNG. Empty when it can't be read.
int AddImage(GlbBuilder& glb, const char* name) {
  std::vector<uint8_t> bytes;
  std::string mime = "image/jpeg";
  if (LooksLikeTga(name)) {
    char path[4096], reason[256];
    CoreLoosePath(name, path, sizeof path);
    DecodedPicture picture;
    if (!DecodePicture(path, picture, reason, sizeof reason) ||
        !EncodePng(picture.width, picture.height, picture.components, picture.pixels.data(),
                   picture.width * picture.components, &bytes))
      bytes.clear();
    mime = "image/png";
  } else if (!ReadNamedFile(name, &bytes) || !LooksLikeJpeg(bytes.data(), bytes.size())) {
    bytes.clear();
  }
  if (bytes.empty()) return -1;
  tinygltf::Image image;
  image.name = name;
  image.mimeType = mime;
  image.bufferView = glb.AddView(bytes.data(), bytes.size(), 0);
  glb.model.images.push_back(image);
  return static_cast<int>(glb.model.images.size()) - 1;
}

// One material per texture name, textured when its image can be read.
void AddMaterials(GlbBuilder& glb, const Mesh& mesh) {
  glb.model.samplers.emplace_back();
  glb.model.samplers[0].magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
  glb.model.samplers[0].minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
  for (uint16_t t = 0; t < mesh.groupCount; ++t) {
    const char* name = mesh.texName[t].c_str();
    tinygltf::Material material;
    material.name = name;
    material.pbrMetallicRoughness.metallicFactor = 0;
    const int image = AddImage(glb, name);
    if (image >= 0) {
      tinygltf::Texture texture;
      texture.sampler = 0;
      texture.source = image;
      glb.model.textures.push_back(texture);
      material.pbrMetallicRoughness.baseColorTexture.index =
          static_cast<int>(glb.model.textures.size()) - 1;
    } else {
      std::fprintf(stderr, "qhtool: note: texture %s can't be read: its material is plain\n", name);
    }
    glb.model.materials.push_back(material);
  }
}

// Influence slots `set * 4 .. set * 4 + 3` of every vertex as JOINTS_n and
// WEIGHTS_n, the weights scaled to sum to 1 (the program's dual-quaternion
// blend normalises anyway).
void AddInfluences(GlbBuilder& glb, const Mesh& mesh, tinygltf::Primitive& primitive) {
  int slots = 1;
  for (uint32_t v = 0; v < mesh.vertCount; ++v) slots = std::max<int>(slots, mesh.weightCount[v]);
  for (int set = 0; set * 4 < slots; ++set) {
    std::vector<uint8_t> joints(mesh.vertCount * 4, 0);
    std::vector<float> weights(mesh.vertCount * 4, 0.0f);
    for (uint32_t v = 0; v < mesh.vertCount; ++v) {
      float sum = 0;
      for (int k = 0; k < mesh.weightCount[v]; ++k) sum += mesh.weights[v][k];
      for (int k = set * 4; k < std::min(set * 4 + 4, int{mesh.weightCount[v]}); ++k) {
        joints[v * 4 + k % 4] = static_cast<uint8_t>(mesh.boneIdx[v][k]);
        weights[v * 4 + k % 4] = sum > 0 ? mesh.weights[v][k] / sum : 0.0f;
      }
    }
    const std::string n = std::to_string(set);
    primitive.attributes["JOINTS_" + n] =
        glb.AddIntegers(joints.data(), mesh.vertCount, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                        TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["WEIGHTS_" + n] =
        glb.AddFloats(weights, TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER, false);
  }
}

// The vertices once, shared by one primitive per texture group (or one
// point primitive for a mesh without triangles).
void AddMesh(GlbBuilder& glb, Mesh& mesh, const std::string& name) {
  mesh.ReNormal();
  std::vector<float> positions, normals, uvs;
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    const vec3 p = ToGltf(mesh.pos[v]);
    positions.insert(positions.end(), {p.x, p.y, p.z});
    // A vertex no triangle touches has no normal; glTF wants a unit one.
    const vec3 n = !mesh.triCount || mesh.norm[v] == vec3() ? vec3(0, 1, 0) : ToGltf(mesh.norm[v]);
    normals.insert(normals.end(), {n.x, n.y, n.z});
    uvs.insert(uvs.end(), {mesh.uv[2 * v], 1.0f - mesh.uv[2 * v + 1]});
  }
  tinygltf::Primitive shared;
  const int target = TINYGLTF_TARGET_ARRAY_BUFFER;
  shared.attributes["POSITION"] = glb.AddFloats(positions, TINYGLTF_TYPE_VEC3, target, true);
  // Normals come from the triangles; a point set has none.
  if (mesh.triCount)
    shared.attributes["NORMAL"] = glb.AddFloats(normals, TINYGLTF_TYPE_VEC3, target, false);
  shared.attributes["TEXCOORD_0"] = glb.AddFloats(uvs, TINYGLTF_TYPE_VEC2, target, false);
  if (mesh.boneCount) AddInfluences(glb, mesh, shared);

  tinygltf::Mesh out;
  out.name = name;
  uint32_t first = 0;
  for (uint16_t g = 0; g <= mesh.groupCount; ++g) {
    // Groups, then whatever triangles no group holds (all of them when the
    // mesh has no groups).
    const uint32_t count = g < mesh.groupCount ? mesh.groupTris[g] : mesh.triCount - first;
    if (count == 0 || first + count > mesh.triCount) continue;
    std::vector<uint32_t> indices;
    for (uint32_t t = first; t < first + count; ++t) {
      const uint32_t* c = mesh.tris + 3 * t;
      indices.insert(indices.end(), {c[0], c[2], c[1]});
    }
    first += count;
    tinygltf::Primitive primitive = shared;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = g < mesh.groupCount ? mesh.groupTex[g] : -1;
    primitive.indices =
        glb.AddIntegers(indices.data(), indices.size(), TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                        TINYGLTF_TYPE_SCALAR, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    out.primitives.push_back(primitive);
  }
  if (out.primitives.empty()) {
    shared.mode = TINYGLTF_MODE_POINTS;
    out.primitives.push_back(shared);
  }
  glb.model.meshes.push_back(out);
}

// One node per bone (bone b is node `first + b`) with its rest placement,
// under a "skeleton" node, and the skin binding them.
void AddSkeleton(GlbBuilder& glb, const Mesh& mesh, int first, int skeletonNode) {
  std::vector<mat4> global(mesh.boneCount);
  std::vector<float> inverseBind;
  tinygltf::Skin skin;
  for (int b = 0; b < mesh.boneCount; ++b) {
    tinygltf::Node node;
    node.name = mesh.boneName[b].c_str();
    const vec3 t = ToGltf(mesh.bonePos[b]);
    const quat r = ToGltf(EulerQuat(mesh.boneRot[b]));
    node.translation = {t.x, t.y, t.z};
    node.rotation = {r.x, r.y, r.z, r.w};
    glb.model.nodes.push_back(node);
    const int parent = mesh.boneParent[b];
    glb.model.nodes[parent >= 0 ? first + parent : skeletonNode].children.push_back(first + b);
    global[b].fromEuler(mesh.boneRot[b], mesh.bonePos[b]);
    if (parent >= 0) global[b] = global[parent].mulAffine(global[b]);
    mat4 inverse = ToGltf(global[b].inverseAffine());
    inverse.m[3] = inverse.m[7] = inverse.m[11] = 0;
    inverse.m[15] = 1;
    inverseBind.insert(inverseBind.end(), inverse.m, inverse.m + 16);
    skin.joints.push_back(first + b);
  }
  skin.skeleton = skeletonNode;
  skin.inverseBindMatrices = glb.AddFloats(inverseBind, TINYGLTF_TYPE_MAT4, 0, false);
  glb.model.skins.push_back(skin);
}

// Problems the writer can't carry, checked before anything is built.
const char* Unexportable(const Mesh& mesh) {
  if (mesh.vertCount == 0) return "the model has no vertices";
  for (int b = 0; b < mesh.boneCount; ++b)
    if (mesh.boneParent[b] >= b) return "a bone's parent comes after it";
  for (uint32_t v = 0; v < mesh.vertCount && mesh.boneCount; ++v)
    for (int k = 0; k < mesh.weightCount[v]; ++k)
      if (mesh.boneIdx[v][k] >= mesh.boneCount) return "a weight names a missing bone";
  return nullptr;
}

bool LoadModelFile(const char* name, Mesh& mesh) {
  char reason[512] = "file not found";
  bool loaded;
  {
    ReasonCapture keep(LOG_ERROR, reason, sizeof reason);
    loaded = LoadEM7(mesh, name);
  }
  const char* problem = loaded ? Unexportable(mesh) : reason;
  if (problem) Fail("%s: %s", name, problem);
  return !problem;
}

bool LoadClipFile(const char* name, CAnim& clip) {
  char reason[512] = "file not found";
  ReasonCapture keep(LOG_ERROR, reason, sizeof reason);
  if (LoadClip(clip, name)) return true;
  Fail("%s: %s", name, reason);
  return false;
}

// The document: the mesh is node 0; a skinned one has node 1 holding the
// bones, which start at node 2.
bool WriteModel(Mesh& mesh, const std::vector<CAnim>& clips,
                const std::vector<const char*>& clipNames, const char* modelName, const char* out) {
  GlbBuilder glb;
  const std::string name = Stem(modelName);
  AddMaterials(glb, mesh);
  AddMesh(glb, mesh, name);
  tinygltf::Node meshNode;
  meshNode.name = name;
  meshNode.mesh = 0;
  glb.model.nodes.push_back(meshNode);
  glb.model.scenes.emplace_back();
  glb.model.scenes[0].nodes.push_back(0);
  glb.model.defaultScene = 0;
  if (mesh.boneCount) {
    glb.model.nodes[0].skin = 0;
    tinygltf::Node skeleton;
    skeleton.name = "skeleton";
    glb.model.nodes.push_back(skeleton);
    glb.model.scenes[0].nodes.push_back(1);
    AddSkeleton(glb, mesh, 2, 1);
  }
  for (size_t c = 0; c < clips.size(); ++c)
    if (!AddClipAnimation(glb, mesh, clips[c], Stem(clipNames[c]), 2))
      std::fprintf(stderr, "qhtool: note: %s moves no bone: left out\n", clipNames[c]);
  if (glb.WriteGlb(out)) return true;
  Fail("can't write %s", out);
  return false;
}

int Export(int argc, char** argv) {
  const char* modelName = nullptr;
  const char* archive = nullptr;
  const char* out = nullptr;
  std::vector<const char*> clipNames;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 && !modelName) {
      modelName = argv[i];
    } else if (i + 1 < argc && arg == "--clip") {
      clipNames.push_back(argv[++i]);
    } else if (i + 1 < argc && arg == "--archive") {
      archive = argv[++i];
    } else if (i + 1 < argc && arg == "--out") {
      out = argv[++i];
    } else {
      return Fail("usage: qhtool export %s", kUsage);
    }
  }
  if (!modelName || !out) return Fail("usage: qhtool export %s", kUsage);
  const size_t outLength = std::strlen(out);
  if (outLength < 4 || std::strcmp(out + outLength - 4, ".glb") != 0)
    return Fail("%s: the output must end in .glb", out);
  if (!ChooseArchive(archive)) return 1;

  Mesh mesh;
  mesh.Init();
  std::vector<CAnim> clips(clipNames.size());
  bool ok = LoadModelFile(modelName, mesh);
  for (size_t c = 0; ok && c < clips.size(); ++c) ok = LoadClipFile(clipNames[c], clips[c]);
  if (ok && !clips.empty() && mesh.boneCount == 0) {
    Fail("%s: a model without bones plays no clips", modelName);
    ok = false;
  }
  if (ok) ok = WriteModel(mesh, clips, clipNames, modelName, out);
  for (CAnim& clip : clips) clip.Clear();
  mesh.Clear();
  return ok ? 0 : 1;
}

CommandRegistration g_export("export", kUsage, Export);
}  // namespace
