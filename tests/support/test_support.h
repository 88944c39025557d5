// Shared test helpers: temporary directories and log capture.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A fresh directory under the system's temp folder, removed with its
// contents at the end of the scope. With `enter`, the working directory
// moves into it for the scope (loose files and "brookfield.core" are looked
// up there).
class TempDir {
 public:
  explicit TempDir(bool enter = false);
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& content) const;

 private:
  std::string path_, previous_;
};

// A fresh temporary working directory for the scope, holding an empty
// "brookfield.core" so that lookups of absent names fall through to
// "not in core" instead of ending the process.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return dir_.path(); }
  // Writes a file relative to the directory; false on failure.
  bool Write(const char* name, const void* data, size_t size) const;
  bool Write(const char* name, const std::vector<uint8_t>& bytes) const {
    return Write(name, bytes.data(), bytes.size());
  }

 private:
  TempDir dir_{true};
  std::string previousArchive_;
};

// Collects the log's lines in plain text while in scope.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  // Lines without the "%3i:%3i::" time fields, prefix kept ("ERROR::...").
  std::vector<std::string> lines;
  // True when some line contains `text`.
  bool Contains(const std::string& text) const;
};

// The lines of a text file (a trace, say); empty when it can't be read.
std::vector<std::string> ReadLines(const std::string& path);

// RGB pixels of a PNG, top row first; empty when it can't be read or isn't
// width x height.
std::vector<uint8_t> ReadPngRgb(const std::string& file, int width, int height);

// Runs a shell command, returning its exit status; stdout goes to `out`.
int RunCommand(const std::string& command, std::string* out = nullptr);

// A mono 8-bit WAV of `seconds` of a square wave at 8000 Hz.
std::vector<uint8_t> TestWav(float seconds);

// Paths of the built programs.
std::string BinaryPath(const char* name);
