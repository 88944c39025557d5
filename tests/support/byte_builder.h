// Little-endian byte strings for building binary test files by hand.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

struct ByteBuilder {
  std::vector<uint8_t> bytes;

  ByteBuilder& Raw(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    return bytes.insert(bytes.end(), p, p + n), *this;
  }
  ByteBuilder& Uint(uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  ByteBuilder& U8(uint32_t v) { return Uint(v, 1); }
  ByteBuilder& U16(uint32_t v) { return Uint(v, 2); }
  ByteBuilder& U32(uint32_t v) { return Uint(v, 4); }
  ByteBuilder& F32(float f) {
    uint32_t bits;
    return std::memcpy(&bits, &f, 4), Uint(bits, 4);
  }
  ByteBuilder& Text(const char* s) { return Raw(s, std::strlen(s)); }
};
