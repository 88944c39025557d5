#include "storage/archive_writer.h"

#include <cstdio>
#include <cstring>

#include "core/scramble.h"
#include "storage/bytes.h"

namespace {
bool EndsWith(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}
}  // namespace

bool IsTextEntry(const std::string& name) {
  return EndsWith(name, ".vs") || EndsWith(name, ".ps");
}

std::vector<uint8_t> BuildArchive(const std::vector<ArchiveEntry>& entries) {
  ByteWriter out;
  for (const ArchiveEntry& e : entries) {
    out.U8('E');  // the tag's value is not interpreted
    std::vector<uint8_t> name(e.name.begin(), e.name.end());
    name.push_back(0);
    const int32_t n = static_cast<int32_t>(name.size());
    Scramble(name.data(), n);
    out.U32(static_cast<uint32_t>(n));
    out.bytes.insert(out.bytes.end(), name.begin(), name.end());
    std::vector<uint8_t> data = e.data;
    const int32_t s = static_cast<int32_t>(data.size());
    if (IsTextEntry(e.name)) Scramble(data.data(), s);
    out.U32(static_cast<uint32_t>(s));
    out.bytes.insert(out.bytes.end(), data.begin(), data.end());
  }
  return out.bytes;
}

bool ReadArchive(const std::vector<uint8_t>& image, std::vector<ArchiveEntry>* out,
                 std::string* error) {
  size_t at = 0;
  auto readInt = [&](int32_t* v) {
    if (image.size() - at < 4) return false;
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(image[at + i]) << (8 * i);
    at += 4;
    *v = static_cast<int32_t>(u);
    return true;
  };
  while (at < image.size()) {
    ++at;  // tag
    int32_t n = 0, s = 0;
    if (!readInt(&n) || n < 0 || static_cast<size_t>(n) > image.size() - at) {
      *error = "damaged name field at byte " + std::to_string(at);
      return false;
    }
    std::vector<uint8_t> name(image.begin() + static_cast<long>(at),
                              image.begin() + static_cast<long>(at) + n);
    at += static_cast<size_t>(n);
    Scramble(name.data(), n);
    ArchiveEntry e;
    e.name.assign(reinterpret_cast<const char*>(name.data()),
                  strnlen(reinterpret_cast<const char*>(name.data()), name.size()));
    if (!readInt(&s) || s < 0 || static_cast<size_t>(s) > image.size() - at) {
      *error = "damaged data size of " + e.name;
      return false;
    }
    e.data.assign(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at) + s);
    at += static_cast<size_t>(s);
    if (IsTextEntry(e.name)) Scramble(e.data.data(), s);
    out->push_back(std::move(e));
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    out->insert(out->end(), chunk, chunk + got);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& data) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}
