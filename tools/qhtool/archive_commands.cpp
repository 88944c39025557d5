// qhtool pack / list / extract: "brookfield.core" archives.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "storage/archive_writer.h"

namespace fs = std::filesystem;

namespace {
int Pack(int argc, char** argv) {
  if (argc != 2) return Fail("usage: qhtool pack ARCHIVE DIR");
  const fs::path root = argv[1];
  std::error_code ec;
  if (!fs::is_directory(root, ec)) return Fail("%s is not a directory", argv[1]);
  std::vector<std::string> paths;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec))
      paths.push_back(fs::relative(it->path(), root, ec).generic_string());
  if (ec) return Fail("can't walk %s: %s", argv[1], ec.message().c_str());
  std::sort(paths.begin(), paths.end());

  std::vector<ArchiveEntry> entries;
  for (const std::string& relative : paths) {
    ArchiveEntry e;
    e.name = relative;
    std::replace(e.name.begin(), e.name.end(), '/', '\\');
    if (!ReadWholeFile((root / relative).string(), &e.data))
      return Fail("can't read %s", relative.c_str());
    entries.push_back(std::move(e));
  }
  if (!WriteWholeFile(argv[0], BuildArchive(entries))) return Fail("can't write %s", argv[0]);
  return 0;
}

bool Load(const char* path, std::vector<ArchiveEntry>* entries) {
  std::vector<uint8_t> image;
  if (!ReadWholeFile(path, &image)) {
    Fail("can't read %s", path);
    return false;
  }
  std::string error;
  if (!ReadArchive(image, entries, &error)) {
    Fail("%s: %s", path, error.c_str());
    return false;
  }
  return true;
}

int List(int argc, char** argv) {
  if (argc != 1) return Fail("usage: qhtool list ARCHIVE");
  std::vector<ArchiveEntry> entries;
  if (!Load(argv[0], &entries)) return 1;
  for (const ArchiveEntry& e : entries) std::printf("%s\t%zu\n", e.name.c_str(), e.data.size());
  return 0;
}

int Extract(int argc, char** argv) {
  if (argc != 2) return Fail("usage: qhtool extract ARCHIVE DIR");
  std::vector<ArchiveEntry> entries;
  if (!Load(argv[0], &entries)) return 1;
  const fs::path root = argv[1];
  for (const ArchiveEntry& e : entries) {
    std::string relative = e.name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const fs::path target = (root / relative).lexically_normal();
    // Names come from the file: refuse any that would land outside DIR.
    const std::string rel = fs::relative(target, root).generic_string();
    if (relative.empty() || relative[0] == '/' || rel.empty() || rel.rfind("..", 0) == 0)
      return Fail("refusing entry name '%s'", e.name.c_str());
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (!WriteWholeFile(target.string(), e.data))
      return Fail("can't write %s", target.string().c_str());
  }
  return 0;
}

CommandRegistration g_pack("pack", "ARCHIVE DIR", Pack);
CommandRegistration g_list("list", "ARCHIVE", List);
CommandRegistration g_extract("extract", "ARCHIVE DIR", Extract);
}  // namespace
