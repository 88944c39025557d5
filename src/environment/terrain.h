// The map and its trees: the terrain model, the model whose vertices mark
// where trees stand, and one tree model per such vertex, standing on the map
// and tilted with its slope.
#pragma once
#include <cstdint>

#include "geometry/model.h"

extern Model g_map;
extern Model g_treeMap;
extern Model* g_trees;
extern uint32_t g_treeCount;

// Loads "bin\map2.Model" (scaled by 10, with edges and textures),
// "bin\tree_map.Model" (scaled by 10) and "bin\tree.Model" (scaled by 2,
// with edges), then plants one tree under every vertex of the tree map.
void LoadTerrainAndTrees();
