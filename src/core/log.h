// The program's log: one scrambled line per event in "dump.mem".
//
// Each line is "%3i:%3i::" (seconds and milliseconds since the previous line),
// the level prefix, then the message; the line is scrambled with Scramble()
// seeded by its length and written followed by CR LF, then the file is
// flushed. The last 40 lines are kept in memory as the formatting area.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

enum LogLevel : int { LOG_INFO = 0, LOG_WARNING = 1, LOG_ERROR = 2, LOG_FATAL = 3 };

// Receives every line in plain text (time fields and prefix included) before
// it is scrambled. Used by tests and by tools that want to see the log.
using LogSink = void (*)(int level, const char* line, void* user);

class CLog {
 public:
  static constexpr int kMaxLines = 40;
  static constexpr int kLineSize = 4096;

  CLog() = default;  // no file until Open(); lines are still formatted and kept
  ~CLog();
  CLog(const CLog&) = delete;
  CLog& operator=(const CLog&) = delete;

  // Opens `path` for binary writing (truncating) and records the start time.
  // Returns false when the file can't be opened; the log then keeps working
  // in memory only.
  bool Open(const char* path);
  void Close();

  // Appends one line. Over-long messages are cut to fit the 4096-byte buffers.
  void Write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void WriteV(int level, const char* format, va_list args);

  void SetSink(LogSink sink, void* user) {
    sink_ = sink;
    sinkUser_ = user;
  }

  // Kept lines, oldest first, in their scrambled form (zero bytes included).
  int count() const { return count_; }
  const char* line(int i, int* length) const;
  int level(int i) const;

 private:
  struct Line {
    char text[kLineSize];
    int length;
    uint8_t level;
  };
  Line* lines_ = nullptr;  // ring of kMaxLines, allocated on first use
  int first_ = 0;
  int count_ = 0;
  FILE* file_ = nullptr;
  uint32_t lastTime_ = 0;
  LogSink sink_ = nullptr;
  void* sinkUser_ = nullptr;
};

extern CLog g_log;

// Appends one line to the program's log.
void Log(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Copies n bytes of a file's header into `out` (n + 1 bytes) as text for a log
// line: the text ends at a zero byte, and other control bytes become '?' so
// that a stray line feed or carriage return can't break the log's lines.
void LogHeaderText(const void* data, size_t n, char* out);
