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

// While alive, keeps the text of the first log line of `level` (without its
// time fields and level prefix) in `reason`: a loader's own message becomes
// the tool's one-line reason.
class ReasonCapture {
 public:
  ReasonCapture(int level, char* reason, size_t reasonSize);
  ~ReasonCapture();
  bool captured() const { return captured_; }
  ReasonCapture(const ReasonCapture&) = delete;
  ReasonCapture& operator=(const ReasonCapture&) = delete;

 private:
  static void Sink(int level, const char* line, void* user);
  int level_;
  char* reason_;
  size_t size_;
  bool captured_ = false;
};

// Prints "qhtool: REASON" to stderr and returns 1.
int Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
