#include "core/notice.h"

#include <cstdarg>
#include <cstdio>

namespace {
Notice g_notices[kNoticeCapacity];
int g_noticeCount = 0;
}  // namespace

void PostNotice(const char* format, ...) {
  if (g_noticeCount == kNoticeCapacity) {
    for (int i = 1; i < g_noticeCount; ++i) g_notices[i - 1] = g_notices[i];
    --g_noticeCount;
  }
  Notice& n = g_notices[g_noticeCount++];
  va_list args;
  va_start(args, format);
  std::vsnprintf(n.text, sizeof n.text, format, args);
  va_end(args);
  n.age = 0;
}

void AgeNotices(float dt) {
  int kept = 0;
  for (int i = 0; i < g_noticeCount; ++i) {
    g_notices[i].age += dt;
    if (g_notices[i].age <= kNoticeSeconds) g_notices[kept++] = g_notices[i];
  }
  g_noticeCount = kept;
}

int NoticeCount() {
  return g_noticeCount;
}

const Notice& NoticeAt(int i) {
  return g_notices[i];
}

void ClearNotices() {
  g_noticeCount = 0;
}
