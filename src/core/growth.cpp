#include "core/growth.h"

#include <cstdlib>

#include "core/log.h"

void LogGrowthFailure(int64_t count, size_t elementSize, const char* source, int line,
                      const char* method) {
  Log(LOG_ERROR, "can't resize [%i]x[%i] at [%s:%i][%s]", static_cast<int>(count),
      static_cast<int>(elementSize), source, line, method);
}

void* ResizeBlock(void* block, int64_t count, size_t elementSize, const char* source, int line,
                  const char* method) {
  if (count <= 0) {
    std::free(block);
    return nullptr;
  }
  const uint64_t bytes = static_cast<uint64_t>(count) * elementSize;
  void* grown = nullptr;
  if (bytes / elementSize == static_cast<uint64_t>(count) && bytes <= SIZE_MAX)
    grown = std::realloc(block, static_cast<size_t>(bytes));
  if (!grown) {
    LogGrowthFailure(count, elementSize, source, line, method);
    std::free(block);
  }
  return grown;
}
