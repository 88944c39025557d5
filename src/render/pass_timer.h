// Times one drawing pass for --bench. The GL work is finished before the
// clock stops, so the figure is the pass's drawing, not just its submission.
#pragma once
#include "shell/harness.h"

class PassTimer {
 public:
  explicit PassTimer(const char* phase) : scope_(phase) {}
  ~PassTimer();
  PassTimer(const PassTimer&) = delete;
  PassTimer& operator=(const PassTimer&) = delete;

 private:
  BenchScope scope_;
};
