// Shared test helpers: temporary directories and log capture.
#pragma once
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

// Collects the log's lines in plain text while in scope.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  // Lines without the "%3i:%3i::" time fields, prefix kept ("ERROR::...").
  std::vector<std::string> lines;
  bool Contains(const std::string& text) const;
};

// Runs a shell command, returning its exit status; stdout goes to `out`.
int RunCommand(const std::string& command, std::string* out = nullptr);

// Paths of the built programs.
std::string BinaryPath(const char* name);
