// Line files: a decoded set encodes back to the bytes it was read from, and what the editor then
// does with it (constrain, evaluate, remove) is safe.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game/spline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSpline set;
  if (!set.Decode(data, size)) {
    if (set.count != 0) __builtin_trap();
    return 0;
  }
  const std::vector<uint8_t> again = set.Encode();  // bytes after the last record aren't in it
  if (again.size() > size || std::memcmp(again.data(), data, again.size()) != 0) __builtin_trap();
  set.Constrain(-1);
  volatile float sink = 0;
  vec3 out;
  for (int s = 0; s < set.count; ++s)
    for (int k = 0; k < set.pointCount[s]; ++k) {
      set.Evaluate(s, k, 0.5f, out, 0, false);
      set.Evaluate(s, k, 0.25f, out, 1, true);
      sink = sink + out.x;
    }
  if (set.count) set.Remove(set.count / 2);
  set.Remove(set.count);  // out of range: nothing
  return 0;
}
