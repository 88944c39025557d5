// The one reallocation rule every growable array of the program follows.
//
// An array is reallocated to exactly count * sizeof(T) bytes. When that
// fails, the error "can't resize [count]x[size] at [source:line][method]" is
// logged and the array becomes null (the old block is released, so nothing
// leaks); callers go on with the null array. A count of 0 releases the array.
// T must be trivially copyable: the block moves with realloc.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

// Logs the growth-failure message. `source` is the owning class's source
// path as the log names it (for example "inc\\Mesh").
void LogGrowthFailure(int64_t count, size_t elementSize, const char* source, int line,
                      const char* method);

// Reallocates a raw block; returns null on failure (after logging) or for 0.
void* ResizeBlock(void* block, int64_t count, size_t elementSize, const char* source, int line,
                  const char* method);

// Tests: after `successes` more growths the next one fails (as if memory ran
// out); -1 turns the failure off.
void FailGrowthAfter(int successes);

// Whether this growth is the one made to fail; counts down otherwise.
bool GrowthFailureInjected();

// For tables that others point into: a failure logs the message and leaves
// the array and its contents as they were. True when the array has `count`
// records (count > 0).
bool GrowKeeping(void*& block, int64_t count, size_t elementSize, const char* source, int line,
                 const char* method);

template <class T>
bool GrowArrayKeeping(T*& array, int64_t count, const char* source, int line, const char* method) {
  static_assert(std::is_trivially_copyable<T>::value, "growable arrays hold plain records");
  void* block = array;
  const bool ok = GrowKeeping(block, count, sizeof(T), source, line, method);
  array = static_cast<T*>(block);
  return ok;
}

template <class T>
bool ResizeArray(T*& array, int64_t count, const char* source, int line, const char* method) {
  static_assert(std::is_trivially_copyable<T>::value, "growable arrays hold plain records");
  array = static_cast<T*>(ResizeBlock(array, count, sizeof(T), source, line, method));
  return array != nullptr || count == 0;
}

// The same rule for arrays of records that own memory (strings, lists): a new
// block of exactly `count` records, the first min(oldCount, count) moved over,
// the rest default-constructed. On failure the message is logged and the
// array becomes null (the old records are destroyed).
template <class T>
bool ResizeObjects(T*& array, int64_t oldCount, int64_t count, const char* source, int line,
                   const char* method) {
  T* grown = nullptr;
  if (count > 0) {
    if (!GrowthFailureInjected()) grown = new (std::nothrow) T[static_cast<size_t>(count)];
    if (!grown) LogGrowthFailure(count, sizeof(T), source, line, method);
  }
  if (grown && array) {
    const int64_t keep = oldCount < count ? oldCount : count;
    for (int64_t i = 0; i < keep; ++i) grown[i] = static_cast<T&&>(array[i]);
  }
  delete[] array;
  array = grown;
  return array != nullptr || count == 0;
}

// ResizeObjects for tables that others point into: a failure leaves the old
// records where they were.
template <class T>
bool GrowObjectsKeeping(T*& array, int64_t oldCount, int64_t count, const char* source, int line,
                        const char* method) {
  T* grown = GrowthFailureInjected() ? nullptr : new (std::nothrow) T[static_cast<size_t>(count)];
  if (!grown) {
    LogGrowthFailure(count, sizeof(T), source, line, method);
    return false;
  }
  for (int64_t i = 0; i < oldCount && i < count; ++i) grown[i] = static_cast<T&&>(array[i]);
  delete[] array;
  array = grown;
  return true;
}
