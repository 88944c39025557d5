// Facts about the machine for the start-up log.
#pragma once
#include <cstdint>

// The 12-character CPU vendor text ("GenuineIntel"), or "Unknown_CPU".
const char* CpuVendor();

// Processor clock in MHz, measured against the real counter over 1/32 s
// (also in a run with virtual clocks).
int32_t CpuMHz();

struct OsVersion {
  char name[72];  // the system's name for the architecture (uname machine)
  int build, major, minor, servicePackMajor, servicePackMinor;
};
bool GetOsVersion(OsVersion* out);

// Physical memory and the available part in bytes, and the free percentage.
bool GetMemoryStatus(uint64_t* total, uint64_t* available, long* freePercent);

// The process's resident memory in KiB, 0 when unknown.
long ResidentKilobytes();

bool GetComputerName(char* buffer, int size);
bool GetUserName(char* buffer, int size);

struct ProcessorInfo {
  unsigned oemId, processors, pageSize, processorType;
};
void GetProcessorInfo(ProcessorInfo* out);

// The first file of `folder` (may be empty for the working directory) whose
// name ends in `suffix` (".mp3"), in directory order; false when none.
bool PlatformFindFirst(const char* folder, const char* suffix, char* name, int size);
