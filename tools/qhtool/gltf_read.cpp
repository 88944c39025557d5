#include "gltf_read.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "gltf_convention.h"

namespace {
std::string AccessorName(int index) {
  return "accessor " + std::to_string(index);
}

// One component of `type` at p, as glTF reads it.
double Component(const unsigned char* p, int type, bool normalized) {
  switch (type) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
      float f;
      std::memcpy(&f, p, 4);
      return f;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return normalized ? p[0] / 255.0 : p[0];
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
      const double c = static_cast<int8_t>(p[0]);
      return normalized ? std::max(c / 127.0, -1.0) : c;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
      const double c = p[0] | (p[1] << 8);
      return normalized ? c / 65535.0 : c;
    }
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
      const double c = static_cast<int16_t>(p[0] | (p[1] << 8));
      return normalized ? std::max(c / 32767.0, -1.0) : c;
    }
    default:  // TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT
      return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
}

bool ReadAccessor(const tinygltf::Model& gltf, int index, bool unsignedOnly,
                  std::vector<double>* out, int* components, std::string* why) {
  if (index < 0 || index >= static_cast<int>(gltf.accessors.size()))
    return *why = AccessorName(index) + " is missing", false;
  const tinygltf::Accessor& a = gltf.accessors[index];
  const int n = tinygltf::GetNumComponentsInType(a.type);
  const int size = tinygltf::GetComponentSizeInBytes(a.componentType);
  const bool isUnsigned = a.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
                          a.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
                          a.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
  if (a.sparse.isSparse) return *why = AccessorName(index) + " is sparse (not supported)", false;
  if (n <= 0 || size <= 0 || a.componentType == TINYGLTF_COMPONENT_TYPE_DOUBLE ||
      (unsignedOnly && !isUnsigned))
    return *why = AccessorName(index) + " has a type that doesn't fit its use", false;
  if (a.count > (size_t{1} << 26))
    return *why = AccessorName(index) + " has more elements than a model can hold", false;
  *components = n;
  out->assign(a.count * static_cast<size_t>(n), 0.0);
  if (a.bufferView < 0 || a.count == 0) return true;  // no view: all zeros
  const size_t element = static_cast<size_t>(n) * static_cast<size_t>(size);
  const tinygltf::BufferView* view = a.bufferView < static_cast<int>(gltf.bufferViews.size())
                                         ? &gltf.bufferViews[a.bufferView]
                                         : nullptr;
  const tinygltf::Buffer* buffer =
      view && view->buffer >= 0 && view->buffer < static_cast<int>(gltf.buffers.size())
          ? &gltf.buffers[view->buffer]
          : nullptr;
  const size_t stride = view && view->byteStride ? view->byteStride : element;
  const size_t span = stride * (a.count - 1) + element;
  if (!buffer || stride > 255 || view->byteOffset > buffer->data.size() ||
      view->byteLength > buffer->data.size() - view->byteOffset ||
      a.byteOffset > view->byteLength || span > view->byteLength - a.byteOffset)
    return *why = AccessorName(index) + " runs past its buffer", false;
  const unsigned char* base = buffer->data.data() + view->byteOffset + a.byteOffset;
  for (size_t i = 0; i < a.count; ++i)
    for (int c = 0; c < n; ++c) {
      const double value = Component(base + i * stride + c * size, a.componentType, a.normalized);
      if (!std::isfinite(value))
        return *why = AccessorName(index) + " holds a value that isn't a number", false;
      (*out)[i * n + c] = value;
    }
  return true;
}

void Slerp(const float* a, const float* b, float u, float* out) {
  quat q;
  q.slerp(quat(a[0], a[1], a[2], a[3]), quat(b[0], b[1], b[2], b[3]), u);
  const float n = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  for (int i = 0; i < 4; ++i) out[i] = n > 0 ? q[i] / n : (i == 3);
}
}  // namespace

bool ReadFloats(const tinygltf::Model& gltf, int index, std::vector<float>* out, int* components,
                std::string* why) {
  std::vector<double> values;
  if (!ReadAccessor(gltf, index, false, &values, components, why)) return false;
  out->assign(values.begin(), values.end());
  return true;
}

