#include "support/scratch_dir.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "shell/log.h"

ScratchDir::ScratchDir() {
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) previous_ = cwd;
  char pattern[] = "/tmp/qh_test_XXXXXX";
  if (mkdtemp(pattern)) path_ = pattern;
  if (path_.empty() || chdir(path_.c_str()) != 0) std::abort();
}

ScratchDir::~ScratchDir() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::abort();
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::Write(const char* name, const std::vector<uint8_t>& bytes) const {
  FILE* f = std::fopen(name, "wb");
  if (!f) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

LogCapture::LogCapture() {
  g_log.SetSink([](int, const char* line,
                   void* user) { static_cast<std::vector<std::string>*>(user)->push_back(line); },
                &lines_);
}

LogCapture::~LogCapture() {
  g_log.SetSink(nullptr, nullptr);
}

bool LogCapture::Contains(const std::string& text) const {
  for (const std::string& line : lines_)
    if (line.find(text) != std::string::npos) return true;
  return false;
}
