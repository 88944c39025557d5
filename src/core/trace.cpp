#include "core/trace.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {
std::vector<TraceWriter>& TraceWriters() {
  static std::vector<TraceWriter> writers;
  return writers;
}
}  // namespace

void RegisterTraceWriter(TraceWriter writer) {
  TraceWriters().push_back(writer);
}

void WriteTraceFields(std::string* out) {
  for (TraceWriter writer : TraceWriters()) writer(out);
}

void TraceNumber(std::string* out, double value) {
  // JSON has no NaN or infinity; null keeps the fault visible to a reader.
  if (!std::isfinite(value)) {
    *out += "null";
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  *out += text;
}

void TraceVec3(std::string* out, const float* xyz) {
  *out += "[";
  for (int i = 0; i < 3; ++i) {
    if (i) *out += ",";
    TraceNumber(out, xyz[i]);
  }
  *out += "]";
}

void TraceString(std::string* out, const char* text) {
  *out += '"';
  for (const char* c = text; *c; ++c) {
    if (*c == '"' || *c == '\\') {
      *out += '\\';
      *out += *c;
    } else if (static_cast<unsigned char>(*c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", *c);
      *out += escaped;
    } else {
      *out += *c;
    }
  }
  *out += '"';
}
