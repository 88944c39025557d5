// Collects the log lines written while it lives (plain text, prefixes kept).
#pragma once
#include <string>
#include <vector>

#include "shell/log.h"

class LogCapture {
 public:
  LogCapture() { g_log.SetSink(&LogCapture::Sink, this); }
  ~LogCapture() { g_log.SetSink(nullptr, nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // True when some line contains text.
  bool Has(const std::string& text) const {
    for (const std::string& line : lines)
      if (line.find(text) != std::string::npos) return true;
    return false;
  }

  std::vector<std::string> lines;

 private:
  static void Sink(int, const char* line, void* user) {
    static_cast<LogCapture*>(user)->lines.push_back(line);
  }
};
