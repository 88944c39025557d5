// The loaders open files by name: each input goes to an in-memory file, named by its /proc path.
#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

inline const char* FuzzFile(const uint8_t* data, size_t size) {
  static int fd = memfd_create("qh-fuzz", 0);
  static char path[64];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  if (fd < 0 || ftruncate(fd, 0) != 0 ||
      (size && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
    __builtin_trap();
  return path;
}
