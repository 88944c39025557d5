// Archive lookup over a whole archive image: a damaged directory must end the
// scan, never hand out an entry that runs past the end of the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "fuzz_file.h"
#include "storage/core.h"

namespace {
void CheckLookup(const char* name, bool scrambled, size_t fileSize) {
  FILE* h = CoreOpen(name, "rb", scrambled);
  const int32_t size = CWsize(name, "rb", scrambled);
  if (!h) {
    if (size != 0) __builtin_trap();  // the two walks must agree
    return;
  }
  const long at = std::ftell(h);
  if (at < 0 || size < 0 || static_cast<size_t>(at) + static_cast<size_t>(size) > fileSize)
    __builtin_trap();
  std::fclose(h);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CoreSetArchivePath(FuzzFile(data, size));
  // Names the content really has (scrambled in the image), and the same
  // names as plain fields, which mutation reaches more easily.
  for (const char* name : {"bin\\sph.col", "eye.vs", "sky.ps", "bin\\tree_map.Model"}) {
    CheckLookup(name, true, size);
    CheckLookup(name, false, size);
  }
  for (const char* name : {"eye.vs", "sky.ps"}) delete[] CoreReadText(name);
  return 0;
}
