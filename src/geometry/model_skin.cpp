// Pose evaluation and skinning of a Model through the jobs of pose.h.
#include "geometry/model.h"
#include "geometry/pose.h"

bool Model::BlendAnims(float dt) {
  BlendJob blend;
  blend.clips = anims;
  blend.clipCount = animCount;
  blend.dt = dt;
  blend.boneCount = boneCount;
  blend.rotations = animRot;
  blend.translations = animPos;
  return blend.Run();
}

bool Model::UpdateSkin(float dt) {
  if (!anims || animCount == 0 || curAnim >= animCount) return false;
  if (!mesh || mesh->boneCount != boneCount || mesh->vertCount < vertexCount) return false;
  ReleaseQueryIndex();  // the vertices are about to move
  PoseJob pose;
  pose.boneCount = boneCount;
  pose.restRot = restRot;
  pose.restPos = restPos;
  pose.parents = mesh->boneParent;
  pose.rotations = animRot;
  pose.translations = animPos;
  pose.invBind = invBind;
  pose.boneMatrix = boneMatrix;
  pose.boneDual = boneDual;
  SkinningJob skin;
  skin.vertexCount = vertexCount;
  skin.restPositions = mesh->pos;
  skin.restNormals = mesh->norm;
  skin.influenceCount = mesh->weightCount;
  skin.boneIdx = mesh->boneIdx;
  skin.weights = mesh->weights;
  skin.weightSlots = mesh->weightSlots;
  skin.boneCount = boneCount;
  skin.boneDual = boneDual;
  skin.positions = verts;
  skin.normals = normals;
  if (!pose.Validate() || !skin.Validate()) return false;
  return BlendAnims(dt) && pose.Run() && skin.Run();
}
