// Folders that fail writes, for testing what the program does then.
#pragma once
#include <string>

// Over `dir` for the scope: a tmpfs of `bytes` when the process may mount
// one (root), else nothing, and the folder stays as it was.
class ScratchMount {
 public:
  ScratchMount(const std::string& dir, long bytes);
  ~ScratchMount();
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;
  bool mounted() const { return mounted_; }
  // From now on writes into the folder fail: the tmpfs goes read-only, or
  // without one the folder loses its write bits. False when writes still go
  // through (root without the right to mount ignores the bits).
  bool MakeReadOnly();

 private:
  std::string dir_;
  bool mounted_ = false;
};
