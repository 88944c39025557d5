#include "support/test_support.h"

#include <GL/gl.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/log.h"
#include "gl/extensions.h"
#include "platform/window.h"
#include "storage/archive_writer.h"
#include "storage/core.h"
#include "support/byte_builder.h"
#include "support/content_archive.h"
#include "support/gl_context.h"

namespace fs = std::filesystem;

TempDir::TempDir(bool enter) {
  std::string pattern = (fs::temp_directory_path() / "qhtest-XXXXXX").string();
  if (char* made = mkdtemp(&pattern[0])) path_ = made;
  if (enter) previous_ = fs::current_path().string(), fs::current_path(path_);
}

TempDir::~TempDir() {
  if (!previous_.empty()) fs::current_path(previous_);
  std::error_code ec;
  if (!path_.empty()) fs::remove_all(path_, ec);
}

void TempDir::Write(const std::string& name, const std::string& content) const {
  const fs::path p = File(name);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

LogCapture::LogCapture() {
  g_log.SetSink(
      [](int, const char* line, void* user) {
        const std::string text = line;
        const size_t at = text.find("::");
        static_cast<LogCapture*>(user)->lines.push_back(
            at == std::string::npos ? text : text.substr(at + 2));
      },
      this);
}
LogCapture::~LogCapture() {
  g_log.SetSink(nullptr, nullptr);
}

bool LogCapture::Contains(const std::string& text) const {
  for (const std::string& l : lines)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

ScratchDir::ScratchDir() : previousArchive_(CoreArchivePath()) {
  // One entry nobody asks for: an archive without entries is itself reported.
  WriteWholeFile("brookfield.core", {'E', 1, 0, 0, 0, '-', 0, 0, 0, 0});
  CoreSetArchivePath("brookfield.core");
}

ScratchDir::~ScratchDir() {
  CoreSetArchivePath(previousArchive_.c_str());
}

bool ScratchDir::Write(const char* name, const void* data, size_t size) const {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  return WriteWholeFile(name, std::vector<uint8_t>(p, p + size));
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int RunCommand(const std::string& command, std::string* out) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  char buffer[4096];
  std::string text;
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, got);
  const int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> ReadPngRgb(const std::string& file, int width, int height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> rgb;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return rgb;
  image.format = PNG_FORMAT_RGB;
  rgb.resize(PNG_IMAGE_SIZE(image));
  if (static_cast<int>(image.width) != width || static_cast<int>(image.height) != height ||
      !png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
    rgb.clear();
  png_image_free(&image);
  return rgb;
}

std::string BinaryPath(const char* name) {
  return std::string(QH_BINARY_DIR) + "/" + name;
}

std::vector<uint8_t> TestWav(float seconds) {
  const uint32_t samples = static_cast<uint32_t>(seconds * 8000);
  ByteBuilder b;
  b.Text("RIFF").U32(36 + samples).Text("WAVEfmt ").U32(16);
  b.U16(1).U16(1).U32(8000).U32(8000).U16(1).U16(8).Text("data").U32(samples);  // PCM, mono, 8 bits
  for (uint32_t i = 0; i < samples; ++i) b.U8(i % 20 < 10 ? 148 : 108);
  return b.bytes;
}

std::string BuiltArchivePath() {
  return BinaryPath("run/brookfield.core");
}

const std::vector<ArchiveEntry>& BuiltEntries() {
  static const std::vector<ArchiveEntry> entries = [] {
    std::vector<ArchiveEntry> out;
    std::vector<uint8_t> image;
    std::string error;
    if (!ReadWholeFile(BuiltArchivePath(), &image) || !ReadArchive(image, &out, &error))
      out.clear();
    return out;
  }();
  return entries;
}

bool EnsureGlContext() {
  static const bool ready =
      PlatformInitVideo() && PlatformCreateWindow("qh tests", 64, 64, false, false);
  return ready;
}

bool EnsureGlslContext() {
  if (!EnsureGlContext()) return false;
  InitExtensions(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
  return InitGLSL();
}
