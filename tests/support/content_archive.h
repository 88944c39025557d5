// The archive the default build generated, for the content tests.
#pragma once
#include <string>
#include <vector>

#include "storage/archive_writer.h"
#include "storage/core.h"
#include "support/test_support.h"

// "<build>/run/brookfield.core" and its entries (empty when unreadable).
std::string BuiltArchivePath();
const std::vector<ArchiveEntry>& BuiltEntries();

// Points the file lookup at the built archive for the scope, from a fresh
// empty working directory (so no loose file shadows an entry).
class BuiltArchiveScope {
 public:
  BuiltArchiveScope() : previous_(CoreArchivePath()) {
    CoreSetArchivePath(BuiltArchivePath().c_str());
  }
  ~BuiltArchiveScope() { CoreSetArchivePath(previous_.c_str()); }
  BuiltArchiveScope(const BuiltArchiveScope&) = delete;
  BuiltArchiveScope& operator=(const BuiltArchiveScope&) = delete;

 private:
  std::string previous_;
  TempDir dir_{true};
};
