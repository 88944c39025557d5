#include "support/content_archive.h"

#include "storage/core.h"
#include "support/test_support.h"

std::string BuiltArchivePath() {
  return std::string(QH_BINARY_DIR) + "/run/brookfield.core";
}

const std::vector<ArchiveEntry>& BuiltEntries() {
  static const std::vector<ArchiveEntry> entries = [] {
    std::vector<ArchiveEntry> out;
    std::vector<uint8_t> image;
    std::string error;
    if (!ReadWholeFile(BuiltArchivePath(), &image) || !ReadArchive(image, &out, &error))
      out.clear();
    return out;
  }();
  return entries;
}

struct BuiltArchiveScope::Dir {
  TempDir dir{true};
};

BuiltArchiveScope::BuiltArchiveScope() : previous_(CoreArchivePath()), dir_(new Dir) {
  CoreSetArchivePath(BuiltArchivePath().c_str());
}

BuiltArchiveScope::~BuiltArchiveScope() {
  CoreSetArchivePath(previous_.c_str());
  delete dir_;
}
