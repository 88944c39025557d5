// Stand-in characters for tests: a small box body with the characters'
// bone names, ten clips, and the pieces of the small world that hold them.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/player.h"
#include "storage/archive_writer.h"

// The body: a box 2 long (x), 1.5 wide (y), 4 tall (z) with its feet at the
// origin, bones "root", "neck1", "neck2", "head", "Reye", "Leye"; the upper
// quarter follows "head", the rest "root". Fills an empty mesh.
void BuildTestBody(Mesh& mesh);

// A clip file (version 2) of `frames` frames over the test body's bones,
// the root bobbing up and down.
std::vector<uint8_t> TestClipFile(uint32_t frames);

// Adds what SPlayer::Init reads to an archive's entries: both bodies, the
// eleven clips, the "eye" shaders and "bin\sph.col" with two placements.
// `scratch` is a writable file path used on the way. False on failure.
bool AddTestCharacters(std::vector<ArchiveEntry>* entries, const std::string& scratch);

// Characters set up without GL or the manager, installed as g_players for
// the scope: each has the test body and the ten clips attached in the
// designed order (10 frames each), is airborne in the jump-air clip at the
// origin and has index i; the last one is controlled (mode 1).
struct TestCrew {
  int count;
  Mesh mesh;
  SPlayer players[4];
  CAnim clips[4][kClipKinds];

  explicit TestCrew(int characters = 4);
  ~TestCrew();
  TestCrew(const TestCrew&) = delete;
  TestCrew& operator=(const TestCrew&) = delete;
};

// A model of a box with corners `low` and `high` (unit cube scaled and
// moved), facing out: ground slabs and tree trunks.
struct TestBox {
  Mesh mesh;
  Model model;
  TestBox(const vec3& low, const vec3& high);
  ~TestBox();
  TestBox(const TestBox&) = delete;
  TestBox& operator=(const TestBox&) = delete;
};

// No key or button held now or in the previous frame, no wheel step.
void ResetInput();

constexpr float kDt = 0.02f;

// Tests of the characters: no input, a frame time of kDt, view angles 0, no
// trees, before and after each test.
class CharacterTest : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean();
};
