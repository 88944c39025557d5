#include "core/sizetext.h"

#include <cstdio>
#include <cstring>

namespace {
char g_sizeText[512];

void Append(const char* unit, uint64_t value, bool& first) {
  if (!value) return;
  const size_t used = std::strlen(g_sizeText);
  std::snprintf(g_sizeText + used, sizeof g_sizeText - used, "%s%llu%s", first ? "" : " ",
                static_cast<unsigned long long>(value), unit);
  first = false;
}
}  // namespace

const char* SizeToText(const uint32_t* count) {
  const uint64_t wide = *count;
  return SizeToText64(&wide);
}

const char* SizeToText64(const uint64_t* count) {
  uint64_t rest = *count;
  const uint64_t g = rest >> 30;
  rest &= (1u << 30) - 1;
  const uint64_t m = rest >> 20;
  rest &= (1u << 20) - 1;
  const uint64_t k = rest >> 10;
  const uint64_t b = rest & 1023u;
  std::memset(g_sizeText, 0, 256);
  bool first = true;
  Append("Gb", g, first);
  Append("Mb", m, first);
  Append("Kb", k, first);
  Append("b", b, first);
  if (first) std::strcpy(g_sizeText, "0b");
  return g_sizeText;
}
