// The island and the characters as loaded. The island: safe starts, level trees, ground kinds
// by slope, hillsides one can cross, a map ending in the sea. The characters: bodies on one
// skeleton, to scale, eyes on the head, faces outward; clips whose poses do what their names
// say; strands in each palette; ellipsoids.
#include "world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "bodies.h"
#include "clips.h"
#include "game/spline.h"
#include "geometry/em7.h"
#include "geometry/model.h"
#include "rig.h"
#include "strands.h"
#include "support/content_archive.h"

namespace {
// A model file of the built archive, scaled as the program scales it.
struct LoadedModel {
  Mesh mesh;
  Model model;
  LoadedModel(const char* name, float scale) {
    mesh.Init();
    model.Reset();
    BuiltArchiveScope scope;
    if (!LoadEM7(mesh, name)) return;
    mesh.Scale(scale, scale, scale);
    model.Assign(&mesh);
  }
  ~LoadedModel() {
    model.Release();
    mesh.Clear();
  }
  // Edges only one triangle uses, corners welded as the program welds them.
  int OpenEdges() {
    mesh.BuildEdges();
    std::vector<int> uses(mesh.edgeCount);
    for (uint32_t t = 0; t < 3 * mesh.triCount; ++t) ++uses[mesh.triEdges[t / 3 * 4 + t % 3]];
    return static_cast<int>(std::count(uses.begin(), uses.end(), 1));
  }
  vec3 Normal(uint32_t t) const {  // the program's (c - a) x (b - a)
    const uint32_t* c = mesh.tris + 3 * t;
    return normalize(cross(mesh.pos[c[2]] - mesh.pos[c[0]], mesh.pos[c[1]] - mesh.pos[c[0]]));
  }
};

const float kDegree = 0.0174533f;

TEST(World, SafeStartsLevelTreesOnABuriedTrunkGroundBySlopeGentleBendsAndTheSeaAtTheEdge) {
  LoadedModel map("bin\\map2.Model", 10), trees("bin\\tree_map.Model", 10);
  const float half = 0.4f * map.model.radius;
  for (uint32_t i = 0; i < map.mesh.vertCount; ++i) {
    const vec3& p = map.mesh.pos[i];
    EXPECT_TRUE(std::fabs(p.x) >= half || std::fabs(p.y) >= half || p.z < -80)
        << p.x << "," << p.y;  // characters start from -80 up
    EXPECT_LT(p.z, 300.0f) << "the cloud (underside at 400) clears the hills";
  }
  const uint32_t n = trees.mesh.vertCount;
  EXPECT_GE(n, 30u);
  for (uint32_t i = 0; i < n; ++i) {  // planted down from the marker, turned to the normal there
    const vec3& p = trees.mesh.pos[i];
    vec3 hit, normal;
    float t = 1;
    EXPECT_FALSE(std::fabs(p.x) < half + 25 && std::fabs(p.y) < half + 25) << "tree " << i;
    ASSERT_TRUE(map.model.RayCast(p, vec3(0, 0, -1000), hit, normal, t) && t > 0) << i;
    EXPECT_GE(normal.z, std::cos(12 * kDegree)) << "tree " << i << " leans";
  }
  // The tree (the program doubles it) stands on a buried trunk under the crown, without holes.
  LoadedModel tree("bin\\tree.Model", 1);
  ASSERT_TRUE(tree.mesh.groupCount == 2 && std::string(tree.mesh.texName[0].c_str()) == "bark.jpg");
  float low[2] = {1e9f, 1e9f};
  for (uint32_t k = 0; k < 3 * tree.mesh.triCount; ++k) {
    const int g = k / 3 >= tree.mesh.groupTris[0];
    low[g] = std::min(low[g], tree.mesh.pos[tree.mesh.tris[k]].z);
  }
  EXPECT_TRUE(low[0] < -1 && low[0] > -4 && low[1] > 8) << "a buried foot, the crown above heads";
  // Open: only the ends of the trunk and four branches, buried or inside trunk and crown.
  EXPECT_EQ(tree.OpenEdges(), 2 * 8 + 4 * 2 * 6);
  const Mesh& m = map.mesh;
  ASSERT_EQ(m.groupCount, 4);  // grass, earth, rock, sand
  EXPECT_GT(m.groupTris[0] * 5, m.triCount * 2) << "grass the most";
  std::vector<int> group;
  std::map<std::pair<uint32_t, uint32_t>, std::vector<uint32_t>> edges;
  for (uint16_t g = 0; g < m.groupCount; ++g) group.insert(group.end(), m.groupTris[g], g);
  for (uint32_t t = 0; t < 3 * m.triCount; ++t) {
    const uint32_t a = m.tris[t], b = m.tris[t % 3 == 2 ? t - 2 : t + 1];
    edges[{std::min(a, b), std::max(a, b)}].push_back(t / 3);
    const float slope = std::acos(map.Normal(t / 3).z) / kDegree;
    EXPECT_TRUE((group[t / 3] != 0 || slope < 55) && (group[t / 3] != 2 || slope > 25)) << slope;
  }
  // Running, a character keeps the ground past bends up to ~40 degrees at 13 frames a second,
  // and starts over (below -300) before the map's edge.
  int shore = 0;
  for (const auto& [edge, tris] : edges) {
    const vec3& p = m.pos[edge.first];
    ASSERT_LE(tris.size(), 2u) << "an edge shared by three triangles";
    shore += tris.size() == 1;
    EXPECT_TRUE(tris.size() == 2 || p.z < -310) << p.x << "," << p.y;
    const float bend = std::acos(std::min(1.0f, dot(map.Normal(tris[0]), map.Normal(tris.back()))));
    ASSERT_LE(bend, 40 * kDegree) << "a sharp bend at " << p.x << "," << p.y;
  }
  EXPECT_GT(shore, 300);
  // From above, a boundary between ground kinds turns by over 45 degrees at few of its corners;
  // along triangle edges (saw-teeth) it would at nearly all.
  std::map<uint32_t, std::vector<std::pair<uint32_t, int>>> boundary;
  for (const auto& [edge, tris] : edges) {
    const int a = group[tris[0]], b = group[tris.back()], kinds = 1 << a | 1 << b;
    if (a == b) continue;
    boundary[edge.first].push_back({edge.second, kinds});
    boundary[edge.second].push_back({edge.first, kinds});
  }
  int corners = 0, sharp = 0;
  for (const auto& [v, next] : boundary) {
    if (next.size() != 2 || next[0].second != next[1].second) continue;
    const vec3 &p = m.pos[v], &a = m.pos[next[0].first], &b = m.pos[next[1].first];
    ++corners;
    sharp += dot(normalize(vec3(p.x - a.x, p.y - a.y, 0)),
                 normalize(vec3(b.x - p.x, b.y - p.y, 0))) < std::cos(45 * kDegree);
  }
  EXPECT_TRUE(corners > 1000 && sharp * 20 < corners) << sharp << " sharp corners of " << corners;
}

TEST(Characters, BodiesShareOneSkeletonStandTenHighFaceOutwardWithEyesOnTheHead) {
  LoadedModel winged("bin\\pegasus.Model", 1), ground("bin\\earthling.Model", 1);
  ASSERT_TRUE(winged.mesh.boneCount == kWingedBones && ground.mesh.boneCount == kGroundBones);
  for (int b = 0; b < kWingedBones; ++b) {
    const Mesh& m = b < kGroundBones ? ground.mesh : winged.mesh;
    EXPECT_STREQ(m.boneName[b].c_str(), GetRig().bones[b].name);
    EXPECT_TRUE(winged.mesh.boneParent[b] == m.boneParent[b] && m.boneParent[b] < b);
  }
  EXPECT_EQ(ground.OpenEdges(), 0) << "a hole in the body";
  for (const LoadedModel* body : {&winged, &ground}) {
    const Mesh& m = body->mesh;
    float lowest = 1e9f, eye[2] = {1e9f, 1e9f};
    double volume = 0;  // positive only with faces outward
    for (uint32_t i = 0; i < m.vertCount; ++i) {
      float sum = 0;  // every vertex fully skinned
      for (int k = 0; k < m.weightCount[i]; ++k) sum += m.weights[i][k];
      ASSERT_NEAR(sum, 1, 1e-3f) << i;
      lowest = std::fmin(lowest, m.pos[i].z);
      for (int k = 0; k < 2; ++k)
        eye[k] = std::fmin(
            eye[k], length(m.pos[i] -
                           body->model.invBind[kLeye + k].inverseAffine().transformPoint(vec3())));
    }
    for (uint32_t t = 0; t < 3 * m.triCount; t += 3)
      volume += dot(m.pos[m.tris[t]], cross(m.pos[m.tris[t + 2]], m.pos[m.tris[t + 1]]));
    EXPECT_TRUE(std::fabs(body->model.radius - 10) < 1 && std::fabs(lowest) < 0.15f &&
                eye[0] < 0.4f && eye[1] < 0.4f && volume > 600)
        << "ten high, feet at 0, eyes on the head, faces outward";
  }
}

struct Posed {
  mat4 g[kBoneTotal];
  Posed(const std::string& file, float phase) {
    for (const ClipSpec& s : ClipSpecs())
      if (file == s.file) PoseGlobals(ClipPose(s, phase), g);
  }
  float Sole(int leg) const {  // height of a leg's sole; legs LF, RF, LH, RH
    const int lower[4] = {kLFront2, kRFront2, kLHind2, kRHind2};
    return g[lower[leg]].transformPoint(vec3(GetRig().lowerLeg, 0, 0)).z;
  }
};

TEST(Characters, ClipKeysIncreaseAndPosesKeepHoovesDownStepWingsBeatHeadsLead) {
  for (const ClipSpec& def : ClipSpecs()) {
    CAnim clip;
    ASSERT_TRUE(BuildClip(def, &clip));
    for (int b = 0; b < clip.boneCount; ++b)
      for (int k = 0; k < clip.tracks[b].rotCount; ++k) {
        const float* time = clip.tracks[b].rotTimes;
        const vec3& key = clip.tracks[b].rotKeys[k];
        EXPECT_TRUE(time[k] < def.frames && (k == 0 || time[k] > time[k - 1]) &&
                    clip.tracks[b].rotCount > 1 && std::isfinite(key.x + key.y + key.z))
            << def.file << " bone " << b << " key " << k;
      }
    EXPECT_TRUE(def.file != std::string("bin\\jump_land.Anim") || def.frames < 10) << "jumps soon";
    for (float t = 0; t < 1; t += 0.125f)  // the body stays in place, the head upright
      EXPECT_TRUE(length(ClipPose(def, t).rootShift) < 3 &&
                  std::fabs(Posed(def.file, t).g[kHead].column(1).z) < 0.57f)
          << def.file;
    clip.Clear();
  }
  for (int leg = 0; leg < 4; ++leg) {  // standing may rest the right fore hoof
    EXPECT_TRUE(leg == 1 || std::fabs(Posed("bin\\stand.Anim", 0).Sole(leg)) < 0.05f) << leg;
    EXPECT_NEAR(Posed("bin\\jump_land.Anim", 0.5f).Sole(leg), 0.0f, 0.05f) << leg;
  }
  int lifted[4] = {};
  float wing[2][2] = {{1, -1}, {1, -1}};  // lowest and highest left wing tip in fly and ffly
  for (int k = 0; k < 8; ++k) {
    for (int leg = 0; leg < 4; ++leg)
      lifted[leg] += Posed("bin\\hwalk.Anim", k / 8.0f).Sole(leg) > 0.3f;
    for (int f = 0; f < 2; ++f) {
      const Posed p(f ? "bin\\ffly.Anim" : "bin\\fly.Anim", k / 8.0f);
      const vec3 left = p.g[kLWing].column(0), right = p.g[kRWing].column(0);
      EXPECT_TRUE(left.y > 0.5f && right.y < -0.5f && std::fabs(left.z - right.z) < 1e-3f);
      wing[f][0] = std::fmin(wing[f][0], left.z);
      wing[f][1] = std::fmax(wing[f][1], left.z);
    }
  }
  for (int n : lifted) EXPECT_GT(n, 0) << "every leg steps";
  for (auto& w : wing) EXPECT_GT(w[1] - w[0], 0.8f) << "the wings flap";
  EXPECT_LT(Posed("bin\\stand.Anim", 0).g[kLWing].column(0).x, -0.8f) << "folded back at rest";
  EXPECT_GT(Posed("bin\\Lturn.Anim", 0.25f).g[kHead].column(0).y, 0.2f) << "turns lead";
  EXPECT_LT(Posed("bin\\Rturn.Anim", 0.25f).g[kHead].column(0).y, -0.2f);
}

TEST(Characters, StrandsInEachPaletteOnTheBodyAndEllipsoidsOnTorsoNeckAndHead) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const ArchiveEntry& e : BuiltEntries()) files[e.name] = e.data;
  for (int c = 0; c < kCharacterCount; ++c) {
    const std::vector<uint8_t>& file = files[std::string(Character(c).code) + ".Line"];
    CSpline set;  // as the program reads it
    ASSERT_TRUE(set.Decode(file.data(), file.size()) && set.count >= 10 && set.count <= 40) << c;
    int onTail = 0, onNeckOrHead = 0;
    for (int s = 0, bone; s < set.count; ++s) {
      ASSERT_TRUE((bone = set.bone[s]) >= 0 && bone < kGroundBones) << s;
      ASSERT_TRUE(set.pointCount[s] >= 4 && set.pointCount[s] <= 8) << s;
      onTail += bone == kTail;
      onNeckOrHead += bone == kNeck1 || bone == kNeck2 || bone == kHead;
      int fromPalette = 0;  // a palette colour, full or at 0.8
      for (int k = 0; k < 10; ++k)
        fromPalette += set.color[s] == Character(c).colour[k / 2] * (k % 2 ? 0.8f : 1);
      EXPECT_TRUE(fromPalette &&
                  length(set.local[s][0] - GetRig().bind[bone].transformPoint(vec3())) < 5);
    }
    EXPECT_TRUE(onTail > 3 && onNeckOrHead > 5);
  }
  std::vector<CollisionEllipsoid> shapes;
  std::string error;  // ellipsoids on the head, the neck and the torso
  ASSERT_TRUE(DecodeSphereCol(files["bin\\sph.col"], &shapes, &error)) << error;
  int carriedBy[kBoneTotal] = {};
  for (const CollisionEllipsoid& s : shapes)
    ASSERT_TRUE(s.bone >= 0 && s.bone < kBoneTotal && ++carriedBy[s.bone] > 0);
  EXPECT_TRUE(carriedBy[kHead] && carriedBy[kNeck1] + carriedBy[kNeck2] &&
              carriedBy[kRoot] + carriedBy[kSpine]);
}
}  // namespace
