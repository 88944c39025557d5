#include "support/fault_folder.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

ScratchMount::ScratchMount(const std::string& dir, long bytes) : dir_(dir) {
  const std::string options = "size=" + std::to_string(bytes);
  mounted_ = mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

ScratchMount::~ScratchMount() {
  if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
  chmod(dir_.c_str(), 0700);
}

bool ScratchMount::MakeReadOnly() {
  if (mounted_)
    mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr);
  else
    chmod(dir_.c_str(), 0500);
  return access(dir_.c_str(), W_OK) != 0;
}
