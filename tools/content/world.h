// The landscape: the island's map (the program scales it by 10) and the tree
// markers above it, built from the ground of land.h sampled on a grid.
#pragma once
#include "mesh_build.h"

struct World {
  MeshBuild map;      // file units: grass, earth, rock and sand groups, ending at the shore
  MeshBuild markers;  // file units: one vertex 60 world units above each tree's ground
};

// The map cut from the grid along the shoreline, its ground kinds split along
// their zero lines; trees in groves and alone where the ground is grass,
// level within 5 degrees (the program turns each tree to the ground's
// normal) and outside the square where characters start.
World BuildWorld();