bool ReadUints(const tinygltf::Model& gltf, int index, std::vector<uint32_t>* out, int* components,
               std::string* why) {
  std::vector<double> values;
  if (!ReadAccessor(gltf, index, true, &values, components, why)) return false;
  out->assign(values.begin(), values.end());
  return true;
}

bool NodeTree::Build(const tinygltf::Model& gltf, std::string* why) {
  const int n = static_cast<int>(gltf.nodes.size());
  parent.assign(n, -1);
  rest_.assign(n, Placement());
  for (int i = 0; i < n; ++i) {
    const tinygltf::Node& node = gltf.nodes[i];
    for (int c : node.children) {
      if (c < 0 || c >= n || c == i)
        return *why = "node " + std::to_string(i) + " has a bad child", false;
      if (parent[c] >= 0) return *why = "node " + std::to_string(c) + " has two parents", false;
      parent[c] = i;
    }
    Placement& p = rest_[i];
    if (node.matrix.size() == 16) {
      p.matrixGiven = true;
      for (int k = 0; k < 16; ++k) p.matrix.m[k] = static_cast<float>(node.matrix[k]);
    }
    if (node.translation.size() == 3)
      p.t = vec3(node.translation[0], node.translation[1], node.translation[2]);
    if (node.rotation.size() == 4)
      p.r = quat(node.rotation[0], node.rotation[1], node.rotation[2], node.rotation[3]);
    if (node.scale.size() == 3) p.s = vec3(node.scale[0], node.scale[1], node.scale[2]);
  }
  return Order(gltf, why) && ReadAnimations(gltf, why);
}

bool NodeTree::Order(const tinygltf::Model& gltf, std::string* why) {
  const int n = static_cast<int>(parent.size());
  std::vector<std::vector<int>> children(n);
  for (int i = 0; i < n; ++i)
    if (parent[i] >= 0) children[parent[i]].push_back(i);
  std::function<void(int, std::vector<int>*)> visit = [&](int i, std::vector<int>* out) {
    out->push_back(i);
    for (int c : children[i]) visit(c, out);
  };
  // Nodes in a loop have no root and are never reached from one.
  std::vector<int> reached;
  for (int i = 0; i < n; ++i)
    if (parent[i] < 0) visit(i, &reached);
  if (static_cast<int>(reached.size()) != n) return *why = "the node hierarchy loops", false;
  const int scene = gltf.defaultScene >= 0 ? gltf.defaultScene : 0;
  if (scene >= static_cast<int>(gltf.scenes.size())) {
    sceneNodes = reached;
    return true;
  }
  sceneNodes.clear();
  for (int r : gltf.scenes[scene].nodes)
    if (r >= 0 && r < n && parent[r] < 0) visit(r, &sceneNodes);
  return true;
}

bool NodeTree::ReadAnimations(const tinygltf::Model& gltf, std::string* why) {
  channels_.assign(gltf.animations.size(), {});
  for (size_t a = 0; a < gltf.animations.size(); ++a) {
    const tinygltf::Animation& animation = gltf.animations[a];
    const std::string where = "animation " + std::to_string(a) + ": ";
    for (const tinygltf::AnimationChannel& c : animation.channels) {
      Channel channel;
      channel.node = c.target_node;
      if (c.target_path == "translation")
        channel.property = kTranslation;
      else if (c.target_path == "rotation")
        channel.property = kRotation;
      else if (c.target_path == "scale")
        channel.property = kScale;
      else
        continue;  // morph weights: nothing in the program moves them
      if (c.target_node < 0 || c.target_node >= static_cast<int>(parent.size()) || c.sampler < 0 ||
          c.sampler >= static_cast<int>(animation.samplers.size()))
        return *why = where + "a channel names a missing node or sampler", false;
      const tinygltf::AnimationSampler& s = animation.samplers[c.sampler];
      channel.interpolation = s.interpolation.empty() ? "LINEAR" : s.interpolation;
      int inWidth = 0, outWidth = 0;
      if (!ReadFloats(gltf, s.input, &channel.times, &inWidth, why) ||
          !ReadFloats(gltf, s.output, &channel.values, &outWidth, why))
        return *why = where + *why, false;
      const size_t keys = channel.times.size();
      const size_t width = channel.property == kRotation ? 4 : 3;
      const size_t perKey = width * (channel.interpolation == "CUBICSPLINE" ? 3 : 1);
      if (inWidth != 1 || keys == 0 || static_cast<size_t>(outWidth) != width ||
          channel.values.size() != keys * perKey ||
          !std::is_sorted(channel.times.begin(), channel.times.end()) || channel.times[0] < 0)
        return *why = where + "a sampler's keys and values don't match", false;
      channels_[a].push_back(channel);
    }
  }
  return true;
}

