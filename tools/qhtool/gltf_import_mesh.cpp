// The geometry and textures of an imported glTF document.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "core/growth.h"
#include "gltf_convention.h"
#include "gltf_import.h"
#include "image.h"
#include "image/jpeg.h"
#include "image_files.h"

namespace {
using Influences = std::vector<std::pair<int, float>>;  // (bone, weight)

// Everything gathered before the mesh is sized.
struct Gathered {
  std::vector<vec3> pos;
  std::vector<float> uv;
  std::vector<Influences> influences;
  std::vector<int> materials;                    // in order of first use
  std::vector<std::vector<uint32_t>> triangles;  // per entry of `materials`
};

// glTF's triangles of a primitive as the program winds them.
bool Triangles(int mode, const std::vector<uint32_t>& index, uint32_t base,
               std::vector<uint32_t>* out) {
  auto add = [&](uint32_t a, uint32_t b, uint32_t c) {
    out->insert(out->end(), {base + a, base + c, base + b});
  };
  const size_t n = index.size();
  if (mode == TINYGLTF_MODE_TRIANGLES)
    for (size_t i = 0; i + 2 < n; i += 3) add(index[i], index[i + 1], index[i + 2]);
  else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP)
    for (size_t i = 0; i + 2 < n; ++i)
      i % 2 ? add(index[i + 1], index[i], index[i + 2]) : add(index[i], index[i + 1], index[i + 2]);
  else if (mode == TINYGLTF_MODE_TRIANGLE_FAN)
    for (size_t i = 1; i + 1 < n; ++i) add(index[0], index[i], index[i + 1]);
  else
    return mode == TINYGLTF_MODE_POINTS;
  return true;
}

// One attribute read as floats, `width` per vertex, `count` vertices.
bool Attribute(const tinygltf::Model& gltf, const tinygltf::Primitive& primitive,
               const std::string& name, size_t count, int width, std::vector<float>* out,
               std::string* why) {
  const auto found = primitive.attributes.find(name);
  int components = 0;
  if (found == primitive.attributes.end()) return out->clear(), true;
  if (!ReadFloats(gltf, found->second, out, &components, why)) return false;
  if (components != width || out->size() != count * width)
    return *why = name + " doesn't match the positions", false;
  return true;
}

