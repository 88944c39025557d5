// A glTF 2.0 document under construction whose binary data all goes into
// one buffer (the BIN chunk of a .glb), one buffer view per accessor.
#pragma once
#include <tiny_gltf.h>

#include <cstdint>
#include <string>
#include <vector>

class GlbBuilder {
 public:
  GlbBuilder();
  tinygltf::Model model;

  // A buffer view of `bytes` (4-byte aligned in the buffer); `target` is 0,
  // TINYGLTF_TARGET_ARRAY_BUFFER or TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER.
  int AddView(const void* data, size_t bytes, int target);
  // Float accessor of `values.size() / components` elements of `type`
  // (TINYGLTF_TYPE_*), with min and max per component when `bounds`.
  int AddFloats(const std::vector<float>& values, int type, int target, bool bounds);
  // Integer accessor (`componentType` TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE
  // or _INT) over raw little-endian `data`.
  int AddIntegers(const void* data, size_t count, int componentType, int type, int target);

  // Writes the document as a binary glTF; false when the file can't be
  // written.
  bool WriteGlb(const std::string& path);
};
