#include "storage/core.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/cstring.h"
#include "core/log.h"
#include "core/scramble.h"
#include "platform/dialog.h"

namespace {
std::string g_archivePath = "brookfield.core";
std::string g_searchedFolders;
std::string g_reportedEmpty;  // the empty archive already named in the log

FILE* OpenLoose(const char* name, const char* mode) {
  char path[4096];
  CoreLoosePath(name, path, sizeof path);
  return std::fopen(path, mode);
}

bool ReadInt32(FILE* f, int32_t* value) {
  uint8_t b[4];
  if (std::fread(b, 1, 4, f) != 4) return false;
  *value = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                (static_cast<uint32_t>(b[2]) << 16) |
                                (static_cast<uint32_t>(b[3]) << 24));
  return true;
}

// Walks the archive's entries until one is named `name`. On a match the file
// stands at the entry's first data byte and the data size is returned in
// *size. A name field of length 0 names nothing and the walk goes on. A
// damaged entry (negative or oversized field, short read) ends the walk like
// the end of the archive does. *walked counts the whole entries passed on the
// way.
bool FindEntry(FILE* archive, const char* name, bool scrambledNames, int32_t* size, int* walked) {
  *walked = 0;
  if (std::fseek(archive, 0, SEEK_END) != 0) return false;
  const long fileSize = std::ftell(archive);
  std::rewind(archive);
  if (fileSize < 0) return false;

  cstring buffer;  // grows the way the string class grows
  int tag;
  while ((tag = std::fgetc(archive)) != EOF) {
    int32_t n = 0;
    if (!ReadInt32(archive, &n)) return false;
    const long remaining = fileSize - std::ftell(archive);
    if (n < 0 || n > remaining) return false;
    if (buffer.capacity <= n) {
      buffer.resize(n);
      if (!buffer.data) return false;
    }
    if (std::fread(buffer.data, 1, static_cast<size_t>(n), archive) != static_cast<size_t>(n))
      return false;
    if (scrambledNames) Scramble(buffer.data, n);
    // The capacity always exceeds n: a name whose field lacks its zero keeps
    // every byte, and no stale bytes of a longer earlier name trail it.
    buffer.data[n] = '\0';

    int32_t s = 0;
    if (!ReadInt32(archive, &s)) return false;
    if (s < 0 || s > fileSize - std::ftell(archive)) return false;
    if (std::strcmp(buffer.data, name) == 0) {
      *size = s;
      return true;
    }
    if (std::fseek(archive, s, SEEK_CUR) != 0) return false;
    ++*walked;
  }
  return false;
}
}  // namespace

void CoreSetArchivePath(const char* path) {
  g_archivePath = path;
  g_reportedEmpty.clear();
}
const char* CoreArchivePath() {
  return g_archivePath.c_str();
}

void CoreSetSearchedFolders(const char* folders) {
  g_searchedFolders = folders ? folders : "";
}

void CoreLoosePath(const char* name, char* out, size_t outSize) {
  if (!outSize) return;
  size_t i = 0;
  for (; name[i] && i + 1 < outSize; ++i) out[i] = name[i] == '\\' ? '/' : name[i];
  out[i] = '\0';
}

FILE* CoreOpen(const char* name, const char* mode, bool scrambledNames) {
  if (FILE* loose = OpenLoose(name, mode)) return loose;

  FILE* archive = std::fopen(g_archivePath.c_str(), "rb");
  if (!archive) {
    std::string text = "can't open core file";
    if (!g_searchedFolders.empty())
      text += " (brookfield.core is in none of: " + g_searchedFolders + ")";
    PlatformFatalBox(text.c_str(), "Seriously");
  }

  int32_t size = 0;
  int walked = 0;
  if (FindEntry(archive, name, scrambledNames, &size, &walked)) return archive;
  std::fclose(archive);
  // Every later failure (the shaders' first of all, whose message blames the
  // video card) follows from this, so it is said once per archive.
  if (walked == 0 && g_reportedEmpty != g_archivePath) {
    Log(LOG_WARNING, "core file %s holds no entries", g_archivePath.c_str());
    g_reportedEmpty = g_archivePath;
  }
  Log(LOG_WARNING, "file %s not in core", name);
  return OpenLoose(name, mode);
}

int32_t CWsize(const char* name, const char* mode, bool scrambledNames) {
  if (FILE* loose = OpenLoose(name, "rb")) {
    std::fseek(loose, 0, SEEK_END);
    const long length = std::ftell(loose);
    std::fclose(loose);
    return length > INT32_MAX ? INT32_MAX : static_cast<int32_t>(length);
  }
  FILE* archive = std::fopen(g_archivePath.c_str(), "rb");
  if (!archive) {
    Log(LOG_ERROR, "file %s not found", name);
    return 0;
  }
  int32_t size = 0;
  int walked = 0;
  const bool found = FindEntry(archive, name, scrambledNames, &size, &walked);
  std::fclose(archive);
  if (!found) {
    Log(LOG_ERROR, "CWsize::Seems it buggy %s", name);
    return 0;
  }
  return size;
}

char* CoreReadText(const char* name) {
  FILE* h = CoreOpen(name, "r", true);
  if (!h) {
    Log(LOG_WARNING, "file not found [%s]", name);
    return nullptr;
  }
  int32_t size = CWsize(name, "r", true);
  if (size < 0) size = 0;
  char* buffer = new char[static_cast<size_t>(size) + 1]();
  const size_t got = std::fread(buffer, 1, static_cast<size_t>(size), h);
  buffer[size] = '\0';
  Scramble(buffer, size);
  // A short read leaves scrambled zeros past the end; cut the text there.
  if (got < static_cast<size_t>(size)) buffer[got] = '\0';
  std::fclose(h);
  return buffer;
}
