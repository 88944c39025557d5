// A temporary working directory for tests that read loose files by relative
// name: created and entered on construction, left and removed on destruction.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // Writes `bytes` to the relative path `name` (its directory must exist).
  void Write(const char* name, const std::vector<uint8_t>& bytes) const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

// Collects the plain-text log lines written while it lives.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // True when some captured line contains `text`.
  bool Contains(const std::string& text) const;
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};
