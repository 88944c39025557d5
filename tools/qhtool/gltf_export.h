// Pieces of `qhtool export` shared between its source files.
#pragma once
#include <string>

#include "geometry/anim.h"
#include "geometry/mesh.h"
#include "glb_builder.h"

// Appends `clip` as an animation called `name` that drives the skeleton of
// `mesh`, bone b being node `firstBoneNode + b`. Each bone track with two or
// more keys becomes a translation and/or rotation channel keyed at frame 1,
// at every key inside the clip and at the clip's end, with the values the
// program's own sampling gives there (so the first key's extrapolation and
// the run back to the first key over the clip's end play the same). Tracks
// beyond the mesh's bones are left out, as the program ignores them. Returns
// false, adding nothing, when the clip moves no bone.
bool AddClipAnimation(GlbBuilder& glb, const Mesh& mesh, const CAnim& clip, const std::string& name,
                      int firstBoneNode);
