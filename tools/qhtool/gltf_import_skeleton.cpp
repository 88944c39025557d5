// The skeleton and the clips of an imported glTF document.
#include <cmath>
#include <functional>
#include <map>

#include "core/growth.h"
#include "gltf_convention.h"
#include "gltf_import.h"

namespace {
constexpr const char* kSource = "tools\\qhtool";

// Frame 1, the channel's own keys when they fall on whole frames of a
// linear channel (else every frame), and the clip's end.
std::vector<float> KeyFrames(const std::vector<float>& seconds, bool linear, uint32_t frames) {
  std::vector<float> keys{1.0f};
  bool whole = linear;
  for (float s : seconds) {
    const double f = 1.0 + double{s} * kGltfFramesPerSecond;
    const float rounded = static_cast<float>(std::round(f));
    whole = whole && std::fabs(f - rounded) < 1e-3;
    if (rounded > keys.back()) keys.push_back(rounded);
  }
  if (!whole) {
    keys.clear();
    for (uint32_t f = 1; f < frames; ++f) keys.push_back(static_cast<float>(f));
  }
  if (keys.back() < static_cast<float>(frames)) keys.push_back(static_cast<float>(frames));
  return keys;
}

bool Same(const vec3& a, const vec3& b, bool rotation) {
  if (!rotation) return length(a - b) <= 1e-5f * (1.0f + length(a));
  const quat p = EulerQuat(a), q = EulerQuat(b);
  return std::fabs(p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w) > 1.0f - 1e-6f;
}

// Fills one key list: times and values, the closing key dropped when the
// run back to the first key gives it anyway.
bool FillKeys(const std::vector<float>& frames, std::vector<vec3> values, bool rotation,
              uint16_t* count, vec3** keys, float** times) {
  size_t n = values.size();
  if (n >= 3 && Same(values[n - 1], values[0], rotation)) --n;
  if (!ResizeArray(*keys, static_cast<int64_t>(n), kSource, __LINE__, "BuildImportedClip") ||
      !ResizeArray(*times, static_cast<int64_t>(n), kSource, __LINE__, "BuildImportedClip"))
    return false;
  for (size_t i = 0; i < n; ++i) {
    (*keys)[i] = values[i];
    (*times)[i] = frames[i];
  }
  *count = static_cast<uint16_t>(n);
  return true;
}
}  // namespace

bool Skeleton::Build(const tinygltf::Model& gltf, const NodeTree& tree, float lengthScale,
                     std::string* why) {
  scale = lengthScale;
  const int nodeCount = static_cast<int>(gltf.nodes.size());
  std::vector<bool> joint(nodeCount, false);
  std::vector<int> joints;
  for (const tinygltf::Skin& skin : gltf.skins)
    for (int j : skin.joints) {
      if (j < 0 || j >= nodeCount) return *why = "a skin names a missing node", false;
      if (!joint[j]) joints.push_back(j);
      joint[j] = true;
    }
  if (joints.size() > 255)
    return *why = std::to_string(joints.size()) +
                  " joints: a model numbers its bones in one byte (255 at most)",
           false;
  auto jointParent = [&](int node) {
    int p = tree.parent[node];
    while (p >= 0 && !joint[p]) p = tree.parent[p];
    return p;
  };
  boneOfNode.assign(nodeCount, -1);
  nodes.clear();
  std::function<void(int)> emit = [&](int node) {
    if (boneOfNode[node] >= 0) return;
    if (jointParent(node) >= 0) emit(jointParent(node));
    boneOfNode[node] = static_cast<int>(nodes.size());
    nodes.push_back(node);
  };
  for (int j : joints) emit(j);
  parents.clear();
  names.clear();
  for (int node : nodes) {
    parents.push_back(jointParent(node) >= 0 ? boneOfNode[jointParent(node)] : -1);
    const std::string& name = gltf.nodes[node].name;
    names.push_back(name.empty() ? "bone" + std::to_string(names.size()) : name);
    if (names.back().size() > 254) return *why = "a joint's name is longer than 254 bytes", false;
  }

  const std::vector<mat4> global = Globals(tree, -1, 0);
  restPos.clear();
  restRot.clear();
  for (size_t b = 0; b < nodes.size(); ++b) {
    const mat4 local =
        parents[b] >= 0 ? global[parents[b]].inverseAffine().mulAffine(global[b]) : global[b];
    restPos.push_back(local.column(3));
    restRot.push_back(local.toEuler());
  }
  return true;
}

