#include "world.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "contour_mesh.h"
#include "land.h"
#include "noise.h"

namespace {
// The ground's heights at the corners of a square grid, and which diagonal
// splits each cell (the one whose middle lies nearer the true ground).
struct LandGrid {
  static constexpr int kCells = 125;
  static constexpr float kHalf = 1775.0f;
  static constexpr float kStep = 2 * kHalf / kCells;

  std::vector<float> height;       // (kCells + 1)^2, row by row from -kHalf
  std::vector<bool> mainDiagonal;  // per cell: split from (i, j) to (i + 1, j + 1)

  static LandGrid Sample();
  vec3 Corner(int i, int j) const;
  // Steepness at a corner in degrees, from its neighbours' heights.
  float SlopeAt(int i, int j) const;
  // Upward unit normal of the grid triangle under (x, y), as the program's
  // segment straight down finds it; (0, 0, 0) off the grid.
  vec3 NormalAt(float x, float y) const;
};

constexpr float kFileScale = 0.1f;  // world units to file units
constexpr float kTile = 80;         // world units per repeat of a ground texture
constexpr float kTreeTilt = 5;      // degrees
constexpr uint32_t kTreeSeed = 7321u;
constexpr float kDegrees = 57.29578f;

int Index(int i, int j) {
  return j * (LandGrid::kCells + 1) + i;
}

// Corner offsets of the two triangles of a cell, each clockwise seen from
// above, for either diagonal.
constexpr int kMainSplit[2][3][2] = {{{0, 0}, {0, 1}, {1, 1}}, {{0, 0}, {1, 1}, {1, 0}}};
constexpr int kOtherSplit[2][3][2] = {{{0, 0}, {0, 1}, {1, 0}}, {{1, 0}, {0, 1}, {1, 1}}};

const int (&CellSplit(const LandGrid& grid, int i, int j))[2][3][2] {
  return grid.mainDiagonal[j * LandGrid::kCells + i] ? kMainSplit : kOtherSplit;
}

vec3 UpwardNormal(const vec3& a, const vec3& b, const vec3& c) {
  // Clockwise from above: the program's face normal (c - a) x (b - a) points up.
  return normalize(cross(c - a, b - a));
}

// The bounding radius the program computes for the map after scaling it by 10.
float ScaledRadius(const MeshBuild& map) {
  vec3 lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
  for (const vec3& p : map.pos) {
    const vec3 s = p * 10.0f;
    lo = vec3(std::min(lo.x, s.x), std::min(lo.y, s.y), std::min(lo.z, s.z));
    hi = vec3(std::max(hi.x, s.x), std::max(hi.y, s.y), std::max(hi.z, s.z));
  }
  return length(hi - (lo + hi) * 0.5f);
}

// The map's groups, in the order they are created.
enum Group { kGrass, kEarth, kRock, kSand };

// Fields: 0 the shore, 1 rock, 2 sand, 3 scree, 4..7 the paths' edges.
int Classify(unsigned signs) {
  if (!(signs & 1)) return -1;  // under the sea
  if (signs & 2) return kRock;
  if (signs & 4) return kSand;
  const bool path = (signs & 0x30) == 0x30 || (signs & 0xC0) == 0xC0;
  return (signs & 8) || path ? kEarth : kGrass;
}

MeshBuild BuildMap(const LandGrid& grid) {
  MeshBuild out;
  for (const char* name : {"grass.jpg", "earth.jpg", "rock.jpg", "sand.jpg"}) out.GroupOf(name);
  ContourSplitter splitter(&out, kFileScale, kTile, Classify);
  const int w = LandGrid::kCells + 1;
  std::vector<FieldPoint> points(static_cast<size_t>(w) * w);
  for (int j = 0; j < w; ++j)
    for (int i = 0; i < w; ++i) {
      FieldPoint& p = points[Index(i, j)];
      p.pos = grid.Corner(i, j);
      const GroundCover c = GroundCoverAt(p.pos.x, p.pos.y, p.pos.z, grid.SlopeAt(i, j));
      const float fields[FieldPoint::kFields] = {
          p.pos.z - kShoreLevel, c.rock,         c.sand,         c.scree,
          c.pathEdges[0],        c.pathEdges[1], c.pathEdges[2], c.pathEdges[3]};
      for (int k = 0; k < FieldPoint::kFields; ++k)
        p.f[k] = std::fabs(fields[k]) < 1e-3f ? std::copysign(1e-3f, fields[k]) : fields[k];
    }
  for (int j = 0; j < LandGrid::kCells; ++j)
    for (int i = 0; i < LandGrid::kCells; ++i)
      for (const auto& t : CellSplit(grid, i, j))
        splitter.Add(points[Index(i + t[0][0], j + t[0][1])],
                     points[Index(i + t[1][0], j + t[1][1])],
                     points[Index(i + t[2][0], j + t[2][1])]);
  return out;
}

// Whether a tree may stand at (x, y): on grass well off the paths, above
// the beach, on ground level within kTreeTilt all around its trunk, away
// from the start square and from the trees already planted.
bool TreeFits(const LandGrid& grid, float x, float y, float startHalf,
              const std::vector<vec3>& trees) {
  if (std::fabs(x) < startHalf && std::fabs(y) < startHalf) return false;
  const float level = std::cos(kTreeTilt / kDegrees);
  for (int k = 0; k <= 8; ++k) {
    const float a = k * 0.785398f, r = k == 8 ? 0.0f : 12.0f;
    if (grid.NormalAt(x + r * std::cos(a), y + r * std::sin(a)).z < level) return false;
  }
  const float z = GroundHeight(x, y);
  if (z < kShoreLevel + 60) return false;
  const vec3 n = grid.NormalAt(x, y);
  const GroundCover c = GroundCoverAt(x, y, z, std::acos(n.z) * kDegrees);
  for (int k = 0; k < 2; ++k)
    if (std::min(c.pathEdges[2 * k], c.pathEdges[2 * k + 1]) > -1.5f) return false;
  if (c.scree > -0.5f || c.sand > -0.5f) return false;
  for (const vec3& t : trees) {
    const float dx = t.x - x, dy = t.y - y;
    if (dx * dx + dy * dy < 28 * 28) return false;
  }
  return true;
}

std::vector<vec3> PlantTrees(const LandGrid& grid, float startHalf) {
  std::vector<vec3> trees;
  ContentRandom random(kTreeSeed);
  const float reach = LandGrid::kHalf - 40;
  auto plant = [&](float x, float y) {
    if (!TreeFits(grid, x, y, startHalf, trees)) return false;
    trees.push_back(vec3(x, y, GroundHeight(x, y)));
    return true;
  };
  // Groves: a few trees around a centre that suits one.
  int groves = 0;
  for (int attempt = 0; attempt < 20000 && groves < 7; ++attempt) {
    const float x = random.Range(-reach, reach), y = random.Range(-reach, reach);
    if (!plant(x, y)) continue;
    ++groves;
    const int size = 2 + static_cast<int>(random.Unit() * 5);
    for (int k = 0, tries = 0; k < size && tries < 80; ++tries) {
      const float a = random.Range(0, 6.283185f), r = random.Range(30, 75);
      k += plant(x + r * std::cos(a), y + r * std::sin(a));
    }
  }
  // And trees on their own.
  for (int attempt = 0, singles = 0; attempt < 20000 && singles < 12; ++attempt)
    singles += plant(random.Range(-reach, reach), random.Range(-reach, reach));
  return trees;
}
}  // namespace

