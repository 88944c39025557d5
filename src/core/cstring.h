// A growable character string. The buffer is null until first grown, and the
// capacity grows in steps of 32 bytes.
#pragma once
#include <cstdint>

class cstring {
 public:
  cstring() = default;
  ~cstring();
  cstring(const cstring& other);
  cstring& operator=(const cstring& other);

  // Sets the length to n and makes the capacity greater than n (contents
  // kept). On allocation failure the growth message is logged and the buffer
  // becomes null.
  void resize(int32_t n);

  // Formats into the string; the length then counts the terminating zero.
  void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  // Copies a zero-terminated text (length = strlen + 1, as format() leaves it).
  void assign(const char* text);

  const char* c_str() const { return data ? data : ""; }

  char* data = nullptr;
  int32_t length = 0;
  int32_t capacity = 0;
};
