// Folders that fail writes, for testing what the program does then.
#pragma once
#include <string>

// A tmpfs of `bytes` over `dir` for the scope when the process may mount one
// (root); otherwise the folder stays as it was.
class ScratchMount {
 public:
  ScratchMount(const std::string& dir, long bytes);
  ~ScratchMount();
  bool mounted() const { return mounted_; }
  // Writes into the folder fail from now on (the tmpfs goes read-only, else
  // the folder loses its write bits); false when they still go through.
  bool MakeReadOnly();

 private:
  std::string dir_;
  bool mounted_ = false;
};
