// Per-frame trace fields. Subsystems register a writer for their own state;
// the run harness (shell/harness.h) calls them once per frame when --trace is
// on, so nothing below the spine needs to know about the trace file.
#pragma once
#include <string>

// A writer appends `,"name":value` to `out`.
using TraceWriter = void (*)(std::string* out);
void RegisterTraceWriter(TraceWriter writer);

// Calls every registered writer in registration order.
void WriteTraceFields(std::string* out);

// JSON helpers for trace writers. A NaN or infinite number is written as null.
void TraceNumber(std::string* out, double value);
void TraceVec3(std::string* out, const float* xyz);
// A JSON string, quoted and escaped.
void TraceString(std::string* out, const char* text);
