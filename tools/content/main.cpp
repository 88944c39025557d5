// qhcontent OUTDIR SHADERDIR: generates every file the program reads into
// OUTDIR/brookfield.core, the music beside it, and the desktop icon
// quietharbour.png. The output depends only on this program, so every run
// writes the same bytes.
#include <cstdio>
#include <string>

#include "content.h"
#include "core/log.h"
#include "icon.h"

namespace {
void PrintProblem(int level, const char* line, void*) {
  if (level >= LOG_WARNING) std::fprintf(stderr, "qhcontent: %s\n", line);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qhcontent OUTDIR SHADERDIR\n");
    return 1;
  }
  g_log.SetSink(PrintProblem, nullptr);
  const std::string out = argv[1];
  std::vector<ArchiveEntry> entries;
  std::vector<uint8_t> music;
  std::string error;
  if (!BuildContent(out + "/.qhcontent.part", argv[2], &entries, &music, &error)) {
    std::fprintf(stderr, "qhcontent: %s\n", error.c_str());
    return 1;
  }
  const std::vector<uint8_t> icon = BuildIconPng(128);
  if (!WriteWholeFile(out + "/brookfield.core", BuildArchive(entries)) ||
      !WriteWholeFile(out + "/" + kMusicFile, music) || icon.empty() ||
      !WriteWholeFile(out + "/quietharbour.png", icon)) {
    std::fprintf(stderr, "qhcontent: can't write into %s\n", out.c_str());
    return 1;
  }
  std::printf("qhcontent: %zu entries in %s/brookfield.core, music %s\n", entries.size(),
              out.c_str(), kMusicFile);
  return 0;
}
