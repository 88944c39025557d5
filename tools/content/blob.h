// Smooth "blob" surfaces: capsules and ellipsoids carried by bones, blended
// into one closed skin by a smooth union of their distance fields and
// polygonised on a grid (surface nets). Each skin vertex is weighted to the
// bones of the nearby parts, so joints bend smoothly.
#pragma once
#include <vector>

#include "math/mat4.h"
#include "mesh_build.h"

// Texture bands of the body textures: which column range a vertex samples.
enum SkinRegion { kRegionMuzzle, kRegionCoat, kRegionHoof, kRegionCount };

// Centre of a region's band in the texture's u range.
float RegionU(int region);

struct BlobPart {
  bool capsule = true;
  vec3 a, b;             // capsule ends (model space)
  float ra = 0, rb = 0;  // capsule radii at a and b
  mat4 toLocal;          // ellipsoid: model space to its axis-aligned frame
  vec3 radii;            // ellipsoid radii
  int bone = 0;
  int region = kRegionCoat;

  float Distance(const vec3& p) const;
};

// Parts given in a bone's bind frame, in design units (see rig.h).
BlobPart BoneCapsule(int bone, const vec3& a, const vec3& b, float ra, float rb, int region);
BlobPart BoneEllipsoid(int bone, const vec3& centre, const vec3& radii, int region);

// Polygonises the smooth union (blend width `blend`) of the parts with
// cubic cells of size `cell`. Vertices get up to three bone weights summing
// to 1 and u from the region of the nearest part, v from the height
// (v = 1 - z / height). Triangles face outward, in the group `texture`.
MeshBuild BuildBlob(const std::vector<BlobPart>& parts, float blend, float cell, float height,
                    const std::string& texture);
