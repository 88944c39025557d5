// Spatial hash over vertex positions for the tolerance searches of Mesh
// (duplicates, welding): a query returns every later vertex in the
// neighbouring cells, a superset of those within the tolerance, in index
// order, so callers reproduce the order of an all-pairs scan.
#pragma once
#include <algorithm>
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

  // The same indices, less the removed ones, handed to visit(j) one by one,
  // ascending, until visit returns false. Beyond a few hundred candidates
  // the work is bounded by what is visited, not by how crowded the cells
  // are.
  template <class Visit>
  void ForLater(uint32_t i, Visit visit);

  // Takes a vertex out of the ForLater calls that follow.
  void Remove(uint32_t vertex);

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
  std::vector<uint32_t> place_;  // each vertex's position in sorted_
  std::vector<uint32_t> next_;   // per position: itself when present, else a later one
  std::vector<uint32_t> scratch_;

  // The first position at or after p whose vertex is still present.
  uint32_t Present(uint32_t p) {
    while (next_[p] != p) {
      next_[p] = next_[next_[p]];  // halve the path
      p = next_[p];
    }
    return p;
  }
};

template <class Visit>
void VertexGrid::ForLater(uint32_t i, Visit visit) {
  uint32_t at[27], end[27];
  int ranges = 0;
  const int32_t* v = &coords_[3 * static_cast<size_t>(i)];
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dz = -1; dz <= 1; ++dz) {
        const int32_t k = Find(v[0] + dx, v[1] + dy, v[2] + dz);
        if (k < 0) continue;
        const Cell& cell = cells_[k];
        const auto first =
            std::upper_bound(sorted_.begin() + cell.start, sorted_.begin() + cell.end, i);
        at[ranges] = Present(static_cast<uint32_t>(first - sorted_.begin()));
        end[ranges] = cell.end;
        ranges += at[ranges] < cell.end;
      }
  size_t total = 0;  // removed ones included
  for (int r = 0; r < ranges; ++r) total += end[r] - at[r];
  if (total <= 256) {  // few: gathered and sorted, as Later does
    scratch_.clear();
    for (int r = 0; r < ranges; ++r)
      for (uint32_t p = at[r]; p < end[r]; p = Present(p + 1)) scratch_.push_back(sorted_[p]);
    std::sort(scratch_.begin(), scratch_.end());
    for (uint32_t j : scratch_)
      if (!visit(j)) return;
    return;
  }
  // Many: the ranges merged, so that stopping early saves the rest.
  uint32_t head[27];
  for (int r = 0; r < ranges; ++r) head[r] = sorted_[at[r]];
  while (ranges > 0) {
    int lowest = 0;
    for (int r = 1; r < ranges; ++r)
      if (head[r] < head[lowest]) lowest = r;
    if (!visit(head[lowest])) return;
    at[lowest] = Present(at[lowest] + 1);
    if (at[lowest] < end[lowest]) {
      head[lowest] = sorted_[at[lowest]];
    } else {
      --ranges;
      at[lowest] = at[ranges];
      end[lowest] = end[ranges];
      head[lowest] = head[ranges];
    }
  }
}