// Appends a primitive's vertices placed at rest, in the program's axes.
bool AddVertices(const tinygltf::Model& gltf, const NodeTree& tree, const Skeleton& skeleton,
                 const std::vector<mat4>& global, int node, const tinygltf::Primitive& primitive,
                 Gathered* g, std::string* why) {
  std::vector<float> pos, uv;
  const auto position = primitive.attributes.find("POSITION");
  if (position == primitive.attributes.end()) return *why = "a primitive has no POSITION", false;
  int width = 0;
  if (!ReadFloats(gltf, position->second, &pos, &width, why)) return false;
  if (width != 3) return *why = "POSITION isn't VEC3", false;
  const size_t count = pos.size() / 3;
  if (!Attribute(gltf, primitive, "TEXCOORD_0", count, 2, &uv, why)) return false;

  const int skinIndex = gltf.nodes[node].skin;
  const bool skinned = skinIndex >= 0 && skinIndex < static_cast<int>(gltf.skins.size());
  std::vector<mat4> jointMatrix;  // rest global * inverse bind, per joint
  std::vector<int> jointBone;
  if (skinned) {
    const tinygltf::Skin& skin = gltf.skins[skinIndex];
    std::vector<float> inverseBind;
    if (skin.inverseBindMatrices >= 0 &&
        (!ReadFloats(gltf, skin.inverseBindMatrices, &inverseBind, &width, why) || width != 16 ||
         inverseBind.size() < skin.joints.size() * 16))
      return *why = "a skin's inverse bind matrices can't be read", false;
    for (size_t j = 0; j < skin.joints.size(); ++j) {
      const mat4 ibm = inverseBind.empty() ? mat4() : mat4(&inverseBind[j * 16]);
      jointMatrix.push_back(global[skin.joints[j]].mulAffine(ibm));
      jointBone.push_back(skeleton.boneOfNode[skin.joints[j]]);
    }
  }
  // An unskinned mesh under a joint moves with that joint.
  int carrier = -1;
  for (int p = tree.parent[node]; !skinned && p >= 0 && carrier < 0; p = tree.parent[p])
    carrier = skeleton.boneOfNode[p];

  std::vector<Influences> influences(count);
  for (int set = 0; skinned; ++set) {
    std::vector<float> joints, weights;
    const std::string n = std::to_string(set);
    if (!Attribute(gltf, primitive, "JOINTS_" + n, count, 4, &joints, why) ||
        !Attribute(gltf, primitive, "WEIGHTS_" + n, count, 4, &weights, why))
      return false;
    if (joints.empty() || weights.empty()) break;
    for (size_t v = 0; v < count; ++v)
      for (int k = 0; k < 4; ++k) {
        const float j = joints[v * 4 + k];
        if (weights[v * 4 + k] <= 0) continue;
        if (!(j >= 0 && j < jointMatrix.size()))
          return *why = "a vertex names a missing joint", false;
        influences[v].emplace_back(static_cast<int>(j), weights[v * 4 + k]);
      }
  }
  for (size_t v = 0; v < count; ++v) {
    const vec3 p(pos[v * 3], pos[v * 3 + 1], pos[v * 3 + 2]);
    vec3 placed = skinned ? vec3() : global[node].transformPoint(p);
    float sum = 0;
    for (const auto& [j, w] : influences[v]) {
      placed += jointMatrix[j].transformPoint(p) * w;
      sum += w;
    }
    if (skinned && sum <= 0) placed = p;
    if (skinned && sum > 0) placed = placed / sum;
    g->pos.push_back(FromGltf(placed) * skeleton.scale);
    g->uv.push_back(uv.empty() ? 0.0f : uv[v * 2]);
    g->uv.push_back(uv.empty() ? 0.0f : 1.0f - uv[v * 2 + 1]);
    // Joint numbers become bone numbers; a bone met twice adds up.
    std::map<int, float> byBone;
    for (const auto& [j, w] : influences[v]) byBone[jointBone[j]] += w;
    if (carrier >= 0) byBone[carrier] = 1;
    Influences merged(byBone.begin(), byBone.end());
    std::stable_sort(merged.begin(), merged.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (merged.size() > 255) merged.resize(255);  // what a vertex record counts
    g->influences.push_back(merged);
  }
  return true;
}

// The bytes of image `index` as a baseline JPEG: as stored when the
// program's own decoder reads them, else the decoded pixels encoded anew.
bool ImageJpeg(const tinygltf::Model& gltf, int index, std::vector<uint8_t>* out) {
  const tinygltf::Image& image = gltf.images[index];
  const int view = image.bufferView;
  if (view >= 0 && view < static_cast<int>(gltf.bufferViews.size())) {
    const tinygltf::BufferView& v = gltf.bufferViews[view];
    const bool inside = v.buffer >= 0 && v.buffer < static_cast<int>(gltf.buffers.size()) &&
                        v.byteOffset + v.byteLength <= gltf.buffers[v.buffer].data.size();
    if (inside) {
      const uint8_t* bytes = gltf.buffers[v.buffer].data.data() + v.byteOffset;
      auto decoder = std::make_unique<JpegDecoder>();
      if (LooksLikeJpeg(bytes, v.byteLength) && DecodeJpeg(*decoder, bytes, v.byteLength) &&
          !decoder->incomplete) {
        out->assign(bytes, bytes + v.byteLength);
        return true;
      }
    }
  }
  const int c = image.component, step = image.bits == 16 ? 2 : 1;
  if (image.width <= 0 || image.height <= 0 || c < 1 || c > 4 ||
      image.image.size() < static_cast<size_t>(image.width) * image.height * c * step)
    return false;
  Picture picture(image.width, image.height);
  for (size_t i = 0; i < static_cast<size_t>(image.width) * image.height; ++i)
    for (int k = 0; k < 3; ++k)  // the high byte of 16-bit samples
      picture.rgb[i * 3 + k] = image.image[(i * c + (c >= 3 ? k : 0)) * step + step - 1];
  *out = EncodeBaselineJpeg(picture, 90);
  return !out->empty();
}

// A small plain picture of a material's base colour (linear, so encoded
// for the screen).
std::vector<uint8_t> ColourJpeg(const std::vector<double>& factor) {
  Picture picture(8, 8);
  vec3 c(1, 1, 1);
  for (int k = 0; k < 3 && k < static_cast<int>(factor.size()); ++k)
    c[k] = static_cast<float>(std::pow(std::clamp(factor[k], 0.0, 1.0), 1 / 2.2));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) picture.Set(x, y, c);
  return EncodeBaselineJpeg(picture, 90);
}

