// qhtool's command and file-format registries. Each command or format lives
// in its own source file and registers itself with a static object, so the
// tool grows without a central list.
#pragma once
#include <cstddef>
#include <cstdint>

// A command: `qhtool NAME ARGS...`. Returns the exit status (0 success, 1
// failure with a one-line reason on stderr).
using CommandFn = int (*)(int argc, char** argv);

struct CommandRegistration {
  CommandRegistration(const char* name, const char* usage, CommandFn fn);
};

// A file format known to `qhtool info`. `sniff` tells from the path and the
// first bytes whether the file is of this format; `print` validates the
// whole file and prints its summary to stdout, or returns false after
// writing the reason to `reason` (one line, no newline).
struct InfoFormat {
  const char* name;
  bool (*sniff)(const char* path, const uint8_t* head, size_t headSize);
  bool (*print)(const char* path, char* reason, size_t reasonSize);
};

struct InfoRegistration {
  explicit InfoRegistration(const InfoFormat& format);
};

// Prints "qhtool: REASON" to stderr and returns 1.
int Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
