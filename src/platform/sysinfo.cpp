#include "platform/sysinfo.h"

#include <SDL.h>
#include <dirent.h>
#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define QH_X86 1
#endif

const char* CpuVendor() {
  static char vendor[13];
  std::memset(vendor, 0, sizeof vendor);
#ifdef QH_X86
  unsigned a, b, c, d;
  if (__get_cpuid(0, &a, &b, &c, &d)) {
    std::memcpy(vendor, &b, 4);
    std::memcpy(vendor + 4, &d, 4);
    std::memcpy(vendor + 8, &c, 4);
    return vendor;
  }
#endif
  std::strcpy(vendor, "Unknown_CPU");
  return vendor;
}

int32_t CpuMHz() {
#ifdef QH_X86
  const int64_t c0 = static_cast<int64_t>(SDL_GetPerformanceCounter());
  const int64_t q = static_cast<int64_t>(SDL_GetPerformanceFrequency()) >> 5;
  const uint64_t t0 = __rdtsc();
  while (static_cast<int64_t>(SDL_GetPerformanceCounter()) - c0 < q) {
  }
  const uint64_t cycles = (__rdtsc() - t0) << 5;
  return static_cast<int32_t>(static_cast<float>(cycles) * 1e-6f);
#else
  return 0;
#endif
}

bool GetOsVersion(OsVersion* out) {
  utsname u;
  if (uname(&u) != 0) return false;
  std::snprintf(out->name, sizeof out->name, "%s", u.machine);
  out->major = out->minor = out->build = 0;
  std::sscanf(u.release, "%d.%d.%d", &out->major, &out->minor, &out->build);
  out->servicePackMajor = out->servicePackMinor = 0;
  return true;
}

bool GetMemoryStatus(uint64_t* total, uint64_t* available, long* freePercent) {
  struct sysinfo si;
  if (sysinfo(&si) != 0) return false;
  const uint64_t unit = si.mem_unit ? si.mem_unit : 1;
  uint64_t t = si.totalram * unit, a = si.freeram * unit;
  // MemAvailable counts reclaimable caches, as the free figure should.
  if (FILE* f = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kb;
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) a = kb * 1024ull;
    std::fclose(f);
  }
  *freePercent = t ? static_cast<long>(a * 100 / t) : 0;
  *total = t;
  *available = a;
  return true;
}

long ResidentKilobytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

bool GetComputerName(char* buffer, int size) {
  if (gethostname(buffer, static_cast<size_t>(size)) != 0) return false;
  buffer[size - 1] = '\0';
  return true;
}

bool GetUserName(char* buffer, int size) {
  if (const passwd* pw = getpwuid(geteuid())) {
    std::snprintf(buffer, static_cast<size_t>(size), "%s", pw->pw_name);
    return true;
  }
  return false;
}

void GetProcessorInfo(ProcessorInfo* out) {
  out->oemId = 0;
  out->processors = static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN));
  out->pageSize = static_cast<unsigned>(sysconf(_SC_PAGESIZE));
#if defined(__x86_64__)
  out->processorType = 8664;
#elif defined(__i386__)
  out->processorType = 586;
#else
  out->processorType = 0;
#endif
}

bool PlatformFindFirst(const char* folder, const char* suffix, char* name, int size) {
  DIR* dir = opendir(folder && *folder ? folder : ".");
  if (!dir) return false;
  bool found = false;
  const size_t suffixLength = std::strlen(suffix);
  while (const dirent* e = readdir(dir)) {
    const size_t n = std::strlen(e->d_name);
    if (n < suffixLength || std::strcmp(e->d_name + n - suffixLength, suffix) != 0) continue;
    std::snprintf(name, static_cast<size_t>(size), "%s", e->d_name);
    found = true;
    break;
  }
  closedir(dir);
  return found;
}
