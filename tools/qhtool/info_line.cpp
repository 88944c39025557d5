// `qhtool info` for Line (strand) files: the strand count, then each strand.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "game/spline.h"
#include "shell/log.h"

namespace {
bool Sniff(const char* path, const uint8_t* head, size_t headSize) {
  return headSize >= 3 && std::memcmp(head, "SH3", 3) == 0;
}

struct Reason {
  char* text;
  size_t size;
};

// The loader's warning becomes the reason, without time fields and prefix.
void KeepWarning(int level, const char* line, void* user) {
  const Reason* reason = static_cast<const Reason*>(user);
  const char* message = std::strstr(line, "WARNING::");
  if (level == LOG_WARNING && message)
    std::snprintf(reason->text, reason->size, "%s", message + std::strlen("WARNING::"));
}

bool Print(const char* path, char* reason, size_t reasonSize) {
  Reason r{reason, reasonSize};
  g_log.SetSink(KeepWarning, &r);
  CSpline set;
  const bool ok = set.Load(path);
  g_log.SetSink(nullptr, nullptr);
  if (ok) {
    std::printf("LINE strands=%u\n", set.count);
    for (int i = 0; i < set.count; ++i)
      std::printf("strand %d points=%u bone=%d color=%g,%g,%g\n", i, set.pointCount[i], set.bone[i],
                  set.color[i].x, set.color[i].y, set.color[i].z);
  }
  set.Clear();
  return ok;
}

InfoRegistration g_line({"LINE", Sniff, Print});
}  // namespace
