// The island's shape and what covers its ground, as smooth functions of the
// world point (x, y) in world units (the program scales the map file by 10):
// a basin where the characters start, a ring of hills around it and shores
// going down to the sea.
#pragma once

// The map ends along this height: the shoreline. It lies below the depth at
// which the program starts a character over (-300), so whoever walks into
// the sea starts over before reaching the map's edge.
constexpr float kShoreLevel = -320.0f;

// Ground height at (x, y). Within the basin (which holds the square where
// characters start) it stays between -185 and -105.
float GroundHeight(float x, float y);

// Signed fields over the ground, each positive on its side of its zero line.
// They vary slowly next to the grid's cells, so their zero lines are smooth
// curves.
struct GroundCover {
  float rock;   // steep slopes: the inner faces of the hills and the cliffs
  float scree;  // rock and a fringe of dirt around it
  float sand;   // near the sea
  // Two paths of dirt across the island, each the ground between two
  // lines: path k lies where edges[2k] and edges[2k + 1] are both positive.
  float pathEdges[4];
};
// `z` is GroundHeight(x, y), `slope` the ground's steepness there in degrees.
GroundCover GroundCoverAt(float x, float y, float z, float slope);
