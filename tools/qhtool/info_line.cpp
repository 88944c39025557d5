// `qhtool info` for Line (strand) files: the strand count, then each strand.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "core/log.h"
#include "game/spline.h"

namespace {
bool Sniff(const char* path, const uint8_t* head, size_t headSize) {
  return headSize >= 3 && std::memcmp(head, "SH3", 3) == 0;
}

bool Print(const char* path, char* reason, size_t reasonSize) {
  CSpline set;
  bool ok;
  {
    ReasonCapture keep(LOG_WARNING, reason, reasonSize);
    ok = set.Load(path);
  }
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
