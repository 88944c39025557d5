// Times one drawing pass for --bench. The GL work queued before the pass is
// finished before the clock starts and the pass's own before it stops, so
// the figure is the pass's drawing, not just its submission, even for a
// pass inside another.
#pragma once
#include "core/bench.h"

// Waits for the queued GL work when --bench is on (and does nothing
// otherwise); constructed before the timer's clock starts.
struct GlDrain {
  GlDrain();
};

class PassTimer : private GlDrain {
 public:
  explicit PassTimer(const char* phase) : scope_(phase) {}
  ~PassTimer();
  PassTimer(const PassTimer&) = delete;
  PassTimer& operator=(const PassTimer&) = delete;

 private:
  BenchScope scope_;
};
