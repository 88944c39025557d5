// Little-endian fields of the program's binary files, written into or read
// from memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "math/vec3.h"

struct ByteWriter {
  std::vector<uint8_t> bytes;

  void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) {
    U8(v);
    U8(v >> 8);
  }
  void U32(uint32_t v) {
    U16(v);
    U16(v >> 16);
  }
  void F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    U32(bits);
  }
  void Vec(const vec3& v) {
    F32(v.x);
    F32(v.y);
    F32(v.z);
  }
};

// Reads with bounds checks: a field that runs past the end is not read, the
// call returns false and the output keeps its value.
struct ByteReader {
  const uint8_t* at;
  const uint8_t* end;

  size_t Left() const { return static_cast<size_t>(end - at); }
  bool Bytes(void* out, size_t n) {
    if (Left() < n) return false;
    std::memcpy(out, at, n);
    at += n;
    return true;
  }
  bool U8(uint8_t* v) { return Bytes(v, 1); }
  bool U16(uint16_t* v) {
    uint8_t b[2];
    if (!Bytes(b, 2)) return false;
    *v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
  }
  bool U32(uint32_t* v) {
    uint8_t b[4];
    if (!Bytes(b, 4)) return false;
    *v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
  }
  bool F32(float* v) {
    uint32_t bits;
    if (!U32(&bits)) return false;
    std::memcpy(v, &bits, 4);
    return true;
  }
  bool Vec(vec3* v) { return F32(&v->x) && F32(&v->y) && F32(&v->z); }
};
