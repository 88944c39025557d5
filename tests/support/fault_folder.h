// Folders that fail writes, for testing what the program does then.
#pragma once
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

// A tmpfs of `bytes` over `dir` for the scope when the process may mount one
// (root); otherwise the folder stays as it was.
class ScratchMount {
 public:
  ScratchMount(const std::string& dir, long bytes)
      : dir_(dir),
        mounted_(mount("tmpfs", dir.c_str(), "tmpfs", 0,
                       ("size=" + std::to_string(bytes)).c_str()) == 0) {}
  ~ScratchMount() {
    if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
    chmod(dir_.c_str(), 0700);
  }
  bool mounted() const { return mounted_; }
  // Writes into the folder fail from now on (the tmpfs goes read-only, else
  // the folder loses its write bits); false when they still go through.
  bool MakeReadOnly() {
    if (mounted_) mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr);
    if (!mounted_) chmod(dir_.c_str(), 0500);
    return access(dir_.c_str(), W_OK) != 0;
  }

 private:
  std::string dir_;
  bool mounted_;
};
