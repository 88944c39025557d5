#include "core/bench.h"

#include <chrono>

namespace {
BenchSink g_benchSink = nullptr;

int64_t SteadyNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

void SetBenchSink(BenchSink sink) {
  g_benchSink = sink;
}

bool BenchEnabled() {
  return g_benchSink != nullptr;
}

BenchScope::BenchScope(const char* phase)
    : phase_(phase), start_(g_benchSink ? SteadyNanos() : 0) {}

BenchScope::~BenchScope() {
  if (g_benchSink) g_benchSink(phase_, (SteadyNanos() - start_) * 1e-9);
}
