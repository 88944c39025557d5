// Test helpers for code that reads named files and writes log lines.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// A fresh temporary directory made the working directory while the object
// lives, holding an empty "brookfield.core" so that lookups of absent names
// fall through to "not in core" instead of ending the process.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // Writes a loose file (relative to the directory); false on failure.
  bool Write(const char* name, const void* data, size_t size) const;

 private:
  std::string path_;
  std::string previousCwd_;
  std::string previousArchive_;
};

// Collects every log line (plain text, prefixes included) while alive.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Whether some line contains `text`.
  bool Contains(const char* text) const;
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  static void Sink(int level, const char* line, void* user);
  std::vector<std::string> lines_;
};
