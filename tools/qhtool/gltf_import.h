// Pieces of `qhtool import` shared between its source files: a glTF
// document turned into the program's model, textures and clips (conventions
// in gltf_convention.h). Everything comes out in the program's axes, with
// lengths multiplied by the import's scale.
#pragma once
#include <string>
#include <vector>

#include "geometry/anim.h"
#include "geometry/mesh.h"
#include "gltf_read.h"

// The bones: the joints of every skin, parents before children. A bone's
// parent is its nearest ancestor node that is a joint too; the nodes in
// between and above are folded into the rest placements.
struct Skeleton {
  std::vector<int> nodes;          // node of bone b
  std::vector<int> boneOfNode;     // bone of each node, -1 for none
  std::vector<int> parents;        // per bone, -1 for a root
  std::vector<std::string> names;  // the nodes' names ("bone<b>" for an unnamed one)
  std::vector<vec3> restPos;       // per bone, relative to the parent
  std::vector<vec3> restRot;       // per bone, Euler radians
  float scale = 1;

  // False with a reason when a skin names a missing node, there are more
  // joints than a byte numbers or a name is longer than 254 bytes.
  bool Build(const tinygltf::Model& gltf, const NodeTree& tree, float lengthScale,
             std::string* why);
  // Every bone's rigid global matrix (scale taken out) at `seconds` into
  // `animation`, or at rest with -1.
  std::vector<mat4> Globals(const NodeTree& tree, int animation, float seconds) const;
};

// A texture the model names, as the bytes of a baseline JPEG.
struct ImportedTexture {
  std::string file;
  std::vector<uint8_t> jpeg;
};

// Fills an Init-ed mesh with every mesh of the shown scene: vertices placed
// at rest (skinned ones through their joints), triangles grouped by
// material, weights by bone, the skeleton's bones. Textures are named
// "<name>_<k>.jpg". `notes` collects what was left out. False with a reason
// when the document can't be read or holds nothing to draw.
bool BuildImportedMesh(const tinygltf::Model& gltf, const NodeTree& tree, const Skeleton& skeleton,
                       const std::string& name, Mesh* mesh, std::vector<ImportedTexture>* textures,
                       std::vector<std::string>* notes, std::string* why);

// Turns animation `index` into a clip with one track per bone (named after
// it). Keys fall on whole frames: a linear channel keyed on whole frames
// keeps its keys, any other is keyed on every frame; every track also gets
// frame 1 and the clip's end, so the clip plays what the glTF holds before
// and after its keys, and a last key equal to the first is left to the
// clock's run back to the first key. False with a reason when the clip would
// be longer than 65535 frames or can't grow.
bool BuildImportedClip(const NodeTree& tree, const Skeleton& skeleton, int index, CAnim* clip,
                       std::string* why);
