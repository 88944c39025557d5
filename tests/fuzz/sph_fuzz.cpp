// "bin\sph.col": whatever count the header claims, no more placements are
// read than the file holds, and checking them is safe.
#include <cstddef>
#include <cstdint>

#include "fuzz_file.h"
#include "game/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SPlayer player;
  const char* path = FuzzFile(data, size);
  if (!player.LoadSpheres(path)) __builtin_trap();  // the file is there
  const size_t room = size >= 4 ? (size - 4) / 38 : 0;
  if (player.sphereCount > room) __builtin_trap();
  player.CheckSpheres(path);
  return 0;
}
