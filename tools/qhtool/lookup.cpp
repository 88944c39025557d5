#include "lookup.h"

#include <cstdio>

#include "commands.h"
#include "storage/core.h"

namespace {
bool Exists(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}
}  // namespace

bool ChooseArchive(const char* given) {
  if (given && !Exists(given)) {
    Fail("can't open %s", given);
    return false;
  }
  // An empty archive is what the program's lookup reads as "nothing packed":
  // every name not present as a loose file is simply not found.
  const char* archive = given ? given : Exists("brookfield.core") ? "brookfield.core" : "/dev/null";
  CoreSetArchivePath(archive);
  return true;
}

bool ReadNamedFile(const char* name, std::vector<uint8_t>* out) {
  const int32_t size = CWsize(name, "rb", true);
  FILE* f = size > 0 ? CoreOpen(name, "rb", true) : nullptr;
  if (!f) return false;
  out->resize(static_cast<size_t>(size));
  const bool ok = std::fread(out->data(), 1, out->size(), f) == out->size();
  std::fclose(f);
  return ok;
}
