// `qhtool info` for EM7 model files: the counts, the skeleton and the
// texture groups, one fact per line.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "geometry/em7.h"

namespace {
bool Sniff(const char* path, const uint8_t* head, size_t headSize) {
  return headSize >= 3 && std::memcmp(head, "EM7", 3) == 0;
}

bool Print(const char* path, char* reason, size_t reasonSize) {
  FILE* file = std::fopen(path, "rb");
  if (!file) {
    std::snprintf(reason, reasonSize, "can't open the file");
    return false;
  }
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fseek(file, 3, SEEK_SET);
  Mesh mesh;
  const bool ok = size >= 3 && ParseEM7Body(file, size - 3, mesh, reason, reasonSize);
  std::fclose(file);
  if (ok) {
    std::printf("EM7 vertices=%u triangles=%u polys=%u bones=%u groups=%u sets=%u\n",
                mesh.vertCount, mesh.triCount, mesh.polyCount, mesh.boneCount, mesh.groupCount,
                mesh.setCount);
    for (uint8_t b = 0; b < mesh.boneCount; ++b)
      std::printf("bone %u %s parent=%d\n", b, mesh.boneName[b].c_str(), mesh.boneParent[b]);
    for (uint16_t g = 0; g < mesh.groupCount; ++g)
      std::printf("group %u texture=%s triangles=%u\n", g, mesh.texName[mesh.groupTex[g]].c_str(),
                  mesh.groupTris[g]);
  }
  mesh.Clear();
  return ok;
}

InfoRegistration g_em7({"EM7", Sniff, Print});
}  // namespace