void NodeTree::Locals(int animation, float seconds, std::vector<mat4>* out) const {
  std::vector<Placement> placed = rest_;
  if (animation >= 0) {
    for (const Channel& c : channels_[animation]) {
      Placement& p = placed[c.node];
      const size_t keys = c.times.size();
      const size_t width = c.property == kRotation ? 4 : 3;
      const bool cubic = c.interpolation == "CUBICSPLINE";
      const size_t stride = width * (cubic ? 3 : 1), at = cubic ? width : 0;
      float value[4];
      size_t k = 0;
      while (k + 1 < keys && seconds >= c.times[k + 1]) ++k;
      const float* v0 = &c.values[k * stride + at];
      if (k + 1 >= keys || seconds <= c.times[k] || c.interpolation == "STEP") {
        std::copy(v0, v0 + width, value);
      } else {
        const float* v1 = &c.values[(k + 1) * stride + at];
        const float span = c.times[k + 1] - c.times[k], u = (seconds - c.times[k]) / span;
        if (cubic) {
          // Hermite spline: this key's out-tangent, the next key's in-tangent.
          const float* b0 = v0 + width;
          const float* a1 = v1 - width;
          const float u2 = u * u, u3 = u2 * u;
          for (size_t i = 0; i < width; ++i)
            value[i] = (2 * u3 - 3 * u2 + 1) * v0[i] + (u3 - 2 * u2 + u) * span * b0[i] +
                       (-2 * u3 + 3 * u2) * v1[i] + (u3 - u2) * span * a1[i];
        } else if (width == 4) {
          Slerp(v0, v1, u, value);
        } else {
          for (size_t i = 0; i < width; ++i) value[i] = v0[i] + (v1[i] - v0[i]) * u;
        }
      }
      if (c.property == kTranslation) p.t = vec3(value[0], value[1], value[2]);
      if (c.property == kRotation) p.r = quat(value[0], value[1], value[2], value[3]);
      if (c.property == kScale) p.s = vec3(value[0], value[1], value[2]);
      p.matrixGiven = false;
    }
  }
  out->resize(placed.size());
  for (size_t i = 0; i < placed.size(); ++i) {
    const Placement& p = placed[i];
    if (p.matrixGiven) {
      (*out)[i] = p.matrix;
      continue;
    }
    const float n = std::sqrt(p.r.x * p.r.x + p.r.y * p.r.y + p.r.z * p.r.z + p.r.w * p.r.w);
    mat4 m = RigidMatrix(n > 0 ? quat(p.r.x / n, p.r.y / n, p.r.z / n, p.r.w / n) : quat(), p.t);
    for (int k = 0; k < 3; ++k) {
      m.m[k] *= p.s.x;
      m.m[4 + k] *= p.s.y;
      m.m[8 + k] *= p.s.z;
    }
    (*out)[i] = m;
  }
}

std::vector<mat4> NodeTree::Globals(const std::vector<mat4>& locals) const {
  std::vector<mat4> global(locals.size());
  std::vector<bool> done(locals.size(), false);
  // Parents first: walk each node's chain of unfinished ancestors.
  for (size_t i = 0; i < locals.size(); ++i) {
    std::vector<int> chain;
    for (int j = static_cast<int>(i); j >= 0 && !done[j]; j = parent[j]) chain.push_back(j);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const int p = parent[*it];
      global[*it] = p >= 0 ? global[p].mulAffine(locals[*it]) : locals[*it];
      done[*it] = true;
    }
  }
  return global;
}

const std::vector<float>* NodeTree::KeyTimes(int animation, int node, Property property,
                                             bool* linear) const {
  for (const Channel& c : channels_[animation]) {
    if (c.node != node || c.property != property) continue;
    *linear = c.interpolation == "LINEAR";
    return &c.times;
  }
  return nullptr;
}

float NodeTree::Length(int animation) const {
  float length = 0;
  for (const Channel& c : channels_[animation]) length = std::max(length, c.times.back());
  return length;
}
