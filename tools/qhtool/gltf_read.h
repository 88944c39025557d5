// Reading a glTF document loaded by tinygltf: accessor data checked against
// its buffer, the node tree, and node placements at a time of an animation.
// Everything here is in glTF's own axes and units.
#pragma once
#include <tiny_gltf.h>

#include <cstdint>
#include <string>
#include <vector>

#include "math/mat4.h"
#include "math/quat.h"

// Every element of accessor `index`, `*components` values each, as floats
// (integer data normalised when the accessor says so) or as unsigned
// integers. False with a reason when the index is out of range, the data
// runs past its buffer view or buffer, the accessor is sparse or the
// component type doesn't fit.
bool ReadFloats(const tinygltf::Model& gltf, int index, std::vector<float>* out, int* components,
                std::string* why);
bool ReadUints(const tinygltf::Model& gltf, int index, std::vector<uint32_t>* out, int* components,
               std::string* why);

// The nodes of a document: parents, the nodes the scene shows, each node's
// rest placement and the channels of every animation.
class NodeTree {
 public:
  enum Property { kTranslation, kRotation, kScale };

  // False with a reason when a child index is out of range, a node has two
  // parents, the hierarchy loops or an animation's data can't be read.
  bool Build(const tinygltf::Model& gltf, std::string* why);

  std::vector<int> parent;      // -1 for a root
  std::vector<int> sceneNodes;  // the shown scene's nodes and their descendants, parents first

  // Local matrices of every node at `seconds` into `animation` (rest
  // placements, animated properties replaced by their sampled values), or
  // at rest with `animation` -1.
  void Locals(int animation, float seconds, std::vector<mat4>* out) const;
  // Global matrices of every node from its locals.
  std::vector<mat4> Globals(const std::vector<mat4>& locals) const;

  // The key times (seconds) of the animation's channel on that node and
  // property, or null when it isn't animated; `linear` tells whether the
  // channel interpolates linearly between them.
  const std::vector<float>* KeyTimes(int animation, int node, Property property,
                                     bool* linear) const;
  // The animation's length in seconds (its latest key).
  float Length(int animation) const;

 private:
  struct Placement {
    bool matrixGiven = false;
    mat4 matrix;
    vec3 t;
    quat r;
    vec3 s{1, 1, 1};
  };
  struct Channel {
    int node = -1;
    Property property = kTranslation;
    std::string interpolation;
    std::vector<float> times, values;
  };
  std::vector<Placement> rest_;
  std::vector<std::vector<Channel>> channels_;  // per animation

  bool ReadAnimations(const tinygltf::Model& gltf, std::string* why);
  bool Order(const tinygltf::Model& gltf, std::string* why);
};
