// qhtool: packs and inspects the program's data files and decodes its log.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "commands.h"
#include "core/log.h"

namespace {
struct Command {
  const char* name;
  const char* usage;
  CommandFn fn;
};

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

std::vector<InfoFormat>& Formats() {
  static std::vector<InfoFormat> formats;
  return formats;
}

int Usage(FILE* out) {
  std::fprintf(out, "usage: qhtool COMMAND ARGS...\n");
  for (const Command& c : Commands()) std::fprintf(out, "  qhtool %s %s\n", c.name, c.usage);
  return out == stdout ? 0 : 1;
}

int Info(int argc, char** argv) {
  if (argc != 1) return Fail("usage: qhtool info FILE");
  const char* path = argv[0];
  FILE* f = std::fopen(path, "rb");
  if (!f) return Fail("can't open %s", path);
  uint8_t head[64] = {};
  const size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  for (const InfoFormat& format : Formats()) {
    if (!format.sniff(path, head, got)) continue;
    char reason[512] = "invalid file";
    if (format.print(path, reason, sizeof reason)) return 0;
    return Fail("%s: %s", path, reason);
  }
  return Fail("%s: unknown file format", path);
}

CommandRegistration g_info("info", "FILE", Info);
}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn fn) {
  Commands().push_back({name, usage, fn});
}

InfoRegistration::InfoRegistration(const InfoFormat& format) {
  Formats().push_back(format);
}

ReasonCapture::ReasonCapture(int level, char* reason, size_t reasonSize)
    : level_(level), reason_(reason), size_(reasonSize) {
  g_log.SetSink(Sink, this);
}

ReasonCapture::~ReasonCapture() {
  g_log.SetSink(nullptr, nullptr);
}

void ReasonCapture::Sink(int level, const char* line, void* user) {
  ReasonCapture* self = static_cast<ReasonCapture*>(user);
  if (level != self->level_ || self->captured_) return;
  self->captured_ = true;
  static const char* const kPrefix[] = {"", "WARNING::", "ERROR::", "FATAL::"};
  const char* text = std::strstr(line, "::");  // past the time fields
  text = text ? text + 2 : line;
  if (level >= LOG_WARNING && level <= LOG_FATAL) {
    const size_t n = std::strlen(kPrefix[level]);
    if (std::strncmp(text, kPrefix[level], n) == 0) text += n;
  }
  std::snprintf(self->reason_, self->size_, "%s", text);
}

int Fail(const char* format, ...) {
  std::fprintf(stderr, "qhtool: ");
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fprintf(stderr, "\n");
  return 1;
}

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) return Usage(stdout);
  for (const Command& c : Commands())
    if (!std::strcmp(c.name, argv[1])) return c.fn(argc - 2, argv + 2);
  return Fail("unknown command '%s'", argv[1]);
}
