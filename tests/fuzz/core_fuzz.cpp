// Archive lookup: a damaged directory ends the scan, never hands out an entry past the file's end.
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
  if (!h && size != 0) __builtin_trap();  // the two walks must agree
  if (!h) return;
  const long at = std::ftell(h);
  if (at < 0 || size < 0 || static_cast<size_t>(at) + static_cast<size_t>(size) > fileSize)
    __builtin_trap();
  std::fclose(h);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CoreSetArchivePath(FuzzFile(data, size));
  // Names the content has (scrambled in the image), and as plain fields mutation reaches easily.
  for (const char* name : {"bin\\sph.col", "eye.vs", "sky.ps", "bin\\tree_map.Model"})
    CheckLookup(name, true, size), CheckLookup(name, false, size);
  for (const char* name : {"eye.vs", "sky.ps"}) delete[] CoreReadText(name);
  return 0;
}
