#include "mesh_build.h"

#include "core/growth.h"
#include "rig.h"

uint32_t MeshBuild::Add(const vec3& p, float u, float v) {
  pos.push_back(p);
  uv.push_back(u);
  uv.push_back(v);
  return static_cast<uint32_t>(pos.size() - 1);
}

int MeshBuild::GroupOf(const std::string& texture) {
  for (size_t g = 0; g < groups.size(); ++g)
    if (groups[g].texture == texture) return static_cast<int>(g);
  groups.push_back({texture, {}});
  return static_cast<int>(groups.size() - 1);
}

void MeshBuild::Tri(int group, uint32_t a, uint32_t b, uint32_t c) {
  std::vector<uint32_t>& t = groups[group].tris;
  t.push_back(a);
  t.push_back(b);
  t.push_back(c);
}

void MeshBuild::TriFacing(int group, uint32_t a, uint32_t b, uint32_t c, const vec3& outward) {
  // The program's face normal is (c - a) x (b - a).
  const vec3 n = cross(pos[c] - pos[a], pos[b] - pos[a]);
  if (dot(n, outward) >= 0)
    Tri(group, a, b, c);
  else
    Tri(group, a, c, b);
}

void MeshBuild::Append(const MeshBuild& other) {
  const uint32_t base = static_cast<uint32_t>(pos.size());
  pos.insert(pos.end(), other.pos.begin(), other.pos.end());
  uv.insert(uv.end(), other.uv.begin(), other.uv.end());
  weights.insert(weights.end(), other.weights.begin(), other.weights.end());
  for (const Group& g : other.groups) {
    std::vector<uint32_t>& t = groups[GroupOf(g.texture)].tris;
    for (uint32_t i : g.tris) t.push_back(i + base);
  }
}

bool ToMesh(const MeshBuild& build, int boneCount, Mesh& mesh) {
  const uint32_t n = static_cast<uint32_t>(build.pos.size());
  uint32_t triTotal = 0;
  for (const MeshBuild::Group& g : build.groups)
    triTotal += static_cast<uint32_t>(g.tris.size() / 3);
  if (!mesh.resizeV(n, true) || !mesh.resizeF(triTotal, true) ||
      !mesh.resizeT(static_cast<uint16_t>(build.groups.size()), true))
    return false;
  for (uint32_t i = 0; i < n; ++i) {
    mesh.pos[i] = build.pos[i];
    mesh.uv[2 * i] = build.uv[2 * i];
    mesh.uv[2 * i + 1] = build.uv[2 * i + 1];
  }
  uint32_t t = 0;
  for (size_t g = 0; g < build.groups.size(); ++g) {
    const MeshBuild::Group& group = build.groups[g];
    mesh.texName[g].assign(group.texture.c_str());
    mesh.groupTex[g] = static_cast<uint16_t>(g);
    mesh.groupTris[g] = static_cast<uint32_t>(group.tris.size() / 3);
    for (uint32_t idx : group.tris) mesh.tris[t++] = idx;
  }
  if (boneCount <= 0) return true;
  if (!mesh.resizeB(static_cast<uint8_t>(boneCount), true)) return false;
  const Rig& rig = GetRig();
  for (int b = 0; b < boneCount; ++b) {
    mesh.boneName[b].assign(rig.bones[b].name);
    mesh.bonePos[b] = rig.bones[b].pos;
    mesh.boneRot[b] = rig.bones[b].rot;
    mesh.boneParent[b] = rig.bones[b].parent;
  }
  for (uint32_t v = 0; v < n && v < build.weights.size(); ++v) {
    const MeshBuild::Weights& w = build.weights[v];
    if (!ResizeArray(mesh.boneIdx[v], w.count, "inc\\Mesh", __LINE__, "ToMesh") ||
        !ResizeArray(mesh.weights[v], w.count, "inc\\Mesh", __LINE__, "ToMesh"))
      return false;
    mesh.weightCount[v] = static_cast<uint8_t>(w.count);
    for (int k = 0; k < w.count; ++k) {
      mesh.boneIdx[v][k] = w.items[k].bone;
      mesh.weights[v][k] = w.items[k].weight;
    }
  }
  return true;
}
