// Stand-in characters for tests: a small box body with the characters' bones
// "root", "neck1", "neck2", "head", "Reye", "Leye" (0..5) and ten clips, and
// boxes for ground, walls and trees.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/input_tables.h"
#include "core/timer.h"
#include "environment/terrain.h"
#include "game/player.h"
#include "game/update.h"
#include "support/vec_expect.h"

// Characters without GL or the manager, installed as g_players for the scope:
// character i has index i, the test body with the ten clips in the designed order
// (10 frames each), airborne in the jump-air clip at the origin; the last controlled.
struct TestCrew {
  int count;
  Mesh mesh;
  SPlayer players[4];
  CAnim clips[4][kClipKinds];
  explicit TestCrew(int characters = 4);
  ~TestCrew();
};

// A model of a box with corners `low` and `high`, facing out.
struct TestBox {
  Mesh mesh;
  Model model;
  TestBox(const vec3& low, const vec3& high);
  ~TestBox() { model.Release(), mesh.Clear(); }
};

// No key or button held now or in the previous frame, no wheel step.
void ResetInput();
constexpr float kDt = 0.02f;

// Character tests start and end with no input, a frame time of kDt, view angles 0, no trees.
class CharacterTest : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    ResetInput();
    g_timer.frameTime = kDt, g_view = vec3(), g_trees = nullptr, g_treeCount = 0;
  }
};
