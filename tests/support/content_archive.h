// The archive the default build generated, for the content tests.
#pragma once
#include <string>
#include <vector>

#include "storage/archive_writer.h"

// "<build>/run/brookfield.core".
std::string BuiltArchivePath();

// Its entries (empty when it can't be read; the caller asserts).
const std::vector<ArchiveEntry>& BuiltEntries();

// Points the file lookup at the built archive for the scope, from a fresh
// empty working directory (so no loose file shadows an entry).
class BuiltArchiveScope {
 public:
  BuiltArchiveScope();
  ~BuiltArchiveScope();
  BuiltArchiveScope(const BuiltArchiveScope&) = delete;
  BuiltArchiveScope& operator=(const BuiltArchiveScope&) = delete;

 private:
  std::string previous_;
  struct Dir;
  Dir* dir_;
};
