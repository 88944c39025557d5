// A placed, drawable instance of a shared Mesh: its own copy of the vertex
// positions and normals (deformed by skinning), the texture names of the
// mesh's groups, the skeleton state for pose evaluation, a placement with its
// world matrix, and a bounding sphere for culling.
//
// A plain record embedded by value in its owners: copying it copies the
// pointers. Every array is owned and released by Release(); `mesh`, the clips
// behind `anims` and the textures behind `texId` belong to the resource
// manager. Growth failures follow the growth rule with the source
// "inc\\Model".
#pragma once
#include <cstdint>

#include "core/cstring.h"
#include "geometry/anim.h"
#include "geometry/mesh.h"
#include "math/quat.h"

class TriangleIndex;

class Model {
 public:
  uint32_t vertexCount = 0;
  vec3* verts = nullptr;    // model space; the mesh's positions, or skinned
  vec3* normals = nullptr;  // the mesh's normals, skinned, or from ReNormal
  Mesh* mesh = nullptr;     // not owned
  uint16_t groupCount = 0;
  uint32_t* texId = nullptr;     // GL texture name per group, 0 until loaded
  cstring* texName = nullptr;    // per group
  uint16_t animCount = 0;        // attached clips
  uint16_t curAnim = 0;          // clip the owner drives; animCount disables posing
  CAnim** anims = nullptr;       // attached clips (not owned), blended in this order
  uint32_t* animIds = nullptr;   // the manager's clip slot of each
  uint8_t boneCount = 0;         // entries of every per-bone array (the mesh's at InitSkelet)
  mat4* boneMatrix = nullptr;    // skinning transform per bone after UpdateSkin
  mat4* invBind = nullptr;       // inverse global rest matrix per bone
  vec3* restRot = nullptr;       // Euler radians, relative to the parent
  vec3* restPos = nullptr;       // relative to the parent
  quat* animRot = nullptr;       // blended animated rotation per bone
  vec3* animPos = nullptr;       // blended animated translation per bone
  dualquat* boneDual = nullptr;  // boneMatrix as dual quaternions (skinning scratch)
  float radius = 0;              // bounding sphere, model space
  vec3 angles;                   // degrees (roll, pitch, yaw)
  vec3 position;                 // world
  mat4 world;                    // model to world
  mat4 invWorld;                 // world to model
  vec3 center;                   // centre of the bounding box of verts
  vec3 worldCenter;              // center in the world: the culling sphere's centre
  int16_t slot = -1;             // index in the manager's model registry
  uint16_t meshSlot = 0;         // the mesh's slot, to re-point `mesh` when its table moves
  int32_t hitTriangle = -1;      // triangle of the last accepted query hit, -1 none
  TriangleIndex* queryIndex = nullptr;  // see BuildQueryIndex; may be shared

  // Empty model at the origin, owning nothing (arrays are forgotten, not
  // released: use Release on a model that owns some).
  void Reset();
  // Releases everything the model owns, then Reset.
  void Release();

  // Binds the model to `mesh` (not null) and copies its data: recomputes the
  // mesh's normals, copies positions and normals, texture names, skeleton,
  // then the bounds. A mesh without vertices leaves the model without
  // vertices and with zero bounds.
  void Assign(Mesh* newMesh);
  // Copies the (edited) mesh's positions and normals again, resizing when the
  // mesh's vertex count changed, and recomputes the bounds. Needs a mesh.
  void Refresh();
  // Sizes and fills texId (0) and texName from the mesh; a mesh without
  // texture groups leaves them as they were.
  void SetMeshTex();
  // Sizes the per-bone arrays to the mesh's bone count and builds the bind
  // matrices; the animated state starts at identity and zero. Parents must
  // come before their children. Does nothing for a bone-less mesh.
  void InitSkelet();
  // Bounding box centre and half-diagonal of verts, then UpdateMatrix.
  // Without a mesh nothing changes; without vertices both become zero.
  void ComputeBounds();
  // world, invWorld and worldCenter from angles, position and center.
  void UpdateMatrix();
  // Smooth normals from verts over the mesh's triangles (face normals stored
  // in the mesh's triNorm, shared through its dupes lists). Does nothing
  // unless the mesh has exactly vertexCount vertices.
  void ReNormal();

  // Advances and blends the attached clips by dt seconds into animRot and
  // animPos. Returns false (nothing changed) when the inputs don't fit.
  bool BlendAnims(float dt);
  // Poses the skeleton and skins verts and normals from the mesh's rest data
  // (BlendAnims included). Does nothing when no clip is attached or curAnim
  // is not below animCount; returns whether the vertices were rebuilt.
  bool UpdateSkin(float dt);

  // World-space geometric queries over verts and the mesh's triangles, with
  // a bounding-sphere rejection in front. They write hitTriangle.
  //
  // Segment test from o along d, symmetric about o: the caller starts t at 1
  // and accepts -1 < t < 1. On a hit: t, the hit point o + d*t and the
  // triangle's normal (world) are written; true.
  bool RayCast(const vec3& o, const vec3& d, vec3& hit, vec3& normal, float& t);
  // Sphere of radius r at c0 moving by v (world). On a hit: the contact
  // point and normal (world), nearest = t, and v becomes the slid movement.
  // The caller starts nearest at 1.
  bool SweepSphere(const vec3& c0, vec3& v, float r, vec3& point, vec3& normal, float& nearest);
  // Nearest surface point to q among the triangles facing q, closer than
  // `best` (which then decreases to the distance). Callers detect a result
  // by best having decreased; otherwise q is returned and normal untouched.
  vec3 ClosestPoint(const vec3& q, float& best, vec3& normal);

  // Silhouette pass for an eye in world space: counts, per edge of the
  // mesh, the triangles facing away from the eye that use it, minus one, in
  // the mesh's edgeFlags (0 marks a silhouette or open-border edge), and
  // their number in frontCount. Needs BuildEdges on the mesh; without an
  // edge table nothing is marked. (render/outline.cpp)
  void Silhouette(const vec3& eye);
  // Draws every edge the last Silhouette marked as a quad pushed out by
  // `width` along the vertex normals, in world space, in the current colour;
  // leaves lighting off and face culling on.
  void DrawOutline(float width);

  // For models whose vertices don't change after loading (map, trees): builds
  // a spatial index the queries then use, with results identical to the
  // plain scan. Assign, Refresh, UpdateSkin and Release drop it.
  void BuildQueryIndex();
  // Takes other's index when it was built from the same vertices of the same
  // mesh (models of one unchanged mesh); otherwise builds one.
  void ShareQueryIndex(const Model& other);
  void ReleaseQueryIndex();
};

// Index of the first bone of the model's mesh named exactly `name`
// (case-sensitive); -1 with the error "can't found bone [name]" when none.
int FindBone(const Model& model, const char* name);
