#include "geometry/model.h"

#include <cstdlib>
#include <cstring>

#include "core/growth.h"
#include "core/log.h"

namespace {
constexpr char kSource[] = "inc\\Model";

// Copies the mesh's positions and normals into verts and normals sized to
// the mesh's vertex count. A failed resize leaves the model without vertices.
void CopyVertices(Model& m, const char* method) {
  const Mesh& mesh = *m.mesh;
  m.vertexCount = mesh.vertCount;
  const bool sized = ResizeArray(m.verts, m.vertexCount, kSource, 66, method) &&
                     ResizeArray(m.normals, m.vertexCount, kSource, 67, method);
  if (!sized || !mesh.pos || !mesh.norm) {
    std::free(m.verts);
    std::free(m.normals);
    m.verts = m.normals = nullptr;
    m.vertexCount = 0;
    return;
  }
  if (m.vertexCount == 0) return;
  std::memcpy(m.verts, mesh.pos, m.vertexCount * sizeof(vec3));
  std::memcpy(m.normals, mesh.norm, m.vertexCount * sizeof(vec3));
}

void ReleaseSkeleton(Model& m) {
  std::free(m.boneMatrix);
  std::free(m.invBind);
  std::free(m.restRot);
  std::free(m.restPos);
  std::free(m.animRot);
  std::free(m.animPos);
  std::free(m.boneDual);
  m.boneMatrix = m.invBind = nullptr;
  m.restRot = m.restPos = m.animPos = nullptr;
  m.animRot = nullptr;
  m.boneDual = nullptr;
  m.boneCount = 0;
}
}  // namespace

void Model::Reset() {
  vertexCount = 0;
  verts = normals = nullptr;
  mesh = nullptr;
  groupCount = 0;
  texId = nullptr;
  texName = nullptr;
  animCount = curAnim = 0;
  anims = nullptr;
  animIds = nullptr;
  boneCount = 0;
  boneMatrix = invBind = nullptr;
  restRot = restPos = animPos = nullptr;
  animRot = nullptr;
  boneDual = nullptr;
  radius = 0;
  angles = position = center = vec3();
  world.fromEuler(vec3(), position);
  worldCenter = position;
  invWorld = world.inverseAffine();
  slot = -1;
  meshSlot = 0;
  hitTriangle = -1;
  queryIndex = nullptr;
}

void Model::Release() {
  ReleaseQueryIndex();
  std::free(verts);
  std::free(normals);
  delete[] texName;
  std::free(texId);
  std::free(anims);
  std::free(animIds);
  ReleaseSkeleton(*this);
  Reset();
}

void Model::Assign(Mesh* newMesh) {
  ReleaseQueryIndex();
  mesh = newMesh;
  meshSlot = static_cast<uint16_t>(newMesh->slot);
  mesh->ReNormal();
  SetMeshTex();
  CopyVertices(*this, "Model::Assign");
  if (mesh->boneCount != 0) InitSkelet();
  ComputeBounds();
}

void Model::Refresh() {
  ReleaseQueryIndex();
  mesh->ReNormal();
  CopyVertices(*this, "Model::Refresh");
  ComputeBounds();
}

void Model::SetMeshTex() {
  if (mesh->groupCount == 0) return;
  const uint16_t n = mesh->groupCount;
  const bool sized = ResizeArray(texId, n, kSource, 193, "Model::SetMeshTex") &&
                     ResizeObjects(texName, groupCount, n, kSource, 194, "Model::SetMeshTex");
  if (!sized || !mesh->texName) {
    std::free(texId);
    delete[] texName;
    texId = nullptr;
    texName = nullptr;
    groupCount = 0;
    return;
  }
  groupCount = n;
  for (int i = 0; i < n; ++i) {
    texId[i] = 0;
    texName[i].format("%s", mesh->texName[i].c_str());
  }
}

void Model::InitSkelet() {
  const uint8_t n = mesh->boneCount;
  if (n == 0) return;
  const bool sized = ResizeArray(boneMatrix, n, kSource, 131, "Model::InitSkelet") &&
                     ResizeArray(invBind, n, kSource, 131, "Model::InitSkelet") &&
                     ResizeArray(boneDual, n, kSource, 131, "Model::InitSkelet") &&
                     ResizeArray(animRot, n, kSource, 132, "Model::InitSkelet") &&
                     ResizeArray(animPos, n, kSource, 132, "Model::InitSkelet") &&
                     ResizeArray(restRot, n, kSource, 133, "Model::InitSkelet") &&
                     ResizeArray(restPos, n, kSource, 133, "Model::InitSkelet");
  if (!sized || !mesh->boneRot || !mesh->bonePos || !mesh->boneParent) {
    ReleaseSkeleton(*this);
    return;
  }
  boneCount = n;
  for (int b = 0; b < n; ++b) {
    animRot[b] = quat();
    animPos[b] = vec3();
    restRot[b] = mesh->boneRot[b];
    restPos[b] = mesh->bonePos[b];
    boneMatrix[b].fromEuler(restRot[b], restPos[b]);
    const int32_t parent = mesh->boneParent[b];
    // A parent that doesn't come first can't be global yet; the bone is
    // then taken as a root.
    if (parent >= 0 && parent < b) boneMatrix[b] = boneMatrix[parent].mulAffine(boneMatrix[b]);
  }
  for (int b = 0; b < n; ++b) invBind[b] = boneMatrix[b].inverseAffine();
}

void Model::ComputeBounds() {
  if (!mesh) return;
  if (vertexCount == 0) {
    center = vec3();
    radius = 0;
    UpdateMatrix();
    return;
  }
  vec3 lo = verts[0], hi = verts[0];
  for (uint32_t v = 1; v < vertexCount; ++v) {
    for (int i = 0; i < 3; ++i) {
      if (verts[v][i] < lo[i]) lo[i] = verts[v][i];
      if (verts[v][i] > hi[i]) hi[i] = verts[v][i];
    }
  }
  center = (lo + hi) * 0.5f;
  radius = length(hi - center);
  UpdateMatrix();
}

void Model::UpdateMatrix() {
  world.fromEuler(vec3(DegToRad(angles.x), DegToRad(angles.y), DegToRad(angles.z)), position);
  invWorld = world.inverseAffine();
  worldCenter = world.transformPoint(center);
}

void Model::ReNormal() {
  if (!mesh || mesh->vertCount != vertexCount || vertexCount == 0) return;
  for (uint32_t v = 0; v < vertexCount; ++v) normals[v] = vec3();
  for (uint32_t t = 0; t < mesh->triCount; ++t) {
    const uint32_t* tri = mesh->tris + 3 * t;
    vec3 n;
    n.triangleNormal(verts[tri[0]], verts[tri[1]], verts[tri[2]]);
    mesh->triNorm[t] = n;
    for (int c = 0; c < 3; ++c) {
      const uint32_t corner = tri[c];
      normals[corner] += n;
      for (int k = 0; k < mesh->dupeCount[corner]; ++k) normals[mesh->dupes[corner][k]] += n;
    }
  }
  for (uint32_t v = 0; v < vertexCount; ++v) normals[v].normalize();
}

int FindBone(const Model& model, const char* name) {
  const Mesh* mesh = model.mesh;
  for (int b = 0; mesh && b < mesh->boneCount; ++b)
    if (std::strcmp(mesh->boneName[b].c_str(), name) == 0) return b;
  Log(LOG_ERROR, "can't found bone [%s]", name);
  return -1;
}
