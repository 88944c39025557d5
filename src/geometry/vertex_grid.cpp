#include "geometry/vertex_grid.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kCellLimit = 1 << 30;

int32_t CellOf(float value, double cell) {
  const double c = std::floor(static_cast<double>(value) / cell);
  if (!(c == c)) return 0;
  return static_cast<int32_t>(std::max(-kCellLimit, std::min(kCellLimit, c)));
}

uint32_t Hash(int32_t x, int32_t y, int32_t z) {
  uint64_t h = static_cast<uint32_t>(x) * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<uint32_t>(y) * 0xC2B2AE3D27D4EB4Full + (h >> 29);
  h ^= static_cast<uint32_t>(z) * 0x165667B19E3779F9ull + (h >> 31);
  return static_cast<uint32_t>(h ^ (h >> 32));
}
}  // namespace

void VertexGrid::Build(const vec3* pos, uint32_t count, float tolerance) {
  const double cell = 2.0 * static_cast<double>(tolerance);
  coords_.resize(3 * static_cast<size_t>(count));
  for (uint32_t i = 0; i < count; ++i) {
    coords_[3 * i] = CellOf(pos[i].x, cell);
    coords_[3 * i + 1] = CellOf(pos[i].y, cell);
    coords_[3 * i + 2] = CellOf(pos[i].z, cell);
  }
  // At most a quarter full even if every vertex has a cell of its own: most
  // of a search's 27 lookups miss, and a miss probes on to an empty slot.
  uint32_t size = 16;
  while (size < 4 * static_cast<uint64_t>(count)) size *= 2;
  mask_ = size - 1;
  table_.assign(size, -1);
  // Cells in the order vertices first reach them, each counting its
  // vertices in `end` for now.
  cells_.clear();
  std::vector<uint32_t> cellOf(count);
  for (uint32_t i = 0; i < count; ++i) {
    const int32_t* v = &coords_[3 * static_cast<size_t>(i)];
    int32_t k = Find(v[0], v[1], v[2]);
    if (k < 0) {
      k = static_cast<int32_t>(cells_.size());
      cells_.push_back({v[0], v[1], v[2], 0, 0});
      uint32_t h = Hash(v[0], v[1], v[2]) & mask_;
      while (table_[h] >= 0) h = (h + 1) & mask_;
      table_[h] = k;
    }
    cellOf[i] = static_cast<uint32_t>(k);
    ++cells_[k].end;
  }
  // Each cell's range of sorted_, filled in index order so that a cell's
  // vertices ascend.
  uint32_t start = 0;
  for (Cell& c : cells_) {
    const uint32_t n = c.end;
    c.start = c.end = start;
    start += n;
  }
  sorted_.resize(count);
  for (uint32_t i = 0; i < count; ++i) sorted_[cells_[cellOf[i]].end++] = i;
  place_.resize(count);
  next_.resize(static_cast<size_t>(count) + 1);  // the last one stands for the end
  for (uint32_t s = 0; s <= count; ++s) {
    if (s < count) place_[sorted_[s]] = s;
    next_[s] = s;
  }
}

int32_t VertexGrid::Find(int32_t x, int32_t y, int32_t z) const {
  for (uint32_t h = Hash(x, y, z) & mask_; table_[h] >= 0; h = (h + 1) & mask_) {
    const Cell& cell = cells_[table_[h]];
    if (cell.x == x && cell.y == y && cell.z == z) return table_[h];
  }
  return -1;
}

void VertexGrid::Later(uint32_t i, std::vector<uint32_t>& out) const {
  out.clear();
  const int32_t* v = &coords_[3 * static_cast<size_t>(i)];
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dz = -1; dz <= 1; ++dz) {
        // The clamp keeps v within +-2^30, so the neighbours can't overflow.
        const int32_t k = Find(v[0] + dx, v[1] + dy, v[2] + dz);
        if (k < 0) continue;
        const Cell& cell = cells_[k];
        auto first = std::upper_bound(sorted_.begin() + cell.start, sorted_.begin() + cell.end, i);
        out.insert(out.end(), first, sorted_.begin() + cell.end);
      }
  std::sort(out.begin(), out.end());
}

void VertexGrid::Remove(uint32_t vertex) {
  next_[place_[vertex]] = place_[vertex] + 1;
}