// One texture per group: the material's base colour image, else its colour.
void Textures(const tinygltf::Model& gltf, const Gathered& g, const std::string& name,
              std::vector<ImportedTexture>* textures, std::vector<std::string>* groupFiles,
              std::vector<std::string>* notes) {
  std::map<std::string, std::string> fileOf;  // "image N" / "colour N" -> file
  for (int m : g.materials) {
    const tinygltf::Material* material =
        m >= 0 && m < static_cast<int>(gltf.materials.size()) ? &gltf.materials[m] : nullptr;
    const int t = material ? material->pbrMetallicRoughness.baseColorTexture.index : -1;
    const int image =
        t >= 0 && t < static_cast<int>(gltf.textures.size()) ? gltf.textures[t].source : -1;
    const bool hasImage = image >= 0 && image < static_cast<int>(gltf.images.size());
    std::string key = hasImage ? "image " + std::to_string(image) : "colour " + std::to_string(m);
    ImportedTexture texture;
    if (hasImage && !fileOf.count(key) && !ImageJpeg(gltf, image, &texture.jpeg)) {
      notes->push_back("image " + std::to_string(image) +
                       " can't be read: its material shows its colour");
      key = "colour " + std::to_string(m);
    }
    if (!fileOf.count(key)) {
      texture.file = name + "_" + std::to_string(textures->size()) + ".jpg";
      if (texture.jpeg.empty())
        texture.jpeg = ColourJpeg(material ? material->pbrMetallicRoughness.baseColorFactor
                                           : std::vector<double>{});
      fileOf[key] = texture.file;
      textures->push_back(texture);
    }
    groupFiles->push_back(fileOf[key]);
  }
}

bool Fill(const Gathered& g, const Skeleton& skeleton, const std::vector<std::string>& files,
          Mesh* mesh) {
  uint32_t triCount = 0;
  for (const auto& t : g.triangles) triCount += static_cast<uint32_t>(t.size() / 3);
  const uint32_t n = static_cast<uint32_t>(g.pos.size());
  const uint8_t bones = static_cast<uint8_t>(skeleton.nodes.size());
  if (!mesh->resizeV(n, true) || !mesh->resizeF(triCount, true) ||
      !mesh->resizeT(static_cast<uint16_t>(files.size()), true) || !mesh->resizeB(bones, true))
    return false;
  std::copy(g.pos.begin(), g.pos.end(), mesh->pos);
  std::copy(g.uv.begin(), g.uv.end(), mesh->uv);
  uint32_t* tri = mesh->tris;
  for (size_t k = 0; k < files.size(); ++k) {
    mesh->texName[k].assign(files[k].c_str());
    mesh->groupTex[k] = static_cast<uint16_t>(k);
    mesh->groupTris[k] = static_cast<uint32_t>(g.triangles[k].size() / 3);
    tri = std::copy(g.triangles[k].begin(), g.triangles[k].end(), tri);
  }
  for (int b = 0; b < bones; ++b) {
    mesh->boneName[b].assign(skeleton.names[b].c_str());
    mesh->bonePos[b] = skeleton.restPos[b];
    mesh->boneRot[b] = skeleton.restRot[b];
    mesh->boneParent[b] = skeleton.parents[b];
  }
  for (uint32_t v = 0; bones && v < n; ++v) {
    const Influences& in = g.influences[v];
    const int64_t k = static_cast<int64_t>(in.size());
    if (!ResizeArray(mesh->boneIdx[v], k, "tools\\qhtool", __LINE__, "BuildImportedMesh") ||
        !ResizeArray(mesh->weights[v], k, "tools\\qhtool", __LINE__, "BuildImportedMesh"))
      return false;
    mesh->weightCount[v] = static_cast<uint8_t>(k);
    for (int64_t i = 0; i < k; ++i) {
      mesh->boneIdx[v][i] = static_cast<uint32_t>(in[i].first);
      mesh->weights[v][i] = in[i].second;
    }
  }
  return true;
}
}  // namespace

