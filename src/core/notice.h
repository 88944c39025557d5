// Messages for the person at the screen: a short line that says what an
// action did or why it failed ("Saved KT.Line", "can't save KT.Line: ...").
// Any subsystem posts one; the overlay shows each for kNoticeSeconds. Posting
// writes nothing to the log: the caller logs what the log should hold.
#pragma once

constexpr int kNoticeCapacity = 6;      // the newest ones are kept
constexpr int kNoticeLength = 160;      // bytes, with the terminating zero
constexpr float kNoticeSeconds = 4.0f;  // shown this long after posting

struct Notice {
  char text[kNoticeLength];
  float age;  // seconds since posting
};

// Posts a printf-style message (cut at kNoticeLength - 1 bytes). When
// kNoticeCapacity notices are up, the oldest goes.
void PostNotice(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Ages every notice by `dt` seconds and drops those past kNoticeSeconds.
// Called once per frame by whoever shows them.
void AgeNotices(float dt);

// The notices up now, oldest first: 0 <= i < NoticeCount().
int NoticeCount();
const Notice& NoticeAt(int i);

void ClearNotices();
