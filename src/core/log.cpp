#include "core/log.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "core/scramble.h"
#include "platform/clock.h"

CLog g_log;

CLog::~CLog() {
  Close();
  std::free(lines_);
}

bool CLog::Open(const char* path) {
  Close();
  lastTime_ = PlatformMillis();
  file_ = std::fopen(path, "wb");
  return file_ != nullptr;
}

void CLog::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void CLog::Write(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteV(level, format, args);
  va_end(args);
}

void CLog::WriteV(int level, const char* format, va_list args) {
  if (!lines_) lines_ = static_cast<Line*>(std::calloc(kMaxLines, sizeof(Line)));
  // Make room: the 41st line drops the oldest.
  Line* slot;
  if (count_ < kMaxLines) {
    slot = &lines_[(first_ + count_) % kMaxLines];
    ++count_;
  } else {
    slot = &lines_[first_];
    first_ = (first_ + 1) % kMaxLines;
  }
  std::memset(slot->text, 0, kLineSize);

  const char* prefix = "";
  if (level == LOG_WARNING) prefix = "WARNING::";
  if (level == LOG_ERROR) prefix = "ERROR::";
  if (level == LOG_FATAL) prefix = "FATAL::";

  char message[kLineSize];
  std::vsnprintf(message, sizeof message, format, args);

  const uint32_t now = PlatformMillis();
  const uint32_t elapsed = now - lastTime_;
  int n = std::snprintf(slot->text, kLineSize, "%3i:%3i::%s%s", static_cast<int>(elapsed / 1000),
                        static_cast<int>(elapsed % 1000), prefix, message);
  if (n < 0) n = 0;
  if (n > kLineSize - 1) n = kLineSize - 1;  // cut, never overflow
  if (sink_) sink_(level, slot->text, sinkUser_);

  Scramble(slot->text, n);
  slot->length = n;
  slot->level = static_cast<uint8_t>(level);
  lastTime_ = PlatformMillis();

  if (file_) {
    // All n bytes: a scrambled line may contain a zero byte.
    std::fwrite(slot->text, 1, static_cast<size_t>(n), file_);
    std::fwrite("\r\n", 1, 2, file_);
    std::fflush(file_);
  }
}

const char* CLog::line(int i, int* length) const {
  if (i < 0 || i >= count_) return nullptr;
  const Line& l = lines_[(first_ + i) % kMaxLines];
  if (length) *length = l.length;
  return l.text;
}

int CLog::level(int i) const {
  if (i < 0 || i >= count_) return 0;
  return lines_[(first_ + i) % kMaxLines].level;
}

void Log(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  g_log.WriteV(level, format, args);
  va_end(args);
}

void LogHeaderText(const void* data, size_t n, char* out) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < n; ++i)
    out[i] = bytes[i] < 32 && bytes[i] ? '?' : static_cast<char>(bytes[i]);
  out[n] = '\0';
}
