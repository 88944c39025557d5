// Spatial hash over vertex positions for the tolerance searches of Mesh
// (duplicates, welding): a query returns every later vertex in the
// neighbouring cells, a superset of those within the tolerance, in index
// order, so callers reproduce the order of an all-pairs scan.
#pragma once
#include <cstdint>
#include <vector>

#include "math/vec3.h"

class VertexGrid {
 public:
  // Buckets count positions into cells of twice `tolerance`. Two floats whose
  // computed difference is <= tolerance differ by less than a cell, so they
  // fall in the same or adjacent cells. Cell coordinates are clamped (huge
  // values share the border cells, which only adds candidates) and NaN goes
  // to cell 0 (it never passes a tolerance test anyway).
  void Build(const vec3* pos, uint32_t count, float tolerance);

  // Replaces out with every index j > i found in the 27 cells around vertex
  // i, ascending.
  void Later(uint32_t i, std::vector<uint32_t>& out) const;

 private:
  struct Cell {
    int32_t x, y, z;
    uint32_t start, end;  // range in sorted_
  };
  int32_t Find(int32_t x, int32_t y, int32_t z) const;

  std::vector<int32_t> coords_;   // cell of each vertex, 3 per vertex
  std::vector<uint32_t> sorted_;  // vertex indices, cell after cell, ascending in a cell
  std::vector<Cell> cells_;
  std::vector<int32_t> table_;  // open addressing: cell index or -1
  uint32_t mask_ = 0;
};
