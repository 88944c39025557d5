// Shared test helpers: temporary directories, log capture, files and programs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A fresh directory under the temp folder, removed with its contents at the
// end of the scope; with `enter`, also the working directory for the scope.
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

// A fresh working directory for the scope holding a "brookfield.core" with
// one unused entry, so lookups of absent names fall through to "not in core".
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  bool Write(const char* name, const void* data, size_t size) const;  // false on failure
  bool Write(const char* name, const std::vector<uint8_t>& b) const {
    return Write(name, b.data(), b.size());
  }

 private:
  TempDir dir_{true};
  std::string previousArchive_;
};

// Collects the log's lines while in scope, without the "%3i:%3i::" time
// fields, prefix kept ("ERROR::...").
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  std::vector<std::string> lines;
  bool Contains(const std::string& text) const;
};

// The lines of a text file; empty when it can't be read.
std::vector<std::string> ReadLines(const std::string& path);
// RGB pixels of a PNG, top row first; empty unless readable and width x height.
std::vector<uint8_t> ReadPngRgb(const std::string& file, int width, int height);
// Runs a shell command, returning its exit status; stdout goes to `out`.
int RunCommand(const std::string& command, std::string* out = nullptr);
// A mono 8-bit WAV of `seconds` of a square wave at 8000 Hz.
std::vector<uint8_t> TestWav(float seconds);
// Paths of the built programs.
std::string BinaryPath(const char* name);
