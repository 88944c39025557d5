// Clips as glTF animations (see gltf_export.h and gltf_convention.h).
#include <map>
#include <vector>

#include "gltf_convention.h"
#include "gltf_export.h"

namespace {
// Frame 1, every key strictly inside the clip, and the clip's end.
std::vector<float> KeyFrames(const float* times, uint16_t count, uint32_t frames) {
  std::vector<float> keys{1.0f};
  for (uint16_t i = 0; i < count; ++i)
    if (times[i] > 1.0f && times[i] < static_cast<float>(frames)) keys.push_back(times[i]);
  if (frames > 1) keys.push_back(static_cast<float>(frames));
  return keys;
}

struct ClipWriter {
  GlbBuilder& glb;
  tinygltf::Animation animation;
  std::map<std::vector<float>, int> inputs;  // key frames -> their time accessor

  void Channel(const std::vector<float>& keys, const std::vector<float>& values, int type, int node,
               const char* path) {
    auto found = inputs.find(keys);
    if (found == inputs.end()) {
      std::vector<float> seconds;
      for (float f : keys) seconds.push_back((f - 1.0f) / kGltfFramesPerSecond);
      found = inputs.emplace(keys, glb.AddFloats(seconds, TINYGLTF_TYPE_SCALAR, 0, true)).first;
    }
    tinygltf::AnimationSampler sampler;
    sampler.input = found->second;
    sampler.output = glb.AddFloats(values, type, 0, false);
    sampler.interpolation = "LINEAR";
    animation.samplers.push_back(sampler);
    tinygltf::AnimationChannel channel;
    channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
    channel.target_node = node;
    channel.target_path = path;
    animation.channels.push_back(channel);
  }
};
}  // namespace

bool AddClipAnimation(GlbBuilder& glb, const Mesh& mesh, const CAnim& clip, const std::string& name,
                      int firstBoneNode) {
  ClipWriter writer{glb, {}, {}};
  writer.animation.name = name;
  const uint16_t length = static_cast<uint16_t>(clip.frames);
  const int bones = std::min<int>(clip.boneCount, mesh.boneCount);
  for (int b = 0; b < bones; ++b) {
    const AnimTrack& track = clip.tracks[b];
    // The clip moves the bone inside its rest frame: rest * (rotation, offset).
    const quat rest = EulerQuat(mesh.boneRot[b]);
    std::vector<float> values;
    if (track.posCount >= 2) {
      const std::vector<float> keys = KeyFrames(track.posTimes, track.posCount, clip.frames);
      for (float f : keys) {
        const vec3 p = ToGltf(mesh.bonePos[b] + rest.rotate(track.SamplePos(f, length)));
        values.insert(values.end(), {p.x, p.y, p.z});
      }
      writer.Channel(keys, values, TINYGLTF_TYPE_VEC3, firstBoneNode + b, "translation");
    }
    values.clear();
    if (track.rotCount >= 2) {
      const std::vector<float> keys = KeyFrames(track.rotTimes, track.rotCount, clip.frames);
      quat previous;
      for (float f : keys) {
        quat q = ToGltf(Multiply(rest, EulerQuat(track.SampleRot(f, length))));
        // Neighbouring keys in one hemisphere, so any reader's slerp takes
        // the short way, as the program's does.
        if (q.x * previous.x + q.y * previous.y + q.z * previous.z + q.w * previous.w < 0)
          q = quat(-q.x, -q.y, -q.z, -q.w);
        previous = q;
        values.insert(values.end(), {q.x, q.y, q.z, q.w});
      }
      writer.Channel(keys, values, TINYGLTF_TYPE_VEC4, firstBoneNode + b, "rotation");
    }
  }
  if (writer.animation.channels.empty()) return false;
  glb.model.animations.push_back(writer.animation);
  return true;
}
