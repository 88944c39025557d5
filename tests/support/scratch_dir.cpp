#include "support/scratch_dir.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "shell/log.h"
#include "storage/core.h"

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/qh_test_XXXXXX";
  if (const char* made = mkdtemp(pattern)) path_ = made;
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) previousCwd_ = cwd;
  previousArchive_ = CoreArchivePath();
  if (path_.empty() || chdir(path_.c_str()) != 0) std::abort();
  Write("brookfield.core", "", 0);
  CoreSetArchivePath("brookfield.core");
}

ScratchDir::~ScratchDir() {
  CoreSetArchivePath(previousArchive_.c_str());
  if (!previousCwd_.empty() && chdir(previousCwd_.c_str()) != 0) std::abort();
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool ScratchDir::Write(const char* name, const void* data, size_t size) const {
  FILE* f = std::fopen(name, "wb");
  if (!f) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && written;
}

LogCapture::LogCapture() {
  g_log.SetSink(&LogCapture::Sink, this);
}

LogCapture::~LogCapture() {
  g_log.SetSink(nullptr, nullptr);
}

bool LogCapture::Contains(const char* text) const {
  for (const std::string& line : lines_)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

void LogCapture::Sink(int, const char* line, void* user) {
  static_cast<LogCapture*>(user)->lines_.push_back(line);
}