LandGrid LandGrid::Sample() {
  LandGrid grid;
  const int w = kCells + 1;
  grid.height.resize(static_cast<size_t>(w) * w);
  for (int j = 0; j < w; ++j)
    for (int i = 0; i < w; ++i)
      grid.height[Index(i, j)] = GroundHeight(-kHalf + i * kStep, -kHalf + j * kStep);
  grid.mainDiagonal.resize(static_cast<size_t>(kCells) * kCells);
  for (int j = 0; j < kCells; ++j)
    for (int i = 0; i < kCells; ++i) {
      const float middle = GroundHeight(-kHalf + (i + 0.5f) * kStep, -kHalf + (j + 0.5f) * kStep);
      const float main = (grid.height[Index(i, j)] + grid.height[Index(i + 1, j + 1)]) / 2;
      const float other = (grid.height[Index(i + 1, j)] + grid.height[Index(i, j + 1)]) / 2;
      grid.mainDiagonal[j * kCells + i] = std::fabs(main - middle) < std::fabs(other - middle);
    }
  return grid;
}

vec3 LandGrid::Corner(int i, int j) const {
  return vec3(-kHalf + i * kStep, -kHalf + j * kStep, height[Index(i, j)]);
}

float LandGrid::SlopeAt(int i, int j) const {
  const int i0 = std::max(i - 1, 0), i1 = std::min(i + 1, kCells);
  const int j0 = std::max(j - 1, 0), j1 = std::min(j + 1, kCells);
  const float gx = (height[Index(i1, j)] - height[Index(i0, j)]) / ((i1 - i0) * kStep);
  const float gy = (height[Index(i, j1)] - height[Index(i, j0)]) / ((j1 - j0) * kStep);
  return std::atan(std::sqrt(gx * gx + gy * gy)) * kDegrees;
}

vec3 LandGrid::NormalAt(float x, float y) const {
  const float gx = (x + kHalf) / kStep, gy = (y + kHalf) / kStep;
  const int i = static_cast<int>(std::floor(gx)), j = static_cast<int>(std::floor(gy));
  if (i < 0 || j < 0 || i >= kCells || j >= kCells) return vec3();
  const float fx = gx - i, fy = gy - j;
  // Main diagonal: the first triangle lies above it (fy > fx); otherwise the
  // first lies below the other diagonal (fx + fy < 1).
  const bool first = mainDiagonal[j * kCells + i] ? fy > fx : fx + fy < 1;
  const auto& t = CellSplit(*this, i, j)[first ? 0 : 1];
  return UpwardNormal(Corner(i + t[0][0], j + t[0][1]), Corner(i + t[1][0], j + t[1][1]),
                      Corner(i + t[2][0], j + t[2][1]));
}

World BuildWorld() {
  const LandGrid grid = LandGrid::Sample();
  World world;
  world.map = BuildMap(grid);
  // Characters start within 0.4 of the map's radius of the centre, on both axes.
  for (const vec3& t : PlantTrees(grid, 0.4f * ScaledRadius(world.map) + 30))
    world.markers.Add(vec3(t.x, t.y, t.z + 60) * kFileScale, 0, 0);
  return world;
}
