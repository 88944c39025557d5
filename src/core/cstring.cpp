#include "core/cstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/growth.h"

cstring::~cstring() {
  std::free(data);
}

cstring::cstring(const cstring& other) {
  *this = other;
}

cstring& cstring::operator=(const cstring& other) {
  if (this == &other) return *this;
  resize(other.length);
  if (data && other.data && other.length > 0) std::memcpy(data, other.data, other.length);
  return *this;
}

void cstring::resize(int32_t n) {
  if (n < 0) n = 0;
  length = n;
  if (n < capacity) return;
  const int32_t old = capacity;
  while (capacity <= n) capacity += 32;
  ResizeArray(data, capacity, "inc\\string", 39, "cstring::resize");
  if (!data) {
    length = capacity = 0;
    return;
  }
  // New bytes start as zeros, so the text always ends inside the buffer.
  std::memset(data + old, 0, static_cast<size_t>(capacity - old));
}

void cstring::format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list measure;
  va_copy(measure, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, measure);
  va_end(measure);
  if (n >= 0) {
    resize(n + 1);
    if (data) std::vsnprintf(data, static_cast<size_t>(n) + 1, fmt, args);
  }
  va_end(args);
}

void cstring::assign(const char* text) {
  const int32_t n = static_cast<int32_t>(std::strlen(text));
  resize(n + 1);
  if (data) std::memcpy(data, text, static_cast<size_t>(n) + 1);
}
