// --bench phase timings. Code anywhere times a scope with BenchScope; the
// run harness (shell/harness.h) installs the sink that collects the samples.
// Without a sink a scope costs one branch.
#pragma once
#include <cstdint>

using BenchSink = void (*)(const char* phase, double seconds);

// Installs the sink (null turns timing off).
void SetBenchSink(BenchSink sink);
bool BenchEnabled();

// Times a scope into the phase `phase` (a string that outlives the scope).
class BenchScope {
 public:
  explicit BenchScope(const char* phase);
  ~BenchScope();
  BenchScope(const BenchScope&) = delete;
  BenchScope& operator=(const BenchScope&) = delete;

 private:
  const char* phase_;
  int64_t start_;
};