bool BuildImportedMesh(const tinygltf::Model& gltf, const NodeTree& tree, const Skeleton& skeleton,
                       const std::string& name, Mesh* mesh, std::vector<ImportedTexture>* textures,
                       std::vector<std::string>* notes, std::string* why) {
  std::vector<mat4> locals;
  tree.Locals(-1, 0, &locals);
  const std::vector<mat4> global = tree.Globals(locals);
  Gathered g;
  // Primitives that share their attributes share their vertices.
  std::map<std::pair<int, std::map<std::string, int>>, std::pair<uint32_t, uint32_t>> blocks;
  for (int node : tree.sceneNodes) {
    const int m = gltf.nodes[node].mesh;
    if (m < 0) continue;
    if (m >= static_cast<int>(gltf.meshes.size()))
      return *why = "a node names a missing mesh", false;
    for (const tinygltf::Primitive& primitive : gltf.meshes[m].primitives) {
      const int mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
      std::vector<uint32_t> corners;
      if (!Triangles(mode, {}, 0, &corners)) {
        notes->push_back("a primitive of lines in mesh " + std::to_string(m) + " is left out");
        continue;
      }
      const auto key = std::make_pair(node, primitive.attributes);
      auto block = blocks.find(key);
      if (block == blocks.end()) {
        const uint32_t base = static_cast<uint32_t>(g.pos.size());
        if (!AddVertices(gltf, tree, skeleton, global, node, primitive, &g, why)) return false;
        block = blocks.emplace(key, std::make_pair(base, g.pos.size() - base)).first;
      }
      const auto [base, count] = block->second;
      std::vector<uint32_t> index;
      int width = 1;
      if (primitive.indices >= 0 &&
          (!ReadUints(gltf, primitive.indices, &index, &width, why) || width != 1))
        return *why = "a primitive's indices can't be read", false;
      if (primitive.indices < 0)
        for (uint32_t i = 0; i < count; ++i) index.push_back(i);
      if (std::any_of(index.begin(), index.end(), [&](uint32_t i) { return i >= count; }))
        return *why = "a primitive's index names a missing vertex", false;
      Triangles(mode, index, base, &corners);
      if (corners.empty()) continue;
      const int material = primitive.material;
      auto at = std::find(g.materials.begin(), g.materials.end(), material);
      if (at == g.materials.end()) {
        g.materials.push_back(material);
        g.triangles.emplace_back();
        at = g.materials.end() - 1;
      }
      std::vector<uint32_t>& group = g.triangles[at - g.materials.begin()];
      group.insert(group.end(), corners.begin(), corners.end());
    }
  }
  if (g.pos.empty()) return *why = "the scene holds no triangles or points", false;
  if (g.materials.size() > 65535) return *why = "more than 65535 materials", false;
  std::vector<std::string> files;
  Textures(gltf, g, name, textures, &files, notes);
  if (!Fill(g, skeleton, files, mesh)) return *why = "out of memory", false;
  return true;
}
