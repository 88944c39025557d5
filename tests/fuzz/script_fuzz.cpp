// The run harness's --script reader: any text parses into events or is refused with a reason,
// and accepted events come out in frame order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<ScriptEvent> events;
  std::string error;
  if (!ParseScript(std::string(reinterpret_cast<const char*>(data), size), &events, &error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  for (size_t i = 0; i < events.size(); ++i) {
    const ScriptEvent& e = events[i];
    if (e.frame < 0 || (i && e.frame < events[i - 1].frame)) __builtin_trap();
    if ((e.kind == ScriptEvent::kKey || e.kind == ScriptEvent::kButton) && e.a == 0)
      __builtin_trap();
  }
  return 0;
}
