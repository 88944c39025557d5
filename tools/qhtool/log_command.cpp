// qhtool log: prints each line of a "dump.mem" in plain text.
#include <cstdio>

#include "commands.h"
#include "core/log_decode.h"
#include "storage/archive_writer.h"

namespace {
int LogCommand(int argc, char** argv) {
  if (argc != 1) return Fail("usage: qhtool log FILE");
  std::vector<uint8_t> file;
  if (!ReadWholeFile(argv[0], &file)) return Fail("can't read %s", argv[0]);
  for (const std::string& line : DecodeLogLines(file)) std::printf("%s\n", line.c_str());
  return 0;
}

CommandRegistration g_log("log", "FILE", LogCommand);
}  // namespace
