// The landscape: a heightfield map (the program scales it by 10), the tree
// markers above it and the tree model (scaled by 2 at load).
#pragma once
#include "mesh_build.h"

// Ground height at world point (x, y), in world units (after the program's
// scaling by 10): a wide basin, everywhere below z = -80 within the square
// where characters start, rising to hills at the edges.
float GroundHeight(float x, float y);

// Half the width of the square map, world units.
constexpr float kMapHalf = 1600.0f;

// The map in file units (a tenth of world units), grass on gentle ground and
// earth on steep slopes.
MeshBuild BuildMap();

// Tree markers: vertices only, in file units, each 60 world units above the
// ground where a tree stands.
MeshBuild BuildTreeMarkers();

// A tree (file units, trunk base at the origin): bark trunk, leafy crown.
MeshBuild BuildTree();