std::vector<mat4> Skeleton::Globals(const NodeTree& tree, int animation, float seconds) const {
  std::vector<mat4> locals;
  tree.Locals(animation, seconds, &locals);
  const std::vector<mat4> global = tree.Globals(locals);
  std::vector<mat4> bones;
  for (int node : nodes) {
    const mat4 m = FromGltf(global[node], scale);
    bones.push_back(RigidMatrix(RotationOf(m), m.column(3)));
  }
  return bones;
}

bool BuildImportedClip(const NodeTree& tree, const Skeleton& skeleton, int index, CAnim* clip,
                       std::string* why) {
  const double last = std::ceil(1.0 + tree.Length(index) * kGltfFramesPerSecond - 1e-3);
  if (last > 65535)
    return *why = "it lasts " + std::to_string(static_cast<long long>(last)) +
                  " frames at 10 a second; a clip holds at most 65535",
           false;
  const int bones = static_cast<int>(skeleton.nodes.size());
  clip->Clear();
  clip->frames = static_cast<uint32_t>(std::max(2.0, last));
  if (!ResizeArray(clip->tracks, bones, kSource, __LINE__, "BuildImportedClip") ||
      !ResizeObjects(clip->trackName, 0, bones, kSource, __LINE__, "BuildImportedClip"))
    return *why = "out of memory", false;
  clip->boneCount = static_cast<uint8_t>(bones);
  for (int b = 0; b < bones; ++b) {
    clip->tracks[b] = AnimTrack();
    clip->trackName[b].assign(skeleton.names[b].c_str());
  }

  std::map<float, std::vector<mat4>> poses;  // bone globals by frame
  for (int b = 0; b < bones; ++b) {
    AnimTrack& track = clip->tracks[b];
    mat4 rest;
    rest.fromEuler(skeleton.restRot[b], skeleton.restPos[b]);
    const mat4 toRest = rest.inverseAffine();
    for (NodeTree::Property property : {NodeTree::kTranslation, NodeTree::kRotation}) {
      bool linear = false;
      const std::vector<float>* seconds =
          tree.KeyTimes(index, skeleton.nodes[b], property, &linear);
      if (!seconds) continue;
      const std::vector<float> frames = KeyFrames(*seconds, linear, clip->frames);
      std::vector<vec3> values;
      for (float f : frames) {
        auto pose = poses.find(f);
        if (pose == poses.end())
          pose =
              poses.emplace(f, skeleton.Globals(tree, index, (f - 1) / kGltfFramesPerSecond)).first;
        const std::vector<mat4>& g = pose->second;
        const int p = skeleton.parents[b];
        const mat4 local = p >= 0 ? g[p].inverseAffine().mulAffine(g[b]) : g[b];
        // What the clip adds inside the bone's rest frame.
        const mat4 moved = toRest.mulAffine(local);
        values.push_back(property == NodeTree::kTranslation ? moved.column(3)
                                                            : RotationOf(moved).toEuler());
      }
      const bool ok =
          property == NodeTree::kTranslation
              ? FillKeys(frames, values, false, &track.posCount, &track.posKeys, &track.posTimes)
              : FillKeys(frames, values, true, &track.rotCount, &track.rotKeys, &track.rotTimes);
      if (!ok) return *why = "out of memory", false;
    }
  }
  return true;
}
