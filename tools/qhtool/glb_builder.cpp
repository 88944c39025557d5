#include "glb_builder.h"

#include <algorithm>

GlbBuilder::GlbBuilder() {
  model.asset.version = "2.0";
  model.asset.generator = "QuietHarbour qhtool";
  model.buffers.emplace_back();
}

int GlbBuilder::AddView(const void* data, size_t bytes, int target) {
  std::vector<unsigned char>& bin = model.buffers[0].data;
  bin.resize((bin.size() + 3) & ~size_t{3}, 0);
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = bin.size();
  view.byteLength = bytes;
  view.target = target;
  const auto* p = static_cast<const unsigned char*>(data);
  bin.insert(bin.end(), p, p + bytes);
  model.bufferViews.push_back(view);
  return static_cast<int>(model.bufferViews.size()) - 1;
}

int GlbBuilder::AddIntegers(const void* data, size_t count, int componentType, int type,
                            int target) {
  tinygltf::Accessor a;
  a.componentType = componentType;
  a.type = type;
  a.count = count;
  const size_t size = static_cast<size_t>(tinygltf::GetComponentSizeInBytes(componentType)) *
                      static_cast<size_t>(tinygltf::GetNumComponentsInType(type)) * count;
  a.bufferView = AddView(data, size, target);
  model.accessors.push_back(a);
  return static_cast<int>(model.accessors.size()) - 1;
}

int GlbBuilder::AddFloats(const std::vector<float>& values, int type, int target, bool bounds) {
  const size_t n = static_cast<size_t>(tinygltf::GetNumComponentsInType(type));
  const int index =
      AddIntegers(values.data(), values.size() / n, TINYGLTF_COMPONENT_TYPE_FLOAT, type, target);
  tinygltf::Accessor& a = model.accessors[index];
  for (size_t c = 0; bounds && c < n; ++c) {
    double lo = values[c], hi = values[c];
    for (size_t i = c; i < values.size(); i += n) {
      lo = std::min(lo, double{values[i]});
      hi = std::max(hi, double{values[i]});
    }
    a.minValues.push_back(lo);
    a.maxValues.push_back(hi);
  }
  return index;
}

bool GlbBuilder::WriteGlb(const std::string& path) {
  tinygltf::TinyGLTF writer;
  return writer.WriteGltfSceneToFile(&model, path, true, true, false, true);
}
