#include "core/growth.h"

#include <cstdlib>

#include "core/log.h"

void LogGrowthFailure(int64_t count, size_t elementSize, const char* source, int line,
                      const char* method) {
  Log(LOG_ERROR, "can't resize [%i]x[%i] at [%s:%i][%s]", static_cast<int>(count),
      static_cast<int>(elementSize), source, line, method);
}

namespace {
int g_failAfter = -1;

// The reallocated block, or null (after logging) with `block` untouched.
void* Reallocate(void* block, int64_t count, size_t elementSize, const char* source, int line,
                 const char* method) {
  const uint64_t bytes = static_cast<uint64_t>(count) * elementSize;
  void* grown = nullptr;
  if (count > 0 && bytes / elementSize == static_cast<uint64_t>(count) && bytes <= SIZE_MAX &&
      !GrowthFailureInjected())
    grown = std::realloc(block, static_cast<size_t>(bytes));
  if (!grown) LogGrowthFailure(count, elementSize, source, line, method);
  return grown;
}
}  // namespace

void FailGrowthAfter(int successes) {
  g_failAfter = successes;
}

bool GrowthFailureInjected() {
  if (g_failAfter < 0) return false;
  return g_failAfter-- == 0;
}

void* ResizeBlock(void* block, int64_t count, size_t elementSize, const char* source, int line,
                  const char* method) {
  if (count <= 0) {
    std::free(block);
    return nullptr;
  }
  void* grown = Reallocate(block, count, elementSize, source, line, method);
  if (!grown) std::free(block);
  return grown;
}

bool GrowKeeping(void*& block, int64_t count, size_t elementSize, const char* source, int line,
                 const char* method) {
  void* grown = Reallocate(block, count, elementSize, source, line, method);
  if (grown) block = grown;
  return grown != nullptr;
}
